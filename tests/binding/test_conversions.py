"""Cells, scalar conversions, string buffers and write-back, through the
session functions (the frame's conversions are shared by every function)."""
import struct
import warnings

import pytest


def f32(x):
    return struct.unpack("f", struct.pack("f", x))[0]


class IntLike:
    def __init__(self, value):
        self.value = value

    def __int__(self):
        return self.value


class IndexOnly:
    def __index__(self):
        return 3


class MyInt(int):
    pass


@pytest.mark.parametrize("given, passed", [
    (7, 7), (True, 1), (False, 0), (3.9, 3), (-3.9, -3), (MyInt(12), 12), (IntLike(5), 5),
    (2 ** 31 - 1, 2 ** 31 - 1), (-2 ** 31, -2 ** 31),
])
def test_int_cell_conversion(pyrqx, probe, given, passed):
    cell = [given, "untouched"]
    pyrqx.qzvlerr([0], cell)
    assert probe.one_call("qzvlerr")["len"].ints()[0] == passed
    assert cell == [passed, "untouched"] and type(cell[0]) is int


@pytest.mark.parametrize("given, error, message", [
    (None, TypeError, "an integer is required"),
    ("5", TypeError, "an integer is required"),
    (IndexOnly(), TypeError, "an integer is required"),
    ([1, 2], TypeError, "an integer is required"),
    (2 ** 31, OverflowError, "Python int too large to convert to C long"),
    (-2 ** 31 - 1, OverflowError, "Python int too large to convert to C long"),
    (2 ** 70, OverflowError, "Python int too large to convert to C long"),
    (float("inf"), OverflowError, None),
    (IntLike("x"), TypeError, "__int__ returned non-int (type str)"),
])
def test_int_conversion_failures_leave_everything_untouched(pyrqx, probe, given, error, message):
    status, cell = ["old"], [given]
    with pytest.raises(error) as info:
        pyrqx.qzvlerr(status, cell)
    if message:
        assert str(info.value) == message
    assert probe.calls == [] and status == ["old"] and cell == [given]


def test_int_slot_returning_an_int_subclass_warns_and_converts(pyrqx, probe):
    with pytest.warns(DeprecationWarning, match=r"__int__ returned non-int \(type MyInt\)\.  The ability"):
        pyrqx.qzvlerr([0], [IntLike(MyInt(4))])
    assert probe.one_call("qzvlerr")["len"].ints()[0] == 4
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        with pytest.raises(DeprecationWarning):
            pyrqx.qzvlerr([0], [IntLike(MyInt(4))])
    assert len(probe.calls) == 1


@pytest.mark.parametrize("given, back", [
    (0.1, f32(0.1)), (1.5, 1.5), (7, 7.0), (True, 1.0), (1e300, float("inf")),
    (-1e300, float("-inf")), (IntLike(3), None),
])
def test_float_cell_narrowed_and_widened_exactly(pyrqx, probe, given, back):
    cell = [given]
    if back is None:
        with pytest.raises(TypeError):
            pyrqx.qzvver([0], cell)
        assert probe.calls == []
        return
    pyrqx.qzvver([0], cell)
    assert probe.one_call("qzvver")["ver"].floats()[0] == back
    assert cell == [back] and type(cell[0]) is float


def test_float_written_by_the_library_comes_back_exactly_widened(pyrqx, probe):
    probe.script("qzvver", status=0, writes={"ver": 0.1})
    cell = [0.0]
    pyrqx.qzvver([None], cell)
    assert cell[0] == 0.10000000149011612


def test_float_conversion_uses_the_float_protocol(pyrqx, probe):
    class FloatLike:
        def __float__(self):
            return 2.5
    cell = [FloatLike()]
    pyrqx.qzvver([0], cell)
    assert cell == [2.5]
    with pytest.raises(TypeError):
        pyrqx.qzvver([0], [None])
    with pytest.raises(TypeError):
        pyrqx.qzvver([0], ["1.0"])
    assert len(probe.calls) == 1


@pytest.mark.parametrize("text, sent", [
    ("abc", b"abc"), ("", b""), ("a\0bc", b"a"), ("\u00e9t\u00e9 \u6771", "\u00e9t\u00e9 \u6771".encode()),
])
def test_string_cell_buffer_holds_the_encoding_plus_terminator(pyrqx, probe, text, sent):
    probe.tracking(True)
    cell = [text]
    pyrqx.qzvferr([0], cell)
    arg = probe.one_call("qzvferr")["errtxt"]
    assert arg.text() == sent
    if probe.sizes_known:
        assert arg.size == len(sent) + 1
    assert cell == [sent.decode()]


@pytest.mark.parametrize("given, error", [
    (b"abc", AttributeError), (5, AttributeError), (None, AttributeError),
    ("\ud800", UnicodeEncodeError),
])
def test_string_cell_must_encode(pyrqx, probe, given, error):
    cell = [given]
    with pytest.raises(error):
        pyrqx.qzvferr([0], cell)
    assert probe.calls == [] and cell == [given]


def test_string_cell_uses_the_objects_own_encode(pyrqx, probe):
    class Loud(str):
        def encode(self, encoding):
            assert encoding == "UTF-8"
            return bytearray(b"LOUD")

    class Broken(str):
        def encode(self, encoding):
            return 42

    cell = [Loud("quiet")]
    pyrqx.qzvferr([0], cell)
    assert probe.one_call("qzvferr")["errtxt"].text() == b"LOUD"
    assert cell == ["LOUD"]
    with pytest.raises(TypeError):
        pyrqx.qzvferr([0], [Broken("x")])
    assert len(probe.calls) == 1


def test_library_text_is_decoded_back_up_to_its_nul(pyrqx, probe):
    probe.script("qzvferr", status=0, writes={"errtxt": "d\u00e9j\u00e0"})
    cell = [" " * 10]
    pyrqx.qzvferr([None], cell)
    assert cell == ["d\u00e9j\u00e0"]


def test_invalid_utf8_from_the_library_raises_after_the_status(pyrqx, probe):
    probe.script("qzvsopt", status=5)
    probe.write_bytes("qzvsopt", "optval", b"\xff\xfe\0")
    status, name, value = [None], ["NAME"], ["VALUE"]
    with pytest.raises(UnicodeDecodeError):
        pyrqx.qzvsopt(status, name, value)
    assert status == [5] and name == ["NAME"] and value == ["VALUE"]


def test_write_back_in_parameter_order_stops_at_the_failing_cell(pyrqx, probe):
    probe.script("qzvsopt", status=3, writes={"optnam": "new name", "optval": "new value"})
    status, value = [None], ["VALUE!!!!!!"]
    with pytest.raises(TypeError):
        pyrqx.qzvsopt(status, ("NAME!!!!!!",), value)
    assert status == [3] and value == ["VALUE!!!!!!"]
    assert len(probe.calls) == 1


def test_status_cell_that_rejects_assignment_raises_after_the_call(pyrqx, probe):
    ver = [0.0]
    probe.script("qzvver", status=0, writes={"ver": 2.0})
    with pytest.raises(TypeError):
        pyrqx.qzvver((None,), ver)
    assert len(probe.calls) == 1 and ver == [0.0]
    with pytest.raises(IndexError):
        pyrqx.qzvver([], ver)
    assert len(probe.calls) == 2


@pytest.mark.parametrize("cell, read", [
    ({0: 4}, lambda c: c[0]),
    ([4, 9, 9], lambda c: c),
])
def test_cells_are_accessed_at_index_zero_only(pyrqx, probe, cell, read):
    probe.script("qzvlerr", status=0, writes={"len": 11})
    pyrqx.qzvlerr([0], cell)
    assert cell[0] == 11
    if isinstance(cell, list):
        assert cell[1:] == [9, 9]


def test_sequence_cell_through_its_item_protocol(pyrqx, probe):
    class Seq:
        def __init__(self):
            self.items = [5]

        def __getitem__(self, i):
            return self.items[i]

        def __setitem__(self, i, v):
            self.items[i] = v

        def __len__(self):
            return 1

    cell = Seq()
    probe.script("qzvlerr", status=0, writes={"len": 8})
    pyrqx.qzvlerr([0], cell)
    assert probe.one_call("qzvlerr")["len"].ints()[0] == 5 and cell.items == [8]


@pytest.mark.parametrize("cell, error", [([], IndexError), ((), IndexError), (5, TypeError)])
def test_unreadable_in_out_cell(pyrqx, probe, cell, error):
    with pytest.raises(error):
        pyrqx.qzvlerr([0], cell)
    assert probe.calls == []
