"""Call overhead and bulk transfer: pyrqx against a Cython peer and a ctypes
peer of the same functions, over the same fake library, in one process.

Run through bench/run, which builds the three and sets the paths. Prints
figures only; it never fails on a figure (a missed target reads MISS).
"""
import argparse
import gc
import importlib
import os
import sys
import timeit

HERE = os.path.dirname(os.path.abspath(__file__))

BIG = 1_000_000
SMALL = 10
NAME = "SERIES.NAME"


def parse_args():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("--module-dir", required=True, help="directory holding the pyrqx built on the fake library")
    p.add_argument("--peer-dir", required=True, help="directory holding peer_cython")
    p.add_argument("--quick", action="store_true", help="fewer repeats, shorter runs")
    p.add_argument("--repeat", type=int, default=None, help="repeats per measurement (best is kept)")
    p.add_argument("--only", default=None, help="run only the rows whose label contains this text")
    return p.parse_args()


def load_implementations(args):
    sys.path.insert(0, args.module_dir)
    sys.path.insert(0, args.peer_dir)
    sys.path.insert(0, HERE)
    impls = {}
    pyrqx = importlib.import_module("pyrqx")
    where = os.path.dirname(os.path.abspath(pyrqx.__file__))
    if os.path.abspath(args.module_dir) != where:
        sys.exit(f"bench: imported pyrqx from {where}, not from {args.module_dir}")
    impls["pyrqx"] = pyrqx
    impls["Cython"] = importlib.import_module("peer_cython_varargs")
    impls["Cython vectorcall"] = importlib.import_module("peer_cython")
    impls["ctypes"] = importlib.import_module("peer_ctypes")
    return impls


# ---- the rows --------------------------------------------------------------
#
# Each row gives the function's name, a maker of fresh arguments, a check of
# the results after one call, and the target ratio pyrqx/Cython.

def range_of(n):
    return [1, 100, 100 + n - 1]  # [frequency, first index, last index]


def expected(n):
    return [i * 0.5 for i in range(n)]


def args_qzvver():
    return ([None], [0.0])


def check_qzvver(a, rc):
    status, ver = a
    return status == [0] and ver == [12.5] and type(ver[0]) is float and rc is None


def args_rrng(n):
    return lambda: ([None], 7, [NAME], range_of(n), [0.0] * n, 0, [0.0, 0.0, 0.0])


def check_rrng(n):
    def check(a, rc):
        status, _, objnam, rng, valary, _, mistt = a
        return (rc is None and status == [0] and objnam == [NAME] and rng == range_of(n)
                and len(valary) == n and valary == expected(n)
                and all(type(x) is float for x in valary[:100])
                and mistt == [0.0, 0.0, 0.0])
    return check


def args_wrng(n):
    return lambda: ([None], 7, [NAME], range_of(n), expected(n), 0, [0.0, 0.0, 0.0])


def check_wrng(n):
    def check(a, rc):
        status, _, objnam, _, valary, _, _ = a
        return rc is None and status == [0] and objnam == [NAME] and valary == expected(n)
    return check


def args_get(n):
    return lambda: (7, [NAME], range_of(n), [0.0] * n)


def check_get(n):
    def check(a, rc):
        _, objnam, rng, valary = a
        return rc == 0 and objnam == [NAME] and rng == range_of(n) and valary == expected(n)
    return check


ROWS = [
    # label, function, argument maker, check, target, big
    ("qzvver(status, ver)", "qzvver", args_qzvver, check_qzvver, 1.0, False),
    (f"zavo_get_precisions {SMALL}", "zavo_get_precisions", args_get(SMALL), check_get(SMALL), 0.8, False),
    (f"qzvrrng_double {SMALL}", "qzvrrng_double", args_rrng(SMALL), check_rrng(SMALL), 0.8, False),
    (f"qzvrrng_double {BIG:,}", "qzvrrng_double", args_rrng(BIG), check_rrng(BIG), 0.9, True),
    (f"zavo_get_precisions {BIG:,}", "zavo_get_precisions", args_get(BIG), check_get(BIG), 0.9, True),
    (f"qzvwrng_double {BIG:,}", "qzvwrng_double", args_wrng(BIG), check_wrng(BIG), 0.9, True),
]


# ---- timing ----------------------------------------------------------------

def make_timer(fn, a):
    names = [f"a{i}" for i in range(len(a))]
    env = {"_fn": fn, **{f"_{n}": v for n, v in zip(names, a)}}
    setup = "f = _fn\n" + "\n".join(f"{n} = _{n}" for n in names)
    return timeit.Timer(f"f({', '.join(names)})", setup=setup, globals=env)


def calibrate(timer, target_seconds):
    """Loop count so that one repeat takes about target_seconds."""
    number = 1
    while True:
        t = timer.timeit(number)
        if t >= target_seconds / 5 or number >= 10**8:
            return max(1, int(number * target_seconds / max(t, 1e-9)))
        number *= 10


def measure_row(impls, fn_name, make_args, big, repeat, quick):
    """Best time per call for each implementation; repeats interleaved so that
    a burst of load on the machine hits all of them alike."""
    timers, numbers = {}, {}
    for label, mod in impls.items():
        a = make_args()
        timer = make_timer(getattr(mod, fn_name), a)
        if big:
            timer.timeit(3)  # warm: the first large calls pay page faults
            numbers[label] = 1
        else:
            numbers[label] = calibrate(timer, 0.02 if quick else 0.1)
        timers[label] = timer
    best = {label: float("inf") for label in impls}
    for _ in range(repeat):
        for label, timer in timers.items():
            gc.collect()
            t = timer.timeit(numbers[label]) / numbers[label]
            best[label] = min(best[label], t)
    return best


def empty_call_floor(quick):
    """What the timing loop itself costs per iteration (included in every
    small figure, for all three alike)."""
    timer = timeit.Timer("pass")
    number = calibrate(timer, 0.02 if quick else 0.1)
    return min(timer.timeit(number) / number for _ in range(5))


def fmt_time(t):
    if t != t or t == float("inf"):
        return "n/a"
    if t < 1e-6:
        return f"{t * 1e9:.0f} ns"
    if t < 1e-3:
        return f"{t * 1e6:.2f} us"
    return f"{t * 1e3:.2f} ms"


def warm_allocator():
    """A few large lists of fresh floats, so that the first measured large
    read does not pay the process's first page faults."""
    for _ in range(3):
        x = [i * 0.5 for i in range(BIG)]
        y = [0.0] * BIG
        del x, y


def main():
    args = parse_args()
    impls = load_implementations(args)
    small_repeat = args.repeat or (5 if args.quick else 15)
    big_repeat = args.repeat or (3 if args.quick else 9)

    print(f"Python {sys.version.split()[0]} ({sys.executable})")
    print(f"pyrqx: {impls['pyrqx'].__file__}")
    print(f"library: {os.environ.get('BENCH_LIB', '?')}")
    print(f"best of {small_repeat} repeats (small calls), {big_repeat} (1,000,000 elements), one process")
    print()

    warm_allocator()
    rows = [r for r in ROWS if args.only is None or args.only in r[0]]
    results = []
    problems = []
    for label, fn_name, make_args, check, target, big in rows:
        present = {name: mod for name, mod in impls.items() if hasattr(mod, fn_name)}
        if "pyrqx" not in present:
            results.append((label, None, target))
            continue
        # One checked call each before timing: the figures mean nothing if the
        # results differ.
        for name, mod in present.items():
            a = make_args()
            try:
                rc = getattr(mod, fn_name)(*a)
                ok = check(a, rc)
            except Exception as e:  # reported, not fatal: a benchmark prints figures
                ok = False
                rc = f"{type(e).__name__}: {e}"
            if not ok:
                problems.append(f"{label}: {name} gave a wrong result ({str(rc)[:200]})")
        best = measure_row(present, fn_name, make_args, big, big_repeat if big else small_repeat,
                           args.quick)
        results.append((label, best, target))
        print(f"  measured {label}", file=sys.stderr)

    floor = empty_call_floor(args.quick)

    header = ("call", "pyrqx", "Cython", "ctypes", "pyrqx/Cython", "target", "",
              "Cython vectorcall", "pyrqx/vectorcall")
    lines = []
    for label, best, target in results:
        if best is None:
            lines.append((label, "not bound", "", "", "", f"<= {target:.1f}x", "n/a", "", ""))
            continue
        ratio = best["pyrqx"] / best["Cython"]
        lines.append((label, fmt_time(best["pyrqx"]), fmt_time(best["Cython"]),
                      fmt_time(best["ctypes"]), f"{ratio:.2f}x", f"<= {target:.1f}x",
                      "PASS" if ratio <= target else "MISS",
                      fmt_time(best["Cython vectorcall"]),
                      f"{best['pyrqx'] / best['Cython vectorcall']:.2f}x"))
    widths = [max(len(str(r[i])) for r in [header] + lines) for i in range(len(header))]
    def show(r):
        cells = [str(r[0]).ljust(widths[0])] + [str(c).rjust(w) for c, w in zip(r[1:], widths[1:])]
        print("  ".join(cells).rstrip())
    show(header)
    show(tuple("-" * w for w in widths))
    for r in lines:
        show(r)
    print()
    print("Cython: the peer compiled in pyrqx's calling form (argument tuple and keyword")
    print("dict); Cython vectorcall: the same peer in Cython's default calling form.")
    print(f"timing loop: {floor * 1e9:.1f} ns per iteration, included in every small figure")
    print("above for all three alike.")
    if problems:
        print()
        print("WRONG RESULTS (the figures of these rows compare unequal work):")
        for p in problems:
            print("  " + p)
    return 0


if __name__ == "__main__":
    sys.exit(main())
