"""List-backed arrays element by element: the fast path for exact lists of
exact numbers must behave exactly like the item protocol it shortcuts."""
import pytest


class Real(float):
    pass


class Shrinking:
    """A number whose conversion empties the list it sits in."""

    def __init__(self, owner, value):
        self.owner, self.value = owner, value

    def __float__(self):
        del self.owner[1:]
        return self.value

    __int__ = lambda self: int(self.__float__())  # noqa: E731


def read(pyrqx, probe, name, valary, numobs=None):
    n = len(valary) if numobs is None else numobs
    probe.script("zavo_get_range_numobs", ret=0, writes={"numobs": n})
    getattr(pyrqx, name)([0], 1, ["X"], [129, 0, max(n - 1, 0)], valary, 0, None)
    return probe.one_call("qzvrrng_f")


@pytest.mark.parametrize("name, values, passed", [
    ("qzvrrng_double", [1.5, 2, Real(2.5), True, 4.25], [1.5, 2.0, 2.5, 1.0, 4.25]),
    ("qzvrrng_float", [0.1, 3, Real(-1.5)], [0.10000000149011612, 3.0, -1.5]),
    ("qzvrrng_int", [1, 2.9, True, 2 ** 31 - 1, -7], [1, 2, 1, 2 ** 31 - 1, -7]),
])
def test_mixed_elements_convert_in_order(pyrqx, probe, name, values, passed):
    call = read(pyrqx, probe, name, list(values))
    got = {"qzvrrng_double": call["valary"].doubles, "qzvrrng_float": call["valary"].floats,
           "qzvrrng_int": call["valary"].ints}[name]()
    assert got[:len(passed)] == passed


@pytest.mark.parametrize("name, bad_at, bad, error", [
    ("qzvrrng_int", 2, 2 ** 31, OverflowError),
    ("qzvrrng_int", 0, -2 ** 40, OverflowError),
    ("qzvrrng_int", 3, "4", TypeError),
    ("qzvrrng_double", 1, "x", TypeError),
    ("qzvrrng_float", 4, None, TypeError),
])
def test_a_bad_element_stops_the_call_before_the_library(pyrqx, probe, name, bad_at, bad, error):
    values = [1, 2, 3, 4, 5] if name == "qzvrrng_int" else [1.0, 2.0, 3.0, 4.0, 5.0]
    values[bad_at] = bad
    keep = list(values)
    probe.script("zavo_get_range_numobs", ret=0, writes={"numobs": 5})
    with pytest.raises(error):
        getattr(pyrqx, name)([0], 1, ["X"], [129, 0, 4], values, 0, None)
    assert values == keep
    assert [c.name for c in probe.calls] == []


def test_a_list_that_shrinks_while_converting_raises_index_error(pyrqx, probe):
    values = [0.0, 0.0, 0.0]
    values[0] = Shrinking(values, 1.0)
    with pytest.raises(IndexError):
        pyrqx.qzvrrng_double([0], 1, ["X"], None, values, 0, None)
    assert probe.calls == []


def test_write_back_replaces_every_element_with_a_new_object(pyrqx, probe):
    probe.script("zavo_get_range_numobs", ret=0, writes={"numobs": 4})
    probe.write_doubles("qzvrrng_f", "valary", [0.5, 1.5, 2.5, 3.5])
    values = [Real(9.0), 9.0, 9, 7]  # the last is surplus to the 3-observation range
    olds = list(values)
    pyrqx.qzvrrng_double([0], 1, ["X"], [129, 0, 2], values, 0, None)
    # Surplus elements are passed and copied back as the library left them.
    assert values == [0.5, 1.5, 2.5, 3.5] and all(type(v) is float for v in values)
    assert all(a is not b for a, b in zip(values, olds))


def test_write_back_into_a_list_subclass_uses_its_item_assignment(pyrqx, probe):
    class Recording(list):
        def __setitem__(self, i, v):
            self.log.append(i)
            super().__setitem__(i, v)

    values = Recording([0.0, 0.0, 0.0])
    values.log = []
    probe.script("zavo_get_range_numobs", ret=0, writes={"numobs": 3})
    probe.write_doubles("qzvrrng_f", "valary", [1.0, 2.0, 3.0])
    pyrqx.qzvrrng_double([0], 1, ["X"], [129, 0, 2], values, 0, None)
    assert values == [1.0, 2.0, 3.0] and values.log == [0, 1, 2]
