"""User attributes end to end: every kind through the typed and the classic
functions, the type-code rule, lengths and buffers, failure statuses, and
how attributes follow their object through post, restore, rename, copy and
delete."""
import math
import sqlite3

import pytest

from helpers import call, f32


@pytest.fixture
def path(store):
    """A database name: a file, or a database on the server."""
    return store.name("test")


@pytest.fixture
def open_db(session, store):
    keys = []

    def open_(path, mode):
        status, key = store.open(path, mode)
        assert status == session.HSUCC
        keys.append(key)
        return key

    yield open_
    for key in keys:
        session.qzvcldb([0], key)


@pytest.fixture
def db(session, open_db, path):
    """A fresh database holding a monthly series GDP."""
    key = open_db(path, session.HCMODE)
    assert call(session.qzvnwob, key, ["GDP"], session.HSERIE, session.HMONTH, session.HNUMRC, 0, 0) == 0
    return key


# kind -> (setter, getter) through the typed functions; the getter returns
# (status, value) with the value as a caller sees it.
def typed(p, kind):
    def get_scalar(fn, init):
        def get(key, obj, att):
            cell = [init]
            return fn(key, [obj], [att], cell), cell[0]
        return get

    def get_text(fn):
        def get(key, obj, att, room=10000):
            cell, outlen = [" " * room], [0]
            return fn(key, [obj], [att], cell, room, outlen), cell[0]
        return get

    def get_date(key, obj, att):
        value, freq = [0], [0]
        return p.zavo_get_date_attribute(key, [obj], [att], value, freq), (value[0], freq[0])

    table = {
        "numeric": (lambda k, o, a, v: p.zavo_set_numeric_attribute(k, [o], [a], v),
                    get_scalar(p.zavo_get_numeric_attribute, 0.0)),
        "precision": (lambda k, o, a, v: p.zavo_set_precision_attribute(k, [o], [a], v),
                      get_scalar(p.zavo_get_precision_attribute, 0.0)),
        "boolean": (lambda k, o, a, v: p.zavo_set_boolean_attribute(k, [o], [a], v),
                    get_scalar(p.zavo_get_boolean_attribute, 0)),
        "date": (lambda k, o, a, v: p.zavo_set_date_attribute(k, [o], [a], *v), get_date),
        "string": (lambda k, o, a, v: p.zavo_set_string_attribute(k, [o], [a], [v]),
                   get_text(p.zavo_get_string_attribute)),
        "namelist": (lambda k, o, a, v: p.zavo_set_namelist_attribute(k, [o], [a], [v]),
                     get_text(p.zavo_get_namelist_attribute)),
    }
    return table[kind]


def same(a, b):
    """Equal, telling -0.0 from 0.0."""
    if isinstance(a, float) and isinstance(b, float):
        return a == b and math.copysign(1, a) == math.copysign(1, b)
    return a == b


ROUND_TRIPS = [
    ("numeric", 0.1, f32(0.1)),
    ("numeric", -0.0, -0.0),
    ("numeric", 3.4028234663852886e38, 3.4028234663852886e38),
    ("numeric", "FNUMNC", "FNUMNC"),
    ("precision", 0.1, 0.1),
    ("precision", -0.0, -0.0),
    ("precision", 5e-324, 5e-324),
    ("precision", "FPRCNA", "FPRCNA"),
    ("boolean", 0, 0),
    ("boolean", 1, 1),
    ("boolean", 7, 1),
    ("boolean", "FBOOND", "FBOOND"),
    ("date", (600, "HMONTH"), (600, "HMONTH")),
    ("date", (-5, "HDAILY"), (-5, "HDAILY")),
    ("string", "", ""),
    ("string", "caf\u00e9, 5 \u20ac", "caf\u00e9, 5 \u20ac"),
    ("string", "x" * 5000, "x" * 5000),
    ("namelist", " gdp , Cpi,M2 ", "gdp,Cpi,M2"),
    ("namelist", "a,A,b", "a,b"),
    ("namelist", "", ""),
]


def resolve(p, v):
    """Names of constants and missing values (strings naming pyrqx members)."""
    if isinstance(v, tuple):
        return tuple(resolve(p, x) for x in v)
    if isinstance(v, str) and v and (v.startswith("FNUM") or v.startswith("FPRC") or v.startswith("FBOO")):
        return getattr(p, v) if not callable(getattr(p, v)) else getattr(p, v)()
    if isinstance(v, str) and v.startswith("H") and hasattr(p, v) and v.isupper():
        return getattr(p, v)
    return v


@pytest.mark.parametrize("kind, given, expected", ROUND_TRIPS)
def test_typed_values_round_trip_exactly(session, db, path, open_db, kind, given, expected):
    p = session
    set_, get = typed(p, kind)
    given, expected = resolve(p, given), resolve(p, expected)
    assert set_(db, "gdp", "Note", given) == p.HSUCC
    status, value = get(db, "GDP", "NOTE")
    assert status == p.HSUCC and same(value, expected)
    assert call(p.qzvpodb, db) == p.HSUCC
    p.qzvcldb([0], db)
    status, value = get(open_db(path, p.HRMODE), "GDP", "note")
    assert status == p.HSUCC and same(value, expected), "survives post, close and reopen"


def test_typed_getter_of_another_kind_reports_hbatyp(session, db):
    p = session
    assert p.zavo_set_string_attribute(db, ["GDP"], ["unit"], ["USD"]) == p.HSUCC
    for kind in ("numeric", "precision", "boolean", "date", "namelist"):
        status, _ = typed(p, kind)[1](db, "GDP", "unit")
        assert status == p.HBATYP, kind
    # a set keeps the kind: another kind is refused and the value stays
    assert p.zavo_set_numeric_attribute(db, ["GDP"], ["unit"], 1.0) == p.HBATYP
    assert typed(p, "string")[1](db, "GDP", "unit") == (p.HSUCC, "USD")


def test_a_date_may_change_its_frequency(session, db):
    p = session
    assert p.zavo_set_date_attribute(db, ["GDP"], ["base"], 10, p.HMONTH) == p.HSUCC
    assert p.zavo_set_date_attribute(db, ["GDP"], ["base"], 3, p.HQTDEC) == p.HSUCC
    assert typed(p, "date")[1](db, "GDP", "base") == (p.HSUCC, (3, p.HQTDEC))


# ---- classic functions -------------------------------------------------

def classic_set(p, fn, key, obj, type_code, att, value):
    cell = [value]
    return call(fn, key, [obj], type_code, [att], cell)


def classic_get(p, fn, key, obj, type_code, att, init, inlen=8):
    atttyp, value, outlen = [type_code], [init], [-1]
    status = call(fn, key, [obj], atttyp, [att], value, inlen, outlen)
    return status, atttyp[0], value[0], outlen[0]


@pytest.mark.parametrize("setter, getter, code, value, init, expected, length", [
    ("qzvsatt_float", "qzvgtatt_float", "HNUMRC", 0.1, 0.0, f32(0.1), 4),
    ("qzvsatt_double", "qzvgtatt_double", "HPRECN", 0.1, 0.0, 0.1, 8),
    ("qzvsatt_int", "qzvgtatt_int", "HBOOLN", 1, 0, 1, 4),
    ("qzvsatt_int", "qzvgtatt_int", "HMONTH", 612, 0, 612, 4),
    ("qzvsatt_char", "qzvgtatt_char", "HSTRNG", b"hello", b" " * 20, b"hello", 5),
    ("qzvsatt_char", "qzvgtatt_char", "HNAMEL", b"a, b", b" " * 20, b"a,b", 3),
])
def test_classic_values_round_trip(session, db, setter, getter, code, value, init, expected, length):
    p = session
    code = getattr(p, code)
    assert classic_set(p, getattr(p, setter), db, "GDP", code, "att", value) == p.HSUCC
    status, atttyp, got, outlen = classic_get(p, getattr(p, getter), db, "gdp", code, "ATT", init, 20)
    assert (status, atttyp, got, outlen) == (p.HSUCC, code, expected, length)
    attlen = [0]
    assert call(p.qzvlatt, db, ["GDP"], code, ["att"], attlen) == p.HSUCC and attlen[0] == length


def test_classic_and_typed_functions_share_attributes(session, db):
    p = session
    assert p.zavo_set_precision_attribute(db, ["GDP"], ["scale"], 2.5) == p.HSUCC
    assert classic_get(p, p.qzvgtatt_double, db, "GDP", p.HPRECN, "scale", 0.0)[:3] == (p.HSUCC, p.HPRECN, 2.5)
    assert classic_set(p, p.qzvsatt_int, db, "GDP", p.HBOOLN, "flag", 1) == p.HSUCC
    assert p.zavo_get_boolean_attribute(db, ["GDP"], ["flag"], [0]) == p.HSUCC


@pytest.mark.parametrize("asked", ["HNUMRC", "HPRECN", "HBOOLN", "HNAMEL", "HDATE", "HMONTH", "HUNDFT", 999])
def test_classic_get_writes_only_on_a_matching_type_code(session, db, asked):
    p = session
    asked = getattr(p, asked) if isinstance(asked, str) else asked
    assert p.zavo_set_string_attribute(db, ["GDP"], ["unit"], ["USD"]) == p.HSUCC
    status, atttyp, value, outlen = classic_get(p, p.qzvgtatt_char, db, "GDP", asked, "unit", b"untouched")
    assert (status, atttyp, value, outlen) == (p.HBATYP, p.HSTRNG, b"untouched", -1)
    attlen = [-1]
    assert call(p.qzvlatt, db, ["GDP"], asked, ["unit"], attlen) == p.HBATYP and attlen[0] == -1


def test_classic_date_codes(session, db):
    p = session
    assert p.zavo_set_date_attribute(db, ["GDP"], ["base"], 612, p.HMONTH) == p.HSUCC
    # HDATE stands for any date and learns the frequency
    assert classic_get(p, p.qzvgtatt_int, db, "GDP", p.HDATE, "base", 0) == (p.HSUCC, p.HMONTH, 612, 4)
    # another frequency is another type code
    assert classic_get(p, p.qzvgtatt_int, db, "GDP", p.HQTDEC, "base", 0) == (p.HBATYP, p.HMONTH, 0, -1)
    # a classic set names the date by its frequency; HDATE alone is not enough
    assert classic_set(p, p.qzvsatt_int, db, "GDP", p.HDATE, "other", 5) == p.HBTYPE


def test_text_values_are_cut_to_their_buffer(session, db):
    p = session
    text = "d\u00e9j\u00e0 vu"  # 9 bytes
    assert p.zavo_set_string_attribute(db, ["GDP"], ["note"], [text]) == p.HSUCC
    cell, outlen = [" " * 10], [0]
    assert p.zavo_get_string_attribute(db, ["GDP"], ["note"], cell, 3, outlen) == p.HTRUNC
    assert (cell[0], outlen[0]) == ("d\u00e9", 9), "cut at a character boundary, full length reported"
    assert p.zavo_get_string_attribute(db, ["GDP"], ["note"], cell, -1, outlen) == p.HBLEN
    status, _, value, outlen = classic_get(p, p.qzvgtatt_char, db, "GDP", p.HSTRNG, "note", b" " * 4, 4)
    assert (status, value, outlen) == (p.HTRUNC, "d\u00e9j".encode(), 9)


# ---- failures ----------------------------------------------------------

def test_failure_statuses(session, db, error_text):
    p = session
    assert p.zavo_set_boolean_attribute(db, ["GDP"], ["flag"], 1) == p.HSUCC
    get = typed(p, "boolean")[1]
    cases = [
        (get(db, "GDP", "missing")[0], p.HBATTR, "no attribute"),
        (get(db, "NOPE", "flag")[0], p.HNOOBJ, "no object"),
        (get(db, "GDP", "9bad")[0], p.HBOBJT, "bad attribute name"),
        (get(db, "GDP", "a" * 243)[0], p.HNTOOLONG, "attribute name too long"),
        (get(db, "bad name", "flag")[0], p.HBOBJT, "bad object name"),
        (get(db + 1000, "GDP", "flag")[0], p.HBKEY, "unknown key"),
        (p.zavo_set_boolean_attribute(db, ["GDP"], ["a b"], 1), p.HBOBJT, "bad name on set"),
        (p.zavo_set_boolean_attribute(db, ["NOPE"], ["flag"], 1), p.HNOOBJ, "set on no object"),
        (p.zavo_set_date_attribute(db, ["GDP"], ["d"], 1, 12345), p.HBFREQ, "bad frequency"),
        (p.zavo_set_namelist_attribute(db, ["GDP"], ["n"], ["a,,b"]), p.HBOBJT, "empty list element"),
        (p.zavo_set_namelist_attribute(db, ["GDP"], ["n"], ["a,1x"]), p.HBOBJT, "bad list element"),
        (classic_set(p, p.qzvsatt_int, db, "GDP", 99, "x", 1), p.HBTYPE, "unknown type code"),
    ]
    for got, want, what in cases:
        assert got == want, what
    assert p.zavo_get_boolean_attribute(db, ["GDP"], ["missing"], [0]) == p.HBATTR
    assert "missing" in error_text()


def test_read_only_database_refuses_attribute_changes(session, db, path, open_db):
    p = session
    assert p.zavo_set_string_attribute(db, ["GDP"], ["unit"], ["USD"]) == p.HSUCC
    call(p.qzvpodb, db)
    p.qzvcldb([0], db)
    reader = open_db(path, p.HRMODE)
    assert p.zavo_set_string_attribute(reader, ["GDP"], ["unit"], ["EUR"]) == p.HREADO
    assert classic_set(p, p.qzvsatt_double, reader, "GDP", p.HPRECN, "x", 1.0) == p.HREADO
    assert typed(p, "string")[1](reader, "GDP", "unit") == (p.HSUCC, "USD")


def test_outside_a_session(pyrqx):
    assert pyrqx.zavo_get_boolean_attribute(1, ["GDP"], ["flag"], [0]) == pyrqx.HNINIT
    assert call(pyrqx.qzvlatt, 1, ["GDP"], pyrqx.HSTRNG, ["x"], [0]) == pyrqx.HNINIT


# ---- attributes follow their object --------------------------------------

def test_restore_discards_unposted_attributes(session, db):
    p = session
    assert p.zavo_set_string_attribute(db, ["GDP"], ["kept"], ["yes"]) == p.HSUCC
    assert call(p.qzvpodb, db) == p.HSUCC
    assert p.zavo_set_string_attribute(db, ["GDP"], ["kept"], ["changed"]) == p.HSUCC
    assert p.zavo_set_boolean_attribute(db, ["GDP"], ["gone"], 1) == p.HSUCC
    assert call(p.qzvrsdb, db) == p.HSUCC
    assert typed(p, "string")[1](db, "GDP", "kept") == (p.HSUCC, "yes")
    assert p.zavo_get_boolean_attribute(db, ["GDP"], ["gone"], [0]) == p.HBATTR


def test_rename_keeps_and_delete_removes_attributes(session, db):
    p = session
    assert p.zavo_set_precision_attribute(db, ["GDP"], ["scale"], 2.5) == p.HSUCC
    assert call(p.qzvrnob, db, ["GDP"], ["GDP2"]) == p.HSUCC
    assert typed(p, "precision")[1](db, "GDP2", "scale") == (p.HSUCC, 2.5)
    assert call(p.qzvdlob, db, ["GDP2"]) == p.HSUCC
    assert call(p.qzvnwob, db, ["GDP2"], p.HSERIE, p.HMONTH, p.HNUMRC, 0, 0) == p.HSUCC
    assert typed(p, "precision")[1](db, "GDP2", "scale")[0] == p.HBATTR, "a new object starts bare"


def test_copy_takes_attributes_within_and_across_databases(session, db, store, open_db):
    p = session
    other = open_db(store.name("other"), p.HCMODE)
    assert p.zavo_set_date_attribute(db, ["GDP"], ["base"], 612, p.HMONTH) == p.HSUCC
    assert p.zavo_set_string_attribute(db, ["GDP"], ["unit"], ["USD"]) == p.HSUCC
    for target_key in (db, other):
        assert call(p.qzvcpob, db, target_key, ["GDP"], ["COPY"]) == p.HSUCC
        assert typed(p, "date")[1](target_key, "COPY", "base") == (p.HSUCC, (612, p.HMONTH))
        assert typed(p, "string")[1](target_key, "COPY", "unit") == (p.HSUCC, "USD")
    # the copy's attributes are its own
    assert p.zavo_set_string_attribute(db, ["COPY"], ["unit"], ["EUR"]) == p.HSUCC
    assert typed(p, "string")[1](db, "GDP", "unit") == (p.HSUCC, "USD")


def test_overwrite_mode_empties_attributes(session, db, path, open_db):
    p = session
    assert p.zavo_set_string_attribute(db, ["GDP"], ["unit"], ["USD"]) == p.HSUCC
    call(p.qzvpodb, db)
    p.qzvcldb([0], db)
    key = open_db(path, p.HOMODE)
    assert call(p.qzvnwob, key, ["GDP"], p.HSERIE, p.HMONTH, p.HNUMRC, 0, 0) == p.HSUCC
    assert typed(p, "string")[1](key, "GDP", "unit")[0] == p.HBATTR


@pytest.mark.files_only
def test_files_without_attribute_tables_still_open(session, path, open_db):
    """A file written before attributes existed reads as having none, and
    gains the tables at its first writable opening."""
    p = session
    key = open_db(path, p.HCMODE)
    assert call(p.qzvnwob, key, ["GDP"], p.HSERIE, p.HMONTH, p.HNUMRC, 0, 0) == p.HSUCC
    call(p.qzvpodb, key)
    p.qzvcldb([0], key)
    con = sqlite3.connect(path)
    con.executescript("DROP TABLE attributes; DROP TABLE aliases; DROP TABLE associations;")
    con.close()
    reader = open_db(path, p.HRMODE)
    assert typed(p, "string")[1](reader, "GDP", "unit")[0] == p.HBATTR
    assert call(p.qzvosiz, reader, ["GDP"], *[[0] for _ in range(7)]) == p.HSUCC
    p.qzvcldb([0], reader)
    writer = open_db(path, p.HUMODE)
    assert p.zavo_set_string_attribute(writer, ["GDP"], ["unit"], ["USD"]) == p.HSUCC
    assert typed(p, "string")[1](writer, "GDP", "unit") == (p.HSUCC, "USD")


def test_setting_an_attribute_dates_the_object(session, db):
    p = session
    cdate, before, after = [0], [0], [0]
    call(p.qzvgdat, db, ["GDP"], p.HSEC, cdate, before)
    import time
    time.sleep(1.1)
    assert p.zavo_set_boolean_attribute(db, ["GDP"], ["flag"], 1) == p.HSUCC
    call(p.qzvgdat, db, ["GDP"], p.HSEC, cdate, after)
    assert after[0] > before[0]


def test_work_database_attributes(session):
    p = session
    key = [0]
    assert call(p.qzvopwk, key) == p.HSUCC
    try:
        assert call(p.qzvnwob, key[0], ["S"], p.HSCALA, p.HUNDFX, p.HPRECN, 0, 0) == p.HSUCC
        assert p.zavo_set_precision_attribute(key[0], ["S"], ["x"], 1.5) == p.HSUCC
        assert call(p.qzvdlob, key[0], ["S"]) == p.HSUCC
        assert call(p.qzvnwob, key[0], ["S"], p.HSCALA, p.HUNDFX, p.HPRECN, 0, 0) == p.HSUCC
        assert p.zavo_get_precision_attribute(key[0], ["S"], ["x"], [0.0]) == p.HBATTR
    finally:
        p.qzvcldb([0], key[0])
