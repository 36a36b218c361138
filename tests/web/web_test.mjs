// The browser build played in headless Chromium, against a static server
// on 127.0.0.1 that this test starts and stops:
//   node web_test.mjs SITE_DIR REPLAY GAME_DIR
// SITE_DIR is the built site, REPLAY the replay tool (the reference frames
// come from it) and GAME_DIR the desktop build's game folder (pic/, sound/).
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { chromium } from 'playwright-core';

const [site, replay, gameDir] = process.argv.slice(2).map((a) => a && path.resolve(a));
if (!site || !replay || !gameDir) {
  console.error('usage: node web_test.mjs SITE_DIR REPLAY GAME_DIR');
  process.exit(2);
}
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'sevenwell-web-'));
const kRefusal = 'score.iniのファイルが不正です。';
const kZeros = '000000000\r\n000000000\r\n';

// --- reference frames from the replay tool --------------------------------

// The replay tool writes filter-free PNGs of RGB triples.
function readPng(file) {
  const buf = fs.readFileSync(file);
  let pos = 8, width = 0, height = 0;
  const idat = [];
  while (pos < buf.length) {
    const len = buf.readUInt32BE(pos);
    const type = buf.toString('latin1', pos + 4, pos + 8);
    const data = buf.subarray(pos + 8, pos + 8 + len);
    if (type === 'IHDR') [width, height] = [data.readUInt32BE(0), data.readUInt32BE(4)];
    if (type === 'IDAT') idat.push(data);
    pos += 12 + len;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const rgb = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; ++y) {
    if (raw[y * (width * 3 + 1)] !== 0) throw new Error(`${file}: filtered row`);
    raw.copy(rgb, y * width * 3, y * (width * 3 + 1) + 1, (y + 1) * (width * 3 + 1));
  }
  return rgb;
}

// Runs the replay tool in a program folder holding score, and returns the
// frames its script's png lines wrote, by name.
function replayFrames(name, score, script) {
  const dir = path.join(scratch, name);
  fs.mkdirSync(dir);
  for (const sub of ['pic', 'sound']) fs.symlinkSync(path.resolve(gameDir, sub), path.join(dir, sub));
  fs.writeFileSync(path.join(dir, 'score.ini'), score);
  const lines = script.map((l) => l.replace(/^png (\w+)$/, `png ${dir}/$1.png`));
  const out = execFileSync(replay, ['--seed', '1', '--dir', dir], { input: lines.join('\n') + '\n' });
  const frames = {};
  for (const l of script) {
    const m = /^png (\w+)$/.exec(l);
    if (m) frames[m[1]] = readPng(`${dir}/${m[1]}.png`).toString('base64');
  }
  return { frames, record: out.toString(), score: fs.readFileSync(path.join(dir, 'score.ini'), 'latin1') };
}

// A score file with records in it: a game played to game over by hard drops.
const played = replayFrames('played', kZeros, [
  'tick 202', 'key enter', 'tick 300',
  ...Array.from({ length: 40 }, () => 'key down\ntick 40'), 'tick 600']);
// The same records with plain LF line ends, which the game reads as well
// and never writes: a file rewritten by the game is told apart by its CR LF.
const prepared = played.score.replace(/\r\n/g, '\n');
// One check character changed: a file edited by hand.
const refused = prepared.replace(/^(\d{8})(\d)/, (m, digits, check) => digits + ((+check + 1) % 10));
if (!/^\d{9}\n\d{9}\n$/.test(prepared) || prepared === kZeros.replace(/\r/g, '')) {
  throw new Error(`the replayed game left no records: ${JSON.stringify(played.score)}`);
}
const ref = replayFrames('front', prepared, [
  'tick 3', 'png logo', 'tick 199', 'png title', 'key down', 'tick 1', 'png titleDown',
  'key enter', 'tick 2', 'png options']).frames;

// --- the static server and the browser ------------------------------------

const types = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript',
  '.wasm': 'application/wasm', '.data': 'application/octet-stream' };
const server = http.createServer((req, res) => {
  const file = path.join(site, path.normalize(decodeURIComponent(req.url.split('?')[0])).replace(/^\/$/, '/index.html'));
  if (!file.startsWith(path.resolve(site)) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
    res.writeHead(404).end();
    return;
  }
  res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
  fs.createReadStream(file).pipe(res);
});
await new Promise((ok) => server.listen(0, '127.0.0.1', ok));
const url = `http://127.0.0.1:${server.address().port}/`;

const context = await chromium.launchPersistentContext(path.join(scratch, 'profile'), {
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  viewport: { width: 1280, height: 1000 },
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
const page = context.pages()[0] || await context.newPage();
const errors = [];
page.on('pageerror', (e) => errors.push(String(e)));

let passed = 0, failed = 0;
async function check(name, fn) {
  try {
    await fn();
    ++passed;
    console.log(`ok   ${name}`);
  } catch (e) {
    ++failed;
    console.log(`FAIL ${name}: ${e.message}`);
    // SW_WEB_SHOTS=DIR keeps a screenshot of each failure.
    if (process.env.SW_WEB_SHOTS) await page.screenshot({ path: `${process.env.SW_WEB_SHOTS}/fail${failed}.png` });
  }
}
function expect(ok, why) {
  if (!ok) throw new Error(why);
}

// How far the canvas is from a reference frame: pixels off by more than
// the rounding of 16-bit colour, or -1 while nothing has been drawn.
async function distance(name) {
  return page.evaluate(([frame]) => {
    const c = document.getElementById('canvas');
    if (c.width !== 640 || c.height !== 480) return -2;
    const px = c.getContext('2d').getImageData(0, 0, 640, 480).data;
    const want = Uint8Array.from(atob(frame), (ch) => ch.charCodeAt(0));
    let drawn = false, off = 0;
    for (let i = 0, j = 0; i < px.length; i += 4, j += 3) {
      drawn ||= px[i + 3] !== 0;
      if (Math.abs(px[i] - want[j]) > 8 || Math.abs(px[i + 1] - want[j + 1]) > 8 ||
          Math.abs(px[i + 2] - want[j + 2]) > 8) ++off;
    }
    return drawn ? off : -1;
  }, [ref[name]]);
}
async function shows(name, timeout = 10000) {
  const end = Date.now() + timeout;
  let d;
  while ((d = await distance(name)) !== 0) {
    if (Date.now() > end) throw new Error(`the canvas is not the ${name} frame (${d} pixels off)`);
    await page.waitForTimeout(50);
  }
}
async function stillShows(name, ms) {
  await page.waitForTimeout(ms);
  const d = await distance(name);
  expect(d === 0, `the canvas left the ${name} frame before the key was released (${d} pixels off)`);
}
const stored = () => page.evaluate(() => Module.stored || 0);
const storedFile = () => page.evaluate(() => FS.readFile('/persist/score.ini', { encoding: 'utf8' }));
async function visit() {
  const start = Date.now();
  await page.goto(url);
  await page.waitForFunction(() => window.Module && (Module.stored > 0 || document.body.dataset.ended),
    null, { timeout: 30000 });
  return Date.now() - start;
}

try {
  await check('a first visit shows the logo, then the title, and keeps two lines of zeros', async () => {
    const start = Date.now();
    await page.goto(url);
    await shows('logo', 30000);
    console.log(`     first frame (the logo) after ${Date.now() - start} ms`);
    await shows('title');
    await page.waitForFunction(() => Module.stored > 0);
    expect(await storedFile() === kZeros, `score.ini is ${JSON.stringify(await storedFile())}`);
  });

  await check('keys act on release, once; Down and Enter reach the records of score.ini', async () => {
    await page.evaluate((text) => { FS.writeFile('/persist/score.ini', text);
      return new Promise((ok) => FS.syncfs(false, ok)); }, prepared);
    await visit();
    await shows('title');
    await page.keyboard.down('ArrowDown');
    await page.keyboard.down('ArrowDown');  // the browser's auto-repeat
    await stillShows('title', 400);
    await page.keyboard.up('ArrowDown');
    await shows('titleDown', 2000);
    await page.keyboard.down('Enter');
    await stillShows('titleDown', 400);
    await page.keyboard.up('Enter');
    await shows('options', 2000);
  });

  await check('a game played to game over writes score.ini, and a reload reads it back', async () => {
    await page.keyboard.press('Backspace');  // to the title, on its first item
    await page.keyboard.press('Enter');
    const before = await stored();
    const end = Date.now() + 90000;
    while (await stored() === before) {
      expect(Date.now() < end, 'no score.ini was stored within 90 s of hard drops');
      await page.keyboard.press('ArrowDown');
      await page.waitForTimeout(100);
    }
    await visit();
    const text = await storedFile();
    expect(/^\d{9}\r\n\d{9}\r\n$/.test(text), `the stored score.ini is ${JSON.stringify(text)}`);
    await shows('title', 10000);  // read back and accepted
    const [hi, chain] = text.split('\r\n').map((l) => +l.slice(0, 8));
    const [oldHi, oldChain] = prepared.split('\n').map((l) => +l.slice(0, 8));
    expect(hi >= oldHi && chain >= oldChain, `the records went down: ${JSON.stringify(text)}`);
  });

  await check('Escape ends the game and the page offers to start again', async () => {
    await page.keyboard.press('Escape');
    await page.waitForFunction(() => document.body.dataset.ended === '0', null, { timeout: 5000 });
    expect(await page.isVisible('#again'), 'no Start again button');
  });

  await check('a refused score.ini shows the message and no game', async () => {
    await page.evaluate((text) => { FS.writeFile('/persist/score.ini', text);
      return new Promise((ok) => FS.syncfs(false, ok)); }, refused);
    await visit();
    await page.waitForFunction(() => document.body.dataset.ended === '1', null, { timeout: 10000 });
    const message = await page.textContent('#message');
    expect(message.includes(kRefusal), `the page says ${JSON.stringify(message)}`);
    expect(!(await page.isVisible('#again')), 'the page offers a way around the refusal');
    await page.waitForTimeout(300);
    expect(await distance('logo') === -1, 'the canvas was drawn');
    expect(await storedFile() === refused, 'the refused file was changed');
  });
  expect(errors.length === 0, `page errors: ${errors.join('; ')}`);
} catch (e) {
  ++failed;
  console.log(`FAIL ${e.message}`);
} finally {
  await context.close();
  server.close();
  fs.rmSync(scratch, { recursive: true, force: true });
}
console.log(`web: ${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
