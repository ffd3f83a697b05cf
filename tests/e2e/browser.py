"""The browser release played from outside: served on 127.0.0.1, opened in one of three
engines (Chromium, Firefox, WebKit) at a fixed viewport, its screen read from screenshots, keys
held through the engine's driver, and every sample that reaches the page's AudioContext seen by
a tap. Each engine is a Page of its own behind one interface; the cases never ask which."""
import base64
import functools
import http.server
import json
import os
import shutil
import subprocess
import threading
import time

from picture import Screenshot
from session import CONVERT, KEY_HOLD, Failure, XServer, check, end

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
FIREFOX = "/usr/bin/firefox-esr"
NODE = "node"
NODE_TOOLS = "/usr/local/lib/vellmora-test-node"  # where scripts/setup puts puppeteer-core
WEBKITDRIVER = "/usr/bin/WebKitWebDriver"
MINIBROWSER = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
PULSEAUDIO = "/usr/bin/pulseaudio"

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

# The harness names keys as xdotool does; WebDriver wants its own code points, puppeteer the
# DOM's key names.
KEYS = {"space": "\ue00d", "Return": "\ue007", "Escape": "\ue00c", "Up": "\ue013",
        "Down": "\ue015", "Left": "\ue012", "Right": "\ue014", "F11": "\ue03b"}
DOM_KEYS = {"space": " ", "Return": "Enter", "Escape": "Escape", "Up": "ArrowUp",
            "Down": "ArrowDown", "Left": "ArrowLeft", "Right": "ArrowRight", "F11": "F11"}

# Where no script runs before the page's own (WebKit), errors are gathered from load on by
# listeners of the harness: console.error, and error events and rejections the page has not
# cancelled. The page's own listeners come first, so a cancelled one is seen as cancelled.
ERRORS = r"""
(() => {
  if (window.__vellmoraErrors) return;
  const seen = window.__vellmoraErrors = [];
  const error = console.error;
  console.error = function (...args) {
    seen.push(args.map(String).join(" "));
    return error.apply(this, args);
  };
  window.addEventListener("error", (e) => {
    if (!e.defaultPrevented) seen.push(e.message || String(e.target && e.target.src));
  }, true);
  window.addEventListener("unhandledrejection", (e) => {
    if (!e.defaultPrevented) seen.push("unhandled rejection: " + String(e.reason));
  });
})();
"""

TAP_BLOCK = 4096   # sample frames per block the tap reports
LOUD = 256 / 32768  # a peak this far from zero is sound, as the native capture judges it


class Quiet(http.server.SimpleHTTPRequestHandler):
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map,
                          **{".wasm": "application/wasm", ".js": "text/javascript",
                             ".webmanifest": "application/manifest+json"})

    def log_message(self, *args):
        pass


class Server:
    """A static server for one release directory on a free port of 127.0.0.1, as any host
    would serve it. It can go away and come back at the same address, with another release."""

    def __init__(self, run, root):
        self.run, self.httpd, self.port = run, None, 0
        self.start(root)
        self.url = "http://127.0.0.1:%d/" % self.port
        run.cleanups.append(self.stop)

    def start(self, root):
        handler = functools.partial(Quiet, directory=root)
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", self.port), handler)
        self.port = self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()
        self.run.log("serving %s at http://127.0.0.1:%d/" % (root, self.port))

    def stop(self):
        if self.httpd is not None:
            self.httpd.shutdown()
            self.httpd.server_close()
            self.httpd = None
            self.run.log("the server at port %d stopped" % self.port)


class Page:
    """One browser showing the release. It stands in for both the X server (the screen and the
    keyboard) and the player (whether the game still runs) of a native run. An engine gives
    the few things below that differ; what it cannot do here it names in CANNOT, and a case
    that needs it says so instead of running."""

    ENGINE = None
    # What this engine cannot do here: "prelude", "dpr", "narrow", "devtools",
    # "reduced_motion" -> why
    CANNOT = {}

    def __init__(self, run, url, width=640, height=480, dpr=1.0, prelude="", tap=True,
                 reduced_motion=False, mobile=False):
        self.run = run
        self.log = []
        self.proc = self  # what a waiting step reports when the game is gone
        self.quick = False  # keys are held as a person holds them
        self.mobile = mobile  # a phone's viewport: touch, and the page's viewport tag applies
        self.reduced_motion = reduced_motion  # the system asks for less motion
        started = time.monotonic()
        self.open(url, width, height, dpr, (TAP if tap else "") + prelude)
        run.log("%s showed the page in %.1f s" % (self.ENGINE, time.monotonic() - started))

    # What each engine gives.
    def open(self, url, width, height, dpr, prelude):
        """Starts the browser at this viewport, with prelude run before the page's scripts,
        and loads url."""
        raise NotImplementedError

    def resize(self, width, height, dpr=1.0):
        """A viewport of this size in CSS pixels at this device scale."""
        raise NotImplementedError

    def visit(self, url, later=0.0):
        """A player's next visit: the page's tab closed, url opened in a new one of the same
        browser at the same viewport, the script before the page's own coming again, later
        seconds after the closing."""
        raise NotImplementedError

    def js(self, expression):
        """The value of a JavaScript expression in the page."""
        raise NotImplementedError

    def png(self):
        """The viewport as a PNG, one pixel per device pixel."""
        raise NotImplementedError

    def hold(self, key, seconds=KEY_HOLD):
        raise NotImplementedError

    def new_console(self):
        """The console entries logged since the last call, as {"level", "message"}; errors
        have the level SEVERE."""
        raise NotImplementedError

    def stop(self):
        raise NotImplementedError

    def sized(self, width, height, dpr):
        self.size = (width, height)
        self.run.log("viewport %dx%d at %g device pixels per CSS pixel" % (width, height, dpr))

    # The same in every engine.
    def state(self):
        return self.js("window.vellmora ? window.vellmora.state : null")

    def status_text(self):
        return self.js("(document.getElementById('status') || {}).textContent || ''")

    def screenshot(self, window=None):
        ppm = subprocess.run([CONVERT, "png:-", "ppm:-"], input=self.png(),
                             stdout=subprocess.PIPE, check=True).stdout
        return Screenshot.from_ppm(ppm)

    def running(self):
        return self.state() not in ("ended", "failed")

    @property
    def returncode(self):
        return self.state()

    def own_stderr(self):
        return self.status_text() + " " + " / ".join(e["message"] for e in self.console())

    def blocks(self):
        """The peaks of every block the tap has heard so far, as fractions of full scale."""
        return self.js("window.__vellmoraTap ? window.__vellmoraTap.blocks : []") or []

    def console(self):
        """Everything the page has logged so far."""
        self.log += self.new_console()
        return self.log

    def errors(self):
        return [e for e in self.console() if e.get("level") == "SEVERE"]


class ChromiumPage(Page):
    """Headless Chromium through Selenium and chromedriver; the viewport and the script before
    the page's own come through the DevTools protocol."""

    ENGINE = "Chromium"

    def open(self, url, width, height, dpr, prelude):
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for arg in ("--headless=new", "--no-sandbox", "--disable-gpu",
                    "--autoplay-policy=no-user-gesture-required",
                    "--window-size=%d,%d" % (width, height)):
            options.add_argument(arg)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        self.driver = webdriver.Chrome(
            service=Service(CHROMEDRIVER, log_path=self.run.path("chromedriver.log")),
            options=options)
        self.run.cleanups.append(self.stop)
        self.tab = (width, height, dpr, prelude)
        self.prepare(url)

    def prepare(self, url):
        """The viewport, the media and the script before the page's own are the tab's."""
        width, height, dpr, prelude = self.tab
        self.resize(width, height, dpr)
        if self.reduced_motion:
            self.cdp("Emulation.setEmulatedMedia", features=[
                {"name": "prefers-reduced-motion", "value": "reduce"}])
        self.cdp("Page.addScriptToEvaluateOnNewDocument", source=prelude)
        self.driver.get(url)

    def visit(self, url, later=0.0):
        new_tab(self.driver)
        time.sleep(later)
        self.prepare(url)

    def cdp(self, command, **params):
        return self.driver.execute_cdp_cmd(command, params)

    def resize(self, width, height, dpr=1.0, mobile=None):
        """mobile (by default the page's own) makes the viewport a phone's: the page's
        viewport tag applies, touch instead of a mouse, and the orientation its shape gives."""
        if mobile is None:
            mobile = self.mobile
        landscape = width > height
        if mobile:
            self.cdp("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)
        self.cdp("Emulation.setDeviceMetricsOverride", width=width, height=height,
                 deviceScaleFactor=dpr, mobile=mobile,
                 screenOrientation={"type": "landscapePrimary" if landscape
                                    else "portraitPrimary", "angle": 90 if landscape else 0})
        self.sized(width, height, dpr)

    def js(self, expression):
        return self.driver.execute_script("return " + expression)

    def png(self):
        return base64.b64decode(self.cdp("Page.captureScreenshot", format="png",
                                         optimizeForSpeed=True)["data"])

    def hold(self, key, seconds=KEY_HOLD):
        webdriver_hold(self.driver, key, seconds)

    def new_console(self):
        return self.driver.get_log("browser")

    def stop(self):
        quit_driver(self.driver)


class FirefoxPage(Page):
    """Headless Firefox ESR, driven over WebDriver BiDi by puppeteer-core in a Node process
    of its own (bidi.js), one JSON command a line. Its sound goes to a PulseAudio null sink:
    without a sound server Firefox never lets an AudioContext run."""

    ENGINE = "Firefox"
    CANNOT = {"devtools": "Firefox speaks no DevTools protocol here, only WebDriver BiDi"}

    def open(self, url, width, height, dpr, prelude):
        if not os.path.isdir(os.path.join(NODE_TOOLS, "node_modules", "puppeteer-core")):
            raise Failure("no puppeteer-core in %s: scripts/setup installs it" % NODE_TOOLS)
        env = dict(os.environ, **Pulse(self.run).env())
        self.errlog = open(self.run.path("firefox.log"), "w")
        self.bridge = subprocess.Popen(
            [NODE, os.path.join(os.path.dirname(os.path.abspath(__file__)), "bidi.js")],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=self.errlog, env=env,
            start_new_session=True)
        self.asked = 0
        self.run.cleanups.append(self.stop)
        self.call("open", url=url, width=width, height=height, dpr=dpr, prelude=prelude,
                  executable=FIREFOX, reducedMotion=self.reduced_motion)
        self.sized(width, height, dpr)
        self.tab = dict(width=width, height=height, dpr=dpr, prelude=prelude)

    def visit(self, url, later=0.0):
        self.call("visit", url=url, ms=int(later * 1000), **self.tab)

    def call(self, op, **args):
        self.asked += 1
        self.bridge.stdin.write((json.dumps(dict(args, id=self.asked, op=op)) + "\n").encode())
        self.bridge.stdin.flush()
        line = self.bridge.stdout.readline()
        if not line:
            raise Failure("the Firefox driver ended; see %s" % self.run.path("firefox.log"))
        answer = json.loads(line)
        if "error" in answer:
            raise Failure("Firefox could not %s: %s" % (op, answer["error"]))
        return answer["ok"]

    def resize(self, width, height, dpr=1.0):
        self.call("resize", width=width, height=height, dpr=dpr)
        self.sized(width, height, dpr)

    def js(self, expression):
        return self.call("js", expression=expression)

    def png(self):
        return base64.b64decode(self.call("screenshot"))

    def hold(self, key, seconds=KEY_HOLD):
        self.call("hold", key=DOM_KEYS.get(key, key), ms=int(seconds * 1000))

    def new_console(self):
        return self.call("console")

    def stop(self):
        if self.bridge.poll() is None:
            try:
                self.bridge.stdin.close()  # the bridge closes Firefox and ends
                self.bridge.wait(timeout=20)
            except (OSError, subprocess.TimeoutExpired):
                os.killpg(self.bridge.pid, 9)
                self.bridge.wait()
        self.errlog.close()


class WebKitPage(Page):
    """WebKitGTK's MiniBrowser through WebKitWebDriver and Selenium, on an Xvfb of its own,
    its sound into a PulseAudio null sink. WebKit runs no script of the harness before the
    page's own, so the tap and the error listeners arrive just after load: the page makes its
    AudioContext only at the first key, and nothing before load is a console error here."""

    ENGINE = "WebKit"
    CANNOT = {
        "prelude": "WebKitWebDriver runs no script before the page's own",
        "dpr": "MiniBrowser cannot emulate another device pixel ratio",
        "narrow": "MiniBrowser is no narrower than 447 px",
        "devtools": "WebKitWebDriver offers no DevTools protocol",
        "reduced_motion": "MiniBrowser has no way to be told the system asks for less motion",
    }
    CHROME = 38  # MiniBrowser's window is this much taller than its viewport

    def open(self, url, width, height, dpr, prelude):
        from selenium import webdriver
        check(dpr == 1.0, "WebKit: " + self.CANNOT["dpr"])
        x = XServer(self.run, 1920, 1200)
        env = dict(x.env(), **Pulse(self.run).env())
        options = webdriver.WebKitGTKOptions()
        options.binary_location = MINIBROWSER
        options.add_argument("--automation")
        saved = {k: os.environ.get(k) for k in env}
        os.environ.update(env)  # Selenium 4.8 gives WebKitWebDriver the harness's environment
        try:
            self.driver = webdriver.WebKitGTK(executable_path=WEBKITDRIVER, options=options,
                                              service_log_path=self.run.path("webkit.log"))
        finally:
            for k, v in saved.items():
                if v is None:
                    os.environ.pop(k)
                else:
                    os.environ[k] = v
        self.run.cleanups.append(self.stop)
        self.resize(width, height)
        self.prelude = prelude
        self.load(url)

    def load(self, url):
        self.driver.get(url)
        self.driver.execute_script(ERRORS + self.prelude)

    def visit(self, url, later=0.0):
        new_tab(self.driver)
        time.sleep(later)
        self.resize(*self.size)
        self.load(url)

    def resize(self, width, height, dpr=1.0):
        check(dpr == 1.0, "WebKit: " + self.CANNOT["dpr"])
        self.driver.set_window_size(width, height + self.CHROME)
        self.sized(width, height, dpr)

    def js(self, expression):
        return self.driver.execute_script("return " + expression)

    def png(self):
        return self.driver.get_screenshot_as_png()

    def hold(self, key, seconds=KEY_HOLD):
        webdriver_hold(self.driver, key, seconds)

    def new_console(self):
        got = self.js("window.__vellmoraErrors ? window.__vellmoraErrors.splice(0) : []")
        return [{"level": "SEVERE", "message": m} for m in got or []]

    def stop(self):
        quit_driver(self.driver)


ENGINES = {"chromium": ChromiumPage, "firefox": FirefoxPage, "webkit": WebKitPage}


def webdriver_hold(driver, key, seconds):
    from selenium.webdriver.common.action_chains import ActionChains
    k = KEYS.get(key, key)
    ActionChains(driver).key_down(k).pause(seconds).key_up(k).perform()


def new_tab(driver):
    """Opens a new tab and closes the one before, leaving the driver in the new one."""
    old = driver.current_window_handle
    driver.switch_to.new_window("tab")
    new = driver.current_window_handle
    driver.switch_to.window(old)
    driver.close()
    driver.switch_to.window(new)


def quit_driver(driver):
    try:
        driver.quit()
    except Exception:
        service = getattr(driver, "service", None)
        if service is not None and service.process is not None:
            service.process.kill()
        raise


class Pulse:
    """A PulseAudio server of the run's own with one null sink, for engines that play only
    through a sound server. It lives in the run's directory and ends with the run."""

    def __init__(self, run):
        if not shutil.which(PULSEAUDIO):
            raise Failure("no %s: scripts/setup installs it" % PULSEAUDIO)
        home = run.path("pulse")
        os.makedirs(home, exist_ok=True)
        self.socket = os.path.join(home, "socket")
        env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=home, XDG_CONFIG_HOME=home)
        env.pop("PULSE_SERVER", None)
        self.log = open(os.path.join(home, "pulseaudio.log"), "w")
        self.proc = subprocess.Popen(
            [PULSEAUDIO, "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
             "--log-target=stderr", "-L", "module-null-sink sink_name=vellmora",
             "-L", "module-native-protocol-unix socket=%s auth-anonymous=1" % self.socket],
            env=env, stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log)
        run.cleanups.append(self.stop)
        deadline = time.monotonic() + run.limit(10)
        while not os.path.exists(self.socket):
            check(self.proc.poll() is None and time.monotonic() < deadline,
                  "PulseAudio did not start; see %s" % self.log.name)
            time.sleep(0.05)
        run.log("PulseAudio with a null sink at %s" % self.socket)

    def env(self):
        return {"PULSE_SERVER": "unix:" + self.socket}

    def stop(self):
        end(self.proc)
        self.log.close()


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
  // As a browser does, the page hears of the pad coming and going.
  pad.connect = (on) => {
    pad.connected = on;
    const e = new Event(on ? "gamepadconnected" : "gamepaddisconnected");
    e.gamepad = pad;
    window.dispatchEvent(e);
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
        self.page.js("window.__pad.connect(%s)" % ("true" if connected else "false"))

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
