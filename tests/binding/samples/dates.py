"""Samples: dates, frequencies, index and time conversions, literals."""
from . import cell, const, sample

S = ("status", cell(None))
FREQ = ("freq", const(129))
DATE = ("date", const(100))
DATE_CELL = ("date", cell(0))


def ints(*names):
    return [(name, const(1)) for name in names]


def cells(*names):
    return [(name, cell(0)) for name in names]


SAMPLES = {
    # Date conversions
    "qzvdatd": sample(S, FREQ, DATE, *cells("year", "month", "day")),
    "qzvddat": sample(S, FREQ, DATE_CELL, *ints("year", "month", "day")),
    "qzvdatp": sample(S, FREQ, DATE, *cells("year", "period")),
    "qzvpdat": sample(S, FREQ, DATE_CELL, *ints("year", "period")),
    "qzvdatf": sample(S, FREQ, DATE, *cells("year", "period"), *ints("fmonth", "flabel")),
    "qzvfdat": sample(S, FREQ, DATE_CELL, *ints("year", "period", "fmonth", "flabel")),
    "qzvdatt": sample(S, FREQ, DATE, *cells("hour", "minute", "second", "ddate")),
    "qzvtdat": sample(S, FREQ, DATE_CELL, *ints("hour", "minute", "second", "ddate")),
    "qzvdatl": sample(S, FREQ, DATE, ("datstr", cell(" " * 12)), *ints("fmonth", "flabel")),
    "qzvldat": sample(S, FREQ, DATE_CELL, ("datstr", cell("2000M1")),
                      *ints("fmonth", "flabel", "centry")),
    "qzvdati": sample(S, FREQ, DATE, ("datstr", cell(" " * 12)), ("image", cell("<YEAR>")),
                      *ints("fmonth", "flabel")),
    "qzvidat": sample(S, FREQ, DATE_CELL, ("datstr", cell("2000")), ("image", cell("<YEAR>")),
                      *ints("fmonth", "flabel", "centry")),
    "qzvtody": sample(S, FREQ, DATE_CELL),
    "qzvislp": sample(S, ("year", const(2000)), ("leap", cell(0))),
    # Frequencies and calendars
    "qzvpfrq": sample(S, ("freq", cell(0)), *ints("base", "nunits", "year", "month")),
    "qzvufrq": sample(S, FREQ, *cells("base", "nunits", "year", "month")),
    "qzvfdiv": sample(S, *ints("freq1", "freq2"), ("flag", cell(0))),
    "qzvchfr": sample(S, *ints("sfreq", "sdate", "select", "tfreq"), ("tdate", cell(0)),
                      ("relate", const(1))),
    "qzvwkdy": sample(S, FREQ, DATE, ("wkdy", cell(0))),
    "qzvbwdy": sample(S, FREQ, DATE, ("biwkdy", cell(0))),
    "qzvpind": sample(S, FREQ, ("count", cell(0))),
    "qzvpinm": sample(S, FREQ, *ints("year", "month"), ("count", cell(0))),
    "qzvpiny": sample(S, FREQ, ("year", const(2000)), ("count", cell(0))),
    # Index and time conversions
    "zavo_year_period_to_index": sample(FREQ, DATE_CELL, *ints("year", "period")),
    "zavo_index_to_year_period": sample(FREQ, DATE, *cells("year", "period")),
    "zavo_index_to_day": sample(FREQ, DATE, *cells("year", "month", "day")),
    "zavo_day_to_index": sample(FREQ, DATE_CELL, *ints("year", "month", "day", "relate")),
    "zavo_index_to_time": sample(FREQ, DATE, *cells("year", "month", "day", "hour", "minute",
                                                    "second", "millisecond")),
    "zavo_time_to_index": sample(FREQ, DATE_CELL, *ints("year", "month", "day", "hour", "minute",
                                                        "second", "millisecond", "relate")),
    "zavo_int_to_index": sample(("indexes32", cell(5)), ("indexes64", cell(0)),
                                ("numobs", const(1))),
    "zavo_index_to_int": sample(("indexes64ary", lambda: [1, 2, 3]),
                                ("indexes32ary", lambda: [0, 0, 0]), ("numobs", const(3))),
    "zavo_current_time": sample(FREQ, DATE_CELL),
    "zavo_date_missing_type": sample(DATE, ("missing_type", cell(0))),
    "zavo_weekday": sample(FREQ, DATE, ("weekday", cell(0))),
    "zavo_biweekday": sample(FREQ, DATE, ("biweekday", cell(0))),
    "zavo_dateof": sample(*ints("from_freq", "from_date", "select", "to_freq"),
                          ("to_date", cell(0)), ("relate", const(1))),
    "zavo_parse_frequency": sample(("freq", cell(0)), ("frequency_spec", cell("MONTHLY"))),
    "zavo_get_base_frequency": sample(("base_freq", cell(0)), FREQ),
    # Date literals and formatting
    "zavo_literal_to_date": sample(FREQ, DATE_CELL, ("literal", cell("2000M1")),
                                   *ints("end_month", "label_year", "century")),
    "zavo_scan_date": sample(FREQ, DATE_CELL, ("string", cell("2000")), ("image", cell("<YEAR>")),
                             *ints("end_month", "label_year", "century")),
    "zavo_date_to_literal": sample(FREQ, DATE, ("literal", cell(" " * 12)),
                                   *ints("end_month", "label_year"), ("inlen", const(12)),
                                   ("outlen", cell(0))),
    "zavo_format_date": sample(FREQ, DATE, ("string", cell(" " * 12)), ("image", cell("<YEAR>")),
                               *ints("end_month", "label_year"), ("inlen", const(12)),
                               ("outlen", cell(0))),
}
