"""Samples: objects."""
from . import cell, const, sample

S = ("status", cell(None))
DB = ("dbkey", const(1))
NAME = ("objnam", cell("SERIES"))


def ints(*names):
    """In-out int cells holding 0."""
    return [(name, cell(0)) for name in names]


def room(name, size=16):
    """A result text cell of `size` blanks."""
    return (name, cell(" " * size))


CODES = [("class_", const(1)), ("freq", const(129)), ("type", const(1)), ("basis", const(1)),
         ("observ", const(1))]

SAMPLES = {
    # Lifecycle
    "qzvnwob": sample(S, DB, NAME, *CODES),
    "qzvalob": sample(S, DB, NAME, *CODES, ("numobs", const(10)), ("numchr", const(0)),
                      ("growth", const(0.5))),
    "qzvcpob": sample(S, ("srckey", const(1)), ("tarkey", const(2)), ("srcnam", cell("A")),
                      ("tarnam", cell("B"))),
    "qzvdlob": sample(S, DB, NAME),
    "qzvrnob": sample(S, DB, ("srcnam", cell("A")), ("tarnam", cell("B"))),
    "qzvsbas": sample(S, DB, NAME, ("basis", const(1))),
    "qzvsobs": sample(S, DB, NAME, ("observ", const(1))),
    "qzvsdes": sample(S, DB, NAME, ("desc", cell("a description"))),
    "qzvsdoc": sample(S, DB, NAME, ("doc", cell("documentation"))),
    # Inquiry
    "qzvwhat": sample(S, DB, NAME, *ints("class_", "type", "freq", "basis", "observ", "fyear",
                                         "fprd", "lyear", "lprd", "cyear", "cmonth", "cday",
                                         "myear", "mmonth", "mday"),
                      room("desc"), room("doc")),
    "qzvosiz": sample(S, DB, NAME, *ints("class_", "type", "freq", "fyear", "fprd", "lyear",
                                         "lprd")),
    "qzvdlen": sample(S, DB, NAME, *ints("deslen", "doclen")),
    "qzvgdat": sample(S, DB, NAME, ("freq", const(129)), *ints("cdate", "mdate")),
    "qzvgnam": sample(S, DB, NAME, room("basnam")),
    "zavo_info": sample(DB, ("oname", cell("SERIES")),
                        *ints("oclass", "type", "freq", "findex", "lindex", "basis", "observ",
                              "cdate", "mdate"),
                        room("desc"), ("indesclen", const(16)), ("outdesclen", cell(0)),
                        room("doc"), ("indoclen", const(16)), ("outdoclen", cell(0)),
                        zavo_info={"ret": 0, "writes": {"outdesclen": 3, "desc": "abc",
                                                         "outdoclen": 0}}),
    "zavo_quick_info": sample(DB, ("oname", cell("SERIES")),
                              *ints("oclass", "type", "freq", "findex", "lindex")),
    "zavo_get_real_name": sample(DB, ("objname", cell("ALIAS")), room("basename"),
                                 ("inlen", const(16)), ("outlen", cell(0))),
    "zavo_type_to_string": sample(("type", const(1)), room("type_spec"), ("inlen", const(16)),
                                  ("outlen", cell(0))),
    "zavo_dimnum": sample(("dimnum", cell(0)), ("dimchar", const("A"))),
    "zavo_dimchar": sample(room("dimchar", 1), ("dimnum", const(1))),
    # Wildcard search
    "qzvinwc": sample(S, DB, ("wilnam", cell("S?R*"))),
    "qzvnxwc": sample(S, DB, room("objnam"), *ints("class_", "type", "freq"),
                      qzvnxwc={"status": 0, "writes": {"objnam": "SERIES"}}),
    "zavo_init_wildcard": sample(DB, ("wildkey", cell(0)), ("wildname", cell("S*")),
                                 ("wildonly", const(0)), ("wildstart", cell(""))),
    "zavo_get_next_wildcard": sample(("wildkey", const(3)), room("objname"),
                                     *ints("obj_class", "type", "freq", "start", "end"),
                                     ("inlen", const(16)), ("outlen", cell(0))),
    "zavo_free_wildcard": sample(("wildkey", const(3)), form="single"),
    # Aliases and associations
    "qzvsali": sample(S, DB, NAME, ("aliass", cell("OTHER"))),
    "qzvgtali": sample(S, DB, NAME, room("aliass"), ("inlen", const(16)), ("outlen", cell(0))),
    "qzvlali": sample(S, DB, NAME, *ints("alilen")),
    "qzvsaso": sample(S, DB, NAME, ("assoc", cell("OTHER"))),
    "qzvgtaso": sample(S, DB, NAME, room("assoc"), ("inlen", const(16)), ("outlen", cell(0))),
    "qzvlaso": sample(S, DB, NAME, *ints("asolen")),
    # Namelists
    "qzvgtnl": sample(S, DB, NAME, ("index", const(1)), room("strval"), ("inlen", const(16)),
                      ("outlen", cell(0))),
    "qzvwtnl": sample(S, DB, NAME, ("index", const(1)), ("strval", cell("ELEMENT"))),
    "qzvnlen": sample(S, DB, NAME, ("index", const(1)), *ints("length")),
    "qzvncnt": sample(S, DB, NAME, *ints("length")),
    # Formulas and expressions
    "qzvrdfm": sample(S, DB, NAME, room("source", 32), ("ilen", const(32)), ("olen", cell(0))),
    "zavo_create_formula": sample(DB, ("oname", cell("F")), ("value", cell("A + B"))),
    "zavo_create_global_formula": sample(DB, ("oname", cell("F")), ("value", cell("A + B"))),
    "zavo_modify_formula": sample(DB, ("oname", cell("F")), ("value", cell("A * 2"))),
    "qzvrmev": sample(S, DB, ("expr", cell("A + 1")), ("optns", cell("")), ("wdbkey", const(2)),
                      NAME),
}
