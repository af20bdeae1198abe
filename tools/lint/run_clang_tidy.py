#!/usr/bin/env python3
"""Runs clang-tidy with the repository's .clang-tidy over the product's sources
and fails on any finding.

Usage: run_clang_tidy.py [--build DIR] [--jobs N] [--changed [BASE]] [FILE...]

  --build DIR      the build folder holding compile_commands.json (default: build)
  --jobs N         clang-tidy processes at once (default: the number of cores)
  --changed [BASE] only the sources that differ from BASE (default: main), and
                   the sources that include a changed header of the same folder
  FILE...          only these sources

Headers are checked through the sources that include them; each finding is
printed once. Exit status 1 when there is a finding, 2 when clang-tidy could
not run.
"""
from __future__ import annotations

import argparse
import concurrent.futures
import json
import os
import pathlib
import re
import shutil
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parents[2]
# The product: everything that ships. Tests, benchmarks and the developer
# tools are not held to it.
PRODUCT = ("engine", "catalogue", "device", "store", "program", "field", "widgets", "saves", "editor",
           "app", "export", "sim", "proj.linux")
FINDING = re.compile(r"^(?P<where>[^\s:][^:]*:\d+:\d+): (?P<kind>warning|error): (?P<text>.*)$")


def clang_tidy() -> str:
    for name in ("clang-tidy", "clang-tidy-14"):
        if shutil.which(name):
            return name
    raise SystemExit("clang-tidy not found (package clang-tidy)")


def product_sources(build: pathlib.Path) -> list[str]:
    database = build / "compile_commands.json"
    if not database.exists():
        raise SystemExit(f"{database} is missing: configure the build first")
    files = set()
    for entry in json.loads(database.read_text()):
        path = pathlib.Path(entry["directory"], entry["file"]).resolve()
        try:
            relative = path.relative_to(ROOT).as_posix()
        except ValueError:
            continue
        if relative.split("/")[0] in PRODUCT:
            files.add(relative)
    return sorted(files)


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


def run_one(tool: str, build: pathlib.Path, source: str) -> tuple[str, int, str]:
    process = subprocess.run([tool, "-p", str(build), "--quiet", source], cwd=ROOT, capture_output=True,
                             text=True)
    return source, process.returncode, process.stdout + process.stderr


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    parser.add_argument("--changed", nargs="?", const="main", default=None)
    parser.add_argument("files", nargs="*")
    options = parser.parse_args()

    build = (ROOT / options.build).resolve()
    sources = product_sources(build)
    if options.files:
        wanted = {pathlib.Path(f).resolve().relative_to(ROOT).as_posix() for f in options.files}
        sources = [s for s in sources if s in wanted]
    if options.changed is not None:
        sources = changed_sources(sources, options.changed)
    tool = clang_tidy()

    started = time.monotonic()
    findings: dict[str, str] = {}
    failed = []
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, options.jobs)) as pool:
        for source, code, output in pool.map(lambda s: run_one(tool, build, s), sources):
            lines = output.splitlines()
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
            if code != 0 and not findings:
                failed.append((source, output))

    for _, text in sorted(findings.items()):
        print(text)
    for source, output in failed:
        print(f"clang-tidy failed on {source}:\n{output}", file=sys.stderr)
    elapsed = time.monotonic() - started
    print(f"clang-tidy: {len(sources)} sources, {len(findings)} findings, {elapsed:.0f} s", file=sys.stderr)
    if failed:
        return 2
    return 1 if findings else 0


if __name__ == "__main__":
    sys.exit(main())
