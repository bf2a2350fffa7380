"""What post number i of the series kill test writes: shared by the writing
child and the test that checks it."""
import random

SERIES = [("P0", "HPRECN"), ("P1", "HPRECN"), ("N0", "HNUMRC")]
SPAN = 5 * 1024  # indexes 0 .. SPAN-1: five chunks


def plan(i):
    """The writes of post i: (series, first index, values)."""
    r = random.Random(i)
    writes = []
    for _ in range(r.randint(1, 3)):
        name, kind = r.choice(SERIES)
        first = r.randrange(0, SPAN - 1)
        n = r.randint(1, min(2600, SPAN - first))
        codes = ["ND", "NA", "NC"]
        vals = []
        for j in range(n):
            if r.random() < 0.02:
                vals.append(r.choice(codes))
            else:
                # exact in single precision too (below 2**24)
                vals.append(float((i * 4099 + j) % 16000000))
        writes.append((name, first, vals))
    return writes
