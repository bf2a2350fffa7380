"""Objects end to end: create, copy, rename, delete, properties, inquiry,
and wildcard search."""
import pytest

from helpers import call


@pytest.fixture
def db(session, store):
    """A fresh database (a file or on the server) open for writing; yields its key."""
    status, key = store.open(store.name("objects"), session.HCMODE)
    assert status == session.HSUCC
    yield key
    session.qzvcldb([0], key)


@pytest.fixture
def work(session):
    key = [0]
    session.qzvopwk([0], key)
    yield key[0]
    session.qzvcldb([0], key[0])


def new(p, key, name, class_=None, freq=None, type_=None, basis=0, observ=0):
    return call(p.qzvnwob, key, [name], p.HSERIE if class_ is None else class_,
                p.HMONTH if freq is None else freq, p.HNUMRC if type_ is None else type_, basis, observ)


def osiz(p, key, name):
    cells = [[0] for _ in range(7)]
    status = call(p.qzvosiz, key, [name], *cells)
    return status, [c[0] for c in cells]


def test_create_and_inquire(session, db):
    p = session
    assert new(p, db, "Gdp.US", basis=p.HBSDAY, observ=p.HOBSUM) == p.HSUCC
    assert call(p.qzvsdes, db, ["gdp.us"], ["Gross product"]) == p.HSUCC
    assert call(p.qzvsdoc, db, ["GDP.US"], ["Quarterly, seasonally adjusted"]) == p.HSUCC
    cells = [[0] for _ in range(15)]
    desc, doc = [" " * 40], [" " * 40]
    assert call(p.qzvwhat, db, ["gdp.us"], *cells, desc, doc) == p.HSUCC
    values = [c[0] for c in cells]
    assert values[:5] == [p.HSERIE, p.HNUMRC, p.HMONTH, p.HBSDAY, p.HOBSUM]
    assert values[5:9] == [0, 0, 0, 0], "no observations yet"
    assert desc[0] == "Gross product" and doc[0] == "Quarterly, seasonally adjusted"
    deslen, doclen = [0], [0]
    assert call(p.qzvdlen, db, ["GDP.us"], deslen, doclen) == p.HSUCC
    assert (deslen[0], doclen[0]) == (13, 30)
    basnam = [" " * 10]
    assert call(p.qzvgnam, db, ["gdp.us"], basnam) == p.HSUCC
    assert basnam[0] == "Gdp.US", "stored as given"


def test_extended_info(session, db):
    p = session
    new(p, db, "rate", class_=p.HSCALA, freq=p.HUNDFX, type_=p.HPRECN)
    call(p.qzvsdes, db, ["rate"], ["interest rate"])
    ints = [[7] for _ in range(9)]
    desc, outdesclen, doc, outdoclen = [" " * 8], [0], ["untouched"], [5]
    status = p.zavo_info(db, ["RATE"], *ints, desc, 8, outdesclen, doc, 9, outdoclen)
    assert status == p.HTRUNC
    assert outdesclen[0] == 13 and desc[0] == "interest"
    assert outdoclen[0] == 0 and doc[0] == "untouched"
    assert [c[0] for c in ints[:3]] == [p.HSCALA, p.HPRECN, p.HUNDFX]
    assert ints[3][0] == ints[4][0] == p.ZAVO_INDEX_ND(), "no observations: first and last are ND"
    q = [[0] for _ in range(5)]
    assert p.zavo_quick_info(db, ["rate"], *q) == p.HSUCC
    name, outlen = [" " * 10], [0]
    assert p.zavo_get_real_name(db, ["RATE"], name, 2, outlen) == p.HTRUNC
    assert name[0] == "ra" and outlen[0] == 4
    assert p.zavo_get_real_name(db, ["RATE"], name, -1, outlen) == p.HBLEN


@pytest.mark.parametrize("field, value, status", [
    ("class_", 4, "HBCLAS"), ("class_", 99, "HBCLAS"),
    ("type_", 7, "HBTYPE"), ("type_", -1, "HBTYPE"),
    ("freq", 12345, "HBFREQ"), ("basis", 9, "HBBASI"), ("observ", 42, "HBOBSV"),
])
def test_bad_codes(session, db, field, value, status):
    p = session
    assert new(p, db, "x", **{field: value}) == getattr(p, status)
    assert osiz(p, db, "x")[0] == p.HNOOBJ, "nothing created"


def test_series_need_a_frequency_others_may_not(session, db):
    p = session
    assert new(p, db, "s", freq=p.HUNDFX) == p.HBFREQ
    assert new(p, db, "c", class_=p.HSCALA, freq=p.HUNDFX) == p.HSUCC
    assert new(p, db, "d", type_=p.HMONTH) == p.HSUCC, "a date series of monthly dates"


@pytest.mark.parametrize("name, status", [
    ("", "HBOBJT"), ("9lives", "HBOBJT"), ("a b", "HBOBJT"), ("a*", "HBOBJT"),
    ("caf\u00e9", "HBOBJT"), ("a..b", "HBOBJT"), ("x" * 242, "HSUCC"), ("x" * 243, "HNTOOLONG"),
])
def test_names(session, db, name, status):
    assert new(session, db, name) == getattr(session, status)


def test_extra_dots_allow_dotted_names(session, db):
    p = session
    assert new(p, db, "a..b") == p.HBOBJT
    call(p.qzvset_extradots, db, p.HYES)
    assert new(p, db, "a..b") == p.HSUCC


def test_names_are_unique_case_insensitively(session, db):
    p = session
    assert new(p, db, "Sales") == p.HSUCC
    assert new(p, db, "SALES") == p.HOEXI
    assert call(p.qzvdlob, db, ["sAlEs"]) == p.HSUCC
    assert call(p.qzvdlob, db, ["sales"]) == p.HNOOBJ


def test_rename(session, db):
    p = session
    new(p, db, "a")
    new(p, db, "b")
    assert call(p.qzvrnob, db, ["a"], ["B"]) == p.HOEXI
    assert call(p.qzvrnob, db, ["a"], ["A"]) == p.HSUCC, "a change of case is fine"
    assert call(p.qzvrnob, db, ["a"], ["c"]) == p.HSUCC
    assert osiz(p, db, "a")[0] == p.HNOOBJ and osiz(p, db, "c")[0] == p.HSUCC
    assert call(p.qzvrnob, db, ["missing"], ["d"]) == p.HNOOBJ
    assert call(p.qzvrnob, db, ["c"], ["bad name"]) == p.HBOBJT


def test_copy_within_and_across(session, db, work):
    p = session
    new(p, db, "src", basis=p.HBSBUS)
    call(p.qzvsdes, db, ["src"], ["described"])
    assert call(p.qzvcpob, db, db, ["src"], ["dup"]) == p.HSUCC
    assert call(p.qzvcpob, db, db, ["src"], ["DUP"]) == p.HOEXI
    assert call(p.qzvcpob, db, db, ["src"], ["SRC"]) == p.HOEXI
    assert call(p.qzvcpob, db, work, ["src"], ["src"]) == p.HSUCC
    desc = [" " * 20]
    cells = [[0] for _ in range(15)]
    assert call(p.qzvwhat, work, ["src"], *cells, desc, [""]) == p.HSUCC, "an empty doc fits an empty buffer"
    assert desc[0] == "described" and cells[3][0] == p.HBSBUS
    assert call(p.qzvcpob, db, 999, ["src"], ["x"]) == p.HBKEY
    assert call(p.qzvcpob, db, work, ["nothing"], ["x"]) == p.HNOOBJ


def test_property_setters(session, db):
    p = session
    new(p, db, "s")
    assert call(p.qzvsbas, db, ["s"], p.HBSBUS) == p.HSUCC
    assert call(p.qzvsobs, db, ["s"], p.HOBEND) == p.HSUCC
    assert call(p.qzvsbas, db, ["s"], 77) == p.HBBASI
    assert call(p.qzvsobs, db, ["s"], -1) == p.HBOBSV
    assert call(p.qzvsdes, db, ["none"], ["x"]) == p.HNOOBJ
    cells = [[0] for _ in range(15)]
    call(p.qzvwhat, db, ["s"], *cells, [""], [""])
    assert (cells[3][0], cells[4][0]) == (p.HBSBUS, p.HOBEND)


@pytest.mark.parametrize("numobs, numchr, growth, status", [
    (100, 0, 0.5, "HSUCC"), (0, 10, 2, "HSUCC"),
    (-1, 0, 0.0, "HBNRNG"), (0, -1, 0.0, "HBNCHR"), (0, 0, -0.5, "HBGROW"), (0, 0, float("nan"), "HBGROW"),
])
def test_preallocate(session, db, numobs, numchr, growth, status):
    p = session
    got = call(p.qzvalob, db, ["pre"], p.HSERIE, p.HDAILY, p.HSTRNG, 0, 0, numobs, numchr, growth)
    assert got == getattr(p, status)


def test_object_dates(session, db):
    p = session
    new(p, db, "s")
    cdate, mdate = [0], [0]
    assert call(p.qzvgdat, db, ["s"], p.HDAILY, cdate, mdate) == p.HSUCC
    assert cdate[0] == mdate[0]
    assert call(p.qzvgdat, db, ["s"], -3, cdate, mdate) == p.HBFREQ


@pytest.mark.parametrize("type_, text", [
    ("HNUMRC", "NUMERIC"), ("HPRECN", "PRECISION"), ("HBOOLN", "BOOLEAN"),
    ("HSTRNG", "STRING"), ("HNAMEL", "NAMELIST"), ("HDATE", "DATE"), ("HMONTH", "DATE:MONTHLY"),
])
def test_type_to_string(session, type_, text):
    name_cell, outlen = [" " * 20], [0]
    assert session.zavo_type_to_string(getattr(session, type_), name_cell, 20, outlen) == session.HSUCC
    assert name_cell[0] == text and outlen[0] == len(text)


def test_type_to_string_failures(session):
    name_cell, outlen = [" " * 3], [0]
    assert session.zavo_type_to_string(session.HNUMRC, name_cell, 3, outlen) == session.HTRUNC
    assert name_cell[0] == "NUM" and outlen[0] == 7
    assert session.zavo_type_to_string(99, name_cell, 3, outlen) == session.HBTYPE


def test_dimensions(session):
    p = session
    for letter, number in (("A", 1), ("z", 26)):
        cell = [0]
        assert p.zavo_dimnum(cell, letter) == p.HSUCC and cell[0] == number
    assert p.zavo_dimnum([0], "1") == p.HBADVAL
    out = [" "]
    assert p.zavo_dimchar(out, 3) == p.HSUCC and out[0] == "C"
    assert p.zavo_dimchar([" "], 0) == p.HBADVAL
    assert p.zavo_dimchar([""], 2) == p.HTRUNC


def matches_classic(p, key, pattern):
    assert call(p.qzvinwc, key, [pattern]) == p.HSUCC
    names = []
    while True:
        name, c, t, f = [" " * 64], [0], [0], [0]
        status = call(p.qzvnxwc, key, name, c, t, f)
        if status != p.HSUCC:
            assert status == p.HNOOBJ
            return names
        names.append(name[0])


def test_wildcards(session, db):
    p = session
    for name in ("beta", "Alpha", "alps", "gamma.x", "ALTO"):
        new(p, db, name)
    assert matches_classic(p, db, "al*") == ["Alpha", "alps", "ALTO"]
    assert matches_classic(p, db, "?????") == ["Alpha"]
    assert matches_classic(p, db, "*.X") == ["gamma.x"]
    assert matches_classic(p, db, "*") == ["Alpha", "alps", "ALTO", "beta", "gamma.x"]
    assert matches_classic(p, db, "zz*") == []
    assert call(p.qzvinwc, db, ["bad pattern"]) == p.HBOBJT
    # A key of no open database is HBKEY here too (HNWILD: open, not searched).
    assert call(p.qzvnxwc, 999, [" "], [0], [0], [0]) == p.HBKEY


def test_extended_wildcards_interleave(session, db):
    p = session
    for name in ("a1", "a2", "b1", "b2"):
        new(p, db, name)
    cell = [0]
    assert p.zavo_init_wildcard(db, cell, ["a*"], 0, [""]) == p.HSUCC
    ka = cell[0]
    assert p.zavo_init_wildcard(db, cell, ["b*"], 0, ["b2"]) == p.HSUCC
    kb = cell[0]
    assert ka != kb

    def next_(key):
        name, cells, outlen = [" " * 10], [[0] for _ in range(5)], [0]
        status = p.zavo_get_next_wildcard(key, name, *cells, 10, outlen)
        return status, name[0]

    assert next_(ka) == (p.HSUCC, "a1")
    assert next_(kb) == (p.HSUCC, "b2")
    assert next_(ka) == (p.HSUCC, "a2")
    assert next_(ka)[0] == p.HNOOBJ
    assert next_(kb)[0] == p.HNOOBJ
    assert p.zavo_free_wildcard(ka) == p.HSUCC
    assert p.zavo_free_wildcard(ka) == p.HBKEY
    assert next_(ka)[0] == p.HBKEY
    assert p.zavo_init_wildcard(db, cell, ["*"], 42, [""]) == p.HBCLAS


def test_object_changes_follow_post_and_restore(session, db):
    p = session
    new(p, db, "kept")
    call(p.qzvpodb, db)
    call(p.qzvrnob, db, ["kept"], ["renamed"])
    call(p.qzvsdes, db, ["renamed"], ["new"])
    assert call(p.qzvrsdb, db) == p.HSUCC
    assert osiz(p, db, "kept")[0] == p.HSUCC
    assert osiz(p, db, "renamed")[0] == p.HNOOBJ
