"""Sample arguments for every wrapped function, by room.

Each room's module defines SAMPLES: {python name: Sample}. A Sample lists the
parameters in order with a factory for a fresh, valid value each (cells and
lists are made anew for every call), and names the library function the call
must reach when it is not the Python name (the typed families).

The registry-wide tests (test_registry.py) call every function with these
arguments: positionally, by keyword in any order, with one parameter
missing, and repeatedly (test_growth.py).
"""
from dataclasses import dataclass, field


@dataclass
class Sample:
    params: list                 # [(name, factory)] in parameter order
    library: str = ""            # library function reached, if not the same name
    form: str = "keywords"       # "keywords" or "single"
    scripts: dict = field(default_factory=dict)  # probe.script(...) keyword arguments

    def names(self):
        return [name for name, _ in self.params]

    def values(self):
        return [make() for _, make in self.params]


def cell(value):
    """A factory of one-element cells holding value."""
    return lambda: [value]


def const(value):
    """A factory of a plain value."""
    return lambda: value


def sample(*params, library="", form="keywords", **scripts):
    """sample(("status", cell(0)), ("dbkey", const(1)), ...)."""
    return Sample(list(params), library, form, scripts)


def all_samples():
    from . import session, objects, series, attributes, dates
    merged = {}
    for room in (session, objects, series, attributes, dates):
        overlap = merged.keys() & room.SAMPLES.keys()
        assert not overlap, overlap
        merged.update(room.SAMPLES)
    return merged
