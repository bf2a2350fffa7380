"""Binding of positional and keyword arguments, its messages and tracebacks."""
import ctypes
import sys
import traceback

import pytest

COUNT = "qzvver() takes exactly 2 positional arguments (%d given)"


@pytest.mark.parametrize("args, kwargs, message", [
    ((), {}, COUNT % 0),
    (("S",), {}, COUNT % 1),
    (("S", "V", 3), {}, COUNT % 3),
    (("S", "V", 3), {"x": 1}, COUNT % 3),
    ((), {"status": "S"}, COUNT % 1),
    ((), {"ver": "V"}, COUNT % 0),
    (("S",), {"x": 1}, COUNT % 1),                       # missing before unknown
    (("S",), {"status": "S"}, COUNT % 1),                # missing before repeated
    (("S",), {"ver": "V", "x": 1}, "qzvver() got an unexpected keyword argument 'x'"),
    (("S", "V"), {"status": "S"}, "qzvver() got multiple values for keyword argument 'status'"),
    (("S", "V"), {"ver": "V"}, "qzvver() got multiple values for keyword argument 'ver'"),
    (("S", "V"), {"verx": 1}, "qzvver() got an unexpected keyword argument 'verx'"),
])
def test_binding_errors_in_order_of_checks(pyrqx, probe, args, kwargs, message):
    cells = {"S": [7], "V": [0.5]}
    args = [cells.get(a, a) if isinstance(a, str) else a for a in args]
    kwargs = {k: cells.get(v, v) if isinstance(v, str) else v for k, v in kwargs.items()}
    with pytest.raises(TypeError) as info:
        pyrqx.qzvver(*args, **kwargs)
    assert str(info.value) == message
    assert probe.calls == []
    assert cells == {"S": [7], "V": [0.5]}


def test_count_error_singular_and_plural_use_function_name(pyrqx):
    with pytest.raises(TypeError, match=r"^qzvsopt\(\) takes exactly 3 positional arguments \(4 given\)$"):
        pyrqx.qzvsopt([0], [""], [""], 1)


@pytest.mark.parametrize("kwargs", [
    {"status": "S", "ver": "V"},
    {"ver": "V", "status": "S"},
])
def test_all_parameters_by_keyword_in_any_order(pyrqx, probe, kwargs):
    cells = {"S": [None], "V": [0.25]}
    probe.write_int("qzvver", 0, 0)
    pyrqx.qzvver(**{k: cells[v] for k, v in kwargs.items()})
    assert [c.name for c in probe.calls] == ["qzvver"]
    assert cells["S"] == [0] and cells["V"] == [0.25]


def test_positional_then_keyword(pyrqx, probe):
    s, v = [None], [0.0]
    pyrqx.qzvver(s, ver=v)
    assert len(probe.calls) == 1


def test_keyword_that_is_not_a_string_through_the_c_call_interface(pyrqx, probe):
    call = ctypes.pythonapi.PyObject_Call
    call.restype = ctypes.py_object
    call.argtypes = [ctypes.py_object, ctypes.py_object, ctypes.py_object]
    with pytest.raises(TypeError) as info:
        call(pyrqx.qzvver, ([0], [0.0]), {1: 2})
    assert str(info.value) == "qzvver() keywords must be strings"
    assert probe.calls == []


def test_keyword_that_is_an_equal_but_not_interned_string(pyrqx, probe):
    name = "".join(["v", "e", "r"])  # a fresh object, not the interned one
    pyrqx.qzvver([0], **{name: [0.0]})
    assert len(probe.calls) == 1


def test_str_subclass_keyword_binds_by_value(pyrqx, probe):
    class Key(str):
        pass
    call = ctypes.pythonapi.PyObject_Call
    call.restype = ctypes.py_object
    call.argtypes = [ctypes.py_object, ctypes.py_object, ctypes.py_object]
    call(pyrqx.qzvver, ([0],), {Key("ver"): [0.0]})
    assert len(probe.calls) == 1


def innermost(exc_info):
    return traceback.extract_tb(exc_info.tb)[-1]


@pytest.mark.parametrize("call, name", [
    (lambda m: m.qzvver([0]), "pyrqx.qzvver"),                  # binding
    (lambda m: m.qzvlerr([0], ["x"]), "pyrqx.qzvlerr"),          # conversion
    (lambda m: m.qzvferr((0,), [""]), "pyrqx.qzvferr"),          # write-back
    (lambda m: m.qzvini(()), "pyrqx.qzvini"),                   # single-object form
])
def test_failures_add_one_traceback_entry_named_after_the_function(pyrqx, call, name):
    with pytest.raises(Exception) as info:
        call(pyrqx)
    entry = innermost(info)
    assert (entry.name, entry.filename) == (name, "pyrqx")
    entries = traceback.extract_tb(info.tb)
    assert [e.name for e in entries].count(name) == 1


def test_traceback_code_objects_are_cached(pyrqx):
    codes = set()
    for _ in range(3):
        try:
            pyrqx.qzvlerr([0], ["x"])
        except TypeError:
            tb = sys.exc_info()[2]
            while tb.tb_next:
                tb = tb.tb_next
            codes.add(id(tb.tb_frame.f_code))
            line = tb.tb_lineno
    assert len(codes) == 1
    # A different failing step of the same function has its own line.
    try:
        pyrqx.qzvlerr([0])
    except TypeError:
        tb = sys.exc_info()[2]
        while tb.tb_next:
            tb = tb.tb_next
        assert tb.tb_lineno != line
