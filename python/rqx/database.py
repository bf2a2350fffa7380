"""Databases as context managers, objects as their items."""
from __future__ import annotations

import os
from typing import TYPE_CHECKING, Any, Iterator, List, Optional, Union

import pyrqx

from . import _engine, _session
from .errors import NotFoundError
from .frequency import Frequency
from .kinds import BASIS_NAMES, CLASS_NAMES, KINDS, OBSERVED_NAMES, code_of
from .objects import Object

if TYPE_CHECKING:
    import numpy

# Access modes by letter: r read, w write (created when missing), u update
# (must exist), x create (must not exist), n new (overwrites), s shared,
# d direct (every change posted at once).
MODES = {"r": pyrqx.HRMODE, "w": pyrqx.HWMODE, "u": pyrqx.HUMODE, "x": pyrqx.HCMODE,
         "n": pyrqx.HOMODE, "s": pyrqx.HSMODE, "d": pyrqx.HDMODE}


def open(path: Union[str, "os.PathLike[str]"], mode: str = "r") -> "Database":  # noqa: A001
    """Open a database file: ``with rqx.open("prices.db", "w") as db: ...``"""
    return Database(path, mode)


def work() -> "Database":
    """A private database in memory, gone when closed."""
    return Database(None, "work")


class Database:
    """An open database. As a context manager it posts on a normal exit
    (writing modes) and closes; an exception leaves its changes unposted,
    and closing discards them."""

    def __init__(self, path: Optional[Union[str, "os.PathLike[str]"]], mode: str = "r") -> None:
        if mode != "work" and mode not in MODES:
            raise ValueError("mode must be one of %s, not %r" % (", ".join(MODES), mode))
        self.path = None if path is None else os.fspath(path)
        self.mode = mode
        self._key = None
        _session.acquire()
        try:
            key = [0]
            if path is None:
                _engine.classic(pyrqx.qzvopwk, key)
            else:
                _engine.classic(pyrqx.qzvopdb, key, [self.path], MODES[mode])
            self._key = key[0]
        except BaseException:
            _session.release()
            raise

    @property
    def key(self) -> int:
        """The engine's key of this database, for pyrqx calls."""
        if self._key is None:
            raise ValueError("the database %s is closed" % (self.path or "(work)"))
        return self._key

    @property
    def closed(self) -> bool:
        return self._key is None

    # -- lifecycle -----------------------------------------------------------

    def post(self) -> None:
        """Make every change since the last post durable."""
        _engine.classic(pyrqx.qzvpodb, self.key)

    def restore(self) -> None:
        """Discard every change since the last post."""
        _engine.classic(pyrqx.qzvrsdb, self.key)

    def pack(self) -> None:
        """Compact the file (post or restore first)."""
        _engine.classic(pyrqx.qzvpack, self.key)

    def close(self) -> None:
        """Close, discarding unposted changes (unless post-on-close is on).
        Closing twice does nothing."""
        if self._key is None:
            return
        key, self._key = self._key, None
        try:
            _engine.classic(pyrqx.qzvcldb, key)
        finally:
            _session.release()

    def __enter__(self) -> "Database":
        return self

    def __exit__(self, exc_type: Any, exc: Any, tb: Any) -> None:
        try:
            if exc_type is None and not self.closed and self.mode != "r":
                self.post()
        finally:
            self.close()

    # -- properties ----------------------------------------------------------

    def _texts(self):
        lengths = [0], [0]
        _engine.classic(pyrqx.qzvglen, self.key, *lengths)
        desc, doc = [" " * lengths[0][0]], [" " * lengths[1][0]]
        _engine.classic(pyrqx.qzvgdba, self.key, *[[0] for _ in range(6)], desc, doc)
        return desc[0], doc[0]

    def _target(self) -> tuple:
        return (self.key,)

    description = _engine.text_property(0, pyrqx.qzvddes, "The database's description.")
    documentation = _engine.text_property(1, pyrqx.qzvddoc, "The database's documentation.")

    # -- objects -------------------------------------------------------------

    def __getitem__(self, name: str) -> Object:
        self._quick_info(name)  # raises NotFoundError (a KeyError) when absent
        return Object(self, name)

    def __contains__(self, name: object) -> bool:
        try:
            self._quick_info(name)
            return True
        except NotFoundError:
            return False

    def __delitem__(self, name: str) -> None:
        _engine.classic(pyrqx.qzvdlob, self.key, [name])

    def __iter__(self) -> Iterator[str]:
        return iter(self.list())

    def __len__(self) -> int:
        return len(self.list())

    def _quick_info(self, name):
        cells = [[0] for _ in range(5)]
        _engine.extended(pyrqx.zavo_quick_info, self.key, [name], *cells)
        return [c[0] for c in cells]

    def list(self, pattern: str = "*", cls: Optional[str] = None) -> List[str]:
        """Names matching a wildcard (``?`` one character, ``*`` any run), in
        name order; ``cls`` keeps one class ("series", "scalar", ...)."""
        wild = [0]
        only = 0 if cls is None else code_of(CLASS_NAMES, cls, "class")
        _engine.extended(pyrqx.zavo_init_wildcard, self.key, wild, [pattern], only, [" "])
        names: List[str] = []
        try:
            while True:
                room = pyrqx.HNAMLEN
                name, outlen = [" " * room], [0]
                status = pyrqx.zavo_get_next_wildcard(wild[0], name, [0], [0], [0], [0], [0], room, outlen)
                if status == pyrqx.HNOOBJ:
                    return names
                _engine.check(status)
                names.append(name[0])
        finally:
            pyrqx.zavo_free_wildcard(wild[0])

    def create(self, name: str, type: Any = "precision", freq: Any = None, cls: Optional[str] = None,
               basis: Union[str, int] = "undefined", observed: Union[str, int] = "undefined") -> Object:
        """Create an object: a series when it has a frequency, else a scalar.
        ``type`` is a kind name (precision, numeric, boolean, string, date,
        namelist) or, for dates of a frequency, ``("date", freq)``."""
        frequency = Frequency(freq) if freq is not None else None
        class_code = code_of(CLASS_NAMES, cls or ("series" if frequency else "scalar"), "class")
        _engine.classic(pyrqx.qzvnwob, self.key, [name], class_code,
                        frequency.code if frequency else pyrqx.HUNDFX, type_code(type),
                        code_of(BASIS_NAMES, basis, "basis"), code_of(OBSERVED_NAMES, observed, "observed"))
        return Object(self, name)

    def copy(self, name: str, new_name: str, to: Optional["Database"] = None) -> Object:
        """Copy an object with its values and attributes, here or into ``to``."""
        target = to if to is not None else self
        _engine.classic(pyrqx.qzvcpob, self.key, target.key, [name], [new_name])
        return Object(target, new_name)

    def rename(self, name: str, new_name: str) -> Object:
        _engine.classic(pyrqx.qzvrnob, self.key, [name], [new_name])
        return Object(self, new_name)

    # -- values ----------------------------------------------------------------

    def read(self, name: str, start: Any = None, end: Any = None, missing: str = "nan") -> Any:
        """A series as a pandas Series (see :func:`rqx.frames.read`)."""
        return _frames().read(self, name, start=start, end=end, missing=missing)

    def write(self, name: str, data: Any, start: Any = None, freq: Any = None, type: Any = None,
              missing_as: str = "NA") -> Object:
        """Write a pandas Series, or a numpy array from ``start`` (see
        :func:`rqx.frames.write`); creates the series when it is missing."""
        return _frames().write(self, name, data, start=start, freq=freq, type=type,
                               missing_as=missing_as)

    def values(self, name: str, start: Any = None, end: Any = None) -> "numpy.ndarray[Any, Any]":
        """The raw values as a numpy array, missing values as the engine's
        codes (the fast path: no Python object per value)."""
        return _frames().read_array(self, name, start=start, end=end)

    # -- the command language ----------------------------------------------------

    def formula(self, name: str, source: str) -> Object:
        """Create a formula object computed from ``source``."""
        _engine.extended(pyrqx.zavo_create_formula, self.key, [name], [source])
        return Object(self, name)

    def eval(self, expression: str, name: str = "RESULT") -> Any:
        """Evaluate an expression into a work database and read the result."""
        with work() as scratch:
            _engine.classic(pyrqx.qzvrmev, self.key, [expression], [""], scratch.key, [name])
            return scratch.read(name)

    def __repr__(self):
        state = "closed" if self.closed else "mode %r" % self.mode
        return "<rqx database %s, %s>" % (self.path or "(work)", state)


def _frames() -> Any:
    """The pandas and numpy half of the package, loaded when first used."""
    try:
        from . import frames
    except ImportError as error:
        raise ImportError("reading and writing values needs numpy and pandas: "
                          "pip install 'pyrqx[frames]' (%s)" % error) from error
    return frames


def type_code(value):
    """An object type from a kind name, a frequency for dates, or a code."""
    if isinstance(value, int):
        return value
    if isinstance(value, tuple) and value[0] == "date":
        return Frequency(value[1]).code
    if value == "namelist":
        return pyrqx.HNAMEL
    if value in KINDS:
        return KINDS[value].type_code
    raise ValueError("unknown type %r (known: %s, namelist, or (\"date\", freq))"
                     % (value, ", ".join(KINDS)))
