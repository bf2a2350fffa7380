"""Calls into pyrqx with statuses turned into exceptions, and text results
read whole whatever their length."""
import pyrqx

from .errors import error_for

# Room offered to a text result on the first try; a longer one is read again
# with the length the engine reported.
FIRST_ROOM = 256


def last_error_text():
    """The engine's text for the last failure."""
    length = [0]
    pyrqx.qzvlerr([0], length)
    text = [" " * max(length[0], 1)]
    pyrqx.qzvferr([0], text)
    return text[0].rstrip()


def check(status, allowed=()):
    """Raise the exception of a failed status (an int or a status cell)."""
    code = status[0] if isinstance(status, list) else status
    if code != pyrqx.HSUCC and code not in allowed:
        raise error_for(code, last_error_text())
    return code


def classic(function, *args, allowed=()):
    """Call a classic function (status cell first) and check its status."""
    status = [0]
    function(status, *args)
    return check(status, allowed)


def extended(function, *args, allowed=()):
    """Call an extended function (status returned) and check its status."""
    return check(function(*args), allowed)


def read_text(call):
    """A text result of any length. ``call(cell, inlen, outlen)`` makes one
    call with a text cell, the room it offers and a full-length cell, and
    returns its status; a cut text is read again with room for all of it."""
    room = FIRST_ROOM
    while True:
        cell, outlen = [" " * room], [0]
        status = call(cell, room, outlen)
        if status == pyrqx.HTRUNC and outlen[0] > room:
            room = outlen[0]
            continue
        check(status)
        return cell[0]


def text_property(position, setter, doc):
    """A description or documentation property of an owner whose
    ``_texts()`` reads both texts and whose ``_target()`` gives the leading
    arguments of ``setter`` (a database key, or a key and an object name)."""
    def get(owner):
        return owner._texts()[position]

    def put(owner, text):
        classic(setter, *owner._target(), [text])

    return property(get, put, doc=doc)


def cell(value):
    """A one-element list holding value: the module's in-out cell."""
    return [value]
