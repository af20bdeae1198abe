#!/usr/bin/env python3
"""Sends the golden programs with a built pavlune-export to a pseudo-terminal
and compares the bytes that arrive with the golden files.

Usage: check_tool_send.py TOOL GOLDEN_DIR [EMULATOR...]

With wine as the emulator the pseudo-terminal becomes the COM port COM9 (a
link in the wine prefix's dosdevices folder), so the Windows program opens it
through CreateFileW and SetCommState as it would a real port. In the text
dialects no byte may arrive earlier after the first than the pauses of the
listing allow (less a small tolerance for the reader's own scheduling). When
PAVLUNE_REFERENCE_EXPORT names another build of the tool (the Linux one), the
same program goes through it too, for the bytes and the time it takes.
"""
import codecs
import os
import pathlib
import re
import select
import subprocess
import sys
import threading
import time
import tty

TOLERANCE = 0.004  # seconds a pause may seem shorter because the reader woke late


class Recorder:
    """The board's side of a pseudo-terminal: every byte with its arrival time."""

    def __init__(self):
        self.master, self.slave = os.openpty()
        tty.setraw(self.slave)
        self.path = os.ttyname(self.slave)
        self.arrivals = []
        self.stop = False
        self.thread = threading.Thread(target=self.read, daemon=True)
        self.thread.start()

    def read(self):
        while not self.stop:
            ready, _, _ = select.select([self.master], [], [], 0.05)
            if ready:
                now = time.monotonic()
                try:
                    data = os.read(self.master, 4096)
                except OSError:
                    return
                self.arrivals.extend((byte, now) for byte in data)

    def finish(self):
        time.sleep(0.3)  # what is still in the line
        self.stop = True
        self.thread.join()
        return bytes(b for b, _ in self.arrivals), [t for _, t in self.arrivals]


def nominal_offsets(listing: pathlib.Path):
    """When each byte may leave at the earliest, counted from the first: the
    text dialects' listing gives each unit's pause after every character."""
    offsets, at = [], 0.0
    for line in listing.read_text(encoding="utf-8").splitlines():
        match = re.match(r'\s*(\d+) ms\s+\S+\s+"(.*)"$', line)
        if not match:
            return None
        pause = int(match.group(1)) / 1000
        for _ in codecs.escape_decode(match.group(2).encode())[0]:
            offsets.append(at)
            at += pause
    return offsets


def send(command):
    recorder = Recorder()
    port = recorder.path
    link = None
    if command[0] == "wine":
        prefix = pathlib.Path(os.environ.get("WINEPREFIX", pathlib.Path.home() / ".wine"))
        link = prefix / "dosdevices" / "com9"
        if link.is_symlink() or link.exists():
            link.unlink()
        link.symlink_to(recorder.path)
        port = "COM9"
    run = subprocess.run([*command[:-1], "--send", port, command[-1]], stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, timeout=600)
    received, times = recorder.finish()
    if link:
        link.unlink()
    return run, received, times


def main() -> int:
    tool, golden = sys.argv[1], pathlib.Path(sys.argv[2])
    emulator = sys.argv[3:]
    reference = os.environ.get("PAVLUNE_REFERENCE_EXPORT")
    failures = 0
    for dialect in ("jam", "latte", "que"):
        program = str(golden / "basic.txt")
        expected = (golden / f"basic.{dialect}.bin").read_bytes()
        run, received, times = send([*emulator, tool, "--dialect", dialect, program])
        label = f"basic {dialect}"
        if run.returncode != 0 or received != expected:
            failures += 1
            print(f"{label}: exit {run.returncode}, {len(received)} bytes for {len(expected)}; "
                  f"{run.stderr.decode(errors='replace').strip()}")
            continue
        line = f"{label}: {len(received)} bytes as the golden file, {times[-1] - times[0]:.2f} s"
        nominal = nominal_offsets(golden / f"basic.{dialect}.listing") if dialect != "que" else None
        if nominal and len(nominal) == len(times):
            # Pauses run against absolute deadlines: a byte that arrives late
            # shortens the gap after it, but none may leave before its time.
            early = [i for i, (t, n) in enumerate(zip(times, nominal)) if t - times[0] < n - TOLERANCE]
            line += f" (nominal {nominal[-1]:.2f} s)"
            if early:
                failures += 1
                i = early[0]
                line += f"; {len(early)} bytes early, the first byte {i}: " \
                        f"{(times[i] - times[0]) * 1000:.1f} ms after the first for {nominal[i] * 1000:.1f} ms"
        if reference:
            _, ref_received, ref_times = send([reference, "--dialect", dialect, program])
            line += f"; reference: {'same bytes' if ref_received == expected else 'OTHER BYTES'}, " \
                    f"{ref_times[-1] - ref_times[0]:.2f} s"
            failures += ref_received != expected
        print(line)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
