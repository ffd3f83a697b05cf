#!/usr/bin/python3
"""Measures the browser release in headless Chromium, each figure beside its floor from the
same run: the size on the wire, navigation to the first frame, main-thread time per frame at
two screen sizes, ticks per second, the page's peak memory, and the time from a key or a tap
to the picture that shows it. Prints a table and writes the raw figures as JSON. Run through
`scripts/bench web`, or `scripts/bench web latency` for the last figures alone."""
import gzip
import json
import os
import random
import statistics
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))

from session import Run  # noqa: E402
import browser  # noqa: E402

# Notes the first frame the page presents, and keeps hold of the wasm memory, whose size
# is the heap the game's C++ code sees.
PROBE = r"""
(() => {
  window.__bench = { firstFrame: null, memories: [] };
  const note = () => {
    if (window.__bench.firstFrame === null && window.vellmora && window.vellmora.frames > 0)
      window.__bench.firstFrame = performance.now();
    else requestAnimationFrame(note);
  };
  requestAnimationFrame(note);
  const keep = (result) => {
    const instance = result.instance || result;
    for (const v of Object.values(instance.exports || {}))
      if (v instanceof WebAssembly.Memory) window.__bench.memories.push(v);
    return result;
  };
  const instantiate = WebAssembly.instantiate;
  WebAssembly.instantiate = (...a) => instantiate.apply(WebAssembly, a).then(keep);
  if (WebAssembly.instantiateStreaming) {
    const streaming = WebAssembly.instantiateStreaming;
    WebAssembly.instantiateStreaming = (...a) => streaming.apply(WebAssembly, a).then(keep);
  }
})();
"""

MEMORY = """(() => {
  const wasm = window.__bench.memories.reduce((n, m) => n + m.buffer.byteLength, 0);
  return [wasm, performance.memory ? performance.memory.usedJSHeapSize : 0];
})()"""


# Before the page's own scripts: when each key went down and each finger lifted (listened to
# first, by the event's own time stamp), and when each paint of a canvas was made. A paint
# is presented with the frame it was made in, whether it was made in an event's handler (the
# floor) or in an animation frame's callback (the game), so its time stands for that frame.
LATENCY = r"""
(() => {
  const seen = window.__latency = { presses: [], painted: [] };
  const press = (e) => seen.presses.push(e.timeStamp);
  addEventListener("keydown", press, true);
  addEventListener("touchend", press, true);
  const proto = CanvasRenderingContext2D.prototype;
  for (const name of ["putImageData", "drawImage"]) {
    const paint = proto[name];
    proto[name] = function (...a) {
      seen.painted.push(performance.now());
      return paint.apply(this, a);
    };
  }
})();
"""

PRESSES = 50


def press_key(page):
    page.cdp("Input.dispatchKeyEvent", type="rawKeyDown", code="ArrowDown", key="ArrowDown",
             windowsVirtualKeyCode=40)
    page.cdp("Input.dispatchKeyEvent", type="keyUp", code="ArrowDown", key="ArrowDown",
             windowsVirtualKeyCode=40)


def press_finger(page, x, y):
    point = {"x": x, "y": y, "radiusX": 4, "radiusY": 4, "id": 1}
    page.cdp("Input.dispatchTouchEvent", type="touchStart", touchPoints=[point])
    page.cdp("Input.dispatchTouchEvent", type="touchEnd", touchPoints=[])


def latencies(page, press, again=None):
    """Milliseconds from each of PRESSES presses to the paint of the frame that first shows it,
    the presses half a second apart, give or take, so they meet the frames at every phase.
    again(page), when given, is called whenever a press showed nothing: the game has reached
    a screen where the press does nothing, and it brings it back to one where it does."""
    found = []
    while len(found) < PRESSES:
        before = page.js("window.__latency.presses.length")
        press(page)
        time.sleep(0.4 + random.random() * 0.2)
        presses, painted = page.js("[window.__latency.presses, window.__latency.painted]")
        if len(presses) == before:
            continue
        at = presses[before]
        later = [t for t in painted if t >= at]
        if later:
            found.append(min(later) - at)
        elif again:
            again(page)
            time.sleep(1)
    return found


def tap(page, x, y):
    """A tap on the picture's pixel (x, y), wherever the page placed the picture."""
    v = page.js("window.vellmora.view") or {"x": 0, "y": 0, "k": 1, "dpr": 1}
    press_finger(page, (v["x"] + x * v["k"]) / v["dpr"], (v["y"] + y * v["k"]) / v["dpr"])


BOX0 = (40, 85)    # inside the first box of a game's grid, where no title item is
BEGIN = (79, 64)   # "Begin" on the title


def latency(run, game_url, floor_url):
    """Key and tap to picture: Down on the title toggles its highlight at every press; a tap
    on the first box of a game moves the turn on a phase, and once the game is over a tap on
    "Begin" starts the next. The floor paints at each event."""
    found = {}
    for name, url in (("game", game_url), ("floor", floor_url + "?events")):
        page, _ = open_page(run, url, probe=PROBE + LATENCY, mobile=True)
        time.sleep(1)
        page.hold("space")
        time.sleep(1)
        keys = latencies(page, press_key)
        tap(page, *BEGIN)
        time.sleep(1)
        taps = latencies(page, lambda p: tap(p, *BOX0), lambda p: tap(p, *BEGIN))
        found[name] = {"key": keys, "tap": taps}
        page.stop()
        run.cleanups.remove(page.stop)
    return found


def wire_size(root):
    """Every file of the release compressed as a server would send it, summed."""
    total = raw = 0
    for base, _, files in os.walk(root):
        for name in files:
            with open(os.path.join(base, name), "rb") as f:
                data = f.read()
            raw += len(data)
            total += len(gzip.compress(data, 9))
    return total, raw


def open_page(run, url, width=640, height=480, probe=PROBE, mobile=False):
    """A page at this viewport, and when its first frame came, in ms from navigation."""
    # No sound tap: it would add its own work to the game's main thread.
    page = browser.Page(run, "about:blank", width, height, tap=False, mobile=mobile)
    page.cdp("Page.addScriptToEvaluateOnNewDocument", source=probe)
    page.cdp("Performance.enable")
    start = time.monotonic()
    page.driver.get(url)
    while page.js("window.__bench.firstFrame") is None:
        if time.monotonic() - start > 30:
            raise RuntimeError("no frame from %s within 30 s" % url)
        time.sleep(0.02)
    return page, page.js("window.__bench.firstFrame")


def metrics(page):
    got = page.cdp("Performance.getMetrics")["metrics"]
    return {m["name"]: m["value"] for m in got}


def frame_cost(page, seconds):
    """Main-thread task time per presented frame over a stretch of seconds, in ms."""
    m0, f0 = metrics(page), page.js("window.vellmora.frames")
    time.sleep(seconds)
    m1, f1 = metrics(page), page.js("window.vellmora.frames")
    frames = f1 - f0
    return 1000 * (m1["TaskDuration"] - m0["TaskDuration"]) / max(frames, 1), frames / seconds


def main():
    release = os.path.abspath(sys.argv[1])
    out = os.path.abspath(sys.argv[2])
    only_latency = sys.argv[3:] == ["latency"]
    os.makedirs(out, exist_ok=True)
    run = Run(os.path.join(out, "web-run"), [], 1)
    results = {}
    try:
        server = browser.Server(run, release)
        floor_server = browser.Server(run, HERE)
        game_url, floor_url = server.url, floor_server.url + "floor.html"
        if only_latency:
            results["latency"] = latency(run, game_url, floor_url)
            return report_latency(results)
        results["wire"] = wire_size(release)
        with open(os.path.join(HERE, "floor.html"), "rb") as f:
            results["wire_floor"] = len(gzip.compress(f.read(), 9))

        # Navigation to the first frame, five times each, alternating.
        firsts = {"game": [], "floor": []}
        for _ in range(5):
            for name, url in (("game", game_url), ("floor", floor_url)):
                page, first = open_page(run, url)
                firsts[name].append(first)
                page.stop()
                run.cleanups.remove(page.stop)
        results["first_frame_ms"] = firsts

        # Frame cost at two sizes against the floor, in alternating rounds so load from
        # elsewhere lands on both: first on the splash, whose picture changes at every frame
        # as the floor's does, then on the title after a key, with the music on.
        for width, height in ((1280, 720), (1920, 1080)):
            game, _ = open_page(run, game_url, width, height)
            floor, _ = open_page(run, floor_url, width, height)
            for screen in ("splash", "title"):
                if screen == "title":
                    game.hold("space")
                    time.sleep(1)
                rounds = {"game": [], "floor": [], "game_fps": [], "floor_fps": []}
                for _ in range(6):
                    for name, page in (("game", game), ("floor", floor)):
                        cost, fps = frame_cost(page, 2)
                        rounds[name].append(cost)
                        rounds[name + "_fps"].append(fps)
                results["frame_%s_%dx%d" % (screen, width, height)] = rounds
            for page in (game, floor):
                page.stop()
                run.cleanups.remove(page.stop)

        # Ticks over 60 s by the page's own clock, and its memory sampled meanwhile.
        game, _ = open_page(run, game_url)
        time.sleep(1)
        game.hold("space")
        time.sleep(1)
        t0, c0 = game.js("[window.vellmora.ticks, performance.now()]")[::-1]
        peak_wasm = peak_js = 0
        end = time.monotonic() + 60
        while time.monotonic() < end:
            wasm, js = game.js(MEMORY)
            peak_wasm, peak_js = max(peak_wasm, wasm), max(peak_js, js)
            heap = game.cdp("Runtime.getHeapUsage")
            peak_js = max(peak_js, heap["usedSize"])
            time.sleep(0.5)
        t1, c1 = game.js("[window.vellmora.ticks, performance.now()]")[::-1]
        results["ticks"] = {"ticks": c1 - c0, "ms": t1 - t0}
        results["memory"] = {"wasm": peak_wasm, "js": peak_js}
        floor, _ = open_page(run, floor_url)
        time.sleep(2)
        heap = floor.cdp("Runtime.getHeapUsage")
        results["memory_floor"] = {"js": heap["usedSize"]}
        for page in (game, floor):
            page.stop()
            run.cleanups.remove(page.stop)

        results["latency"] = latency(run, game_url, floor_url)
    finally:
        run.close()
        with open(os.path.join(out, "web.json"), "w") as f:
            json.dump(results, f, indent=1)
    report(results)


def report(r):
    gz, raw = r["wire"]
    print("| what | figure | floor | ratio | target |")
    print("|---|---|---|---|---|")
    print("| release on the wire, gzip -9 | %.1f KiB (%.1f KiB raw) | floor page %.1f KiB | "
          "| <= 1024 KiB, aim 512 |" % (gz / 1024, raw / 1024, r["wire_floor"] / 1024))
    g = statistics.median(r["first_frame_ms"]["game"])
    f = statistics.median(r["first_frame_ms"]["floor"])
    print("| navigation to first frame, median of 5 | %.0f ms | %.0f ms | %.2f | <= 1500 ms |"
          % (g, f, g / f))
    for size in ("1280x720", "1920x1080"):
        for screen in ("splash", "title"):
            rounds = r["frame_%s_%s" % (screen, size)]
            g, f = statistics.median(rounds["game"]), statistics.median(rounds["floor"])
            print("| main-thread time per frame, %s at %s, median of 6 rounds | %.3f ms "
                  "(%.1f fps) | %.3f ms (%.1f fps) | %.2f | <= 1.2 |" % (
                      screen, size, g, statistics.median(rounds["game_fps"]), f,
                      statistics.median(rounds["floor_fps"]), g / f))
    t = r["ticks"]
    print("| ticks per second | %d in %.3f s = %.3f /s | 30 | | 30.00 +/- 0.05 |"
          % (t["ticks"], t["ms"] / 1000, t["ticks"] * 1000 / t["ms"]))
    m = r["memory"]
    print("| peak memory: wasm heap + JS heap | %.1f MiB + %.1f MiB | floor JS heap %.1f MiB "
          "| | |" % (m["wasm"] / 2**20, m["js"] / 2**20, r["memory_floor"]["js"] / 2**20))
    report_latency(r)


def report_latency(r):
    for kind, event in (("key", "keydown"), ("tap", "touchend")):
        g = statistics.median(r["latency"]["game"][kind])
        f = statistics.median(r["latency"]["floor"][kind])
        print("| %s to the frame showing it, median of %d | %.1f ms | %.1f ms | "
              "+%.1f ms | <= floor + 16.7 ms |" % (event, len(r["latency"]["game"][kind]), g, f,
                                                   g - f))


if __name__ == "__main__":
    main()
