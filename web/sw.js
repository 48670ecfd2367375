// The installed app's service worker: every file of the page in one cache, named for the
// build (its version and a hash of its files), so that the page works offline. A new build
// takes over at once and drops this app's older caches (another app's on the same host stay):
// it reaches the user on the next load.
"use strict";

const prefix = "quillotan-";
const cache = `${prefix}@VERSION@-@HASH@`;
const files = @FILES@;

self.addEventListener("install", (event) => {
  self.skipWaiting();
  event.waitUntil(caches.open(cache).then((open) =>
    open.addAll(files.map((file) => new Request(file, { cache: "reload" })))));
});

self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys().then(async (keys) => {
    const older = keys.filter((key) => key.startsWith(prefix) && key !== cache);
    await Promise.all(older.map((key) => caches.delete(key)));
    await self.clients.claim();
    // The pages open on an older build learn that this one is ready.
    if (older.length) for (const page of await self.clients.matchAll()) page.postMessage("updated");
  }));
});

self.addEventListener("fetch", (event) => {
  event.respondWith(caches.match(event.request, { ignoreSearch: true })
    .then((hit) => hit ?? fetch(event.request)));
});
