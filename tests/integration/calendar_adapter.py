"""The engine's calendar functions through ctypes, in the module's calling form.

Each function takes the arguments the pyrqx module takes (a status cell first
for classic functions, one-element lists as cells, lists for arrays) and
behaves like it: cells are written back, classic functions return None and
extended ones return the status. Once the module's date bindings exist, the
oracle can use ``pyrqx`` in place of this adapter.

The library is the one the installed module loaded, else the one named by
the CRQX_LIBRARY environment variable, else one in the usual build
directories.
"""
import ctypes
import os
import pathlib

_ROOT = pathlib.Path(__file__).resolve().parents[2]


def _loaded_by_module():
    """The engine that `import pyrqx` loaded (Linux: from the process map)."""
    try:
        import pyrqx  # noqa: F401
        with open("/proc/self/maps") as maps:
            for line in maps:
                if line.rstrip().endswith("/libcrqx.so"):
                    return line.split()[-1]
    except (ImportError, OSError):
        pass
    return ""


_CANDIDATES = [
    _loaded_by_module(),
    os.environ.get("CRQX_LIBRARY", ""),
    str(_ROOT / "build" / "engine" / "libcrqx.so"),
    *sorted(str(p) for p in _ROOT.glob("build/*/engine/libcrqx.so")),
]

# Parameter kinds: S status cell, v int value, c int cell, s text cell,
# a int list (written back).
SIGNATURES = {
    "qzvdatd": "Svvccc", "qzvddat": "Svcvvv", "qzvdatp": "Svvcc", "qzvpdat": "Svcvv",
    "qzvdatf": "Svvccvv", "qzvfdat": "Svcvvvv", "qzvdatt": "Svvcccc", "qzvtdat": "Svcvvvv",
    "qzvdatl": "Svvsvv", "qzvldat": "Svcsvvv", "qzvdati": "Svvssvv", "qzvidat": "Svcssvvv",
    "qzvtody": "Svc", "qzvislp": "Svc",
    "qzvpfrq": "Scvvvv", "qzvufrq": "Svcccc", "qzvfdiv": "Svvc", "qzvchfr": "Svvvvcv",
    "qzvwkdy": "Svvc", "qzvbwdy": "Svvc", "qzvpind": "Svc", "qzvpinm": "Svvvc", "qzvpiny": "Svvc",
    "qzvsrng": "Svccccac", "qzvsfis": "Svccccacvv",
    "zavo_init_range_from_indexes": "avvv", "zavo_init_range_from_start_numobs": "avvv",
    "zavo_init_range_from_end_numobs": "avvv", "zavo_get_range_numobs": "ac",
    "zavo_year_period_to_index": "vcvv", "zavo_index_to_year_period": "vvcc",
    "zavo_index_to_day": "vvccc", "zavo_day_to_index": "vcvvvv",
    "zavo_index_to_time": "vvccccccc", "zavo_time_to_index": "vcvvvvvvvv",
    "zavo_int_to_index": "ccv", "zavo_index_to_int": "aav", "zavo_current_time": "vc",
    "zavo_date_missing_type": "vc", "zavo_weekday": "vvc", "zavo_biweekday": "vvc",
    "zavo_dateof": "vvvvcv", "zavo_parse_frequency": "cs", "zavo_get_base_frequency": "cv",
    "zavo_literal_to_date": "vcsvvv", "zavo_scan_date": "vcssvvv",
    "zavo_date_to_literal": "vvsvvvc", "zavo_format_date": "vvssvvvc",
}
# Position of the length argument that sizes the text buffers (the module
# makes such buffers at least length + 1 bytes).
_LENGTH_ARG = {"zavo_date_to_literal": 5, "zavo_format_date": 6}


def _constants():
    """The interface's codes (HSUCC, HDAILY, ...) from crqx_constants.def."""
    import re

    text = (_ROOT / "src" / "crqx" / "crqx_constants.def").read_text()
    return {n: int(v) for n, v in re.findall(r"^CRQX_CONST\((\w+),\s*(-?\d+)\)", text, re.M)}


globals().update(_constants())


def load():
    for path in _CANDIDATES:
        if path and os.path.exists(path):
            return ctypes.CDLL(path)
    raise FileNotFoundError("libcrqx.so not found; set CRQX_LIBRARY")


LIB = load()


def _call(name, kinds, args):
    if len(args) != len(kinds):
        raise TypeError(f"{name} takes {len(kinds)} arguments")
    min_text = 0
    if name in _LENGTH_ARG:
        min_text = max(0, int(args[_LENGTH_ARG[name]])) + 1
    c_args, keep = [], []
    for kind, arg in zip(kinds, args):
        if kind == "S":
            cell = ctypes.c_int(-1)
        elif kind == "v":
            c_args.append(ctypes.c_int(int(arg)))
            continue
        elif kind == "c":
            cell = ctypes.c_int(int(arg[0])) if arg is not None else None
        elif kind == "s":
            if arg is None:
                cell = None
            else:
                data = arg[0].encode("UTF-8")
                cell = ctypes.create_string_buffer(data, max(len(data) + 1, min_text))
        else:  # "a"
            cell = (ctypes.c_int * len(arg))(*[int(x) for x in arg]) if arg is not None else None
        keep.append((kind, arg, cell))
        c_args.append(ctypes.byref(cell) if kind in "Sc" and cell is not None else cell)
    result = getattr(LIB, name)(*c_args)
    for kind, arg, cell in keep:
        if arg is None or cell is None:
            continue
        if kind == "S" or kind == "c":
            arg[0] = cell.value
        elif kind == "s":
            arg[0] = cell.value.decode("UTF-8")
        else:
            arg[:] = list(cell)
    return None if kinds[0] == "S" else result


def _make(name, kinds):
    def function(*args):
        return _call(name, kinds, args)

    function.__name__ = name
    return function


for _name, _kinds in SIGNATURES.items():
    getattr(LIB, _name).restype = None if _kinds[0] == "S" else ctypes.c_int
    globals()[_name] = _make(_name, _kinds)


def qzvini(status):
    cell = ctypes.c_int(-1)
    LIB.qzvini(ctypes.byref(cell))
    status[0] = cell.value


def qzvfin(status):
    cell = ctypes.c_int(-1)
    LIB.qzvfin(ctypes.byref(cell))
    status[0] = cell.value


LIB.qzvini.restype = None
LIB.qzvfin.restype = None
