// The linter's rules for the project's JavaScript: ESLint's recommended set, with each file's
// globals (the page, its worker, its service worker, node).
import js from "@eslint/js";
import globals from "globals";

export default [
    js.configs.recommended,
    { files: ["**/*.mjs"], languageOptions: { globals: globals.node } },
    {
        files: ["web/page.js"],
        languageOptions: {
            sourceType: "script",
            globals: { ...globals.browser, fflate: "readonly" },
        },
    },
    {
        files: ["web/worker.js"],
        languageOptions: {
            sourceType: "script",
            globals: { ...globals.worker, Quillotan: "readonly", quillotanWasm: "readonly" },
        },
    },
    {
        files: ["web/sw.js"],
        languageOptions: { sourceType: "script", globals: globals.serviceworker },
    },
    // The tests' functions that run inside the page.
    {
        files: ["tests/web/*.mjs", "bench/*.mjs"],
        languageOptions: { globals: { ...globals.node, ...globals.browser } },
    },
];
