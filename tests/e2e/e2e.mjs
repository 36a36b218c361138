// The real program from outside: on the desktop under Xvfb with a window
// manager (keys sent with xdotool) and in headless Chromium, the same
// scenarios on both where both apply. Screens are compared with frames the
// replay tool renders for the same state.
//   node tests/e2e/e2e.mjs BUILD_DIR [--desktop] [--web SITE_DIR]
// BUILD_DIR gives the game, the replay tool and the frame shim of bench/
// (without the shim, as in the sanitizer build, the pace and the hold are
// not timed). The browser part also runs every tests/e2e/web_*.mjs module.
import { execFileSync, spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { expect, harness } from './browser.mjs';

const argv = process.argv.slice(2);
const site = argv.includes('--web') ? argv[argv.indexOf('--web') + 1] : null;
const build = path.resolve(argv.find((a) => !a.startsWith('--') && a !== site) || 'build');
const here = path.dirname(fileURLToPath(import.meta.url));
const game = path.join(build, 'game');
const shim = [path.join(build, 'bench/libframe_shim.so')].find((f) => fs.existsSync(f));
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'sevenwell-e2e-'));
const children = [];
const sleep = (ms) => new Promise((ok) => setTimeout(ok, ms));
const run = (cmd, args, o = {}) => execFileSync(cmd, args, { maxBuffer: 1 << 26, ...o });
const attempt = (cmd, args) => { try { return run(cmd, args, { stdio: 'pipe' }); } catch { return null; } };
const text = (cmd, args) => String(attempt(cmd, args) ?? '');
// Polls fn until it gives something; what (a text, or a function giving
// one) says what never came.
async function until(what, fn, ms = 10000) {
  for (const end = Date.now() + ms; ; await sleep(50)) {
    const v = await fn();
    if (v) return v;
    if (Date.now() > end) throw new Error(`${typeof what === 'function' ? what() : what} within ${ms} ms`);
  }
}

const kRefusal = 'score.iniのファイルが不正です。';
// Records as a hand-made file may hold them, with the plain line ends the
// game reads and never writes: a file the game rewrote ends its lines in
// CR LF. One check digit changed, and the file is refused.
const prepared = '000004560\n000000070\n', refused = '000004560\n000000071\n';

// A program folder of its own: the game (its folder is the binary's),
// score.ini unless null, and the built pictures and sounds linked one by
// one; damage = [file, content] replaces one of them (null: removed).
let folders = 0;
function folder(score, damage) {
  const dir = path.join(work, `game${++folders}`);
  for (const sub of ['pic', 'sound']) {
    fs.mkdirSync(path.join(dir, sub), { recursive: true });
    for (const f of fs.readdirSync(path.join(game, sub))) fs.symlinkSync(path.join(game, sub, f), path.join(dir, sub, f));
  }
  fs.copyFileSync(path.join(game, 'sevenwell'), path.join(dir, 'sevenwell'));
  if (score !== null) fs.writeFileSync(path.join(dir, 'score.ini'), score);
  if (damage) fs.rmSync(path.join(dir, damage[0]));
  if (damage?.[1] != null) fs.writeFileSync(path.join(dir, damage[0]), damage[1]);
  return dir;
}

// Reference frames from the replay tool as 640 x 480 RGB, by name: the
// logo, the title and its cursor moved, the options with the prepared
// records, and the play clock at 0 to 9 seconds.
const ref = {};
function frames(script) {
  const dir = folder(prepared);
  run(path.join(build, 'tools/replay'), ['--seed', '1', '--dir', `${dir}/`], { input: script.replace(/png (\w+)/g, `png ${dir}/$1.png`) });
  for (const [, n] of script.matchAll(/png (\w+)/g)) ref[n] = run('convert', [`${dir}/${n}.png`, 'rgb:-']);
}
frames('tick 3\npng logo\ntick 199\npng title\nkey down\ntick 1\npng titleDown\nkey enter\ntick 2\npng options\n');
frames(`tick 201\nkey enter\ntick 141\n${[...Array(10).keys()].map((n) => `set SngTime ${n}\ntick 1\npng clock${n}\n`).join('')}`);

// Pixels of a picture that differ from a reference frame by more than the
// rounding of 16-bit colour, in a rectangle (all of it by default).
function off(a, b, [x0, y0, w, h] = [0, 0, 640, 480]) {
  let n = 0;
  for (let y = y0; y < y0 + h; ++y) {
    for (let i = (y * 640 + x0) * 3, e = i + w * 3; i < e; i += 3) {
      if (Math.abs(a[i] - b[i]) > 8 || Math.abs(a[i + 1] - b[i + 1]) > 8 || Math.abs(a[i + 2] - b[i + 2]) > 8) ++n;
    }
  }
  return n;
}
async function shows(g, name, ms = 10000) {
  let d;
  await until(() => `the ${name} frame did not show (${d} pixels differ)`, async () => {
    const p = await g.picture();
    return (d = p ? off(p, ref[name]) : 'all') === 0;
  }, ms);
}
async function stillShows(g, name, ms) {
  await sleep(ms);
  const p = await g.picture();
  expect(p && off(p, ref[name]) === 0, `the screen left the ${name} frame before the key was let go`);
}

// --- the scenarios of both targets ---------------------------------------

async function keysAndRecords(t, g) {
  await t.check('keys act once, on release: the title cursor, then the options with the records of score.ini', async () => {
    await g.start(prepared);
    await shows(g, 'title', 20000);
    await g.down('ArrowDown');
    await stillShows(g, 'title', 400);
    await g.up('ArrowDown');
    await shows(g, 'titleDown', 2000);
    await g.down('Enter');
    await stillShows(g, 'titleDown', 400);
    await g.up('Enter');
    await shows(g, 'options', 2000);
  });
  await t.check('Escape ends the game with status 0 and leaves score.ini alone', async () => {
    await g.press('Escape');
    const status = await g.ended();
    expect(status === 0, `it ended with ${status}`);
    expect(await g.score() === prepared, `score.ini is now ${JSON.stringify(await g.score())}`);
  });
  await t.check('a refused score.ini: its message, no game, status 1, the file kept', async () => {
    await g.start(refused);
    const said = await g.refusal();
    expect(said.includes(kRefusal), `it said ${JSON.stringify(said)}`);
    expect(!(await g.picture()), 'a game was drawn');
    const status = await g.ended();
    expect(status === 1, `it ended with ${status}`);
    expect(await g.score() === refused, 'the refused file was changed');
  });
}

async function gameOver(t, g, where) {
  await t.check('a game played to game over by hard drops writes score.ini; the title comes back', async () => {
    await g.start(prepared, where);
    await shows(g, 'title', 20000);
    await g.press('Enter');
    await until('no game over after hard drops', async () => {
      await g.press('ArrowDown');
      await sleep(100);
      return await g.score() !== prepared;
    }, 90000);
    const s = await g.score();
    expect(/^\d{9}\r\n\d{9}\r\n$/.test(s), `score.ini is ${JSON.stringify(s)}`);
    const [hi, chain] = s.split('\r\n').map((l) => +l.slice(0, 8));
    expect(hi >= 456 && chain >= 7, `the records went down: ${JSON.stringify(s)}`);
    await shows(g, 'title', 30000);
  });
}

// --- the desktop ----------------------------------------------------------

const keysyms = { ArrowDown: 'Down', ArrowUp: 'Up', Enter: 'Return', Backspace: 'BackSpace', 'Alt+Enter': 'alt+Return' };
const xdo = (...args) => run('xdotool', args.map(String));

// The game's window as shot by the X server: its size, pixels, and where
// the picture should be: the largest whole-number scale that fits, centred.
function shot(win) {
  const [, w, h] = /Width: (\d+)\s+Height: (\d+)/.exec(text('xwininfo', ['-id', win])) ?? [];
  const raw = attempt('import', ['-silent', '-window', win, '-depth', '8', 'rgb:-']);
  if (!raw || raw.length !== w * h * 3) return null;
  const k = Math.max(1, Math.min(Math.floor(w / 640), Math.floor(h / 480)));
  return { w: +w, h: +h, raw, k, x: (w - 640 * k) >> 1, y: (h - 480 * k) >> 1 };
}
function picture(s) {
  const out = Buffer.alloc(640 * 480 * 3);
  for (let y = 0; y < 480; ++y) {
    for (let x = 0; x < 640; ++x) {
      const i = ((s.y + y * s.k) * s.w + s.x + x * s.k) * 3;
      s.raw.copy(out, (y * 640 + x) * 3, i, i + 3);
    }
  }
  return out;
}
// Window pixels that are not in a whole k x k square of one colour, or
// that are outside the picture and not black.
function blurred(s) {
  let n = 0;
  for (let Y = 0; Y < s.h; ++Y) {
    for (let X = 0; X < s.w; ++X) {
      const x = X - s.x, y = Y - s.y, i = (Y * s.w + X) * 3;
      if (x < 0 || y < 0 || x >= 640 * s.k || y >= 480 * s.k) {
        n += s.raw[i] || s.raw[i + 1] || s.raw[i + 2] ? 1 : 0;
      } else {
        const j = ((Y - y % s.k) * s.w + X - x % s.k) * 3;
        n += s.raw[i] !== s.raw[j] || s.raw[i + 1] !== s.raw[j + 1] || s.raw[i + 2] !== s.raw[j + 2] ? 1 : 0;
      }
    }
  }
  return n;
}
const clock = (p) => p && [...Array(10).keys()].find((n) => off(p, ref[`clock${n}`], [154, 175, 38, 33]) === 0);

// The frame log of bench/frame_shim.c between two times (ms): drawn
// ticks, flips (the presents of drawn ticks: [ms, rectangles sent]) and
// drawn ticks that never reached the screen.
function frameLog(file, from = 0, to = Infinity) {
  const log = { draws: 0, lost: 0, flips: [] };
  let drawn = false, shown = false;
  for (const [what, ns, n] of (fs.existsSync(file) ? fs.readFileSync(file, 'utf8') : '').split('\n').map((l) => l.split(' '))) {
    if (ns / 1e6 < from || ns / 1e6 > to) continue;
    if (what === 'draw') log.lost += drawn && shown ? 1 : 0, log.draws++, drawn = true;
    if (what === 'present' && drawn) log.flips.push([ns / 1e6, +n]), drawn = false;
    shown ||= what === 'present';
  }
  return log;
}

const desktop = {
  // The game in a folder of its own, or (where) one installed; with log,
  // under the frame shim.
  async start(score, { launcher, dir } = {}, log = false) {
    this.dir = dir ?? folder(score);
    if (dir) fs.writeFileSync(path.join(dir, 'score.ini'), score);
    this.win = '';
    this.log = path.join(work, `frames${folders}`);
    this.err = path.join(work, `stderr${folders}`);
    const env = { ...process.env, SDL_AUDIODRIVER: 'dummy', LSAN_OPTIONS: `suppressions=${here}/../lsan.supp:print_suppressions=0` };
    if (log) Object.assign(env, { LD_PRELOAD: shim, SW_FRAME_LOG: this.log });
    this.proc = spawn(launcher ?? path.join(this.dir, 'sevenwell'), [], { cwd: launcher ? '/' : this.dir, env, stdio: ['ignore', 'ignore', fs.openSync(this.err, 'w')] });
    children.push(this.proc);
    this.exit = new Promise((ok) => this.proc.once('exit', (code, signal) => ok(signal ?? code)));
  },
  window() {
    if (!this.win && (this.win = text('xdotool', ['search', '--name', '^Seven Well$']).split('\n')[0])) {
      text('xdotool', ['windowactivate', '--sync', this.win]);
    }
    return this.win;
  },
  picture() {
    const s = this.window() && shot(this.win);
    return s && picture(s);
  },
  down: (k) => xdo('keydown', keysyms[k] ?? k),
  up: (k) => xdo('keyup', keysyms[k] ?? k),
  press: (k) => xdo('key', keysyms[k] ?? k),
  score() { return fs.readFileSync(path.join(this.dir, 'score.ini'), 'latin1'); },
  ended(ms = 10000) { return Promise.race([this.exit, sleep(ms).then(() => 'not yet')]); },
  // The box whose caption names the file, and no game window; what the
  // game said on stderr. Enter closes the box, unless kept.
  async refusal(keep) {
    const caption = `"Seven Well: ${this.dir}/score.ini"`;
    const box = await until(`no box with the caption ${caption}`, () => text('xwininfo', ['-root', '-tree']).split('\n').find((l) => l.includes(caption)));
    expect(!this.window(), 'a game window opened');
    if (!keep) xdo('windowfocus', '--sync', box.trim().split(' ')[0]), xdo('key', 'Return');
    return fs.readFileSync(this.err, 'utf8');
  },
};

async function onDesktop(t) {
  // The checks without a window: one for each kind of message.
  for (const [name, video, score, damage, status, ...said] of [
    ['without a display it says why and ends with status 2', '', prepared, null, 2, 'needs a display'],
    ['without score.ini: status 2, the file named, its first content shown', 'dummy', null, null, 2, '@/score.ini', '000000000'],
    ['a missing picture: status 2, the file named', 'dummy', prepared, ['pic/logo.bmp', null], 2, '@/pic/logo.bmp'],
    ['an empty sound: status 2, the file named', 'dummy', prepared, ['sound/select.wav', ''], 2, '@/sound/select.wav'],
  ]) {
    await t.check(name, () => {
      const dir = folder(score, damage);
      const env = { ...process.env, SDL_VIDEODRIVER: video, SDL_AUDIODRIVER: 'dummy', DISPLAY: '', WAYLAND_DISPLAY: '' };
      const r = spawnSync(path.join(dir, 'sevenwell'), { cwd: dir, env, encoding: 'utf8', timeout: 20000 });
      expect(r.status === status && said.every((w) => r.stderr.includes(w.replace('@', dir))), `status ${r.status}: ${r.stderr}`);
    });
  }

  const x = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1920x1080x24', '-nolisten', 'tcp'], { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
  children.push(x);
  process.env.DISPLAY = await new Promise((ok, no) => {
    x.stdio[3].once('data', (d) => ok(`:${String(d).trim()}`));
    x.once('exit', () => no(new Error('Xvfb did not start')));
  });
  children.push(spawn('openbox', [], { stdio: 'ignore', env: { ...process.env, HOME: work } }));
  await until('no window manager', () => /window id/.test(text('xprop', ['-root', '_NET_SUPPORTING_WM_CHECK'])));

  const g = desktop;
  await keysAndRecords(t, g);
  await t.check('SIGTERM during the box ends the game by that signal, and the box with it', async () => {
    await g.start(refused);
    await g.refusal(true);
    const box = text('pgrep', ['-P', g.proc.pid]).split('\n').filter(Boolean);
    expect(box.length, 'the box is no process of its own');
    g.proc.kill('SIGTERM');
    const status = await g.ended();
    expect(status === 'SIGTERM', `it ended with ${status}`);
    await until('the box outlived the game', () => box.every((p) => /^Z?\s*$/.test(text('ps', ['-o', 'stat=', '-p', p]))));
  });

  // The real window: its pace (timed with the frame shim), its sizes, and
  // the hold while minimised or without the focus.
  await g.start(prepared, {}, !!shim);
  if (shim) {
    await t.check("the logo's 201 ticks at the display's pace, each drawn tick presented", async () => {
      // Flip 1 is start-up's white frame, 2 to 202 the logo, 203 the title.
      const log = await until('no title', () => { const l = frameLog(g.log); return l.flips.length >= 203 && l; }, 20000);
      const ms = Math.round(log.flips[202][0] - log.flips[1][0]);
      expect(ms >= 3200 && log.flips[202][1] > 0 && !log.lost, `${ms} ms, title sent: ${log.flips[202][1]}, ${log.lost} lost`);
    });
  }
  await t.check('out of fullscreen a window of twice 640 x 480, resized freely but not below 640 x 480, crisp and letterboxed', async () => {
    await shows(g, 'title', 20000);
    g.press('Alt+Enter');
    for (const [w, h, want] of [[0, 0, '1280x960'], [1500, 1000, '1500x1000'], [1000, 700, '1000x700'], [500, 400, '640x480']]) {
      if (w) xdo('windowsize', g.win, w, h);
      let s;
      await until(() => `not a ${want} window showing the title (${s?.w}x${s?.h})`, () => (s = shot(g.win)) && `${s.w}x${s.h}` === want && !off(picture(s), ref.title));
      expect(!blurred(s), `${want}: ${blurred(s)} pixels are blurred or off the picture`);
    }
  });
  // Away for 3 s, the game plays only in the moments seen before and after:
  // no tick drawn while away, and no more clock seconds than seen.
  const away = (what, leave, back) => t.check(`${what}, the game holds: no tick, no clock second`, async () => {
    let c1, c2, t0;
    await until('the clock never reached 1 s', () => (t0 = Date.now()) && (c1 = clock(g.picture())) === 1, 20000);
    leave();
    const t1 = Date.now();
    await sleep(3000);
    const t2 = Date.now();
    back();
    await until('the game never came back', () => (c2 = clock(g.picture())) !== undefined);
    const seen = (t1 - t0 + Date.now() - t2) / 1000, { draws } = frameLog(g.log, t1 + 100, t2);
    expect(!draws && c2 - c1 <= seen + 1, `${draws} ticks drawn, the clock went from ${c1} to ${c2} s with ${seen} s seen`);
  });
  if (!shim) console.log('not run: the pace and the hold, with no frame shim in this build');
  if (shim) {
  const other = spawn('xmessage', ['elsewhere'], { stdio: 'ignore' });
  children.push(other);
  const elsewhere = await until('no other window', () => text('xdotool', ['search', '--name', '^xmessage$']).split('\n')[0]);
  const to = (win) => () => attempt('xdotool', ['windowactivate', '--sync', win]);
  to(g.win)();
  g.press('Enter');
  await away('minimised', () => xdo('windowminimize', '--sync', g.win), to(g.win));
  g.press('r');
  await away('without the focus', to(elsewhere), to(g.win));
  other.kill();
  }
  g.press('Escape');
  await g.ended();

  // Installed under a prefix: the files, a game over by the launcher, and
  // the uninstall, which keeps the records.
  const prefix = path.join(work, 'prefix'), prog = path.join(prefix, 'share/sevenwell');
  const install = (...a) => run(path.join(here, '../../scripts/install.sh'), [...a, prefix, build]);
  await t.check('installed: every file, a valid menu entry and metainfo, first records of zeros; a reinstall keeps the records', () => {
    install('install');
    expect(fs.readFileSync(path.join(prog, 'score.ini'), 'latin1') === '000000000\r\n000000000\r\n', 'no first score.ini');
    fs.accessSync(path.join(prefix, 'bin/sevenwell'), fs.constants.X_OK);
    for (const f of ['sevenwell', 'icon.bmp', ...['pic', 'sound'].flatMap((d) => fs.readdirSync(path.join(game, d)).map((f) => `${d}/${f}`))]) {
      expect(fs.readFileSync(path.join(game, f)).equals(fs.readFileSync(path.join(prog, f))), `${f} differs`);
    }
    run('desktop-file-validate', [path.join(prefix, 'share/applications/net.sevenwell.sevenwell.desktop')]);
    const said = String(run('appstreamcli', ['validate', '--no-net', '--pedantic', path.join(prefix, 'share/metainfo/net.sevenwell.sevenwell.metainfo.xml')]));
    expect(!/^[PWE]:/m.test(said), said);
    fs.writeFileSync(path.join(prog, 'score.ini'), prepared);
    install('install');
    expect(fs.readFileSync(path.join(prog, 'score.ini'), 'latin1') === prepared, 'a reinstall replaced the records');
  });
  await gameOver(t, g, { launcher: path.join(prefix, 'bin/sevenwell'), dir: prog });
  await t.check('Escape, then uninstalled: only score.ini stays', async () => {
    g.press('Escape');
    expect(await g.ended() === 0, 'it did not end with status 0');
    run(path.join(here, '../../scripts/install.sh'), ['uninstall', prefix]);
    const left = String(run('find', [prefix, '-type', 'f'])).trim();
    expect(left === path.join(prog, 'score.ini'), `left: ${left}`);
  });
}

// --- the browser ----------------------------------------------------------

async function inBrowser(t) {
  const server = await t.serve(t.site), context = await t.launch();
  const page = context.pages()[0] ?? await context.newPage(), errors = [];
  page.on('pageerror', (e) => errors.push(String(e)));
  const visit = async () => {
    await page.goto(server.url);
    await page.waitForFunction(() => window.Module && (Module.stored > 0 || document.body.dataset.ended), null, { timeout: 30000 });
  };
  const g = {
    async start(score) {
      if (score !== undefined) await page.evaluate((s) => { FS.writeFile('/persist/score.ini', s); return new Promise((ok) => FS.syncfs(false, ok)); }, score);
      await visit();
    },
    async picture() {
      const rgb = await page.evaluate(() => {
        const c = document.getElementById('canvas'), px = c.getContext('2d').getImageData(0, 0, 640, 480).data;
        let s = '', drawn = false;
        for (let i = 0; i < px.length; i += 4) s += String.fromCharCode(px[i], px[i + 1], px[i + 2]), drawn ||= px[i + 3] > 0;
        return c.width === 640 && c.height === 480 && drawn && btoa(s);
      });
      return rgb && Buffer.from(rgb, 'base64');
    },
    down: (k) => page.keyboard.down(k),
    up: (k) => page.keyboard.up(k),
    press: (k) => page.keyboard.press(k),
    score: () => page.evaluate(() => FS.readFile('/persist/score.ini', { encoding: 'utf8' })),
    // The ended page: Start again after an end, but not after a refusal.
    async ended() {
      await page.waitForFunction(() => document.body.dataset.ended, null, { timeout: 10000 });
      const status = +(await page.evaluate(() => document.body.dataset.ended));
      expect(await page.isVisible('#again') === (status !== 1), `status ${status} and the page ${status === 1 ? 'offers' : 'lacks'} Start again`);
      return status;
    },
    async refusal() {
      await g.ended();
      return page.textContent('#message');
    },
  };
  try {
    await t.check('a first visit shows the logo, then the title, and keeps two lines of zeros', async () => {
      const start = Date.now();
      await page.goto(server.url);
      await shows(g, 'logo', 30000);
      console.log(`     the logo showed after ${Date.now() - start} ms`);
      await shows(g, 'title');
      await page.waitForFunction(() => Module.stored > 0);
      expect(await g.score() === '000000000\r\n000000000\r\n', `score.ini is ${JSON.stringify(await g.score())}`);
    });
    await keysAndRecords(t, g);
    await gameOver(t, g);
    await t.check('a reload reads the stored records back', async () => {
      const s = await g.score();
      await g.start();
      await shows(g, 'title');
      expect(await g.score() === s, 'the stored score.ini changed');
    });
    await t.check('no page errors', () => expect(!errors.length, errors.join('; ')));
  } finally {
    await context.close();
    await server.close();
  }
  for (const m of fs.readdirSync(here).filter((f) => /^web_.*\.mjs$/.test(f)).sort()) {
    console.log(`--- ${m}`);
    await (await import(pathToFileURL(path.join(here, m)).href)).default(t);
  }
}

const parts = [];
try {
  if (argv.includes('--desktop') || !site) await onDesktop(parts[parts.push(['desktop', harness(build)]) - 1][1]);
  if (site) await inBrowser(parts[parts.push(['browser', harness(site)]) - 1][1]);
} catch (e) {
  console.log(`FAIL ${e.stack}`);
  parts.push(['the run', { passed: 0, failed: 1 }]);
} finally {
  for (const c of children.reverse()) c.kill('SIGKILL');
  if (!process.env.KEEP) fs.rmSync(work, { recursive: true, force: true });
}
for (const [name, t] of parts) console.log(`e2e ${name}: ${t.passed} passed, ${t.failed} failed`);
process.exit(parts.every(([, t]) => t.passed && !t.failed) ? 0 : 1);
