#!/usr/bin/env python3
"""Writes small valid inputs for one of the page player's fuzz targets.

make_seeds.py TARGET FOLDER, TARGET one of page_list, movie_header, movie_address.
"""
import os
import struct
import sys
import zlib


def movie(signature, width, height):
    bits = ""
    for value, count in ((16, 5), (0, 16), (width * 20, 16), (0, 16), (height * 20, 16)):
        bits += format(value, "0%db" % count)
    bits += "0" * (-len(bits) % 8)
    body = bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8)) + bytes([0, 24, 7, 0, 0, 0])
    length = struct.pack("<I", 8 + len(body))
    if signature == b"CWS":
        body = zlib.compress(body)
    return signature + bytes([10]) + length + body


def seeds(target):
    if target == "page_list":
        pages = "".join('  <page src="files/pages/%03d.jpg"/>\n' % i for i in range(1, 5))
        yield b'<?xml version="1.0" encoding="utf-8"?>\n<book title="Demo &amp; co">\n' + pages.encode() + b"</book>\n"
        yield b"\xef\xbb\xbf<book title='x'><!-- c --><page id=\"1\" src = 'a&#x41;.jpg' /></book>"
        yield b"<book><page src=\"../a.jpg\"/><page src=\"a&gt;b.jpg\"></page></book>"
    elif target == "movie_header":
        yield movie(b"FWS", 800, 600)
        yield movie(b"CWS", 1200, 800)
        yield movie(b"FWS", 1, 1)[:14]
    elif target == "movie_address":
        for selector in range(5):
            for name in (b"files/config.xml", b"files/pages/../001.jpg", b"../x.jpg", b"%2e%2e/a", b"a.jpg?x#y"):
                yield bytes([selector]) + name
        yield bytes([0x80]) + "files/\u00e9t\u00e9.jpg".encode("utf-16-le")
    else:
        raise SystemExit("unknown target " + target)


def main():
    target, folder = sys.argv[1], sys.argv[2]
    os.makedirs(folder, exist_ok=True)
    for index, data in enumerate(seeds(target)):
        with open(os.path.join(folder, "seed-%02d" % index), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
