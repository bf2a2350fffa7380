"""The accelerator: values straight into numpy memory, checked buffers."""
import numpy as np
import pytest

import pyrqx
import rqx
from rqx import _bulk


@pytest.fixture
def series(db):
    values = np.linspace(-1.0, 1.0, 3000)
    values[7] = pyrqx.FPRCND()
    db.write("P", values, start=100, freq="D")
    return db, values


def test_read_array_matches_the_exact_interface(series):
    db, values = series
    rng, count = [pyrqx.HDAILY, 100, 3099], 3000
    listed = [0.0] * count
    status = [0]
    pyrqx.qzvrrng_double(status, db.key, ["P"], rng, listed, pyrqx.HNTMIS, None)
    assert status[0] == pyrqx.HSUCC
    array = db.values("P")
    assert array.dtype == np.float64 and array.tolist() == listed == values.tolist()
    assert db.values("P", start=98, end=101).tolist()[:2] == [pyrqx.FPRCND()] * 2


@pytest.mark.parametrize("kind,dtype,type_name", [("n", np.float32, "numeric"), ("b", np.int32, "boolean"),
                                                   ("d", np.int32, "date")])
def test_every_kind_through_buffers(db, kind, dtype, type_name):
    db.create("K", type=type_name, freq="M")
    values = np.array([1, 0, 5], dtype=dtype)
    assert _bulk.put(kind, db.key, b"K", pyrqx.HMONTH, 10, 12, values, pyrqx.HDATE) == pyrqx.HSUCC
    back = np.zeros(3, dtype=dtype)
    assert _bulk.get(kind, db.key, b"K", pyrqx.HMONTH, 10, 12, back) == pyrqx.HSUCC
    assert back.tolist() == values.tolist()


BAD_BUFFERS = [
    ("wrong type", np.zeros(3, dtype=np.float32), TypeError),
    ("ints for doubles", np.zeros(3, dtype=np.int64), TypeError),
    ("too short", np.zeros(2), ValueError),
    ("too long", np.zeros(4), ValueError),
    ("not contiguous", np.zeros(6)[::2], ValueError),
    ("read-only", np.zeros(3).view(), ValueError),
    ("bytes", b"x" * 24, BufferError),
]


@pytest.mark.parametrize("what,buffer,error", BAD_BUFFERS, ids=[b[0] for b in BAD_BUFFERS])
def test_bad_buffers_are_refused_before_the_engine(series, what, buffer, error):
    db, _ = series
    if what == "read-only":
        buffer.flags.writeable = False
    before = bytes(memoryview(buffer).tobytes()) if what != "not contiguous" else None
    with pytest.raises(error):
        _bulk.get("p", db.key, b"P", pyrqx.HDAILY, 100, 102, buffer)
    if before is not None:
        assert memoryview(buffer).tobytes() == before


def test_unknown_kind_and_empty_range(series):
    db, _ = series
    with pytest.raises(ValueError, match="unknown value kind"):
        _bulk.get("z", db.key, b"P", pyrqx.HDAILY, 100, 102, np.zeros(3))
    with pytest.raises(ValueError, match="no observation"):
        _bulk.get("p", db.key, b"P", pyrqx.HDAILY, 102, 100, np.zeros(3))


def test_engine_failures_come_back_as_statuses(series):
    db, _ = series
    assert _bulk.get("p", db.key, b"NOPE", pyrqx.HDAILY, 1, 3, np.zeros(3)) == pyrqx.HNOOBJ
    assert _bulk.get("n", db.key, b"P", pyrqx.HDAILY, 1, 3, np.zeros(3, np.float32)) == pyrqx.HBTYPE
    with pytest.raises(rqx.TypeMismatchError):
        db.write("P", np.zeros(2), start=1, freq="M")
