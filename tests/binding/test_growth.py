"""Repeated calls of every function, on success and failure paths, leave no
references or memory behind."""
import ctypes
import ctypes.util
import gc
import sys
import tracemalloc

import pytest

from samples import all_samples

SAMPLES = all_samples()
SENTINELS = ["FPRCND", "FNUMNC", "FBOONA", "FDATND", "FSTRND", "ZAVO_INDEX_NA"]
REPEAT = 1000


class Unconvertible:
    """Fails every conversion: no int, no float, no encode, no len."""


def paths(name):
    """The calls to repeat for one function: (label, call(fn))."""
    s = SAMPLES[name]
    names = s.names()
    yield "success", lambda fn: fn(*s.values())
    if s.form == "single":
        yield "bad argument", lambda fn: fn(Unconvertible())
        return
    yield "missing parameter", lambda fn: fn(*s.values()[:-1])
    yield "unknown keyword", lambda fn: fn(*s.values(), nope=1)
    yield "last fails to convert", lambda fn: fn(*s.values()[:-1], Unconvertible())
    if names[0] == "status":
        yield "status rejects write-back", lambda fn: fn((0,), *s.values()[1:])


CASES = [(name, label, call) for name in sorted(SAMPLES) for label, call in paths(name)]


def malloc_in_use():
    """Bytes in use on the C heap (glibc), or None where unknown (ASan)."""
    libc = ctypes.CDLL(ctypes.util.find_library("c"))
    if not hasattr(libc, "mallinfo2"):
        return None

    class MallInfo2(ctypes.Structure):
        _fields_ = [(n, ctypes.c_size_t) for n in
                    ("arena", "ordblks", "smblks", "hblks", "hblkhd", "usmblks", "fsmblks",
                     "uordblks", "fordblks", "keepcost")]
    libc.mallinfo2.restype = MallInfo2
    info = libc.mallinfo2()
    return (info.uordblks + info.hblkhd) or None


def repeat(call, fn, probe, times):
    for _ in range(times):
        try:
            call(fn)
        except Exception:
            pass
        probe.clear_calls()


def assert_no_growth(call, fn, probe):
    repeat(call, fn, probe, 100)  # warm caches and allocator
    gc.collect()
    tracemalloc.start()
    # The C heap first: a look at it leaves Python objects of its own behind
    # (ctypes' library lookup, some 20 KB the first time in a process on
    # Python 3.9), not the calls' to count.
    before_c = malloc_in_use()
    before_py = tracemalloc.get_traced_memory()[0]
    repeat(call, fn, probe, REPEAT)
    gc.collect()
    grown_py = tracemalloc.get_traced_memory()[0] - before_py
    tracemalloc.stop()
    # A leak of one object or buffer per call would grow by REPEAT times
    # its size; leave room for the interpreter's own noise.
    assert grown_py < 4096, grown_py
    if before_c is not None:
        grown_c = malloc_in_use() - before_c
        assert grown_c < 32 * 1024, grown_c


@pytest.mark.parametrize("name, label, call", CASES, ids=["%s-%s" % c[:2] for c in CASES])
def test_repeated_calls_do_not_grow(pyrqx, probe, name, label, call):
    for function, script in SAMPLES[name].scripts.items():
        probe.script(function, **script)
    assert_no_growth(call, getattr(pyrqx, name), probe)


def test_library_text_that_does_not_decode_leaks_nothing(pyrqx, probe):
    probe.write_bytes("qzvsopt", "optval", b"\xff\0")
    assert_no_growth(lambda fn: fn([0], ["NAME"], ["VALUE"]), pyrqx.qzvsopt, probe)


@pytest.mark.parametrize("name", SENTINELS)
def test_sentinels_do_not_grow(pyrqx, probe, name):
    assert_no_growth(lambda fn: fn(), getattr(pyrqx, name), probe)


def test_argument_reference_counts_are_unchanged(pyrqx, probe):
    status, text, value, number = [0], ["NAME"], ["VALUE"], 123456789
    cells = [status, text, value]

    def counts():
        return [sys.getrefcount(o) for o in cells] + [sys.getrefcount(number)]
    before = counts()
    for _ in range(100):
        pyrqx.qzvsopt(status, text, value)
        pyrqx.qzvspos(status, number)
        pyrqx.qzvlerr(status, [number])
    assert counts() == before
