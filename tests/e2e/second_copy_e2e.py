#!/usr/bin/env python3
"""End to end: a second pavlune-cards started while one runs (a child's
double click) ends at once, with success and without a window of its own; the
first keeps running and keeps its one window. A copy on another store (a
user of its own) starts as usual.

    second_copy_e2e.py <pavlune-cards>
"""

import os
import subprocess
import sys

from e2e_support import Failure, Session, run, skip_unless_tools, wait_until


def main():
    app = sys.argv[1]
    skip_unless_tools("Xvfb", "xdotool")
    session = Session(app)
    try:
        check(session, app)
    finally:
        session.close()


def windows(s):
    return subprocess.run(["xdotool", "search", "--name", "^PavluneApps$"], env=s.env, capture_output=True,
                          text=True).stdout.split()


def check(s, app):
    second = subprocess.Popen([app], env=s.env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    try:
        _, errors = second.communicate(timeout=30)
    except subprocess.TimeoutExpired:
        second.kill()
        second.wait()
        raise Failure("the second copy kept running") from None
    if second.returncode != 0:
        raise Failure(f"the second copy ended with {second.returncode}: {errors}")
    s.alive()
    if len(windows(s)) != 1:
        raise Failure(f"{len(windows(s))} windows after a second start")

    other_store = dict(s.env, XDG_DATA_HOME=os.path.join(s.work, "other"))
    other = subprocess.Popen([app], env=other_store, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_until(lambda: len(windows(s)) == 2, "a window for the copy on another store", 10)
    finally:
        other.terminate()
        other.wait(10)


if __name__ == "__main__":
    run(main)
