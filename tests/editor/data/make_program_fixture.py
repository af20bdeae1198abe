#!/usr/bin/env python3
"""Writes plistlib_program.plist: a program file as another plist writer
(Python's plistlib) writes it, for the editor's loading tests. Run it from this
folder; the output is committed."""
import plistlib

cards = [
    # tab, index, x, y, zorder, value: on rows 1 to 3 (their snap points,
    # truncated as the editor stores them), one loose, one card that no
    # catalogue has, and one with its keys missing.
    dict(tab=0, index=0, x=652, y=5514, zorder=1, value=""),
    dict(tab=2, index=2, x=652, y=5384, zorder=4, value="1.5"),
    dict(tab=0, index=1, x=652, y=5254, zorder=2, value=""),
    dict(tab=1, index=2, x=900, y=5000, zorder=3, value=""),
    dict(tab=7, index=0, x=600, y=4000, zorder=5, value="from a newer version"),
    dict(tab=0, index=3),
]
with open("plistlib_program.plist", "wb") as out:
    plistlib.dump(cards, out)
