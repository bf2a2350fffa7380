"""Aliases and associations end to end: list layout and lengths, objects
found by alias everywhere, name collisions, and how the lists follow their
object through post, restore, rename, copy and delete."""
import pytest

from helpers import call, wildcard_names


@pytest.fixture
def db(session, path):
    """A fresh database holding the series GDP and CPI."""
    p = session
    key = [0]
    assert call(p.qzvopdb, key, [path], p.HCMODE) == p.HSUCC
    for name in ("GDP", "CPI"):
        assert call(p.qzvnwob, key[0], [name], p.HSERIE, p.HMONTH, p.HNUMRC, 0, 0) == p.HSUCC
    yield key[0]
    p.qzvcldb([0], key[0])


LISTS = [("qzvsali", "qzvgtali", "qzvlali"), ("qzvsaso", "qzvgtaso", "qzvlaso")]


def get_list(p, getter, key, obj, room=200):
    text, outlen = [" " * room], [0]
    status = call(getattr(p, getter), key, [obj], text, room, outlen)
    return status, text[0], outlen[0]


def aliases_of(p, key, obj):
    return get_list(p, "qzvgtali", key, obj)[1]


def real_name(p, key, name):
    basnam = [" " * 20]
    status = call(p.qzvgnam, key, [name], basnam)
    return status, basnam[0]


@pytest.mark.parametrize("setter, getter, length", LISTS)
@pytest.mark.parametrize("given, stored", [
    ("Gross_Product, gdp.total", "Gross_Product,gdp.total"),
    ("  one  ", "one"),
    ("a,B,A", "a,B"),
    ("", ""),
    ("   ", ""),
])
def test_list_layout_and_length(session, db, setter, getter, length, given, stored):
    p = session
    assert call(getattr(p, setter), db, ["GDP"], [given]) == p.HSUCC
    assert get_list(p, getter, db, "gdp") == (p.HSUCC, stored, len(stored))
    n = [-1]
    assert call(getattr(p, length), db, ["GDP"], n) == p.HSUCC and n[0] == len(stored)


@pytest.mark.parametrize("setter, getter, length", LISTS)
def test_list_failures(session, db, setter, getter, length):
    p = session
    set_ = getattr(p, setter)
    assert call(set_, db, ["GDP"], ["a,,b"]) == p.HBOBJT
    assert call(set_, db, ["GDP"], ["ok, 9bad"]) == p.HBOBJT
    assert call(set_, db, ["GDP"], ["x" * 243]) == p.HNTOOLONG
    assert call(set_, db, ["NOPE"], ["a"]) == p.HNOOBJ
    assert call(set_, db, ["bad name"], ["a"]) == p.HBOBJT
    assert call(set_, db + 1000, ["GDP"], ["a"]) == p.HBKEY
    assert get_list(p, getter, db, "NOPE")[0] == p.HNOOBJ
    assert call(getattr(p, length), db, ["NOPE"], [0]) == p.HNOOBJ
    assert aliases_of(p, db, "GDP") == "", "a failed set leaves nothing behind"


@pytest.mark.parametrize("setter, getter, length", LISTS)
def test_list_text_is_cut_to_its_buffer(session, db, setter, getter, length):
    p = session
    assert call(getattr(p, setter), db, ["GDP"], ["alpha,beta"]) == p.HSUCC
    text, outlen = [" " * 20], [0]
    assert call(getattr(p, getter), db, ["GDP"], text, 4, outlen) == p.HTRUNC
    assert (text[0], outlen[0]) == ("alph", 10)
    assert call(getattr(p, getter), db, ["GDP"], text, -1, outlen) == p.HBLEN


def test_an_object_is_found_by_any_alias(session, db):
    p = session
    assert call(p.qzvsali, db, ["GDP"], ["Product, Output"]) == p.HSUCC
    for name in ("product", "OUTPUT", "gdp"):
        assert real_name(p, db, name) == (p.HSUCC, "GDP")
        cells = [[0] for _ in range(7)]
        assert call(p.qzvosiz, db, [name], *cells) == p.HSUCC and cells[0][0] == p.HSERIE
    out, outlen = [" " * 10], [0]
    assert p.zavo_get_real_name(db, ["output"], out, 10, outlen) == p.HSUCC and out[0] == "GDP"
    # changes through an alias reach the object
    assert call(p.qzvsdes, db, ["product"], ["Gross product"]) == p.HSUCC
    assert p.zavo_set_string_attribute(db, ["output"], ["unit"], ["USD"]) == p.HSUCC
    value, n = [" " * 5], [0]
    assert p.zavo_get_string_attribute(db, ["GDP"], ["unit"], value, 5, n) == p.HSUCC and value[0] == "USD"
    desc_len = [[0], [0]]
    assert call(p.qzvdlen, db, ["GDP"], *desc_len) == p.HSUCC and desc_len[0][0] == 13


def test_aliases_collide_with_no_other_name(session, db):
    p = session
    assert call(p.qzvsali, db, ["GDP"], ["Product"]) == p.HSUCC
    assert call(p.qzvsali, db, ["CPI"], ["gdp"]) == p.HOEXI, "another object's name"
    assert call(p.qzvsali, db, ["CPI"], ["PRODUCT"]) == p.HOEXI, "another object's alias"
    assert call(p.qzvsali, db, ["GDP"], ["GDP"]) == p.HOEXI, "its own name"
    assert call(p.qzvnwob, db, ["product"], p.HSERIE, p.HMONTH, p.HNUMRC, 0, 0) == p.HOEXI
    assert call(p.qzvrnob, db, ["CPI"], ["Product"]) == p.HOEXI
    assert call(p.qzvcpob, db, db, ["CPI"], ["product"]) == p.HOEXI
    assert aliases_of(p, db, "GDP") == "Product"


def test_a_new_list_replaces_the_old_one(session, db):
    p = session
    assert call(p.qzvsali, db, ["GDP"], ["old1, old2"]) == p.HSUCC
    # set through an alias that the new list drops
    assert call(p.qzvsali, db, ["old1"], ["new"]) == p.HSUCC
    assert aliases_of(p, db, "GDP") == "new"
    assert real_name(p, db, "old1")[0] == p.HNOOBJ
    assert call(p.qzvnwob, db, ["old2"], p.HSERIE, p.HMONTH, p.HNUMRC, 0, 0) == p.HSUCC, "the name is free again"


def test_rename_keeps_aliases_and_delete_frees_them(session, db):
    p = session
    assert call(p.qzvsali, db, ["GDP"], ["Product"]) == p.HSUCC
    assert call(p.qzvsaso, db, ["GDP"], ["CPI, Missing.Object"]) == p.HSUCC
    assert call(p.qzvrnob, db, ["product"], ["GDP2"]) == p.HSUCC
    assert real_name(p, db, "product") == (p.HSUCC, "GDP2")
    assert get_list(p, "qzvgtaso", db, "GDP2")[1] == "CPI,Missing.Object"
    assert call(p.qzvdlob, db, ["Product"]) == p.HSUCC
    assert real_name(p, db, "GDP2")[0] == p.HNOOBJ
    assert call(p.qzvnwob, db, ["Product"], p.HSERIE, p.HMONTH, p.HNUMRC, 0, 0) == p.HSUCC
    assert aliases_of(p, db, "Product") == ""


def test_copy_takes_associations_not_aliases(session, db):
    p = session
    assert call(p.qzvsali, db, ["GDP"], ["Product"]) == p.HSUCC
    assert call(p.qzvsaso, db, ["GDP"], ["CPI"]) == p.HSUCC
    assert call(p.qzvcpob, db, db, ["product"], ["GDP_COPY"]) == p.HSUCC
    assert aliases_of(p, db, "GDP_COPY") == ""
    assert get_list(p, "qzvgtaso", db, "GDP_COPY")[1] == "CPI"
    assert real_name(p, db, "product") == (p.HSUCC, "GDP")


def test_wildcards_list_real_names_only(session, db):
    p = session
    assert call(p.qzvsali, db, ["GDP"], ["Product"]) == p.HSUCC
    assert wildcard_names(p, db, "*") == ["CPI", "GDP"]


def test_lists_follow_post_restore_and_reopen(session, db, path):
    p = session
    assert call(p.qzvsali, db, ["GDP"], ["Product"]) == p.HSUCC
    assert call(p.qzvpodb, db) == p.HSUCC
    assert call(p.qzvsali, db, ["GDP"], ["Other"]) == p.HSUCC
    assert call(p.qzvsaso, db, ["GDP"], ["CPI"]) == p.HSUCC
    assert call(p.qzvrsdb, db) == p.HSUCC
    assert aliases_of(p, db, "GDP") == "Product"
    assert get_list(p, "qzvgtaso", db, "GDP")[1] == ""
    p.qzvcldb([0], db)
    key = [0]
    assert call(p.qzvopdb, key, [path], p.HRMODE) == p.HSUCC
    assert real_name(p, key[0], "product") == (p.HSUCC, "GDP")
    assert call(p.qzvsali, key[0], ["GDP"], ["x"]) == p.HREADO
    p.qzvcldb([0], key[0])


def test_outside_a_session(pyrqx):
    assert call(pyrqx.qzvlali, 1, ["GDP"], [0]) == pyrqx.HNINIT
