"""A bounded load test of the server store on loopback.

8 client processes (each a session of its own with one connection) run for
N seconds against 2 x PAIRS databases on the server. Client c owns series
C<c> in every database: a write puts 100 observations into C<c> of database
A<p> and their checksum into C<c> of B<p>, on the client's one connection;
a commit commits them together; a read reads another client's series and
checks that it is whole. Busy locks (HLOCKD) abort the client's pending work.
Afterwards every series is checked against the last commit its client saw
succeed: the values must be that commit's, whole, and B's checksum must be
A's (zero lost, zero torn). Prints throughput and latencies per operation.

    python server_load.py [--seconds N] [--clients 8] [--pairs 8]
"""
import argparse
import json
import os
import random
import subprocess
import sys
import time
import zlib
from array import array

import pyrqx as z

SIZE = 100


def call(fn, *args):
    s = [0]
    fn(s, *args)
    return s[0]


def must(status, what):
    if status != z.HSUCC:
        raise RuntimeError("%s: status %d" % (what, status))


def rng(n):
    r = [0, 0, 0]
    must(z.zavo_init_range_from_indexes(r, z.HMONTH, 0, n - 1), "range")
    return r


def pattern(seq):
    return [seq * 1000.0 + k for k in range(SIZE)]


def checksum(values):
    return float(zlib.crc32(array("d", values).tobytes()))


def whole(values):
    return values[0] % 1000 == 0 and all(v - values[0] == k for k, v in enumerate(values))


def db_names(prefix, pairs):
    return [(prefix + "A%d" % p, prefix + "B%d" % p) for p in range(pairs)]


def connect(host):
    status = call(z.qzvini)
    if status != z.HINITD:  # the parent's session goes on from setup to verify
        must(status, "qzvini")
    conn = [0]
    must(call(z.qzvopcn, conn, ["PG"], [host], [""], [""]), "qzvopcn")
    return conn[0]


def open_pairs(conn, names, mode):
    keys = []
    for a, b in names:
        pair = []
        for name in (a, b):
            k = [0]
            must(call(z.qzvopdc, k, [name], mode, conn), "qzvopdc " + name)
            pair.append(k[0])
        keys.append(pair)
    return keys


def setup(host, prefix, pairs, clients):
    conn = connect(host)
    for a, b in db_names(prefix, pairs):
        for name, n in ((a, SIZE), (b, 1)):
            k = [0]
            must(call(z.qzvopdc, k, [name], z.HCMODE, conn), "create " + name)
            for c in range(clients):
                must(call(z.qzvnwob, k[0], ["C%d" % c], z.HSERIE, z.HMONTH, z.HPRECN, 0, 0), "qzvnwob")
                first = pattern(0) if n == SIZE else [checksum(pattern(0))]
                must(z.zavo_write_precisions(k[0], ["C%d" % c], rng(n), first), "write")
            must(call(z.qzvcmmt, conn), "commit")
    must(call(z.qzvclcn, conn), "qzvclcn")


def child(host, prefix, pairs, clients, me, seconds):
    conn = connect(host)
    call(z.qzvsopt, ["BUSY_TIMEOUT"], ["250"])
    keys = open_pairs(conn, db_names(prefix, pairs), z.HSMODE)
    rand = random.Random(me)
    mine = "C%d" % me
    seq, pending, committed = 0, {}, {}
    latency = {"read": [], "write": [], "commit": []}
    busy = torn = 0
    out = [0.0] * SIZE
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        r = rand.random()
        t0 = time.perf_counter()
        if r < 0.45:
            op = "read"
            a = keys[rand.randrange(pairs)][0]
            must(z.zavo_get_precisions(a, ["C%d" % rand.randrange(clients)], rng(SIZE), out), "read")
            torn += not whole(out)
        elif r < 0.8:
            op = "write"
            p = rand.randrange(pairs)
            seq += 1
            values = pattern(seq)
            status = z.zavo_write_precisions(keys[p][0], [mine], rng(SIZE), values)
            if status == z.HSUCC:
                status = z.zavo_write_precisions(keys[p][1], [mine], rng(1), [checksum(values)])
            if status == z.HLOCKD:
                busy += 1
                must(call(z.qzvabrt, conn), "qzvabrt")
                pending.clear()
            else:
                must(status, "write")
                pending[p] = seq
        else:
            op = "commit"
            must(call(z.qzvcmmt, conn), "qzvcmmt")
            committed.update(pending)
            pending.clear()
        latency[op].append(time.perf_counter() - t0)
    must(call(z.qzvcmmt, conn), "qzvcmmt")
    committed.update(pending)
    call(z.qzvclcn, conn)
    print(json.dumps({"committed": committed, "latency": latency, "busy": busy, "torn_reads": torn}))


def verify(host, prefix, pairs, reports):
    conn = connect(host)
    keys = open_pairs(conn, db_names(prefix, pairs), z.HRMODE)
    lost = torn = checked = 0
    a_out, b_out = [0.0] * SIZE, [0.0]
    for c, report in enumerate(reports):
        for p in range(pairs):
            expected = report["committed"].get(str(p), 0)
            must(z.zavo_get_precisions(keys[p][0], ["C%d" % c], rng(SIZE), a_out), "read")
            must(z.zavo_get_precisions(keys[p][1], ["C%d" % c], rng(1), b_out), "read")
            checked += 1
            if not whole(a_out) or b_out[0] != checksum(a_out):
                torn += 1
            elif a_out != pattern(expected):
                lost += 1
    call(z.qzvclcn, conn)
    return checked, lost, torn


def p99(samples):
    if not samples:
        return float("nan")
    ordered = sorted(samples)
    return ordered[min(len(ordered) - 1, int(len(ordered) * 0.99))]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--clients", type=int, default=8)
    parser.add_argument("--pairs", type=int, default=8)
    parser.add_argument("--child", type=int, default=-1)
    parser.add_argument("--prefix", default="")
    args = parser.parse_args()
    host = os.environ.get("CRQX_PG_TEST_HOST")
    if not host:
        raise SystemExit("CRQX_PG_TEST_HOST is not set (bench/run-server-load starts a server)")
    if args.child >= 0:
        return child(host, args.prefix, args.pairs, args.clients, args.child, args.seconds)
    prefix = "load_%s_" % os.urandom(4).hex()
    setup(host, prefix, args.pairs, args.clients)
    common = [sys.executable, os.path.abspath(__file__), "--prefix", prefix, "--pairs", str(args.pairs),
              "--clients", str(args.clients), "--seconds", str(args.seconds)]
    procs = [subprocess.Popen(common + ["--child", str(c)], stdout=subprocess.PIPE, text=True)
             for c in range(args.clients)]
    reports = []
    for proc in procs:
        out, _ = proc.communicate()
        if proc.returncode != 0:
            raise SystemExit("a client failed (exit %d)" % proc.returncode)
        reports.append(json.loads(out.strip().splitlines()[-1]))
    checked, lost, torn = verify(host, prefix, args.pairs, reports)
    print("%d clients, %d database pairs, %.0f s on loopback" % (args.clients, args.pairs, args.seconds))
    print("%-8s %10s %10s %10s %10s" % ("op", "count", "per s", "p50 ms", "p99 ms"))
    for op in ("read", "write", "commit"):
        samples = [s for r in reports for s in r["latency"][op]]
        median = sorted(samples)[len(samples) // 2] if samples else float("nan")
        print("%-8s %10d %10.1f %10.2f %10.2f" % (op, len(samples), len(samples) / args.seconds,
                                                 median * 1000, p99(samples) * 1000))
    print("busy (HLOCKD, work aborted): %d; torn reads: %d" % (sum(r["busy"] for r in reports),
                                                             sum(r["torn_reads"] for r in reports)))
    print("verified %d series: %d lost, %d torn" % (checked, lost, torn))
    if lost or torn or any(r["torn_reads"] for r in reports):
        raise SystemExit(1)


if __name__ == "__main__":
    main()
