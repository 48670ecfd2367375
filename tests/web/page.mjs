// The page in headless Chromium, as a director uses it: a file picked, a file dropped, a file
// that fails, a file with doubtful deals, the ZIP; and not one request beyond its own files.
// node page.mjs BUILD_WEB_FOLDER   (QUILLOTAN_SCREENSHOT=FILE.png also saves a screenshot)
import assert from "node:assert/strict";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { pathToFileURL } from "node:url";
import puppeteer from "puppeteer-core";

const page = pathToFileURL(path.resolve(process.argv[2], "index.html")).href;
const cases = new URL("../cases/", import.meta.url).pathname;
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium",
  args: [...(process.getuid() === 0 ? ["--no-sandbox"] : []), "--disable-background-networking",
    "--disable-component-update", "--disable-sync", "--no-first-run", "--disable-gpu"],
});
const requests = [];
const downloads = fs.mkdtempSync(path.join(os.tmpdir(), "quillotan-downloads-"));
await (await browser.target().createCDPSession()).send("Browser.setDownloadBehavior",
  { behavior: "allow", downloadPath: downloads });
const tab = await browser.newPage();
tab.on("request", (request) => requests.push(request.url()));
// The bytes behind a link, read from its blob, with no request the page's policy would refuse.
await tab.evaluateOnNewDocument(() => {
  const made = new Map();
  const create = URL.createObjectURL;
  URL.createObjectURL = (blob) => { const url = create(blob); made.set(url, blob); return url; };
  window.linkBytes = async (a) => [a.download, a.textContent,
    String.fromCharCode(...new Uint8Array(await made.get(a.href).arrayBuffer()))];
});
await tab.goto(page);
await tab.waitForSelector("body[data-ready]");

const text = (selector) => tab.$eval(selector, (element) => element.innerText.trim());
// Saves what a control offers, as a user's click does; returns its name and bytes.
const save = async (control) => {
  const name = await tab.$eval(control, (element) => element.download ?? element.id);
  await tab.click(control);
  const file = path.join(downloads, name.endsWith("zip") ? "deals_lin.zip" : name);
  const size = () => (fs.existsSync(file) ? fs.statSync(file).size : 0);
  for (let i = 0; i < 100 && size() === 0; i++) await new Promise((r) => setTimeout(r, 50));
  return [path.basename(file), fs.readFileSync(file, "latin1")];
};
const offered = async () => {
  const files = [];
  for (let i = 1; i <= (await tab.$$("#links a")).length; i++) files.push(await save(`#links li:nth-child(${i}) a`));
  return files;
};
const pick = async (name) => {
  await tab.$eval("#source", (element) => { element.textContent = ""; });
  await (await tab.$("#pick")).uploadFile(path.join(cases, name, "deals.pbn"));
  await tab.waitForFunction(() => document.getElementById("source").textContent !== "");
};
const tail = (bytes) => bytes.split("\r\n").slice(2).join("\r\n"); // less timestamp and source

// A picked file: the four files of its case, but for the page's own timestamp and source.
await pick("bigdeal2_24");
const files = await offered();
assert.deepEqual(files.map(([name]) => name),
  ["deals_1-6.lin", "deals_7-12.lin", "deals_13-18.lin", "deals_19-24.lin"]);
for (const [name, bytes] of files) {
  assert.match(bytes, /^% Lin file created by Quillotan \d\d? \S+ \d{4} at \d\d:\d\d\r\n% Source file deals\.pbn\r\n/);
  assert.equal(tail(bytes), tail(fs.readFileSync(path.join(cases, "bigdeal2_24", name), "latin1")));
}
assert.match(await text("[role=status]"), /^deals\.pbn was converted/);

// All four as one ZIP.
const zip = await save("#zip");
assert.ok(zip[1].startsWith("PK\x03\x04") && files.every(([name]) => zip[1].includes(name)));

// A dropped file converts under its own name, whatever it holds: its files keep the name,
// their links show it escaped.
const odd = 'a\nb "c" \\ 100%.PBN';
await tab.evaluate((bytes, name) => {
  const transfer = new DataTransfer();
  transfer.items.add(new File([Uint8Array.from(bytes, (c) => c.charCodeAt(0))], name));
  document.getElementById("drop").dispatchEvent(new DragEvent("drop", { dataTransfer: transfer }));
}, fs.readFileSync(path.join(cases, "bigdeal2_24", "deals.pbn"), "latin1"), odd);
await tab.waitForFunction(() => document.querySelectorAll("#links a").length === 4);
const links = await tab.$$eval("#links a", (as) => Promise.all(as.map(linkBytes)));
links.forEach(([name, shown, bytes], i) => {
  const suffix = files[i][0].slice("deals".length);
  assert.deepEqual([name, shown], [odd.slice(0, -4) + suffix, 'a\\nb "c" \\ 100%' + suffix]);
  assert.equal(tail(bytes), tail(files[i][1]));
});

// A file that fails: the window's first two lines, and no file on offer.
await pick("bigdeal_14");
assert.equal(await text("[role=alert]"), "Could not convert deals.pbn.\nThe source ends after " +
  "board 14; a hand-record file must hold 24 boards.");
assert.equal((await offered()).length, 0);

// Doubtful deals: the files, and the findings as the warning's list.
await pick("deal_checks");
assert.equal(await text("[role=status]"), "The four LIN files were written, but some deals " +
  "look wrong:\n" + fs.readFileSync(path.join(cases, "deal_checks", "findings.txt"), "utf8").trim());
assert.equal(await text("[role=alert]"), "");
if (process.env.QUILLOTAN_SCREENSHOT) await tab.screenshot({ path: process.env.QUILLOTAN_SCREENSHOT, fullPage: true });

await browser.close();
fs.rmSync(downloads, { recursive: true });
const own = page.slice(0, page.lastIndexOf("/") + 1);
assert.deepEqual(requests.filter((url) => !url.startsWith(own) && !url.startsWith("blob:")), []);
console.log(`PASS: the page; ${requests.length} requests, all its own files or its own blobs`);
