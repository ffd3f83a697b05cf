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

    def __init__(self, run, url, width=640, height=480, dpr=1.0, prelude="", tap=True):
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
        self.resize(width, height, dpr)
        self.cdp("Page.addScriptToEvaluateOnNewDocument", source=(TAP if tap else "") + prelude)
        self.log = []
        self.driver.get(url)
        self.proc = self  # what a waiting step reports when the game is gone

    def cdp(self, command, **params):
        return self.driver.execute_cdp_cmd(command, params)

    def resize(self, width, height, dpr=1.0):
        self.size = (width, height)
        self.cdp("Emulation.setDeviceMetricsOverride", width=width, height=height,
                 deviceScaleFactor=dpr, mobile=False)
        self.run.log("viewport %dx%d at %g device pixels per CSS pixel" % (width, height, dpr))

    def js(self, expression):
        return self.driver.execute_script("return " + expression)

    def state(self):
        return self.js("window.vellmora ? window.vellmora.state : null")

    def status_text(self):
        return self.js("(document.getElementById('status') || {}).textContent || ''")

    # The screen and keyboard, as XServer offers them.
    def screenshot(self, window=None):
        png = base64.b64decode(self.cdp("Page.captureScreenshot", format="png")["data"])
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
