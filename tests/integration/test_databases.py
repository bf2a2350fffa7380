"""Databases end to end: access modes, keys, post/restore/close, properties."""
import os

import pytest

from helpers import call


@pytest.fixture
def db_path(store):
    return store.name()


@pytest.fixture
def opendb(session, store):
    """opendb(name, mode) -> (status, key) on a file or the server; every key
    is closed afterwards."""
    keys = []

    def open_(name, mode):
        status, key = store.open(name, mode)
        if status == session.HSUCC:
            keys.append(key)
        return status, key

    yield open_
    for key in keys:
        session.qzvcldb([0], key)
    session.qzvspos([0], session.HNO)


def create_series(p, key, name):
    return call(p.qzvnwob, key, [name], p.HSERIE, p.HDAILY, p.HNUMRC, p.HBSDAY, p.HOBAVG)


def exists(p, key, name):
    cells = [[0] for _ in range(7)]
    return call(p.qzvosiz, key, [name], *cells) == p.HSUCC


@pytest.mark.parametrize("mode, on_missing, on_existing", [
    ("HRMODE", "HRNEXI", "HSUCC"),
    ("HCMODE", "HSUCC", "HCEXI"),
    ("HOMODE", "HSUCC", "HSUCC"),
    ("HUMODE", "HRNEXI", "HSUCC"),
    ("HSMODE", "HRNEXI", "HSUCC"),
    ("HWMODE", "HSUCC", "HSUCC"),
    ("HDMODE", "HRNEXI", "HSUCC"),
])
def test_modes_follow_their_existence_rules(session, store, opendb, db_path, mode, on_missing,
                                            on_existing):
    p = session
    status, key = opendb(db_path, getattr(p, mode))
    assert status == getattr(p, on_missing)
    if status == p.HSUCC:
        assert call(p.qzvcldb, key) == p.HSUCC
    else:
        assert not store.exists(db_path)
    status, key = opendb(db_path, p.HCMODE if not store.exists(db_path) else p.HWMODE)
    assert status == p.HSUCC
    call(p.qzvcldb, key)
    assert opendb(db_path, getattr(p, mode))[0] == getattr(p, on_existing)


@pytest.mark.parametrize("mode", [0, 8, -1, 1 << 20])
def test_bad_mode(session, opendb, db_path, mode):
    assert opendb(db_path, mode)[0] == session.HBMODE


def test_keys_are_checked_and_never_reused(session, opendb, db_path):
    p = session
    status, key = opendb(db_path, p.HCMODE)
    assert status == p.HSUCC and key > 0
    assert call(p.qzvcldb, key) == p.HSUCC
    for fn in (p.qzvcldb, p.qzvpodb, p.qzvrsdb, p.qzvpack):
        assert call(fn, key) == p.HBKEY
    assert create_series(p, key, "x") == p.HBKEY
    status, again = opendb(db_path, p.HUMODE)
    assert again != key
    assert call(p.qzvpodb, 12345) == p.HBKEY


def test_post_restore_close(session, opendb, db_path):
    p = session
    _, key = opendb(db_path, p.HCMODE)
    assert create_series(p, key, "posted") == p.HSUCC
    assert call(p.qzvpodb, key) == p.HSUCC
    assert create_series(p, key, "restored") == p.HSUCC
    assert exists(p, key, "RESTORED")
    assert call(p.qzvrsdb, key) == p.HSUCC
    assert not exists(p, key, "restored")
    assert create_series(p, key, "unposted") == p.HSUCC
    assert call(p.qzvcldb, key) == p.HSUCC
    _, key = opendb(db_path, p.HRMODE)
    assert exists(p, key, "posted")
    assert not exists(p, key, "unposted")


def test_post_on_close(session, opendb, db_path):
    p = session
    _, key = opendb(db_path, p.HCMODE)
    assert call(p.qzvspos, p.HYES) == p.HSUCC
    create_series(p, key, "kept")
    assert call(p.qzvcldb, key) == p.HSUCC
    assert exists(p, opendb(db_path, p.HRMODE)[1], "kept")


def test_session_end_discards_unposted(pyrqx, tmp_path):
    p, path = pyrqx, str(tmp_path / "db")
    p.qzvini([0])
    key = [0]
    p.qzvopdb([0], key, [path], p.HCMODE)
    create_series(p, key[0], "posted")
    call(p.qzvpodb, key[0])
    create_series(p, key[0], "lost")
    p.qzvfin([0])
    p.qzvini([0])
    try:
        p.qzvopdb([0], key, [path], p.HRMODE)
        assert exists(p, key[0], "posted") and not exists(p, key[0], "lost")
    finally:
        p.qzvfin([0])


def test_read_only_database_refuses_changes(session, opendb, db_path):
    p = session
    _, key = opendb(db_path, p.HCMODE)
    call(p.qzvcldb, key)
    _, key = opendb(db_path, p.HRMODE)
    assert create_series(p, key, "x") == p.HREADO
    assert call(p.qzvddes, key, ["text"]) == p.HREADO
    assert call(p.qzvpack, key) == p.HREADO
    assert call(p.qzvpodb, key) == p.HSUCC  # nothing to post


@pytest.mark.files_only  # the server's own case: test_server.py
def test_same_file_twice_for_writing_in_one_session(session, opendb, db_path):
    p = session
    assert opendb(db_path, p.HCMODE)[0] == p.HSUCC
    assert opendb(db_path, p.HSMODE)[0] == p.HFUSE
    assert opendb(db_path, p.HRMODE)[0] == p.HFUSE


def test_overwrite_replaces_contents(session, opendb, db_path):
    p = session
    _, key = opendb(db_path, p.HCMODE)
    create_series(p, key, "old")
    call(p.qzvddes, key, ["old description"])
    call(p.qzvcldb, key) if call(p.qzvpodb, key) == p.HSUCC else None
    _, key = opendb(db_path, p.HOMODE)
    assert not exists(p, key, "old")
    deslen, doclen = [9], [9]
    assert call(p.qzvglen, key, deslen, doclen) == p.HSUCC
    assert deslen == [0]


@pytest.mark.files_only
@pytest.mark.parametrize("content", [b"", b"plain text " * 20, b"SQLite format 3\x00" + b"\x00" * 84])
def test_files_that_are_not_databases(session, opendb, db_path, content):
    p = session
    with open(db_path, "wb") as f:
        f.write(content)
    assert opendb(db_path, p.HRMODE)[0] == p.HNZVDB
    if content:
        assert opendb(db_path, p.HOMODE)[0] == p.HNZVDB
        with open(db_path, "rb") as f:
            assert f.read() == content, "a foreign file is left alone"


@pytest.mark.files_only
def test_foreign_sqlite_database(session, opendb, db_path):
    import sqlite3
    con = sqlite3.connect(db_path)
    con.execute("create table t(x)")
    con.commit()
    con.close()
    assert opendb(db_path, session.HUMODE)[0] == session.HNZVDB


@pytest.mark.files_only
@pytest.mark.parametrize("name", ["", "{dir}", "{dir}/missing/sub/db", "{dir}/" + "x" * 600])
def test_unusable_names(session, opendb, tmp_path, name):
    status, _ = opendb(name.format(dir=tmp_path), session.HWMODE)
    assert status == session.HBFILE


def test_work_database(session):
    p = session
    a, b = [0], [0]
    assert call(p.qzvopwk, a) == p.HSUCC and call(p.qzvopwk, b) == p.HSUCC
    assert a[0] != b[0]
    try:
        create_series(p, a[0], "w")
        assert exists(p, a[0], "w") and not exists(p, b[0], "w")
        assert call(p.qzvpodb, a[0]) == p.HSUCC
        create_series(p, a[0], "gone")
        assert call(p.qzvrsdb, a[0]) == p.HSUCC
        assert exists(p, a[0], "w") and not exists(p, a[0], "gone")
    finally:
        call(p.qzvcldb, a[0])
        call(p.qzvcldb, b[0])


def test_description_documentation_and_dates(session, store, opendb, db_path):
    p = session
    _, key = opendb(db_path, p.HCMODE)
    assert call(p.qzvddes, key, ["A description"]) == p.HSUCC
    assert call(p.qzvddoc, key, ["Longer documentation text"]) == p.HSUCC
    deslen, doclen = [0], [0]
    call(p.qzvglen, key, deslen, doclen)
    assert (deslen[0], doclen[0]) == (13, 25)
    dates = [[0] for _ in range(6)]
    desc, doc = [" " * 13], [" " * 10]
    assert call(p.qzvgdba, key, *dates, desc, doc) == p.HTRUNC
    assert desc[0] == "A description"
    assert doc[0] == "Longer doc"
    import datetime
    today = datetime.datetime.now(datetime.timezone.utc).date()
    assert abs(datetime.date(*[d[0] for d in dates[:3]]) - today).days <= 1
    cdate, mdate = [0], [0]
    assert call(p.qzvgdbd, key, p.HDAILY, cdate, mdate) == p.HSUCC
    assert cdate[0] <= mdate[0]
    assert call(p.qzvgdbd, key, 12345, cdate, mdate) == p.HBFREQ
    assert p.zavo_get_db_dates(key, cdate, mdate) == p.HSUCC
    version = [0]
    # Files and the server's tables have formats of their own.
    expected = {"file": 3, "server": 1}[store.kind]
    assert p.zavo_get_dbversion(key, version) == p.HSUCC and version[0] == expected


@pytest.mark.parametrize("setter, getter, good, bad, bad_status", [
    ("qzvset_dimension", "qzvget_dimension", [0, 1, 26], [-1, 27], "HBADVAL"),
    ("qzvset_extradots", "qzvget_extradots", [1, 0], [2, -1], "HBFLAG"),
])
def test_dimension_and_extra_dots(session, opendb, db_path, setter, getter, good, bad, bad_status):
    p = session
    _, key = opendb(db_path, p.HCMODE)
    for value in good:
        assert call(getattr(p, setter), key, value) == p.HSUCC
        cell = [-5]
        assert call(getattr(p, getter), key, cell) == p.HSUCC
        assert cell[0] == value
    for value in bad:
        assert call(getattr(p, setter), key, value) == getattr(p, bad_status)
    call(p.qzvpodb, key)
    call(p.qzvcldb, key)
    _, key = opendb(db_path, p.HRMODE)
    cell = [-5]
    call(getattr(p, getter), key, cell)
    assert cell[0] == good[-1], "kept in the file"


def test_pack(session, opendb, db_path):
    p = session
    _, key = opendb(db_path, p.HCMODE)
    for i in range(200):
        create_series(p, key, f"s{i}")
    call(p.qzvpodb, key)
    for i in range(200):
        call(p.qzvdlob, key, [f"s{i}"])
    assert call(p.qzvpack, key) == p.HNPOST
    call(p.qzvpodb, key)
    assert call(p.qzvpack, key) == p.HSUCC


def test_outside_session(pyrqx, tmp_path):
    status, key = [None], [0]
    pyrqx.qzvopdb(status, key, [str(tmp_path / "x")], pyrqx.HCMODE)
    assert status[0] == pyrqx.HNINIT
    assert pyrqx.zavo_get_dbversion(1, [0]) == pyrqx.HNINIT
