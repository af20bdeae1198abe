#!/usr/bin/env python3
"""Runs clang-tidy with the repository's .clang-tidy over the product's sources
(its clang-diagnostic-* findings are clang's warnings), and clang alone
(-fsyntax-only) over the rest: tests, tools and benchmarks. Both take the
build's own compile commands and warning flags, so this is clang's view of
every source and no separate clang build is needed for its warnings. Fails
on any finding.

Usage: run_clang_tidy.py [--build DIR]... [--jobs N] [--no-cache] [--changed [BASE]] [FILE...]

  --build DIR      a build folder holding compile_commands.json (default:
                   build); given again for the Windows (MinGW) and browser
                   (Emscripten) builds, whose compile databases are enough:
                   they need not be built
  --jobs N         clang-tidy processes at once (default: the number of cores)
  --no-cache       run clang-tidy on every source, even on one whose result is
                   cached
  --changed [BASE] only the sources that differ from BASE (default: main), and
                   the sources that include a changed header of the same folder
  FILE...          only these sources

Each source is checked with the command of the first build that compiles it,
so the desktop's sources are checked as Linux builds them and the other
builds add the files of their own platform (shared files hold no platform
branches: the layer check refuses them). A cross build's command is handed
to clang with its target: MinGW's with the MinGW g++'s own C++ headers,
Emscripten's with the flags em++ adds (em++ --cflags).

Headers are checked through the sources that include them; each finding is
printed once. Exit status 1 when there is a finding, 2 when clang-tidy could
not run.

A full run takes minutes, so each source's result is kept in
~/.cache/pavlune-cards/tidy (PAVLUNE_TIDY_CACHE to put it elsewhere), keyed by
the clang-tidy version, .clang-tidy, the source's compile command and the text
of the source and of every repository header it includes, directly or not. A
source is checked again when any of these changes; the cache is shared between
clones, since paths inside the repository are stored relative to it. Entries
that no run has used for 30 days are removed.
"""
from __future__ import annotations

import argparse
import concurrent.futures
import hashlib
import json
import os
import pathlib
import re
import shlex
import shutil
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parents[2]
# The product: everything that ships. Tests, benchmarks and the developer
# tools are held only to the compiler's warnings.
PRODUCT = ("engine", "catalogue", "device", "store", "program", "field", "print", "widgets", "saves", "editor",
           "app", "export", "sim", "proj.linux", "proj.win32", "proj.web")
OTHERS = ("tests", "tools", "bench")
FINDING = re.compile(r"^(?P<where>[^\s:][^:]*:\d+:\d+): (?P<kind>warning|error): (?P<text>.*)$")
# What the compiler driver says besides the findings.
NOISE = re.compile(r"^(\d+ (warnings?|errors?)( and \d+ errors?)? generated\."
                   r"|Suppressed \d+ warnings.*|Use -header-filter.*)$")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)
CACHE = pathlib.Path(os.environ.get("PAVLUNE_TIDY_CACHE", pathlib.Path.home() / ".cache/pavlune-cards/tidy"))


def clang_tidy() -> str:
    for name in ("clang-tidy", "clang-tidy-14"):
        if shutil.which(name):
            return name
    raise SystemExit("clang-tidy not found (package clang-tidy)")


def mingw_flags(driver: str) -> list[str]:
    """The target and the C++ headers of a MinGW g++: clang does not find
    Debian's (its folder, 12-posix, is no version number to clang)."""
    name = pathlib.Path(driver).name
    listing = subprocess.run([driver, "-x", "c++", "-E", "-v", "-"], input="", capture_output=True, text=True,
                             check=True).stderr
    listed = listing.split("search starts here:")[-1].split("End of search list.")[0].split()
    searched = [os.path.normpath(folder) for folder in listed]
    resource = subprocess.run([clang("x.cpp"), "-print-resource-dir"], capture_output=True, text=True,
                              check=True).stdout.strip()
    # g++'s own builtin headers (under gcc/) give way to clang's.
    cxx = [folder for folder in searched if "/include/c++" in folder]
    system = [folder for folder in searched if "/gcc/" not in folder and folder not in cxx]
    flags = [f"--target={name.split('-g++')[0]}", "-nostdinc"]
    for folder in [*cxx, f"{resource}/include", *system]:
        flags += ["-isystem", folder]
    return flags


def emscripten_flags(driver: str) -> list[str]:
    """What em++ adds to clang's command line, without its code generator's
    options (-mllvm), which only the back end knows."""
    words = shlex.split(subprocess.run([driver, "--cflags"], capture_output=True, text=True, check=True).stdout)
    flags, skip = [], False
    for word in words:
        if skip:
            skip = False
        elif word == "-mllvm":
            skip = True
        else:
            flags.append(word)
    return flags


CROSS_FLAGS: dict[str, list[str]] = {}
# Checks that do not apply to a build. The page has one thread: a static
# initialised without a lock (a target without threads has no thread-safe
# statics) is no race there.
CHECKS_OFF = {"em++": "-bugprone-dynamic-static-initializers"}


def cross_flags(driver: str) -> list[str] | None:
    """The flags that make clang see a cross build's sources as its compiler
    does; None for a native compiler, which clang-tidy reads by itself."""
    name = pathlib.Path(driver).name
    if name.startswith(("em++", "emcc")):
        make = emscripten_flags
    elif "mingw32-g" in name:
        make = mingw_flags
    else:
        return None
    if driver not in CROSS_FLAGS:
        CROSS_FLAGS[driver] = make(driver)
    return CROSS_FLAGS[driver]


def expanded(arguments: list[str], folder: str) -> list[str]:
    """The arguments with each @response file replaced by its words."""
    words = []
    for argument in arguments:
        if argument.startswith("@"):
            words += shlex.split(pathlib.Path(folder, argument[1:]).read_text())
        else:
            words.append(argument)
    return words


class Command:
    """A source's compile command: as the build runs it (folder, arguments,
    the flags clang needs for a cross build), and as the cache key sees it
    (paths inside the repository and the build replaced, so that another
    clone can share the entry)."""

    def __init__(self, folder: str, text: str, build: pathlib.Path):
        self.folder = folder
        self.build = build
        arguments = shlex.split(text)
        self.arguments = expanded(arguments, folder)
        self.cross = cross_flags(arguments[0])
        self.checks_off = CHECKS_OFF.get(pathlib.Path(arguments[0]).name)
        key = text if self.arguments == arguments else shlex.join(self.arguments)
        if self.cross is not None:
            key += " " + shlex.join(self.cross)
        if self.checks_off:
            key += " --checks=" + self.checks_off
        self.key = key.replace(str(build), "<build>").replace(str(ROOT), "<root>")

    def clang_arguments(self, source: str) -> list[str]:
        """The command's flags for clang, without the compiler, its output
        and the source."""
        kept, skip = [], False
        for argument in self.arguments[1:]:
            if skip:
                skip = False
            elif argument == "-o":
                skip = True
            elif argument != "-c" and pathlib.Path(self.folder, argument).resolve() != ROOT / source:
                kept.append(argument)
        return [*(self.cross or []), *kept]


def checked_sources(builds: list[pathlib.Path]) -> dict[str, Command]:
    """Each product, test, tool and benchmark source and its compile command
    (the first of the first build that has one, as clang-tidy takes it)."""
    files: dict[str, Command] = {}
    for build in builds:
        database = build / "compile_commands.json"
        if not database.exists():
            raise SystemExit(f"{database} is missing: configure the build first")
        for entry in json.loads(database.read_text()):
            path = pathlib.Path(entry["directory"], entry["file"]).resolve()
            try:
                relative = path.relative_to(ROOT).as_posix()
            except ValueError:
                continue
            if relative.split("/")[0] in PRODUCT + OTHERS and relative not in files:
                command = entry.get("command") or shlex.join(entry.get("arguments", []))
                files[relative] = Command(entry["directory"], command, build)
    return dict(sorted(files.items()))


def is_product(source: str) -> bool:
    return source.split("/")[0] in PRODUCT


def clang(source: str) -> str:
    """clang for C sources, clang++ for C++ (clang++ would read C as C++)."""
    names = ("clang", "clang-14") if source.endswith(".c") else ("clang++", "clang++-14")
    for name in names:
        if shutil.which(name):
            return name
    raise SystemExit(f"{names[0]} not found (package clang)")


def syntax_only_command(source: str, command: Command) -> list[str]:
    """The build's compile command for `source` with clang, checking only."""
    return [clang(source), "-fsyntax-only", *command.clang_arguments(source), str(ROOT / source)]


def tidy_command(tool: str, source: str, command: Command) -> list[str]:
    """clang-tidy on `source`: through the build's database for a native
    build, with the translated command for a cross build."""
    if command.cross is None:
        return [tool, "-p", str(command.build), "--quiet", source]
    checks = [f"--checks={command.checks_off}"] if command.checks_off else []
    return [tool, "--quiet", *checks, str(ROOT / source), "--", *command.clang_arguments(source)]


def repository_headers(source: str, known: dict[str, list[str]]) -> list[str]:
    """The repository's files that `source` includes, directly or through others."""
    seen: set[str] = set()
    pending = [source]
    while pending:
        current = pending.pop()
        if current not in known:
            text = (ROOT / current).read_text(errors="replace")
            found = []
            for name in INCLUDE.findall(text):
                for candidate in (ROOT / name, (ROOT / current).parent / name):
                    if candidate.is_file():
                        found.append(candidate.resolve().relative_to(ROOT).as_posix())
                        break
            known[current] = found
        for header in known[current]:
            if header not in seen:
                seen.add(header)
                pending.append(header)
    seen.discard(source)
    return sorted(seen)


def cache_key(tool_version: str, settings: str, command: str, source: str,
              known: dict[str, list[str]]) -> str:
    digest = hashlib.sha256()
    # What checks the source: clang-tidy, or clang in C or C++.
    checker = "tidy" if is_product(source) else "clang, C" if source.endswith(".c") else "clang"
    for part in (tool_version, settings, command, source, checker):
        digest.update(part.encode() + b"\0")
    for name in [source, *repository_headers(source, known)]:
        digest.update(name.encode() + b"\0" + (ROOT / name).read_bytes() + b"\0")
    return digest.hexdigest()


def changed_sources(sources: list[str], base: str) -> list[str]:
    merge_base = subprocess.run(["git", "merge-base", base, "HEAD"], cwd=ROOT, capture_output=True,
                                text=True, check=True).stdout.strip()
    listed = subprocess.run(["git", "diff", "--name-only", merge_base, "--"], cwd=ROOT, capture_output=True,
                            text=True, check=True).stdout.split()
    untracked = subprocess.run(["git", "ls-files", "--others", "--exclude-standard"], cwd=ROOT,
                               capture_output=True, text=True, check=True).stdout.split()
    changed = set(listed) | set(untracked)
    headers = {pathlib.PurePosixPath(p) for p in changed if not p.endswith((".cpp", ".cc", ".c"))}
    chosen = []
    for source in sources:
        if source in changed:
            chosen.append(source)
            continue
        text = (ROOT / source).read_text(errors="replace")
        if any(f'"{h.as_posix()}"' in text or f'"{h.name}"' in text for h in headers):
            chosen.append(source)
    return chosen


def run_one(tool: str, source: str, command: Command, key: str | None) -> tuple[str, int, str]:
    cached = CACHE / f"{key}.json" if key else None
    if cached and cached.exists():
        try:
            stored = json.loads(cached.read_text())
            cached.touch()  # still in use: kept by the pruning below
            return source, stored["code"], stored["output"]
        except (OSError, ValueError, KeyError):
            pass  # a damaged entry is made again
    if is_product(source):
        folder = ROOT if command.cross is None else command.folder
        process = subprocess.run(tidy_command(tool, source, command), cwd=folder, capture_output=True, text=True)
    else:
        process = subprocess.run(syntax_only_command(source, command), cwd=command.folder, capture_output=True,
                                 text=True)
    # Paths relative to the repository, so that another clone can use the entry.
    lines = (process.stdout + process.stderr).splitlines()
    output = "\n".join(line for line in lines if not NOISE.match(line))
    output = output.replace(f"{ROOT}/", "")
    # Kept only when clang-tidy ran through: a source that did not compile
    # (a header of a package not installed yet) is tried again next time.
    ran = process.returncode == 0 or any(FINDING.match(line) for line in output.splitlines())
    if cached and ran and "[clang-diagnostic-error]" not in output:
        CACHE.mkdir(parents=True, exist_ok=True)
        partial = cached.with_suffix(f".{os.getpid()}.tmp")
        partial.write_text(json.dumps({"code": process.returncode, "output": output}))
        partial.replace(cached)
    return source, process.returncode, output


def prune_cache(days: int = 30) -> None:
    """Removes the entries no run has used for `days` days."""
    oldest = time.time() - days * 86400
    for entry in CACHE.glob("*.json"):
        try:
            if entry.stat().st_mtime < oldest:
                entry.unlink()
        except OSError:
            pass  # another run took it first


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", action="append")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    parser.add_argument("--no-cache", action="store_true")
    parser.add_argument("--changed", nargs="?", const="main", default=None)
    parser.add_argument("files", nargs="*")
    options = parser.parse_args()

    builds = [(ROOT / build).resolve() for build in options.build or ["build"]]
    commands = checked_sources(builds)
    sources = list(commands)
    if options.files:
        wanted = {pathlib.Path(f).resolve().relative_to(ROOT).as_posix() for f in options.files}
        sources = [s for s in sources if s in wanted]
    if options.changed is not None:
        sources = changed_sources(sources, options.changed)
    tool = clang_tidy()

    started = time.monotonic()
    keys: dict[str, str | None] = dict.fromkeys(sources)
    if not options.no_cache:
        version = subprocess.run([tool, "--version"], capture_output=True, text=True, check=True).stdout
        settings = (ROOT / ".clang-tidy").read_text()
        known: dict[str, list[str]] = {}
        keys = {s: cache_key(version, settings, commands[s].key, s, known) for s in sources}
    cached = sum(1 for key in keys.values() if key and (CACHE / f"{key}.json").exists())
    findings: dict[str, str] = {}
    failed = []
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, options.jobs)) as pool:
        for source, code, output in pool.map(lambda s: run_one(tool, s, commands[s], keys[s]), sources):
            lines = output.splitlines()
            found = False
            for index, line in enumerate(lines):
                match = FINDING.match(line)
                if not match:
                    continue
                # The finding and its notes up to the next finding.
                block = [line]
                for follow in lines[index + 1:]:
                    if FINDING.match(follow):
                        break
                    block.append(follow)
                findings.setdefault(f"{match['where']}: {match['text']}", "\n".join(block))
                found = True
            if code != 0 and not found:
                failed.append((source, output))

    if not options.no_cache:
        prune_cache()
    for _, text in sorted(findings.items()):
        print(text)
    for source, output in failed:
        print(f"clang-tidy failed on {source}:\n{output}", file=sys.stderr)
    elapsed = time.monotonic() - started
    print(f"clang-tidy: {len(sources)} sources ({cached} from the cache), {len(findings)} findings, "
          f"{elapsed:.0f} s", file=sys.stderr)
    if failed:
        return 2
    return 1 if findings else 0


if __name__ == "__main__":
    sys.exit(main())
