// Puts the page together, for the page's CMake build (web/CMakeLists.txt):
//   node web/bundle.mjs WEB_SOURCES CORE_JS CORE_WASM FFLATE_JS VERSION HOSTED_FOLDER ONE_FILE
// ONE_FILE is the whole page in one HTML file: the core (its script and its WebAssembly as
// base64, with the worker's script), fflate, the page's script and style, all inline, under a
// policy that allows those inline scripts and that style by their hashes, WebAssembly, and a
// worker made from the page's own blob, nothing else. HOSTED_FOLDER (which already holds the
// icons) gets the same page as index.html, with its manifest and service worker allowed too,
// the manifest, and the service worker named for this build.
import crypto from "node:crypto";
import fs from "node:fs";
import path from "node:path";

const [web, coreJs, coreWasm, fflateJs, version, hosted, oneFile] = process.argv.slice(2);
const read = (file) => fs.readFileSync(file, "utf8");
const hash = (text) => `'sha256-${crypto.createHash("sha256").update(text).digest("base64")}'`;

// Text inside a script element: nothing in it may end the element early.
const inline = (text, what) => {
    if (/<!--|<script/i.test(text)) throw new Error(`${what} holds <!-- or <script`);
    return text.replace(/<\/script/gi, "<\\/script");
};
const core = inline(
    [
        read(coreJs),
        `const quillotanWasm = "${fs.readFileSync(coreWasm).toString("base64")}";`,
        read(path.join(web, "worker.js")),
    ].join("\n"),
    "the core",
);
const fflate = inline(read(fflateJs), "fflate");
const page = inline(read(path.join(web, "page.js")), "the page's script");
const style = read(path.join(web, "style.css"));

const base =
    `default-src 'none'; script-src ${hash(fflate)} ${hash(page)} 'wasm-unsafe-eval'; ` +
    `style-src ${hash(style)}; worker-src blob:`;
const fill = (policy, head) =>
    read(path.join(web, "index.html"))
        .replace("@POLICY@", policy)
        .replace("@HEAD@", head)
        .replace("@STYLE@", () => style)
        .replace("@CORE@", () => core)
        .replace("@FFLATE@", () => fflate)
        .replace("@PAGE@", () => page);

const icons = JSON.parse(read(path.join(web, "manifest.webmanifest"))).icons.map(
    (icon) => icon.src,
);
fs.writeFileSync(oneFile, fill(base, ""));
fs.mkdirSync(hosted, { recursive: true });
fs.writeFileSync(
    path.join(hosted, "index.html"),
    fill(
        `${base} 'self'; manifest-src 'self'; img-src 'self'`,
        `<link rel="manifest" href="manifest.webmanifest">\n<link rel="icon" href="${icons[0]}">\n`,
    ),
);
fs.copyFileSync(path.join(web, "manifest.webmanifest"), path.join(hosted, "manifest.webmanifest"));
const files = ["index.html", "manifest.webmanifest", ...icons];
const build = crypto.createHash("sha256");
for (const file of files) build.update(fs.readFileSync(path.join(hosted, file)));
fs.writeFileSync(
    path.join(hosted, "sw.js"),
    read(path.join(web, "sw.js"))
        .replace("@VERSION@", version)
        .replace("@HASH@", build.digest("hex").slice(0, 12))
        .replace("/* @FILES@ */", files.map((file) => JSON.stringify(file)).join(", ")),
);
