"""The engine's session: start and end, version, errors, options."""
import ctypes
import math
import os
import re
import subprocess
import sys

import pytest
from helpers import loaded_engine_path


def test_start_twice_and_end_twice(pyrqx, error_text):
    s = [None]
    pyrqx.qzvfin(s)  # whatever an earlier test left running
    pyrqx.qzvini(s)
    assert s == [pyrqx.HSUCC]
    pyrqx.qzvini(s)
    assert s == [pyrqx.HINITD]
    assert error_text() == "qzvini: the session is already running"
    pyrqx.qzvfin(s)
    assert s == [pyrqx.HSUCC]
    pyrqx.qzvfin(s)
    assert s == [pyrqx.HNINIT]
    assert "no session" in error_text()


def test_version_is_a_single_precision_number(session):
    s, v = [None], [0.0]
    session.qzvver(s, v)
    assert s == [session.HSUCC] and v[0] >= 1.0


@pytest.mark.parametrize("name, value, expected", [
    ("BUSY_TIMEOUT", "250", "HSUCC"),
    ("busy_timeout", " 0 ", "HSUCC"),
    ("BUSY_TIMEOUT", "-1", "HBOPTV"),
    ("BUSY_TIMEOUT", "12x", "HBOPTV"),
    ("BUSY_TIMEOUT", "", "HBOPTV"),
    ("DURABILITY", "normal", "HSUCC"),
    ("DURABILITY", "FULL", "HSUCC"),
    ("DURABILITY", "SOMETIMES", "HBOPTV"),
    ("POST_ON_CLOSE", "YES", "HSUCC"),
    ("NO_SUCH_OPTION", "1", "HBOPT"),
    ("", "", "HBOPT"),
])
def test_options(session, error_text, name, value, expected):
    s, n, v = [None], [name], [value]
    session.qzvsopt(s, n, v)
    assert s == [getattr(session, expected)]
    assert (n, v) == ([name], [value])
    if expected == "HBOPT":
        assert error_text() == "qzvsopt: unknown option '%s'" % name
    elif expected == "HBOPTV":
        assert error_text() == "qzvsopt: bad value '%s' for option '%s'" % (value, name)


@pytest.mark.parametrize("flag, expected", [(1, "HSUCC"), (0, "HSUCC"), (2, "HBFLAG"), (-1, "HBFLAG")])
def test_post_on_close_flag(session, flag, expected):
    s = [None]
    session.qzvspos(s, flag)
    assert s == [getattr(session, expected)]


@pytest.mark.parametrize("call", [
    lambda m, s: m.qzvsopt(s, ["BUSY_TIMEOUT"], ["1"]),
    lambda m, s: m.qzvspos(s, 1),
])
def test_calls_outside_a_session_report_not_initialised(pyrqx, error_text, call):
    s = [None]
    pyrqx.qzvfin(s)
    call(pyrqx, s)
    assert s == [pyrqx.HNINIT]
    assert "qzvini" in error_text()


def test_error_text_is_cut_to_the_callers_buffer(session):
    session.qzvsopt([0], ["NO_SUCH_OPTION"], ["1"])
    full = "qzvsopt: unknown option 'NO_SUCH_OPTION'"
    length = [0]
    session.qzvlerr([0], length)
    assert length == [len(full)]
    for room in (0, 5, len(full) - 1, len(full), len(full) + 10):
        s, t = [None], ["#" * room]
        session.qzvferr(s, t)
        assert t[0] == full[:room]
        assert s == [session.HSUCC if room >= len(full) else session.HTRUNC]


@pytest.mark.skipif(not sys.platform.startswith("linux"), reason="finds the library through /proc")
def test_no_function_of_the_interface_is_left_on_its_stub(pyrqx):
    """Every function has an HNSUPP stub that a real definition replaces at
    link time; a stub still exported (a weak symbol) is a function that
    silently stopped being implemented."""
    listing = os.path.join(os.path.dirname(__file__), "..", "..", "src", "crqx", "crqx_functions.def")
    with open(listing) as f:
        names = set(re.findall(r"^CRQX_(?:CLASSIC|EXTENDED)\((\w+),", f.read(), re.M))
    assert len(names) == 171
    symbols = subprocess.run(["nm", "-D", "--defined-only", loaded_engine_path()],
                             capture_output=True, text=True, check=True).stdout.split("\n")
    kinds = {parts[2]: parts[1] for parts in (line.split() for line in symbols) if len(parts) == 3}
    assert names <= set(kinds), sorted(names - set(kinds))
    assert sorted(n for n in names if kinds[n] != "T") == []


def test_missing_values_are_distinct_ordinary_values(pyrqx):
    for kind in ("PRC", "NUM", "DAT", "BOO", "STR"):
        values = [getattr(pyrqx, "F%s%s" % (kind, m))() for m in ("NC", "ND", "NA")]
        assert len(set(values)) == 3
        assert all(v == v for v in values)
        if kind in ("PRC", "NUM"):
            assert not any(math.isnan(v) or math.isinf(v) for v in values)
    indexes = [pyrqx.ZAVO_INDEX_NC(), pyrqx.ZAVO_INDEX_ND(), pyrqx.ZAVO_INDEX_NA()]
    assert len(set(indexes)) == 3


def test_quickstart_example_runs():
    example = os.path.join(os.path.dirname(__file__), "..", "..", "examples", "quickstart.py")
    r = subprocess.run([sys.executable, example], capture_output=True, text=True, timeout=120)
    assert r.returncode == 0, r.stderr
    assert "session ended" in r.stdout
