"""Tests of the recording double itself, driven through ctypes.

Run with the double's path in PYRQX_PROBE_LIB and, for the allocation sizes,
the tracker preloaded:

    PYRQX_PROBE_LIB=<build>/tests/probe/lib/libcrqx.so \
    LD_PRELOAD=<build>/tests/probe/libprobe_alloc_tracker.so \
    python3 -m pytest tests/probe
"""

import ctypes
import re
import struct
from pathlib import Path

import pytest

from controller import Probe, ProbeError, probe_library_path

CRQX_DIR = Path(__file__).resolve().parents[2] / "src" / "crqx"
LIBC = ctypes.CDLL(None)
LIBC.malloc.restype = ctypes.c_void_p
LIBC.malloc.argtypes = [ctypes.c_size_t]
LIBC.calloc.restype = ctypes.c_void_p
LIBC.calloc.argtypes = [ctypes.c_size_t, ctypes.c_size_t]
LIBC.realloc.restype = ctypes.c_void_p
LIBC.realloc.argtypes = [ctypes.c_void_p, ctypes.c_size_t]
LIBC.free.argtypes = [ctypes.c_void_p]

P = ctypes.c_void_p
SELFTEST_ARGTYPES = [P, ctypes.c_int, ctypes.c_float, ctypes.c_double, ctypes.c_char,
                     P, P, P, P, P, P]
# Pointer arguments of probe_selftest_classic by C type.
SELFTEST_ARG = {"int*": "ints", "float*": "floats", "double*": "doubles", "char*": "text",
                "char**": "texts", "void*": "untyped"}


@pytest.fixture(scope="module")
def probe_lib():
    path = probe_library_path()
    if path is None:
        pytest.skip("PYRQX_PROBE_LIB is not set to the built probe libcrqx.so")
    probe = Probe(path)
    probe.lib.probe_selftest_classic.argtypes = SELFTEST_ARGTYPES
    probe.lib.probe_selftest_classic.restype = None
    probe.lib.probe_selftest_extended.argtypes = [ctypes.c_int, P]
    return probe


@pytest.fixture
def probe(probe_lib):
    probe_lib.reset()
    probe_lib.tracking(True)
    yield probe_lib
    probe_lib.tracking(False)
    probe_lib.reset()


@pytest.fixture
def sized(probe):
    if not probe.sizes_known:
        pytest.skip("allocation sizes unknown: preload libprobe_alloc_tracker.so or use ASan")
    return probe


@pytest.fixture
def heap():
    """heap(data) -> address of a malloc'ed copy of data, freed after the test."""
    blocks = []

    def allocate(data):
        address = LIBC.malloc(len(data))
        ctypes.memmove(address, bytes(data), len(data))
        blocks.append(address)
        return address

    yield allocate
    for address in blocks:
        LIBC.free(address)


def call_selftest(probe, **pointers):
    """Calls probe_selftest_classic with scalars 7, 1.5, -2.25, b'x' and the
    pointer arguments given by name (null where not given); returns the
    recorded call."""
    signature = probe.signature("probe_selftest_classic")
    args = [None, 7, 1.5, -2.25, b"x"] + [None] * 6
    for name, value in pointers.items():
        args[signature.index_of(name)] = value
    probe.lib.probe_selftest_classic(*args)
    return probe.calls[-1]


# ---- recording -------------------------------------------------------------


def test_scalars_recorded_by_value_and_nulls_as_null(probe):
    call = call_selftest(probe)
    assert (call.name, call.number, call.extended) == ("probe_selftest_classic", 1, False)
    assert [(a.type, a.value) for a in call.args[1:5]] == [
        ("int", 7), ("float", 1.5), ("double", -2.25), ("char", b"x")]
    for arg in call.args[5:]:
        assert arg.is_null and arg.data is None and arg.size == -1
    assert call["texts"].items == []


@pytest.mark.parametrize("c_type, fmt, values, reader", [
    ("int*", "i", [1, -2, 2**31 - 1], "ints"),
    ("float*", "f", [0.5, -1e30, 3.0], "floats"),
    ("double*", "d", [0.1, -2.5e300], "doubles"),
])
def test_numeric_arrays_recorded_whole(sized, heap, c_type, fmt, values, reader):
    address = heap(struct.pack(f"={len(values)}{fmt}", *values))
    arg = call_selftest(sized, **{SELFTEST_ARG[c_type]: address})[SELFTEST_ARG[c_type]]
    assert (arg.type, arg.ptr, arg.size) == (c_type, address, len(values) * struct.calcsize(fmt))
    assert getattr(arg, reader)() == pytest.approx(values, rel=1e-7)


@pytest.mark.parametrize("c_type, cell, expected", [
    ("int*", ctypes.c_int(-5), [-5]),
    ("float*", ctypes.c_float(0.1), [struct.unpack("f", struct.pack("f", 0.1))[0]]),
    ("double*", ctypes.c_double(0.1), [0.1]),
])
def test_cell_of_unknown_size_records_one_element(probe, c_type, cell, expected):
    arg = call_selftest(probe, **{SELFTEST_ARG[c_type]: ctypes.addressof(cell)})[SELFTEST_ARG[c_type]]
    assert arg.size == -1
    assert getattr(arg, {"int*": "ints", "float*": "floats", "double*": "doubles"}[c_type])() == expected


def test_text_records_whole_buffer_when_size_known(sized, heap):
    address = heap(b"ab\0zz")
    arg = call_selftest(sized, text=address)["text"]
    assert (arg.size, arg.data, arg.text()) == (5, b"ab\0zz", b"ab")


def test_text_of_unknown_size_records_up_to_nul(probe):
    buffer = ctypes.create_string_buffer(b"abc\0def", 16)
    arg = call_selftest(probe, text=ctypes.addressof(buffer))["text"]
    assert (arg.size, arg.data) == (-1, b"abc\0")


def test_text_list_records_each_element(sized, heap):
    first, third = heap(b"one\0"), heap(b"three\0")
    array = heap(struct.pack("3P", first, 0, third))
    arg = call_selftest(sized, texts=array)["texts"]
    assert (arg.type, arg.size, len(arg.items)) == ("char**", 24, 3)
    assert [(i.ptr, i.size, i.data) for i in arg.items] == [
        (first, 4, b"one\0"), (None, -1, None), (third, 6, b"three\0")]


def test_untyped_pointer_recorded_only_when_size_known(probe, heap):
    address = heap(b"\x01\x02\x03")
    arg = call_selftest(probe, untyped=address)["untyped"]
    assert arg.type == "void*"
    if probe.sizes_known:
        assert (arg.size, arg.data) == (3, b"\x01\x02\x03")
    cell = ctypes.c_double(1.0)
    assert call_selftest(probe, untyped=ctypes.addressof(cell))["untyped"].data == b""


def test_calls_numbered_per_function_until_reset(probe):
    cell = ctypes.c_int(0)
    for value in (1, 2):
        probe.lib.probe_selftest_extended(value, ctypes.addressof(cell))
    call_selftest(probe)
    assert [(c.name, c.number) for c in probe.calls] == [
        ("probe_selftest_extended", 1), ("probe_selftest_extended", 2),
        ("probe_selftest_classic", 1)]
    assert [c["value"].value for c in probe.calls_to("probe_selftest_extended")] == [1, 2]
    probe.reset()
    probe.lib.probe_selftest_extended(3, ctypes.addressof(cell))
    assert probe.one_call("probe_selftest_extended").number == 1


# ---- scripting -------------------------------------------------------------


def test_default_script_writes_nothing_and_returns_zero(probe):
    cell, status = ctypes.c_int(-7), ctypes.c_int(-1)
    assert probe.lib.probe_selftest_extended(1, ctypes.addressof(cell)) == 0
    probe.lib.probe_selftest_classic(ctypes.addressof(status), 0, 0, 0, b"a", *[None] * 6)
    assert (cell.value, status.value) == (-7, -1)


def test_return_value_every_call_and_on_nth_call(probe):
    probe.script("probe_selftest_extended", ret=18)
    probe.script("probe_selftest_extended", ret=4, on_call=2)
    target = ctypes.c_int()  # kept alive: the double reads what the pointer points to
    cell = ctypes.addressof(target)
    results = [probe.lib.probe_selftest_extended(0, cell) for _ in range(3)]
    assert results == [18, 4, 18]
    assert [c.result for c in probe.calls] == results


def test_status_and_typed_writes(probe):
    probe.script("probe_selftest_classic", status=13, writes={
        "ints": [5, -6], "floats": 0.1, "doubles": [0.1, 2.0], "text": "hé"})
    status, ints = ctypes.c_int(-1), (ctypes.c_int * 2)()
    floats, doubles, text = ctypes.c_float(), (ctypes.c_double * 2)(), ctypes.create_string_buffer(8)
    probe.lib.probe_selftest_classic(ctypes.addressof(status), 0, 0, 0, b"a", ctypes.addressof(ints),
                                     ctypes.addressof(floats), ctypes.addressof(doubles),
                                     ctypes.addressof(text), None, None)
    assert status.value == 13 and list(ints) == [5, -6] and list(doubles) == [0.1, 2.0]
    assert floats.value == struct.unpack("f", struct.pack("f", 0.1))[0]
    assert text.raw == "hé".encode() + b"\0" * 5
    assert probe.one_call("probe_selftest_classic")["status"].ints() == [-1]  # recorded before writing


def test_writes_exact_bytes_at_offset_on_nth_call_only(probe):
    probe.write_bytes("probe_selftest_classic", "text", b"XY", offset=2, on_call=2)
    buffer = ctypes.create_string_buffer(b"abcdef")
    for expected in (b"abcdef", b"abXYef", b"abXYef"):
        call_selftest(probe, text=ctypes.addressof(buffer))
        assert buffer.value == expected


def test_writes_into_text_list_elements(sized, heap):
    elements = [heap(b"....\0"), heap(b"....\0")]
    array = heap(struct.pack("2P", *elements))
    sized.script("probe_selftest_classic", writes={("texts", 1): "ok"})
    call_selftest(sized, texts=array)
    assert [ctypes.string_at(e, 5) for e in elements] == [b"....\0", b"ok\0.\0"]
    assert sized.take_problems() == []


@pytest.mark.parametrize("target, data, problem", [
    ("text", b"12345", "overflows its 4-byte allocation"),
    (("texts", 2), b"x", "element beyond the end of the array"),
])
def test_overflowing_write_is_refused_and_reported(sized, heap, target, data, problem):
    text = heap(b"abc\0")
    array = heap(struct.pack("2P", text, text))
    sized.write_bytes("probe_selftest_classic", target, data)
    call_selftest(sized, text=text, texts=array)
    assert ctypes.string_at(text, 4) == b"abc\0"
    assert [problem in p for p in sized.take_problems()] == [True]
    sized.reset()
    sized.write_bytes("probe_selftest_classic", "text", b"1234")  # exactly the capacity
    call_selftest(sized, text=text, texts=array)
    assert ctypes.string_at(text, 4) == b"1234" and sized.problems() == []


def test_write_to_null_pointer_is_reported(probe):
    probe.write_int("probe_selftest_classic", "ints", 1)
    call_selftest(probe)
    with pytest.raises(ProbeError, match="argument 5: null pointer"):
        probe.check()


@pytest.mark.parametrize("request_", [
    lambda p: p.script("no_such_function", ret=1),
    lambda p: p.script("probe_selftest_classic", ret=1),
    lambda p: p.script("probe_selftest_extended", status=0),
    lambda p: p.script("probe_selftest_classic", writes={"i": 1}),
    lambda p: p.script("probe_selftest_classic", writes={"nope": 1}),
    lambda p: p.script("probe_selftest_classic", writes={"ints": "text"}),
    lambda p: p.script("probe_selftest_classic", writes={"untyped": 1.0}),
    lambda p: p.script("probe_selftest_classic", writes={("ints", 0): b"x"}),
    lambda p: p.write_int("probe_selftest_classic", 11, 0),
], ids=["unknown function", "return of classic", "status of extended", "scalar argument",
        "unknown argument", "text into int*", "untyped number", "element of int*",
        "argument index"])
def test_script_mistakes_raise(probe, request_):
    with pytest.raises(ProbeError):
        request_(probe)


# ---- data objects ----------------------------------------------------------


def data_rows():
    text = (CRQX_DIR / "crqx_data.def").read_text()
    return re.findall(r"^CRQX_DATA_(\w+)\((\w+)\)", text, re.M)


def test_data_defaults_are_distinct_and_exported(probe):
    values = {name: probe.data(name) for _, name in data_rows()}
    assert len(values) == 18 and len(set(values.values())) == 18
    assert values["ZAVO_INDEX_ND"] == -101 and values["FSTRND"] == b"<FSTRND>"
    assert all(v == v for v in values.values())  # no NaN
    for kind, name in data_rows():  # the exported symbols are what the controller reads
        if kind == "STRING":
            exported = ctypes.string_at(ctypes.addressof(ctypes.c_char.in_dll(probe.lib, name)))
        else:
            c_type = {"INT": ctypes.c_int, "FLOAT": ctypes.c_float, "DOUBLE": ctypes.c_double}[kind]
            exported = c_type.in_dll(probe.lib, name).value
        assert exported == values[name]


@pytest.mark.parametrize("name, value, expected", [
    ("FBOONA", 77, 77),
    ("FNUMNC", 0.1, struct.unpack("f", struct.pack("f", 0.1))[0]),
    ("FPRCND", 0.1, 0.1),
    ("FSTRNA", "naïve", "naïve".encode()),
    ("FSTRND", b"\xff\xfe", b"\xff\xfe"),
])
def test_set_data_until_reset(probe, name, value, expected):
    default = probe.data(name)
    probe.set_data(name, value)
    assert probe.data(name) == expected
    probe.reset()
    assert probe.data(name) == default


def test_set_data_rejects_unknown_and_oversized(probe):
    with pytest.raises(ProbeError):
        probe.set_data("FNOPE", 1)
    with pytest.raises(ProbeError):
        probe.set_data("FSTRNC", b"x" * probe.data_capacity("FSTRNC"))


# ---- the function table ----------------------------------------------------


def test_every_declared_function_is_exported_with_its_signature(probe):
    rows = re.findall(r"^CRQX_(CLASSIC|EXTENDED)\((\w+), \(([^)]*)\)",
                      (CRQX_DIR / "crqx_functions.def").read_text(), re.M)
    assert rows and probe.functions[:len(rows)] == [name for _, name, _ in rows]
    for kind, name, params in rows:
        assert hasattr(probe.lib, name), name
        signature = probe.signature(name)
        assert signature.extended == (kind == "EXTENDED")
        declared = ["".join(p.split()[:-1]) + "*" * p.split()[-1].count("*")
                    for p in params.split(",")]
        assert [t for t, _ in signature.params] == declared, name


# ---- allocation sizes ------------------------------------------------------


@pytest.fixture
def tracker(probe):
    if probe.size_source != "tracker":
        pytest.skip("run under LD_PRELOAD=libprobe_alloc_tracker.so to test the tracker")
    return probe


def test_tracker_sizes_malloc_calloc_realloc_and_forgets_on_free(tracker):
    block = LIBC.malloc(10)
    zeroed = LIBC.calloc(3, 8)
    assert (tracker.allocation_size(block), tracker.allocation_size(zeroed)) == (10, 24)
    assert tracker.allocation_size(block + 1) == -1
    block = LIBC.realloc(block, 4000)
    assert tracker.allocation_size(block) == 4000
    LIBC.free(block)
    LIBC.free(zeroed)
    assert (tracker.allocation_size(block), tracker.allocation_size(zeroed)) == (-1, -1)


def test_tracker_records_only_while_on_but_always_forgets(tracker):
    tracked = LIBC.malloc(32)
    tracker.tracking(False)
    untracked = LIBC.malloc(32)
    assert (tracker.allocation_size(tracked), tracker.allocation_size(untracked)) == (32, -1)
    assert not tracker.sizes_known
    LIBC.free(tracked)
    LIBC.free(untracked)
    assert tracker.allocation_size(tracked) == -1


def test_tracker_survives_many_live_blocks(tracker):
    blocks = [LIBC.malloc(16 + i % 7) for i in range(50000)]
    sizes = [tracker.allocation_size(b) for b in blocks]
    for block in blocks:
        LIBC.free(block)
    assert sizes == [16 + i % 7 for i in range(50000)]
    assert all(tracker.allocation_size(b) == -1 for b in blocks[::97])

