#!/usr/bin/env python3
"""The browser build in headless Chromium, on a private profile, served over
HTTP on 127.0.0.1: the list appears; a program is built with the mouse; the
program panel's text (copied with Ctrl+C) equals `pavlune-export --lines` of
the same program file; the editor shows the cards where they were dropped;
the program is still there after a reload (IndexedDB); a program file comes
in through the page's import control and a damaged one is told.

    browser_test.py --site build-web/site --export build/bin/pavlune-export [--shots DIR]
"""
import argparse
import contextlib
import os
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "proj.web", "site"))

from DevTools import Browser  # noqa: E402
from serve import make_server  # noqa: E402
from e2e_support import (DESIGN_HEIGHT, DESIGN_WIDTH, LIST_FIRST, LIST_NEW, PALETTE_X, SNAPPED_X,  # noqa: E402
                         palette_y, row_y)

STORE = "/home/web_user/PavluneApps/savedatas"
SLOT_STRIP_X = 765  # the slot's strip right of a snapped card: dark when taken
LED_ON, LED_OFF = 0, 1  # the basic set's first palette cards
passed = failed = 0


def check(condition, what):
    global passed, failed
    if condition:
        passed += 1
        print(f"ok: {what}")
    else:
        failed += 1
        print(f"FAILED: {what}")


class Page:
    def __init__(self, browser, url, shots):
        self.browser, self.url, self.shots = browser, url, shots

    def open(self, reload=False):
        if reload:
            self.browser.call("Page.reload", ignoreCache=True)
        else:
            self.browser.call("Page.navigate", url=self.url)
        self.browser.wait_for("document.readyState === 'complete' && typeof FS !== 'undefined' "
                              "&& document.getElementById('status').hidden", "the program to start", 120)
        self.settle()

    def settle(self, frames=30):
        """Lets the page draw some frames (animations end, the loop pauses)."""
        self.browser.evaluate("new Promise(r => { let n = %d; const f = () => --n ? requestAnimationFrame(f) : r(); "
                              "requestAnimationFrame(f); })" % frames, await_promise=True)

    def to_page(self, x, y):
        """Design units (y up) to the page's CSS pixels."""
        r = self.browser.evaluate("(() => { const r = document.getElementById('canvas').getBoundingClientRect();"
                                  " return [r.left, r.top, r.width, r.height]; })()")
        return r[0] + x / DESIGN_WIDTH * r[2], r[1] + (DESIGN_HEIGHT - y) / DESIGN_HEIGHT * r[3]

    def click(self, x, y):
        px, py = self.to_page(x, y)
        self.browser.mouse("mouseMoved", px, py, False)
        self.browser.mouse("mousePressed", px, py, True)
        self.settle(3)
        self.browser.mouse("mouseReleased", px, py, True)
        self.settle()

    def touch(self, kind, x, y):
        """A finger (DevTools' touch events) at design units; touchEnd and
        touchCancel lift it."""
        points = [] if kind in ("touchEnd", "touchCancel") else [{"x": x, "y": y, "id": 1}]
        self.browser.call("Input.dispatchTouchEvent", type=kind, touchPoints=points)

    def drag_from_palette(self, index, target, finger=None):
        """The card goes straight right first, which lifts a copy, then glides.
        `finger`: by touch, ending with "touchEnd" or "touchCancel"; else the mouse."""
        start = (PALETTE_X, palette_y(index))
        path = [start] + [(start[0] + 6 * i, start[1]) for i in range(1, 6)]
        right = path[-1]
        steps = 24
        path += [(right[0] + (target[0] - right[0]) * i / steps, right[1] + (target[1] - right[1]) * i / steps)
                 for i in range(1, steps + 1)]
        if finger:
            self.touch("touchStart", *self.to_page(*start))
        else:
            px, py = self.to_page(*start)
            self.browser.mouse("mouseMoved", px, py, False)
            self.browser.mouse("mousePressed", px, py, True)
        self.settle(6)
        for point in path[1:]:
            if finger:
                self.touch("touchMove", *self.to_page(*point))
            else:
                self.browser.mouse("mouseMoved", *self.to_page(*point), True)
            self.settle(1)
        self.settle(6)
        px, py = self.to_page(*target)
        if finger:
            self.touch(finger, px, py)
        else:
            self.browser.mouse("mouseReleased", px, py, True)
        self.settle()

    def key(self, key, code, key_code, modifiers=0):
        for kind in ("rawKeyDown", "keyUp"):
            self.browser.call("Input.dispatchKeyEvent", type=kind, key=key, code=code,
                              windowsVirtualKeyCode=key_code, modifiers=modifiers)
        self.settle()

    def shot(self, name):
        """The page as pixels: a function from design units to RGB."""
        png = self.browser.screenshot()
        if self.shots:
            with open(os.path.join(self.shots, name + ".png"), "wb") as f:
                f.write(png)
        with tempfile.NamedTemporaryFile(suffix=".png") as f:
            f.write(png)
            f.flush()
            size = subprocess.run(["identify", "-format", "%w %h", f.name], capture_output=True, text=True,
                                  check=True).stdout.split()
            raw = subprocess.run(["convert", f.name, "rgb:-"], capture_output=True, check=True).stdout
        width = int(size[0])
        ratio = self.browser.evaluate("window.devicePixelRatio")
        # The canvas's place, asked once: a colour is then read without the browser.
        left, top = self.to_page(0, DESIGN_HEIGHT)
        right, bottom = self.to_page(DESIGN_WIDTH, 0)

        def colour(x, y):
            px = left + x / DESIGN_WIDTH * (right - left)
            py = top + (DESIGN_HEIGHT - y) / DESIGN_HEIGHT * (bottom - top)
            i = (int(py * ratio) * width + int(px * ratio)) * 3
            return tuple(raw[i:i + 3])
        return colour

    def files(self):
        return self.browser.evaluate(f"FS.analyzePath('{STORE}').exists ? FS.readdir('{STORE}') : []")

    def read(self, name):
        return self.browser.evaluate(f"FS.readFile('{STORE}/{name}', {{encoding: 'utf8'}})")


def taken(colour, row):
    """A row with a card: the slot strip right of the card is dark."""
    return max(colour(SLOT_STRIP_X, row_y(row))) < 64


def serve(site, port=0):
    """The site as proj.web/site/serve.py serves it (gzipped, revalidated), on
    127.0.0.1 from a thread of its own."""
    server = make_server(site, port=port)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def arguments(export=True):
    """--site, --export (unless `export` is false) and --shots (a folder for
    the screenshots, made here)."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--site", required=True)
    if export:
        parser.add_argument("--export", required=True)
    parser.add_argument("--shots")
    args = parser.parse_args()
    if args.shots:
        os.makedirs(args.shots, exist_ok=True)
    return args


@contextlib.contextmanager
def site_in_browser(site):
    """The site served and a browser for it, as (browser, url). At the end the
    page's last console lines are printed and both are closed."""
    server = serve(site)
    browser = Browser()
    try:
        yield browser, f"http://127.0.0.1:{server.server_address[1]}/"
    finally:
        if browser.console:
            print("console:", *browser.console[-10:], sep="\n  ")
        browser.close()
        server.shutdown()


def export_lines(tool, program_xml):
    with tempfile.NamedTemporaryFile("w", suffix=".plist", delete=False) as f:
        f.write(program_xml)
    try:
        return subprocess.run([tool, "--dialect", "jam", "--lines", "--program", f.name], capture_output=True, text=True,
                              check=True).stdout
    finally:
        os.unlink(f.name)


def main():
    args = arguments()
    with site_in_browser(args.site) as (browser, url):
        browser.call("Browser.grantPermissions", origin=url.rstrip("/"),
                     permissions=["clipboardReadWrite", "clipboardSanitizedWrite"])
        # The clipboard takes text only from a focused page.
        browser.call("Emulation.setFocusEmulationEnabled", enabled=True)
        page = Page(browser, url, args.shots)
        page.open()

        colour = page.shot("list")
        background = colour(100, 700)
        check(colour(*LIST_NEW) != background, "the list shows its start-new entry")
        check(colour(*LIST_FIRST) == background, "an empty store lists no program")

        page.click(*LIST_NEW)
        page.settle(60)  # the slide towards the editor
        page.shot("editor-empty")
        page.drag_from_palette(LED_ON, (SNAPPED_X, row_y(1)))
        page.drag_from_palette(LED_OFF, (SNAPPED_X, row_y(2)))
        browser.wait_for(f"(FS.readFile('{STORE}/1.plist', {{encoding: 'utf8'}}).match(/<dict>/g) || []).length == 2",
                         "both cards in the program file")
        colour = page.shot("editor")
        check(taken(colour, 1) and taken(colour, 2) and not taken(colour, 3),
              "the editor shows cards on rows 1 and 2 and row 3 free")

        # The program panel, copied with Ctrl+C, against the desktop's tool.
        page.click(949, 139)
        page.shot("panel")
        page.click(861, 696)  # the panel's copy button
        copied = browser.evaluate("navigator.clipboard.readText()", await_promise=True)
        expected = export_lines(args.export, page.read("1.plist"))
        check(copied.strip() != "" and copied.rstrip("\n") == expected.rstrip("\n"),
              f"the panel's text is the export tool's ({copied!r} / {expected!r})")
        page.key("Escape", "Escape", 27)

        # Saved in IndexedDB: the store comes back after a reload.
        browser.wait_for("!window.pavluneSyncPending", "the store's copy to the browser")
        page.open(reload=True)
        check("1.plist" in page.files(), "the program file is there after a reload")
        colour = page.shot("list-after-reload")
        check(colour(*LIST_FIRST) != colour(100, 700), "the list shows the program after a reload")

        # A title typed through the input method: the composition, then the
        # committed text, reach the list's title box through the hidden field.
        page.click(LIST_FIRST[0], 190)
        browser.wait_for("document.activeElement === document.getElementById('ime')", "the title box to take the keys")
        browser.call("Input.imeSetComposition", text="うさ", selectionStart=2, selectionEnd=2)
        page.settle(5)
        browser.call("Input.insertText", text="うさぎ")
        page.settle(5)
        page.key("Enter", "Enter", 13)
        browser.wait_for(f"FS.readFile('{STORE}/list.plist', {{encoding: 'utf8'}}).includes('うさぎ</string>')",
                         "the typed title in the list file")
        check(page.read("list.plist").count("うさぎ") == 1, "the committed title is saved once")
        check(browser.evaluate("document.activeElement !== document.getElementById('ime')"),
              "the hidden field lets the keys go when the title box closes")

        # A program file through the page's own import control, then a damaged one.
        fd, program_file = tempfile.mkstemp(suffix=".plist")
        with os.fdopen(fd, "w") as f:
            f.write(page.read("1.plist"))
        document = browser.call("DOM.getDocument")
        node = browser.call("DOM.querySelector", nodeId=document["root"]["nodeId"], selector="#file")
        browser.call("DOM.setFileInputFiles", files=[program_file], nodeId=node["nodeId"])
        browser.wait_for(f"FS.analyzePath('{STORE}/2.plist').exists", "the imported program")
        check(page.read("2.plist") == page.read("1.plist"), "the imported program holds the file's cards")
        title = os.path.basename(program_file)[:-len(".plist")]
        browser.wait_for(f"FS.readFile('{STORE}/list.plist', {{encoding: 'utf8'}}).includes('<string>{title}</string>')",
                         "the imported program titled after its file")
        # The import is told in a box that a tap closes; the damaged file's
        # box must then be a new one.
        page.settle(40)
        told = page.shot("imported")(512, 384)
        page.click(512, 282)  # the box's one OK, in its middle
        page.settle(40)
        with open(program_file, "w") as f:
            f.write("<plist><array><dict>")
        before = page.shot("before-damaged")(512, 384)
        check(before != told, f"a tap closes the import's box {before} {told}")
        browser.call("DOM.setFileInputFiles", files=[program_file], nodeId=node["nodeId"])
        page.settle(40)
        colour = page.shot("damaged")
        check("3.plist" not in page.files(), f"a damaged file adds nothing {page.files()}")
        check(colour(512, 384) != before, f"a damaged file is told {colour(512, 384)} {before}")
        os.unlink(program_file)
        errors = [line for line in browser.console if "exception" in line or "Aborted" in line]
        check(not errors, f"no errors on the page's console {errors[:3]}")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
