"""The world the status test calls into: a session with a database holding
every object class and value kind, a read-only one, one whose write lock
another process holds, and the files and connections the open functions
need (missing, foreign, newer, a folder). Values named "$name" in
status_cases.py are this world's attributes."""
import os
import shutil
import sqlite3
from functools import cached_property

import pyrqx as p
import pytest

from helpers import spawn

M = p.HMONTH
R = [M, 600, 605]

HOLDER = """
import sys, pyrqx as p
s, k = [0], [0]
p.qzvini(s)
p.qzvopdb(s, k, [sys.argv[1]], p.HUMODE)
print("ready", s[0], flush=True)
sys.stdin.readline()
"""


def _call(fn, *args):
    status = [None]
    fn(status, *args)
    return status[0]


def check(status, what):
    assert status == p.HSUCC, f"{what}: status {status}"


def fill(key):
    """Every object class and value kind, with attributes and an alias."""
    def new(name, class_, freq, type_):
        s = [0]
        p.qzvnwob(s, key, [name], class_, freq, type_, p.HBSDAY, p.HOBAVG)
        check(s[0], f"create {name}")

    for name, type_ in (("NUM", p.HNUMRC), ("PREC", p.HPRECN), ("BOO", p.HBOOLN), ("DAT", M),
                        ("STR", p.HSTRNG)):
        new(name, p.HSERIE, M, type_)
    new("SEC", p.HSERIE, p.HSEC, p.HNUMRC)  # a span that ends within the calendar's years
    for name, type_ in (("SCA", p.HNUMRC), ("SCP", p.HPRECN), ("SCB", p.HBOOLN), ("SCD", M),
                        ("SCS", p.HSTRNG)):
        new(name, p.HSCALA, p.HUNDFX, type_)
    new("NL", p.HSCALA, p.HUNDFX, p.HNAMEL)
    new("GLN", p.HGLNAM, p.HUNDFX, p.HNUMRC)
    new("NOTEXT", p.HFRMLA, M, p.HNUMRC)
    check(p.zavo_write_numerics(key, ["NUM"], list(R), [1.0] * 6), "NUM values")
    check(p.zavo_write_precisions(key, ["PREC"], list(R), [1.0] * 6), "PREC values")
    check(p.zavo_write_booleans(key, ["BOO"], list(R), [1] * 6), "BOO values")
    check(p.zavo_write_dates(key, ["DAT"], list(R), M, [600] * 6), "DAT values")
    check(p.zavo_write_strings(key, ["STR"], list(R), ["s"] * 6), "STR values")
    s = [0]
    p.qzvwtnl(s, key, ["NL"], p.HNLALL, ["A,B"])
    check(s[0], "NL elements")
    for name, text in (("FRM", "NUM * 2"), ("BADFUNC", "nosuch(NUM)"), ("BADTYPE", 'NUM + "a"'),
                       ("BADFREQ", "NUM + convert(NUM, QUARTERLY)"), ("GLNREF", "GLN + 1")):
        check(p.zavo_create_formula(key, [name], [text]), f"formula {name}")
    for setter, name, value in ((p.zavo_set_numeric_attribute, "na", 1.5),
                                (p.zavo_set_precision_attribute, "pa", 2.5),
                                (p.zavo_set_boolean_attribute, "ba", 1),
                                (p.zavo_set_string_attribute, "sa", ["hello"]),
                                (p.zavo_set_namelist_attribute, "la", ["X,Y"])):
        check(setter(key, ["NUM"], [name], value), f"attribute {name}")
    check(p.zavo_set_date_attribute(key, ["NUM"], ["da"], 600, M), "attribute da")


class Files:
    """The files shared by every case of a run (made once)."""

    def __init__(self, folder):
        self.folder = folder
        self.template = str(folder / "template.crqx")
        self.garbage = str(folder / "garbage.crqx")
        self.newer = str(folder / "newer.crqx")
        self.locked = str(folder / "locked.crqx")
        s, key = [0], [0]
        p.qzvini(s)
        try:
            p.qzvopdb(s, key, [self.template], p.HCMODE)
            check(s[0], "create the template")
            fill(key[0])
            p.qzvpodb(s, key[0])
            p.qzvcldb(s, key[0])
            check(s[0], "post the template")
        finally:
            p.qzvfin(s)
        with open(self.garbage, "w") as f:
            f.write("not a database\n" * 100)
        shutil.copy(self.template, self.newer)
        with sqlite3.connect(self.newer) as db:
            db.execute("PRAGMA user_version = 99")
        shutil.copy(self.template, self.locked)
        self.holder = spawn("-c", HOLDER, self.locked)
        ready = self.holder.stdout.readline().split()
        assert ready == ["ready", str(p.HSUCC)], ready

    def close(self):
        self.holder.stdin.write("\n")
        self.holder.stdin.flush()
        self.holder.wait(10)


class World:
    """A running session over fresh copies of the shared files."""

    def __init__(self, files, folder):
        self.files = files
        self.folder = folder
        self.path = str(folder / "main.crqx")
        self.other_path = str(folder / "other.crqx")
        self.new_path = str(folder / "new.crqx")
        self.missing_path = str(folder / "missing.crqx")
        self.garbage_path = files.garbage
        self.newer_path = files.newer
        self.ro_path = ro_path = str(folder / "ro.crqx")
        self.locked_path = files.locked
        for copy in (self.path, self.other_path, ro_path):
            shutil.copy(files.template, copy)
        s = [0]
        p.qzvini(s)
        check(s[0], "start a session")
        p.qzvsopt(s, ["BUSY_TIMEOUT"], ["0"])
        self.key = self._open(self.path, p.HUMODE)
        self.ro = self._open(ro_path, p.HRMODE)
        self.locked = self._open(files.locked, p.HSMODE)
        self.wildkey = 0
        self.connection_files = {}

    def _open(self, path, mode):
        s, key = [0], [0]
        p.qzvopdb(s, key, [path], mode)
        check(s[0], f"open {path}")
        return key[0]

    def file_names(self, key):
        """The file names a text may give for database `key`."""
        paths = {self.key: self.path, self.ro: self.ro_path, self.locked: self.locked_path}
        return [paths[key]] if key in paths else []

    def connection_file_names(self, key):
        """The database file a connection names, for its texts."""
        path = self.connection_files.get(key)
        return [path] if path else []

    def end(self):
        p.qzvfin([0])

    def call(self, fn, args):
        """Calls `fn` (a Python name) with `args` in parameter order."""
        return invoke(getattr(p, fn), fn, args)

    def _connection(self, service):
        s, key = [0], [0]
        p.qzvopcn(s, key, [service], [""], [""], [""])
        check(s[0], f"connect to {service!r}")
        self.connection_files[key[0]] = service[len("LOCAL:"):]
        return key[0]

    # Connections, made when a case names them.
    @cached_property
    def conn(self):
        return self._connection("")

    @cached_property
    def other_conn(self):
        return self._connection("LOCAL:" + self.other_path)

    @cached_property
    def conn_dir(self):
        return self._connection("LOCAL:" + str(self.folder))

    @cached_property
    def conn_garbage(self):
        return self._connection("LOCAL:" + self.garbage_path)

    @cached_property
    def conn_newer(self):
        return self._connection("LOCAL:" + self.newer_path)

    @cached_property
    def conn_main(self):
        return self._connection("LOCAL:" + self.path)

    # A server connection and a database on it, for the cases only a server
    # can make; without a PostgreSQL server (CRQX_PG_TEST_HOST) they skip.
    @cached_property
    def srv_conn(self):
        host = os.environ.get("CRQX_PG_TEST_HOST", "")
        if not host:
            pytest.skip("no PostgreSQL server: set CRQX_PG_TEST_HOST")
        s, key = [0], [0]
        p.qzvopcn(s, key, ["PG"], [host], [""], [""])
        check(s[0], "connect to the server")
        return key[0]

    @cached_property
    def srv_key(self):
        s, key = [0], [0]
        p.qzvopdc(s, key, ["status_" + os.urandom(6).hex()], p.HCMODE, self.srv_conn)
        check(s[0], "create a database on the server")
        return key[0]

    srv_dblist = property(lambda self: [self.srv_key])

    def _server_setting(self, name):
        value = os.environ.get(name, "")
        if not value:
            pytest.skip("no PostgreSQL server: set CRQX_PG_TEST_HOST and the rest of its env")
        return value

    # The server over TCP, where it asks for the password; and a PostgreSQL
    # database of that server that does not exist.
    srv_tcp = property(lambda self: self._server_setting("CRQX_PG_TEST_TCP"))
    srv_user = property(lambda self: self._server_setting("CRQX_PG_TEST_USER"))
    srv_password = property(lambda self: self._server_setting("CRQX_PG_TEST_PASSWORD"))
    srv_tcp_nodb = property(lambda self: self.srv_tcp.rsplit("/", 1)[0] + "/no_such_database")

    def refused_commit(self):
        """An unheld commit assertion and a change for the commit to refuse."""
        check(_call(p.qzvasrt, self.srv_conn, 1, ["0 > 1"], 1, 1, [self.srv_key]),
              "add an assertion")
        check(_call(p.qzvddes, self.srv_key, ["changed"]), "change the server database")

    local_other = property(lambda self: "LOCAL:" + self.other_path)
    local_missing = property(lambda self: "LOCAL:" + self.missing_path)
    local_garbage = property(lambda self: "LOCAL:" + self.garbage_path)
    local_newer = property(lambda self: "LOCAL:" + self.newer_path)
    local_path = property(lambda self: "LOCAL:" + self.path)

    @cached_property
    def empty_wildkey(self):
        key = [0]
        check(p.zavo_init_wildcard(self.key, key, ["ZZZ*"], 0, [" "]), "an empty search")
        return key[0]

    def self_formula(self):
        check(p.zavo_create_formula(self.key, ["SELF"], ["SELF + 1"]), "formula SELF")


def invoke(function, name, args):
    """Calls a classic function (status cell first) or an extended one."""
    if name.startswith("qzv"):
        status = [None]
        function(status, *args)
        return status[0]
    return function(*args)
