#!/usr/bin/env python3
"""Two tabs of the browser build on one store: the first writes, the second
opens read-only and says so, and nothing the first made is lost when it is
reloaded; once the first is closed, a reloaded second tab writes, numbering
its program after the first's. Then the browser's answer on keeping the
storage: refused, the child is told once to keep a file; granted, nothing.

    tabs_test.py --site build-web/site [--shots DIR]
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))

import browser_test as common  # noqa: E402
from e2e_support import LIST_NEW, SNAPPED_X, row_y  # noqa: E402
from offline_test import notice  # noqa: E402

STORE = common.STORE
ADVICE = "この ブラウザは プログラムを けすことが あるよ。「かきだす」で とっておいてね"


def cards_in(page, name):
    return page.read(name).count("<dict>")  # a program file is an array of cards


def main():
    args = common.arguments(export=False)
    check = common.check
    with common.site_in_browser(args.site) as (browser, url):
        first = common.Page(browser, url, args.shots)
        first.open()
        check(ADVICE in notice(browser), f"storage not kept: the child is told to keep a file ({notice(browser)!r})")
        first.click(*LIST_NEW)
        first.settle(60)
        first.drag_from_palette(common.LED_ON, (SNAPPED_X, row_y(1)))
        browser.wait_for(f"FS.analyzePath('{STORE}/1.plist').exists && !window.pavluneSyncPending",
                         "the first tab's program in the browser's storage")

        tab = browser.open_tab("about:blank")
        second = common.Page(tab, url, args.shots)
        second.open()
        colour = second.shot("second-tab")
        check(colour(512, 384) != colour(100, 700), "the second tab says it only shows")
        check("1.plist" in second.files(), "the second tab shows the first tab's program")
        check(ADVICE not in notice(tab), "the advice on keeping files is told once a day, not in every tab")
        second.click(512, 300)  # the message's OK
        second.click(*LIST_NEW)
        second.settle(40)
        check("2.plist" not in second.files(), "the second tab makes no program")

        # The first tab's edits and its reload lose nothing. (A tab behind
        # another draws no frames: each is brought forward to be used.)
        browser.call("Page.bringToFront")
        first.drag_from_palette(common.LED_OFF, (SNAPPED_X, row_y(2)))
        first.shot("first-tab-again")
        browser.wait_for(f"(FS.readFile('{STORE}/1.plist', {{encoding: 'utf8'}}).match(/<dict>/g) || []).length == 2"
                         " && !window.pavluneSyncPending", "the first tab's second card saved")
        first.open(reload=True)
        check(cards_in(first, "1.plist") == 2, "after a reload the first tab's program keeps both cards")

        # The writer goes; the other tab, reloaded, writes after it.
        browser.call("Page.navigate", url="about:blank")
        tab.call("Page.bringToFront")
        second.open(reload=True)
        second.click(*LIST_NEW)
        second.settle(60)
        second.drag_from_palette(common.LED_ON, (SNAPPED_X, row_y(1)))
        tab.wait_for(f"FS.analyzePath('{STORE}/2.plist').exists", "a program made in the tab that now writes")
        check(cards_in(second, "1.plist") == 2, "the first tab's program is still whole")

        browser.call("Browser.grantPermissions", origin=url.rstrip("/"), permissions=["durableStorage"])
        tab.call("Runtime.evaluate", expression="localStorage.removeItem('pavlune-persist-told')")
        second.open(reload=True)
        check(tab.evaluate("window.pavlunePersisted") is True and ADVICE not in notice(tab),
              "storage kept: no advice")
    print(f"{common.passed} passed, {common.failed} failed")
    return 1 if common.failed else 0


if __name__ == "__main__":
    sys.exit(main())
