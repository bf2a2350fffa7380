"""Dates, frequencies, index and time conversions, literals and pictures,
against the probe. The room-generic checks are those of the attribute room
(test_attributes.py), run over this room's samples."""
import pytest

from samples.dates import SAMPLES
from test_attributes import (check_arguments_by_name, check_conversion_failures,
                             check_write_back_order)

# Read through a pointer, never written back.
INPUT_ONLY = ("indexes32", "indexes64ary")


@pytest.mark.parametrize("name", sorted(SAMPLES))
def test_each_parameter_reaches_the_library_argument_of_its_name(pyrqx, probe, name):
    check_arguments_by_name(pyrqx, probe, SAMPLES, name)


@pytest.mark.parametrize("name", sorted(SAMPLES))
def test_outputs_come_back_in_parameter_order(pyrqx, probe, name):
    check_write_back_order(pyrqx, probe, SAMPLES, name, in_only=INPUT_ONLY)


@pytest.mark.parametrize("name", sorted(SAMPLES))
def test_conversion_failure_anywhere_skips_the_library(pyrqx, probe, name):
    check_conversion_failures(pyrqx, probe, SAMPLES, name)

# ==== text buffers ===============================================================

# Text parameters without a length: the buffer is the caller's text and its
# terminator, nothing more.
TEXTS = [(name, param) for name, s in sorted(SAMPLES.items()) for param, make in s.params
         if isinstance(make(), list) and make() and isinstance(make()[0], str)
         and name not in ("zavo_date_to_literal", "zavo_format_date")]


@pytest.mark.parametrize("name, param", TEXTS)
@pytest.mark.parametrize("text", ["", " " * 20, "d\u00e9j\u00e0"])
def test_text_buffer_is_the_encoded_text_plus_terminator(sized_probe, pyrqx, name, param, text):
    s = SAMPLES[name]
    args = s.values()
    args[s.names().index(param)] = [text]
    getattr(pyrqx, name)(*args)
    assert sized_probe.one_call(name)[param].size == len(text.encode()) + 1

# ==== guard: inlen never promises more room than the text has ==================

# name -> arguments with the text (position 2) and inlen filled in
FORMATTERS = {
    "zavo_date_to_literal": lambda text, inlen: [129, 100, [text], 12, 1, inlen, [0]],
    "zavo_format_date": lambda text, inlen: [129, 100, [text], ["<YEAR>"], 12, 1, inlen, [0]],
}
TEXT_PARAM = {"zavo_date_to_literal": "literal", "zavo_format_date": "string"}


@pytest.mark.parametrize("name", sorted(FORMATTERS))
@pytest.mark.parametrize("text, inlen, room", [
    ("", 30, 31), ("abc", 30, 31), ("abcdef", 3, 7), ("abcdef", 6, 7), ("ab", -4, 3), ("", 0, 1),
])
def test_text_room_grows_to_inlen(sized_probe, pyrqx, name, text, inlen, room):
    param = TEXT_PARAM[name]
    written = "7" * (room - 1)
    sized_probe.write_text(name, param, written)
    sized_probe.script(name, ret=0, writes={"outlen": len(written)})
    args = FORMATTERS[name](text, inlen)
    assert getattr(pyrqx, name)(*args) == 0
    call = sized_probe.one_call(name)
    assert call[param].size == room and call[param].text() == text.encode()
    assert call["inlen"].value == inlen
    assert args[2] == [written] and args[-1] == [len(written)]
    if name == "zavo_format_date":  # the picture string is not resized
        assert call["image"].size == len("<YEAR>") + 1

# ==== index arrays ===============================================================


@pytest.mark.parametrize("given64, given32, numobs", [
    ([1, 2, 3], [0, 0, 0], 3), ((7, 8), [0, 0, 0, 0], 2), ([5], [0, 0], 0), ([5, 6], [9, 9], -1),
])
def test_index_to_int_fills_the_whole_list_in_place(pyrqx, probe, given64, given32, numobs):
    probe.write_ints("zavo_index_to_int", "indexes32ary", list(range(40, 40 + len(given32))))
    target = given32
    assert pyrqx.zavo_index_to_int(given64, target, numobs) == 0
    call = probe.one_call("zavo_index_to_int")
    assert call["numobs"].value == numobs
    assert call["indexes64ary"].ints()[:1] == [given64[0]]
    assert target is given32 and target == list(range(40, 40 + len(given32)))


@pytest.mark.parametrize("given64, given32, numobs, short", [
    ([1, 2], [0, 0, 0], 3, "indexes64ary holds 2 elements"),
    ([1, 2, 3], [0, 0], 3, "indexes32ary holds 2 elements"),
    (None, [0, 0], 2, "indexes64ary holds 1 element"),
    ([1, 2], None, 2, "indexes32ary holds 1 element"),
])
def test_index_to_int_numobs_beyond_a_list_is_refused(pyrqx, probe, given64, given32, numobs, short):
    before = list(given32) if given32 is not None else None
    with pytest.raises(ValueError) as info:
        pyrqx.zavo_index_to_int(given64, given32, numobs)
    assert str(info.value) == "zavo_index_to_int(): %s but numobs is %d" % (short, numobs)
    assert probe.calls == [] and given32 == before


@pytest.mark.parametrize("given64, given32", [(None, [0]), ([7], None), (None, None)])
def test_index_to_int_none_stands_for_one_element(sized_probe, pyrqx, given64, given32):
    sized_probe.write_ints("zavo_index_to_int", "indexes32ary", [42])
    assert pyrqx.zavo_index_to_int(given64, given32, 1) == 0
    call = sized_probe.one_call("zavo_index_to_int")
    assert call["numobs"].value == 1
    assert call["indexes64ary"].size >= 4 and call["indexes32ary"].size >= 4
    assert given32 in (None, [42])


def test_index_to_int_none_lists_pass_one_element_scratch(pyrqx, probe):
    probe.write_ints("zavo_index_to_int", "indexes32ary", [99])
    assert pyrqx.zavo_index_to_int(None, None, 0) == 0
    call = probe.one_call("zavo_index_to_int")
    assert not call["indexes64ary"].is_null and not call["indexes32ary"].is_null


@pytest.mark.parametrize("numobs", [1, 0, -3])
def test_int_to_index_converts_one_value(pyrqx, probe, numobs):
    probe.script("zavo_int_to_index", ret=0, writes={"indexes64": 1234})
    single, result = [5], [0]
    assert pyrqx.zavo_int_to_index(single, result, numobs) == 0
    assert probe.one_call("zavo_int_to_index")["indexes32"].ints() == [5]
    assert single == [5] and result == [1234]


@pytest.mark.parametrize("numobs", [2, 1000])
def test_int_to_index_refuses_more_than_one_value(pyrqx, probe, numobs):
    result = [0]
    with pytest.raises(ValueError) as info:
        pyrqx.zavo_int_to_index([5], result, numobs)
    assert str(info.value) == (
        "zavo_int_to_index(): numobs is %d but at most 1 values can be passed" % numobs)
    assert probe.calls == [] and result == [0]


@pytest.mark.parametrize("name", sorted(FORMATTERS))
def test_huge_inlen_gets_the_longest_texts_room_and_is_lowered_to_it(sized_probe, pyrqx, name):
    sized_probe.script(name, ret=0)
    getattr(pyrqx, name)(*FORMATTERS[name]("abc", 2 ** 31 - 1))
    call = sized_probe.one_call(name)
    assert call[TEXT_PARAM[name]].size == 2 ** 20 + 2  # RQX_MAX_ZAVO_CMD
    assert call["inlen"].value == 2 ** 20 + 1 and call[TEXT_PARAM[name]].text() == b"abc"
