"""Value kinds of series and scalars: one row each, with the engine's type
code, the accelerator's letter, the numpy type of a value and the kind's
three missing-value codes (NC, ND, NA, in the engine's order)."""
import pyrqx

MISSING_NAMES = ("NC", "ND", "NA")


class Kind:
    __slots__ = ("name", "type_code", "letter", "numpy_type", "missing")

    def __init__(self, name, type_code, letter, numpy_type, missing):
        self.name = name
        self.type_code = type_code
        self.letter = letter          # the accelerator's kind, None for strings
        self.numpy_type = numpy_type  # the array type the engine fills
        self.missing = missing        # NC, ND, NA codes

    def __repr__(self):
        return "<kind %s>" % self.name


KINDS = {
    kind.name: kind
    for kind in [
        Kind("precision", pyrqx.HPRECN, "p", "float64", (pyrqx.FPRCNC(), pyrqx.FPRCND(), pyrqx.FPRCNA())),
        Kind("numeric", pyrqx.HNUMRC, "n", "float32", (pyrqx.FNUMNC(), pyrqx.FNUMND(), pyrqx.FNUMNA())),
        Kind("boolean", pyrqx.HBOOLN, "b", "int32", (pyrqx.FBOONC(), pyrqx.FBOOND(), pyrqx.FBOONA())),
        Kind("date", pyrqx.HDATE, "d", "int32", (pyrqx.FDATNC(), pyrqx.FDATND(), pyrqx.FDATNA())),
        Kind("string", pyrqx.HSTRNG, None, "object",
             tuple(code().decode() for code in (pyrqx.FSTRNC, pyrqx.FSTRND, pyrqx.FSTRNA))),
    ]
}
_BY_CODE = {kind.type_code: kind for kind in KINDS.values()}

TYPE_NAMES = {pyrqx.HUNDFT: "undefined", pyrqx.HNAMEL: "namelist"}
TYPE_NAMES.update({kind.type_code: kind.name for kind in KINDS.values()})
CLASS_NAMES = {pyrqx.HSERIE: "series", pyrqx.HSCALA: "scalar", pyrqx.HFRMLA: "formula",
               pyrqx.HGLNAM: "global name", pyrqx.HGLFOR: "global formula"}
BASIS_NAMES = {pyrqx.HBSUND: "undefined", pyrqx.HBSDAY: "daily", pyrqx.HBSBUS: "business"}
OBSERVED_NAMES = {pyrqx.HOBUND: "undefined", pyrqx.HOBBEG: "beginning", pyrqx.HOBEND: "end",
                  pyrqx.HOBAVG: "averaged", pyrqx.HOBSUM: "summed", pyrqx.HOBANN: "annualized",
                  pyrqx.HOBFRM: "formula", pyrqx.HOBHI: "high", pyrqx.HOBLO: "low"}


def kind_of_type(type_code):
    """The kind of an object type; a frequency code means dates of it.
    None for types that hold no values (namelists, undefined)."""
    if type_code in _BY_CODE:
        return _BY_CODE[type_code]
    if type_code in TYPE_NAMES:
        return None
    return KINDS["date"]


def code_of(table, value, what):
    """The engine code for a name of one of the tables above (or a code)."""
    if isinstance(value, int):
        return value
    for code, name in table.items():
        if name == str(value).lower():
            return code
    raise ValueError("unknown %s %r (known: %s)" % (what, value, ", ".join(table.values())))
