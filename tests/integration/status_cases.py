"""One call per function of the interface that succeeds (its base), and for
each status the listing gives it, what to change in that call to cause it.

A value "$name" stands for the attribute of the test's world (status_world.World):
"$key" its database, "$ro" one open read-only, "$locked" one whose write
lock another process holds. A status given as (changes, prepare) first runs
prepare(world). Statuses every function shares by the names of its
parameters (HNINIT, HBKEY, the name statuses, HNOOBJ, HREADO, HLOCKD,
HNULLP) are made by test_statuses.py and need no entry here, unless the
function needs other changes for them.
"""
import pyrqx as p

M = p.HMONTH
R = [M, 600, 605]  # 2020M01..2020M06, where the world's series have values
OUT = [0]  # an int cell; copied for each call
LONG = "A" * 300  # a name longer than HNAMLEN


def buf(n=64):
    return [" " * n]


class Recipe:
    def __init__(self, base, name=None, py=None, **statuses):
        self.base = base  # parameter -> value of a call that succeeds
        self.name = name  # the parameter naming the object, for the name statuses
        self.py = py  # the Python function, when not the function's own name
        self.statuses = statuses  # status -> changes, or (changes, prepare)


def obj(**extra):
    """The base of a call naming object NUM in the world's database."""
    return dict(dbkey="$key", objnam=["NUM"], **extra)


def unposted(w):
    p.qzvddes([0], w.key, ["unposted"])


def described(w):
    """NUM and the database get descriptions longer than an empty buffer."""
    p.qzvsdes([0], w.key, ["NUM"], ["a description"])
    p.qzvddes([0], w.key, ["a description"])


def aliased(w):
    p.qzvsali([0], w.key, ["NUM"], ["N1,N2"])
    p.qzvsaso([0], w.key, ["NUM"], ["X,Y"])


def start_search(w):
    p.qzvinwc([0], w.key, ["*"])


def new_wildcard(w):
    key = [0]
    p.zavo_init_wildcard(w.key, key, ["N*"], 0, [" "])
    w.wildkey = key[0]


def drain_search(w):
    start_search(w)
    status = [p.HSUCC]
    while status[0] == p.HSUCC:
        p.qzvnxwc(status, w.key, buf(), [0], [0], [0])


def queue_output(w):
    p.qzvzavo([0], ["PRINT 1"])


CAL = dict(freq=M, date=600)  # a monthly date index: 2020M01
LIT = dict(fmonth=p.HFYDEC, flabel=p.HFYLST)
LIT_X = dict(end_month=p.HFYDEC, label_year=p.HFYLST)

RECIPES = {
    # Session
    "qzvini": Recipe({}, HINITD={}, HSUCC=({}, lambda w: w.end())),
    "qzvfin": Recipe({}),
    "qzvver": Recipe(dict(ver=[0.0])),
    "qzvferr": Recipe(dict(errtxt=buf(200)), HTRUNC=dict(errtxt=[" "])),
    "qzvlerr": Recipe(dict(len=OUT)),
    "qzvsopt": Recipe(dict(optnam=["BUSY_TIMEOUT"], optval=["0"]),
                    HBOPT=dict(optnam=["NO_SUCH_OPTION"]), HBOPTV=dict(optval=["forever"])),
    "qzvspos": Recipe(dict(flag=p.HNO), HBFLAG=dict(flag=7)),
    # Databases
    "qzvopdb": Recipe(dict(dbkey=OUT, dbname=["$new_path"], mode=p.HCMODE),
                    HBFILE=dict(dbname=[""]), HRNEXI=dict(mode=p.HUMODE),
                    HCEXI=dict(dbname=["$other_path"]),
                    HNZVDB=dict(dbname=["$garbage_path"], mode=p.HUMODE),
                    HBVER=dict(dbname=["$newer_path"], mode=p.HRMODE),
                    HFUSE=dict(dbname=["$path"], mode=p.HUMODE), HBMODE=dict(mode=99)),
    "qzvopwk": Recipe(dict(dbkey=OUT)),
    "qzvcldb": Recipe(dict(dbkey="$key")),
    "qzvpodb": Recipe(dict(dbkey="$key"),
                      HABORT=(dict(dbkey="$srv_key"), lambda w: w.refused_commit())),
    "qzvrsdb": Recipe(dict(dbkey="$key")),
    "qzvpack": Recipe(dict(dbkey="$key"), HNPOST=({}, unposted)),
    "qzvgdba": Recipe(dict(dbkey="$key", cyear=OUT, cmonth=OUT, cday=OUT, myear=OUT, mmonth=OUT,
                         mday=OUT, desc=buf(), doc=buf()), HTRUNC=(dict(desc=[""]), described)),
    "qzvgdbd": Recipe(dict(dbkey="$key", freq=M, cdate=OUT, mdate=OUT), HBFREQ=dict(freq=385)),
    "qzvddes": Recipe(dict(dbkey="$key", des=["about"])),
    "qzvddoc": Recipe(dict(dbkey="$key", doc=["notes"])),
    "qzvglen": Recipe(dict(dbkey="$key", deslen=OUT, doclen=OUT)),
    "qzvset_dimension": Recipe(dict(dbkey="$key", dimen=3), HBADVAL=dict(dimen=27)),
    "qzvget_dimension": Recipe(dict(dbkey="$key", dimen=OUT)),
    "qzvset_extradots": Recipe(dict(dbkey="$key", xdots=p.HYES), HBFLAG=dict(xdots=5)),
    "qzvget_extradots": Recipe(dict(dbkey="$key", xdots=OUT)),
    "zavo_get_dbversion": Recipe(dict(dbkey="$key", dbversion=OUT)),
    "zavo_get_db_dates": Recipe(dict(dbkey="$key", cdate=OUT, mdate=OUT)),
    # Connections
    "qzvopcn": Recipe(dict(connkey=OUT, service=[""], hostname=[""], username=[""], password=[""]),
                    HBSRVR=dict(service=["ELSEWHERE"]), HNETCN=dict(hostname=["far.example"]),
                    HBUSER=dict(service=["PG"], hostname=["$srv_tcp"], username=["$srv_user"],
                                password=["not-the-password"]),
                    HRNEXI=dict(service=["PG"], hostname=["$srv_tcp_nodb"],
                                username=["$srv_user"], password=["$srv_password"])),
    "qzvclcn": Recipe(dict(connkey="$conn"), HBCONN=dict(connkey=77777)),
    "qzvcmmt": Recipe(dict(connkey="$conn"), HBCONN=dict(connkey=77777),
                    HABORT=(dict(connkey="$srv_conn"), lambda w: w.refused_commit())),
    "qzvabrt": Recipe(dict(connkey="$conn"), HBCONN=dict(connkey=77777)),
    "qzvgcid": Recipe(dict(dbkey="$key", connkey=OUT)),
    "qzvasrt": Recipe(dict(connkey="$srv_conn", assert_type=1, assertion=["1 > 0"], perspective=1,
                         grouping=3, dblist="$srv_dblist"),
                    HNSUPP=dict(connkey="$conn"), HBCONN=dict(connkey=77777),
                    HBATYP=dict(assert_type=0), HBPRSP=dict(perspective=0), HBGRP=dict(grouping=4),
                    HBKEY=dict(dblist=[77777]), HBASRT=dict(assertion=["1 +"])),
    "qzvopdc": Recipe(dict(dbkey=OUT, dbname=["$new_path"], mode=p.HCMODE, connkey="$conn"),
                    HBFILE=dict(dbname=[""]), HRNEXI=dict(mode=p.HUMODE),
                    HCEXI=dict(dbname=["$other_path"]),
                    HNZVDB=dict(dbname=["$garbage_path"], mode=p.HUMODE),
                    HBVER=dict(dbname=["$newer_path"], mode=p.HRMODE),
                    HFUSE=dict(dbname=["$path"], mode=p.HUMODE), HBMODE=dict(mode=99),
                    HBCONN=dict(connkey=77777)),
    "qzvopre": Recipe(dict(dbkey=OUT, svname=["$local_other"]),
                    HBFILE=dict(svname=["LOCAL:"]), HRNEXI=dict(svname=["$local_missing"]),
                    HNZVDB=dict(svname=["$local_garbage"]), HBVER=dict(svname=["$local_newer"]),
                    HFUSE=dict(svname=["$local_path"]), HBSRVR=dict(svname=["ELSEWHERE:x"])),
    "qzvoprc": Recipe(dict(dbkey=OUT, connkey="$other_conn"),
                    HBFILE=dict(connkey="$conn_dir"), HRNEXI=dict(connkey="$conn"),
                    HNZVDB=dict(connkey="$conn_garbage"), HBVER=dict(connkey="$conn_newer"),
                    HFUSE=dict(connkey="$conn_main"), HBCONN=dict(connkey=77777)),
    # Commands and server input
    "qzvzavo": Recipe(dict(cmd=["PRINT 1 + 1"]),
                    HFRMSYNTAXERR=dict(cmd=["FROBNICATE"]), HNOOBJ=dict(cmd=["PRINT NOSUCH"]),
                    HBFUNC=dict(cmd=["PRINT nosuch(1)"]), HBTYPE=dict(cmd=['PRINT 1 + "a"']),
                    HBCNTX=(dict(cmd=["PRINT SELF"]), lambda w: w.self_formula()),
                    HBFREQ=dict(cmd=["PRINT NUM + convert(NUM, QUARTERLY)"]),
                    HBCLAS=dict(cmd=["PRINT GLN"]), HBOBJT=dict(cmd=["FREQUENCY MONTHLY; SERIES 1bad"]),
                    HNTOOLONG=dict(cmd=["FREQUENCY MONTHLY; SERIES " + LONG]),
                    HOEXI=dict(cmd=["USE $path; FREQUENCY MONTHLY; SERIES NUM"]),
                    HRNEXI=dict(cmd=["OPEN $missing_path"]), HBMODE=dict(cmd=["OPEN $path SIDEWAYS"]),
                    HLOCKD=dict(cmd=["USE $locked_path; FREQUENCY MONTHLY; SERIES NEWONE"]),
                    HREADO=dict(cmd=["USE $ro_path; FREQUENCY MONTHLY; SERIES NEWONE"]),
                    HBSRNG=dict(cmd=["FREQUENCY MONTHLY; RANGE 2020X1 2020M02"]),
                    HBERNG=dict(cmd=["FREQUENCY MONTHLY; RANGE 2020M01 2020X2"]),
                    HBNRNG=dict(cmd=["FREQUENCY SECONDLY; PRINT date(convert(NUM, SECONDLY))"])),
    "qzvsinp": Recipe(dict(cmd=["a line"])),
    "zavo_remexec": Recipe(dict(dbkey="$key", command=["PRINT NUM * 2"], wdbkey="$key", objnam=["OUT"]),
                         name="objnam",
                         HFRMSYNTAXERR=dict(command=["FROBNICATE"]),
                         HBFUNC=dict(command=["FREQUENCY MONTHLY"]),
                         HBTYPE=dict(command=['PRINT 1 + "a"']),
                         HBCNTX=(dict(command=["PRINT SELF"]), lambda w: w.self_formula()),
                         HBFREQ=dict(command=["PRINT NUM + convert(NUM, QUARTERLY)"]),
                         HBCLAS=dict(command=["PRINT GLN"]),
                         HOEXI=dict(command=["FREQUENCY MONTHLY; SERIES NUM"]),
                         HNOOBJ=dict(command=["PRINT NOSUCH"]),
                         HRNEXI=dict(command=["OPEN $missing_path"]),
                         HBMODE=dict(command=["OPEN $path SIDEWAYS"]),
                         HBSRNG=dict(command=["FREQUENCY MONTHLY; RANGE 2020X1 2020M02"]),
                         HBERNG=dict(command=["FREQUENCY MONTHLY; RANGE 2020M01 2020X2"]),
                         HBNRNG=dict(command=["FREQUENCY SECONDLY; PRINT date(convert(NUM, SECONDLY))"]),
                         HREADO=dict(wdbkey="$ro"), HLOCKD=dict(wdbkey="$locked")),
    "zavo_get_server_input": Recipe(dict(buffer=buf(), buffer_size=65, input_size=OUT),
                                  HSUCC=({}, queue_output), HBLEN=(dict(buffer_size=1), queue_output),
                                  HNOOBJ={}),
    # Objects
    "qzvnwob": Recipe(dict(dbkey="$key", objnam=["NEW"], class_=p.HSERIE, freq=M, type=p.HNUMRC,
                         basis=p.HBSDAY, observ=p.HOBAVG), name="objnam",
                    HOEXI=dict(objnam=["NUM"]), HBCLAS=dict(class_=99), HBTYPE=dict(type=999),
                    HBFREQ=dict(freq=385), HBBASI=dict(basis=9), HBOBSV=dict(observ=99)),
    "qzvalob": Recipe(dict(dbkey="$key", objnam=["NEW"], class_=p.HSERIE, freq=M, type=p.HNUMRC,
                         basis=p.HBSDAY, observ=p.HOBAVG, numobs=10, numchr=0, growth=0.5),
                    name="objnam",
                    HOEXI=dict(objnam=["NUM"]), HBCLAS=dict(class_=99), HBTYPE=dict(type=999),
                    HBFREQ=dict(freq=385), HBBASI=dict(basis=9), HBOBSV=dict(observ=99),
                    HBNRNG=dict(numobs=-1), HBNCHR=dict(numchr=-1), HBGROW=dict(growth=-1.0)),
    "qzvcpob": Recipe(dict(srckey="$key", tarkey="$key", srcnam=["NUM"], tarnam=["COPY"]),
                    name="srcnam", HOEXI=dict(tarnam=["PREC"]),
                    HREADO=dict(tarkey="$ro"), HLOCKD=dict(tarkey="$locked")),
    "qzvrnob": Recipe(dict(dbkey="$key", srcnam=["NUM"], tarnam=["RENAMED"]), name="srcnam",
                    HOEXI=dict(tarnam=["PREC"])),
    "qzvdlob": Recipe(obj(), name="objnam"),
    "qzvsbas": Recipe(obj(basis=p.HBSBUS), name="objnam", HBBASI=dict(basis=9)),
    "qzvsobs": Recipe(obj(observ=p.HOBSUM), name="objnam", HBOBSV=dict(observ=99)),
    "qzvsdes": Recipe(obj(desc=["d"]), name="objnam"),
    "qzvsdoc": Recipe(obj(doc=["d"]), name="objnam"),
    # Inquiry
    "qzvwhat": Recipe(obj(class_=OUT, type=OUT, freq=OUT, basis=OUT, observ=OUT, fyear=OUT, fprd=OUT,
                        lyear=OUT, lprd=OUT, cyear=OUT, cmonth=OUT, cday=OUT, myear=OUT,
                        mmonth=OUT, mday=OUT, desc=buf(), doc=buf()), name="objnam",
                    HTRUNC=(dict(desc=[""]), described)),
    "qzvosiz": Recipe(obj(class_=OUT, type=OUT, freq=OUT, fyear=OUT, fprd=OUT, lyear=OUT, lprd=OUT),
                    name="objnam"),
    "qzvdlen": Recipe(obj(deslen=OUT, doclen=OUT), name="objnam"),
    "qzvgdat": Recipe(obj(freq=M, cdate=OUT, mdate=OUT), name="objnam", HBFREQ=dict(freq=385)),
    "qzvgnam": Recipe(obj(basnam=buf()), name="objnam", HTRUNC=dict(basnam=[""])),
    "zavo_info": Recipe(dict(dbkey="$key", oname=["NUM"], oclass=OUT, type=OUT, freq=OUT, findex=OUT,
                           lindex=OUT, basis=OUT, observ=OUT, cdate=OUT, mdate=OUT, desc=buf(),
                           indesclen=64, outdesclen=OUT, doc=buf(), indoclen=64, outdoclen=OUT),
                      name="oname", HBLEN=dict(indesclen=-1),
                      HTRUNC=(dict(indesclen=0), described)),
    "zavo_quick_info": Recipe(dict(dbkey="$key", oname=["NUM"], oclass=OUT, type=OUT, freq=OUT,
                                 findex=OUT, lindex=OUT), name="oname"),
    "zavo_get_real_name": Recipe(dict(dbkey="$key", objname=["NUM"], basename=buf(), inlen=64,
                                    outlen=OUT), name="objname",
                               HBLEN=dict(inlen=-1), HTRUNC=dict(inlen=1)),
    "zavo_type_to_string": Recipe(dict(type=p.HNUMRC, type_spec=buf(), inlen=64, outlen=OUT),
                                HBTYPE=dict(type=999), HBLEN=dict(inlen=-1), HTRUNC=dict(inlen=2)),
    "zavo_dimnum": Recipe(dict(dimnum=OUT, dimchar="C"), HBADVAL=dict(dimchar="?")),
    "zavo_dimchar": Recipe(dict(dimchar=buf(4), dimnum=3), HBADVAL=dict(dimnum=27),
                         HTRUNC=dict(dimchar=[""])),
    # Wildcards
    "qzvinwc": Recipe(dict(dbkey="$key", wilnam=["N*"]), name="wilnam",
                    HBOBJT=dict(wilnam=["A!"]), HNTOOLONG=dict(wilnam=[LONG])),
    "qzvnxwc": Recipe(dict(dbkey="$key", objnam=buf(), class_=OUT, type=OUT, freq=OUT),
                    HSUCC=({}, start_search), HNWILD={}, HNOOBJ=({}, drain_search),
                    HTRUNC=(dict(objnam=[""]), start_search)),
    "zavo_init_wildcard": Recipe(dict(dbkey="$key", wildkey=OUT, wildname=["N*"], wildonly=0,
                                    wildstart=[" "]), name="wildname",
                               HBOBJT=dict(wildname=["A!"]), HNTOOLONG=dict(wildname=[LONG]),
                               HBCLAS=dict(wildonly=99)),
    "zavo_get_next_wildcard": Recipe(dict(wildkey="$wildkey", objname=buf(), obj_class=OUT, type=OUT,
                                        freq=OUT, start=OUT, end=OUT, inlen=64, outlen=OUT),
                                   HSUCC=({}, new_wildcard), HBKEY=dict(wildkey=55555),
                                   HNOOBJ=(dict(wildkey="$empty_wildkey"), new_wildcard),
                                   HBLEN=(dict(inlen=-1), new_wildcard),
                                   HTRUNC=(dict(inlen=0), new_wildcard)),
    "zavo_free_wildcard": Recipe(dict(wildkey="$wildkey"), HSUCC=({}, new_wildcard),
                               HBKEY=dict(wildkey=55555)),
    # Aliases, associations, namelists
    "qzvsali": Recipe(obj(aliass=["N1,N2"]), name="objnam", HOEXI=dict(aliass=["PREC"])),
    "qzvgtali": Recipe(obj(aliass=buf(), inlen=64, outlen=OUT), name="objnam",
                     HBLEN=dict(inlen=-1), HTRUNC=(dict(inlen=1), aliased)),
    "qzvlali": Recipe(obj(alilen=OUT), name="objnam"),
    "qzvsaso": Recipe(obj(assoc=["X,Y"]), name="objnam"),
    "qzvgtaso": Recipe(obj(assoc=buf(), inlen=64, outlen=OUT), name="objnam",
                     HBLEN=dict(inlen=-1), HTRUNC=(dict(inlen=1), aliased)),
    "qzvlaso": Recipe(obj(asolen=OUT), name="objnam"),
    "qzvgtnl": Recipe(dict(dbkey="$key", objnam=["NL"], index=1, strval=buf(), inlen=64, outlen=OUT),
                    name="objnam", HBINDX=dict(index=9), HBTYPE=dict(objnam=["NUM"]),
                    HBLEN=dict(inlen=-1), HTRUNC=dict(inlen=0)),
    "qzvwtnl": Recipe(dict(dbkey="$key", objnam=["NL"], index=3, strval=["C"]), name="objnam",
                    HBINDX=dict(index=9), HDUP=dict(strval=["A"]), HBTYPE=dict(objnam=["NUM"])),
    "qzvnlen": Recipe(dict(dbkey="$key", objnam=["NL"], index=1, length=OUT), name="objnam",
                    HBINDX=dict(index=9), HBTYPE=dict(objnam=["NUM"])),
    "qzvncnt": Recipe(dict(dbkey="$key", objnam=["NL"], length=OUT), name="objnam",
                    HBTYPE=dict(objnam=["NUM"])),
    # Formulas and expressions
    "qzvrdfm": Recipe(dict(dbkey="$key", objnam=["FRM"], source=buf(), ilen=64, olen=OUT),
                    name="objnam", HBCLAS=dict(objnam=["NUM"]), HBLEN=dict(ilen=-1),
                    HTRUNC=dict(ilen=1)),
    "zavo_create_formula": Recipe(dict(dbkey="$key", oname=["NEWF"], value=["NUM * 3"]), name="oname",
                                HFRMSYNTAXERR=dict(value=["NUM *"]),
                                HNFSRCLONG=dict(value=["1+" * 2100 + "1"]), HOEXI=dict(oname=["NUM"])),
    "zavo_create_global_formula": Recipe(dict(dbkey="$key", oname=["NEWF"], value=["NUM * 3"]),
                                       name="oname", HFRMSYNTAXERR=dict(value=["NUM *"]),
                                       HNFSRCLONG=dict(value=["1+" * 2100 + "1"]),
                                       HOEXI=dict(oname=["NUM"])),
    "zavo_modify_formula": Recipe(dict(dbkey="$key", oname=["FRM"], value=["NUM * 3"]), name="oname",
                                HFRMSYNTAXERR=dict(value=["NUM *"]),
                                HNFSRCLONG=dict(value=["1+" * 2100 + "1"]),
                                HBCLAS=dict(oname=["NUM"])),
    "qzvrmev": Recipe(dict(dbkey="$key", expr=["NUM * 2"], optns=[""], wdbkey="$key", objnam=["OUT"]),
                    name="objnam",
                    HFRMSYNTAXERR=dict(expr=["NUM *"]), HNFSRCLONG=dict(expr=["1+" * 2100 + "1"]),
                    HNOOBJ=dict(expr=["NOSUCH * 2"]), HBFUNC=dict(expr=["nosuch(NUM)"]),
                    HBTYPE=dict(expr=['NUM + "a"']),
                    HBCNTX=(dict(expr=["SELF"]), lambda w: w.self_formula()),
                    HBFREQ=dict(expr=["NUM + convert(NUM, QUARTERLY)"]), HBCLAS=dict(expr=["GLN"]),
                    HBOPT=dict(optns=["SIDEWAYS=1"]), HBOPTV=dict(optns=["FROM"]),
                    HBSRNG=dict(optns=["FROM=2020X1"]), HBERNG=dict(optns=["TO=2020X1"]),
                    HBRNG=dict(optns=["FROM=2020M05 TO=2020M01"]),
                    HBNRNG=dict(expr=["convert(NUM, SECONDLY)"],
                                optns=["FROM=1990-01-01T00:00:00 TO=2030-01-01T00:00:00"]),
                    HREADO=dict(wdbkey="$ro"), HLOCKD=dict(wdbkey="$locked")),
    # Ranges
    "qzvsrng": Recipe(dict(freq=M, syear=[2020], sprd=[1], eyear=[2020], eprd=[6], range=[0, 0, 0],
                         numobs=OUT),
                    HBFREQ=dict(freq=385), HBSRNG=dict(sprd=[13]), HBERNG=dict(eprd=[13]),
                    HBRNG=dict(eyear=[2019]), HBNRNG=dict(freq=p.HSEC, syear=[1970], eyear=[2100])),
    "qzvsfis": Recipe(dict(freq=M, syear=[2020], sprd=[1], eyear=[2020], eprd=[6], range=[0, 0, 0],
                         numobs=OUT, **LIT),
                    HBFREQ=dict(freq=385), HBSRNG=dict(sprd=[13]), HBERNG=dict(eprd=[13]),
                    HBRNG=dict(eyear=[2019]), HBFMON=dict(fmonth=13), HBFLAB=dict(flabel=9),
                    HBNRNG=dict(freq=p.HSEC, syear=[1970], eyear=[2100])),
    "zavo_init_range_from_indexes": Recipe(dict(range=[0, 0, 0], freq=M, start=600, end=605),
                                         HBFREQ=dict(freq=385), HBSRNG=dict(start=-2147483647),
                                         HBERNG=dict(end=-2147483647), HBRNG=dict(end=500),
                                         HBNRNG=dict(freq=p.HSEC, start=-2147483645, end=2147483000)),
    "zavo_init_range_from_start_numobs": Recipe(dict(range=[0, 0, 0], freq=M, start=600, numobs=6),
                                              HBFREQ=dict(freq=385), HBSRNG=dict(start=-2147483647),
                                              HBNRNG=dict(numobs=0)),
    "zavo_init_range_from_end_numobs": Recipe(dict(range=[0, 0, 0], freq=M, end=605, numobs=6),
                                            HBFREQ=dict(freq=385), HBERNG=dict(end=-2147483647),
                                            HBNRNG=dict(numobs=0)),
    "zavo_get_range_numobs": Recipe(dict(range=list(R), numobs=OUT),
                                  HBFREQ=dict(range=[385, 1, 2]), HBSRNG=dict(range=[M, -2147483647, 2]),
                                  HBERNG=dict(range=[M, 1, -2147483647]), HBRNG=dict(range=[M, 5, 1]),
                                  HBNRNG=dict(range=[p.HSEC, -2147483645, 2147483000])),
}


def recipe(py, base, name="objnam", **statuses):
    return Recipe(base, name=name, py=py, **statuses)


def with_range(objnam, **extra):
    return dict(dbkey="$key", objnam=[objnam], range=list(R), **extra)


STR_OUT = dict(strary=[" " * 16] * 6, inlenary=[16] * 6, outlenary=[0] * 6)
RANGE_FORMULA = dict(HFRMSYNTAXERR=dict(objnam=["NOTEXT"]), HBFUNC=dict(objnam=["BADFUNC"]),
                     HBCNTX=(dict(objnam=["SELF"]), lambda w: w.self_formula()))
RANGE_BAD = dict(HBFREQ=dict(range=[p.HQTDEC, 200, 201]), HBSRNG=dict(range=[M, -2147483647, 605]),
                 HBERNG=dict(range=[M, 600, -2147483647]), HBRNG=dict(range=[M, 605, 600]),
                 HBCLAS=dict(objnam=["GLN"]))
# A scalar of each kind, read or written over R: more than its one observation.
SCALAR = {"NUM": "SCA", "PREC": "SCP", "BOO": "SCB", "DAT": "SCD", "STR": "SCS"}


def typed(py, objnam, cell, other, write=False, **statuses):
    base = with_range(objnam, valary=[cell] * 6)
    s = dict(RANGE_BAD, HBTYPE=dict(objnam=[other]), HBNRNG=dict(objnam=[SCALAR[objnam]]), **statuses)
    if not write:
        s.update(RANGE_FORMULA)
    return recipe(py, base, **s)


RECIPES.update({
    "qzvrrng_f": recipe("qzvrrng_double", with_range("PREC", valary=[0.0] * 6, tmiss=p.HNTMIS,
                                                  mistt=[0.0] * 3),
                      HBMISS=dict(tmiss=7), HBTYPE=dict(objnam=["STR"]), HBNRNG=dict(objnam=["SCP"]),
                      **RANGE_BAD, **RANGE_FORMULA),
    "qzvwrng_f": recipe("qzvwrng_int", with_range("DAT", valary=[600] * 6, tmiss=p.HNTMIS, mistt=[0] * 3),
                      HBMISS=dict(tmiss=7), HBTYPE=dict(objnam=["STR"]),
                      HBDATE=dict(valary=[10 ** 8] * 6), HBNRNG=dict(objnam=["SCD"]), **RANGE_BAD),
    "qzvwrmt_f": recipe("qzvwrmt_int", with_range("DAT", objtyp=M, valary=[600] * 6, tmiss=p.HNTMIS,
                                               mistt=[0] * 3),
                      HBMISS=dict(tmiss=7), HBTYPE=dict(objtyp=p.HSTRNG),
                      HBDATE=dict(valary=[10 ** 8] * 6), HBNRNG=dict(objnam=["SCD"]), **RANGE_BAD),
    "qzvrdfa_f": recipe("qzvrdfa_double", dict(dbkey="$key", objnam=["PREC"], wntobs=6, syear=[2020],
                                             sprd=[1], gotobs=OUT, valary=[0.0] * 6, tmiss=p.HNTMIS,
                                             mistt=[0.0] * 3),
                      HBMISS=dict(tmiss=7), HBTYPE=dict(objnam=["STR"]), HBNRNG=dict(wntobs=-1),
                      HBYEAR=dict(syear=[10000]), HBPER=dict(sprd=[13]), HBCLAS=dict(objnam=["SCA"]),
                      HBFREQ=dict(objnam=["BADFREQ"]),
                      HBDATE=dict(objnam=["SEC"], syear=[1967], wntobs=1),
                      **RANGE_FORMULA),
    "qzvgtstr": recipe("qzvgtstr", dict(dbkey="$key", objnam=["STR"], range=[M, 600, 600],
                                      strval=buf(), ismiss=OUT, inlen=64, outlen=OUT),
                     HBLEN=dict(inlen=-1), HTRUNC=dict(inlen=0), HBTYPE=dict(objnam=["NUM"]),
                     HBNRNG=dict(range=list(R)), **RANGE_BAD, **RANGE_FORMULA),
    "qzvwstr": recipe("qzvwstr", dict(dbkey="$key", objnam=["STR"], range=[M, 600, 600], strval=["s"],
                                    ismiss=p.HNMVAL, length=1),
                    HBLEN=dict(length=-1), HBMISS=dict(ismiss=9), HBTYPE=dict(objnam=["NUM"]),
                    HBNRNG=dict(range=list(R)), **RANGE_BAD),
    "qzvgtsts": recipe("qzvgtsts", with_range("STR", misary=[0] * 6, **STR_OUT),
                     HBLEN=dict(inlenary=[-1] * 6), HTRUNC=dict(inlenary=[0] * 6),
                     HBTYPE=dict(objnam=["NUM"]), HBNRNG=dict(objnam=["SCS"]), **RANGE_BAD, **RANGE_FORMULA),
    "qzvwsts": recipe("qzvwsts", with_range("STR", strary=["s"] * 6, misary=[0] * 6, lenary=[1] * 6),
                    HBLEN=dict(lenary=[-1] * 6), HBMISS=dict(misary=[9] * 6),
                    HBTYPE=dict(objnam=["NUM"]), HBNRNG=dict(objnam=["SCS"]), **RANGE_BAD),
    "zavo_get_strings": recipe("zavo_get_strings", with_range("STR", **STR_OUT),
                             HBLEN=dict(inlenary=[-1] * 6), HTRUNC=dict(inlenary=[0] * 6),
                             HBTYPE=dict(objnam=["NUM"]), HBNRNG=dict(objnam=["SCS"]), **RANGE_BAD, **RANGE_FORMULA),
    "zavo_write_strings": recipe("zavo_write_strings", with_range("STR", strary=["s"] * 6),
                               HBTYPE=dict(objnam=["NUM"]), HBNRNG=dict(objnam=["SCS"]), **RANGE_BAD),
    "qzvlsts": recipe("qzvlsts", with_range("STR", lenary=[0] * 6), HBTYPE=dict(objnam=["NUM"]),
                    HBNRNG=dict(objnam=["SCS"]), **RANGE_BAD, **RANGE_FORMULA),
    "zavo_len_strings": recipe("zavo_len_strings", with_range("STR", lenary=[0] * 6),
                             HBTYPE=dict(objnam=["NUM"]), HBNRNG=dict(objnam=["SCS"]), **RANGE_BAD, **RANGE_FORMULA),
    "qzvssln": recipe("qzvssln", dict(dbkey="$key", objnam=["STR"], length=8), HBNCHR=dict(length=-1),
                    HBTYPE=dict(objnam=["NUM"]), HBCLAS=dict(objnam=["GLN"])),
    "qzvgsln": recipe("qzvgsln", dict(dbkey="$key", objnam=["STR"], length=OUT),
                    HBTYPE=dict(objnam=["NUM"]), HBCLAS=dict(objnam=["GLN"])),
    "qzvsnm": Recipe(dict(nctran=1.0, ndtran=2.0, natran=3.0, nmistt=[0.0] * 3)),
    "qzvspm": Recipe(dict(nctran=1.0, ndtran=2.0, natran=3.0, pmistt=[0.0] * 3)),
    "qzvsbm": Recipe(dict(nctran=1, ndtran=2, natran=3, bmistt=[0] * 3)),
    "qzvsdm": Recipe(dict(nctran=1, ndtran=2, natran=3, dmistt=[0] * 3)),
    "qzvisnm": Recipe(dict(value=1.0, ismiss=OUT)),
    "qzvispm": Recipe(dict(value=1.0, ismiss=OUT)),
    "qzvisbm": Recipe(dict(value=1, ismiss=OUT)),
    "qzvisdm": Recipe(dict(value=1, ismiss=OUT)),
    "qzvissm": Recipe(dict(value=["x"], ismiss=OUT)),
    "zavo_get_numerics": typed("zavo_get_numerics", "NUM", 0.0, "PREC"),
    "zavo_get_precisions": typed("zavo_get_precisions", "PREC", 0.0, "NUM"),
    "zavo_get_booleans": typed("zavo_get_booleans", "BOO", 0, "DAT"),
    "zavo_get_dates": typed("zavo_get_dates", "DAT", 0, "BOO"),
    "zavo_write_numerics": typed("zavo_write_numerics", "NUM", 1.0, "PREC", write=True),
    "zavo_write_precisions": typed("zavo_write_precisions", "PREC", 1.0, "NUM", write=True),
    "zavo_write_booleans": typed("zavo_write_booleans", "BOO", 1, "DAT", write=True),
    "zavo_write_dates": recipe("zavo_write_dates", with_range("DAT", value_type=M, valary=[600] * 6),
                             HBTYPE=dict(value_type=p.HQTDEC), HBDATE=dict(valary=[10 ** 8] * 6),
                             HBNRNG=dict(objnam=["SCD"]), **RANGE_BAD),
})


# qzvgtatt_f reading the string attribute: only texts have a length to refuse.
TEXT_ATTRIBUTE = dict(_py="qzvgtatt_char", atttyp=[p.HSTRNG], attnam=["sa"], value=[b" " * 64])


def attr_get(py, attnam, value, other, text=False):
    base = dict(dbkey="$key", objnam=["NUM"], attnam=[attnam], value=value)
    s = dict(HBATTR=dict(attnam=["nosuch"]), HBATYP=dict(attnam=[other]))
    if text:
        base.update(inlen=64, outlen=OUT)
        s.update(HBLEN=dict(inlen=-1), HTRUNC=dict(inlen=0))
    return recipe(py, base, **s)


def attr_set(py, attnam, value, other, **statuses):
    return recipe(py, dict(dbkey="$key", objnam=["NUM"], attnam=[attnam], value=value),
                HBATYP=dict(attnam=[other]), **statuses)


RECIPES.update({
    "qzvgtatt_f": recipe("qzvgtatt_double", dict(dbkey="$key", objnam=["NUM"], atttyp=[p.HPRECN],
                                               attnam=["pa"], value=[0.0], inlen=8, outlen=OUT),
                       HBATTR=dict(attnam=["nosuch"]), HBATYP=dict(atttyp=[p.HNUMRC]),
                       HBLEN=dict(TEXT_ATTRIBUTE, inlen=-1), HTRUNC=dict(TEXT_ATTRIBUTE, inlen=0)),
    "qzvsatt_f": recipe("qzvsatt_double", dict(dbkey="$key", objnam=["NUM"], atttyp=p.HPRECN,
                                             attnam=["pa"], value=[2.5]),
                      HBTYPE=dict(atttyp=999), HBATYP=dict(attnam=["na"])),
    "qzvlatt": recipe("qzvlatt", dict(dbkey="$key", objnam=["NUM"], atttyp=p.HPRECN, attnam=["pa"],
                                    attlen=OUT),
                    HBATTR=dict(attnam=["nosuch"]), HBATYP=dict(atttyp=p.HNUMRC)),
    "zavo_get_boolean_attribute": attr_get("zavo_get_boolean_attribute", "ba", OUT, "na"),
    "zavo_get_date_attribute": recipe("zavo_get_date_attribute",
                                    dict(dbkey="$key", objnam=["NUM"], attnam=["da"], value=OUT, freq=OUT),
                                    HBATTR=dict(attnam=["nosuch"]), HBATYP=dict(attnam=["na"])),
    "zavo_get_numeric_attribute": attr_get("zavo_get_numeric_attribute", "na", [0.0], "pa"),
    "zavo_get_precision_attribute": attr_get("zavo_get_precision_attribute", "pa", [0.0], "na"),
    "zavo_get_string_attribute": attr_get("zavo_get_string_attribute", "sa", buf(), "na", text=True),
    "zavo_get_namelist_attribute": attr_get("zavo_get_namelist_attribute", "la", buf(), "sa", text=True),
    "zavo_set_boolean_attribute": attr_set("zavo_set_boolean_attribute", "ba", 1, "na"),
    "zavo_set_numeric_attribute": attr_set("zavo_set_numeric_attribute", "na", 2.0, "pa"),
    "zavo_set_precision_attribute": attr_set("zavo_set_precision_attribute", "pa", 2.0, "na"),
    "zavo_set_string_attribute": attr_set("zavo_set_string_attribute", "sa", ["t"], "na"),
    "zavo_set_namelist_attribute": attr_set("zavo_set_namelist_attribute", "la", ["P,Q"], "sa",
                                            HBOBJT=dict(value=["1bad"])),
    "zavo_set_date_attribute": recipe("zavo_set_date_attribute",
                                    dict(dbkey="$key", objnam=["NUM"], attnam=["da"], value=600, freq=M),
                                    HBATYP=dict(attnam=["na"]), HBFREQ=dict(freq=385)),
})

# Calendar: each function with a date of freq M that succeeds, and its bad inputs.
BADF = dict(freq=385)
BADD = dict(date=-2147483647)
RECIPES.update({
    "qzvdatd": Recipe(dict(CAL, year=OUT, month=OUT, day=OUT), HBFREQ=BADF, HBDATE=BADD),
    "zavo_index_to_day": Recipe(dict(CAL, year=OUT, month=OUT, day=OUT), HBFREQ=BADF, HBDATE=BADD),
    "qzvwkdy": Recipe(dict(CAL, wkdy=OUT), HBFREQ=BADF, HBDATE=BADD),
    "qzvbwdy": Recipe(dict(CAL, biwkdy=OUT), HBFREQ=BADF, HBDATE=BADD),
    "zavo_weekday": Recipe(dict(CAL, weekday=OUT), HBFREQ=BADF, HBDATE=BADD),
    "zavo_biweekday": Recipe(dict(CAL, biweekday=OUT), HBFREQ=BADF, HBDATE=BADD),
    "qzvdatt": Recipe(dict(CAL, hour=OUT, minute=OUT, second=OUT, ddate=OUT), HBFREQ=BADF, HBDATE=BADD),
    "zavo_index_to_time": Recipe(dict(CAL, year=OUT, month=OUT, day=OUT, hour=OUT, minute=OUT,
                                    second=OUT, millisecond=OUT), HBFREQ=BADF, HBDATE=BADD),
    "qzvddat": Recipe(dict(freq=p.HBUSNS, date=OUT, year=2020, month=7, day=31), HBFREQ=BADF,
                    HBYEAR=dict(year=0), HBMONT=dict(month=13), HBDAY=dict(day=32),
                    HBDATE=dict(day=1, month=8)),
    "zavo_day_to_index": Recipe(dict(freq=p.HBUSNS, date=OUT, year=2020, month=7, day=31, relate=p.HCONT),
                              HBFREQ=BADF, HBYEAR=dict(year=0), HBMONT=dict(month=13),
                              HBDAY=dict(day=32), HBDATE=dict(day=1, month=8), HBREL=dict(relate=9)),
    "qzvdatp": Recipe(dict(CAL, year=OUT, period=OUT), HBFREQ=BADF, HBDATE=BADD,
                    HBPER=dict(freq=p.HMSEC, date=2147483647)),
    "zavo_index_to_year_period": Recipe(dict(CAL, year=OUT, period=OUT), HBFREQ=BADF, HBDATE=BADD,
                                      HBPER=dict(freq=p.HMSEC, date=2147483647)),
    "qzvdatf": Recipe(dict(CAL, year=OUT, period=OUT, **LIT), HBFREQ=BADF, HBDATE=BADD,
                    HBPER=dict(freq=p.HMSEC, date=2147483647), HBFMON=dict(fmonth=13),
                    HBFLAB=dict(flabel=9)),
    "qzvpdat": Recipe(dict(freq=M, date=OUT, year=2020, period=1), HBFREQ=BADF, HBYEAR=dict(year=0),
                    HBPER=dict(period=13), HBDATE=dict(freq=p.HSEC, year=2200)),
    "zavo_year_period_to_index": Recipe(dict(freq=M, date=OUT, year=2020, period=1), HBFREQ=BADF,
                                      HBYEAR=dict(year=0), HBPER=dict(period=13),
                                      HBDATE=dict(freq=p.HSEC, year=2200)),
    "qzvfdat": Recipe(dict(freq=M, date=OUT, year=2020, period=1, **LIT), HBFREQ=BADF,
                    HBYEAR=dict(year=0), HBPER=dict(period=13), HBDATE=dict(freq=p.HSEC, year=2200),
                    HBFMON=dict(fmonth=13), HBFLAB=dict(flabel=9)),
    "qzvtdat": Recipe(dict(freq=p.HHOUR, date=OUT, hour=1, minute=2, second=3, ddate=18000),
                    HBFREQ=BADF, HBDATE=dict(ddate=-2147483647), HBTIME=dict(hour=24)),
    "zavo_time_to_index": Recipe(dict(freq=p.HHOUR, date=OUT, year=2020, month=1, day=1, hour=1,
                                    minute=0, second=0, millisecond=0, relate=p.HCONT),
                               HBFREQ=BADF, HBYEAR=dict(year=0), HBMONT=dict(month=13),
                               HBDAY=dict(day=32), HBTIME=dict(hour=24), HBREL=dict(relate=9),
                               HBDATE=dict(freq=p.HMSEC)),
    "qzvdatl": Recipe(dict(CAL, datstr=buf(40), **LIT), HBFREQ=BADF, HBDATE=BADD, HBFMON=dict(fmonth=13),
                    HBFLAB=dict(flabel=9), HTRUNC=dict(datstr=[" "])),
    "zavo_date_to_literal": Recipe(dict(CAL, literal=buf(40), inlen=40, outlen=OUT, **LIT_X),
                                 HBFREQ=BADF, HBDATE=BADD, HBFMON=dict(end_month=13), HBFLAB=dict(label_year=9),
                                 HTRUNC=dict(inlen=1), HBLEN=dict(inlen=-1)),
    "qzvldat": Recipe(dict(freq=M, date=OUT, datstr=["2020M07"], centry=0, **LIT), HBFREQ=BADF,
                    HBDATE=dict(datstr=["2020X1"]), HBYEAR=dict(datstr=["0M01"]),
                    HBPER=dict(datstr=["2020M13"]), HBMONT=dict(freq=p.HDAILY, datstr=["2020-13-01"]),
                    HBDAY=dict(freq=p.HDAILY, datstr=["2020-02-30"]),
                    HBTIME=dict(freq=p.HHOUR, datstr=["2020-01-01T25:00"]),
                    HBFMON=dict(fmonth=13), HBFLAB=dict(flabel=9)),
    "zavo_literal_to_date": Recipe(dict(freq=M, date=OUT, literal=["2020M07"], century=0, **LIT_X),
                                 HBFREQ=BADF, HBDATE=dict(literal=["2020X1"]),
                                 HBYEAR=dict(literal=["0M01"]), HBPER=dict(literal=["2020M13"]),
                                 HBMONT=dict(freq=p.HDAILY, literal=["2020-13-01"]),
                                 HBDAY=dict(freq=p.HDAILY, literal=["2020-02-30"]),
                                 HBTIME=dict(freq=p.HHOUR, literal=["2020-01-01T25:00"]),
                                 HBFMON=dict(end_month=13), HBFLAB=dict(label_year=9)),
    "qzvdati": Recipe(dict(CAL, datstr=buf(40), image=["YYYY-MM"], **LIT), HBFREQ=BADF,
                    HBADVAL=dict(image=["Q"]), HBDATE=BADD, HBPER=dict(freq=p.HMSEC, date=2147483647, image=["P"]),
                    HBFMON=dict(fmonth=13), HBFLAB=dict(flabel=9), HTRUNC=dict(datstr=[" "])),
    "zavo_format_date": Recipe(dict(CAL, string=buf(16), image=["YYYY-MM"], inlen=16, outlen=OUT, **LIT_X),
                             HBFREQ=BADF, HBADVAL=dict(image=["Q"]), HBDATE=BADD,
                             HBPER=dict(freq=p.HMSEC, date=2147483647, image=["P"]),
                             HBFMON=dict(end_month=13), HBFLAB=dict(label_year=9),
                             HTRUNC=dict(inlen=1), HBLEN=dict(inlen=-1)),
    "qzvidat": Recipe(dict(freq=M, date=OUT, datstr=["2020-07"], image=["YYYY-MM"], centry=0, **LIT),
                    HBFREQ=BADF, HBADVAL=dict(image=["Q"]), HBDATE=dict(datstr=["x"]),
                    HBYEAR=dict(datstr=["0000-07"]), HBPER=dict(image=["YYYY-P"], datstr=["2020-13"]),
                    HBMONT=dict(datstr=["2020-13"]), HBDAY=dict(image=["YYYY-MM-DD"], datstr=["2020-02-30"]),
                    HBTIME=dict(freq=p.HHOUR, image=["YYYY-MM-DD HH"], datstr=["2020-01-01 25"]),
                    HBFMON=dict(fmonth=13), HBFLAB=dict(flabel=9)),
    "zavo_scan_date": Recipe(dict(freq=M, date=OUT, string=["2020-07"], image=["YYYY-MM"], century=0, **LIT_X),
                           HBFREQ=BADF, HBADVAL=dict(image=["Q"]), HBDATE=dict(string=["x"]),
                           HBYEAR=dict(string=["0000-07"]), HBPER=dict(image=["YYYY-P"], string=["2020-13"]),
                           HBMONT=dict(string=["2020-13"]),
                           HBDAY=dict(image=["YYYY-MM-DD"], string=["2020-02-30"]),
                           HBTIME=dict(freq=p.HHOUR, image=["YYYY-MM-DD HH"], string=["2020-01-01 25"]),
                           HBFMON=dict(end_month=13), HBFLAB=dict(label_year=9)),
    "qzvtody": Recipe(dict(freq=M, date=OUT), HBFREQ=BADF, HBDATE=dict(freq=p.HMSEC)),
    "zavo_current_time": Recipe(dict(freq=M, date=OUT), HBFREQ=BADF, HBDATE=dict(freq=p.HMSEC)),
    "qzvislp": Recipe(dict(year=2020, leap=OUT), HBYEAR=dict(year=0)),
    "qzvpfrq": Recipe(dict(freq=OUT, base=p.HAPPY, nunits=4, year=0, month=3), HBFREQ=dict(base=385),
                    HBUNIT=dict(nunits=5), HBYEAR=dict(base=p.HAYPP, nunits=2, year=-1),
                    HBMONT=dict(month=13)),
    "qzvufrq": Recipe(dict(freq=M, base=OUT, nunits=OUT, year=OUT, month=OUT), HBFREQ=BADF),
    "zavo_get_base_frequency": Recipe(dict(base_freq=OUT, freq=M), HBFREQ=BADF),
    "qzvfdiv": Recipe(dict(freq1=M, freq2=p.HQTDEC, flag=OUT), HBFREQ=dict(freq1=385)),
    "qzvpind": Recipe(dict(freq=M, count=OUT), HBFREQ=BADF),
    "zavo_parse_frequency": Recipe(dict(freq=OUT, frequency_spec=["MONTHLY"]),
                                 HBFREQ=dict(frequency_spec=["FORTNIGHTLY"])),
    "qzvchfr": Recipe(dict(sfreq=M, sdate=600, select=p.HEND, tfreq=p.HQTDEC, tdate=OUT, relate=p.HCONT),
                    HBFREQ=dict(tfreq=385), HBSEL=dict(select=9), HBREL=dict(relate=9),
                    HBDATE=dict(sdate=-2147483647)),
    "zavo_dateof": Recipe(dict(from_freq=M, from_date=600, select=p.HEND, to_freq=p.HQTDEC, to_date=OUT,
                             relate=p.HCONT),
                        HBFREQ=dict(to_freq=385), HBSEL=dict(select=9), HBREL=dict(relate=9),
                        HBDATE=dict(from_date=-2147483647)),
    "qzvpinm": Recipe(dict(freq=p.HDAILY, year=2020, month=2, count=OUT), HBFREQ=BADF,
                    HBYEAR=dict(year=0), HBMONT=dict(month=13), HBPER=dict(freq=p.HMSEC, year=2036, month=1)),
    "qzvpiny": Recipe(dict(freq=p.HDAILY, year=2020, count=OUT), HBFREQ=BADF, HBYEAR=dict(year=0),
                    HBPER=dict(freq=p.HMSEC, year=2036)),
    "zavo_int_to_index": Recipe(dict(indexes32=[1], indexes64=[0], numobs=1), HBNRNG=dict(numobs=-1)),
    "zavo_index_to_int": Recipe(dict(indexes64ary=[1], indexes32ary=[0], numobs=1),
                              HBNRNG=dict(numobs=-1)),
    "zavo_date_missing_type": Recipe(dict(date=600, missing_type=OUT)),
})
