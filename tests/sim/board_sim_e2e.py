#!/usr/bin/env python3
"""The real pavlune-export sending card programs to the real pavlune-board-sim
with --trace: each program's trace lines come at the times the program means
(never early, and late by less than the shortest pause, since a busy machine
may wake the simulator late but the board keeps to its own schedule), a typed
wait of 1.5 s lasts 1.5 s in every dialect, a stop resets the board (its
program stops and the LED goes off), and something the
board does not know is reported on standard error while it keeps running.

Usage: board_sim_e2e.py SIMULATOR EXPORT. The cases run side by side, each on
its own simulator, in real time (about 15 s)."""
import os
import subprocess
import sys
import tempfile
import threading
import time

# The simulator wakes on absolute moments (a late wake does not delay the
# next one), so lateness never adds up: each line is checked on its own. A
# missing or doubled pause (0.5 s at least here) still falls outside.
EARLY = 0.020
LATE = 0.400
ENDLESS_BLINK = "basic 4\nbasic 0\nbasic 2\nbasic 1\nbasic 2\nbasic 5\n"

# name, dialect, rows, seconds after RUN to stop (None: no stop), expected
# trace (a time of None: whenever the stop arrives; what must not follow it
# is in the list's end).
CASES = [
    ("jam loop three times", "jam", "full 4\nbasic 0\nbasic 2\nbasic 1\nbasic 2\nfull 5\n", None,
     [(0, "RUN"), (0, "LED 1"), (1, "LED 0"), (2, "LED 1"), (3, "LED 0"), (4, "LED 1"), (5, "LED 0"), (6, "END")]),
    ("latte car", "latte", "paprika 0\nbasic 2\npaprika 3\nbasic 2\npaprika 1\n", None,
     [(0, "RUN"), (0, "OUT 1 1"), (0, "OUT 6 1"), (0, "WHEELS 1 1"), (1, "OUT 1 0"), (1, "OUT 2 1"),
      (1, "WHEELS -1 1"), (2, "OUT 2 0"), (2, "OUT 6 0"), (2, "WHEELS 0 0"), (2, "END")]),
    ("que typed wait, output, beep", "que", "full 2 0.5\nfull 12\nfull 3\nbasic 2\nfull 13\n", None,
     [(0, "RUN"), (0.5, "OUT 2 1"), (0.5, "WHEELS -1 0"), (0.5, "BEEP"), (1.5, "OUT 2 0"), (1.5, "WHEELS 0 0"),
      (1.5, "END")]),
    ("latte worked example", "latte", "full 4\nbasic 0\nfull 5\n", None, [(0, "RUN"), (0, "LED 1"), (0, "END")]),
    ("que worked example", "que", "full 4\nbasic 0\nfull 5\n", None, [(0, "RUN"), (0, "LED 1"), (0, "END")]),
    # A typed number is the same wait on every board (jam WAIT 90, latte
    # sleep(1500), que 90 sixtieths).
    ("jam typed wait", "jam", "basic 0\nfull 2 1.5\nbasic 1\n", None,
     [(0, "RUN"), (0, "LED 1"), (1.5, "LED 0"), (1.5, "END")]),
    ("latte typed wait", "latte", "basic 0\nfull 2 1.5\nbasic 1\n", None,
     [(0, "RUN"), (0, "LED 1"), (1.5, "LED 0"), (1.5, "END")]),
    ("que typed wait", "que", "basic 0\nfull 2 1.5\nbasic 1\n", None,
     [(0, "RUN"), (0, "LED 1"), (1.5, "LED 0"), (1.5, "END")]),
    # The break resets the board at once: the program stops and the LED,
    # lit since 2 s, goes off.
    ("jam stop", "jam", ENDLESS_BLINK, 2.5,
     [(0, "RUN"), (0, "LED 1"), (1, "LED 0"), (2, "LED 1"), (None, "STOP"), (None, "LED 0")]),
    ("latte stop", "latte", ENDLESS_BLINK, 2.5,
     [(0, "RUN"), (0, "LED 1"), (1, "LED 0"), (2, "LED 1"), (None, "STOP"), (None, "LED 0")]),
]


class Simulator:
    def __init__(self, program):
        self.process = subprocess.Popen([program, "--trace"], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                        text=True)
        self.device = self.process.stdout.readline().strip()
        self.lines = []
        self.errors = []
        threading.Thread(target=self._read, args=(self.process.stdout, self.lines), daemon=True).start()
        threading.Thread(target=self._read, args=(self.process.stderr, self.errors), daemon=True).start()

    @staticmethod
    def _read(stream, into):
        for line in stream:
            into.append(line.rstrip("\n"))

    def wait_for(self, predicate, timeout):
        end = time.monotonic() + timeout
        while time.monotonic() < end and not predicate():
            time.sleep(0.05)
        return predicate()

    def trace(self):
        return [(float(line.split(" ", 1)[0]), line.split(" ", 1)[1]) for line in self.lines]

    def close(self):
        self.process.terminate()
        self.process.wait(timeout=5)


def check_trace(name, trace, expected):
    problems = []
    if [text for _, text in trace] != [text for _, text in expected]:
        problems.append(f"{name}: trace {trace} is not {expected}")
    for (at, text), (want, _) in zip(trace, expected):
        if want is not None and not want - EARLY <= at <= want + LATE:
            problems.append(f"{name}: {text} at {at:.3f} s, not {want:.3f} s")
    return problems


def run_case(case, simulator_path, export_path, folder, problems):
    name, dialect, rows, stop_after, expected = case
    rows_file = os.path.join(folder, name.replace(" ", "_").replace(",", "") + ".txt")
    with open(rows_file, "w") as out:
        out.write(rows)
    board = Simulator(simulator_path)
    try:
        subprocess.run([export_path, "--dialect", dialect, "--send", board.device, rows_file], check=True,
                       stdout=subprocess.DEVNULL, timeout=60)
        if not board.wait_for(lambda: any(line.endswith(" RUN") for line in board.lines), 5):
            problems.append(f"{name}: no RUN")
            return
        if stop_after is not None:
            time.sleep(stop_after)
            subprocess.run([export_path, "--dialect", dialect, "--stop", board.device], check=True, timeout=30)
        board.wait_for(lambda: len(board.lines) >= len(expected) + 1, 15)
        time.sleep(1.5)  # nothing more may follow
        problems.extend(check_trace(name, board.trace()[:], expected))
        if board.errors:
            problems.append(f"{name}: complaints {board.errors}")
    finally:
        board.close()


def run_unknown(simulator_path, problems):
    """Unknown statements are one line on stderr each; the board runs on."""
    board = Simulator(simulator_path)
    try:
        with open(board.device, "wb", buffering=0) as line:
            line.write(b"\x1b10 FOO 1\r\nRUN\r\n")
            board.wait_for(lambda: board.errors, 5)
            line.write(b"\x1b10 LED 1\r\nRUN\r\n")
            board.wait_for(lambda: any(text.endswith("LED 1") for text in board.lines), 5)
        if len(board.errors) != 1 or "FOO" not in board.errors[0]:
            problems.append(f"unknown: complaints {board.errors}")
        if not any(text.endswith("LED 1") for text in board.lines) or board.process.poll() is not None:
            problems.append(f"unknown: did not run on: {board.lines}")
    finally:
        board.close()


def main():
    simulator_path, export_path = sys.argv[1], sys.argv[2]
    problems = []
    with tempfile.TemporaryDirectory() as folder:
        threads = [threading.Thread(target=run_case, args=(case, simulator_path, export_path, folder, problems))
                   for case in CASES]
        threads.append(threading.Thread(target=run_unknown, args=(simulator_path, problems)))
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
    for problem in problems:
        print(problem)
    print("ok" if not problems else f"{len(problems)} problem(s)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
