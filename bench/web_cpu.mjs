// CPU of the browser build in each engine, beside the browser's own floor.
// In one run and engine: an idle page that only asks for animation frames
// (what the browser costs at its frame pace, whatever the page draws), then
// the game on the title, then SECONDS of play with Left and Up now and
// then. Prints the % of one core used by the browser's processes, with the
// X server and the sound server it uses (WebKit's window is drawn by Xvfb;
// every engine plays into a PulseAudio null sink), and the game's cost
// above the floor, which is what the game can change.
//   node bench/web_cpu.mjs SITE_DIR [SECONDS]
// Run from the checkout after `cd tests/web && npm ci`; SW_BROWSERS=webkit
// measures one engine.
import { execSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { engines, launch, serve, toTitle } from '../tests/e2e/browser.mjs';

const site = path.resolve(process.argv[2] || 'build-web/site');
const seconds = Number(process.argv[3] || 20);
const tck = Number(execSync('getconf CLK_TCK'));
const sleep = (ms) => new Promise((ok) => setTimeout(ok, ms));

// Ticks used so far by every process below this one: the browsers, their
// drivers, Xvfb and PulseAudio.
function ticks() {
  const procs = [];
  for (const pid of fs.readdirSync('/proc').filter((p) => /^\d+$/.test(p))) {
    try {
      const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
      const f = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      procs.push({ pid: +pid, ppid: +f[1], t: +f[11] + +f[12] });
    } catch { /* gone meanwhile */ }
  }
  const mine = new Set([process.pid]);
  for (let grew = true; grew;) {
    grew = false;
    for (const p of procs) if (!mine.has(p.pid) && mine.has(p.ppid)) { mine.add(p.pid); grew = true; }
  }
  mine.delete(process.pid);
  return procs.reduce((sum, p) => sum + (mine.has(p.pid) ? p.t : 0), 0);
}
async function cpu(during = () => sleep(100)) {
  const a = ticks(), end = Date.now() + seconds * 1000;
  while (Date.now() < end) await during();
  return ((ticks() - a) * 100) / (tck * seconds);
}

const idle = fs.mkdtempSync(path.join(os.tmpdir(), 'sw-idle-'));
fs.writeFileSync(path.join(idle, 'index.html'), '<!doctype html><title>idle</title><canvas width="640" height="480"></canvas>' +
  '<script>requestAnimationFrame(function frame() { requestAnimationFrame(frame); });</script>');
const [game, floor] = await Promise.all([serve(site), serve(idle)]);
const rows = [];
for (const engine of engines) {
  const browser = await launch(engine), page = browser.pages[0];
  await page.goto(floor.url).then(() => sleep(2000));
  const base = await cpu();
  await page.goto(game.url).then(() => toTitle(page));
  const title = await cpu();
  await page.key('press', 'Enter').then(() => sleep(3000));  // the ready sequence
  let n = 0;
  const play = await cpu(async () => { await page.key('press', n++ % 2 ? 'ArrowUp' : 'ArrowLeft'); await sleep(400); });
  await browser.close();
  const above = (v) => `${v.toFixed(1)} % (${(v - base).toFixed(1)} above the floor)`;
  rows.push(`${engine}: floor ${base.toFixed(1)} %, title ${above(title)}, play ${above(play)}`);
  console.log(rows.at(-1));
}
console.log(`(${seconds} s each, 1280 x 1000 page, no GPU, ${os.cpus().length} cores, load average ${os.loadavg().map((v) => v.toFixed(1)).join(' ')})`);
await Promise.all([game.close(), floor.close()]);
fs.rmSync(idle, { recursive: true });
process.exit(0);
