#!/usr/bin/env python3
"""Writes the installer's file list for a package folder, as NSIS lines.

    installer_files.py STAGE OUT.nsh

OUT.nsh defines the macro PAVLUNE_INSTALL_FILES HANDLE: it installs every
file of STAGE under $INSTDIR and writes each one's path, relative to $INSTDIR,
to the open UTF-16 file HANDLE, one a line, then every folder it made (ending
in a backslash), deepest first. The uninstaller deletes exactly those lines,
so whatever else a folder holds stays.
"""
import os
import sys


def nsis_string(text):
    # Inside double quotes NSIS reads $ and " specially.
    return text.replace("$", "$$").replace('"', '$\\"')


def package_lines(stage):
    lines = []
    folders = []
    for here, subfolders, files in os.walk(stage):
        subfolders.sort()
        relative = os.path.relpath(here, stage)
        inside = "" if relative == "." else relative.replace("/", "\\")
        if inside:
            folders.append(inside)
        if not files:
            continue
        lines.append('  SetOutPath "$INSTDIR%s"' % nsis_string("\\" + inside if inside else ""))
        for name in sorted(files):
            path = os.path.join(here, name)
            entry = (inside + "\\" + name) if inside else name
            lines.append('  File "%s"' % nsis_string(path))
            lines.append('  FileWriteUTF16LE ${HANDLE} "%s$\\r$\\n"' % nsis_string(entry))
    for folder in sorted(folders, key=lambda f: (-f.count("\\"), f)):
        lines.append('  FileWriteUTF16LE ${HANDLE} "%s\\$\\r$\\n"' % nsis_string(folder))
    return lines


def main():
    if len(sys.argv) != 3:
        sys.stderr.write("usage: installer_files.py STAGE OUT.nsh\n")
        return 2
    stage, out = sys.argv[1], sys.argv[2]
    if not os.path.isdir(stage):
        sys.stderr.write("installer_files.py: no package folder %s\n" % stage)
        return 1
    with open(out, "w", encoding="utf-8-sig") as nsh:
        nsh.write("; Made by installer_files.py from %s\n" % stage)
        nsh.write("!macro PAVLUNE_INSTALL_FILES HANDLE\n")
        nsh.write("\n".join(package_lines(stage)) + "\n")
        nsh.write("!macroend\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
