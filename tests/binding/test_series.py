"""The series functions, family by family, against the probe: what reaches
the library, what comes back and in which order, and the guards that keep
the library inside the arrays it is given."""
import contextlib
import os
import struct

import pytest

from samples.series import SAMPLES

NUMOBS = 3             # the count the probe gives every range below
LONGEST_TEXT = 2 ** 20 + 2  # RQX_MAX_ZAVO_CMD: the most room a length argument makes
TABLE_SIZE = 3         # the library's translation-table size
HBRNG = 14

# ---- helpers -------------------------------------------------------------------


def f32(x):
    return struct.unpack("f", struct.pack("f", x))[0]


def library(name):
    return SAMPLES[name].library or name


def fresh(name, **replace):
    """The sample's arguments by name, in parameter order, some replaced."""
    args = dict(zip(SAMPLES[name].names(), SAMPLES[name].values()))
    for key, value in replace.items():
        assert key in args, key
        args[key] = value
    return args


def run(pyrqx, name, args):
    return getattr(pyrqx, name)(*args.values())


def count_range(probe, numobs=NUMOBS, ret=0):
    probe.script("zavo_get_range_numobs", ret=ret, writes={"numobs": numobs})


def is_classic(name):
    return name.startswith("qzv")


# Element format of each function's value array ("i", "f", "d").
def element(name):
    for suffix, fmt in (("_int", "i"), ("_float", "f"), ("_double", "d"), ("numerics", "f"),
                        ("precisions", "d"), ("booleans", "i"), ("dates", "i")):
        if name.endswith(suffix):
            return fmt
    return None


VALUE_FUNCTIONS = sorted(n for n in SAMPLES if "valary" in SAMPLES[n].names())
TYPED_CLASSIC = [n for n in VALUE_FUNCTIONS if "mistt" in SAMPLES[n].names()]


def round_trip(fmt, x):
    return {"i": int, "f": f32, "d": float}[fmt](x)


def unpack(arg, fmt):
    return {"i": arg.ints, "f": arg.floats, "d": arg.doubles}[fmt]()


# ---- what reaches the library ---------------------------------------------------


@pytest.mark.parametrize("name", VALUE_FUNCTIONS)
def test_value_arrays_use_the_members_element_type_with_8_bytes_of_room(pyrqx, sized_probe, name):
    probe, fmt = sized_probe, element(name)
    values = [1, -2, 3, 4] if fmt == "i" else [1.5, -2.25, 3.0, 0.1]
    replace = {"valary": list(values)}
    if "mistt" in SAMPLES[name].names():
        replace["mistt"] = [5] if fmt == "i" else [0.5]   # shorter than the table
    count_range(probe)
    run(pyrqx, name, fresh(name, **replace))
    call = probe.one_call(library(name))
    assert unpack(call["valary"], fmt)[:4] == [round_trip(fmt, v) for v in values]
    assert call["valary"].size >= 8 * len(values)
    if "mistt" in replace:
        table = call["mistt"]
        assert table.size >= 8 * TABLE_SIZE
        assert unpack(table, fmt)[:TABLE_SIZE] == [replace["mistt"][0], 0, 0]


@pytest.mark.parametrize("name", TYPED_CLASSIC)
def test_none_table_is_a_zero_filled_table_of_the_librarys_size(pyrqx, sized_probe, name):
    count_range(sized_probe)
    args = fresh(name, mistt=None)
    run(pyrqx, name, args)
    table = sized_probe.one_call(library(name))["mistt"]
    assert table.size >= 8 * TABLE_SIZE and set(table.data) == {0}
    assert args["mistt"] is None


@pytest.mark.parametrize("name", VALUE_FUNCTIONS)
def test_values_come_back_in_the_members_type_and_surplus_elements_are_kept(pyrqx, sized_probe,
                                                                             name):
    """The library fills the first two elements; the others come back as the
    round trip of what was passed (reads and classic writes), or the list is
    left alone (extended writes)."""
    probe, fmt = sized_probe, element(name)
    passed = [0, 0, 5, 6, 7] if fmt == "i" else [0.0, 0.0, 0.1, 0.2, 0.3]
    written = [7, -8] if fmt == "i" else [0.1, -2.5]
    probe.write_bytes(library(name), "valary", struct.pack("=2" + fmt, *written))
    count_range(probe)
    valary = list(passed)
    run(pyrqx, name, fresh(name, valary=valary))
    if name.startswith("zavo_write_"):
        assert valary == passed
    else:
        assert valary == [round_trip(fmt, v) for v in written + passed[2:]]
        assert all(type(v) is (int if fmt == "i" else float) for v in valary)


@pytest.mark.parametrize("name, param, given, kind, passed", [
    ("qzvsnm", "nctran", 0.1, "float", f32(0.1)),
    ("qzvsnm", "natran", 1e300, "float", float("inf")),
    ("qzvspm", "ndtran", 0.1, "double", 0.1),
    ("qzvsbm", "natran", 7.9, "int", 7),
    ("qzvsdm", "nctran", -3, "int", -3),
    ("qzvisnm", "value", 0.1, "float", f32(0.1)),
    ("qzvispm", "value", 0.1, "double", 0.1),
    ("qzvisbm", "value", True, "int", 1),
    ("qzvisdm", "value", 2 ** 31 - 1, "int", 2 ** 31 - 1),
    ("zavo_write_dates", "value_type", 6, "int", 6),
    ("qzvwrmt_float", "objtyp", 5, "int", 5),
    ("qzvrdfa_double", "wntobs", 3, "int", 3),
    ("qzvsfis", "fmonth", 9, "int", 9),
])
def test_scalar_arguments_reach_the_library_in_their_c_type(pyrqx, probe, name, param, given,
                                                           kind, passed):
    count_range(probe)
    run(pyrqx, name, fresh(name, **{param: given}))
    arg = probe.one_call(library(name))[param]
    assert (arg.type, arg.value) == (kind, passed)


# ---- what comes back, and in which order ----------------------------------------

WRITTEN = {
    "qzvsrng": ["status", "syear", "sprd", "eyear", "eprd", "range_", "numobs"],
    "qzvsfis": ["status", "syear", "sprd", "eyear", "eprd", "range_", "numobs"],
    "zavo_init_range_from_indexes": ["range_"],
    "zavo_init_range_from_start_numobs": ["range_"],
    "zavo_init_range_from_end_numobs": ["range_"],
    "zavo_get_range_numobs": ["numobs"],
    "qzvgtstr": ["status", "objnam", "strval", "ismiss", "outlen"],
    "qzvwstr": ["status", "objnam", "strval"],
    "qzvgtsts": ["status", "objnam", "strary", "misary", "outlenary"],
    "qzvwsts": ["status", "objnam", "strary", "misary", "lenary"],
    "qzvlsts": ["status", "objnam", "lenary"],
    "qzvssln": ["status", "objnam"],
    "qzvgsln": ["status", "objnam", "length"],
    "qzvissm": ["status", "value", "ismiss"],
    "zavo_get_strings": ["objnam", "strary", "outlenary"],
    "zavo_write_strings": ["objnam", "strary"],
    "zavo_len_strings": ["objnam", "lenary"],
}
for _kind in ("int", "float", "double"):
    for _family in ("qzvrrng_", "qzvwrng_", "qzvwrmt_"):
        WRITTEN[_family + _kind] = ["status", "objnam", "valary", "mistt"]
    WRITTEN["qzvrdfa_" + _kind] = ["status", "objnam", "syear", "sprd", "gotobs", "valary",
                                   "mistt"]
for _letter, _table in zip("npbd", ("nmistt", "pmistt", "bmistt", "dmistt")):
    WRITTEN["qzvs%sm" % _letter] = ["status", _table]
    WRITTEN["qzvis%sm" % _letter] = ["status", "ismiss"]
for _kind in ("numerics", "precisions", "booleans", "dates"):
    WRITTEN["zavo_get_" + _kind] = ["objnam", "valary"]
    WRITTEN["zavo_write_" + _kind] = ["objnam"]


def script_every_output(probe, name, args):
    """Makes the library change every place it is handed: status 69, texts
    "Z", every number 7."""
    lib = library(name)
    for function, script in SAMPLES[name].scripts.items():
        probe.script(function, **script)
    if is_classic(name):
        probe.script(lib, status=69)
    else:
        probe.script(lib, ret=69)
    for c_type, param in probe.signature(lib).params[1 if is_classic(name) else 0:]:
        value = args.get(param, args.get(param + "_"))
        if c_type == "char*":
            probe.write_text(lib, param, "Z")
        elif c_type == "char**":
            for i in range(len(value)):
                probe.write_text(lib, (param, i), "Z")
        elif c_type in ("int*", "float*", "double*", "void*"):
            fmt = {"int*": "i", "float*": "f", "double*": "d"}.get(c_type) or element(name)
            probe.write_bytes(lib, param, struct.pack("=%d%s" % (len(value), fmt),
                                                      *[7] * len(value)))


def changed(name, args):
    """The parameters that no longer equal the sample (a tuple standing in
    for a list counts as equal)."""
    sample = fresh(name)
    return [p for p, v in args.items() if (list(v) if isinstance(v, tuple) else v) != sample[p]]


def test_every_series_function_has_its_write_backs_listed():
    assert sorted(WRITTEN) == sorted(SAMPLES)


@pytest.mark.parametrize("name", sorted(SAMPLES))
def test_write_back_places_and_their_order(pyrqx, probe, name):
    """Exactly the listed places change, and a place that rejects assignment
    stops the write-back there: the places before it are written, it and
    those after it are not."""
    args = fresh(name)
    script_every_output(probe, name, args)
    result = run(pyrqx, name, args)
    assert changed(name, args) == WRITTEN[name]
    assert result == (None if is_classic(name) else 69)
    if is_classic(name):
        assert args["status"] == [69]
    for position, param in enumerate(WRITTEN[name]):
        probe.reset()
        args = fresh(name)
        args[param] = tuple(args[param])
        script_every_output(probe, name, args)
        with pytest.raises(TypeError):
            run(pyrqx, name, args)
        assert len(probe.calls_to(library(name))) == 1
        assert changed(name, args) == WRITTEN[name][:position]


@pytest.mark.parametrize("name, param", [
    (name, param) for name in sorted(SAMPLES) for param, value in fresh(name).items()
    if isinstance(value, list) and len(value) > 1])
def test_unconvertible_list_element_stops_the_call_before_the_library(pyrqx, probe, name, param):
    count_range(probe)
    args = fresh(name)
    bad = 5 if isinstance(args[param][0], str) else "x"   # no encode / no number
    args[param] = args[param][:-1] + [bad]
    with pytest.raises((TypeError, AttributeError)):
        run(pyrqx, name, args)
    assert probe.calls == []
    args[param][-1] = fresh(name)[param][-1]
    assert changed(name, args) == []


# ---- range lists -------------------------------------------------------------------

FILLED_RANGE = ["qzvsrng", "qzvsfis", "zavo_init_range_from_indexes",
                "zavo_init_range_from_start_numobs", "zavo_init_range_from_end_numobs"]
RANGE_FUNCTIONS = sorted(n for n in SAMPLES if "range_" in SAMPLES[n].names())


@pytest.mark.parametrize("name", RANGE_FUNCTIONS)
def test_none_range_passes_a_null_pointer_without_asking_for_its_count(pyrqx, probe, name):
    args = fresh(name, range_=None)
    run(pyrqx, name, args)
    assert [c.name for c in probe.calls] == [library(name)]
    assert probe.one_call(library(name))["range"].is_null
    assert args["range_"] is None


@pytest.mark.parametrize("name", RANGE_FUNCTIONS)
def test_range_shorter_than_the_librarys_range_is_refused(pyrqx, probe, name):
    args = fresh(name, range_=[129, 10])
    with pytest.raises(ValueError, match="range list holds 3 ints"):
        run(pyrqx, name, args)
    assert probe.calls == []


@pytest.mark.parametrize("name", FILLED_RANGE)
def test_filled_range_is_replaced_in_place_and_keeps_its_surplus(pyrqx, probe, name):
    probe.write_ints(library(name), "range", [129, 1, 3])
    range_ = [0, 0, 0, 99]
    args = fresh(name, range_=range_)
    run(pyrqx, name, args)
    assert args["range_"] is range_ and range_ == [129, 1, 3, 99]


def test_read_only_range_may_be_a_tuple(pyrqx, probe):
    probe.script("zavo_get_range_numobs", ret=0, writes={"numobs": 12})
    numobs = [0]
    assert pyrqx.zavo_get_range_numobs((129, 1, 12), numobs) == 0
    assert numobs == [12]
    assert probe.one_call("zavo_get_range_numobs")["range"].ints()[:3] == [129, 1, 12]


# ---- guard: lists over a range are never shorter than the range ----------------------

FILLED, READ, STRINGS = "filled", "read", "strings"
OVER_RANGE = {
    "qzvgtsts": {"strary": STRINGS, "misary": FILLED, "inlenary": READ, "outlenary": FILLED},
    "qzvwsts": {"strary": STRINGS, "misary": READ, "lenary": READ},
    "qzvlsts": {"lenary": FILLED},
    "zavo_get_strings": {"strary": STRINGS, "inlenary": READ, "outlenary": FILLED},
    "zavo_write_strings": {"strary": STRINGS},
    "zavo_len_strings": {"lenary": FILLED},
}
for _name in VALUE_FUNCTIONS:
    if "range_" in SAMPLES[_name].names():
        reads = "wrng" in _name or "wrmt" in _name or "write" in _name
        OVER_RANGE[_name] = {"valary": READ if reads else FILLED}
LISTS_OVER_RANGE = [(n, p, role) for n in sorted(OVER_RANGE) for p, role in OVER_RANGE[n].items()]


def test_every_list_over_a_range_is_guarded():
    """A function that reads a range and takes lists (other than the
    translation table) has all of them listed above."""
    found = {n: sorted(p for p, v in fresh(n).items()
                       if isinstance(v, list) and len(v) > 1 and p not in ("range_", "mistt"))
             for n in RANGE_FUNCTIONS if n not in FILLED_RANGE}
    assert found == {n: sorted(OVER_RANGE.get(n, {})) for n in found}


@pytest.mark.parametrize("name, param, role", LISTS_OVER_RANGE)
def test_list_shorter_than_the_range_is_refused_before_the_call(pyrqx, probe, name, param, role):
    count_range(probe)
    args = fresh(name)
    args[param] = args[param][:NUMOBS - 1]
    with pytest.raises(ValueError, match=r"%s\(\): %s holds 2 elements but the range has 3 "
                                         r"observations" % (name, param)):
        run(pyrqx, name, args)
    assert [c.name for c in probe.calls] == ["zavo_get_range_numobs"]
    assert probe.one_call("zavo_get_range_numobs")["range"].ints()[:3] == args["range_"]
    args[param] = fresh(name)[param]
    assert changed(name, args) == []


@pytest.mark.parametrize("name, param, role", LISTS_OVER_RANGE)
def test_none_for_a_list_over_the_range(pyrqx, sized_probe, name, param, role):
    """Filled: a zero-filled scratch of the range's count, not written back.
    Read: refused, the library would read undefined values. Strings: refused
    by the string list itself."""
    probe = sized_probe
    count_range(probe)
    args = fresh(name, **{param: None})
    if role == STRINGS:
        with pytest.raises(TypeError, match="not None"):
            run(pyrqx, name, args)
        assert probe.calls == []
    elif role == READ:
        with pytest.raises(ValueError, match=r"%s is None but the library reads it" % param):
            run(pyrqx, name, args)
        assert [c.name for c in probe.calls] == ["zavo_get_range_numobs"]
    else:
        run(pyrqx, name, args)
        scratch = probe.one_call(library(name))[param]
        assert scratch.size >= 8 * NUMOBS and set(scratch.data) == {0}
        assert args[param] is None


@pytest.mark.parametrize("name, param, role", LISTS_OVER_RANGE)
def test_range_the_library_cannot_count_leaves_the_call_to_report_it(pyrqx, probe, name, param,
                                                                     role):
    count_range(probe, numobs=99, ret=HBRNG)
    args = fresh(name)
    args[param] = args[param][:1]
    run(pyrqx, name, args)
    assert len(probe.calls_to(library(name))) == 1


@pytest.mark.parametrize("name", sorted(OVER_RANGE))
def test_the_range_is_counted_once(pyrqx, probe, name):
    count_range(probe)
    run(pyrqx, name, fresh(name))
    assert [c.name for c in probe.calls] == ["zavo_get_range_numobs", library(name)]


# ---- guard: qzvrdfa_* lists hold the observations asked for -----------------------


@pytest.mark.parametrize("name", [n for n in TYPED_CLASSIC if "rdfa" in n])
def test_year_period_read_holds_wntobs_values(pyrqx, sized_probe, name):
    probe = sized_probe
    args = fresh(name, wntobs=4)
    with pytest.raises(ValueError, match=r"valary holds 3 elements but wntobs asks for 4"):
        run(pyrqx, name, args)
    assert probe.calls == [] and changed(name, args) == ["wntobs"]

    run(pyrqx, name, fresh(name, wntobs=5, valary=None))
    scratch = probe.one_call("qzvrdfa_f")["valary"]
    assert scratch.size >= 8 * 5 and set(scratch.data) == {0}

    probe.reset()
    run(pyrqx, name, fresh(name, wntobs=0, valary=[]))
    assert probe.one_call("qzvrdfa_f")["valary"].size >= 8


# ---- guard: length arguments never exceed a text buffer -------------------------------


@pytest.mark.parametrize("name, length", [("qzvgtstr", "inlen"), ("qzvwstr", "length")])
def test_text_buffer_holds_the_length_argument(pyrqx, sized_probe, name, length):
    probe = sized_probe
    probe.write_text(name, "strval", "0123456789")   # as much as the length allows
    strval = ["ab"]
    run(pyrqx, name, fresh(name, strval=strval, **{length: 10}))
    buffer = probe.one_call(name)["strval"]
    assert buffer.size >= 11 and buffer.text() == b"ab"
    assert strval == ["0123456789"]


@pytest.mark.parametrize("length", [0, -5])
def test_no_length_leaves_the_text_buffer_as_the_text_makes_it(pyrqx, sized_probe, length):
    strval = ["ab"]
    run(pyrqx, "qzvgtstr", fresh("qzvgtstr", strval=strval, inlen=length))
    assert sized_probe.one_call("qzvgtstr")["strval"].size == 3
    assert strval == ["ab"]


@pytest.mark.parametrize("name, lengths", [("qzvgtsts", "inlenary"),
                                           ("zavo_get_strings", "inlenary"),
                                           ("qzvwsts", "lenary")])
def test_each_string_buffer_holds_its_length(pyrqx, sized_probe, name, lengths):
    probe = sized_probe
    count_range(probe)
    probe.write_text(library(name), ("strary", 2), "123456789")
    strary = ["a", "bcd", ""]
    run(pyrqx, name, fresh(name, strary=strary, **{lengths: [5, 0, 9]}))
    items = probe.one_call(library(name))["strary"].items
    assert [b.size >= need for b, need in zip(items, (6, 4, 10))] == [True] * 3
    assert [b.text() for b in items] == [b"a", b"bcd", b""]   # as the call began
    assert strary == ["a", "bcd", "123456789"]


# A length no text of the interface reaches costs no more room than the longest
# text (RQX_MAX_ZAVO_CMD bytes) beyond the caller's own, and the library is
# told the room made; a caller's text longer than that keeps its own room.
@pytest.mark.parametrize("name, length", [("qzvgtstr", "inlen"), ("qzvwstr", "length")])
@pytest.mark.parametrize("text, room", [("ab", LONGEST_TEXT), ("x" * LONGEST_TEXT, LONGEST_TEXT + 1)])
def test_huge_length_gets_bounded_room_and_is_lowered_to_it(pyrqx, sized_probe, name, length,
                                                             text, room):
    run(pyrqx, name, fresh(name, strval=[text], **{length: 2 ** 31 - 1}))
    call = sized_probe.one_call(name)
    assert call["strval"].size == room and call[length].value == room - 1


def test_huge_element_lengths_get_bounded_rooms_and_are_lowered(pyrqx, sized_probe):
    count_range(sized_probe)
    run(pyrqx, "qzvgtsts", fresh("qzvgtsts", strary=["a", "b", "c"],
                                 inlenary=[2 ** 31 - 1, 5, 2 ** 31 - 1]))
    call = sized_probe.one_call("qzvgtsts")
    assert [b.size for b in call["strary"].items] == [LONGEST_TEXT, 6, LONGEST_TEXT]
    assert list(struct.unpack_from("=3i", call["inlenary"].data)) == [
        LONGEST_TEXT - 1, 5, LONGEST_TEXT - 1]


# ---- guard: an allocation that fails names its parameter and size ------------------


@contextlib.contextmanager
def address_space_limited_to_now_plus(extra):
    """Allocations beyond `extra` more bytes of address space fail for a while."""
    resource = pytest.importorskip("resource")
    soft, hard = resource.getrlimit(resource.RLIMIT_AS)
    with open("/proc/self/statm") as statm:
        in_use = int(statm.read().split()[0]) * os.sysconf("SC_PAGE_SIZE")
    resource.setrlimit(resource.RLIMIT_AS, (in_use + extra, hard))
    try:
        yield
    finally:
        resource.setrlimit(resource.RLIMIT_AS, (soft, hard))


FILLED_VALUES = sorted(n for n, p, role in LISTS_OVER_RANGE if p == "valary" and role == FILLED)
RDFA = sorted(n for n in TYPED_CLASSIC if "rdfa" in n)


# None over a huge range (the range's count decides) and qzvrdfa_* (wntobs does).
@pytest.mark.parametrize("name, count", [(n, None) for n in FILLED_VALUES[:2]] + [(RDFA[0], "wntobs")])
def test_scratch_that_cannot_be_allocated_raises_a_named_memory_error(pyrqx, probe, name, count):
    if probe.size_source == "sanitizer":
        pytest.skip("the sanitizer's allocator stops the process instead of failing")
    huge = 2 ** 31 - 1
    count_range(probe, numobs=huge)
    args = fresh(name, valary=None, **({count: huge} if count else {}))
    with address_space_limited_to_now_plus(2 ** 30):
        with pytest.raises(MemoryError) as raised:
            run(pyrqx, name, args)
    assert str(raised.value) == "valary: cannot allocate %d bytes for %d elements" % (8 * huge, huge)
    assert library(name) not in [c.name for c in probe.calls]
