#!/usr/bin/env python3
"""End to end: a card dropped on a taken row, on the real pavlune-cards under
a private Xvfb display driven with xdotool. The row keeps its card, which
stays in sight; the dropped card lies beside the rows; reopened, the program
and the picture are the same.

    field_truth_e2e.py <pavlune-cards> [folder for screenshots]
"""

import sys

from e2e_support import (BACK, BASIC, LIST_FIRST, LIST_NEW, SNAPPED_X, Failure, Session, row_y, run, settle,
                         skip_unless_tools, wait_until)

LED_ON, LED_OFF = 0, 1
# A loose card slides beside the rows: slots' right edge 777.5, a gap of 20,
# half a card; the file keeps its centre truncated.
BESIDE_X = 897
# The parts of the two cards no control covers.
ROW_CARD_AREA = (SNAPPED_X - 95, row_y(1) - 55, SNAPPED_X + 95, row_y(1) + 55)
BESIDE_AREA = (BESIDE_X - 95, row_y(1) - 55, 870, row_y(1) + 55)


def main():
    app = sys.argv[1]
    shots = sys.argv[2] if len(sys.argv) > 2 else None
    skip_unless_tools("Xvfb", "xdotool", "import")
    session = Session(app, shots=shots)
    try:
        check(session)
    finally:
        session.close()


def loose_x(s):
    cards = s.program() or []
    return [c["x"] for c in cards if c["index"] == LED_OFF]


def check(s):
    s.click(*LIST_NEW, wait=1.5)
    s.palette_drag(LED_ON, (SNAPPED_X, row_y(1)))
    s.wait_for_program([(1, BASIC, LED_ON, "")], "the first card on row 1")
    settle(0.5)
    row_card = s.region(*ROW_CARD_AREA)
    paper = s.region(*BESIDE_AREA)

    # The second card is let go exactly over the first.
    s.palette_drag(LED_OFF, (SNAPPED_X, row_y(1)))
    s.wait_for_program([(1, BASIC, LED_ON, ""), (None, BASIC, LED_OFF, "")], "the dropped card left loose")
    wait_until(lambda: loose_x(s) == [BESIDE_X], "the dropped card beside the rows")
    settle(0.5)
    s.shot("dropped-on-taken-row")
    if s.region(*ROW_CARD_AREA) != row_card:
        raise Failure("the card on row 1 is covered")
    if s.region(*BESIDE_AREA) == paper:
        raise Failure("the dropped card cannot be seen beside the rows")
    saved = open(s.program_path(), "rb").read()

    s.click(*BACK, wait=2.0)
    s.alive()
    s.click(*LIST_FIRST, wait=2.0)
    settle(0.5)
    s.shot("reopened")
    if open(s.program_path(), "rb").read() != saved:
        raise Failure("reopening the program changed its file")
    if s.region(*ROW_CARD_AREA) != row_card:
        raise Failure("the reopened row 1 does not show its card")
    if s.region(*BESIDE_AREA) == paper:
        raise Failure("the reopened field hides the loose card")
    s.alive()


if __name__ == "__main__":
    run(main)
