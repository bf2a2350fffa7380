"""Assertions on a PostgreSQL connection (qzvasrt): bad codes, conditions
checked at the commit and at each change, before and after, what a refusal
keeps and undoes, and removal."""
import os

import pytest

from helpers import call

HOST = os.environ.get("CRQX_PG_TEST_HOST", "")

pytestmark = pytest.mark.skipif(
    not HOST, reason="no PostgreSQL server: set CRQX_PG_TEST_HOST (scripts/pg-cluster start DIR; source DIR/env)")

ADD, REMOVE, REMOVE_ALL = 1, 2, 3
AFTER, BEFORE = 1, 2
COMMIT, CHANGE, BOTH = 1, 2, 3


def connect(p):
    key = [0]
    assert call(p.qzvopcn, key, ["PG"], [HOST], [""], [""]) == p.HSUCC
    return key[0]


def open_on(p, conn, name, mode):
    key = [0]
    status = call(p.qzvopdc, key, [name], mode, conn)
    assert status == p.HSUCC
    return key[0]


def set_x(p, key, value, name="X"):
    return p.zavo_write_precisions(key, [name], None, [float(value)])


def get_x(p, key, name="X"):
    r = [0, 0, 0]
    assert p.zavo_init_range_from_indexes(r, p.HDAILY, 7, 7) == p.HSUCC
    out = [0.0]
    status = p.zavo_get_precisions(key, [name], r, out)
    return out[0] if status == p.HSUCC else None


def new_scalar(p, key, name):
    return call(p.qzvnwob, key, [name], p.HSCALA, p.HUNDFX, p.HPRECN, 0, 0)


class Server:
    """A connection writing a fresh database that holds scalar X = 1
    (committed), and a second connection reading the same database."""

    def __init__(self, p):
        self.p = p
        self.name = "asrt_" + os.urandom(5).hex()
        self.conn = connect(p)
        self.key = open_on(p, self.conn, self.name, p.HCMODE)
        assert new_scalar(p, self.key, "X") == p.HSUCC and set_x(p, self.key, 1) == p.HSUCC
        assert call(p.qzvcmmt, self.conn) == p.HSUCC
        self.other_conn = connect(p)
        self.other = open_on(p, self.other_conn, self.name, p.HRMODE)

    def assertion(self, text, perspective=AFTER, grouping=COMMIT, kind=ADD, dbkey=None):
        dblist = [self.key if dbkey is None else dbkey]
        return call(self.p.qzvasrt, self.conn, kind, [text], perspective, grouping, dblist)

    def close(self):
        call(self.p.qzvclcn, self.conn)
        call(self.p.qzvclcn, self.other_conn)


@pytest.fixture
def srv(session):
    s = Server(session)
    yield s
    s.close()


@pytest.mark.parametrize("changes, code, named", [
    (dict(kind=0), "HBATYP", "assert_type 0"),
    (dict(kind=4), "HBATYP", "assert_type 4"),
    (dict(perspective=0), "HBPRSP", "perspective 0"),
    (dict(perspective=3), "HBPRSP", "perspective 3"),
    (dict(grouping=0), "HBGRP", "grouping 0"),
    (dict(grouping=4), "HBGRP", "grouping 4"),
    (dict(dbkey=99999), "HBKEY", "database key 99999"),
    (dict(text="X >"), "HBASRT", "at position"),
    (dict(text="X ) 1"), "HBASRT", "at position"),
    (dict(text="X", kind=REMOVE), "HBASRT", "no assertion 'X'"),
])
def test_bad_values(session, srv, error_text, changes, code, named):
    p = session
    args = dict(text="X > 0")
    args.update(changes)
    assert srv.assertion(args.pop("text"), **args) == getattr(p, code)
    assert named in error_text()
    # Nothing was kept: a change that the refused assertion would stop goes on.
    assert set_x(p, srv.key, -5) == p.HSUCC and call(p.qzvcmmt, srv.conn) == p.HSUCC


def test_a_database_of_another_connection_is_no_key_here(session, srv, error_text):
    p = session
    assert srv.assertion("X > 0", dbkey=srv.other) == p.HBKEY
    assert "is no open database of connection %d" % srv.conn in error_text()


def test_a_refused_commit_keeps_the_work_uncommitted(session, srv, error_text):
    p = session
    assert srv.assertion("X < 10") == p.HSUCC
    assert set_x(p, srv.key, 50) == p.HSUCC, "a commit assertion does not check changes"
    assert call(p.qzvcmmt, srv.conn) == p.HABORT
    text = error_text()
    assert text.startswith("qzvcmmt: connection %d: assertion 'X < 10'" % srv.conn)
    assert "database %d ('%s')" % (srv.key, srv.name) in text
    assert "does not hold at the commit" in text
    assert get_x(p, srv.other) == 1, "another connection sees nothing committed"
    assert get_x(p, srv.key) == 50, "the work stays, uncommitted"
    # qzvpodb on the server database commits the same transaction: refused too.
    assert call(p.qzvpodb, srv.key) == p.HABORT
    assert get_x(p, srv.other) == 1
    # Fixed, the work commits.
    assert set_x(p, srv.key, 7) == p.HSUCC
    assert call(p.qzvcmmt, srv.conn) == p.HSUCC
    assert get_x(p, srv.other) == 7


def test_a_refused_commit_can_be_aborted(session, srv):
    p = session
    assert srv.assertion("X < 10", grouping=BOTH, perspective=BEFORE) == p.HSUCC
    assert set_x(p, srv.key, 50) == p.HSUCC, "the state before the change holds"
    assert call(p.qzvcmmt, srv.conn) == p.HABORT
    assert call(p.qzvabrt, srv.conn) == p.HSUCC
    assert get_x(p, srv.key) == 1 and get_x(p, srv.other) == 1


def test_a_precondition_sees_the_state_before_the_change(session, srv, error_text):
    p = session
    assert srv.assertion("X < 10", perspective=BEFORE, grouping=CHANGE) == p.HSUCC
    assert set_x(p, srv.key, 50) == p.HSUCC, "X was 1 before"
    assert set_x(p, srv.key, 3) == p.HABORT, "X is 50 before this change"
    assert "does not hold before the change" in error_text()
    assert get_x(p, srv.key) == 50
    assert call(p.qzvcmmt, srv.conn) == p.HSUCC
    assert get_x(p, srv.other) == 50


def test_a_postcondition_undoes_only_the_refused_change(session, srv, error_text):
    p = session
    assert srv.assertion("X < 10", grouping=CHANGE) == p.HSUCC
    assert set_x(p, srv.key, 5) == p.HSUCC
    assert new_scalar(p, srv.key, "Y") == p.HSUCC
    assert set_x(p, srv.key, 50) == p.HABORT
    assert "does not hold after the change" in error_text()
    assert set_x(p, srv.key, 70, name="Y") == p.HSUCC, "other objects are free"
    assert get_x(p, srv.key) == 5 and get_x(p, srv.key, "Y") == 70
    assert call(p.qzvcmmt, srv.conn) == p.HSUCC
    assert get_x(p, srv.other) == 5 and get_x(p, srv.other, "Y") == 70


@pytest.mark.parametrize("condition, value, holds", [
    ("X", 0, False),
    ("X", 2, True),
    ("X - 2", 2, False),
    ("X > 1 AND X < 3", 2, True),
    ("X + NA > 0", 2, False),  # missing: does not hold
    ("IF X > 1 THEN NA ELSE 1", 2, False),
])
def test_what_holds(session, srv, condition, value, holds):
    p = session
    assert srv.assertion(condition, grouping=CHANGE) == p.HSUCC
    assert set_x(p, srv.key, value) == (p.HSUCC if holds else p.HABORT)


@pytest.mark.parametrize("condition, said", [
    ("NOSUCH > 0", "no object 'NOSUCH'"),
    ("S", "a series"),
    ("X + \"a\" > 0", "cannot be evaluated"),
])
def test_a_condition_that_cannot_be_evaluated_refuses(session, srv, error_text, condition, said):
    p = session
    assert call(p.qzvnwob, srv.key, ["S"], p.HSERIE, p.HMONTH, p.HPRECN, 0, 0) == p.HSUCC
    assert srv.assertion(condition, grouping=BOTH) == p.HSUCC
    assert set_x(p, srv.key, 2) == p.HABORT
    assert said in error_text() and "cannot be evaluated after the change" in error_text()
    assert call(p.qzvcmmt, srv.conn) == p.HABORT
    assert get_x(p, srv.other, "S") is None, "the series made before is not committed"


def test_removal(session, srv, error_text):
    p = session
    for text in ("X < 10", "X < 20"):
        assert srv.assertion(text, grouping=CHANGE) == p.HSUCC
    assert srv.assertion("X < 10", kind=REMOVE) == p.HSUCC
    assert set_x(p, srv.key, 15) == p.HSUCC
    assert set_x(p, srv.key, 25) == p.HABORT, "the other one stays"
    assert srv.assertion("X < 10", kind=REMOVE) == p.HBASRT
    assert srv.assertion("", kind=REMOVE_ALL) == p.HSUCC
    assert set_x(p, srv.key, 25) == p.HSUCC
    # Adding a text again replaces it: its grouping is the new one.
    assert srv.assertion("X < 0", grouping=CHANGE) == p.HSUCC
    assert srv.assertion("X < 0", grouping=COMMIT) == p.HSUCC
    assert set_x(p, srv.key, 30) == p.HSUCC
    assert call(p.qzvcmmt, srv.conn) == p.HABORT


def test_closing_the_database_ends_its_assertions(session, srv):
    p = session
    assert srv.assertion("X < 10") == p.HSUCC
    assert set_x(p, srv.key, 50) == p.HSUCC
    # Closed without posting: its work is gone, and so is the assertion.
    assert call(p.qzvcldb, srv.key) == p.HSUCC
    key = open_on(p, srv.conn, srv.name, p.HSMODE)
    assert get_x(p, key) == 1
    assert set_x(p, key, 50) == p.HSUCC
    assert call(p.qzvcmmt, srv.conn) == p.HSUCC
    assert get_x(p, srv.other) == 50


def test_post_on_close_is_checked(session, srv, error_text):
    p = session
    assert srv.assertion("X < 10") == p.HSUCC
    assert set_x(p, srv.key, 50) == p.HSUCC
    p.qzvspos([0], p.HYES)
    try:
        assert call(p.qzvcldb, srv.key) == p.HABORT
    finally:
        p.qzvspos([0], p.HNO)
    assert get_x(p, srv.other) == 1, "the refused work is discarded with the database"


# Every kind of change to the listed database, as the module calls it.
CHANGES = {
    "write": lambda p, key: set_x(p, key, 3),
    "create": lambda p, key: new_scalar(p, key, "NEW"),
    "delete": lambda p, key: call(p.qzvdlob, key, ["X"]),
    "rename": lambda p, key: call(p.qzvrnob, key, ["X"], ["Z"]),
    "copy": lambda p, key: call(p.qzvcpob, key, key, ["X"], ["Z"]),
    "attribute": lambda p, key: p.zavo_set_precision_attribute(key, ["X"], ["A"], 1.5),
    "description": lambda p, key: call(p.qzvddes, key, ["about"]),
    "formula": lambda p, key: p.zavo_create_formula(key, ["F"], ["X + 1"]),
}


@pytest.mark.parametrize("change", sorted(CHANGES))
def test_every_change_is_checked_and_a_refused_one_leaves_no_trace(session, srv, change):
    p = session
    assert set_x(p, srv.key, 50) == p.HSUCC
    assert srv.assertion("X < 10", perspective=BEFORE, grouping=CHANGE) == p.HSUCC
    assert CHANGES[change](p, srv.key) == p.HABORT
    assert get_x(p, srv.key) == 50
    for name in ("NEW", "Z", "F"):
        assert get_x(p, srv.key, name) is None
    assert call(p.qzvddes, srv.key, ["after"]) == p.HABORT
    # Without the assertion the same change is made.
    assert srv.assertion("", kind=REMOVE_ALL) == p.HSUCC
    assert CHANGES[change](p, srv.key) == p.HSUCC


def test_an_assertion_checks_only_its_own_database(session, srv):
    p = session
    second = open_on(p, srv.conn, "asrt_" + os.urandom(5).hex(), p.HCMODE)
    assert new_scalar(p, second, "X") == p.HSUCC
    assert srv.assertion("X < 10", grouping=CHANGE) == p.HSUCC
    assert set_x(p, second, 50) == p.HSUCC
    assert set_x(p, srv.key, 50) == p.HABORT
    # The same text on the second database reads the second database's X.
    assert srv.assertion("X < 100", grouping=COMMIT, dbkey=second) == p.HSUCC
    assert call(p.qzvcmmt, srv.conn) == p.HSUCC
    assert set_x(p, second, 500) == p.HSUCC
    assert call(p.qzvcmmt, srv.conn) == p.HABORT
