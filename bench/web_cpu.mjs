// CPU of the browser build in headless Chromium, the way bench/budgets.sh
// measures the desktop game: 5 s on the title, then SECONDS of play with
// Left and Up now and then. Prints the % of one core used by the renderer
// (where the game runs) and by all of Chromium's processes together, beside
// the targets. Play is then measured twice more to split its cost: with the
// sound stopped (the page's audio context suspended), and with the sound
// stopped and no picture sent to the canvas; the differences are the
// sound's and the picture's shares, the last figure the rest.
//   node bench/web_cpu.mjs SITE_DIR [SECONDS]
// Run from tests/web's folder tree so playwright-core is found:
//   NODE_PATH=tests/web/node_modules node bench/web_cpu.mjs build-web/site
import { execSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';

const require = createRequire(path.resolve('tests/web/package.json'));
const { chromium } = require('playwright-core');
const site = path.resolve(process.argv[2] || 'build-web/site');
const seconds = Number(process.argv[3] || 20);
const tck = Number(execSync('getconf CLK_TCK'));

const server = http.createServer((req, res) => {
  const name = req.url === '/' ? 'index.html' : req.url.slice(1).split('?')[0];
  const file = path.join(site, path.basename(name));
  if (!fs.existsSync(file)) return res.writeHead(404).end();
  const type = file.endsWith('.wasm') ? 'application/wasm' : file.endsWith('.html') ? 'text/html' : '';
  res.writeHead(200, type ? { 'Content-Type': type } : {});
  fs.createReadStream(file).pipe(res);
});
await new Promise((ok) => server.listen(0, '127.0.0.1', ok));

// Ticks used so far by every process below this one, and by the renderers.
function ticks() {
  const procs = [];
  for (const pid of fs.readdirSync('/proc').filter((p) => /^\d+$/.test(p))) {
    try {
      const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
      const f = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      const cmd = fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8');
      procs.push({ pid: +pid, ppid: +f[1], t: +f[11] + +f[12], renderer: cmd.includes('--type=renderer') });
    } catch { /* gone meanwhile */ }
  }
  const mine = new Set([process.pid]);
  for (let grew = true; grew;) {
    grew = false;
    for (const p of procs) if (!mine.has(p.pid) && mine.has(p.ppid)) { mine.add(p.pid); grew = true; }
  }
  mine.delete(process.pid);
  let all = 0, renderer = 0;
  for (const p of procs) if (mine.has(p.pid)) { all += p.t; if (p.renderer) renderer += p.t; }
  return { all, renderer };
}
async function cpu(s, during = async () => {}) {
  const a = ticks();
  const end = Date.now() + s * 1000;
  while (Date.now() < end) await during();
  const b = ticks();
  const pct = (x) => (x * 100) / (tck * s);
  return { renderer: pct(b.renderer - a.renderer), all: pct(b.all - a.all) };
}
const show = (c, target) => `renderer ${c.renderer.toFixed(1)} %, all of Chromium ${c.all.toFixed(1)} %` +
  (target ? ` (target ${target} %: ${c.all <= target ? 'met' : 'MISSED'})` : '');

const context = await chromium.launchPersistentContext(fs.mkdtempSync(path.join(os.tmpdir(), 'sw-cpu-')), {
  executablePath: '/usr/bin/chromium', headless: true, viewport: { width: 1280, height: 1000 },
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
const page = context.pages()[0] || await context.newPage();
await page.goto(`http://127.0.0.1:${server.address().port}/`);
await page.waitForFunction(() => window.Module && Module.stored > 0, null, { timeout: 60000 });
await page.waitForTimeout(4500);  // the logo: 201 ticks
console.log(`title, 5 s: ${show(await cpu(5), 4)}`);
await page.keyboard.press('Enter');
await page.waitForTimeout(3000);  // the ready sequence
let n = 0;
const steer = async () => {
  await page.keyboard.press(n++ % 2 ? 'ArrowUp' : 'ArrowLeft');
  await page.waitForTimeout(400);
};
const play = await cpu(seconds, steer);
console.log(`play, ${seconds} s: ${show(play, 8)}`);
await page.evaluate(() => Module.SDL2 && Module.SDL2.audioContext && Module.SDL2.audioContext.suspend());
const quiet = await cpu(seconds, steer);
console.log(`play without sound, ${seconds} s: ${show(quiet)}`);
await page.evaluate(() => { CanvasRenderingContext2D.prototype.putImageData = () => {}; });
const rest = await cpu(seconds, steer);
console.log(`play without sound or picture, ${seconds} s: ${show(rest)}`);
console.log(`play, all of Chromium: sound ${(play.all - quiet.all).toFixed(1)} %, picture ` +
  `${(quiet.all - rest.all).toFixed(1)} %, the rest ${rest.all.toFixed(1)} %`);
console.log(`(headless Chromium, --disable-gpu, 1280 x 1000 page, ${os.cpus().length} cores)`);
await context.close();
server.close();
