"""Small helpers shared by the integration tests."""
import struct


def call(fn, *args):
    """Calls a classic function with a fresh status cell; returns the status."""
    status = [None]
    fn(status, *args)
    return status[0]


def f32(x):
    """x rounded to single precision, as a numeric value is stored."""
    return struct.unpack("f", struct.pack("f", x))[0]
