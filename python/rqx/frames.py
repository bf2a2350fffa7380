"""Series values as numpy arrays and pandas Series, both ways.

Index. A series of a frequency pandas has as periods gets a ``PeriodIndex``
(daily ``D``, weekly ``W-SUN``..``W-SAT``, monthly ``M``, quarterly
``Q-OCT``/``Q-NOV``/``Q-DEC``, annual ``Y-JAN``..``Y-DEC``, hourly ``h``,
minutely ``min``, secondly ``s``, milliseconds ``ms`` and their multiples).
Every other dated frequency (business, ten-day, twice-monthly, bimonthly,
biweekly, semiannual, week patterns, years per period) gets a
``DatetimeIndex`` of each period's last day, the day the engine dates it by:
labels are those days, and slicing by date (``s["2020-03":"2020-06"]``) works
as on any DatetimeIndex. Business days use pandas' own business-day
``DatetimeIndex`` (pandas deprecates business periods). A case series gets an
``Index`` of its case numbers. Every Series read carries
``attrs["frequency"]``, the engine's name of its frequency, so writing it
back needs no ``freq``.

Missing values. The engine keeps three kinds (NC, ND, NA). By default all
three read as pandas' missing value of the dtype (NaN, ``pd.NA``, ``NaT``);
``missing="keep"`` returns a DataFrame with the column ``value`` and the
categorical column ``missing`` (NC, ND, NA, or missing where a value is
present), which ``write`` takes back as it is. Writing stores pandas'
missing values as ``missing_as`` (NA by default).

dtypes. precision: float64; numeric: float32; boolean: ``boolean``; string:
``string``; dates of a frequency: periods of it (``period[M]``) or
``datetime64`` (own index frequencies); untyped dates: ``Int32``. Writing
infers the type from the dtype: floats of 64 bits and integers go to
precision (the engine has no integer kind; integers beyond 2**53 raise),
float32 to numeric, bools to boolean, strings to string, periods to dates of
their frequency.
"""
import datetime
import functools

import numpy as np
import pandas as pd
import pyrqx

from . import _bulk, _dates, _engine
from .errors import RangeError, error_for
from .frequency import Frequency
from .kinds import KINDS, MISSING_NAMES, kind_of_type

# A Tuesday inside every span (the millisecond one is short): a period of
# every calendar.
_REFERENCE_DAY = datetime.datetime(2036, 1, 1)


# -- indexes ---------------------------------------------------------------------


@functools.lru_cache(maxsize=None)
def _ordinal_offset(code, alias):
    """Engine index minus pandas ordinal, for a frequency of one unit."""
    return _dates.index_of(code, _REFERENCE_DAY) - pd.Period(_REFERENCE_DAY, freq=alias).ordinal


def _periods_alias(freq):
    """The pandas alias a PeriodIndex uses for this frequency, or None."""
    alias = freq.pandas_alias
    return None if alias in (None, "B") else alias


def _base_alias(freq):
    """(engine code, pandas alias) of one unit of the frequency."""
    if freq.is_intraday:
        return freq.base, Frequency(freq.base).pandas_alias
    return freq.code, freq.pandas_alias


def engine_to_ordinals(freq, indexes):
    code, alias = _base_alias(freq)
    return np.asarray(indexes, dtype=np.int64) * freq.multiple - _ordinal_offset(code, alias)


def ordinals_to_engine(freq, ordinals, alias):
    """Engine indexes of pandas ordinals of ``alias`` (any Q-xxx for a
    quarterly cycle, multiples in their unit)."""
    if freq.is_intraday:
        code, unit_alias = _base_alias(freq)
        units = np.asarray(ordinals, dtype=np.int64) + _ordinal_offset(code, unit_alias)
        if np.any(units % freq.multiple):
            raise RangeError(pyrqx.HBDATE, "periods do not start on the %s grid" % freq.name)
        return units // freq.multiple
    unit_alias = alias.lstrip("0123456789") or alias
    return np.asarray(ordinals, dtype=np.int64) + _ordinal_offset(freq.code, unit_alias)


def make_index(freq, first, last):
    """The pandas index of engine indexes first..last."""
    indexes = np.arange(first, last + 1, dtype=np.int64)
    if freq.is_case:
        return pd.Index(indexes, name="case")
    alias = _periods_alias(freq)
    if alias is not None:
        return pd.PeriodIndex.from_ordinals(engine_to_ordinals(freq, indexes), freq=alias)
    if freq.code == pyrqx.HBUSNS:
        return pd.bdate_range(_dates.day_of(freq.code, first), periods=len(indexes))
    return pd.DatetimeIndex([_dates.day_of(freq.code, int(i)) for i in indexes])


def index_to_engine(freq, index):
    """Engine indexes of a pandas index in the series' frequency."""
    if isinstance(index, pd.PeriodIndex):
        if Frequency(index.freqstr) != freq:
            raise error_for(pyrqx.HBFREQ, "the index is %s, the series %s"
                            % (Frequency(index.freqstr).name, freq.name))
        return ordinals_to_engine(freq, index.asi8, index.freqstr)
    if freq.is_case:
        return np.asarray(index, dtype=np.int64)
    if isinstance(index, pd.DatetimeIndex):
        return np.array([_dates.index_of(freq.code, stamp.to_pydatetime()) for stamp in index],
                        dtype=np.int64)
    raise TypeError("a series needs a PeriodIndex, a DatetimeIndex or case numbers, not %s"
                    % type(index).__name__)


def labels_to_engine(freq, labels):
    """Engine indexes of text labels: what pandas prints for periods
    (2020-01, 2020Q1), the last days of an own index, case numbers, or the
    engine's literals (2020M01)."""
    alias = _periods_alias(freq)
    try:
        if alias is not None:
            return index_to_engine(freq, pd.PeriodIndex(labels, freq=alias))
        if freq.is_case:
            return np.asarray([int(label) for label in labels], dtype=np.int64)
        return index_to_engine(freq, pd.DatetimeIndex(labels))
    except (ValueError, TypeError):
        return np.asarray([position(freq, label) for label in labels], dtype=np.int64)


def frequency_of(data, freq):
    """The frequency to write a Series in: given, of its PeriodIndex, or the
    one it was read with."""
    if freq is not None:
        return Frequency(freq)
    index = getattr(data, "index", None)
    if isinstance(index, pd.PeriodIndex):
        return Frequency(index.freqstr)
    if getattr(data, "attrs", {}).get("frequency"):
        return Frequency(data.attrs["frequency"])
    if isinstance(index, pd.DatetimeIndex) and index.freqstr in ("B", "D"):
        return Frequency(index.freqstr)
    raise TypeError("give freq=: the data does not say its frequency")


def position(freq, when):
    """An engine index from a Period, a date, a literal or an index."""
    if when is None or isinstance(when, (int, np.integer)):
        return when
    if isinstance(when, pd.Period):
        return int(ordinals_to_engine(freq, [when.ordinal], when.freqstr)[0])
    if isinstance(when, str):
        return _dates.index_of_literal(freq.code, when)
    if isinstance(when, pd.Timestamp):
        when = when.to_pydatetime()
    if isinstance(when, (datetime.date, datetime.datetime)):
        return _dates.index_of(freq.code, when)
    raise TypeError("a start or end is a Period, a date, a literal or an index, not %s"
                    % type(when).__name__)


# -- raw values --------------------------------------------------------------------


def _read_raw(db, name, kind, freq_code, first, last):
    """The values as the engine holds them: a numpy array of the kind's type
    (a list of str for strings), missing values as codes."""
    count = last - first + 1
    if kind.letter is None:
        return _read_strings(db, name, freq_code, first, last)
    values = np.empty(count, dtype=kind.numpy_type)
    _engine.check(_bulk.get(kind.letter, db.key, name.encode(), freq_code, first, last, values))
    return values


def _read_strings(db, name, freq_code, first, last):
    count = last - first + 1
    rng = [freq_code, first, last]
    lengths = [0] * count
    _engine.extended(pyrqx.zavo_len_strings, db.key, [name], rng, lengths)
    texts = [" " * n for n in lengths]
    _engine.extended(pyrqx.zavo_get_strings, db.key, [name], rng, texts, lengths, [0] * count)
    return texts


def _write_raw(db, name, kind, type_code, freq_code, first, values):
    last = first + len(values) - 1
    if kind.letter is None:
        _engine.extended(pyrqx.zavo_write_strings, db.key, [name], [freq_code, first, last], list(values))
        return
    array = np.ascontiguousarray(values, dtype=kind.numpy_type)
    _engine.check(_bulk.put(kind.letter, db.key, name.encode(), freq_code, first, last, array, type_code))


def missing_kinds(kind, raw):
    """Per value: 0 present, 1 NC, 2 ND, 3 NA (int8)."""
    result = np.zeros(len(raw), dtype=np.int8)
    if kind.letter is None:
        where = {code: i + 1 for i, code in enumerate(kind.missing)}
        for at, text in enumerate(raw):
            result[at] = where.get(text, 0)
        return result
    # The codes sit at the far negative end (NC < ND < NA): one comparison
    # finds the few candidates, the three exact tests look only at those.
    codes = np.asarray(kind.missing, dtype=kind.numpy_type)
    candidates = np.flatnonzero(raw <= codes.max())
    for i, code in enumerate(codes):
        result[candidates[raw[candidates] == code]] = i + 1
    return result


# -- to pandas ----------------------------------------------------------------------


def _date_values(type_code, raw, absent):
    """Dates of a frequency as periods (or days); untyped dates as Int32."""
    if type_code == pyrqx.HDATE:
        return pd.arrays.IntegerArray(raw.astype(np.int32), absent)
    freq = Frequency(type_code)
    alias = _periods_alias(freq)
    if alias is not None:
        ordinals = engine_to_ordinals(freq, np.where(absent, 0, raw))
        ordinals[absent] = np.iinfo(np.int64).min  # pandas' NaT
        return pd.arrays.PeriodArray(ordinals, dtype=pd.PeriodDtype(alias))
    days = [None if gone else _dates.day_of(type_code, int(v)) for v, gone in zip(raw, absent)]
    return pd.array(pd.to_datetime(days), dtype="datetime64[ns]")


def to_pandas_values(kind, type_code, raw, absent):
    if kind.name in ("precision", "numeric"):
        values = raw.copy() if absent.any() else raw
        values[absent] = np.nan
        return values
    if kind.name == "boolean":
        return pd.arrays.BooleanArray(raw != 0, absent)
    if kind.name == "string":
        return pd.array([None if gone else text for text, gone in zip(raw, absent)], dtype="string")
    return _date_values(type_code, raw, absent)


def _span(freq, start, end, info):
    first = position(freq, start)
    last = position(freq, end)
    if first is None or last is None:
        if info[3] == pyrqx.ZAVO_INDEX_ND():
            return None
        first = info[3] if first is None else first
        last = info[4] if last is None else last
    return (first, last) if last >= first else None


def _object_kind(db, name):
    info = db._quick_info(name)
    kind = kind_of_type(info[1])
    if kind is None:
        raise TypeError("%s holds no values (type %d)" % (name, info[1]))
    return info, kind


def read(db, name, start=None, end=None, missing="nan"):
    """A series as a pandas Series over its stored span, or start..end
    (Periods, dates, literals or engine indexes); a scalar as a Python value.
    ``missing="keep"`` keeps NC, ND and NA apart (see the module's text)."""
    if missing not in ("nan", "keep"):
        raise ValueError("missing is 'nan' or 'keep', not %r" % (missing,))
    info, kind = _object_kind(db, name)
    if info[2] == pyrqx.HUNDFX or info[0] == pyrqx.HSCALA:
        return _read_scalar(db, name, kind, info)
    freq = Frequency(info[2])
    span = _span(freq, start, end, info)
    first, last = span if span else (0, -1)
    raw = _read_raw(db, name, kind, freq.code, first, last) if span else np.empty(0, kind.numpy_type)
    codes = missing_kinds(kind, raw)
    values = to_pandas_values(kind, info[1], raw, codes > 0)
    series = pd.Series(values, index=make_index(freq, first, last), name=name)
    series.attrs["frequency"] = freq.name
    if missing == "nan":
        return series
    kinds = pd.Categorical.from_codes(codes.astype(np.int64) - 1, categories=list(MISSING_NAMES))
    frame = pd.DataFrame({"value": series, "missing": kinds}, index=series.index)
    frame.attrs["frequency"] = freq.name
    return frame


def _read_scalar(db, name, kind, info):
    raw = _read_raw(db, name, kind, info[2] or pyrqx.HCASEX, 1, 1)
    absent = missing_kinds(kind, raw) > 0
    value = to_pandas_values(kind, info[1], raw, absent)[0]
    return value.item() if hasattr(value, "item") else value


def read_array(db, name, start=None, end=None):
    """The values as a numpy array of the kind's type, missing values as the
    engine's codes: straight from the engine into the array's memory."""
    info, kind = _object_kind(db, name)
    freq = Frequency(info[2])
    span = _span(freq, start, end, info)
    if span is None:
        return np.empty(0, dtype=kind.numpy_type)
    return _read_raw(db, name, kind, freq.code, *span)


# -- from pandas ----------------------------------------------------------------------


def _infer_type(values, freq):
    dtype = getattr(values, "dtype", None)
    if isinstance(dtype, pd.PeriodDtype):
        return Frequency(pd.PeriodIndex(values).freqstr).code
    if dtype is None or dtype == object:
        sample = [v for v in values if not pd.isna(v)][:1]
        if sample and isinstance(sample[0], str):
            return pyrqx.HSTRNG
    if pd.api.types.is_bool_dtype(dtype):
        return pyrqx.HBOOLN
    if pd.api.types.is_string_dtype(dtype):
        return pyrqx.HSTRNG
    if dtype == np.float32:
        return pyrqx.HNUMRC
    if pd.api.types.is_numeric_dtype(dtype):
        return pyrqx.HPRECN
    raise TypeError("cannot store values of dtype %s" % dtype)


def _to_raw(kind, type_code, values, codes):
    """pandas values to the engine's, codes (0 present, 1..3) giving the
    missing kinds."""
    present = codes == 0
    if kind.letter is None:
        return [str(v) if keep else kind.missing[c - 1] for v, keep, c in zip(values, present, codes)]
    raw = np.empty(len(codes), dtype=kind.numpy_type)
    if kind.name in ("precision", "numeric"):
        if isinstance(values, np.ndarray) and values.dtype.kind in "fiu":
            numbers = values.astype(np.float64, copy=False)
        else:
            numbers = np.asarray(pd.array(values).to_numpy(dtype="float64", na_value=np.nan))
        if pd.api.types.is_integer_dtype(getattr(values, "dtype", None)):
            ints = np.asarray(values)[present]
            if ints.size and np.abs(ints.astype(np.float64)).max() > 2 ** 53:
                raise OverflowError("integers beyond 2**53 do not fit a precision value exactly")
        raw[present] = numbers[present]
    elif kind.name == "boolean":
        raw[present] = np.asarray(values, dtype=object)[present].astype(bool)
    elif type_code != pyrqx.HDATE:
        raw[present] = _dates_to_engine(Frequency(type_code), values, present)
    else:
        raw[present] = np.asarray(values, dtype=object)[present].astype(np.int64)
    for i, code in enumerate(kind.missing):
        raw[codes == i + 1] = code
    return raw


def _dates_to_engine(freq, values, present):
    dtype = getattr(values, "dtype", None)
    if isinstance(dtype, pd.PeriodDtype):
        ordinals = pd.PeriodIndex(values).asi8[present]
        return ordinals_to_engine(freq, ordinals, pd.PeriodIndex(values).freqstr)
    stamps = pd.to_datetime(pd.Series(values)[present])
    return [_dates.index_of(freq.code, stamp.to_pydatetime()) for stamp in stamps]


def _missing_codes(values, kinds, missing_as):
    """Per value 0 present or 1..3 (NC, ND, NA)."""
    absent = np.asarray(pd.isna(values), dtype=bool)
    if kinds is not None:
        named = pd.Categorical(kinds, categories=list(MISSING_NAMES)).codes.astype(np.int8) + 1
        return np.where(named > 0, named, np.where(absent, MISSING_NAMES.index(missing_as) + 1, 0))
    if missing_as not in MISSING_NAMES:
        raise ValueError("missing_as is one of NC, ND, NA, not %r" % (missing_as,))
    return np.where(absent, MISSING_NAMES.index(missing_as) + 1, 0).astype(np.int8)


def _runs(indexes):
    """(start position, stop position) of each run of consecutive indexes."""
    if len(indexes) and np.any(np.diff(indexes) <= 0):
        raise ValueError("the index must be sorted without repeats")
    breaks = np.flatnonzero(np.diff(indexes) != 1) + 1
    bounds = np.concatenate([[0], breaks, [len(indexes)]])
    return list(zip(bounds[:-1], bounds[1:]))


def write(db, name, data, start=None, freq=None, type=None, missing_as="NA"):
    """Write values into a series, creating it when it is missing.

    ``data`` is a pandas Series (its index says where the values go; gaps
    are left as they are), a DataFrame read with ``missing="keep"``, or a
    numpy array or list with ``start`` (a Period, date, literal or engine
    index) and ``freq``. ``type`` forces the object type of a new series
    (kind name or ("date", freq)); an existing series keeps its own.
    """
    kinds = None
    if isinstance(data, pd.DataFrame):
        if "value" not in data.columns:
            raise TypeError("a DataFrame to write has the columns value and missing, as "
                            "read(..., missing='keep') gives; write a Series for one column")
        frame = data
        kinds, data = frame.get("missing"), pd.Series(frame["value"], name=name)
        data.attrs.update(frame.attrs)
    frequency = frequency_of(data, freq)
    if isinstance(data, pd.Series):
        if start is not None:
            raise TypeError("start= is for arrays: a Series says where its values go")
        indexes = index_to_engine(frequency, data.index)
        values = data.array
        if isinstance(values, pd.arrays.NumpyExtensionArray):
            values = values.to_numpy()  # plain numpy dtypes: the array itself
    else:
        values = np.asarray(data) if not isinstance(data, (pd.api.extensions.ExtensionArray,)) else data
        if start is None:
            raise TypeError("give start= with an array: the first period it fills")
        indexes = position(frequency, start) + np.arange(len(values), dtype=np.int64)
    return write_indexed(db, name, frequency, indexes, values, type=type, kinds=kinds,
                         missing_as=missing_as)


def write_indexed(db, name, frequency, indexes, values, type=None, kinds=None, missing_as="NA"):
    """Write values at engine indexes (sorted, gaps left as they are)."""
    from .database import type_code as parse_type
    indexes = np.asarray(indexes, dtype=np.int64)
    if name not in db:
        wanted = parse_type(type) if type is not None else _infer_type(values, frequency)
        db.create(name, type=wanted, freq=frequency)
    info, kind = _object_kind(db, name)
    if info[2] != frequency.code:
        raise error_for(pyrqx.HBFREQ, "%s is %s, the data %s" % (name, Frequency(info[2]).name,
                                                                 frequency.name))
    raw = _to_raw(kind, info[1], values, _missing_codes(values, kinds, missing_as))
    for begin, stop in _runs(indexes):
        _write_raw(db, name, kind, info[1], frequency.code, int(indexes[begin]), raw[begin:stop])
    return db[name]


__all__ = ["read", "write", "write_indexed", "read_array", "make_index", "index_to_engine", "position"]
