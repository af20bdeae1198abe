#!/usr/bin/env python3
"""Checks that the source folders include each other only as the layer table
below allows, tests included, that no shared file branches on the platform,
and that docs/ARCHITECTURE.md shows both rules.

Usage:
  check_layers.py [SOURCE_ROOT]        list every include that crosses the
                                       layers; exit 1 if there is one
  check_layers.py --table              print the table as the document shows it
  check_layers.py --write-doc [ROOT]   put the table into docs/ARCHITECTURE.md

Every include form counts: "quoted" and <angled>, paths relative to the file
("../editor/X.h") and to the root, any extension, in any C or C++ file
(.inl included). A quoted include is looked up beside the file first and then
from the root, as the compiler does.

A preprocessor condition that names a platform (#ifdef _WIN32,
#if defined(__EMSCRIPTEN__), ...) is refused outside the platform folders:
a platform's variant of a class is a file of its own that CMake chooses.
"""
from __future__ import annotations

import os
import pathlib
import re
import sys
from dataclasses import dataclass

# Unit -> the units its files may include (besides their own unit). A unit is a
# folder or a file, relative to the root; a file belongs to the longest unit
# that contains it. Naming a unit allows everything below it ("engine" allows
# "engine/base"), unless that part is a unit of its own that the rule does not
# name ("sim" does not allow "sim/window").
RULES: dict[str, set[str] | None] = {
    "engine/base": set(),
    # 2d, platform and ui call each other: one library.
    "engine": {"engine/base"},
    # The pure layers: no rendering, so engine/base only.
    "catalogue": {"engine/base"},
    "device": {"engine/base"},
    "store": {"engine/base"},
    "program": {"catalogue", "device", "engine/base"},
    "field": {"catalogue", "program", "engine/base"},
    # Paper cards of a program (cairo, no screen).
    "print": {"catalogue", "program", "engine/base"},
    "widgets": {"engine"},
    "saves": {"widgets", "store", "catalogue", "engine"},
    "editor": {"widgets", "field", "print", "store", "program", "device", "catalogue", "engine"},
    "app": {"saves", "editor", "widgets", "store", "engine"},
    "export": {"field", "print", "store", "program", "device", "catalogue", "engine/base"},
    "proj.linux": {"app", "export", "device", "engine"},
    "proj.win32": {"app", "export", "device", "engine"},
    # The page's calls: programs in and out of the store, the list shown anew.
    "proj.web": {"app", "saves", "store", "widgets", "device", "engine"},
    # The serial link's browser test program: a send as the editor makes it.
    "proj.web/serial/tests": {"catalogue", "program", "device", "engine/base"},
    # The board simulator draws only in its window; the rest runs without a display.
    "sim": {"catalogue", "program", "engine/base"},
    "sim/window": {"sim", "catalogue", "program", "engine"},
    # Opens the window when asked to.
    "sim/main.cpp": {"sim", "sim/window", "catalogue", "program", "engine/base"},
    "tools": {"catalogue", "engine"},
    "bench": None,  # benchmarks may measure any layer
}

# Units that must build and run without a display: no SDL headers either.
DISPLAY_FREE = {"engine/base", "catalogue", "device", "store", "program", "field", "print", "export", "sim",
                "sim/main.cpp"}

# A test folder is held to the rule of the unit it tests (tests/<unit>/...),
# and may also include the shared test support and the helpers of the tests of
# the units it may include. Where a folder or file tests another unit than
# its name says, it is named here.
TEST_UNITS: dict[str, str] = {
    "tests/res": "tools",  # the picture generator
    "tests/fuzz": "export",  # the file readers behind the export tool
    # Screen tests that cross screens install the app's navigator.
    "tests/saves": "app",
    # The transfer over the serial link, under ThreadSanitizer.
    "tests/device/SerialLinkTsanTest.cpp": "program",
    # Compare with the export tool's output.
    "tests/program/GoldenProgramTest.cpp": "export",
    "tests/program/SerialExportTest.cpp": "export",
    # The simulator's window: placement and drawing on the dummy driver.
    "tests/sim/BoardWindowTest.cpp": "sim/window",
}
# What tests may reach beyond the unit they test, by test folder or file.
TEST_EXTRA: dict[str, set[str]] = {
    # A test that crosses screens opens the other screen through the app's navigator.
    "tests/editor": {"app", "saves"},
}
TEST_SUPPORT = "tests/support"

# Macros that tell one system, C library or toolchain target from another.
PLATFORM_MACRO = re.compile(r"\b(_WIN32|_WIN64|WIN32|_MSC_VER|__MINGW32__|__MINGW64__|__CYGWIN__|__EMSCRIPTEN__"
                            r"|__wasm__|__wasm32__|__linux__|__linux|__gnu_linux__|__unix__|__unix|__APPLE__"
                            r"|__MACH__|__ANDROID__|__FreeBSD__|__GLIBC__)\b")
CONDITION = re.compile(r"^\s*#\s*(?:if|ifdef|ifndef|elif|elifdef|elifndef)\b(.*)$")
# Folders whose files are built for one platform only: the entry points, and
# any posix/, win32/ or web/ folder (device/win32, program/web, ...).
PLATFORM_FOLDERS = ("proj.linux", "proj.win32", "proj.web")
PLATFORM_FOLDER_NAMES = {"posix", "win32", "web"}
# Files or folders outside them that still branch on the platform, and why.
PLATFORM_BRANCHES_ALLOWED: dict[str, str] = {
    "tests/support": "the tests' stand-ins for one system's calls on another (PosixOnWindows.h, "
                     "UnreadableFile.h, WritesFail.h)",
    "tests/saves/SaveSceneTest.cpp": "a FIFO in a picture's place: Windows has none",
    "tests/field/EditHistoryTest.cpp": "measures the heap with glibc's mallinfo2",
}

SOURCE_SUFFIXES = {".h", ".hh", ".hpp", ".hxx", ".inl", ".ipp", ".tpp", ".inc", ".c", ".cc", ".cpp",
                   ".cxx", ".m", ".mm"}
INCLUDE = re.compile(r'^\s*#\s*(?:include|include_next|import)\s*([<"])([^>"]+)[>"]')
SDL_HEADER = re.compile(r"^SDL[0-9]?([_./]|$)")


@dataclass(frozen=True)
class Crossing:
    path: str
    line: int
    message: str

    def __str__(self) -> str:
        return f"{self.path}:{self.line}: {self.message}"


def unit_of(relative: str, units=RULES) -> str | None:
    """The longest unit that holds `relative` (a root-relative path), or None."""
    best = None
    for unit in units:
        if (relative == unit or relative.startswith(unit + "/")) and (best is None or len(unit) > len(best)):
            best = unit
    return best


def top_folders() -> set[str]:
    return {unit.split("/")[0] for unit in RULES} | {"tests"}


def resolve(root: pathlib.Path, source: pathlib.Path, bracket: str, target: str) -> str | None:
    """The root-relative path an include names, or None for a system header or
    a path outside the tree."""
    beside = pathlib.Path(os.path.normpath(source.parent / target))
    from_root = pathlib.Path(os.path.normpath(root / target))
    first = pathlib.PurePosixPath(target).parts[0] if target else ""
    if bracket == '"':
        if beside.exists() or first not in top_folders():
            chosen = beside
        else:
            chosen = from_root
    elif first in top_folders() or from_root.exists():
        chosen = from_root
    else:
        return None
    try:
        return chosen.relative_to(root).as_posix()
    except ValueError:
        return None


def allows(allowed: set[str], target: str) -> bool:
    """Whether a rule that names `allowed` lets a file include `target`'s file.
    Naming a unit allows the units below it that it may include itself
    ("engine" allows "engine/base"; "sim" does not allow "sim/window")."""
    return allows_unit(allowed, unit_of(target))


def allows_unit(allowed: set[str], target_unit: str | None) -> bool:
    if target_unit is None:
        return True
    for name in allowed:
        if target_unit == name:
            return True
        if target_unit.startswith(name + "/") and name in RULES and allows_below(name, target_unit):
            return True
    return False


def allows_below(unit: str, below: str) -> bool:
    own = RULES[unit]
    return own is None or below in own


def tested_unit(relative: str) -> str | None:
    """The unit a file under tests/ tests: named in TEST_UNITS, or the unit at
    the same place outside tests/."""
    parts = relative.split("/")
    for length in range(len(parts), 1, -1):
        named = TEST_UNITS.get("/".join(parts[:length]))
        if named:
            return named
    return unit_of("/".join(parts[1:]))


def test_rule(relative: str) -> tuple[str, set[str] | None] | None:
    """For a file under tests/: the unit it is held to and what it may include."""
    if relative.startswith(TEST_SUPPORT + "/"):
        return None
    tested = tested_unit(relative)
    if tested is None:
        return None
    allowed = RULES[tested]
    if allowed is None:
        return tested, None
    extra = set()
    parts = relative.split("/")
    for length in range(2, len(parts) + 1):
        extra |= TEST_EXTRA.get("/".join(parts[:length]), set())
    return tested, {tested} | allowed | extra


def test_helper_allowed(allowed: set[str], target: str) -> bool:
    """A test may use the support folder and the helpers of the tests of any
    unit it may include (the program tests use the device tests' fake port)."""
    if target.startswith(TEST_SUPPORT + "/"):
        return True
    helper = tested_unit(target)
    return helper is not None and allows_unit(allowed, helper)


def source_files(root: pathlib.Path, folder: str):
    base = root / folder
    if base.is_file():
        yield base
    elif base.is_dir():
        for path in sorted(base.rglob("*")):
            if path.is_file() and path.suffix in SOURCE_SUFFIXES:
                yield path


def includes(path: pathlib.Path):
    for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
        match = INCLUDE.match(line)
        if match:
            yield number, match.group(1), match.group(2).strip()


def file_crossings(root: pathlib.Path, path: pathlib.Path):
    relative = path.relative_to(root).as_posix()
    in_tests = relative.startswith("tests/")
    if in_tests:
        rule = test_rule(relative)
        if rule is None:
            return
        own, allowed = rule
    else:
        own = unit_of(relative)
        if own is None:
            return
        allowed = RULES[own]
    for number, bracket, target in includes(path):
        where = resolve(root, path, bracket, target)
        if where is None:
            if own in DISPLAY_FREE and SDL_HEADER.match(target):
                yield Crossing(relative, number, f"{own}/ runs without a display and must not include {target}")
            continue
        if allowed is None:
            continue
        if where.startswith("tests/"):
            if not in_tests:
                yield Crossing(relative, number, f"{own}/ must not include the tests' {where}")
            elif not test_helper_allowed(allowed, where):
                yield Crossing(relative, number, f"tests of {own}/ must not include {where}")
            continue
        target_unit = unit_of(where)
        if target_unit is None or target_unit == own or allows(allowed, where):
            continue
        who = f"tests of {own}/" if in_tests else f"{own}/"
        yield Crossing(relative, number, f"{who} must not include {target_unit}/ ({target})")


def crossings(root: pathlib.Path):
    seen = set()
    for unit in sorted(RULES):
        for path in source_files(root, unit):
            if path in seen or unit_of(path.relative_to(root).as_posix()) != unit:
                continue
            seen.add(path)
            yield from file_crossings(root, path)
    for path in source_files(root, "tests"):
        yield from file_crossings(root, path)


def in_platform_folder(relative: str) -> bool:
    parts = relative.split("/")
    return parts[0] in PLATFORM_FOLDERS or any(part in PLATFORM_FOLDER_NAMES for part in parts[:-1])


def platform_branch_allowed(relative: str) -> bool:
    return any(relative == name or relative.startswith(name + "/") for name in PLATFORM_BRANCHES_ALLOWED)


def conditions(path: pathlib.Path):
    """Each preprocessor condition (continued lines joined, comments dropped)
    with the number of its first line."""
    lines = path.read_text(errors="replace").splitlines()
    index = 0
    while index < len(lines):
        number, line = index + 1, lines[index]
        while line.endswith("\\") and index + 1 < len(lines):
            index += 1
            line = line[:-1] + " " + lines[index]
        index += 1
        match = CONDITION.match(line)
        if match:
            yield number, re.sub(r"/\*.*?\*/|//.*$", " ", match.group(1))


def platform_branches(root: pathlib.Path):
    for folder in sorted(top_folders()):
        for path in source_files(root, folder):
            relative = path.relative_to(root).as_posix()
            if in_platform_folder(relative) or platform_branch_allowed(relative):
                continue
            for number, condition in conditions(path):
                macro = PLATFORM_MACRO.search(condition)
                if macro:
                    yield Crossing(relative, number, f"a shared file branches on {macro.group(1)}: put each "
                                                     "platform's variant in a file of its own that CMake chooses")


def table_cycle():
    """A top folder that reaches itself through the table (the table must be layered)."""
    def folder(unit: str) -> str:
        return unit.split("/")[0]

    graph: dict[str, set[str]] = {}
    for unit, allowed in RULES.items():
        graph.setdefault(folder(unit), set()).update(folder(a) for a in allowed or () if folder(a) != folder(unit))

    def reaches(start, node, seen):
        for nxt in graph.get(node, ()):
            if nxt == start:
                return True
            if nxt not in seen:
                seen.add(nxt)
                if reaches(start, nxt, seen):
                    return True
        return False

    return next((f for f in sorted(graph) if reaches(f, f, set())), None)


DOC_BEGIN = "<!-- layer table: generated by tools/layers/check_layers.py --write-doc -->"
DOC_END = "<!-- end of layer table -->"


def doc_table() -> str:
    def names(units) -> str:
        return ", ".join(f"`{u}`" for u in sorted(units)) if units else "nothing of the project"

    lines = [DOC_BEGIN, "| unit | may include |", "|---|---|"]
    for unit, allowed in RULES.items():
        text = "any unit" if allowed is None else names(allowed)
        if unit in DISPLAY_FREE:
            text += " (no SDL)"
        lines.append(f"| `{unit}` | {text} |")
    lines.append("")
    lines.append("| tests | held to |")
    lines.append("|---|---|")
    lines.append("| `tests/<unit>/` | `<unit>` and `tests/support/` |")
    for path, unit in TEST_UNITS.items():
        lines.append(f"| `{path}` | `{unit}` |")
    for folder, extra in TEST_EXTRA.items():
        lines.append(f"| `{folder}` also | {names(extra)} |")
    lines.append("")
    lines.append("| branches on the platform | why |")
    lines.append("|---|---|")
    folders = ", ".join(f"`{f}/`" for f in PLATFORM_FOLDERS)
    named = ", ".join(f"`{n}/`" for n in sorted(PLATFORM_FOLDER_NAMES))
    lines.append(f"| {folders}, any {named} folder | built for one platform only |")
    for name, reason in PLATFORM_BRANCHES_ALLOWED.items():
        lines.append(f"| `{name}` | {reason} |")
    lines.append(DOC_END)
    return "\n".join(lines)


def doc_disagreement(document: pathlib.Path) -> str | None:
    text = document.read_text()
    begin, end = text.find(DOC_BEGIN), text.find(DOC_END)
    if begin < 0 or end < begin:
        return f"{document}: the layer table is missing (run check_layers.py --write-doc)"
    if text[begin:end + len(DOC_END)] != doc_table():
        return f"{document}: the layer table differs from check_layers.py (run check_layers.py --write-doc)"
    return None


def write_doc(document: pathlib.Path) -> None:
    text = document.read_text()
    begin, end = text.find(DOC_BEGIN), text.find(DOC_END)
    if begin < 0 or end < begin:
        raise SystemExit(f"{document}: no layer table markers to write between")
    document.write_text(text[:begin] + doc_table() + text[end + len(DOC_END):])


def check(root: pathlib.Path) -> list[str]:
    cyclic = table_cycle()
    if cyclic:
        return [f"layer table: {cyclic}/ depends on itself through other folders"]
    problems = [str(c) for c in crossings(root)]
    problems += [str(b) for b in platform_branches(root)]
    document = root / "docs" / "ARCHITECTURE.md"
    if document.exists():
        disagreement = doc_disagreement(document)
        if disagreement:
            problems.append(disagreement)
    return problems


def main(argv: list[str]) -> int:
    default_root = pathlib.Path(__file__).resolve().parents[2]
    if argv[:1] == ["--table"]:
        print(doc_table())
        return 0
    if argv[:1] == ["--write-doc"]:
        root = pathlib.Path(argv[1]) if len(argv) > 1 else default_root
        write_doc(root / "docs" / "ARCHITECTURE.md")
        return 0
    root = pathlib.Path(argv[0]) if argv else default_root
    problems = check(root.resolve())
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
