// Seven Well's service worker: the whole site kept in a cache named after
// this build, served from there first, so the game starts and plays with
// the network gone after one visit. The tunes are kept the first time the
// page fetches them, under their name and the hash of their content, so a
// later build takes over the ones it did not change; the caches of older
// builds go when this one takes over.
'use strict';
const CACHE = 'sevenwell-@SW_BUILD@';
const FILES = ['./', @SW_FILES@];
const TUNES = { @SW_TUNES@};

// The key a tune is kept under, or nothing for another file.
function tuneKey(url) {
  const name = new URL(url).pathname.split('/').slice(-2).join('/');
  return TUNES[name] ? `${name}?${TUNES[name]}` : null;
}

self.addEventListener('install', (e) => {
  e.waitUntil((async () => {
    const kept = await caches.open(CACHE);
    // Asked of the server again (cheap when unchanged), never taken from
    // the browser's own cache, which may still hold an older build's file.
    await kept.addAll(FILES.map((f) => new Request(f, { cache: 'no-cache' })));
    for (const name of await caches.keys()) {
      if (name === CACHE || !name.startsWith('sevenwell-')) continue;
      const old = await caches.open(name);
      for (const [tune, hash] of Object.entries(TUNES)) {
        const res = await old.match(`${tune}?${hash}`);
        if (res) await kept.put(`${tune}?${hash}`, res);
      }
    }
    await self.skipWaiting();
  })());
});

self.addEventListener('activate', (e) => {
  e.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((n) => n.startsWith('sevenwell-') && n !== CACHE)
      .map((n) => caches.delete(n))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (e) => {
  if (e.request.method !== 'GET' || new URL(e.request.url).origin !== location.origin) return;
  const key = tuneKey(e.request.url);
  e.respondWith(caches.open(CACHE).then(async (c) => {
    const kept = await (key ? c.match(key) : c.match(e.request, { ignoreSearch: true }));
    if (kept) return kept;
    // A tune is asked of the server again (cheap when unchanged): the
    // browser's own cache may hold an older build's under the same name.
    const res = await fetch(key ? new Request(e.request, { cache: 'no-cache' }) : e.request);
    if (res.status === 200) e.waitUntil(c.put(key || e.request, res.clone()));
    return res;
  }));
});
