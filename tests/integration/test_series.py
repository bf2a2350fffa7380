"""Series values end to end: every value kind over ranges inside, across and
beyond the stored span, through the classic and the extended functions;
missing codes and their translation; scalars; strings; durability; and a
property test against a plain Python model of a series."""

import pytest
from hypothesis import HealthCheck, given, settings, strategies as st

from helpers import call, f32


@pytest.fixture
def path(store):
    """A database name: a file, or a database on the server."""
    return store.name("series")


@pytest.fixture
def db(session, store, path):
    key = [0]
    assert store.opendb(key, path, session.HCMODE) == session.HSUCC
    yield key[0]
    session.qzvcldb([0], key[0])


def new(p, key, name, type_, freq=None, class_=None):
    status = call(p.qzvnwob, key, [name], p.HSERIE if class_ is None else class_,
                  p.HMONTH if freq is None else freq, type_, 0, 0)
    assert status == p.HSUCC


def rng(p, first, last, freq=None):
    r = [0, 0, 0]
    assert p.zavo_init_range_from_indexes(r, p.HMONTH if freq is None else freq, first, last) == p.HSUCC
    return r


# One row per value kind: type, extended read/write names, classic suffix,
# sample values, their stored form, and the ND code.
KINDS = {
    "numeric": ("HNUMRC", "numerics", "float", [0.1, -2.5, 3e38, 1e-40], f32, "FNUMND"),
    "precision": ("HPRECN", "precisions", "double", [0.1, -0.0, 1.7e308, 5e-324], float, "FPRCND"),
    "boolean": ("HBOOLN", "booleans", "int", [0, 1, 7, -1], int, "FBOOND"),
    "date": ("HMONTH", "dates", "int", [0, 600, -23000, 95000], int, "FDATND"),
}


def write(p, key, name, kind, r, values, classic):
    type_name, plural, suffix, *_ = KINDS[kind]
    if classic:
        return call(getattr(p, "qzvwrng_" + suffix), key, [name], r, list(values), p.HNTMIS, None)
    if kind == "date":
        return p.zavo_write_dates(key, [name], r, getattr(p, type_name), list(values))
    return getattr(p, "zavo_write_" + plural)(key, [name], r, list(values))


def read(p, key, name, kind, r, classic):
    _, plural, suffix, sample, *_ = KINDS[kind]
    n = r[2] - r[1] + 1
    out = [type(sample[0])(0)] * n
    if classic:
        status = call(getattr(p, "qzvrrng_" + suffix), key, [name], r, out, p.HNTMIS, None)
    else:
        status = getattr(p, "zavo_get_" + plural)(key, [name], r, out)
    assert status == p.HSUCC
    return out


@pytest.mark.parametrize("classic", [True, False], ids=["classic", "extended"])
@pytest.mark.parametrize("kind", sorted(KINDS))
def test_values_round_trip_inside_across_and_beyond_the_span(db, session, kind, classic):
    p = session
    type_name, _, _, sample, stored, nd_name = KINDS[kind]
    nd = getattr(p, nd_name)()
    new(p, db, "S", getattr(p, type_name))
    values = (sample * 300)[:1200]  # crosses a chunk boundary
    assert write(p, db, "S", kind, rng(p, 1000, 2199), values, classic) == p.HSUCC
    model = {1000 + i: stored(v) for i, v in enumerate(values)}
    for first, last in [(1000, 2199), (1500, 1510), (990, 1005), (2190, 2210), (5000, 5003), (-3000, -2990)]:
        got = read(p, db, "S", kind, rng(p, first, last), classic)
        assert got == [model.get(i, nd) for i in range(first, last + 1)]
    # Another kind's reader and writer are refused.
    other = "precisions" if kind != "precision" else "numerics"
    assert getattr(p, "zavo_get_" + other)(db, ["S"], rng(p, 1, 2), [0.0, 0.0]) == p.HBTYPE


def test_numeric_values_are_single_precision(db, session):
    p = session
    new(p, db, "N", p.HNUMRC)
    assert p.zavo_write_numerics(db, ["N"], rng(p, 0, 0), [0.1]) == p.HSUCC
    out = [0.0]
    p.qzvrrng_float([0], db, ["N"], rng(p, 0, 0), out, p.HNTMIS, None)
    assert out == [0.10000000149011612]


def test_first_and_last_observation_follow_writes(db, session):
    p = session
    new(p, db, "S", p.HPRECN)
    cells = [[0] for _ in range(5)]
    assert p.zavo_quick_info(db, ["S"], *cells) == p.HSUCC
    assert cells[3][0] == p.ZAVO_INDEX_ND()
    for first, last in [(10, 20), (5, 7), (30, 30)]:
        p.zavo_write_precisions(db, ["S"], rng(p, first, last), [1.0] * (last - first + 1))
    p.zavo_quick_info(db, ["S"], *cells)
    assert (cells[3][0], cells[4][0]) == (5, 30)


def test_writes_keep_what_changed_before_them_in_the_same_post(db, session, store, path):
    """A write changes an object's span and time only: the description and
    documentation set just before it, unposted, are posted with it."""
    p = session
    new(p, db, "S", p.HPRECN)
    assert call(p.qzvsdes, db, ["S"], ["set first"]) == p.HSUCC
    assert p.zavo_write_precisions(db, ["S"], rng(p, 3, 5), [1.0, 2.0, 3.0]) == p.HSUCC
    assert call(p.qzvsdoc, db, ["S"], ["set between"]) == p.HSUCC
    assert p.zavo_write_precisions(db, ["S"], rng(p, 8, 8), [4.0]) == p.HSUCC
    assert call(p.qzvpodb, db) == p.HSUCC
    p.qzvcldb([0], db)
    key = [0]
    assert store.opendb(key, path, p.HRMODE) == p.HSUCC
    cells = [[0] for _ in range(15)]
    desc, doc = [" " * 20], [" " * 20]
    assert call(p.qzvwhat, key[0], ["S"], *cells, desc, doc) == p.HSUCC
    assert (desc[0].rstrip(), doc[0].rstrip()) == ("set first", "set between")
    got = [0.0] * 6
    assert p.zavo_get_precisions(key[0], ["S"], rng(p, 3, 8), got) == p.HSUCC
    assert got[:3] == [1.0, 2.0, 3.0] and got[5] == 4.0
    p.qzvcldb([0], key[0])


@pytest.mark.parametrize("kind,prefix", [("numeric", "FNUM"), ("precision", "FPRC"),
                                         ("boolean", "FBOO"), ("date", "FDAT")])
def test_missing_codes_are_stored_and_recognised(db, session, kind, prefix):
    p = session
    type_name, _, suffix, *_ = KINDS[kind]
    new(p, db, "S", getattr(p, type_name))
    codes = [getattr(p, prefix + c)() for c in ("NC", "ND", "NA")]
    assert write(p, db, "S", kind, rng(p, 0, 2), codes, classic=False) == p.HSUCC
    assert read(p, db, "S", kind, rng(p, 0, 2), classic=True) == codes
    test = getattr(p, "qzvis" + prefix[1].lower() + "m")
    verdicts = []
    for value in codes + [codes[2] + 1 if suffix == "int" else 1.5]:
        ismiss = [99]
        assert call(test, value, ismiss) == p.HSUCC
        verdicts.append(ismiss[0])
    assert verdicts == [p.HNCVAL, p.HNDVAL, p.HNAVAL, p.HNMVAL]


@pytest.mark.parametrize("suffix,builder,table", [
    ("double", "qzvspm", [-1.0, -2.0, -3.0]),
    ("float", "qzvsnm", [-1.5, -2.5, -3.5]),
    ("int", "qzvsbm", [-1, -2, -3]),
])
def test_translation_applies_both_ways(db, session, suffix, builder, table):
    p = session
    type_ = {"double": p.HPRECN, "float": p.HNUMRC, "int": p.HBOOLN}[suffix]
    new(p, db, "S", type_)
    mistt = [0 * table[0]] * 3
    assert call(getattr(p, builder), *table, mistt) == p.HSUCC
    assert mistt == table
    r = rng(p, 0, 3)
    assert call(getattr(p, "qzvwrng_" + suffix), db, ["S"], r, [table[0], table[2], 4, table[1]],
                p.HTMIS, mistt) == p.HSUCC
    kind = {"double": "precision", "float": "numeric", "int": "boolean"}[suffix]
    prefix = {"double": "FPRC", "float": "FNUM", "int": "FBOO"}[suffix]
    nc, nd, na = (getattr(p, prefix + c)() for c in ("NC", "ND", "NA"))
    assert read(p, db, "S", kind, r, classic=False) == [nc, na, 4, nd]
    out = [0 * table[0]] * 5  # one past the span: ND, translated
    assert call(getattr(p, "qzvrrng_" + suffix), db, ["S"], rng(p, 0, 4), out, p.HTMIS, mistt) == p.HSUCC
    assert out == [table[0], table[2], 4, table[1], table[1]]


def test_string_missing_test(session):
    p = session
    for text, expected in [(p.FSTRNC().decode(), p.HNCVAL), (p.FSTRNA().decode(), p.HNAVAL),
                           ("NA", p.HNMVAL), ("", p.HNMVAL)]:
        ismiss = [99]
        assert call(p.qzvissm, [text], ismiss) == p.HSUCC
        assert ismiss[0] == expected


def test_statuses(db, session, store, path):
    p = session
    new(p, db, "S", p.HPRECN)
    new(p, db, "D", p.HMONTH)
    new(p, db, "L", p.HNAMEL)
    one = [0.0] * 3
    cases = [
        (lambda: p.zavo_get_precisions(db, ["NOPE"], rng(p, 0, 2), one), p.HNOOBJ),
        (lambda: p.zavo_get_precisions(db, ["1BAD"], rng(p, 0, 2), one), p.HBOBJT),
        (lambda: p.zavo_get_precisions(999, ["S"], rng(p, 0, 2), one), p.HBKEY),
        (lambda: p.zavo_get_precisions(db, ["S"], rng(p, 0, 2, p.HQTDEC), one), p.HBFREQ),
        (lambda: p.zavo_get_precisions(db, ["S"], [p.HMONTH, 2, 0], one), p.HBRNG),
        (lambda: p.zavo_get_precisions(db, ["S"], [12345, 0, 2], one), p.HBFREQ),
        (lambda: p.zavo_get_precisions(db, ["S"], None, one), p.HNULLP),
        (lambda: p.zavo_get_precisions(db, ["L"], rng(p, 0, 2), one), p.HBTYPE),
        (lambda: call(p.qzvrrng_double, db, ["S"], rng(p, 0, 2), one, 7, None), p.HBMISS),
        (lambda: p.zavo_write_dates(db, ["D"], rng(p, 0, 0), p.HMONTH, [600]), p.HSUCC),
        (lambda: p.zavo_write_dates(db, ["D"], rng(p, 0, 0), p.HMONTH, [10 ** 9]), p.HBDATE),
        (lambda: p.zavo_write_dates(db, ["D"], rng(p, 0, 0), p.HQTDEC, [1]), p.HBTYPE),
        (lambda: p.zavo_write_booleans(db, ["D"], rng(p, 0, 0), [1]), p.HBTYPE),
        (lambda: call(p.qzvwrmt_int, db, ["D"], p.HPRECN, rng(p, 0, 0), [1], p.HNTMIS, None), p.HBTYPE),
    ]
    got = [fn() for fn, _ in cases]
    assert got == [want for _, want in cases]
    # A read-only opening refuses writes.
    p.qzvpodb([0], db)
    ro = [0]
    p.qzvcldb([0], db)
    assert store.opendb(ro, path, p.HRMODE) == p.HSUCC
    assert p.zavo_write_precisions(ro[0], ["S"], rng(p, 0, 0), [1.0]) == p.HREADO
    p.qzvcldb([0], ro[0])


def test_scalars_take_a_null_or_one_observation_range(db, session):
    p = session
    new(p, db, "C", p.HPRECN, freq=p.HUNDFX, class_=p.HSCALA)
    assert p.zavo_write_precisions(db, ["C"], None, [2.5]) == p.HSUCC
    out = [0.0]
    assert p.zavo_get_precisions(db, ["C"], rng(p, 7, 7, p.HDAILY), out) == p.HSUCC
    assert out == [2.5]
    assert p.zavo_get_precisions(db, ["C"], rng(p, 7, 8, p.HDAILY), [0.0, 0.0]) == p.HBNRNG


def test_posted_values_survive_reopening_unposted_do_not(session, store, path):
    p = session
    key = [0]
    store.opendb(key, path, p.HCMODE)
    new(p, key[0], "S", p.HPRECN)
    p.zavo_write_precisions(key[0], ["S"], rng(p, 0, 2), [1.0, 2.0, 3.0])
    assert call(p.qzvpodb, key[0]) == p.HSUCC
    p.zavo_write_precisions(key[0], ["S"], rng(p, 1, 4), [9.0] * 4)
    p.qzvcldb([0], key[0])
    store.opendb(key, path, p.HUMODE)
    nd = p.FPRCND()
    out = [0.0] * 5
    assert p.zavo_get_precisions(key[0], ["S"], rng(p, 0, 4), out) == p.HSUCC
    assert out == [1.0, 2.0, 3.0, nd, nd]
    cells = [[0] for _ in range(5)]
    p.zavo_quick_info(key[0], ["S"], *cells)
    assert (cells[3][0], cells[4][0]) == (0, 2)
    p.qzvcldb([0], key[0])


def test_direct_mode_posts_each_write(session, store, path):
    p = session
    key = [0]
    store.opendb(key, path, p.HCMODE)
    new(p, key[0], "S", p.HPRECN)
    p.qzvpodb([0], key[0])
    p.qzvcldb([0], key[0])
    store.opendb(key, path, p.HDMODE)
    assert p.zavo_write_precisions(key[0], ["S"], rng(p, 0, 1), [1.0, 2.0]) == p.HSUCC
    p.qzvcldb([0], key[0])
    store.opendb(key, path, p.HRMODE)
    out = [0.0, 0.0]
    assert p.zavo_get_precisions(key[0], ["S"], rng(p, 0, 1), out) == p.HSUCC
    assert out == [1.0, 2.0]
    p.qzvcldb([0], key[0])


def test_values_travel_with_copies_and_go_with_deletes(db, session):
    p = session
    work = [0]
    p.qzvopwk([0], work)
    new(p, db, "S", p.HSTRNG)
    p.zavo_write_strings(db, ["S"], rng(p, 0, 1), ["a\u00e9", "b"])
    assert call(p.qzvcpob, db, work[0], ["S"], ["COPY"]) == p.HSUCC
    strary = ["    "] * 2
    assert p.zavo_get_strings(work[0], ["COPY"], rng(p, 0, 1), strary, [4, 4], [0, 0]) == p.HSUCC
    assert strary == ["a\u00e9", "b"]
    assert call(p.qzvdlob, db, ["S"]) == p.HSUCC
    new(p, db, "S", p.HSTRNG)
    strary = ["    "] * 2
    p.zavo_get_strings(db, ["S"], rng(p, 0, 1), strary, [4, 4], [0, 0])
    assert strary == [p.FSTRND().decode()] * 2
    p.qzvcldb([0], work[0])


def test_a_large_series_round_trips(db, session):
    p = session
    new(p, db, "BIG", p.HPRECN, freq=p.HDAILY)
    values = [i * 0.25 for i in range(200_000)]
    assert p.zavo_write_precisions(db, ["BIG"], rng(p, -100_000, 99_999, p.HDAILY), values) == p.HSUCC
    out = [0.0] * 200_000
    assert p.zavo_get_precisions(db, ["BIG"], rng(p, -100_000, 99_999, p.HDAILY), out) == p.HSUCC
    assert out == values


def test_read_from_year_period_counts_what_it_got(db, session):
    p = session
    new(p, db, "S", p.HPRECN)
    p.zavo_write_precisions(db, ["S"], rng(p, 0, 5), [float(i) for i in range(6)])  # 1970M01..M06
    nd = p.FPRCND()
    cases = [((1970, 3), 3, [2.0, 3.0, 4.0], 3),
             ((1970, 5), 4, [4.0, 5.0, nd, nd], 2),
             ((1969, 12), 2, [nd, 0.0], 2),
             ((1971, 1), 2, [nd, nd], 0)]
    for (year, period), wanted, expected, got in cases:
        gotobs, out = [-1], [0.0] * wanted
        status = call(p.qzvrdfa_double, db, ["S"], wanted, [year], [period], gotobs, out, p.HNTMIS, None)
        assert (status, out, gotobs[0]) == (p.HSUCC, expected, got)
    assert call(p.qzvrdfa_double, db, ["S"], 1, [1970], [13], [0], [0.0], p.HNTMIS, None) == p.HBPER


def test_typed_writes_convert_to_the_object_type(db, session):
    p = session
    new(p, db, "P", p.HPRECN)
    new(p, db, "N", p.HNUMRC)
    assert call(p.qzvwrmt_float, db, ["P"], p.HNUMRC, rng(p, 0, 1), [0.1, p.FNUMNA()], p.HNTMIS, None) == p.HSUCC
    assert read(p, db, "P", "precision", rng(p, 0, 1), classic=False) == [f32(0.1), p.FPRCNA()]
    assert call(p.qzvwrmt_int, db, ["N"], p.HBOOLN, rng(p, 0, 1), [3, p.FBOONC()], p.HNTMIS, None) == p.HSUCC
    assert read(p, db, "N", "numeric", rng(p, 0, 1), classic=False) == [3.0, p.FNUMNC()]


# ---- strings ---------------------------------------------------------------

def test_strings_round_trip_classic_and_extended(db, session):
    p = session
    new(p, db, "T", p.HSTRNG)
    texts = ["", "alpha", "caf\u00e9 \u20ac", "x" * 50]
    assert p.zavo_write_strings(db, ["T"], rng(p, 10, 13), list(texts)) == p.HSUCC
    assert call(p.qzvwsts, db, ["T"], rng(p, 14, 15), ["gone", "ab"], [p.HNAVAL, p.HNMVAL], [4, 1]) == p.HSUCC
    r = rng(p, 9, 16)
    nd, na = p.FSTRND().decode(), p.FSTRNA().decode()
    strary, outlen = [" " * 60] * 8, [0] * 8
    assert p.zavo_get_strings(db, ["T"], r, strary, [60] * 8, outlen) == p.HSUCC
    assert strary == [nd] + texts + [na, "a", nd]
    assert outlen == [len(s.encode()) for s in strary]
    strary, misary, outlen = [" " * 60] * 8, [0] * 8, [0] * 8
    assert call(p.qzvgtsts, db, ["T"], r, strary, misary, [60] * 8, outlen) == p.HSUCC
    assert strary == [""] + texts + ["", "a", ""]
    assert misary == [p.HNDVAL] + [p.HNMVAL] * 4 + [p.HNAVAL, p.HNMVAL, p.HNDVAL]
    lens = [0] * 8
    assert call(p.qzvlsts, db, ["T"], r, lens) == p.HSUCC
    assert lens == [0, 0, 5, 9, 50, 0, 1, 0]
    assert p.zavo_len_strings(db, ["T"], r, lens) == p.HSUCC
    assert lens == [3, 0, 5, 9, 50, 3, 1, 3]


@pytest.mark.parametrize("length", [1, 255, 1024, 65534, 200000])
def test_long_and_non_ascii_strings_round_trip_after_reopen(db, session, store, path, length):
    """Texts up to RQX_MAX_STR_LEN bytes and beyond, with multi-byte
    characters, survive post, close and reopen exactly."""
    p = session
    new(p, db, "T", p.HSTRNG)
    unit = "\u00e9\u6771x"  # 2 + 3 + 1 bytes
    text = (unit * (length // 6 + 1)).encode()[:length].decode("utf-8", "ignore")
    assert call(p.qzvwstr, db, ["T"], rng(p, 7, 7), [text], p.HNMVAL, len(text.encode())) == p.HSUCC
    assert call(p.qzvpodb, db) == p.HSUCC
    assert call(p.qzvcldb, db) == p.HSUCC
    key = [0]
    assert store.opendb(key, path, p.HRMODE) == p.HSUCC
    size = len(text.encode())
    strval, ismiss, outlen = [" " * size], [0], [0]
    assert call(p.qzvgtstr, key[0], ["T"], rng(p, 7, 7), strval, ismiss, size, outlen) == p.HSUCC
    assert (strval[0], outlen[0]) == (text, size)
    strary, lens = [" " * size], [0]
    assert p.zavo_get_strings(key[0], ["T"], rng(p, 7, 7), strary, [size], lens) == p.HSUCC
    assert strary == [text] and lens == [size]
    p.qzvcldb([0], key[0])


def test_single_strings_and_truncation(db, session):
    p = session
    new(p, db, "T", p.HSTRNG)
    assert call(p.qzvwstr, db, ["T"], rng(p, 3, 3), ["hello world"], p.HNMVAL, 5) == p.HSUCC
    strval, ismiss, outlen = [" " * 10], [9], [0]
    assert call(p.qzvgtstr, db, ["T"], rng(p, 3, 3), strval, ismiss, 10, outlen) == p.HSUCC
    assert (strval[0], ismiss[0], outlen[0]) == ("hello", p.HNMVAL, 5)
    strval = [" " * 10]
    assert call(p.qzvgtstr, db, ["T"], rng(p, 3, 3), strval, ismiss, 3, outlen) == p.HTRUNC
    assert (strval[0], outlen[0]) == ("hel", 5)
    strval = [" " * 10]
    assert call(p.qzvgtstr, db, ["T"], rng(p, 4, 4), strval, ismiss, 10, outlen) == p.HSUCC
    assert (strval[0], ismiss[0], outlen[0]) == ("", p.HNDVAL, 0)
    assert call(p.qzvgtstr, db, ["T"], rng(p, 3, 4), [" " * 9], ismiss, 5, outlen) == p.HBNRNG
    assert call(p.qzvwstr, db, ["T"], rng(p, 3, 3), ["x"], 42, 1) == p.HBMISS
    assert call(p.qzvwstr, db, ["T"], rng(p, 3, 3), ["x"], p.HNMVAL, -1) == p.HBLEN


def test_string_length_property(db, session):
    p = session
    new(p, db, "T", p.HSTRNG)
    new(p, db, "S", p.HPRECN)
    length = [0]
    assert call(p.qzvssln, db, ["T"], 40) == p.HSUCC
    assert call(p.qzvgsln, db, ["T"], length) == p.HSUCC and length[0] == 40
    assert call(p.qzvssln, db, ["T"], -1) == p.HBNCHR
    assert call(p.qzvssln, db, ["S"], 4) == p.HBTYPE


# ---- property: random writes and reads agree with a model -------------------

ops = st.lists(
    st.tuples(st.booleans(), st.integers(-2500, 2500), st.integers(1, 1500),
              st.floats(allow_nan=False, allow_infinity=False)),
    min_size=1, max_size=12)


@settings(max_examples=80, deadline=None, suppress_health_check=[HealthCheck.function_scoped_fixture])
@given(ops)
def test_random_writes_and_reads_agree_with_a_model(session, ops):
    p = session
    key = [0]
    p.qzvopwk([0], key)
    try:
        new(p, key[0], "S", p.HPRECN)
        model = {}
        nd = p.FPRCND()
        for is_write, first, count, value in ops:
            r = rng(p, first, first + count - 1)
            if is_write:
                values = [value + i for i in range(count)]
                assert p.zavo_write_precisions(key[0], ["S"], r, values) == p.HSUCC
                model.update(zip(range(first, first + count), values))
            else:
                out = [0.0] * count
                assert p.zavo_get_precisions(key[0], ["S"], r, out) == p.HSUCC
                assert out == [model.get(i, nd) for i in range(first, first + count)]
        if model:
            cells = [[0] for _ in range(5)]
            p.zavo_quick_info(key[0], ["S"], *cells)
            assert (cells[3][0], cells[4][0]) == (min(model), max(model))
    finally:
        p.qzvcldb([0], key[0])
