// What every browser check needs: the built site on a plain static server
// (no compression, as a player's simplest host sends it), a browser of one
// of three engines on a fresh profile behind one small interface, and a
// runner that counts what actually ran. Chromium and Firefox ESR are driven
// by puppeteer-core (installed by npm ci in tests/web), over the DevTools
// protocol and WebDriver BiDi; WebKitGTK's MiniBrowser by its own WebDriver,
// on an Xvfb display. The browsers play sound into a PulseAudio null sink.
//   node tests/e2e/browser.mjs SITE_DIR MODULE.mjs ...
// runs each module's default export with the harness below in every engine
// (SW_BROWSERS=firefox,webkit names some).
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

export const engines = (process.env.SW_BROWSERS || 'chromium,firefox,webkit').split(',');
const types = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.mjs': 'text/javascript',
  '.wasm': 'application/wasm', '.json': 'application/json', '.webmanifest': 'application/manifest+json',
  '.png': 'image/png', '.svg': 'image/svg+xml', '.css': 'text/css' };
export const sleep = (ms) => new Promise((ok) => setTimeout(ok, ms));

// The page's console and uncaught errors, told as they come to a server of
// their own, which outlives the site's server (no driver hears them in
// every engine): "kind text" lines in the said of the site's server.
const heard = new Map(), listener = http.createServer((req, res) => {
  let line = '';
  req.on('data', (d) => { line += d; }).on('end', () => { heard.get(req.headers.origin)?.push(line); res.end(); });
}).listen(0, '127.0.0.1').unref();
const tap = () => `(() => { const tell = (kind, a) => navigator.sendBeacon('http://127.0.0.1:${listener.address().port}/', kind + ' ' + a.join(' '));
  for (const k of ['log', 'info', 'warn', 'error']) { const f = console[k]; console[k] = (...a) => { tell(k, a); f.apply(console, a); }; }
  addEventListener('error', (e) => tell('error', [e.message])), addEventListener('unhandledrejection', (e) => tell('error', [e.reason])); })();`;

// Serves dir on 127.0.0.1. The page runs `inject` before its own scripts. While rate is set (bytes a second,
// shared by all connections), every response comes latency ms late, at
// that rate, as on a slow link.
export async function serve(dir, { inject = '', rate = 0, latency = 150 } = {}) {
  const root = path.resolve(dir), said = [];
  let free = 0;
  const server = http.createServer((req, res) => {
    const file = path.join(root, path.normalize(decodeURIComponent(req.url.split('?')[0])).replace(/^\/$/, '/index.html'));
    if (!file.startsWith(root) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) return void res.writeHead(404).end();
    let body = fs.readFileSync(file);
    if (file.endsWith('index.html')) body = Buffer.from(String(body).replace('<head>', `<head><script>${tap()}${inject}</script>`));
    res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream', 'Content-Length': body.length });
    const send = (at) => {
      if (!s.rate || at >= body.length) return void res.end(body.subarray(at));
      free = Math.max(Date.now(), free) + 4096 * 1000 / s.rate;
      setTimeout(() => res.write(body.subarray(at, at + 4096), () => send(at + 4096)), free - Date.now());
    };
    setTimeout(send, s.rate && latency, 0);
  });
  await new Promise((ok) => server.listen(0, '127.0.0.1', ok));
  heard.set(`http://127.0.0.1:${server.address().port}`, said);
  const s = { url: `http://127.0.0.1:${server.address().port}/`, said, rate,
    close: () => new Promise((ok) => { server.closeAllConnections(); server.close(ok); }) };
  return s;
}

// What the browsers share, started once: an X display for WebKit and a
// PulseAudio with a null sink for every engine (Firefox starts its audio
// only with a sound device). They end with this process.
const kids = [], scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'sevenwell-browsers-'));
process.on('exit', () => { for (const k of kids) k.kill('SIGKILL'); fs.rmSync(scratch, { recursive: true, force: true }); });
const started = (cmd, args, opts) => kids[kids.push(spawn(cmd, args, { stdio: 'ignore', ...opts })) - 1];
let shared;
function machine() {
  return shared ??= (async () => {
    const sock = path.join(scratch, 'pulse.sock'), env = { ...process.env, HOME: scratch, PULSE_SERVER: `unix:${sock}` };
    started('pulseaudio', ['-n', '--daemonize=no', '--exit-idle-time=-1', '--use-pid-file=no', '-L', 'module-null-sink',
      '-L', `module-native-protocol-unix socket=${sock} auth-anonymous=1`], { env: { ...env, XDG_RUNTIME_DIR: scratch } });
    const x = started('Xvfb', ['-displayfd', 3, '-screen', 0, '1600x1200x24', '-nolisten', 'tcp'], { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
    env.DISPLAY = await new Promise((ok, no) => {
      let d = '';
      x.stdio[3].on('data', (part) => (d += part).includes('\n') && ok(`:${d.trim()}`)).once('close', no);
    });
    await until('PulseAudio (pulseaudio -n) on its socket', () => fs.existsSync(sock), 5000);
    return env;
  })();
}

// A browser of the engine on a fresh profile; mobile: a phone's screen
// (touch, coarse pointer) where the engine can emulate one. It has pages[0]
// and open() for another window, each a page:
//   goto(url), reload(), resize(width, height) (of the page, or where the
//   driver sizes only windows, the window), run(fn, ...args) (fn's value in
//   the page, awaited),
//   until(fn, ms, ...args) (run until it gives something), key(how, key)
//   (how: down, up, press), click(selector), touch(labels, to) (fingers
//   down on the buttons so labelled, the first moved to {x, y}, all lifted).
export async function launch(engine, { mobile = false } = {}) {
  const env = await machine(), [width, height] = [1280, 1000];
  let b;
  if (engine === 'webkit') {
    b = await webdriver(env, width, height);
  } else {
    const puppeteer = createRequire(new URL('../web/package.json', import.meta.url))('puppeteer-core');
    const viewport = engine === 'firefox' ? { width, height } : { width, height, isMobile: mobile, hasTouch: mobile };
    const browser = await puppeteer.launch(engine === 'firefox'
      ? { browser: 'firefox', executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr', env, defaultViewport: viewport }
      : { executablePath: process.env.CHROMIUM || '/usr/bin/chromium', env, userDataDir: fs.mkdtempSync(path.join(scratch, 'chromium-')),
        defaultViewport: viewport,
        args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
          '--disable-component-update', '--disable-sync'] });
    const page = (p) => ({
      goto: (url) => p.goto(url), reload: () => p.reload(), run: (fn, ...args) => p.evaluate(fn, ...args),
      resize: (width, height) => p.setViewport({ ...viewport, width, height }),
      key: (how, k) => p.keyboard[how](k), click: (selector) => p.click(selector),
      touch: engine === 'chromium' && (async (labels, to) => {
        const at = await p.evaluate((labels) => labels.map((l) => ((r) => [r.x + r.width / 2, r.y + r.height / 2])(
          document.querySelector(`[aria-label="${l}"]`).getBoundingClientRect())), labels);
        const fingers = [];
        for (const [x, y] of at) fingers.push(await p.touchscreen.touchStart(x, y));
        if (to) await fingers[0].move(to.x, to.y);
        for (const f of fingers) await f.end();
      }),
    });
    // Each page a window of its own, seen as the other (not a tab behind it).
    const sized = async (p) => (await p.setViewport(viewport), p);
    b = { pid: kids[kids.push(browser.process()) - 1].pid, pages: [page(await sized((await browser.pages())[0]))],
      open: async () => page(await sized(await browser.newPage({ type: 'window' }))), close: () => browser.close() };
  }
  for (const p of b.pages) add(p);
  const open = b.open;
  return Object.assign(b, { engine, open: async () => add(await open()) });
}

// Polls fn until it gives something.
export async function until(what, fn, ms = 30000) {
  let v;
  for (const end = Date.now() + ms; !(v = await fn()); await sleep(50)) if (Date.now() > end) throw new Error(`no ${what} within ${ms} ms`);
  return v;
}
// The title's second item and the play clock, on the canvas.
export const kItem1 = [452, 344, 32, 32], kClock = [40, 175, 152, 33];
// Down and Up until Down moves the title's cursor and Up brings it back:
// the logo is over and the cursor is on its first item.
export async function toTitle(page, press = (k) => page.key('press', `Arrow${k}`)) {
  const step = async (key) => { await press(key); await sleep(250); return page.snap(kItem1); };
  await until('title', async () => { const item1 = await page.snap(kItem1);
    return await step('Down') !== item1 && await step('Up') === item1; });
}

// What every page does the same way in every engine.
function add(p) {
  p.until = (fn, ms, ...args) => until(String(fn), () => p.run(fn, ...args), ms);
  // A checksum of the canvas in a rectangle, to tell two moments apart.
  p.snap = (r = [0, 0, 640, 480]) => p.run((r) => document.getElementById('canvas')
    .getContext('2d').getImageData(...r).data.reduce((h, v) => (h * 31 + v) | 0, 7), r);
  // Without touch input (WebKit's and Firefox's drivers have none, and
  // their pages have no coarse pointer), the fingers are pointer events
  // made in the page: the buttons come with a first touch, as they do.
  p.touch ||= (labels, to) => p.run((labels, to) => {
    const at = (id, type, [x, y]) => (document.elementFromPoint(x, y) ?? document.body).dispatchEvent(new PointerEvent(type,
      { pointerId: 10 + id, pointerType: 'touch', isPrimary: !id, clientX: x, clientY: y, bubbles: true, cancelable: true }));
    if (!document.body.classList.contains('touch')) at(9, 'pointerdown', [1, 1]), at(9, 'pointerup', [1, 1]);
    const xy = labels.map((l) => ((r) => [r.x + r.width / 2, r.y + r.height / 2])(document.querySelector(`[aria-label="${l}"]`).getBoundingClientRect()));
    xy.forEach((c, id) => at(id, 'pointerdown', c));
    if (to) at(0, 'pointermove', xy[0] = [to.x, to.y]);
    xy.forEach((c, id) => at(id, 'pointerup', c));
  }, labels, to);
  return p;
}

// WebKitGTK's MiniBrowser through classic WebDriver (WebKitWebDriver): a
// session, its windows as pages, each command to the window it is for.
const kKeys = { ArrowLeft: '\uE012', ArrowUp: '\uE013', ArrowRight: '\uE014', ArrowDown: '\uE015', Enter: '\uE007',
  Escape: '\uE00C', Backspace: '\uE003' };
async function webdriver(env, width, height) {
  const port = 4500 + Math.floor(Math.random() * 4000), driver = started('WebKitWebDriver', [`--port=${port}`], { env });
  const call = async (method, to, body) => {
    const r = await (await fetch(`http://127.0.0.1:${port}${to}`, { method, body: body && JSON.stringify(body) })).json();
    if (r.value?.error) throw new Error(`${r.value.error}: ${r.value.message}`);
    return r.value;
  };
  for (let i = 0; await call('GET', '/status').then(() => false, () => i++ < 100); await sleep(50));
  const id = (await call('POST', '/session', { capabilities: { alwaysMatch: { 'webkitgtk:browserOptions': {
    binary: process.env.MINIBROWSER || '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser', args: ['--automation'] } } } })).sessionId;
  const s = `/session/${id}`;
  let current = await call('GET', `${s}/window`);
  const page = (handle) => {
    const to = async (method, where, body) => {
      if (current !== handle) await call('POST', `${s}/window`, { handle }), current = handle;
      return call(method, `${s}${where}`, body);
    };
    const keys = (...types) => (k) => to('POST', '/actions', { actions: [{ type: 'key', id: 'keys',
      actions: types.map((type) => ({ type, value: kKeys[k] ?? k })) }] });
    return { goto: (url) => to('POST', '/url', { url }), reload: () => to('POST', '/refresh', {}),
      resize: (width, height) => to('POST', '/window/rect', { width, height }),
      run: (fn, ...args) => to('POST', '/execute/sync', { script: `return (${fn}).apply(null, arguments)`, args }),
      key: (how, k) => ({ down: keys('keyDown'), up: keys('keyUp'), press: keys('keyDown', 'keyUp') })[how](k),
      click: async (selector) => to('POST', `/element/${Object.values(await to('POST', '/element', { using: 'css selector', value: selector }))[0]}/click`, {}) };
  };
  await call('POST', `${s}/window/rect`, { width, height });
  return { pid: driver.pid, pages: [page(current)], close: () => call('DELETE', s).finally(() => driver.kill()),
    open: async () => page((await call('POST', `${s}/window/new`, { type: 'window' })).handle) };
}

export function expect(ok, why) {
  if (!ok) throw new Error(why);
}

// Named checks, counted as they run, in one engine.
export function harness(site, engine = engines[0]) {
  const t = { site: path.resolve(site), engine, serve, launch: (o) => launch(engine, o), expect, passed: 0, failed: 0 };
  t.check = async (name, fn) => {
    const start = Date.now(), took = () => `(${((Date.now() - start) / 1000).toFixed(1)} s)`;
    try {
      await fn();
      ++t.passed;
      console.log(`ok   ${name} ${took()}`);
    } catch (e) {
      ++t.failed;
      console.log(`FAIL ${name} ${took()}: ${e.stack || e.message}`);
    }
  };
  return t;
}

// Run when this module is done: the modules import it.
if (process.argv[1] && import.meta.url === pathToFileURL(process.argv[1]).href) setImmediate(async () => {
  const [site, ...modules] = process.argv.slice(2), all = engines.map((e) => harness(site, e));
  for (const t of all) {
    console.log(`--- ${t.engine}`);
    for (const m of modules) await (await import(pathToFileURL(path.resolve(m)).href)).default(t);
  }
  for (const t of all) console.log(`browser ${t.engine}: ${t.passed} passed, ${t.failed} failed`);
  process.exit(all.every((t) => t.passed && !t.failed) ? 0 : 1);
});
