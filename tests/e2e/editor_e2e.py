#!/usr/bin/env python3
"""End to end: the editor of the real pavlune-cards on a private Xvfb display,
driven with xdotool. A new program is built card by card; after every step the
program file is read and must hold exactly the cards the step left.

    editor_e2e.py <pavlune-cards> [folder for screenshots]
"""

import sys

from e2e_support import (BACK, BASIC, CHOOSER_X, CHOOSER_Y, FULL, LIST_FIRST, LIST_NEW, ROW_BUTTON_X,
                         ROW_HEIGHT, SETTINGS_CLOSED, SETTINGS_OPEN, SNAPPED_X, TAB_X, TAB_Y, TOGGLE, TRASH,
                         Failure, Session, flick_corner, palette_y, row_y, run, settle, skip_unless_tools,
                         wait_until)

LED_ON = 0     # basic set: "LED 1"
WAIT_ANY = 2   # full set: a wait for the number typed on it
EMPTY_FIELD_POINT = (820, 200)  # white paper right of the rows
# The rows only: the undo buttons right of them start afresh in a reopened program.
FIELD_AREA = (280, 10, 778, 760)
MAX_STRAYS = 30
TOGGLE_AREA = (TOGGLE[0] - 50, TOGGLE[1] - 25, TOGGLE[0] + 50, TOGGLE[1] + 25)


# What the user sees at known places: the strip of slot right of a snapped
# card (card edge 752.5, slot edge 777.5), the card's paper, and the use-count
# badge left of each palette card.
SLOT_STRIP_X = 765
BADGE_X = 42


def badge_area(index):
    y = palette_y(index)
    return (BADGE_X - 12, y - 12, BADGE_X + 12, y + 12)


def expect_row_seen(s, row, taken):
    """A taken row: dark slot strip and the card's warm paper; a free row: the light slot."""
    strip = s.colour_at(SLOT_STRIP_X, row_y(row))
    paper = s.colour_at(SNAPPED_X - 60, row_y(row) + 30)
    dark_strip = max(strip) < 64
    warm_paper = paper[0] > paper[2] + 20
    if (dark_strip, warm_paper) != (taken, taken):
        raise Failure(f"row {row} {'taken' if taken else 'free'} but its slot strip is {strip}, "
                      f"its middle {paper}")


def card_area(row):
    x, y = SNAPPED_X, row_y(row)
    return (x - 95, y - 55, x + 95, y + 55)


def stable_region(session, area):
    """The region once two pictures in a row agree, else None."""
    first = session.region(*area)
    settle(0.2)
    return first if session.region(*area) == first else None


def main():
    app = sys.argv[1]
    shots = sys.argv[2] if len(sys.argv) > 2 else None
    skip_unless_tools("Xvfb", "xdotool", "import")
    session = Session(app, shots=shots)
    try:
        edit(session)
    finally:
        session.close()


def choose_dialect(session, dialect):
    session.click(*TOGGLE, wait=0.4)
    session.click(CHOOSER_X[dialect], CHOOSER_Y, wait=0.6)


def edit(s):
    s.click(*LIST_NEW, wait=1.5)
    s.alive()
    if s.program() is not None:
        raise Failure("a new program has a file before its first edit")

    # A palette card dragged out to the right snaps onto row 1; the row shows
    # it and its badge counts it, unlike its neighbour's (both read 0 before).
    if s.region(*badge_area(LED_ON)) != s.region(*badge_area(LED_ON + 1)):
        raise Failure("two unused palette cards show different badges")
    s.palette_drag(LED_ON, (SNAPPED_X, row_y(1)))
    s.wait_for_program([(1, BASIC, LED_ON, "")], "the first card on row 1")
    settle(0.3)
    expect_row_seen(s, 1, taken=True)
    expect_row_seen(s, 2, taken=False)
    if s.region(*badge_area(LED_ON)) == s.region(*badge_area(LED_ON + 1)):
        raise Failure("the badge of the card placed still reads as an unused card's")

    # The number card of the full set goes to row 2.
    s.click(TAB_X[FULL], TAB_Y)
    s.palette_drag(WAIT_ANY, (SNAPPED_X, row_y(2)))
    s.wait_for_program([(1, BASIC, LED_ON, ""), (2, FULL, WAIT_ANY, "1")], "the number card on row 2")
    s.shot("palette-and-field")

    # A tap on the number card opens its editor, which dims the screen.
    white = s.colour_at(*EMPTY_FIELD_POINT)
    s.click(SNAPPED_X, row_y(2), wait=0)
    wait_until(lambda: s.colour_at(*EMPTY_FIELD_POINT) != white, "the number editor to dim the screen")
    s.type("１．５")  # full-width, as an input method in hiragana mode types it
    settle(0.2)
    s.shot("number-editor")
    s.key("Return")
    s.wait_for_program([(1, BASIC, LED_ON, ""), (2, FULL, WAIT_ANY, "1.5")], "the typed number")
    wait_until(lambda: s.colour_at(*EMPTY_FIELD_POINT) == white, "the number editor to close")

    # Held still, the top card lifts the block below it; both move three rows down.
    s.drag((SNAPPED_X, row_y(1)), (SNAPPED_X, row_y(4)), hold=1.5)
    s.wait_for_program([(4, BASIC, LED_ON, ""), (5, FULL, WAIT_ANY, "1.5")], "the block on rows 4 and 5")

    # Lifted alone (moved before the block lift) and dropped on the trash.
    s.drag((SNAPPED_X, row_y(4)), TRASH, hold=0.15)
    s.wait_for_program([(5, FULL, WAIT_ANY, "1.5")], "the LED card gone into the trash")

    # The + of row 1 pushes every card one row down, its - pulls them back.
    s.click(ROW_BUTTON_X, row_y(1) + ROW_HEIGHT / 2)
    s.wait_for_program([(6, FULL, WAIT_ANY, "1.5")], "the card pushed down by an inserted row")
    s.click(ROW_BUTTON_X, row_y(1))
    s.wait_for_program([(5, FULL, WAIT_ANY, "1.5")], "the card pulled up by a deleted row")
    saved = open(s.program_path(), "rb").read()

    # The folded corner turns the card over; its back follows the dialect.
    s.click(*flick_corner(SNAPPED_X, row_y(5)), wait=0.8)
    backs, toggles = {}, {}
    for name, dialect in (("jam", 0), ("latte", 1), ("que", 2)):
        if dialect:
            choose_dialect(s, dialect)
        backs[name] = s.region(*card_area(5))
        toggles[name] = s.region(*TOGGLE_AREA)
        s.shot(f"backs-{name}")
    if len(set(toggles.values())) != 3:
        raise Failure("the dialect toggle does not show three different dialects")
    if backs["jam"] == backs["latte"]:
        raise Failure("the card's back did not change from jam to latte")
    if open(s.program_path(), "rb").read() != saved:
        raise Failure("switching the dialect changed the program file")
    s.click(*flick_corner(SNAPPED_X, row_y(5)), wait=0.8)

    s.click(*SETTINGS_CLOSED, wait=0.5)
    s.shot("bottom-bar-open")
    s.click(*SETTINGS_OPEN, wait=0.5)

    # Back to the list and in again: the same field, the file untouched.
    # A reloaded card lies on the whole units the file keeps, so the field
    # may be drawn up to half a unit away from where it was left; the scaled
    # digits of a number then round a few pixels differently. A missing card
    # or a changed digit changes hundreds.
    field = s.region(*FIELD_AREA)
    s.click(*BACK, wait=2.0)
    s.alive()
    s.click(*LIST_FIRST, wait=1.5)
    reopened = wait_until(lambda: stable_region(s, FIELD_AREA), "the reopened field to stop moving")
    s.shot("reopened")
    strays = field.strays(reopened) + reopened.strays(field)
    if strays > MAX_STRAYS:
        raise Failure(f"the reopened program looks different: {strays} pixels changed")
    if open(s.program_path(), "rb").read() != saved:
        raise Failure("reopening the program changed its file")
    s.alive()


if __name__ == "__main__":
    run(main)
