#!/usr/bin/env python3
"""Post-link changes to test modules that the linker cannot make.

  patch_pe.py no-entry IN OUT        AddressOfEntryPoint := 0
  patch_pe.py bind IN OUT LIBRARY    marks LIBRARY's import descriptor as bound:
                                     TimeDateStamp := 0xFFFFFFFF and its import
                                     address table filled with made-up bound
                                     addresses, so only OriginalFirstThunk still
                                     names the functions
  patch_pe.py drop-oft IN OUT LIBRARY  OriginalFirstThunk := 0 for LIBRARY, so
                                     only FirstThunk names the functions
"""
import struct
import sys


class Image:
    def __init__(self, data):
        self.data = bytearray(data)
        self.nt = struct.unpack_from("<I", self.data, 0x3C)[0]
        self.sections_count, = struct.unpack_from("<H", self.data, self.nt + 6)
        optional_size, = struct.unpack_from("<H", self.data, self.nt + 20)
        self.optional = self.nt + 24
        self.section_table = self.optional + optional_size
        magic, = struct.unpack_from("<H", self.data, self.optional)
        # PE32+ (64-bit) images have wider thunks and a longer header before
        # the data directories.
        self.is64 = magic == 0x20B
        self.thunk = "<Q" if self.is64 else "<I"
        self.directories = self.optional + (112 if self.is64 else 96)

    def rva_to_offset(self, rva):
        for i in range(self.sections_count):
            header = self.section_table + 40 * i
            vsize, va, raw_size, raw_ptr = struct.unpack_from("<IIII", self.data, header + 8)
            if va <= rva < va + max(vsize, raw_size):
                return raw_ptr + rva - va
        raise ValueError("rva %#x in no section" % rva)

    def directory(self, index):
        return struct.unpack_from("<II", self.data, self.directories + 8 * index)

    def import_descriptor(self, library):
        rva, _ = self.directory(1)
        at = self.rva_to_offset(rva)
        while True:
            oft, stamp, chain, name, first = struct.unpack_from("<IIIII", self.data, at)
            if name == 0:
                raise ValueError("no import descriptor for " + library)
            text = self.data[self.rva_to_offset(name):].split(b"\0", 1)[0].decode()
            if text.lower() == library.lower():
                return at
            at += 20


def main(command, source, target, *args):
    with open(source, "rb") as f:
        image = Image(f.read())
    if command == "no-entry":
        struct.pack_into("<I", image.data, image.optional + 16, 0)
    elif command == "bind":
        at = image.import_descriptor(args[0])
        struct.pack_into("<I", image.data, at + 4, 0xFFFFFFFF)
        first, = struct.unpack_from("<I", image.data, at + 16)
        slot = image.rva_to_offset(first)
        width = struct.calcsize(image.thunk)
        while struct.unpack_from(image.thunk, image.data, slot)[0] != 0:
            struct.pack_into(image.thunk, image.data, slot, 0x7FFE1234)
            slot += width
    elif command == "drop-oft":
        at = image.import_descriptor(args[0])
        struct.pack_into("<II", image.data, at, 0, 0)
    else:
        raise SystemExit(__doc__)
    with open(target, "wb") as f:
        f.write(image.data)


if __name__ == "__main__":
    main(*sys.argv[1:])
