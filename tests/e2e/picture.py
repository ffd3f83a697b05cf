"""Screenshots reduced to the game's own 160x120 picture, the 8x8 font, and drawing in the
same way the game draws, so that expected frames can be compared pixel for pixel."""

BUFFER_W, BUFFER_H = 160, 120
SCALE = 4
DISPLAY_W, DISPLAY_H = BUFFER_W * SCALE, BUFFER_H * SCALE

BLACK = 0x000000
WHITE = 0xFFFFFF
GREY = 0x646464  # (100, 100, 100)

CELL = 8       # the font's character cell
LINE_PITCH = 10


def rgb(colour):
    return "(%d, %d, %d)" % (colour >> 16, (colour >> 8) & 255, colour & 255)


class Font:
    """Allegro's built-in font as the font dump wrote it: each glyph a 64-bit ink mask,
    bit y*8+x."""

    def __init__(self, path):
        self.glyphs = {}
        with open(path) as f:
            for line in f:
                code, *rows = line.split()
                mask = 0
                for y, row in enumerate(rows):
                    for x, c in enumerate(row):
                        if c == "#":
                            mask |= 1 << (y * CELL + x)
                self.glyphs[chr(int(code))] = mask
        self.bymask = {m: ch for ch, m in self.glyphs.items()}


class Picture:
    """A 160x120 picture, rows of 0xRRGGBB integers."""

    def __init__(self, rows=None):
        self.rows = rows or [[BLACK] * BUFFER_W for _ in range(BUFFER_H)]

    def __eq__(self, other):
        return isinstance(other, Picture) and self.rows == other.rows

    def px(self, x, y):
        return self.rows[y][x]

    def put(self, x, y, colour):
        if 0 <= x < BUFFER_W and 0 <= y < BUFFER_H:
            self.rows[y][x] = colour

    def rect(self, x1, y1, x2, y2, colour):
        for x in range(x1, x2 + 1):
            self.put(x, y1, colour)
            self.put(x, y2, colour)
        for y in range(y1, y2 + 1):
            self.put(x1, y, colour)
            self.put(x2, y, colour)

    def text(self, font, s, x, y, fg, bg):
        """textout_ex: each character an opaque cell, clipped at the picture's edges."""
        for i, ch in enumerate(s):
            mask = font.glyphs[ch]
            for gy in range(CELL):
                for gx in range(CELL):
                    ink = mask >> (gy * CELL + gx) & 1
                    self.put(x + i * CELL + gx, y + gy, fg if ink else bg)

    def cell(self, x, y):
        """The 64 pixels of the character cell at (x, y); None for pixels off the picture."""
        out = []
        for gy in range(CELL):
            for gx in range(CELL):
                px, py = x + gx, y + gy
                inside = 0 <= px < BUFFER_W and 0 <= py < BUFFER_H
                out.append(self.rows[py][px] if inside else None)
        return out

    def differences(self, other, limit=8):
        """Where two pictures differ: up to limit (x, y, ours, theirs), and the count."""
        found, count = [], 0
        for y in range(BUFFER_H):
            a, b = self.rows[y], other.rows[y]
            if a == b:
                continue
            for x in range(BUFFER_W):
                if a[x] != b[x]:
                    count += 1
                    if len(found) < limit:
                        found.append((x, y, a[x], b[x]))
        return found, count

    def colours(self):
        return {c for row in self.rows for c in row}


def describe_differences(expected, seen):
    found, count = expected.differences(seen)
    where = ", ".join("(%d,%d) expected %s saw %s" % (x, y, rgb(a), rgb(b))
                      for x, y, a, b in found)
    return "%d pixels differ: %s" % (count, where)


class Screenshot:
    """The root window as xwd gave it, with the game's picture found in its middle: the game
    stretches 160x120 four times to 640x480, centred when the root is larger."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data
        self.ox = (width - DISPLAY_W) // 2
        self.oy = (height - DISPLAY_H) // 2
        self._picture = None

    @staticmethod
    def from_ppm(ppm):
        # P6 header: magic, width, height, maxval, separated by white space and comments.
        fields, pos = [], 0
        while len(fields) < 4:
            while ppm[pos:pos + 1].isspace() or ppm[pos:pos + 1] == b"#":
                if ppm[pos:pos + 1] == b"#":
                    pos = ppm.index(b"\n", pos)
                pos += 1
            start = pos
            while not ppm[pos:pos + 1].isspace():
                pos += 1
            fields.append(ppm[start:pos])
        if fields[0] != b"P6" or fields[3] != b"255":
            raise ValueError("not an 8-bit binary PPM")
        w, h = int(fields[1]), int(fields[2])
        return Screenshot(w, h, ppm[pos + 1:pos + 1 + w * h * 3])

    def row(self, y):
        return self.data[y * self.width * 3:(y + 1) * self.width * 3]

    def picture(self):
        """The 160x120 picture, one screen pixel sampled from each 4x4 block."""
        if self._picture is None:
            rows = []
            for by in range(BUFFER_H):
                line = self.row(self.oy + by * SCALE)
                start = self.ox * 3
                r = line[start:start + DISPLAY_W * 3:SCALE * 3]
                g = line[start + 1:start + DISPLAY_W * 3:SCALE * 3]
                b = line[start + 2:start + DISPLAY_W * 3:SCALE * 3]
                rows.append([(r[i] << 16) | (g[i] << 8) | b[i] for i in range(BUFFER_W)])
            self._picture = Picture(rows)
        return self._picture

    def blocks_uniform(self):
        """Whether every 4x4 block of the 640x480 area repeats one pixel: the picture is the
        160x120 one stretched, not drawn at screen resolution."""
        pic = self.picture()
        for by in range(BUFFER_H):
            want = b"".join(
                ((c >> 16) & 255).to_bytes(1, "big") + ((c >> 8) & 255).to_bytes(1, "big")
                + (c & 255).to_bytes(1, "big") for c in pic.rows[by] for _ in range(SCALE))
            for dy in range(SCALE):
                line = self.row(self.oy + by * SCALE + dy)
                if line[self.ox * 3:(self.ox + DISPLAY_W) * 3] != want:
                    return False
        return True

    def outside_black(self):
        """Whether everything around the 640x480 area is black."""
        if self.width == DISPLAY_W and self.height == DISPLAY_H:
            return True
        zero_row = bytes(self.width * 3)
        for y in range(self.height):
            line = self.row(y)
            if y < self.oy or y >= self.oy + DISPLAY_H:
                if line != zero_row:
                    return False
            elif any(line[:self.ox * 3]) or any(line[(self.ox + DISPLAY_W) * 3:]):
                return False
        return True

    def save_png(self, path, convert):
        import subprocess
        header = b"P6\n%d %d\n255\n" % (self.width, self.height)
        subprocess.run([convert, "ppm:-", path], input=header + self.data, check=True)


def ink_mask(cell, fg, bg):
    """The ink of a cell drawn in exactly fg on bg, or None if some pixel is neither."""
    mask = 0
    for i, c in enumerate(cell):
        if c == fg:
            mask |= 1 << i
        elif c != bg:
            return None
    return mask


def read_text(pic, font, x, y, n, fg, bg):
    """The n characters drawn at (x, y) in exactly fg on bg; '?' where a cell holds
    something else."""
    out = []
    for i in range(n):
        mask = ink_mask(pic.cell(x + i * CELL, y), fg, bg)
        out.append(font.bymask.get(mask, "?") if mask is not None else "?")
    return "".join(out)

