#!/usr/bin/env python3
"""Seed corpus for fuzz_unpack: one small archive per method and kind of
encryption, each behind an option byte (see fuzz_unpack.cpp).
Usage: make_unpack_seeds.py OUTDIR"""
import io
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
LEGACY = os.path.join(HERE, "..", "tests", "data", "legacy")
TEXT = b"".join(b"page %d of the book\r\n" % i for i in range(300))


def raw_archive(name, method, flag, crc, data, size):
    """One entry with already-encoded data (for methods no library writes)."""
    local = struct.pack("<IHHHHIIIIHH", 0x04034B50, 10, flag, method, 0, 0, crc, len(data), size,
                        len(name), 0) + name + data
    central = struct.pack("<IHHHHHIIIIHHHHHII", 0x02014B50, 10, 10, flag, method, 0, 0, crc, len(data),
                          size, len(name), 0, 0, 0, 0, 0x20, 0) + name
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 1, 1, len(central), len(local), 0)
    return local + central + end


def legacy_seeds():
    """The smallest entry of each legacy method, rewrapped on its own and cut
    short (the decoders stop quietly where the data ends)."""
    seeds = {}
    for archive, methods in (("Zip.shrink.zip", (1,)), ("Zip.reduce2.zip", (3,)), ("Zip.implode.zip", (6,))):
        path = os.path.join(LEGACY, archive)
        if not os.path.exists(path):
            continue
        blob = open(path, "rb").read()
        with zipfile.ZipFile(path) as z:
            info = min((i for i in z.infolist() if i.compress_type in methods), key=lambda i: i.compress_size)
        start = info.header_offset + 30 + struct.unpack_from("<HH", blob, info.header_offset + 26)[0] + \
            struct.unpack_from("<HH", blob, info.header_offset + 26)[1]
        data = blob[start:start + min(info.compress_size, 6000)]
        seeds[archive.split(".")[1]] = raw_archive(b"TEXT.TXT", info.compress_type, info.flag_bits, info.CRC,
                                                   data, info.file_size)
    return seeds


def tool_seeds(work):
    seeds = {}
    with open(os.path.join(work, "page.txt"), "wb") as f:
        f.write(TEXT[:2000])
    commands = {
        "traditional": ["zip", "-q", "-X", "-P", "secret", "t.zip", "page.txt"],
        "aes128": ["7z", "a", "-tzip", "-mem=AES128", "-psecret", "t.zip", "page.txt"],
        "aes256stored": ["7z", "a", "-tzip", "-mx=0", "-mem=AES256", "-psecret", "t.zip", "page.txt"],
    }
    for name, command in commands.items():
        if shutil.which(command[0]) is None:
            continue
        target = os.path.join(work, "t.zip")
        if os.path.exists(target):
            os.remove(target)
        if subprocess.run(command, cwd=work, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0:
            seeds[name] = open(target, "rb").read()
    return seeds


class _Unseekable(io.RawIOBase):
    """Makes zipfile write as to a pipe: data descriptors, no sizes in the local headers."""
    def __init__(self):
        self.data = bytearray()

    def writable(self):
        return True

    def write(self, b):
        self.data += b
        return len(b)


def streamed_seed():
    """A streamed archive whose end record is cut off: the rebuild from local
    headers has to find each entry's sizes in its data descriptor."""
    sink = _Unseekable()
    with zipfile.ZipFile(sink, "w") as z:
        with z.open(zipfile.ZipInfo("files/book.bin"), "w") as f:
            f.write(TEXT[:700])
        info = zipfile.ZipInfo("files/page.txt")
        info.compress_type = zipfile.ZIP_DEFLATED
        with z.open(info, "w") as f:
            f.write(TEXT[:1500])
    return bytes(sink.data[:-22])


def main(out):
    os.makedirs(out, exist_ok=True)
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w") as z:
        z.writestr(zipfile.ZipInfo("book.swf"), b"FWS\x0a" + bytes(20))
        z.writestr(zipfile.ZipInfo("files/book.bin"), TEXT[:500], zipfile.ZIP_DEFLATED)
        z.writestr(zipfile.ZipInfo("files/empty"), b"")
    seeds = {"book": buf.getvalue()}
    deflated = zlib.compressobj(9, zlib.DEFLATED, -15)
    packed = deflated.compress(TEXT) + deflated.flush()
    seeds["bomb"] = raw_archive(b"big.bin", 8, 0, zlib.crc32(TEXT), packed, 0xFFFFFFF0)
    seeds["streamed"] = streamed_seed()
    seeds.update(legacy_seeds())
    with tempfile.TemporaryDirectory() as work:
        seeds.update(tool_seeds(work))
    for name, data in seeds.items():
        for options in (0x00, 0x01, 0x06, 0x09, 0x31):
            with open(os.path.join(out, "%s-%02x" % (name, options)), "wb") as f:
                f.write(bytes([options]) + data)


if __name__ == "__main__":
    main(sys.argv[1])
