"""Namelist objects end to end: elements numbered from 1, the whole list
through HNLALL, growing, replacing and removing elements, and failures."""
import pytest

from helpers import call


@pytest.fixture
def db(session, path):
    """A fresh database with an empty namelist LIST and a numeric series GDP."""
    p = session
    key = [0]
    assert call(p.qzvopdb, key, [path], p.HCMODE) == p.HSUCC
    assert call(p.qzvnwob, key[0], ["LIST"], p.HSCALA, p.HUNDFX, p.HNAMEL, 0, 0) == p.HSUCC
    assert call(p.qzvnwob, key[0], ["GDP"], p.HSERIE, p.HMONTH, p.HNUMRC, 0, 0) == p.HSUCC
    yield key[0]
    p.qzvcldb([0], key[0])


def elements(p, key, obj="LIST"):
    """The list read element by element, as a caller would."""
    count = [0]
    assert call(p.qzvncnt, key, [obj], count) == p.HSUCC
    out = []
    for index in range(1, count[0] + 1):
        length = [0]
        assert call(p.qzvnlen, key, [obj], index, length) == p.HSUCC
        text, outlen = [" " * length[0]], [0]
        assert call(p.qzvgtnl, key, [obj], index, text, length[0], outlen) == p.HSUCC
        assert outlen[0] == length[0]
        out.append(text[0])
    return out


def whole(p, key, obj="LIST"):
    length = [0]
    assert call(p.qzvnlen, key, [obj], p.HNLALL, length) == p.HSUCC
    text, outlen = [" " * length[0]], [0]
    assert call(p.qzvgtnl, key, [obj], p.HNLALL, text, length[0], outlen) == p.HSUCC
    return text[0]


def test_elements_grow_replace_and_shrink(session, db):
    p = session
    assert elements(p, db) == []
    for index, name in enumerate(["GDP", "cpi", "M2"], start=1):
        assert call(p.qzvwtnl, db, ["LIST"], index, [name]) == p.HSUCC
    assert elements(p, db) == ["GDP", "cpi", "M2"]
    assert call(p.qzvwtnl, db, ["list"], 2, ["  Prices "]) == p.HSUCC, "blanks around a name are dropped"
    assert elements(p, db) == ["GDP", "Prices", "M2"]
    assert call(p.qzvwtnl, db, ["LIST"], 1, [""]) == p.HSUCC, "a blank element removes it"
    assert elements(p, db) == ["Prices", "M2"]
    assert whole(p, db) == "Prices,M2"


def test_whole_list_through_hnlall(session, db):
    p = session
    assert call(p.qzvwtnl, db, ["LIST"], p.HNLALL, ["a, b ,A, c"]) == p.HSUCC
    assert elements(p, db) == ["a", "b", "c"]
    assert call(p.qzvwtnl, db, ["LIST"], p.HNLALL, [""]) == p.HSUCC
    assert elements(p, db) == []


@pytest.mark.parametrize("index, text, status", [
    (0, "x", "HBINDX"), (4, "x", "HBINDX"), (-2, "x", "HBINDX"), (3, "", "HBINDX"),
    (1, "b", "HDUP"), (1, "B", "HDUP"), (1, "9x", "HBOBJT"), (1, "x" * 243, "HNTOOLONG"),
    ("HNLALL", "a,,b", "HBOBJT"),
])
def test_write_failures_leave_the_list_alone(session, db, index, text, status):
    p = session
    assert call(p.qzvwtnl, db, ["LIST"], p.HNLALL, ["a,b"]) == p.HSUCC
    index = getattr(p, index) if isinstance(index, str) else index
    assert call(p.qzvwtnl, db, ["LIST"], index, [text]) == getattr(p, status)
    assert elements(p, db) == ["a", "b"]


def test_read_failures(session, db):
    p = session
    assert call(p.qzvwtnl, db, ["LIST"], 1, ["GDP"]) == p.HSUCC
    text, outlen, n = [" " * 10], [0], [0]
    assert call(p.qzvgtnl, db, ["LIST"], 2, text, 10, outlen) == p.HBINDX
    assert call(p.qzvnlen, db, ["LIST"], 0, n) == p.HBINDX
    assert call(p.qzvgtnl, db, ["LIST"], 1, text, 2, outlen) == p.HTRUNC and (text[0], outlen[0]) == ("GD", 3)
    assert call(p.qzvgtnl, db, ["LIST"], 1, text, -1, outlen) == p.HBLEN
    for fn, args in [(p.qzvncnt, ([0],)), (p.qzvnlen, (1, [0])), (p.qzvwtnl, (1, ["x"]))]:
        assert call(fn, db, ["GDP"], *args) == p.HBTYPE, "not a namelist"
        assert call(fn, db, ["NOPE"], *args) == p.HNOOBJ
        assert call(fn, db, ["bad name"], *args) == p.HBOBJT
        assert call(fn, db + 1000, ["LIST"], *args) == p.HBKEY


def test_namelists_follow_their_object(session, db, path):
    p = session
    assert call(p.qzvwtnl, db, ["LIST"], p.HNLALL, ["a,b"]) == p.HSUCC
    assert call(p.qzvpodb, db) == p.HSUCC
    assert call(p.qzvwtnl, db, ["LIST"], 3, ["c"]) == p.HSUCC
    assert call(p.qzvrsdb, db) == p.HSUCC
    assert elements(p, db) == ["a", "b"]
    assert call(p.qzvcpob, db, db, ["LIST"], ["COPY"]) == p.HSUCC
    assert call(p.qzvrnob, db, ["COPY"], ["MOVED"]) == p.HSUCC
    assert elements(p, db, "MOVED") == ["a", "b"]
    assert call(p.qzvdlob, db, ["MOVED"]) == p.HSUCC
    assert call(p.qzvnwob, db, ["MOVED"], p.HSCALA, p.HUNDFX, p.HNAMEL, 0, 0) == p.HSUCC
    assert elements(p, db, "MOVED") == []
    assert call(p.qzvpodb, db) == p.HSUCC
    p.qzvcldb([0], db)
    key = [0]
    assert call(p.qzvopdb, key, [path], p.HRMODE) == p.HSUCC
    assert elements(p, key[0]) == ["a", "b"]
    assert call(p.qzvwtnl, key[0], ["LIST"], 1, ["z"]) == p.HREADO
    p.qzvcldb([0], key[0])
