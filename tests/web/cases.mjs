// The page's core, the WebAssembly module, converts every case folder in tests/cases with the
// fixed clock and gives the same files, findings and errors byte for byte as the desktop core.
// node --no-experimental-fetch cases.mjs BUILD_WEB_FOLDER
import assert from "node:assert/strict";
import fs from "node:fs";
import path from "node:path";
import { createRequire } from "node:module";

const cases = new URL("../cases/", import.meta.url).pathname;
const core = await createRequire(import.meta.url)(path.resolve(process.argv[2], "quillotan.js"))();
const memory = core.FS;
const latin1 = (bytes) => Buffer.from(bytes).toString("latin1");
let failed = 0;

for (const name of fs.readdirSync(cases).sort()) {
  const folder = `/cases/${name}`, expected = {}, got = {};
  memory.mkdirTree(folder);
  let source = "";
  for (const entry of fs.readdirSync(path.join(cases, name), { withFileTypes: true })) {
    if (entry.name === "README" || !entry.isFile()) continue;
    const bytes = fs.readFileSync(path.join(cases, name, entry.name));
    if (!/\.(lin|txt)$/.test(entry.name)) {
      source = entry.name;
      memory.writeFile(`${folder}/${source}`, bytes);
    } else {
      expected[entry.name] = latin1(bytes).replaceAll("@DIR@", folder);
    }
  }
  const before = path.join(cases, name, "before");
  for (const file of fs.existsSync(before) ? fs.readdirSync(before) : []) {
    memory.writeFile(`${folder}/${file}`, fs.readFileSync(path.join(before, file)));
  }
  const [status, ...lines] = core.ccall("quillotan_convert", "string", ["string", "string", "string"],
    [`${folder}/${source}`, "5 Dec 2026", "09:07"]).split("\n");
  if (status === "error") got["error.txt"] = latin1(Buffer.from(lines.join("\n")));
  if (status === "ok" && lines.length > 4) got["findings.txt"] = latin1(Buffer.from(lines.slice(4).join("\n") + "\n"));
  for (const file of memory.readdir(folder)) {
    if (![".", "..", source].includes(file)) got[file] = latin1(memory.readFile(`${folder}/${file}`));
  }
  try {
    assert.deepEqual(got, expected);
  } catch (error) {
    console.log(`FAIL ${name}\n${error.message.slice(0, 2000)}`);
    failed = 1;
  }
}
console.log(failed ? "FAIL" : `PASS: ${fs.readdirSync(cases).length} cases`);
process.exit(failed);
