// The installed app's service worker: every file of the page in one cache, named for the
// app's place on its host (its scope) and for the build (its version and a hash of its files),
// so that the page works offline, at index.html and at its folder's own address. A new build
// takes over at once and drops this copy's older caches; another app's, or another copy's of
// this app elsewhere on the same host, stay: it reaches the user on the next load.
"use strict";

const prefix = `quillotan-${new URL(self.registration.scope).pathname}-`;
const cache = `${prefix}@VERSION@-@HASH@`;
const files = [
    /* @FILES@ */
];

self.addEventListener("install", (event) => {
    self.skipWaiting();
    event.waitUntil(
        caches.open(cache).then(async (open) => {
            await open.addAll(files.map((file) => new Request(file, { cache: "reload" })));
            await open.put("./", await open.match("index.html")); // the folder's address is the page
        }),
    );
});

self.addEventListener("activate", (event) => {
    event.waitUntil(
        caches.keys().then(async (keys) => {
            const older = keys.filter((key) => key.startsWith(prefix) && key !== cache);
            await Promise.all(older.map((key) => caches.delete(key)));
            await self.clients.claim();
            // The pages open on an older build learn that this one is ready.
            if (older.length)
                for (const page of await self.clients.matchAll()) page.postMessage("updated");
        }),
    );
});

self.addEventListener("fetch", (event) => {
    event.respondWith(
        caches
            .open(cache)
            .then((open) => open.match(event.request, { ignoreSearch: true }))
            .then((hit) => hit ?? fetch(event.request)),
    );
});
