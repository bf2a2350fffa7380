"""The module's type stubs: installed beside it, clean under mypy's
stubtest, and naming every parameter as the module binds it."""
import ast
import os
import shutil
import subprocess
import sys

import pytest

import pyrqx

STUB = os.path.join(os.path.dirname(pyrqx.__file__), "pyrqx.pyi")
SOURCE_STUBS = os.path.join(os.path.dirname(__file__), "..", "..", "python", "stubs")


@pytest.fixture(scope="module")
def stub_folder(tmp_path_factory):
    """A copy of the installed stub: mypy refuses site-packages on its path."""
    folder = tmp_path_factory.mktemp("stubs")
    shutil.copy(STUB, str(folder))
    return str(folder)


def mypy(*args, folder):
    env = dict(os.environ, MYPYPATH=folder)
    return subprocess.run([sys.executable, "-m", *args], capture_output=True, text=True, env=env,
                          timeout=600, cwd=folder)


def generated_signatures():
    """The module's functions whose signature the interpreter makes up.

    The module gives its functions no signature text (their docstrings are
    fixed), and their __self__ is None. From Python 3.13 on, the interpreter
    gives a function taking no argument or one object a signature of its own,
    "($self, /)" or "($self, object, /)", whose $self it can only drop when
    __self__ is set: stubtest then sees a parameter no caller passes."""
    return sorted(name for name in dir(pyrqx)
                  if (getattr(getattr(pyrqx, name), "__text_signature__", None) or "").startswith("($self"))


def test_stubtest_finds_no_difference(stub_folder):
    made_up = generated_signatures()
    # Only the functions of no argument or of one object, and each still
    # takes what the stub says: nothing for the sentinels, one status cell
    # for the single-object forms.
    stubbed = dict(stub_functions())
    assert all(len(stubbed[name]) <= 1 for name in made_up), made_up
    for name in made_up:
        if not stubbed[name]:
            getattr(pyrqx, name)()
    args = ["mypy.stubtest", "pyrqx"]
    if made_up:
        allowlist = os.path.join(stub_folder, "made-up-signatures.txt")
        with open(allowlist, "w") as listing:
            listing.write("".join("pyrqx.%s\n" % name for name in made_up))
        args += ["--allowlist", allowlist, "--ignore-unused-allowlist"]
    done = mypy(*args, folder=stub_folder)
    assert done.returncode == 0, done.stdout + done.stderr


def test_installed_stub_is_the_generated_one():
    generator = os.path.join(SOURCE_STUBS, "generate.py")
    if not os.path.exists(generator):
        pytest.skip("no source tree beside the tests")
    done = subprocess.run([sys.executable, generator, "--check"], capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    with open(STUB) as installed, open(os.path.join(SOURCE_STUBS, "pyrqx.pyi")) as source:
        assert installed.read() == source.read()


class Poisoned(Exception):
    pass


class Poison:
    """Fails every conversion the module could try, so a call that binds its
    arguments stops right after binding, before the library."""

    def _fail(self, *args):
        raise Poisoned()

    __int__ = __index__ = __float__ = __bool__ = __getitem__ = __setitem__ = __len__ = encode = _fail


def stub_functions():
    with open(STUB) as stub:
        tree = ast.parse(stub.read())
    return [(node.name, [a.arg for a in node.args.args]) for node in tree.body
            if isinstance(node, ast.FunctionDef)]


def test_every_function_of_the_module_is_in_the_stub():
    names = {name for name, _ in stub_functions()}
    module = {name for name in dir(pyrqx) if callable(getattr(pyrqx, name)) and not name.startswith("_")}
    assert module - {"struct"} == names and len(names) == 203


@pytest.mark.parametrize("name,params", [f for f in stub_functions() if len(f[1]) > 1],
                         ids=lambda v: v if isinstance(v, str) else "")
def test_stub_parameters_bind_by_keyword(name, params):
    function = getattr(pyrqx, name)
    with pytest.raises(Poisoned):
        function(**{param: Poison() for param in params})
    with pytest.raises(TypeError):
        function(**{param: Poison() for param in params[:-1]})


def test_mypy_checks_programs_against_the_stub(stub_folder):
    program = os.path.join(stub_folder, "program.py")
    with open(program, "w") as source:
        source.write("import pyrqx\nstatus = [0]\npyrqx.qzvopdb(status, [0], 'not a cell', pyrqx.HRMODE)\n"
                     "version: str = pyrqx.zavo_get_dbversion(1, [0])\n")
    done = mypy("mypy", "--no-incremental", program, folder=stub_folder)
    assert done.returncode == 1
    assert 'Argument 3 to "qzvopdb" has incompatible type "str"' in done.stdout
    assert 'Incompatible types in assignment (expression has type "int"' in done.stdout


def test_the_package_is_typed_for_its_users(stub_folder):
    program = os.path.join(stub_folder, "user.py")
    with open(program, "w") as source:
        source.write("import rqx\nwith rqx.open('x.db') as db:\n    names: list[str] = db.list('C*')\n"
                     "    count: str = len(db['C'])\n")
    done = mypy("mypy", "--no-incremental", "--disable-error-code", "import-untyped", "-p", "rqx",
                folder=stub_folder)
    assert done.returncode == 0, done.stdout
    done = mypy("mypy", "--no-incremental", program, folder=stub_folder)
    assert done.returncode == 1
    assert done.stdout.count("error:") == 1, done.stdout
    assert 'user.py:4: error: Incompatible types in assignment (expression has type "int"' in done.stdout
