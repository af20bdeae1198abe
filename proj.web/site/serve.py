#!/usr/bin/env python3
"""Serves a built site the way a school's server should: each file gzipped
when the browser accepts it (the .gz copies finish_site.py made), with the
right types, and with validators so that a browser asks whether a file
changed (a 304 costs a few bytes) instead of fetching it again.

    serve.py SITE [--port 8080] [--bind 127.0.0.1]
"""
import argparse
import email.utils
import hashlib
import http.server
import os
import sys
import threading
import urllib.parse

TYPES = {".wasm": "application/wasm", ".data": "application/octet-stream",
         ".webmanifest": "application/manifest+json", ".js": "text/javascript",
         ".html": "text/html; charset=utf-8", ".png": "image/png", ".txt": "text/plain; charset=utf-8"}


class SiteHandler(http.server.BaseHTTPRequestHandler):
    site = "."
    quiet = False
    _tags = {}
    _tags_lock = threading.Lock()

    def log_message(self, format, *args):  # noqa: A002 (the base class's name)
        if not self.quiet:
            super().log_message(format, *args)

    def _file(self):
        path = urllib.parse.unquote(self.path.split("?", 1)[0].split("#", 1)[0])
        if path.endswith("/"):
            path += "index.html"
        parts = [part for part in path.split("/") if part]
        if any(part in (".", "..") or part.endswith(".gz") for part in parts):
            return None
        full = os.path.join(self.site, *parts)
        return full if os.path.isfile(full) else None

    def _tag(self, full):
        stat = os.stat(full)
        key = (full, stat.st_mtime_ns, stat.st_size)
        with self._tags_lock:
            if key not in self._tags:
                with open(full, "rb") as f:
                    self._tags[key] = '"' + hashlib.sha256(f.read()).hexdigest()[:20] + '"'
            return self._tags[key]

    def do_HEAD(self):  # noqa: N802 (the base class's name)
        self.do_GET(body=False)

    def do_GET(self, body=True):  # noqa: N802
        full = self._file()
        if full is None:
            self.send_error(404)
            return
        tag = self._tag(full)
        gz = full + ".gz"
        accepts = "gzip" in self.headers.get("Accept-Encoding", "")
        send = gz if accepts and os.path.isfile(gz) else full
        # One validator per representation: the gzipped bytes are another entity.
        etag = tag[:-1] + ('-gz"' if send == gz else '"')
        self.send_response(304 if etag in self.headers.get("If-None-Match", "") else 200)
        self.send_header("Content-Type", TYPES.get(os.path.splitext(full)[1], "application/octet-stream"))
        self.send_header("ETag", etag)
        self.send_header("Vary", "Accept-Encoding")
        # Always asked again: the file names carry no version, the service
        # worker keeps the site for offline use.
        self.send_header("Cache-Control", "no-cache")
        self.send_header("Last-Modified", email.utils.formatdate(os.stat(full).st_mtime, usegmt=True))
        if send == gz:
            self.send_header("Content-Encoding", "gzip")
        if etag in self.headers.get("If-None-Match", ""):
            self.end_headers()
            return
        self.send_header("Content-Length", str(os.path.getsize(send)))
        self.end_headers()
        if body:
            with open(send, "rb") as f:
                try:
                    self.wfile.write(f.read())
                except (BrokenPipeError, ConnectionResetError):
                    pass  # the browser went away (a navigation, a closed tab)


def make_server(site, bind="127.0.0.1", port=0, quiet=True):
    handler = type("Handler", (SiteHandler,), {"site": os.path.abspath(site), "quiet": quiet})
    return http.server.ThreadingHTTPServer((bind, port), handler)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("site")
    parser.add_argument("--port", type=int, default=8080)
    parser.add_argument("--bind", default="127.0.0.1")
    options = parser.parse_args()
    if not os.path.isfile(os.path.join(options.site, "index.html")):
        sys.exit(f"serve.py: no index.html in {options.site}")
    server = make_server(options.site, options.bind, options.port, quiet=False)
    print(f"Serving {options.site} on http://{options.bind}:{server.server_address[1]}/ (Ctrl+C stops)")
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
