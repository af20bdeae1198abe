#!/usr/bin/env python3
"""Checks that the top-level source folders depend on each other only as the
layer table allows, and that no two of them include each other.

Usage: check_layers.py [SOURCE_ROOT]. Exit status 1 lists every include that
crosses the layers the wrong way; 0 when the tree is clean.
"""
import pathlib
import re
import sys

# Folder -> the folders its sources may include (besides itself). Keep in
# step with docs/ARCHITECTURE.md.
ALLOWED = {
    "engine": set(),
    "catalogue": {"engine"},
    "device": {"engine"},
    "program": {"catalogue", "device", "engine"},
    "store": {"engine"},
    "field": {"catalogue", "program", "engine"},
    "widgets": {"engine"},
    "saves": {"widgets", "store", "catalogue", "engine"},
    "editor": {"widgets", "field", "store", "program", "device", "catalogue", "engine"},
    "app": {"saves", "editor", "widgets", "store", "engine"},
    "export": {"field", "store", "program", "device", "catalogue", "engine"},
    "proj.linux": {"app", "export", "device", "engine"},
    "proj.win32": {"app", "export", "device", "engine"},
    # The board on the screen; only its window draws (sim/window/).
    "sim": {"catalogue", "program", "engine"},
    "tools": {"catalogue", "engine"},
    "bench": None,  # benchmarks may measure any layer
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/')


def crossings(root: pathlib.Path):
    for folder, allowed in ALLOWED.items():
        if allowed is None or not (root / folder).is_dir():
            continue
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in {".h", ".hpp", ".cpp", ".cc"}:
                continue
            for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                target = match.group(1)
                if target != folder and target in ALLOWED and target not in allowed:
                    yield f"{path.relative_to(root)}:{number}: {folder}/ must not include {target}/"


def table_cycle():
    """A folder that reaches itself through the table (the table must be layered)."""
    def reaches(start, node, seen):
        for nxt in ALLOWED.get(node) or ():
            if nxt == start:
                return True
            if nxt not in seen:
                seen.add(nxt)
                if reaches(start, nxt, seen):
                    return True
        return False
    return next((folder for folder in ALLOWED if reaches(folder, folder, set())), None)


def main() -> int:
    cyclic = table_cycle()
    if cyclic:
        print(f"layer table: {cyclic}/ depends on itself through other folders")
        return 1
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parents[2])
    problems = list(crossings(root))
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
