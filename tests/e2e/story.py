"""What the game is expected to say: the fixed texts it shows, a model of one game's option
list, and the word distortion reduced to what can be checked from outside (a shown word is
either the word as written or its nearest word in the game's lexicon)."""
import re

OPENING_LINES = (
    "i feel so, so pensive today...",
    "i can't remember the last time i felt this way.",
    "there's something about this place that always brings these emotions back to me.",
    "i feel like i'm loosing control...",
    "why can't i just pull myself together?",
    "i'm feeling so...so happy today",
)

# Each monologue's length with its first and last line; the lines between are the game's own.
MONOLOGUES = (
    (6, "I remember the trees outside; how they swayed and shook as the ground trembled. ",
     "My poor dog, jeff. "),
    (8, "the air outside is so cool today. ", "not until the rain begins to fall again. "),
    (6, "i can still feel the warmth of the sun. ", "that's why i stay indoors now. "),
    (7, "i can't remember where i left my keys. ", "i haven't driven in years. "),
    (8, "i have to go to the shops later. ", "and leaves me alone. "),
    (8, "it started snowing outside this morning. ", "if they would survive 'til summer. "),
)

LEXICONS = (
    ("fat", "man", "violent", "stranger", "menace"),
    ("violent", "husband", "man", "strike", "defenceless"),
    ("cooling", "sunlit", "honey", "gleam", "standing"),
    ("wretch", "shame", "dishonest", "lies", "deceit", "anger"),
    ("wealthy", "fame", "star", "power", "anger"),
    ("teamwork", "cooperation", "management", "strategy", "mentoring", "empowering"),
    ("heterocentric", "phallic", "labial", "oppression", "patriarchy", "discrimination"),
    ("body", "dirty", "rape", "other"),
    ("handsome", "lovely", "dashing", "love"),
)


def conv(option, response, *followups):
    return (option, response, followups)


OPTION_TREES = (
    (
        conv("look around ", "the room is large and spacious.  there is a table in the corner. ",
             conv("examine table  ", "there are many books on it, and a letter. ",
                  conv("look at books ", "dusty old volumes; they've not been read in years. "),
                  conv("open envelope ", "you break the seal, and pull out the paper inside. ",
                       conv("read letter", "it's a thank you note, from your sister. ")))),
        conv("go to window", "you walk to the window by the corner; the blinds are drawn. ",
             conv("pull back curtains", "you pull the curtains back; it is dark outside. ",
                  conv("close curtains ", "you close the curtains again. "))),
    ),
    (
        conv("look around ", "you find yourself in a bedroom. ",
             conv("look at bed ", "the duvet is on the floor. ",
                  conv("make the bed ", "you pull the sheets up, and put the duvet back over. ",
                       conv("look at locker ", "there's a lamp on it, and it has a drawer. ",
                            conv("open drawer ", "there is a diary in the drawer. ",
                                 conv("read the diary",
                                      "you've never read someone's diary before; you hesitate. ",
                                      conv("read the diary ",
                                           "you open the book, and begin to read. ")))))),
             conv("leave", "you...you don't feel inclined to leave. ")),
    ),
)

CHOICES_PER_GAME = 8
PANEL_WIDTH = 19  # characters per line of the text panel
LABEL_WIDTH = 9   # characters per line of an option label


def wrap(text, n):
    """The lines the game draws for text at a line width of n characters (None for a lone
    newline, which takes a line but is not drawn)."""
    return [line for _, line in wrap_spans(text, n)]


def wrap_spans(text, n):
    """wrap, with the position in text where each line starts."""
    lines = []
    p = 0
    while n > 0 and p < len(text):
        start = p
        reach = text[p + 1:p + 1 + n]
        rest = len(text) - p
        if "\n" in reach:
            end = p + 1 + reach.index("\n")
            line, p = text[p:end], end + 1
        elif rest <= n:
            line, p = text[p:], len(text)
        elif " " in reach:
            end = p + 1 + reach.rindex(" ")
            line, p = text[p:end], end + 1
        else:
            line, p = text[p:p + n], p + n
        lines.append((start, None if line == "\n" else line))
    return lines


def tokens(text):
    """Words (runs of letters, lowered) and single other characters, in order."""
    return re.findall(r"[A-Za-z]+|[^A-Za-z]", text.lower())


def distance(a, b):
    row = list(range(len(b) + 1))
    for i, ca in enumerate(a, 1):
        prev, row[0] = row[0], i
        for j, cb in enumerate(b, 1):
            prev, row[j] = row[j], min(prev + (ca != cb), row[j - 1] + 1, row[j] + 1)
    return row[len(b)]


_nearest = {}


def nearest(word, lexicon):
    """The lexicon word closest to word; ties go to the earlier one."""
    key = (word, lexicon)
    if key not in _nearest:
        _nearest[key] = min(lexicon, key=lambda w: distance(word, w))
    return _nearest[key]


def variants(text, lexicon, every_word):
    """Each way the filter can show text with this lexicon, as a list of per-token choices."""
    choices = []
    for tok in tokens(text):
        if tok.isalpha():
            near = nearest(tok, lexicon)
            choices.append((near,) if every_word else tuple(dict.fromkeys((tok, near))))
        else:
            choices.append((tok,))
    return choices


class Game:
    """The harness's model of one game: open options, highlight, turn, text panel."""

    def __init__(self, tree):
        self.tree = tree
        self.open = list(OPTION_TREES[tree])
        self.selected = 0
        self.turn = 0
        self.panel = ""        # the text panel while choosing: the opening line, then empty
        self.monologue = None  # index into MONOLOGUES once the first line has been read
        self.lexicons = set(range(len(LEXICONS)))

    def labels(self):
        return [c[0] for c in self.open[:4]]

    def move(self, key):
        """The highlight after a fresh press of an arrow key in the choosing phase."""
        if key in ("Up", "Down"):
            new = (self.selected + 2) % 4
        else:
            new = self.selected - 1 if self.selected in (1, 3) else self.selected + 1
        if new < len(self.open):
            self.selected = new

    def monologue_line(self):
        """The known text of this turn's monologue line, None when it is one of the game's
        own middle lines, or False when the monologue is used up."""
        if self.monologue is None:
            return None
        length, first, last = MONOLOGUES[self.monologue]
        if self.turn >= length:
            return False
        if self.turn == 0:
            return first
        return last if self.turn == length - 1 else None

    def response(self):
        return self.open[self.selected][1]

    def choose(self):
        chosen = self.open.pop(self.selected)
        self.open.extend(chosen[2])
        if self.selected >= len(self.open):
            self.selected = len(self.open) - 1
        self.turn += 1
        self.panel = ""
