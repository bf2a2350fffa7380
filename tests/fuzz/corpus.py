"""The seeded corpus of the call fuzzer: plausible and hostile values for each
kind of parameter, chosen by the parameter's name (a table) or, failing
that, by its annotation in the module's type stubs."""
import math

BIG = 2**31 - 1
SMALL = -(2**31)

# Integers a C int cannot hold, or that sit at its edges; and other objects
# passed where a number belongs.
EDGE_INTS = [0, 1, -1, 2, BIG, SMALL, BIG + 1, SMALL - 1, 2**63, -(2**63) - 1, 2**64, 10**30, True]
WRONG_OBJECTS = [None, "1", b"1", 1.5, [1], (1,), {}, object(), math.nan]

LENGTHS = [0, 1, 2, 3, 5, 8, 16, 63, 64, 242, 243, 255, 256, 1000, 4096, 4097, 65535,
           -1, -2, -1000, BIG, SMALL, BIG - 1, 2**30]
CODES = list(range(-2, 10)) + [12, 13, 31, 99, 100, 255, 256, 1000, -1000, BIG, SMALL]
YEARS = [1, 1600, 1899, 1900, 1970, 2000, 2024, 2100, 9999, 10000, 0, -1, -4713, 100000, BIG, SMALL]
PARTS = [0, 1, 2, 3, 7, 12, 13, 23, 24, 28, 29, 30, 31, 32, 52, 53, 59, 60, 365, 366, 367,
         999, 1000, -1, -7, BIG, SMALL]
DATES = [0, 1, 2, 100, 10000, 700000, 738000, 10**9, -1, -100, -10**9, BIG, SMALL, BIG - 1,
         SMALL + 1, SMALL + 2, SMALL + 3]
FLOATS = [0.0, -0.0, 1.5, -1.0, 1e-45, 1e-320, 3.4e38, 3.5e38, 1e308, -1e308, math.inf,
          -math.inf, math.nan, -math.nan, 1, BIG, 2**64]

SEED_OBJECTS = ["NUM", "PREC", "BOOL", "STR", "DAYS", "NL", "SC", "FRM", "GF", "P_ALIAS", "N1",
                "N2", "prec"]
SEED_ATTRIBUTES = ["NOTE", "FLAG", "WHEN", "RATE", "PARTS"]
NAMES = ["NUM", "PREC", "BOOL", "STR", "DAYS", "NL", "SC", "FRM", "GF", "NEW", "N1", "n1",
         "prec", "a", "A.B", "A..B", "A.", ".A", "1A", "_A", "A$%#@", "A B", "A\tB", "",
         " ", "é", "\u4e2d", "\udcff", "A\x00B", "*", "?", "A" * 242, "A" * 243, "A" * 5000,
         "A.B.C.D.E.F", "S1", "db:NUM", "good:PREC", "NUM ", " NUM"]
WILDCARDS = ["*", "?", "??", "N*", "*M", "P?EC", "**", "*?*", "[", "\\", "%", "*.*", "A" * 300,
             "*" * 300, "", "db:*", "é*"]
EXPRESSIONS = ["PREC * 2", "NUM + PREC", "1 / 0", "PREC[1]", "nosuch(1)", "FRM", "GF", "NL",
               "STR", "DAYS + 1", "BOOL and BOOL", "-PREC", "(" * 600 + "1" + ")" * 600,
               "1 +", ")", "\"unterminated", "sum(PREC)", "lag(PREC, 99999999)",
               "PREC" + " + PREC" * 300, "9" * 400, "1e999", "-1e999", "nan", "", "FRM + FRM",
               "db:NUM", "good:PREC", "x" * 5000]
COMMANDS = ["PRINT 1", "PRINT PREC", "EVAL NUM", "LIST", "LIST N*", "SHOW PREC", "SHOW FRM",
            "FREQUENCY DAILY", "FREQUENCY MONTHLY; RANGE 2000M1 2000M12; PRINT BOOL",
            "RANGE ALL", "RANGE 1 0", "SERIES X1 PRECISION", "SCALAR Y1", "FORMULA F1 = PREC + 1",
            "FORMULA F1 = F1", "Z1 = PREC * 3", "COPY PREC P2", "RENAME P2 P3", "DELETE P3",
            "DESCRIBE PREC \"text\"", "INPUT IN1", "POST", "RESTORE", "OPEN main.db",
            "OPEN fresh.db CREATE", "OPEN empty.db UPDATE", "OPEN foreign.db OVERWRITE",
            "OPEN damaged.db READ", "OPEN fifo READ", "USE main.db", "CLOSE", "CLOSE nosuch",
            "NOSUCH", "PRINT", ";;;", "-- comment", "\n\n", "PRINT 1\n" * 200,
            "PRINT \"" + "x" * 5000 + "\"", ""]
DATE_TEXTS = ["2024", "2024M3", "2024Q1", "2024:3", "1jan2024", "01JAN2024", "March 2024",
              "2024-03-01", "2024-03-01 12:00:00", "31feb2024", "0", "-1", "99999999999",
              "", " ", "%", "<YEAR>", "<MONTH> <DAY> <YEAR>", "<FYEAR>:<PERIOD>", "<" * 300,
              "<HOUR>:<MINUTE>:<SECOND>.<MSEC>", "<NTH> <WEEKDAY>", "x" * 5000]
FREQ_TEXTS = ["DAILY", "MONTHLY", "ANNUAL(JULY)", "WEEKLY(FRIDAY)", "BUSINESS", "SECONDLY",
              "2 DAYS", "MONTHLY*3", "nosuch", "", "ANNUAL(", "(" * 200, "x" * 3000]
OPTIONS = [("BUSY_TIMEOUT", "0"), ("BUSY_TIMEOUT", "50"), ("BUSY_TIMEOUT", "-1"),
           ("BUSY_TIMEOUT", "99999999999999999999"), ("DURABILITY", "NORMAL"),
           ("DURABILITY", "FULL"), ("DURABILITY", "nosuch"), ("POST_ON_CLOSE", "YES"),
           ("POST_ON_CLOSE", "NO"), ("NOSUCH", "1"), ("", ""), ("busy_timeout", " 10 ")]
SERVICES = ["", "LOCAL", "local", "LOCAL:main.db", "LOCAL:nosuch.db", "LOCAL:fifo",
            "LOCAL:" + "a" * 5000, "REMOTE", "tcp:1.2.3.4", "x" * 300]
HOSTS = ["", "localhost", "LOCALHOST", "remote.invalid", "127.0.0.1", "x" * 300]
TEXTS = ["", " ", "x", "text with blanks", " " * 64, " " * 243, " " * 300, " " * 5000,
         "é" * 100, "\u4e2d\u6587", "\x00", "A\x00B", "\udcff", "\n\t\r", "%s%n%x",
         "x" * 70000]
BYTES = [b"", b" " * 10, b" " * 300, b"abc", b"\x00\xff", b"a, b", b"x" * 5000]


# Objects that misbehave where the module reads or writes them: the error
# they raise must come out of the call, and nothing may be read past a list.
class Planted(Exception):
    """Raised by the objects below."""


class LyingList(list):
    """Says it is longer than it is."""

    def __len__(self):
        return super().__len__() + 1000


class ShrinkingList(list):
    """Empties itself once its length has been asked."""

    def __len__(self):
        n = super().__len__()
        self.clear()
        return n


class RefusingList(list):
    """Takes no item back."""

    def __setitem__(self, index, value):
        raise Planted("refusing item %r" % (index,))


class OddText(str):
    """Encodes to something other than bytes."""

    def encode(self, *args, **kwargs):
        return "not bytes"


class RaisingText(str):
    def encode(self, *args, **kwargs):
        raise Planted("no encoding")


class BadNumber:
    """Refuses every conversion to a number."""

    def __index__(self):
        raise Planted("no index")

    def __int__(self):
        raise Planted("no int")

    def __float__(self):
        raise Planted("no float")


LIST_SPOILERS = [LyingList, ShrinkingList, RefusingList]
TEXT_SPOILERS = [OddText, RaisingText]
