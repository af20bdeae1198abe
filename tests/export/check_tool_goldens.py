#!/usr/bin/env python3
"""Runs a built pavlune-export (through an emulator such as wine when one is
given) on every golden program in every dialect and compares what it prints,
bytes and listing, with the reviewed golden files.

Usage: check_tool_goldens.py TOOL GOLDEN_DIR [EMULATOR...]
"""
import pathlib
import subprocess
import sys


def main() -> int:
    tool, golden = sys.argv[1], pathlib.Path(sys.argv[2])
    emulator = sys.argv[3:]
    programs = sorted(p.stem for p in golden.glob("*.txt"))
    if not programs:
        print(f"no golden programs in {golden}")
        return 1
    failures = 0
    checked = 0
    for program in programs:
        for dialect in ("jam", "latte", "que"):
            for extra, suffix in (([], "bin"), (["--listing"], "listing")):
                expected = (golden / f"{program}.{dialect}.{suffix}").read_bytes()
                command = emulator + [tool, "--dialect", dialect, *extra, str(golden / f"{program}.txt")]
                run = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
                checked += 1
                if run.returncode != 0 or run.stdout != expected:
                    failures += 1
                    first = next((i for i, (a, b) in enumerate(zip(run.stdout, expected)) if a != b),
                                 min(len(run.stdout), len(expected)))
                    print(f"{program} {dialect} {suffix}: exit {run.returncode}, {len(run.stdout)} bytes "
                          f"for {len(expected)}, first difference at byte {first}; "
                          f"{run.stderr.decode(errors='replace').strip()}")
    print(f"{checked - failures} of {checked} outputs equal the golden files")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
