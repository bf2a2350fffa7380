"""rqx: the time-series database for Python programs.

::

    import rqx

    with rqx.open("prices.db", "w") as db:
        db.write("GDP", series)          # a pandas Series with a PeriodIndex
        gdp = db.read("GDP")             # and back
        db["GDP"].description = "Gross domestic product"

Built on pyrqx, the exact C interface; ``db.key`` is the database key pyrqx's
functions take, so both can be used together.
"""
from ._session import Session, set_options
from .database import MODES, Database, open, work
from .errors import (Error, ExistsError, FileError, LockedError, BadNameError, NotFoundError,
                     NotSupportedError, RangeError, ReadOnlyError, SessionError, TypeMismatchError)
from .frequency import Frequency
from .objects import Attributes, Object

__all__ = [
    "Attributes", "Database", "Error", "ExistsError", "FileError", "Frequency", "LockedError", "MODES",
    "BadNameError", "NotFoundError", "NotSupportedError", "Object", "RangeError", "ReadOnlyError",
    "Session", "SessionError", "TypeMismatchError", "open", "set_options", "work",
]
