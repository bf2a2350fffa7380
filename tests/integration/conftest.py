"""Integration tests run the installed pyrqx on the embedded engine."""
import os
import uuid

import pytest

import pyrqx as _pyrqx


@pytest.fixture
def pyrqx():
    return _pyrqx


@pytest.fixture
def session(pyrqx):
    """A running session, ended afterwards whatever the test did."""
    status = [0]
    pyrqx.qzvini(status)
    assert status[0] in (pyrqx.HSUCC, pyrqx.HINITD)
    yield pyrqx
    pyrqx.qzvfin([0])


def last_error(pyrqx):
    length = [0]
    pyrqx.qzvlerr([0], length)
    text = [" " * length[0]]
    pyrqx.qzvferr([0], text)
    return text[0]


@pytest.fixture
def error_text(pyrqx):
    return lambda: last_error(pyrqx)


@pytest.fixture
def path(tmp_path):
    """A database file name in a fresh folder."""
    return str(tmp_path / "test.crqx")


# The store behind a test's databases: a file, or a database on the
# PostgreSQL server that CRQX_PG_TEST_HOST reaches (scripts/test starts a
# throwaway cluster and sets it; scripts/pg-cluster says how).
SERVER_HOST = os.environ.get("CRQX_PG_TEST_HOST", "")
NO_SERVER = "no PostgreSQL server: set CRQX_PG_TEST_HOST (scripts/pg-cluster start DIR; source DIR/env)"


class Store:
    """Opens databases of one kind. On the server every open gets a
    connection of its own, so that posting or restoring one database does
    not touch another (a connection's databases share one transaction)."""

    def __init__(self, pyrqx, kind, folder):
        self.p, self.kind, self.folder = pyrqx, kind, folder
        self.connections = []

    def name(self, tag="db"):
        """A fresh database name."""
        if self.kind == "file":
            return str(self.folder / (tag + ".crqx"))
        return "t%s_%s" % (uuid.uuid4().hex[:12], tag)

    def connect(self):
        key, status = [0], [None]
        self.p.qzvopcn(status, key, ["PG"], [SERVER_HOST], [""], [""])
        assert status[0] == self.p.HSUCC
        self.connections.append(key[0])
        return key[0]

    def opendb(self, key, name, mode):
        """qzvopdb for a file, qzvopdc on a new connection for the server;
        the status, with the key stored in key[0]."""
        status = [None]
        if self.kind == "file":
            self.p.qzvopdb(status, key, [name], mode)
        else:
            self.p.qzvopdc(status, key, [name], mode, self.connect())
        return status[0]

    def open(self, name, mode):
        key = [0]
        return self.opendb(key, name, mode), key[0]

    def exists(self, name):
        status, key = self.open(name, self.p.HRMODE)
        if status == self.p.HSUCC:
            self.p.qzvcldb([0], key)
        return status == self.p.HSUCC

    def close(self):
        for key in self.connections:
            self.p.qzvclcn([0], key)


@pytest.fixture(params=["file", pytest.param("server", marks=pytest.mark.skipif(not SERVER_HOST, reason=NO_SERVER))])
def store(request, session, tmp_path):
    if request.param == "server" and request.node.get_closest_marker("files_only"):
        pytest.skip("about database files themselves")
    s = Store(session, request.param, tmp_path)
    yield s
    s.close()


def pytest_configure(config):
    config.addinivalue_line("markers", "files_only: a test of database files, not run on the server")
