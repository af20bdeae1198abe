#!/usr/bin/env python3
"""Writes plistlib_program.plist: a program file as another plist writer
(Python's plistlib) writes it, for the editor's loading tests. Run it from this
folder; the output is committed."""
import plistlib

cards = [
    # tab, index, x, y, zorder, value: near rows 1 to 3, one loose, one card
    # that no catalogue has, and one with its keys missing.
    dict(tab=0, index=0, x=650, y=5515, zorder=1, value=""),
    dict(tab=2, index=2, x=655, y=5380, zorder=4, value="1.5"),
    dict(tab=0, index=1, x=648, y=5250, zorder=2, value=""),
    dict(tab=1, index=2, x=900, y=5000, zorder=3, value=""),
    dict(tab=7, index=0, x=600, y=4000, zorder=5, value="from a newer version"),
    dict(tab=0, index=3),
]
with open("plistlib_program.plist", "wb") as out:
    plistlib.dump(cards, out)
