"""Every function of the interface against its row of docs/statuses.list:
each listed status is produced by a real call, no call returns a status its
row does not list, and every failure's text names the function and what it
refused."""
import copy
import os
import re
import sys

import pytest

import pyrqx as p

from status_cases import LONG, RECIPES
from status_world import Files, World

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "scripts"))
import statuses  # noqa: E402  (the listing's reader, shared with the docs generator)

LISTING = statuses.load()
PARTS = statuses.interface_parts()
FUNCTIONS = [f for _, functions in PARTS for f in functions]
KEYS = ("dbkey", "srckey", "tarkey", "wdbkey")  # parameters that take a database key
NOT_A_KEY = 2 ** 30
NO_SESSION_NEEDED = {"qzvini", "qzvver", "qzvferr", "qzvlerr"}


def parameters():
    """function -> its parameter names after the status cell."""
    names = {}
    text = open(os.path.join(ROOT, "src", "crqx", "crqx_functions.def")).read()
    for kind, fn, args in re.findall(r"^CRQX_(CLASSIC|EXTENDED)\((\w+), \(.*?\), \((.*?)\)\)$", text, re.M):
        params = [a.strip() for a in args.split(",") if a.strip()]
        names[fn] = params[1:] if kind == "CLASSIC" else params
    return names


PARAMS = parameters()


class Case:
    def __init__(self, fn, status, changes=None, prepare=None, outside=False, null=None):
        self.fn, self.status = fn, status
        self.changes = changes or {}
        self.prepare = prepare
        self.outside = outside  # called with no session running
        self.null = null  # the parameter passed as None

    @property
    def id(self):
        return f"{self.fn}-{self.status}"


def generic_cases(fn, recipe):
    """The statuses a function's parameters call for, unless its recipe makes them."""
    made = set(recipe.statuses)
    if fn not in NO_SESSION_NEEDED:
        yield Case(fn, "HNINIT", outside=True)
    keys = [k for k in KEYS if isinstance(recipe.base.get(k), str)]
    for key in keys:
        for status, value in (("HBKEY", NOT_A_KEY), ("HREADO", "$ro"), ("HLOCKD", "$locked")):
            if status not in made:
                yield Case(fn, status, {key: value})
    if recipe.name and recipe.name in recipe.base:
        for status, value in (("HBOBJT", ["1bad"]), ("HNTOOLONG", [LONG]), ("HNOOBJ", ["NOSUCH"])):
            if status not in made:
                yield Case(fn, status, {recipe.name: value})


def all_cases():
    for fn in FUNCTIONS:
        recipe = RECIPES[fn]
        if "HSUCC" not in recipe.statuses:
            yield Case(fn, "HSUCC")
        for status, how in recipe.statuses.items():
            changes, prepare = how if isinstance(how, tuple) else (how, None)
            yield Case(fn, status, changes, prepare)
        yield from generic_cases(fn, recipe)


CASES = list(all_cases())


def resolve(value, world):
    """The value with the world's "$name"s filled in."""
    if isinstance(value, str) and value.startswith("$"):
        return getattr(world, value[1:])
    if isinstance(value, list):
        return [re.sub(r"\$(\w+)", lambda m: str(getattr(world, m.group(1))), v)
                if isinstance(v, str) else v for v in value]
    return value


def arguments(case, world):
    recipe = RECIPES[case.fn]
    args = dict(copy.deepcopy(recipe.base), **copy.deepcopy(case.changes))
    args.pop("_py", None)
    if case.null:
        args[case.null] = None
    return [resolve(args[name], world) if args[name] is not None else None for name in PARAMS[case.fn]]


def last_error():
    length = [0]
    p.qzvlerr([0], length)
    text = [" " * length[0]]
    p.qzvferr([0], text)
    return text[0]


@pytest.fixture(scope="module")
def files(tmp_path_factory):
    f = Files(tmp_path_factory.mktemp("statuses"))
    yield f
    f.close()


@pytest.fixture
def world(files, tmp_path):
    w = World(files, tmp_path)
    yield w
    w.end()


def run(case, world):
    """The status of the case's call and the last-error text, or None when
    the module refuses the call's None (no null pointer reaches the engine)."""
    recipe = RECIPES[case.fn]
    if case.prepare:
        case.prepare(world)
    args = arguments(case, world)
    if case.outside:
        world.end()
    try:
        status = world.call(case.changes.get("_py") or recipe.py or case.fn, args)
    except (TypeError, ValueError):  # the module refused the arguments
        if case.null:
            return None, None
        raise
    return status, (last_error() if status != p.HSUCC else "")


# Parameters whose text is no name to quote: program text, output buffers.
NOT_QUOTED = {"cmd", "command", "expr", "value", "optns", "aliass", "assoc", "strval", "strary",
              "datstr", "literal", "string", "errtxt", "desc", "doc", "basnam", "basename",
              "type_spec", "objname", "source", "buffer", "dimchar", "dbname", "svname"}


def frequency_name(code):
    text, length = [" " * 64], [0]
    if p.zavo_type_to_string(code, text, 64, length) != p.HSUCC:
        return None
    return text[0][:length[0]].replace("DATE:", "")


def mentions(case, world):
    """The ways a failure's text can name what the case changed (any one
    will do): a database by key or file name, an object or option name, a
    number refused, a frequency by name."""
    if case.status in ("HTRUNC", "HNINIT"):
        return []
    shown = []
    for param, value in case.changes.items():
        if param == "_py":
            continue
        value = resolve(value, world)
        if param in KEYS:
            shown += [str(value)] + world.file_names(value)
        elif param == "connkey":
            shown += [str(value)] + world.connection_file_names(value)
        elif param in ("datstr", "literal", "string"):  # a date text: any number in it
            shown += [str(int(n)) for n in re.findall(r"\d+", value[0])]
        elif isinstance(value, bool) or param in NOT_QUOTED:
            continue
        elif isinstance(value, float):
            shown.append(f"{value:g}")
        elif isinstance(value, int):
            shown.append(str(value))
            if "freq" in param or param == "base":
                shown.append(frequency_name(value))
        elif isinstance(value, list) and value and all(type(v) is int for v in value):
            shown += [str(v) for v in set(value)]  # a range or values: any of them
        elif isinstance(value, list) and len(value) == 1 and isinstance(value[0], str) \
                and 0 < len(value[0].strip()) <= 64:
            shown.append(value[0].strip())
    for param in ("dbname", "svname"):  # an open names the file it could not open
        if param in case.changes or (shown and param in RECIPES[case.fn].base):
            name = resolve(dict(RECIPES[case.fn].base, **case.changes)[param], world)[0]
            path = name[len("LOCAL:"):] if name.startswith("LOCAL:") else name
            if path:  # an empty name is named by saying so
                shown += [name, path]
    return [s for s in shown if s]


def name_of(code, fn):
    """The status's name, as `fn`'s row spells it (some codes have two
    names: HBMONT and HBFMON are both 30)."""
    names = [n for n in dir(p) if re.match(r"^H[A-Z0-9_]+$", n) and getattr(p, n) == code]
    listed = [n for n in names if n in LISTING.statuses(fn)]
    return (listed or names or [str(code)])[0]


@pytest.mark.parametrize("case", CASES, ids=lambda c: c.id)
def test_status(case, world):
    status, text = run(case, world)
    listed = LISTING.statuses(case.fn)
    got = name_of(status, case.fn)
    assert got in listed, f"{case.fn} returned {got} ({text!r}), which its row does not list"
    if case.status in LISTING.producible(case.fn):
        assert status == getattr(p, case.status), f"{case.fn}: {case.status} wanted, {got} returned ({text!r})"
    if status != p.HSUCC and case.fn not in ("qzvferr", "qzvlerr"):  # these report the last error
        assert text.startswith(case.fn + ": "), f"{case.fn}: the text does not name it: {text!r}"
        shown = mentions(case, world)
        assert not shown or any(s in text for s in shown), \
            f"{case.fn} {got}: the text {text!r} names none of {shown}"


@pytest.mark.parametrize("fn", FUNCTIONS)
def test_null_pointers(fn, world):
    """None in each list argument: the module passes a null pointer where it
    may (HNULLP) or refuses the call; the row says which."""
    got = set()
    for param, value in RECIPES[fn].base.items():
        if isinstance(value, list):
            status, text = run(Case(fn, "HNULLP", null=param), world)
            if status is not None:
                got.add(name_of(status, fn))
            if status == p.HNULLP:
                assert text.startswith(fn + ": ") and param in text, \
                    f"{fn}: the text {text!r} does not name {param}"
    unlisted = got - LISTING.statuses(fn)
    assert not unlisted, f"{fn} returned {unlisted} for a None, which its row does not list"
    assert ("HNULLP" in got) == ("HNULLP" in LISTING.producible(fn)), \
        f"{fn}: HNULLP {'produced' if 'HNULLP' in got else 'not produced'} by a None argument"


def test_every_listed_status_has_a_case():
    made = {(c.fn, c.status) for c in CASES} | {(f, "HNULLP") for f in FUNCTIONS}
    missing = [(f, s) for f in FUNCTIONS for s in sorted(LISTING.producible(f)) if (f, s) not in made]
    assert not missing, f"listed, marked producible, but no case makes them: {missing}"


def test_every_function_has_a_recipe():
    assert sorted(set(FUNCTIONS) - set(RECIPES)) == []
    assert sorted(set(RECIPES) - set(FUNCTIONS)) == []


def test_engine_doc_agrees_with_the_listing():
    doc = open(statuses.DOC).read()
    assert statuses.with_table(doc, statuses.render(LISTING, PARTS)) == doc, "run scripts/statuses.py"
    assert statuses.prose_contradictions(doc, LISTING) == []
