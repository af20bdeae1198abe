#!/usr/bin/env python3
"""How long the browser build takes to show its first screen, served as
`./pavlune.sh serve` serves it: a first visit, a second visit (the offline
copy), and a visit after the browser was closed and opened again on the same
profile. Each on a cheap Chromebook's terms (the processor slowed 4x, a
10 Mbit/s network with 40 ms latency) and unthrottled; prints seconds from
the navigation to the first frame of the list, and the bytes that came over
the network, and when the card pictures (fetched after the first screen)
are in.

    web_load_bench.py --site build-web/site [--runs 3]
"""
import argparse
import os
import statistics
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "web"))
from browser_test import serve  # noqa: E402
from DevTools import Browser  # noqa: E402

CHROMEBOOK = {"cpu": 4, "down": 10e6 / 8, "up": 5e6 / 8, "latency": 40}


def visit(browser, url, terms):
    """Seconds to the first frame, and the bytes received."""
    browser.call("Network.enable")
    browser.call("Network.setCacheDisabled", cacheDisabled=False)
    browser.call("Emulation.setCPUThrottlingRate", rate=terms["cpu"] if terms else 1)
    browser.call("Network.emulateNetworkConditions", offline=False,
                 latency=terms["latency"] if terms else 0,
                 downloadThroughput=terms["down"] if terms else -1,
                 uploadThroughput=terms["up"] if terms else -1)
    browser.call("Page.navigate", url=url)
    browser.wait_for("typeof window.pavluneFirstFrameAt === 'number'", "the first frame", 120)
    seconds = browser.evaluate("window.pavluneFirstFrameAt") / 1000
    # The card pictures follow the first screen; the editor waits for them.
    browser.wait_for("typeof window.pavlunePicturesAt === 'number'", "the card pictures", 120)
    pictures = browser.evaluate("window.pavlunePicturesAt") / 1000
    received = browser.evaluate("performance.getEntriesByType('navigation').concat("
                                "performance.getEntriesByType('resource'))"
                                ".reduce((sum, e) => sum + (e.transferSize || 0), 0)")
    return seconds, received, pictures


def run(url, terms, profile):
    first = second = reopened = None
    browser = Browser(profile=profile)
    try:
        first = visit(browser, url, terms)
        browser.wait_for("navigator.serviceWorker.controller !== null", "the offline copy", 120)
        browser.call("Page.navigate", url="about:blank")
        second = visit(browser, url, terms)
    finally:
        browser.close(keep_profile=True)
    browser = Browser(profile=profile)
    try:
        reopened = visit(browser, url, terms)
    finally:
        browser.close()
    return first, second, reopened


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--site", required=True)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    server = serve(args.site)
    url = f"http://127.0.0.1:{server.server_address[1]}/"
    goals = {"first": 5.0, "second": 2.0, "reopened": 2.0}
    try:
        for name, terms in (("chromebook (cpu 4x, 10 Mbit/s, 40 ms)", CHROMEBOOK), ("unthrottled", None)):
            results = [run(url, terms, tempfile.mkdtemp(prefix="pavlune-load-")) for _ in range(args.runs)]
            print(f"== {name}, {args.runs} runs")
            for i, visit_name in enumerate(("first", "second", "reopened")):
                seconds = [r[i][0] for r in results]
                received = statistics.median(r[i][1] for r in results)
                pictures = statistics.median(r[i][2] for r in results)
                goal = f"   goal {goals[visit_name]:.1f} s" if terms else ""
                print(f"  {visit_name:9} median {statistics.median(seconds):5.2f} s"
                      f"  (min {min(seconds):.2f}, max {max(seconds):.2f})  {received / 1e6:6.2f} MB over the network"
                      f"  cards in {pictures:5.2f} s" + goal)
    finally:
        server.shutdown()


if __name__ == "__main__":
    main()
