"""The engine beside the storage libraries users would otherwise pick.

The same data in each: 10,000 series of 100 doubles (names S0000..S9999) and
one series of 1,000,000 doubles. Jobs:

  many write   create the 10,000 series, write them and post, into a new file
  many read    read all 10,000 back into Python lists, from a fresh opening
  many size    the file's size after the post (bytes, not time)
  glob S1*     the names matching S1* (1,000 of 10,000)
  glob none    a pattern that matches nothing (ZZ*)
  big write    write 1,000,000 values and post, into a new file
  big read     read them back into a Python list, from a fresh opening
  window       100 values from the middle of the million, an open database
               (mean of 200 queries at different offsets)
  update       change one value of the million and post

Durability is matched: every peer makes one commit durable with one sync of
the file it appends to, as the engine does at a post (WAL, synchronous=FULL):

  sqlite   one table blobs(name TEXT PRIMARY KEY, data BLOB), WAL,
           synchronous=FULL; one transaction per job; the window and the
           update go through incremental blob I/O (blobopen)
  duckdb   many: one LIST row per series; big: a table of (i, v) rows; its
           write-ahead log is synced at each commit (its default)
  parquet  one file per data set written whole (pyarrow), then fsync; an
           update rewrites the file; names from the name column alone
  hdf      pandas HDFStore (PyTables): many as one frame of 10,000 columns
           (fixed format), big as a table-format series; fsync after close
  arctic   ArcticDB on LMDB (syncs at each of its commits): many as one
           frame of 10,000 columns (one symbol per series takes minutes to
           write: a sync per symbol), names from its column list

A peer whose package is not installed is skipped, and the table says so.
Ratios are engine / peer: below 1 the engine is faster. Each figure is the
best of the repeats; nothing here fails a run.

    python bench_peers.py [--repeat N] [--peers sqlite,duckdb,...]
"""
import argparse
import gc
import os
import shutil
import sqlite3
import sys
import tempfile
import time
from array import array

import pyrqx as z

BIG = 1_000_000
MANY = 10_000
SMALL = 100
WINDOW = 100
WINDOW_QUERIES = 200
NAMES = ["S%04d" % i for i in range(MANY)]
S1_NAMES = [n for n in NAMES if n.startswith("S1")]


def ok(status, what):
    code = status[0] if isinstance(status, list) else status
    if code != z.HSUCC:
        raise RuntimeError("%s: status %d" % (what, code))


def series_values(n, seed):
    return [seed + i * 0.25 for i in range(n)]


def fsync_path(path):
    fd = os.open(path, os.O_RDONLY)
    try:
        os.fsync(fd)
    finally:
        os.close(fd)


def window_offsets():
    step = (BIG - WINDOW) // WINDOW_QUERIES
    return [BIG // 4 + (i * 7919) % (BIG // 2) for i in range(WINDOW_QUERIES)] if step else [0]


# ------------------------------------------------------------------- engine

class Engine:
    name = "engine"
    durability = "WAL, synchronous=FULL: one fdatasync of the WAL per post"

    def __init__(self, folder):
        self.key = None

    def _open(self, path, mode):
        s, k = [0], [0]
        z.qzvopdb(s, k, [path], mode)
        ok(s, "qzvopdb")
        self.key = k[0]

    def _close(self):
        s = [0]
        z.qzvcldb(s, self.key)
        ok(s, "qzvcldb")
        self.key = None

    def _post(self):
        s = [0]
        z.qzvpodb(s, self.key)
        ok(s, "qzvpodb")

    @staticmethod
    def _range(first, last):
        r = [0, 0, 0]
        ok(z.zavo_init_range_from_indexes(r, z.HDAILY, first, last), "range")
        return r

    def many_write(self, path, data):
        self._open(path, z.HCMODE)
        r = self._range(0, SMALL - 1)
        for name, vals in zip(NAMES, data):
            s = [0]
            z.qzvnwob(s, self.key, [name], z.HSERIE, z.HDAILY, z.HPRECN, z.HBSDAY, z.HOBAVG)
            ok(s, "qzvnwob")
            ok(z.zavo_write_precisions(self.key, [name], r, vals), "zavo_write_precisions")
        self._post()
        self._close()
        return path

    def open_read(self, path):
        self._open(path, z.HRMODE)

    def close(self):
        if self.key is not None:
            self._close()

    def many_read(self):
        r = self._range(0, SMALL - 1)
        got = []
        for name in NAMES:
            cell = [0.0] * SMALL
            ok(z.zavo_get_precisions(self.key, [name], r, cell), "zavo_get_precisions")
            got.append(cell)
        return got

    def glob(self, pattern):
        w = [0]
        ok(z.zavo_init_wildcard(self.key, w, [pattern], 0, [" "]), "zavo_init_wildcard")
        found = []
        name, c, ty, f, s, e, n = [" " * 16], [0], [0], [0], [0], [0], [0]
        while z.zavo_get_next_wildcard(w[0], name, c, ty, f, s, e, 16, n) == z.HSUCC:
            found.append(name[0].rstrip())
            name[0] = " " * 16
        z.zavo_free_wildcard(w[0])
        return found

    def big_write(self, path, data):
        self._open(path, z.HCMODE)
        s = [0]
        z.qzvnwob(s, self.key, ["BIG"], z.HSERIE, z.HDAILY, z.HPRECN, z.HBSDAY, z.HOBAVG)
        ok(s, "qzvnwob")
        self._post()
        t0 = time.perf_counter()
        ok(z.zavo_write_precisions(self.key, ["BIG"], self._range(0, BIG - 1), data), "write")
        self._post()
        elapsed = time.perf_counter() - t0
        self._close()
        return elapsed

    def big_read(self):
        got = [0.0] * BIG
        ok(z.zavo_get_precisions(self.key, ["BIG"], self._range(0, BIG - 1), got), "read")
        return got

    def open_update(self, path):
        self._open(path, z.HUMODE)

    def window(self, first):
        got = [0.0] * WINDOW
        ok(z.zavo_get_precisions(self.key, ["BIG"], self._range(first, first + WINDOW - 1), got),
           "window")
        return got

    def update(self, index, value):
        ok(z.zavo_write_precisions(self.key, ["BIG"], self._range(index, index), [value]), "update")
        self._post()


# ------------------------------------------------------------------- peers

class Connected:
    """A peer that reads through a connection its _connect(path) opens as
    self.con."""

    def open_read(self, path):
        self._connect(path)

    def close(self):
        self.con.close()


class SqliteBlobs(Connected):
    name = "sqlite"
    module = "sqlite3"
    durability = "WAL, synchronous=FULL: one fdatasync of the WAL per commit"

    def _connect(self, path):
        self.con = sqlite3.connect(path, isolation_level=None)
        self.con.execute("PRAGMA journal_mode=WAL")
        self.con.execute("PRAGMA synchronous=FULL")
        self.con.execute("CREATE TABLE IF NOT EXISTS blobs(name TEXT PRIMARY KEY, data BLOB)")

    def many_write(self, path, data):
        self._connect(path)
        self.con.execute("BEGIN")
        self.con.executemany("INSERT INTO blobs VALUES (?, ?)",
                             ((n, array("d", v).tobytes()) for n, v in zip(NAMES, data)))
        self.con.execute("COMMIT")
        self.con.close()
        return path

    def many_read(self):
        got, query = [], self.con.cursor()
        for name in NAMES:
            a = array("d")
            a.frombytes(query.execute("SELECT data FROM blobs WHERE name = ?", (name,)).fetchone()[0])
            got.append(a.tolist())
        return got

    def glob(self, pattern):
        return [r[0] for r in self.con.execute(
            "SELECT name FROM blobs WHERE name GLOB ? ORDER BY name", (pattern,))]

    def big_write(self, path, data):
        self._connect(path)
        t0 = time.perf_counter()
        self.con.execute("BEGIN")
        self.con.execute("INSERT INTO blobs VALUES ('BIG', ?)", (array("d", data).tobytes(),))
        self.con.execute("COMMIT")
        elapsed = time.perf_counter() - t0
        self.con.close()
        return elapsed

    def big_read(self):
        a = array("d")
        a.frombytes(self.con.execute("SELECT data FROM blobs WHERE name = 'BIG'").fetchone()[0])
        return a.tolist()

    def open_update(self, path):
        self._connect(path)
        self.rowid = self.con.execute("SELECT rowid FROM blobs WHERE name = 'BIG'").fetchone()[0]

    def window(self, first):
        with self.con.blobopen("blobs", "data", self.rowid, readonly=True) as blob:
            blob.seek(first * 8)
            a = array("d")
            a.frombytes(blob.read(WINDOW * 8))
        return a.tolist()

    def update(self, index, value):
        self.con.execute("BEGIN")
        with self.con.blobopen("blobs", "data", self.rowid) as blob:
            blob.seek(index * 8)
            blob.write(array("d", [value]).tobytes())
        self.con.execute("COMMIT")


class DuckDB(Connected):
    name = "duckdb"
    module = "duckdb"
    durability = "its WAL synced at each commit (default)"

    def _connect(self, path):
        import duckdb
        self.con = duckdb.connect(path)

    def many_write(self, path, data):
        self._connect(path)
        self.con.execute("CREATE TABLE series(name VARCHAR PRIMARY KEY, v DOUBLE[])")
        import pyarrow as pa
        frame = pa.table({"name": NAMES, "v": data})  # noqa: F841 (read by the query)
        self.con.execute("BEGIN")
        self.con.execute("INSERT INTO series SELECT * FROM frame")
        self.con.execute("COMMIT")
        self.con.close()
        return path

    def many_read(self):
        rows = dict(self.con.execute("SELECT name, v FROM series").fetchall())
        return [rows[n] for n in NAMES]

    def glob(self, pattern):
        return [r[0] for r in self.con.execute(
            "SELECT name FROM series WHERE name GLOB ? ORDER BY name", [pattern]).fetchall()]

    def big_write(self, path, data):
        import pyarrow as pa
        self._connect(path)
        self.con.execute("CREATE TABLE big(i BIGINT, v DOUBLE)")
        frame = pa.table({"i": pa.array(range(BIG), pa.int64()), "v": data})  # noqa: F841
        t0 = time.perf_counter()
        self.con.execute("BEGIN")
        self.con.execute("INSERT INTO big SELECT * FROM frame")
        self.con.execute("COMMIT")
        elapsed = time.perf_counter() - t0
        self.con.close()
        return elapsed

    def big_read(self):
        return self.con.execute("SELECT v FROM big ORDER BY i").fetchnumpy()["v"].tolist()

    def open_update(self, path):
        self._connect(path)

    def window(self, first):
        return [r[0] for r in self.con.execute(
            "SELECT v FROM big WHERE i BETWEEN ? AND ? ORDER BY i", [first, first + WINDOW - 1]).fetchall()]

    def update(self, index, value):
        self.con.execute("UPDATE big SET v = ? WHERE i = ?", [value, index])


class Parquet:
    name = "parquet"
    module = "pyarrow"
    durability = "file written whole, then one fsync"

    def many_write(self, path, data):
        import pyarrow as pa
        import pyarrow.parquet as pq
        pq.write_table(pa.table({"name": NAMES, "v": data}), path)
        fsync_path(path)
        return path

    def open_read(self, path):
        self.path = path

    def close(self):
        pass

    def many_read(self):
        import pyarrow.parquet as pq
        table = pq.read_table(self.path)
        rows = dict(zip(table.column("name").to_pylist(), table.column("v").to_pylist()))
        return [rows[n] for n in NAMES]

    def glob(self, pattern):
        import fnmatch
        import pyarrow.parquet as pq
        names = pq.read_table(self.path, columns=["name"]).column("name").to_pylist()
        return sorted(n for n in names if fnmatch.fnmatchcase(n, pattern))

    def big_write(self, path, data):
        import pyarrow as pa
        import pyarrow.parquet as pq
        t0 = time.perf_counter()
        pq.write_table(pa.table({"v": pa.array(data, pa.float64())}), path)
        fsync_path(path)
        return time.perf_counter() - t0

    def big_read(self):
        import pyarrow.parquet as pq
        return pq.read_table(self.path).column("v").to_pylist()

    def open_update(self, path):
        self.path = path

    def window(self, first):
        import pyarrow.parquet as pq
        return pq.read_table(self.path).column("v").slice(first, WINDOW).to_pylist()

    def update(self, index, value):
        # A Parquet file cannot change in place: it is written again.
        import pyarrow as pa
        import pyarrow.parquet as pq
        v = pq.read_table(self.path).column("v").to_numpy().copy()
        v[index] = value
        pq.write_table(pa.table({"v": pa.array(v)}), self.path)
        fsync_path(self.path)


class HDF:
    name = "hdf"
    module = "tables"
    durability = "file closed, then one fsync"

    def many_write(self, path, data):
        import numpy as np
        import pandas as pd
        frame = pd.DataFrame(np.array(data).T, columns=NAMES)
        with pd.HDFStore(path, "w") as store:
            store.put("many", frame, format="fixed")
        fsync_path(path)
        return path

    def open_read(self, path):
        import pandas as pd
        self.store = pd.HDFStore(path, "r")

    def close(self):
        self.store.close()

    def many_read(self):
        frame = self.store.get("many")
        return [frame[n].tolist() for n in NAMES]

    def glob(self, pattern):
        import fnmatch
        columns = self.store.select("many", start=0, stop=0).columns
        return sorted(n for n in columns if fnmatch.fnmatchcase(n, pattern))

    def big_write(self, path, data):
        import pandas as pd
        series = pd.Series(data)
        t0 = time.perf_counter()
        with pd.HDFStore(path, "w") as store:
            store.put("big", series, format="table")
        fsync_path(path)
        return time.perf_counter() - t0

    def big_read(self):
        return self.store.select("big").tolist()

    def open_update(self, path):
        import pandas as pd
        self.path = path
        self.store = pd.HDFStore(path, "a")

    def window(self, first):
        return self.store.select("big", start=first, stop=first + WINDOW).tolist()

    def update(self, index, value):
        # A table cannot change a row in place: the series is written again.
        series = self.store.select("big")
        series.iloc[index] = value
        self.store.put("big", series, format="table")
        self.store.flush(fsync=True)


class Arctic:
    name = "arctic"
    module = "arcticdb"
    durability = "LMDB, synced at each of its commits (default)"

    def _library(self, path):
        import arcticdb
        self.ac = arcticdb.Arctic("lmdb://" + path)
        if "lib" not in self.ac.list_libraries():
            self.ac.create_library("lib")
        self.lib = self.ac["lib"]

    @staticmethod
    def _frame(values):
        import pandas as pd
        return pd.DataFrame({"v": values}, index=pd.date_range("2000-01-01", periods=len(values), freq="min"))

    def many_write(self, path, data):
        import numpy as np
        import pandas as pd
        self._library(path)
        index = pd.date_range("2000-01-01", periods=SMALL, freq="min")
        self.lib.write("many", pd.DataFrame(np.array(data).T, columns=NAMES, index=index))
        self.close()
        return path

    def open_read(self, path):
        self._library(path)

    def close(self):
        self.lib = None
        self.ac = None
        gc.collect()

    def many_read(self):
        frame = self.lib.read("many").data
        return [frame[n].tolist() for n in NAMES]

    def glob(self, pattern):
        import fnmatch
        columns = [c.name for c in self.lib.get_description("many").columns]
        return sorted(n for n in columns if fnmatch.fnmatchcase(n, pattern))

    def big_write(self, path, data):
        self._library(path)
        frame = self._frame(data)
        t0 = time.perf_counter()
        self.lib.write("BIG", frame)
        elapsed = time.perf_counter() - t0
        self.close()
        return elapsed

    def big_read(self):
        return self.lib.read("BIG").data["v"].tolist()

    def open_update(self, path):
        self._library(path)

    def window(self, first):
        return self.lib.read("BIG", row_range=(first, first + WINDOW)).data["v"].tolist()

    def update(self, index, value):
        import pandas as pd
        at = pd.Timestamp("2000-01-01") + pd.Timedelta(minutes=index)
        self.lib.update("BIG", pd.DataFrame({"v": [value]}, index=[at]))


PEERS = [SqliteBlobs, DuckDB, Parquet, HDF, Arctic]


# ------------------------------------------------------------------- runner

def file_size(path):
    if os.path.isdir(path):
        return sum(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(path) for f in fs)
    return sum(os.path.getsize(p) for p in (path, path + ".wal", path + "-wal") if os.path.exists(p))


def timed(function):
    gc.collect()
    gc.disable()
    try:
        t0 = time.perf_counter()
        result = function()
        return time.perf_counter() - t0, result
    finally:
        gc.enable()


def measure(sides, folder, repeat, many, big):
    """Every job of every side: {side: {job: seconds (bytes for the size)}}.
    The repeats of the sides are interleaved, so a burst of load on a shared
    machine hits them alike."""
    out = {side.name: {} for side in sides}

    def best(job, run):
        for side in sides:
            out[side.name][job] = float("inf")
        for i in range(repeat):
            for side in sides:
                out[side.name][job] = min(out[side.name][job], run(side, i))

    paths = {}

    def many_write(side, i):
        path = os.path.join(folder, "%s-many-%d" % (side.name, i))
        t, _ = timed(lambda: side.many_write(path, many))
        if i:
            remove(paths[side.name])
        paths[side.name] = path
        return t

    best("many write", many_write)
    for side in sides:
        out[side.name]["many size"] = file_size(paths[side.name])

    def opened(job):
        def run(side, i):
            side.open_read(paths[side.name])
            try:
                return job(side)
            finally:
                side.close()
        return run

    def many_read(side):
        t, got = timed(side.many_read)
        assert got == many, "%s: many read back other values" % side.name
        return t

    def glob(pattern, want):
        def run(side):
            t, got = timed(lambda: side.glob(pattern))
            assert list(got) == want, "%s: %s found %d names" % (side.name, pattern, len(got))
            return t
        return run

    best("many read", opened(many_read))
    best("glob S1*", opened(glob("S1*", S1_NAMES)))
    best("glob none", opened(glob("ZZ*", [])))

    def big_write(side, i):
        path = os.path.join(folder, "%s-big-%d" % (side.name, i))
        t = side.big_write(path, big)
        if i:
            remove(paths[side.name])
        paths[side.name] = path
        return t

    best("big write", big_write)

    def big_read(side):
        t, got = timed(side.big_read)
        assert got == big, "%s: big read back other values" % side.name
        return t

    best("big read", opened(big_read))
    offsets = window_offsets()
    for side in sides:
        side.open_update(paths[side.name])
        first = offsets[0]
        assert side.window(first) == big[first:first + WINDOW], "%s: window" % side.name

    def window(side, i):
        t, _ = timed(lambda: [side.window(o) for o in offsets])
        return t / len(offsets)

    best("window", window)
    best("update", lambda side, i: timed(lambda: side.update(BIG // 2 + i, -1.0 - i))[0])
    for side in sides:
        side.close()
    return out


def remove(path):
    if os.path.isdir(path):
        shutil.rmtree(path, ignore_errors=True)
        return
    for p in (path, path + "-wal", path + "-shm"):
        if os.path.exists(p):
            os.remove(p)


JOBS = ["many write", "many read", "many size", "glob S1*", "glob none",
        "big write", "big read", "window", "update"]


def show(job, value):
    return "%.1f MB" % (value / 1e6) if job == "many size" else "%.3f ms" % (value * 1e3)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repeat", type=int, default=5, help="best of N (default 5)")
    parser.add_argument("--peers", default=",".join(p.name for p in PEERS),
                        help="comma-separated peers to run (default: all)")
    args = parser.parse_args()
    wanted = args.peers.split(",")

    s = [0]
    z.qzvini(s)
    ok(s, "qzvini")
    many = [series_values(SMALL, float(i)) for i in range(MANY)]
    big = series_values(BIG, 0.5)
    folder = tempfile.mkdtemp(prefix="bench-peers-", dir=os.environ.get("BENCH_DIR"))
    skipped = []
    try:
        print("best of %d; SQLite %s; Python %s; files in %s" % (
            args.repeat, sqlite3.sqlite_version, sys.version.split()[0], folder), flush=True)
        sides = [Engine(folder)]
        for peer in PEERS:
            if peer.name not in wanted:
                continue
            try:
                __import__(peer.module)
            except ImportError:
                skipped.append("%s (package %s not installed)" % (peer.name, peer.module))
                continue
            sides.append(peer())
        results = measure(sides, folder, args.repeat, many, big)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
        z.qzvfin([0])
    sides = list(results)
    print("%-10s" % "job" + "".join("%22s" % s for s in sides))
    for job in JOBS:
        engine = results["engine"][job]
        cells = [show(job, engine)]
        for side in sides[1:]:
            peer = results[side][job]
            cells.append("%s %5.2fx" % (show(job, peer), engine / peer if peer else float("inf")))
        print("%-10s" % job + "".join("%22s" % c for c in cells))
    print("ratio: engine / peer (below 1: the engine is faster)")
    for side in [Engine] + [p for p in PEERS if p.name in results]:
        print("durability %-8s %s" % (side.name, side.durability))
    for s in skipped:
        print("skipped %s" % s)


if __name__ == "__main__":
    main()
