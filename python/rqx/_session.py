"""The engine's session: started when the package first needs it, ended when
the last user lets go (only when the package started it)."""
from __future__ import annotations

from typing import Any, Callable, Dict, Tuple

import pyrqx

from . import _engine

_state = {"users": 0, "owned": False}

# Session options by keyword, with how a Python value becomes option text.
_OPTIONS: Dict[str, Tuple[str, Callable[[Any], str]]] = {
    "busy_timeout": ("BUSY_TIMEOUT", str),
    "durability": ("DURABILITY", str),
    "post_on_close": ("POST_ON_CLOSE", lambda on: "YES" if on else "NO"),
}


def acquire():
    """One more user of the session; starts it for the first."""
    if _state["users"] == 0:
        status = [0]
        pyrqx.qzvini(status)
        # A session someone else started (through pyrqx) is used, not owned.
        _state["owned"] = _engine.check(status, allowed=(pyrqx.HINITD,)) == pyrqx.HSUCC
    _state["users"] += 1


def release():
    """One user fewer; the last one ends a session the package started."""
    _state["users"] -= 1
    if _state["users"] == 0 and _state["owned"]:
        _state["owned"] = False
        _engine.classic(pyrqx.qzvfin)


def set_options(**options: Any) -> None:
    """Set session options: busy_timeout (ms), durability, post_on_close."""
    for keyword, value in options.items():
        if keyword not in _OPTIONS:
            raise TypeError("unknown session option %r (known: %s)" % (keyword, ", ".join(_OPTIONS)))
        name, to_text = _OPTIONS[keyword]
        _engine.classic(pyrqx.qzvsopt, [name], [to_text(value)])


class Session:
    """The engine's session as a context manager, with its options::

        with rqx.Session(busy_timeout=5000):
            ...

    Databases opened inside share it; it ends with the block unless another
    user (an open database, an outer block) still holds it.
    """

    def __init__(self, **options: Any) -> None:
        self._options = options
        self._entered = False

    def __enter__(self) -> "Session":
        acquire()
        self._entered = True
        try:
            set_options(**self._options)
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc: Any) -> None:
        if self._entered:
            self._entered = False
            release()

    @property
    def version(self) -> float:
        """The engine's interface version."""
        version = [0.0]
        _engine.classic(pyrqx.qzvver, version)
        return version[0]
