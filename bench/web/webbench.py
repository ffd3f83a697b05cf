#!/usr/bin/python3
"""Measures the browser release in each engine (Chromium, Firefox, WebKit), each figure beside
its floor from the same run in the same engine: navigation to the first frame and main-thread
time per frame at two screen sizes; in Chromium also the size on the wire, ticks per second and
the page's peak memory. Prints a table and writes the raw figures as JSON. Run through
`scripts/bench web`; `scripts/bench web chromium` measures one engine. In Chromium it also
times a key and a tap to the picture that shows them, on a phone's page; `scripts/bench web
latency` measures that alone."""
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

# Times the main thread's work for each presented frame, the same way in every engine: from
# the first animation-frame callback of the frame to a message posted then, which runs once
# the callbacks, their promises and the browser's own rendering of the frame are done. Also
# the script alone: from the callback to the next animation frame asked for, which the game
# and the floor each do at the end of their frame's work.
PROBE = r"""
(() => {
  if (window.__bench) return;
  const b = window.__bench = { frames: 0, busy: 0, script: 0 };
  const raf = window.requestAnimationFrame.bind(window);
  const channel = new MessageChannel();
  let start = null, called = null;
  channel.port1.onmessage = () => { b.busy += performance.now() - start; b.frames++; start = null; };
  window.requestAnimationFrame = (callback) => {
    if (called !== null) { b.script += performance.now() - called; called = null; }
    return raf((t) => {
      if (start === null) { start = performance.now(); channel.port2.postMessage(0); }
      called = performance.now();
      callback(t);
    });
  };
})();
"""

# The wasm memory, the heap the game's C++ code sees, as Chromium's DevTools protocol finds it.
MEMORY = """(() => {
  const wasm = typeof wasmMemory === "object" ? wasmMemory.buffer.byteLength :
    (window.Module && Module.HEAP8 ? Module.HEAP8.length : 0);
  return [wasm, performance.memory ? performance.memory.usedJSHeapSize : 0];
})()"""

SIZES = ((1280, 720), (1920, 1080))
FIRST_LOADS = 5
ROUNDS = 10
ROUND_SECONDS = 2


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
        page, _ = open_page(run, "chromium", url, prelude=PROBE + LATENCY, mobile=True)
        time.sleep(1)
        page.hold("space")
        time.sleep(1)
        keys = latencies(page, press_key)
        tap(page, *BEGIN)
        time.sleep(1)
        taps = latencies(page, lambda p: tap(p, *BOX0), lambda p: tap(p, *BEGIN))
        found[name] = {"key": keys, "tap": taps}
        close(run, page)
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


def open_page(run, engine, url, width=640, height=480, prelude=PROBE, mobile=False):
    """A page at this viewport, and when its first frame came, in ms from navigation by the
    page's own clock."""
    # No sound tap: it would add its own work to the game's main thread.
    page = browser.ENGINES[engine](run, url, width, height, prelude=prelude, tap=False,
                                   mobile=mobile)
    start = time.monotonic()
    while not page.js("window.vellmora && window.vellmora.firstFrame"):
        if time.monotonic() - start > 30:
            raise RuntimeError("no frame from %s within 30 s" % url)
        time.sleep(0.02)
    return page, page.js("window.vellmora.firstFrame")


def close(run, page):
    page.stop()
    run.cleanups.remove(page.stop)


def frame_cost(page, seconds):
    """Main-thread time per presented frame over a stretch of seconds, in ms, the script's
    part of it, and the frames presented a second."""
    probe = "[__bench.busy, __bench.script, __bench.frames, performance.now()]"
    b0, s0, f0, t0 = page.js(probe)
    time.sleep(seconds)
    b1, s1, f1, t1 = page.js(probe)
    frames = max(f1 - f0, 1)
    return (b1 - b0) / frames, (s1 - s0) / frames, 1000 * (f1 - f0) / (t1 - t0)


def engine_figures(run, engine, game_url, floor_url):
    """Navigation to the first frame and the frame costs, the game beside the floor."""
    results = {}
    # Navigation to the first frame, a fresh browser each time, alternating.
    firsts = {"game": [], "floor": []}
    for _ in range(FIRST_LOADS):
        for name, url in (("game", game_url), ("floor", floor_url)):
            page, first = open_page(run, engine, url)
            firsts[name].append(first)
            close(run, page)
    results["first_frame_ms"] = firsts
    # Frame cost at each size against the floor, in alternating rounds so load from
    # elsewhere lands on both: first on the splash, whose picture changes at every frame as
    # the floor's does, then on the title after a key, with the music on.
    for width, height in SIZES:
        game, _ = open_page(run, engine, game_url, width, height)
        floor, _ = open_page(run, engine, floor_url, width, height)
        for screen in ("splash", "title"):
            if screen == "title":
                game.hold("space")
                time.sleep(1)
            rounds = {}
            for _ in range(ROUNDS):
                for name, page in (("game", game), ("floor", floor)):
                    for key, value in zip(("", "_script", "_fps"),
                                          frame_cost(page, ROUND_SECONDS)):
                        rounds.setdefault(name + key, []).append(value)
            results["frame_%s_%dx%d" % (screen, width, height)] = rounds
        close(run, game)
        close(run, floor)
    return results


def chromium_figures(run, game_url, floor_url):
    """What only Chromium's DevTools protocol measures here: ticks over 60 s by the page's
    own clock, and the page's memory sampled meanwhile."""
    results = {}
    game, _ = open_page(run, "chromium", game_url)
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
    close(run, game)
    floor, _ = open_page(run, "chromium", floor_url)
    time.sleep(2)
    results["memory_floor"] = {"js": floor.cdp("Runtime.getHeapUsage")["usedSize"]}
    return results


def main():
    release = os.path.abspath(sys.argv[1])
    out = os.path.abspath(sys.argv[2])
    only_latency = sys.argv[3:] == ["latency"]
    engines = ["chromium"] if only_latency else sys.argv[3:] or list(browser.ENGINES)
    os.makedirs(out, exist_ok=True)
    results = {}
    for engine in engines:
        # A fresh run per engine; WebKit's X server takes the first free display from
        # BENCH_DISPLAY on.
        first = int(os.environ.get("BENCH_DISPLAY", ":101").lstrip(":"))
        run = Run(os.path.join(out, "web-run-" + engine), range(first, first + 100), 1)
        try:
            server = browser.Server(run, release)
            floor_server = browser.Server(run, HERE)
            game_url, floor_url = server.url, floor_server.url + "floor.html"
            if only_latency:
                results["latency"] = latency(run, game_url, floor_url)
                continue
            if engine == "chromium":
                results["wire"] = wire_size(release)
                with open(os.path.join(HERE, "floor.html"), "rb") as f:
                    results["wire_floor"] = len(gzip.compress(f.read(), 9))
                results.update(chromium_figures(run, game_url, floor_url))
                results["latency"] = latency(run, game_url, floor_url)
            results[engine] = engine_figures(run, engine, game_url, floor_url)
        finally:
            run.close()
    with open(os.path.join(out, "web.json"), "w") as f:
        json.dump(results, f, indent=1)
    report(results)


def report(r):
    print("| engine | what | figure | floor | ratio | target |")
    print("|---|---|---|---|---|---|")
    if "wire" in r:
        gz, raw = r["wire"]
        print("| all | release on the wire, gzip -9 | %.1f KiB (%.1f KiB raw) | floor page "
              "%.1f KiB | | <= 1024 KiB, aim 512 |" % (gz / 1024, raw / 1024,
                                                        r["wire_floor"] / 1024))
    for engine in browser.ENGINES:
        if engine not in r:
            continue
        e = r[engine]
        name = browser.ENGINES[engine].ENGINE
        g = statistics.median(e["first_frame_ms"]["game"])
        f = statistics.median(e["first_frame_ms"]["floor"])
        print("| %s | navigation to first frame, median of %d | %.0f ms | %.0f ms | %.2f "
              "| <= 1500 ms |" % (name, FIRST_LOADS, g, f, g / f))
        for width, height in SIZES:
            for screen in ("splash", "title"):
                rounds = e["frame_%s_%dx%d" % (screen, width, height)]
                med = {k: statistics.median(v) for k, v in rounds.items()}
                print("| %s | main-thread time per frame (script), %s at %dx%d, median of %d "
                      "rounds | %.3f ms (%.3f) at %.1f fps | %.3f ms (%.3f) at %.1f fps | %.2f "
                      "| <= 1.2 |" % (name, screen, width, height, ROUNDS, med["game"],
                                      med["game_script"], med["game_fps"], med["floor"],
                                      med["floor_script"], med["floor_fps"],
                                      med["game"] / med["floor"]))
    if "ticks" in r:
        t = r["ticks"]
        print("| Chromium | ticks per second | %d in %.3f s = %.3f /s | 30 | | 30.00 +/- 0.05 |"
              % (t["ticks"], t["ms"] / 1000, t["ticks"] * 1000 / t["ms"]))
        m = r["memory"]
        print("| Chromium | peak memory: wasm heap + JS heap | %.1f MiB + %.1f MiB | floor JS "
              "heap %.1f MiB | | |" % (m["wasm"] / 2**20, m["js"] / 2**20,
                                       r["memory_floor"]["js"] / 2**20))
    if "latency" in r:
        for kind, event in (("key", "keydown"), ("tap", "touchend")):
            g = statistics.median(r["latency"]["game"][kind])
            f = statistics.median(r["latency"]["floor"][kind])
            print("| Chromium | %s to the frame showing it, median of %d | %.1f ms | %.1f ms | "
                  "+%.1f ms | <= floor + 16.7 ms |" % (event, len(r["latency"]["game"][kind]),
                                                       g, f, g - f))


if __name__ == "__main__":
    main()
