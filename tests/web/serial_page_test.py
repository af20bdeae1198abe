#!/usr/bin/env python3
"""The board over Web Serial in the browser build, in headless Chromium: a fake
navigator.serial (proj.web/serial/tests/fake-serial.js) stands in for the
browser's. The board is chosen with the bar's "ボードを えらぶ" button, a
program with one card is played: the fake port must receive the bytes of
`pavlune-export` with no pause shorter than nominal; the stop button then
sends break and reset. Without Web Serial the button stays and explains;
a chooser the browser refuses is told, one the child closes is not.

    serial_page_test.py --site build-web/site --export build/bin/pavlune-export
"""
import contextlib
import json
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))

from browser_test import LED_ON, Page, arguments, site_in_browser  # noqa: E402
from e2e_support import LIST_NEW, PLAY, SETTINGS_CLOSED, SNAPPED_X, STOP, palette_y, row_y  # noqa: E402
from serial_pauses import arrival_gaps, nominal_gaps, over_nominal  # noqa: E402

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
FAKE = os.path.join(ROOT, "proj.web", "serial", "tests", "fake-serial.js")
CHOOSE_BOARD = (922, 61)  # on the open bottom bar, right of the reload icon
INSTALL_FAKE = """
(() => {
    const serial = new PavluneFakeSerial.FakeSerial();
    const port = new PavluneFakeSerial.FakePort({ usbVendorId: 0x2341, usbProductId: 0x43 });
    serial.offered = port;
    const fake = { serial, port, asked: 0, sends: [] };
    const request = serial.requestPort.bind(serial);
    serial.requestPort = () => {
        ++fake.asked;
        return request();
    };
    // Each opening starts a transfer: its bytes are kept apart.
    const open = port.open.bind(port);
    port.open = (options) => {
        fake.sends.push(port.arrivals.length);
        return open(options);
    };
    Object.defineProperty(navigator, 'serial', { value: serial, configurable: true });
    window.pavluneFake = fake;
})();
"""
failures = 0


def check(condition, what):
    global failures
    print(("ok: " if condition else "FAILED: ") + what)
    if not condition:
        failures += 1


def export(tool, rows, *options):
    with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as f:
        f.write(rows)
    try:
        return subprocess.run([tool, "--dialect", "jam", *options, f.name], capture_output=True, check=True).stdout
    finally:
        os.unlink(f.name)


# Whether a message box covers the middle of the field after `action`.
def box_after(page, name, action):
    before = page.shot(name + "-before")(512, 384)
    action()
    page.settle(40)
    shown = page.shot(name)(512, 384) != before
    if shown:
        page.click(512, 300)  # its OK
    return shown


# A new program open in the page, with `script` run before the page's own.
@contextlib.contextmanager
def editor_page(args, script):
    with site_in_browser(args.site) as (browser, url):
        browser.call("Page.addScriptToEvaluateOnNewDocument", source=script)
        page = Page(browser, url, args.shots)
        page.open()
        page.click(*LIST_NEW)
        page.settle(60)
        yield browser, page


def fake_serial():
    with open(FAKE, encoding="utf-8") as f:
        return f.read() + INSTALL_FAKE


def without_a_board_the_button_explains(args):
    """No Web Serial: the button stays and a press explains; a chooser the
    browser refuses is told; one the child closes is not."""
    refusal = "(name) => () => Promise.reject(Object.assign(new Error('refused'), { name }))"
    with editor_page(args, "Object.defineProperty(navigator, 'serial', { value: undefined, configurable: true });") \
            as (browser, page):
        page.click(*SETTINGS_CLOSED)
        page.settle(40)
        caption = page.shot("no-serial-bar")
        check(min(min(caption(x, y)) for x in range(860, 985, 2) for y in range(55, 68)) < 96,
              "without Web Serial the chooser button shows its dark caption")
        check(box_after(page, "no-serial", lambda: page.click(*CHOOSE_BOARD)),
              "and a press on it explains which browsers reach a board")
    with editor_page(args, fake_serial()) as (browser, page):
        page.click(*SETTINGS_CLOSED)
        page.settle(40)
        browser.evaluate(f"pavluneFake.serial.requestPort = ({refusal})('NotFoundError')")
        check(not box_after(page, "chooser-closed", lambda: page.click(*CHOOSE_BOARD)),
              "a chooser the child closes says nothing")
        browser.evaluate(f"pavluneFake.serial.requestPort = ({refusal})('SecurityError')")
        check(box_after(page, "chooser-blocked", lambda: page.click(*CHOOSE_BOARD)),
              "a chooser the school's settings refuse is told")


def main():
    args = arguments()
    without_a_board_the_button_explains(args)
    with editor_page(args, fake_serial()) as (browser, page):
        page.drag_from_palette(LED_ON, (SNAPPED_X, row_y(1)))
        page.settle(30)

        page.click(*SETTINGS_CLOSED)
        page.settle(40)
        page.click(*CHOOSE_BOARD)
        page.settle(20)
        check(browser.evaluate("pavluneFake.asked") == 1, "the button opens the browser's chooser once")
        page.shot("serial-chosen")

        page.click(*PLAY)
        browser.wait_for("pavluneFake.port.closeCount >= 1", "the send to end", 60)
        arrivals = browser.evaluate("pavluneFake.port.arrivals")
        sent = bytes(a["byte"] for a in arrivals)
        expected = export(args.export, "basic 0\n")
        check(sent == expected, f"the board receives what pavlune-export prints ({len(sent)} of {len(expected)} bytes)")
        steps = json.loads(export(args.export, "basic 0\n", "--schedule"))["steps"]
        over = over_nominal(arrival_gaps([a["at"] for a in arrivals]), nominal_gaps(steps))
        check(over and min(over) >= 0, "no pause shorter than nominal")
        if over:
            over.sort()
            print("pause over nominal in the page: min %.3f  median %.3f  max %.3f ms" %
                  (over[0], over[len(over) // 2], over[-1]))
        page.settle(30)
        page.shot("serial-sent")
        page.click(512, 384)  # closes the finished panel
        page.settle(30)

        page.click(*STOP)
        browser.wait_for("pavluneFake.port.closeCount >= 2", "the stop to end", 30)
        stop = bytes(a["byte"] for a in browser.evaluate("pavluneFake.port.arrivals.slice(pavluneFake.sends[1])"))
        check(stop == b"\x1b\nOUT0\n", "stop sends break and reset")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
