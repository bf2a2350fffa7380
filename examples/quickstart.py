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
    for spec in ["MONTHLY", "QUARTERLY(NOVEMBER)", "WEEKLY(FRIDAY)", "15 MINUTELY"]:
        freq, date, literal, outlen = [0], [0], blanks(), [0]
        check(z.zavo_parse_frequency(freq, [spec]), "zavo_parse_frequency")
        check(z.zavo_time_to_index(freq[0], date, 2026, 12, 7, 13, 50, 0, 0, z.HCONT), "zavo_time_to_index")
        check(z.zavo_date_to_literal(freq[0], date[0], literal, 12, z.HFYFST, 64, outlen), "zavo_date_to_literal")
        back = [0]
        check(z.zavo_literal_to_date(freq[0], back, [literal[0]], 12, z.HFYFST, 0), "zavo_literal_to_date")
        print("  %-20s code %4d  2026-12-07 13:50 is period %-10d literal %-18s read back: %s"
              % (spec, freq[0], date[0], literal[0], back[0] == date[0]))
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


def main():
    session()
    dates()
    with tempfile.TemporaryDirectory() as folder:
        database(os.path.join(folder, "indicators.db"))
    print("\nmissing values: numeric ND is %r, string NA is %r" % (z.FNUMND(), z.FSTRNA()))
    status = [0]
    z.qzvfin(status)
    check(status, "qzvfin")
    print("session ended")


if __name__ == "__main__":
    main()
