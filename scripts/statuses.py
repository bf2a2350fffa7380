#!/usr/bin/env python3
"""The statuses each function of the interface can return: one listing,
docs/statuses.list, read by the status test and rendered into the table
"Statuses of every function" of docs/engine.md.

Usage: scripts/statuses.py           rewrites that table from the listing
       scripts/statuses.py --check   exits 1 when the table is not current

The listing, one statement a line ('#' starts a comment):

    group NAME: CODE ... @GROUP ...        a name for several statuses
    FUNCTION ...: CODE ... @GROUP ...      what these functions can return
    unproducible CODE [FUNCTION ...]: why  listed, but no test can cause it
                                           (for these functions; none: all)
    unproducible CODE except FUNCTION ...: why   the same, for all but these

Each function of src/crqx/crqx_functions.def has exactly one row. Another
part (connections, say) adds its rows, and its groups, in its own block.
"""
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
LISTING = ROOT / "docs" / "statuses.list"
DOC = ROOT / "docs" / "engine.md"
FUNCTIONS_DEF = ROOT / "src" / "crqx" / "crqx_functions.def"
BEGIN = "<!-- generated from docs/statuses.list by scripts/statuses.py: edit the listing, not this table -->"
END = "<!-- end of the generated table -->"

CODE = re.compile(r"^H[A-Z0-9_]+$")


class ListingError(ValueError):
    pass


def interface_parts(path=FUNCTIONS_DEF):
    """[(part title, [function, ...])] in the order of the interface."""
    parts = []
    for line in Path(path).read_text().splitlines():
        heading = re.match(r"^/\* (.+?)(?::.*)? \*/$", line)
        row = re.match(r"^CRQX_(?:CLASSIC|EXTENDED)\((\w+),", line)
        if heading:
            parts.append((heading.group(1), []))
        elif row:
            parts[-1][1].append(row.group(1))
    return parts


class Listing:
    def __init__(self, text):
        self.groups = {}
        self.rows = {}  # function -> set of codes
        self.unproducible = []  # (code, functions or None, reason)
        for number, line in enumerate(text.splitlines(), 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            try:
                self._statement(line)
            except ListingError as e:
                raise ListingError(f"statuses.list line {number}: {e}") from None

    def _statement(self, line):
        head, sep, tail = line.partition(":")
        if not sep:
            raise ListingError(f"no ':' in {line!r}")
        words = head.split()
        if words[0] == "unproducible":
            if len(words) < 2 or not CODE.match(words[1]):
                raise ListingError("unproducible needs a status")
            if words[2:3] == ["except"]:
                self.unproducible.append((words[1], ("except", set(words[3:])), tail.strip()))
            else:
                self.unproducible.append((words[1], set(words[2:]) or None, tail.strip()))
        elif words[0] == "group":
            self.groups[words[1]] = self._codes(tail)
        else:
            codes = self._codes(tail)
            for function in words:
                if function in self.rows:
                    raise ListingError(f"{function} has two rows")
                self.rows[function] = codes

    def _codes(self, text):
        codes = set()
        for word in text.split():
            if word.startswith("@"):
                if word[1:] not in self.groups:
                    raise ListingError(f"unknown group {word}")
                codes |= self.groups[word[1:]]
            elif CODE.match(word):
                codes.add(word)
            else:
                raise ListingError(f"{word!r} is no status")
        return codes

    def statuses(self, function):
        """Every status the listing gives `function`."""
        return set(self.rows[function])

    def why_unproducible(self, function, code):
        """The reason `code` is marked unproducible for `function`, or None."""
        for listed, functions, reason in self.unproducible:
            if listed == code and applies(functions, function):
                return reason
        return None

    def producible(self, function):
        return {c for c in self.statuses(function) if self.why_unproducible(function, c) is None}


def applies(functions, function):
    if functions is None:
        return True
    if isinstance(functions, tuple):  # ("except", functions)
        return function not in functions[1]
    return function in functions


def load(path=LISTING):
    return Listing(Path(path).read_text())


ORDER = ["HSUCC"]  # success first, the rest by name


def codes_text(codes):
    ordered = sorted(codes, key=lambda c: (c not in ORDER, c))
    return ", ".join(f"`{c}`" for c in ordered) or "-"


def render(listing, parts):
    out = [BEGIN, ""]
    for title, functions in parts:
        out += [f"**{title}**", "", "| Function | Statuses | Listed, not produced by the tests |",
                "|---|---|---|"]
        merged = []  # consecutive functions with the same statuses share a row
        for f in functions:
            key = (frozenset(listing.producible(f)), frozenset(listing.statuses(f)))
            if merged and merged[-1][1] == key:
                merged[-1][0].append(f)
            else:
                merged.append(([f], key))
        for names, (producible, every) in merged:
            out.append(f"| {', '.join(f'`{n}`' for n in names)} | {codes_text(producible)} | "
                       f"{codes_text(every - producible)} |")
        out.append("")
    out += ["Why no test produces these:", "", "| Status | Functions | Why |", "|---|---|---|"]
    for code, functions, reason in listing.unproducible:
        if functions is None:
            who = "every function listing it"
        elif isinstance(functions, tuple):
            who = "every function listing it except " + ", ".join(f"`{f}`" for f in sorted(functions[1]))
        else:
            who = ", ".join(f"`{f}`" for f in sorted(functions))
        out.append(f"| `{code}` | {who} | {reason} |")
    out += ["", END]
    return "\n".join(out)


def with_table(doc_text, table):
    start, end = doc_text.find(BEGIN), doc_text.find(END)
    if start < 0 or end < start:
        raise ListingError(f"{DOC.name} has no generated status table (its markers are missing)")
    return doc_text[:start] + table + doc_text[end + len(END):]


def check_rows_cover_interface(listing, parts):
    every = [f for _, functions in parts for f in functions]
    missing = [f for f in every if f not in listing.rows]
    unknown = sorted(set(listing.rows) - set(every))
    if missing or unknown:
        raise ListingError(f"statuses.list: no row for {missing}; rows for no function {unknown}")


def row_functions(cell, known):
    """The functions a table cell names: `qzvsrng`, and the short forms
    `..._precisions` (the previous name with its last part replaced) and
    `..._from_end_numobs` (the previous name from the part it repeats)."""
    names = []
    for word in re.findall(r"`([\w.]+)`", cell):
        if word.startswith("...") and names:
            tail = word[3:]
            head = tail.strip("_").split("_")[0]
            prev = names[-1]
            cut = prev.find("_" + head + "_")
            word = (prev[:cut] if cut > 0 else prev[:prev.rfind("_")]) + tail
        if word in known:
            names.append(word)
    return names


def prose_contradictions(doc_text, listing):
    """Rows of the hand-written status tables that name a status the
    listing does not give any of the row's functions."""
    doc_text = doc_text[:doc_text.find(BEGIN)] + doc_text[doc_text.find(END):]
    found = []
    columns = []
    vocabulary = set().union(*listing.rows.values())  # statuses, not type codes like HDATE
    for line in doc_text.splitlines():
        if not line.startswith("|"):
            columns = []
            continue
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if not columns:
            columns = cells
            continue
        if set(line) <= set("|-: "):
            continue
        if columns[-1].split()[0] not in ("Statuses", "Besides") or len(cells) != len(columns):
            continue
        functions = row_functions(cells[0], listing.rows)
        if not functions:
            continue
        allowed = set().union(*(listing.statuses(f) for f in functions))
        codes = set(re.findall(r"`(H[A-Z0-9_]+)`", cells[-1])) & vocabulary
        for code in sorted(codes - allowed):
            found.append(f"{', '.join(functions)}: {code}")
    return found


def main(argv):
    listing, parts = load(), interface_parts()
    check_rows_cover_interface(listing, parts)
    current = DOC.read_text()
    wanted = with_table(current, render(listing, parts))
    wrong = prose_contradictions(current, listing)
    if wrong:
        print("status tables of engine.md list what the listing does not:\n  " + "\n  ".join(wrong),
              file=sys.stderr)
    if "--check" in argv:
        if wanted != current:
            print(f"{DOC} is not current: run scripts/statuses.py", file=sys.stderr)
            return 1
        return 1 if wrong else 0
    DOC.write_text(wanted)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
