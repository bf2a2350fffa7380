"""Per-call instructions by function: the difference of two callgrind runs of
profile_driver.py (COUNT n1 and n2), divided by n2 - n1, so that start-up and
set-up cancel out.

    callgrind_diff.py RUN1.out RUN2.out N1 N2 [--inclusive] [--top K]
"""
import re
import subprocess
import sys

LINE = re.compile(r"^\s*([\d,]+)\s+(?:\([^)]*\)\s+)?(.*?)\s*(?:\[.*\])?$")


def costs(path, inclusive):
    cmd = ["callgrind_annotate", "--threshold=100", f"--inclusive={'yes' if inclusive else 'no'}",
           path]
    text = subprocess.run(cmd, capture_output=True, text=True, check=True).stdout
    out = {}
    started = False
    for line in text.splitlines():
        if "file:function" in line:
            started = True
            continue
        if not started or not line.strip() or line.startswith("-"):
            continue
        m = LINE.match(line)
        if not m:
            continue
        n = int(m.group(1).replace(",", ""))
        name = m.group(2)
        if "PROGRAM TOTALS" in name:
            continue
        # Keep the function part: "file:function"
        out[name] = out.get(name, 0) + n
    return out


def main():
    a, b, n1, n2 = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    inclusive = "--inclusive" in sys.argv
    top = 25
    if "--top" in sys.argv:
        top = int(sys.argv[sys.argv.index("--top") + 1])
    ca, cb = costs(a, inclusive), costs(b, inclusive)
    calls = n2 - n1
    rows = []
    for name in set(ca) | set(cb):
        d = (cb.get(name, 0) - ca.get(name, 0)) / calls
        if d >= 0.5:
            rows.append((d, name))
    rows.sort(reverse=True)
    total = sum(d for d, _ in rows) if not inclusive else None
    for d, name in rows[:top]:
        short = re.sub(r"^/tmp/python-build[^:]*/Python-[\d.]+/", "cpython:", name)
        short = re.sub(r"^/work/main/", "", short)
        print(f"{d:10.1f}  {short}")
    if total is not None:
        print(f"{total:10.1f}  (sum of exclusive costs per call)")


if __name__ == "__main__":
    main()
