"""Headless Chromium for the page tests: found on PATH, started in a process
group of its own, and stopped with all its helpers before its profile folder
is removed. Chromium's crash handler and renderers outlive the main process
for a moment; removing the profile while they still write into it fails
(`Directory not empty: 'Default'`)."""
import os
import shutil
import signal
import subprocess
import tempfile
import time


def chromium_binary():
    """The Chromium on PATH, or None."""
    for name in ("chromium", "chromium-browser", "google-chrome"):
        path = shutil.which(name)
        if path:
            return path
    return None


# Headless, and quiet: no first-run pages, no fetching of updates,
# components or sync, which would only compete with the page for the cores.
HEADLESS = ["--headless=new", "--no-first-run", "--no-default-browser-check", "--disable-background-networking",
            "--disable-component-update", "--disable-sync"]


class ChromiumProcess:
    """A headless Chromium with a private profile, given `arguments` after
    HEADLESS; `close()` (or leaving a `with`) stops the whole process group,
    waits for it, then removes the profile."""

    def __init__(self, arguments, prefix="pavlune-chromium-", profile=None):
        binary = chromium_binary()
        if not binary:
            raise RuntimeError("chromium is not installed")
        self.profile = profile or tempfile.mkdtemp(prefix=prefix)
        command = [binary, f"--user-data-dir={self.profile}", *HEADLESS, *arguments]
        if os.geteuid() == 0:
            command.insert(1, "--no-sandbox")
        self.process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                        start_new_session=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def poll(self):
        return self.process.poll()

    def _group_alive(self):
        try:
            os.killpg(self.process.pid, 0)
            return True
        except ProcessLookupError:
            return False
        except PermissionError:
            return True

    def _signal_group(self, number):
        try:
            os.killpg(self.process.pid, number)
        except (ProcessLookupError, PermissionError):
            pass

    def close(self, grace=10.0, keep_profile=False):
        """`keep_profile`: leave the profile for another start (as a browser
        closed and opened again)."""
        if self.process is None:
            return
        self._signal_group(signal.SIGTERM)
        deadline = time.monotonic() + grace
        while time.monotonic() < deadline:
            self.process.poll()  # reaps the leader, so the group can empty
            if not self._group_alive():
                break
            time.sleep(0.05)
        else:
            self._signal_group(signal.SIGKILL)
            while self._group_alive() and time.monotonic() < deadline + grace:
                self.process.poll()
                time.sleep(0.05)
        self.process.wait()
        self.process = None
        if not keep_profile:
            shutil.rmtree(self.profile, ignore_errors=True)
