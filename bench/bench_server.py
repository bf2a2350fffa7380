"""The same jobs on a database file and on a database on a PostgreSQL server.

Rows: one series of 1,000,000 precision observations written and committed,
then read back; 10,000 series of 100 observations created, written and
committed, then read back. Each job runs on the file store (qzvopdb, post)
and on the server (qzvopcn "PG", qzvopdc, qzvcmmt) in this one process, the
repeats interleaved, the best kept. The server is the one CRQX_PG_TEST_HOST
names (bench/run-server starts a throwaway one). Information only.

    python bench_server.py [--repeat N]
"""
import argparse
import gc
import os
import tempfile
import time

import pyrqx as z

BIG = 1_000_000
MANY = 10_000
SMALL = 100


def ok(status, what):
    code = status[0] if isinstance(status, list) else status
    if code != z.HSUCC:
        raise RuntimeError("%s: status %d" % (what, code))


def call(fn, *args):
    s = [0]
    fn(s, *args)
    ok(s, fn.__name__)


def day_range(first, last):
    r = [0, 0, 0]
    ok(z.zavo_init_range_from_indexes(r, z.HDAILY, first, last), "range")
    return r


class FileSide:
    name = "file"

    def __init__(self, folder):
        self.folder, self.count = folder, 0

    def fresh(self):
        self.count += 1
        k = [0]
        call(z.qzvopdb, k, [os.path.join(self.folder, "b%d.crqx" % self.count)], z.HCMODE)
        return k[0]

    def commit(self, key):
        call(z.qzvpodb, key)

    def close(self, key):
        call(z.qzvcldb, key)


class ServerSide:
    name = "server"

    def __init__(self, host):
        self.conn = [0]
        call(z.qzvopcn, self.conn, ["PG"], [host], [""], [""])
        self.prefix = "bench_%s_" % os.urandom(4).hex()
        self.count = 0

    def fresh(self):
        self.count += 1
        k = [0]
        call(z.qzvopdc, k, [self.prefix + str(self.count)], z.HCMODE, self.conn[0])
        return k[0]

    def commit(self, key):
        call(z.qzvcmmt, self.conn[0])

    def close(self, key):
        call(z.qzvcldb, key)


def timed(fn):
    gc.collect()
    gc.disable()
    try:
        t0 = time.perf_counter()
        fn()
        return time.perf_counter() - t0
    finally:
        gc.enable()


def new(key, name):
    call(z.qzvnwob, key, [name], z.HSERIE, z.HDAILY, z.HPRECN, z.HBSDAY, z.HOBAVG)


def jobs(side):
    """(label, seconds) for each row on one side."""
    big = [0.5 + i * 0.25 for i in range(BIG)]
    big_range = day_range(0, BIG - 1)
    key = side.fresh()
    new(key, "BIG")
    side.commit(key)

    def write_big():
        ok(z.zavo_write_precisions(key, ["BIG"], big_range, big), "write")
        side.commit(key)

    out = [0.0] * BIG

    def read_big():
        ok(z.zavo_get_precisions(key, ["BIG"], big_range, out), "read")

    rows = [("write+commit 1,000,000 obs", timed(write_big)), ("read 1,000,000 obs", timed(read_big))]
    assert out == big
    side.close(key)

    key = side.fresh()
    names = ["S%05d" % i for i in range(MANY)]
    small = [[i + j * 0.25 for j in range(SMALL)] for i in range(MANY)]
    small_range = day_range(0, SMALL - 1)

    def write_many():
        for name, vals in zip(names, small):
            new(key, name)
            ok(z.zavo_write_precisions(key, [name], small_range, vals), "write")
        side.commit(key)

    back = [0.0] * SMALL

    def read_many():
        for name in names:
            ok(z.zavo_get_precisions(key, [name], small_range, back), "read")

    rows.append(("create+write+commit 10,000 x 100", timed(write_many)))
    rows.append(("read 10,000 x 100", timed(read_many)))
    side.close(key)
    return rows


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--repeat", type=int, default=3)
    args = parser.parse_args()
    host = os.environ.get("CRQX_PG_TEST_HOST")
    if not host:
        raise SystemExit("CRQX_PG_TEST_HOST is not set (bench/run-server starts a server)")
    call(z.qzvini)
    best = {}
    with tempfile.TemporaryDirectory(dir=os.environ.get("BENCH_DIR")) as folder:
        sides = [FileSide(folder), ServerSide(host)]
        for _ in range(args.repeat):
            for side in sides:
                for label, seconds in jobs(side):
                    key = (label, side.name)
                    best[key] = min(best.get(key, seconds), seconds)
    call(z.qzvfin)
    labels = list(dict.fromkeys(label for label, _ in best))
    print("%-34s %12s %12s %8s" % ("job (best of %d)" % args.repeat, "file ms", "server ms", "ratio"))
    for label in labels:
        f, s = best[(label, "file")] * 1000, best[(label, "server")] * 1000
        print("%-34s %12.1f %12.1f %8.2f" % (label, f, s, s / f))


if __name__ == "__main__":
    main()
