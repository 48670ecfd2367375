// The page as a director uses it, one list of checks in three browser engines: Chromium and
// Firefox through puppeteer-core, WebKit (Safari's engine) through WebKitWebDriver's plain W3C
// calls; each on the one file, build/quillotan.html, from disk, and on the app, build/web/,
// from a local server. Then the app's own checks in Chromium: installable, .pbn files, offline,
// a new build taking over, files opened with it. The bytes behind a link are read from its
// blob in the page (no download, no request, the policy unchanged).
// node page.mjs BUILD_FOLDER   (WebKit needs an X server: xvfb-run)
import assert from "node:assert/strict";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { pathToFileURL } from "node:url";
import puppeteer from "puppeteer-core";
import { engines, quiet, serve, sleep, viaPuppeteer } from "./engines.mjs";

const build = path.resolve(process.argv[2]);
const cases = new URL("../cases/", import.meta.url).pathname;
const source = (name) => fs.readFileSync(path.join(cases, name, "deals.pbn"), "latin1");
const tail = (bytes) => bytes.split("\r\n").slice(2).join("\r\n"); // less timestamp and source

// What the page shows, and the bytes behind its links, read from their blobs.
const hook = () => {
  const made = new Map(), create = URL.createObjectURL;
  URL.createObjectURL = (blob) => { const url = create(blob); made.set(url, blob); window.lastBlob = blob; return url; };
  const text = async (blob) => [...new Uint8Array(await blob.arrayBuffer())].map((c) => String.fromCharCode(c)).join("");
  window.shown = async () => ({
    busy: document.body.classList.contains("busy"),
    ...Object.fromEntries(["source", "alert", "status", "version"].map((id) => [id, document.getElementById(id).textContent.trim()])),
    links: await Promise.all([...document.querySelectorAll("#links a")].map(async (a) => [a.download, a.textContent, await text(made.get(a.href))])),
    zip: window.lastBlob ? await text(window.lastBlob) : "",
  });
  window.drop = (bytes, name, target) => {
    const transfer = new DataTransfer();
    const data = typeof bytes === "number" ? new Uint8Array(bytes) : Uint8Array.from(bytes, (c) => c.charCodeAt(0));
    transfer.items.add(new File([data], name));
    document.querySelector(target).dispatchEvent(new DragEvent("drop", { dataTransfer: transfer, bubbles: true }));
  };
};
async function until(page, done) {
  for (let i = 0; i < 200; i++, await sleep(50)) {
    const state = await page.run(() => window.shown());
    if (!state.busy && done(state)) return state;
  }
  throw new Error(`the page did not settle: ${JSON.stringify(await page.run(() => window.shown()))}`);
}

// The one list of checks, in any engine, at url.
async function checks(page, url) {
  await page.open(url);
  for (let i = 0; i < 100 && !(await page.run(() => document.body.dataset.ready)); i++) await sleep(50);
  await page.run(hook);
  const expected = (name) => fs.readFileSync(path.join(cases, "bigdeal2_24", name), "latin1");

  // A picked file: the four files of its case, but for the page's own timestamp and source;
  // the program's version below; the ZIP of all four.
  await page.pick(path.join(cases, "bigdeal2_24", "deals.pbn"));
  let state = await until(page, (s) => s.links.length === 4);
  assert.match(state.version, /^\d+\.\d+\.\d+$/);
  assert.match(state.status, /^deals\.pbn was converted/);
  for (const [name, , bytes] of state.links) {
    assert.match(bytes, /^% Lin file created by Quillotan \d\d? \S+ \d{4} at \d\d:\d\d\r\n% Source file deals\.pbn\r\n/);
    assert.equal(tail(bytes), tail(expected(name)));
  }
  await page.run(() => document.getElementById("zip").click());
  state = await until(page, (s) => s.zip);
  assert.ok(state.zip.startsWith("PK\x03\x04") && state.links.every(([name]) => state.zip.includes(name)));

  // Dropped anywhere in the window, a name with a line feed, quotes, a backslash and %, under
  // a browser language that is no language tag: the same files, the names shown escaped.
  const odd = 'a\nb "c" \\ 100%.PBN';
  await page.run((bytes, name) => {
    Object.defineProperty(navigator, "language", { get: () => "C" });
    window.drop(bytes, name, "body");
  }, source("bigdeal2_24"), odd);
  state = await until(page, (s) => s.links[0]?.[0].startsWith("a\n"));
  state.links.forEach(([name, text, bytes], i) => {
    const suffix = ["_1-6.lin", "_7-12.lin", "_13-18.lin", "_19-24.lin"][i];
    assert.deepEqual([name, text], [odd.slice(0, -4) + suffix, 'a\\nb "c" \\ 100%' + suffix]);
    assert.equal(tail(bytes), tail(expected(name.slice(odd.length - 4).replace(/^/, "deals"))));
  });

  // A file that fails: the window's first two lines, and no file on offer.
  await page.pick(path.join(cases, "bigdeal_14", "deals.pbn"));
  state = await until(page, (s) => s.alert);
  assert.equal(state.alert, "Could not convert deals.pbn.\nThe source ends after board 14; a hand-record file must hold 24 boards.");
  assert.deepEqual(state.links, []);

  // Doubtful deals: the files, and the findings as the warning's list.
  await page.pick(path.join(cases, "deal_checks", "deals.pbn"));
  state = await until(page, (s) => s.links.length === 4);
  assert.equal(state.status, "The four LIN files were written, but some deals look wrong:\n" +
    fs.readFileSync(path.join(cases, "deal_checks", "findings.txt"), "utf8").trim());

  // A large file, then a small one: the newest wins.
  await page.run((bytes) => {
    window.drop(256 << 20, "large.pbn", "main");
    window.drop(bytes, "small.pbn", "main");
  }, source("bigdeal_14"));
  state = await until(page, (s) => s.alert || s.links.length);
  assert.match(state.alert, /^Could not convert small\.pbn\./);

  // A file removed after it was picked: an error, and the last result gone.
  const gone = path.join(fs.mkdtempSync(path.join(os.tmpdir(), "quillotan-")), "gone.pbn");
  fs.writeFileSync(gone, source("bigdeal2_24"), "latin1");
  await page.run(() => document.getElementById("pick").addEventListener("change",
    (event) => { window.picked = event.target.files[0]; }, { capture: true }));
  await page.pick(gone);
  await until(page, (s) => s.links.length === 4);
  fs.rmSync(path.dirname(gone), { recursive: true });
  await page.run(() => {
    const transfer = new DataTransfer();
    transfer.items.add(window.picked);
    document.body.dispatchEvent(new DragEvent("drop", { dataTransfer: transfer, bubbles: true }));
  });
  state = await until(page, (s) => s.alert);
  assert.match(state.alert, /^Could not convert gone\.pbn\.\nThe file cannot be read/);
  assert.deepEqual(state.links, []);
}

// The engines and the two ways to open the page.
const server = await serve({ current: path.join(build, "web") });
const oneFile = pathToFileURL(path.join(build, "quillotan.html")).href;
const downloads = fs.mkdtempSync(path.join(os.tmpdir(), "quillotan-downloads-"));
for (const [engine, start] of Object.entries(engines(downloads))) {
  if (!(process.env.QUILLOTAN_ENGINES ?? "chromium firefox webkit").split(" ").includes(engine)) continue;
  for (const url of [oneFile, server.url]) {
    const logs = [];
    const page = await start(logs);
    try {
      await checks(page, url);
    } finally {
      await page.close();
    }
    assert.deepEqual(logs, [], `${engine} logged on ${url}`);
    console.log(`PASS: the page in ${engine}, ${url.startsWith("file:") ? "the one file from disk" : "the app from a server"}`);
  }
}

// The app's own checks, in Chromium on the server: installable, opens .pbn files, converts
// offline, takes a new build over within two loads, converts files opened with it (the
// DevTools protocol cannot launch a file into an installed app: its launch consumer gets
// handles of Files here), and says why when the module cannot load.
{
  const logs = [];
  const page = viaPuppeteer(await puppeteer.launch({ executablePath: "/usr/bin/chromium", args: quiet }), logs);
  const requests = [];
  await page.open(server.url);
  page.tab().on("request", (request) => requests.push(request.url()));
  await page.tab().waitForSelector("body[data-ready]");
  const cdp = await page.tab().createCDPSession();
  assert.deepEqual((await cdp.send("Page.getInstallabilityErrors")).installabilityErrors, []);
  const manifest = JSON.parse(fs.readFileSync(path.join(build, "web", "manifest.webmanifest")));
  assert.deepEqual(manifest.file_handlers[0].accept, { "text/x-pbn": [".pbn"] });
  await page.run(() => navigator.serviceWorker.ready);

  await cdp.send("Network.emulateNetworkConditions", { offline: true, latency: 0, downloadThroughput: -1, uploadThroughput: -1 });
  await page.tab().reload();
  await page.tab().waitForSelector("body[data-ready]");
  await page.run(hook);
  await page.run((bytes) => window.quillotanLaunch({ files: ["w.pbn", "x.pbn"].map((name) =>
    ({ getFile: async () => new File([Uint8Array.from(bytes, (c) => c.charCodeAt(0))], name) })) }),
  source("bigdeal2_24"));
  assert.match((await until(page, (s) => s.links.length === 4)).status, /^2 files were opened: only the first is converted\.\nw\.pbn was converted/);
  await cdp.send("Network.emulateNetworkConditions", { offline: false, latency: 0, downloadThroughput: -1, uploadThroughput: -1 });

  // A new build: another version in the service worker's cache name, another page.
  const next = fs.mkdtempSync(path.join(os.tmpdir(), "quillotan-next-"));
  fs.cpSync(path.join(build, "web"), next, { recursive: true });
  const edit = (file, from, to) => fs.writeFileSync(path.join(next, file), fs.readFileSync(path.join(next, file), "utf8").replace(from, to));
  edit("sw.js", /quillotan-[^"]*/, "quillotan-99.0.0-next");
  edit("index.html", "<main", '<main data-build="next"');
  server.folder.current = next;
  await page.tab().reload(); // finds the new build, which takes over and drops the old cache
  await page.tab().waitForFunction(async () => (await caches.keys()).join() === "quillotan-99.0.0-next");
  await page.tab().reload();
  assert.equal(await page.run(() => document.querySelector("main").dataset.build), "next");
  fs.rmSync(next, { recursive: true });
  server.folder.current = path.join(build, "web");

  // A browser without WebAssembly exception handling: the page says so.
  await page.tab().evaluateOnNewDocument(() => { WebAssembly.validate = () => false; });
  await page.tab().reload();
  assert.match(await page.run(() => document.getElementById("alert").textContent), /lacks WebAssembly exception handling\. It works in Chrome/);
  await page.close();
  assert.deepEqual(requests.filter((url) => !url.startsWith(server.url) && !url.startsWith("blob:")), []);
  console.log("PASS: the app in chromium: installable, offline, updated, launched, a load that fails");
}
fs.rmSync(downloads, { recursive: true });
server.close();
