"""The board end of a pseudo-terminal, for the link tests."""

import os
import select
import termios
import threading
import time

from e2e_support import wait_until


class PtyBoard:
    """The board end of a pseudo-terminal: records every byte that arrives,
    with the time it was read, and sends each one back as a board echoes.
    The application opens `path` as its serial port."""

    def __init__(self, echo=True):
        self.master, self._slave = os.openpty()
        self.path = os.ttyname(self._slave)
        self.echo = echo
        self.received = []  # (monotonic seconds, byte)
        self._lock = threading.Lock()
        self._running = True
        self._thread = threading.Thread(target=self._read, daemon=True)
        self._thread.start()

    def _read(self):
        while self._running:
            try:
                ready, _, _ = select.select([self.master], [], [], 0.05)
                if not ready:
                    continue
                data = os.read(self.master, 4096)
            except OSError:
                # No one has the terminal open (EIO), or the board was closed.
                time.sleep(0.01)
                continue
            now = time.monotonic()
            with self._lock:
                self.received.extend((now, byte) for byte in data)
            if self.echo:
                try:
                    os.write(self.master, data)
                except OSError:
                    pass

    def bytes(self):
        with self._lock:
            return bytes(byte for _, byte in self.received)

    def times(self):
        with self._lock:
            return [when for when, _ in self.received]

    def settled_bytes(self, quiet=0.3, timeout=10):
        """What arrived, once nothing more has come for `quiet` seconds,
        counted from the call at the earliest."""
        called = time.monotonic()

        def quiet_now():
            times = self.times()
            return times and time.monotonic() - max(times[-1], called) >= quiet
        wait_until(quiet_now, "the board to receive bytes and fall quiet", timeout)
        return self.bytes()

    def stall(self):
        """The line stops draining, as with an adapter that hangs: output on
        the terminal is suspended in a way the opener's settings cannot undo."""
        termios.tcflow(self._slave, termios.TCOOFF)

    def clear(self):
        with self._lock:
            self.received.clear()

    def close(self):
        """Unplugs the board: the terminal's path goes away."""
        self._running = False
        self._thread.join()
        for fd in (self.master, self._slave):
            try:
                os.close(fd)
            except OSError:
                pass
