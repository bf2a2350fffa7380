"""The pythonic package's bulk reads against the exact interface and .npy.

One process, one database: 1,000,000 precision values of a daily series,
posted, then read again and again by
  - rqx's Database.values: the engine writes straight into a numpy array
    (the accelerator, no Python object per value);
  - rqx's Database.read: the same, then a pandas Series with its PeriodIndex
    and missing values as NaN;
  - pyrqx.qzvrrng_double into a list of floats (the exact interface);
  - numpy.load of the same doubles from a .npy file (the floor: a file read
    into an array, from the page cache).
Each figure is the best of the repeats, after a warm-up read of each (the
first large reads of a process pay page faults). Targets: Database.values at
most 0.3x the list read and at most 1.5x the .npy read.

    python bench/bench_face.py [--count N] [--repeat R]
"""
import argparse
import os
import tempfile
import time

import numpy as np

import pyrqx
import rqx


def best(function, repeat):
    times = []
    for _ in range(repeat):
        start = time.perf_counter()
        function()
        times.append(time.perf_counter() - start)
    return min(times)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--count", type=int, default=1_000_000)
    parser.add_argument("--repeat", type=int, default=7)
    args = parser.parse_args()
    values = np.random.default_rng(7).normal(size=args.count)
    with tempfile.TemporaryDirectory() as folder:
        npy = os.path.join(folder, "values.npy")
        np.save(npy, values)
        with rqx.open(os.path.join(folder, "bench.db"), "w") as db:
            db.write("P", values, start=0, freq="D")
            db.post()
            rng = [pyrqx.HDAILY, 0, args.count - 1]

            def into_list():
                status, listed = [0], [0.0] * args.count
                pyrqx.qzvrrng_double(status, db.key, ["P"], rng, listed, pyrqx.HNTMIS, None)
                assert status[0] == pyrqx.HSUCC

            jobs = [
                ("rqx Database.values -> numpy", lambda: db.values("P")),
                ("rqx Database.read -> pandas Series", lambda: db.read("P")),
                ("pyrqx qzvrrng_double -> list", into_list),
                ("numpy.load of a .npy file", lambda: np.load(npy)),
            ]
            for _, job in jobs:  # warm-up
                job()
            assert np.array_equal(db.values("P"), values) and np.array_equal(np.load(npy), values)
            figures = {label: best(job, args.repeat) for label, job in jobs}
    list_time = figures["pyrqx qzvrrng_double -> list"]
    npy_time = figures["numpy.load of a .npy file"]
    print("%d precision values, best of %d" % (args.count, args.repeat))
    print("%-38s %10s %9s %9s" % ("read", "ms", "vs list", "vs .npy"))
    for label, seconds in figures.items():
        print("%-38s %10.2f %8.2fx %8.2fx" % (label, seconds * 1e3, seconds / list_time, seconds / npy_time))
    fast = figures["rqx Database.values -> numpy"]
    print("targets: values <= 0.3x list: %s; values <= 1.5x .npy: %s"
          % ("met" if fast <= 0.3 * list_time else "MISSED", "met" if fast <= 1.5 * npy_time else "MISSED"))


if __name__ == "__main__":
    main()
