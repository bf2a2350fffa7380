"""The PostgreSQL service with several clients: connecting and its failures,
one transaction over all of a connection's databases, isolation, a second
writer, two processes, clients killed mid-transaction, and the server
restarted under a session."""
import os
import random
import signal
import subprocess
import time

import pytest

from helpers import HERE, call, spawn

HOST = os.environ.get("CRQX_PG_TEST_HOST", "")
TCP = os.environ.get("CRQX_PG_TEST_TCP", "")
USER = os.environ.get("CRQX_PG_TEST_USER", "")
PASSWORD = os.environ.get("CRQX_PG_TEST_PASSWORD", "")
CLUSTER_DIR = os.environ.get("CRQX_PG_TEST_DIR", "")
CLUSTER = os.path.join(HERE, "..", "..", "scripts", "pg-cluster")

pytestmark = pytest.mark.skipif(
    not HOST, reason="no PostgreSQL server: set CRQX_PG_TEST_HOST (scripts/pg-cluster start DIR; source DIR/env)")


def connect(p, service="PG", host=None, user="", password=""):
    key = [-7]
    status = call(p.qzvopcn, key, [service], [HOST if host is None else host], [user], [password])
    return status, key[0]


def open_on(p, conn, name, mode):
    key = [-7]
    return call(p.qzvopdc, key, [name], mode, conn), key[0]


def fresh_name(tag):
    return "srv_%s_%s" % (os.urandom(5).hex(), tag)


def rng(p):
    r = [0, 0, 0]
    assert p.zavo_init_range_from_indexes(r, p.HMONTH, 0, 9) == p.HSUCC
    return r


def write(p, key, value, name="S"):
    return p.zavo_write_precisions(key, [name], rng(p), [float(value)] * 10)


def values(p, key, name="S"):
    """The ten values of series S, or None when there is no such series."""
    out = [0.0] * 10
    status = p.zavo_get_precisions(key, [name], rng(p), out)
    return out if status == p.HSUCC else None


def new_series(p, key, name="S"):
    return call(p.qzvnwob, key, [name], p.HSERIE, p.HMONTH, p.HPRECN, 0, 0)


@pytest.fixture
def server(session):
    """connect() for the test; every connection it made is closed afterwards."""
    made = []

    def connect_(*args, **kwargs):
        status, key = connect(session, *args, **kwargs)
        assert status == session.HSUCC
        made.append(key)
        return key

    yield connect_
    for key in made:
        call(session.qzvclcn, key)
    session.qzvsopt([0], ["BUSY_TIMEOUT"], ["2000"])
    session.qzvspos([0], session.HNO)


@pytest.fixture
def pair(session, server):
    """Two committed databases, each holding series S = 0.0."""
    p = session
    names = [fresh_name("a"), fresh_name("b")]
    conn = server()
    for name in names:
        status, key = open_on(p, conn, name, p.HCMODE)
        assert status == p.HSUCC
        assert new_series(p, key) == p.HSUCC and write(p, key, 0) == p.HSUCC
        # Creating a database waits for the connection's work to be committed.
        assert call(p.qzvcmmt, conn) == p.HSUCC
    call(p.qzvclcn, conn)
    return names


def reader(p, server, names):
    """A connection of its own reading the databases; their keys."""
    conn = server()
    keys = []
    for name in names:
        status, key = open_on(p, conn, name, p.HRMODE)
        assert status == p.HSUCC
        keys.append(key)
    return keys


@pytest.mark.parametrize("service", ["PG", " pg ", "Pg:some_db"])
def test_service_names(session, server, service):
    p = session
    conn = server(service)
    status, key = open_on(p, conn, fresh_name("svc"), p.HCMODE)
    assert status == p.HSUCC
    connkey = [0]
    assert call(p.qzvgcid, key, connkey) == p.HSUCC and connkey[0] == conn


def test_tcp_with_user_and_password(session, server):
    p = session
    conn = server(host=TCP, user=USER, password=PASSWORD)
    assert open_on(p, conn, fresh_name("tcp"), p.HCMODE)[0] == p.HSUCC


@pytest.mark.parametrize("case", ["wrong password", "unknown user", "closed port", "bad port",
                                  "unknown database", "bad service"])
def test_connect_failures_have_their_status_and_never_echo_the_password(session, error_text, case):
    p = session
    secret = "Secret-%s" % os.urandom(4).hex()
    host, user, code, service = TCP, USER, "HBUSER", "PG"
    if case == "unknown user":
        user = "nobody_of_ours"
    elif case == "closed port":
        host, code = "127.0.0.1:1/postgres", "HNETCN"
    elif case == "bad port":
        host, code = "127.0.0.1:99999", "HNETCN"
    elif case == "unknown database":
        host, code = TCP.rsplit("/", 1)[0] + "/no_such_db", "HRNEXI"
        secret = PASSWORD
    elif case == "bad service":
        service, code = "PGX", "HBSRVR"
    started = time.monotonic()
    status, key = connect(p, service, host, user, secret)
    assert status == getattr(p, code)
    assert key == -7, "the caller's cell is left alone"
    assert time.monotonic() - started < 5
    text = error_text()
    assert text.startswith("qzvopcn: ") and secret not in text


def test_default_database_of_a_connection(session, server):
    p = session
    name = fresh_name("default")
    conn = server("PG:" + name)
    key = [0]
    assert call(p.qzvoprc, key, conn) == p.HRNEXI
    assert open_on(p, conn, name, p.HCMODE)[0] == p.HSUCC
    assert call(p.qzvclcn, conn) == p.HSUCC
    other = server("PG:" + name)
    assert call(p.qzvoprc, key, other) == p.HSUCC
    connkey = [0]
    assert call(p.qzvgcid, key[0], connkey) == p.HSUCC and connkey[0] == other


def test_served_name_opens_on_a_connection_of_its_own(session, pair):
    p = session
    key = [0]
    assert call(p.qzvopre, key, ["PG:%s@%s" % (pair[0], HOST)]) == p.HSUCC
    assert values(p, key[0]) == [0.0] * 10
    connkey = [5]
    assert call(p.qzvgcid, key[0], connkey) == p.HSUCC and connkey[0] == p.HRMKEY
    assert write(p, key[0], 4) == p.HSUCC  # shared mode
    assert call(p.qzvcldb, key[0]) == p.HSUCC
    for bad in ["PG:%s" % pair[0], "PG:@%s" % HOST]:
        status = call(p.qzvopre, key, [bad])
        assert status in (p.HBSRVR, p.HBFILE)


@pytest.mark.parametrize("name", ["", "two words", "at@sign", "x" * 129, "tab\there"])
def test_unusable_database_names(session, server, name):
    p = session
    assert open_on(p, server(), name, p.HWMODE)[0] == p.HBFILE


def test_commit_and_abort_cover_every_database_at_once(session, server, pair):
    p = session
    conn = server()
    keys = [open_on(p, conn, name, p.HSMODE)[1] for name in pair]
    seen = reader(p, server, pair)
    for key in keys:
        assert write(p, key, 1) == p.HSUCC
    assert [values(p, k)[0] for k in keys] == [1.0, 1.0]
    assert [values(p, k)[0] for k in seen] == [0.0, 0.0], "uncommitted work is not visible"
    assert call(p.qzvabrt, conn) == p.HSUCC
    assert [values(p, k)[0] for k in keys] == [0.0, 0.0]
    for key in keys:
        assert write(p, key, 2) == p.HSUCC
    assert call(p.qzvcmmt, conn) == p.HSUCC
    assert [values(p, k)[0] for k in seen] == [2.0, 2.0]


def test_post_restore_and_close_act_on_the_connection(session, server, pair):
    p = session
    conn = server()
    a, b = [open_on(p, conn, name, p.HSMODE)[1] for name in pair]
    seen = reader(p, server, pair)
    write(p, a, 3), write(p, b, 3)
    assert call(p.qzvrsdb, a) == p.HSUCC  # the connection's whole transaction
    assert values(p, b)[0] == 0.0
    write(p, a, 4), write(p, b, 4)
    assert call(p.qzvpodb, b) == p.HSUCC
    assert [values(p, k)[0] for k in seen] == [4.0, 4.0]
    write(p, a, 5)
    assert call(p.qzvpack, b) == p.HNPOST, "the connection holds uncommitted work"
    assert call(p.qzvcldb, a) == p.HSUCC  # unposted work discarded
    assert call(p.qzvpack, b) == p.HSUCC
    assert values(p, seen[0])[0] == 4.0
    assert call(p.qzvspos, p.HYES) == p.HSUCC
    write(p, b, 6)
    assert call(p.qzvclcn, conn) == p.HSUCC  # posted on close
    assert values(p, seen[1])[0] == 6.0


def test_a_second_writer_gets_a_status_not_a_wait(session, server, pair):
    p = session
    assert call(p.qzvsopt, ["BUSY_TIMEOUT"], ["300"]) == p.HSUCC
    first, second = server(), server()
    status, holder = open_on(p, first, pair[0], p.HUMODE)
    assert status == p.HSUCC
    started = time.monotonic()
    assert open_on(p, second, pair[0], p.HUMODE)[0] == p.HFUSE
    assert 0.25 < time.monotonic() - started < 3
    status, shared = open_on(p, second, pair[0], p.HSMODE)
    assert status == p.HSUCC
    assert write(p, shared, 9) == p.HLOCKD
    assert values(p, shared)[0] == 0.0, "readers go on meanwhile"
    assert call(p.qzvcldb, holder) == p.HSUCC
    assert write(p, shared, 9) == p.HSUCC
    # Shared writers take turns: the lock is held until the commit.
    status, other = open_on(p, first, pair[0], p.HSMODE)
    assert write(p, other, 8) == p.HLOCKD
    assert call(p.qzvcmmt, second) == p.HSUCC
    assert write(p, other, 8) == p.HSUCC


def test_one_connection_holds_a_database_once_for_writing(session, server, pair):
    p = session
    conn = server()
    assert open_on(p, conn, pair[0], p.HSMODE)[0] == p.HSUCC
    assert open_on(p, conn, pair[0], p.HRMODE)[0] == p.HFUSE
    assert open_on(p, conn, pair[1], p.HRMODE)[0] == p.HSUCC
    assert open_on(p, conn, pair[1], p.HRMODE)[0] == p.HSUCC


def test_two_processes_commit_and_abort(session, server, pair):
    p = session
    mine = open_on(p, server(), pair[0], p.HSMODE)[1]
    seen = reader(p, server, pair)
    for verb, value, expected in [("abort", 7, 0.0), ("commit", 8, 8.0)]:
        child = spawn(os.path.join(HERE, "server_client.py"), HOST, pair[0], pair[1], "write", str(value))
        assert child.stdout.readline().strip() == "written"
        assert [values(p, k)[0] for k in seen] == [0.0 if verb == "abort" else 0.0] * 2
        assert write(p, mine, 1) == p.HLOCKD, "the child holds the write lock"
        out, err = child.communicate(verb + "\n", timeout=30)
        assert out.strip() == "done 0", err
        assert [values(p, k)[0] for k in seen] == [expected] * 2
        if verb == "commit":
            break


def test_clients_killed_mid_transaction_leave_nothing_half_written(session, server, pair):
    p = session
    seen = reader(p, server, pair)
    rounds = random.Random(11)
    last = 0.0
    for run in range(24):
        child = spawn(os.path.join(HERE, "server_client.py"), HOST, pair[0], pair[1], "loop")
        for _ in range(rounds.randint(1, 4)):
            line = child.stdout.readline()
            assert line.startswith("round"), child.stderr.read()
        time.sleep(rounds.random() * 0.03)
        child.send_signal(signal.SIGKILL)
        child.wait(timeout=30)
        child.stdout.close(), child.stderr.close(), child.stdin.close()
        # The server may still be finishing a COMMIT the client sent just
        # before it died, between the reads of the two databases: a torn
        # commit would disagree for good, that race only for a moment.
        deadline = time.monotonic() + 5
        while True:
            got = [values(p, k) for k in seen]
            if got[0] == got[1] or time.monotonic() > deadline:
                break
            time.sleep(0.05)
        assert got[0] == got[1], "run %d: the databases disagree" % run
        assert len(set(got[0])) == 1, "run %d: a torn series" % run
        assert got[0][0] >= 1.0
        last = got[0][0]
    # The others go on: the killed clients' locks are gone.
    mine = open_on(p, server(), pair[0], p.HSMODE)[1]
    assert write(p, mine, last + 100) == p.HSUCC
    assert call(p.qzvpodb, mine) == p.HSUCC


@pytest.mark.skipif(not CLUSTER_DIR, reason="the cluster is not ours to restart (CRQX_PG_TEST_DIR unset)")
def test_server_restarted_under_a_session(session, server, pair, error_text):
    p = session
    conn = server()
    key = open_on(p, conn, pair[0], p.HSMODE)[1]
    assert write(p, key, 5) == p.HSUCC
    subprocess.run([CLUSTER, "stop", CLUSTER_DIR], check=True)
    try:
        assert values(p, key) is None
        assert call(p.qzvcmmt, conn) == p.HNCONN
        assert "connection to the server was lost" in error_text()
        assert connect(p)[0] == p.HNETCN
    finally:
        subprocess.run([CLUSTER, "start", CLUSTER_DIR], check=True)
    assert call(p.qzvcmmt, conn) == p.HNCONN, "a lost connection stays lost"
    fresh = server()
    status, again = open_on(p, fresh, pair[0], p.HRMODE)
    assert status == p.HSUCC
    assert values(p, again) == [0.0] * 10, "the uncommitted write died with the connection"
    assert call(p.qzvclcn, conn) == p.HSUCC


def test_remexec_on_server_databases_joins_the_transaction(session, server, pair):
    p = session
    conn = server()
    a, b = [open_on(p, conn, name, p.HSMODE)[1] for name in pair]
    seen = reader(p, server, pair)
    assert write(p, a, 3) == p.HSUCC
    assert p.zavo_remexec(a, ["PRINT S * 2"], b, ["T"]) == p.HSUCC
    assert values(p, b, "T") == [6.0] * 10
    assert values(p, seen[1], "T") is None, "not committed yet"
    assert call(p.qzvcmmt, conn) == p.HSUCC
    assert values(p, seen[1], "T") == [6.0] * 10


def test_overwrite_waits_for_the_holder_then_gives_hfuse(session, server, pair):
    p = session
    assert call(p.qzvsopt, ["BUSY_TIMEOUT"], ["200"]) == p.HSUCC
    holder = open_on(p, server(), pair[0], p.HSMODE)[1]
    assert write(p, holder, 1) == p.HSUCC  # holds the lock until its commit
    assert open_on(p, server(), pair[0], p.HOMODE)[0] == p.HFUSE
    assert values(p, holder) == [1.0] * 10, "nothing was emptied"


def test_normal_durability_commits_all_the_same(session, server, pair):
    p = session
    assert call(p.qzvsopt, ["DURABILITY"], ["NORMAL"]) == p.HSUCC
    try:
        conn = server()
        key = open_on(p, conn, pair[0], p.HSMODE)[1]
        assert write(p, key, 2) == p.HSUCC
        assert call(p.qzvcmmt, conn) == p.HSUCC
    finally:
        call(p.qzvsopt, ["DURABILITY"], ["FULL"])
    assert values(p, reader(p, server, pair)[0]) == [2.0] * 10
