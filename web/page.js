// The page: hands a picked, dropped or launched PBN file to the conversion core, which runs in
// a worker made from the core's text in this page (so that the page is one file that works
// from disk), in the set's shape of the three numbers (kept in the browser), then offers the
// LIN files it wrote as downloads, one by one or as one ZIP (fflate). Nothing leaves the
// browser. Hosted, it is also an installable app that works offline and opens .pbn files.
"use strict";

(() => {
    const $ = (id) => document.getElementById(id);
    const hosted = location.protocol === "https:" || location.protocol === "http:";
    let worker = null;
    let ready = false; // the core has loaded; until then the newest file waits
    let waiting = null;
    let picks = 0; // the newest pick's number: only its answer is shown
    let newest = { name: "", opened: 1 };
    let saved = []; // the blob: addresses of the files on offer
    const numbers = ["boards", "perFile", "fillers"];

    // The set's shape as the three boxes hold it, their texts as typed: the core reads them.
    const shape = () => numbers.map((id) => $(id).value);

    // The browser keeps the shape for the next visit; the core describes it: the title, or why
    // it cannot be converted, and each number's range.
    function shapeChanged() {
        try {
            localStorage.setItem("quillotan-shape", JSON.stringify(shape()));
        } catch {
            // a browser that keeps nothing for this page
        }
        if (ready) worker.postMessage({ describe: shape() });
    }

    function described(answer) {
        for (const id of numbers) {
            [$(id).min, $(id).max] = answer[id].map(String);
        }
        document.title = $("title").textContent = answer.title ?? answer.problem;
        $("title").classList.toggle("refused", !answer.title);
    }

    // A browser language that Intl takes, else English: "C", say, is no language tag.
    function monthNames() {
        for (const language of [navigator.language, ...(navigator.languages ?? []), "en"]) {
            try {
                return new Intl.DateTimeFormat(language, { month: "short", calendar: "gregory" });
            } catch {
                // the next one
            }
        }
        return null;
    }

    // The header's timestamp from the browser's clock, the month in the browser's language.
    function timestamp(now) {
        const two = (n) => String(n).padStart(2, "0");
        return [
            `${now.getDate()} ${monthNames().format(now)} ${now.getFullYear()}`,
            `${two(now.getHours())}:${two(now.getMinutes())}`,
        ];
    }

    function link(name, text, blob) {
        const a = document.createElement("a");
        a.href = URL.createObjectURL(blob);
        a.download = name;
        a.textContent = text;
        saved.push(a.href);
        return a;
    }

    function busy(on) {
        $("drop").setAttribute("aria-busy", String(on));
        document.body.classList.toggle("busy", on);
    }

    // Shows an answer of the core: the source, its note, then the error, or the warning and the
    // files.
    function show(name, answer) {
        const note = answer.note ?? "";
        for (const address of saved.splice(0)) URL.revokeObjectURL(address);
        busy(false);
        $("source").textContent = answer.source ? `Source file: ${answer.source}` : "";
        $("alert").textContent = answer.error || "";
        const status = $("status");
        status.className = answer.files && !answer.warning ? "done" : "";
        status.textContent = !answer.files
            ? note
            : [note, answer.warning || `${answer.source} was converted: the LIN files are below.`]
                  .filter(Boolean)
                  .join("\n");
        const list = $("links");
        list.replaceChildren();
        $("result").hidden = !answer.files;
        if (!answer.files) return;
        for (const file of answer.files) {
            const item = document.createElement("li");
            item.append(
                link(
                    file.path,
                    file.shown,
                    new Blob([file.bytes], { type: "application/octet-stream" }),
                ),
            );
            list.append(item);
        }
        $("zip").onclick = () => {
            const entries = Object.fromEntries(answer.files.map((file) => [file.path, file.bytes]));
            const zip = answer.zip;
            link(zip, zip, new Blob([fflate.zipSync(entries)])).click();
        };
    }

    // Hands the file to the core; opened: the files opened at once, of which it is the first. bytes: the first bytes of
    // the file as the page read them, after the worker could not read the file itself (all of
    // them: whole). A file that arrives before the core is ready waits for it.
    function convert(file, opened = 1, bytes = null, whole = true) {
        busy(true);
        $("status").className = "";
        $("status").textContent = "Converting…";
        if (!ready) {
            waiting = [file, opened];
            return;
        }
        newest = { file, name: file.name, opened };
        performance.mark("quillotan-pick");
        const [date, time] = timestamp(new Date());
        const source = bytes ? { name: file.name, bytes, whole } : { file };
        worker.postMessage(
            { id: ++picks, source, date, time, shape: shape(), opened },
            bytes ? [bytes] : [],
        );
    }

    // The module needs WebAssembly with exception handling: a tiny module with try and
    // catch_all tells whether the browser has it.
    function missing() {
        if (typeof WebAssembly !== "object") return "WebAssembly";
        const tryCatch = Uint8Array.of(
            0,
            97,
            115,
            109,
            1,
            0,
            0,
            0,
            1,
            4,
            1,
            96,
            0,
            0,
            3,
            2,
            1,
            0,
            10,
            8,
            1,
            6,
            0,
            6,
            64,
            25,
            11,
            11,
        );
        return WebAssembly.validate(tryCatch) ? "" : "WebAssembly exception handling";
    }

    function failed(what) {
        busy(false);
        $("status").textContent = "";
        $("alert").textContent =
            `This page cannot convert files in this browser: it lacks ${what}. ` +
            "It works in Chrome and Edge 95, Firefox 100, Safari 15.2, or any later version.";
    }

    function start() {
        const lacking = missing();
        if (lacking) return failed(lacking);
        const core = new Blob([$("core").textContent], { type: "text/javascript" });
        worker = new Worker(URL.createObjectURL(core));
        worker.onerror = () => failed("a part the conversion needs");
        worker.onmessage = ({ data }) => {
            if (data.failed) return failed(`a part the conversion needs (${data.failed})`);
            if (data.shape) {
                described(data.shape);
            } else if (data.version) {
                $("version").textContent = data.version;
                $("pick").disabled = false;
                ready = true;
                document.body.dataset.ready = "true";
                performance.mark("quillotan-ready");
                shapeChanged();
                const [file, opened] = waiting ?? [];
                waiting = null;
                if (file) convert(file, opened);
            } else if (data.id === picks && data.answer.read) {
                // The worker asks for the file's first bytes, which it could not read (WebKit, from
                // disk): the page reads them, or shows what the worker said for a file it cannot read.
                const { file, opened } = newest,
                    size = data.answer.read;
                file.slice(0, size)
                    .arrayBuffer()
                    .then(
                        (bytes) =>
                            data.id === picks && convert(file, opened, bytes, size >= file.size),
                        () => data.id === picks && show(file.name, data.answer.ifUnreadable),
                    );
            } else if (data.id === picks) {
                show(newest.name, data.answer);
                performance.measure("quillotan-conversion", "quillotan-pick");
            }
        };
    }

    $("pick").addEventListener("change", (event) => {
        if (event.target.files.length === 1) convert(event.target.files[0]);
        event.target.value = "";
    });

    // A file may be dropped anywhere in the window.
    const zone = $("drop");
    document.addEventListener("dragover", (event) => {
        event.preventDefault();
        zone.classList.add("over");
    });
    document.addEventListener("dragleave", () => zone.classList.remove("over"));
    document.addEventListener("drop", (event) => {
        event.preventDefault();
        zone.classList.remove("over");
        const files = event.dataTransfer.files;
        if (files.length === 1 && /\.pbn$/i.test(files[0].name)) {
            convert(files[0]);
        } else {
            ++picks; // an answer still on its way is no longer the newest
            waiting = null;
            show("", { error: "Drop one .pbn file: a PBN hand record." });
        }
    });

    // Hosted and installed: offline through the service worker, and .pbn files opened with the
    // app ("Open with") arrive through the launch queue.
    window.quillotanLaunch = async ({ files }) => {
        if (!files.length) return;
        convert(await files[0].getFile(), files.length);
    };
    // Only the app's page has a service worker, which looks for a new version at every start
    // and says when one has taken over.
    if (hosted && document.querySelector('link[rel="manifest"]') && navigator.serviceWorker) {
        navigator.serviceWorker.onmessage = ({ data }) => {
            $("update").hidden = data !== "updated";
        };
        navigator.serviceWorker.register("sw.js").then(
            (registration) => registration.update(),
            () => {},
        );
    }
    window.launchQueue?.setConsumer(window.quillotanLaunch);

    try {
        JSON.parse(localStorage.getItem("quillotan-shape"))?.forEach((value, i) => {
            $(numbers[i]).value = String(value);
        });
    } catch {
        // nothing kept, or not to be read
    }
    for (const id of numbers) $(id).addEventListener("input", shapeChanged);
    shapeChanged();
    start();
})();
