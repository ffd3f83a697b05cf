"""Playing the game from outside: waiting on what the screen shows, pressing keys, and the
checks for each kind of frame (intro, title, the phases of a turn)."""
import os
import subprocess
import sys
import time

from picture import WHITE, describe_differences, placement
from session import CONVERT, Failure, check
import screens
import story

POLL = 0.05


class Eye:
    """Watches the screen of one X server while one game runs on it."""

    def __init__(self, run, x, font, player):
        self.run, self.x, self.font, self.player = run, x, font, player
        self.last = None
        self.window = None  # the game's window, when it has one instead of the screen

    def shot(self):
        """A screenshot; every one of them must show black all around the picture."""
        self.last = self.x.screenshot(self.window)
        if not self.last.outside_black():
            self.fail("something other than black around the picture")
        return self.last

    def fail(self, message, expected=None):
        if expected is not None and self.last is not None:
            message += "; " + describe_differences(expected, self.last.picture())
        self.run.shots += 1
        name = self.run.path("failure-%d.png" % self.run.shots)
        if self.last is not None:
            self.last.save_png(name, CONVERT)
            message += "; last screen saved as %s: %s" % (
                name, screens.describe(self.last.picture(), self.font))
        raise Failure(message)

    def save(self, name):
        self.last.save_png(self.run.path(name), CONVERT)

    def _alive(self, what):
        if self.player is not None and not self.player.running():
            self.fail("the game ended (status %s) while waiting for %s; stderr: %s" % (
                self.player.proc.returncode, what, self.player.own_stderr()[-500:]))

    def wait(self, what, predicate, seconds=30, stable=True, give_up=None, expected=None):
        """Screenshots until predicate(shot) gives something that is true; with
        stable, only a picture that two screenshots in a row agree on counts, so a frame
        caught half drawn is never judged. Returns what the predicate gave."""
        deadline = time.monotonic() + self.run.limit(seconds)
        previous = None
        while True:
            shot = self.shot()
            pic = shot.picture()
            if not stable or pic == previous:
                found = predicate(shot)
                if found:
                    return found
            previous = pic
            self._alive(what)
            if give_up is not None and give_up():
                return None
            if time.monotonic() > deadline:
                self.fail("timed out after %ds waiting for %s" % (self.run.limit(seconds), what),
                          expected)
            time.sleep(POLL)

    def press(self, key, what, predicate, seconds=30, expected=None):
        """Holds a key, then waits for its effect. A press that a starved machine let slip
        past the game (the screen still exactly as before after a while) is made once more,
        except in quick mode, where every press must act."""
        before = self.shot().picture()
        self.x.hold(key)
        retry_at = time.monotonic() + self.run.limit(5)
        found = self.wait(what, predicate, seconds=10,
                          give_up=lambda: time.monotonic() > retry_at)
        if found:
            return found
        if self.last.picture() == before and not self.x.quick:
            self.run.log("no effect of %s yet; pressing it again" % key)
            self.x.hold(key)
        return self.wait(what, predicate, seconds, expected=expected)

    def expect(self, what, expected, key=None, seconds=30):
        """Waits for exactly this picture, after holding a key when one is given."""
        def same(shot):
            return shot.picture() == expected

        if key is None:
            return self.wait(what, same, seconds, expected=expected)
        return self.press(key, what, same, seconds, expected=expected)

    def leave(self, key, seconds=30):
        """Presses the key that ends the program and watches the screen until the game ends:
        no game frame may show after the title has let it go, not even for a moment. A
        separate process reads the server's screen memory directly, a few pixels at a time,
        from before the key goes down. Returns the exit status."""
        fb = self.x.framebuffer()
        k, ox, oy = placement(fb.width, fb.height)
        fb.close()
        corners = ["%d,%d" % (ox + x * k, oy + y * k)
                   for x1, y1, x2, y2 in screens.BOXES for x, y in ((x1, y1), (x2, y2))]
        watcher = subprocess.Popen(
            [sys.executable, os.path.join(os.path.dirname(__file__), "watchframe.py"),
             os.path.join(self.x.fbdir, "Xvfb_screen0")] + corners,
            stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        self.run.cleanups.append(lambda: watcher.poll() is None and watcher.kill())
        check(watcher.stdout.readline().startswith(b"watching"), "the frame watcher broke")
        self.x.hold(key)
        try:
            status = self.player.wait(seconds)
        finally:
            if watcher.poll() is None:
                watcher.terminate()
            said = watcher.communicate()[0].decode().strip()
        if watcher.returncode != 0:
            self.shot()
            self.fail("a game frame appeared after %s on the title (%s)" % (key, said))
        self.run.log("%s on the title: no game frame (%s) before the game ended" % (key, said))
        return status


def is_game(pic):
    """Any frame of a game: the outlines of the option grid are there."""
    return all(pic.px(x, y) == WHITE for x1, y1, x2, y2 in screens.BOXES
               for x, y in ((x1, y1), (x2, y2), (x1, y2), (x2, y1)))


def whole_screen_ok(shot):
    """The picture fills its place as k x k blocks, with black all around it."""
    return shot.blocks_uniform() and shot.outside_black()


# ---- intro and title ---------------------------------------------------------------------

def intro(eye):
    """Waits for the splash; returns the colours its line was drawn in."""
    return eye.wait('the intro splash ("Ossiander presents" at (4,50))',
                    lambda s: screens.intro_colours(s.picture(), eye.font), stable=False)


def title(eye, selected=0, key=None):
    """Waits for the title (after holding key, when given) with an item highlighted."""
    what = "the title with %s highlighted" % screens.MENU[selected][0]
    if key:
        what += " after %s" % key
    return eye.expect(what, screens.title(eye.font, selected), key)


def to_title(eye):
    intro(eye)
    title(eye, 0, "a")


# ---- a game ------------------------------------------------------------------------------

def opening(eye, key=None):
    """Waits for the first frame of a game (after holding key, when given): an opening line,
    the top options of one of the option trees, the selection frame on box 0. Returns the
    model of the game."""
    candidates = []
    for tree in range(len(story.OPTION_TREES)):
        labels = [c[0] for c in story.OPTION_TREES[tree]]
        for line in story.OPENING_LINES:
            pic = screens.game(eye.font, story.wrap(line, story.PANEL_WIDTH), labels, 0)
            candidates.append((pic, tree, line))

    def match(shot):
        pic = shot.picture()
        for expected, tree, line in candidates:
            if pic == expected:
                return tree, line
        return None

    what = ("the opening of a game (an opening line, the first options, the selection frame "
            "on box 0)")
    tree, line = eye.press(key, what, match) if key else eye.wait(what, match)
    eye.run.log("game with option tree %d opens with %r" % (tree, line))
    game = story.Game(tree)
    game.panel = line
    return game


def choosing_frame(eye, game):
    return screens.game(eye.font, story.wrap(game.panel, story.PANEL_WIDTH), game.labels(),
                        game.selected)


def move(eye, game, key):
    """An arrow in the choosing phase; waits for the frame where the model puts it. Returns
    whether the highlight moved."""
    before = game.selected
    game.move(key)
    if game.selected == before:
        eye.x.hold(key)  # no visible effect to wait for; the next frame checked shows it
        return False
    eye.expect("the selection frame on box %d after %s" % (game.selected, key),
               choosing_frame(eye, game), key)
    return True


def decode(eye, pic, game, original, every_word):
    """The lexicons (with the text) under which the panel shows original distorted as the
    filter may distort it, the rest of the frame being the game's grid without a frame."""
    panel = screens.Panel(pic, eye.font, game.labels(), None)
    found = {}
    for lex in sorted(game.lexicons):
        for text in panel.decode(story.variants(original, story.LEXICONS[lex], every_word)):
            expected = screens.game(eye.font, story.wrap(text, story.PANEL_WIDTH),
                                    game.labels(), None)
            if expected == pic:
                found[lex] = text
                break
    return found


def unknown_line(eye, pic, game):
    """A monologue line the harness has no text for: whatever it reads, lower case, with the
    grid unchanged and no selection frame."""
    panel = screens.Panel(pic, eye.font, game.labels(), None)
    lines = panel.guess()
    if not lines:
        return None
    if screens.game(eye.font, lines, game.labels(), None) != pic:
        return None
    return " ".join(lines)


def after_space(eye, game):
    """Space in the choosing phase: this turn's monologue line, or the response when the
    monologue is used up. Returns ("monologue" or "response", text)."""
    every = game.turn >= 7
    known = game.monologue_line()

    def match(shot):
        pic = shot.picture()
        if is_game(pic) and any(pic.px(f[0], f[1]) == WHITE for f in screens.FRAMES):
            return None  # still choosing
        if known is False:
            found = decode(eye, pic, game, game.response(), every)
            return ("response", found) if found else None
        if known is None and game.monologue is None:
            for m, (_, first, _) in enumerate(story.MONOLOGUES):
                found = decode(eye, pic, game, first, every)
                if found:
                    game.monologue = m
                    return ("monologue", found)
            return None
        if known is None:
            found = decode(eye, pic, game, game.response(), every)
            if found:
                return ("response", found)  # wrong, but say what was seen
            text = unknown_line(eye, pic, game)
            return ("monologue", {lex: text for lex in game.lexicons}) if text else None
        found = decode(eye, pic, game, known, every)
        return ("monologue", found) if found else None

    expected = "response" if known is False else "monologue"
    kind, found = eye.press("space", "turn %d: %s" % (game.turn, "the response"
                            if known is False else "a monologue line without selection frame"),
                            match)
    check(kind == expected, "turn %d: the %s was shown where the %s belongs" % (
        game.turn, kind, expected))
    return kind, narrow(eye, game, found)


def response(eye, game):
    every = game.turn >= 7

    def match(shot):
        return decode(eye, shot.picture(), game, game.response(), every) or None

    found = eye.press("space", "turn %d: the response to %r" % (game.turn, game.labels()[
        game.selected]), match)
    return narrow(eye, game, found)


def narrow(eye, game, found):
    """Keeps the lexicons the shown words allow; returns the text shown."""
    game.lexicons &= set(found)
    check(game.lexicons, "no lexicon explains the words shown: %r" % found)
    return found[min(game.lexicons)]


def apply_choice(eye, game):
    """Space in the response phase: the choice is applied. Waits for the next turn's
    choosing frame, or for the title when no option is left."""
    label = game.labels()[game.selected]
    game.choose()
    if not game.open:
        title(eye, 0, "space")
        return False
    eye.expect("turn %d: options %r with the frame on box %d after choosing %r" % (
        game.turn, game.labels(), game.selected, label), choosing_frame(eye, game), "space")
    return True


def turn(eye, game, keys=(), stage=None):
    """One whole turn: arrows, Space, Space (when a monologue line comes first), Space.
    stage(name, turn), when given, is called as each new frame has been seen ("move",
    "monologue", "response", "next"). Returns whether the game goes on, and the lines shown."""
    t = game.turn
    stage = stage or (lambda name, t: None)
    for key in keys:
        if move(eye, game, key):
            stage("move", t)
    label = game.labels()[game.selected]
    kind, text = after_space(eye, game)
    stage(kind, t)
    shown = [(kind, text)]
    if kind == "monologue":
        text = response(eye, game)
        shown.append(("response", text))
        stage("response", t)
    eye.run.log("turn %d, chose %r: %s" % (t, label, shown))
    going_on = apply_choice(eye, game)
    stage("next", t)
    return going_on, shown


def lowered(lines):
    """The filter lowers every letter, whether or not it replaces the word."""
    for _, text in lines:
        check(text == text.lower(), "a shown line has capitals: %r" % text)
