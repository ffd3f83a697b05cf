#!/usr/bin/env python3
"""Draws Vellmora's icon from the game's own font: the title in white on black, as the title
screen shows it, at every size the desktop asks for. Output is byte-for-byte repeatable."""
import os
import struct
import sys
import zlib

def loadglyphs(path):
    """Character -> 8 rows of booleans, from the file the font dump writes."""
    glyphs = {}
    with open(path) as f:
        for line in f:
            code, *rows = line.split()
            glyphs[chr(int(code))] = [[c == "#" for c in row] for row in rows]
    return glyphs


def blank(w, h):
    return [[False] * w for _ in range(h)]


def stamp(picture, glyphs, text, x, y):
    for i, ch in enumerate(text):
        for gy, row in enumerate(glyphs[ch]):
            for gx, ink in enumerate(row):
                picture[y + gy][x + i * 8 + gx] |= ink


def title(glyphs):
    """32x32: the title broken over two lines of four characters."""
    picture = blank(32, 32)
    stamp(picture, glyphs, "Vell", 0, 7)
    stamp(picture, glyphs, "mora", 0, 17)
    return picture


def initial(glyphs):
    """8x8: the title's first letter, for sizes too small to read the whole word."""
    picture = blank(8, 8)
    stamp(picture, glyphs, "V", 0, 0)
    return picture


def scale(picture, size):
    """Nearest-neighbour, as the game stretches its own picture."""
    h, w = len(picture), len(picture[0])
    return [[picture[y * h // size][x * w // size] for x in range(size)] for y in range(size)]


def png(picture):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    h, w = len(picture), len(picture[0])
    raw = b"".join(b"\0" + b"".join(b"\xff\xff\xff" if ink else b"\0\0\0" for ink in row)
                   for row in picture)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def main():
    if len(sys.argv) < 4:
        sys.exit("usage: makeicon.py GLYPHS OUTDIR SIZE...")
    glyphs = loadglyphs(sys.argv[1])
    for size in map(int, sys.argv[3:]):
        source = initial(glyphs) if size < 32 else title(glyphs)
        folder = os.path.join(sys.argv[2], "%dx%d" % (size, size), "apps")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "vellmora.png"), "wb") as f:
            f.write(png(scale(source, size)))


if __name__ == "__main__":
    main()
