// The conversion core in a worker of the page, so that the page stays responsive: the core
// (quillotan.js, with its WebAssembly as base64 in quillotanWasm before this script) reads a
// picked file through WORKERFS, in slices and only as far as the set's last board, and writes
// the LIN files into its in-memory file system, whose bytes go back to the page.
//
// The messages between the page and this worker, all of them:
//   worker -> page  {version}            the core is ready; its version
//                   {failed}             the core could not load: why
//   page -> worker  {describe: [boards, perFile, fillers]}, the row's three texts as typed
//   worker -> page  {shape}              the core's description of that shape: each number's
//                                        [lowest, highest], and its title or its problem
//   page -> worker  {id, source, date, time, shape, opened}, a conversion: source {file} (a
//                   picked File) or {name, bytes, whole} (the file's first bytes as the page
//                   read them, all of them when whole); date and time, the header's; shape,
//                   the row's texts; opened, the files opened at once, of which this is the first
//   worker -> page  {id, answer}         answer: the core's (source, note, files with their
//                                        bytes, zip, warning, boards; or source, note, error); or
//                                        {read, ifUnreadable}: the page is to send the file's
//                                        first read bytes as {name, bytes, whole}, or, if it
//                                        cannot read them, show ifUnreadable, the core's error.
//   page -> worker  {solve: board}       board: one of a conversion's boards (to a solver: a
//                                        worker of its own, that converts nothing)
//   worker -> page  {solved: answer}     the core's table of it: tricks, and table in words
//   page -> worker  {id, record: [tricks, paper, perPage, club, date, time]}, to the worker
//                   that converted pick id: the record of its boards, their tricks as solved
//   worker -> page  {id, recorded}       recorded: the core's (files with their bytes; or error)
//   page -> worker  {paper: locale}      worker -> page {paper}: the locale's paper
// Only this worker decides how much the page reads: where it cannot read the file itself
// (WebKit, from disk), the first MiB, then twice as much each time the core asks past it.
"use strict";

let core = null;
let runs = 0;
const kFirstPart = 1 << 20;

const call = (name, ...args) =>
    core.ccall(
        name,
        "string",
        args.map((arg) => (typeof arg === "number" ? "number" : "string")),
        args,
    );

// The core's error for a file the browser would not read here, as a conversion's answer:
// kind "unreadable" (at all), "incomplete" (to its end) or "failed" (the page itself).
const refused = (name, kind, why = "") => JSON.parse(call("quillotan_refused", name, kind, why));

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
            new FileReaderSync().readAsArrayBuffer(file.slice(0, 1)); // throws when unreadable
            fs.symlink(`${folder}.in/${name}`, name);
        } else {
            fs.writeFile(name, new Uint8Array(bytes));
            const node = fs.lookupPath(name).node;
            const reads = node.stream_ops;
            // read(stream, buffer, offset, length, position)
            node.stream_ops = {
                ...reads,
                read: (...args) => {
                    asked = Math.max(asked, args[4] + args[3]);
                    return reads.read(...args);
                },
            };
        }
        reading = false;
        const answer = JSON.parse(call("quillotan_convert", name, date, time, ...shape, opened));
        if (bytes && !whole && asked > bytes.byteLength) {
            return { read: 2 * bytes.byteLength, ifUnreadable: refused(name, "incomplete") };
        }
        for (const output of answer.files ?? []) output.bytes = fs.readFile(output.path);
        return answer;
    } catch (error) {
        const why = String(error.name || error);
        // The browser could not read the file here: removed since it was picked, too large
        // for it, or (WebKit, from disk) not to be read by a worker; the page may read it.
        if (reading || error.name === "NotReadableError" || error.name === "NotFoundError") {
            const answer = refused(name, "unreadable", why);
            return file ? { read: kFirstPart, ifUnreadable: answer } : answer;
        }
        return refused(name, "failed", why);
    } finally {
        for (const entry of fs.readdir(folder)) {
            if (entry !== "." && entry !== "..") fs.unlink(entry);
        }
        fs.chdir("/");
        fs.rmdir(folder);
        if (file) fs.unmount(`${folder}.in`);
        fs.rmdir(`${folder}.in`);
    }
}

Quillotan({ wasmBinary: Uint8Array.from(atob(quillotanWasm), (c) => c.charCodeAt(0)) }).then(
    (module) => {
        core = module;
        postMessage({ version: call("quillotan_version") });
    },
    (error) => postMessage({ failed: String(error) }),
);

// The record of the last conversion, written in a folder of its own and read back.
function record(args) {
    const fs = core.FS;
    fs.mkdir("/record");
    fs.chdir("/record");
    try {
        const recorded = JSON.parse(call("quillotan_record", ...args));
        for (const output of recorded.files ?? []) {
            output.bytes = fs.readFile(output.path);
            fs.unlink(output.path);
        }
        return recorded;
    } finally {
        fs.chdir("/");
        fs.rmdir("/record");
    }
}

onmessage = ({
    data: { id, source, date, time, shape, opened, describe, solve, paper, ...rest },
}) => {
    if (describe) {
        postMessage({ shape: JSON.parse(call("quillotan_shape", ...describe)) });
        return;
    }
    if (solve) {
        const { deal, dealer, vulnerable } = solve;
        postMessage({ solved: JSON.parse(call("quillotan_solve", deal, dealer, vulnerable)) });
        return;
    }
    if (paper !== undefined) {
        postMessage({ paper: call("quillotan_paper", paper) });
        return;
    }
    if (rest.record) {
        const recorded = record(rest.record);
        postMessage(
            { id, recorded },
            (recorded.files ?? []).map((output) => output.bytes.buffer),
        );
        return;
    }
    const answer = convert(source, date, time, shape, opened);
    postMessage(
        { id, answer },
        (answer.files ?? []).map((output) => output.bytes.buffer),
    );
};
