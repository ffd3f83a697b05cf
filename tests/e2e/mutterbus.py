"""Speaks to a headless mutter over its session bus for the end-to-end cases: keeps a screencast
running on every monitor (headless mutter grows without bounds when nothing reads its
monitors) and sets the primary monitor when asked. Runs under Debian's own /usr/bin/python3,
which has GLib's bindings. Commands on standard input, one a line, each answered by one line:

    primary CONNECTOR   makes that monitor primary; answers "ok" or "error: ..."

At the start it answers "streams CONNECTOR=DIRECTORY ...", once every monitor is being read:
each directory keeps the last few frames of its monitor as raw RGBx files, a few a second.
End of input stops the screencasts and the readers."""
import os
import subprocess
import sys
import threading

from gi.repository import Gio, GLib

# Mutter itself then sends no more than this, and only when the monitor's picture changed.
FRAMES_PER_SECOND = 2
KEEP_FRAMES = 3

CONFIG = ("org.gnome.Mutter.DisplayConfig", "/org/gnome/Mutter/DisplayConfig")
CAST = ("org.gnome.Mutter.ScreenCast", "/org/gnome/Mutter/ScreenCast")


def call(bus, name, path, interface, method, args=None, reply=None):
    return bus.call_sync(name, path, interface, method, args,
                         GLib.VariantType(reply) if reply else None,
                         Gio.DBusCallFlags.NONE, 10000, None).unpack()


def monitors(bus):
    """(serial, [(connector, (w, h))], logical monitors) as mutter has them now."""
    serial, physical, logical, _ = call(bus, *CONFIG, "org.gnome.Mutter.DisplayConfig",
                                        "GetCurrentState")
    found = []
    for (connector, _, _, _), modes, _ in physical:
        current = [m for m in modes if m[6].get("is-current")]
        found.append((connector, current[0]))
    return serial, found, logical


def set_primary(bus, connector):
    """Keeps every monitor where it is and makes the named one primary, for this session."""
    serial, physical, logical = monitors(bus)
    modes = {c: m[0] for c, m in physical}
    config = []
    for x, y, scale, transform, _, members, _ in logical:
        names = [m[0] for m in members]
        config.append((x, y, scale, transform, connector in names,
                       [(n, modes[n], {}) for n in names]))
    call(bus, *CONFIG, "org.gnome.Mutter.DisplayConfig", "ApplyMonitorsConfig",
         GLib.Variant("(uua(iiduba(ssa{sv}))a{sv})", (serial, 1, config, {})))


class Screencast:
    """One screencast session recording one monitor, read by a GStreamer pipeline that keeps
    its last frames as files."""

    def __init__(self, bus, connector, width, height, directory):
        self.bus, self.connector, self.directory = bus, connector, directory
        self.size = (width, height)
        self.reader = None
        self.node = None
        os.makedirs(directory, exist_ok=True)
        self.session = call(bus, *CAST, "org.gnome.Mutter.ScreenCast", "CreateSession",
                            GLib.Variant("(a{sv})", ({},)))[0]
        self.stream = call(bus, CAST[0], self.session, "org.gnome.Mutter.ScreenCast.Session",
                           "RecordMonitor",
                           GLib.Variant("(sa{sv})", (connector, {"cursor-mode":
                                                                 GLib.Variant("u", 0)})))[0]
        bus.signal_subscribe(CAST[0], "org.gnome.Mutter.ScreenCast.Stream",
                             "PipeWireStreamAdded", self.stream, None,
                             Gio.DBusSignalFlags.NONE, self.added)
        call(bus, CAST[0], self.session, "org.gnome.Mutter.ScreenCast.Session", "Start")

    def added(self, _bus, _sender, _path, _interface, _signal, args):
        self.node = args.unpack()[0]
        log = open(os.path.join(self.directory, "gst.log"), "w")
        self.reader = subprocess.Popen(
            ["gst-launch-1.0", "-q", "pipewiresrc", "path=%d" % self.node, "always-copy=true",
             "!", "video/x-raw,max-framerate=%d/1" % FRAMES_PER_SECOND, "!", "videoconvert", "!",
             "video/x-raw,format=RGBx", "!", "multifilesink",
             "location=%s" % os.path.join(self.directory, "frame-%06d.rgbx"),
             "max-files=%d" % KEEP_FRAMES],
            stdin=subprocess.DEVNULL, stdout=log, stderr=log)

    def stop(self):
        try:
            call(self.bus, CAST[0], self.session, "org.gnome.Mutter.ScreenCast.Session", "Stop")
        except GLib.Error:
            pass  # mutter is already going
        if self.reader and self.reader.poll() is None:
            self.reader.terminate()
            try:
                self.reader.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.reader.kill()
                self.reader.wait()


def answer(text):
    sys.stdout.write(text + "\n")
    sys.stdout.flush()


def main():
    workdir = sys.argv[1]
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    _, physical, _ = monitors(bus)
    casts = [Screencast(bus, c, m[1], m[2], os.path.join(workdir, "monitor-" + c))
             for c, m in physical]
    context = GLib.MainContext.default()
    deadline = GLib.get_monotonic_time() + 20 * 1000000
    while any(c.node is None for c in casts) and GLib.get_monotonic_time() < deadline:
        context.iteration(False)
        GLib.usleep(20000)
    if any(c.node is None for c in casts):
        answer("error: no PipeWire stream for %s" % [c.connector for c in casts if not c.node])
    else:
        answer("streams " + " ".join("%s=%s" % (c.connector, c.directory) for c in casts))

    # Commands come on another thread; the main loop keeps the bus connection served.
    loop = GLib.MainLoop()

    def commands():
        for line in sys.stdin:
            words = line.split()
            GLib.idle_add(run, words)
        GLib.idle_add(loop.quit)

    def run(words):
        try:
            if words[:1] == ["primary"] and len(words) == 2:
                set_primary(bus, words[1])
                answer("ok")
            else:
                answer("error: unknown command %r" % " ".join(words))
        except GLib.Error as e:
            answer("error: %s" % e.message)
        return False

    threading.Thread(target=commands, daemon=True).start()
    loop.run()
    for c in casts:
        c.stop()


if __name__ == "__main__":
    main()
