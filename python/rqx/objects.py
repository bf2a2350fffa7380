"""Objects of a database as Python objects: properties, texts, aliases and
attributes. An :class:`Object` holds only its database and name; every
property asks the engine, so it always tells the current state."""
from __future__ import annotations

import datetime
import numbers
from typing import TYPE_CHECKING, Any, List, Optional, Tuple

import pyrqx

from . import _dates, _engine
from .errors import NotFoundError, NotSupportedError
from .frequency import Frequency
if TYPE_CHECKING:
    from .database import Database
from .kinds import BASIS_NAMES, CLASS_NAMES, OBSERVED_NAMES, TYPE_NAMES, code_of, kind_of_type


class Object:
    """One object of a database, as ``db["GDP"]`` gives it."""

    def __init__(self, db: "Database", name: str) -> None:
        self._db = db
        self._name = name

    # -- properties --------------------------------------------------------

    def _info(self):
        """zavo_info's codes: class, type, freq, first, last, basis, observed,
        created, modified."""
        cells = [[0] for _ in range(9)]
        _engine.extended(pyrqx.zavo_info, self._db.key, [self._name], *cells,
                         [" "], 0, [0], [" "], 0, [0], allowed=(pyrqx.HTRUNC,))
        return [c[0] for c in cells]

    @property
    def name(self) -> str:
        """The object's own name (an alias leads to it)."""
        return _engine.read_text(lambda cell, room, outlen: pyrqx.zavo_get_real_name(
            self._db.key, [self._name], cell, room, outlen))

    @property
    def cls(self) -> str:
        """series, scalar, formula, global name or global formula."""
        return CLASS_NAMES.get(self._info()[0], str(self._info()[0]))

    @property
    def type(self) -> str:
        """precision, numeric, boolean, string, namelist, date (any int) or
        a frequency's name for dates of that frequency."""
        code = self._info()[1]
        if code in TYPE_NAMES:
            return TYPE_NAMES[code]
        return "date:" + Frequency(code).name

    @property
    def kind(self) -> Any:
        """The value kind (rqx.kinds.KINDS row), None when it holds none."""
        return kind_of_type(self._info()[1])

    @property
    def frequency(self) -> Optional[Frequency]:
        """The object's Frequency, None for an undated scalar."""
        code = self._info()[2]
        return Frequency(code) if code != pyrqx.HUNDFX else None

    @property
    def span(self) -> Optional[Tuple[int, int]]:
        """(first, last) engine indexes of the stored observations, or None."""
        first, last = self._info()[3:5]
        return None if first == pyrqx.ZAVO_INDEX_ND() else (first, last)

    @property
    def first(self) -> Optional[str]:
        """The first observation's literal (2020M07, 2020-07-31), or None."""
        span = self.span
        return _dates.literal_of(self._info()[2], span[0]) if span else None

    @property
    def last(self) -> Optional[str]:
        """The last observation's literal, or None."""
        span = self.span
        return _dates.literal_of(self._info()[2], span[1]) if span else None

    def __len__(self) -> int:
        span = self.span
        return span[1] - span[0] + 1 if span else 0

    @property
    def basis(self) -> Optional[str]:
        return BASIS_NAMES.get(self._info()[5])

    @basis.setter
    def basis(self, value: Any) -> None:
        _engine.classic(pyrqx.qzvsbas, self._db.key, [self._name], code_of(BASIS_NAMES, value, "basis"))

    @property
    def observed(self) -> Optional[str]:
        return OBSERVED_NAMES.get(self._info()[6])

    @observed.setter
    def observed(self, value: Any) -> None:
        _engine.classic(pyrqx.qzvsobs, self._db.key, [self._name],
                        code_of(OBSERVED_NAMES, value, "observed"))

    @property
    def created(self) -> datetime.datetime:
        """When the object was created (UTC datetime, to the second)."""
        return _dates.stamp_of_seconds(self._info()[7])

    @property
    def modified(self) -> datetime.datetime:
        """When the object last changed (UTC datetime, to the second)."""
        return _dates.stamp_of_seconds(self._info()[8])

    # -- texts ---------------------------------------------------------------

    def _texts(self):
        lengths = [0], [0]
        _engine.classic(pyrqx.qzvdlen, self._db.key, [self._name], *lengths)
        desc, doc = [" " * lengths[0][0]], [" " * lengths[1][0]]
        cells = [[0] for _ in range(9)]
        _engine.extended(pyrqx.zavo_info, self._db.key, [self._name], *cells,
                         desc, lengths[0][0], [0], doc, lengths[1][0], [0])
        return desc[0], doc[0]

    def _target(self) -> tuple:
        return (self._db.key, [self._name])

    description = _engine.text_property(0, pyrqx.qzvsdes, "The object's description.")
    documentation = _engine.text_property(1, pyrqx.qzvsdoc, "The object's documentation.")

    @property
    def aliases(self) -> List[str]:
        """Other names of the object, as a list; assign a list to replace them."""
        return _split_names(_engine.read_text(lambda cell, room, outlen: _status_of(
            pyrqx.qzvgtali, self._db.key, [self._name], cell, room, outlen)))

    @aliases.setter
    def aliases(self, names: List[str]) -> None:
        _engine.classic(pyrqx.qzvsali, self._db.key, [self._name], [",".join(names)])

    @property
    def attrs(self) -> "Attributes":
        """The object's attributes: ``obj.attrs["SOURCE"] = "ONS"``."""
        return Attributes(self._db, self._name)

    # -- values --------------------------------------------------------------

    def read(self, **options: Any) -> Any:
        """The values as pandas (see Database.read)."""
        return self._db.read(self._name, **options)

    def write(self, data: Any, **options: Any) -> "Object":
        """Write values (see Database.write)."""
        return self._db.write(self._name, data, **options)

    def __repr__(self):
        return "<rqx object %s: %s %s>" % (self._name, self.cls, self.type)


def _status_of(function, *args):
    """A classic call's status, for read_text."""
    status = [0]
    function(status, *args)
    return status[0]


def _split_names(text):
    return text.split(",") if text else []


class Attributes:
    """The attributes of one object, by name (letter case does not matter).

    Values come back as Python values of their kind: float (precision and
    numeric), bool, str, list of names (namelist), and dates as a pair
    ``(Frequency, index)`` through :meth:`date`, or as the period's literal.
    Setting picks the kind from the value: bool, int or float (precision),
    str, list or tuple of names (namelist). The engine lists no attribute
    names and removes none, so this is not a full mapping.
    """

    def __init__(self, db: "Database", name: str) -> None:
        self._db = db
        self._name = name

    def type_code(self, attr: str) -> int:
        """The attribute's type code (HPRECN, HSTRNG, a frequency, ...)."""
        atttyp = [pyrqx.HBOOLN]
        status = [0]
        pyrqx.qzvgtatt_int(status, self._db.key, [self._name], atttyp, [attr], [0], 0, [0])
        _engine.check(status, allowed=(pyrqx.HBATYP,))
        return atttyp[0]

    def __getitem__(self, attr: str) -> Any:
        code = self.type_code(attr)
        if code in _GETTERS:
            return _GETTERS[code](self, attr)
        freq, index = self.date(attr)
        return _dates.literal_of(freq.code, index)

    def date(self, attr: str) -> Tuple[Frequency, int]:
        """A date attribute as (Frequency, index)."""
        value, freq = [0], [0]
        _engine.extended(pyrqx.zavo_get_date_attribute, self._db.key, [self._name], [attr], value, freq)
        return Frequency(freq[0]), value[0]

    def set_date(self, attr: str, freq: Any, index: int) -> None:
        """Set a date attribute: a period index of a frequency."""
        _engine.extended(pyrqx.zavo_set_date_attribute, self._db.key, [self._name], [attr], index,
                         Frequency(freq).code)

    def __setitem__(self, attr: str, value: Any) -> None:
        for accepts, setter in _SETTERS:
            if accepts(value):
                _engine.extended(setter, self._db.key, [self._name], [attr], _setter_value(value))
                return
        raise TypeError("an attribute holds a bool, number, str or list of names, not %s"
                        % type(value).__name__)

    def __contains__(self, attr: str) -> bool:
        try:
            self.type_code(attr)
            return True
        except NotFoundError:
            return False

    def get(self, attr: str, default: Any = None) -> Any:
        try:
            return self[attr]
        except NotFoundError:
            return default

    def __delitem__(self, attr: str) -> None:
        raise NotSupportedError(pyrqx.HNSUPP, "the engine keeps attributes until their object is deleted")


def _get_number(function):
    def get(attrs, attr):
        value = [0.0]
        _engine.extended(function, attrs._db.key, [attrs._name], [attr], value)
        return value[0]
    return get


def _get_boolean(attrs, attr):
    value = [0]
    _engine.extended(pyrqx.zavo_get_boolean_attribute, attrs._db.key, [attrs._name], [attr], value)
    return bool(value[0]) if value[0] in (0, 1) else None


def _get_text(function, convert):
    def get(attrs, attr):
        return convert(_engine.read_text(lambda cell, room, outlen: function(
            attrs._db.key, [attrs._name], [attr], cell, room, outlen)))
    return get


_GETTERS = {
    pyrqx.HPRECN: _get_number(pyrqx.zavo_get_precision_attribute),
    pyrqx.HNUMRC: _get_number(pyrqx.zavo_get_numeric_attribute),
    pyrqx.HBOOLN: _get_boolean,
    pyrqx.HSTRNG: _get_text(pyrqx.zavo_get_string_attribute, str),
    pyrqx.HNAMEL: _get_text(pyrqx.zavo_get_namelist_attribute, _split_names),
}

# Which setter takes which Python value, in order (bool before int).
_SETTERS = [
    (lambda v: isinstance(v, bool), pyrqx.zavo_set_boolean_attribute),
    (lambda v: isinstance(v, numbers.Real), pyrqx.zavo_set_precision_attribute),
    (lambda v: isinstance(v, str), pyrqx.zavo_set_string_attribute),
    (lambda v: isinstance(v, (list, tuple)) and all(isinstance(n, str) for n in v),
     pyrqx.zavo_set_namelist_attribute),
]


def _setter_value(value):
    if isinstance(value, str):
        return [value]
    if isinstance(value, (list, tuple)):
        return [",".join(value)]
    if isinstance(value, bool):
        return int(value)
    return float(value)
