#!/usr/bin/env python3
"""End to end: a card dropped on a taken row, on the real pavlune-cards under
a private Xvfb display driven with xdotool. The row keeps its card, which
stays in sight; the dropped card lies loose in sight, clear of the row's card
and the run panel; reopened, the program and the picture are the same.

    field_truth_e2e.py <pavlune-cards> [folder for screenshots]
"""

import sys

from e2e_support import (BACK, BASIC, LIST_FIRST, LIST_NEW, SNAPPED_X, Failure, Session, row_y, run, settle,
                         skip_unless_tools, wait_until)

LED_ON, LED_OFF = 0, 1
# The part of row 1's card no control covers.
ROW_CARD_AREA = (SNAPPED_X - 95, row_y(1) - 55, SNAPPED_X + 95, row_y(1) + 55)
# The field around rows 1 to 3 from the slots' left edge to the run panel:
# where a card let go on row 1 may come to lie.
FIELD_AREA = (SNAPPED_X - 110, row_y(3) - 65, 870, row_y(1) + 65)


def main():
    app = sys.argv[1]
    shots = sys.argv[2] if len(sys.argv) > 2 else None
    skip_unless_tools("Xvfb", "xdotool", "import")
    session = Session(app, shots=shots)
    try:
        check(session)
    finally:
        session.close()


def loose_area(s):
    """Where the loose card shows, from the file (zoom 1: content x is the
    screen's; y measured from row 1's card), cut to FIELD_AREA."""
    cards = s.program() or []
    on = next(c for c in cards if c["index"] == LED_ON)
    off = next(c for c in cards if c["index"] == LED_OFF)
    x, y = off["x"], row_y(1) + (off["y"] - on["y"])
    return (max(x - 90, FIELD_AREA[0]), max(y - 50, FIELD_AREA[1]), min(x + 90, FIELD_AREA[2]),
            min(y + 50, FIELD_AREA[3]))


def changed_share(s, before, after, area):
    """The share of points on a grid over `area` whose colour differs between
    two pictures of FIELD_AREA."""
    left, top = s.pixel(FIELD_AREA[0], FIELD_AREA[3])
    points = [(area[0] + (area[2] - area[0]) * i / 7, area[1] + (area[3] - area[1]) * j / 5)
              for i in range(1, 7) for j in range(1, 5)]
    changed = 0
    for x, y in points:
        px, py = s.pixel(x, y)
        changed += before.colour(px - left, py - top) != after.colour(px - left, py - top)
    return changed / len(points)


def check(s):
    s.click(*LIST_NEW, wait=1.5)
    s.palette_drag(LED_ON, (SNAPPED_X, row_y(1)))
    s.wait_for_program([(1, BASIC, LED_ON, "")], "the first card on row 1")
    settle(0.5)
    row_card = s.region(*ROW_CARD_AREA)
    paper = s.region(*FIELD_AREA)

    # The second card is let go exactly over the first: it stays loose, in
    # sight, off the row's card and clear of the run panel.
    s.palette_drag(LED_OFF, (SNAPPED_X, row_y(1)))
    s.wait_for_program([(1, BASIC, LED_ON, ""), (None, BASIC, LED_OFF, "")], "the dropped card left loose")
    settle(0.5)
    s.shot("dropped-on-taken-row")
    if s.region(*ROW_CARD_AREA) != row_card:
        raise Failure("the card on row 1 is covered")
    area = loose_area(s)
    if area[2] - area[0] < 90 or area[3] - area[1] < 50:
        raise Failure(f"the dropped card lies mostly outside the free field ({area})")
    if changed_share(s, paper, s.region(*FIELD_AREA), area) < 0.5:
        raise Failure("the dropped card cannot be seen where the file puts it")
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
    if changed_share(s, paper, s.region(*FIELD_AREA), area) < 0.5:
        raise Failure("the reopened field hides the loose card")
    s.alive()


if __name__ == "__main__":
    run(main)
