#!/usr/bin/env python3
"""The board simulator in the page, in headless Chromium: a child with no
board builds LED on, wait 3 s, LED off, wait 3 s; play offers the simulator,
and while the page's simulator runs the program the field lights the row
whose card is running (its pixels, as it advances) and the panel's LED
shows red while it is on.

    simulator_test.py --site build-web/site [--shots DIR]
"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import browser_test as common  # noqa: E402
from browser_test import Page, arguments, check, site_in_browser  # noqa: E402
from e2e_support import LIST_NEW, PLAY, SNAPPED_X, row_y  # noqa: E402

LED_ON, LED_OFF, WAIT_3 = 0, 1, 3  # the basic set's palette cards
OK = (362, 284)  # the message box's OK button
LIT = (255, 214, 0)
SLOT_HALF_WIDTH, LIGHT_MARGIN = 115, 14
PANEL_LED = (874 - 84 - 2 + 8 + 15, 184 + 260 + 15)  # the panel left of the run panel, level with its foot
LED_RED = (240, 30, 30)


def lit_rows(colour, rows):
    """The rows whose light shows right of their slot."""
    return [row for row in rows if colour(SNAPPED_X + SLOT_HALF_WIDTH + LIGHT_MARGIN / 2, row_y(row)) == LIT]


def wait_for_rows(page, rows, wanted, seconds):
    """Screenshots until exactly `wanted` rows are lit; the last picture."""
    deadline = time.monotonic() + seconds
    while True:
        colour = page.shot("simulator-lit-" + "-".join(map(str, wanted)))
        if lit_rows(colour, rows) == wanted or time.monotonic() > deadline:
            return colour
        time.sleep(0.2)


def main():
    args = arguments(export=False)
    rows = [1, 2, 3, 4]
    with site_in_browser(args.site) as (browser, url):
        page = Page(browser, url, args.shots)
        page.open()
        page.click(*LIST_NEW)
        page.settle(60)
        for row, card in zip(rows, (LED_ON, WAIT_3, LED_OFF, WAIT_3)):
            page.drag_from_palette(card, (SNAPPED_X, row_y(row)))
        colour = page.shot("simulator-built")
        check(lit_rows(colour, rows) == [], "nothing is lit before the program runs")

        page.click(*PLAY)  # no board: the simulator is offered
        page.shot("simulator-offered")
        page.click(*OK)
        # The send is paced as for a board (about ten seconds in jam).
        colour = wait_for_rows(page, rows, [2], 40)
        check(lit_rows(colour, rows) == [2], f"the first wait's row is lit ({lit_rows(colour, rows)})")
        check(colour(*PANEL_LED) == LED_RED, f"the panel's LED is on ({colour(*PANEL_LED)})")
        colour = wait_for_rows(page, rows, [4], 6)
        check(lit_rows(colour, rows) == [4], f"then the second wait's row alone ({lit_rows(colour, rows)})")
        check(colour(*PANEL_LED) != LED_RED, f"the panel's LED is off ({colour(*PANEL_LED)})")
        colour = wait_for_rows(page, rows, [], 6)
        check(lit_rows(colour, rows) == [], "nothing is lit once the program has ended")
        errors = [line for line in browser.console if "exception" in line or "Aborted" in line]
        check(not errors, f"no errors on the page's console {errors[:3]}")
    print(f"{common.passed} passed, {common.failed} failed")
    return 1 if common.failed else 0


if __name__ == "__main__":
    sys.exit(main())
