"""The browser release played from outside: served on 127.0.0.1, opened in headless Chromium at
a fixed viewport and device scale, its screen read from screenshots, keys held through
WebDriver, and every sample that reaches the page's AudioContext seen by a tap."""
import base64
import functools
import http.server
import subprocess
import threading
import time

from picture import Screenshot
from session import CONVERT, KEY_HOLD, Failure, check

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"

# Installed before the page's own scripts: whatever the page connects to a destination also
# feeds a ScriptProcessorNode that keeps the peak of each block it hears. The tap writes
# zeros itself, so it adds nothing to what the page plays.
TAP = r"""
(() => {
  const connect = AudioNode.prototype.connect;
  const taps = new Map();
  const seen = window.__vellmoraTap = { blocks: [], contexts: 0, rate: 0 };
  function tapOf(ctx) {
    let t = taps.get(ctx);
    if (!t) {
      t = ctx.createScriptProcessor(4096, 2, 2);
      t.onaudioprocess = (e) => {
        let peak = 0;
        for (let c = 0; c < e.inputBuffer.numberOfChannels; c++) {
          const d = e.inputBuffer.getChannelData(c);
          for (let i = 0; i < d.length; i++) {
            const a = Math.abs(d[i]);
            if (a > peak) peak = a;
          }
          e.outputBuffer.getChannelData(c).fill(0);
        }
        seen.blocks.push(peak);
      };
      connect.call(t, ctx.destination);
      taps.set(ctx, t);
      seen.contexts++;
      seen.rate = ctx.sampleRate;
    }
    return t;
  }
  AudioNode.prototype.connect = function (dest, ...rest) {
    if (dest instanceof AudioDestinationNode) connect.call(this, tapOf(this.context));
    return connect.call(this, dest, ...rest);
  };
})();
"""

# The harness names keys as xdotool does; WebDriver wants its own code points.
KEYS = {"space": "\ue00d", "Return": "\ue007", "Escape": "\ue00c", "Up": "\ue013",
        "Down": "\ue015", "Left": "\ue012", "Right": "\ue014", "F11": "\ue03b"}

TAP_BLOCK = 4096   # sample frames per block the tap reports
LOUD = 256 / 32768  # a peak this far from zero is sound, as the native capture judges it


class Quiet(http.server.SimpleHTTPRequestHandler):
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map,
                          **{".wasm": "application/wasm", ".js": "text/javascript"})

    def log_message(self, *args):
        pass


class Server:
    """A static server for one release directory on a free port of 127.0.0.1, as any host
    would serve it."""

    def __init__(self, run, root):
        handler = functools.partial(Quiet, directory=root)
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.url = "http://127.0.0.1:%d/" % self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()
        run.cleanups.append(self.stop)
        run.log("serving %s at %s" % (root, self.url))

    def stop(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class Page:
    """One headless Chromium showing the release. It stands in for both the X server (the
    screen and the keyboard) and the player (whether the game still runs) of a native run."""

    def __init__(self, run, url, width=640, height=480, dpr=1.0, prelude="", tap=True,
                 mobile=False):
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        self.run = run
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for arg in ("--headless=new", "--no-sandbox", "--disable-gpu",
                    "--autoplay-policy=no-user-gesture-required",
                    "--window-size=%d,%d" % (width, height)):
            options.add_argument(arg)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        started = time.monotonic()
        self.driver = webdriver.Chrome(
            service=Service(CHROMEDRIVER, log_path=run.path("chromedriver.log")),
            options=options)
        run.cleanups.append(self.stop)
        run.log("Chromium started in %.1f s" % (time.monotonic() - started))
        self.resize(width, height, dpr, mobile)
        self.cdp("Page.addScriptToEvaluateOnNewDocument", source=(TAP if tap else "") + prelude)
        self.log = []
        self.driver.get(url)
        self.proc = self  # what a waiting step reports when the game is gone
        self.quick = False  # keys are held as a person holds them

    def cdp(self, command, **params):
        return self.driver.execute_cdp_cmd(command, params)

    def resize(self, width, height, dpr=1.0, mobile=False):
        """A viewport of this size in CSS pixels at this device scale; mobile makes it a
        phone's (the page's viewport tag applies, touch instead of a mouse, and the
        orientation its shape gives)."""
        self.size = (width, height)
        landscape = width > height
        if mobile:
            self.cdp("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)
        self.cdp("Emulation.setDeviceMetricsOverride", width=width, height=height,
                 deviceScaleFactor=dpr, mobile=mobile,
                 screenOrientation={"type": "landscapePrimary" if landscape
                                    else "portraitPrimary", "angle": 90 if landscape else 0})
        self.run.log("%s %dx%d at %g device pixels per CSS pixel"
                     % ("phone" if mobile else "viewport", width, height, dpr))

    def js(self, expression):
        return self.driver.execute_script("return " + expression)

    def state(self):
        return self.js("window.vellmora ? window.vellmora.state : null")

    def status_text(self):
        return self.js("(document.getElementById('status') || {}).textContent || ''")

    # The screen and keyboard, as XServer offers them.
    def screenshot(self, window=None):
        png = base64.b64decode(self.cdp("Page.captureScreenshot", format="png",
                                          optimizeForSpeed=True)["data"])
        ppm = subprocess.run([CONVERT, "png:-", "ppm:-"], input=png, stdout=subprocess.PIPE,
                             check=True).stdout
        return Screenshot.from_ppm(ppm)

    def hold(self, key, seconds=KEY_HOLD):
        from selenium.webdriver.common.action_chains import ActionChains
        k = KEYS.get(key, key)
        ActionChains(self.driver).key_down(k).pause(seconds).key_up(k).perform()

    # The player, as Player offers it.
    def running(self):
        return self.state() not in ("ended", "failed")

    @property
    def returncode(self):
        return self.state()

    def own_stderr(self):
        return self.status_text() + " " + " / ".join(e["message"] for e in self.console())

    # Sound and the console.
    def blocks(self):
        """The peaks of every block the tap has heard so far, as fractions of full scale."""
        return self.js("window.__vellmoraTap ? window.__vellmoraTap.blocks : []") or []

    def console(self):
        """Everything the page has logged so far (WebDriver hands each entry out once)."""
        self.log += self.driver.get_log("browser")
        return self.log

    def errors(self):
        return [e for e in self.console() if e.get("level") == "SEVERE"]

    def stop(self):
        try:
            self.driver.quit()
        except Exception:
            service = getattr(self.driver, "service", None)
            if service is not None and service.process is not None:
                service.process.kill()
            raise


def wait_heard(run, page, start, seconds=30):
    """Waits for a loud block from block index start on; returns its index."""
    deadline = time.monotonic() + run.limit(seconds)
    while True:
        blocks = page.blocks()
        for i in range(start, len(blocks)):
            if blocks[i] >= LOUD:
                return i
        check(time.monotonic() < deadline, "no sound reached the page's AudioContext within "
              "%ds (%d blocks heard, the loudest %.4f)" % (
                  run.limit(seconds), len(blocks), max(blocks[start:], default=0)))
        time.sleep(0.2)


def wait_blocks(run, page, count, seconds=30):
    """Waits until the tap has heard this many blocks, and returns them."""
    deadline = time.monotonic() + run.limit(seconds)
    while True:
        blocks = page.blocks()
        if len(blocks) >= count:
            return blocks
        if time.monotonic() > deadline:
            raise Failure("the page's sound stopped at %d blocks (wanted %d)"
                          % (len(blocks), count))
        time.sleep(0.2)


# A phone held upright: its viewport in CSS pixels and its device scale.
PHONE = (390, 844, 3.0)


def view(page):
    """Where the page put the picture: k and its top left corner in device pixels."""
    return page.js("window.vellmora.view")


def picture_point(page, x, y):
    """The CSS pixel of the page at the middle of the picture's pixel (x, y)."""
    v = view(page)
    return ((v["x"] + (x + 0.5) * v["k"]) / v["dpr"], (v["y"] + (y + 0.5) * v["k"]) / v["dpr"])


class Fingers:
    """A player with only a touch screen, standing in for the keyboard of a Page: "holding"
    any key is a tap, on the picture's pixel aim. The screen is the page's."""

    quick = False

    def __init__(self, page, aim=(80, 60)):
        self.page, self.aim = page, aim

    def tap(self, x, y):
        cx, cy = picture_point(self.page, x, y)
        point = {"x": cx, "y": cy, "radiusX": 4, "radiusY": 4, "id": 1}
        self.page.cdp("Input.dispatchTouchEvent", type="touchStart", touchPoints=[point])
        self.page.cdp("Input.dispatchTouchEvent", type="touchEnd", touchPoints=[])

    def hold(self, key=None, seconds=None):
        self.tap(*self.aim)

    def screenshot(self, window=None):
        return self.page.screenshot(window)


# A game pad the page finds through navigator.getGamepads(), there before the page's scripts
# run; the test connects it, moves its sticks and presses its buttons (the standard layout).
PAD_PRELUDE = r"""
(() => {
  const pad = window.__pad = {
    connected: false, id: "Test pad (STANDARD GAMEPAD)", index: 0, mapping: "standard",
    timestamp: 0, axes: [0, 0, 0, 0],
    buttons: Array.from({length: 17}, () => ({pressed: false, touched: false, value: 0})),
  };
  pad.set = (button, down) => {
    pad.buttons[button] = {pressed: down, touched: down, value: down ? 1 : 0};
    pad.timestamp = performance.now();
  };
  Object.defineProperty(Navigator.prototype, "getGamepads", {
    configurable: true, value: () => [pad.connected ? pad : null, null, null, null],
  });
})();
"""

# The harness's key names as the pad's buttons: A is Space, Back is Escape, the D-pad the
# arrows; any other name stands for B, which only ends the splash.
PAD_BUTTONS = {"space": 0, "B": 1, "Escape": 8, "Back": 8, "Start": 9, "Up": 12, "Down": 13,
               "Left": 14, "Right": 15}


# A press of a pad's button that lasts one animation frame: down in one, up in the next.
ONE_FRAME = """requestAnimationFrame(() => {
  window.__pad.set(%d, true);
  requestAnimationFrame(() => window.__pad.set(%d, false));
})"""


class Pad:
    """A game pad standing in for the keyboard of a Page whose prelude was PAD_PRELUDE; while
    one_frame is set, each press lasts one animation frame."""

    def __init__(self, page):
        self.page, self.one_frame = page, False

    @property
    def quick(self):
        """A press one frame long must act: it is never made again."""
        return self.one_frame

    def connect(self, connected=True):
        self.page.js("window.__pad.connected = %s" % ("true" if connected else "false"))

    def stick(self, x, y):
        self.page.js("window.__pad.axes = [%r, %r, 0, 0]" % (x, y))

    def hold(self, key, seconds=KEY_HOLD):
        button = PAD_BUTTONS.get(key, 1)
        if self.one_frame:
            self.page.js(ONE_FRAME % (button, button))
            return
        self.page.js("window.__pad.set(%d, true)" % button)
        time.sleep(seconds)
        self.page.js("window.__pad.set(%d, false)" % button)

    def screenshot(self, window=None):
        return self.page.screenshot(window)


# Key events as the page's window gets them: the harness's key names as (code, key).
EVENT_KEYS = {"space": ("Space", " "), "Escape": ("Escape", "Escape"), "Up": ("ArrowUp", "ArrowUp"),
              "Down": ("ArrowDown", "ArrowDown"), "Left": ("ArrowLeft", "ArrowLeft"),
              "Right": ("ArrowRight", "ArrowRight"), "a": ("KeyA", "a")}

# A press and its release handed to the page in one task, so both come within one frame:
# a key's two events, or a pointer's down and up on the picture's pixel (x, y).
QUICK_KEY = """(() => {
  const init = {code: %r, key: %r, bubbles: true, cancelable: true};
  window.dispatchEvent(new KeyboardEvent("keydown", init));
  window.dispatchEvent(new KeyboardEvent("keyup", init));
})()"""
QUICK_POINTER = """(() => {
  const v = window.vellmora.view;
  const init = {clientX: (v.x + (%d + 0.5) * v.k) / v.dpr, clientY: (v.y + (%d + 0.5) * v.k) / v.dpr,
                pointerType: %r, isPrimary: true, pointerId: 7, button: 0, buttons: 1,
                bubbles: true, cancelable: true};
  const target = document.getElementById("screen");
  target.dispatchEvent(new PointerEvent("pointerdown", init));
  target.dispatchEvent(new PointerEvent("pointerup", Object.assign(init, {buttons: 0})));
})()"""


class Quick:
    """A player whose every press is over within one frame, standing in for the keyboard of a
    Page: each key its own, or while pointer is "tap" or "click", every key a finger's or the
    mouse's press on the picture's pixel aim."""

    quick = True  # every press must act: none is made again

    def __init__(self, page, aim=(80, 60)):
        self.page, self.aim, self.pointer = page, aim, None

    def hold(self, key, seconds=None):
        if self.pointer:
            self.page.js(QUICK_POINTER % (self.aim[0], self.aim[1],
                                          "touch" if self.pointer == "tap" else "mouse"))
        else:
            self.page.js(QUICK_KEY % EVENT_KEYS[key])

    def screenshot(self, window=None):
        return self.page.screenshot(window)
