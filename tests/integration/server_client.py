"""A client process for the several-client server tests.

    python server_client.py HOSTNAME DB1 DB2 loop
        opens DB1 and DB2 (shared mode) on one connection and, round after
        round, writes the round number into series S of both databases and
        commits; prints "round N" after each commit, until killed.
    python server_client.py HOSTNAME DB1 DB2 write VALUE
        writes VALUE into both without committing, prints "written", then
        waits for a line on stdin; "commit" commits, "abort" aborts.
"""
import sys

import pyrqx as p


def call(fn, *args):
    status = [None]
    fn(status, *args)
    return status[0]


def write(key, value):
    r = [0, 0, 0]
    p.zavo_init_range_from_indexes(r, p.HMONTH, 0, 9)
    status = p.zavo_write_precisions(key, ["S"], r, [float(value)] * 10)
    assert status == p.HSUCC, status


def main():
    host, names, action = sys.argv[1], sys.argv[2:4], sys.argv[4]
    call(p.qzvini)
    conn = [0]
    assert call(p.qzvopcn, conn, ["PG"], [host], [""], [""]) == p.HSUCC
    keys = []
    for name in names:
        key = [0]
        assert call(p.qzvopdc, key, [name], p.HSMODE, conn[0]) == p.HSUCC
        keys.append(key[0])
    if action == "loop":
        round_ = 0
        while True:
            round_ += 1
            for key in keys:
                write(key, round_)
            assert call(p.qzvcmmt, conn[0]) == p.HSUCC
            print("round", round_, flush=True)
    for key in keys:
        write(key, sys.argv[5])
    print("written", flush=True)
    verb = sys.stdin.readline().strip()
    status = call(p.qzvcmmt if verb == "commit" else p.qzvabrt, conn[0])
    print("done", status, flush=True)
    call(p.qzvfin)


if __name__ == "__main__":
    main()
