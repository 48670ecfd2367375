// The three browser engines, driven the same way (open a page, run a function in it, pick a
// file), and a static server: for the page's tests and its benchmark.
import { spawn } from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import path from "node:path";
import puppeteer from "puppeteer-core";

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
export const quiet = ["--disable-background-networking", "--disable-component-update", "--disable-sync",
  "--no-first-run", "--disable-gpu", ...(process.getuid() === 0 ? ["--no-sandbox"] : [])];

// A static server of a folder on 127.0.0.1, as any static host would serve it.
export function serve(folder) {
  const types = { ".html": "text/html", ".js": "text/javascript", ".png": "image/png",
    ".webmanifest": "application/manifest+json" };
  const server = http.createServer((request, response) => {
    const file = path.join(folder.current, new URL(request.url, "http://x").pathname.replace(/\/$/, "/index.html"));
    if (!fs.existsSync(file)) return response.writeHead(404).end();
    response.writeHead(200, { "content-type": types[path.extname(file)] ?? "application/octet-stream" });
    response.end(fs.readFileSync(file));
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve({ folder,
    url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() })));
}

// The engines, each driven the same way: open a page, run a function in it, pick a file.
export function viaPuppeteer(browser, logs) {
  let tab;
  return {
    async open(url) {
      tab ??= await browser.newPage();
      tab.on("console", (message) => logs.push(message.text()));
      await tab.goto(url);
    },
    run: (fn, ...args) => tab.evaluate(fn, ...args),
    pick: async (file) => (await tab.$("#pick")).uploadFile(file),
    tab: () => tab,
    close: () => browser.close(),
  };
}
export async function webkit() {
  const port = 20000 + Math.floor(Math.random() * 20000);
  const driver = spawn("WebKitWebDriver", [`--port=${port}`], { stdio: "ignore" });
  const call = async (method, route, body) => {
    for (let i = 0; ; i++) {
      try {
        const response = await fetch(`http://127.0.0.1:${port}/session${route}`,
          { method, body: JSON.stringify(body), headers: { "content-type": "application/json" } });
        return (await response.json()).value;
      } catch (error) {
        if (i > 50) throw error;
        await sleep(100);
      }
    }
  };
  const { sessionId } = await call("POST", "", { capabilities: { alwaysMatch: {
    "webkitgtk:browserOptions": { args: ["--automation"],
      binary: "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser" } } } });
  const session = `/${sessionId}`;
  return {
    open: (url) => call("POST", `${session}/url`, { url }),
    run: async (fn, ...args) => {
      const value = await call("POST", `${session}/execute/async`, { args, script:
        `const done = arguments[arguments.length - 1];
         Promise.resolve((${fn}).apply(null, [...arguments].slice(0, -1))).then(done, (e) => done({ thrown: String(e) }));` });
      if (value?.thrown) throw new Error(value.thrown);
      return value;
    },
    pick: async (file) => {
      const element = Object.values(await call("POST", `${session}/element`, { using: "css selector", value: "#pick" }))[0];
      await call("POST", `${session}/element/${element}/value`, { text: file });
    },
    close: async () => { await call("DELETE", session); driver.kill(); },
  };
}

// Each engine's start: a page driver that collects what the page logs (but WebKit's, which
// WebDriver does not hand out). Firefox saves downloads into the folder given.
export const engines = (downloads) => ({
  chromium: async (logs) => viaPuppeteer(await puppeteer.launch({ executablePath: "/usr/bin/chromium", args: quiet }), logs),
  firefox: async (logs) => viaPuppeteer(await puppeteer.launch({ browser: "firefox", executablePath: "/usr/bin/firefox-esr",
    extraPrefsFirefox: { "browser.download.folderList": 2, "browser.download.dir": downloads, "browser.download.useDownloadDir": true } }), logs),
  webkit: () => webkit(),
});
