"""The engine's calendar against pandas Period and a small datetime oracle.

Runs through the installed module on the embedded engine. Index offsets below are the documented differences between the
engine's index and pandas' ordinal (docs/engine.md, Calendar).
"""
import datetime as dt

import pytest

pd = pytest.importorskip("pandas")
hypothesis = pytest.importorskip("hypothesis")
from hypothesis import given, settings, strategies as st  # noqa: E402

import pyrqx as c  # noqa: E402

pytestmark = pytest.mark.filterwarnings("ignore::FutureWarning")
settings.register_profile("calendar", max_examples=300, deadline=None)
settings.load_profile("calendar")

MONTHS = ["JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"]
WEEKDAYS = ["SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"]
EPOCH_2036 = dt.datetime(2036, 1, 1)
UNITS_1970_TO_2036 = {"h": 578544, "min": 34712640, "s": 2082758400}


def pandas_frequencies():
    """pandas frequency -> (engine code, index offset, fiscal end month)."""
    table = {"D": (c.HDAILY, 0, 12), "B": (c.HBUSNS, 0, 12), "M": (c.HMONTH, 0, 12)}
    for k, day in enumerate(WEEKDAYS):
        table["W-" + day] = (c.HWKSUN + k, -1 if k < 4 else 0, 12)
    for m, name in enumerate(MONTHS, start=1):
        table["Q-" + name] = (c.HQTOCT + (m - 10) % 3, -((12 - m) // 3) if m < 10 else 0, m)
        table["Y-" + name] = (c.HANJAN + m - 1, 0, m)
    for unit, count in UNITS_1970_TO_2036.items():
        table[unit] = ({"h": c.HHOUR, "min": c.HMIN, "s": c.HSEC}[unit], -count, 12)
    return table


PANDAS = pandas_frequencies()
DAY_BASED = [f for f in PANDAS if f not in UNITS_1970_TO_2036]
# pandas 2 (the one for Python 3.9 and 3.10) bounds a period's start and end
# by nanosecond timestamps, 1677-09-21 to 2262-04-11; pandas 3 spans the
# engine's years 1600 to 2400 asked of it here.
PANDAS_YEARS = (1600, 2400) if int(pd.__version__.split(".")[0]) >= 3 else (1680, 2260)
WIDE_DAYS = st.dates(dt.date(PANDAS_YEARS[0], 1, 1), dt.date(PANDAS_YEARS[1], 12, 31))


@pytest.fixture(scope="module", autouse=True)
def calendar_session():
    status = [0]
    c.qzvini(status)
    assert status[0] in (c.HSUCC, c.HINITD)
    yield


def ok(status):
    assert status == c.HSUCC, status


def classic(function, *args):
    status = [-1]
    function(status, *args)
    return status[0]


def day_index(code, day, relate=None):
    idx = [0]
    ok(c.zavo_day_to_index(code, idx, day.year, day.month, day.day, relate or c.HCONT))
    return idx[0]


def daily_ordinal(when):
    return pd.Period(when, freq="D").ordinal


def engine_day(code, idx, select):
    out = [0]
    ok(c.zavo_dateof(code, idx, select, c.HDAILY, out, c.HCONT))
    return out[0]


def pandas_year_period(freq, p):
    if freq.startswith("Q-"):
        return p.qyear, p.quarter
    if freq.startswith("Y-"):
        return p.year, 1
    if freq == "M":
        return p.year, p.month
    if freq == "D":
        return p.year, p.day_of_year
    return None


# ---- pandas: daily and coarser ---------------------------------------------


@given(day=WIDE_DAYS, freq=st.sampled_from(DAY_BASED))
def test_day_based_frequencies_agree_with_pandas(day, freq):
    code, offset, fmonth = PANDAS[freq]
    p = pd.Period(day, freq=freq)
    idx = day_index(code, day, c.HAFTER)  # pandas puts a weekend day on the next business day
    assert idx == p.ordinal + offset
    y, m, d = [0], [0], [0]
    ok(c.zavo_index_to_day(code, idx, y, m, d))
    end = p.end_time.date()
    assert (y[0], m[0], d[0]) == (end.year, end.month, end.day)
    assert engine_day(code, idx, c.HBEGIN) == daily_ordinal(p.start_time)
    assert engine_day(code, idx, c.HEND) == daily_ordinal(p.end_time)
    expected = pandas_year_period(freq, p)
    if expected:
        year, period = [0], [0]
        ok(classic(c.qzvdatf, code, idx, year, period, fmonth, c.HFYLST))
        assert (year[0], period[0]) == expected


# ---- pandas: intraday ------------------------------------------------------

SPANS = {"h": PANDAS_YEARS, "min": PANDAS_YEARS, "s": (1970, 2100)}


@given(data=st.data(), unit=st.sampled_from(sorted(SPANS)))
def test_intraday_frequencies_agree_with_pandas(data, unit):
    first, last = SPANS[unit]
    when = data.draw(st.datetimes(dt.datetime(first, 1, 1), dt.datetime(last, 12, 31, 23, 59, 59)))
    code, offset, _ = PANDAS[unit]
    p = pd.Period(when, freq=unit)
    idx = [0]
    ok(c.zavo_time_to_index(code, idx, when.year, when.month, when.day, when.hour, when.minute, when.second,
                            when.microsecond // 1000, c.HCONT))
    assert idx[0] == p.ordinal + offset
    parts = [[0] for _ in range(7)]
    ok(c.zavo_index_to_time(code, idx[0], *parts))
    start = p.start_time
    assert [x[0] for x in parts] == [start.year, start.month, start.day, start.hour, start.minute, start.second, 0]
    assert engine_day(code, idx[0], c.HBEGIN) == daily_ordinal(start)


# ---- pandas: frequency change ----------------------------------------------

MODERN_DAYS = st.dates(dt.date(1971, 1, 1), dt.date(2099, 12, 31))


@given(day=MODERN_DAYS, source=st.sampled_from(DAY_BASED), target=st.sampled_from(sorted(PANDAS)))
def test_frequency_change_agrees_with_asfreq(day, source, target):
    scode, soffset, _ = PANDAS[source]
    tcode, toffset, _ = PANDAS[target]
    p = pd.Period(day, freq=source)
    idx = p.ordinal + soffset
    # A source lying wholly between business days: pandas takes the business
    # day before as its start and the one after as its end.
    in_gap = target == "B" and source == "D" and day.weekday() >= 5
    rules = {"s": (c.HBEGIN, c.HBEFOR if in_gap else c.HAFTER), "e": (c.HEND, c.HAFTER if in_gap else c.HBEFOR)}
    for how, (select, relate) in rules.items():
        out = [0]
        ok(c.zavo_dateof(scode, idx, select, tcode, out, relate))
        assert out[0] == p.asfreq(target, how).ordinal + toffset, how
        tdate = [0]
        ok(classic(c.qzvchfr, scode, idx, select, tcode, tdate, relate))
        assert tdate[0] == out[0]


# ---- the datetime oracle: frequencies pandas lacks -------------------------


def month_index(year, month):
    return year * 12 + month - 1


def oracle_month_span(months, end_months):
    """Periods of `months` months ending in the given months of the year."""

    def locate(day):
        mi = month_index(day.year, day.month)
        end = next(k for k in range(mi, mi + months) if k % 12 + 1 in end_months)
        origin = next(k for k in range(month_index(1970, 1), month_index(1970, 1) + months) if k % 12 + 1 in end_months)
        return (end - origin) // months, end

    def bounds(day):
        _, end = locate(day)
        first = end - months + 1
        last_day = dt.date(end // 12, end % 12 + 1, 1) + dt.timedelta(days=31)
        return dt.date(first // 12, first % 12 + 1, 1), last_day.replace(day=1) - dt.timedelta(days=1)

    return lambda day: (locate(day)[0], *bounds(day))


def oracle_split(starts):
    """Each month cut at the given days of the month."""

    def period(day):
        part = max(k for k, s in enumerate(starts) if s <= day.day)
        index = (month_index(day.year, day.month) - month_index(1970, 1)) * len(starts) + part
        first = day.replace(day=starts[part])
        if part + 1 < len(starts):
            last = day.replace(day=starts[part + 1] - 1)
        else:
            last = (day.replace(day=28) + dt.timedelta(days=4)).replace(day=1) - dt.timedelta(days=1)
        return index, first, last

    return period


def oracle_biweekly(cycle_day):
    """Fourteen-day periods ending on day `cycle_day` (1..14) of the cycle
    that starts on Sunday 1969-12-28."""
    anchor = dt.date(1969, 12, 28)

    def period(day):
        end = day + dt.timedelta(days=(cycle_day - 1 - (day - anchor).days) % 14)
        first_end = dt.date(1970, 1, 1) + dt.timedelta(days=(cycle_day - 1 - 4) % 14)
        return (end - first_end).days // 14, end - dt.timedelta(days=13), end

    return period


def oracle_years_per_period(years, end_month, some_end_year):
    def period(day):
        end_year = day.year if day.month <= end_month else day.year + 1
        end_year += (some_end_year - end_year) % years
        origin = 1970 + (some_end_year - 1970) % years
        last = dt.date(end_year, end_month, 1) + dt.timedelta(days=31)
        first_month = month_index(end_year, end_month) - 12 * years + 1
        return ((end_year - origin) // years, dt.date(first_month // 12, first_month % 12 + 1, 1),
                last.replace(day=1) - dt.timedelta(days=1))

    return period


def compose(base, nunits, year=0, month=0):
    code = [0]
    ok(classic(c.qzvpfrq, code, base, nunits, year, month))
    return code[0]


ORACLES = {
    "TENDAY": (c.HTENDA, oracle_split([1, 11, 21])),
    "TWICEMONTHLY": (c.HTWICM, oracle_split([1, 16])),
    "BIMONTHLY(DEC)": (c.HBIMON, oracle_month_span(2, {2, 4, 6, 8, 10, 12})),
    "BIMONTHLY(NOV)": (c.HBMNOV, oracle_month_span(2, {1, 3, 5, 7, 9, 11})),
    **{f"SEMIANNUAL({MONTHS[m - 1]})": (c.HSMJUL + m - 7, oracle_month_span(6, {m, m - 6})) for m in range(7, 13)},
    **{f"BIWEEKLY({ab}{WEEKDAYS[w]})": (c.HWASUN + 7 * k + w, oracle_biweekly(7 * k + w + 1))
       for k, ab in enumerate("AB") for w in range(7)},
    "3 YEARSPERPERIOD(JUN, 2001)": ((c.HAYPP, 3, 2001, c.HJUN), oracle_years_per_period(3, 6, 2001)),
    "3 PERIODSPERYEAR(JAN)": ((c.HAPPY, 3, 0, c.HJAN), oracle_month_span(4, {1, 5, 9})),
    "3 PERIODSPERYEAR(DEC)": ((c.HAPPY, 3, 0, c.HDEC), oracle_month_span(4, {4, 8, 12})),
}


@given(day=WIDE_DAYS, name=st.sampled_from(sorted(ORACLES)))
def test_frequencies_pandas_lacks_agree_with_the_datetime_oracle(day, name):
    code, oracle = ORACLES[name]
    if isinstance(code, tuple):
        code = compose(*code)
    index, first, last = oracle(day)
    idx = day_index(code, day)
    assert idx == index
    assert engine_day(code, idx, c.HBEGIN) == daily_ordinal(first)
    assert engine_day(code, idx, c.HEND) == daily_ordinal(last)


@given(day=WIDE_DAYS)
def test_week_pattern_counts_only_its_weekdays(day):
    mon_wed_fri = compose(c.HWEEK_PATTERN, (1 << 1) | (1 << 3) | (1 << 5))
    included = lambda d: d.weekday() in (0, 2, 4)  # noqa: E731
    origin = dt.date(1970, 1, 2)  # the first Friday/Monday/Wednesday from 1970-01-01
    weeks, rest = divmod((day - origin).days, 7)
    expected = weeks * 3 + sum(included(origin + dt.timedelta(days=k)) for k in range(rest + 1)) - 1
    idx = [0]
    status = c.zavo_day_to_index(mon_wed_fri, idx, day.year, day.month, day.day, c.HCONT)
    if included(day):
        ok(status)
        assert idx[0] == expected
    else:
        assert status == c.HBDATE
        ok(c.zavo_day_to_index(mon_wed_fri, idx, day.year, day.month, day.day, c.HBEFOR))
        assert idx[0] == expected


@given(when=st.datetimes(dt.datetime(1970, 1, 1), dt.datetime(2100, 12, 31)))
def test_fifteen_minutes_from_the_intraday_epoch(when):
    code = [0]
    ok(c.zavo_parse_frequency(code, ["15 MINUTELY"]))
    idx = [0]
    ok(c.zavo_time_to_index(code[0], idx, when.year, when.month, when.day, when.hour, when.minute, when.second, 0,
                            c.HCONT))
    assert idx[0] == (when - EPOCH_2036) // dt.timedelta(minutes=15)


# ---- round trips and statuses through the C interface ---------------------


def all_frequencies():
    codes = []
    for code in range(1, 256):
        parts = [[0], [0], [0], [0]]
        if classic(c.qzvufrq, code, *parts) == c.HSUCC:
            codes.append(code)
    return codes + [compose(c.HMIN, 15), compose(c.HMSEC, 250), compose(c.HAYPP, 3, 2001, c.HJUN),
                    compose(c.HWEEK_PATTERN, 0x2A), compose(c.HAPPY, 3, 0, c.HJAN)]


def test_every_frequency_constant_is_valid_and_decomposes_exactly():
    codes = all_frequencies()
    assert len(codes) == 57 + 5
    for code in codes:
        parts = [[0], [0], [0], [0]]
        ok(classic(c.qzvufrq, code, *parts))
        assert compose(*[p[0] for p in parts]) == code
        base = [0]
        ok(c.zavo_get_base_frequency(base, code))
        assert base[0] == parts[0][0]


@pytest.mark.parametrize("count", [1, 2, 3, 4, 6, 12, 24, 36])
def test_periods_per_year_build_stable_codes_that_round_trip(count):
    for month in range(0, 13):
        code = compose(c.HAPPY, count, 0, month)
        assert compose(c.HAPPY, count, 0, month) == code
        parts = [[0], [0], [0], [0]]
        ok(classic(c.qzvufrq, code, *parts))
        assert compose(*[p[0] for p in parts]) == code
        periods = [0]
        ok(classic(c.qzvpiny, code, 2021, periods))
        assert periods[0] == count
    parsed = [0]
    ok(c.zavo_parse_frequency(parsed, [f"{count} PERIODSPERYEAR(MAR)"]))
    assert parsed[0] == compose(c.HAPPY, count, 0, c.HMAR)


@pytest.mark.parametrize("text,full", [("TEN", "TENDAY"), ("DAI", "DAILY"), ("ann(jun)", "ANNUAL(JUNE)"),
                                       ("2 MIN", "2 MINUTELY"), ("BIWEEKLY(AFR)", "BIWEEKLY(AFRIDAY)"),
                                       ("SEMI ANNUAL", "SEMIANNUAL"), (" D A I L Y ", "DAILY")])
def test_frequency_names_by_three_letters_and_with_blanks(text, full):
    short, long = [0], [0]
    ok(c.zavo_parse_frequency(short, [text]))
    ok(c.zavo_parse_frequency(long, [full]))
    assert short[0] == long[0]


def text_cell(n=40):
    return [" " * n]


@given(data=st.data())
def test_every_conversion_pair_round_trips(data):
    code = data.draw(st.sampled_from(all_frequencies()))
    when = data.draw(st.datetimes(dt.datetime(1, 1, 1), dt.datetime(9999, 12, 31, 23, 59, 59)))
    fmonth = data.draw(st.integers(1, 12))
    flabel = data.draw(st.sampled_from([c.HFYFST, c.HFYLST, c.HFYAUT]))
    if code == c.HCASEX:  # undated: only its literal, a case number
        number = data.draw(st.integers(-(2**31) + 3, 2**31 - 1))
        literal, out = text_cell(), [0]
        ok(classic(c.qzvdatl, code, number, literal, fmonth, flabel))
        ok(classic(c.qzvldat, code, out, literal, fmonth, flabel, 20))
        assert out == [number] and literal == [str(number)]
        return
    idx = [0]
    status = c.zavo_time_to_index(code, idx, when.year, when.month, when.day, when.hour, when.minute, when.second,
                                  when.microsecond // 1000, c.HBEFOR)
    if status == c.HBDATE:  # outside this frequency's span (intraday, or the calendar's very ends)
        return
    ok(status)
    date = idx[0]

    def back(value):
        assert value[0] == date

    literal, outlen = text_cell(), [0]
    ok(c.zavo_date_to_literal(code, date, literal, fmonth, flabel, 40, outlen))
    assert outlen[0] == len(literal[0])
    out = [0]
    ok(c.zavo_literal_to_date(code, out, literal, fmonth, flabel, 20))
    back(out)
    datstr = text_cell()
    ok(classic(c.qzvdatl, code, date, datstr, fmonth, flabel))
    assert datstr == literal
    out = [0]
    ok(classic(c.qzvldat, code, out, datstr, fmonth, flabel, 20))
    back(out)

    image = ["DY DD MON YYYY HH:MI:SS.FFF"]
    text, outlen = text_cell(), [0]
    ok(c.zavo_format_date(code, date, text, image, fmonth, flabel, 40, outlen))
    out = [0]
    ok(c.zavo_scan_date(code, out, text, image, fmonth, flabel, 20))
    back(out)
    assert image == ["DY DD MON YYYY HH:MI:SS.FFF"]

    year, period = [0], [0]
    status = classic(c.qzvdatf, code, date, year, period, fmonth, flabel)
    if status != c.HBPER:  # millisecond period numbers pass 32 bits
        ok(status)
        out = [0]
        ok(classic(c.qzvfdat, code, out, year[0], period[0], fmonth, flabel))
        back(out)
        ok(c.zavo_index_to_year_period(code, date, year, period))
        out = [0]
        ok(c.zavo_year_period_to_index(code, out, year[0], period[0]))
        back(out)

    parts = [[0] for _ in range(7)]
    ok(c.zavo_index_to_time(code, date, *parts))
    out = [0]
    ok(c.zavo_time_to_index(code, out, *[p[0] for p in parts], c.HCONT))
    back(out)
    y, m, d = [0], [0], [0]
    ok(classic(c.qzvdatd, code, date, y, m, d))
    assert (y[0], m[0], d[0]) == tuple(p[0] for p in parts[:3])


BAD_INPUTS = [
    ("bad frequency", lambda: c.zavo_day_to_index(12345, [0], 2020, 1, 1, c.HCONT), c.HBFREQ),
    ("undefined frequency", lambda: classic(c.qzvdatp, c.HUNDFX, 0, [0], [0]), c.HBFREQ),
    ("year before 1", lambda: c.zavo_day_to_index(c.HDAILY, [0], 0, 1, 1, c.HCONT), c.HBYEAR),
    ("year after 9999", lambda: classic(c.qzvpdat, c.HQTDEC, [0], 10000, 1), c.HBYEAR),
    ("day 31 of a 30-day month", lambda: classic(c.qzvddat, c.HDAILY, [0], 2020, 4, 31), c.HBDAY),
    ("month 13", lambda: classic(c.qzvddat, c.HDAILY, [0], 2020, 13, 1), c.HBMONT),
    ("period 5 of a quarter year", lambda: classic(c.qzvpdat, c.HQTDEC, [0], 2020, 5), c.HBPER),
    ("a Saturday in business days", lambda: classic(c.qzvddat, c.HBUSNS, [0], 2020, 1, 4), c.HBDATE),
    ("missing index", lambda: classic(c.qzvdatd, c.HDAILY, -(2**31), [0], [0], [0]), c.HBDATE),
    ("secondly beyond its span", lambda: c.zavo_time_to_index(c.HSEC, [0], 2200, 1, 1, 0, 0, 0, 0, c.HCONT),
     c.HBDATE),
    ("bad time", lambda: c.zavo_time_to_index(c.HMIN, [0], 2020, 1, 1, 24, 0, 0, 0, c.HCONT), c.HBTIME),
    ("bad relate", lambda: c.zavo_day_to_index(c.HDAILY, [0], 2020, 1, 1, 7), c.HBREL),
    ("bad select", lambda: c.zavo_dateof(c.HDAILY, 0, 9, c.HMONTH, [0], c.HCONT), c.HBSEL),
    ("bad fiscal month", lambda: classic(c.qzvdatf, c.HMONTH, 0, [0], [0], 13, c.HFYLST), c.HBFMON),
    ("bad fiscal label", lambda: classic(c.qzvdatf, c.HMONTH, 0, [0], [0], 3, 0), c.HBFLAB),
    ("bad literal", lambda: c.zavo_literal_to_date(c.HQTDEC, [0], ["2020Z1"], 12, c.HFYLST, 20), c.HBDATE),
    ("literal period 5", lambda: classic(c.qzvldat, c.HQTDEC, [0], ["2020Q5"], 12, c.HFYLST, 20), c.HBPER),
    ("literal day 30 of February", lambda: c.zavo_literal_to_date(c.HDAILY, [0], ["2020-02-30"], 12, 2, 20),
     c.HBDAY),
    ("bad picture", lambda: c.zavo_format_date(c.HDAILY, 0, [" " * 20], ["YYYY-QQ"], 12, 2, 20, [0]), c.HBADVAL),
    ("unterminated quote", lambda: classic(c.qzvdati, c.HDAILY, 0, [" " * 20], ['"x'], 12, 2), c.HBADVAL),
    ("text not in the picture", lambda: c.zavo_scan_date(c.HDAILY, [0], ["2020/01/01"], ["YYYY-MM-DD"], 12, 2,
                                                         20), c.HBDATE),
    ("bad frequency text", lambda: c.zavo_parse_frequency([0], ["WEEKLY(FUNDAY)"]), c.HBFREQ),
    ("bad unit count", lambda: classic(c.qzvpfrq, [0], c.HMIN, 7, 0, 0), c.HBUNIT),
    ("leap year out of span", lambda: classic(c.qzvislp, 0, [0]), c.HBYEAR),
    ("range ends before it starts", lambda: c.zavo_init_range_from_indexes([0, 0, 0], c.HDAILY, 10, 9), c.HBRNG),
    ("range starts at a missing index", lambda: c.zavo_init_range_from_indexes([0, 0, 0], c.HDAILY, -(2**31), 9),
     c.HBSRNG),
    ("range ends at a missing index", lambda: c.zavo_init_range_from_indexes([0, 0, 0], c.HDAILY, 0, -(2**31) + 2),
     c.HBERNG),
    ("range of a bad frequency", lambda: c.zavo_get_range_numobs([99999, 1, 2], [0]), c.HBFREQ),
    ("range with no observations", lambda: c.zavo_init_range_from_start_numobs([0, 0, 0], c.HDAILY, 5, 0), c.HBNRNG),
    ("range past the span", lambda: c.zavo_init_range_from_end_numobs([0, 0, 0], c.HSEC, -(2**31) + 10, 20),
     c.HBNRNG),
    ("range from a bad period", lambda: classic(c.qzvsrng, c.HQTDEC, [2020], [5], [2021], [1], [0, 0, 0], [0]),
     c.HBSRNG),
    ("range to a bad period", lambda: classic(c.qzvsrng, c.HQTDEC, [2020], [1], [2021], [0], [0, 0, 0], [0]),
     c.HBERNG),
    ("negative length", lambda: c.zavo_date_to_literal(c.HDAILY, 0, [""], 12, 2, -1, [0]), c.HBLEN),
    ("null range", lambda: c.zavo_init_range_from_indexes(None, c.HDAILY, 0, 1), c.HNULLP),
]


@pytest.mark.parametrize("call,status", [pytest.param(f, s, id=name) for name, f, s in BAD_INPUTS])
def test_bad_inputs_give_their_statuses(call, status):
    assert call() == status


ERROR_TEXTS = [
    ("frequency", lambda: c.zavo_day_to_index(12345, [0], 2020, 1, 1, c.HCONT),
     "zavo_day_to_index: 12345 is not a valid frequency"),
    ("day", lambda: classic(c.qzvddat, c.HDAILY, [0], 2020, 4, 31), "qzvddat: day 31 is not in month 4 of 2020"),
    ("literal", lambda: c.zavo_literal_to_date(c.HQTDEC, [0], ["2020Z1"], 12, c.HFYLST, 20), "'2020Z1'"),
    ("monthly literal", lambda: c.zavo_literal_to_date(c.HMONTH, [0], ["March 2024"], 12, c.HFYLST, 20),
     "zavo_literal_to_date: 'March 2024' is not a MONTHLY literal: expected a form like 2024M03"),
    ("unit count", lambda: classic(c.qzvpfrq, [0], c.HMIN, 7, 0, 0), "nunits 7"),
    ("range end", lambda: classic(c.qzvsrng, c.HQTDEC, [2020], [1], [2021], [0], [0, 0, 0], [0]), "no period 0"),
]


@pytest.mark.parametrize("call,named", [pytest.param(f, t, id=name) for name, f, t in ERROR_TEXTS])
def test_error_texts_name_the_value_at_fault(call, named):
    call()
    length = [0]
    classic(c.qzvlerr, length)
    text = [" " * length[0]]
    classic(c.qzvferr, text)
    assert named in text[0]


def test_outputs_are_untouched_on_failure():
    date, literal = [77], ["2020Q5"]
    classic(c.qzvldat, c.HQTDEC, date, literal, 12, c.HFYLST, 20)
    assert date == [77] and literal == ["2020Q5"]
    rng = [1, 2, 3]
    c.zavo_init_range_from_indexes(rng, c.HDAILY, 10, 9)
    assert rng == [1, 2, 3]


def test_ranges_from_periods_indexes_and_counts():
    rng, numobs = [0, 0, 0], [0]
    ok(classic(c.qzvsrng, c.HQTDEC, [2020], [1], [2021], [4], rng, numobs))
    first = [0]
    ok(c.zavo_year_period_to_index(c.HQTDEC, first, 2020, 1))
    assert rng == [c.HQTDEC, first[0], first[0] + 7] and numobs == [8]
    fiscal = [0, 0, 0]
    ok(classic(c.qzvsfis, c.HQTDEC, [2021], [1], [2021], [4], fiscal, numobs, c.HMAR, c.HFYLST))
    assert fiscal[1] == first[0] + 1 and numobs == [4]  # April-June 2020 opens fiscal 2021
    for make in (c.zavo_init_range_from_start_numobs,):
        ok(make(rng, c.HMONTH, 600, 12))
        assert rng == [c.HMONTH, 600, 611]
    ok(c.zavo_init_range_from_end_numobs(rng, c.HMONTH, 611, 12))
    assert rng == [c.HMONTH, 600, 611]
    ok(c.zavo_init_range_from_indexes(rng, c.HMONTH, 600, 600))
    ok(c.zavo_get_range_numobs(rng, numobs))
    assert numobs == [1]
    ok(classic(c.qzvsrng, c.HCASEX, [0], [1], [0], [10], rng, numobs))
    assert rng == [c.HCASEX, 1, 10] and numobs == [10]


def test_text_never_exceeds_the_buffer():
    date = [0]
    ok(c.zavo_literal_to_date(c.HDAILY, date, ["2020-07-31"], 12, 2, 20))
    cell = ["12345"]  # room for five bytes
    assert classic(c.qzvdatl, c.HDAILY, date[0], cell, 12, 2) == c.HTRUNC
    assert cell == ["2020-"]
    cell = [" " * 10]
    ok(classic(c.qzvdatl, c.HDAILY, date[0], cell, 12, 2))
    assert cell == ["2020-07-31"]
    cell, outlen = [" " * 30], [0]
    assert c.zavo_date_to_literal(c.HDAILY, date[0], cell, 12, 2, 4, outlen) == c.HTRUNC
    assert cell == ["2020"] and outlen == [10]
    cell = ["xyz"]
    assert classic(c.qzvdati, c.HDAILY, date[0], cell, ["MONTH D, YYYY"], 12, 2) == c.HTRUNC
    assert cell == ["JUL"]
    cell, outlen = [""], [0]
    assert c.zavo_format_date(c.HDAILY, date[0], cell, ["YYYY"], 12, 2, 0, outlen) == c.HTRUNC
    assert cell == [""] and outlen == [4]


def test_missing_indexes_and_plain_ints():
    kinds = {}
    for value in (-(2**31), -(2**31) + 1, -(2**31) + 2, -(2**31) + 3, 0):
        kind = [9]
        ok(c.zavo_date_missing_type(value, kind))
        kinds[value] = kind[0]
    assert sorted(kinds.values()) == sorted([c.HNCVAL, c.HNDVAL, c.HNAVAL, c.HNMVAL, c.HNMVAL])
    assert kinds[-(2**31) + 3] == kinds[0] == c.HNMVAL
    out = [0]
    ok(c.zavo_int_to_index([12345], out, 1))
    assert out == [12345]
    ints = [0, 0, 0]
    ok(c.zavo_index_to_int([5, -7, -(2**31)], ints, 3))
    assert ints == [5, -7, -(2**31)]
    assert c.zavo_index_to_int([1], [0], -1) == c.HBNRNG


def test_weekdays_counts_and_leap_years():
    idx = [0]
    ok(c.zavo_day_to_index(c.HWKFRI, idx, 2020, 7, 29, c.HCONT))
    wkdy, biwkdy = [0], [0]
    ok(classic(c.qzvwkdy, c.HWKFRI, idx[0], wkdy))
    assert wkdy == [c.HFRI]
    ok(c.zavo_biweekday(c.HWBFRI, 10, biwkdy))
    assert biwkdy == [c.HBFRI]
    count = [0]
    ok(classic(c.qzvpiny, c.HBUSNS, 2020, count))
    assert count == [262]
    ok(classic(c.qzvpinm, c.HDAILY, 2020, 2, count))
    assert count == [29]
    ok(classic(c.qzvpind, c.HHOUR, count))
    assert count == [24]
    flag = [0]
    ok(classic(c.qzvfdiv, c.HMONTH, c.HQTDEC, flag))
    assert flag == [c.HYES]
    ok(classic(c.qzvfdiv, c.HWKFRI, c.HMONTH, flag))
    assert flag == [c.HNO]
    for year, leap in ((2000, c.HYES), (1900, c.HNO), (2024, c.HYES), (2023, c.HNO)):
        out = [0]
        ok(classic(c.qzvislp, year, out))
        assert out == [leap]


def test_today_and_now_are_current():
    today, now = [0], [0]
    ok(classic(c.qzvtody, c.HDAILY, today))
    ok(c.zavo_current_time(c.HSEC, now))
    day = [0]
    ok(c.zavo_dateof(c.HSEC, now[0], c.HBEGIN, c.HDAILY, day, c.HCONT))
    assert day[0] - today[0] in (0, 1)  # midnight may pass between the calls
    assert abs(today[0] - (dt.date.today() - dt.date(1970, 1, 1)).days) <= 1


def test_calls_outside_a_session_report_hninit():
    status = [0]
    c.qzvfin(status)
    try:
        assert c.zavo_weekday(c.HDAILY, 0, [0]) == c.HNINIT
        assert classic(c.qzvislp, 2000, [0]) == c.HNINIT
    finally:
        c.qzvini(status)
    assert status == [c.HSUCC]
