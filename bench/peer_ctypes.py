"""The ctypes peer of pyrqx's functions for the call benchmark.

Same calling convention as the module (cells are one-element lists, arrays
are lists copied into C arrays and back), over the same library, whose path
comes from BENCH_LIB (bench/run sets it) or load(path).
"""
import ctypes
import os
from ctypes import POINTER, byref, c_char_p, c_double, c_float, c_int, c_void_p

_lib = None
_qzvver = _qzvrrng_f = _qzvwrng_f = _get_precisions = _write_precisions = None


def load(path):
    global _lib, _qzvver, _qzvrrng_f, _qzvwrng_f, _get_precisions, _write_precisions
    _lib = ctypes.CDLL(path)
    _qzvver = _lib.qzvver
    _qzvver.argtypes = [POINTER(c_int), POINTER(c_float)]
    _qzvver.restype = None
    range_args = [POINTER(c_int), c_int, c_char_p, POINTER(c_int), c_void_p, c_int, c_void_p]
    _qzvrrng_f = _lib.qzvrrng_f
    _qzvrrng_f.argtypes = range_args
    _qzvrrng_f.restype = None
    _qzvwrng_f = _lib.qzvwrng_f
    _qzvwrng_f.argtypes = range_args
    _qzvwrng_f.restype = None
    typed_args = [c_int, c_char_p, POINTER(c_int), POINTER(c_double)]
    _get_precisions = _lib.zavo_get_precisions
    _get_precisions.argtypes = typed_args
    _get_precisions.restype = c_int
    _write_precisions = _lib.zavo_write_precisions
    _write_precisions.argtypes = typed_args
    _write_precisions.restype = c_int


if os.environ.get("BENCH_LIB"):
    load(os.environ["BENCH_LIB"])


def _name(cell):
    return ctypes.create_string_buffer(cell[0].encode("UTF-8"))


def _ints(lst):
    return None if lst is None else (c_int * len(lst))(*lst)


def _doubles(lst):
    if lst is None:
        return (c_double * 1)()
    return (c_double * max(len(lst), 1))(*lst)


def _store(lst, arr):
    if lst is not None:
        n = min(len(lst), len(arr))
        lst[:n] = arr[:n]


def qzvver(status, ver):
    st = c_int(-1)
    v = c_float(ver[0])
    _qzvver(byref(st), byref(v))
    status[0] = st.value
    ver[0] = v.value


def _range_call(fn, status, dbkey, objnam, range_, valary, tmiss, mistt):
    st = c_int(-1)
    name = _name(objnam)
    vals = _doubles(valary)
    table = _doubles(mistt)
    fn(byref(st), dbkey, name, _ints(range_), vals, tmiss, table)
    status[0] = st.value
    objnam[0] = name.value.decode("UTF-8")
    _store(valary, vals)
    _store(mistt, table)


def qzvrrng_double(status, dbkey, objnam, range_, valary, tmiss, mistt):
    _range_call(_qzvrrng_f, status, dbkey, objnam, range_, valary, tmiss, mistt)


def qzvwrng_double(status, dbkey, objnam, range_, valary, tmiss, mistt):
    _range_call(_qzvwrng_f, status, dbkey, objnam, range_, valary, tmiss, mistt)


def zavo_get_precisions(dbkey, objnam, range_, valary):
    name = _name(objnam)
    vals = _doubles(valary)
    rc = _get_precisions(dbkey, name, _ints(range_), vals)
    objnam[0] = name.value.decode("UTF-8")
    _store(valary, vals)
    return rc


def zavo_write_precisions(dbkey, objnam, range_, valary):
    name = _name(objnam)
    vals = _doubles(valary)
    rc = _write_precisions(dbkey, name, _ints(range_), vals)
    objnam[0] = name.value.decode("UTF-8")
    return rc
