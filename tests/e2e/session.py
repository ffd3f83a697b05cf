"""One end-to-end run: a private X server, the game started as a player starts it, keys held
through xdotool, screenshots through xwd and ImageMagick, and the sound Allegro mixes written
to a file through ALSA's file plugin. The Windows build runs the same way under Wine."""
import array
import fcntl
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

from picture import Screenshot

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


def end(proc, ask=lambda p: p.terminate(), seconds=10):
    """Asks a process started here to end, and kills it when it does not in time."""
    if proc.poll() is not None:
        return
    ask(proc)
    try:
        proc.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


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

    def __init__(self, run, width=640, height=480, pointer_first=False):
        # Without a window manager, Wine gives keys to the window under the X pointer.
        self.pointer_first = pointer_first
        # Keys pressed and released back to back, as on-screen keyboards and key injectors
        # press them, instead of held the way a person holds them.
        self.quick = False
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
        return self._keep(proc, answer.strip() == str(number).encode()
                          and self._answers(number, proc))

    def _keep(self, proc, answers):
        """Keeps a server that answers as this one; ends one that does not."""
        if answers:
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
        env = dict(os.environ, **self.env())
        res = subprocess.run(list(cmd), env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                             timeout=self.run.limit(30))
        if check_rc and res.returncode != 0:
            raise Failure("%s failed: %s" % (" ".join(cmd), res.stderr.decode(errors="replace")))
        return res

    def screenshot(self, window=None):
        """The whole screen, or one window's contents. A capture that xwd gives up on, as
        it can while the game's window is being set up (Wine does that), is taken again."""
        which = ["-id", str(window)] if window else ["-root"]
        for attempt in range(3):
            xwd = subprocess.Popen(["xwd"] + which + ["-silent", "-display", self.name],
                                   env=dict(os.environ, **self.env()),
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            ppm = subprocess.run([CONVERT, "xwd:-", "ppm:-"], stdin=xwd.stdout,
                                 stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                 timeout=self.run.limit(30))
            xwd.stdout.close()
            said = xwd.stderr.read().decode(errors="replace")
            xwd.wait()
            if xwd.returncode == 0 and ppm.returncode == 0:
                return Screenshot.from_ppm(ppm.stdout)
            self.run.log("screenshot %d failed: %s %s" % (
                attempt + 1, said.strip(), ppm.stderr.decode(errors="replace").strip()))
            time.sleep(0.2)
        raise Failure("screenshot failed three times")

    def framebuffer(self):
        """The server's screen memory, which it keeps in a file: far quicker to look at than
        a screenshot, for frames that show only for a moment."""
        return FrameBuffer(os.path.join(self.fbdir, "Xvfb_screen0"))

    def hold(self, key, seconds=KEY_HOLD):
        """Press and release a key the way a person does, long enough to be seen; in quick
        mode, released by the same xdotool at once, well within a millisecond or two."""
        if self.pointer_first:
            self.tool("xdotool", "mousemove", str(self.size[0] // 2), str(self.size[1] // 2))
        if self.quick:
            self.tool("xdotool", "keydown", key, "keyup", key)
            return
        self.tool("xdotool", "keydown", key)
        time.sleep(seconds)
        self.tool("xdotool", "keyup", key)

    def windows(self, wmclass):
        res = self.tool("xdotool", "search", "--class", wmclass, check_rc=False)
        return [int(w) for w in res.stdout.split()]

    def titled_windows(self):
        """The titles of every window on the screen that has one."""
        res = self.tool("xdotool", "search", "--onlyvisible", "--name", ".", check_rc=False)
        titles = []
        for w in res.stdout.split():
            name = self.tool("xdotool", "getwindowname", w.decode(), check_rc=False)
            titles.append(name.stdout.decode(errors="replace").strip())
        return titles

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

    def window_manager(self):
        """Starts openbox on this server and waits until it manages the screen."""
        log = open(self.run.path("openbox-%d.log" % self.number), "w")
        wm = subprocess.Popen(["openbox", "--sm-disable"], env=dict(os.environ, DISPLAY=self.name),
                              stdin=subprocess.DEVNULL, stdout=log, stderr=log)

        def stop():
            if wm.poll() is None:
                wm.terminate()
                wm.wait()
        self.run.cleanups.append(stop)
        deadline = time.monotonic() + self.run.limit(20)
        while b"window id" not in self.tool("xprop", "-root", "_NET_SUPPORTING_WM_CHECK",
                                             check_rc=False).stdout:
            if wm.poll() is not None or time.monotonic() > deadline:
                raise Failure("openbox did not start (see openbox-%d.log)" % self.number)
            time.sleep(0.1)
        # The check window comes early in openbox's start; a first client that it maps
        # shows that it has begun to manage windows.
        probe = subprocess.Popen(["xmessage", "-name", "probe", "probe"],
                                 env=dict(os.environ, DISPLAY=self.name),
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            while not self.windows("Xmessage") or "0x" not in self.prop("root",
                                                                       "_NET_CLIENT_LIST"):
                if wm.poll() is not None or time.monotonic() > deadline:
                    raise Failure("openbox manages no window (see openbox-%d.log)" % self.number)
                time.sleep(0.1)
        finally:
            probe.kill()
            probe.wait()
        while "0x" in self.prop("root", "_NET_CLIENT_LIST"):
            check(time.monotonic() < deadline, "openbox kept the probe window")
            time.sleep(0.1)
        self.run.log("openbox manages %s" % self.name)

    def prop(self, window, name):
        """One property of a window ("root" for the root) as xprop prints it, without the
        name in front."""
        which = ["-root"] if window == "root" else ["-id", str(window)]
        out = self.tool("xprop", *which, name, check_rc=False).stdout.decode()
        # Most values follow " = "; window lists follow ": window id # ".
        m = re.match(r"[^=:]*(?:=|:)\s*(.*)", out.strip(), re.S)
        absent = "not found" in out or "no such atom" in out
        return m.group(1).strip() if m and not absent else ""

    def geometry(self, window):
        """(x, y, width, height) of a window on the root, as xwininfo gives them."""
        info = self.tool("xwininfo", "-id", str(window)).stdout.decode()
        field = lambda name: int(re.search(name + r":\s+(-?\d+)", info).group(1))
        return (field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
                field("Height"))

    def monitors(self, *commands):
        """Runs each xrandr command line given, then returns RandR's monitors as
        (name, primary, x, y, width, height)."""
        for command in commands:
            self.tool("xrandr", *command.split())
        listed = self.tool("xrandr", "--listmonitors").stdout.decode()
        found = []
        for m in re.finditer(r"^\s*\d+: \+(\*?)(\S+) (\d+)/-?\d+x(\d+)/-?\d+\+(\d+)\+(\d+)",
                             listed, re.M):
            star, name, w, h, x, y = m.groups()
            found.append((name, star == "*", int(x), int(y), int(w), int(h)))
        return found

    def click(self, x, y):
        self.tool("xdotool", "mousemove", str(x), str(y), "click", "1")

    def stop(self):
        if self.proc:
            end(self.proc)


XORG_DUMMY = "/usr/lib/xorg/modules/drivers/dummy_drv.so"

# Room for a 2560x1440 monitor beside a 1920x1080 one. 2560x1440 at 50 Hz keeps within the
# dummy driver's 300 MHz pixel clock only when its modeline is given here.
XORG_CONFIG = """Section "Device"
    Identifier "card"
    Driver "dummy"
    VideoRam 256000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
    Modeline "1920x1080" 148.50 1920 2008 2052 2200 1080 1084 1089 1125 +hsync +vsync
    Modeline "2560x1440" 256.09 2560 2744 3016 3472 1440 1443 1448 1475 -hsync +vsync
EndSection
Section "Screen"
    Identifier "screen"
    Device "card"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 4480 1440
        Modes "1920x1080"
    EndSubSection
EndSection
"""


class XorgServer(XServer):
    """Xorg on its dummy video driver: monitors that RandR knows, made and arranged with
    xrandr, as a desktop with more than one monitor has them. Needs root."""

    TOOLS = XServer.TOOLS + ("Xorg", "xrandr")

    @staticmethod
    def available():
        return os.geteuid() == 0 and shutil.which("Xorg") and os.path.exists(XORG_DUMMY)

    def _start(self, number):
        if os.path.exists("/tmp/.X%d-lock" % number):
            return False
        config = self.run.path("xorg-%d.conf" % number)
        with open(config, "w") as f:
            f.write(XORG_CONFIG)
        log = open(self.run.path("xorg-%d.out" % number), "w")
        self.fbdir = None
        proc = subprocess.Popen(
            ["Xorg", ":%d" % number, "-config", config, "-noreset", "-nolisten", "tcp",
             "-logfile", self.run.path("xorg-%d.log" % number)],
            stdin=subprocess.DEVNULL, stdout=log, stderr=log)
        return self._keep(proc, self._answers(number, proc))


def private_namespaces():
    """Moves this process, and all it starts from now on, into mount and network namespaces of
    its own, with a private /tmp/.X11-unix: the X displays of a compositor started here meet
    nothing else on the machine. Returns why that was refused, or None."""
    import ctypes
    import errno
    clone_newns, clone_newnet = 0x00020000, 0x40000000
    ms_rec, ms_private = 0x4000, 0x40000
    libc = ctypes.CDLL(None, use_errno=True)
    if os.geteuid() != 0:
        return "only root may make namespaces of its own"
    if libc.unshare(clone_newns | clone_newnet) != 0:
        return "the kernel refused new namespaces: %s" % os.strerror(ctypes.get_errno())
    # Nothing mounted here may reach the machine's own mount table.
    if libc.mount(b"none", b"/", None, ms_rec | ms_private, None) != 0:
        return "cannot make the mounts private: %s" % os.strerror(ctypes.get_errno())
    os.makedirs("/tmp/.X11-unix", mode=0o1777, exist_ok=True)
    if libc.mount(b"tmpfs", b"/tmp/.X11-unix", b"tmpfs", 0, b"mode=1777") != 0:
        error = ctypes.get_errno()
        return "cannot mount a private /tmp/.X11-unix: %s" % os.strerror(error or errno.EPERM)
    return None


class Compositor(XServer):
    """A Wayland compositor, headless, with outputs side by side left to right; its rootless
    Xwayland is the X server the game and the tools talk to. It runs on a D-Bus session of its
    own, its settings in a private runtime directory and home. Call private_namespaces()
    first."""

    TOOLS = XServer.TOOLS + ("xrandr", "xprop", "Xwayland", "dbus-run-session")
    MEMORY_MB = 2048  # the compositor with its Xwayland stays well under this
    NAME = "the compositor"

    def __init__(self, run, sizes, tools=()):
        missing = [t for t in self.TOOLS + tuple(tools) if not shutil.which(t)]
        if missing:
            raise Failure("missing %s: scripts/setup installs them" % ", ".join(missing))
        self.run = run
        self.pointer_first = False
        self.quick = False
        self.proc = None
        self.helpers = []
        self.locks = {}
        self.peak = 0
        self.sizes = sizes
        self.size = sizes[0]
        self.runtime = run.path("runtime")
        os.makedirs(self.runtime, mode=0o700)
        base = {k: v for k, v in os.environ.items()
                if k not in ("DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY")}
        # The settings live in memory: nothing of the machine's own desktop is read or written.
        base.update(XDG_RUNTIME_DIR=self.runtime, GSETTINGS_BACKEND="memory",
                    HOME=run.path("desktop-home"))
        os.makedirs(base["HOME"])
        told = run.path("compositor.env")
        # Run by the compositor once Xwayland is up, with what its clients need to know. It
        # stays until stop() ends it (mutter ends with it), by its process id: KWin starts it
        # in a session of its own.
        report = ["sh", "-c", 'env > "$0.part" && echo "REPORTER=$$" >> "$0.part" && '
                  'mv "$0.part" "$0" && exec sleep 3600', told]
        self.proc = subprocess.Popen(["dbus-run-session", "--"] + self.command(report),
                                     env=base, stdin=subprocess.DEVNULL,
                                     stdout=open(run.path("compositor.log"), "w"),
                                     stderr=subprocess.STDOUT, start_new_session=True)
        run.cleanups.append(self.stop)
        self.environ = self._told(told)
        self.name = self.environ["DISPLAY"]
        self.number = int(self.name.lstrip(":"))
        self._note_locks()
        base["DBUS_SESSION_BUS_ADDRESS"] = self.environ["DBUS_SESSION_BUS_ADDRESS"]
        self.base = base  # the environment of the session's own programs
        run.log("%s on %s with outputs %s, Xwayland %s" % (self.NAME, self.runtime, sizes,
                                                           self.name))

    def command(self, report):
        """The compositor's command line, to run `report` once its Xwayland is up."""
        raise NotImplementedError

    def _told(self, path):
        deadline = time.monotonic() + self.run.limit(60)
        self._wait_for(path, "Xwayland", deadline)
        with open(path) as f:
            return dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)

    def _wait_for(self, path, what, deadline=None):
        deadline = deadline or time.monotonic() + self.run.limit(20)
        while not os.path.exists(path):
            check(self.proc.poll() is None, "%s ended (status %s) before %s was up; see %s"
                  % (self.NAME, self.proc.returncode, what, self.run.path("compositor.log")))
            check(time.monotonic() < deadline, "%s was not up in time" % what)
            time.sleep(0.1)

    def _note_locks(self):
        """The lock files of the displays the compositor took: /tmp is the machine's, and a
        compositor that is ended does not always remove them."""
        for key in ("DISPLAY", "GNOME_SETUP_DISPLAY"):
            path = "/tmp/.X%s-lock" % self.environ.get(key, "").lstrip(":")
            try:
                with open(path) as f:
                    self.locks[path] = f.read().strip()
            except OSError:
                pass

    def env(self):
        env = {"DISPLAY": self.name}
        if self.environ.get("XAUTHORITY"):
            env["XAUTHORITY"] = self.environ["XAUTHORITY"]
        return env

    def memory(self):
        """Resident memory of the compositor and all it started, in MB; fails the case once it
        passes MEMORY_MB."""
        total = 0
        for entry in os.listdir("/proc"):
            try:
                with open("/proc/%s/stat" % entry) as f:
                    fields = f.read().rsplit(")", 1)[1].split()
                if int(fields[2]) == self.proc.pid:  # its process group
                    total += int(fields[21]) * os.sysconf("SC_PAGE_SIZE")
            except (OSError, IndexError, ValueError):
                continue
        mb = total // (1024 * 1024)
        self.peak = max(self.peak, mb)
        check(mb < self.MEMORY_MB, "%s and its Xwayland hold %d MB, more than %d"
              % (self.NAME, mb, self.MEMORY_MB))
        return mb

    def set_primary(self, index):
        """Waits until the X side lists the index-th output, left to right, as the primary
        monitor and returns its rectangle. Here the first one is primary, as the compositor
        starts; a compositor that can move it says how."""
        self.memory()
        deadline = time.monotonic() + self.run.limit(10)
        while True:
            found = self.monitors()
            primary = [m[2:] for m in found if m[1]]
            ordered = sorted(m[2:] for m in found)
            if len(ordered) > index and primary == [ordered[index]]:
                return ordered[index]
            check(time.monotonic() < deadline, "Xwayland lists %s, not output %d primary"
                  % (found, index))
            time.sleep(0.1)

    def monitor_frame(self, index):
        """What the compositor itself shows on the index-th output, as a screenshot; None
        where the harness cannot see it."""
        return None

    def stop(self):
        for helper in self.helpers:
            # mutterbus.py stops its screencasts and readers at the end of its input.
            end(helper, lambda p: p.stdin.close() if p.stdin else p.terminate())
        reporter = getattr(self, "environ", {}).get("REPORTER")
        try:
            with open("/proc/%s/cmdline" % reporter, "rb") as f:
                if f.read().startswith(b"sleep\0"):
                    os.kill(int(reporter), signal.SIGTERM)
        except (OSError, TypeError, ValueError):
            pass  # it has gone already
        if self.proc and self.proc.poll() is None:
            for sig, wait in ((signal.SIGTERM, 10), (signal.SIGKILL, 10)):
                try:
                    os.killpg(self.proc.pid, sig)
                    self.proc.wait(timeout=wait)
                    break
                except ProcessLookupError:
                    break
                except subprocess.TimeoutExpired:
                    continue
        # The compositor outlives the session's bus for a moment; its locks go once it has.
        deadline = time.monotonic() + 10
        for path, pid in self.locks.items():
            while os.path.exists("/proc/%s" % pid) and time.monotonic() < deadline:
                time.sleep(0.1)
            try:
                with open(path) as f:
                    still = f.read().strip() == pid
                if still and not os.path.exists("/proc/%s" % pid):
                    os.remove(path)
            except OSError:
                pass
        if self.peak:
            self.run.log("%s and its Xwayland held at most %d MB" % (self.NAME, self.peak))


class Mutter(Compositor):
    """GNOME's compositor with virtual monitors of the given sizes, and PipeWire and
    WirePlumber for the screencasts that mutterbus.py keeps running on every monitor: headless
    mutter with nothing reading its monitors grows by gigabytes a minute."""

    PYTHON = "/usr/bin/python3"  # Debian's own, with GLib's bindings
    NAME = "mutter"

    def __init__(self, run, *sizes):
        if not os.path.exists(self.PYTHON):
            raise Failure("missing %s: scripts/setup installs it" % self.PYTHON)
        super().__init__(run, sizes, ("mutter", "pipewire", "wireplumber", "gst-launch-1.0"))
        for program in ("pipewire", "wireplumber"):
            self.helpers.append(subprocess.Popen(
                [program], env=self.base, stdin=subprocess.DEVNULL,
                stdout=open(run.path(program + ".log"), "w"), stderr=subprocess.STDOUT))
            if program == "pipewire":
                self._wait_for(os.path.join(self.runtime, "pipewire-0"), "PipeWire's socket")
        self.bus = subprocess.Popen(
            [self.PYTHON, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                       "mutterbus.py"), run.path("screencast")],
            env=self.base, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
            stderr=open(run.path("mutterbus.log"), "w"))
        self.helpers.insert(0, self.bus)
        said = self.bus.stdout.readline().decode().split()
        check(said[:1] == ["streams"], "no screencast on mutter's monitors: %s (see %s)"
              % (" ".join(said) or "mutterbus.py ended", run.path("mutterbus.log")))
        self.casts = [tuple(word.split("=", 1)) for word in said[1:]]  # (connector, directory)
        run.log("screencasts of %s" % " ".join(c for c, _ in self.casts))

    def command(self, report):
        command = ["mutter", "--headless", "--wayland", "--wayland-display", "vellmora-e2e"]
        for w, h in self.sizes:
            command += ["--virtual-monitor", "%dx%d" % (w, h)]
        return command + ["--"] + report

    def set_primary(self, index):
        """Makes the index-th monitor the primary one through mutter's DisplayConfig."""
        connector = self.casts[index][0]
        self.bus.stdin.write(b"primary %s\n" % connector.encode())
        self.bus.stdin.flush()
        said = self.bus.stdout.readline().decode().strip()
        check(said == "ok", "mutter did not make %s primary: %s" % (connector, said))
        return super().set_primary(index)

    def monitor_frame(self, index):
        """The last frame mutter sent of the index-th monitor."""
        directory = self.casts[index][1]
        w, h = self.sizes[index]
        for _ in range(20):
            frames = sorted(f for f in os.listdir(directory) if f.endswith(".rgbx"))
            # The newest may still be being written; the one before it is whole.
            for name in reversed(frames[-2:-1] or frames[-1:]):
                try:
                    with open(os.path.join(directory, name), "rb") as f:
                        raw = f.read()
                except OSError:
                    continue
                if len(raw) == w * h * 4:
                    rgb = bytearray(w * h * 3)
                    for c in range(3):
                        rgb[c::3] = raw[c::4]
                    return Screenshot(w, h, bytes(rgb))
            time.sleep(0.25)
        raise Failure("no frame of monitor %d in %s" % (index, directory))


class KWin(Compositor):
    """KDE's compositor on virtual outputs, all of one size. It is started from a copy of its
    binary: the packaged one carries a file capability that a sandbox may refuse to run."""

    NAME = "KWin"
    BINARY = "/usr/bin/kwin_wayland"

    def __init__(self, run, size, outputs):
        if not os.path.exists(self.BINARY):
            raise Failure("missing %s: scripts/setup installs it" % self.BINARY)
        self.copy = run.path("kwin_wayland")
        shutil.copy(self.BINARY, self.copy)  # the mode bits, not the capability
        super().__init__(run, (size,) * outputs)

    def command(self, report):
        w, h = self.size
        # KWin starts the applications it is given once Xwayland is up; each is one word.
        return [self.copy, "--virtual", "--xwayland", "--socket", "vellmora-e2e",
                "--width", str(w), "--height", str(h), "--output-count", str(len(self.sizes)),
                " ".join("'%s'" % word for word in report)]


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
    by the game through XDG_CONFIG_HOME. Allegro writes unsigned 16-bit stereo at 44100 Hz."""

    RATE = AUDIO_RATE   # bytes per second of sound
    SILENCE = SILENCE
    LOUD = LOUD
    SAMPLE = "H"        # array type code of one sample

    def __init__(self, run, name="sound"):
        self.home = run.path(name + "-config")
        self.file = run.path(name + ".raw")
        self.configure()

    def configure(self):
        os.makedirs(os.path.join(self.home, "alsa"))
        self.write_asoundrc(os.path.join(self.home, "alsa", "asoundrc"))

    def write_asoundrc(self, path):
        with open(path, "w") as f:
            f.write('pcm.!default { type file; slave.pcm "null"; file "%s"; format "raw" }\n'
                    % self.file)

    def env(self):
        return {"XDG_CONFIG_HOME": self.home}

    def size(self):
        try:
            return os.path.getsize(self.file)
        except OSError:
            return 0

    def exists(self):
        return os.path.exists(self.file)

    def samples(self, start=0, end=None):
        a = array.array(self.SAMPLE)
        if not self.exists():
            return a
        with open(self.file, "rb") as f:
            f.seek(start - start % a.itemsize)
            data = f.read() if end is None else f.read(max(0, end - start))
        a.frombytes(data[:len(data) // a.itemsize * a.itemsize])
        if sys.byteorder == "big":
            a.byteswap()
        return a

    def loudness(self, samples):
        """The largest distance of any sample from silence."""
        if not samples:
            return 0
        return max(max(samples) - self.SILENCE, self.SILENCE - min(samples))

    def first_loud(self, samples):
        """The index of the first sample that is sound, or None."""
        return next((i for i, v in enumerate(samples) if abs(v - self.SILENCE) >= self.LOUD),
                    None)

    def longest_silence(self, start, end):
        """The longest stretch of exact silence between two file offsets, in seconds of
        sound, measured in tenths of a second."""
        step = self.RATE // 10
        longest = run = 0
        for pos in range(start - start % 4, end - step + 1, step):
            s = self.samples(pos, pos + step)
            if min(s) == max(s) == self.SILENCE:
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


class WineCapture(Capture):
    """The same for the Windows build under Wine, whose sound reaches ALSA through Wine's own
    driver: an .asoundrc in the private HOME, and a file of 48 kHz stereo float32 samples,
    whatever the file's header says. Only the checks on loudness and silence apply to it."""

    RATE = 48000 * 8
    SILENCE = 0.0
    LOUD = LOUD / 32768
    SAMPLE = "f"

    def configure(self):
        os.makedirs(self.home)
        self.write_asoundrc(os.path.join(self.home, ".asoundrc"))

    def env(self):
        return {"HOME": self.home}


class Wine:
    """A Wine prefix of the tests' own, made once and shared by the cases that run one after
    another; a crash ends the program instead of waiting in the debugger."""

    SECONDS = 300  # no run under Wine outlives this

    def __init__(self, prefix):
        self.prefix = prefix
        if not shutil.which("wine") or not shutil.which("wineserver"):
            raise Failure("missing wine: scripts/setup installs it")

    def env(self):
        return {"WINEPREFIX": self.prefix, "WINEDEBUG": "-all",
                "WINEDLLOVERRIDES": "mscoree,mshtml=;winedbg.exe=d"}

    def launcher(self):
        return ["timeout", "-k", "10", str(self.SECONDS), "wine"]

    def ready(self, run):
        """Makes the prefix if it is not there yet, and ends any Wine left running in it."""
        os.makedirs(os.path.dirname(self.prefix), exist_ok=True)
        env = dict(os.environ, **self.env())
        env.pop("DISPLAY", None)
        with open(self.prefix + ".lock", "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            if not os.path.exists(os.path.join(self.prefix, "system.reg")):
                run.log("making the Wine prefix %s" % self.prefix)
                subprocess.run(["timeout", "120", "wineboot", "-i"], env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.stop(env)
            check(os.path.exists(os.path.join(self.prefix, "system.reg")),
                  "wineboot made no prefix in %s" % self.prefix)
        run.cleanups.append(lambda: self.stop(env))

    @staticmethod
    def stop(env):
        subprocess.run(["timeout", "30", "wineserver", "-k"], env=env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["timeout", "30", "wineserver", "-w"], env=env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class Player:
    """The game, started as a player starts it: with the arguments a case gives (none by
    default), in a working directory of the harness's choosing, with a clean environment
    apart from what the case adds."""

    def __init__(self, run, binary, x=None, cwd=None, capture=None, env=None, name="game",
                 wine=None, args=()):
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
            environ.update(capture.env())
        if wine:
            environ.update(wine.env())
        environ.update(env or {})
        self.stdout_path = run.path(name + ".stdout")
        self.stderr_path = run.path(name + ".stderr")
        command = (wine.launcher() if wine else []) + [binary] + list(args)
        self.proc = subprocess.Popen(command, cwd=self.cwd, env=environ,
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
