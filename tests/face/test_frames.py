"""pandas and numpy both ways: indexes of every frequency, value kinds,
missing values, arrays with a start."""
import datetime

import numpy as np
import pandas as pd
import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import pyrqx
import rqx

# Every pandas period alias the engine has, with a start pandas reads.
PANDAS_FREQUENCIES = [
    ("D", "2021-02-27"), ("W-SUN", "2021-02-27"), ("W-WED", "2021-02-27"), ("W-SAT", "1969-12-30"),
    ("M", "1969-11"), ("Q-DEC", "2021Q1"), ("Q-NOV", "2021-02"), ("Q-OCT", "1970-01"),
    ("Y-DEC", "2020"), ("Y-JUN", "1960-07"), ("h", "2021-03-28 01:00"), ("min", "1969-12-31 23:58"),
    ("s", "2021-01-01 00:00:59"), ("ms", "2036-01-01 00:00:00.998"), ("15min", "2021-03-28 01:45"),
    ("6h", "1999-12-31 18:00"),
]


@pytest.mark.parametrize("alias,start", PANDAS_FREQUENCIES)
def test_periods_round_trip_for_every_pandas_frequency(db, alias, start):
    index = pd.period_range(start, periods=5, freq=alias)
    db.write("S", pd.Series(np.arange(5.0), index=index))
    back = db.read("S")
    pd.testing.assert_index_equal(back.index, index)
    assert list(back) == [0.0, 1.0, 2.0, 3.0, 4.0]
    # The engine dates each period by its last day, as pandas' end_time does.
    first_day = db["S"].first
    assert first_day  # a literal of the engine
    assert db["S"].span[1] - db["S"].span[0] == 4


@pytest.mark.parametrize("alias,cycle", [("Q-MAR", "Q-DEC"), ("Q-JAN", "Q-OCT"), ("Q-AUG", "Q-NOV")])
def test_fiscal_quarters_come_back_as_the_same_quarters(db, alias, cycle):
    index = pd.period_range("2020-01-01", periods=4, freq=alias)
    db.write("Q", pd.Series([1.0, 2.0, 3.0, 4.0], index=index))
    back = db.read("Q")
    assert back.index.freqstr == cycle
    assert list(back.index.start_time) == list(index.start_time)
    assert list(back.index.end_time) == list(index.end_time)


# Frequencies pandas has no periods for: the index is each period's last day.
OWN_FREQUENCIES = [
    ("TENDAY", ["2021-01-10", "2021-01-20", "2021-01-31", "2021-02-10"]),
    ("TWICEMONTHLY", ["2021-01-15", "2021-01-31", "2021-02-15", "2021-02-28"]),
    ("BIMONTHLY(DECEMBER)", ["2021-02-28", "2021-04-30", "2021-06-30", "2021-08-31"]),
    ("SEMIANNUAL(DECEMBER)", ["2021-06-30", "2021-12-31", "2022-06-30", "2022-12-31"]),
    ("BUSINESS", ["2021-01-29", "2021-02-01", "2021-02-02", "2021-02-03"]),
    ("BIWEEKLY(AFRIDAY)", None),
]


@pytest.mark.parametrize("name,days", OWN_FREQUENCIES)
def test_own_index_is_the_last_day_of_each_period(db, name, days):
    freq = rqx.Frequency(name)
    first = freq_index(freq, datetime.date(2021, 1, 5) if days is None else datetime.date.fromisoformat(days[0]))
    db.write("S", np.array([1.0, 2.0, 3.0, 4.0]), start=first, freq=name)
    back = db.read("S")
    assert isinstance(back.index, pd.DatetimeIndex)
    if days is not None:
        assert [str(d.date()) for d in back.index] == days
    else:
        assert list(np.diff(back.index.values).astype("timedelta64[D]").astype(int)) == [14, 14, 14]
    assert back.attrs["frequency"] == freq.name
    # Slicing by date works as on any DatetimeIndex, and a written-back
    # slice lands on the same periods.
    assert list(back[back.index[1]:back.index[2]]) == [2.0, 3.0]
    db.write("S", back.iloc[1:3] * 10)
    assert list(db.read("S")) == [1.0, 20.0, 30.0, 4.0]


def freq_index(freq, day):
    index = [0]
    assert pyrqx.zavo_day_to_index(freq.code, index, day.year, day.month, day.day, pyrqx.HAFTER) == 0
    return index[0]


def test_case_series_is_indexed_by_case_numbers(db):
    db.write("C", [5.0, 6.0], start=3, freq="CASE")
    back = db.read("C")
    assert list(back.index) == [3, 4] and list(back) == [5.0, 6.0]


VALUE_KINDS = [
    ("precision", pd.Series([1.5, np.nan, -0.0]), "float64"),
    ("numeric", pd.Series([0.1, np.nan, 3.0], dtype="float32"), "float32"),
    ("boolean", pd.Series([True, None, False], dtype="boolean"), "boolean"),
    ("string", pd.Series(["a", None, "ünï"], dtype="string"), "string"),
    ("date", pd.Series(pd.PeriodIndex(["2020-01", None, "2021-12"], freq="M")), "period[M]"),
]


@pytest.mark.parametrize("kind,values,dtype", VALUE_KINDS)
def test_value_kinds_map_to_pandas_dtypes(db, kind, values, dtype):
    index = pd.period_range("2020Q1", periods=3, freq="Q-DEC")
    series = pd.Series(values.array, index=index)
    db.write("V", series)
    back = db.read("V")
    assert str(back.dtype) == dtype
    pd.testing.assert_series_equal(back, series, check_names=False)
    expected_type = kind if kind != "date" else "date:MONTHLY"
    assert db["V"].type == expected_type


def test_integers_are_stored_as_precision(db):
    db.write("I", pd.Series([1, 2, 3], index=pd.period_range("2020", periods=3, freq="Y-DEC")))
    assert db["I"].type == "precision"
    assert list(db.read("I")) == [1.0, 2.0, 3.0]
    with pytest.raises(OverflowError):
        db.write("J", [2 ** 60], start="2020", freq="Y-DEC")


@pytest.mark.parametrize("kind,values", [
    ("precision", [1.0, None, None, None]),
    ("numeric", [1.0, None, None, None]),
    ("boolean", [True, None, None, None]),
    ("string", ["x", None, None, None]),
    (("date", "M"), [pd.Period("2020-05", "M"), None, None, None]),
])
def test_missing_kinds_stay_apart_when_asked(db, kind, values):
    index = pd.period_range("2020-01", periods=4, freq="M")
    dtypes = {"precision": "float64", "numeric": "float32", "boolean": "boolean", "string": "string"}
    frame = pd.DataFrame({"value": pd.array(values, dtype=dtypes.get(kind, "period[M]")),
                          "missing": pd.Categorical([None, "NC", "ND", "NA"], categories=["NC", "ND", "NA"])},
                         index=index)
    db.write("M", frame, type=kind)
    kept = db.read("M", missing="keep")
    assert list(kept["missing"].astype(object).fillna("-")) == ["-", "NC", "ND", "NA"]
    # Through the exact interface the codes are the engine's own.
    assert db.read("M").isna().tolist() == [False, True, True, True]


def test_missing_values_are_written_as_asked(db):
    index = pd.period_range("2020-01", periods=2, freq="M")
    db.write("A", pd.Series([np.nan, 1.0], index=index))
    db.write("B", pd.Series([np.nan, 1.0], index=index), missing_as="NC")
    assert db.values("A")[0] == pyrqx.FPRCNA()
    assert db.values("B")[0] == pyrqx.FPRCNC()
    with pytest.raises(ValueError):
        db.write("C", pd.Series([np.nan], index=index[:1]), missing_as="XX")


def test_gaps_in_the_index_leave_stored_values_alone(db):
    index = pd.period_range("2020-01", periods=5, freq="M")
    db.write("G", pd.Series(np.arange(5.0), index=index))
    db.write("G", pd.Series([10.0, 40.0], index=index[[0, 3]]))
    assert list(db.read("G")) == [10.0, 1.0, 2.0, 40.0, 4.0]


def test_read_window_and_past_the_end_reads_missing(db):
    db.write("W", [1.0, 2.0, 3.0], start="2020M01", freq="M")
    window = db.read("W", start=pd.Period("2020-02", "M"), end="2020M05")
    assert list(window.index.astype(str)) == ["2020-02", "2020-03", "2020-04", "2020-05"]
    assert window.tolist()[:2] == [2.0, 3.0] and window.isna().tolist()[2:] == [True, True]


def test_frequency_mismatch_is_refused(db):
    db.write("F", [1.0], start="2020M01", freq="M")
    with pytest.raises(rqx.TypeMismatchError):
        db.write("F", pd.Series([1.0], index=pd.period_range("2020", periods=1, freq="Y-DEC")))


def test_index_of_another_frequency_is_refused(db):
    months = pd.Series([1.0], index=pd.period_range("2020-01", periods=1, freq="M"))
    with pytest.raises(rqx.TypeMismatchError, match="the index is ANNUAL"):
        db.write("X", pd.Series([1.0], index=pd.period_range("2020", periods=1, freq="Y-DEC")), freq="M")
    with pytest.raises(TypeError, match="columns value and missing"):
        db.write("X", pd.DataFrame({"a": months}))
    assert "X" not in db


def test_write_needs_to_know_where(db):
    with pytest.raises(TypeError, match="start="):
        db.write("X", np.zeros(3), freq="M")
    with pytest.raises(TypeError, match="freq="):
        db.write("X", pd.Series([1.0], index=pd.Index([1])))
    with pytest.raises(ValueError, match="sorted"):
        db.write("X", pd.Series([1.0, 2.0], index=pd.PeriodIndex(["2020-02", "2020-01"], freq="M")))


def test_empty_series_reads_as_empty(db):
    db.create("E", type="precision", freq="M")
    assert len(db.read("E")) == 0 and db.read("E").dtype == "float64"


def test_scalars_read_as_python_values(db):
    db.create("K", type="precision")
    pyrqx.zavo_write_precisions(db.key, ["K"], None, [2.5])
    assert db.read("K") == 2.5


@settings(max_examples=60, deadline=None)
# Values at the far negative end of the range are the engine's missing codes.
@given(values=st.lists(st.one_of(st.none(), st.floats(min_value=-1e308, allow_nan=False)),
                       min_size=1, max_size=40),
       start=st.integers(-1500, 1500),
       alias=st.sampled_from(["D", "W-FRI", "M", "Q-DEC", "Y-DEC", "h", "s"]))
def test_write_then_read_gives_the_same_series(tmp_path_factory, values, start, alias):
    path = str(tmp_path_factory.mktemp("h") / "h.db")
    index = pd.period_range(pd.Period("2000-01-01", freq=alias) + start, periods=len(values), freq=alias)
    series = pd.Series([np.nan if v is None else v for v in values], index=index, dtype="float64")
    with rqx.open(path, "w") as db:
        db.write("H", series)
        back = db.read("H")
    pd.testing.assert_series_equal(back, series, check_names=False)


# Any text but NUL; texts equal to a missing code are the missing values.
@settings(max_examples=40, deadline=None)
@given(texts=st.lists(st.one_of(st.none(), st.text(st.characters(blacklist_categories=("Cs",),
                                                                  blacklist_characters="\x00"))),
                      min_size=1, max_size=20))
def test_strings_survive_write_then_read(tmp_path_factory, texts):
    path = str(tmp_path_factory.mktemp("s") / "s.db")
    series = pd.Series(texts, index=pd.period_range("2020-01", periods=len(texts), freq="M"), dtype="string")
    with rqx.open(path, "w") as db:
        db.write("T", series)
        back = db.read("T")
    pd.testing.assert_series_equal(back, series, check_names=False)
