#!/usr/bin/env python3
"""serve.py on a small finished site: gzip when the browser accepts it, the
right types, revalidation with 304, nothing outside the site."""
import gzip
import http.client
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", "..", ".."))
sys.path.insert(0, os.path.dirname(HERE))
from serve import make_server  # noqa: E402

WASM = bytes(range(256)) * 40  # compresses well, and is not text


class ServeTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.site = tempfile.mkdtemp(prefix="pavlune-serve-")
        with open(os.path.join(cls.site, "index.html"), "w") as f:
            f.write("<script>const siteVersion = '@SITE_VERSION@';</script>" + " " * 2000)
        with open(os.path.join(cls.site, "pavlune-cards.wasm"), "wb") as f:
            f.write(WASM)
        with open(os.path.join(os.path.dirname(cls.site), "secret.txt"), "w") as f:
            f.write("not the site's")
        subprocess.run([sys.executable, os.path.join(ROOT, "proj.web/site/finish_site.py"), ROOT, cls.site],
                       check=True, capture_output=True)
        cls.server = make_server(cls.site)
        threading.Thread(target=cls.server.serve_forever, daemon=True).start()

    @classmethod
    def tearDownClass(cls):
        cls.server.shutdown()
        cls.server.server_close()
        shutil.rmtree(cls.site)
        os.remove(os.path.join(os.path.dirname(cls.site), "secret.txt"))

    def get(self, path, **headers):
        connection = http.client.HTTPConnection("127.0.0.1", self.server.server_address[1], timeout=10)
        connection.request("GET", path, headers=headers)
        response = connection.getresponse()
        body = response.read()
        connection.close()
        return response, body

    def test_gzip_only_for_browsers_that_accept_it(self):
        for accept, encoding in (("gzip, deflate, br", "gzip"), ("identity", None), ("", None)):
            with self.subTest(accept=accept):
                response, body = self.get("/pavlune-cards.wasm", **{"Accept-Encoding": accept})
                self.assertEqual(response.status, 200)
                self.assertEqual(response.getheader("Content-Encoding"), encoding)
                self.assertEqual(gzip.decompress(body) if encoding else body, WASM)
                self.assertEqual(response.getheader("Content-Type"), "application/wasm")
                self.assertEqual(response.getheader("Vary"), "Accept-Encoding")

    def test_a_known_file_is_revalidated_with_a_304(self):
        first, _ = self.get("/", **{"Accept-Encoding": "gzip"})
        self.assertEqual(first.getheader("Cache-Control"), "no-cache")
        self.assertEqual(first.getheader("Content-Type"), "text/html; charset=utf-8")
        again, body = self.get("/index.html", **{"Accept-Encoding": "gzip", "If-None-Match": first.getheader("ETag")})
        self.assertEqual((again.status, body), (304, b""))
        # The plain and the gzipped file are different bytes: one tag must not stand for both.
        plain, _ = self.get("/index.html", **{"If-None-Match": first.getheader("ETag")})
        self.assertEqual(plain.status, 200)

    def test_nothing_outside_the_site_and_no_raw_gzip_copies(self):
        for path in ("/../secret.txt", "/%2e%2e/secret.txt", "/pavlune-cards.wasm.gz", "/missing.js"):
            with self.subTest(path=path):
                self.assertEqual(self.get(path)[0].status, 404)


if __name__ == "__main__":
    unittest.main()
