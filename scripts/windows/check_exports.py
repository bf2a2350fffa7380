"""Checks what the Windows objects export, from their .drectve sections
(where the compiler records each __declspec(dllexport) as -export:NAME).

The module must export PyInit_pyrqx and nothing else; the engine must export
every function and data object of the C interface and nothing else."""
import argparse
import pathlib
import re
import subprocess
import sys


def exports(objcopy, obj, scratch):
    """The names an object file exports."""
    subprocess.run([objcopy, "-O", "binary", "--only-section=.drectve", str(obj), str(scratch)],
                   check=True)
    directives = scratch.read_bytes().decode("latin-1")
    return {m.group(1).strip('"') for m in re.finditer(r'-export:("[^"]+"|[^\s,]+)', directives)}


def listed(functions_def, data_def):
    names = set(re.findall(r"^CRQX_(?:CLASSIC|EXTENDED)\((\w+),", functions_def.read_text(), re.M))
    names |= set(re.findall(r"^CRQX_DATA_\w+\((\w+)\)", data_def.read_text(), re.M))
    return names


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--objcopy", required=True)
    ap.add_argument("--functions", type=pathlib.Path, required=True)
    ap.add_argument("--data", type=pathlib.Path, required=True)
    ap.add_argument("engine", type=pathlib.Path)
    ap.add_argument("module", type=pathlib.Path)
    args = ap.parse_args()

    scratch = args.module.parent / "drectve.bin"
    problems = []
    module = set()
    for obj in sorted(args.module.glob("*.o")):
        module |= exports(args.objcopy, obj, scratch)
    if module != {"PyInit_pyrqx"}:
        problems.append("the module exports %s, expected PyInit_pyrqx alone" % sorted(module))

    engine = set()
    for obj in sorted(args.engine.glob("*.o")):
        engine |= exports(args.objcopy, obj, scratch)
    interface = listed(args.functions, args.data)
    if engine - interface:
        problems.append("the engine exports names outside the interface: %s"
                        % sorted(engine - interface))
    if interface - engine:
        problems.append("the engine does not export: %s" % sorted(interface - engine))

    if problems:
        print("== Windows exports: FAILED")
        for p in problems:
            print("   " + p)
        return 1
    print("== Windows exports: the module exports PyInit_pyrqx alone; the engine all %d names "
          "of the interface" % len(interface))
    print("== Windows compile check: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
