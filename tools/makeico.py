#!/usr/bin/env python3
"""Packs PNG images into one Windows .ico file, each image stored as PNG (which Windows reads
at every size since Vista): makeico.py OUT.ico IMAGE.png..."""
import struct
import sys


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise ValueError("not a PNG file")
    return struct.unpack(">II", data[16:24])


def ico(images):
    """The .ico bytes for a list of PNG files' contents."""
    header = struct.pack("<HHH", 0, 1, len(images))
    entries, offset = b"", 6 + 16 * len(images)
    for data in images:
        w, h = png_size(data)
        if w > 256 or h > 256:
            raise ValueError("an icon is at most 256x256, not %dx%d" % (w, h))
        # 256 is written as 0: the field is one byte.
        entries += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return header + entries + b"".join(images)


def main():
    if len(sys.argv) < 3:
        sys.exit("usage: makeico.py OUT.ico IMAGE.png...")
    images = []
    for path in sys.argv[2:]:
        with open(path, "rb") as f:
            images.append(f.read())
    with open(sys.argv[1], "wb") as f:
        f.write(ico(images))


if __name__ == "__main__":
    main()
