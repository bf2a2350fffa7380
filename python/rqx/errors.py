"""Exceptions of the package: one base class, one subclass per family.

Every failure the engine reports becomes an :class:`Error` carrying the
status code (``status``), the status constant's name (``status_name``) and
the engine's own error text (``text``). The subclasses group the statuses
users handle differently; a status outside every family raises the base.
Families that mean "no such thing" are also :class:`KeyError`, so a missing
object behaves like a missing mapping key.
"""
from __future__ import annotations

from typing import Dict

import pyrqx


class Error(Exception):
    """A failure reported by the engine."""

    def __init__(self, status: int, text: str = "") -> None:
        self.status = status
        self.status_name = _status_names().get(status, str(status))
        self.text = text
        super().__init__("%s (%s)" % (text or "the engine failed", self.status_name))

    def __str__(self) -> str:
        return self.args[0]


class NotFoundError(Error, KeyError):
    """No such object, attribute, database file, element or search."""


class ExistsError(Error):
    """The name is taken: an object or alias, or a database to create."""


class LockedError(Error):
    """Another writer holds the database."""


class ReadOnlyError(Error):
    """The database was opened for reading, or the file cannot be written."""


class RangeError(Error, ValueError):
    """A bad date, period, year, range or observation count."""


class BadNameError(Error, ValueError):
    """A name the engine does not accept (object, attribute, pattern)."""


class TypeMismatchError(Error, TypeError):
    """A value, class, type or frequency that does not fit the object."""


class FileError(Error, OSError):
    """A database file that cannot be opened as one."""


class NotSupportedError(Error):
    """The engine does not provide this yet."""


class SessionError(Error):
    """The session is not running, or was already started."""


# The statuses of each family, by constant name.
_FAMILIES = {
    NotFoundError: "HNOOBJ HBATTR HRNEXI HBINDX HNWILD",
    ExistsError: "HOEXI HCEXI HDUP",
    LockedError: "HLOCKD HFUSE",
    ReadOnlyError: "HREADO",
    RangeError: "HBSRNG HBERNG HBNRNG HBRNG HBDATE HBYEAR HBPER HBDAY HBMONT HBTIME HBUNIT",
    BadNameError: "HBOBJT HNTOOLONG",
    TypeMismatchError: "HBCLAS HBTYPE HBATYP HBFREQ HBBASI HBOBSV HBMISS HBADVAL",
    FileError: "HBFILE HNZVDB HBVER",
    NotSupportedError: "HNSUPP",
    SessionError: "HNINIT HINITD",
}


def _build_classes():
    table = {}
    for cls, names in _FAMILIES.items():
        for name in names.split():
            table[getattr(pyrqx, name)] = cls
    return table


_CLASS_OF_STATUS = _build_classes()
_NAMES: Dict[int, str] = {}


def _status_names():
    """Status code to constant name. The module lists its constants in the
    interface's order, statuses first, from HSUCC to HZAVOR; other groups
    reuse the same small numbers, so only that run names statuses."""
    if not _NAMES:
        names = list(vars(pyrqx))
        for name in names[names.index("HSUCC"):names.index("HZAVOR") + 1]:
            _NAMES.setdefault(getattr(pyrqx, name), name)
    return _NAMES


def error_for(status: int, text: str = "") -> Error:
    """The exception for a status: its family's class, or the base class."""
    return _CLASS_OF_STATUS.get(status, Error)(status, text)
