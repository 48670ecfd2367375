// The page as a director uses it, one list of checks in three browser engines: Chromium and
// Firefox through puppeteer-core, WebKit (Safari's engine) through WebKitWebDriver; each on the
// one file, build/quillotan.html, from disk and from a host, and on the app, build/web/, from
// a host that serves no folder indexes. Then the app's own checks in Chromium: installable,
// offline, a launch as it starts, a new build taking over. The bytes behind a link are read
// from its blob in the page (no download, no request, the policy unchanged).
// node page.mjs BUILD_FOLDER   (WebKit needs an X server: xvfb-run)
import assert from "node:assert/strict";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { pathToFileURL } from "node:url";
import { engines, serve, sleep } from "./engines.mjs";

const build = path.resolve(process.argv[2]);
const cases = new URL("../cases/", import.meta.url).pathname;
const casePath = (name, file = "deals.pbn") => path.join(cases, name, file);
const source = (name) => fs.readFileSync(casePath(name), "latin1");
const tail = (bytes) => bytes.split("\r\n").slice(2).join("\r\n"); // less timestamp and source
const record = (name) => /_hands\.(pdf|pbn)$/.test(name);
// A run's LIN files shown, once its record's two files have joined them (none for no run).
const settled = (links, count) =>
    links.filter(([name]) => !record(name)).length === count &&
    links.filter(([name]) => record(name)).length === (count ? 2 : 0);

// What the page shows, and the bytes behind its links, read from their blobs.
const hook = () => {
    const made = new Map(),
        create = URL.createObjectURL;
    URL.createObjectURL = (blob) => {
        const url = create(blob);
        made.set(url, blob);
        window.lastBlob = blob;
        return url;
    };
    // WebKit, served, may fail to read a blob made a moment ago: null, and the page is not settled.
    const text = (blob) =>
        blob.arrayBuffer().then(
            (bytes) => [...new Uint8Array(bytes)].map((c) => String.fromCharCode(c)).join(""),
            () => null,
        );
    window.shown = async () => ({
        busy: document.body.classList.contains("busy"),
        ...Object.fromEntries(
            ["source", "alert", "status", "version", "title"].map((id) => [
                id,
                document.getElementById(id).textContent.trim(),
            ]),
        ),
        links: await Promise.all(
            [...document.querySelectorAll("#links a")].map(async (a) => [
                a.download,
                a.textContent,
                await text(made.get(a.href)),
            ]),
        ),
        zip: window.lastBlob ? await text(window.lastBlob) : "",
        download: window.download,
    });
    // A drop of bytes (a count of zeros, or text) under a name, or of a File as it is.
    window.drop = (bytes, name) => {
        const transfer = new DataTransfer();
        const data =
            typeof bytes === "number"
                ? new Uint8Array(bytes)
                : Uint8Array.from(bytes ?? "", (c) => c.charCodeAt(0));
        transfer.items.add(bytes instanceof File ? bytes : new File([data], name));
        document.body.dispatchEvent(
            new DragEvent("drop", { dataTransfer: transfer, bubbles: true }),
        );
    };
    document.addEventListener(
        "change",
        (event) => {
            window.picked = event.target.files?.[0];
        },
        { capture: true },
    );
    const click = HTMLAnchorElement.prototype.click;
    HTMLAnchorElement.prototype.click = function () {
        window.download = this.download;
        return click.call(this);
    };
    // The page's clock at the case folders' moment: 5 Dec 2026, 09:07.
    window.fixClock = () => {
        const Real = Date;
        window.Date = function (...args) {
            return new Real(...(args.length ? args : [2026, 11, 5, 9, 7]));
        };
        Object.assign(window.Date, { prototype: Real.prototype, now: Real.now });
    };
    // Values typed into boxes: the shape's three numbers, or the record's choices.
    window.set = (values, ids = ["boards", "perFile", "fillers"]) =>
        ids.forEach((id, i) => {
            document.getElementById(id).value = values[i];
            for (const type of ["input", "change"])
                document.getElementById(id).dispatchEvent(new Event(type));
        });
};
// Waits for the page to show what done wants, and to go on showing it a moment later.
async function until(page, done) {
    for (let i = 0, held = 0; i < 600; i++, await sleep(50)) {
        const state = await page.run(() => window.shown());
        held =
            !state.busy &&
            state.zip !== null &&
            state.links.every(([, , bytes]) => bytes !== null) &&
            done(state)
                ? held + 1
                : 0;
        if (held === 6) return state;
    }
    throw new Error(
        `the page did not settle: ${JSON.stringify(await page.run(() => window.shown()))}`,
    );
}

// The refused shapes of shape_rows.txt, and texts that are no number in range: no wrap-around,
// no fraction, no empty box taken for 0.
const refused = [
    ...fs
        .readFileSync(path.join(cases, "..", "shape_rows.txt"), "utf8")
        .split("\n")
        .filter((row) => /^-?\d+ -?\d+ -?\d+ \| +\| -/.test(row))
        .map((row) => [row.split("|")[0].trim().split(" "), row.split("|")[3]]),
    [["4294967320", "6", "2"], "the number of boards must be from 1 to 99, not 4294967320"],
    [["24", "6.5", "2"], 'the boards per file must be a whole number, not "6.5"'],
    [["24", "6", ""], 'the filler boards must be a whole number, not ""'],
];
const findings = (name) => fs.readFileSync(casePath(name, "findings.txt"), "utf8").trim();

// What the director gives the page: the shape, then a file; and what the page must show: the
// alert, status and title (text or pattern), the links' count, names and shown names, the
// header's first lines (pattern) and the rest of each file (a case's), and a ZIP of them all.
const stamp =
    /^% Lin file created by Quillotan \d\d? \S+ \d{4} at \d\d:\d\d\r\n% Source file deals\.pbn\r\n/;
const persian = Buffer.from(
    new Intl.DateTimeFormat("fa-IR", { month: "short", calendar: "gregory" }).format(new Date()),
).toString("latin1");
const odd = 'a\nb "c" \\ 100%';
const rows = [
    [
        "a picked file, and its hand record: diagrams at once, then the record's bytes as every platform makes them",
        [24, 6, 2],
        async (p) => {
            await p.run(() => {
                window.fixClock();
                window.set(["A4", "4", "Quillotan Bridge Club"], ["paper", "perPage", "club"]);
            });
            await p.pick(casePath("hand_record_24"));
            // The first board as text as soon as it shows, its table still to come.
            const first = await p.run(async () => {
                for (let i = 0; !document.querySelector(".board") && i < 2000; i++)
                    await new Promise((wait) => setTimeout(wait, 5));
                return document.querySelector(".board")?.textContent;
            });
            assert.match(
                first,
                /^Board 1Dealer N, Vul\. NoneNorth 9♠ 102\n♥ 764\n♦ AKQ1074\n♣ 102East 7[^]*♣ K83$/,
            );
        },
        {
            links: 4,
            status: /^deals\.pbn was converted/,
            header: stamp,
            tails: "hand_record_24",
            record: "hand_record_24",
        },
    ],
    [
        "a name with a line feed, quotes, a backslash and %, dropped, under a language that is no tag",
        [24, 6, 2],
        (p) =>
            p.run(
                (bytes, name) => {
                    Object.defineProperty(navigator, "language", {
                        get: () => "C",
                        configurable: true,
                    });
                    window.drop(bytes, name);
                },
                source("bigdeal2_24"),
                `${odd}.PBN`,
            ),
        {
            links: 4,
            names: ["_1-6", "_7-12", "_13-18", "_19-24"].map((suffix) => [
                `${odd}${suffix}.lin`,
                `${odd.replace("\n", "\\n")}${suffix}.lin`,
            ]),
        },
    ],
    [
        "the Gregorian month, in Persian",
        [24, 6, 2],
        async (p) => {
            await p.run(() => {
                Object.defineProperty(navigator, "language", { get: () => "fa-IR" });
            });
            await p.pick(casePath("bigdeal2_24"));
        },
        { links: 4, header: new RegExp(` ${persian} \\d{4} at `) },
    ],
    [
        "a file of 5 GB: 24 boards, then a tail that is never read",
        [24, 6, 2],
        async (p) => {
            const big = path.join(fs.mkdtempSync(path.join(downloads, "big-")), "big.pbn");
            fs.writeFileSync(big, source("bigdeal2_24"), "latin1");
            fs.truncateSync(big, 5 * 2 ** 30); // sparse: it takes no room
            await p.pick(big);
        },
        { links: 4, status: /^big\.pbn was converted/, tails: "bigdeal2_24" },
    ],
    [
        "a large file, then a small one",
        [24, 6, 2],
        (p) =>
            p.run((bytes) => {
                window.drop(256 << 20, "large.pbn");
                window.drop(bytes, "small.pbn");
            }, source("bigdeal_14")),
        { links: 0, alert: /^Could not convert small\.pbn\./ },
    ],
    [
        "a file on its way, then a drop of no .pbn file",
        [24, 6, 2],
        (p) =>
            p.run((bytes) => {
                window.drop(bytes, "first.pbn");
                window.drop(bytes, "notes.txt");
            }, source("bigdeal2_24")),
        { links: 0, alert: "Drop one .pbn file: a PBN hand record." },
    ],
    [
        "nine rounds of three",
        [27, 3, 2],
        (p) => p.pick(casePath("shape_27_in_threes")),
        {
            links: 9,
            zip: "deals_1-27_lin.zip",
            title: "Creating 9 Lin Files from a 27-board PBN",
            status: `The nine LIN files are ready to save below.\n${findings("shape_27_in_threes")}`,
        },
    ],
    [
        "a file removed after it was picked",
        [24, 6, 2],
        async (p) => {
            const gone = path.join(fs.mkdtempSync(path.join(downloads, "gone-")), "gone.pbn");
            fs.writeFileSync(gone, source("bigdeal2_24"), "latin1");
            await p.pick(gone);
            await until(p, (s) => settled(s.links, 4));
            fs.rmSync(path.dirname(gone), { recursive: true });
            await p.run(() => window.drop(window.picked));
        },
        { links: 0, alert: /^Could not convert gone\.pbn\.\nThe file cannot be read/ },
    ],
    [
        "every refused shape: its reason at once, in the title's place; then a pick",
        [24, 6, 2],
        async (p) => {
            for (const [numbers, sentence] of refused) {
                await p.run((shape) => window.set(shape), numbers);
                const reason = `${sentence.trim().replace(/^./, (c) => c.toUpperCase())}.`;
                const title = () => p.run(() => document.getElementById("title").textContent);
                for (let i = 0; (await title()) !== reason; i++, await sleep(50)) {
                    assert.ok(i < 100, `the shape ${numbers}: ${await title()}`);
                }
            }
            await p.pick(casePath("bigdeal2_24"));
        },
        {
            links: 0,
            alert: 'Could not convert deals.pbn.\nThe filler boards must be a whole number, not "".',
        },
    ],
];

// The one list of checks, in any engine, at url.
async function checks(page, url) {
    await page.open(url);
    for (let i = 0; i < 100 && !(await page.run(() => document.body.dataset.ready)); i++)
        await sleep(50);
    await page.run(hook);
    assert.match(
        await page.run(() => document.getElementById("version").textContent),
        /^\d+\.\d+\.\d+$/,
    );
    for (const [what, shape, give, want] of rows) {
        await page.run((numbers) => window.set(numbers), shape);
        await give(page);
        let state = await until(page, (s) => settled(s.links, want.links));
        for (const key of ["alert", "status", "title"].filter((key) => key in want)) {
            assert[typeof want[key] === "string" ? "equal" : "match"](state[key], want[key], what);
        }
        if (want.names)
            assert.deepEqual(
                state.links.filter(([name]) => !record(name)).map(([name, text]) => [name, text]),
                want.names,
                what,
            );
        for (const [name, , bytes] of state.links) {
            if (record(name)) {
                if (want.record)
                    assert.equal(bytes, fs.readFileSync(casePath(want.record, name), "latin1"));
                continue;
            }
            if (want.header) assert.match(bytes, want.header, what);
            if (want.tails)
                assert.equal(
                    tail(bytes),
                    tail(
                        fs.readFileSync(
                            casePath(want.tails, name.replace(/^[^_]*/, "deals")),
                            "latin1",
                        ),
                    ),
                    what,
                );
        }
        if (!want.links) continue;
        await page.run(() => document.getElementById("zip").click());
        state = await until(page, (s) => s.zip.startsWith("PK\x03\x04"));
        assert.ok(
            state.links.every(([name]) => state.zip.includes(name)),
            what,
        );
        if (want.zip) assert.equal(state.download, want.zip, what);
    }
    await page.run(() =>
        window.set(
            [24, 6, 2, "A4", "4", ""],
            ["boards", "perFile", "fillers", "paper", "perPage", "club"],
        ),
    );
}

// The engines and the three ways to open the page; the host serves no folder indexes.
const server = await serve({ current: build });
const app = `${server.url}web/index.html`;
// The browsers' home and downloads, and the files the rows make: removed at the end.
const downloads = fs.mkdtempSync(path.join(os.tmpdir(), "quillotan-downloads-"));
process.on("exit", () => fs.rmSync(downloads, { recursive: true, force: true }));
for (const [engine, start] of Object.entries(engines(downloads))) {
    if (!(process.env.QUILLOTAN_ENGINES ?? "chromium firefox webkit").split(" ").includes(engine))
        continue;
    for (const url of [
        pathToFileURL(path.join(build, "quillotan.html")).href,
        `${server.url}quillotan.html`,
        app,
    ]) {
        const logs = [];
        const page = await start(logs);
        try {
            await checks(page, url);
        } finally {
            await page.close();
        }
        assert.deepEqual(logs, [], `${engine} logged on ${url}`);
        console.log(`PASS: the page in ${engine}, ${url}`);
    }
}

// The app's own checks, in Chromium: installable; offline, with a .pbn file launched into it
// as it starts (the launch queue, as the browser fills it); a new build taking over, which the
// open page announces, with another app's cache on the host kept; a load that fails says why.
{
    const logs = [];
    const page = await engines(downloads).chromium(logs);
    const requests = [];
    await page.open(app);
    page.tab().on("request", (request) => requests.push(request.url()));
    await page.tab().waitForSelector("body[data-ready]");
    const cdp = await page.tab().createCDPSession();
    assert.deepEqual((await cdp.send("Page.getInstallabilityErrors")).installabilityErrors, []);
    await page.run(() => navigator.serviceWorker.ready);
    const offline = (on) =>
        cdp.send("Network.emulateNetworkConditions", {
            offline: on,
            latency: 0,
            downloadThroughput: -1,
            uploadThroughput: -1,
        });

    await offline(true);
    await page.tab().evaluateOnNewDocument(hook);
    const launch = await page.tab().evaluateOnNewDocument((bytes) => {
        const files = ["w.pbn", "x.pbn"].map((name) => ({
            getFile: async () => new File([Uint8Array.from(bytes, (c) => c.charCodeAt(0))], name),
        }));
        Object.defineProperty(window, "launchQueue", {
            value: { setConsumer: (consumer) => consumer({ files }) },
        });
        // A core that takes a second to load, so that the launch surely comes first.
        const core = Object.getOwnPropertyDescriptor(Node.prototype, "textContent");
        Object.defineProperty(HTMLScriptElement.prototype, "textContent", {
            get() {
                return core.get
                    .call(this)
                    .replace(
                        "const quillotanWasm",
                        "const load = Quillotan; Quillotan = (options) => " +
                            "new Promise((wait) => setTimeout(wait, 1000)).then(() => load(options));\nconst quillotanWasm",
                    );
            },
        });
    }, source("bigdeal2_24"));
    await page.tab().reload();
    assert.match(
        (await until(page, (s) => settled(s.links, 4))).status,
        /^2 files were opened: only the first is converted\.\nw\.pbn was converted/,
    );
    await page.tab().removeScriptToEvaluateOnNewDocument(launch.identifier);
    // Offline at its folder's own address, which the host does not serve.
    await page.tab().goto(`${server.url}web/`);
    await page.tab().waitForSelector("body[data-ready]");
    await page.tab().goto(app);
    await offline(false);

    // A new build: another version in the service worker's cache name, another page.
    const next = fs.mkdtempSync(path.join(os.tmpdir(), "quillotan-next-"));
    fs.cpSync(build, next, { recursive: true });
    const edit = (file, from, to) =>
        fs.writeFileSync(
            path.join(next, file),
            fs.readFileSync(path.join(next, file), "utf8").replace(from, to),
        );
    edit("web/sw.js", /`\$\{prefix\}[^`]*`/, "`${prefix}99.0.0-next`");
    edit("web/index.html", "<main", '<main data-build="next"');
    server.folder.current = next;
    await page.run(() =>
        Promise.all(["another-app", "quillotan-/copy/-1.0.0-x"].map((name) => caches.open(name))),
    );
    await page.tab().reload(); // finds the new build, which takes over and drops the old cache
    const poll = { polling: 200, timeout: 120000 };
    await page
        .tab()
        .waitForFunction(
            async () =>
                (await caches.keys()).sort().join() ===
                "another-app,quillotan-/copy/-1.0.0-x,quillotan-/web/-99.0.0-next",
            poll,
        );
    await page.tab().waitForFunction(() => !document.getElementById("update").hidden, poll);
    await page.tab().reload();
    assert.equal(await page.run(() => document.querySelector("main").dataset.build), "next");
    fs.rmSync(next, { recursive: true });
    server.folder.current = build;

    // A browser without WebAssembly exception handling: the page says so.
    await page.tab().evaluateOnNewDocument(() => {
        WebAssembly.validate = () => false;
    });
    await page.tab().reload();
    assert.match(
        await page.run(() => document.getElementById("alert").textContent),
        /lacks WebAssembly exception handling\. It works in Chrome/,
    );
    await page.close();
    assert.deepEqual(
        requests.filter((url) => !url.startsWith(server.url) && !url.startsWith("blob:")),
        [],
    );
    console.log(
        "PASS: the app in chromium: installable, offline, launched as it starts, updated, a load that fails",
    );
}
server.close();
