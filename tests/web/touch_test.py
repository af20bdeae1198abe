#!/usr/bin/env python3
"""The browser build in headless Chromium with touch emulated, driven by touch
events only (DevTools' Input.dispatchTouchEvent): a program is started, two
cards are dragged from the palette, a placed card is moved to another row, a
number card is tapped and a number typed through the on-screen keyboard's
field (full-width digits), and the field is spread (nothing grows past full
size) and pinched to half size. The
program file holds the cards on their rows with the typed number; the hidden
field took the focus inside the tap itself and asked for a decimal keyboard;
the pinched field shows the taken slots half as tall.

    touch_test.py --site build-web/site [--shots DIR]
"""
import os
import plistlib
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))

import browser_test as common  # noqa: E402
from e2e_support import FULL, LIST_NEW, SNAPPED_X, TAB_X, TAB_Y, row_y, snapped_row  # noqa: E402

STORE = common.STORE
NUMBER_CARD = 2  # the full set's third card takes a typed number
STRIP_X = common.SLOT_STRIP_X


def tap(page, x, y):
    px, py = page.to_page(x, y)
    page.touch("touchStart", px, py)
    page.settle(3)
    page.touch("touchEnd", px, py)
    page.settle()


def slide(page, start, end, steps=20):
    """One finger from `start` to `end`, a frame a step."""
    page.touch("touchStart", *page.to_page(*start))
    page.settle(3)
    for i in range(1, steps + 1):
        point = (start[0] + (end[0] - start[0]) * i / steps, start[1] + (end[1] - start[1]) * i / steps)
        page.touch("touchMove", *page.to_page(*point))
        page.settle(1)
    page.touch("touchEnd", *page.to_page(*end))
    page.settle()


def pinch(page, centre, spread_from, spread_to, steps=10):
    """Two fingers on either side of `centre`, from `spread_from` to
    `spread_to` units apart."""
    def points(spread):
        return [{"x": p[0], "y": p[1], "id": i + 1}
                for i, p in enumerate(page.to_page(centre[0] + side * spread / 2, centre[1]) for side in (-1, 1))]
    page.browser.call("Input.dispatchTouchEvent", type="touchStart", touchPoints=points(spread_from))
    page.settle(3)
    for i in range(1, steps + 1):
        spread = spread_from + (spread_to - spread_from) * i / steps
        page.browser.call("Input.dispatchTouchEvent", type="touchMove", touchPoints=points(spread))
        page.settle(1)
    page.browser.call("Input.dispatchTouchEvent", type="touchEnd", touchPoints=[])
    page.settle(40)


def dark_run(colour):
    """The tallest run of dark pixels (a taken slot's strip beside its card)
    in any column across the slots."""
    longest = 0
    for x in range(480, 800, 2):
        run = 0
        for y in range(760, 60, -1):
            run = run + 1 if max(colour(x, y)) < 64 else 0
            longest = max(longest, run)
    return longest


def main():
    args = common.arguments(export=False)
    check = common.check
    with common.site_in_browser(args.site) as (browser, url):
        browser.call("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)
        page = common.Page(browser, url, args.shots)
        page.open()
        check(browser.evaluate("navigator.maxTouchPoints") == 5, "the page sees a touch screen")

        tap(page, *LIST_NEW)
        page.settle(60)  # the slide towards the editor
        page.drag_from_palette(common.LED_ON, (SNAPPED_X, row_y(1)), finger="touchEnd")
        tap(page, TAB_X[FULL], TAB_Y)
        page.drag_from_palette(NUMBER_CARD, (SNAPPED_X, row_y(2)), finger="touchEnd")
        browser.wait_for(f"(FS.readFile('{STORE}/1.plist', {{encoding: 'utf8'}}).match(/<dict>/g) || []).length == 2",
                         "both cards in the program file")

        # A finger on a placed card drags that card: the LED goes from row 1 to row 3.
        slide(page, (SNAPPED_X, row_y(1)), (SNAPPED_X + 150, row_y(3)))
        slide(page, (SNAPPED_X + 150, row_y(3)), (SNAPPED_X, row_y(3)), steps=10)
        colour = page.shot("touch-moved")
        check(not common.taken(colour, 1) and common.taken(colour, 2) and common.taken(colour, 3),
              "the moved card lies on row 3, row 1 is free")

        # The number card opens its editor; the hidden field takes the focus
        # within the tap's own event, asking for a decimal keyboard.
        # Heard after the page's own listener, at the end of the same event.
        browser.evaluate("window.touchFocus = null; window.addEventListener('touchend', () => { "
                         "window.touchFocus = document.activeElement === document.getElementById('ime'); })")
        tap(page, SNAPPED_X - 40, row_y(2))
        browser.wait_for("document.activeElement === document.getElementById('ime')", "the number box to take the keys")
        check(browser.evaluate("window.touchFocus") is True, "the field is focused inside the tap's own event")
        check(browser.evaluate("document.getElementById('ime').inputMode") == "decimal", "a decimal keyboard is asked for")
        browser.call("Input.insertText", text="１２")  # what a Japanese on-screen keyboard may send
        page.settle(5)
        page.key("Enter", "Enter", 13)
        page.settle(40)
        browser.wait_for(f"FS.readFile('{STORE}/1.plist', {{encoding: 'utf8'}}).includes('<string>12</string>')",
                         "the typed number in the program file")

        cards = plistlib.loads(page.read("1.plist").encode())
        placed = sorted((snapped_row(card), card["tab"], card["index"], card["value"]) for card in cards)
        check(placed == [(2, FULL, NUMBER_CARD, "12"), (3, 0, common.LED_ON, "")],
              f"the program file holds the number card with 12 on row 2 and the LED on row 3 ({placed})")

        # Two fingers below the cards: spread, nothing grows past full size;
        # pinched, the field shows at half size.
        full = dark_run(page.shot("touch-before-pinch"))
        pinch(page, (STRIP_X, 150), 200, 400)
        spread = dark_run(page.shot("touch-spread"))
        check(full > 100 and abs(spread - full) <= 2, f"spread, the field stays at full size ({full} -> {spread})")
        pinch(page, (STRIP_X, 150), 200, 100)
        half = dark_run(page.shot("touch-pinched"))
        check(0.4 * full < half < 0.6 * full, f"the pinched field shows the taken slots half as tall ({full} -> {half})")
        errors = [line for line in browser.console if "exception" in line or "Aborted" in line]
        check(not errors, f"no errors on the page's console {errors[:3]}")
    print(f"{common.passed} passed, {common.failed} failed")
    return 1 if common.failed else 0


if __name__ == "__main__":
    sys.exit(main())
