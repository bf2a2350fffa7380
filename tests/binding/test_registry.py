"""Every registered function, from the registry and the samples: binding by
position and keyword, the count error, exactly one library call."""
import random

import pytest

from samples import all_samples

SAMPLES = all_samples()


def wrapped_names(module):
    return [k for k, v in vars(module).items()
            if callable(v) and k.startswith(("qzv", "zavo_"))]


def test_every_wrapped_function_has_a_sample(pyrqx):
    assert sorted(wrapped_names(pyrqx)) == sorted(SAMPLES)


@pytest.fixture(params=sorted(SAMPLES))
def case(request, pyrqx, probe):
    name = request.param
    s = SAMPLES[name]
    for function, script in s.scripts.items():
        probe.script(function, **script)
    return name, s, getattr(pyrqx, name)


def library_of(name, s):
    return s.library or name


def test_positional_call_reaches_the_library_once(case, probe):
    name, s, fn = case
    fn(*s.values())
    # Functions that check lists over a range ask the library for its count first.
    calls = [c.name for c in probe.calls]
    if name != "zavo_get_range_numobs" and calls[:1] == ["zavo_get_range_numobs"]:
        calls = calls[1:]
    assert calls == [library_of(name, s)]


def test_keyword_call_in_any_order(case, probe):
    name, s, fn = case
    if s.form == "single":
        pytest.skip("single-object form takes no keywords")
    kwargs = dict(zip(s.names(), s.values()))
    items = list(kwargs.items())
    random.Random(name).shuffle(items)
    fn(**dict(items))
    fn(*list(kwargs.values())[:1], **dict(list(kwargs.items())[1:]))
    assert len([c for c in probe.calls if c.name == library_of(name, s)]) == 2


def test_one_missing_parameter_gives_the_count_error(case, probe):
    name, s, fn = case
    if s.form == "single":
        pytest.skip("single-object form: the interpreter checks the count")
    names, values = s.names(), s.values()
    n = len(names)
    for missing in range(n):
        kwargs = {k: v for i, (k, v) in enumerate(zip(names, values)) if i != missing}
        with pytest.raises(TypeError) as info:
            fn(**kwargs)
        assert str(info.value) == "%s() takes exactly %d positional argument%s (%d given)" % (
            name, n, "" if n == 1 else "s", missing)
    assert probe.calls == []
