#!/usr/bin/env python3
"""Archives made by real tools (Info-ZIP zip, 7-Zip, Python's zipfile) for
the directory tests. Usage: make_fixtures.py OUTDIR

Every archive is written under OUTDIR; a file "ready" marks completion.
Content is deterministic so that the tests can state what they expect.
"""
import os
import random
import shutil
import subprocess
import sys
import zipfile


def run(args, cwd):
    subprocess.run(args, cwd=cwd, check=True, stdout=subprocess.DEVNULL)


def write(path, data):
    os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main(out):
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    src = os.path.join(out, "src")
    # A small book tree.
    write(os.path.join(src, "book", "book.swf"), b"FWS" + bytes(range(40)))
    write(os.path.join(src, "book", "files", "book.bin"), b"<book/>" * 20)
    write(os.path.join(src, "book", "files", "config.xml"), b"<book title='t'/>")
    write(os.path.join(src, "book", "files", "pages", "001.jpg"), bytes(300))

    # Info-ZIP, recursive, with a directory entry.
    run(["zip", "-q", "-r", os.path.join(out, "book-zip.zip"), "book.swf", "files"], os.path.join(src, "book"))
    # The same forced to Zip64 records.
    run(["zip", "-q", "-r", "-fz", os.path.join(out, "book-zip64.zip"), "book.swf", "files"],
        os.path.join(src, "book"))
    # 7-Zip.
    run(["7z", "a", "-tzip", "-bd", os.path.join(out, "book-7z.zip"), "book.swf", "files"], os.path.join(src, "book"))

    # Python: a stored "./" name, a comment on an entry, a 65535-byte archive comment.
    with zipfile.ZipFile(os.path.join(out, "names.zip"), "w") as z:
        z.writestr(zipfile.ZipInfo("./files/book.bin", (2020, 5, 6, 7, 8, 10)), b"dot")
        info = zipfile.ZipInfo("files/config.xml", (2021, 1, 2, 3, 4, 6))
        info.comment = b"entry comment"
        z.writestr(info, b"<x/>")
        z.writestr(zipfile.ZipInfo("files/"), b"")
    with zipfile.ZipFile(os.path.join(out, "long-comment.zip"), "w") as z:
        z.writestr("a.txt", b"a")
        z.comment = bytes((i * 7 + 3) % 251 + 1 for i in range(65535))
    # Python with forced Zip64 local and central records.
    with zipfile.ZipFile(os.path.join(out, "py-zip64.zip"), "w") as z:
        with z.open("big.bin", "w", force_zip64=True) as f:
            f.write(b"z" * 1000)
        with z.open("second.bin", "w", force_zip64=True) as f:
            f.write(b"y" * 10)
    # No entries at all: 22 bytes.
    with zipfile.ZipFile(os.path.join(out, "empty-archive.zip"), "w"):
        pass
    write(os.path.join(out, "empty.vlq"), b"")
    write(os.path.join(out, "text.vlq"), b"This is not an archive.\r\n" * 10)
    write(os.path.join(out, "short.vlq"), b"PK\x05\x06" + bytes(10))

    # Cut off its end record: only the local headers and the central records remain.
    with open(os.path.join(out, "book-zip.zip"), "rb") as f:
        whole = f.read()
    write(os.path.join(out, "cut.zip"), whole[:-22])
    # Cut inside the central directory: only local headers are usable.
    central = whole.find(b"PK\x01\x02")
    write(os.path.join(out, "cut-central.zip"), whole[:central + 10])
    # A self-extractor-like file: a stub before the archive, or none.
    write(os.path.join(out, "stub.exe"), bytes(14000) + whole[:-22])
    write(os.path.join(out, "nostub.exe"), whole[:-22])
    # An end record pushed out of the search window by data after it.
    write(os.path.join(out, "trailing.zip"), whole + bytes(65536))

    # A split set: .z01, .z02, ... .zip, with a central directory long
    # enough to cross a part boundary.
    rng = random.Random(7)
    split_src = os.path.join(src, "split")
    for i in range(1200):
        name = "files/pages/page-%04d-%s.jpg" % (i, "x" * 40)
        write(os.path.join(split_src, name), bytes(rng.getrandbits(8) for _ in range(64)))
    write(os.path.join(split_src, "book.swf"), bytes(rng.getrandbits(8) for _ in range(70000)))
    split_dir = os.path.join(out, "split")
    os.makedirs(split_dir)
    run(["zip", "-q", "-r", "-0", "-s", "64k", os.path.join(split_dir, "book.zip"), "book.swf", "files"], split_src)
    # The same parts named the classic way: .001, .002, ...
    classic = os.path.join(out, "classic")
    os.makedirs(classic)
    parts = sorted(p for p in os.listdir(split_dir) if p.startswith("book.z") and p != "book.zip")
    for n, part in enumerate(parts + ["book.zip"], start=1):
        shutil.copy(os.path.join(split_dir, part), os.path.join(classic, "book.%03d" % n))

    shutil.rmtree(src)
    write(os.path.join(out, "ready"), b"")


if __name__ == "__main__":
    main(sys.argv[1])
