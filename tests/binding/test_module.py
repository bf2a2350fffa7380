"""The module object: attributes, constants, registry, calling forms, import."""
import ctypes
import os
import struct
import subprocess
import sys
import textwrap

import pytest

SENTINELS = [
    "FPRCNA", "FPRCNC", "FPRCND", "FNUMNA", "FNUMNC", "FNUMND",
    "FBOONA", "FBOONC", "FBOOND", "FDATNA", "FDATNC", "FDATND",
    "FSTRNA", "FSTRNC", "FSTRND", "ZAVO_INDEX_NA", "ZAVO_INDEX_NC", "ZAVO_INDEX_ND",
]
SINGLE_OBJECT = {"qzvini", "qzvfin", "zavo_free_wildcard"}
STANDARD = {"__name__", "__doc__", "__file__", "__loader__", "__package__", "__spec__"}


def constants_in_order(module):
    return [(k, v) for k, v in vars(module).items() if isinstance(v, int) and not callable(v)]


def functions_in_order(module):
    return [k for k, v in vars(module).items() if callable(v) and k != "struct"]


def test_constants_count_order_and_family_values(pyrqx):
    consts = constants_in_order(pyrqx)
    assert len(consts) == 314
    names = [k for k, _ in consts]
    # Families follow each other in a fixed order: first and last of each.
    for first, last in [("HSUCC", "HBFMON"), ("HNAMLEN_V3", "HNAMSIZ"), ("HRMODE", "HDMODE"),
                        ("HSERIE", "HGLFOR"), ("HUNDFT", "HDATE"), ("HUNDFX", "HWEEK_PATTERN"),
                        ("HJAN", "HDEC"), ("HASUN", "HBSAT"), ("RQX_MAX_STR_LEN", "HRMKEY")]:
        assert names.index(first) < names.index(last)
    assert names[0] == "HSUCC" and names[-1] == "HRMKEY"
    assert names.index("HBFMON") + 1 == names.index("HNAMLEN_V3")
    values = dict(consts)
    assert values["HNAMSIZ"] - values["HNAMLEN"] == 1
    assert values["HBFMON"] == values["HBMONT"] == 30
    assert values["HNLALL"] == -1 and min(values.values()) == -1
    assert values["RQX_MAX_ZAVO_CMD"] == 2 ** 20 + 2
    assert values["RQX_MAX_ZAVO_INPUT_SIZE"] == values["RQX_MAX_ZAVO_INPUT"] + 1 == 65535
    assert (values["HIFAIL"], values["HZAVOR"], values["HNOFORMV3"]) == (511, 513, 147)
    assert (values["HWEEK_PATTERN"], values["HCASEX"], values["HMSEC"]) == (233, 232, 229)
    assert all(type(v) is int for _, v in consts)


def test_function_registry_order_and_records(pyrqx):
    names = functions_in_order(pyrqx)
    wrapped = names[: len(names) - len(SENTINELS)]
    assert names[len(wrapped):] == SENTINELS
    qzv = [n for n in wrapped if n.startswith("qzv")]
    zavo = [n for n in wrapped if n.startswith("zavo_")]
    assert wrapped == sorted(qzv) + sorted(zavo)
    for name in wrapped:
        fn = getattr(pyrqx, name)
        assert fn.__name__ == name
        assert fn.__doc__ == "Valmora C-RQX " + name
        assert fn.__module__ == "pyrqx"
        assert fn.__self__ is None
    for name in SENTINELS:
        assert getattr(pyrqx, name).__doc__ is None
        assert getattr(pyrqx, name).__self__ is None


def test_module_attributes(pyrqx):
    assert pyrqx.__doc__ is None
    assert pyrqx.struct is struct
    assert pyrqx.__test__ == {} and type(pyrqx.__test__) is dict
    import builtins
    assert pyrqx.__builtins__ is builtins
    extra = set(vars(pyrqx)) - STANDARD - {"__builtins__", "struct", "__test__"}
    assert all(k.startswith(("qzv", "zavo_", "H", "F", "RQX_", "ZAVO_")) for k in extra)


@pytest.mark.parametrize("call", [
    lambda m: m.qzvini(),
    lambda m: m.qzvini([0], [0]),
    lambda m: m.qzvini(status=[0]),
    lambda m: m.qzvfin(),
    lambda m: m.FNUMNC(0),
    lambda m: m.ZAVO_INDEX_ND(x=1),
])
def test_fixed_forms_reject_other_arguments(pyrqx, call):
    with pytest.raises(TypeError):
        call(pyrqx)


def test_only_export_is_the_entry_point(pyrqx):
    out = subprocess.run(["nm", "-D", "--defined-only", pyrqx.__file__],
                         capture_output=True, text=True, check=True).stdout
    exported = [line.split()[-1] for line in out.splitlines() if line.strip()]
    assert exported == ["PyInit_pyrqx"]


def test_entry_point_called_again_returns_the_same_module(pyrqx):
    lib = ctypes.PyDLL(pyrqx.__file__)
    lib.PyInit_pyrqx.restype = ctypes.py_object
    assert lib.PyInit_pyrqx() is pyrqx
    assert lib.PyInit_pyrqx() is pyrqx


def run_python(code, module_dir, *flags):
    env = dict(os.environ, PYTHONPATH=module_dir)
    return subprocess.run([sys.executable, *flags, "-c", textwrap.dedent(code)],
                          capture_output=True, text=True, env=env)


def test_import_of_matching_build_is_silent(pyrqx):
    r = run_python("import pyrqx", os.path.dirname(pyrqx.__file__), "-W", "error")
    assert r.returncode == 0, r.stderr


def test_version_mismatch_warns_or_fails_when_warnings_are_errors(other_version_dir):
    runtime = sys.version[:3]
    code = """
        import warnings
        with warnings.catch_warnings(record=True) as caught:
            warnings.simplefilter("always")
            import pyrqx
        print(len(caught), caught[0].category.__name__, caught[0].message)
    """
    r = run_python(code, other_version_dir)
    assert r.returncode == 0, r.stderr
    count, category, message = r.stdout.strip().split(" ", 2)
    built = "3.6" if runtime[2] == "7" else "3.7"
    assert (count, category) == ("1", "RuntimeWarning")
    assert message == "compiletime version %s of module 'pyrqx' does not match runtime version %s" % (
        built, runtime)
    r = run_python("import pyrqx", other_version_dir, "-W", "error::RuntimeWarning")
    assert r.returncode != 0 and "RuntimeWarning: compiletime version" in r.stderr
    # A failed import leaves no half-built module behind: a second import
    # runs the whole initialisation again.
    code = """
        import warnings
        warnings.simplefilter("error")
        try:
            import pyrqx
        except RuntimeWarning:
            pass
        warnings.simplefilter("ignore")
        import sys
        sys.modules.pop("pyrqx", None)
        import pyrqx
        print(pyrqx.HSUCC, len([k for k in vars(pyrqx) if k.startswith("H")]))
    """
    r = run_python(code, other_version_dir)
    assert r.returncode == 0, r.stderr
    assert r.stdout.split()[0] == "0"
