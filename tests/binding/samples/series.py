"""Samples: series."""
from . import cell, const, sample

S = ("status", cell(None))
DBKEY = ("dbkey", const(1))
OBJNAM = ("objnam", cell("GDP"))
RANGE = ("range_", lambda: [129, 10, 12])
# Functions that check their lists against the range ask for its count first.
OVER_3 = {"zavo_get_range_numobs": {"ret": 0, "writes": {"numobs": 3}}}


def ints(n=3, value=0):
    return lambda: [value] * n


def reals(n=3):
    return lambda: [0.0] * n


def texts(text="    ", n=3):
    return lambda: [text] * n


def range_read(name, valary, table):
    return sample(S, DBKEY, OBJNAM, RANGE, ("valary", valary), ("tmiss", const(0)),
                  ("mistt", table), library=name, **OVER_3)


def year_period_read(valary, table):
    return sample(S, DBKEY, OBJNAM, ("wntobs", const(3)), ("syear", cell(2020)),
                  ("sprd", cell(1)), ("gotobs", cell(0)), ("valary", valary),
                  ("tmiss", const(0)), ("mistt", table), library="qzvrdfa_f")


def typed_write(valary, table):
    return sample(S, DBKEY, OBJNAM, ("objtyp", const(1)), RANGE, ("valary", valary),
                  ("tmiss", const(0)), ("mistt", table), library="qzvwrmt_f", **OVER_3)


def extended_values(valary):
    return sample(DBKEY, OBJNAM, RANGE, ("valary", valary), **OVER_3)


YEAR_PERIODS = [("syear", cell(2020)), ("sprd", cell(1)), ("eyear", cell(2020)),
                ("eprd", cell(3)), ("range_", ints()), ("numobs", cell(0))]

SAMPLES = {
    # Ranges
    "qzvsrng": sample(S, ("freq", const(129)), *YEAR_PERIODS),
    "qzvsfis": sample(S, ("freq", const(129)), *YEAR_PERIODS, ("fmonth", const(12)),
                      ("flabel", const(1))),
    "zavo_init_range_from_indexes": sample(("range_", ints()), ("freq", const(129)),
                                           ("start", const(10)), ("end", const(12))),
    "zavo_init_range_from_start_numobs": sample(("range_", ints()), ("freq", const(129)),
                                                ("start", const(10)), ("numobs", const(3))),
    "zavo_init_range_from_end_numobs": sample(("range_", ints()), ("freq", const(129)),
                                              ("end", const(12)), ("numobs", const(3))),
    "zavo_get_range_numobs": sample(RANGE, ("numobs", cell(0))),

    # Numeric range reads and writes
    "qzvrrng_int": range_read("qzvrrng_f", ints(), ints()),
    "qzvrrng_float": range_read("qzvrrng_f", reals(), reals()),
    "qzvrrng_double": range_read("qzvrrng_f", reals(), reals()),
    "qzvwrng_int": range_read("qzvwrng_f", ints(), ints()),
    "qzvwrng_float": range_read("qzvwrng_f", reals(), reals()),
    "qzvwrng_double": range_read("qzvwrng_f", reals(), reals()),

    # Strings and string series
    "qzvgtstr": sample(S, DBKEY, OBJNAM, RANGE, ("strval", cell(" " * 8)), ("ismiss", cell(0)),
                       ("inlen", const(8)), ("outlen", cell(0))),
    "qzvwstr": sample(S, DBKEY, OBJNAM, RANGE, ("strval", cell("text")), ("ismiss", const(0)),
                      ("length", const(4))),
    "qzvgtsts": sample(S, DBKEY, OBJNAM, RANGE, ("strary", texts()), ("misary", ints()),
                       ("inlenary", ints(value=4)), ("outlenary", ints()), **OVER_3),
    "qzvwsts": sample(S, DBKEY, OBJNAM, RANGE, ("strary", texts("ab")), ("misary", ints()),
                      ("lenary", ints(value=2)), **OVER_3),
    "qzvlsts": sample(S, DBKEY, OBJNAM, RANGE, ("lenary", ints()), **OVER_3),
    "qzvssln": sample(S, DBKEY, OBJNAM, ("length", const(10))),
    "qzvgsln": sample(S, DBKEY, OBJNAM, ("length", cell(0))),

    # Missing values
    "qzvsnm": sample(S, ("nctran", const(1.5)), ("ndtran", const(2.5)), ("natran", const(3.5)),
                     ("nmistt", reals())),
    "qzvspm": sample(S, ("nctran", const(1.5)), ("ndtran", const(2.5)), ("natran", const(3.5)),
                     ("pmistt", reals())),
    "qzvsbm": sample(S, ("nctran", const(1)), ("ndtran", const(2)), ("natran", const(3)),
                     ("bmistt", ints())),
    "qzvsdm": sample(S, ("nctran", const(1)), ("ndtran", const(2)), ("natran", const(3)),
                     ("dmistt", ints())),
    "qzvisnm": sample(S, ("value", const(1.5)), ("ismiss", cell(0))),
    "qzvispm": sample(S, ("value", const(1.5)), ("ismiss", cell(0))),
    "qzvisbm": sample(S, ("value", const(1)), ("ismiss", cell(0))),
    "qzvisdm": sample(S, ("value", const(1)), ("ismiss", cell(0))),
    "qzvissm": sample(S, ("value", cell("text")), ("ismiss", cell(0))),

    # Typed reads and writes
    "zavo_get_numerics": extended_values(reals()),
    "zavo_get_precisions": extended_values(reals()),
    "zavo_get_booleans": extended_values(ints()),
    "zavo_get_dates": extended_values(ints()),
    "zavo_get_strings": sample(DBKEY, OBJNAM, RANGE, ("strary", texts()),
                               ("inlenary", ints(value=4)), ("outlenary", ints()), **OVER_3),
    "zavo_write_numerics": extended_values(reals()),
    "zavo_write_precisions": extended_values(reals()),
    "zavo_write_booleans": extended_values(ints()),
    "zavo_write_dates": sample(DBKEY, OBJNAM, RANGE, ("value_type", const(6)),
                               ("valary", ints()), **OVER_3),
    "zavo_write_strings": sample(DBKEY, OBJNAM, RANGE, ("strary", texts("ab")), **OVER_3),
    "zavo_len_strings": sample(DBKEY, OBJNAM, RANGE, ("lenary", ints()), **OVER_3),

    # Year-period reads and typed writes
    "qzvrdfa_int": year_period_read(ints(), ints()),
    "qzvrdfa_float": year_period_read(reals(), reals()),
    "qzvrdfa_double": year_period_read(reals(), reals()),
    "qzvwrmt_int": typed_write(ints(), ints()),
    "qzvwrmt_float": typed_write(reals(), reals()),
    "qzvwrmt_double": typed_write(reals(), reals()),
}
