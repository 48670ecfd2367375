// The three browser engines, driven the same way (open a page, run a function in it, pick a
// file), and a static server: for the page's tests and its benchmark.
import { spawn } from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import path from "node:path";
import puppeteer from "puppeteer-core";
import { Builder, By } from "selenium-webdriver";

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
export const quiet = [
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
    "--no-first-run",
    "--disable-gpu",
    ...(process.getuid() === 0 ? ["--no-sandbox"] : []),
];

// A static server of a folder on 127.0.0.1, as a storage bucket serves it: files alone, no
// folder's index.
export function serve(folder) {
    const types = {
        ".html": "text/html",
        ".js": "text/javascript",
        ".png": "image/png",
        ".webmanifest": "application/manifest+json",
    };
    const server = http.createServer((request, response) => {
        const file = path.join(folder.current, new URL(request.url, "http://x").pathname);
        if (!fs.statSync(file, { throwIfNoEntry: false })?.isFile())
            return response.writeHead(404).end();
        response.writeHead(200, {
            "content-type": types[path.extname(file)] ?? "application/octet-stream",
        });
        response.end(fs.readFileSync(file));
    });
    return new Promise((resolve) =>
        server.listen(0, "127.0.0.1", () =>
            resolve({
                folder,
                url: `http://127.0.0.1:${server.address().port}/`,
                close: () => server.close(),
            }),
        ),
    );
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
        // Firefox's protocol now and then loses a call, which then never answers: it is asked
        // once more (the page itself went on).
        run: (fn, ...args) =>
            tab
                .evaluate(fn, ...args)
                .catch((error) =>
                    /timed out/.test(error.message)
                        ? tab.evaluate(fn, ...args)
                        : Promise.reject(error),
                ),
        pick: async (file) => (await tab.$("#pick")).uploadFile(file),
        tab: () => tab,
        close: () => browser.close(),
    };
}
// WebKit through WebKitWebDriver, driven by selenium-webdriver's W3C client.
export async function webkit(env) {
    const port = 20000 + Math.floor(Math.random() * 20000);
    const server = spawn("WebKitWebDriver", [`--port=${port}`], { stdio: "ignore", env });
    const options = {
        args: ["--automation"],
        binary: "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser",
    };
    let driver;
    for (let i = 0; !driver; i++, await sleep(100)) {
        driver = await new Builder()
            .usingServer(`http://127.0.0.1:${port}`)
            .withCapabilities({ browserName: "MiniBrowser", "webkitgtk:browserOptions": options })
            .build()
            .catch((error) => {
                if (i > 50) throw error;
            });
    }
    return {
        open: (url) => driver.get(url),
        run: (fn, ...args) =>
            driver
                .executeAsyncScript(
                    `const done = arguments[arguments.length - 1];
      Promise.resolve((${fn}).apply(null, [...arguments].slice(0, -1))).then(done, (e) => done({ thrown: String(e) }));`,
                    ...args,
                )
                .then((value) => {
                    if (value?.thrown) throw new Error(value.thrown);
                    return value;
                }),
        pick: async (file) => (await driver.findElement(By.css("#pick"))).sendKeys(file),
        close: async () => {
            await driver.quit();
            server.kill();
        },
    };
}

// Each engine's start: a page driver that collects what the page logs (but WebKit's, which
// WebDriver does not hand out). Each browser takes the folder given as its home, where its
// downloads go, so that nothing lands in the user's.
export const engines = (downloads) => {
    const env = { ...process.env, HOME: downloads, XDG_DOWNLOAD_DIR: downloads };
    return {
        chromium: async (logs) =>
            viaPuppeteer(
                await puppeteer.launch({
                    executablePath: "/usr/bin/chromium",
                    args: quiet,
                    env,
                    protocolTimeout: 30000,
                }),
                logs,
            ),
        firefox: async (logs) =>
            viaPuppeteer(
                await puppeteer.launch({
                    browser: "firefox",
                    executablePath: "/usr/bin/firefox-esr",
                    env,
                    protocolTimeout: 30000,
                    extraPrefsFirefox: {
                        "browser.download.folderList": 2,
                        "browser.download.dir": downloads,
                        "browser.download.useDownloadDir": true,
                    },
                }),
                logs,
            ),
        webkit: () => webkit(env),
    };
};
