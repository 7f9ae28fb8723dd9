#!/usr/bin/env python3
"""Seed corpus for fuzz_directory: small archives, each behind an option
byte (see fuzz_directory.cpp). Usage: make_seeds.py OUTDIR"""
import io
import os
import struct
import sys
import zipfile


def archive(entries, comment=b"", zip64=False, method=zipfile.ZIP_STORED):
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w", method) as z:
        for name, data, extra in entries:
            info = zipfile.ZipInfo(name, (2024, 2, 3, 4, 5, 6))
            info.extra = extra
            info.comment = b"c:" + name.encode()
            if zip64:
                with z.open(info, "w", force_zip64=True) as f:
                    f.write(data)
            else:
                z.writestr(info, data)
        z.comment = comment
    return buf.getvalue()


def main(out):
    os.makedirs(out, exist_ok=True)
    unicode_path = struct.pack("<HHBI", 0x7075, 5 + 9, 1, 0) + "dir/é.txt".encode()
    aes = struct.pack("<HHHHBH", 0x9901, 7, 2, 0x4541, 3, 8)
    book = [("book.swf", b"FWS\x0a" + bytes(20), b""), ("files/", b"", b""),
            ("files/book.bin", b"<book/>" * 3, unicode_path), ("files/config.xml", b"<x/>", aes)]
    seeds = {
        "book": archive(book, b"archive comment"),
        "deflated": archive(book, method=zipfile.ZIP_DEFLATED),
        "zip64": archive(book[:2], zip64=True),
        "empty": archive([]),
    }
    seeds["cut"] = seeds["book"][:-40]
    seeds["twoends"] = archive(book[:1], comment=b"PK\x05\x06" + bytes(18) + b"tail")
    for name, data in seeds.items():
        for options in (0x00, 0x01, 0x06, 0x2D, 0xC0):
            with open(os.path.join(out, "%s-%02x" % (name, options)), "wb") as f:
                f.write(bytes([options]) + data)


if __name__ == "__main__":
    main(sys.argv[1])
