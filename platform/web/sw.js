// The page's service worker: keeps every file of one build, checked against that build's own
// digests, so that after one visit the demo opens and runs with the network gone.
'use strict';
const cacheName = 'varnelo-@VERSION@-@BUILD@';
// Every file of the page folder, as the build lists them (both wasm builds among them, for offline
// use on any browser).
const digests = {
@DIGESTS@};
const files = ['./', ...Object.keys(digests)];
const integrity = (hex) => `sha256-${btoa(String.fromCharCode(...hex.match(/../g).map((byte) => parseInt(byte, 16))))}`;

// A server caught halfway through an upload answers with some files of the next build cut short
// or still of the last one: every file must match this build's digest, or nothing is kept and
// the install fails, to be tried again at a later visit while the build before goes on working.
// 'no-cache' asks the server rather than the browser's cache, which may hold an older build's.
self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(cacheName).then((cache) => cache.addAll(files.map((file) =>
    new Request(file, { cache: 'no-cache', integrity: integrity(digests[file === './' ? 'index.html' : file]) })))));
});

// A new build waits until no page runs the old one, unless a page asks for it at once.
self.addEventListener('message', (event) => {
  if (event.data === 'take over') self.skipWaiting();
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name.startsWith('varnelo-') && name !== cacheName)
      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.open(cacheName)
    .then((cache) => cache.match(event.request, { ignoreSearch: true }))
    .then((kept) => kept || fetch(event.request)));
});
