#!/usr/bin/env python3
"""Sends the golden programs through the page's serial link in a real
browser (headless Chromium) to fake ports, in real time on the worker clock,
and checks that each port received the reviewed bytes with no pause shorter
than nominal. Prints how much longer than nominal the pauses were.

usage: run_browser_test.py [--behind] [--wasm DIR] PAVLUNE_EXPORT GOLDEN_DIR [PROGRAM.DIALECT ...]
With --behind, the page sends from a tab behind another one (hidden, its own
timers slowed to about one a second), as when a child switches tabs; the
median pause must then stay within BEHIND_MEDIAN_MS of nominal, which a
pacer on the page's own timers would miss by most of a second.
With --wasm, DIR holds transfer.js and transfer.wasm, the test program
(TransferPageMain.cpp, the browser build's target pavlune-transfer-page,
which puts them in its folder transfer-page/): the program itself makes the
schedule and polls the send, as a browser build of the editor does.
Exits 77 (skipped) when no Chromium is installed, or with --wasm when
DIR holds no transfer.js (its build was skipped).
"""
import http.server
import json
import os
import subprocess
import sys
import threading

HERE = os.path.dirname(os.path.abspath(__file__))
SERIAL = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(SERIAL)), 'tests', 'support'))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(SERIAL)), 'tests', 'web'))
from chromium_process import ChromiumProcess, chromium_binary  # noqa: E402
from serial_pauses import nominal_gaps, over_nominal  # noqa: E402
FILES = {
    '/': os.path.join(HERE, 'pacer-page.html'),
    '/serial-pacer.js': os.path.join(SERIAL, 'serial-pacer.js'),
    '/web-serial-link.js': os.path.join(SERIAL, 'web-serial-link.js'),
    '/fake-serial.js': os.path.join(HERE, 'fake-serial.js'),
}
TIMEOUT_S = 120
BEHIND_MEDIAN_MS = 100


def cases(export, golden_dir, names):
    result = []
    for name in names:
        program, dialect = name.split('.')
        out = subprocess.run([export, '--dialect', dialect, '--schedule', os.path.join(golden_dir, program + '.txt')],
                             check=True, capture_output=True)
        with open(os.path.join(golden_dir, name + '.bin'), 'rb') as f:
            expected = list(f.read())
        with open(os.path.join(golden_dir, program + '.txt'), encoding='utf-8') as f:
            rows = f.read()
        result.append({'name': name, 'dialect': dialect, 'rows': rows, 'steps': json.loads(out.stdout)['steps'],
                       'expected': expected})
    return result


def main():
    args = sys.argv[1:]
    behind = args[:1] == ['--behind']
    if behind:
        args = args[1:]
    wasm_dir = None
    if args[:1] == ['--wasm'] and len(args) > 1:
        wasm_dir, args = args[1], args[2:]
        FILES['/'] = os.path.join(HERE, 'wasm-page.html')
        FILES['/wasm-case.html'] = os.path.join(HERE, 'wasm-case.html')
        FILES['/transfer.js'] = os.path.join(wasm_dir, 'transfer.js')
        FILES['/transfer.wasm'] = os.path.join(wasm_dir, 'transfer.wasm')
    if len(args) < 2:
        print(__doc__)
        return 2
    export, golden_dir = args[0], args[1]
    names = args[2:] or [p + '.' + d for p in ('basic', 'paprika', 'full') for d in ('jam', 'latte', 'que')]
    if not chromium_binary():
        print('SKIP: Chromium is not installed (package chromium)')
        return 77
    if wasm_dir and not os.path.isfile(FILES['/transfer.js']):
        print('SKIP: %s was not built (pavlune-transfer-page, a target of the browser build)' % FILES['/transfer.js'])
        return 77
    all_cases = cases(export, golden_dir, names)
    served = json.dumps([{k: c[k] for k in ('name', 'dialect', 'rows', 'steps')} for c in all_cases]).encode()
    done = threading.Event()
    report = {}

    class Handler(http.server.BaseHTTPRequestHandler):
        def log_message(self, *args):
            pass

        def do_GET(self):
            if self.path == '/cases.json':
                body, kind = served, 'application/json'
            elif self.path.split('?')[0] in FILES:
                path = self.path.split('?')[0]
                with open(FILES[path], 'rb') as f:
                    body = f.read()
                kind = ('text/html' if path == '/' or path.endswith('.html') else
                        'application/wasm' if path.endswith('.wasm') else 'text/javascript')
            else:
                self.send_error(404)
                return
            self.send_response(200)
            self.send_header('Content-Type', kind)
            self.send_header('Content-Length', str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def do_POST(self):
            length = int(self.headers.get('Content-Length', 0))
            report.update(json.loads(self.rfile.read(length)))
            self.send_response(204)
            self.end_headers()
            done.set()

    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    url = 'http://127.0.0.1:%d/' % server.server_address[1]
    if behind:
        from DevTools import Browser
        browser = Browser()
        try:
            # The page starts its sends once another tab has hidden it.
            browser.call('Page.navigate', url=url + '?behind')
            browser.open_tab('about:blank').call('Page.bringToFront')
            finished = done.wait(TIMEOUT_S)
        finally:
            browser.close()
    else:
        with ChromiumProcess(['--disable-gpu', url], prefix='pavlune-pacer-'):
            finished = done.wait(TIMEOUT_S)
    server.shutdown()
    if not finished:
        print('FAIL: the page reported nothing within %d s' % TIMEOUT_S)
        return 1
    if report.get('error'):
        print('FAIL: the page failed: ' + report['error'])
        return 1
    print('worker clock: %s' % ('yes' if report.get('worker') else 'no'))
    failures = 0
    if behind:
        print('sent from a hidden tab: %s' % ('yes' if report.get('hidden') else 'no'))
        if not report.get('hidden'):
            print('FAIL: the page was in front while it sent')
            failures += 1
    received = {c['name']: c for c in report['cases']}
    for c in all_cases:
        got = received.get(c['name'])
        if not got:
            print('FAIL %s: no report' % c['name'])
            failures += 1
            continue
        problems = []
        if got['state'] != 'done':
            problems.append('ended ' + got['state'])
        if got['bytes'] != c['expected']:
            problems.append('bytes differ from %s.bin (%d received, %d expected)' %
                            (c['name'], len(got['bytes']), len(c['expected'])))
        if not got['closed']:
            problems.append('port left open')
        if wasm_dir and c['name'].split('.')[1] != 'que' and not got.get('shown'):
            problems.append('the overlay showed nothing')
        nominal = got['nominal'] if got['nominal'] is not None else nominal_gaps(c['steps'])
        over = over_nominal(got['gaps'], nominal)
        short = [(k, o) for k, o in enumerate(over) if o < 0]
        if short:
            problems.append('%d pauses shorter than nominal, first after byte %d by %.3f ms' %
                            (len(short), short[0][0], -short[0][1]))
        over.sort()
        if behind and over and over[len(over) // 2] > BEHIND_MEDIAN_MS:
            problems.append('median pause %.1f ms over nominal behind another tab' % over[len(over) // 2])
        if over:
            print('%-14s %4d bytes  pause over nominal: min %.3f  median %.3f  p99 %.3f  max %.3f ms' %
                  (c['name'], len(got['bytes']), over[0], over[len(over) // 2], over[int(len(over) * 0.99)],
                   over[-1]))
        for problem in problems:
            print('FAIL %s: %s' % (c['name'], problem))
        failures += len(problems)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
