"""Arguments for one call: each parameter's value drawn by its name (a table
of the interface's parameter names) or by its annotation in the stubs, then
sometimes spoilt (a wrong object, a missing or extra argument)."""
import re
from pathlib import Path

import corpus as c

KEYS = {"dbkey", "srckey", "tarkey", "wdbkey"}
FREQS = {"freq", "sfreq", "tfreq", "freq1", "freq2", "from_freq", "to_freq", "base",
         "value_type", "base_freq"}
LENGTHS = {"inlen", "ilen", "indesclen", "indoclen", "buffer_size", "length", "numobs",
           "wntobs", "numchr", "index", "nunits"}
DATES = {"date", "sdate", "from_date", "start", "end", "findex", "lindex"}
YEARS = {"year", "syear", "eyear", "cyear", "myear", "fyear", "lyear"}
PARTS = {"day", "period", "hour", "minute", "second", "millisecond", "ddate", "sprd", "eprd"}
# Mostly valid: a month, a fiscal-year label, a century.
MOSTLY = {**dict.fromkeys(("month", "fmonth", "end_month"), list(range(1, 13))),
          **dict.fromkeys(("flabel", "label_year"), [1, 2, 3]),
          **dict.fromkeys(("century", "centry"), [0, 19, 20, 1900, 2000]),
          **dict.fromkeys(("wildonly", "xdots", "flag", "ismiss", "tmiss"), [0, 1, 2, 3]),
          "class_": [1, 2, 3, 5, 6],
          **dict.fromkeys(("type", "atttyp", "objtyp", "value_type"), [0, 1, 2, 3, 4, 5, 6, 8, 129]),
          "basis": [0, 1, 2],
          "observ": list(range(9))}
MODES = [1, 2, 3, 4, 5, 6, 7, 0, 8, -1, 2**31 - 1]

OBJECT_NAMES = {"objnam", "oname", "objname", "srcnam", "tarnam", "basnam", "basename",
                "aliass", "assoc", "strval"}
# Text parameters by name: the pool each draws from.
TEXTS_BY_NAME = {
    **{n: c.NAMES for n in OBJECT_NAMES},
    **{n: c.WILDCARDS for n in ("wilnam", "wildname", "wildstart")},
    **{n: c.COMMANDS for n in ("cmd", "command")},
    **{n: c.EXPRESSIONS for n in ("expr", "source")},
    **{n: c.DATE_TEXTS for n in ("datstr", "literal", "string", "image")},
    "frequency_spec": c.FREQ_TEXTS,
    "type_spec": c.FREQ_TEXTS,
    "svname": c.SERVICES,
    "service": c.SERVICES,
    "hostname": c.HOSTS,
    "attnam": ["NOSUCH", "note"] + c.NAMES,
    "optns": ["", "RANGE", "FREQ=DAILY", "x" * 3000],
}
# Lists whose length follows the range's observation count.
PER_OBSERVATION = {"valary", "strary", "misary", "inlenary", "outlenary", "lenary"}
STRING_LISTS_AT_MOST = 40   # each string may get a megabyte of room
VALUES_AT_MOST = 100_000


def frequencies(p):
    """The frequency codes of the interface's table, and compound ones the
    engine makes from texts."""
    table = (Path(__file__).resolve().parents[2] / "src/crqx/crqx_constants.def").read_text()
    section = table.split("/* Frequency codes */")[1].split("/*")[0]
    codes = [int(v) for v in re.findall(r"CRQX_CONST\(\w+, (\d+)\)", section)]
    for text in c.FREQ_TEXTS:
        cell = [0]
        if p.zavo_parse_frequency(cell, [text]) == p.HSUCC:
            codes.append(cell[0])
    return codes


class Arguments:
    def __init__(self, p, world, rng):
        self.p, self.world, self.rng = p, world, rng
        self.freqs = frequencies(p) + [0, 1, 7, 234, 9999, -8]
        self.ranges = self._ranges()

    def _ranges(self):
        """Ranges made by the engine over the seed's spans, and damaged ones."""
        p = self.p
        made = []
        spans = [(p.HDAILY, 700000, 701999), (p.HDAILY, 700500, 700510), (p.HDAILY, 699990, 700010),
                 (p.HMONTH, 24000, 24011), (p.HMONTH, 23990, 24100), (p.HANDEC, 2000, 2009),
                 (p.HANDEC, 1990, 2030), (p.HBUSNS, 500000, 500100), (p.HWKFRI, 100000, 100050),
                 (p.HSEC, 10**9, 10**9 + 99), (p.HQTDEC, 8000, 8010), (p.HDAILY, 701999, 700000)]
        for freq, start, end in spans:
            r = [0, 0, 0]
            if p.zavo_init_range_from_indexes(r, freq, start, end) == p.HSUCC:
                made.append(r)
        big = 2**31 - 1
        hostile = [[p.HDAILY, 1, 0], [p.HDAILY, -big - 1, big], [p.HDAILY, 0, big], [999, 1, 5],
                   [p.HDAILY, 1], [], [p.HDAILY, 1, 2, 3], ["a", 1, 2], [8.5, 1, 2],
                   [p.HDAILY, 700000, 700000 + 2**20], [0, 0, 0], [-1, -1, -1], [big, big, big],
                   [p.HUNDFX, 0, 0], [p.HDAILY, 2**40, 1]]
        return made, hostile

    # ---- scalars ---------------------------------------------------------------
    def integer(self, name):
        rng, w = self.rng, self.world
        if rng.random() < 0.03:
            return rng.choice(c.EDGE_INTS)
        if name in KEYS:
            return w.db_key()
        if name == "connkey":
            return w.conn_key()
        if name == "wildkey":
            return w.wild_key()
        if name in MOSTLY and rng.random() < 0.7:
            return rng.choice(MOSTLY[name])
        if name in FREQS:
            return rng.choice(self.freqs)
        if name == "mode":
            return rng.choice(MODES)
        if name in LENGTHS:
            return rng.choice(c.LENGTHS + list(range(0, 12)))
        if name in DATES:
            return rng.choice(c.DATES + [700000, 700100, 24000, 24005, 2000, 2005])
        if name in YEARS:
            return rng.choice(c.YEARS)
        if name in PARTS or name in MOSTLY:
            return rng.choice(c.PARTS)
        return rng.choice(c.CODES)

    def text(self, fn, name):
        rng = self.rng
        if name == "dbname":
            return self.world.file_name()
        if name in OBJECT_NAMES and rng.random() < 0.6:
            return rng.choice(c.SEED_OBJECTS)
        if name == "attnam" and rng.random() < 0.6:
            return rng.choice(c.SEED_ATTRIBUTES)
        if name == "value" and "formula" in fn:
            pool = c.EXPRESSIONS
        else:
            pool = TEXTS_BY_NAME.get(name, c.TEXTS + c.NAMES)
        return rng.choice(pool if rng.random() < 0.75 else c.TEXTS)

    # ---- lists -------------------------------------------------------------------
    def a_range(self):
        made, hostile = self.ranges
        r = self.rng.choice(made) if self.rng.random() < 0.8 else self.rng.choice(hostile)
        return list(r)

    def observations(self, rng_list):
        """The range's observation count as the engine sees it, or None."""
        if rng_list is None:
            return 1
        cell = [0]
        try:
            if self.p.zavo_get_range_numobs(list(rng_list), cell) == self.p.HSUCC:
                return cell[0]
        except (TypeError, ValueError, OverflowError):
            pass
        return None

    def element(self, annotation):
        rng = self.rng
        if "float" in annotation:
            return rng.choice(c.FLOATS) if rng.random() < 0.3 else rng.uniform(-1e6, 1e6)
        if "str" in annotation:
            return rng.choice(c.TEXTS + c.NAMES)
        return rng.choice(c.CODES + c.DATES + c.LENGTHS)

    def sized_list(self, name, annotation, count):
        """A list for `count` observations: mostly that long, sometimes not;
        None where the module allows it and its scratch stays small."""
        rng = self.rng
        cap = STRING_LISTS_AT_MOST if name in ("strary", "inlenary", "outlenary") else VALUES_AT_MOST
        n = count if count is not None and 0 <= count <= cap else rng.choice([0, 1, 3])
        if rng.random() < 0.15:
            n = max(0, n + rng.choice([-1, -n, 1, 5]))
        small = count is not None and 0 <= count <= cap
        if "None" in annotation and rng.random() < 0.12 and small:
            return None
        if name in ("inlenary",):
            values = [rng.choice(c.LENGTHS + [0, 5, 10, 20]) for _ in range(n)]
        else:
            values = [self.element(annotation) for _ in range(n)]
        if values and rng.random() < 0.04:  # one element of the wrong kind
            values[rng.randrange(n)] = rng.choice(c.WRONG_OBJECTS)
        return values

    # ---- one call ------------------------------------------------------------------
    def build(self, fn, params):
        """Positional arguments for the function of stub parameters `params`
        [(name, annotation)]."""
        rng = self.rng
        args, count = [], None
        option = rng.choice(c.OPTIONS)
        for name, ann in params:
            if rng.random() < 0.01:
                args.append(rng.choice(c.WRONG_OBJECTS))
                continue
            if name == "range_":
                value = self.a_range() if rng.random() > 0.05 or "None" not in ann else None
                count = self.observations(value)
            elif name == "wntobs":
                value = self.integer(name)
                count = value if isinstance(value, int) else None
            elif name in PER_OBSERVATION and ann.startswith("list"):
                value = self.sized_list(name, ann, count)
            elif ann.startswith(("list[", "_")):
                value = self.cell_or_list(fn, name, ann)
            elif ann == "int":
                value = self.integer(name)
            elif ann == "float":
                value = rng.choice(c.FLOATS)
            elif ann == "str":  # zavo_dimnum's character
                value = rng.choice(["A", "Z", "a", "", "AB", "é", "\x00", "1", "*"])
            else:
                raise AssertionError("no generator for %s: %s %s" % (fn, name, ann))
            if name == "optnam":
                value = [option[0]]
            elif name == "optval":
                value = [option[1]]
            args.append(self.spoil(value) if rng.random() < 0.007 else value)
        return args

    def spoil(self, value):
        """The value in an object that misbehaves (corpus.Planted and the
        like): a list that lies about its length or refuses items, a text
        that will not encode, a number that will not convert."""
        rng = self.rng
        if isinstance(value, list):
            if value and isinstance(value[0], str) and rng.random() < 0.5:
                return [rng.choice(c.TEXT_SPOILERS)(value[0])] + value[1:]
            return rng.choice(c.LIST_SPOILERS)(value)
        return c.BadNumber()

    def cell_or_list(self, fn, name, ann):
        rng = self.rng
        if rng.random() < 0.015:
            return rng.choice([[], None, (0,), "x", [0, 0], {}, [None]])
        if ann == "_OutCell":
            return [rng.choice([None, 0, -1])]
        if ann == "_IntCell":
            return [self.integer(name)]
        if ann == "_FloatCell":
            return [rng.choice(c.FLOATS)]
        if ann == "_TextCell":
            return [self.text(fn, name)]
        if ann == "_BytesCell":
            return [rng.choice(c.BYTES)]
        if name in ("indexes32", "indexes64", "indexes64ary", "indexes32ary"):
            return [rng.choice(c.DATES) for _ in range(rng.choice([0, 1, 2, 3]))]
        if "mistt" in name:
            return [self.element(ann) for _ in range(rng.choice([3, 3, 3, 0, 1, 2, 4]))]
        if ann.startswith("list[int]"):
            return [self.integer(name) for _ in range(rng.choice([0, 1, 3]))]
        return [self.element(ann) for _ in range(rng.choice([0, 1, 3]))]
