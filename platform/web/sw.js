// The page's service worker: keeps every file of the page, so that after one visit the demo
// opens and runs with the network gone. Each build keeps its files in a cache of its own.
'use strict';
const cacheName = 'varnelo-@VERSION@-@BUILD@';
const files = ['./', 'index.html', 'page.js', 'varnelo.js', 'varnelo.wasm', 'spot.tga', 'scr.tga',
  'manifest.webmanifest', 'icon-192.png', 'icon-512.png', 'favicon.ico'];

self.addEventListener('install', (event) => {
  // Asks the server whether each file changed rather than trusting the browser's own cache,
  // which may still hold the previous build's.
  event.waitUntil(caches.open(cacheName)
    .then((cache) => cache.addAll(files.map((file) => new Request(file, { cache: 'no-cache' }))))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name.startsWith('varnelo-') && name !== cacheName)
      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// The kept files of this build, all of one build, so that script and wasm always match.
self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.open(cacheName)
    .then((cache) => cache.match(event.request, { ignoreSearch: true }))
    .then((kept) => kept || fetch(event.request)));
});
