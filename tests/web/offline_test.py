#!/usr/bin/env python3
"""The browser build after one visit, with the server gone: the page opens
from the offline worker's copy, shows the list as it did online, and a
program can be built (by mouse and by finger, where a finger the system
cancels lays nothing); then a new version of the site, served again, is
announced while the page runs and again when it is next opened.

    offline_test.py --site build-web/site [--shots DIR]
"""
import os
import shutil
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))

import browser_test as common  # noqa: E402
from DevTools import Browser  # noqa: E402
from e2e_support import LIST_NEW, SNAPPED_X, row_y  # noqa: E402

NEW_VERSION = "feedfacefeedface"


def newer_copy(site, folder):
    """The same site under another version, as the next build would be."""
    copy = os.path.join(folder, "next")
    shutil.copytree(site, copy)
    with open(os.path.join(site, "sw.js"), encoding="utf-8") as f:
        version = f.read().split("const SITE_VERSION = '", 1)[1][:16]
    for name in ("sw.js", "index.html"):
        path = os.path.join(copy, name)
        with open(path, encoding="utf-8") as f:
            text = f.read()
        with open(path, "w", encoding="utf-8") as f:
            f.write(text.replace(version, NEW_VERSION))
        if os.path.exists(path + ".gz"):
            os.remove(path + ".gz")  # served plain; the gzip copy holds the old version
    return copy


def notice(browser):
    """The lines the page shows over the program, if it shows them."""
    return browser.evaluate("(() => { const n = document.getElementById('notice');"
                            " return getComputedStyle(n).display === 'none' ? [] :"
                            " [...n.children].map(line => line.textContent); })()")


def main():
    args = common.arguments(export=False)
    if not os.path.isfile(os.path.join(args.site, "sw.js")):
        print(f"SKIP: {args.site} has no sw.js (the site was not finished)")
        return 77
    folder = tempfile.mkdtemp(prefix="pavlune-offline-")
    server = common.serve(args.site)
    port = server.server_address[1]
    page_url = f"http://127.0.0.1:{port}/"
    browser = Browser()
    check = common.check
    try:
        page = common.Page(browser, page_url, args.shots)
        page.open()
        browser.wait_for("navigator.serviceWorker.controller !== null", "the offline worker to take the page", 60)
        online = page.shot("online-list")
        check(online(*LIST_NEW) != online(100, 700), "online, the list shows its start-new entry")

        common.stop(server)
        server = None
        browser.call("Network.enable")
        browser.call("Network.emulateNetworkConditions", offline=True, latency=0, downloadThroughput=-1,
                     uploadThroughput=-1)
        page.open()  # a navigation: a forced reload would bypass the worker
        offline = page.shot("offline-list")
        check(offline(*LIST_NEW) == online(*LIST_NEW) and offline(100, 700) == online(100, 700),
              "offline, the list looks as it did online")
        page.click(*LIST_NEW)
        page.settle(60)
        page.drag_from_palette(common.LED_ON, (SNAPPED_X, row_y(1)))
        browser.wait_for(f"FS.analyzePath('{common.STORE}/1.plist').exists && "
                         f"FS.readFile('{common.STORE}/1.plist', {{encoding: 'utf8'}}).includes('<dict>')",
                         "the program made offline in its file")
        check(common.taken(page.shot("offline-editor"), 1), "offline, a card laid on row 1 shows there")

        # A finger the system takes away (touchcancel) lays nothing; a finger
        # lifted lays the card.
        browser.call("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)
        page.drag_from_palette(common.LED_OFF, (SNAPPED_X, row_y(2)), finger="touchCancel")
        page.settle(30)
        check(not common.taken(page.shot("touch-cancelled"), 2) and page.read("1.plist").count("<dict>") == 1,
              "a cancelled touch drag puts the card back")
        page.drag_from_palette(common.LED_OFF, (SNAPPED_X, row_y(2)), finger="touchEnd")
        browser.wait_for(f"FS.readFile('{common.STORE}/1.plist', {{encoding: 'utf8'}}).split('<dict>').length == 3",
                         "the card laid by a finger in the program file")
        check(common.taken(page.shot("touch-laid"), 2), "a finger lifted over row 2 lays the card there")

        # The next build on the same address: fetched in the background, told.
        browser.call("Network.emulateNetworkConditions", offline=False, latency=0, downloadThroughput=-1,
                     uploadThroughput=-1)
        server = common.serve(newer_copy(args.site, folder), port)
        page.open()
        browser.wait_for("document.getElementById('notice').textContent.includes('とどいたよ')",
                         "the page to say a new version came", 60)
        check("あたらしい PavluneCards が とどいたよ。つぎに ひらくと かわるよ" in notice(browser),
              f"the page says the new version comes next time ({notice(browser)!r})")
        page.open()
        check(browser.evaluate("siteVersion") == NEW_VERSION, "the next start runs the new version")
        check("あたらしく なったよ" in notice(browser), f"and says it is new ({notice(browser)!r})")
        page.shot("new-version")
        check("1.plist" in page.files(), "the program made offline is still there")
    finally:
        browser.close()
        if server:
            common.stop(server)
        shutil.rmtree(folder, ignore_errors=True)
    print(f"{common.passed} passed, {common.failed} failed")
    return 1 if common.failed else 0


if __name__ == "__main__":
    sys.exit(main())
