#!/usr/bin/python3
"""Packs the card pictures into one file that the page fetches after its
first screen (the list shows no card), so the program's own package stays
small:

  pack_pictures.py FOLDER MOUNTED_AS OUTPUT

OUTPUT holds a little-endian 32-bit length, that many bytes of a JSON index
([[path, start, end], ...], paths under MOUNTED_AS, offsets after the index)
and the files' bytes one after another, in the index's order.
"""
import json
import pathlib
import sys


def main():
    folder, mounted, output = pathlib.Path(sys.argv[1]), sys.argv[2].rstrip("/"), pathlib.Path(sys.argv[3])
    index, blobs, at = [], [], 0
    for path in sorted(p for p in folder.rglob("*") if p.is_file() and p.suffix != ".md"):
        data = path.read_bytes()
        index.append([f"{mounted}/{path.relative_to(folder).as_posix()}", at, at + len(data)])
        blobs.append(data)
        at += len(data)
    head = json.dumps(index, separators=(",", ":")).encode()
    output.parent.mkdir(parents=True, exist_ok=True)
    with open(output, "wb") as f:
        f.write(len(head).to_bytes(4, "little"))
        f.write(head)
        for data in blobs:
            f.write(data)


if __name__ == "__main__":
    main()
