"""Sessions, databases, objects and attributes through the package."""
import datetime
import subprocess
import sys

import pytest

import pyrqx
import rqx


def test_context_manager_posts_on_success_and_discards_on_error(path):
    with rqx.open(path, "w") as db:
        db.create("KEPT", freq="M")
    with pytest.raises(RuntimeError):
        with rqx.open(path, "w") as db:
            db.create("LOST", freq="M")
            raise RuntimeError("boom")
    with rqx.open(path) as db:
        assert "KEPT" in db and "LOST" not in db


def test_post_restore_close(path):
    db = rqx.open(path, "w")
    db.create("A", freq="M")
    db.post()
    db.create("B", freq="M")
    db.restore()
    assert db.list() == ["A"]
    db.close()
    db.close()  # twice is harmless
    assert db.closed
    with pytest.raises(ValueError, match="closed"):
        db.list()


# Each family of failure, how users reach it, and the status it carries.
FAILURES = [
    ("missing file read", lambda p: rqx.open(p + ".none"), rqx.NotFoundError, "HRNEXI"),
    ("create over existing", lambda p: rqx.open(p, "x"), rqx.ExistsError, "HCEXI"),
    ("not a database", lambda p: rqx.open(__file__), rqx.FileError, "HNZVDB"),
    ("bad mode", lambda p: rqx.open(p, "q"), ValueError, None),
]


@pytest.mark.parametrize("what,action,family,status", FAILURES, ids=[f[0] for f in FAILURES])
def test_open_failures_raise_their_family(path, what, action, family, status):
    rqx.open(path, "w").close()
    with pytest.raises(family) as caught:
        action(path)
    if status:
        assert caught.value.status_name == status
        assert caught.value.status == getattr(pyrqx, status)
        assert caught.value.text.startswith("qzvopdb:")


OBJECT_FAILURES = [
    ("name taken", lambda db: db.create("A", freq="M"), rqx.ExistsError, "HOEXI"),
    ("bad name", lambda db: db.create("1BAD", freq="M"), rqx.BadNameError, "HBOBJT"),
    ("no such object", lambda db: db["NOPE"], KeyError, "HNOOBJ"),
    ("delete missing", lambda db: db.__delitem__("NOPE"), rqx.NotFoundError, "HNOOBJ"),
    ("no such attribute", lambda db: db["A"].attrs["NOPE"], rqx.NotFoundError, "HBATTR"),
    ("attribute kind fixed", lambda db: db["A"].attrs.__setitem__("W", "text"), rqx.TypeMismatchError, "HBATYP"),
    ("bad frequency", lambda db: db.create("F", freq="FORTNIGHTLY"), rqx.TypeMismatchError, "HBFREQ"),
]


@pytest.mark.parametrize("what,action,family,status", OBJECT_FAILURES, ids=[f[0] for f in OBJECT_FAILURES])
def test_object_failures_raise_their_family(db, what, action, family, status):
    db.create("A", freq="M").attrs["W"] = 1.5
    with pytest.raises(family) as caught:
        action(db)
    assert isinstance(caught.value, rqx.Error)
    assert caught.value.status_name == status
    assert caught.value.text  # the engine's own words


def test_read_only_and_locked(path):
    rqx.open(path, "w").close()
    with rqx.open(path) as reader:
        with pytest.raises(rqx.ReadOnlyError):
            reader.create("A", freq="M")
    with rqx.open(path, "u"):
        with pytest.raises(rqx.LockedError):
            rqx.open(path, "u")


def test_objects_as_items(db):
    for name in ["CPI", "CPI_CORE", "GDP"]:
        db.create(name, freq="M")
    db.create("RATE", type="precision")
    assert sorted(db) == ["CPI", "CPI_CORE", "GDP", "RATE"]
    assert db.list("CPI*") == ["CPI", "CPI_CORE"]
    assert db.list("?DP") == ["GDP"]
    assert db.list(cls="scalar") == ["RATE"]
    assert "gdp" in db  # names match regardless of case
    del db["GDP"]
    assert "GDP" not in db and len(db) == 3
    db.rename("CPI_CORE", "CORE")
    db.copy("CPI", "CPI2")
    assert db.list() == ["CORE", "CPI", "CPI2", "RATE"]


def test_copy_to_another_database(db, tmp_path):
    db.write("S", [1.0, 2.0], start="2020M01", freq="M")
    with rqx.open(str(tmp_path / "other.db"), "w") as other:
        db.copy("S", "S", to=other)
        assert list(other.read("S")) == [1.0, 2.0]


def test_object_properties(db):
    obj = db.create("GDP", type="numeric", freq="Q-DEC", basis="daily", observed="summed")
    db.write("GDP", [1.0, 2.0, 3.0], start="2020Q1", freq="Q-DEC")
    assert (obj.name, obj.cls, obj.type, obj.basis, obj.observed) == \
        ("GDP", "series", "numeric", "daily", "summed")
    assert obj.frequency == rqx.Frequency("Q-DEC") and obj.frequency.name == "QUARTERLY(DECEMBER)"
    assert (obj.first, obj.last, len(obj)) == ("2020Q1", "2020Q3", 3)
    now = datetime.datetime.now(datetime.timezone.utc)
    assert abs((obj.created - now).total_seconds()) < 120
    assert obj.modified >= obj.created
    obj.observed = "averaged"
    assert obj.observed == "averaged"
    obj.description = "Gross domestic product"
    obj.documentation = "x" * 1000  # longer than a first read offers
    assert obj.description == "Gross domestic product" and obj.documentation == "x" * 1000
    obj.aliases = ["PIB", "BIP"]
    assert obj.aliases == ["PIB", "BIP"]
    assert db["pib"].name == "GDP"


ATTRIBUTES = [
    ("precision", 0.375, 0.375),
    ("integer", 7, 7.0),
    ("boolean", True, True),
    ("string", "Statistics office " + "é" * 300, "Statistics office " + "é" * 300),
    ("namelist", ["GDP", "CPI"], ["GDP", "CPI"]),
    ("empty namelist", [], []),
]


@pytest.mark.parametrize("what,value,back", ATTRIBUTES, ids=[a[0] for a in ATTRIBUTES])
def test_attributes_as_python_values(db, what, value, back):
    attrs = db.create("S", freq="M").attrs
    attrs["X"] = value
    assert attrs["x"] == back and type(attrs["X"]) is type(back)
    assert "X" in attrs and "Y" not in attrs and attrs.get("Y", 1) == 1


def test_date_attributes(db):
    attrs = db.create("S", freq="M").attrs
    attrs.set_date("BASE", "M", 600)
    assert attrs.date("BASE") == (rqx.Frequency("M"), 600)
    assert attrs["BASE"] == "2020M01"
    with pytest.raises(TypeError):
        attrs["BAD"] = object()
    with pytest.raises(rqx.NotSupportedError):
        del attrs["BASE"]


def test_database_texts(db):
    db.description = "Economic indicators"
    db.documentation = "d" * 600
    assert db.description == "Economic indicators" and db.documentation == "d" * 600


def test_session_is_shared_and_ends_with_its_last_user(path):
    with rqx.Session(busy_timeout=100, durability="NORMAL") as session:
        assert session.version == 1.0
        db = rqx.open(path, "w")
    # The database still holds the session after the block.
    assert rqx._session._state["users"] == 1
    db.close()
    status = [0]
    pyrqx.qzvfin(status)
    assert status[0] == pyrqx.HNINIT  # the package ended the session it started


def test_a_session_started_through_pyrqx_is_left_running(path):
    status = [0]
    pyrqx.qzvini(status)
    try:
        with rqx.open(path, "w") as db:
            db.create("A", freq="M")
        pyrqx.qzvopwk(status, [0])
        assert status[0] == pyrqx.HSUCC  # still running
    finally:
        pyrqx.qzvfin(status)


def test_unknown_session_option():
    with pytest.raises(TypeError, match="unknown session option"):
        with rqx.Session(speed=3):
            pass
    with pytest.raises(rqx.Error) as caught:
        with rqx.Session(durability="SOMETIMES"):
            pass
    assert caught.value.status_name == "HBOPTV"


def test_work_database_is_private_and_temporary():
    with rqx.work() as scratch:
        scratch.write("T", [1.0], start="2020M01", freq="M")
        assert list(scratch.read("T")) == [1.0]


def test_formulas_and_expressions_compute_from_the_stored_series(db):
    db.write("A", [1.0, 2.0, 4.0], start="2020M01", freq="M")
    db.formula("R", "A * 2 + lag(A, 1)")
    # Missing where either side is: January has no lag, April no A.
    first = db.read("R")
    assert first.isna().tolist() == [True, False, False, True]
    assert list(first.iloc[1:3]) == [5.0, 10.0]
    db.write("A", [3.0], start="2020M03", freq="M")  # read again: computed anew
    assert list(db.read("R").iloc[1:3]) == [5.0, 8.0]
    assert list(db.eval("pct(A)")) == [100.0, 50.0]
    with pytest.raises(rqx.Error) as caught:
        db.formula("BAD", "A +")
    assert caught.value.status_name == "HFRMSYNTAXERR"
    assert "BAD" not in db


def test_the_package_works_without_pandas(path):
    """Without the frames extra everything but values works, and values say
    what to install."""
    program = (
        "import sys\n"
        "sys.modules['pandas'] = sys.modules['numpy'] = None\n"
        "import rqx\n"
        "with rqx.open(%r, 'w') as db:\n"
        "    db.create('A', freq='M').attrs['X'] = 1.5\n"
        "    assert db.list() == ['A'] and db['A'].attrs['X'] == 1.5\n"
        "    try:\n"
        "        db.read('A')\n"
        "    except ImportError as error:\n"
        "        print(error)\n" % path)
    done = subprocess.run([sys.executable, "-c", program], capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    assert "pip install 'pyrqx[frames]'" in done.stdout
