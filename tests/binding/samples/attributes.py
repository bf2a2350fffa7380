"""Samples: attributes."""
from . import cell, const, sample

S = ("status", cell(None))
DB = ("dbkey", const(1))
OBJ = ("objnam", cell("OBJ"))
ATT = ("attnam", cell("ATT"))


def by_code_get(value):
    return sample(S, DB, OBJ, ("atttyp", cell(0)), ATT, ("value", cell(value)),
                  ("inlen", const(8)), ("outlen", cell(0)), library="qzvgtatt_f")


def by_code_set(value):
    return sample(S, DB, OBJ, ("atttyp", const(1)), ATT, ("value", cell(value)),
                  library="qzvsatt_f")


def typed(*params):
    return sample(DB, OBJ, ATT, *params)


SAMPLES = {
    "qzvgtatt_int": by_code_get(0),
    "qzvgtatt_float": by_code_get(0.0),
    "qzvgtatt_double": by_code_get(0.0),
    "qzvgtatt_char": by_code_get(b" " * 8),
    "qzvsatt_int": by_code_set(3),
    "qzvsatt_float": by_code_set(1.5),
    "qzvsatt_double": by_code_set(2.5),
    "qzvsatt_char": by_code_set(b"text"),
    "qzvlatt": sample(S, DB, OBJ, ("atttyp", const(1)), ATT, ("attlen", cell(0))),
    "zavo_get_boolean_attribute": typed(("value", cell(0))),
    "zavo_get_date_attribute": typed(("value", cell(0)), ("freq", cell(0))),
    "zavo_get_namelist_attribute": typed(("value", cell(" " * 16)), ("inlen", const(16)),
                                         ("outlen", cell(0))),
    "zavo_get_numeric_attribute": typed(("value", cell(0.0))),
    "zavo_get_precision_attribute": typed(("value", cell(0.0))),
    "zavo_get_string_attribute": typed(("value", cell(" " * 16)), ("inlen", const(16)),
                                       ("outlen", cell(0))),
    "zavo_set_boolean_attribute": typed(("value", const(1))),
    "zavo_set_date_attribute": typed(("value", const(100)), ("freq", const(129))),
    "zavo_set_namelist_attribute": typed(("value", cell("A,B"))),
    "zavo_set_numeric_attribute": typed(("value", const(1.5))),
    "zavo_set_precision_attribute": typed(("value", const(2.5))),
    "zavo_set_string_attribute": typed(("value", cell("text"))),
}
