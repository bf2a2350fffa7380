"""The engine against the same data held as plain SQLite blobs.

Every row times one job done twice in this process: through pyrqx on the
crqx engine, and through Python's sqlite3 module on one table
blobs(name TEXT PRIMARY KEY, data BLOB) in one file, WAL mode, synchronous=FULL
(the engine's default DURABILITY=FULL). Values travel as Python lists of
floats on both sides unless a row says otherwise. The repeats of the two sides
are interleaved and the best repeat of each is kept, so a burst of load on a
shared machine hits both alike. The figures are information: nothing here
fails a run.

The last row compares two engine reads instead: the formula
(A + B) / lag(C, 1) over 1,000,000 observations against one stored series.

    python bench_engine.py [--quick] [--repeat N] [--formula-only]
"""
import argparse
import ctypes
import gc
import os
import shutil
import sqlite3
import sys
import tempfile
import time
from array import array

import pyrqx as z

BIG = 1_000_000          # observations of the large series
MANY = 10_000            # number of small series
SMALL = 100              # observations of each small series


# ---------------------------------------------------------------- helpers

def ok(status, what):
    code = status[0] if isinstance(status, list) else status
    if code != z.HSUCC:
        raise RuntimeError("%s: status %d" % (what, code))


def day_range(first, last):
    r = [0, 0, 0]
    ok(z.zavo_init_range_from_indexes(r, z.HDAILY, first, last), "zavo_init_range_from_indexes")
    return r


def values(n, seed=0.0):
    return [seed + i * 0.25 for i in range(n)]


class Engine:
    """One database file of the engine, opened and closed by the caller."""

    def __init__(self, path):
        self.path = path
        self.key = None

    def open(self, mode):
        s, k = [0], [0]
        z.qzvopdb(s, k, [self.path], mode)
        ok(s, "qzvopdb")
        self.key = k[0]

    def close(self):
        s = [0]
        z.qzvcldb(s, self.key)
        ok(s, "qzvcldb")
        self.key = None

    def post(self):
        s = [0]
        z.qzvpodb(s, self.key)
        ok(s, "qzvpodb")

    def new(self, name):
        s = [0]
        z.qzvnwob(s, self.key, [name], z.HSERIE, z.HDAILY, z.HPRECN, z.HBSDAY, z.HOBAVG)
        ok(s, "qzvnwob")


class Peer:
    """The same data as blobs in one SQLite file."""

    def __init__(self, path):
        self.path = path
        self.con = None

    def open(self):
        self.con = sqlite3.connect(self.path, isolation_level=None)
        self.con.execute("PRAGMA journal_mode=WAL")
        self.con.execute("PRAGMA synchronous=FULL")
        self.con.execute("CREATE TABLE IF NOT EXISTS blobs(name TEXT PRIMARY KEY, data BLOB)")

    def close(self):
        self.con.close()
        self.con = None


def best(fn, repeat, setup=None):
    """The best of `repeat` timings of fn(); setup() runs untimed before each."""
    times = []
    for _ in range(repeat):
        arg = setup() if setup else None
        gc.collect()
        gc.disable()
        try:
            t0 = time.perf_counter()
            fn(arg)
            times.append(time.perf_counter() - t0)
        finally:
            gc.enable()
    return min(times)


def crqx_library():
    """The libcrqx this process loaded with pyrqx (same session), for direct C calls."""
    try:
        with open("/proc/self/maps") as maps:
            for line in maps:
                path = line.split()[-1]
                if os.path.basename(path).startswith("libcrqx") and ".so" in path:
                    lib = ctypes.CDLL(path)
                    lib.zavo_get_precisions.argtypes = [ctypes.c_int, ctypes.c_char_p,
                                                        ctypes.POINTER(ctypes.c_int),
                                                        ctypes.POINTER(ctypes.c_double)]
                    lib.zavo_get_precisions.restype = ctypes.c_int
                    return lib, path
    except OSError:
        pass
    return None, None


# ---------------------------------------------------------------- the rows

def run(folder, repeat, out):
    """Measures every row; out(label, engine, peer, note) prints one."""
    big = values(BIG, 0.5)
    big_range = day_range(0, BIG - 1)
    lib, lib_path = crqx_library()

    # 1. Write-and-post of one 1,000,000-observation series, each into a fresh file.
    counter = [0]

    def fresh_engine():
        counter[0] += 1
        e = Engine(os.path.join(folder, "w%d.crqx" % counter[0]))
        e.open(z.HCMODE)
        e.new("BIG")
        e.post()
        return e

    def engine_write(e):
        ok(z.zavo_write_precisions(e.key, ["BIG"], big_range, big), "zavo_write_precisions")
        e.post()

    def fresh_peer():
        counter[0] += 1
        p = Peer(os.path.join(folder, "w%d.sqlite" % counter[0]))
        p.open()
        return p

    def peer_write(p):
        data = array("d", big).tobytes()
        p.con.execute("BEGIN")
        p.con.execute("INSERT INTO blobs VALUES (?, ?)", ("BIG", data))
        p.con.execute("COMMIT")

    e_times, p_times = [], []
    engines, peers = [], []
    for _ in range(repeat):  # interleaved
        e_times.append(best(engine_write, 1, lambda: engines.append(fresh_engine()) or engines[-1]))
        p_times.append(best(peer_write, 1, lambda: peers.append(fresh_peer()) or peers[-1]))
    for e in engines:
        e.close()
    for p in peers:
        p.close()
    out("write+post 1,000,000 (list in, both)", min(e_times), min(p_times), "target <= 2x", 2.0)

    # The read rows use the last files written above.
    epath, ppath = engines[-1].path, peers[-1].path
    for i in range(len(engines) - 1):
        os.remove(engines[i].path)
        os.remove(peers[i].path)

    # 2. Read from a freshly opened database into a new Python list.
    def engine_open_read():
        e = Engine(epath)
        e.open(z.HRMODE)
        return e

    def engine_read(e):
        got = [0.0] * BIG
        ok(z.zavo_get_precisions(e.key, ["BIG"], big_range, got), "zavo_get_precisions")
        e.result = got

    def peer_open_read():
        p = Peer(ppath)
        p.open()
        return p

    def peer_read(p):
        data = p.con.execute("SELECT data FROM blobs WHERE name = ?", ("BIG",)).fetchone()[0]
        got = array("d")
        got.frombytes(data)
        p.result = got.tolist()

    def peer_read_bytes(p):
        p.result = p.con.execute("SELECT data FROM blobs WHERE name = ?", ("BIG",)).fetchone()[0]

    cells = {"e": [], "p": [], "ec": [], "ep": [], "pb": []}
    buffer = (ctypes.c_double * BIG)()
    c_range = (ctypes.c_int * 3)(*big_range)
    prealloc = [0.0] * BIG
    for _ in range(repeat):
        e = engine_open_read()
        cells["e"].append(best(engine_read, 1, lambda: e))
        assert e.result == big, "engine read back other values"
        e.close()
        p = peer_open_read()
        cells["p"].append(best(peer_read, 1, lambda: p))
        assert p.result == big, "peer read back other values"
        p.close()
        # C level: the engine filling a C array (no Python floats) against
        # SQLite delivering the blob's bytes; both from a fresh opening.
        e = engine_open_read()
        if lib is not None:
            def c_read(_):
                ok(lib.zavo_get_precisions(e.key, b"BIG", c_range, buffer), "zavo_get_precisions (C)")
            cells["ec"].append(best(c_read, 1))
        e.close()
        e = engine_open_read()
        cells["ep"].append(best(lambda _: ok(z.zavo_get_precisions(e.key, ["BIG"], big_range, prealloc),
                                             "zavo_get_precisions"), 1))
        e.close()
        p = peer_open_read()
        cells["pb"].append(best(peer_read_bytes, 1, lambda: p))
        p.close()
    out("read 1,000,000, fresh open (list out, both)", min(cells["e"]), min(cells["p"]), "target <= 2x", 2.0)
    out("  pyrqx, preallocated list | SELECT bytes", min(cells["ep"]), min(cells["pb"]), "", None)
    if lib is not None:
        assert list(buffer) == big
        out("  C double array (ctypes) | SELECT bytes", min(cells["ec"]), min(cells["pb"]), "target <= 2x", 2.0)
    else:
        print("  (libcrqx not found in the process: no C-level row)")

    # 3. End to end on an open database: the two Python reads of 1,000,000.
    e = Engine(epath)
    e.open(z.HRMODE)
    p = Peer(ppath)
    p.open()
    for _ in range(3):  # warm up both
        engine_read(e)
        peer_read(p)

    def classic_read(_):
        s, got = [0], [0.0] * BIG
        z.qzvrrng_double(s, e.key, ["BIG"], big_range, got, z.HNTMIS, None)
        ok(s, "qzvrrng_double")

    t = {"c": [], "x": [], "p": []}
    for _ in range(repeat):
        t["c"].append(best(classic_read, 1))
        t["x"].append(best(engine_read, 1, lambda: e))
        t["p"].append(best(peer_read, 1, lambda: p))
    out("qzvrrng_double 1,000,000, open (list out)", min(t["c"]), min(t["p"]), "", None)
    out("zavo_get_precisions 1,000,000, open", min(t["x"]), min(t["p"]), "", None)
    e.close()
    p.close()

    # 4. Many small series: create, write and post all, then read all back.
    small = [values(SMALL, i) for i in range(MANY)]
    names = ["S%05d" % i for i in range(MANY)]
    small_range = day_range(0, SMALL - 1)

    def engine_many(e):
        for name, vals in zip(names, small):
            e.new(name)
            ok(z.zavo_write_precisions(e.key, [name], small_range, vals), "zavo_write_precisions")
        e.post()

    def peer_many(p):
        p.con.execute("BEGIN")
        p.con.executemany("INSERT INTO blobs VALUES (?, ?)",
                          ((name, array("d", vals).tobytes()) for name, vals in zip(names, small)))
        p.con.execute("COMMIT")

    def fresh_empty_engine():
        counter[0] += 1
        en = Engine(os.path.join(folder, "m%d.crqx" % counter[0]))
        en.open(z.HCMODE)
        return en

    t = {"we": [], "wp": [], "re": [], "rp": [], "ge": [], "gp": []}
    files = []
    for _ in range(max(1, repeat // 2)):
        en = fresh_empty_engine()
        t["we"].append(best(engine_many, 1, lambda: en))
        en.close()
        pe = fresh_peer()
        t["wp"].append(best(peer_many, 1, lambda: pe))
        pe.close()
        files.append((en.path, pe.path))
    epath, ppath = files[-1]

    def engine_read_many(e):
        got = []
        for name in names:
            cell = [0.0] * SMALL
            ok(z.zavo_get_precisions(e.key, [name], small_range, cell), "zavo_get_precisions")
            got.append(cell)
        e.result = got

    def peer_read_many(p):
        got = []
        query = p.con.cursor()
        for name in names:
            data = query.execute("SELECT data FROM blobs WHERE name = ?", (name,)).fetchone()[0]
            a = array("d")
            a.frombytes(data)
            got.append(a.tolist())
        p.result = got

    def engine_wild(e):
        w = [0]
        ok(z.zavo_init_wildcard(e.key, w, ["S*"], 0, [" "]), "zavo_init_wildcard")
        found = []
        name, c, ty, f, s, en_, n = [" " * 16], [0], [0], [0], [0], [0], [0]
        while z.zavo_get_next_wildcard(w[0], name, c, ty, f, s, en_, 16, n) == z.HSUCC:
            found.append(name[0])
            name[0] = " " * 16
        z.zavo_free_wildcard(w[0])
        e.result = found

    def peer_wild(p):
        p.result = [r[0] for r in p.con.execute("SELECT name FROM blobs WHERE name LIKE 'S%' ORDER BY name")]

    for _ in range(repeat):
        e = Engine(epath)
        e.open(z.HRMODE)
        t["re"].append(best(engine_read_many, 1, lambda: e))
        assert e.result == small
        t["ge"].append(best(engine_wild, 1, lambda: e))
        assert e.result == names, "engine wildcard"
        e.close()
        p = Peer(ppath)
        p.open()
        t["rp"].append(best(peer_read_many, 1, lambda: p))
        assert p.result == small
        t["gp"].append(best(peer_wild, 1, lambda: p))
        assert p.result == names, "peer LIKE"
        p.close()
    out("10,000 x 100: create+write+post", min(t["we"]), min(t["wp"]), "", None)
    out("10,000 x 100: read all, fresh open", min(t["re"]), min(t["rp"]), "", None)
    out("wildcard S* over 10,000 names", min(t["ge"]), min(t["gp"]), "", None)
    return lib_path


def formula_row(folder, repeat, out):
    """Reading the formula (A + B) / lag(C, 1) over 1,000,000 observations
    against reading one stored series of that length, both into a new
    Python list, in the same run."""
    e = Engine(os.path.join(folder, "formula.crqx"))
    e.open(z.HCMODE)
    big_range = day_range(1, BIG)
    for name, seed in (("A", 1.0), ("B", 2.0), ("C", 3.0)):
        e.new(name)
        ok(z.zavo_write_precisions(e.key, [name], day_range(0, BIG), values(BIG + 1, seed)), "zavo_write_precisions")
    ok(z.zavo_create_formula(e.key, ["F"], ["(A + B) / lag(C, 1)"]), "zavo_create_formula")
    e.post()

    def read(name):
        def job(_):
            got = [0.0] * BIG
            ok(z.zavo_get_precisions(e.key, [name], big_range, got), "zavo_get_precisions")
            e.result = got
        return job

    read("F")(None)
    a, b, c = values(BIG + 1, 1.0), values(BIG + 1, 2.0), values(BIG + 1, 3.0)
    assert e.result == [(a[i] + b[i]) / c[i - 1] for i in range(1, BIG + 1)], "formula values"
    t = {"f": [], "s": []}
    for _ in range(repeat):
        t["f"].append(best(read("F"), 1))
        t["s"].append(best(read("A"), 1))
    out("formula (A+B)/lag(C,1) 1,000,000 | stored", min(t["f"]), min(t["s"]), "target <= 2x", 2.0)
    e.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--quick", action="store_true", help="2 repeats instead of 5")
    parser.add_argument("--repeat", type=int, default=None)
    parser.add_argument("--formula-only", action="store_true", help="only the formula row")
    args = parser.parse_args()
    repeat = args.repeat or (2 if args.quick else 5)

    s = [0]
    z.qzvini(s)
    ok(s, "qzvini")
    # Warm the allocator: the first large list of a process pays page faults.
    warm = [float(i) for i in range(3 * BIG)]
    del warm

    rows = []

    def out(label, engine, peer, target, limit):
        ratio = engine / peer
        verdict = ""
        if limit is not None:
            verdict = "PASS" if ratio <= limit else "MISS"
        rows.append((label, engine, peer, ratio, target, verdict))
        print("%-42s %10.2f ms %10.2f ms %8.2fx  %s %s" % (label, engine * 1e3, peer * 1e3, ratio, target, verdict),
              flush=True)

    print("pyrqx %s, Python %s, SQLite %s, best of %d repeats (interleaved)"
          % (z.__file__, sys.version.split()[0], sqlite3.sqlite_version, repeat))
    print("%-42s %13s %13s %9s" % ("job", "engine", "SQLite blobs", "ratio"))
    folder = tempfile.mkdtemp(prefix="bench-engine-", dir=os.environ.get("BENCH_DIR"))
    try:
        lib_path = run(folder, repeat, out) if not args.formula_only else None
        formula_row(folder, repeat, out)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
        z.qzvfin([0])
    print("libcrqx: %s" % lib_path)
    print("ratio = engine / SQLite blobs; both sides WAL, synchronous=FULL, files in %s."
          % (os.environ.get("BENCH_DIR") or tempfile.gettempdir()))
    print("Rows with '|': the engine side and the SQLite side differ in what they deliver (see bench/README.md);")
    print("the C double array row is the engine reading into C memory against SQLite delivering the same bytes.")


if __name__ == "__main__":
    main()
