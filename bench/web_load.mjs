// How fast the browser game opens, as a new player meets it: the site on
// `python3 -m http.server` (which compresses nothing), headless Chromium
// with a cold profile each run, on the slow phone link of page-speed
// audits (Chromium's own emulation: 1.6 Mbit/s down, 150 ms round trip)
// and straight from localhost. Prints, per run and as medians:
//   first  - the first game frame (the loader's mark), s after navigation
//   bytes  - what the network delivered up to then, headers included
//   title  - the title screen on the canvas (the first change after the logo)
//   music  - the first game's tune sounding, Enter pressed when the title
//            showed (sound held for 2 s at the page's audio output)
//   node bench/web_load.mjs SITE_DIR [RUNS]
// Run from the checkout, after `cd tests/web && npm ci`.
import { spawn } from 'node:child_process';
import net from 'node:net';
import path from 'node:path';
import { launch } from '../tests/e2e/browser.mjs';

const site = path.resolve(process.argv[2] || 'build-web/site');
const runs = Number(process.argv[3] || 3);
const port = 8700 + Math.floor(Math.random() * 200);
const server = spawn('python3', ['-m', 'http.server', String(port), '--bind', '127.0.0.1', '-d', site], { stdio: 'ignore' });
const url = `http://127.0.0.1:${port}/`;
const sleep = (ms) => new Promise((ok) => setTimeout(ok, ms));
for (let i = 0; i < 50; ++i) if (await fetch(url).then(() => true, () => false)) break; else await sleep(100);

// Everything that reaches the speakers also feeds an analyser the page
// polls: the time since navigation of the start of the first stretch of
// 2 s with sound.
function listen() {
  const connect = AudioNode.prototype.connect;
  AudioNode.prototype.connect = function (to, ...rest) {
    if (to instanceof AudioDestinationNode) {
      const a = to.context.createAnalyser(), buf = new Float32Array(a.fftSize);
      connect.call(this, a);
      let since = 0;
      setInterval(() => {
        a.getFloatTimeDomainData(buf);
        const loud = buf.some((v) => Math.abs(v) > 1e-3), now = performance.now();
        if (!loud) since = 0; else if (!since) since = now;
        if (since && now - since >= 2000 && !window.musicAt) window.musicAt = since;
      }, 50);
    }
    return connect.call(this, to, ...rest);
  };
}

// The slow link, Chromium's own emulation: the page's requests only, not
// those of its service worker, which fetches the tunes for the page once
// it runs (on a first visit the page fetches the first tune itself). So
// the link is also shaped here: a proxy before the server that delays
// every response by the round trip and passes the bytes of all
// connections in turn at the link's rate.
const link = { offline: false, latency: 150, downloadThroughput: 200000, uploadThroughput: 93750 };
function shaper() {
  let free = 0;  // when the shared link has sent all it was given
  const proxy = net.createServer((client) => {
    const up = net.connect(port, '127.0.0.1'), queue = [];
    let ended = false;
    // One connection's pieces go out in order, one timer at a time.
    const pump = () => {
      if (!queue.length) return void (ended && client.end());
      setTimeout(() => client.write(queue.shift().part, pump), Math.max(0, queue[0].at - Date.now()));
    };
    client.pipe(up);
    up.on('data', (data) => {
      for (let at = 0; at < data.length; at += 4096) {
        const part = data.subarray(at, at + 4096);
        free = Math.max(Date.now() + link.latency, free) + part.length / link.downloadThroughput * 1000;
        if (queue.push({ part, at: free }) === 1) pump();
      }
    });
    up.on('end', () => { ended = true; if (!queue.length) client.end(); });
    up.on('error', () => client.destroy());
    client.on('error', () => up.destroy());
  });
  return new Promise((ok) => proxy.listen(0, '127.0.0.1', () => ok(proxy)));
}

async function once(how) {
  const ctx = await launch(), page = ctx.pages()[0], cdp = await ctx.newCDPSession(page);
  await page.addInitScript(listen);
  await cdp.send('Network.enable');
  if (how === 'emulated') await cdp.send('Network.emulateNetworkConditions', link);
  const proxy = how === 'shaped' && await shaper();
  let start = null;
  const got = [];
  cdp.on('Network.requestWillBeSent', (e) => { start ??= e.timestamp; });
  cdp.on('Network.dataReceived', (e) => got.push([e.timestamp, e.encodedDataLength]));
  cdp.on('Network.responseReceived', (e) => got.push([e.timestamp, e.response.encodedDataLength || 0]));
  cdp.on('Network.loadingFinished', (e) => got.push([e.timestamp, -e.encodedDataLength]));
  await page.goto(proxy ? `http://127.0.0.1:${proxy.address().port}/` : url, { waitUntil: 'commit' });
  const mark = (fn) => page.waitForFunction(fn, null, { timeout: 120000, polling: 20 }).then((h) => h.jsonValue());
  const first = await mark(() => document.body.dataset.firstFrame && +document.body.dataset.firstFrame);
  // loadingFinished carries each request's whole count: the bytes are the
  // larger of the sum of the parts and those totals, up to the frame.
  let parts = 0, whole = 0;
  for (const [t, n] of got) if (t - start <= first / 1000) { if (n >= 0) parts += n; else whole -= n; }
  const sample = () => page.evaluate(() => {
    const c = document.getElementById('canvas'), g = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let h = 0;
    for (let i = 0; i < g.length; i += 4 * 97) h = (h * 31 + g[i] + g[i + 1] * 7 + g[i + 2] * 13) | 0;
    return [h, performance.now()];
  });
  await sleep(500);
  const [logo] = await sample();
  let title;
  for (const end = Date.now() + 60000; !title; await sleep(20)) {
    const [h, at] = await sample();
    if (h !== logo) title = at;
    else if (Date.now() > end) throw new Error('no title within 60 s of the logo');
  }
  await page.keyboard.press('Enter');
  const music = await mark(() => window.musicAt);
  await ctx.close();
  if (proxy) proxy.close();
  return { first: first / 1000, bytes: Math.max(parts, whole), title: title / 1000, music: music / 1000 };
}

const median = (xs) => xs.slice().sort((a, b) => a - b)[Math.floor(xs.length / 2)];
try {
  for (const [name, how] of [['slow link', 'emulated'], ['shaped link', 'shaped'], ['localhost', 'direct']]) {
    const all = [];
    for (let i = 0; i < runs; ++i) {
      const r = await once(how);
      all.push(r);
      console.log(`${name} run ${i + 1}: first ${r.first.toFixed(2)} s after ${r.bytes} bytes, title ${r.title.toFixed(2)} s, music ${r.music.toFixed(2)} s`);
    }
    const m = (k) => median(all.map((r) => r[k]));
    console.log(`${name} median of ${runs}: first ${m('first').toFixed(2)} s after ${m('bytes')} bytes, title ${m('title').toFixed(2)} s, music ${m('music').toFixed(2)} s`);
  }
} finally {
  server.kill();
}
