// The page: hands a picked or dropped PBN file to the conversion core (quillotan.js, the core
// as WebAssembly) in a fresh in-memory folder, then offers the four LIN files it wrote as
// downloads, one by one or as one ZIP (fflate.js). Nothing leaves the browser.
"use strict";

(() => {
  const $ = (id) => document.getElementById(id);
  let core = null;
  let runs = 0;
  let saved = []; // the blob: addresses of the files on offer

  // The header's timestamp from the browser's clock, the month in the browser's language.
  function timestamp(now) {
    const month = new Intl.DateTimeFormat(navigator.language, { month: "short" }).format(now);
    const two = (n) => String(n).padStart(2, "0");
    return [`${now.getDate()} ${month} ${now.getFullYear()}`,
      `${two(now.getHours())}:${two(now.getMinutes())}`];
  }

  // Runs the core on the file's bytes in a folder of its own, which is removed afterwards.
  // Returns the core's answer (the source's name as shown; the four files, each with its name
  // and as shown, and the warning; or the error), with each file's bytes.
  function run(name, bytes) {
    const fs = core.FS;
    const folder = `/run${++runs}`;
    fs.mkdir(folder);
    fs.chdir(folder);
    try {
      fs.writeFile(name, bytes);
      const answer = JSON.parse(core.ccall("quillotan_convert", "string",
        ["string", "string", "string"], [name, ...timestamp(new Date())]));
      for (const file of answer.files ?? []) file.bytes = fs.readFile(file.path);
      return answer;
    } finally {
      for (const file of fs.readdir(folder)) if (file !== "." && file !== "..") fs.unlink(file);
      fs.chdir("/");
      fs.rmdir(folder);
    }
  }

  // A name as the page shows it: escaped as the core escapes it.
  const shown = (text) => core.ccall("quillotan_display", "string", ["string"], [text]);

  function link(name, text, blob) {
    const a = document.createElement("a");
    a.href = URL.createObjectURL(blob);
    a.download = name;
    a.textContent = text;
    saved.push(a.href);
    return a;
  }

  function show(name, answer) {
    $("source").textContent = answer.source ? `Source file: ${answer.source}` : "";
    $("alert").textContent = answer.error || "";
    const status = $("status");
    status.className = answer.files && !answer.warning ? "done" : "";
    status.textContent = !answer.files ? ""
      : answer.warning || `${answer.source} was converted: the four LIN files are below.`;
    const list = $("links");
    list.replaceChildren();
    $("result").hidden = !answer.files;
    if (!answer.files) return;
    for (const file of answer.files) {
      const item = document.createElement("li");
      item.append(link(file.path, file.shown,
        new Blob([file.bytes], { type: "application/octet-stream" })));
      list.append(item);
    }
    $("zip").onclick = () => {
      const entries = Object.fromEntries(answer.files.map((file) => [file.path, file.bytes]));
      const zip = `${name.replace(/\.[^.]*$/, "")}_lin.zip`;
      link(zip, shown(zip), new Blob([fflate.zipSync(entries)])).click();
    };
  }

  async function convert(file) {
    for (const address of saved.splice(0)) URL.revokeObjectURL(address);
    const bytes = new Uint8Array(await file.arrayBuffer());
    let answer;
    try {
      answer = run(file.name, bytes);
    } catch (error) {
      answer = { source: shown(file.name),
        error: `Could not convert ${shown(file.name)}.\n${shown(String(error.message || error))}` };
    }
    show(file.name, answer);
  }

  $("pick").addEventListener("change", (event) => {
    if (event.target.files.length === 1) convert(event.target.files[0]);
    event.target.value = "";
  });

  const zone = $("drop");
  zone.addEventListener("dragover", (event) => {
    event.preventDefault();
    zone.classList.add("over");
  });
  zone.addEventListener("dragleave", () => zone.classList.remove("over"));
  zone.addEventListener("drop", (event) => {
    event.preventDefault();
    zone.classList.remove("over");
    const files = event.dataTransfer.files;
    if (!core) return;
    if (files.length === 1 && /\.pbn$/i.test(files[0].name)) {
      convert(files[0]);
    } else {
      show("", { error: "Drop one .pbn file: a 24-board PBN hand record." });
    }
  });

  Quillotan().then((module) => {
    core = module;
    $("pick").disabled = false;
    document.body.dataset.ready = "true";
  });
})();
