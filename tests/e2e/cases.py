"""The end-to-end cases: each plays the real game under its own X server and checks what a
player would see and hear. WINE_CASES run the Windows build under Wine as well; WEB_CASES play
the browser release in each browser engine."""
import hashlib
import json
import math
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import time

from session import (CONVERT, KEY_HOLD, Capture, Failure, KWin, Mutter, Player, WineCapture,
                     XorgServer, XServer, check, private_namespaces)
import browser
from picture import describe_differences
import play
import screens
import story

CASES = {}
WINE_CASES = ("intro", "title", "full_game", "no_module", "windows_program", "command_line")
WEB_CASES = ("web_title", "web_full_game", "web_resize", "web_no_module", "web_calm",
             "web_hidden", "web_cannot_start", "web_no_worklet", "web_offline", "web_quick",
             "web_pad", "web_phone", "web_device_scales")
# Cases that drive Chromium's own emulation of phones and device scales (CDP): the rest of
# WEB_CASES use only what every engine's driver offers.
CHROMIUM_CASES = ("web_phone", "web_device_scales")


class Skip(Exception):
    pass


def case(fn):
    CASES[fn.__name__] = fn
    return fn


class Setup:
    """What every case is given: the run, the binary to start, the font to read with, and
    the Wine to start it with when it is the Windows build."""

    def __init__(self, run, binary, font, source, datadir, wine=None, web=None,
                 engine="chromium"):
        self.run, self.binary, self.font, self.source = run, binary, font, source
        self.datadir, self.wine, self.web = datadir, wine, web
        self.engine = browser.ENGINES[engine]
        if wine:
            wine.ready(run)

    def xserver(self, width=640, height=480):
        return XServer(self.run, width, height, pointer_first=self.wine is not None)

    def capture(self):
        return WineCapture(self.run) if self.wine else Capture(self.run)

    def start(self, x, capture=None, binary=None, **kw):
        player = Player(self.run, binary or self.binary, x=x, capture=capture, wine=self.wine,
                        **kw)
        return player, play.Eye(self.run, x, self.font, player)


def wait_loud(run, capture, start, seconds=30):
    """Waits until the capture holds sound past a file offset; returns where it begins."""
    deadline = time.monotonic() + run.limit(seconds)
    block = capture.RATE // 10
    while time.monotonic() < deadline:
        end = capture.size()
        while start + block <= end:
            samples = capture.samples(start, start + block)
            first = capture.first_loud(samples)
            if first is not None:
                return start + samples.itemsize * first
            start += block
        time.sleep(0.2)
    raise Failure("no sound in the capture after offset %d within %ds (%d bytes captured)"
                  % (start, run.limit(seconds), capture.size()))


def wait_grown(run, capture, size, seconds=30):
    deadline = time.monotonic() + run.limit(seconds)
    while capture.size() < size:
        if time.monotonic() > deadline:
            raise Failure("the sound capture stopped growing at %d bytes (wanted %d)"
                          % (capture.size(), size))
        time.sleep(0.1)


def module_period(path):
    """Seconds until the module starts over by itself, from its header and its patterns'
    row counts (its speed and tempo as the header sets them); None when it loops to a later
    position and so never replays its opening."""
    with open(path, "rb") as f:
        xm = f.read()
    header, length, restart, _, npatterns, _, _, speed, bpm = struct.unpack_from(
        "<IHHHHHHHH", xm, 60)
    if restart != 0:
        return None
    order = xm[80:80 + length]
    rows, pos = [], 60 + header
    for _ in range(npatterns):
        size, _, count, packed = struct.unpack_from("<IBHH", xm, pos)
        rows.append(count)
        pos += size + packed
    return sum(rows[p] for p in order) * speed * 2.5 / bpm


def leave_by_escape(s, eye, player):
    status = eye.leave("Escape")
    check(status == 0, "Escape on the title ended the game with status %s" % status)
    s.run.log("Escape on the title: the program ended with status 0")


@case
def intro(s):
    """The splash: its line at its place in colours that change, no sound, ended by a key."""
    x = s.xserver()
    capture = s.capture()
    player, eye = s.start(x, capture)
    colours = play.intro(eye)
    eye.save("intro.png")
    check(all(max(c >> 16, (c >> 8) & 255, c & 255) <= 254 for c in colours),
          "intro colour components run from 0 to 254; saw %s" % sorted(colours))
    # The line takes a new colour at every frame: a few screenshots see more than one.
    seen = {frozenset(colours)}
    deadline = time.monotonic() + s.run.limit(20)
    while len(seen) < 3:
        colours = play.intro(eye)
        seen.add(frozenset(colours))
        check(time.monotonic() < deadline, "the intro line kept one colour: %s" % seen)
    s.run.log("intro line seen in %d different colourings" % len(seen))
    # A second of mixed sound while the splash still shows, and all of it silence.
    wait_grown(s.run, capture, capture.size() + capture.RATE)
    heard = capture.size()
    play.intro(eye)
    loudness = capture.loudness(capture.samples(0, heard))
    check(loudness == 0, "sound during the intro (a sample %d from silence)" % loudness)
    s.run.log("%.1f s of sound captured during the intro, all silent" % (heard / capture.RATE))
    play.title(eye, 0, "a")
    s.run.log("a key ended the intro; the title shows")
    leave_by_escape(s, eye, player)


@case
def title(s):
    """The title: its layout, the music, Up and Down, and "Leave"."""
    x = s.xserver()
    capture = s.capture()
    player, eye = s.start(x, capture)
    play.intro(eye)
    play.title(eye, 0, "space")
    check(play.whole_screen_ok(eye.last), "the title is not the 160x120 picture stretched "
          "four times over the whole screen (first stray pixel at %s)"
          % (eye.last.stray_pixel(),))
    eye.save("title.png")
    start = wait_loud(s.run, capture, 0)
    s.run.log("music heard from %.2f s of sound on" % (start / capture.RATE))
    for key, selected in (("Down", 1), ("Down", 0), ("Up", 1), ("Up", 0), ("Down", 1)):
        play.title(eye, selected, key)
    s.run.log("Up and Down toggle the highlight between Begin and Leave")
    status = eye.leave("space")
    check(status == 0, '"Leave" ended the game with status %s' % status)
    s.run.log('"Leave" ended the program with status 0 and no game frame')


@case
def turn(s):
    """One turn of a game on an 800x600 screen, the picture scaled five times: the opening,
    arrows over the grid, monologue line, response, the grid after the choice; Escape back
    to the title, Escape out of the program."""
    x = XServer(s.run, 800, 600)
    player, eye = s.start(x, Capture(s.run))
    play.to_title(eye)
    eye.x.hold("space")
    game = play.opening(eye)
    check(play.whole_screen_ok(eye.last), "the game's picture is not its 160x120 picture "
          "stretched five times over the whole screen (first stray pixel at %s)"
          % (eye.last.stray_pixel(),))
    eye.save("opening.png")
    keys = ["Down", "Right", "Up", "Left", "Right"] if len(game.open) > 1 else ["Right", "Down"]
    going_on, shown = play.turn(eye, game, keys)
    check(going_on, "the game ended after one choice")
    play.lowered(shown)
    eye.save("second-turn.png")
    play.title(eye, 0, "Escape")
    s.run.log("Escape in the game returned to the title")
    leave_by_escape(s, eye, player)


@case
def full_game(s):
    """A whole game of eight choices back to the title on a 1920x1080 screen (640x480 under
    Wine), its borders black in every screenshot, the music running throughout, the last
    turn's lines made wholly of the lexicon's words."""
    x = s.xserver() if s.wine else s.xserver(1920, 1080)
    capture = s.capture()
    rate = capture.RATE
    player, eye = s.start(x, capture)
    play.to_title(eye)
    music = wait_loud(s.run, capture, 0)
    # The opening must be heard whole before the game begins, to recognise it if it comes
    # again.
    wait_grown(s.run, capture, music + 2 * rate)
    began = capture.size()
    game = play.opening(eye, "space")
    opened = capture.size()
    plan = {1: ["Right"], 2: ["Down"], 4: ["Right", "Down"], 5: ["Up"]}
    going_on = True
    while going_on:
        check(game.turn < story.CHOICES_PER_GAME, "the game goes on after eight choices")
        t = game.turn
        if t == 7:
            ending = capture.size()
        going_on, shown = play.turn(eye, game, plan.get(t, []))
        play.lowered(shown)
        if t == 7:
            s.run.log("last turn, every word from lexicon %d: %s" % (min(game.lexicons), shown))
    check(game.turn == story.CHOICES_PER_GAME, "the game ended after %d choices" % game.turn)
    end = capture.size()
    s.run.log("eight choices made; the title is back")
    # The music neither stopped nor paused: keep listening a while past the game's end.
    wait_grown(s.run, capture, end + 5 * rate)
    after = capture.loudness(capture.samples(end + rate, end + 5 * rate))
    check(after >= capture.LOUD, "no music after the game returned to the title")
    gap = capture.longest_silence(music, capture.size())
    check(gap <= 3.0, "the music fell silent for %.1f s during the game" % gap)
    if s.wine:
        # Wine resamples the mixed stream: the sample-exact checks below do not apply.
        s.run.log("music ran from the title through the game and back (longest silence "
                  "%.1f s)" % gap)
        leave_by_escape(s, eye, player)
        return
    stuck = capture.stuck(opened, end)
    check(not stuck, "the music stuck, repeating a short stretch, at %s s of sound"
          % ["%.1f" % (a / rate) for a in stuck[:5]])
    # Entering and leaving the game must not start the module over.
    slack = 2 * rate
    again = capture.restarts(music, [(began - rate, opened + slack),
                                     (ending - rate, end + slack)])
    period = module_period(os.path.join(s.source, "xm", "bg.xm"))
    if period:
        # The module coming round to its start by itself is no restart.
        cycle = period * rate
        again = [a for a in again if abs((a - music + cycle / 2) % cycle - cycle / 2)
                 > rate]
    check(not again, "the music started over at %s s of sound"
          % ["%.1f" % (a / rate) for a in again])
    s.run.log("music ran from the title through the game and back (longest silence %.1f s)"
              % gap)
    leave_by_escape(s, eye, player)


@case
def no_display(s):
    """Without an X display the game says so and ends with status 1."""
    player = Player(s.run, s.binary)
    status = player.wait(30)
    err = player.own_stderr()
    check(status == 1, "without a display the game ended with status %s" % status)
    check("display" in err.lower() and err.startswith("vellmora:"),
          "no clear message about the display on standard error: %r" % err)
    check(not any(n.startswith("core") for n in os.listdir(player.cwd)), "a core file was left")
    s.run.log("status 1, message %r" % err.strip())


# What stands at xm/bg.xm instead of a module: nothing, a FIFO (which would hold a reader
# that opened it until some writer came) or a directory.
NO_MODULE = {
    "no_module": None,
    "fifo_module": os.mkfifo,
    "directory_module": os.mkdir,
}


def without_module(s, name, make):
    """Without its music module the game starts at once, runs normally, silently, and says
    nothing."""
    bindir = s.run.path("bin")
    os.makedirs(os.path.join(bindir, "xm"))
    if make:
        make(os.path.join(bindir, "xm", "bg.xm"))
    # A copy of the binary alone still finds an installation in its configured prefix,
    # unless something at xm/bg.xm keeps it in its own directory.
    elif s.datadir and os.path.exists(os.path.join(s.datadir, "xm", "bg.xm")):
        raise Skip("the installed copy in %s would supply the module" % s.datadir)
    binary = shutil.copy(s.binary, bindir)
    x = s.xserver()
    capture = s.capture()
    started = time.monotonic()
    player, eye = s.start(x, capture, binary=binary, cwd=bindir)
    play.intro(eye)
    s.run.log("the intro showed %.1f s after start" % (time.monotonic() - started))
    play.title(eye, 0, "a")
    game = play.opening(eye, "space")
    play.turn(eye, game)
    play.title(eye, 0, "Escape")
    if s.wine:
        titles = x.titled_windows()
        check(len(titles) == 1, "a message box appeared beside the game: %s" % titles)
    else:
        check(not x.windows("Xmessage"), "a message box appeared")
    leave_by_escape(s, eye, player)
    check(capture.size() > capture.RATE, "the sound device was hardly used (%d bytes)"
          % capture.size())
    loudness = capture.loudness(capture.samples())
    check(loudness == 0, "sound without a module (a sample %d from silence)" % loudness)
    check(player.stdout() == "" and player.own_stderr() == "",
          "the game printed something: %r %r" % (player.stdout(), player.own_stderr()))
    s.run.log("%s: intro, title and a game ran silently, no message" % name)


for name, make in NO_MODULE.items():
    CASES[name] = lambda s, name=name, make=make: without_module(s, name, make)


def xmessages(player):
    return [(pid, argv) for pid, argv in player.children()
            if argv and os.path.basename(argv[0].decode(errors="replace")) == "xmessage"]


def ok_button(x, window):
    """The bottom-most child window of a message box: its button."""
    tree = x.tool("xwininfo", "-tree", "-id", str(window)).stdout.decode()
    best = None
    for m in re.finditer(r"(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)", tree):
        w, h, ax, ay = map(int, m.groups())
        if best is None or ay > best[3]:
            best = (w, h, ax, ay)
    check(best is not None, "no button in the message box:\n" + tree)
    w, h, ax, ay = best
    return ax + w // 2, ay + h // 2


@case
def sound_refused(s):
    """A sound driver that cannot start: one message box, then a silent game."""
    config = s.run.path("allegro-config")
    os.makedirs(config)
    with open(os.path.join(config, "allegro.cfg"), "w") as f:
        # Allegro's own configuration forces its ALSA driver onto a device that is not there.
        f.write("[sound]\ndigi_card = ALSA\nalsa_device = vellmora_no_such_device\n")
    x = XServer(s.run)
    capture = Capture(s.run)
    player, eye = s.start(x, capture, env={"ALLEGRO": config})
    boxes = eye.wait("the message box", lambda shot: x.windows("Xmessage"), stable=False)
    check(len(boxes) == 1, "%d message boxes at once" % len(boxes))
    messages = xmessages(player)
    check(len(messages) == 1, "no xmessage started by the game: %s" % player.children())
    shown, argv = messages[0]
    text = b" ".join(argv).decode(errors="replace")
    check("Error initialising sound system\n" in text, "unexpected message: %r" % text)
    s.run.log("message box: %r" % text)
    eye.shot()
    check(screens.intro_colours(eye.last.picture(), s.font) is None,
          "the intro runs while the message box waits")
    eye.save("message.png")
    x.click(*ok_button(x, boxes[0]))
    eye.wait("the message box to close", lambda shot: shown not in dict(xmessages(player)),
             stable=False)

    def intro_alone(shot):
        check(not xmessages(player) and not x.windows("Xmessage"),
              "a second message box appeared")
        return screens.intro_colours(shot.picture(), s.font)

    eye.wait("the intro after the message box", intro_alone, stable=False)
    eye.x.hold("a")
    play.title(eye)
    eye.x.hold("space")
    game = play.opening(eye)
    play.turn(eye, game)
    check(not x.windows("Xmessage"), "a second message box appeared")
    play.title(eye, 0, "Escape")
    leave_by_escape(s, eye, player)
    loudness = capture.loudness(capture.samples())
    check(loudness == 0, "sound came out of a refused driver")
    s.run.log("one message box, closed with its button; then a silent game")


@case
def windows_program(s):
    """A test program of the Windows build, run under Wine without a display: it passes
    when it ends with status 0, and what it printed shows in the log."""
    check(s.wine is not None, "windows_program runs only under Wine (--wine)")
    player = Player(s.run, s.binary, wine=s.wine, name="program")
    status = player.wait(120)
    for line in player.stdout().splitlines():
        s.run.log(line)
    check(status == 0, "%s ended with status %s; standard error: %s"
          % (os.path.basename(s.binary), status, player.own_stderr()[-2000:]))


@case
def play_script(s):
    """The README's play command on a machine without a display: a plain word on what is
    missing and where to look instead, before anything is installed or built."""
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    res = subprocess.run([os.path.join(s.source, "scripts", "play")], env=env,
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                         timeout=s.run.limit(60))
    said = res.stdout.decode(errors="replace")
    check(res.returncode == 1, "scripts/play without a display ended with status %d: %s"
          % (res.returncode, said))
    check("display" in said and "scripts/demo" in said,
          "scripts/play does not say that a display is needed and point at scripts/demo: %r"
          % said)
    s.run.log("scripts/play said: %s" % said.strip())


# Screens of the sizes players have, and the scale the game must pick on each: the largest
# whole one at which 160x120 fits.
SCREEN_SIZES = ((640, 480, 4), (800, 600, 5), (1920, 1080, 9), (1280, 1024, 8), (320, 240, 2))


def crisp(eye, what):
    """The last screenshot is the 160x120 picture, every screen pixel its buffer pixel's,
    with black all around it."""
    shot = eye.last
    stray = shot.stray_pixel()
    check(stray is None, "%s at %dx%d: screen pixel %s is not the buffer pixel it comes from "
          "at k = %d" % (what, shot.width, shot.height, stray, shot.k))
    check(shot.outside_black(), "%s: not black around the picture" % what)


@case
def scales(s):
    """Full screen at every size without a mode switch: the title and a game's opening
    shown at the largest whole scale, centred, every pixel from its buffer pixel."""
    for w, h, k in SCREEN_SIZES:
        x = XServer(s.run, w, h)
        player, eye = s.start(x, name="game-%dx%d" % (w, h))
        # The intro's colour changes with every frame, so a screenshot may catch two frames
        # at once: only the borders are checked there, as in every screenshot.
        play.intro(eye)
        check(eye.last.k == k, "the picture is looked for at k = %d on %dx%d, not %d"
              % (eye.last.k, w, h, k))
        play.title(eye, 0, "a")
        crisp(eye, "the title")
        eye.save("title-%dx%d.png" % (w, h))
        play.opening(eye, "space")
        crisp(eye, "the opening of a game")
        play.title(eye, 0, "Escape")
        leave_by_escape(s, eye, player)
        s.run.log("%dx%d: k = %d at (%d, %d), the title and a game's first frame exact"
                  % (w, h, k, eye.last.ox, eye.last.oy))
        x.stop()



SIGNALS = (signal.SIGINT, signal.SIGTERM, signal.SIGHUP)
SIGNAL_DELAYS = (0.0, 0.15, 0.4)  # after the screen shows: the signal meets the loop anywhere


def reach(eye, where):
    if where == "intro":
        play.intro(eye)
        return
    play.to_title(eye)
    if where == "game":
        play.opening(eye, "space")


@case
def signals(s):
    """SIGINT, SIGTERM and SIGHUP during the intro, the title and a game, three times each,
    on a scaled screen: every run ends within 2 s, with status 0, no core, and no window
    left behind."""
    # 800x600 rather than a larger screen: the handler takes no lock, so the size does not
    # matter to it, and screenshots of a small screen keep the 27 runs quick.
    x = XServer(s.run, 800, 600)
    took = {}
    for where in ("intro", "title", "game"):
        for sig in SIGNALS:
            for n, delay in enumerate(SIGNAL_DELAYS):
                what = "%s during the %s (run %d)" % (sig.name, where, n + 1)
                player, eye = s.start(x, name="%s-%s-%d" % (where, sig.name, n + 1))
                reach(eye, where)
                time.sleep(delay)
                sent = time.monotonic()
                player.proc.send_signal(sig)
                try:
                    status = player.proc.wait(timeout=s.run.limit(2))
                except subprocess.TimeoutExpired:
                    raise Failure("%s: the game did not end within %.0f s"
                                  % (what, s.run.limit(2)))
                took.setdefault((where, sig.name), []).append(time.monotonic() - sent)
                check(status == 0, "%s: the game ended with status %s" % (what, status))
                cores = [f for f in os.listdir(player.cwd) if f.startswith("core")]
                check(not cores, "%s: a core was left: %s" % (what, cores))
                check(not x.windows("Vellmora"), "%s: the game's window stayed" % what)
    for (where, name), times in sorted(took.items()):
        s.run.log("%-5s %-7s %d runs, status 0, ended after %s s" % (
            where, name, len(times), ", ".join("%.3f" % t for t in times)))


@case
def quick_press(s):
    """Keys pressed and released within a millisecond or two, with no tick between: each
    acts exactly once, on the title and through a whole turn of a game."""
    x = s.xserver()
    player, eye = s.start(x)
    play.to_title(eye)
    x.quick = True
    for key, selected in (("Down", 1), ("Down", 0), ("Up", 1), ("Up", 0)):
        play.title(eye, selected, key)
        # Acting twice would have moved it back: the picture holds for a while.
        time.sleep(0.3)
        check(eye.shot().picture() == screens.title(eye.font, selected),
              "the title changed again after one quick press of %s" % key)
    s.run.log("each quick Up and Down moved the highlight once")
    game = play.opening(eye, "space")
    keys = ["Right"] if len(game.open) > 1 else []
    going_on, shown = play.turn(eye, game, keys)
    check(going_on, "the game ended after one choice")
    s.run.log("a whole turn played with quick presses: %s" % shown)
    play.title(eye, 0, "Escape")
    leave_by_escape(s, eye, player)


@case
def windowed(s):
    """--windowed: a window of 1280x960 on the 1920x1080 desktop (k = 8 leaves a tenth of
    each side free), named "Vellmora", of class "Vellmora", with its picture crisp in it. A
    client holding the keyboard does not stop the game from starting."""
    x = XServer(s.run, 1920, 1080)
    grabber = subprocess.Popen(
        [sys.executable, os.path.join(os.path.dirname(__file__), "grabkeyboard.py"), x.name],
        stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    s.run.cleanups.append(lambda: grabber.poll() is None and grabber.kill())
    said = grabber.stdout.readline().decode().strip()
    check(said == "grabbed", "could not hold the keyboard: %r" % said)
    player, eye = s.start(x, args=["--windowed"])

    def window(shot):
        return [t for t in x.toplevels() if t[2] == ("vellmora", "Vellmora")
                and (t[3], t[4]) != (320, 200)]

    # Looked for in the server's window tree, not in screenshots: a root screenshot taken
    # once the game draws into its window would show the picture at the window's place,
    # which is not where a full screen's picture belongs.
    deadline = time.monotonic() + s.run.limit(30)
    found = window(None)
    while not found:
        check(player.running(), "the game ended before its window appeared")
        check(time.monotonic() < deadline, "no window of the game after 30 s")
        time.sleep(0.05)
        found = window(None)
    ident, name, wmclass, w, h = found[0]
    check((w, h) == (1280, 960), "the window is %dx%d, not 1280x960" % (w, h))
    check(name == "Vellmora", "the window is named %r" % name)
    prop = x.tool("xprop", "-id", str(ident), "WM_CLASS").stdout.decode().strip()
    check(prop == 'WM_CLASS(STRING) = "vellmora", "Vellmora"', "its WM_CLASS is %r" % prop)
    whole = [t for t in x.toplevels() if (t[3], t[4]) == x.size]
    check(not whole, "a window covers the whole screen: %s" % whole)
    s.run.log("window 0x%x %dx%d named %r, %s" % (ident, w, h, name, prop))
    grabber.stdin.close()
    grabber.wait()
    eye.window = ident
    play.intro(eye)
    check(eye.last.k == 8, "the window's picture is looked for at k = %d" % eye.last.k)
    x.tool("xdotool", "windowfocus", "--sync", str(ident))
    eye.x.hold("a")
    play.title(eye)
    crisp(eye, "the title in the window")
    eye.save("window-title.png")
    player.proc.send_signal(signal.SIGTERM)
    status = player.wait(10)
    check(status == 0, "SIGTERM ended the windowed game with status %s" % status)
    s.run.log("the title shows crisp at k = 8 in the window; SIGTERM ended it with status 0")


@case
def packaged(s):
    """The game as a distribution installs it, started from /tmp: the title shows and the
    music plays from the data directory compiled in, found without any fallback."""
    datadir = s.datadir
    check(os.path.isfile(os.path.join(datadir, "xm", "bg.xm")), "no module in %s" % datadir)
    check(not os.path.exists("/tmp/xm/bg.xm"), "/tmp/xm/bg.xm exists and would be played")
    # strace names the file behind each descriptor (-y): the witness of where the module
    # really came from, whatever relative path the game opened it by.
    trace = s.run.path("strace.log")
    wrapper = s.run.path("traced-game")
    with open(wrapper, "w") as f:
        f.write("#!/bin/sh\nexec strace -f -y --seccomp-bpf -e trace=chdir,openat -o %s %s\n"
                % (trace, s.binary))
    os.chmod(wrapper, 0o755)
    x = s.xserver()
    capture = s.capture()
    player, eye = s.start(x, capture, binary=wrapper, cwd="/tmp")
    play.intro(eye)
    play.title(eye, 0, "space")
    eye.save("title.png")
    # Docks match the window to its launcher by the desktop entry's StartupWMClass.
    with open(os.path.join(os.path.dirname(datadir.rstrip("/")), "..", "applications",
                           "vellmora.desktop")) as f:
        entry = dict(l.split("=", 1) for l in f.read().splitlines() if "=" in l)
    wmclass = entry["StartupWMClass"]
    check(x.windows("^%s$" % wmclass),
          "no window of class %s, the desktop entry's StartupWMClass" % wmclass)
    start = wait_loud(s.run, capture, 0)
    s.run.log("music heard from %.2f s of sound on" % (start / capture.RATE))
    leave_by_escape(s, eye, player)
    with open(trace) as f:
        lines = f.read().splitlines()
    chdirs = [l for l in lines if " chdir(" in l and l.endswith("= 0")]
    check(chdirs and chdirs[0].split(None, 1)[1] == 'chdir("%s") = 0' % datadir,
          "the game did not go straight to %s: %s" % (datadir, chdirs))
    module = os.path.join(datadir, "xm", "bg.xm")
    opened = [l for l in lines if '"xm/bg.xm"' in l and l.endswith("<%s>" % module)]
    check(opened, "no open of %s in the trace:\n%s"
          % (module, "\n".join(l for l in lines if "bg.xm" in l)))
    s.run.log("strace: %s" % chdirs[0])
    s.run.log("strace: %s" % opened[0])


# ---- the command line and the calm splash -----------------------------------------------

# What each command line does, with or without a display: status, standard output, and the
# one line on standard error when it is refused.
COMMAND_LINES = [
    (["--version"], 0, "vellmora 1.0.0\n", None),
    (["--help"], 0, "Usage: vellmora [OPTION]...", None),
    (["--bogus"], 2, "", "--bogus"),
    (["-x"], 2, "", "-x"),
    (["save.dat"], 2, "", "save.dat"),
    (["--windowed", "--", "--help"], 2, "", "--help"),
]


@case
def command_line(s):
    """--help and --version answer and end; anything unknown is refused in one line with
    status 2; none of it needs a display or opens a window."""
    x = s.xserver()
    before = x.windows("Vellmora")
    # Wine itself needs a display; the Windows build is tried with one only.
    for display in (True,) if s.wine else (False, True):
        for n, (args, status, out, named) in enumerate(COMMAND_LINES):
            what = "%s %s a display" % (" ".join(args), "with" if display else "without")
            player = Player(s.run, s.binary, x=x if display else None, args=args, wine=s.wine,
                            name="cli-%s-%d" % ("x" if display else "none", n))
            got = player.wait(30)
            # Windows writes its text files with CRLF line ends.
            stdout = player.stdout().replace("\r\n", "\n")
            stderr = player.own_stderr().replace("\r\n", "\n")
            if s.wine:  # Wine has its own things to say ("wine32 is missing")
                stderr = "".join(l for l in stderr.splitlines(True) if l.startswith("vellmora"))
            check(got == status, "%s: status %s, not %s" % (what, got, status))
            if status == 0:
                check(stdout.startswith(out) and stderr == "",
                      "%s: printed %r, error %r" % (what, stdout[:80], stderr))
            else:
                lines = stderr.splitlines()
                check(stdout == "" and len(lines) == 1 and named in lines[0]
                      and "--help" in lines[0] and lines[0].startswith("vellmora: "),
                      "%s: not one line naming %s and --help: %r" % (what, named, stderr))
            s.run.log("%s: status %d" % (what, got))
    check(x.windows("Vellmora") == before, "a window was left open by an answer")


def ink_colour(fb, k, x0, y0):
    """The colour most of the intro line's pixels have on the screen right now, or None."""
    counts = {}
    for by in range(50, 58):
        for bx in range(4, 4 + 18 * 8):
            c = fb.pixel(x0 + bx * k, y0 + by * k)
            if c:
                counts[c] = counts.get(c, 0) + 1
    return max(counts, key=counts.get) if counts else None


def colour_changes(s, x, args=(), env=None, seconds=3.0):
    """Starts the game, watches its splash line in the X server's memory as fast as it can
    and returns the most colour changes seen within any one second."""
    player, eye = s.start(x, args=args, env=env)
    play.intro(eye)
    fb = x.framebuffer()
    changes, last = [], None
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        c = ink_colour(fb, 4, 0, 0)
        if c is not None and last is not None and c != last:
            changes.append(time.monotonic())
        last = c if c is not None else last
    fb.close()
    player.kill()
    return max((sum(1 for t in changes if first <= t < first + 1.0) for first in changes),
               default=0)


@case
def calm_splash(s):
    """--calm and VELLMORA_CALM=1: the splash's colour changes, but at most three times in
    any second; by default it changes at every frame."""
    x = s.xserver()
    most = colour_changes(s, x)
    check(most > 10, "by default the splash changed its colour only %d times a second" % most)
    s.run.log("default: up to %d colour changes within a second" % most)
    for args, env in ((["--calm"], None), ([], {"VELLMORA_CALM": "1"})):
        what = " ".join(args) or "VELLMORA_CALM=1"
        most = colour_changes(s, x, args, env)
        check(1 <= most <= 3, "%s: up to %d colour changes within a second" % (what, most))
        s.run.log("%s: up to %d colour changes within a second" % (what, most))


@case
def quiet_without_sound(s):
    """With no sound device the game plays silently and says nothing of ALSA's."""
    x = s.xserver()
    player, eye = s.start(x)
    play.to_title(eye)
    leave_by_escape(s, eye, player)
    err = player.stderr()
    check("ALSA lib" not in err and len(err.splitlines()) <= 1,
          "standard error without a sound device: %r" % err)
    s.run.log("standard error without a sound device: %r" % err)


# ---- a desktop with a window manager ------------------------------------------------------

def game_window(s, x, player, fullscreen, seconds=30):
    """Waits until the window manager shows the game's window full screen or not; checks
    what a task bar reads of it and returns its id."""
    def managed():
        clients = x.prop("root", "_NET_CLIENT_LIST")
        for w in x.windows("Vellmora"):
            state = x.prop(w, "_NET_WM_STATE")
            if ("0x%x" % w) in clients and ("_NET_WM_STATE_FULLSCREEN" in state) == fullscreen:
                return w
        return None
    # Only the window's properties are watched: a rootless X server (Xwayland) has no root
    # picture to take.
    deadline = time.monotonic() + s.run.limit(seconds)
    while True:
        ident = managed()
        if ident:
            break
        check(player.running(), "the game ended (status %s); stderr: %s"
              % (player.proc.returncode, player.own_stderr()[-500:]))
        if time.monotonic() > deadline:
            for w in x.windows("Vellmora"):
                s.run.log("window 0x%x: state %r, geometry %s, clients %r" % (
                    w, x.prop(w, "_NET_WM_STATE"), x.geometry(w),
                    x.prop("root", "_NET_CLIENT_LIST")))
            raise Failure("timed out waiting for the game's window %s full screen"
                          % ("shown" if fullscreen else "no longer"))
        time.sleep(play.POLL)
    for name, value in (("WM_CLASS", '"vellmora", "Vellmora"'), ("WM_NAME", '"Vellmora"'),
                        ("_NET_WM_PID", str(player.proc.pid))):
        got = x.prop(ident, name)
        check(got == value, "the window's %s is %r, not %r" % (name, got, value))
    return ident


def grab_while_running(s, x):
    """Another client takes the keyboard and the pointer while the game runs, and lets go."""
    grabber = subprocess.Popen(
        [sys.executable, os.path.join(os.path.dirname(__file__), "grabkeyboard.py"), x.name,
         "--pointer"], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    s.run.cleanups.append(lambda: grabber.poll() is None and grabber.kill())
    said = grabber.stdout.readline().decode().strip()
    check(said == "grabbed", "another client could not grab while the game runs: %r" % said)
    grabber.stdin.close()
    grabber.wait()


@case
def window_manager(s):
    """Under openbox: a managed full-screen window on the whole 1920x1080 monitor, named and
    owned as a task bar needs; other clients can grab; a key held when the focus goes is not
    stuck; Alt+Enter and F11 switch to a 1280x960 window and back, the game going on."""
    x = XServer(s.run, 1920, 1080)
    x.window_manager()
    player, eye = s.start(x)
    ident = game_window(s, x, player, True)
    check(x.geometry(ident) == (0, 0, 1920, 1080),
          "the full-screen window lies at %s" % (x.geometry(ident),))
    play.intro(eye)
    check(eye.last.k == 9, "the picture is looked for at k = %d" % eye.last.k)
    play.title(eye, 0, "a")
    grab_while_running(s, x)
    s.run.log("full screen 1920x1080 at (0,0), managed; a second client grabbed both")

    # Down goes down in the game and comes up in another window: the game must not think it
    # is still held, or the next Down would be lost.
    other = subprocess.Popen(["xmessage", "-name", "other", "-geometry", "300x80+10+10", "other"],
                             env=dict(os.environ, DISPLAY=x.name),
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    s.run.cleanups.append(lambda: other.poll() is None and other.kill())
    # No screenshots while the other window shows over the game's.
    deadline = time.monotonic() + s.run.limit(20)
    while not x.windows("Xmessage"):
        check(time.monotonic() < deadline, "the other window did not appear")
        time.sleep(0.1)
    x.tool("xdotool", "windowactivate", "--sync", str(ident))
    x.tool("xdotool", "keydown", "Down")
    time.sleep(KEY_HOLD)
    x.tool("xdotool", "windowactivate", "--sync", str(x.windows("Xmessage")[0]))
    x.tool("xdotool", "keyup", "Down")
    x.tool("xdotool", "windowactivate", "--sync", str(ident))
    other.kill()
    other.wait()
    play.title(eye, 1)
    play.title(eye, 0, "Up")
    play.title(eye, 1, "Down")
    s.run.log("a Down released in another window moved the selection once; nothing stuck")

    x.hold("alt+Return")
    ident = game_window(s, x, player, False)
    w, h = x.geometry(ident)[2:]
    check((w, h) == (1280, 960), "Alt+Enter gave a %dx%d window, not 1280x960" % (w, h))
    eye.window = ident
    play.title(eye, 1)
    crisp(eye, "the title in the window")
    eye.save("window-title.png")
    x.hold("F11")
    ident = game_window(s, x, player, True)
    check(x.geometry(ident) == (0, 0, 1920, 1080), "F11 gave %s" % (x.geometry(ident),))
    eye.window = None
    play.title(eye, 1)
    play.title(eye, 0, "Up")
    eye.save("fullscreen-title.png")
    s.run.log("Alt+Enter: a 1280x960 window; F11: full screen again; the title went on")
    leave_by_escape(s, eye, player)


# Two monitors side by side, arranged with xrandr: (what, xrandr commands, the primary
# monitor's rectangle, the scale its picture takes).
MONITOR_LAYOUTS = [
    ("two 1920x1080, the left one primary",
     ["--addmode DUMMY1 1920x1080", "--output DUMMY1 --mode 1920x1080 --right-of DUMMY0",
      "--output DUMMY0 --primary"], (0, 0, 1920, 1080), 9),
    ("two 1920x1080, the right one primary",
     ["--output DUMMY1 --primary"], (1920, 0, 1920, 1080), 9),
    ("2560x1440 primary beside 1920x1080",
     ["--output DUMMY0 --mode 2560x1440 --primary",
      "--output DUMMY1 --mode 1920x1080 --right-of DUMMY0"], (0, 0, 2560, 1440), 12),
]


@case
def monitors(s):
    """With two monitors the game covers exactly the primary one, its picture centred on it,
    and leaves the other black."""
    if not XorgServer.available():
        raise Skip("Xorg with its dummy driver, run as root, makes the monitors")
    x = XorgServer(s.run, 1920, 1080)
    for what, commands, rect, k in MONITOR_LAYOUTS:
        found = x.monitors(*commands)
        primary = [m[2:] for m in found if m[1]]
        check(primary == [rect], "%s: RandR lists %s" % (what, found))
        player, eye = s.start(x)
        # No screenshots until the window is known: the picture is not centred on the root.
        deadline = time.monotonic() + s.run.limit(20)
        while not (x.windows("Vellmora") and x.geometry(x.windows("Vellmora")[0]) == rect):
            check(time.monotonic() < deadline, "%s: no window over %s; windows %s" % (
                what, rect, [x.geometry(w) for w in x.windows("Vellmora")]))
            time.sleep(0.1)
        eye.window = x.windows("Vellmora")[0]
        play.intro(eye)
        check(eye.last.k == k, "%s: the picture is at k = %d, not %d" % (what, eye.last.k, k))
        whole = x.screenshot()
        rx, ry, rw, rh = rect
        for y in range(0, whole.height, 8):
            row = whole.row(y)
            outside = row[:rx * 3] + row[(rx + rw) * 3:] if ry <= y < ry + rh else row
            check(not any(outside), "%s: something shows outside the primary monitor, row %d"
                  % (what, y))
        eye.save("monitors-%d.png" % MONITOR_LAYOUTS.index((what, commands, rect, k)))
        player.kill()
        s.run.log("%s: the game covers %s at k = %d" % (what, rect, k))


# GNOME and KDE: the game as an X11 client of the compositor's Xwayland, monitors side by side
# left to right. For each monitor made primary in turn: its index, its rectangle, the scale of
# the picture full screen and the size of the game's window.
LEFT_PRIMARY = [(0, (0, 0, 1920, 1080), 9, (1280, 960))]
TWO_MONITORS = LEFT_PRIMARY + [(1, (1920, 0, 1600, 900), 7, (960, 720))]


def frame_extents(x, ident):
    """_NET_FRAME_EXTENTS as (left, right, top, bottom); all 0 when the window has no frame."""
    got = [int(v) for v in re.findall(r"\d+", x.prop(ident, "_NET_FRAME_EXTENTS"))]
    return tuple(got) if len(got) == 4 else (0, 0, 0, 0)


def settled(s, x, ident, what, test):
    """Waits until the window's geometry passes the test; the window manager may move it a
    moment after it changed its state."""
    deadline = time.monotonic() + s.run.limit(10)
    while not test(x.geometry(ident)):
        check(time.monotonic() < deadline, "%s: the window lies at %s" % (what, x.geometry(ident)))
        time.sleep(0.1)


def shows_on_monitor(s, x, eye, index, what):
    """What the compositor itself shows on the monitor (mutter through its screencast) is the
    game's picture whole and crisp, exactly as the game's full-screen window holds it. Returns
    that frame, or None where the harness cannot see the monitor."""
    want = eye.last.picture()
    deadline = time.monotonic() + s.run.limit(10)
    while True:
        frame = x.monitor_frame(index)
        if frame is None:
            return None
        if frame.picture() == want and frame.outside_black() and frame.stray_pixel() is None:
            return frame
        if time.monotonic() > deadline:
            frame.save_png(s.run.path("failure-monitor-%d.png" % index), CONVERT)
            raise Failure("%s: monitor %d does not show the game's picture whole; %s" % (
                what, index, describe_differences(want, frame.picture())))
        time.sleep(0.25)


def toggled(s, x, player, key, fullscreen):
    """Holds Alt+Enter or F11 and waits for the window to change; a press that a starved
    machine let slip past the game is made once more."""
    x.hold(key)
    try:
        return game_window(s, x, player, fullscreen, seconds=5)
    except Failure:
        s.run.log("no effect of %s yet; pressing it again" % key)
        x.hold(key)
        return game_window(s, x, player, fullscreen)


def fullscreen_on(s, x, player, eye, rect, k, what, key=None):
    """The game's window full screen exactly over the monitor, without a frame, its picture at
    k; returns the window."""
    ident = toggled(s, x, player, key, True) if key else game_window(s, x, player, True)
    settled(s, x, ident, what, lambda g: g == rect)
    check(frame_extents(x, ident) == (0, 0, 0, 0),
          "%s: the full-screen window has a frame %s" % (what, frame_extents(x, ident)))
    eye.window = ident
    eye.shot()
    check(eye.last.k == k, "%s: the picture is looked for at k = %d, not %d"
          % (what, eye.last.k, k))
    return ident


def under_compositor(s, start, primaries):
    """Full screen, Alt+Enter and F11 with each monitor primary in turn, under the compositor
    that start() starts."""
    reason = private_namespaces()
    if reason:
        raise Skip("the compositor runs in namespaces of its own, as root: %s" % reason)
    x = start()
    for index, rect, k, window in primaries:
        what = "%s, %s, monitor %d primary" % (x.NAME, " and ".join("%dx%d" % m for m in x.sizes),
                                              index)
        check(x.set_primary(index) == rect, "%s: mutter's primary is not %s" % (what, rect))
        player, eye = s.start(x, name="game-%d" % index)
        fullscreen_on(s, x, player, eye, rect, k, what)
        play.intro(eye)
        play.title(eye, 0, "a")
        crisp(eye, what + ", the title")
        frame = shows_on_monitor(s, x, eye, index, what)
        if frame:
            frame.save_png(s.run.path("monitor-%d.png" % index), CONVERT)
        eye.save("fullscreen-%d.png" % index)
        s.run.log("%s: full screen over %s at k = %d, %s; %d MB" % (
            what, rect, k, "whole on the monitor" if frame else "the window's picture crisp",
            x.memory()))

        ident = toggled(s, x, player, "alt+Return", False)
        rx, ry, rw, rh = rect

        def on_primary(g):
            left, right, top, bottom = frame_extents(x, ident)
            return (g[2:] == window and rx <= g[0] - left and g[0] + g[2] + right <= rx + rw
                    and ry <= g[1] - top and g[1] + g[3] + bottom <= ry + rh)
        settled(s, x, ident, what + ", Alt+Enter", on_primary)
        check(frame_extents(x, ident)[2] > 0, "%s, Alt+Enter: the window has no title bar (%s)"
              % (what, frame_extents(x, ident)))
        eye.window = ident
        play.title(eye)
        crisp(eye, what + ", the title in a window")
        eye.save("window-%d.png" % index)
        s.run.log("%s, Alt+Enter: a decorated %dx%d window at %s, frame %s"
                  % (what, window[0], window[1], x.geometry(ident)[:2], frame_extents(x, ident)))

        fullscreen_on(s, x, player, eye, rect, k, what + ", F11", "F11")
        play.title(eye)
        shows_on_monitor(s, x, eye, index, what + ", F11")
        player.proc.send_signal(signal.SIGTERM)
        status = player.wait(10)
        check(status == 0, "%s: SIGTERM ended the game with status %s" % (what, status))
        s.run.log("%s, F11: full screen again; %d MB" % (what, x.memory()))


@case
def mutter_one_monitor(s):
    """GNOME's compositor with one 1920x1080 monitor: full screen at k = 9, Alt+Enter a
    decorated 1280x960 window, F11 full screen again."""
    under_compositor(s, lambda: Mutter(s.run, (1920, 1080)), LEFT_PRIMARY)


@case
def mutter_two_monitors(s):
    """GNOME's compositor with a 1920x1080 monitor left of a 1600x900 one, each primary in
    turn: full screen exactly over the primary monitor, whole on it; Alt+Enter a decorated
    window on it; F11 full screen there again."""
    under_compositor(s, lambda: Mutter(s.run, (1920, 1080), (1600, 900)), TWO_MONITORS)


@case
def kwin_two_outputs(s):
    """KDE's compositor with two 1920x1080 outputs, the left one primary: full screen exactly
    over it, Alt+Enter a decorated 1280x960 window on it, F11 full screen there again."""
    under_compositor(s, lambda: KWin(s.run, (1920, 1080), 2), LEFT_PRIMARY)


# The browser release: the same steps, the page standing in for the X server and the player.

def open_page(s, root=None, width=640, height=480, dpr=1.0, query="", prelude="",
              reduced_motion=False, mobile=False):
    page = s.engine(s.run, browser.Server(s.run, root or s.web).url + query, width, height,
                    dpr, prelude, reduced_motion=reduced_motion, mobile=mobile)
    return page, play.Eye(s.run, page, s.font, page)


def cannot(s, what):
    """Why the engine cannot do this here, or None when it can."""
    why = s.engine.CANNOT.get(what)
    return "%s: %s" % (s.engine.ENGINE, why) if why else None


def chromium_only(s):
    """Phones and device scales are emulated through Chromium's DevTools protocol alone."""
    why = cannot(s, "devtools") or cannot(s, "dpr")
    if why:
        raise Skip("a phone and its device scales are emulated here only in Chromium; " + why)


def no_console_errors(s, page):
    errors = page.errors()
    check(not errors, "the browser's console shows errors: %s"
          % "; ".join(e["message"] for e in errors[:5]))
    s.run.log("no errors in the browser's console (%d entries)" % len(page.console()))


def leave_page(s, eye, page):
    """Escape on the title: the page says the game has ended and goes quiet."""
    eye.x.hold("Escape")
    deadline = time.monotonic() + s.run.limit(10)
    while page.state() != "ended":
        check(time.monotonic() < deadline, "the page's state stayed %r after Escape on the "
              "title" % page.state())
        time.sleep(0.1)
    said = page.status_text()
    check("ended" in said.lower(), "after Escape the page says %r, not that the game ended"
          % said)
    s.run.log("Escape on the title: the page says %r" % said)
    # Whatever the tap still hears a moment later must be silence, or nothing at all.
    time.sleep(0.5)
    settled = len(page.blocks())
    time.sleep(1.5)
    after = page.blocks()[settled:]
    check(max(after, default=0) < browser.LOUD, "sound after the game ended (peak %.4f)"
          % max(after, default=0))
    s.run.log("after the end the tap heard %d more blocks, all silent" % len(after))


def told(page):
    """What a screen reader has been told so far: the lines of the page's live region."""
    return page.js("Array.from(document.getElementById('told').children, "
                   "(line) => line.textContent)") or []


def told_as_shown(s, page, shown, what):
    """The live region's latest lines say, word for word, the texts read from the picture."""
    said = told(page)[-len(shown):] if shown else []
    check(shown and [t.split() for t in said] == [t.split() for t in shown],
          "%s: a screen reader was told %r where the picture reads %r" % (what, said, shown))
    s.run.log("%s: a screen reader was told %r" % (what, said))


# The live region out of sight yet not hidden from assistive technology, the heading, and the
# canvas as an image with a name.
ACCESSIBLE = """(() => {
  const region = document.getElementById("told"), canvas = document.getElementById("screen");
  const style = getComputedStyle(region), box = region.getBoundingClientRect();
  const heading = document.querySelector("h1");
  return {live: region.getAttribute("aria-live"),
          hidden: !!region.closest("[aria-hidden=true]") || style.display === "none" ||
                  style.visibility === "hidden",
          size: [box.width, box.height],
          role: canvas.getAttribute("role"), label: canvas.getAttribute("aria-label") || "",
          heading: heading ? heading.textContent : null,
          headingSize: heading ? heading.getBoundingClientRect().width : null};
})()"""


def accessible(s, page):
    a = page.js(ACCESSIBLE)
    check(a["live"] in ("polite", "assertive") and not a["hidden"],
          "the live region is not live, or hidden from assistive technology: %r" % a)
    check(max(a["size"]) <= 1 and a["headingSize"] <= 1, "the live region or the heading can "
          "be seen: %r" % a)
    check(a["role"] == "img" and a["label"] and a["heading"] == "Vellmora",
          "no image role and name on the canvas, or no heading: %r" % a)
    why = cannot(s, "devtools")
    if why:
        s.run.log("the accessibility tree not read: %s" % why)
        return
    nodes = page.cdp("Accessibility.getFullAXTree")["nodes"]
    named = {(n.get("role", {}).get("value"), n.get("name", {}).get("value")) for n in nodes
             if not n.get("ignored")}
    check(("heading", "Vellmora") in named and ("image", a["label"]) in named,
          "the accessibility tree lacks the heading or the canvas's image")
    last = told(page)[-1]
    check(any(name == last for _, name in named), "the accessibility tree lacks the line "
          "last told, %r" % last)
    s.run.log("the accessibility tree holds the heading, the canvas as an image and %r" % last)


def native_title(s):
    """The title frame of the native game, played under Xvfb before the page opens; the X
    server is let go at once, so an engine that needs one may take its display."""
    x = s.xserver()
    player, eye = s.start(x, s.capture())
    play.intro(eye)
    play.title(eye, 0, "space")
    player.kill()
    x.stop()
    return eye.last.picture()


@case
def web_title(s):
    """In the browser: the splash in changing colours and silent, a key, the title frame
    exactly as the native game draws it, its music, Up and Down, Escape ending the game."""
    native = native_title(s) if s.binary else None
    page, eye = open_page(s)
    seen = set()
    deadline = time.monotonic() + s.run.limit(20)
    while len(seen) < 3:
        seen.add(frozenset(play.intro(eye)))
        check(time.monotonic() < deadline, "the splash line kept one colour: %s" % seen)
    eye.save("intro.png")
    s.run.log("splash line seen in %d different colourings" % len(seen))
    told_as_shown(s, page, [screens.read_splash(eye.last.picture(), s.font)], "the splash")
    blocks = page.blocks()
    check(max(blocks, default=0) < browser.LOUD, "sound during the splash (peak %.4f)"
          % max(blocks, default=0))
    s.run.log("%d blocks of sound reached the page during the splash, all silent" % len(blocks))
    check(page.js("!window.vellmora.audio"), "the page opened its audio before any key")
    play.title(eye, 0, "a")
    check(play.whole_screen_ok(eye.last), "the title is not the 160x120 picture in k x k "
          "blocks (first stray pixel at %s)" % (eye.last.stray_pixel(),))
    eye.save("title.png")
    if native:
        check(eye.last.picture() == native, "the page's title differs from the native game's; "
              + describe_differences(native, eye.last.picture()))
        s.run.log("the page's title frame is the native game's, pixel for pixel")
    told_as_shown(s, page, screens.read_title(eye.last.picture(), s.font), "the title")
    accessible(s, page)
    onset = browser.wait_heard(s.run, page, len(blocks))
    check(page.js("!!Module.webAudio.node"), "the music does not go through an AudioWorklet")
    s.run.log("music heard from block %d, played by an AudioWorklet" % onset)
    for key, selected in (("Down", 1), ("Down", 0), ("Up", 1), ("Up", 0)):
        play.title(eye, selected, key)
        told_as_shown(s, page, screens.read_title(eye.last.picture(), s.font)[-1:],
                      "the title after %s" % key)
    s.run.log("Up and Down toggle the highlight between Begin and Leave")
    leave_page(s, eye, page)
    no_console_errors(s, page)
    time.sleep(0.5)
    eye.x.hold("space")
    play.intro(eye)
    s.run.log("a key on the ended page plays again: the splash is back")
    no_console_errors(s, page)


# The arrows pressed before Space in each turn of a whole game, by turn.
FULL_GAME_PLAN = {1: ["Right"], 2: ["Down"], 4: ["Right", "Down"], 5: ["Up"]}


def play_out(eye, game, keys=lambda game: FULL_GAME_PLAN.get(game.turn, []),
             before=lambda game: None, stage=None):
    """Plays the game's turns to its end, keys(game) before Space in each, before(game) called
    as each turn begins, stage as play.turn calls it; the title must come back after exactly
    eight choices."""
    going_on = True
    while going_on:
        check(game.turn < story.CHOICES_PER_GAME, "the game goes on after eight choices")
        before(game)
        going_on, shown = play.turn(eye, game, keys(game), stage)
        play.lowered(shown)
    check(game.turn == story.CHOICES_PER_GAME, "the game ended after %d choices" % game.turn)


@case
def web_full_game(s):
    """In the browser: a whole game of eight choices back to the title, the music heard at
    its end; a screen reader told every line and every highlighted option word for word as
    the picture shows them."""
    page, eye = open_page(s)
    play.to_title(eye)
    game = play.opening(eye, "space")
    pic = eye.last.picture()
    told_as_shown(s, page, [" ".join(screens.Panel(pic, s.font, game.labels(), 0).guess()),
                            screens.read_label(pic, s.font, 0)], "the opening")

    def heard(stage, t):
        pic = eye.last.picture()
        if stage in ("monologue", "response"):
            shown = [" ".join(screens.Panel(pic, s.font, game.labels(), None).guess())]
        elif play.is_game(pic):
            shown = [screens.read_label(pic, s.font, screens.framed_box(pic))]
        else:
            shown = screens.read_title(pic, s.font)
        told_as_shown(s, page, shown, "turn %d, %s" % (t, stage))

    play_out(eye, game, stage=heard)
    s.run.log("eight choices made; the title is back")
    browser.wait_heard(s.run, page, len(page.blocks()))
    s.run.log("the music plays on the title after the game")
    leave_page(s, eye, page)
    no_console_errors(s, page)


# Viewports in CSS pixels, device pixels per CSS pixel, and the scale the picture must take.
RESIZES = ((1280, 720, 1.0, 6), (800, 600, 2.0, 10), (333, 250, 1.0, 2), (800, 600, 1.0, 5),
           (1500, 1080, 1.0, 9))


@case
def web_resize(s):
    """In the browser: each new viewport puts the picture at its largest whole scale in
    device pixels, centred, black around, every game pixel a crisp block."""
    page, eye = open_page(s)
    play.intro(eye)
    play.title(eye, 0, "space")
    for width, height, dpr, k in RESIZES:
        why = cannot(s, "dpr") if dpr != 1.0 else cannot(s, "narrow") if width < 447 else None
        if why:
            s.run.log("%dx%d at x%g not tried: %s" % (width, height, dpr, why))
            continue
        page.resize(width, height, dpr)
        shot = eye.wait("the title at %dx%d" % (width, height),
                        lambda shot: shot.picture() == screens.title(s.font, 0) and shot,
                        expected=screens.title(s.font, 0))
        check(shot.k == k, "at %dx%d x%g the picture is %d times over, not %d"
              % (width, height, dpr, shot.k, k))
        check(shot.blocks_uniform(), "blurred or uneven blocks at %dx%d x%g (first stray "
              "pixel at %s)" % (width, height, dpr, shot.stray_pixel()))
        eye.save("title-%dx%d.png" % (width, height))
        s.run.log("%dx%d at x%g: the title %d times over, centred, crisp"
                  % (width, height, dpr, k))
    no_console_errors(s, page)


@case
def web_no_module(s):
    """In the browser: a release without its music plays the title in silence."""
    root = s.run.path("release-without-music")
    shutil.copytree(s.web, root)
    os.remove(os.path.join(root, "xm", "bg.xm"))
    page, eye = open_page(s, root)
    play.intro(eye)
    play.title(eye, 0, "space")
    start = len(page.blocks())
    blocks = browser.wait_blocks(s.run, page, start + 30)[start:]
    check(max(blocks) < browser.LOUD, "sound on the title without the module (peak %.4f)"
          % max(blocks))
    s.run.log("%d blocks on the title without the module, all silent" % len(blocks))
    play.title(eye, 1, "Down")
    s.run.log("the game goes on: Down moved the highlight")
    # A missing module is an expected 404, the only error the console may show.
    errors = [e for e in page.errors() if "bg.xm" not in e["message"]]
    check(not errors, "the browser's console shows errors: %s"
          % "; ".join(e["message"] for e in errors[:5]))


# Every animation frame, the colour of the splash line's first lit pixel on the page's canvas,
# with the frame's time: what a player sees, at the rate the page presents it.
SPLASH_WATCH = """
const seen = window.__splash = [];
const ctx = document.getElementById("screen").getContext("2d");
function look(t) {
  const d = ctx.getImageData(0, 0, 160, 120).data;
  for (let i = 0; i < d.length; i += 4)
    if (d[i] || d[i + 1] || d[i + 2]) { seen.push([t, d[i], d[i + 1], d[i + 2]]); break; }
  if (t < seen.start + 3000 || !seen.length) requestAnimationFrame(look);
}
requestAnimationFrame((t) => { seen.start = t; look(t); });
"""


def page_colour_changes(s, query, reduced_motion=False):
    """The most colour changes of the splash line within any second of three, in a page
    opened with this query (and the system asking for less motion, when so)."""
    page, eye = open_page(s, query=query, reduced_motion=reduced_motion)
    play.intro(eye)
    page.js("(() => {%s})()" % SPLASH_WATCH)
    deadline = time.monotonic() + s.run.limit(20)
    while not page.js("window.__splash.length && window.__splash.slice(-1)[0][0] >= "
                      "window.__splash.start + 3000"):
        check(time.monotonic() < deadline, "the splash was not watched for 3 s")
        time.sleep(0.2)
    seen = page.js("window.__splash")
    changes = [a[0] for a, b in zip(seen, seen[1:]) if a[1:] != b[1:]]
    most = max(sum(1 for t in changes if c <= t < c + 1000) for c in changes) if changes else 0
    s.run.log("%r%s: %d frames watched, up to %d colour changes within a second"
              % (query, " asking for less motion" if reduced_motion else "", len(seen), most))
    no_console_errors(s, page)
    return most


@case
def web_calm(s):
    """In the browser: ?calm, or the system's "reduce motion" setting, gives the calm splash,
    which changes its colour at most three times in any second and at least once; without
    them the colour changes at every frame."""
    most = page_colour_changes(s, "")
    check(most > 10, "by default the page's splash changed colour only %d times a second"
          % most)
    for query in ("?calm", "?calm=1"):
        most = page_colour_changes(s, query)
        check(1 <= most <= 3, "%s: up to %d colour changes within a second" % (query, most))
    why = cannot(s, "reduced_motion")
    if why:
        s.run.log("reduce motion not tried: %s" % why)
        return
    most = page_colour_changes(s, "", reduced_motion=True)
    check(1 <= most <= 3, "reduce motion: up to %d colour changes within a second" % most)


def set_hidden(page, hidden):
    """The page as a hidden tab or a visible one. Headless Chromium keeps every tab visible,
    so the document says so itself and tells its listeners, as the browser would."""
    page.js("""(() => {
      const hidden = %s;
      Object.defineProperty(document, "hidden", {get: () => hidden, configurable: true});
      Object.defineProperty(document, "visibilityState",
                            {get: () => hidden ? "hidden" : "visible", configurable: true});
      document.dispatchEvent(new Event("visibilitychange"));
    })()""" % ("true" if hidden else "false"))


def ticks_over(page, seconds):
    before = page.js("window.vellmora.ticks")
    time.sleep(seconds)
    return page.js("window.vellmora.ticks") - before


@case
def web_hidden(s):
    """In the browser: a hidden tab pauses the game's ticks and its sound; back in view it
    goes on where it was, at 30 ticks a second, with no burst of ticks to catch up."""
    page, eye = open_page(s)
    play.intro(eye)
    play.title(eye, 0, "space")
    play.title(eye, 1, "Down")
    browser.wait_heard(s.run, page, 0)
    set_hidden(page, True)
    time.sleep(0.5)
    paused = ticks_over(page, 2)
    check(paused == 0, "%d ticks ran in 2 s while the tab was hidden" % paused)
    state = page.js("window.vellmora.audio.state")
    check(state == "suspended", "the sound is %r while the tab is hidden" % state)
    s.run.log("hidden for 2.5 s: no tick ran and the sound is suspended")
    set_hidden(page, False)
    first = ticks_over(page, 1)
    check(24 <= first <= 36, "%d ticks in the first second back in view, not about 30" % first)
    # Firefox takes its time to resume a context; it only has to come back.
    deadline = time.monotonic() + s.run.limit(10)
    while page.js("window.vellmora.audio.state") != "running":
        check(time.monotonic() < deadline, "the sound is %r back in view"
              % page.js("window.vellmora.audio.state"))
        time.sleep(0.1)
    browser.wait_heard(s.run, page, len(page.blocks()))
    s.run.log("back in view: %d ticks in the first second, the music again" % first)
    play.title(eye, 1, None)
    play.title(eye, 0, "Up")
    s.run.log("the title kept its highlight on Leave, and Up still moves it")
    no_console_errors(s, page)


# What a player may meet instead of the game: a browser without WebAssembly, and a release
# that lost a file on its way to the host.
CANNOT_START = [
    ("no WebAssembly", None, "delete window.WebAssembly;", "WebAssembly"),
    ("no vellmora.wasm", "vellmora.wasm", "", "could not be loaded"),
    ("no vellmora.js", "vellmora.js", "", "could not be loaded"),
]


@case
def web_cannot_start(s):
    """In the browser: when the game cannot start, the page says so in a sentence, never
    a blank page, and plays no sound."""
    for what, missing, prelude, words in CANNOT_START:
        if prelude and cannot(s, "prelude"):
            s.run.log("%s not tried: %s" % (what, cannot(s, "prelude")))
            continue
        root = s.web
        if missing:
            root = s.run.path("release-without-" + missing)
            shutil.copytree(s.web, root)
            os.remove(os.path.join(root, missing))
        page, _ = open_page(s, root, prelude=prelude)
        deadline = time.monotonic() + s.run.limit(20)
        while page.state() != "failed":
            check(time.monotonic() < deadline, "%s: the page's state stayed %r"
                  % (what, page.state()))
            time.sleep(0.2)
        said = page.status_text()
        check(words in said and said.endswith("."), "%s: the page says %r" % (what, said))
        shot = page.screenshot()
        lit = sum(1 for i in range(0, len(shot.data), 3) if shot.data[i:i + 3] != b"\0\0\0")
        check(lit > 100, "%s: the page shows nothing (%d lit pixels)" % (what, lit))
        shot.save_png(s.run.path("cannot-start-%s.png" % (missing or "wasm-api")),
                      CONVERT)
        check(max(page.blocks(), default=0) < browser.LOUD, "%s: sound played" % what)
        s.run.log("%s: the page says %r" % (what, said))
        page.stop()


@case
def web_no_worklet(s):
    """In the browser: a page with no AudioWorklet and no service worker (served over plain
    http from another host, where browsers offer neither) still plays the music from the
    title on, and goes quiet at the end."""
    page, eye = open_page(s, prelude="delete window.AudioWorkletNode; "
                                     "delete Navigator.prototype.serviceWorker;")
    play.intro(eye)
    blocks = page.blocks()
    check(max(blocks, default=0) < browser.LOUD, "sound during the splash (peak %.4f)"
          % max(blocks, default=0))
    play.title(eye, 0, "space")
    check(not page.js("Module.webAudio.node"), "the page still made a worklet")
    onset = browser.wait_heard(s.run, page, len(blocks))
    s.run.log("without AudioWorklet the music is heard from block %d" % onset)
    leave_page(s, eye, page)
    no_console_errors(s, page)


# What the page's service worker keeps: for each cache, the SHA-256 of each file by address.
KEPT = """(async () => {
  const kept = {};
  for (const name of await caches.keys()) {
    const cache = await caches.open(name);
    kept[name] = {};
    for (const request of await cache.keys()) {
      const body = await (await cache.match(request)).arrayBuffer();
      const sum = new Uint8Array(await crypto.subtle.digest("SHA-256", body));
      kept[name][request.url] = Array.from(sum, (b) => b.toString(16).padStart(2, "0")).join("");
    }
  }
  return kept;
})()"""

WORKER = """(async () => {
  const r = await navigator.serviceWorker.getRegistration();
  return r ? {active: r.active && r.active.state, waiting: !!r.waiting,
              controlled: !!navigator.serviceWorker.controller} : null;
})()"""

# A release's own name and files, as its service worker was written with them.
WORKER_RELEASE = re.compile(r'var RELEASE = "([^"]+)";\s*var FILES = "([^"]+)"')


def release_files(root):
    """The release's name, and the SHA-256 of each of its files but the worker, by path."""
    with open(os.path.join(root, "serviceworker.js")) as f:
        name, files = WORKER_RELEASE.search(f.read()).groups()
    on_disk = sorted(os.path.relpath(os.path.join(d, f), root).replace(os.sep, "/")
                     for d, _, fs in os.walk(root) for f in fs)
    on_disk.remove("serviceworker.js")
    check(files.split() == on_disk, "the worker of %s lists %s, the release holds %s"
          % (name, files.split(), on_disk))
    sums = {}
    for f in on_disk:
        with open(os.path.join(root, f), "rb") as fh:
            sums[f] = hashlib.sha256(fh.read()).hexdigest()
    return name, sums


def wait_worker(s, page, want, what):
    deadline = time.monotonic() + s.run.limit(30)
    while True:
        state = page.js(WORKER)
        if state and all(state.get(k) == v for k, v in want.items()):
            return state
        check(time.monotonic() < deadline, "%s: the service worker is %r" % (what, state))
        time.sleep(0.2)


def kept_whole(s, page, url, releases, what):
    """The page's caches are exactly these releases, each holding all its files as served."""
    kept = page.js(KEPT)
    want = {}
    for name, sums in releases:
        cache = [n for n in kept if n.split(" ")[0] == name]
        check(cache, "%s: no cache for %s among %s" % (what, name, sorted(kept)))
        want[cache[0]] = {url + f: h for f, h in sums.items()}
    check(kept == want, "%s: the caches hold %s, not the releases %s whole" % (
        what, {n: sorted(v) for n, v in kept.items()}, [n for n, _ in releases]))
    s.run.log("%s: the caches hold %s, every file as served" % (what, sorted(kept)))


def installable(s, page, root):
    """The manifest parses and names what an installed app needs; Chromium finds nothing
    that keeps the page from being installed."""
    with open(os.path.join(root, "manifest.webmanifest")) as f:
        manifest = json.load(f)
    icons = {(i["sizes"], i.get("purpose", "any")) for i in manifest["icons"]}
    check(manifest["display"] == "fullscreen" and "standalone" in manifest["display_override"]
          and {("192x192", "any"), ("512x512", "any"), ("512x512", "maskable")} <= icons,
          "the manifest lacks a display, its fallback or an icon: %r" % manifest)
    for icon in manifest["icons"]:
        with open(os.path.join(root, icon["src"]), "rb") as f:
            width, height = struct.unpack(">II", f.read(24)[16:24])
        check("%dx%d" % (width, height) == icon["sizes"], "%s is %dx%d, not %s"
              % (icon["src"], width, height, icon["sizes"]))
    why = cannot(s, "devtools")
    if why:
        s.run.log("the manifest parses; installability not asked: %s" % why)
        return
    got = page.cdp("Page.getAppManifest")
    check(not got.get("errors") and got.get("url", "").endswith("manifest.webmanifest"),
          "Chromium's reading of the manifest: %r" % got.get("errors"))
    errors = page.cdp("Page.getInstallabilityErrors")["installabilityErrors"]
    check(not errors, "Chromium would not install the page: %r" % errors)
    s.run.log("the manifest parses without errors and Chromium finds the page installable")


def play_from_cache(s, page, eye, url, later=0.0):
    """The server is gone: the page comes from the cache and plays the splash, the title and
    its music."""
    page.visit(url, later)
    play.intro(eye)
    play.title(eye, 0, "a")
    browser.wait_heard(s.run, page, 0)
    wait_worker(s, page, {"controlled": True}, "offline")


@case
def web_offline(s):
    """In the browser: the page is installable; after a first visit it plays offline, music
    and all; a second release with a new version, served at the same address, replaces the
    cached one whole at the next visit, never mixed with it."""
    first = s.run.path("release-first")
    shutil.copytree(s.web, first)
    server = browser.Server(s.run, first)
    page = s.engine(s.run, server.url)
    eye = play.Eye(s.run, page, s.font, page)
    play.intro(eye)
    installable(s, page, first)
    wait_worker(s, page, {"active": "activated"}, "the first visit")
    release = release_files(first)
    kept_whole(s, page, server.url, [release], "after the first visit")

    server.stop()
    play_from_cache(s, page, eye, server.url)
    s.run.log("offline, the page played the splash, the title and its music")

    # The second release: another version, its page and code marked so a mix would show.
    second = s.run.path("release-second")
    shutil.copytree(s.web, second)
    with open(os.path.join(second, "index.html"), "r+") as f:
        html = f.read().replace("<head>", '<head>\n<meta name="release" content="second">')
        f.seek(0)
        f.write(html)
    with open(os.path.join(second, "vellmora.js"), "a") as f:
        f.write('\nwindow.releaseOfCode = "second";\n')
    subprocess.run(["cmake", "-DRELEASE_DIR=" + second, "-DVERSION=99.0.0", "-P",
                    os.path.join(s.source, "ports", "web", "ServiceWorker.cmake")], check=True)
    renewed = release_files(second)
    check(renewed[0].startswith("vellmora-99.0.0-"), "the second release is %s" % renewed[0])
    server.start(second)
    mixed = "[document.querySelector('meta[name=release]') ? 'second' : 'first', " \
            "window.releaseOfCode || 'first']"

    # While the first release's page is open, the second is fetched whole beside it.
    page.visit(server.url)
    play.intro(eye)
    check(page.js(mixed) == ["first", "first"], "the visit that finds the second release "
          "mixes: page and code of %s" % page.js(mixed))
    wait_worker(s, page, {"waiting": True}, "the second release")
    kept_whole(s, page, server.url, [release, renewed], "with the second release waiting")

    # The next visit, the first page closed, is the second release whole, even offline.
    # The browser lets go of a closed tab in its own time, and until it has, the first
    # release rightly goes on serving. On a busy machine that can outlast a visit made at
    # once, so the player comes back later each time; every visit must be one release whole.
    server.stop()
    for later in (0.0, 1.0, 3.0, 8.0):
        play_from_cache(s, page, eye, server.url, later)
        shown = page.js(mixed)
        check(shown in (["first", "first"], ["second", "second"]),
              "a visit %g s after the tab closed mixes: page and code of %s" % (later, shown))
        if shown == ["second", "second"]:
            break
        s.run.log("a visit %g s after the tab closed still had the first release whole"
                  % later)
    check(shown == ["second", "second"], "the next visit shows page and code of %s" % shown)
    kept_whole(s, page, server.url, [renewed], "at the next visit")
    s.run.log("the second release replaced the first whole, and played offline")


def unchanged(s, eye, what, acted="acted once", seconds=1.0):
    """The picture stays as it is for a while: the press seen last acted once, not again."""
    first = eye.last.picture()
    time.sleep(seconds)
    check(eye.shot().picture() == first, "%s: not %s" % (what, acted))
    s.run.log("%s %s" % (what, acted))


@case
def web_quick(s):
    """In the browser: a key, a tap and a click whose press and release reach the page within
    one frame act once each, on the title and in a game, as a held press does."""
    page, eye = open_page(s)
    quick = eye.x = browser.Quick(page)
    play.intro(eye)
    play.title(eye, 0, "a")
    for key, selected in (("Down", 1), ("Up", 0)):
        play.title(eye, selected, key)
        unchanged(s, eye, "%s pressed and released within one frame" % key)
    game = play.opening(eye, "space")
    kind, _ = play.after_space(eye, game)
    unchanged(s, eye, "Space pressed and released within one frame")
    quick.aim = (80, 40)
    if kind == "monologue":
        quick.pointer = "tap"
        play.response(eye, game)
        unchanged(s, eye, "a tap within one frame")
    quick.pointer = "click"
    check(play.apply_choice(eye, game), "the game ended after one choice")
    unchanged(s, eye, "a click within one frame")
    pointer_shown(s, page)
    no_console_errors(s, page)


POINTER_MOVES = """document.getElementById("screen").dispatchEvent(new PointerEvent("pointermove",
  {pointerType: %r, clientX: 50, clientY: 50, bubbles: true}));"""
CURSOR = "getComputedStyle(document.getElementById('screen')).cursor"


def pointer_shown(s, page):
    """The pointer shows over the game while the mouse moves, not for a finger, and hides
    at a key or after two still seconds."""
    page.js(POINTER_MOVES % "touch")
    check(page.js(CURSOR) == "none", "a finger's move shows the pointer")
    page.js(POINTER_MOVES % "mouse")
    check(page.js(CURSOR) != "none", "the pointer stays hidden while the mouse moves")
    page.js(browser.QUICK_KEY % browser.EVENT_KEYS["Left"])
    check(page.js(CURSOR) == "none", "the pointer still shows after a key")
    page.js(POINTER_MOVES % "mouse")
    time.sleep(1.5)
    check(page.js(CURSOR) != "none", "the pointer hid before two seconds")
    time.sleep(1.0)
    check(page.js(CURSOR) == "none", "the pointer still shows after 2.5 still seconds")
    s.run.log("the pointer shows while the mouse moves, hides at a key and after 2 s still, "
              "and a finger shows none")


# The picture's pixel at the middle of each title item and each box of the option grid.
def item_centre(i):
    text, x, y = screens.MENU[i]
    return x + len(text) * 4, y + 4


def box_centre(i):
    x1, y1, x2, y2 = screens.BOXES[i]
    return (x1 + x2) // 2, (y1 + y2) // 2


def placed(s, eye, page, what, want, k):
    """Waits for the picture want(pic) at scale k, crisp, black around it, with the page at
    zoom 1 and nothing on it wider or taller than the viewport. Until the page has placed the
    picture again a screenshot may show it anywhere, so only the last one is judged."""
    deadline = time.monotonic() + s.run.limit(20)
    while True:
        shot = eye.last = page.screenshot()
        if (shot.k == k and shot.outside_black() and shot.blocks_uniform() and
                want(shot.picture())):
            break
        if time.monotonic() > deadline:
            eye.fail("%s: not the picture at k = %d, crisp and alone (screenshot %dx%d, first "
                     "stray pixel at %s)" % (what, k, shot.width, shot.height,
                                              shot.stray_pixel()))
        time.sleep(play.POLL)
    zoom, sizes = page.js("[window.visualViewport.scale, [document.documentElement.scrollWidth,"
                          " document.documentElement.scrollHeight, innerWidth, innerHeight]]")
    check(zoom == 1, "%s: the page is zoomed to %s" % (what, zoom))
    check(sizes[0] <= sizes[2] and sizes[1] <= sizes[3], "%s: the page is %dx%d, larger than "
          "its %dx%d viewport" % ((what,) + tuple(sizes)))
    return shot


# A notch on the left of a phone turned to landscape, as the browser reports it.
NOTCH = """(() => {
  const notch = document.createElement("style");
  notch.id = "notch";
  notch.textContent = "#insets { padding-left: %dpx !important; }";
  document.head.appendChild(notch);
})()"""


def notch(s, page, width, height, dpr, inset=47):
    """In landscape with a notch on the left, the picture keeps clear of it: the largest whole
    k that fits beside it, centred in the rest, nothing drawn under it. Then the phone is
    turned back upright without it."""
    page.js(NOTCH % inset)
    page.resize(width, height, dpr, mobile=True)
    left = math.ceil(inset * dpr)
    w, h = int(width * dpr), int(height * dpr)
    k = min((w - left) // 160, h // 120)
    want = {"k": k, "x": left + (w - left - 160 * k) // 2, "y": (h - 120 * k) // 2, "dpr": dpr}
    deadline = time.monotonic() + s.run.limit(10)
    while page.js("window.vellmora.view") != want:
        check(time.monotonic() < deadline, "beside a notch of %d px the picture is at %s, not "
              "%s" % (inset, page.js("window.vellmora.view"), want))
        time.sleep(0.1)
    shot = page.screenshot()
    under = [shot.row(y)[:left * 3].strip(b"\0") for y in range(shot.height)]
    check(not any(under), "something is drawn under the notch")
    s.run.log("beside a %d px notch: k = %d at x = %d device pixels, nothing under the notch"
              % (inset, k, want["x"]))
    page.js("document.getElementById('notch').remove()")
    page.resize(height, width, dpr, mobile=True)


@case
def web_phone(s):
    """In the browser on a phone (Chromium's emulation, touch only): a whole game played with
    taps alone, the music from the first tap, the picture placed again crisp at zoom 1 when
    the phone turns, "Leave" tapped to the ended page, and a tap there plays again."""
    chromium_only(s)
    width, height, dpr = browser.PHONE
    page, _ = open_page(s, width=width, height=height, dpr=dpr, mobile=True)
    fingers = browser.Fingers(page)
    eye = play.Eye(s.run, fingers, s.font, page)
    play.intro(eye)
    check(page.js("!window.vellmora.audio"), "the page opened its audio before any tap")
    title = screens.title(s.font, 0)
    play.title(eye, 0, "tap")
    eye.save("phone-title.png")
    browser.wait_heard(s.run, page, len(page.blocks()))
    s.run.log("a tap ended the splash; the music plays")
    for w, h, k in ((height, width, 9), (width, height, 7)):
        page.resize(w, h, dpr, mobile=True)
        placed(s, eye, page, "the title on a %dx%d phone" % (w, h), title.__eq__, k)
        eye.save("phone-title-%dx%d.png" % (w, h))
        s.run.log("%dx%d: the title at k = %d, crisp, zoom 1" % (w, h, k))
    notch(s, page, height, width, dpr)
    fingers.aim = (8, 8)
    fingers.hold()
    fingers.hold()
    deadline = time.monotonic() + s.run.limit(10)
    while not page.js("!!document.fullscreenElement"):
        check(time.monotonic() < deadline, "a double tap did not ask for full screen")
        time.sleep(0.1)
    page.js("document.exitFullscreen()")
    s.run.log("a double tap beside the title's items asked for full screen")
    placed(s, eye, page, "the title after full screen", title.__eq__, 7)
    fingers.aim = item_centre(0)
    game = play.opening(eye, "tap")
    eye.save("phone-opening.png")

    def tap_a_box(game):
        game.selected = game.turn % min(4, len(game.open))
        fingers.aim = box_centre(game.selected)

    play_out(eye, game, lambda game: [], tap_a_box)
    s.run.log("eight choices made with taps on the boxes; the title is back")
    fingers.aim = item_centre(1)
    leave_page(s, eye, page)
    said = page.status_text()
    check("Tap, press a key or click to play again" in said, "the ended page says %r" % said)
    no_console_errors(s, page)
    time.sleep(0.5)
    fingers.hold()
    play.intro(eye)
    s.run.log("a tap on the ended page plays again: the splash is back")
    no_console_errors(s, page)


# Viewports at each device scale where the picture's size or place on the page is not a whole
# number of CSS pixels, with the k they give; the first two differ in the device scale alone.
DEVICE_SCALES = ((333, 250, 1.0, 2), (333, 250, 2.0, 4), (700, 500, 1.25, 5),
                 (600, 400, 1.5, 5), (390, 844, 3.0, 7))

RESIZE_EVENTS = """window.__resizes = 0;
addEventListener("resize", () => { window.__resizes++; });"""


def every_scale(s, eye, page, what, want):
    for width, height, dpr, k in DEVICE_SCALES:
        resizes = page.js("window.__resizes")
        page.resize(width, height, dpr)
        placed(s, eye, page, "%s at %dx%d x%g" % (what, width, height, dpr), want, k)
        eye.save("%s-x%g.png" % (what.split()[-1], dpr))
        s.run.log("%s at %dx%d x%g: k = %d, every game pixel %dx%d device pixels (after %d "
                  "resize events)" % (what, width, height, dpr, k, k, k,
                                      page.js("window.__resizes") - resizes))


@case
def web_device_scales(s):
    """In the browser: at device scales 1, 1.25, 1.5, 2 and 3 every game pixel of the splash,
    the title and a game is exactly k x k device pixels; a change of the device scale alone
    places the picture again."""
    chromium_only(s)
    page, eye = open_page(s, prelude=RESIZE_EVENTS)
    play.intro(eye)
    every_scale(s, eye, page, "the splash",
                lambda pic: screens.intro_colours(pic, s.font) is not None)
    play.title(eye, 0, "a")
    every_scale(s, eye, page, "the title", screens.title(s.font, 0).__eq__)
    play.opening(eye, "space")
    every_scale(s, eye, page, "a game's opening", eye.last.picture().__eq__)
    no_console_errors(s, page)


@case
def web_pad(s):
    """In the browser with a game pad connected while the game runs: any button ends the
    splash, a stick resting at 0.3 moves nothing, Start on the title begins, Back in a game
    returns to the title, a whole game played with the D-pad, the stick and A (a press of one
    frame counting once), and Back on the title ends the game."""
    page, _ = open_page(s, prelude=browser.PAD_PRELUDE)
    pad = browser.Pad(page)
    eye = play.Eye(s.run, pad, s.font, page)
    play.intro(eye)
    pad.connect()
    play.title(eye, 0, "B")
    s.run.log("a pad connected during the splash; its B button ended the splash")
    pad.stick(0.3, -0.3)
    unchanged(s, eye, "a stick resting at 0.3", "moved nothing")
    pad.stick(0, 0)
    for key, selected in (("Down", 1), ("Up", 0)):
        play.title(eye, selected, key)
    play.opening(eye, "Start")
    s.run.log("Start on the title began a game")
    play.title(eye, 0, "Back")
    s.run.log("Back in the game returned to the title")
    game = play.opening(eye, "space")
    if len(game.open) > 1:
        game.move("Right")
        pad.stick(0.9, 0)
        eye.expect("the selection frame on box 1 after the stick pushed right",
                   play.choosing_frame(eye, game))
        pad.stick(0, 0)
        s.run.log("the stick pushed right moved the highlight once")
    pad.one_frame = True
    play.turn(eye, game)
    pad.one_frame = False
    s.run.log("a turn played with presses of A one frame long")
    play_out(eye, game)
    s.run.log("eight choices made with the pad; the title is back")
    leave_page(s, eye, page)
    no_console_errors(s, page)
