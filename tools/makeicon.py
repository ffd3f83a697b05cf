#!/usr/bin/env python3
"""Draws Vellmora's icon from the game's own look: the title's first letter in the built-in
8x8 font, inside the frame that marks the chosen action, on a black rounded square. Writes
an RGBA PNG at every size the desktop asks for and the same picture as a scalable SVG; with
--maskable, opaque PNGs for launchers that cut their own shape out of an icon.
Output is byte-for-byte repeatable."""
import os
import struct
import sys
import zlib

GRID = 16       # the picture is drawn on a 16x16 grid and scaled by whole numbers
RADIUS = 3      # corner radius of the square, in grid units
FRAME = 2       # inset of the one-unit frame, as the game frames a chosen box
INK = (255, 255, 255)
PAPER = (0, 0, 0)


def loadglyphs(path):
    """Character -> 8 rows of booleans, from the file the font dump writes."""
    glyphs = {}
    with open(path) as f:
        for line in f:
            code, *rows = line.split()
            glyphs[chr(int(code))] = [[c == "#" for c in row] for row in rows]
    return glyphs


def inked(glyph):
    """The rows and columns of a glyph that hold ink: (left, top, right, bottom)."""
    cols = [x for row in glyph for x, ink in enumerate(row) if ink]
    rows = [y for y, row in enumerate(glyph) if any(row)]
    return min(cols), min(rows), max(cols) + 1, max(rows) + 1


def picture(glyphs):
    """GRID x GRID booleans: the frame and the letter V, centred on its ink."""
    ink = [[False] * GRID for _ in range(GRID)]
    last = GRID - 1 - FRAME
    for i in range(FRAME, last + 1):
        ink[FRAME][i] = ink[last][i] = ink[i][FRAME] = ink[i][last] = True
    glyph = glyphs["V"]
    left, top, right, bottom = inked(glyph)
    x0 = (GRID - (right - left)) // 2 - left
    y0 = (GRID - (bottom - top) + 1) // 2 - top
    for gy, row in enumerate(glyph):
        for gx, on in enumerate(row):
            if on:
                ink[y0 + gy][x0 + gx] = True
    return ink


def coverage(size, x, y):
    """How much of pixel (x, y) the rounded square covers, from a 4x4 sample grid."""
    r = RADIUS * size / GRID
    if r <= x <= size - r - 1 or r <= y <= size - r - 1:
        return 1.0
    inside = 0
    for sy in range(4):
        for sx in range(4):
            px, py = x + (sx + 0.5) / 4, y + (sy + 0.5) / 4
            cx = min(max(px, r), size - r)
            cy = min(max(py, r), size - r)
            inside += (px - cx) ** 2 + (py - cy) ** 2 <= r * r
    return inside / 16


def raster(ink, size):
    """RGBA rows at one size: the grid scaled by nearest neighbour, the corners smoothed."""
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            colour = INK if ink[y * GRID // size][x * GRID // size] else PAPER
            row += bytes(colour) + bytes([round(255 * coverage(size, x, y))])
        rows.append(bytes(row))
    return rows


def maskable(ink, size):
    """RGB rows at one size, opaque to the edges: launchers cut a circle or a rounded square
    out of it, so the picture shrinks to 5/8 of the side, where its frame's corners stay
    well inside the circle of 2/5 of the side that every mask keeps."""
    inner = size * 5 // 8
    off = (size - inner) // 2
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            gx, gy = (x - off) * GRID // inner, (y - off) * GRID // inner
            inside = 0 <= x - off < inner and 0 <= y - off < inner
            row += bytes(INK if inside and ink[gy][gx] else PAPER)
        rows.append(bytes(row))
    return rows


def png(rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    size = len(rows)
    colour = 6 if len(rows[0]) == 4 * size else 2  # RGBA, or RGB without an alpha channel
    raw = b"".join(b"\0" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, colour, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def svg(ink):
    """The same picture as vector shapes: each run of ink in a row is one rectangle."""
    runs = []
    for y, row in enumerate(ink):
        x = 0
        while x < GRID:
            if row[x]:
                end = x
                while end < GRID and row[end]:
                    end += 1
                runs.append("M%d %dh%dv1h-%dz" % (x, y, end - x, end - x))
                x = end
            else:
                x += 1
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">\n'
            '<rect width="%d" height="%d" rx="%d" fill="#%02x%02x%02x"/>\n'
            '<path fill="#%02x%02x%02x" shape-rendering="crispEdges" d="%s"/>\n'
            '</svg>\n' % ((GRID,) * 6 + (RADIUS,) + PAPER + INK + ("".join(runs),)))


def main():
    args = sys.argv[1:]
    masked = args[:1] == ["--maskable"]
    if masked:
        args = args[1:]
    if len(args) < 3:
        sys.exit("usage: makeicon.py [--maskable] GLYPHS OUTDIR SIZE...")
    ink = picture(loadglyphs(args[0]))
    outdir = args[1]
    for size in map(int, args[2:]):
        folder = os.path.join(outdir, "%dx%d" % (size, size), "apps")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "vellmora.png"), "wb") as f:
            f.write(png(maskable(ink, size) if masked else raster(ink, size)))
    if masked:
        return
    folder = os.path.join(outdir, "scalable", "apps")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "vellmora.svg"), "w") as f:
        f.write(svg(ink))


if __name__ == "__main__":
    main()
