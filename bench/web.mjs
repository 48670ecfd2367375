// The page's size and speed in the three engines: the one file's size; load to ready (median
// of 5 loads); a 24-board conversion from the pick to the files on offer, the core in its
// worker (median of 10, Chromium, each pick after the last one's boards are solved); and, in Chromium, the installed app's reload to ready with
// the network cut. The page marks "quillotan-ready" and measures "quillotan-conversion". The
// hand record, in Chromium: 36 real boards solved one after another in one worker, against
// the native solver on one thread (conversion_bench's BM_Analyse36/1, given in ms as the
// second argument); the first diagram after a pick; the page's two solvers on the same set.
// xvfb-run -a node bench/web.mjs [BUILD_FOLDER]   (after tools/web; puppeteer from tests/web)
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { pathToFileURL } from "node:url";
import { engines, serve, sleep } from "../tests/web/engines.mjs";

const build = path.resolve(process.argv[2] ?? "build");
const oneFile = path.join(build, "quillotan.html");
const source = fs.readFileSync(
    new URL("../tests/cases/bigdeal2_24/deals.pbn", import.meta.url),
    "latin1",
);
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const ready = async (page) => {
    for (let i = 0; i < 200; i++, await sleep(25)) {
        const at = await page.run(
            () => performance.getEntriesByName("quillotan-ready")[0]?.startTime,
        );
        if (at) return at;
    }
    throw new Error("never ready");
};

const lines = [["the one file", fs.statSync(oneFile).size / 1024, 1200, "KB"]];
const nativeOneThread = Number(process.argv[3] ?? 0);
// The 36 boards of the hand_record_36 case as the page's solvers take them.
const record36 = new URL("../tests/cases/hand_record_36/", import.meta.url);
const boards36 = fs
    .readFileSync(new URL("deals_hands.pbn", record36), "utf8")
    .split("\r\n\r\n")
    .map((game) => {
        const tag = (name) => game.match(new RegExp(`\\[${name} "([^"]*)"\\]`))[1];
        const vulnerable = { None: "0", NS: "N", EW: "E", All: "B" }[tag("Vulnerable")];
        return { deal: tag("Deal"), dealer: "NESW".indexOf(tag("Dealer")), vulnerable };
    });
const downloads = fs.mkdtempSync(path.join(os.tmpdir(), "quillotan-bench-"));
for (const [engine, start] of Object.entries(engines(downloads))) {
    const page = await start([]);
    const loads = [];
    for (let load = 0; load < 5; load++) {
        await page.open(`${pathToFileURL(oneFile).href}?load=${load}`);
        loads.push(await ready(page));
    }
    lines.push([`${engine}: load to ready (median of 5)`, median(loads), 500, "ms"]);
    if (engine === "chromium") {
        const runs = await page.run(async (text) => {
            const bytes = Uint8Array.from(text, (c) => c.charCodeAt(0)),
                times = [];
            for (let i = 0; i < 10; i++) {
                const transfer = new DataTransfer();
                transfer.items.add(new File([bytes], "Week12.pbn"));
                document.body.dispatchEvent(
                    new DragEvent("drop", { dataTransfer: transfer, bubbles: true }),
                );
                while (performance.getEntriesByName("quillotan-conversion").length <= i)
                    await new Promise((r) => setTimeout(r, 1));
                times.push(performance.getEntriesByName("quillotan-conversion")[i].duration);
                // The next pick once this one's boards are solved, as a director's would come.
                while (performance.getEntriesByName("quillotan-record").length <= i)
                    await new Promise((r) => setTimeout(r, 10));
            }
            return times;
        }, source);
        lines.push([`${engine}: a conversion (median of 10)`, median(runs), 20, "ms"]);

        const solving = await page.run(async (boards) => {
            const core = document.getElementById("core").textContent;
            const worker = new Worker(URL.createObjectURL(new Blob([core])));
            const next = () => new Promise((settle) => (worker.onmessage = settle));
            while (!(await next()).data.version);
            const start = performance.now();
            for (const board of boards) {
                worker.postMessage({ solve: board });
                await next();
            }
            worker.terminate();
            return performance.now() - start;
        }, boards36);
        console.log(
            `${engine}: 36 boards solved in one worker: ${solving.toFixed(0)} ms, ` +
                `${(solving / 36).toFixed(0)} ms a board`,
        );
        if (nativeOneThread) {
            lines.push([
                `${engine}: one worker / native one thread`,
                solving / nativeOneThread,
                1.5,
                "×",
            ]);
        }
        await page.open(`${pathToFileURL(oneFile).href}?record`);
        await ready(page);
        const [firstDiagram, record] = await page.run(
            async (text) => {
                const transfer = new DataTransfer();
                transfer.items.add(
                    new File([Uint8Array.from(text, (c) => c.charCodeAt(0))], "x.pbn"),
                );
                ["boards", "perFile", "fillers"].forEach((id, i) => {
                    document.getElementById(id).value = [36, 6, 0][i];
                    document.getElementById(id).dispatchEvent(new Event("input"));
                });
                await new Promise((r) => setTimeout(r, 200));
                const start = performance.now();
                document.body.dispatchEvent(
                    new DragEvent("drop", { dataTransfer: transfer, bubbles: true }),
                );
                while (!document.querySelector(".board"))
                    await new Promise((r) => setTimeout(r, 1));
                const shown = performance.now() - start;
                while (!performance.getEntriesByName("quillotan-record").length)
                    await new Promise((r) => setTimeout(r, 10));
                return [shown, performance.now() - start];
            },
            fs.readFileSync(new URL("deals.pbn", record36), "latin1"),
        );
        lines.push([`${engine}: 36 boards, the first diagram`, firstDiagram, 1000, "ms"]);
        console.log(`${engine}: 36 boards' record with two solvers: ${record.toFixed(0)} ms`);

        const server = await serve({ current: path.join(build, "web") });
        await page.open(`${server.url}index.html`);
        await page.run(() => navigator.serviceWorker.ready);
        const cdp = await page.tab().createCDPSession();
        const reloads = [];
        for (let load = 0; load < 5; load++) {
            await cdp.send("Network.emulateNetworkConditions", {
                offline: true,
                latency: 0,
                downloadThroughput: -1,
                uploadThroughput: -1,
            });
            await page.tab().reload();
            reloads.push(await ready(page));
        }
        lines.push([
            `${engine}: offline reload to ready (median of 5)`,
            median(reloads),
            500,
            "ms",
        ]);
        server.close();
    }
    await page.close();
}
fs.rmSync(downloads, { recursive: true });
for (const [what, value, target, unit] of lines) {
    console.log(
        `${what.padEnd(44)} ${value.toFixed(value < 10 ? 2 : 1).padStart(8)} ${unit}  (target <= ${target} ${unit})${value <= target ? "" : "  MISSED"}`,
    );
}
process.exit(lines.every(([, value, target]) => value <= target) ? 0 : 1);
