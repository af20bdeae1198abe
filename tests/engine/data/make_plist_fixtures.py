#!/usr/bin/env python3
"""Writes the property-list fixtures of the file tests with Python's plistlib,
a writer independent of libplist. Run once; the output is committed."""
import plistlib
from pathlib import Path

here = Path(__file__).resolve().parent

sample = {
    "text": "a < b & c ]]> d",
    "japanese": "プログラム 1",
    "empty": "",
    "int": 42,
    "negative": -7,
    "large": 9007199254740993,
    "real": 0.5,
    "flag": True,
    "off": False,
    "nested": [[1, 2, [3]], [], {"k": "v"}],
}
program = [
    {"tab": 0, "index": 0, "x": 100, "y": -40, "zorder": 3, "value": ""},
    {"tab": 2, "index": 21, "x": 0, "y": 720, "zorder": 7, "value": "0.5"},
]

(here / "plistlib_sample.plist").write_bytes(plistlib.dumps(sample, fmt=plistlib.FMT_XML))
(here / "plistlib_sample_binary.plist").write_bytes(plistlib.dumps(sample, fmt=plistlib.FMT_BINARY))
(here / "plistlib_program.plist").write_bytes(plistlib.dumps(program, fmt=plistlib.FMT_XML))
xml = plistlib.dumps(sample, fmt=plistlib.FMT_XML)
(here / "truncated.plist").write_bytes(xml[: len(xml) // 2])

# A binary file whose dictionary key holds a NUL byte, as a damaged file can.
(here / "binary_key_with_nul.plist").write_bytes(
    plistlib.dumps({"ok": 1, "キー\x00key": "x"}, fmt=plistlib.FMT_BINARY))
