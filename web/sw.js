// Seven Well's service worker: the whole site kept in a cache named after
// this build, served from there first, so the game starts and plays with
// the network gone after one visit. The tunes are kept the first time the
// page fetches them; the caches of older builds go when this one takes over.
'use strict';
const CACHE = 'sevenwell-@SW_BUILD@';
const FILES = ['./', @SW_FILES@];

self.addEventListener('install', (e) => {
  // Asked of the server again (cheap when unchanged), never taken from the
  // browser's own cache, which may still hold an older build's file.
  e.waitUntil(caches.open(CACHE)
    .then((c) => c.addAll(FILES.map((f) => new Request(f, { cache: 'no-cache' }))))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (e) => {
  e.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((n) => n.startsWith('sevenwell-') && n !== CACHE)
      .map((n) => caches.delete(n))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (e) => {
  if (e.request.method !== 'GET' || new URL(e.request.url).origin !== location.origin) return;
  e.respondWith(caches.open(CACHE).then(async (c) => {
    const kept = await c.match(e.request, { ignoreSearch: true });
    if (kept) return kept;
    const res = await fetch(e.request);
    if (res.status === 200) e.waitUntil(c.put(e.request, res.clone()));
    return res;
  }));
});
