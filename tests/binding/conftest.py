"""Fixtures of the binding tests: the module under test runs against the
recording double of crqx (tests/probe), one section per concern."""
import sys
from pathlib import Path

import pytest

# ==== probe: the recording double and its controller ==========================
# Point PYRQX_PROBE_LIB at the double's libcrqx.so (the one the test variant of
# the module links to). Preload libprobe_alloc_tracker.so, or use the ASan
# build, to have buffer sizes recorded.

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "probe"))
from controller import Probe, probe_library_path  # noqa: E402


@pytest.fixture(scope="session")
def probe_session():
    path = probe_library_path()
    if path is None:
        pytest.skip("no probe: set PYRQX_PROBE_LIB to <build>/tests/probe/lib/libcrqx.so")
    return Probe(path)


@pytest.fixture
def probe(probe_session):
    """The double, reset and recording allocation sizes; the test fails if a
    scripted write was refused (overflow, null pointer) and not taken back
    with take_problems()."""
    probe_session.check_single_instance()
    probe_session.reset()
    probe_session.tracking(True)
    yield probe_session
    probe_session.tracking(False)
    problems = probe_session.take_problems()
    probe_session.reset()
    if problems:
        pytest.fail("probe refused scripted writes: " + "; ".join(problems))


@pytest.fixture
def sized_probe(probe):
    """The probe where buffer sizes are known; skips the test otherwise."""
    if not probe.sizes_known:
        pytest.skip("buffer sizes unknown: preload libprobe_alloc_tracker.so or build with ASan")
    return probe

# ==== end of probe section ======================================================

# ==== module: the variant of pyrqx built against the probe =====================
# PYRQX_BUILD_DIR is a CMake build directory configured with
# -DPYRQX_BUILD_TESTS=ON (scripts/test sets it).

import os  # noqa: E402

BUILD_DIR = os.environ.get("PYRQX_BUILD_DIR")
if BUILD_DIR:
    os.environ.setdefault("PYRQX_PROBE_LIB", str(Path(BUILD_DIR) / "tests/probe/lib/libcrqx.so"))


def build_path(*parts):
    if not BUILD_DIR:
        pytest.skip("no build: set PYRQX_BUILD_DIR to a build configured with PYRQX_BUILD_TESTS=ON")
    return str(Path(BUILD_DIR, *parts))


@pytest.fixture(scope="session")
def pyrqx():
    """The module, linked to the probe."""
    directory = build_path("probe-module")
    sys.path.insert(0, directory)
    try:
        import pyrqx as module
    finally:
        sys.path.remove(directory)
    assert Path(module.__file__).parent == Path(directory), module.__file__
    return module


@pytest.fixture(scope="session")
def other_version_dir():
    """A build of the module that believes it was compiled for another
    Python minor version."""
    return build_path("other-version-module")

# ==== end of module section =====================================================
