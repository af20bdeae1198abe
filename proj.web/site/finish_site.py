#!/usr/bin/env python3
"""Makes a built site ready to be served and to work offline:

- adds the web app manifest and its icons, so the page can be installed;
- gives the page and the service worker the site's version (a hash of its
  files) and the worker the list of files it keeps;
- writes a gzip copy beside each file worth compressing, which serve.py (or
  a school's own server) sends to browsers that accept it;
- prints the download's size, plain and compressed.

    finish_site.py SOURCE_ROOT SITE
"""
import gzip
import hashlib
import json
import os
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ICON_SIZES = (192, 512)
COMPRESSED = (".html", ".js", ".wasm", ".data", ".webmanifest", ".txt")
NOT_KEPT = ("sw.js",)  # the browser fetches the worker itself, to find updates


def site_files(site):
    """Every file of the site, relative and sorted, without the gzip copies."""
    found = []
    for folder, _, names in os.walk(site):
        for name in names:
            if not name.endswith(".gz"):
                found.append(os.path.relpath(os.path.join(folder, name), site).replace(os.sep, "/"))
    return sorted(found)


def version_of(site, files):
    digest = hashlib.sha256()
    for name in files:
        if name in NOT_KEPT:
            continue
        digest.update(name.encode() + b"\0")
        with open(os.path.join(site, name), "rb") as f:
            digest.update(f.read())
    return digest.hexdigest()[:16]


def fill(path, values):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    for key, value in values.items():
        if key not in text:
            sys.exit(f"finish_site: {path} has no {key}")
        text = text.replace(key, value)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    root, site = sys.argv[1], sys.argv[2]
    shutil.copy(os.path.join(HERE, "manifest.webmanifest"), site)
    shutil.copy(os.path.join(HERE, "sw.js"), site)
    os.makedirs(os.path.join(site, "icons"), exist_ok=True)
    for size in ICON_SIZES:
        shutil.copy(os.path.join(root, f"res/icons/hicolor/{size}x{size}/apps/pavlune-cards.png"),
                    os.path.join(site, f"icons/{size}.png"))
    for folder, _, names in os.walk(site):  # copies from an earlier build
        for name in names:
            if name.endswith(".gz"):
                os.remove(os.path.join(folder, name))

    # The version is taken before it is written into the page, so it is the
    # same whenever the same files are built.
    files = site_files(site)
    version = version_of(site, files)
    fill(os.path.join(site, "index.html"), {"@SITE_VERSION@": version})
    kept = [name for name in files if name not in NOT_KEPT]
    fill(os.path.join(site, "sw.js"), {"@SITE_VERSION@": version, "@SITE_FILES@": json.dumps(kept)})

    raw = packed = 0
    for name in files:
        path = os.path.join(site, name)
        with open(path, "rb") as f:
            data = f.read()
        raw += len(data)
        if name.endswith(COMPRESSED) and len(data) > 1024:
            squeezed = gzip.compress(data, compresslevel=9, mtime=0)
            with open(path + ".gz", "wb") as f:
                f.write(squeezed)
            packed += len(squeezed)
        else:
            packed += len(data)
    print(f"Web site: {site} (version {version}, {len(kept)} files kept offline)")
    print(f"Download: {raw / 1e6:.2f} MB, {packed / 1e6:.2f} MB gzipped (page, program, pictures and fonts)")


if __name__ == "__main__":
    main()
