// The page's size and speed in the three engines: the one file's size; load to ready (median
// of 5 loads); a 24-board conversion from the pick to the files on offer, the core in its
// worker (median of 20, Chromium); and, in Chromium, the installed app's reload to ready with
// the network cut. The page marks "quillotan-ready" and measures "quillotan-conversion".
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

const lines = [["the one file", fs.statSync(oneFile).size / 1024, 400, "KB"]];
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
            for (let i = 0; i < 20; i++) {
                const transfer = new DataTransfer();
                transfer.items.add(new File([bytes], "Week12.pbn"));
                document.body.dispatchEvent(
                    new DragEvent("drop", { dataTransfer: transfer, bubbles: true }),
                );
                while (performance.getEntriesByName("quillotan-conversion").length <= i)
                    await new Promise((r) => setTimeout(r, 1));
                times.push(performance.getEntriesByName("quillotan-conversion")[i].duration);
            }
            return times;
        }, source);
        lines.push([`${engine}: a conversion (median of 20)`, median(runs), 20, "ms"]);

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
        `${what.padEnd(44)} ${value.toFixed(1).padStart(8)} ${unit}  (target <= ${target} ${unit})${value <= target ? "" : "  MISSED"}`,
    );
}
process.exit(lines.every(([, value, target]) => value <= target) ? 0 : 1);
