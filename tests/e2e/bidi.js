// Firefox for the browser harness: puppeteer-core over WebDriver BiDi, one command a line.
// Reads {"id", "op", ...} as JSON lines on stdin and answers {"id", "ok"} or {"id", "error"}
// on stdout, so the Python harness drives Firefox as it drives the other engines.
"use strict";
const path = require("path");
const readline = require("readline");

// scripts/setup installs puppeteer-core here, outside the source tree.
const TOOLS = process.env.VELLMORA_NODE_TOOLS || "/usr/local/lib/vellmora-test-node";
const puppeteer = require(path.join(TOOLS, "node_modules", "puppeteer-core"));

let browser = null;
let page = null;
const consoleLog = [];

function note(level, message) {
  consoleLog.push({ level: level, message: message });
}

// The tab the harness looks at from now on, its console heard, url loaded in it.
async function load(tab, c) {
  page = tab;
  page.on("console", (m) => note(m.type() === "error" ? "SEVERE" : m.type(), m.text()));
  page.on("pageerror", (e) => note("SEVERE", String(e && e.message !== undefined ?
                                                     e.message : e)));
  page.on("requestfailed", (r) => note("SEVERE", r.url() + " failed"));
  page.on("response", (r) => {
    if (r.status() >= 400) note("SEVERE", r.url() + " " + r.status());
  });
  await ops.resize(c);
  if (c.prelude) await page.evaluateOnNewDocument(c.prelude);
  await page.goto(c.url, { waitUntil: "load" });
}

const ops = {
  async open(c) {
    browser = await puppeteer.launch({
      browser: "firefox",
      executablePath: c.executable,
      protocol: "webDriverBiDi",
      headless: true,
      // Sound may start without a gesture, as Chromium's tests let it.
      // The system's "reduce motion" setting, as the page sees it through its media query.
      extraPrefsFirefox: Object.assign(
        { "media.autoplay.default": 0, "media.autoplay.blocking_policy": 0 },
        c.reducedMotion ? { "ui.prefersReducedMotion": 1 } : {}),
    });
    await load((await browser.pages())[0] || (await browser.newPage()), c);
    return null;
  },
  // A player's next visit: a new tab, the old one closed.
  async visit(c) {
    const old = page;
    const fresh = await browser.newPage();
    await old.close();
    await new Promise((r) => setTimeout(r, c.ms));
    await load(fresh, c);
    return null;
  },
  async resize(c) {
    await page.setViewport({ width: c.width, height: c.height, deviceScaleFactor: c.dpr });
    return null;
  },
  async js(c) {
    return await page.evaluate(c.expression);
  },
  async hold(c) {
    await page.keyboard.down(c.key);
    await new Promise((r) => setTimeout(r, c.ms));
    await page.keyboard.up(c.key);
    return null;
  },
  async screenshot() {
    return await page.screenshot({ encoding: "base64", type: "png" });
  },
  async console() {
    return consoleLog.splice(0);
  },
  async close() {
    if (browser) await browser.close();
    browser = null;
    return null;
  },
};

// One command at a time, in order: the harness waits for each answer anyway.
let queue = Promise.resolve();
readline.createInterface({ input: process.stdin }).on("line", (line) => {
  const c = JSON.parse(line);
  queue = queue.then(async () => {
    let answer;
    try {
      const ok = await ops[c.op](c);
      answer = { id: c.id, ok: ok === undefined ? null : ok };
    } catch (e) {
      answer = { id: c.id, error: String(e && e.stack || e) };
    }
    process.stdout.write(JSON.stringify(answer) + "\n");
  });
}).on("close", () => {
  queue.then(() => ops.close()).then(() => process.exit(0), () => process.exit(1));
});
