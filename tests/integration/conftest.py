"""Integration tests run the installed pyrqx on the embedded engine."""
import pytest

import pyrqx as _pyrqx


@pytest.fixture
def pyrqx():
    return _pyrqx


@pytest.fixture
def session(pyrqx):
    """A running session, ended afterwards whatever the test did."""
    status = [0]
    pyrqx.qzvini(status)
    assert status[0] in (pyrqx.HSUCC, pyrqx.HINITD)
    yield pyrqx
    pyrqx.qzvfin([0])


def last_error(pyrqx):
    length = [0]
    pyrqx.qzvlerr([0], length)
    text = [" " * length[0]]
    pyrqx.qzvferr([0], text)
    return text[0]


@pytest.fixture
def error_text(pyrqx):
    return lambda: last_error(pyrqx)


@pytest.fixture
def path(tmp_path):
    """A database file name in a fresh folder."""
    return str(tmp_path / "test.crqx")
