#!/usr/bin/env python3
"""Checks books written by make-book with tools that are not ours: Python's
zipfile, `unzip -t` and ImageMagick's identify."""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET
import zipfile

MAKE_BOOK = sys.argv.pop(1) if len(sys.argv) > 1 else "make-book"


def movie_header(data):
    """Signature, version, declared length, stage size in pixels, frame count."""
    sig, version, length = data[:3], data[3], struct.unpack("<I", data[4:8])[0]
    bits = "".join(f"{b:08b}" for b in data[8:8 + 20])
    nbits = int(bits[:5], 2)
    fields = [int(bits[5 + i * nbits:5 + (i + 1) * nbits], 2) for i in range(4)]
    rect_bytes = (5 + 4 * nbits + 7) // 8
    frames = struct.unpack("<H", data[8 + rect_bytes + 2:8 + rect_bytes + 4])[0]
    return sig, version, length, (fields[1] - fields[0]) // 20, (fields[3] - fields[2]) // 20, frames


class MakeBookTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()

    def tearDown(self):
        shutil.rmtree(self.dir)

    def make(self, *args):
        return subprocess.run([MAKE_BOOK, *args], capture_output=True, text=True)

    def check_book(self, path, pages):
        self.assertEqual(subprocess.run(["unzip", "-tq", path], capture_output=True).returncode, 0)
        with zipfile.ZipFile(path) as z:
            names = z.namelist()
            self.assertEqual(names[:2], ["book.swf", "files/config.xml"])
            movie = z.read("book.swf")
            sig, version, length, width, height, frames = movie_header(movie)
            self.assertEqual(sig, b"FWS")
            self.assertEqual(length, len(movie))
            self.assertEqual((width, height, frames), (1200, 800, pages))
            srcs = [p.get("src") for p in ET.fromstring(z.read("files/config.xml")).findall("page")]
            self.assertEqual(len(srcs), pages)
            self.assertEqual(srcs, sorted(srcs))
            for src in srcs:
                self.assertIn(src, names)
            return z, srcs

    def test_demo_book_pages_are_distinct_jpegs(self):
        out = os.path.join(self.dir, "demo.vlq")
        self.assertEqual(self.make("--demo", "3", out).returncode, 0)
        z, srcs = self.check_book(out, 3)
        with zipfile.ZipFile(out) as z:
            pictures = [z.read(s) for s in srcs]
        self.assertEqual(len(set(pictures)), 3)
        for i, pic in enumerate(pictures):
            f = os.path.join(self.dir, f"p{i}.jpg")
            open(f, "wb").write(pic)
            ident = subprocess.run(["identify", "-format", "%m %w %h", f], capture_output=True, text=True)
            self.assertEqual(ident.stdout, "JPEG 600 800")

    def test_pages_from_folder_in_name_order(self):
        pics = os.path.join(self.dir, "pics")
        os.mkdir(pics)
        for name, body in [("b.jpg", b"second"), ("a.JPG", b"first"), ("c.png", b"third"), ("notes.txt", b"x")]:
            open(os.path.join(pics, name), "wb").write(body)
        out = os.path.join(self.dir, "pages.vlq")
        self.assertEqual(self.make("--pages", pics, out).returncode, 0)
        _, srcs = self.check_book(out, 3)
        with zipfile.ZipFile(out) as z:
            self.assertEqual([z.read(s) for s in srcs], [b"first", b"second", b"third"])
            self.assertEqual(srcs[2], "files/pages/003.png")

    def test_more_entries_than_the_format_counts_fail(self):
        # 65534 pages, the movie and the page list: one entry past the 16-bit count.
        pics = os.path.join(self.dir, "many")
        os.mkdir(pics)
        for i in range(65534):
            with open(os.path.join(pics, f"{i:05}.jpg"), "wb") as f:
                f.write(b"p")
        out = os.path.join(self.dir, "many.vlq")
        result = self.make("--pages", pics, out)
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("too many entries", result.stderr)

    def test_bad_arguments_fail(self):
        for args in [[], ["--demo", "0", "x.vlq"], ["--pages", os.path.join(self.dir, "none"), "x.vlq"],
                     ["--what", "1", "x.vlq"]]:
            with self.subTest(args=args):
                self.assertNotEqual(self.make(*args).returncode, 0)


if __name__ == "__main__":
    unittest.main()
