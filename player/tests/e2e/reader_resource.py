#!/usr/bin/env python3
"""Changes the player resource of a reader copy.

  reader_resource.py empty FILE    playerOCX/BIN keeps its entry but holds 0 bytes
  reader_resource.py remove FILE   playerOCX/BIN is no longer found by its name
"""
import struct
import sys


def resource_section(data):
    nt = struct.unpack_from("<I", data, 0x3C)[0]
    sections, = struct.unpack_from("<H", data, nt + 6)
    optional_size, = struct.unpack_from("<H", data, nt + 20)
    magic, = struct.unpack_from("<H", data, nt + 24)
    # A 64-bit (PE32+) optional header is 16 bytes longer before its directories.
    directories = nt + 24 + (112 if magic == 0x20B else 96)
    rsrc_rva, _ = struct.unpack_from("<II", data, directories + 8 * 2)
    table = nt + 24 + optional_size
    for i in range(sections):
        vsize, va, raw_size, raw_ptr = struct.unpack_from("<IIII", data, table + 40 * i + 8)
        if va <= rsrc_rva < va + max(vsize, raw_size):
            return raw_ptr + rsrc_rva - va
    raise SystemExit("no resource section")


def find_named(data, root, directory, name):
    named, ids = struct.unpack_from("<HH", data, root + directory + 12)
    for i in range(named + ids):
        key, offset = struct.unpack_from("<II", data, root + directory + 16 + 8 * i)
        if key & 0x80000000:
            length, = struct.unpack_from("<H", data, root + (key & 0x7FFFFFFF))
            text = data[root + (key & 0x7FFFFFFF) + 2:root + (key & 0x7FFFFFFF) + 2 + 2 * length].decode("utf-16-le")
            if text.upper() == name.upper():
                return key & 0x7FFFFFFF, offset & 0x7FFFFFFF
    raise SystemExit("no resource " + name)


def main(command, path):
    data = bytearray(open(path, "rb").read())
    root = resource_section(data)
    _, names = find_named(data, root, 0, "BIN")
    name_at, languages = find_named(data, root, names, "playerOCX")
    if command == "remove":
        struct.pack_into("<H", data, root + name_at + 2 + 2 * 8, ord("Y"))  # PLAYEROCX -> PLAYEROCY
    elif command == "empty":
        named, ids = struct.unpack_from("<HH", data, root + languages + 12)
        for i in range(named + ids):
            _, entry = struct.unpack_from("<II", data, root + languages + 16 + 8 * i)
            struct.pack_into("<I", data, root + entry + 4, 0)  # the data entry's Size
    else:
        raise SystemExit(__doc__)
    open(path, "wb").write(data)


if __name__ == "__main__":
    main(*sys.argv[1:])
