"""Repeated calls, on success and failure paths, leave no references or
memory behind."""
import ctypes
import ctypes.util
import gc
import sys
import tracemalloc

import pytest

REPEAT = 3000

# name -> calls: each a function of (pyrqx, probe) making one call that
# returns normally (success path) or raises (failure path).
SESSION_CALLS = {
    "qzvver ok": lambda m: m.qzvver([0], [0.5]),
    "qzvver binding": lambda m: m.qzvver([0]),
    "qzvver keywords": lambda m: m.qzvver(ver=[0.5], status=[0]),
    "qzvver unknown keyword": lambda m: m.qzvver([0], ver=[0.5], nope=1),
    "qzvlerr bad int": lambda m: m.qzvlerr([0], ["x"]),
    "qzvlerr overflow": lambda m: m.qzvlerr([0], [2 ** 40]),
    "qzvferr ok": lambda m: m.qzvferr([0], ["x" * 100]),
    "qzvferr bad text": lambda m: m.qzvferr([0], [b"x"]),
    "qzvferr tuple status": lambda m: m.qzvferr((0,), ["abc"]),
    "qzvsopt ok": lambda m: m.qzvsopt([0], ["NAME"], ["VALUE"]),
    "qzvsopt second fails": lambda m: m.qzvsopt([0], ["NAME"], [None]),
    "qzvsopt bad utf8": lambda m: m.qzvsopt([0], ["NAME"], ["VALUE"]),
    "qzvspos ok": lambda m: m.qzvspos([0], 1),
    "qzvini": lambda m: m.qzvini([0]),
    "qzvfin tuple": lambda m: m.qzvfin(()),
    "FSTRND": lambda m: m.FSTRND(),
    "FNUMNC": lambda m: m.FNUMNC(),
}


def malloc_in_use():
    """Bytes in use on the C heap (glibc), or None where that is unknown."""
    libc = ctypes.CDLL(ctypes.util.find_library("c"))
    if not hasattr(libc, "mallinfo2"):
        return None

    class MallInfo2(ctypes.Structure):
        _fields_ = [(n, ctypes.c_size_t) for n in
                    ("arena", "ordblks", "smblks", "hblks", "hblkhd", "usmblks", "fsmblks",
                     "uordblks", "fordblks", "keepcost")]
    libc.mallinfo2.restype = MallInfo2
    info = libc.mallinfo2()
    return info.uordblks + info.hblkhd or None


def run(call, module):
    try:
        call(module)
    except Exception:
        pass


@pytest.mark.parametrize("label", sorted(SESSION_CALLS))
def test_repeated_calls_do_not_grow(pyrqx, probe, label):
    call = SESSION_CALLS[label]
    if label == "qzvsopt bad utf8":
        probe.write_bytes("qzvsopt", "optval", b"\xff\0")
    for _ in range(200):
        run(call, pyrqx)
    probe.reset()  # the probe's own log must not count
    if label == "qzvsopt bad utf8":
        probe.write_bytes("qzvsopt", "optval", b"\xff\0")
    gc.collect()
    tracemalloc.start()
    before_py = tracemalloc.get_traced_memory()[0]
    before_c = malloc_in_use()
    refs = sys.gettotalrefcount() if hasattr(sys, "gettotalrefcount") else None
    for _ in range(REPEAT):
        run(call, pyrqx)
        probe.lib.probe_reset_log() if hasattr(probe.lib, "probe_reset_log") else None
    gc.collect()
    grown_py = tracemalloc.get_traced_memory()[0] - before_py
    tracemalloc.stop()
    grown_c = None if before_c is None else malloc_in_use() - before_c
    # A leak of one object or one buffer per call would show as REPEAT
    # times its size; allow a little noise from the interpreter itself.
    assert grown_py < 4096, grown_py
    if grown_c is not None:
        assert grown_c < 64 * 1024, grown_c
    if refs is not None:
        assert sys.gettotalrefcount() - refs < 100
