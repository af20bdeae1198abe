#!/usr/bin/env python3
"""A fresh machine may lack a test's tool: every test that needs one must then
skip (exit 77, which ctest counts as skipped) and name what is missing,
instead of failing or waiting for output that never comes. Each case hides
tools from PATH and runs the test's own entry point.

usage: missing_tools_test.py SOURCE_ROOT
"""
import os
import pathlib
import subprocess
import sys
import tempfile

SKIP = 77


def path_without(hidden, folder):
    """A PATH of one folder holding links to every program on PATH but `hidden`."""
    for directory in os.environ.get("PATH", "").split(os.pathsep):
        if not os.path.isdir(directory):
            continue
        for name in os.listdir(directory):
            link = os.path.join(folder, name)
            target = os.path.join(directory, name)
            if name in hidden or os.path.lexists(link) or not os.access(target, os.X_OK):
                continue
            os.symlink(target, link)
    return folder


def main():
    root = pathlib.Path(sys.argv[1])
    e2e = root / "tests/e2e"
    serial = root / "proj.web/serial/tests"
    golden = root / "tests/program/golden"
    browsers = {"chromium", "chromium-browser", "google-chrome"}
    with tempfile.TemporaryDirectory(prefix="pavlune-no-tools-") as work:
        empty_page = os.path.join(work, "no-page")
        os.mkdir(empty_page)
        # (what is hidden, the command, a word the reason must hold)
        cases = [
            ({"xdotool"}, ["bash", e2e / "list_screen_e2e.sh", "/bin/false"], "xdotool"),
            ({"Xvfb"}, [sys.executable, e2e / "editor_e2e.py", "/bin/false"], "Xvfb"),
            ({"import"}, [sys.executable, e2e / "link_e2e.py", "/bin/false", "/bin/false"], "import"),
            ({"xdotool"}, [sys.executable, e2e / "undo_e2e.py", "/bin/false", "/bin/false"], "xdotool"),
            ({"xdotool"}, [sys.executable, e2e / "field_truth_e2e.py", "/bin/false"], "xdotool"),
            (browsers, [sys.executable, serial / "run_browser_test.py", "/bin/false", golden, "basic.jam"],
             "Chromium"),
            # The page's build was skipped: its test skips too, naming the file.
            (set(), [sys.executable, serial / "run_browser_test.py", "--wasm", empty_page, "/bin/false", golden,
                     "basic.jam"], "transfer.js"),
        ]
        failures = 0
        for number, (hidden, command, reason) in enumerate(cases):
            folder = os.path.join(work, f"bin{number}")
            os.mkdir(folder)
            env = dict(os.environ, PATH=path_without(hidden, folder))
            if reason == "transfer.js" and not any(os.path.exists(os.path.join(folder, b)) for b in browsers):
                continue  # without a browser this case already skips for that
            try:
                run = subprocess.run([str(c) for c in command], env=env, capture_output=True, text=True,
                                     timeout=60)
                output, status = run.stdout + run.stderr, run.returncode
            except subprocess.TimeoutExpired:
                output, status = "(still running after 60 s)", None
            name = pathlib.Path(command[1]).name
            if status != SKIP or reason not in output:
                print(f"FAIL: {name} without {sorted(hidden) or 'its page'}: status {status}, "
                      f"expected {SKIP} with a reason naming {reason!r}; said: {output.strip()[:300]}")
                failures += 1
            else:
                print(f"ok: {name} without {sorted(hidden) or 'its page'}: {output.strip().splitlines()[-1]}")
        return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
