"""One end-to-end run: a private X server, the game started as a player starts it, keys held
through xdotool, screenshots through xwd and ImageMagick, and the sound Allegro mixes written
to a file through ALSA's file plugin."""
import mmap
import os
import re
import select
import struct
import shutil
import signal
import subprocess
import sys
import time

from picture import Screenshot, pcm_samples

CONVERT = "/usr/bin/convert"
KEY_HOLD = 0.15          # long enough for a 30 Hz poll of the key array to see it
SILENCE = 0x8000         # unsigned 16-bit silence as Allegro's mixer writes it
LOUD = 256               # a sample this far from silence is sound
AUDIO_RATE = 44100 * 4   # bytes per second of captured 16-bit stereo at 44100 Hz


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Run:
    """Where one case keeps its files, and how long it is prepared to wait."""

    def __init__(self, workdir, displays, scale):
        self.workdir = workdir
        self.displays = displays  # display numbers to try, in order
        self.scale = scale        # multiplies every time limit
        self.started = time.monotonic()
        self.cleanups = []
        self.shots = 0
        if os.path.isdir(workdir):
            shutil.rmtree(workdir)
        os.makedirs(workdir)

    def path(self, *parts):
        return os.path.join(self.workdir, *parts)

    def log(self, message):
        print("[%6.1fs] %s" % (time.monotonic() - self.started, message), flush=True)

    def limit(self, seconds):
        return seconds * self.scale

    def close(self):
        while self.cleanups:
            try:
                self.cleanups.pop()()
            except Exception as e:  # keep cleaning up; the case has its own verdict
                print("cleanup: %s" % e, file=sys.stderr)


class XServer:
    """Xvfb on the first free display of the run's list, kept from resetting when the game,
    its last client, leaves."""

    TOOLS = ("Xvfb", "xdpyinfo", "xdotool", "xwd", "xwininfo", CONVERT)

    def __init__(self, run, width=640, height=480):
        missing = [t for t in self.TOOLS if not shutil.which(t)]
        if missing:
            raise Failure("missing %s: scripts/setup installs them" % ", ".join(missing))
        self.run = run
        self.size = (width, height)
        self.proc = None
        for number in run.displays:
            if self._start(number):
                self.number = number
                self.name = ":%d" % number
                run.cleanups.append(self.stop)
                run.log("X server %s at %dx%d" % (self.name, width, height))
                return
        raise Failure("no free X display among %s" % run.displays)

    def _start(self, number):
        r, w = os.pipe()
        log = open(self.run.path("xvfb-%d.log" % number), "w")
        self.fbdir = self.run.path("fb-%d" % number)
        os.makedirs(self.fbdir, exist_ok=True)
        proc = subprocess.Popen(
            ["Xvfb", ":%d" % number, "-screen", "0", "%dx%dx24" % self.size, "-noreset",
             "-nolisten", "tcp", "-fbdir", self.fbdir, "-displayfd", str(w)],
            pass_fds=[w], stdin=subprocess.DEVNULL, stdout=log, stderr=log)
        os.close(w)
        # Xvfb writes the display number and then a newline, in two writes, once it accepts
        # clients; end of file means it gave up. The pipe stays open for the newline: a
        # server that cannot write it dies.
        answer = b""
        deadline = time.monotonic() + self.run.limit(20)
        while not answer.endswith(b"\n"):
            ready, _, _ = select.select([r], [], [], max(0, deadline - time.monotonic()))
            chunk = os.read(r, 64) if ready else b""
            if not chunk:
                break
            answer += chunk
        os.close(r)
        if answer.strip() == str(number).encode() and self._answers(number, proc):
            self.proc = proc
            return True
        if proc.poll() is None:
            proc.kill()
        proc.wait()
        return False

    def _answers(self, number, proc):
        """Whether a client can connect; a server that has just announced itself can still
        refuse for a moment."""
        deadline = time.monotonic() + self.run.limit(10)
        while proc.poll() is None and time.monotonic() < deadline:
            probe = subprocess.run(["xdpyinfo", "-display", ":%d" % number],
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if probe.returncode == 0:
                return True
            time.sleep(0.1)
        return False

    def env(self):
        return {"DISPLAY": self.name}

    def tool(self, *cmd, check_rc=True):
        env = dict(os.environ, DISPLAY=self.name)
        res = subprocess.run(list(cmd), env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                             timeout=self.run.limit(30))
        if check_rc and res.returncode != 0:
            raise Failure("%s failed: %s" % (" ".join(cmd), res.stderr.decode(errors="replace")))
        return res

    def screenshot(self, window=None):
        """The whole screen, or one window's contents."""
        which = ["-id", str(window)] if window else ["-root"]
        xwd = subprocess.Popen(["xwd"] + which + ["-silent", "-display", self.name],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        ppm = subprocess.run([CONVERT, "xwd:-", "ppm:-"], stdin=xwd.stdout,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                             timeout=self.run.limit(30))
        xwd.stdout.close()
        xwd.wait()
        if xwd.returncode != 0 or ppm.returncode != 0:
            raise Failure("screenshot failed: %s" % ppm.stderr.decode(errors="replace"))
        return Screenshot.from_ppm(ppm.stdout)

    def framebuffer(self):
        """The server's screen memory, which it keeps in a file: far quicker to look at than
        a screenshot, for frames that show only for a moment."""
        return FrameBuffer(os.path.join(self.fbdir, "Xvfb_screen0"))

    def hold(self, key, seconds=KEY_HOLD):
        """Press and release a key the way a person does, long enough to be seen."""
        self.tool("xdotool", "keydown", key)
        time.sleep(seconds)
        self.tool("xdotool", "keyup", key)

    def windows(self, wmclass):
        res = self.tool("xdotool", "search", "--class", wmclass, check_rc=False)
        return [int(w) for w in res.stdout.split()]

    def toplevels(self):
        """The root's children as xwininfo lists them: (id, name, (instance, class), width,
        height), the name and class None where a window has none."""
        tree = self.tool("xwininfo", "-root", "-children").stdout.decode(errors="replace")
        found = []
        for m in re.finditer(r'^\s+(0x[0-9a-f]+) (?:"([^"]*)"|\(has no name\)): '
                             r'\((?:"([^"]*)" "([^"]*)")?\)\s+(\d+)x(\d+)', tree, re.M):
            ident, name, inst, cls, w, h = m.groups()
            found.append((int(ident, 16), name, (inst, cls) if cls is not None else None,
                          int(w), int(h)))
        return found

    def click(self, x, y):
        self.tool("xdotool", "mousemove", str(x), str(y), "click", "1")

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


class FrameBuffer:
    """An XWD image file that Xvfb keeps up to date, mapped into memory."""

    def __init__(self, path):
        with open(path, "rb") as f:
            self.map = mmap.mmap(f.fileno(), 0, prot=mmap.PROT_READ)
        fields = struct.unpack(">25I", self.map[:100])
        header, order, bpp, self.stride, ncolours = (fields[0], fields[7], fields[11],
                                                     fields[12], fields[19])
        if bpp != 32:
            raise Failure("the X server keeps %d bits per pixel, not 32" % bpp)
        self.width, self.height = fields[20], fields[21]
        self.start = header + 12 * ncolours
        self.order = "<I" if order == 0 else ">I"

    def pixel(self, x, y):
        """0xRRGGBB at a root position."""
        at = self.start + y * self.stride + x * 4
        return struct.unpack(self.order, self.map[at:at + 4])[0] & 0xFFFFFF

    def close(self):
        self.map.close()


class Capture:
    """An ALSA configuration that turns the default device into a file of raw samples, found
    by the game through XDG_CONFIG_HOME."""

    def __init__(self, run, name="sound"):
        self.home = run.path(name + "-config")
        self.file = run.path(name + ".raw")
        os.makedirs(os.path.join(self.home, "alsa"))
        with open(os.path.join(self.home, "alsa", "asoundrc"), "w") as f:
            f.write('pcm.!default { type file; slave.pcm "null"; file "%s"; format "raw" }\n'
                    % self.file)

    def size(self):
        try:
            return os.path.getsize(self.file)
        except OSError:
            return 0

    def exists(self):
        return os.path.exists(self.file)

    def samples(self, start=0, end=None):
        if not self.exists():
            return pcm_samples(b"")
        with open(self.file, "rb") as f:
            f.seek(start)
            data = f.read() if end is None else f.read(max(0, end - start))
        a = pcm_samples(data)
        if sys.byteorder == "big":
            a.byteswap()
        return a

    @staticmethod
    def loudness(samples):
        """The largest distance of any sample from silence."""
        if not samples:
            return 0
        return max(max(samples) - SILENCE, SILENCE - min(samples))

    def longest_silence(self, start, end):
        """The longest stretch of exact silence between two file offsets, in seconds of
        sound, measured in tenths of a second."""
        step = AUDIO_RATE // 10
        longest = run = 0
        for pos in range(start - start % 4, end - step + 1, step):
            s = self.samples(pos, pos + step)
            if min(s) == max(s) == SILENCE:
                run += 1
                longest = max(longest, run)
            else:
                run = 0
        return longest / 10


    def stuck(self, start, end):
        """Places between two file offsets where a tenth of a second of sound comes again,
        sample for sample, within the next two seconds: a stream nobody feeds plays its last
        buffers over and over; music does not repeat itself that exactly."""
        tenth, step = AUDIO_RATE // 10, AUDIO_RATE // 2
        found = []
        for pos in range(start - start % 4, end - tenth, step):
            left = self.samples(pos, pos + 2 * AUDIO_RATE + tenth)[0::2]
            chunk = left[:tenth // 4]
            if min(chunk, default=SILENCE) == max(chunk, default=SILENCE):
                continue  # silence repeats; that is not the fault looked for
            rest = left[1:].tobytes()
            at = rest.find(chunk.tobytes())
            while at != -1 and at % 2:
                at = rest.find(chunk.tobytes(), at + 1)
            if at != -1:
                found.append(pos)
        return found

    def restarts(self, onset, windows, seconds=1.0):
        """Where, inside the given file ranges, the music's opening second starts over.
        The mixer repeats each 11025 Hz sample four times at 44100 Hz, so the opening,
        taken one sample in four, is found again at one of four phases if it replays."""
        onset -= onset % 4
        count = int(11025 * seconds)
        opening = self.samples(onset, onset + count * 16)[0::2][0::4].tobytes()
        hits = []
        for start, end in windows:
            start = max(start, onset + 16)  # not the opening itself
            start -= start % 4
            left = self.samples(start, end)[0::2]
            for phase in range(4):
                seq = left[phase::4].tobytes()
                pos = seq.find(opening)
                while pos != -1 and pos % 2:
                    pos = seq.find(opening, pos + 1)
                if pos != -1:
                    hits.append(start + ((pos // 2) * 4 + phase) * 4)
                    break
        return hits


class Player:
    """The game, started as a player starts it: no arguments, in a working directory of the
    harness's choosing, with a clean environment apart from what the case adds."""

    def __init__(self, run, binary, x=None, cwd=None, capture=None, env=None, name="game"):
        self.run = run
        self.name = name
        self.cwd = cwd or run.path(name + "-cwd")
        os.makedirs(self.cwd, exist_ok=True)
        home = run.path(name + "-home")
        os.makedirs(home, exist_ok=True)
        environ = {k: v for k, v in os.environ.items()
                   if k not in ("DISPLAY", "ALLEGRO", "XDG_CONFIG_HOME", "WAYLAND_DISPLAY")}
        environ["HOME"] = home
        if x:
            environ.update(x.env())
        if capture:
            environ["XDG_CONFIG_HOME"] = capture.home
        environ.update(env or {})
        self.stdout_path = run.path(name + ".stdout")
        self.stderr_path = run.path(name + ".stderr")
        self.proc = subprocess.Popen([binary], cwd=self.cwd, env=environ,
                                     stdin=subprocess.DEVNULL,
                                     stdout=open(self.stdout_path, "wb"),
                                     stderr=open(self.stderr_path, "wb"),
                                     start_new_session=True)
        run.cleanups.append(self.kill)
        run.log("started %s (pid %d) in %s" % (binary, self.proc.pid, self.cwd))

    def running(self):
        return self.proc.poll() is None

    def wait(self, seconds):
        try:
            return self.proc.wait(timeout=self.run.limit(seconds))
        except subprocess.TimeoutExpired:
            raise Failure("%s did not end within %ds" % (self.name, self.run.limit(seconds)))

    def stdout(self):
        with open(self.stdout_path, "rb") as f:
            return f.read().decode(errors="replace")

    def stderr(self):
        with open(self.stderr_path, "rb") as f:
            return f.read().decode(errors="replace")

    def own_stderr(self):
        """Standard error without the ALSA library's own chatter about absent devices."""
        return "".join(l for l in self.stderr().splitlines(True) if not l.startswith("ALSA lib"))

    def children(self):
        """Processes the game started (pid, command line)."""
        found = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open("/proc/%s/stat" % entry) as f:
                    ppid = int(f.read().rsplit(")", 1)[1].split()[1])
                if ppid != self.proc.pid:
                    continue
                with open("/proc/%s/cmdline" % entry, "rb") as f:
                    found.append((int(entry), f.read().split(b"\0")))
            except (OSError, IndexError, ValueError):
                continue
        return found

    def kill(self):
        if self.proc.poll() is None:
            try:
                os.killpg(self.proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.proc.wait()
