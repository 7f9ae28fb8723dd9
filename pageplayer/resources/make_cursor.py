#!/usr/bin/env python3
"""Writes a 32x32 monochrome cursor file (a pointing hand) for the resources."""
import struct
import sys

# '#' black, '.' white, ' ' transparent; hot spot at the fingertip.
SHAPE = [
    "     ##",
    "    #..#",
    "    #..#",
    "    #..#",
    "    #..###",
    "    #..#..###",
    "    #..#..#..##",
    " ## #..#..#..#.#",
    "#..##........#.#",
    "#...#..........#",
    " #.............#",
    "  #............#",
    "  #...........#",
    "   #..........#",
    "   #.........#",
    "    #........#",
    "    ##########",
]
SIZE = 32
HOT_X, HOT_Y = 5, 0


def rows():
    for y in range(SIZE):
        line = SHAPE[y] if y < len(SHAPE) else ""
        yield [line[x] if x < len(line) else " " for x in range(SIZE)]


def mask(select):
    out = bytearray()
    for row in reversed(list(rows())):  # bottom-up bitmap
        bits = 0
        for x, ch in enumerate(row):
            if select(ch):
                bits |= 1 << (31 - x)
        out += struct.pack(">I", bits)
    return bytes(out)


def main(path):
    xor = mask(lambda ch: ch == ".")  # white pixels
    and_ = mask(lambda ch: ch == " ")  # transparent pixels
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 1, 0, len(xor) + len(and_), 0, 0, 2, 0)
    palette = struct.pack("<II", 0x000000, 0xFFFFFF)
    image = header + palette + xor + and_
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 2, 0, HOT_X, HOT_Y, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + entry + image)


if __name__ == "__main__":
    main(sys.argv[1])
