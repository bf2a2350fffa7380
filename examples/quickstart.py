"""Quick start: pyrqx on the embedded crqx engine.

Every library function takes its outputs as cells: one-element lists whose
element 0 the call replaces. Classic functions (qzv...) put their status in
the first cell; extended functions (zavo_...) return it. HSUCC (0) is success.
Text results come back in the cell's own string, so a caller passes a string
as long as the longest answer it wants (a run of blanks).
"""
import os
import tempfile

import pyrqx as z


def check(status, what):
    """Raise with the engine's own error text when a call did not succeed."""
    code = status[0] if isinstance(status, list) else status
    if code != z.HSUCC:
        length = [0]
        z.qzvlerr([0], length)
        text = [" " * length[0]]
        z.qzvferr([0], text)
        raise RuntimeError("%s failed with status %d: %s" % (what, code, text[0]))


def blanks(n=64):
    return [" " * n]


def session():
    status, version = [0], [0.0]
    z.qzvini(status)
    check(status, "qzvini")
    z.qzvver(status, version)
    print("crqx engine, interface version %.1f" % version[0])
    z.qzvsopt(status, ["BUSY_TIMEOUT"], ["5000"])
    check(status, "qzvsopt")
    # A failing call reports a status and keeps an error text.
    z.qzvsopt(status, ["NO_SUCH_OPTION"], ["1"])
    text = blanks(80)
    z.qzvferr([0], text)
    print("an unknown option gives status %d (HBOPT): %s" % (status[0], text[0]))


def dates():
    print("\nDates")
    # A day to a date index and back, in daily and in business frequency.
    for freq, name in [(z.HDAILY, "daily"), (z.HBUSNS, "business")]:
        date = [0]
        check(z.zavo_day_to_index(freq, date, 2026, 12, 7, z.HCONT), "zavo_day_to_index")
        y, m, d = [0], [0], [0]
        check(z.zavo_index_to_day(freq, date[0], y, m, d), "zavo_index_to_day")
        print("  2026-12-07 is %s index %d, which is %04d-%02d-%02d" % (name, date[0], y[0], m[0], d[0]))
    # A Saturday falls between business days: the relation decides.
    for relate, name in [(z.HBEFOR, "HBEFOR"), (z.HAFTER, "HAFTER")]:
        date, y, m, d = [0], [0], [0], [0]
        z.zavo_day_to_index(z.HBUSNS, date, 2026, 12, 5, relate)
        z.zavo_index_to_day(z.HBUSNS, date[0], y, m, d)
        print("  Saturday 2026-12-05 in business days with %s: %04d-%02d-%02d" % (name, y[0], m[0], d[0]))
    # Literals and pictures, both ways, for a few frequencies.
    for freq_name in ["MONTHLY", "QUARTERLY(NOVEMBER)", "WEEKLY(FRIDAY)", "15 MINUTELY"]:
        freq, date, literal, outlen = [0], [0], blanks(), [0]
        check(z.zavo_parse_frequency(freq, [freq_name]), "zavo_parse_frequency")
        check(z.zavo_time_to_index(freq[0], date, 2026, 12, 7, 13, 50, 0, 0, z.HCONT), "zavo_time_to_index")
        check(z.zavo_date_to_literal(freq[0], date[0], literal, 12, z.HFYFST, 64, outlen), "zavo_date_to_literal")
        back = [0]
        check(z.zavo_literal_to_date(freq[0], back, [literal[0]], 12, z.HFYFST, 0), "zavo_literal_to_date")
        print("  %-20s code %4d  2026-12-07 13:50 is period %-10d literal %-18s read back: %s"
              % (freq_name, freq[0], date[0], literal[0], back[0] == date[0]))
    text, outlen = blanks(), [0]
    date = [0]
    z.zavo_day_to_index(z.HDAILY, date, 2026, 12, 7, z.HCONT)
    check(z.zavo_format_date(z.HDAILY, date[0], text, ['Day, DD Month YYYY'], 12, z.HFYFST, 64, outlen),
          "zavo_format_date")
    print("  picture 'Day, DD Month YYYY': %s" % text[0])


def database(path):
    print("\nA database: %s" % path)
    status, key = [0], [0]
    z.qzvopdb(status, key, [path], z.HCMODE)
    check(status, "qzvopdb")
    z.qzvddes(status, key[0], ["Economic indicators"])
    check(status, "qzvddes")
    for name, freq in [("GDP", z.HQTDEC), ("CPI", z.HMONTH), ("CPI_CORE", z.HMONTH), ("FX.EUR", z.HDAILY)]:
        z.qzvnwob(status, key[0], [name], z.HSERIE, freq, z.HPRECN, z.HBSDAY, z.HOBAVG)
        check(status, "qzvnwob " + name)
        z.qzvsdes(status, key[0], [name], ["%s, %s" % (name, "seasonally adjusted")])
        check(status, "qzvsdes " + name)
        check(z.zavo_set_string_attribute(key[0], [name], ["SOURCE"], ["Statistics office"]),
              "zavo_set_string_attribute")
    check(z.zavo_set_precision_attribute(key[0], ["GDP"], ["WEIGHT"], 0.375), "zavo_set_precision_attribute")
    z.qzvpodb(status, key[0])
    check(status, "qzvpodb")
    # An unposted change is discarded by close.
    z.qzvnwob(status, key[0], ["DRAFT"], z.HSCALA, z.HCASEX, z.HNUMRC, z.HBSUND, z.HOBUND)
    z.qzvcldb(status, key[0])
    check(status, "qzvcldb")

    z.qzvopdb(status, key, [path], z.HRMODE)
    check(status, "qzvopdb (read)")
    wild = [0]
    check(z.zavo_init_wildcard(key[0], wild, ["CPI*"], 0, [" "]), "zavo_init_wildcard")
    found = []
    while True:
        name, cls, typ, freq, start, end, outlen = blanks(), [0], [0], [0], [0], [0], [0]
        if z.zavo_get_next_wildcard(wild[0], name, cls, typ, freq, start, end, 64, outlen) != z.HSUCC:
            break
        found.append(name[0])
    z.zavo_free_wildcard(wild[0])
    print("  objects matching CPI*: %s" % ", ".join(found))
    for name in ["GDP", "DRAFT"]:
        cells = [[0] for _ in range(9)]
        desc, outdesclen, doc, outdoclen = blanks(), [0], blanks(), [0]
        rc = z.zavo_info(key[0], [name], *cells, desc, 64, outdesclen, doc, 64, outdoclen)
        if rc == z.HSUCC:
            source, outlen, weight = blanks(), [0], [0.0]
            check(z.zavo_get_string_attribute(key[0], [name], ["SOURCE"], source, 64, outlen),
                  "zavo_get_string_attribute")
            check(z.zavo_get_precision_attribute(key[0], [name], ["WEIGHT"], weight),
                  "zavo_get_precision_attribute")
            print("  %s: class %d, type %d, frequency %d, description %r, SOURCE %r, WEIGHT %r"
                  % (name, cells[0][0], cells[1][0], cells[2][0], desc[0], source[0], weight[0]))
        else:
            print("  %s: status %d (HNOOBJ is %d): it was never posted" % (name, rc, z.HNOOBJ))
    z.qzvcldb(status, key[0])
    check(status, "qzvcldb")


def missing_or(value):
    """A precision value as text: "ND" (no observation), "NA" (not available), "NC" or the number."""
    ismiss = [0]
    z.qzvispm([0], value, ismiss)
    return {z.HNDVAL: "ND", z.HNAVAL: "NA", z.HNCVAL: "NC"}.get(ismiss[0], "%.2f" % value)


def label(freq, date):
    """The date's literal: 2026M03 for a month, 2026-12-03 for a day."""
    text, outlen = blanks(16), [0]
    check(z.zavo_date_to_literal(freq, date, text, 12, z.HFYFST, 16, outlen), "zavo_date_to_literal")
    return text[0]


def read_table(key, name, freq, first, last):
    """Reads observations first..last (date indexes) of a precision series and prints them."""
    rng = [0, 0, 0]
    check(z.zavo_init_range_from_indexes(rng, freq, first, last), "zavo_init_range_from_indexes")
    values = [0.0] * (last - first + 1)  # the array the read fills, one element per observation
    check(z.zavo_get_precisions(key, [name], rng, values), "zavo_get_precisions")
    print("  %s, %s to %s:" % (name, label(freq, first), label(freq, last)))
    for date, value in zip(range(first, last + 1), values):
        print("    %-12s %8s" % (label(freq, date), missing_or(value)))


def series(path):
    print("\nSeries values")
    status, key = [0], [0]
    z.qzvopdb(status, key, [path], z.HWMODE)  # write mode: created when missing
    check(status, "qzvopdb")
    z.qzvnwob(status, key[0], ["SALES"], z.HSERIE, z.HMONTH, z.HPRECN, z.HBSDAY, z.HOBSUM)
    check(status, "qzvnwob SALES")
    z.qzvnwob(status, key[0], ["PRICE"], z.HSERIE, z.HDAILY, z.HPRECN, z.HBSDAY, z.HOBAVG)
    check(status, "qzvnwob PRICE")

    # Monthly: January to June 2026. March has no observation (ND), May's
    # figure is not available yet (NA). Missing values are ordinary values:
    # the codes come from FPRCND(), FPRCNA() (and FPRCNC() for "not computable").
    rng, numobs = [0, 0, 0], [0]
    z.qzvsrng(status, z.HMONTH, [2026], [1], [2026], [6], rng, numobs)  # year/period to year/period
    check(status, "qzvsrng")
    check(z.zavo_write_precisions(key[0], ["SALES"], rng, [102.5, 98.0, z.FPRCND(), 110.25, z.FPRCNA(), 121.0]),
          "zavo_write_precisions SALES")
    january = rng[1]  # the range is [frequency, first index, last index]

    # Daily: the first week of December 2026, the 5th not available.
    first = [0]
    check(z.zavo_day_to_index(z.HDAILY, first, 2026, 12, 1, z.HCONT), "zavo_day_to_index")
    check(z.zavo_init_range_from_start_numobs(rng, z.HDAILY, first[0], 7), "zavo_init_range_from_start_numobs")
    check(z.zavo_write_precisions(key[0], ["PRICE"], rng, [1.08, 1.09, 1.07, 1.1, z.FPRCNA(), 1.12, 1.11]),
          "zavo_write_precisions PRICE")
    z.qzvpodb(status, key[0])  # make the writes durable
    check(status, "qzvpodb")

    # Reads may cover any range: observations never written read as ND.
    read_table(key[0], "SALES", z.HMONTH, january + 1, january + 3)      # inside the stored span
    read_table(key[0], "SALES", z.HMONTH, january + 4, january + 7)      # across its end (June)
    read_table(key[0], "PRICE", z.HDAILY, first[0] + 3, first[0] + 9)    # across its end (7 December)
    cells = [[0] for _ in range(5)]
    check(z.zavo_quick_info(key[0], ["SALES"], *cells), "zavo_quick_info")
    print("  SALES holds observations %s to %s" % (label(z.HMONTH, cells[3][0]), label(z.HMONTH, cells[4][0])))
    z.qzvcldb(status, key[0])
    check(status, "qzvcldb")


def formulas(path):
    print("\nFormulas, expressions and commands (the language: docs/language.md)")
    status, key = [0], [0]
    z.qzvopdb(status, key, [path], z.HUMODE)
    check(status, "qzvopdb")
    # A formula is a series computed from its text whenever it is read.
    check(z.zavo_create_formula(key[0], ["SALES_GROWTH"], ["pct(SALES)"]), "zavo_create_formula")
    rng, numobs = [0, 0, 0], [0]
    z.qzvsrng(status, z.HMONTH, [2026], [1], [2026], [6], rng, numobs)
    check(status, "qzvsrng")
    read_table(key[0], "SALES_GROWTH", z.HMONTH, rng[1], rng[2])
    source, olen = blanks(), [0]
    z.qzvrdfm(status, key[0], ["SALES_GROWTH"], source, 64, olen)
    check(status, "qzvrdfm")
    print("  its text: %s" % source[0])
    # A text that does not parse is refused; the error text gives the position.
    rc = z.zavo_create_formula(key[0], ["BROKEN"], ["SALES * (2 +"])
    text = blanks(120)
    z.qzvferr([0], text)
    print("  a broken text gives status %d (HFRMSYNTAXERR): %s" % (rc, text[0]))
    # qzvrmev evaluates an expression into a stored object.
    z.qzvrmev(status, key[0], ["movavg(replacemissing(SALES, 0), 3)"], ["FROM=2026M03 TO=2026M06"], key[0],
              ["SALES_AVG3"])
    check(status, "qzvrmev")
    read_table(key[0], "SALES_AVG3", z.HMONTH, rng[1] + 2, rng[2])
    # Commands print into an output queue, drained in pieces.
    z.qzvzavo(status, ["FREQUENCY MONTHLY; RANGE 2026M01 2026M04\n"
                       "PRINT IF ismissing(SALES) THEN 0 ELSE SALES * 2\n"
                       "SHOW SALES_GROWTH\nLIST SALES*"])
    check(status, "qzvzavo")
    output = ""
    while True:
        piece, size = blanks(), [0]
        if z.zavo_get_server_input(piece, 65, size) != z.HSUCC:
            break
        output += piece[0]
    print("  the commands printed:")
    for line in output.splitlines():
        print("    " + line)
    z.qzvcldb(status, key[0])
    check(status, "qzvcldb")


def main():
    session()
    dates()
    with tempfile.TemporaryDirectory() as folder:
        database(os.path.join(folder, "indicators.db"))
        series(os.path.join(folder, "indicators.db"))
        formulas(os.path.join(folder, "indicators.db"))
    print("\nmissing values: numeric ND is %r, string NA is %r" % (z.FNUMND(), z.FSTRNA()))
    status = [0]
    z.qzvfin(status)
    check(status, "qzvfin")
    print("session ended")


if __name__ == "__main__":
    main()
