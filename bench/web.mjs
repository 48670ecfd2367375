// The page's size and speed: its files together, load to ready in headless Chromium, and a
// 24-board conversion in the page through the core as the page calls it (median of 20).
// node bench/web.mjs [BUILD_WEB_FOLDER]   (after tools/web; puppeteer from tests/web)
import fs from "node:fs";
import path from "node:path";
import { createRequire } from "node:module";
import { pathToFileURL } from "node:url";

const puppeteer = createRequire(new URL("../tests/web/package.json", import.meta.url))("puppeteer-core");
const web = path.resolve(process.argv[2] ?? "build/web");
const source = fs.readFileSync(new URL("../tests/cases/bigdeal2_24/deals.pbn", import.meta.url));
const bytes = fs.readdirSync(web).reduce((sum, name) => sum + fs.statSync(path.join(web, name)).size, 0);

const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium",
  args: [...(process.getuid() === 0 ? ["--no-sandbox"] : []), "--disable-background-networking",
    "--disable-component-update", "--disable-sync", "--no-first-run", "--disable-gpu"],
});
const ready = [], runs = [];
for (let load = 0; load < 5; load++) {
  const tab = await browser.newPage();
  await tab.evaluateOnNewDocument(() => new MutationObserver(() => {
    if (document.body?.dataset.ready) window.readyAt ??= performance.now();
  }).observe(document, { subtree: true, attributes: true, childList: true }));
  await tab.goto(pathToFileURL(path.join(web, "index.html")).href);
  await tab.waitForSelector("body[data-ready]");
  ready.push(await tab.evaluate(() => window.readyAt));
  if (load === 0) {
    runs.push(...await tab.evaluate(async (text) => {
      const core = await Quillotan(), fs = core.FS, times = [];
      const data = Uint8Array.from(text, (c) => c.charCodeAt(0));
      for (let i = 0; i < 20; i++) {
        const start = performance.now();
        fs.mkdir(`/b${i}`); fs.chdir(`/b${i}`); fs.writeFile("Week12.pbn", data);
        const answer = core.ccall("quillotan_convert", "string", ["string", "string", "string"],
          ["Week12.pbn", "8 Dec 2026", "10:00"]).split("\n");
        for (const name of answer.slice(1, 5)) fs.readFile(name);
        times.push(performance.now() - start);
      }
      return times;
    }, source.toString("latin1")));
  }
  await tab.close();
}
await browser.close();
const median = (values) => values.sort((a, b) => a - b)[Math.floor(values.length / 2)];
const lines = [
  [`page files together`, `${(bytes / 1024).toFixed(0)} KB`, bytes <= 400 * 1024, "<= 400 KB"],
  [`load to ready (median of 5)`, `${median(ready).toFixed(0)} ms`, median(ready) <= 500, "<= 500 ms"],
  [`24-board conversion (median of 20)`, `${median(runs).toFixed(1)} ms`, median(runs) <= 20, "<= 20 ms"],
];
for (const [what, value, met, target] of lines) console.log(`${what.padEnd(36)} ${value.padStart(8)}  (target ${target})${met ? "" : "  MISSED"}`);
process.exit(lines.every(([, , met]) => met) ? 0 : 1);
