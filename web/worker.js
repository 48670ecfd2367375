// The conversion core in a worker of the page, so that the page stays responsive: the core
// (quillotan.js, with its WebAssembly as base64 in quillotanWasm before this script) reads a
// picked file through WORKERFS, in slices and only as far as its 24th board, and writes the
// four LIN files into its in-memory file system, whose bytes go back to the page.
"use strict";

let core = null;
let runs = 0;

const display = (text) => core.ccall("quillotan_display", "string", ["string"], [text]);

// Converts the file in a folder of its own, beside a link to the file, and removes both; or,
// from bytes the page read itself, a copy of them: of the file's first bytes, unless whole,
// when the answer may be that the core asks for more.
function convert({ file, name = file.name, bytes, whole }, date, time, shape, opened) {
  const fs = core.FS;
  const folder = `/run${++runs}`;
  fs.mkdir(`${folder}.in`);
  if (file) fs.mount(fs.filesystems.WORKERFS, { files: [file] }, `${folder}.in`);
  fs.mkdir(folder);
  fs.chdir(folder);
  let reading = true; // a fault while the file is being reached is the browser's refusal
  let asked = 0; // of the bytes the page read, how far the core asked to read
  try {
    if (file) {
      new FileReaderSync().readAsArrayBuffer(file.slice(0, 1)); // throws when it cannot be read
      fs.symlink(`${folder}.in/${name}`, name);
    } else {
      fs.writeFile(name, new Uint8Array(bytes));
      const node = fs.lookupPath(name).node, reads = node.stream_ops;
      node.stream_ops = { ...reads, read: (...args) => { // stream, buffer, offset, length, position
        asked = Math.max(asked, args[4] + args[3]);
        return reads.read(...args);
      } };
    }
    reading = false;
    const answer = JSON.parse(core.ccall("quillotan_convert", "string",
      ["string", "string", "string", "string", "string", "string", "number"],
      [name, date, time, ...shape, opened]));
    if (bytes && !whole && asked > bytes.byteLength) {
      // The page reads the next part; should that fail, it shows this.
      return { more: true, ifUnreadable: { source: display(name), error: `Could not convert ${display(name)}.\n` +
        "The file could not be read to the end: it may have changed or been removed since it " +
        "was picked." } };
    }
    for (const output of answer.files ?? []) output.bytes = fs.readFile(output.path);
    return answer;
  } catch (error) {
    const why = display(String(error.name || error));
    // The browser could not read the file here: removed since it was picked, too large for
    // it, or (WebKit, from disk) not to be read by a worker; the page may try the bytes itself.
    if (reading || error.name === "NotReadableError" || error.name === "NotFoundError") {
      return { unreadable: true, source: display(name), error: `Could not convert ${display(name)}.\n` +
        `The file cannot be read (${why}): it may have been moved or removed since it was ` +
        "picked, or be too large for this browser." };
    }
    return { source: display(name), error: `Could not convert ${display(name)}.\n` +
      `The page failed in its conversion (${why}); please report this with the file.` };
  } finally {
    for (const name of fs.readdir(folder)) if (name !== "." && name !== "..") fs.unlink(name);
    fs.chdir("/");
    fs.rmdir(folder);
    if (file) fs.unmount(`${folder}.in`);
    fs.rmdir(`${folder}.in`);
  }
}

Quillotan({ wasmBinary: Uint8Array.from(atob(quillotanWasm), (c) => c.charCodeAt(0)) })
  .then((module) => {
    core = module;
    postMessage({ version: core.ccall("quillotan_version", "string", [], []) });
  }, (error) => postMessage({ failed: String(error) }));

// Two kinds of message: {describe: the row's three texts}, answered with {shape: the core's
// description}; and {id, source, date, time, shape, opened}, a conversion, answered with {id,
// answer}.
onmessage = ({ data: { id, source, date, time, shape, opened, describe } }) => {
  if (describe) {
    postMessage({ shape: JSON.parse(core.ccall("quillotan_shape", "string",
      ["string", "string", "string"], describe)) });
    return;
  }
  const answer = convert(source, date, time, shape, opened);
  postMessage({ id, answer }, (answer.files ?? []).map((output) => output.bytes.buffer));
};
