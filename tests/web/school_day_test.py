#!/usr/bin/env python3
"""A school day with the browser build, end to end in headless Chromium.

A child visits the page once; the network goes. The page still opens, and
the child, with no board, builds a program with the mouse (cards from two
sets, a number typed on one), plays it on the page's simulator and watches
the running row light up in turn while the panel's LED follows; stop ends
the long wait at once. The child titles the program and makes another. The
teacher exports the whole class with the page's button and imports the file
in a fresh profile: every program is there with its title, its cards on
their rows and its picture drawn.

    school_day_test.py --site build-web/site [--shots DIR]
"""
import os
import plistlib
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))

import browser_test as common  # noqa: E402
from DevTools import Browser  # noqa: E402
from e2e_support import (BACK, BASIC, FULL, LIST_FIRST, LIST_NEW, PLAY, SNAPPED_X, STOP, TAB_X,  # noqa: E402
                         TAB_Y, row_y, snapped_row)
from keeping_test import differing, picture  # noqa: E402

STORE = common.STORE
check = common.check
# Palette cards by index, from the card reference.
LED_ON, LED_OFF, WAIT_1 = 0, 1, 2  # basic: "LED 1", "LED 0", "WAIT 60"
WAIT_10, WAIT_TYPED = 1, 2  # full: "WAIT 600", "WAIT @" (60 per typed second)
TITLE = "ひかる"

# What the child lays, as the program files must hold it: (row, set, card, typed value).
RUNNING_PROGRAM = [(1, BASIC, LED_ON, ""), (2, FULL, WAIT_TYPED, "3"), (3, BASIC, LED_OFF, ""),
                   (4, FULL, WAIT_10, "")]
SECOND_PROGRAM = [(1, BASIC, WAIT_1, "")]

# The running row's light: a yellow frame right of the card's slot.
LIT = (255, 214, 0)
LIGHT_X = SNAPPED_X + 115 + 7
LED_RED = (240, 30, 30)  # the panel's LED while it is on


def lit_rows(colour, rows):
    return [row for row in rows if colour(LIGHT_X, row_y(row)) == LIT]


def watch_rows(page, rows, wanted, seconds):
    """Screenshots until exactly `wanted` rows are lit or `seconds` pass; the
    last picture and the time it was taken."""
    deadline = time.monotonic() + seconds
    while True:
        colour = page.shot("day-lit-" + "-".join(map(str, wanted)))
        taken = time.monotonic()
        if lit_rows(colour, rows) == wanted or taken > deadline:
            return colour, taken
        time.sleep(0.2)


def led_pixels(colour):
    """How many points of the design area show the LED's red (the panel may be
    anywhere the child dragged it)."""
    return sum(1 for x in range(0, 1024, 2) for y in range(0, 768, 2) if colour(x, y) == LED_RED)


def cards_of(program):
    """(row, set, card, value) of each card in a program's array of cards."""
    return sorted((snapped_row(card), card["tab"], card["index"], card["value"]) for card in program)


def titles_of(list_xml):
    return re.findall(r"<key>title</key>\s*<string>(.*?)</string>", list_xml)


def png_picture(data):
    """A PNG's pixels sampled on a 27 by 27 grid, as RGB tuples."""
    with tempfile.NamedTemporaryFile(suffix=".png") as f:
        f.write(bytes(data))
        f.flush()
        raw = subprocess.run(["convert", f.name, "-resize", "27x27!", "rgb:-"], capture_output=True,
                             check=True).stdout
    return [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]


def store_picture(page, number):
    return png_picture(page.browser.evaluate(f"Array.from(FS.readFile('{STORE}/img{number}.png'))"))


def close_box(page, name):
    """Taps the OK of the message box that shows."""
    page.settle(40)
    ok = common.box_ok(page.shot(name))
    check(ok is not None, f"a box with an OK shows ({name})")
    if ok:
        page.click(*ok)
        page.settle(40)


def build_and_run(page, browser):
    """The child's program, built offline with the mouse and run on the page's
    simulator."""
    page.click(*LIST_NEW)
    page.settle(60)
    page.drag_from_palette(LED_ON, (SNAPPED_X, row_y(1)))
    page.drag_from_palette(LED_OFF, (SNAPPED_X, row_y(3)))
    page.click(TAB_X[FULL], TAB_Y)
    page.drag_from_palette(WAIT_TYPED, (SNAPPED_X, row_y(2)))
    page.drag_from_palette(WAIT_10, (SNAPPED_X, row_y(4)))
    page.click(SNAPPED_X - 40, row_y(2))  # the number card's plate opens its number box
    browser.wait_for("document.activeElement === document.getElementById('ime')", "the number box to take the keys")
    browser.call("Input.insertText", text="3")
    page.key("Enter", "Enter", 13)
    browser.wait_for(f"FS.readFile('{STORE}/1.plist', {{encoding: 'utf8'}}).includes('<string>3</string>')",
                     "the typed number in the program file")
    check(cards_of(plistlib.loads(page.read("1.plist").encode())) == RUNNING_PROGRAM,
          "the program file holds the cards on the rows they were laid on, with the typed number")

    rows = [1, 2, 3, 4]
    colour = page.shot("day-built")
    check(lit_rows(colour, rows) == [] and led_pixels(colour) == 0, "nothing is lit before the program runs")
    page.click(*PLAY)  # no board chosen: the simulator is offered
    close_box(page, "day-simulator-offered")
    # The send is paced as for a board (about ten seconds in jam); then the
    # LED goes on and row 2 waits 3 s, the LED goes off and row 4 waits 10 s.
    colour, _ = watch_rows(page, rows, [2], 40)
    check(lit_rows(colour, rows) == [2], f"the typed wait's row is lit while it waits ({lit_rows(colour, rows)})")
    check(led_pixels(colour) > 100, f"the panel's LED is on ({led_pixels(colour)} red points)")
    colour, seen = watch_rows(page, rows, [4], 8)
    check(lit_rows(colour, rows) == [4], f"then the ten-second wait's row alone ({lit_rows(colour, rows)})")
    check(led_pixels(colour) == 0, f"the panel's LED is off ({led_pixels(colour)} red points)")
    page.click(*STOP)
    colour, stopped = watch_rows(page, rows, [], 4)
    check(lit_rows(colour, rows) == [] and stopped - seen < 6,
          f"stop ends the wait long before its ten seconds ({stopped - seen:.1f} s after it was seen lit)")


def make_class(page, browser):
    """The child titles the program and makes a second one; both are listed
    with their pictures."""
    page.click(*BACK)
    page.settle(60)
    page.click(LIST_FIRST[0], 190)  # the first entry's title
    browser.wait_for("document.activeElement === document.getElementById('ime')", "the title box to take the keys")
    browser.call("Input.insertText", text=TITLE)
    page.key("Enter", "Enter", 13)
    browser.wait_for(f"FS.readFile('{STORE}/list.plist', {{encoding: 'utf8'}}).includes('{TITLE}</string>')",
                     "the typed title in the list file")
    page.click(*LIST_NEW)
    page.settle(60)
    page.click(TAB_X[BASIC], TAB_Y)  # the palette stays on the set chosen last
    page.drag_from_palette(WAIT_1, (SNAPPED_X, row_y(1)))
    page.click(*BACK)
    page.settle(60)
    browser.wait_for(f"FS.analyzePath('{STORE}/img2.png').exists && !window.pavluneSyncPending",
                     "the second program's picture")


def export_class(page, browser, downloads):
    browser.call("Browser.setDownloadBehavior", behavior="allow", downloadPath=downloads)
    page.press_button("export-class")
    class_file = os.path.join(downloads, "PavluneCards-class.plist")
    deadline = time.monotonic() + 30
    while not os.path.exists(class_file) and time.monotonic() < deadline:
        time.sleep(0.2)
    check(os.path.exists(class_file), "the class file is downloaded")
    return class_file


def import_in_fresh_profile(url, class_file, shots, original):
    """`original`: the first profile's titles, pictures and list picture."""
    browser = Browser()
    try:
        page = common.Page(browser, url, shots)
        page.open()
        browser.call("Page.setInterceptFileChooserDialog", enabled=True)
        browser.watch("Page.fileChooserOpened")
        page.press_button("import")
        chooser = browser.next_event("Page.fileChooserOpened")
        browser.call("DOM.setFileInputFiles", files=[class_file], backendNodeId=chooser["backendNodeId"])
        browser.wait_for(f"FS.analyzePath('{STORE}/2.plist').exists", "the class's programs")
        close_box(page, "day-imported")
        # Added oldest first, so that the list shows them as the class did.
        expected = {"1.plist": RUNNING_PROGRAM, "2.plist": SECOND_PROGRAM}
        arrived = {name: cards_of(plistlib.loads(page.read(name).encode())) for name in expected}
        check(arrived == expected, f"every program arrives with its cards on their rows ({arrived})")
        titles = titles_of(page.read("list.plist"))
        check(titles == original["titles"], f"and with its title, in the list's order ({titles})")
        browser.wait_for(f"FS.analyzePath('{STORE}/img1.png').exists && FS.analyzePath('{STORE}/img2.png').exists",
                         "both pictures drawn")
        for number in (1, 2):
            drawn = differing(store_picture(page, number), original["pictures"][number])
            check(drawn <= 10, f"program {number}'s picture is drawn as it was ({drawn} of 729 points differ)")
        colour = page.shot("day-fresh-list")
        shown = differing(picture(colour), original["list"])
        check(colour(*LIST_FIRST) != colour(100, 700) and shown <= 10,
              f"the list shows the newest program's picture as before ({shown} points differ)")
    finally:
        browser.close()


def main():
    args = common.arguments(export=False)
    if not os.path.isfile(os.path.join(args.site, "sw.js")):
        print(f"SKIP: {args.site} has no sw.js (the site was not finished)")
        return 77
    server = common.serve(args.site)
    port = server.server_address[1]
    url = f"http://127.0.0.1:{port}/"
    downloads = tempfile.mkdtemp(prefix="pavlune-day-")
    browser = Browser()
    try:
        page = common.Page(browser, url, args.shots)
        page.open()
        browser.wait_for("navigator.serviceWorker.controller !== null", "the offline worker to take the page", 60)
        common.stop(server)
        server = None
        browser.call("Network.enable")
        browser.call("Network.emulateNetworkConditions", offline=True, latency=0, downloadThroughput=-1,
                     uploadThroughput=-1)
        page.open()  # a navigation: a forced reload would bypass the worker
        colour = page.shot("day-offline-list")
        check(browser.evaluate("navigator.onLine") is False and colour(*LIST_NEW) != colour(100, 700),
              "offline, the page opens on its list")

        build_and_run(page, browser)
        make_class(page, browser)
        original = {"titles": titles_of(page.read("list.plist")),
                    "pictures": {n: store_picture(page, n) for n in (1, 2)},
                    "list": picture(page.shot("day-list"))}
        check(len(original["titles"]) == 2 and original["titles"][1] == TITLE,
              f"the list holds the new program and the titled one ({original['titles']})")
        class_file = export_class(page, browser, downloads)
        with open(class_file, "rb") as f:
            programs = plistlib.load(f)["programs"]
        check([(p["title"], cards_of(p["program"])) for p in programs] ==
              [(original["titles"][0], SECOND_PROGRAM), (TITLE, RUNNING_PROGRAM)],
              "the class file holds both programs, newest first, with their titles and cards")
        errors = [line for line in browser.console if "exception" in line or "Aborted" in line]
        check(not errors, f"no errors on the page's console {errors[:3]}")

        server = common.serve(args.site, port)  # the next machine is online
        import_in_fresh_profile(url, class_file, args.shots, original)
    finally:
        if browser.console:
            print("console:", *browser.console[-10:], sep="\n  ")
        browser.close()
        if server:
            common.stop(server)
        shutil.rmtree(downloads, ignore_errors=True)
    print(f"{common.passed} passed, {common.failed} failed")
    return 1 if common.failed else 0


if __name__ == "__main__":
    sys.exit(main())
