"""Small helpers shared by the integration tests."""
import ctypes
import os
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def call(fn, *args):
    """Calls a classic function with a fresh status cell; returns the status."""
    status = [None]
    fn(status, *args)
    return status[0]


def f32(x):
    """x rounded to single precision, as a numeric value is stored."""
    return struct.unpack("f", struct.pack("f", x))[0]


def spawn(*args):
    """A Python child (the tests' own interpreter, this folder importable)
    with pipes on all three streams."""
    env = dict(os.environ)
    env["PYTHONPATH"] = os.pathsep.join(filter(None, [HERE, env.get("PYTHONPATH")]))
    return subprocess.Popen([sys.executable, *args], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, text=True, env=env)


def wildcard_names(p, key, pattern):
    """The names a classic wildcard search of `pattern` lists, in order."""
    assert call(p.qzvinwc, key, [pattern]) == p.HSUCC
    names = []
    while True:
        name = [" " * 20]
        if call(p.qzvnxwc, key, name, [0], [0], [0]) != p.HSUCC:
            return names
        names.append(name[0].strip())


def loaded_engine_path():
    """The engine library the module loaded (Linux: from /proc/self/maps)."""
    with open("/proc/self/maps") as maps:
        paths = {line.split()[-1] for line in maps if line.rstrip().endswith("libcrqx.so")}
    assert len(paths) == 1, paths
    return paths.pop()


def loaded_engine():
    """The engine library the module loaded, opened again through ctypes."""
    return ctypes.CDLL(loaded_engine_path())
