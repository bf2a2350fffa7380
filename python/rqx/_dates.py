"""Engine date indexes to Python dates and back, one at a time."""
import datetime

import pyrqx

from . import _engine


def day_of(freq_code, index):
    """The last day of a period, as a datetime.date."""
    y, m, d = [0], [0], [0]
    _engine.extended(pyrqx.zavo_index_to_day, freq_code, index, y, m, d)
    return datetime.date(y[0], m[0], d[0])


def instant_of(freq_code, index):
    """A period's start instant (its last day at midnight for days or longer)."""
    parts = [[0] for _ in range(7)]
    _engine.extended(pyrqx.zavo_index_to_time, freq_code, index, *parts)
    y, mo, d, h, mi, s, ms = (p[0] for p in parts)
    return datetime.datetime(y, mo, d, h, mi, s, ms * 1000)


def index_of(freq_code, when, relate=pyrqx.HCONT):
    """The index of the period holding a date or datetime."""
    index = [0]
    if isinstance(when, datetime.datetime):
        _engine.extended(pyrqx.zavo_time_to_index, freq_code, index, when.year, when.month, when.day,
                         when.hour, when.minute, when.second, when.microsecond // 1000, relate)
    else:
        _engine.extended(pyrqx.zavo_day_to_index, freq_code, index, when.year, when.month, when.day,
                         relate)
    return index[0]


def literal_of(freq_code, index):
    """The engine's literal of a period: 2020M07, 2020Q3, 2020-07-31, ..."""
    return _engine.read_text(lambda cell, room, outlen: pyrqx.zavo_date_to_literal(
        freq_code, index, cell, pyrqx.HFYDEC, pyrqx.HFYLST, room, outlen))


def index_of_literal(freq_code, text):
    """The index of a literal of the frequency."""
    index = [0]
    _engine.extended(pyrqx.zavo_literal_to_date, freq_code, index, [text], pyrqx.HFYDEC, pyrqx.HFYLST, 0)
    return index[0]


def stamp_of_seconds(index):
    """A secondly index (the engine's creation and modification times) as a
    UTC datetime."""
    return instant_of(pyrqx.HSEC, index).replace(tzinfo=datetime.timezone.utc)
