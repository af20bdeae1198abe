#!/usr/bin/env python3
"""End to end: the real pavlune-cards sends a program to a board on a
pseudo-terminal. A two-row program is built with the mouse, the terminal is
chosen in the port list and play is pressed; the board must receive exactly
the bytes pavlune-export prints for the saved program, paced no faster than
its schedule. Stop must send what `pavlune-export --stop` sends. A second
terminal whose line never drains ends the send with the failure box within
the write deadline, and one OK returns to the editor. Stopping a que board,
from the editor or the tool, says to press its reset button and sends nothing. Then the
board is unplugged: play shows the failure box and the editor stays usable.

    link_e2e.py <pavlune-cards> <pavlune-export> [folder for screenshots]
"""

import codecs
import os
import re
import subprocess
import sys
import time

from e2e_support import (BACK, BASIC, CHOOSER_X, CHOOSER_Y, FULL, LIST_NEW, PLAY, PORT_FIELD, SETTINGS_CLOSED,
                         SNAPPED_X, STOP, TAB_X, TAB_Y, TOGGLE, Failure, Session, port_row, row_y, run, settle,
                         skip_unless_tools, wait_until)
from pty_board import PtyBoard

LED_ON, LED_OFF = 0, 1
WAIT_ANY = 2                  # full set: a wait for the number typed on it
DIALECT = "jam"
PANEL_POINT = (600, 500)      # inside the sending panel, away from its stop button
EDITOR_PAPER = (820, 200)     # white paper right of the rows, while the editor shows
FAILURE_CAPTION = "しっぱい"
QUE_STOP_CAPTION = "ボードを とめるには"
IN_SCENE = "in the scene"
ALERT_INSIDE = (220, 540)     # the pink inside of the editor's own box, left of its text
ALERT_OK = (512, 284)  # a box that only informs: its one OK in the middle
LISTING_LINE = re.compile(r'^\s*(\d+) ms\s+(?:silent|echo)\s+"(.*)"$')


def export(tool, *args, check=True):
    result = subprocess.run([tool, *args], capture_output=True)
    if check and result.returncode != 0:
        raise Failure(f"pavlune-export {' '.join(args)}: {result.stderr.decode(errors='replace')}")
    return result.stdout


def schedule(tool, program):
    """The bytes the program sends and the pause after each, in seconds,
    from pavlune-export's listing; checked against its raw output."""
    sent = export(tool, "--dialect", DIALECT, "--program", program)
    pauses, listed = [], b""
    for line in export(tool, "--dialect", DIALECT, "--listing", "--program", program).decode().splitlines():
        match = LISTING_LINE.match(line)
        if not match:
            raise Failure(f"unexpected listing line: {line!r}")
        text = codecs.escape_decode(match.group(2).encode())[0]
        listed += text
        pauses += [int(match.group(1)) / 1000] * len(text)
    if listed != sent:
        raise Failure(f"the listing does not spell the bytes sent: {listed!r} against {sent!r}")
    return sent, pauses


def stop_bytes(tool):
    """What stopping the board sends, as pavlune-export --stop sends it."""
    board = PtyBoard(echo=False)
    try:
        export(tool, "--dialect", DIALECT, "--stop", board.path)
        return board.settled_bytes()
    finally:
        board.close()


WRITE_DEADLINE = 3.0          # how long one byte may wait on a line that does not drain


def ports_found(tool):
    """How many ports a search lists ahead of the ones named on the command
    line: all but the built-in UARTs, which come last."""
    names = [line[2:].split(" [ ")[0] for line in export(tool, "--list-ports").decode().splitlines()]
    return len([name for name in names if not re.match(r"^/dev/ttyS\d+$", name)])


def main():
    app, tool = sys.argv[1], sys.argv[2]
    shots = sys.argv[3] if len(sys.argv) > 3 else None
    skip_unless_tools("Xvfb", "xdotool", "import")
    board = PtyBoard()
    stalled = PtyBoard(echo=False)
    session = None
    try:
        session = Session(app, ["--port", board.path, "--port", stalled.path], shots=shots)
        link(session, board, stalled, tool)
    finally:
        if session:
            session.close()
        board.close()
        stalled.close()


def failure_box(session, caption=FAILURE_CAPTION):
    """The system's message box window, IN_SCENE when the editor shows its
    own box instead (a display where the system box cannot be shown), or None."""
    window = session.window_geometry(f"^{caption}$")
    if window:
        return window
    red, green, _ = session.colour_at(*ALERT_INSIDE)
    return IN_SCENE if red >= 235 and red - green >= 12 else None


def close_failure_box(s, box, caption=FAILURE_CAPTION):
    if box is IN_SCENE:
        s.click(*ALERT_OK, wait=0)
    else:
        s.xdo("key", "--window", box["WINDOW"], "Return")
    wait_until(lambda: not failure_box(s, caption), "the message box to close", 5)


def que_stop_in_editor(s, board):
    """Stop in que: the board has no stop sequence, so the editor says to
    press its reset button, and sends nothing."""
    s.click(*TOGGLE, wait=0.6)
    s.click(CHOOSER_X[2], CHOOSER_Y, wait=0.8)
    board.clear()
    s.click(*STOP, wait=0)
    box = wait_until(lambda: failure_box(s, QUE_STOP_CAPTION), f"a box captioned {QUE_STOP_CAPTION}", 10)
    settle(0.3)
    s.shot("que-stop")
    close_failure_box(s, box, QUE_STOP_CAPTION)
    settle(0.3)
    if board.bytes():
        raise Failure(f"a que stop sent {board.bytes()!r}")
    s.click(*TOGGLE, wait=0.6)
    s.click(CHOOSER_X[0], CHOOSER_Y, wait=0.8)


def que_stop(tool, board):
    """The tool cannot stop a que board: it says what to do, fails, sends nothing."""
    board.clear()
    result = subprocess.run([tool, "--dialect", "que", "--stop", board.path], capture_output=True)
    message = result.stderr.decode(errors="replace")
    if result.returncode == 0 or "reset button" not in message or not message.isascii():
        raise Failure(f"a que stop must fail with the reset-button message in English; "
                      f"got {result.returncode}: {message!r}")
    settle(0.3)
    if board.bytes():
        raise Failure(f"a que stop sent {board.bytes()!r}")


def never_drains(s, stalled, first_row):
    """Play on a line that never drains: the failure box within the write
    deadline, and its OK brings back the editor, not a grey screen."""
    stalled.stall()
    s.click(*PORT_FIELD, wait=0.5)
    s.click(*port_row(first_row + 1), wait=0.8)
    started = time.monotonic()
    s.click(*PLAY, wait=0)
    box = wait_until(lambda: failure_box(s), f"a message box captioned {FAILURE_CAPTION}", WRITE_DEADLINE + 10)
    took = time.monotonic() - started
    print(f"a line that never drains ended the send after {took:.1f} s")
    if took > WRITE_DEADLINE + 4:
        raise Failure(f"the stalled send took {took:.1f} s to end")
    settle(0.3)
    s.shot("stalled-failure-box")
    close_failure_box(s, box)
    settle(0.5)
    if s.colour_at(*EDITOR_PAPER)[0] < 235:
        raise Failure(f"after OK the editor is still covered: {s.colour_at(*EDITOR_PAPER)}")
    s.click(*PORT_FIELD, wait=0.5)
    s.click(*port_row(first_row), wait=0.8)


def link(s, board, stalled, tool):
    s.click(*LIST_NEW, wait=1.5)
    s.palette_drag(LED_ON, (SNAPPED_X, row_y(1)))
    s.palette_drag(LED_OFF, (SNAPPED_X, row_y(2)))
    # A wait of "５" typed in full-width digits, as an input method in
    # hiragana mode gives them: the board must be told to wait 5 s (jam
    # counts sixtieths of a second).
    s.click(TAB_X[FULL], TAB_Y)
    s.palette_drag(WAIT_ANY, (SNAPPED_X, row_y(3)))
    s.click(SNAPPED_X, row_y(3), wait=0.8)
    s.type("５")
    settle(0.2)
    s.key("Return")
    s.wait_for_program([(1, BASIC, LED_ON, ""), (2, BASIC, LED_OFF, ""), (3, FULL, WAIT_ANY, "5")],
                       "two LED cards and a 5 s wait on rows 1 to 3")
    expected, pauses = schedule(tool, s.program_path())
    if b"30 WAIT 300\r" not in expected:
        raise Failure(f"a typed ５ does not send WAIT 300: {expected!r}")

    # Choose the terminal: listed after the ports that a search finds.
    s.click(*SETTINGS_CLOSED, wait=0.5)
    first_row = ports_found(tool)
    s.click(*PORT_FIELD, wait=0.5)
    s.click(*port_row(first_row), wait=0.8)

    s.click(*PLAY, wait=0)
    nominal = sum(pauses[:-1])
    wait_until(lambda: len(board.bytes()) >= len(expected), "the program to arrive at the board", nominal + 10)
    received = board.settled_bytes(quiet=0.5)  # nothing more may follow
    if received != expected:
        raise Failure(f"the board received {received!r}, expected {expected!r}")
    times = board.times()
    took = times[-1] - times[0]
    # Reads may be late, never early: the whole transfer cannot be shorter
    # than its pauses, allowing for the first byte having been read late.
    print(f"the transfer took {took:.3f} s; its pauses add up to {nominal:.3f} s")
    if took < nominal - 0.05 or took > nominal * 1.5 + 1:
        raise Failure("the transfer was not paced as scheduled")
    # A byte read late shortens the gap after it; the pause is there if some
    # earlier byte, read on time, lies at least the scheduled pauses before
    # the byte that follows it.
    longest = max(pauses[:-1])
    after = pauses.index(longest) + 1
    shortfall = min(sum(pauses[i:after]) - (times[after] - times[i]) for i in range(after))
    if shortfall > 0.05:
        raise Failure(f"no gap of the longest pause ({longest} s) before byte {after}; {shortfall:.3f} s short")
    settle(0.3)
    s.shot("sending-panel")
    if s.colour_at(*PANEL_POINT)[0] > 80:
        raise Failure(f"the finished send shows no dark panel: {s.colour_at(*PANEL_POINT)}")
    s.click(*PANEL_POINT, wait=0.5)

    # Stop: break and reset, as the command-line tool sends them.
    board.clear()
    expected_stop = stop_bytes(tool)
    s.click(*STOP, wait=0)
    received = board.settled_bytes(quiet=0.5)
    if received != expected_stop:
        raise Failure(f"stop sent {received!r}, expected {expected_stop!r}")
    s.alive()

    never_drains(s, stalled, first_row)
    que_stop_in_editor(s, board)
    que_stop(tool, board)

    # Unplugged: play tells why and the editor carries on.
    board.close()
    wait_until(lambda: not os.path.exists(board.path), "the terminal to vanish", 5)
    s.click(*PLAY, wait=0)
    box = wait_until(lambda: failure_box(s), f"a message box captioned {FAILURE_CAPTION}", 10)
    settle(0.3)
    s.shot("failure-box")
    close_failure_box(s, box)
    s.alive()
    settle(0.5)
    s.shot("after-failure")
    white = s.colour_at(*EDITOR_PAPER)
    s.click(*BACK, wait=0)
    wait_until(lambda: s.colour_at(*EDITOR_PAPER) != white, "the list to replace the editor", 5)
    s.shot("back-on-list")
    s.alive()


if __name__ == "__main__":
    run(main)
