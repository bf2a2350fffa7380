"""Formulas, expressions and commands end to end: formulas read by every
read function and answered by inquiry, their failures, their life as
objects (post, reopen, copy, rename, delete, aliases, wildcards), qzvrmev,
and the command interpreter with its output queue and input."""

import textwrap

import pytest

from helpers import call, f32, spawn, wildcard_names

JAN2020 = 600  # monthly index of 2020M01


@pytest.fixture
def db(session, path):
    key = [0]
    assert call(session.qzvopdb, key, [path], session.HCMODE) == session.HSUCC
    p = session
    for name, values in (("A", [1.0, 2.0, 3.0, 4.0]), ("B", [10.0, 20.0, 30.0, 40.0])):
        assert call(p.qzvnwob, key[0], [name], p.HSERIE, p.HMONTH, p.HPRECN, 0, 0) == p.HSUCC
        assert p.zavo_write_precisions(key[0], [name], rng(p, JAN2020, JAN2020 + 3), values) == p.HSUCC
    yield key[0]
    session.qzvcldb([0], key[0])


def rng(p, first, last, freq=None):
    r = [0, 0, 0]
    assert p.zavo_init_range_from_indexes(r, p.HMONTH if freq is None else freq, first, last) == p.HSUCC
    return r


def formula(p, key, name, text, create=None):
    return (create or p.zavo_create_formula)(key, [name], [text])


def precisions(p, key, name, first=JAN2020, last=JAN2020 + 3):
    out = [0.0] * (last - first + 1)
    assert p.zavo_get_precisions(key, [name], rng(p, first, last), out) == p.HSUCC
    return out


def drain(p, size=4096):
    text = ""
    while True:
        buffer, got = [" " * size], [0]
        status = p.zavo_get_server_input(buffer, size + 1, got)
        if status != p.HSUCC:
            assert status == p.HNOOBJ
            return text
        assert got[0] == len(buffer[0].encode())
        text += buffer[0]


def test_a_formula_reads_through_every_read_function(session, db):
    p = session
    assert formula(p, db, "F", "(A + B) / lag(A, 1)") == p.HSUCC
    want = [p.FPRCND(), 22.0, 16.5, 44.0 / 3]
    assert precisions(p, db, "F") == want
    out = [0.0] * 4
    assert call(p.qzvrrng_double, db, ["F"], rng(p, JAN2020, JAN2020 + 3), out, p.HNTMIS, None) == p.HSUCC
    assert out == want
    table = [-1.0, -2.0, -3.0]
    assert call(p.qzvrrng_double, db, ["F"], rng(p, JAN2020, JAN2020 + 1), out, p.HTMIS, table) == p.HSUCC
    assert out[:2] == [-2.0, 22.0], "ND translated through the table"
    got = [0]
    assert call(p.qzvrdfa_double, db, ["F"], 3, [2020], [2], got, out, p.HNTMIS, None) == p.HSUCC
    assert out[:3] == [22.0, 16.5, 44.0 / 3] and got[0] == 3
    # A numeric formula reads as floats, a boolean one as ints.
    assert formula(p, db, "N", "round(lag(A, 1) * 1.1, 1)") == p.HSUCC
    assert call(p.qzvnwob, db, ["R"], p.HSERIE, p.HMONTH, p.HNUMRC, 0, 0) == p.HSUCC
    assert p.zavo_modify_formula(db, ["N"], ["R + 0.5"]) == p.HSUCC
    assert p.zavo_write_numerics(db, ["R"], rng(p, JAN2020, JAN2020), [1.25]) == p.HSUCC
    nums = [0.0]
    assert p.zavo_get_numerics(db, ["N"], rng(p, JAN2020, JAN2020), nums) == p.HSUCC
    assert nums == [f32(1.75)]
    assert formula(p, db, "UP", "A > 2") == p.HSUCC
    flags = [0] * 4
    assert p.zavo_get_booleans(db, ["UP"], rng(p, JAN2020, JAN2020 + 3), flags) == p.HSUCC
    assert flags == [0, 0, 1, 1]
    assert p.zavo_get_precisions(db, ["UP"], rng(p, JAN2020, JAN2020 + 3), [0.0] * 4) == p.HBTYPE


def test_string_and_date_formulas(session, db):
    p = session
    assert formula(p, db, "LABEL", 'IF A > 2 THEN "high" ELSE "low"') == p.HSUCC
    strary, outlen = [" " * 8] * 4, [0] * 4
    assert p.zavo_get_strings(db, ["LABEL"], rng(p, JAN2020, JAN2020 + 3), strary, [8] * 4, outlen) == p.HSUCC
    assert strary == ["low", "low", "high", "high"]
    r = rng(p, JAN2020 - 1, JAN2020 + 1)  # before the data: ND
    strary, misary, outlen = [" " * 8] * 3, [0] * 3, [0] * 3
    assert call(p.qzvgtsts, db, ["LABEL"], r, strary, misary, [8] * 3, outlen) == p.HSUCC
    assert (strary, misary) == (["", "low", "low"], [p.HNDVAL, p.HNMVAL, p.HNMVAL])
    lens = [0] * 3
    assert p.zavo_len_strings(db, ["LABEL"], r, lens) == p.HSUCC and lens == [3, 3, 3]
    strval, ismiss, size = [" " * 8], [0], [0]
    assert call(p.qzvgtstr, db, ["LABEL"], rng(p, JAN2020 + 3, JAN2020 + 3), strval, ismiss, 8, size) == p.HSUCC
    assert (strval[0], ismiss[0], size[0]) == ("high", p.HNMVAL, 4)
    assert call(p.qzvwstr, db, ["LABEL"], rng(p, JAN2020, JAN2020), ["x"], p.HNMVAL, 1) == p.HBCLAS
    assert formula(p, db, "WHEN", "date(A) + 12") == p.HSUCC
    dates = [0] * 2
    assert p.zavo_get_dates(db, ["WHEN"], rng(p, JAN2020, JAN2020 + 1), dates) == p.HSUCC
    assert dates == [JAN2020 + 12, JAN2020 + 13]


def test_inquiry_answers_for_formulas(session, db):
    p = session
    assert formula(p, db, "F", "lag(A, 2) * 2") == p.HSUCC
    c, t, f, fi, li = [0], [0], [0], [0], [0]
    assert p.zavo_quick_info(db, ["F"], c, t, f, fi, li) == p.HSUCC
    assert (c[0], t[0], f[0], fi[0], li[0]) == (p.HFRMLA, p.HPRECN, p.HMONTH, JAN2020 + 2, JAN2020 + 5)
    cells = [[0] for _ in range(7)]
    assert call(p.qzvosiz, db, ["F"], *cells) == p.HSUCC
    assert [x[0] for x in cells] == [p.HFRMLA, p.HPRECN, p.HMONTH, 2020, 3, 2020, 6]
    assert call(p.qzvsdes, db, ["F"], ["twice A, two months later"]) == p.HSUCC
    cells = [[0] for _ in range(15)]
    desc, doc = [" " * 30], [" " * 5]
    assert call(p.qzvwhat, db, ["f"], *cells, desc, doc) == p.HSUCC
    assert [x[0] for x in cells[:9]] == [p.HFRMLA, p.HPRECN, p.HMONTH, 0, 0, 2020, 3, 2020, 6]
    assert (desc[0], doc[0]) == ("twice A, two months later", "")
    ints = [[0] for _ in range(9)]
    desc, outdesclen, doc, outdoclen = [" " * 30], [0], [" "], [0]
    assert p.zavo_info(db, ["F"], *ints, desc, 30, outdesclen, doc, 1, outdoclen) == p.HSUCC
    assert [x[0] for x in ints[:5]] == [p.HFRMLA, p.HPRECN, p.HMONTH, JAN2020 + 2, JAN2020 + 5]
    basnam = [" " * 5]
    assert call(p.qzvgnam, db, ["f"], basnam) == p.HSUCC and basnam[0] == "F"
    assert p.zavo_create_global_formula(db, ["G"], ["sum(A)"]) == p.HSUCC
    assert p.zavo_quick_info(db, ["G"], c, t, f, fi, li) == p.HSUCC
    assert (c[0], t[0], f[0]) == (p.HGLFOR, p.HPRECN, p.HUNDFX)
    value = [0.0]
    assert p.zavo_get_precisions(db, ["G"], None, value) == p.HSUCC
    assert value == [10.0]


def test_qzvrdfm_returns_the_text(session, db):
    p = session
    text = "movavg(A, 2) - B"
    assert formula(p, db, "F", text) == p.HSUCC
    source, olen = [" " * 40], [0]
    assert call(p.qzvrdfm, db, ["f"], source, 40, olen) == p.HSUCC
    assert (source[0], olen[0]) == (text, len(text))
    short = [" " * 5]
    assert call(p.qzvrdfm, db, ["F"], short, 5, olen) == p.HTRUNC
    assert (short[0], olen[0]) == (text[:5], len(text))
    assert call(p.qzvrdfm, db, ["A"], source, 40, olen) == p.HBCLAS
    assert call(p.qzvrdfm, db, ["NONE"], source, 40, olen) == p.HNOOBJ


@pytest.mark.parametrize("text, status, where", [
    ("A +", "HFRMSYNTAXERR", "position 4"),
    ("lag(A, 1", "HFRMSYNTAXERR", "position 9"),
    ("A" * 5000, "HNFSRCLONG", "4096"),
    ("A + é", "HFRMSYNTAXERR", "byte 0xC3 at position 5"),
])
def test_a_bad_text_creates_and_changes_nothing(session, db, error_text, text, status, where):
    p = session
    assert formula(p, db, "F", text) == getattr(p, status)
    assert where in error_text()
    assert p.zavo_quick_info(db, ["F"], [0], [0], [0], [0], [0]) == p.HNOOBJ
    assert formula(p, db, "F", "A") == p.HSUCC
    assert p.zavo_modify_formula(db, ["F"], [text]) == getattr(p, status)
    assert precisions(p, db, "F") == [1.0, 2.0, 3.0, 4.0]


@pytest.mark.parametrize("texts, status", [
    ({"F": "NOSUCH * 2"}, "HNOOBJ"),
    ({"F": "A + lag(F, 1)"}, "HBCNTX"),
    ({"F": "G + 1", "G": "H", "H": "F"}, "HBCNTX"),
    ({"F": 'A + "x"'}, "HBTYPE"),
    ({"F": "A + Q"}, "HBFREQ"),
    ({"F": "unknown(A)"}, "HBFUNC"),
])
def test_reading_a_broken_formula_gives_its_status(session, db, texts, status):
    p = session
    assert call(p.qzvnwob, db, ["Q"], p.HSERIE, p.HQTDEC, p.HPRECN, 0, 0) == p.HSUCC
    for name, text in texts.items():
        assert formula(p, db, name, text) == p.HSUCC
    assert p.zavo_get_precisions(db, ["F"], rng(p, JAN2020, JAN2020), [0.0]) == getattr(p, status)
    assert p.zavo_quick_info(db, ["F"], [0], [0], [0], [0], [0]) == p.HSUCC, "inquiry still answers"


def test_writing_into_a_formula_is_refused(session, db):
    p = session
    assert formula(p, db, "F", "A * 2") == p.HSUCC
    assert p.zavo_write_precisions(db, ["F"], rng(p, JAN2020, JAN2020), [1.0]) == p.HBCLAS
    assert call(p.qzvwrng_double, db, ["F"], rng(p, JAN2020, JAN2020), [1.0], p.HNTMIS, None) == p.HBCLAS
    assert p.zavo_modify_formula(db, ["A"], ["1"]) == p.HBCLAS
    assert precisions(p, db, "A") == [1.0, 2.0, 3.0, 4.0]


def test_an_empty_formula_from_qzvnwob(session, db):
    p = session
    assert call(p.qzvnwob, db, ["E"], p.HFRMLA, p.HMONTH, p.HPRECN, 0, 0) == p.HSUCC
    assert p.zavo_get_precisions(db, ["E"], rng(p, JAN2020, JAN2020), [0.0]) == p.HFRMSYNTAXERR
    assert p.zavo_modify_formula(db, ["E"], ["B / 10"]) == p.HSUCC
    assert precisions(p, db, "E") == [1.0, 2.0, 3.0, 4.0]


def test_formulas_live_like_other_objects(session, db, path):
    p = session
    assert formula(p, db, "F", "A + 1") == p.HSUCC
    assert call(p.qzvpodb, db) == p.HSUCC
    assert p.zavo_modify_formula(db, ["F"], ["A + 2"]) == p.HSUCC
    assert call(p.qzvrsdb, db) == p.HSUCC
    assert precisions(p, db, "F") == [2.0, 3.0, 4.0, 5.0], "restore brings the posted text back"
    assert call(p.qzvcpob, db, db, ["F"], ["F2"]) == p.HSUCC
    assert call(p.qzvrnob, db, ["F"], ["F3"]) == p.HSUCC
    assert call(p.qzvsali, db, ["F3"], ["PLUS1"]) == p.HSUCC
    assert precisions(p, db, "PLUS1") == precisions(p, db, "F2") == [2.0, 3.0, 4.0, 5.0]
    assert wildcard_names(p, db, "F*") == ["F2", "F3"]
    assert call(p.qzvdlob, db, ["F2"]) == p.HSUCC
    assert call(p.qzvpodb, db) == p.HSUCC
    p.qzvcldb([0], db)
    key = [0]
    assert call(p.qzvopdb, key, [path], p.HRMODE) == p.HSUCC
    assert precisions(p, key[0], "F3") == [2.0, 3.0, 4.0, 5.0]
    assert p.zavo_quick_info(key[0], ["F2"], [0], [0], [0], [0], [0]) == p.HNOOBJ
    p.qzvcldb([0], key[0])


def test_names_resolve_over_open_databases(session, db, tmp_path):
    p = session
    other = [0]
    assert call(p.qzvopdb, other, [str(tmp_path / "Prices.db")], p.HCMODE) == p.HSUCC
    assert call(p.qzvnwob, other[0], ["A"], p.HSERIE, p.HMONTH, p.HPRECN, 0, 0) == p.HSUCC
    assert call(p.qzvnwob, other[0], ["ONLY"], p.HSCALA, p.HUNDFX, p.HPRECN, 0, 0) == p.HSUCC
    assert p.zavo_write_precisions(other[0], ["A"], rng(p, JAN2020, JAN2020 + 3), [5.0] * 4) == p.HSUCC
    assert p.zavo_write_precisions(other[0], ["ONLY"], None, [100.0]) == p.HSUCC
    assert formula(p, db, "F", "A + prices:A + ONLY") == p.HSUCC
    assert precisions(p, db, "F") == [106.0, 107.0, 108.0, 109.0]
    assert formula(p, other[0], "H", "A") == p.HSUCC
    assert precisions(p, other[0], "H") == [5.0] * 4, "its own database first"
    # A global formula answers through the key of every open database.
    assert p.zavo_create_global_formula(other[0], ["GLOBAL"], ["A * 2"]) == p.HSUCC
    assert precisions(p, db, "GLOBAL") == [10.0] * 4, "read as its own database sees names"
    c = [0]
    assert p.zavo_quick_info(db, ["GLOBAL"], c, [0], [0], [0], [0]) == p.HSUCC and c[0] == p.HGLFOR
    assert p.zavo_quick_info(db, ["H"], c, [0], [0], [0], [0]) == p.HNOOBJ, "a plain formula stays in its database"
    p.qzvcldb([0], other[0])


def test_a_formula_sees_what_another_process_posts(session, db, path):
    p = session
    assert formula(p, db, "F", "A * 10") == p.HSUCC
    assert call(p.qzvpodb, db) == p.HSUCC
    p.qzvcldb([0], db)
    key = [0]
    assert call(p.qzvopdb, key, [path], p.HSMODE) == p.HSUCC
    child = spawn("-c", textwrap.dedent(f"""
        import pyrqx
        s, k = [0], [0]
        pyrqx.qzvini(s)
        pyrqx.qzvopdb(s, k, [{path!r}], pyrqx.HUMODE)
        r = [0, 0, 0]
        pyrqx.zavo_init_range_from_indexes(r, pyrqx.HMONTH, {JAN2020}, {JAN2020})
        pyrqx.zavo_write_precisions(k[0], ["A"], r, [7.0])
        pyrqx.qzvpodb(s, k[0])
        print(s[0])
        pyrqx.qzvfin(s)
    """))
    out, err = child.communicate(timeout=60)
    assert out.strip() == "0", err
    assert precisions(p, key[0], "F", JAN2020, JAN2020) == [70.0]
    p.qzvcldb([0], key[0])


def test_qzvrmev_evaluates_into_an_object(session, db, tmp_path):
    p = session
    work = [0]
    assert call(p.qzvopdb, work, [str(tmp_path / "w.db")], p.HCMODE) == p.HSUCC
    assert call(p.qzvrmev, db, ["cumsum(A) / 2"], [""], work[0], ["HALF"]) == p.HSUCC
    assert precisions(p, work[0], "HALF") == [0.5, 1.5, 3.0, 5.0]
    assert call(p.qzvrmev, db, ["A * 3"], ["FROM=2020M02, TO=2020M03"], work[0], ["HALF"]) == p.HSUCC
    c, t, f, fi, li = [0], [0], [0], [0], [0]
    assert p.zavo_quick_info(work[0], ["HALF"], c, t, f, fi, li) == p.HSUCC
    assert (c[0], t[0], fi[0], li[0]) == (p.HSERIE, p.HPRECN, JAN2020 + 1, JAN2020 + 2), "replaced"
    assert call(p.qzvrmev, db, ["max(B)"], [""], work[0], ["TOP"]) == p.HSUCC
    assert p.zavo_quick_info(work[0], ["TOP"], c, t, f, fi, li) == p.HSUCC and c[0] == p.HSCALA
    assert call(p.qzvrmev, db, ["A"], ["UNTIL=2020M01"], work[0], ["X"]) == p.HBOPT
    assert call(p.qzvrmev, db, ["A"], ["FROM="], work[0], ["X"]) == p.HBOPTV
    assert call(p.qzvrmev, db, ["A"], ["FROM=2020Q1"], work[0], ["X"]) == p.HBSRNG
    assert call(p.qzvrmev, db, ["A +"], [""], work[0], ["X"]) == p.HFRMSYNTAXERR
    assert call(p.qzvrmev, db, ["A"], [""], work[0], ["1BAD"]) == p.HBOBJT
    assert p.zavo_quick_info(work[0], ["X"], c, t, f, fi, li) == p.HNOOBJ
    p.qzvcldb([0], work[0])


def test_commands_print_to_the_output_queue(session, tmp_path, error_text):
    p = session
    file = str(tmp_path / "cmd.db")
    script = f"""
        OPEN {file} CREATE
        FREQUENCY MONTHLY
        SERIES X PRECISION
        RANGE 2020M01 2020M03
        X = date(X) - [MONTHLY 2019M12]    -- 1, 2, 3
        FORMULA DOUBLE = X * 2
        DESCRIBE X "the count"
        PRINT DOUBLE + 0.5
        SHOW DOUBLE
        LIST D*
        COPY X Y; RENAME Y Z; DELETE Z
        LIST
        PRINT sum(X)
        POST
    """
    assert call(p.qzvzavo, [textwrap.dedent(script)]) == p.HSUCC
    text = drain(p, size=7)  # small pieces put back together
    assert text.splitlines()[1:] == [
        "2020M01  2.5", "2020M02  4.5", "2020M03  6.5",
        "DOUBLE: FORMULA, NUMERIC, MONTHLY, 2020M01 to 2020M03",
        "  formula: X * 2",
        "DOUBLE",
        "DOUBLE", "X",
        "6",
    ]
    assert text.startswith("opened " + file)
    assert drain(p) == ""
    # A failing line reports its number; earlier lines keep their effect.
    assert call(p.qzvzavo, ["SERIES OK\nSERIES OK\nSERIES NEVER"]) == p.HOEXI
    assert "line 2" in error_text()
    assert call(p.qzvzavo, ["LIST ?EVER; LIST OK"]) == p.HSUCC
    assert drain(p) == "OK\n"
    assert call(p.qzvzavo, ["FROB X"]) == p.HFRMSYNTAXERR
    assert call(p.qzvzavo, ["PRINT X +"]) == p.HFRMSYNTAXERR


def test_input_and_remexec(session, db, error_text):
    p = session
    assert call(p.qzvsinp, ["first line\nsecond"]) == p.HSUCC
    assert call(p.qzvzavo, ["INPUT L1; INPUT L2"]) == p.HSUCC
    assert call(p.qzvzavo, ["INPUT L3"]) == p.HNOOBJ
    strary = [" " * 20]
    assert p.zavo_get_strings(db, ["L2"], None, strary, [20], [0]) == p.HSUCC
    assert strary == ["second"]
    assert p.zavo_remexec(db, ["PRINT A * B"], db, ["AB"]) == p.HSUCC
    assert precisions(p, db, "AB") == [10.0, 40.0, 90.0, 160.0]
    assert p.zavo_remexec(db, ["LIST"], db, ["NOTHING"]) == p.HBFUNC
    assert p.zavo_remexec(99, ["PRINT 1"], db, ["X"]) == p.HBKEY
    drain(p)
    buffer, got = [" " * 3], [5]
    assert p.zavo_get_server_input(buffer, 4, got) == p.HNOOBJ and got[0] == 0
    # Pieces never split a character: a buffer too small for one is refused.
    assert call(p.qzvzavo, ['PRINT "é"']) == p.HSUCC
    assert p.zavo_get_server_input([" " * 3], 2, got) == p.HBLEN
    assert p.zavo_get_server_input([" "], 99, got) == p.HBLEN, "no more than the buffer holds"
    buffer = [" " * 3]
    assert p.zavo_get_server_input(buffer, 3, got) == p.HSUCC
    assert (buffer[0], got[0]) == ("é", 2)
    assert drain(p) == "\n"


def test_outside_a_session(pyrqx):
    assert call(pyrqx.qzvzavo, ["LIST"]) == pyrqx.HNINIT
    assert pyrqx.zavo_create_formula(1, ["F"], ["1"]) == pyrqx.HNINIT


@pytest.mark.parametrize("line, status", [
    ("A = NOSUCH + 1", "HNOOBJ"),
    ("A = A +", "HFRMSYNTAXERR"),
    ("A = 1 / 0 > 2", "HSUCC"),   # a value, not an error: NC
    ("FORMULA A = A * 2", "HOEXI"),
    ("RANGE 2020M01 2019M01", "HBFREQ"),
    ("FREQUENCY MONTHLY; RANGE 2020M05 2020M01", "HBRNG"),
    ("OPEN", "HFRMSYNTAXERR"),
    ("USE nowhere.db", "HBKEY"),
    ("SERIES S", "HBFREQ"),
    ('DESCRIBE A "unterminated', "HFRMSYNTAXERR"),
])
def test_a_failing_command_changes_nothing(session, db, path, line, status):
    p = session
    assert call(p.qzvzavo, ["USE " + path + "\n" + line]) == getattr(p, status)
    if status != "HSUCC":
        assert precisions(p, db, "A") == [1.0, 2.0, 3.0, 4.0]
    drain(p)

