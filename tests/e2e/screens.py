"""The three screens as the game lays them out in its 160x120 picture: expected frames drawn
the way the game draws them, and reading back text that the harness cannot know in advance."""
from picture import BLACK, BUFFER_H, BUFFER_W, CELL, GREY, LINE_PITCH, WHITE, Picture, \
    ink_mask, read_text
import story

INTRO_TEXT = "Ossiander presents"
INTRO_AT = (4, 50)

TITLE_TEXT = ("Vellmora", 51, 31)
MENU = (("Begin", 59, 60), ("Leave", 59, 82))

BOXES = ((0, 74, 79, 96), (80, 74, 159, 96), (0, 97, 79, 119), (80, 97, 159, 119))
LABELS = ((4, 77), (84, 77), (4, 100), (84, 100))
FRAMES = ((1, 75, 78, 95), (81, 75, 158, 95), (1, 98, 78, 118), (81, 98, 158, 118))
PANEL = (4, 4)
PANEL_ROWS = range((BUFFER_H - PANEL[1] + LINE_PITCH - 1) // LINE_PITCH)  # rows on screen


def intro_colours(pic, font):
    """The colours of the intro line if the picture is the intro splash (the line in one or
    more non-black colours, everything else black), else None."""
    x0, y0 = INTRO_AT
    colours = set()
    for i, ch in enumerate(INTRO_TEXT):
        cell = pic.cell(x0 + i * CELL, y0)
        ink = 0
        for j, c in enumerate(cell):
            if c != BLACK:
                ink |= 1 << j
                colours.add(c)
        if ink != font.glyphs[ch]:
            return None
    x1, y1 = x0 + len(INTRO_TEXT) * CELL, y0 + CELL
    for y in range(BUFFER_H):
        row = pic.rows[y]
        if y0 <= y < y1:
            if any(row[:x0]) or any(row[x1:]):
                return None
        elif any(row):
            return None
    return colours


def title(font, selected):
    pic = Picture()
    text, x, y = TITLE_TEXT
    pic.text(font, text, x, y, WHITE, BLACK)
    for i, (item, x, y) in enumerate(MENU):
        fg, bg = (GREY, WHITE) if i == selected else (WHITE, BLACK)
        pic.text(font, item, x, y, fg, bg)
    return pic


def outlines():
    pic = Picture()
    for box in BOXES:
        pic.rect(*box, WHITE)
    return pic


def draw_labels(pic, font, labels):
    for (x, y), label in zip(LABELS, labels[:4]):
        for j, line in enumerate(story.wrap(label, story.LABEL_WIDTH)):
            if line is not None:
                pic.text(font, line, x, y + j * LINE_PITCH, WHITE, BLACK)


def game(font, panel_lines, labels, frame):
    """A game frame: outlines, the text panel's lines, the labels, and the selection frame
    around box `frame` (None for none), in the order the game draws them."""
    pic = outlines()
    for k, line in enumerate(panel_lines):
        if line is not None:
            pic.text(font, line, PANEL[0], PANEL[1] + k * LINE_PITCH, WHITE, BLACK)
    draw_labels(pic, font, labels)
    if frame is not None and 0 <= frame < 4:
        pic.rect(*FRAMES[frame], WHITE)
    return pic


def covered(font, labels, frame):
    """Pixels drawn after the text panel, which may hide parts of it."""
    marker = 1
    pic = Picture([[0] * BUFFER_W for _ in range(BUFFER_H)])
    for (x, y), label in zip(LABELS, labels[:4]):
        for j, line in enumerate(story.wrap(label, story.LABEL_WIDTH)):
            if line is not None:
                pic.text(font, line, x, y + j * LINE_PITCH, marker, marker)
    if frame is not None and 0 <= frame < 4:
        pic.rect(*FRAMES[frame], marker)
    return pic


class Panel:
    """What each character cell of the text panel can hold, judged from the pixels that
    nothing drawn later hides: a set of characters, None standing for an undrawn cell."""

    def __init__(self, pic, font, labels, frame):
        base = outlines()
        hidden = covered(font, labels, frame)
        glyphs = list(font.glyphs.items())
        self.cells = []
        for k in PANEL_ROWS:
            row = []
            for c in range(story.PANEL_WIDTH):
                x, y = PANEL[0] + c * CELL, PANEL[1] + k * LINE_PITCH
                seen, under, cover = pic.cell(x, y), base.cell(x, y), hidden.cell(x, y)
                visible = [seen[i] is not None and not cover[i] for i in range(CELL * CELL)]
                options = set()
                if all(seen[i] == under[i] for i in range(CELL * CELL) if visible[i]):
                    options.add(None)
                vis = sum(1 << i for i in range(CELL * CELL) if visible[i])
                ink = ink_mask([seen[i] if visible[i] else BLACK for i in range(CELL * CELL)],
                               WHITE, BLACK)
                if ink is not None:
                    options.update(ch for ch, m in glyphs if (m ^ ink) & vis == 0)
                row.append(options)
            self.cells.append(row)

    def line_fits(self, k, line):
        if k >= len(self.cells):
            return True  # below the picture: clipped away
        row = self.cells[k]
        for c in range(story.PANEL_WIDTH):
            ch = line[c] if line is not None and c < len(line) else None
            if ch not in row[c]:
                return False
        return True

    def shows(self, text):
        """Whether the panel shows exactly text, wrapped as the game wraps it."""
        lines = story.wrap(text, story.PANEL_WIDTH)
        return all(self.line_fits(k, lines[k] if k < len(lines) else None)
                   for k in range(len(self.cells)))

    def decode(self, choices):
        """The texts made of one choice per token that the panel shows. A line is checked as
        soon as enough text follows it to fix where it breaks."""
        found = []

        def extend(i, text, checked):
            spans = story.wrap_spans(text, story.PANEL_WIDTH)
            fixed = [s for s in spans if len(text) > s[0] + story.PANEL_WIDTH]
            for k in range(checked, len(fixed)):
                if not self.line_fits(k, fixed[k][1]):
                    return
            if i == len(choices):
                if self.shows(text):
                    found.append(text)
                return
            for tok in choices[i]:
                extend(i + 1, text + tok, len(fixed))

        extend(0, "", 0)
        return found

    def guess(self):
        """A reading of the panel for text the harness cannot predict: the lines, each the
        characters of its cells up to the first that nothing was drawn in, lower case
        preferred where the visible pixels allow several characters."""
        lines = []
        for row in self.cells:
            cells = []
            for options in row:
                chars = sorted(o for o in options if o is not None)
                if not chars:
                    break
                preferred = [ch for ch in chars if not ch.isupper()] or chars
                cells.append((" " if " " in preferred else preferred[0], None in options))
            while cells and cells[-1][0] == " " and cells[-1][1]:
                cells.pop()
            if not cells:
                break
            lines.append("".join(ch for ch, _ in cells))
        return lines


# ---- reading back what a screen says, in words ------------------------------------------

def read_run(pic, font, x, y, fg, bg, n=BUFFER_W // CELL):
    """The characters drawn at (x, y) in exactly fg on bg, up to n of them, ending at the first
    cell that holds something else; blank cells at the end dropped."""
    text = read_text(pic, font, x, y, min(n, (BUFFER_W - x) // CELL), fg, bg)
    return text.split("?")[0].rstrip()


def read_splash(pic, font):
    colours = intro_colours(pic, font)
    if not colours or len(colours) != 1:
        return None
    return read_run(pic, font, INTRO_AT[0], INTRO_AT[1], colours.pop(), BLACK)


def read_title(pic, font):
    """The title's name and its highlighted item, as read from the picture."""
    said = [read_run(pic, font, TITLE_TEXT[1], TITLE_TEXT[2], WHITE, BLACK)]
    said += [read_run(pic, font, x, y, GREY, WHITE) for _, x, y in MENU]
    return [t for t in said if t]


def framed_box(pic):
    """The box the selection frame marks, or None."""
    for i, (x1, y1, x2, y2) in enumerate(FRAMES):
        if all(pic.px(x, y) == WHITE for x, y in ((x1, y1), (x2, y2), (x1, y2), (x2, y1))):
            return i
    return None


def read_label(pic, font, box):
    """The label in a box, its lines joined with spaces."""
    x, y = LABELS[box]
    lines = [read_run(pic, font, x, y + k * LINE_PITCH, WHITE, BLACK, story.LABEL_WIDTH)
             for k in range(2)]
    return " ".join(t for t in lines if t)


def describe(pic, font):
    """A short account of a picture, for messages when it is not what a case waits for."""
    if intro_colours(pic, font):
        return "the intro splash"
    for selected in (0, 1):
        if pic == title(font, selected):
            return "the title with %s highlighted" % MENU[selected][0]
    grid = all(pic.px(x, y) == WHITE for x1, y1, x2, y2 in BOXES
               for x, y in ((x1, y1), (x2, y2)))
    colours = pic.colours()
    if grid:
        frames = [i for i, f in enumerate(FRAMES) if all(pic.px(x, y) == WHITE
                                                         for x, y in ((f[0], f[1]), (f[2], f[3])))]
        panel = Panel(pic, font, [], None).guess()
        return "a game screen: panel %r, selection frame on %s" % (panel, frames or "no box")
    if colours == {BLACK}:
        return "a black picture"
    return "something else (%d colours, e.g. title line reads %r)" % (
        len(colours), read_text(pic, font, TITLE_TEXT[1], TITLE_TEXT[2], 8, WHITE, BLACK))
