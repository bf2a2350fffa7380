"""The command-line tool as a new user meets it: a subprocess per command,
its output and its exit status."""
import os
import struct
import subprocess
import sys

import numpy as np
import pandas as pd
import pytest

import rqx


def tool():
    """The installed console script; ``python -m rqx.cli`` where none is."""
    script = os.path.join(os.path.dirname(sys.executable), "rqx")
    return [script] if os.path.exists(script) else [sys.executable, "-m", "rqx.cli"]


def run(*args, stdin=None):
    done = subprocess.run(tool() + list(args), capture_output=True, text=True, input=stdin, timeout=120)
    return done.returncode, done.stdout, done.stderr


@pytest.fixture
def filled(path):
    with rqx.open(path, "w") as db:
        db.write("GDP", pd.Series([1.5, np.nan, 3.0, 4.0], index=pd.period_range("2020Q1", periods=4, freq="Q-DEC")))
        db.write("CPI", pd.Series(np.arange(12.0), index=pd.period_range("2020-01", periods=12, freq="M")))
        db.write("CPI_CORE", pd.Series(np.arange(12.0) / 2, index=pd.period_range("2020-01", periods=12, freq="M")))
        db["GDP"].attrs["SOURCE"] = "Statistics office"
        db["GDP"].description = "Gross domestic product"
    return path


def test_ls(filled):
    assert run("ls", filled) == (0, "CPI\nCPI_CORE\nGDP\n", "")
    assert run("ls", filled, "CPI*") == (0, "CPI\nCPI_CORE\n", "")
    assert run("ls", filled, "NONE*") == (0, "", "")


def test_show(filled):
    status, out, err = run("show", filled, "GDP", "--attr", "SOURCE")
    assert status == 0 and err == ""
    fields = dict(line.split(None, 1) if " " in line.strip() else (line.strip(), "")
                  for line in out.splitlines() if not line.startswith(("first values", "last values", "attr")))
    assert fields["frequency"] == "QUARTERLY(DECEMBER)" and fields["observations"] == "4"
    assert fields["first"] == "2020Q1" and fields["last"] == "2020Q4"
    assert "Gross domestic product" in out and "Statistics office" in out
    assert "2020Q1=1.5" in out and "2020Q4=4.0" in out


def test_dump_and_load_round_trip(filled, tmp_path):
    status, out, err = run("dump", filled, "CPI*")
    assert status == 0 and err == ""
    lines = out.splitlines()
    assert lines[0] == "date,CPI,CPI_CORE" and lines[1] == "2020-01,0.0,0.0" and len(lines) == 13
    status, out, _ = run("dump", filled, "GDP")
    assert out.splitlines()[2] == "2020Q2,"  # a missing value is an empty field
    csv = tmp_path / "gdp.csv"
    csv.write_text(out)
    assert run("load", filled, "GDP2", str(csv), "--freq", "Q-DEC") == (0, "loaded 4 values into GDP2\n", "")
    with rqx.open(filled) as db:
        pd.testing.assert_series_equal(db.read("GDP2"), db.read("GDP"), check_names=False)


def test_load_every_column_with_engine_literals(filled, tmp_path):
    csv = tmp_path / "m.csv"
    csv.write_text("date,A,B\n2021M01,1,x\n2021M02,2,\n")
    status, out, err = run("load", filled, "*", str(csv), "--freq", "MONTHLY", "--type", "string")
    assert status == 0, err
    with rqx.open(filled) as db:
        assert db.read("B").tolist()[0] == "x" and db.read("B").isna().tolist() == [False, True]
        assert db.read("A").index[0] == pd.Period("2021-01", "M")


def test_parquet_round_trip(filled, tmp_path):
    pytest.importorskip("pyarrow")
    target = str(tmp_path / "cpi.parquet")
    assert run("dump", filled, "CPI", "-o", target)[0] == 0
    assert pd.read_parquet(target)["CPI"].tolist() == list(np.arange(12.0))
    assert run("load", filled, "CPI3", target, "--column", "CPI", "--freq", "M")[0] == 0
    with rqx.open(filled) as db:
        assert db.read("CPI3").tolist() == list(np.arange(12.0))


def test_plot_writes_a_png_of_the_asked_size(filled, tmp_path):
    pytest.importorskip("matplotlib")
    target = str(tmp_path / "cpi.png")
    assert run("plot", filled, "CPI", "-o", target, "--size", "640x480") == (0, "", "")
    with open(target, "rb") as png:
        header = png.read(24)
    assert header[:8] == b"\x89PNG\r\n\x1a\n"
    assert struct.unpack(">II", header[16:24]) == (640, 480)


USAGE_ERRORS = [
    ("no command", []),
    ("unknown command", ["frob"]),
    ("missing argument", ["show", "x.db"]),
    ("bad size", ["plot", "x.db", "A", "-o", "a.png", "--size", "big"]),
    ("unknown file type", ["dump", "DB", "CPI", "-o", "x.xlsx"]),
    ("mixed frequencies", ["dump", "DB", "CPI", "GDP"]),
    ("new series without frequency", ["load", "DB", "NEW", "FILE"]),
]


@pytest.mark.parametrize("what,args", USAGE_ERRORS, ids=[u[0] for u in USAGE_ERRORS])
def test_usage_errors_exit_2_with_one_line(filled, tmp_path, what, args):
    csv = tmp_path / "f.csv"
    csv.write_text("date,V\n2020M01,1\n")
    args = [filled if a == "DB" else str(csv) if a == "FILE" else a for a in args]
    status, out, err = run(*args)
    assert status == 2 and out == ""
    assert err.startswith("rqx: ") and err.count("\n") == 1


FAILURES = [
    ("no database", ["ls", "missing.db"], "does not exist"),
    ("no object", ["show", "DB", "NOPE"], "NOPE"),
    ("no file", ["load", "DB", "CPI", "none.csv"], "none.csv"),
    ("not a database", ["ls", __file__], "HNZVDB"),
]


@pytest.mark.parametrize("what,args,words", FAILURES, ids=[f[0] for f in FAILURES])
def test_failures_exit_1_with_the_reason(filled, what, args, words):
    status, out, err = run(*[filled if a == "DB" else a for a in args])
    assert status == 1 and out == ""
    assert err.startswith("rqx: ") and err.count("\n") == 1 and words in err


def test_help_exits_0():
    status, out, _ = run("--help")
    assert status == 0 and "dump" in out and "plot" in out


class Terminal:
    """A stderr that says it is a terminal and keeps what it is told."""

    def __init__(self, tty):
        self.tty, self.text = tty, ""

    def isatty(self):
        return self.tty

    def write(self, text):
        self.text += text

    def flush(self):
        pass


@pytest.mark.parametrize("tty,count,drawn", [(True, 10, True), (False, 10, False), (True, 2, False)])
def test_progress_is_drawn_on_terminals_for_long_work(tty, count, drawn):
    from rqx.cli import _progress
    stream = Terminal(tty)
    assert list(_progress(range(count), "load", stream)) == list(range(count))
    assert (("load [%s] %d/%d\n" % ("#" * 30, count, count)) in stream.text) == drawn


def test_shell_runs_lines_reports_failures_and_posts(filled, tmp_path):
    lines = "LIST CPI*\nBOGUS\nFORMULA GROWTH = pct(GDP)\nFREQUENCY QUARTERLY\nPRINT GROWTH\n"
    status, out, err = run("shell", filled, stdin=lines)
    # The failing line is reported on its own and the next lines still run.
    assert status == 1
    assert err == "rqx: qzvzavo: line 1: unknown command BOGUS\n"
    assert out.splitlines()[:2] == ["CPI", "CPI_CORE"]
    assert "2020Q4  33.33333" in out
    # The formula the shell created was posted when it ended.
    with rqx.open(filled, "r") as db:
        assert "GROWTH" in db
    # -c runs its lines instead of reading standard input.
    status, out, err = run("shell", filled, "-c", "SHOW GROWTH", "-c", "DELETE GROWTH")
    assert (status, err) == (0, "") and "formula: pct(GDP)" in out
    with rqx.open(filled, "r") as db:
        assert "GROWTH" not in db
