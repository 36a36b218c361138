// How fast the browser game opens, as a new player meets it, in each
// engine: the site on the checks' plain static server (which compresses
// nothing), a cold profile each run, on the slow phone link of page-speed
// audits (the server's own pace: 1.6 Mbit/s shared by all connections,
// each response 150 ms late, so the service worker's fetches are slowed
// too) and straight from localhost. Prints, per run and as medians, in s
// after navigation:
//   logo   - the first frame as the player sees it: the logo on the canvas
//            (the first frame of the canvas that is not of one colour)
//   mark   - the loader's own mark of its first frame, for comparison
//   bytes  - what came before the logo, headers not included, where the
//            engine tells it (Resource Timing's transferSize)
//   title  - the title screen on the canvas (the first change after the logo)
//   music  - the first game's tune sounding, Enter pressed when the title
//            showed (sound held for 2 s at the page's audio output)
//   node bench/web_load.mjs SITE_DIR [RUNS]
// Run from the checkout, after `cd tests/web && npm ci`; SW_BROWSERS=firefox
// measures one engine.
import os from 'node:os';
import path from 'node:path';
import { engines, launch, serve } from '../tests/e2e/browser.mjs';

const site = path.resolve(process.argv[2] || 'build-web/site');
const runs = Number(process.argv[3] || 3);
const sleep = (ms) => new Promise((ok) => setTimeout(ok, ms));

// In the page before its own scripts: every animation frame looks at the
// canvas for the logo and then the title, and everything that reaches the
// speakers also feeds an analyser: the start of the first stretch of 2 s
// with sound.
function watch() {
  const sample = () => {
    const c = document.getElementById('canvas'), g = c && c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    const seen = new Set();
    let h = 0;
    for (let i = 0; g && i < g.length; i += 4 * 97) {
      h = (h * 31 + g[i] + g[i + 1] * 7 + g[i + 2] * 13) | 0;
      seen.add(g[i] << 16 | g[i + 1] << 8 | g[i + 2]);
    }
    return [h, seen.size];
  };
  let logo;
  requestAnimationFrame(function frame(now) {
    const [h, colours] = sample();
    if (!window.logoAt && colours > 2) [window.logoAt, logo] = [performance.now(), h];
    else if (window.logoAt && h !== logo) return void (window.titleAt = performance.now());
    requestAnimationFrame(frame);
  });
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

async function once(engine, rate) {
  const server = await serve(site, { inject: `(${watch})();`, rate }), browser = await launch(engine), page = browser.pages[0];
  try {
    await page.goto(server.url);
    const at = (what) => page.until((w) => window[w], 120000, what);
    const logo = await at('logoAt'), title = await at('titleAt');
    await page.key('press', 'Enter');
    const music = await at('musicAt');
    const [mark, bytes] = await page.run((logo) => [+document.body.dataset.firstFrame, [...performance.getEntriesByType('navigation'),
      ...performance.getEntriesByType('resource')].filter((e) => e.responseEnd <= logo).reduce((n, e) => n + (e.encodedBodySize || 0), 0)], logo);
    return { logo, mark, bytes, title, music };
  } finally {
    await browser.close();
    await server.close();
  }
}

const median = (xs) => xs.slice().sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const s = (ms) => `${(ms / 1000).toFixed(2)} s`;
const line = (r) => `logo ${s(r.logo)} (mark ${s(r.mark)}) after ${r.bytes || '?'} bytes, title ${s(r.title)}, music ${s(r.music)}`;
for (const engine of engines) {
  for (const [name, rate] of [['slow link', 200000], ['localhost', 0]]) {
    const all = [];
    for (let i = 0; i < runs; ++i) {
      all.push(await once(engine, rate));
      console.log(`${engine}, ${name} run ${i + 1}: ${line(all.at(-1))}`);
      await sleep(500);
    }
    const m = Object.fromEntries(Object.keys(all[0]).map((k) => [k, median(all.map((r) => r[k]))]));
    console.log(`${engine}, ${name} median of ${runs}: ${line(m)}`);
  }
}
console.log(`(load average ${os.loadavg().map((v) => v.toFixed(1)).join(' ')})`);
process.exit(0);
