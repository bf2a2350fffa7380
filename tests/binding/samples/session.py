"""Samples: sessions, databases, connections, commands."""
from . import cell, const, sample

S = ("status", cell(None))
DB = ("dbkey", const(1))
CONN = ("connkey", const(2))


def ints(*names):
    """In-out int cells holding 0."""
    return [(name, cell(0)) for name in names]


SAMPLES = {
    "qzvini": sample(S, form="single"),
    "qzvfin": sample(S, form="single"),
    "qzvver": sample(S, ("ver", cell(0.0))),
    "qzvferr": sample(S, ("errtxt", cell(" " * 16))),
    "qzvlerr": sample(S, ("len", cell(0))),
    "qzvsopt": sample(S, ("optnam", cell("NAME")), ("optval", cell("VALUE"))),
    "qzvspos": sample(S, ("flag", const(1))),

    # Databases
    "qzvopdb": sample(S, ("dbkey", cell(0)), ("dbname", cell("db.zv")), ("mode", const(1))),
    "qzvopdc": sample(S, ("dbkey", cell(0)), ("dbname", cell("db.zv")), ("mode", const(1)),
                      ("connkey", const(2))),
    "qzvopre": sample(S, ("dbkey", cell(0)), ("svname", cell("served"))),
    "qzvoprc": sample(S, ("dbkey", cell(0)), ("connkey", const(2))),
    "qzvopwk": sample(S, ("dbkey", cell(0))),
    "qzvcldb": sample(S, DB),
    "qzvpodb": sample(S, DB),
    "qzvrsdb": sample(S, DB),
    "qzvpack": sample(S, DB),
    "qzvgdba": sample(S, DB, *ints("cyear", "cmonth", "cday", "myear", "mmonth", "mday"),
                      ("desc", cell(" " * 20)), ("doc", cell(" " * 20))),
    "qzvgdbd": sample(S, DB, ("freq", const(129)), *ints("cdate", "mdate")),
    "qzvddes": sample(S, DB, ("des", cell("a description"))),
    "qzvddoc": sample(S, DB, ("doc", cell("documentation"))),
    "qzvglen": sample(S, DB, *ints("deslen", "doclen")),
    "qzvset_dimension": sample(S, DB, ("dimen", const(2))),
    "qzvget_dimension": sample(S, DB, *ints("dimen")),
    "qzvset_extradots": sample(S, DB, ("xdots", const(1))),
    "qzvget_extradots": sample(S, DB, *ints("xdots")),
    "zavo_get_dbversion": sample(DB, *ints("dbversion")),
    "zavo_get_db_dates": sample(DB, *ints("cdate", "mdate")),
    # Connections and transactions
    "qzvopcn": sample(S, ("connkey", cell(0)), ("service", cell("svc")), ("hostname", cell("host")),
                      ("username", cell("user")), ("password", cell("secret"))),
    "qzvclcn": sample(S, CONN),
    "qzvcmmt": sample(S, CONN),
    "qzvabrt": sample(S, CONN),
    "qzvgcid": sample(S, DB, ("connkey", cell(0))),
    "qzvasrt": sample(S, CONN, ("assert_type", const(1)), ("assertion", cell("x > 0")),
                      ("perspective", const(0)), ("grouping", const(0)), ("dblist", cell(1))),
    # Commands and server input
    "qzvzavo": sample(S, ("cmd", cell("type x"))),
    "qzvsinp": sample(S, ("cmd", cell("type x"))),
    "zavo_remexec": sample(DB, ("command", cell("x = 1")), ("wdbkey", const(2)),
                           ("objnam", cell("X"))),
    "zavo_get_server_input": sample(("buffer", cell(" " * 8)), ("buffer_size", const(32)),
                                    ("input_size", cell(0))),
}
