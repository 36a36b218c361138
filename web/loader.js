// Seven Well's loader: what the first frame needs comes first (the code
// and the pictures and effects, gzipped, unpacked here, since a plain
// static server sends them as they are), with a bar counting its bytes.
// The tunes follow after the first frame, and the service worker that
// keeps the site for offline play is registered then too.
'use strict';
(function () {
  const box = document.createElement('div');
  box.id = 'loading';
  box.style.cssText = 'position:fixed;left:50%;top:40%;transform:translate(-50%,-50%);' +
    'z-index:10;padding:1em 1.5em;background:#111;color:#ddd;font:15px sans-serif;' +
    'text-align:center;border:1px solid #444';
  box.innerHTML = '<p id="loading-text">Loading...</p><progress id="loading-bar" value="0" ' +
    'max="1" style="width:18em"></progress><p><button id="loading-retry" hidden>Retry</button></p>';
  document.body.appendChild(box);
  const text = box.querySelector('#loading-text'), bar = box.querySelector('#loading-bar');
  const retry = box.querySelector('#loading-retry');

  // A failed download names its file and waits for the player's retry.
  function offerRetry(name, why) {
    box.hidden = false;
    bar.hidden = true;
    text.textContent = `Could not download ${name} (${why}).`;
    retry.hidden = false;
    return new Promise((ok) => retry.addEventListener('click', () => {
      retry.hidden = true;
      bar.hidden = false;
      ok();
    }, { once: true }));
  }

  // Fetches a file whole, telling onBytes of every part that comes.
  async function download(name, onBytes) {
    for (;;) {
      try {
        const res = await fetch(name);
        if (!res.ok) throw new Error(`HTTP ${res.status}`);
        onBytes(0, +res.headers.get('Content-Length'));
        const parts = [], reader = res.body.getReader();
        for (let r; !(r = await reader.read()).done;) {
          parts.push(r.value);
          onBytes(r.value.length, 0);
        }
        return new Blob(parts);
      } catch (e) {
        await offerRetry(name, e.message);
      }
    }
  }
  const gunzip = (blob) =>
    new Response(blob.stream().pipeThrough(new DecompressionStream('gzip'))).arrayBuffer();

  // The tunes: the game asks for bgmNN.wav, the site holds them as Ogg
  // Vorbis, which the mixer knows by its content whatever the name.
  const tunes = ['bgm01', 'bgm02', 'bgm03'];
  const coming = new Set(tunes.map((t) => `/sevenwell/sound/${t}.wav`));
  Module.swTuneComing = (path) => coming.has(path);
  Module.swTuneWaiting = () => { document.body.dataset.music = 'waiting'; };
  async function fetchTunes() {
    // The service worker is registered only now, so it takes no bandwidth
    // from the first frame; the tunes wait for it (a while at most), so
    // that it keeps them as they come.
    if ('serviceWorker' in navigator) {
      const sw = navigator.serviceWorker;
      const ready = sw.register('sw.js').then(() => sw.controller ||
        new Promise((ok) => sw.addEventListener('controllerchange', ok, { once: true })));
      await Promise.race([ready.catch((e) => console.warn('no offline play:', e)),
        new Promise((ok) => setTimeout(ok, 15000))]);
    }
    for (const t of tunes) {
      const data = await download(`sound/${t}.ogg`, () => {});
      box.hidden = true;
      coming.delete(`/sevenwell/sound/${t}.wav`);
      Module.swPlaceTune(`/sevenwell/sound/${t}.wav`, new Uint8Array(await data.arrayBuffer()));
    }
    document.body.dataset.tunes = 'all';
  }

  // The first frame's files, side by side; the bar counts their bytes.
  const first = ['game.js.gz', 'game.wasm.gz', 'game.data.gz'];
  let got = 0, need = 0;
  function onBytes(n, size) {
    got += n;
    need += size;
    bar.max = need || 1;
    bar.value = got;
    text.textContent = `Loading ${Math.round(got / 1024)} of ${Math.round(need / 1024)} KB`;
  }
  Promise.all(first.map((f) => download(f, onBytes).then(gunzip))).then(([js, wasm, data]) => {
    Module.wasmBinary = wasm;
    Module.getPreloadedPackage = () => data;
    (Module.postRun = Module.postRun || []).push(() => requestAnimationFrame(() => {
      box.hidden = true;
      document.body.dataset.firstFrame = String(Math.floor(performance.now()));
      fetchTunes();
    }));
    const script = document.createElement('script');
    script.src = URL.createObjectURL(new Blob([js], { type: 'text/javascript' }));
    document.body.appendChild(script);
  });
})();
