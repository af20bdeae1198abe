#!/usr/bin/env python3
"""End to end: undo, redo and the program panel of the real pavlune-cards on a
private Xvfb display, driven with xdotool. Three cards are built with the
mouse; undo (its button, then Ctrl+Z) must give back the earlier program files
byte for byte and redo (Ctrl+Y) the later one. A key pressed behind the
dialect chooser must leave the file alone. The program panel must open over
the field, copy exactly what pavlune-export prints for the saved program, and
close with Escape.

    undo_e2e.py <pavlune-cards> <pavlune-export> [folder for screenshots]
"""

import shutil
import subprocess
import sys

from e2e_support import (BACK, BASIC, LIST_NEW, SNAPPED_X, TOGGLE, Failure, Session, row_y, run, settle,
                         skip_unless_tools, wait_until)

CARDS = (0, 1, 2)  # the first three cards of the basic set, one a row
# The undo and redo buttons (60 by 50) left of the back button (80 wide),
# 28 from it and 8 apart.
REDO = (BACK[0] - 40 - 28 - 30, BACK[1])
UNDO = (REDO[0] - 60 - 8, REDO[1])
CODE_BUTTON = (949, 139)         # 20 below the run controls' panel
PANEL_AREA = (300, 50, 920, 718)  # inside the panel's sheet, over the field
CHOOSER_AREA = (600, 560, 1000, 650)
DIALECT = "jam"  # a new store's dialect


def main():
    app, tool = sys.argv[1], sys.argv[2]
    shots = sys.argv[3] if len(sys.argv) > 3 else None
    skip_unless_tools("Xvfb", "xdotool", "import")
    session = Session(app, shots=shots)
    try:
        undo_and_panel(session, tool)
    finally:
        session.close()


def file_bytes(s):
    try:
        with open(s.program_path(), "rb") as file:
            return file.read()
    except FileNotFoundError:
        return None


def wait_for_bytes(s, expected, what):
    wait_until(lambda: file_bytes(s) == expected, what)
    s.alive()


def stable_region(s, area):
    """The region once two pictures in a row agree, else None."""
    first = s.region(*area)
    settle(0.2)
    return first if s.region(*area) == first else None


def undo_and_panel(s, tool):
    s.click(*LIST_NEW, wait=1.5)
    s.alive()

    # After each card: the file, as it stands once the card has settled.
    files = []
    for row, index in enumerate(CARDS, start=1):
        s.palette_drag(index, (SNAPPED_X, row_y(row)))
        s.wait_for_program([(r, BASIC, i, "") for r, i in enumerate(CARDS[:row], start=1)],
                           f"card {index} on row {row}")
        settle(0.2)
        files.append(file_bytes(s))
    s.shot("three-cards")

    s.click(*UNDO)
    wait_for_bytes(s, files[1], "the undo button to take the third card back")
    s.key("ctrl+z")
    wait_for_bytes(s, files[0], "Ctrl+Z to take the second card back")
    s.key("ctrl+y")
    wait_for_bytes(s, files[1], "Ctrl+Y to put the second card back")
    settle(0.3)
    s.shot("after-redo")

    # Behind an open popup the keys change nothing.
    closed = wait_until(lambda: stable_region(s, CHOOSER_AREA), "the field to stop moving")
    s.click(*TOGGLE, wait=0.6)
    if s.region(*CHOOSER_AREA) == closed:
        raise Failure("the dialect chooser did not open")
    s.shot("dialect-chooser")
    s.key("ctrl+z")
    settle(0.5)
    if file_bytes(s) != files[1]:
        raise Failure("Ctrl+Z behind the dialect chooser changed the program")
    s.key("Escape")
    wait_until(lambda: s.region(*CHOOSER_AREA) == closed, "Escape to close the dialect chooser")

    field = wait_until(lambda: stable_region(s, PANEL_AREA), "the field to stop moving")
    s.click(*CODE_BUTTON)
    panel = wait_until(lambda: stable_region(s, PANEL_AREA), "the program panel to stop moving")
    if panel == field:
        raise Failure("the code button did not open the program panel")
    s.shot("program-panel")

    expected = subprocess.run([tool, "--dialect", DIALECT, "--lines", "--program", s.program_path()],
                              capture_output=True, check=True).stdout.decode()
    if shutil.which("xclip"):
        s.key("ctrl+c")
        settle(0.3)
        copied = subprocess.run(["xclip", "-o", "-selection", "clipboard"], env=s.env, capture_output=True,
                                timeout=5).stdout.decode()
        if copied != expected:
            raise Failure(f"the panel copied {copied!r}, pavlune-export prints {expected!r}")
    else:
        print("xclip is not installed: the panel's text is not compared")

    s.key("Escape")
    wait_until(lambda: s.region(*PANEL_AREA) == field, "Escape to close the program panel")
    if file_bytes(s) != files[1]:
        raise Failure("opening the program panel changed the program")
    s.alive()


if __name__ == "__main__":
    run(main)
