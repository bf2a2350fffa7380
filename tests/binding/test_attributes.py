"""Attributes by type code and typed attribute access, against the probe.

The first group of tests runs over every function of the room from its
samples: each Python parameter reaches the library argument of the same name,
outputs come back in parameter order (and stop at a cell that rejects
assignment), a conversion failure anywhere leaves the library uncalled. The
date room reuses these checks (test_dates.py).
"""
import copy
import struct

import pytest

from samples.attributes import SAMPLES

# ==== room-generic checks ======================================================

TYPED_FORMATS = {"int": "i", "float": "f", "double": "d"}


def f32(x):
    return struct.unpack("f", struct.pack("f", x))[0]


class Unconvertible:
    """No int, no float, no encode, no bytes."""


def member_type(name):
    """The typed family member's value type: int, float, double, char (or None)."""
    suffix = name.rsplit("_", 1)[-1]
    return suffix if name.startswith(("qzvgtatt_", "qzvsatt_")) else None


def is_array(param):
    return param.endswith("ary")


def distinct(value, seed):
    """A value of the same kind as value, different in every parameter."""
    if isinstance(value, list):
        return [distinct(item, seed * 10 + k) for k, item in enumerate(value)]
    if isinstance(value, bytes):
        return b"b%d" % seed
    if isinstance(value, str):
        return "t%d" % seed
    if isinstance(value, float):
        return 0.1 + seed
    return 1000 + seed


def distinct_args(s):
    """Sample arguments with a different value in every parameter (counts kept:
    they are checked against the lists)."""
    args = []
    for i, (name, make) in enumerate(s.params):
        value = make()
        args.append(value if name in ("status", "numobs") else distinct(value, i))
    return args


def assert_library_saw(call, names, args, member):
    """Every parameter arrived as the library argument of the same name."""
    for name, given in zip(names, args):
        if name == "status":
            continue
        arg = call[name]
        if arg.type in ("int", "double"):
            assert arg.value == given, name
        elif arg.type == "float":
            assert arg.value == f32(given), name
        elif arg.type in ("int*", "float*", "double*"):
            seen = {"int*": arg.ints, "float*": arg.floats, "double*": arg.doubles}[arg.type]()
            want = given if is_array(name) else given[:1]
            if arg.type == "float*":
                want = [f32(x) for x in want]
            n = min(len(seen), len(want))
            assert n and seen[:n] == want[:n], name
        elif arg.type == "char*":
            assert arg.text() == given[0].encode(), name
        elif arg.type == "void*" and arg.data:  # the room is on the heap
            if member == "char":
                assert arg.text() == given[0], name
            else:
                seen = struct.unpack_from("=" + TYPED_FORMATS[member], arg.data)[0]
                assert seen == (f32(given[0]) if member == "float" else given[0]), name
        else:
            assert arg.type == "void*", (name, arg.type)


def script_outputs(probe, library, member, in_only=()):
    """Scripts the library to write a distinct value into every pointer
    argument; returns {param: what its cell must hold afterwards}."""
    expected = {}
    for i, (c_type, name) in enumerate(probe.signature(library).params):
        seed = 500 + i
        if c_type == "char*" or (c_type == "void*" and member == "char"):
            text = "w%d" % i
            probe.write_text(library, name, text)
            expected[name] = text.encode() if c_type == "void*" else text
        elif c_type == "float*" or (c_type == "void*" and member == "float"):
            probe.write_floats(library, name, [0.1 + i])
            expected[name] = f32(0.1 + i)
        elif c_type == "double*" or (c_type == "void*" and member == "double"):
            probe.write_doubles(library, name, [0.25 + i])
            expected[name] = 0.25 + i
        elif c_type in ("int*", "void*"):
            values = [seed, seed + 1, seed + 2] if is_array(name) else [seed]
            probe.write_ints(library, name, values)
            expected[name] = values if is_array(name) else seed
    for name in in_only:
        expected.pop(name, None)
    return expected


def holds(arg, name, want):
    return arg == want if is_array(name) else arg[0] == want


def check_arguments_by_name(pyrqx, probe, samples, name):
    s = samples[name]
    args = distinct_args(s)
    # By keyword, so that a declaration naming its parameters in another
    # order than it passes them is caught too.
    getattr(pyrqx, name)(**dict(reversed(list(zip(s.names(), args)))))
    call = probe.one_call(s.library or name)
    assert len(call.args) == len(s.params)
    assert_library_saw(call, s.names(), args, member_type(name))


def check_write_back_order(pyrqx, probe, samples, name, in_only=()):
    """Outputs come back in parameter order: all of them, or, when one cell
    rejects assignment, those before it."""
    s = samples[name]
    library = s.library or name
    expected = script_outputs(probe, library, member_type(name), in_only)
    extended = probe.signature(library).extended
    if extended:
        probe.script(library, ret=77)
    names = s.names()
    written = [n for n in names if n in expected]
    fn = getattr(pyrqx, name)
    for stop in range(len(written) + 1):
        probe.clear_calls()
        args = s.values()
        before = copy.deepcopy(args)
        if stop < len(written):
            at = names.index(written[stop])
            args[at] = before[at] = tuple(args[at])
            with pytest.raises(TypeError):
                fn(*args)
        else:
            assert fn(*args) == (77 if extended else None)
        assert len(probe.calls) == 1
        for i, param in enumerate(names):
            if param in written[:stop]:
                assert holds(args[i], param, expected[param]), (stop, param)
            else:
                assert args[i] == before[i], (stop, param)


def check_conversion_failures(pyrqx, probe, samples, name):
    """A parameter that fails to convert, wherever it stands, ends the call
    before the library with every argument as it was."""
    s = samples[name]
    fn = getattr(pyrqx, name)
    for i, param in enumerate(s.names()):
        if param == "status":
            continue
        args = s.values()
        before = copy.deepcopy(args)
        args[i] = [Unconvertible()] if isinstance(args[i], list) else Unconvertible()
        with pytest.raises((TypeError, AttributeError)):
            fn(*args)
        assert all(args[j] == before[j] for j in range(len(args)) if j != i), param
    assert probe.calls == []

# ==== every function of the room =================================================


@pytest.mark.parametrize("name", sorted(SAMPLES))
def test_each_parameter_reaches_the_library_argument_of_its_name(pyrqx, probe, name):
    check_arguments_by_name(pyrqx, probe, SAMPLES, name)


@pytest.mark.parametrize("name", sorted(SAMPLES))
def test_outputs_come_back_in_parameter_order(pyrqx, probe, name):
    check_write_back_order(pyrqx, probe, SAMPLES, name)


@pytest.mark.parametrize("name", sorted(SAMPLES))
def test_conversion_failure_anywhere_skips_the_library(pyrqx, probe, name):
    check_conversion_failures(pyrqx, probe, SAMPLES, name)

# ==== the typed value cell of the type-code families ============================

GET = "qzvgtatt_"
SET = "qzvsatt_"


def by_code(family, member, value, inlen=0):
    """Arguments of a type-code function with value in the value cell."""
    args = [[None], 1, ["OBJ"], [2] if family == GET else 2, ["ATT"], [value]]
    return args + ([inlen, [0]] if family == GET else [])


@pytest.mark.parametrize("family", [GET, SET])
@pytest.mark.parametrize("member, given, kept", [
    ("int", 2.7, 2), ("int", True, 1), ("float", 0.1, f32(0.1)), ("float", 3, 3.0),
    ("double", 0.1, 0.1), ("char", b"ab\0cd", b"ab"), ("char", bytearray(b"xyz"), b"xyz"),
])
def test_untouched_value_comes_back_converted_to_the_members_type(
        pyrqx, probe, family, member, given, kept):
    args = by_code(family, member, given)
    cell = args[5]
    getattr(pyrqx, family + member)(*args)
    assert cell == [kept] and type(cell[0]) is type(kept)
    if member == "char" and probe.sizes_known:
        # zero bytes reach the library: the bytes are copied whole
        assert probe.calls[0]["value"].data.startswith(bytes(given) + b"\0")


@pytest.mark.parametrize("family", [GET, SET])
@pytest.mark.parametrize("given", ["text", memoryview(b"ab"), 5, None])
def test_char_member_takes_only_bytes(pyrqx, probe, family, given):
    args = by_code(family, "char", given)
    with pytest.raises(TypeError):
        getattr(pyrqx, family + "char")(*args)
    assert probe.calls == [] and args[0] == [None]


@pytest.mark.parametrize("family", [GET, SET])
@pytest.mark.parametrize("given", [b" " * 40, b"", b"\0" * 40, bytearray(b"\0ab")])
def test_char_member_buffer_holds_all_bytes_plus_terminator(sized_probe, pyrqx, family, given):
    original = copy.copy(given)
    args = by_code(family, "char", given)
    getattr(pyrqx, family + "char")(*args)
    # at least 8 bytes: a type code of a number has the library read or
    # store one there
    assert sized_probe.calls[0]["value"].size == max(len(given) + 1, 8)
    assert given == original


@pytest.mark.parametrize("family", [GET, SET])
@pytest.mark.parametrize("member", ["int", "float"])
def test_a_wider_value_from_the_library_is_read_in_the_members_type(pyrqx, probe, family, member):
    # The library stores the attribute in the type its code names: a double
    # stored into an int or float member fits the cell's 8 bytes of room, and
    # the member reads its own type from the start.
    library = "qzvgtatt_f" if family == GET else "qzvsatt_f"
    probe.write_doubles(library, "value", [1.1])
    args = by_code(family, member, 0)
    getattr(pyrqx, family + member)(*args)
    low = struct.pack("=d", 1.1)[:4]
    assert args[5] == [struct.unpack("=" + TYPED_FORMATS[member], low)[0]]

# ==== guard: inlen never promises more room than the value has ================

# name -> (arguments from a value and an inlen, the value's position, an empty value)
LENGTH_GUARDED = {
    "qzvgtatt_char": (lambda value, inlen: by_code(GET, "char", value, inlen), 5, b""),
    "qzvgtatt_int": (lambda value, inlen: by_code(GET, "int", value, inlen), 5, 0),
    "qzvgtatt_float": (lambda value, inlen: by_code(GET, "float", value, inlen), 5, 0.0),
    "qzvgtatt_double": (lambda value, inlen: by_code(GET, "double", value, inlen), 5, 0.0),
    "zavo_get_string_attribute": (lambda value, inlen: [1, ["O"], ["A"], [value], inlen, [0]], 3, ""),
    "zavo_get_namelist_attribute": (lambda value, inlen: [1, ["O"], ["A"], [value], inlen, [0]], 3, ""),
}


def library_of(name):
    return SAMPLES[name].library or name


@pytest.mark.parametrize("name", sorted(LENGTH_GUARDED))
def test_value_room_grows_to_inlen_and_takes_the_librarys_text(sized_probe, pyrqx, name):
    make, at, empty = LENGTH_GUARDED[name]
    library = library_of(name)
    sized_probe.write_text(library, "value", b"x" * 40)
    args = make(empty, 40)
    getattr(pyrqx, name)(*args)
    call = sized_probe.one_call(library)
    assert call["value"].size == 41 and call["inlen"].value == 40
    back = args[at][0]
    if isinstance(empty, (bytes, str)):
        assert back == (b"x" * 40 if isinstance(empty, bytes) else "x" * 40)
    else:  # a typed member reads its value from the start of the room
        fmt = TYPED_FORMATS[name.rsplit("_", 1)[1]]
        assert back == struct.unpack_from("=" + fmt, b"x" * 8)[0]


@pytest.mark.parametrize("name", ["qzvgtatt_char", "zavo_get_string_attribute"])
@pytest.mark.parametrize("inlen", [3, 0, -5])
def test_inlen_within_the_text_leaves_the_buffer_and_is_passed_unchanged(
        sized_probe, pyrqx, name, inlen):
    make, at, empty = LENGTH_GUARDED[name]
    text = b"abcdefgh" if isinstance(empty, bytes) else "abcdefgh"
    args = make(text, inlen)
    getattr(pyrqx, name)(*args)
    call = sized_probe.one_call(library_of(name))
    assert call["value"].size == 9 and call["inlen"].value == inlen
    assert args[at] == [text]



@pytest.mark.parametrize("name", sorted(LENGTH_GUARDED))
def test_huge_inlen_gets_the_longest_texts_room_and_is_lowered_to_it(sized_probe, pyrqx, name):
    make, at, empty = LENGTH_GUARDED[name]
    getattr(pyrqx, name)(*make(empty, 2 ** 31 - 1))
    call = sized_probe.one_call(library_of(name))
    assert call["value"].size == 2 ** 20 + 2  # RQX_MAX_ZAVO_CMD
    assert call["inlen"].value == 2 ** 20 + 1
