#!/usr/bin/env python3
"""The Windows editor under wine on a private Xvfb display opens at the same
size in points at every screen scaling: its window has 1024 × 768 times the
scale in pixels at 96, 144 and 192 dots per inch (100, 150, 200 %). The
setting is wine's LogPixels; the prefix's own is put back at the end.

Usage: check_window_dpi.py PAVLUNE_CARDS_EXE EMULATOR
"""
import os
import shutil
import subprocess
import sys
import time

KEYS = (r"HKCU\Control Panel\Desktop", r"HKCC\Software\Fonts")


def reg(emulator, *args):
    return subprocess.run([emulator, "reg", *args], capture_output=True, text=True, timeout=120)


def saved_value(emulator, key):
    query = reg(emulator, "query", key, "/v", "LogPixels")
    for line in query.stdout.splitlines():
        if "LogPixels" in line:
            return int(line.split()[-1], 16)
    return None


def window_size(env, timeout=60):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--name", "^PavluneApps$"], env=env, capture_output=True,
                               text=True).stdout.split()
        if found:
            shell = subprocess.run(["xdotool", "getwindowgeometry", "--shell", found[0]], env=env,
                                   capture_output=True, text=True).stdout
            values = dict(line.split("=", 1) for line in shell.split())
            if "WIDTH" in values:
                return int(values["WIDTH"]), int(values["HEIGHT"])
        time.sleep(0.5)
    return None


def main() -> int:
    program, emulator = sys.argv[1], sys.argv[2]
    for tool in ("Xvfb", "xdotool", "wineserver"):
        if not shutil.which(tool):
            print(f"{tool} not found")
            return 77
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "2400x1800x24", "-nolisten",
                             "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        display = pipe.readline().strip()
    saved = {key: saved_value(emulator, key) for key in KEYS}
    failures = 0
    try:
        for dpi in (96, 144, 192):
            for key in KEYS:
                reg(emulator, "add", key, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f")
            # The server reads the setting when it starts.
            subprocess.run(["wineserver", "-k"], capture_output=True)
            subprocess.run(["wineserver", "-w"], capture_output=True)
            env = dict(os.environ, DISPLAY=f":{display}")
            editor = subprocess.Popen([emulator, program], env=env, stdout=subprocess.DEVNULL,
                                      stderr=subprocess.DEVNULL)
            size = window_size(env)
            editor.terminate()
            subprocess.run(["wineserver", "-k"], capture_output=True)
            editor.wait(30)
            expected = (1024 * dpi // 96, 768 * dpi // 96)
            if size != expected:
                failures += 1
                print(f"{dpi} dpi: window {size}, expected {expected}")
            else:
                print(f"{dpi} dpi: window {size[0]} x {size[1]}")
    finally:
        for key, value in saved.items():
            if value is None:
                reg(emulator, "delete", key, "/v", "LogPixels", "/f")
            else:
                reg(emulator, "add", key, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(value), "/f")
        subprocess.run(["wineserver", "-k"], capture_output=True)
        xvfb.terminate()
        xvfb.wait(10)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
