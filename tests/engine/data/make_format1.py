"""Made tests/engine/data/format1.crqx with an engine that wrote format 1,
and format2.crqx with one that wrote format 2 (kept for the record: today's
engine writes a newer format, so running this again makes a file of that
format instead).

Contents (read back by format_test.cpp):
  P   daily precision series, indexes 1000..1099: 1000.5 + i, index 1050 NA (the FPRCNA code)
  N   daily numeric series, indexes 2040..2049 (crossing a chunk boundary): i * 0.5
  T   daily string series, indexes 10..12: "alpha", "", "gamma"
  K   precision scalar: 42.25
  P carries the alias PA and the string attribute UNIT = "kg".

    python make_format1.py OUT
"""
import sys

import pyrqx as z


def ok(code, what):
    code = code[0] if isinstance(code, list) else code
    assert code == z.HSUCC, "%s: %d" % (what, code)


def day_range(first, last):
    r = [0, 0, 0]
    ok(z.zavo_init_range_from_indexes(r, z.HDAILY, first, last), "range")
    return r


def main(out):
    s, k = [0], [0]
    z.qzvini(s)
    z.qzvopdb(s, k, [out], z.HCMODE)
    ok(s, "open")
    key = k[0]
    for name, cls, typ in (("P", z.HSERIE, z.HPRECN), ("N", z.HSERIE, z.HNUMRC),
                           ("T", z.HSERIE, z.HSTRNG), ("K", z.HSCALA, z.HPRECN)):
        freq = z.HDAILY if cls == z.HSERIE else z.HUNDFX
        z.qzvnwob(s, key, [name], cls, freq, typ, z.HBSDAY, z.HOBAVG)
        ok(s, "create " + name)
    p = [1000.5 + i for i in range(100)]
    p[50] = z.FPRCNA()
    ok(z.zavo_write_precisions(key, ["P"], day_range(1000, 1099), p), "P")
    ok(z.zavo_write_numerics(key, ["N"], day_range(2040, 2049), [i * 0.5 for i in range(10)]), "N")
    ok(z.zavo_write_strings(key, ["T"], day_range(10, 12), ["alpha", "", "gamma"]), "T")
    ok(z.zavo_write_precisions(key, ["K"], None, [42.25]), "K")
    z.qzvsali(s, key, ["P"], ["PA"])
    ok(s, "alias")
    ok(z.zavo_set_string_attribute(key, ["P"], ["UNIT"], ["kg"]), "attribute")
    z.qzvpodb(s, key)
    ok(s, "post")
    z.qzvcldb(s, key)
    ok(s, "close")
    z.qzvfin(s)


if __name__ == "__main__":
    main(sys.argv[1])
