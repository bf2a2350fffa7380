"""Databases, connections, commands and server input."""
import pytest

from samples import session
from test_objects import CallShape, check_room_for_length

SESSION_ONLY = {"qzvini", "qzvfin", "qzvver", "qzvferr", "qzvlerr", "qzvsopt", "qzvspos"}
ROOM = sorted(set(session.SAMPLES) - SESSION_ONLY)


class TestDatabaseCalls(CallShape):
    @pytest.fixture(params=ROOM)
    def name(self, request):
        return request.param

    @pytest.fixture
    def sample(self, name):
        return session.SAMPLES[name]


def test_server_input_buffer_holds_buffer_size_bytes(pyrqx, sized_probe):
    check_room_for_length(pyrqx, sized_probe, "zavo_get_server_input",
                          session.SAMPLES["zavo_get_server_input"], "buffer", "buffer_size", 0)


def test_server_input_that_does_not_decode_loses_the_size(pyrqx, probe):
    probe.script("zavo_get_server_input", ret=0, writes={"buffer": b"\xff\0", "input_size": 9})
    buffer, size = [" " * 4], [0]
    with pytest.raises(UnicodeDecodeError):
        pyrqx.zavo_get_server_input(buffer, 5, size)
    assert (buffer, size) == ([" " * 4], [0])


def test_huge_buffer_size_gets_the_longest_texts_room_and_is_lowered_to_it(pyrqx, sized_probe):
    pyrqx.zavo_get_server_input(["ab"], 2 ** 31 - 1, [0])
    call = sized_probe.one_call("zavo_get_server_input")
    assert call["buffer"].size == call["buffer_size"].value == 2 ** 20 + 2  # RQX_MAX_ZAVO_CMD
