"""Frequencies: the engine's codes, their names, and pandas' period aliases.

A :class:`Frequency` wraps one engine code. Those pandas also has (daily,
business, weekly, monthly, quarterly, annual and intraday units with their
multiples) carry a pandas alias and the constant offset between the two
numberings; the others are the package's own (see :mod:`rqx.frames`).
"""
from __future__ import annotations

from typing import Any, Optional

import pyrqx

from . import _engine

_WEEKDAYS = ["SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"]
_MONTHS = ["JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"]
# Quarterly cycles by the month ending their first quarter of the year.
_QUARTER_CYCLES = [pyrqx.HQTOCT, pyrqx.HQTNOV, pyrqx.HQTDEC]
_INTRADAY_ALIASES = {pyrqx.HHOUR: "h", pyrqx.HMIN: "min", pyrqx.HSEC: "s", pyrqx.HMSEC: "ms"}


def _pandas_aliases():
    """Engine code to pandas' period alias, for the calendars both have."""
    aliases = {pyrqx.HDAILY: "D", pyrqx.HBUSNS: "B", pyrqx.HMONTH: "M"}
    aliases.update(_INTRADAY_ALIASES)
    for i, day in enumerate(_WEEKDAYS):
        aliases[pyrqx.HWKSUN + i] = "W-" + day
    for i, month in enumerate(_MONTHS):
        aliases[pyrqx.HANJAN + i] = "Y-" + month
    for cycle, month in zip(_QUARTER_CYCLES, ["OCT", "NOV", "DEC"]):
        aliases[cycle] = "Q-" + month
    return aliases


_ALIAS_OF_CODE = _pandas_aliases()


def _codes_of_aliases():
    """pandas alias to engine code; every Q-xxx names one of three cycles."""
    codes = {alias: code for code, alias in _ALIAS_OF_CODE.items()}
    for i, month in enumerate(_MONTHS):
        codes["Q-" + month] = _QUARTER_CYCLES[i % 3]
    codes.update({"W": pyrqx.HWKSUN, "Q": pyrqx.HQTDEC, "Y": pyrqx.HANDEC, "H": pyrqx.HHOUR,
                  "T": pyrqx.HMIN, "S": pyrqx.HSEC, "L": pyrqx.HMSEC})
    return codes


_CODE_OF_ALIAS = _codes_of_aliases()


class Frequency:
    """One frequency of the engine, by code.

    ``Frequency("MONTHLY")``, ``Frequency("Q-DEC")``, ``Frequency("15min")``
    and ``Frequency(pyrqx.HMONTH)`` all work; a text the engine does not read
    raises :class:`rqx.TypeMismatchError`.
    """

    __slots__ = ("code", "base", "multiple")

    def __init__(self, value: Any) -> None:
        if isinstance(value, Frequency):
            code = value.code
        elif isinstance(value, str):
            code = _code_of_text(value)
        else:
            code = int(value)
        base, multiple = [0], [0]
        _engine.classic(pyrqx.qzvufrq, code, base, multiple, [0], [0])
        self.code: int = code
        self.base: int = base[0]
        self.multiple: int = multiple[0]

    @property
    def name(self) -> str:
        """The engine's name: MONTHLY, QUARTERLY(DECEMBER), 15 MINUTELY, ..."""
        text = _engine.read_text(
            lambda cell, room, outlen: pyrqx.zavo_type_to_string(self.code, cell, room, outlen))
        return text[len("DATE:"):] if text.startswith("DATE:") else text

    @property
    def pandas_alias(self) -> Optional[str]:
        """pandas' period alias (``"M"``, ``"Q-DEC"``, ``"15min"``), or None
        when pandas has no such periods."""
        if self.code in _ALIAS_OF_CODE:
            return _ALIAS_OF_CODE[self.code]
        if self.base in _INTRADAY_ALIASES:
            return "%d%s" % (self.multiple, _INTRADAY_ALIASES[self.base])
        return None

    @property
    def is_case(self) -> bool:
        """An undated frequency: its indexes are case numbers."""
        return self.code == pyrqx.HCASEX

    @property
    def is_intraday(self) -> bool:
        return self.base in _INTRADAY_ALIASES

    def __eq__(self, other: object) -> bool:
        return isinstance(other, Frequency) and other.code == self.code

    def __hash__(self) -> int:
        return hash(self.code)

    def __repr__(self) -> str:
        return "Frequency(%r)" % self.name


def _code_of_text(text):
    """A pandas alias (with an optional multiple) or the engine's own text."""
    stripped = text.strip()
    digits = len(stripped) - len(stripped.lstrip("0123456789"))
    multiple, alias = stripped[:digits], stripped[digits:]
    code = _CODE_OF_ALIAS.get(alias)
    if code is not None and (not multiple or code in _INTRADAY_ALIASES):
        if multiple and int(multiple) != 1:
            built = [0]
            _engine.classic(pyrqx.qzvpfrq, built, code, int(multiple), 0, 0)
            return built[0]
        return code
    freq = [0]
    _engine.extended(pyrqx.zavo_parse_frequency, freq, [text])
    return freq[0]


def pandas_code(alias):
    """The engine code for a pandas period alias, None when it has none."""
    try:
        return _code_of_text(alias)
    except Exception:
        return None
