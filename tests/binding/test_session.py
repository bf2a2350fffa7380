"""The session functions, call by call against the probe."""
import pytest

# name -> (arguments after the status cell, expected library arguments after it)
CLASSIC = {
    "qzvver": (lambda: [[0.5]], [("float*", [0.5])]),
    "qzvferr": (lambda: [["abc"]], [("char*", b"abc")]),
    "qzvlerr": (lambda: [[4]], [("int*", [4])]),
    "qzvsopt": (lambda: [["NAME"], ["VALUE"]], [("char*", b"NAME"), ("char*", b"VALUE")]),
    "qzvspos": (lambda: [1], [("int", 1)]),
}


def recorded(arg):
    if arg.type == "char*":
        return arg.text()
    if arg.type == "float*":
        return arg.floats()[:1]
    if arg.type == "int*":
        return arg.ints()[:1]
    return arg.value


@pytest.mark.parametrize("name", sorted(CLASSIC))
def test_classic_session_call_passes_arguments_in_order(pyrqx, probe, name):
    make_args, expected = CLASSIC[name]
    getattr(pyrqx, name)([None], *make_args())
    call = probe.one_call(name)
    assert call[0].type == "int*"
    assert [(a.type, recorded(a)) for a in call.args[1:]] == expected


@pytest.mark.parametrize("name", sorted(CLASSIC) + ["qzvini", "qzvfin"])
def test_status_starts_at_minus_one_and_comes_back_whatever_it_is(pyrqx, probe, name):
    args = CLASSIC[name][0]() if name in CLASSIC else []
    status = ["anything"]
    getattr(pyrqx, name)(status, *args)
    assert status == [-1]
    for code in (0, 2, 69):
        probe.reset()
        probe.script(name, status=code)
        getattr(pyrqx, name)(status, *args)
        assert status == [code]


@pytest.mark.parametrize("name", ["qzvini", "qzvfin"])
def test_single_object_session_functions(pyrqx, probe, name):
    status = [None, "kept"]
    probe.script(name, status=0)
    assert getattr(pyrqx, name)(status) is None
    assert status == [0, "kept"]
    assert len(probe.one_call(name).args) == 1


def test_results_come_back_through_every_cell(pyrqx, probe):
    probe.script("qzvlerr", status=0, writes={"len": 42})
    length = [0]
    assert pyrqx.qzvlerr([None], length) is None
    assert length == [42]
    probe.script("qzvsopt", status=0, writes={"optnam": "nm", "optval": "vl"})
    name, value = ["NAME"], ["VALUE"]
    pyrqx.qzvsopt([None], name, value)
    assert (name, value) == (["nm"], ["vl"])


@pytest.mark.parametrize("flag, error", [("x", TypeError), ([1], TypeError), (2 ** 31, OverflowError)])
def test_spos_flag_is_converted_before_the_call(pyrqx, probe, flag, error):
    status = ["old"]
    with pytest.raises(error):
        pyrqx.qzvspos(status, flag)
    assert status == ["old"] and probe.calls == []


def test_conversion_failure_after_a_string_releases_and_skips_the_call(pyrqx, probe):
    name = ["NAME"]
    with pytest.raises(AttributeError):
        pyrqx.qzvsopt([0], name, [None])
    assert probe.calls == [] and name == ["NAME"]


@pytest.mark.parametrize("name", ["FNUMND", "FNUMNC", "FNUMNA", "FPRCND", "FPRCNC", "FPRCNA",
                                  "FDATND", "FBOONC", "ZAVO_INDEX_NA", "FSTRND", "FSTRNA"])
def test_sentinels_read_the_data_object_at_each_call(pyrqx, probe, name):
    kind = type(getattr(pyrqx, name)())
    value = {int: -77, float: 0.1, bytes: b"\x01gap\x02"}[kind]
    probe.set_data(name, value)
    got = getattr(pyrqx, name)()
    assert type(got) is kind
    if name.startswith("FNUM"):
        assert got == 0.10000000149011612
    else:
        assert got == value
