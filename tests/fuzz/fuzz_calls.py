"""Hostile calls of every function of pyrqx against the real engine.

Runs a child interpreter that makes `--calls` calls drawn with `--seed`
(each round calls every function of the module once, in a shuffled order,
with arguments from the seeded corpus), and fails on a crash, a sanitizer
report, a hang, an exception other than the module's documented ones, an
exception without a message, or a classic function that left its status at
-1. The same seed and count replay the same calls.

  fuzz_calls.py --build <build dir> [--calls N] [--seed S] [--seconds T]
                [--module planted-module]

The build directory's module (<build>/module) is the one imported: under
scripts/test that is the ASan/UBSan build, with the sanitizer runtimes
preloaded (see scripts/test). The report lists the calls made per function
of the interface's listing and fails if one was never called.

A long run by hand: the same environment as scripts/test's, with
`--calls 5000000 --seconds 3600` and seeds of your choice. The module
variant with one length guard removed (cmake --build <build> --target
pyrqx_planted; then --module planted-module) must fail within seconds.
"""
import argparse
import ast
import collections
import os
import random
import re
import reprlib
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import corpus  # noqa: E402
from arguments import Arguments  # noqa: E402
from world import World  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
STUBS = ROOT / "python/stubs/pyrqx.pyi"
LISTING = ROOT / "src/crqx/crqx_functions.def"
CONSTANTS = ROOT / "src/crqx/crqx_constants.def"
# The exceptions of bad arguments: the module's own, and those the caller's
# objects raise when a cell is read (a dict without item 0, an int with no
# encode); and the corpus's own, from objects that misbehave on purpose; any
# other is a fault.
EXPECTED = (TypeError, ValueError, OverflowError, MemoryError, LookupError, AttributeError,
            corpus.Planted)
RESTART_EVERY = 800    # calls between fresh files and a fresh session
AFTER_FIN = 10         # calls made outside a session after a qzvfin
STALL_SECONDS = 60


def signatures():
    """{function: [(parameter, annotation)]} from the module's stubs."""
    tree = ast.parse(STUBS.read_text())
    return {node.name: [(a.arg, ast.unparse(a.annotation)) for a in node.args.args]
            for node in tree.body if isinstance(node, ast.FunctionDef)}


def listing():
    return re.findall(r"^CRQX_(?:CLASSIC|EXTENDED)\((\w+),", LISTING.read_text(), re.M)


def status_codes():
    """The status codes of the interface's table."""
    section = CONSTANTS.read_text().split("/* Status codes */")[1].split("/*")[0]
    return {int(v) for v in re.findall(r"CRQX_CONST\(\w+, (-?\d+)\)", section)}


def library_function(name, listed):
    """The listing's function behind a module function: itself, or for the
    typed variants (qzvrrng_double) the listing's _f row."""
    if name in listed:
        return name
    base = name.rsplit("_", 1)[0] + "_f"
    return base if base in listed else None


def first(cell):
    """Element 0 of a plain one-element list (a cell the call wrote), else None."""
    return cell[0] if type(cell) is list and len(cell) == 1 else None


# ==== the child: makes the calls ================================================
class Fuzzer:
    def __init__(self, p, seed, progress_fd):
        self.p = p
        self.rng = random.Random(seed)
        self.world = World(p, os.getcwd(), self.rng)
        self.world.make_seed()
        self.world.start()
        self.args = Arguments(p, self.world, self.rng)
        sigs = signatures()
        self.functions = sorted(n for n in sigs if callable(getattr(p, n, None)))
        self.params = sigs
        self.listed = listing()
        self.codes = status_codes()
        self.progress_fd = progress_fd
        self.calls = collections.Counter()
        self.raised = collections.Counter()
        self.statuses = collections.Counter()   # of the calls the engine answered
        self.faults = []
        self.short = reprlib.Repr()
        self.short.maxstring, self.short.maxother, self.short.maxlist = 60, 60, 4

    def note(self, index, fn, args, kwargs):
        line = "call %d: %s%s %s" % (index, fn, self.short.repr(tuple(args)),
                                     self.short.repr(kwargs) if kwargs else "")
        os.pwrite(self.progress_fd, line.encode("utf-8", "replace")[:4000].ljust(4096), 0)
        return line

    def shape(self, fn, args):
        """The call's form: positional mostly; keywords, one argument short
        or one too many sometimes."""
        r = self.rng.random()
        names = [n for n, _ in self.params[fn]]
        if r < 0.03 and args:
            return [], dict(zip(names, args))
        if r < 0.04 and args:
            return args[:-1], {}
        if r < 0.05:
            return args + [0], {}
        if r < 0.055 and args:
            return args[:1], {names[-1]: args[-1], "nosuch": 1}
        return args, {}

    def run(self, budget, seconds):
        started = time.monotonic()
        index, fin_at, order = 0, None, []
        while index < budget and time.monotonic() - started < seconds:
            if not order:
                order = list(self.functions)
                self.rng.shuffle(order)
            fn = order.pop()
            if index and index % RESTART_EVERY == 0 or fin_at is not None and index - fin_at > AFTER_FIN:
                self.world.start()
                fin_at = None
            args, kwargs = self.shape(fn, self.args.build(fn, self.params[fn]))
            line = self.note(index, fn, args, kwargs)
            index += 1
            self.calls[fn] += 1
            try:
                result = getattr(self.p, fn)(*args, **kwargs)
            except EXPECTED as e:
                self.raised[type(e).__name__] += 1
                if not str(e):
                    self.faults.append("%s: %s without a message" % (line, type(e).__name__))
                continue
            except Exception as e:  # noqa: BLE001 - any other is the fault looked for
                self.faults.append("%s: %s: %s" % (line, type(e).__name__, e))
                continue
            self.statuses[self.status(fn, args, kwargs, result) == self.p.HSUCC] += 1
            self.check_status(fn, args, kwargs, result, line)
            if fn == "qzvfin":
                fin_at = index
            self.harvest(fn, args, kwargs, result)
        return index, time.monotonic() - started

    def status(self, fn, args, kwargs, result):
        if self.params[fn] and self.params[fn][0][0] == "status":
            cell = kwargs.get("status", args[0] if args else None)
            return first(cell)
        return result

    def check_status(self, fn, args, kwargs, result, line):
        """A status of the table: never the -1 the module starts with."""
        s = self.status(fn, args, kwargs, result)
        if s is None or library_function(fn, self.listed) is None:
            return
        if s == -1:
            self.faults.append("%s: status left at -1" % line)
        elif s not in self.codes:
            self.faults.append("%s: status %r is not a status code" % (line, s))

    def harvest(self, fn, args, kwargs, result):
        """Keeps the keys a call handed out or took back."""
        if kwargs or self.status(fn, args, kwargs, result) != self.p.HSUCC:
            if fn == "qzvcldb" and len(args) > 1:
                self.world.closed_key(args[1])
            return
        w = self.world
        if fn in ("qzvopdb", "qzvopdc", "qzvopre", "qzvoprc", "qzvopwk"):
            w.opened(first(args[1]))
        elif fn == "qzvcldb":
            w.closed_key(args[1])
        elif fn == "qzvopcn" and first(args[1]) is not None:
            w.conns.append(first(args[1]))
        elif fn == "zavo_init_wildcard" and first(args[1]) is not None:
            w.wilds.append(first(args[1]))
        elif fn == "qzvfin":
            w.closed += w.live
            w.live, w.started = [], []

    def report(self, made, seconds):
        listed = self.listed
        per_listing = collections.Counter()
        for fn, n in self.calls.items():
            per_listing[library_function(fn, listed)] += n
        missing = [f for f in listed if per_listing[f] == 0]
        print("fuzz: %d calls of %d module functions in %.1f s (%d more to keep the session "
              "going); %d of %d functions of the listing called" %
              (made, len(self.calls), seconds, self.world.bookkeeping,
               len(listed) - len(missing), len(listed)))
        print("fuzz: %d calls answered by the engine (%d with HSUCC), %d refused by the module "
              "with an exception" % (sum(self.statuses.values()), self.statuses[True],
                                     sum(self.raised.values())))
        print("fuzz: exceptions raised (documented kinds): " +
              ", ".join("%s %d" % kv for kv in sorted(self.raised.items())))
        print("fuzz: calls per function of the listing:")
        row = ["%s %d" % (f, per_listing[f]) for f in listed]
        for i in range(0, len(row), 6):
            print("  " + ", ".join(row[i:i + 6]))
        for fault in self.faults[:50]:
            print("FAULT: " + fault)
        if missing:
            print("FAULT: never called: " + ", ".join(missing))
        return not self.faults and not missing


def child(opts):
    sys.path.insert(0, str(Path(opts.build, opts.module)))
    import pyrqx

    assert Path(pyrqx.__file__).parent == Path(opts.build, opts.module), pyrqx.__file__
    fd = os.open(opts.progress, os.O_WRONLY | os.O_CREAT, 0o644)
    fuzzer = Fuzzer(pyrqx, opts.seed, fd)
    made, seconds = fuzzer.run(opts.calls, opts.seconds)
    fuzzer.world.call("qzvfin")
    fuzzer.world.check_descriptors()
    fuzzer.faults += fuzzer.world.leaks
    return 0 if fuzzer.report(made, seconds) else 1


# ==== the parent: watches the child ================================================
def parent(opts):
    folder = Path(tempfile.mkdtemp(prefix="crqx-fuzz-", dir="/dev/shm" if os.path.isdir("/dev/shm") else None))
    progress = folder / "progress"
    work = folder / "files"
    work.mkdir()
    command = [sys.executable, str(Path(__file__).resolve()), "--child", "--build",
               str(Path(opts.build).resolve()), "--module", opts.module, "--calls", str(opts.calls), "--seed",
               str(opts.seed), "--seconds", str(opts.seconds), "--progress", str(progress)]
    print("fuzz: seed %d, at most %d calls or %d s, build %s" %
          (opts.seed, opts.calls, opts.seconds, opts.build), flush=True)
    started = time.monotonic()
    proc = subprocess.Popen(command, cwd=work, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    last, still_since, hung = b"", time.monotonic(), False
    while proc.poll() is None:
        time.sleep(1)
        now = progress.read_bytes() if progress.exists() else b""
        if now != last:
            last, still_since = now, time.monotonic()
        elif time.monotonic() - still_since > STALL_SECONDS:
            hung = True
            proc.kill()
    out, err = proc.communicate()
    sys.stdout.write(out.decode("utf-8", "replace"))
    last_call = (progress.read_bytes() if progress.exists() else b"").decode("utf-8", "replace").strip()
    shutil.rmtree(folder, ignore_errors=True)
    err_text = err.decode("utf-8", "replace")
    sanitizer = re.search(r"ERROR: AddressSanitizer|runtime error:|ERROR: LeakSanitizer", err_text)
    if proc.returncode == 0 and not sanitizer and not hung:
        print("fuzz: passed in %.1f s" % (time.monotonic() - started))
        return 0
    print("fuzz: FAILED (%s)" % ("hung for %d s" % STALL_SECONDS if hung else
                                 "sanitizer report" if sanitizer else
                                 "exit status %d" % proc.returncode))
    if proc.returncode != 1 or sanitizer or hung:
        print("fuzz: the last call begun: " + last_call)
    if err_text:
        print(err_text[-8000:])
    print("fuzz: replay with: %s %s --build %s --module %s --seed %d --calls %d" %
          (sys.executable, Path(__file__).resolve(), opts.build, opts.module, opts.seed,
           opts.calls))
    return 1


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", required=True, help="build directory holding module/pyrqx*.so")
    ap.add_argument("--module", default="module",
                    help="the module's folder in the build (planted-module: the variant with "
                         "a guard removed, target pyrqx_planted)")
    ap.add_argument("--calls", type=int, default=100_000)
    ap.add_argument("--seed", type=int, default=13)
    ap.add_argument("--seconds", type=float, default=240, help="stop earlier after this long")
    ap.add_argument("--child", action="store_true", help=argparse.SUPPRESS)
    ap.add_argument("--progress", help=argparse.SUPPRESS)
    opts = ap.parse_args()
    sys.exit(child(opts) if opts.child else parent(opts))


if __name__ == "__main__":
    main()
