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
  box.innerHTML = '<p id="loading-text" style="white-space:pre-line">Loading...</p><progress id="loading-bar" value="0" ' +
    'max="1" style="width:18em"></progress><p><button id="loading-retry" hidden>Retry</button></p>';
  document.body.appendChild(box);
  const text = box.querySelector('#loading-text'), bar = box.querySelector('#loading-bar');
  const retry = box.querySelector('#loading-retry');

  // What failed stays on show, each file with the browser's reason, until
  // the player presses Retry (the bar's count never writes over it); every
  // file that waits on it then tries again.
  const failures = new Set();
  let retried = null;
  function fail(what) {
    failures.add(what);
    box.hidden = false;
    bar.hidden = true;
    text.textContent = [...failures].join('\n');
    retry.hidden = false;
    return retried ??= new Promise((ok) => retry.addEventListener('click', () => {
      failures.clear();
      retried = null;
      retry.hidden = true;
      bar.hidden = false;
      text.textContent = 'Loading...';
      ok();
    }, { once: true }));
  }

  // Fetches a file; `use` reads its body, gzipped files unpacked as they
  // come, and what it makes is returned. onBytes hears of every part; a
  // failed try starts the file's count again, and asks the server anew
  // rather than the browser's cache, which may hold the damaged copy.
  async function download(name, use, onBytes = () => {}) {
    for (let again = {}; ; again = { cache: 'reload' }) {
      try {
        const res = await fetch(name, again);
        if (!res.ok) throw new Error(`HTTP ${res.status}`);
        onBytes(name, 0, +res.headers.get('Content-Length'));
        let body = res.body.pipeThrough(new TransformStream({
          transform(part, out) { onBytes(name, part.length); out.enqueue(part); } }));
        if (name.endsWith('.gz')) body = body.pipeThrough(new DecompressionStream('gzip'));
        return await use(body);
      } catch (e) {
        await fail(`${e instanceof WebAssembly.CompileError ? 'Could not compile' : 'Could not download'} ${name} (${e}).`);
      }
    }
  }
  const bytes = (body) => new Response(body).arrayBuffer();

  // The tunes: the game asks for bgmNN.wav, the site holds them as Ogg
  // Vorbis, which the mixer knows by its content whatever the name.
  const tunes = ['bgm01', 'bgm02', 'bgm03'];
  const coming = new Set(tunes.map((t) => `/sevenwell/sound/${t}.wav`));
  Module.swTuneComing = (path) => coming.has(path);
  Module.swTuneWaiting = () => { document.body.dataset.music = 'waiting'; };
  async function fetchTunes() {
    // The service worker is registered only now, so it takes no bandwidth
    // from the first frame. The tunes do not wait for it: one fetched
    // before it runs is asked for again through it once it does, which
    // keeps it (the server says it is unchanged, or sends it again if it
    // cannot tell).
    const sw = 'serviceWorker' in navigator && navigator.serviceWorker;
    const running = sw && sw.register('sw.js').then(() => sw.controller ||
      new Promise((ok) => sw.addEventListener('controllerchange', ok, { once: true })))
      .catch((e) => console.warn('no offline play:', e));
    const missed = [];
    for (const t of tunes) {
      if (sw && !sw.controller) missed.push(t);
      const data = await download(`sound/${t}.ogg`, bytes);
      box.hidden = true;
      coming.delete(`/sevenwell/sound/${t}.wav`);
      Module.swPlaceTune(`/sevenwell/sound/${t}.wav`, new Uint8Array(data));
    }
    if (missed.length && await Promise.race([running, new Promise((ok) => setTimeout(ok, 15000))])) {
      for (const t of missed) {
        // Only for the next visit: a failure here is not the player's concern.
        await fetch(`sound/${t}.ogg`).then((res) => res.arrayBuffer()).catch(() => {});
      }
    }
    document.body.dataset.tunes = 'all';
  }

  // The sound's audio context is made at once, while the files come: making
  // one takes a while, and the mixer takes the one it finds. It sounds from
  // the player's first key, click or touch, as browsers ask.
  // (A browser that refuses one here lets the mixer try again, as before;
  // one without Web Audio at all plays silent, which the game says.)
  const Context = window.AudioContext || window.webkitAudioContext;
  if (Context) try {
    const audio = new Context();
    Module.SDL2 = { audioContext: audio };
    const wake = () => audio.state === 'running' || audio.resume();
    for (const e of ['keydown', 'mousedown', 'touchstart']) document.addEventListener(e, wake, true);
  } catch (e) {
    console.warn('no audio context yet:', e);
  }

  // The first frame's files, side by side (the page asked for them early,
  // see index.html); the bar counts their bytes. The code compiles as it
  // comes; the runtime starts once it and the data are here, and takes the
  // compiled code when it asks for it.
  const sizes = {}, got = {};
  function onBytes(name, n, size) {
    if (size !== undefined) [sizes[name], got[name]] = [size, 0];
    got[name] += n;
    const sum = (o) => Object.values(o).reduce((a, b) => a + b, 0);
    bar.max = sum(sizes) || 1;
    bar.value = sum(got);
    if (!failures.size) text.textContent = `Loading ${Math.round(bar.value / 1024)} of ${Math.round(bar.max / 1024)} KB`;
  }
  const wasm = download('game.wasm.gz', (body) => WebAssembly.compileStreaming(
    new Response(body, { headers: { 'Content-Type': 'application/wasm' } })), onBytes);
  Module.instantiateWasm = (imports, done) => {
    wasm.then((code) => WebAssembly.instantiate(code, imports).then((run) => done(run, code)))
      .catch((e) => fail(`The game could not start (${e}).`).then(() => location.reload()));
    return {};
  };
  // The runtime stopped before the first frame: the same, named.
  Module.onAbort = (what) => document.body.dataset.firstFrame || fail(`The game could not start (${what}).`)
    .then(() => location.reload());
  Promise.all([download('game.js.gz', bytes, onBytes), download('game.data.gz', bytes, onBytes)])
    .then(([js, data]) => {
      Module.getPreloadedPackage = () => data;
      // The game reads its pictures and sounds itself: the runtime need not
      // have the browser decode each one as the package is unpacked.
      Module.noImageDecoding = Module.noAudioDecoding = true;
      (Module.postRun = Module.postRun || []).push(() => requestAnimationFrame(() => {
        box.hidden = true;
        document.body.dataset.firstFrame = String(Math.floor(performance.now()));
        document.querySelector('link[rel=icon]').href = 'icon-192.png';
        document.head.insertAdjacentHTML('beforeend', '<link rel="manifest" href="manifest.webmanifest">');
        fetchTunes();
      }));
      const script = document.createElement('script');
      script.src = URL.createObjectURL(new Blob([js], { type: 'text/javascript' }));
      document.body.appendChild(script);
    });
})();
