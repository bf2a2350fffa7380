"""The pythonic package, installed, on the real engine."""
import os

import pytest

import rqx


@pytest.fixture
def path(tmp_path):
    return str(tmp_path / "test.db")


@pytest.fixture
def db(path):
    with rqx.open(path, "w") as database:
        yield database


@pytest.fixture(autouse=True)
def _in_tmp(tmp_path, monkeypatch):
    """Every test runs in a folder of its own, so relative names are safe."""
    monkeypatch.chdir(tmp_path)
    yield
    assert rqx._session._state["users"] == 0, "a test left a database open"


def pytest_report_header(config):
    return "rqx from %s" % os.path.dirname(rqx.__file__)
