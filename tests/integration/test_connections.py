"""Connections to the local service: opening and closing them, the opens
that go through them, and commit/abort over all their databases."""
import ctypes
import os
import sys

import pytest

from helpers import call, loaded_engine

PASSWORD = "pw-Zq81!"


def connect(p, service="LOCAL", hostname="localhost"):
    """Opens a connection; returns (status, key cell value)."""
    key = [-7]
    status = call(p.qzvopcn, key, [service], [hostname], ["user"], [PASSWORD])
    return status, key[0]


def open_through(p, conn, path, mode):
    key = [-7]
    status = call(p.qzvopdc, key, [path], mode, conn)
    return status, key[0]


def open_direct(p, path, mode):
    key = [-7]
    status = call(p.qzvopdb, key, [path], mode)
    return status, key[0]


def create(p, key, name):
    return call(p.qzvnwob, key, [name], p.HSERIE, p.HDAILY, p.HNUMRC, p.HBSDAY, p.HOBAVG)


def exists(p, key, name):
    cells = [[0] for _ in range(7)]
    return call(p.qzvosiz, key, [name], *cells) == p.HSUCC


def exists_on_disk(p, path, name):
    status, key = open_direct(p, path, p.HRMODE)
    assert status == p.HSUCC
    try:
        return exists(p, key, name)
    finally:
        call(p.qzvcldb, key)


@pytest.fixture
def files(tmp_path, session):
    """Two existing, empty database files."""
    paths = [str(tmp_path / ("db%d.crqx" % i)) for i in range(2)]
    for path in paths:
        status, key = open_direct(session, path, session.HCMODE)
        assert status == session.HSUCC
        call(session.qzvcldb, key)
    return paths


@pytest.fixture
def conn(session):
    status, key = connect(session)
    assert status == session.HSUCC
    yield key
    call(session.qzvclcn, key)
    session.qzvspos([0], session.HNO)


@pytest.mark.parametrize("service, hostname", [
    ("", ""), ("LOCAL", "localhost"), ("  local ", "LOCALHOST"), ("Local:/no/such/file", ""),
])
def test_local_service_names_open_and_close(session, service, hostname):
    p = session
    status, first = connect(p, service, hostname)
    assert status == p.HSUCC and first > 0
    assert call(p.qzvclcn, first) == p.HSUCC
    assert call(p.qzvclcn, first) == p.HBCONN
    status, second = connect(p, service, hostname)
    assert status == p.HSUCC and second > first  # keys are never reused
    assert call(p.qzvclcn, second) == p.HSUCC


@pytest.mark.parametrize("service, hostname, code", [
    ("remote", "", "HBSRVR"),
    ("tcp:7000", "localhost", "HBSRVR"),
    ("LOCAL", "db.example.org", "HNETCN"),
    ("", "10.0.0.1", "HNETCN"),
])
def test_other_services_fail_at_once_without_echoing_the_password(session, error_text, service, hostname, code):
    p = session
    status, key = connect(p, service, hostname)
    assert status == getattr(p, code)
    assert key == -7  # the caller's cell is left alone
    text = error_text()
    assert text.startswith("qzvopcn: ") and "'PG'" in text  # names the server service
    assert PASSWORD not in text


def test_commit_makes_every_database_durable(session, files, conn):
    p = session
    keys = [open_through(p, conn, path, p.HSMODE)[1] for path in files]
    for key, name in zip(keys, ("A1", "B1")):
        assert create(p, key, name) == p.HSUCC
    assert call(p.qzvcmmt, conn) == p.HSUCC
    for key, name in zip(keys, ("A2", "B2")):
        assert create(p, key, name) == p.HSUCC  # left unposted
    assert call(p.qzvclcn, conn) == p.HSUCC  # discards A2, B2
    for path, kept, lost in zip(files, ("A1", "B1"), ("A2", "B2")):
        assert exists_on_disk(p, path, kept)
        assert not exists_on_disk(p, path, lost)


def test_abort_restores_the_connections_databases_only(session, files, conn):
    p = session
    status, through = open_through(p, conn, files[0], p.HUMODE)
    assert status == p.HSUCC
    status, direct = open_direct(p, files[1], p.HUMODE)
    assert status == p.HSUCC
    assert create(p, through, "GONE") == p.HSUCC
    assert create(p, direct, "STAYS") == p.HSUCC
    assert call(p.qzvabrt, conn) == p.HSUCC
    assert not exists(p, through, "GONE")
    assert exists(p, direct, "STAYS")
    assert call(p.qzvcmmt, conn) == p.HSUCC  # nothing left to post
    assert call(p.qzvcldb, direct) == p.HSUCC
    assert call(p.qzvclcn, conn) == p.HSUCC
    assert not exists_on_disk(p, files[0], "GONE")


@pytest.mark.parametrize("post_on_close, kept", [("HNO", False), ("HYES", True)])
def test_closing_the_connection_closes_its_databases(session, files, post_on_close, kept):
    p = session
    status, conn = connect(p)
    assert status == p.HSUCC
    through = [open_through(p, conn, path, p.HWMODE)[1] for path in files]
    status, work = [None], [0]
    p.qzvopwk(status, work)
    for key in through:
        assert create(p, key, "X") == p.HSUCC
    assert call(p.qzvspos, getattr(p, post_on_close)) == p.HSUCC
    try:
        assert call(p.qzvclcn, conn) == p.HSUCC
    finally:
        p.qzvspos([0], p.HNO)
    for key in through:
        assert call(p.qzvcldb, key) == p.HBKEY
        assert call(p.qzvcmmt, conn) == p.HBCONN
    assert call(p.qzvcldb, work[0]) == p.HSUCC  # opened directly: still open
    assert [exists_on_disk(p, path, "X") for path in files] == [kept, kept]


def test_session_end_closes_connections_and_their_databases(pyrqx, files):
    p = pyrqx
    status, conn = connect(p)
    status, key = open_through(p, conn, files[0], p.HSMODE)
    assert status == p.HSUCC
    assert create(p, key, "UNPOSTED") == p.HSUCC
    assert call(p.qzvfin) == p.HSUCC
    assert call(p.qzvini) == p.HSUCC
    assert call(p.qzvclcn, conn) == p.HBCONN
    assert call(p.qzvcldb, key) == p.HBKEY
    assert not exists_on_disk(p, files[0], "UNPOSTED")


def test_database_tells_its_connection(session, files, conn):
    p = session
    status, through = open_through(p, conn, files[0], p.HRMODE)
    assert status == p.HSUCC
    status, direct = open_direct(p, files[1], p.HRMODE)
    cell = [-7]
    assert call(p.qzvgcid, through, cell) == p.HSUCC and cell == [conn]
    assert call(p.qzvgcid, direct, cell) == p.HSUCC and cell == [p.HRMKEY]
    call(p.qzvcldb, direct)
    cell = [-7]
    assert call(p.qzvgcid, direct, cell) == p.HBKEY and cell == [-7]


@pytest.mark.parametrize("bad_key", [0, -1, 99999])
@pytest.mark.parametrize("name", ["qzvclcn", "qzvcmmt", "qzvabrt", "qzvoprc", "qzvopdc", "qzvasrt"])
def test_bad_connection_keys(session, error_text, files, name, bad_key):
    p = session
    cell = [-7]
    if name == "qzvoprc":
        status = call(p.qzvoprc, cell, bad_key)
    elif name == "qzvopdc":
        status = call(p.qzvopdc, cell, [files[0]], p.HRMODE, bad_key)
    elif name == "qzvasrt":
        status = call(p.qzvasrt, bad_key, 1, ["x > 0"], 0, 0, [0])
    else:
        status = call(getattr(p, name), bad_key)
    assert status == p.HBCONN
    assert cell == [-7]
    assert error_text() == "%s: connection key %d is not open" % (name, bad_key)


@pytest.mark.parametrize("exists_, mode, code", [
    (False, "HRMODE", "HRNEXI"),
    (False, "HCMODE", "HSUCC"),
    (True, "HCMODE", "HCEXI"),
    (True, "HDMODE", "HSUCC"),
])
def test_open_through_follows_the_access_modes(session, tmp_path, conn, exists_, mode, code):
    p = session
    path = str(tmp_path / "m.crqx")
    if exists_:
        call(p.qzvcldb, open_direct(p, path, p.HCMODE)[1])
    status, key = open_through(p, conn, path, getattr(p, mode))
    assert status == getattr(p, code)
    assert (key > 0) if status == p.HSUCC else (key == -7)


def test_open_through_rejects_bad_modes_and_second_writers(session, files, conn):
    p = session
    assert open_through(p, conn, files[0], 99)[0] == p.HBMODE
    assert open_through(p, conn, files[0], p.HUMODE)[0] == p.HSUCC
    assert open_through(p, conn, files[0], p.HRMODE)[0] == p.HFUSE
    assert open_direct(p, files[0], p.HRMODE)[0] == p.HFUSE


def test_open_served_name(session, files, tmp_path):
    p = session
    key = [-7]
    assert call(p.qzvopre, key, ["local:" + files[0]]) == p.HSUCC
    assert create(p, key[0], "SHARED") == p.HSUCC  # shared mode: writable
    assert call(p.qzvpodb, key[0]) == p.HSUCC
    cell = [-7]
    assert call(p.qzvgcid, key[0], cell) == p.HSUCC and cell == [p.HRMKEY]
    assert call(p.qzvcldb, key[0]) == p.HSUCC
    assert exists_on_disk(p, files[0], "SHARED")


@pytest.mark.parametrize("svname, code", [
    ("LOCAL:", "HBFILE"), ("LOCAL:{missing}", "HRNEXI"), ("{file}", "HBSRVR"), ("server:db", "HBSRVR"),
])
def test_open_served_name_failures(session, files, tmp_path, svname, code):
    p = session
    name = svname.format(missing=str(tmp_path / "none.crqx"), file=files[0])
    key = [-7]
    assert call(p.qzvopre, key, [name]) == getattr(p, code)
    assert key == [-7]
    assert not os.path.exists(str(tmp_path / "none.crqx"))


def test_connection_default_database(session, files):
    p = session
    status, conn = connect(p, "LOCAL:" + files[0])
    assert status == p.HSUCC
    key = [-7]
    assert call(p.qzvoprc, key, conn) == p.HSUCC
    cell = [0]
    assert call(p.qzvgcid, key[0], cell) == p.HSUCC and cell == [conn]
    assert create(p, key[0], "DEFAULT") == p.HSUCC
    assert call(p.qzvcmmt, conn) == p.HSUCC
    assert call(p.qzvoprc, [0], conn) == p.HFUSE  # already open for writing
    assert call(p.qzvclcn, conn) == p.HSUCC
    assert exists_on_disk(p, files[0], "DEFAULT")


def test_connection_without_default_database(session, error_text, conn):
    p = session
    key = [-7]
    assert call(p.qzvoprc, key, conn) == p.HRNEXI
    assert key == [-7]
    assert "names no database" in error_text()


def test_assertions_are_not_supported_by_the_local_service(session, error_text, conn):
    p = session
    dblist = [5]
    assert call(p.qzvasrt, conn, 1, ["x > 0"], 0, 0, dblist) == p.HNSUPP
    assert dblist == [5]
    assert error_text() == "qzvasrt: connection %d is to the local service, which keeps no " \
        "assertions (a database server keeps them)" % conn


@pytest.mark.parametrize("name, args", [
    ("qzvopcn", ([0], [""], [""], [""], [""])), ("qzvclcn", (1,)), ("qzvcmmt", (1,)), ("qzvabrt", (1,)),
    ("qzvgcid", (1, [0])), ("qzvasrt", (1, 1, ["x"], 0, 0, [0])),
    ("qzvopdc", ([0], ["x"], 1, 1)), ("qzvopre", ([0], ["LOCAL:x"])), ("qzvoprc", ([0], 1)),
])
def test_outside_a_session(pyrqx, name, args):
    pyrqx.qzvfin([0])
    assert call(getattr(pyrqx, name), *args) == pyrqx.HNINIT


@pytest.mark.skipif(not sys.platform.startswith("linux"), reason="finds the library through /proc")
@pytest.mark.parametrize("null_at", range(5))
def test_null_pointers(session, conn, null_at):
    engine = loaded_engine()
    status = ctypes.c_int(-1)
    key = ctypes.c_int(0)
    texts = [ctypes.create_string_buffer(b"LOCAL") for _ in range(4)]
    args = [ctypes.byref(key)] + texts
    args[null_at] = None
    engine.qzvopcn(ctypes.byref(status), *args)
    assert status.value == session.HNULLP
    for fn, fargs in (("qzvgcid", (1, None)), ("qzvopre", (None, texts[0])), ("qzvoprc", (None, conn)),
                      ("qzvopdc", (ctypes.byref(key), None, 1, conn)),
                      ("qzvasrt", (conn, 1, None, 0, 0, ctypes.byref(key)))):
        status = ctypes.c_int(-1)
        getattr(engine, fn)(ctypes.byref(status), *fargs)
        assert status.value == session.HNULLP, fn
