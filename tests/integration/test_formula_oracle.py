"""The time-series functions and operators of the expression language
against pandas computing the same on random series with missing values.

Missing values: pandas marks them NaN; the engine's missing codes (NC, ND,
NA) must stand exactly where pandas has NaN, and the values elsewhere must
agree. Division by zero, which pandas turns into an infinity, is NC here."""

import math

import numpy as np
import pandas as pd
import pytest
from hypothesis import HealthCheck, given, settings, strategies as st

from helpers import call

JAN2020 = 600

number = st.floats(min_value=-1e6, max_value=1e6, allow_nan=False).map(lambda x: round(x, 3))
series = st.lists(st.one_of(number, number, number, st.none()), min_size=1, max_size=30)
small = st.integers(min_value=1, max_value=4)


@pytest.fixture
def db(session, tmp_path):
    key = [0]
    assert call(session.qzvopdb, key, [str(tmp_path / "oracle.db")], session.HCMODE) == session.HSUCC
    yield key[0]
    session.qzvcldb([0], key[0])


def rng(p, first, last, freq):
    r = [0, 0, 0]
    assert p.zavo_init_range_from_indexes(r, freq, first, last) == p.HSUCC
    return r


def store(p, key, name, values):
    assert call(p.qzvdlob, key, [name]) in (p.HSUCC, p.HNOOBJ)  # no values left from an earlier example
    assert call(p.qzvnwob, key, [name], p.HSERIE, p.HMONTH, p.HPRECN, 0, 0) == p.HSUCC
    stored = [p.FPRCNA() if v is None else v for v in values]
    assert p.zavo_write_precisions(key, [name], rng(p, JAN2020, JAN2020 + len(values) - 1, p.HMONTH), stored) == p.HSUCC


def evaluate(p, key, text, n, freq=None, first=JAN2020):
    """The formula's values over n observations from `first`: floats, None
    for a missing value, and the missing codes seen."""
    freq = freq or p.HMONTH
    assert p.zavo_modify_formula(key, ["F"], [text]) == p.HSUCC
    out = [0.0] * n
    assert p.zavo_get_precisions(key, ["F"], rng(p, first, first + n - 1, freq), out) == p.HSUCC
    codes = {p.FPRCNC(): "NC", p.FPRCND(): "ND", p.FPRCNA(): "NA"}
    return [None if v in codes else v for v in out], [codes.get(v) for v in out]


def scalar(p, key, text):
    assert p.zavo_modify_formula(key, ["F"], [text]) == p.HSUCC
    out = [0.0]
    assert p.zavo_get_precisions(key, ["F"], None, out) == p.HSUCC
    return None if out[0] in (p.FPRCNC(), p.FPRCND(), p.FPRCNA()) else out[0]


def expect_same(got, want, text):
    want = [None if (w is None or not math.isfinite(w)) else float(w) for w in want]
    assert [g is None for g in got] == [w is None for w in want], (text, got, want)
    for g, w in zip(got, want):
        if w is not None:
            assert g == pytest.approx(w, rel=1e-9, abs=1e-6), (text, got, want)


def frame(values):
    return pd.Series([np.nan if v is None else v for v in values], dtype="float64")


@pytest.fixture
def ready(session, db):
    assert session.zavo_create_formula(db, ["F"], ["1"]) == session.HSUCC
    return session, db


ELEMENTWISE = {
    "A + B": lambda a, b: a + b,
    "A - B": lambda a, b: a - b,
    "A * B": lambda a, b: a * b,
    "A / B": lambda a, b: (a / b).where(b != 0),
    "abs(A) ^ 0.5": lambda a, b: a.abs() ** 0.5,
    "IF A > B THEN A ELSE B": lambda a, b: a.where(a > b, b).where(a.notna() & b.notna()),
    "replacemissing(A, B)": lambda a, b: a.fillna(b),
    "round(A / 7, 2)": lambda a, b: (a / 7).map(lambda x: math.copysign(math.floor(abs(x) * 100 + 0.5) / 100, x) if pd.notna(x) else x),
}


@settings(max_examples=40, deadline=None, suppress_health_check=[HealthCheck.function_scoped_fixture])
@given(pair=st.integers(1, 30).flatmap(lambda n: st.tuples(
    st.lists(st.one_of(number, st.none()), min_size=n, max_size=n),
    st.lists(st.one_of(number, st.just(0.0), st.none()), min_size=n, max_size=n))))
def test_elementwise_operators(ready, pair):
    p, key = ready
    a_values, b_values = pair
    store(p, key, "A", a_values)
    store(p, key, "B", b_values)
    a, b = frame(a_values), frame(b_values)
    for text, oracle in ELEMENTWISE.items():
        got, kinds = evaluate(p, key, text, len(a_values))
        expect_same(got, list(oracle(a, b)), text)
    _, kinds = evaluate(p, key, "A / B", len(a_values))
    for av, bv, kind in zip(a_values, b_values, kinds):
        if av is None or bv is None:
            assert kind == "NA", "a missing operand's own kind"
        elif bv == 0:
            assert kind == "NC", "division by zero"


@settings(max_examples=40, deadline=None, suppress_health_check=[HealthCheck.function_scoped_fixture])
@given(values=series, k=small)
def test_time_series_functions(ready, values, k):
    p, key = ready
    store(p, key, "A", values)
    a = frame(values)
    n = len(values)
    rows = {
        f"lag(A, {k})": a.shift(k),
        f"lead(A, {k})": a.shift(-k),
        f"diff(A, {k})": a.diff(k),
        f"pct(A, {k})": (a / a.shift(k) - 1).where(a.shift(k) != 0) * 100,
        "cumsum(A)": a.cumsum(),
        f"movsum(A, {k})": a.rolling(k).sum(),
        f"movavg(A, {k})": a.rolling(k).mean(),
        "IF ismissing(A) THEN 1 ELSE 0": a.isna().astype(float),
    }
    for text, want in rows.items():
        got, _ = evaluate(p, key, text, n)
        expect_same(got, list(want), text)
    aggregates = {"sum(A)": a.sum(min_count=1), "avg(A)": a.mean(), "min(A)": a.min(), "max(A)": a.max(),
                  "first(A)": a.dropna().iloc[0] if a.notna().any() else None,
                  "last(A)": a.dropna().iloc[-1] if a.notna().any() else None}
    for text, want in aggregates.items():
        got = scalar(p, key, text)
        if want is None or (isinstance(want, float) and math.isnan(want)):
            assert got is None, text
        else:
            assert got == pytest.approx(want, rel=1e-9, abs=1e-6), text


@settings(max_examples=30, deadline=None, suppress_health_check=[HealthCheck.function_scoped_fixture])
@given(values=series, method=st.sampled_from(["BEGIN", "END", "AVERAGE", "SUM", "HIGH", "LOW"]))
def test_conversion_to_quarters(ready, values, method):
    p, key = ready
    store(p, key, "A", values)
    months = pd.period_range("2020-01", periods=len(values), freq="M")
    a = pd.Series([np.nan if v is None else v for v in values], index=months, dtype="float64")
    full = a.reindex(pd.period_range("2020-01", months[-1].asfreq("Q", "end").asfreq("M", "end"), freq="M"))
    reduce = {"BEGIN": lambda g: g.iloc[0], "END": lambda g: g.iloc[-1], "AVERAGE": lambda g: g.mean(),
              "SUM": lambda g: g.sum(), "HIGH": lambda g: g.max(), "LOW": lambda g: g.min()}[method]
    want = full.groupby(full.index.asfreq("Q")).apply(lambda g: np.nan if g.isna().any() else reduce(g))
    first_quarter = 200  # 2020Q1
    got, _ = evaluate(p, key, f"convert(A, QUARTERLY, {method})", len(want), freq=p.HQTDEC, first=first_quarter)
    expect_same(got, list(want), method)
