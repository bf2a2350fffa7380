"""ctypes controller of the recording double of crqx (tests/probe).

Load the double from the same path the module under test links to, so both
share one loaded instance::

    probe = Probe(os.environ["PYRQX_PROBE_LIB"])
    probe.reset()
    probe.script("qzvopdb", status=0, writes={"dbkey": 7})
    pyrqx.qzvopdb(status, dbkey, ["db.zv"], HRMODE)
    call = probe.one_call("qzvopdb")
    assert call["dbname"].text() == b"db.zv"

Arguments are addressed by index or by their declared name. Recorded
pointers carry the allocation's size and bytes when a size source is present
(the preloaded alloc_tracker while tracking is on, or AddressSanitizer),
otherwise size -1 and only what is safe to read (see probe_record.cpp).
"""

import ctypes
import os
import re
import struct
from dataclasses import dataclass, field

PROBE_LIBRARY_ENV = "PYRQX_PROBE_LIB"

# Log codes of probe.h's ArgType, in order.
ARG_TYPES = ("int", "float", "double", "char",
             "int*", "float*", "double*", "char*", "char**", "void*")
POINTER_TYPES = frozenset(ARG_TYPES[4:])
SCALAR_FORMATS = {"int": "i", "float": "f", "double": "d", "char": "b"}
ELEMENT_FORMATS = {"int*": "i", "float*": "f", "double*": "d"}
SIZE_SOURCES = {0: None, 1: "tracker", 2: "sanitizer"}
DATA_KINDS = {1: "int", 2: "float", 3: "double", 4: "text"}


class ProbeError(Exception):
    """A misuse of the double, or something it could not do safely."""


def loaded_crqx_libraries():
    """Paths of every libcrqx.so mapped into this process (Linux)."""
    try:
        with open("/proc/self/maps") as maps:
            paths = {line.split(None, 5)[-1].strip() for line in maps if "/" in line}
    except OSError:
        return []
    return sorted(p for p in paths if os.path.basename(p) == "libcrqx.so")


def probe_library_path():
    """The double to control: PYRQX_PROBE_LIB if set, else a libcrqx.so already
    loaded (by the module under test) that is the double; None if neither."""
    path = os.environ.get(PROBE_LIBRARY_ENV)
    if path:
        return path
    for loaded in loaded_crqx_libraries():
        if hasattr(ctypes.CDLL(loaded), "probe_log"):
            return loaded
    return None


@dataclass
class Block:
    """What a pointer pointed to: address (None for null), allocation size
    (-1 when unknown) and the bytes recorded behind it."""
    ptr: object
    size: int
    data: object  # bytes, or None for a null pointer

    @property
    def is_null(self):
        return self.ptr is None

    def text(self):
        """The bytes up to the first NUL (all of them if there is none);
        None for a null pointer."""
        return None if self.data is None else self.data.split(b"\0", 1)[0]

    def _values(self, fmt):
        if self.data is None:
            return None
        width = struct.calcsize(fmt)
        usable = len(self.data) - len(self.data) % width
        return list(struct.unpack(f"={usable // width}{fmt}", self.data[:usable]))

    def ints(self):
        return self._values("i")

    def floats(self):
        """C floats widened exactly to Python floats."""
        return self._values("f")

    def doubles(self):
        return self._values("d")


@dataclass
class Arg(Block):
    """One argument: its C type, its value (scalars) and, for pointers, the
    Block fields; items holds a char ** argument's elements."""
    index: int = 0
    name: str = ""
    type: str = ""
    value: object = None
    items: list = field(default_factory=list)

    @property
    def is_null(self):
        return self.type in POINTER_TYPES and self.ptr is None


@dataclass
class Call:
    name: str
    number: int       # which call of this function since the last reset, from 1
    extended: bool
    args: list
    result: int       # what the double returned (0 for classic functions)

    def __getitem__(self, key):
        """An argument by index or by declared name."""
        if isinstance(key, str):
            for arg in self.args:
                if arg.name == key:
                    return arg
            raise KeyError(f"{self.name} has no argument {key!r}")
        return self.args[key]


@dataclass
class Signature:
    name: str
    extended: bool
    params: list  # [(c_type, name)], c_type spelled as in ARG_TYPES

    def index_of(self, arg):
        if isinstance(arg, int):
            if not 0 <= arg < len(self.params):
                raise ProbeError(f"{self.name} has no argument {arg}")
            return arg
        for index, (_, name) in enumerate(self.params):
            if name == arg:
                return index
        raise ProbeError(f"{self.name} has no argument {arg!r}")


def parse_params(params):
    """'(int *status, char **strary)' -> [('int*', 'status'), ('char**', 'strary')]."""
    inner = params.strip()[1:-1].strip()
    if not inner or inner == "void":
        return []
    parsed = []
    for param in inner.split(","):
        match = re.fullmatch(r"\s*(.*?)\s*(\w+)\s*", param)
        parsed.append((match.group(1).replace(" ", ""), match.group(2)))
    return parsed


class _LogReader:
    """Parses the call log written by probe_record.cpp."""

    def __init__(self, raw, signatures):
        self.raw = raw
        self.pos = 0
        self.signatures = signatures

    def take(self, fmt):
        values = struct.unpack_from("=" + fmt, self.raw, self.pos)
        self.pos += struct.calcsize("=" + fmt)
        return values if len(values) > 1 else values[0]

    def take_bytes(self, length):
        data = self.raw[self.pos:self.pos + length]
        self.pos += length
        return data

    def block(self):
        address, size, length = self.take("QqI")
        data = self.take_bytes(length)
        return (address or None), size, (data if address else None)

    def arg(self, index, name):
        arg_type = ARG_TYPES[self.take("B")]
        arg = Arg(ptr=None, size=-1, data=None, index=index, name=name, type=arg_type)
        if arg_type in SCALAR_FORMATS:
            arg.value = self.take(SCALAR_FORMATS[arg_type])
            if arg_type == "char":
                arg.value = bytes([arg.value & 0xFF])
            return arg
        arg.ptr, arg.size, arg.data = self.block()
        if arg_type == "char**":
            arg.items = [Block(*self.block()) for _ in range(self.take("I"))]
        return arg

    def call(self):
        name = self.take_bytes(self.take("I")).decode()
        extended, number, count = self.take("BII")
        params = self.signatures[name].params
        args = [self.arg(i, params[i][1] if i < len(params) else "") for i in range(count)]
        return Call(name, number, bool(extended), args, self.take("i"))

    def calls(self):
        calls = []
        while self.pos < len(self.raw):
            calls.append(self.call())
        return calls


class Probe:
    """Drives a loaded crqx double: reset, read calls, script results."""

    def __init__(self, path):
        self.path = os.fspath(path)
        self.lib = ctypes.CDLL(self.path)
        if not hasattr(self.lib, "probe_log"):
            raise ProbeError(f"{self.path} is not the crqx probe")
        self._declare()
        self._tracking = False
        self.signatures = self._read_signatures()

    # ---- calls -------------------------------------------------------------

    def reset(self):
        """Forget calls, scripts and problems; data objects back to defaults."""
        self.lib.probe_reset()

    def clear_calls(self):
        """Forget the calls recorded so far; scripts and call numbers remain."""
        self.lib.probe_reset_log()

    @property
    def calls(self):
        return _LogReader(self._pull(self.lib.probe_log), self.signatures).calls()

    def calls_to(self, name):
        self.signature(name)
        return [call for call in self.calls if call.name == name]

    def one_call(self, name):
        """The only call to name; ProbeError unless there was exactly one."""
        calls = self.calls_to(name)
        if len(calls) != 1:
            raise ProbeError(f"expected one call to {name}, got {len(calls)}")
        return calls[0]

    @property
    def functions(self):
        """Names of every function the double defines, crqx.h's first."""
        return list(self.signatures)

    def signature(self, name):
        try:
            return self.signatures[name]
        except KeyError:
            raise ProbeError(f"the probe defines no function {name!r}") from None

    def check_single_instance(self):
        """Raise ProbeError if another libcrqx.so (say the engine) is loaded
        too: calls would then reach a library this controller does not see."""
        others = [p for p in loaded_crqx_libraries() if not os.path.samefile(p, self.path)]
        if others:
            raise ProbeError(f"controlling {self.path}, but {', '.join(others)} is loaded too")

    # ---- problems ----------------------------------------------------------

    def problems(self):
        """Scripted writes the double refused (overflow, null, bad argument)."""
        return self._pull(self.lib.probe_problems).decode().splitlines()

    def take_problems(self):
        problems = self.problems()
        self.lib.probe_clear_problems()
        return problems

    def check(self):
        """Raise ProbeError if any scripted write was refused."""
        problems = self.take_problems()
        if problems:
            raise ProbeError("; ".join(problems))

    # ---- scripting ---------------------------------------------------------

    def script(self, name, ret=None, writes=None, status=None, on_call=0):
        """Script name's behaviour until reset.

        ret: an extended function's return value. status: a classic function's
        status, written to argument 0. writes: {arg: value} with arg an index,
        a name, or (arg, element) for one string of a char ** argument; value
        bytes (written as is), str (UTF-8 plus NUL), or an int, float or list
        of them, encoded in the argument's declared element type. on_call: only
        on that call (1-based) instead of every call.
        """
        signature = self.signature(name)
        if ret is not None:
            if not signature.extended:
                raise ProbeError(f"{name} is classic and returns nothing")
            self._check(self.lib.probe_script_return(name.encode(), ret, on_call), name)
        if status is not None:
            if signature.extended:
                raise ProbeError(f"{name} is extended and has no status argument")
            self.write_int(name, 0, status, on_call=on_call)
        for target, value in (writes or {}).items():
            arg, element = target if isinstance(target, tuple) else (target, -1)
            index = signature.index_of(arg)
            data = self._encode(signature, index, element, value)
            self.write_bytes(name, (index, element), data, on_call=on_call)

    def write_bytes(self, name, arg, data, offset=0, on_call=0):
        """Write exactly data into argument arg (index, name or (arg, element))."""
        arg, element = arg if isinstance(arg, tuple) else (arg, -1)
        signature = self.signature(name)
        index = signature.index_of(arg)
        c_type = signature.params[index][0]
        if c_type not in POINTER_TYPES:
            raise ProbeError(f"{name} argument {arg!r} is a {c_type}, not a pointer")
        if element >= 0 and c_type != "char**":
            raise ProbeError(f"{name} argument {arg!r} has no elements")
        data = bytes(data)
        self._check(self.lib.probe_script_write(
            name.encode(), index, element, offset, data, len(data), on_call), name)

    def write_int(self, name, arg, value, offset=0, on_call=0):
        self.write_ints(name, arg, [value], offset, on_call)

    def write_ints(self, name, arg, values, offset=0, on_call=0):
        self.write_bytes(name, arg, _pack("i", values), offset, on_call)

    def write_floats(self, name, arg, values, offset=0, on_call=0):
        self.write_bytes(name, arg, _pack("f", values), offset, on_call)

    def write_doubles(self, name, arg, values, offset=0, on_call=0):
        self.write_bytes(name, arg, _pack("d", values), offset, on_call)

    def write_text(self, name, arg, text, offset=0, on_call=0):
        """Write text (bytes, or str as UTF-8) followed by one NUL."""
        if isinstance(text, str):
            text = text.encode()
        self.write_bytes(name, arg, bytes(text) + b"\0", offset, on_call)

    # ---- data objects ------------------------------------------------------

    def set_data(self, name, value):
        """Set a data object (FNUMND, FSTRNA, ...) until reset. Texts take
        bytes or str; floats are narrowed as a C float would be."""
        kind = self._data_kind(name)
        key = name.encode()
        if kind == "int":
            result = self.lib.probe_data_set_int(key, value)
        elif kind in ("float", "double"):
            result = self.lib.probe_data_set_real(key, value)
        else:
            text = value.encode() if isinstance(value, str) else bytes(value)
            result = self.lib.probe_data_set_text(key, text, len(text))
        self._check(result, name)

    def data(self, name):
        """A data object's current value: int, float (a C float widened), or
        the text's bytes."""
        kind = self._data_kind(name)
        address = self.lib.probe_data_address(name.encode())
        if kind == "text":
            return ctypes.string_at(address)
        c_type = {"int": ctypes.c_int, "float": ctypes.c_float, "double": ctypes.c_double}[kind]
        return c_type.from_address(address).value

    def data_capacity(self, name):
        """Room of a text data object, terminator included."""
        capacity = ctypes.c_size_t()
        self.lib.probe_data_kind(name.encode(), ctypes.byref(capacity))
        return capacity.value

    # ---- allocation sizes --------------------------------------------------

    @property
    def size_source(self):
        """'sanitizer', 'tracker' (the preloaded alloc_tracker) or None."""
        return SIZE_SOURCES[self.lib.probe_size_source()]

    @property
    def sizes_known(self):
        """Whether allocations made now get their sizes recorded."""
        return self.size_source == "sanitizer" or (self.size_source == "tracker" and self._tracking)

    def tracking(self, enabled):
        """Switch the tracker's recording; returns the previous setting.
        A no-op without a tracker."""
        previous = self._tracking
        self._tracking = self.lib.probe_set_tracking(int(bool(enabled))) >= 0 and bool(enabled)
        return previous

    def allocation_size(self, address):
        return self.lib.probe_allocation_size(ctypes.c_void_p(address))

    # ---- internals ---------------------------------------------------------

    def _declare(self):
        lib, c = self.lib, ctypes
        signatures = {
            "probe_reset": (None, []),
            "probe_reset_log": (None, []),
            "probe_log": (c.c_size_t, [c.c_void_p, c.c_size_t]),
            "probe_problems": (c.c_size_t, [c.c_void_p, c.c_size_t]),
            "probe_clear_problems": (None, []),
            "probe_script_return": (c.c_int, [c.c_char_p, c.c_int, c.c_uint]),
            "probe_script_write": (c.c_int, [c.c_char_p, c.c_int, c.c_int, c.c_longlong,
                                             c.c_char_p, c.c_size_t, c.c_uint]),
            "probe_function_count": (c.c_size_t, []),
            "probe_function_name": (c.c_char_p, [c.c_size_t]),
            "probe_function_params": (c.c_char_p, [c.c_size_t]),
            "probe_function_extended": (c.c_int, [c.c_size_t]),
            "probe_data_kind": (c.c_int, [c.c_char_p, c.POINTER(c.c_size_t)]),
            "probe_data_set_int": (c.c_int, [c.c_char_p, c.c_int]),
            "probe_data_set_real": (c.c_int, [c.c_char_p, c.c_double]),
            "probe_data_set_text": (c.c_int, [c.c_char_p, c.c_char_p, c.c_size_t]),
            "probe_data_address": (c.c_void_p, [c.c_char_p]),
            "probe_size_source": (c.c_int, []),
            "probe_set_tracking": (c.c_int, [c.c_int]),
            "probe_allocation_size": (c.c_longlong, [c.c_void_p]),
        }
        for name, (restype, argtypes) in signatures.items():
            function = getattr(lib, name)
            function.restype, function.argtypes = restype, argtypes

    def _read_signatures(self):
        signatures = {}
        for i in range(self.lib.probe_function_count()):
            name = self.lib.probe_function_name(i).decode()
            params = parse_params(self.lib.probe_function_params(i).decode())
            signatures[name] = Signature(name, bool(self.lib.probe_function_extended(i)), params)
        return signatures

    def _pull(self, getter):
        size = getter(None, 0)
        buffer = ctypes.create_string_buffer(size)
        getter(buffer, size)
        return buffer.raw[:size]

    def _data_kind(self, name):
        kind = DATA_KINDS.get(self.lib.probe_data_kind(name.encode(), None))
        if kind is None:
            raise ProbeError(f"the probe has no data object {name!r}")
        return kind

    @staticmethod
    def _check(result, name):
        if result == -1:
            raise ProbeError(f"the probe knows no {name!r}")
        if result != 0:
            raise ProbeError(f"the probe refused the request for {name!r}")

    @staticmethod
    def _encode(signature, index, element, value):
        """A scripted value as bytes, in the declared type of its argument."""
        if isinstance(value, (bytes, bytearray)):
            return bytes(value)
        c_type = signature.params[index][0]
        if isinstance(value, str):
            if c_type != "char*" and not (c_type == "char**" and element >= 0):
                raise ProbeError(f"{signature.name}: text for a {c_type} argument")
            return value.encode() + b"\0"
        if c_type not in ELEMENT_FORMATS:
            raise ProbeError(f"{signature.name}: give bytes or use a typed write_* "
                             f"for a {c_type} argument")
        values = value if isinstance(value, (list, tuple)) else [value]
        return _pack(ELEMENT_FORMATS[c_type], values)


def _pack(fmt, values):
    return struct.pack(f"={len(values)}{fmt}", *values)
