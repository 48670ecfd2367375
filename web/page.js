// The page: hands a picked, dropped or launched PBN file to the conversion core, which runs in
// a worker made from the core's text in this page (so that the page is one file that works
// from disk), in the set's shape of the three numbers (kept in the browser), then offers the
// LIN files it wrote as downloads, one by one or as one ZIP (fflate). The boards show at once as
// diagrams; two more workers solve them for the hand record, whose PDF and PBN join the
// downloads when the last is solved. Nothing leaves the browser. Hosted, it is also an
// installable app that works offline and opens .pbn files.
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
    const settings = ["paper", "perPage", "club"]; // the record's, kept like the shape
    let solvers = []; // the two workers that solve boards
    // The newest conversion's boards being solved: {id, boards, next (to hand out), tricks,
    // left (to come), date, time, record (its files, once made)}.
    let run = null;

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

    function recordChanged() {
        try {
            localStorage.setItem(
                "quillotan-record",
                JSON.stringify(settings.map((id) => $(id).value)),
            );
        } catch {
            // a browser that keeps nothing for this page
        }
        if (run && run.left === 0) askForRecord();
    }

    // A line of the record's words, hearts and diamonds red.
    function suited(line) {
        const span = document.createElement("span");
        for (const part of line.split(/([\u2665\u2666])/)) {
            if (!part) continue;
            const piece = document.createElement("span");
            piece.textContent = part;
            if (/[\u2665\u2666]/.test(part)) piece.className = "red";
            span.append(piece);
        }
        return span;
    }

    // The boards as the core lays them out, as text: each hand under its seat's name and
    // points, North at the top; the table waits for its solver.
    function showBoards(boards) {
        const diagrams = boards.map(({ view }, index) => {
            const board = document.createElement("article");
            board.className = "board";
            board.setAttribute("aria-labelledby", `board${index}`);
            const title = document.createElement("h3");
            title.id = `board${index}`;
            title.textContent = view.title;
            const about = document.createElement("p");
            about.textContent = `${view.dealer}, ${view.vulnerable}`;
            const hands = document.createElement("dl");
            hands.className = "hands";
            view.seats.forEach((seat, at) => {
                const hand = document.createElement("div");
                hand.className = `seat${at}`;
                const name = document.createElement("dt");
                name.textContent = `${seat} ${view.points[at]}`;
                const cards = document.createElement("dd");
                view.hands[at].forEach((line, i) =>
                    cards.append(...(i ? ["\n"] : []), suited(line)),
                );
                hand.append(name, cards);
                hands.append(hand);
            });
            const table = document.createElement("div");
            table.id = `table${index}`;
            board.append(title, about, hands, table);
            return board;
        });
        $("diagrams").replaceChildren(...diagrams);
        $("record").hidden = boards.length === 0;
    }

    // A board's double-dummy table and par, as its solver gave them.
    function showTable(index, { strains, declarers, tricks, par }) {
        const place = $(`table${index}`);
        const lines = par.map((line) => {
            const p = document.createElement("p");
            p.append(suited(line));
            return p;
        });
        if (!strains[0]) return place.replaceChildren(...lines);
        const table = document.createElement("table");
        table.className = "tricks";
        const head = table.insertRow();
        for (const text of ["", ...strains]) {
            const cell = document.createElement("th");
            cell.scope = "col";
            cell.append(suited(text));
            head.append(cell);
        }
        declarers.forEach((declarer, row) => {
            const line = table.insertRow();
            const cell = document.createElement("th");
            cell.scope = "row";
            cell.textContent = declarer;
            line.append(cell);
            for (const n of tricks[row]) line.insertCell().textContent = String(n);
        });
        place.replaceChildren(table, ...lines);
    }

    // Each free solver takes the next board of the newest run; the record follows the last.
    function solveNext(solver) {
        solver.board = null;
        if (!run || run.next >= run.boards.length) return;
        solver.board = [run.id, run.next];
        solver.postMessage({ solve: run.boards[run.next++] });
    }

    function solved(solver, answer) {
        const [id, index] = solver.board ?? [];
        if (run && id === run.id) {
            run.tricks[index] = answer.tricks;
            showTable(index, answer.table);
            run.left -= 1;
            $("solving").textContent = run.left
                ? `Solving the boards: ${run.boards.length - run.left} of ${run.boards.length}…`
                : "";
            if (run.left === 0) askForRecord();
        }
        solveNext(solver);
    }

    function askForRecord() {
        const [paper, perPage, club] = settings.map((id) => $(id).value);
        const tricks = run.tricks.map((t) => t ?? "null").join(";");
        worker.postMessage({
            id: run.id,
            record: [tricks, paper, Number(perPage), club, run.date, run.time],
        });
    }

    // The record's files join the list and the ZIP.
    function recorded({ files, error }) {
        if (error) {
            $("solving").textContent = error;
            return;
        }
        run.record = files;
        for (const item of $("links").querySelectorAll(".recordFile")) item.remove();
        for (const file of files) {
            const pdf = file.path.endsWith(".pdf");
            offer(file, pdf ? "application/pdf" : undefined).className = "recordFile";
        }
        performance.measure("quillotan-record", "quillotan-pick");
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

    // A file of the core's answer as one more item of the list of links.
    function offer(file, type = "application/octet-stream") {
        const item = document.createElement("li");
        item.append(link(file.path, file.shown, new Blob([file.bytes], { type })));
        $("links").append(item);
        return item;
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
        $("links").replaceChildren();
        $("result").hidden = !answer.files;
        run = null;
        if (!answer.files) return showBoards([]);
        for (const file of answer.files) offer(file);
        $("zip").onclick = () => {
            const files = [...answer.files, ...(run?.record ?? [])];
            const entries = Object.fromEntries(files.map((file) => [file.path, file.bytes]));
            const zip = answer.zip;
            link(zip, zip, new Blob([fflate.zipSync(entries)])).click();
        };
    }

    // The boards of the files on offer, shown at once, then handed to the solvers.
    function solveAll(boards) {
        showBoards(boards);
        run = { id: picks, boards, tricks: [], next: 0, left: boards.length, ...newest.stamp };
        $("solving").textContent = `Solving the boards: 0 of ${boards.length}…`;
        for (const solver of solvers) if (solver.ready && !solver.board) solveNext(solver);
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
        const [date, time] = timestamp(new Date());
        newest = { file, name: file.name, opened, stamp: { date, time } };
        performance.mark("quillotan-pick");
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
        const url = URL.createObjectURL(core);
        worker = new Worker(url);
        worker.onerror = () => failed("a part the conversion needs");
        // Two workers of their own solve the boards, each once its core is ready, so that a
        // conversion never waits for them.
        solvers = [0, 1].map(() => {
            const solver = new Worker(url);
            solver.onmessage = ({ data }) => {
                if (data.version) {
                    solver.ready = true;
                    solveNext(solver);
                } else if (data.solved) {
                    solved(solver, data.solved);
                }
            };
            return solver;
        });
        worker.onmessage = ({ data }) => {
            if (data.failed) return failed(`a part the conversion needs (${data.failed})`);
            if (data.recorded) {
                if (run && data.id === run.id) recorded(data.recorded);
            } else if (data.paper) {
                $("paper").value = data.paper;
            } else if (data.shape) {
                described(data.shape);
            } else if (data.version) {
                $("version").textContent = data.version;
                $("pick").disabled = false;
                ready = true;
                document.body.dataset.ready = "true";
                performance.mark("quillotan-ready");
                shapeChanged();
                if (!kept("quillotan-record", settings)) {
                    worker.postMessage({ paper: navigator.language || "" });
                }
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
                if (data.answer.files) solveAll(data.answer.boards);
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

    // What the browser kept under key into the boxes of ids; whether it kept anything.
    function kept(key, ids) {
        try {
            const values = JSON.parse(localStorage.getItem(key));
            values?.forEach((value, i) => {
                $(ids[i]).value = String(value);
            });
            return Boolean(values);
        } catch {
            return false; // nothing kept, or not to be read
        }
    }
    kept("quillotan-shape", numbers);
    kept("quillotan-record", settings);
    for (const id of numbers) $(id).addEventListener("input", shapeChanged);
    for (const id of settings) $(id).addEventListener("change", recordChanged);
    shapeChanged();
    start();
})();
