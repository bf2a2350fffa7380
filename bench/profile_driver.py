"""A small driver for instruction counts under valgrind (callgrind): calls one
row's function COUNT times through one implementation, nothing else.

    profile_driver.py IMPL ROW COUNT     IMPL: pyrqx | Cython | Cython-vectorcall | ctypes
                                          ROW: a label of bench_calls.ROWS

bench/profile runs it twice per measurement (two counts) and takes the
difference, so that start-up and set-up cancel out.
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def main():
    impl, row, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
    build = os.path.join(HERE, "build")
    sys.path[:0] = [os.path.join(build, "pyrqx"), os.path.join(build, "peer"), HERE]
    os.environ.setdefault("BENCH_LIB", os.path.join(build, "lib", "libcrqx.so"))
    import bench_calls
    mod = {"pyrqx": "pyrqx", "Cython": "peer_cython_varargs", "Cython-vectorcall": "peer_cython",
           "ctypes": "peer_ctypes"}[impl]
    mod = __import__(mod)
    for label, fn_name, make_args, check, _target, _big in bench_calls.ROWS:
        if label == row:
            break
    else:
        sys.exit(f"no row {row!r}")
    fn = getattr(mod, fn_name)
    a = make_args()
    fn(*a)  # first call outside the counted difference as well
    if not check(a, None if fn_name.startswith("qzv") else 0):
        print("wrong result", file=sys.stderr)
    # The same call form as the timing loop: positional arguments, locals.
    names = [f"a{i}" for i in range(len(a))]
    src = (f"def loop(f, count, {', '.join(names)}):\n"
           f"    for _ in range(count):\n"
           f"        f({', '.join(names)})\n")
    env = {}
    exec(src, env)
    env["loop"](fn, count, *a)


if __name__ == "__main__":
    main()
