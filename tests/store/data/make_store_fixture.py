#!/usr/bin/env python3
"""Writes a small save store with Python's plistlib, a writer independent of
the application's own. Run once; the output is committed."""
import plistlib
from pathlib import Path

store = Path(__file__).resolve().parent / "plistlib_store" / "savedatas"
store.mkdir(parents=True, exist_ok=True)

entries = [
    {"identifer": 5, "title": "ロボットカー & <LED>", "path": "savedatas/5.plist",
     "imagepath": "savedatas/img5.png", "modify": "2026/12/5 9:3:7"},
    {"identifer": 2, "title": "", "path": "savedatas/2.plist",
     "imagepath": "savedatas/img2.png", "modify": "2026/1/31 23:59:0"},
]
listing = {"lastid": 6, "datas": entries}
(store / "list.plist").write_bytes(plistlib.dumps(listing, fmt=plistlib.FMT_XML))
(store.parent / "list_binary.plist").write_bytes(plistlib.dumps(listing, fmt=plistlib.FMT_BINARY))
(store / "5.plist").write_bytes(plistlib.dumps(
    [{"tab": 1, "index": 3, "x": 412, "y": 655, "zorder": 2, "value": "60"}], fmt=plistlib.FMT_XML))
(store / "2.plist").write_bytes(plistlib.dumps([], fmt=plistlib.FMT_XML))
