#!/usr/bin/env python3
"""A COM port that only HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM names (as some
USB-serial drivers and wine's own COM ports leave it) is listed by the
Windows pavlune-export --list-ports, described by its device's name; once the
value is gone, so is the port.

The value is set, the ports listed and the value removed by one cmd.exe:
that key is volatile, and a wine server that ends between two programs would
take it along.

Usage: check_tool_list_ports.py TOOL EMULATOR
"""
import subprocess
import sys

KEY = r"HKLM\HARDWARE\DEVICEMAP\SERIALCOMM"
DEVICE = r"\Device\PavluneListTest0"
NAME = "COM37"
EXPECTED = f"{NAME} [ PavluneListTest0 ]"


def run(command):
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
    return done.returncode, done.stdout.decode("utf-8", errors="replace").splitlines()


def lists_port(lines):
    # After the marker of the chosen port ("● ") or two blanks.
    return any(line.split(" ", 1)[-1].strip() == EXPECTED for line in lines)


def main() -> int:
    tool, emulator = sys.argv[1], sys.argv[2]
    # Word by word: the emulator quotes what has blanks, and cmd reads the rest.
    script = ["reg", "add", KEY, "/v", DEVICE, "/t", "REG_SZ", "/d", NAME, "/f", "&",
              tool, "--list-ports", "&",
              "reg", "delete", KEY, "/v", DEVICE, "/f"]
    code, lines = run([emulator, "cmd", "/c", *script])
    if code != 0 or not lists_port(lines):
        print(f"exit {code}; expected a line {EXPECTED!r} among {lines}")
        return 1
    code, after = run([emulator, tool, "--list-ports"])
    if code != 0 or any(NAME in line for line in after):
        print(f"exit {code}; {NAME} still listed after its value went: {after}")
        return 1
    print(f"listed from the device map: {EXPECTED}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
