#!/usr/bin/env python3
"""What the browser build keeps when the page goes away or its storage is
cleared: a tab hidden and closed in the editor leaves the list's picture as
the field was (the same picture もどる draws, not the older one); and with
"save also to a folder", every save reaches the folder and, after the
browser's storage is cleared, the programs come back from it.

Headless Chromium shows no folder picker: the page gets an in-memory folder
(proj.web/site/tests/fake-folder.js) in place of showDirectoryPicker's.

    keeping_test.py --site build-web/site [--shots DIR]
"""
import json
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))

import browser_test as common  # noqa: E402
from e2e_support import BACK, LIST_FIRST, LIST_NEW, SNAPPED_X, row_y  # noqa: E402
from offline_test import notice  # noqa: E402

STORE = common.STORE
FAKE_FOLDER = os.path.join(HERE, "..", "..", "proj.web", "site", "tests", "fake-folder.js")
# The first entry's picture: 285 units square around LIST_FIRST, sampled on a
# grid a little inside its edges.
PICTURE_POINTS = [(LIST_FIRST[0] + dx, LIST_FIRST[1] + dy) for dx in range(-130, 131, 10)
                  for dy in range(-130, 131, 10)]


def picture(colour):
    return [colour(x, y) for x, y in PICTURE_POINTS]


def differing(a, b, tolerance=24):
    """How many sampled points differ by more than `tolerance` in a channel."""
    return sum(1 for p, q in zip(a, b) if max(abs(i - j) for i, j in zip(p, q)) > tolerance)


def hidden_tab_keeps_the_picture(browser, url, shots):
    check = common.check
    page = common.Page(browser, url, shots)
    page.open()
    page.click(*LIST_NEW)
    page.settle(60)
    page.drag_from_palette(common.LED_ON, (SNAPPED_X, row_y(1)))
    page.click(*BACK)
    page.settle(60)
    one_card = picture(page.shot("list-one-card"))

    page.click(*LIST_FIRST)
    page.settle(60)
    page.drag_from_palette(common.LED_OFF, (SNAPPED_X, row_y(2)))
    browser.wait_for(f"(FS.readFile('{STORE}/1.plist', {{encoding: 'utf8'}}).match(/<dict>/g) || []).length == 2"
                     " && !window.pavluneSyncPending", "the second card saved")
    # The tab is hidden, as when it is closed; no frame runs after this.
    browser.evaluate("window.dispatchEvent(new PageTransitionEvent('pagehide', { persisted: false }))")
    browser.wait_for("!window.pavluneSyncPending", "the store's copy after the page was hidden")
    browser.call("Page.navigate", url="about:blank")  # the editor's page gone
    browser.wait_for("location.href === 'about:blank'", "the page to be gone")
    page.open()
    after_close = picture(page.shot("list-after-close"))
    check(differing(after_close, one_card) > 10,
          f"the list's picture changed with the second card ({differing(after_close, one_card)} points)")

    # The picture もどる draws from the same field.
    page.click(*LIST_FIRST)
    page.settle(60)
    page.click(*BACK)
    page.settle(60)
    after_back = picture(page.shot("list-after-back"))
    check(differing(after_close, after_back) <= 2,
          f"and is the field as もどる shows it ({differing(after_close, after_back)} points differ)")


def stub_picker(browser, files):
    """The page's folder picker hands out an in-memory folder holding `files`."""
    with open(FAKE_FOLDER, encoding="utf-8") as f:
        source = f.read()
    script = source + (";window.showDirectoryPicker = async () => (window.pavluneTestFolder = "
                       "window.pavluneTestFolder || PavluneFakeFolder.FakeFolder.from(%s));" % json.dumps(files))
    return browser.call("Page.addScriptToEvaluateOnNewDocument", source=script)["identifier"]


def folder_brings_programs_back(browser, url, shots):
    check = common.check
    stub = stub_picker(browser, {})
    page = common.Page(browser, url, shots)
    page.open()
    check(browser.evaluate("!document.getElementById('folder').hidden"), "the folder button shows")
    browser.evaluate("document.getElementById('folder').click()")
    browser.wait_for("document.getElementById('folder').textContent.includes('ちゅう')", "the folder taken")
    page.click(*LIST_NEW)
    page.settle(60)
    page.drag_from_palette(common.LED_ON, (SNAPPED_X, row_y(1)))
    program = f"Array.from(FS.readFile('{STORE}/1.plist'))"
    copied = "(window.pavluneTestFolder.dump()['PavluneCards/savedatas/1.plist'] || []).join()"
    browser.wait_for(f"!window.pavluneSyncPending && {copied} === {program}.join()",
                     "the saved program in the folder, byte for byte")
    page.click(*BACK)
    page.settle(60)
    browser.wait_for(f"!window.pavluneSyncPending && window.pavluneTestFolder.dump()"
                     f"['PavluneCards/savedatas/img1.png'] !== undefined", "its picture in the folder")
    kept = browser.evaluate("window.pavluneTestFolder.dump()")
    listed = page.read("list.plist")
    saved = page.read("1.plist")

    # The browser's storage cleared (a managed profile wiped at logout).
    browser.call("Page.navigate", url="about:blank")
    browser.call("Storage.clearDataForOrigin", origin=url.rstrip("/"), storageTypes="all")
    browser.call("Page.removeScriptToEvaluateOnNewDocument", identifier=stub)
    stub_picker(browser, kept)
    page.open()
    colour = page.shot("list-cleared")
    check(colour(*LIST_FIRST) == colour(100, 700) and "1.plist" not in page.files(),
          "with the storage cleared the list is empty")
    browser.evaluate("window.pavluneBeforeRestore = true; document.getElementById('folder').click()")
    browser.wait_for("!window.pavluneBeforeRestore && document.readyState === 'complete' && typeof FS !== 'undefined'"
                     " && document.getElementById('status').hidden", "the program to start again", 120)
    page.settle()
    check(page.files() and page.read("1.plist") == saved and page.read("list.plist") == listed,
          "the program and the list are back from the folder")
    colour = page.shot("list-restored")
    check(colour(*LIST_FIRST) != colour(100, 700), "the list shows the program again")
    check("フォルダから プログラムを もどしたよ" in notice(browser), f"and says so ({notice(browser)})")


def main():
    args = common.arguments(export=False)
    with common.site_in_browser(args.site) as (browser, url):
        hidden_tab_keeps_the_picture(browser, url, args.shots)
    with common.site_in_browser(args.site) as (browser, url):
        folder_brings_programs_back(browser, url, args.shots)
    print(f"{common.passed} passed, {common.failed} failed")
    return 1 if common.failed else 0


if __name__ == "__main__":
    sys.exit(main())
