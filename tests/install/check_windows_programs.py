#!/usr/bin/env python3
"""Each Windows program given carries a version resource with the expected
version: the fixed file version (what Windows compares) and the
ProductVersion text (what Explorer's properties show). With --source-root,
none of them holds that folder's path (in UTF-8 or UTF-16, either slash): a
shipped program names no folder of the build machine.

Usage: check_windows_programs.py [--source-root DIR] VERSION FILE...
"""
import struct
import sys

FIXED_SIGNATURE = struct.pack("<I", 0xFEEF04BD)


def string_value(data: bytes, key: str):
    """The value of a version String block whose key is `key`: the key in
    UTF-16, NUL, padding to a 32-bit boundary (from the start of `data`, the
    version block), then the value up to its NUL."""
    at = data.find(key.encode("utf-16-le") + b"\0\0")
    if at < 0:
        return None
    at += len(key) * 2 + 2
    at += -at % 4
    end = at
    while end + 1 < len(data) and data[end:end + 2] != b"\0\0":
        end += 2
    return data[at:end].decode("utf-16-le")


def version_of(data: bytes):
    at = data.find("VS_VERSION_INFO".encode("utf-16-le"))
    fixed = data.find(FIXED_SIGNATURE, at) if at >= 0 else -1
    if fixed < 0:
        return None, None
    file_ms, file_ls = struct.unpack_from("<II", data, fixed + 8)
    numbers = (file_ms >> 16, file_ms & 0xFFFF, file_ls >> 16, file_ls & 0xFFFF)
    # The block starts with three 16-bit words before its key.
    return numbers, string_value(data[at - 6:], "ProductVersion")


def source_paths(root: str):
    """The ways a program could hold `root`."""
    forms = {root, root.replace("/", "\\")}
    return [form.encode(encoding) for form in forms for encoding in ("utf-8", "utf-16-le")]


def main() -> int:
    args = sys.argv[1:]
    root = None
    if args[:1] == ["--source-root"]:
        root, args = args[1], args[2:]
    version, files = args[0], args[1:]
    expected = tuple(int(n) for n in version.split(".")) + (0,)
    failures = 0
    for path in files:
        with open(path, "rb") as f:
            data = f.read()
        numbers, text = version_of(data)
        if numbers != expected or text != version:
            failures += 1
            print(f"{path}: version resource {numbers} {text!r}, expected {expected} {version!r}")
            continue
        if root and any(form in data for form in source_paths(root)):
            failures += 1
            print(f"{path}: holds the build machine's path {root}")
            continue
        print(f"{path}: version {text}" + (", no path of the build machine" if root else ""))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
