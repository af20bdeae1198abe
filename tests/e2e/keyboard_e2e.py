#!/usr/bin/env python3
"""End to end: a program built and sent with the keyboard alone. On the real
pavlune-cards under a private Xvfb display, xdotool presses only keys: the
list opens a new program, three cards are laid from the palette (one of them
a wait whose number is typed), a card is taken off and the removal undone,
and play on the buttons sends the program to a pseudo-terminal board. The
board must receive exactly the bytes pavlune-export prints for the saved
program; the focus frame must show where the keys act.

    keyboard_e2e.py <pavlune-cards> <pavlune-export> [folder for screenshots]
"""

import subprocess
import sys

from e2e_support import (BASIC, CARD_WIDTH, FULL, PALETTE_X, PLAY, SNAPPED_X, Failure, Session,
                         SKIP, palette_y, row_y, run, settle, skip_unless_tools, wait_until)
from pty_board import PtyBoard

LED_ON, LED_OFF = 0, 1
WAIT_ANY = 2                  # full set: a wait for the number typed on it
DIALECT = "jam"               # a new store's dialect
FOCUS_BLUE = (11, 110, 153)   # the frame's outer band
FOCUS_YELLOW = (255, 214, 0)  # its inner band, a colour no button here has
# From a framed box's left edge to the middle of that band: the gap (2),
# the yellow band (4) and half the blue one (6).
BLUE_BAND = 2 + 4 + 3
PANEL_POINT = (600, 500)      # inside the finished send's panel
SLOT_LEFT = SNAPPED_X - CARD_WIDTH / 2 - 5  # a row card lies 5 inside its slot


def export(tool, *args):
    result = subprocess.run([tool, *args], capture_output=True)
    if result.returncode != 0:
        raise Failure(f"pavlune-export {' '.join(args)}: {result.stderr.decode(errors='replace')}")
    return result.stdout


def main():
    app, tool = sys.argv[1], sys.argv[2]
    shots = sys.argv[3] if len(sys.argv) > 3 else None
    skip_unless_tools("Xvfb", "xdotool", "import")
    # The editor runs on the first board a search finds; the terminal named on
    # the command line is that board only where no other is plugged in.
    listed = [line for line in export(tool, "--list-ports").decode().splitlines()
              if not line[2:].startswith("/dev/ttyS")]
    if listed:
        print(f"other boards are listed ({listed}): a search would choose one of them, not the terminal")
        sys.exit(SKIP)
    board = PtyBoard()
    session = None
    try:
        session = Session(app, ["--port", board.path], shots=shots)
        build_and_send(session, board, tool)
    finally:
        if session:
            session.close()
        board.close()


def near(colour, expected, tolerance=30):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


def frame_left_of(s, x, y, what):
    """The frame's blue band lies just left of the box whose left edge is at x."""
    colour = s.colour_at(x - BLUE_BAND, y)
    if not near(colour, FOCUS_BLUE):
        raise Failure(f"no focus frame left of {what}: {colour} at ({x - BLUE_BAND}, {y})")


def frame_within(s, area):
    """Whether the frame's yellow band shows in the area (a line of it, not a stray pixel)."""
    picture = s.region(*area)
    return sum(near(picture.colour(x, y), FOCUS_YELLOW, 12)
               for y in range(picture.height) for x in range(picture.width)) > 50


def build_and_send(s, board, tool):
    # The list: the first arrow shows its frame on the new program's entry.
    s.key("Right")
    s.key("Return")
    settle(1.5)
    s.alive()

    s.key("Tab")  # the palette's first card
    settle(0.3)
    frame_left_of(s, PALETTE_X - CARD_WIDTH / 2, palette_y(LED_ON), "the first palette card")
    s.shot("palette-focus")
    s.key("Return")
    s.wait_for_program([(1, BASIC, LED_ON, "")], "Return to lay LED 1 on row 1")
    s.key("Down", "Return")
    s.wait_for_program([(1, BASIC, LED_ON, ""), (2, BASIC, LED_OFF, "")], "LED 0 on the next free row")
    s.key("Left", "Down", "Down", "Return")  # the full set, its wait card
    three = [(1, BASIC, LED_ON, ""), (2, BASIC, LED_OFF, ""), (3, FULL, WAIT_ANY, "1")]
    s.wait_for_program(three, "the wait on row 3")

    s.key("Tab")  # the field, on the row just laid
    settle(0.3)
    frame_left_of(s, SLOT_LEFT, row_y(3), "row 3's slot")
    s.shot("field-focus")
    s.key("Return")
    settle(0.8)
    s.type("5")
    s.key("Return")
    three[2] = (3, FULL, WAIT_ANY, "5")
    s.wait_for_program(three, "the typed 5 on the wait")

    s.key("Up", "Delete")
    s.wait_for_program([three[0], three[2]], "Delete to take LED 0 off row 2")
    s.key("ctrl+z")
    s.wait_for_program(three, "Ctrl+Z to put LED 0 back")
    settle(0.3)

    # The buttons, read top to bottom: down to play.
    # Round the play button (about 90 by 100), short of the dialect button above it.
    play_area = (PLAY[0] - 70, PLAY[1] - 62, PLAY[0] + 70, PLAY[1] + 62)
    if frame_within(s, play_area):
        raise Failure("a focus frame shows at play before the keys got there")
    s.key("Tab")
    for _ in range(8):
        settle(0.2)
        if frame_within(s, play_area):
            break
        s.key("Down")
    else:
        raise Failure("the arrows never framed the play button")
    s.shot("play-focus")

    expected = export(tool, "--dialect", DIALECT, "--program", s.program_path())
    s.key("Return")
    wait_until(lambda: len(board.bytes()) >= len(expected), "the program to arrive at the board", 30)
    received = board.settled_bytes(quiet=0.5)
    if received != expected:
        raise Failure(f"the board received {received!r}, expected {expected!r}")
    settle(0.5)
    s.shot("sent")
    if s.colour_at(*PANEL_POINT)[0] > 80:
        raise Failure(f"the finished send shows no dark panel: {s.colour_at(*PANEL_POINT)}")
    s.key("Return")  # its OK
    wait_until(lambda: s.colour_at(*PANEL_POINT)[0] > 200, "Return to close the finished send's panel")
    s.alive()


if __name__ == "__main__":
    run(main)
