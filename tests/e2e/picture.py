"""Screenshots reduced to the game's own 160x120 picture, the 8x8 font, and drawing in the
same way the game draws, so that expected frames can be compared pixel for pixel."""

BUFFER_W, BUFFER_H = 160, 120

BLACK = 0x000000
WHITE = 0xFFFFFF
GREY = 0x646464  # (100, 100, 100)

CELL = 8       # the font's character cell
LINE_PITCH = 10


def placement(width, height):
    """Where the game puts its picture on a screen of this size: the largest whole scale k
    that fits, centred. Returns (k, x, y)."""
    k = max(1, min(width // BUFFER_W, height // BUFFER_H))
    return k, (width - BUFFER_W * k) // 2, (height - BUFFER_H * k) // 2


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
    """The root window (or one window) as xwd gave it, with the game's picture found where
    the game puts it: 160x120 stretched k times, centred."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data
        self.k, self.ox, self.oy = placement(width, height)
        self.pw, self.ph = BUFFER_W * self.k, BUFFER_H * self.k
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
        """The 160x120 picture, one screen pixel sampled from each k x k block."""
        if self._picture is None:
            rows = []
            k, start, end = self.k, self.ox * 3, (self.ox + self.pw) * 3
            for by in range(BUFFER_H):
                line = self.row(self.oy + by * k)
                r, g, b = (line[start + c:end:k * 3] for c in range(3))
                rows.append([(r[i] << 16) | (g[i] << 8) | b[i] for i in range(BUFFER_W)])
            self._picture = Picture(rows)
        return self._picture

    def stray_pixel(self):
        """The first screen pixel of the picture's area that differs from the buffer pixel
        it comes from, as (x, y); None when every k x k block repeats its one pixel."""
        pic, k = self.picture(), self.k
        for by in range(BUFFER_H):
            want = b"".join(c.to_bytes(3, "big") * k for c in pic.rows[by])
            for dy in range(k):
                y = self.oy + by * k + dy
                line = self.row(y)[self.ox * 3:(self.ox + self.pw) * 3]
                if line != want:
                    at = next(i for i in range(len(want)) if line[i] != want[i]) // 3
                    return self.ox + at, y
        return None

    def blocks_uniform(self):
        """Whether the picture is the 160x120 one stretched, not drawn at screen
        resolution."""
        return self.stray_pixel() is None

    def outside_black(self):
        """Whether everything around the picture's area is black."""
        left, right = self.ox * 3, (self.ox + self.pw) * 3
        for y in range(self.height):
            line = self.row(y)
            if y < self.oy or y >= self.oy + self.ph:
                if line.strip(b"\0"):
                    return False
            elif line[:left].strip(b"\0") or line[right:].strip(b"\0"):
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

