#!/usr/bin/env python3
"""bookzip list and bookzip check against archives made here by zip and by
Python's zipfile; what list prints is compared field by field with what
zipfile reads from the same archive.
Usage: test_list_check.py BOOKZIP-COMMAND... (e.g. wine-run bookzip.exe)"""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile

BOOKZIP = sys.argv[1:]
del sys.argv[1:]

MOVIE = b"FWS\x0a\x1e\x00\x00\x00" + bytes(22)
CONFIG = b'<book title="t"><page src="files/pages/001.jpg"/></book>'


def run(folder, *args):
    # Archives are named relative to their folder: the same names work under Wine.
    done = subprocess.run(BOOKZIP + list(args), capture_output=True, timeout=120, cwd=folder)
    text = lambda b: b.decode("latin-1").replace("\r\n", "\n")
    return done.returncode, text(done.stdout), text(done.stderr)


class ListAndCheck(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()

    def tearDown(self):
        shutil.rmtree(self.dir)

    def path(self, name):
        return os.path.join(self.dir, name)

    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)
        return name

    def zip_of(self, name, entries):
        with zipfile.ZipFile(self.path(name), "w") as z:
            for entry, data in entries.items():
                z.writestr(entry, data, zipfile.ZIP_DEFLATED if len(data) > 40 else zipfile.ZIP_STORED)
        return name

    def test_list_prints_every_entry_as_the_archive_holds_it(self):
        src = self.path("src")
        os.makedirs(os.path.join(src, "files", "pages"))
        for name, data in [("book.swf", MOVIE), ("files/config.xml", CONFIG),
                           ("files/book.bin", b"page list " * 300), ("files/pages/001.jpg", os.urandom(2000))]:
            with open(os.path.join(src, name), "wb") as f:
                f.write(data)
        book = "book.vlq"
        subprocess.run(["zip", "-q", "-X", "-r", self.path(book), "book.swf", "files"], cwd=src, check=True)
        with zipfile.ZipFile(self.path(book)) as z:
            infos = sorted(z.infolist(), key=lambda i: i.header_offset)
        expected = "".join(
            f"{i.filename.replace('/', chr(92))}\t{i.compress_type}\t{i.compress_size}\t{i.file_size}"
            f"\t{i.CRC:08X}\t{i.flag_bits:04X}\n" for i in infos)
        code, out, err = run(self.dir, "list", book)
        self.assertEqual((code, err), (0, ""))
        self.assertEqual(out, expected)
        self.assertIn("files\\pages\\001.jpg\t", out)

    def test_list_of_no_archive_and_of_a_missing_file(self):
        text = self.write("text.vlq", b"plain text, no archive\n")
        self.assertEqual(run(self.dir, "list", text), (0, "", ""))
        code, out, err = run(self.dir, "list", "not there.vlq")
        self.assertEqual((code, out), (2, ""))
        self.assertIn("not there.vlq", err)

    def test_check_applies_the_readers_book_rule(self):
        text = self.write("text.vlq", b"plain text, no archive\n")
        empty = self.write("empty.vlq", b"")
        both = "book.swf; files/book.bin or files/config.xml;"
        cases = [
            ("complete", {"book.swf": MOVIE, "files/book.bin": CONFIG, "files/config.xml": CONFIG}, 0, None),
            ("config only", {"book.swf": MOVIE, "files/config.xml": CONFIG}, 0, None),
            ("book.bin only", {"book.swf": MOVIE, "files/book.bin": CONFIG}, 0, None),
            # Stored names are not normalised: "./book.swf" is the entry .\book.swf.
            ("stored dot-slash", {"./book.swf": MOVIE, "files/book.bin": CONFIG}, 1, "book.swf;"),
            ("capital movie", {"Book.swf": MOVIE, "files/book.bin": CONFIG}, 1, "book.swf;"),
            ("movie in a folder", {"content/book.swf": MOVIE, "files/config.xml": CONFIG}, 1, "book.swf;"),
            ("movie only", {"book.swf": MOVIE}, 1, "files/book.bin or files/config.xml;"),
            ("run-time file in a folder", {"book.swf": MOVIE, "content/files/config.xml": CONFIG}, 1,
             "files/book.bin or files/config.xml;"),
        ]
        paths = [(label, self.zip_of(label + ".vlq", entries), code, missing)
                 for label, entries, code, missing in cases]
        paths += [("text", text, 1, both), ("empty", empty, 1, both)]
        for label, path, want, missing in paths:
            with self.subTest(label):
                code, out, err = run(self.dir, "check", path)
                self.assertEqual((code, err), (want, ""))
                if missing is None:
                    self.assertEqual(out, f"{path}: a book\n")
                else:
                    self.assertEqual(out, f"{path}: not a book; missing: {missing}\n")

    def test_check_errors_end_in_exit_code_2(self):
        text = self.write("text.vlq", b"plain text, no archive\n")
        self.assertEqual(run(self.dir, "check", text, "--incomplete", "notzip"), (2, "", "Not a valid zip file!\n"))
        code, out, err = run(self.dir, "check", "not there.vlq")
        self.assertEqual((code, out), (2, ""))
        self.assertIn("not there.vlq", err)


if __name__ == "__main__":
    unittest.main(verbosity=2)
