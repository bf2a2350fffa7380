"""Files that are not ours, through the installed module: a pipe never hangs
an open, other programs' files and empty files keep every byte in every
mode, and running out of descriptors says so."""
import os
import sqlite3
import subprocess
import sys

import pytest

from helpers import HERE

MODES = ["HRMODE", "HOMODE", "HUMODE", "HSMODE", "HWMODE", "HDMODE"]


def run_child(code, *args, timeout=60):
    """Runs `code` in a fresh interpreter with a session; returns its output."""
    script = "import sys, pyrqx as p\np.qzvini([0])\n" + code
    env = dict(os.environ, PYTHONPATH=HERE)
    done = subprocess.run([sys.executable, "-c", script, *args], capture_output=True, text=True,
                          timeout=timeout, env=env)
    assert done.returncode == 0, done.stderr
    return done.stdout.split()


def open_status(p, name, mode):
    status, key = [None], [0]
    p.qzvopdb(status, key, [name], mode)
    if status[0] == p.HSUCC:
        p.qzvcldb([0], key[0])
    return status[0]


def test_pipe_is_refused_without_waiting(tmp_path, pyrqx):
    fifo = str(tmp_path / "pipe.crqx")
    os.mkfifo(fifo)
    code = ("for mode in sys.argv[2:]:\n"
            "    s, k = [None], [0]\n"
            "    p.qzvopdb(s, k, [sys.argv[1]], getattr(p, mode))\n"
            "    print(s[0])\n")
    # A child, so that an open that blocks fails the test instead of hanging it.
    statuses = run_child(code, fifo, *MODES, timeout=30)
    assert statuses == [str(pyrqx.HBFILE)] * len(MODES)


def foreign_database(path):
    con = sqlite3.connect(path)
    con.execute("create table t(x)")
    con.execute("insert into t values (1)")
    con.commit()
    con.close()


@pytest.mark.parametrize("mode", MODES)
@pytest.mark.parametrize("kind", ["foreign", "empty"])
def test_files_not_ours_keep_every_byte(session, tmp_path, mode, kind):
    path = str(tmp_path / "other.db")
    if kind == "foreign":
        foreign_database(path)
    else:
        open(path, "wb").close()
    with open(path, "rb") as f:
        before = f.read()
    assert open_status(session, path, getattr(session, mode)) == session.HNZVDB
    with open(path, "rb") as f:
        assert f.read() == before


def test_too_many_open_files_has_its_status(tmp_path, pyrqx):
    path = str(tmp_path / "db.crqx")
    code = ("import os, resource\n"
            "s, k = [None], [0]\n"
            "p.qzvopdb(s, k, [sys.argv[1]], p.HCMODE); p.qzvcldb(s, k[0])\n"
            "resource.setrlimit(resource.RLIMIT_NOFILE, (64, resource.getrlimit(resource.RLIMIT_NOFILE)[1]))\n"
            "held = []\n"
            "try:\n"
            "    while True: held.append(os.dup(0))\n"
            "except OSError:\n"
            "    pass\n"
            "p.qzvopdb(s, k, [sys.argv[1]], p.HRMODE)\n"
            "print(s[0])\n")
    assert run_child(code, path) == [str(pyrqx.HMFILE)]
