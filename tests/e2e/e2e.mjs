// The real program from outside: on the desktop under Xvfb with a window
// manager (keys sent with xdotool) and in the browsers (Chromium, Firefox
// and WebKit, one after another: SW_BROWSERS names some), the same
// scenarios on both where both apply, and only what no unit test can see.
// Screens are compared with the frames the replay tool renders.
//   node tests/e2e/e2e.mjs BUILD_DIR [--desktop] [--web SITE_DIR] [--wine ZIP]
// BUILD_DIR gives the game, the replay tool and the frame shim of bench/
// (without the shim, as in the sanitizer build, the pace and the hold are
// not checked). The browser part also runs every tests/e2e/web_*.mjs module;
// the Windows part (tests/e2e/wine.mjs) plays the zip's game under Wine.
// With --deb PACKAGE only the Debian package is checked (tests/e2e/deb.mjs).
// KEEP=1 keeps the scratch folder.
import { execFileSync, spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { engines, expect, harness } from './browser.mjs';
import onWine from './wine.mjs';

const argv = process.argv.slice(2), after = (o) => argv.includes(o) ? argv[argv.indexOf(o) + 1] : null;
const [site, deb, zip] = [after('--web'), after('--deb'), after('--wine')];
const build = path.resolve(argv.find((a) => !a.startsWith('--') && ![site, deb, zip].includes(a)) || 'build'), game = path.join(build, 'game');
const here = import.meta.dirname, work = fs.mkdtempSync(path.join(os.tmpdir(), 'sevenwell-e2e-')), children = [];
const shim = [path.join(build, 'bench/libframe_shim.so')].find((f) => fs.existsSync(f));
const sleep = (ms) => new Promise((ok) => setTimeout(ok, ms));
const run = (cmd, ...args) => execFileSync(cmd, args.map(String), { maxBuffer: 1 << 26, stdio: 'pipe' });
const attempt = (cmd, ...args) => { try { return run(cmd, ...args); } catch { return null; } };
const text = (cmd, ...args) => String(attempt(cmd, ...args) ?? '');
const read = (...f) => fs.readFileSync(path.join(...f), 'latin1');
// Polls fn until it gives something; why() tells what never came.
async function until(why, fn, ms = 10000) {
  let v;
  for (const end = Date.now() + ms; !(v = await fn()); await sleep(50)) if (Date.now() > end) throw new Error(`${why()} within ${ms} ms`);
  return v;
}

const kRefusal = 'score.iniのファイルが不正です。', kZeros = '000000000\r\n000000000\r\n';
// Records as a hand-made file may hold them, with the plain line ends the
// game reads and never writes: a file the game rewrote ends its lines in
// CR LF. One check digit changed, and the file is refused.
const prepared = '000004560\n000000070\n', refused = '000004560\n000000071\n';

// A program folder of its own: the game (its folder is the binary's),
// score.ini unless null, and the built pictures and sounds linked one by
// one; damage = [file, content] replaces one of them (null: removed).
let folders = 0;
function folder(score, [file, content] = []) {
  const dir = path.join(work, `game${++folders}`);
  run('mkdir', dir) && run('cp', '-rs', path.join(game, 'pic'), path.join(game, 'sound'), dir);
  fs.copyFileSync(path.join(game, 'sevenwell'), path.join(dir, 'sevenwell'));
  if (score !== null) fs.writeFileSync(path.join(dir, 'score.ini'), score);
  if (file) fs.rmSync(path.join(dir, file));
  if (content != null) fs.writeFileSync(path.join(dir, file), content);
  return dir;
}

// Reference frames from the replay tool as 640 x 480 RGB, by name: the
// logo, the title and its cursor moved, the options with the prepared
// records, and the play clock at 0 to 59 seconds (for the hold, which
// needs the frame shim).
const ref = {};
for (const script of ['tick 3\npng logo\ntick 199\npng title\nkey down\ntick 1\npng titleDown\nkey enter\ntick 2\npng options\n',
  shim && `tick 201\nkey enter\ntick 141\n${[...Array(60).keys()].map((n) => `set SngTime ${n}\ntick 1\npng clock${n}\n`).join('')}`].filter(Boolean)) {
  const dir = folder(prepared);
  execFileSync(path.join(build, 'tools/replay'), ['--dir', `${dir}/`], { input: script.replace(/png (\w+)/g, `png ${dir}/$1.png`) });
  for (const [, n] of script.matchAll(/png (\w+)/g)) ref[n] = run('convert', `${dir}/${n}.png`, 'rgb:-');
}

// Colour values of a picture that differ from a reference frame by more
// than the rounding of 16-bit colour, in a rectangle (by default all).
function off(a, b, [x0, y0, w, h] = [0, 0, 640, 480], n = 0) {
  for (let y = y0; y < y0 + h; ++y) for (let i = (y * 640 + x0) * 3; i < (y * 640 + x0 + w) * 3; ++i) n += +(Math.abs(a[i] - b[i]) > 8);
  return n;
}
const shows = (g, name, ms = 10000, d = 'all') =>
  until(() => `the ${name} frame did not show (${d} values off)`, async () => (d = ((p) => p ? off(p, ref[name]) : 'all')(await g.picture())) === 0, ms);

// --- the scenarios of both targets ---------------------------------------

async function keysAndRecords(t, g) {
  await t.check('keys act once, on release: the title cursor, then the options with the records of score.ini', async () => {
    await g.start(prepared).then(() => shows(g, 'title', 30000));
    for (const [key, before, after] of [['ArrowDown', 'title', 'titleDown'], ['Enter', 'titleDown', 'options']]) {
      await g.key('down', key);
      const p = await sleep(400).then(() => g.picture());
      expect(p && !off(p, ref[before]), `the screen left the ${before} frame before ${key} was let go`);
      await g.key('up', key);
      await shows(g, after);
    }
  });
  await t.check('Escape ends the game with status 0 and leaves score.ini alone', async () => {
    await g.key('press', 'Escape');
    const status = await g.ended(), s = await g.score();
    expect(status === 0 && s === prepared, `it ended with ${status}, score.ini is ${JSON.stringify(s)}`);
  });
  await t.check('a refused score.ini: its message, no game, status 1, the file kept', async () => {
    await g.start(refused);
    const said = await g.refusal(), drawn = !!(await g.picture()), status = await g.ended(), s = await g.score();
    expect(said.includes(kRefusal) && !drawn && status === 1 && s === refused, `it said ${JSON.stringify(said)}, drew ${drawn}, ended with ${status}, left ${JSON.stringify(s)}`);
  });
}

// From the prepared records, or (from null) with no score.ini before.
async function gameOver(t, g, where, from = prepared) {
  await t.check(`a game played to game over by hard drops writes score.ini${from ? '' : ', none before'}; the title comes back${g.offline ? ', offline' : ''}`, async () => {
    await g.offline?.();
    await g.start(from, where).then(() => shows(g, 'title', 30000)).then(() => g.key('press', 'Enter'));
    const drop = async () => (await g.key('press', 'ArrowDown'), await sleep(100), await g.score());
    const s = await until(() => 'no game over after hard drops', async () => ((s) => s !== from && s)(await drop()), 90000);
    const [hi, chain] = s.split('\r\n').map((l) => +l.slice(0, 8));
    expect(/^\d{9}\r\n\d{9}\r\n$/.test(s) && (!from || (hi >= 456 && chain >= 7)), `score.ini is now ${JSON.stringify(s)}`);
    await shows(g, 'title', 30000);
  });
}

// --- the desktop ----------------------------------------------------------

// The picture in a window as the X server shows it, where it belongs (the
// largest whole-number scale that fits, centred), with the window's size
// and the number of its pixels that are not in a whole k x k square of one
// colour or, outside the picture, not black.
function shot(win) {
  const [, w, h] = (/Width: (\d+)\s+Height: (\d+)/.exec(text('xwininfo', '-id', win)) ?? []).map(Number);
  const raw = attempt('import', '-silent', '-window', win, '-depth', 8, 'rgb:-'), k = Math.max(1, Math.min(Math.floor(w / 640), Math.floor(h / 480)));
  const out = Object.assign(Buffer.alloc(640 * 480 * 3), { w, h, blurred: 0 }), x0 = (w - 640 * k) >> 1, y0 = (h - 480 * k) >> 1;
  for (let Y = 0; Y < h && raw?.length === w * h * 3; ++Y) {
    for (let X = 0, x = -x0, y = Y - y0; X < w; ++X, ++x) {
      const i = (Y * w + X) * 3, j = ((Y - y % k) * w + X - x % k) * 3, inside = x >= 0 && y >= 0 && x < 640 * k && y < 480 * k;
      out.blurred += inside ? +(raw[i] !== raw[j] || raw[i + 1] !== raw[j + 1] || raw[i + 2] !== raw[j + 2]) : +(raw[i] + raw[i + 1] + raw[i + 2] > 0);
      if (inside && i === j) for (let c = 0, o = ((y / k) * 640 + x / k) * 3; c < 3; ++c) out[o + c] = raw[i + c];
    }
  }
  return raw?.length === w * h * 3 ? out : null;
}
const clock = (p) => p && [...Array(60).keys()].find((n) => !off(p, ref[`clock${n}`], [154, 175, 38, 33]));

// The frame log of bench/frame_shim.c between two times (ms): the times of
// drawn ticks, flips (the presents of drawn ticks, as [ms, rectangles
// sent]) and the number of drawn ticks that never reached the screen.
function frameLog(file, from = 0, to = Infinity) {
  const log = { draws: [], lost: 0, flips: [] };
  let drawn = false, shown = false;
  for (const [what, ns, n] of (fs.existsSync(file) ? read(file) : '').split('\n').map((l) => l.split(' ')).filter(([, ns]) => ns / 1e6 >= from && ns / 1e6 <= to)) {
    if (what === 'draw') log.lost += drawn && shown ? 1 : 0, log.draws.push(ns / 1e6), drawn = true;
    if (what === 'present' && drawn) log.flips.push([ns / 1e6, +n]), drawn = false;
    shown ||= what === 'present';
  }
  return log;
}

const desktop = {
  // The game in a folder of its own, or in one given with its launcher;
  // with log, under the frame shim.
  async start(score, { launcher, dir } = {}, log = false) {
    await (this.proc?.kill('SIGKILL'), this.exit);
    if (dir && score !== null) fs.writeFileSync(path.join(dir, 'score.ini'), score);
    [this.dir, this.win, this.log, this.err] = [dir ?? folder(score), '', path.join(work, `frames${folders}`), path.join(work, `stderr${folders}`)];
    // A sound driver that cannot open, as on a machine without a sound device.
    const env = { ...process.env, SDL_AUDIODRIVER: 'none-here', LSAN_OPTIONS: `suppressions=${here}/../lsan.supp:print_suppressions=0` };
    if (log) Object.assign(env, { LD_PRELOAD: shim, SW_FRAME_LOG: this.log });
    const stdio = ['ignore', 'ignore', fs.openSync(this.err, 'w')];
    children.push(this.proc = spawn(launcher ?? path.join(this.dir, 'sevenwell'), [], { cwd: launcher ? '/' : this.dir, env, stdio }));
    this.exit = new Promise((ok) => this.proc.once('exit', (code, signal) => ok(signal ?? code)));
  },
  window() {
    if (!this.win && (this.win = text('xdotool', 'search', '--name', '^Seven Well$').split('\n')[0])) attempt('xdotool', 'windowactivate', '--sync', this.win);
    return this.win;
  },
  picture() { return this.window() && shot(this.win); },
  key: (how, k) => run('xdotool', { down: 'keydown', up: 'keyup', press: 'key' }[how], k.replace(/^Arrow/, '').replace(/^Enter$/, 'Return')),
  score() { return fs.existsSync(path.join(this.dir, 'score.ini')) ? read(this.dir, 'score.ini') : null; },
  ended() { return Promise.race([this.exit, sleep(10000).then(() => 'no end')]); },
  // The box whose caption names the file, and no game window; returns what
  // the game said on stderr. Enter closes the box, unless kept.
  async refusal(keep) {
    const caption = `"Seven Well: ${this.dir}/score.ini"`;
    const box = await until(() => `no box ${caption}`, () => text('xwininfo', '-root', '-tree').split('\n').find((l) => l.includes(caption)));
    expect(!this.window(), 'a game window opened');
    if (!keep) run('xdotool', 'windowfocus', '--sync', box.trim().split(' ')[0]), run('xdotool', 'key', 'Return');
    return fs.readFileSync(this.err, 'utf8');
  },
};

// Xvfb of that screen size on a display of its choosing, and a window manager.
async function display(screen = '1920x1080x24') {
  const x = children[children.push(spawn('Xvfb', ['-displayfd', 3, '-screen', 0, screen, '-nolisten', 'tcp'], { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] })) - 1];
  process.env.DISPLAY = await new Promise((ok, no) => {
    let d = '';
    x.stdio[3].on('data', (part) => (d += part).includes('\n') && ok(`:${d.trim()}`)).once('close', no);
  });
  // The window manager, started once more should it end (what it said is kept).
  let wm, said = '', tries = 0;
  const startWm = () => children.push(wm = spawn('openbox', [], { stdio: ['ignore', 'ignore', 'pipe'], env: { ...process.env, HOME: work } })) && ++tries && wm.stderr.on('data', (d) => { said += d; });
  startWm();
  await until(() => `no window manager on ${process.env.DISPLAY} (openbox: ${wm.exitCode ?? 'running'}, ${tries} started; said ${JSON.stringify(said.trim())})`, () => {
    if (wm.exitCode !== null && tries < 2) startWm();
    return /window id/.test(text('xprop', '-root', '_NET_SUPPORTING_WM_CHECK'));
  }, 20000);
}

async function onDesktop(t, g = desktop) {
  await t.check('the replay tool: one seed deals one game and another another; without --dir the built records stay', () => {
    const replay = (input, ...args) => spawnSync(path.join(build, 'tools/replay'), args, { input, encoding: 'utf8' });
    const built = read(game, 'score.ini'), [a, b, c] = [5, 5, 6].map((n) => replay('tick 201\nkey enter\ntick 141\nkey down\ntick 300\n', '--seed', n).stdout);
    const over = replay(`tick 201\nkey enter\ntick 141\nset LngScore 123\nwell\n.......\n...1...\n${'.......\n'.repeat(11)}tick 2\n`).stdout;
    expect(a === b && a !== c && /^LngHiScore=123$/m.test(over) && replay('bogus\n').status === 2, `${a}\n${c}\n${over}`);
    expect(read(game, 'score.ini') === built, 'a replay without --dir wrote the built score.ini');
  });
  // Without a window: one check for each kind of message.
  for (const [name, video, score, damage, status, ...said] of [
    ['without a display it says why and ends with status 2', '', prepared, [], 2, 'needs a display'],
    ['without score.ini: status 2, the file named, its first content shown', 'dummy', null, [], 2, '@/score.ini', '000000000'],
    ['a missing picture: status 2, the file named', 'dummy', prepared, ['pic/logo.bmp', null], 2, '@/pic/logo.bmp'],
    ['an empty sound: status 2, the file named', 'dummy', prepared, ['sound/select.wav', ''], 2, '@/sound/select.wav'],
  ]) {
    await t.check(name, () => {
      const dir = folder(score, damage), env = { ...process.env, SDL_VIDEODRIVER: video, SDL_AUDIODRIVER: 'dummy', DISPLAY: '', WAYLAND_DISPLAY: '' };
      const r = spawnSync(path.join(dir, 'sevenwell'), { cwd: dir, env, encoding: 'utf8', timeout: 20000 });
      expect(r.status === status && said.every((w) => r.stderr.includes(w.replace('@', dir))), `status ${r.status}: ${r.stderr}`);
    });
  }

  await display();
  await keysAndRecords(t, g);
  await t.check('SIGTERM during the box ends the game by that signal, and the box with it', async () => {
    await g.start(refused).then(() => g.refusal(true));
    const box = text('pgrep', '-P', g.proc.pid).split('\n').filter(Boolean), status = await (g.proc.kill('SIGTERM'), g.ended());
    expect(box.length && status === 'SIGTERM', `it ended with ${status}; the box processes: ${box}`);
    await until(() => 'the box outlived the game', () => box.every((p) => /^Z?\s*$/.test(text('ps', '-o', 'stat=', '-p', p))));
  });

  // The real window: its pace, its sizes, and the hold while away.
  await g.start(prepared, {}, !!shim);
  if (shim) {
    await t.check("the logo's 201 ticks at the display's pace, each drawn tick presented", async () => {
      // Flip 1 is start-up's white frame, 2 to 202 the logo, 203 the title.
      const log = await until(() => 'no title', () => ((l) => l.flips.length >= 203 && l)(frameLog(g.log)), 20000);
      const ms = Math.round(log.flips[202][0] - log.flips[1][0]);
      expect(ms >= 3200 && log.flips[202][1] > 0 && !log.lost, `${ms} ms, title sent: ${log.flips[202][1]}, ${log.lost} lost`);
    });
  }
  await t.check('out of fullscreen a window of twice 640 x 480, resized freely but not below 640 x 480, crisp and letterboxed', async () => {
    await shows(g, 'title', 30000);
    g.key('press', 'alt+Return');
    for (const [w, h, want] of [[0, 0, '1280x960'], [1500, 1000, '1500x1000'], [1000, 700, '1000x700'], [500, 400, '640x480']]) {
      let s;
      if (w) run('xdotool', 'windowsize', g.win, w, h);
      await until(() => `no ${want} window showing the title (${s?.w}x${s?.h})`, () => (s = shot(g.win)) && `${s.w}x${s.h}` === want && !off(s, ref.title));
      expect(!s.blurred, `${want}: ${s.blurred} pixels blurred or off the picture`);
    }
  });
  // Away for 3.5 s, whatever the delay of the window's events: most of it
  // with no tick drawn, and the clock ahead by no more than the play seen.
  const away = (what, leave, back) => t.check(`${what}, the game holds: no tick, no clock second`, async () => {
    let c1, c2, t0, t3;
    await until(() => 'the play clock never ran', () => (t0 = Date.now()) && (c1 = clock(g.picture())) >= 1, 20000);
    const t1 = (leave(), Date.now());
    await sleep(3500).then(back);
    await until(() => 'the game never came back', () => (t3 = Date.now()) && typeof (c2 = clock(g.picture())) === 'number');
    const ts = [t1, ...frameLog(g.log, t1, t3).draws, t3], held = Math.max(...ts.slice(1).map((v, i) => v - ts[i]));
    const seen = (t3 - t0 - held) / 1000;
    expect(held >= 2500 && (c2 - c1 + 60) % 60 <= seen + 1, `no tick for ${Math.round(held)} ms at most; the clock went from ${c1} to ${c2} s in ${seen.toFixed(1)} s of play`);
  });
  if (shim) {
    children.push(spawn('xmessage', ['elsewhere'], { stdio: 'ignore' }));
    const elsewhere = await until(() => 'no other window', () => text('xdotool', 'search', '--name', '^xmessage$').split('\n')[0]);
    const to = (win) => () => attempt('xdotool', 'windowactivate', '--sync', win) + attempt('xdotool', 'windowfocus', '--sync', win);
    to(g.win)(), g.key('press', 'Enter');
    await away('minimised', () => run('xdotool', 'windowminimize', '--sync', g.win), to(g.win));
    await away('without the focus', to(elsewhere), to(g.win));
  }

  // Installed under a prefix: the files, a game over by the launcher, and
  // the uninstall, which keeps the records.
  const prefix = path.join(work, 'prefix'), prog = path.join(prefix, 'share/sevenwell');
  const install = (...a) => run(path.join(here, '../../scripts/install.sh'), ...a, prefix, build), share = (f) => path.join(prefix, 'share', f.replace('@', 'net.sevenwell.sevenwell'));
  await t.check('installed: every file, a valid menu entry and metainfo, first records of zeros; a reinstall keeps the records', () => {
    install('install');
    expect(read(prog, 'score.ini') === kZeros, 'no first score.ini');
    for (const f of ['sevenwell', 'icon.bmp', 'pic', 'sound']) run('diff', '-r', path.join(game, f), path.join(prog, f));
    run('desktop-file-validate', share('applications/@.desktop'));
    const said = String(run('appstreamcli', 'validate', '--no-net', '--pedantic', share('metainfo/@.metainfo.xml')));
    fs.writeFileSync(path.join(prog, 'score.ini'), prepared);
    install('install');
    expect(!/^[PWE]:/m.test(said) && read(prog, 'score.ini') === prepared, `${said}, or a reinstall replaced the records`);
  });
  await gameOver(t, g, { launcher: path.join(prefix, 'bin/sevenwell'), dir: prog });
  await t.check('Escape, then uninstalled: only score.ini stays; without a sound device it played silent and said so once', async () => {
    const status = await (g.key('press', 'Escape'), g.ended()), uninstalled = run(path.join(here, '../../scripts/install.sh'), 'uninstall', prefix);
    const left = uninstalled && String(run('find', prefix, '-type', 'f')).trim(), said = read(g.err).split('plays without sound').length - 1;
    expect(status === 0 && left === path.join(prog, 'score.ini') && said === 1, `status ${status}, left: ${left}, said it ${said} times`);
  });
}

// --- the browser ----------------------------------------------------------

async function inBrowser(t) {
  const server = await t.serve(t.site), browser = await t.launch(), page = browser.pages[0];
  const g = {
    // Visits the page, with score.ini stored beforehand unless undefined
    // (the page's game held and its own store finished first, or the two
    // stores would overlap, as a player's never do).
    async start(score) {
      if (score !== undefined) await page.run(async (s) => { Module.pauseMainLoop(); while (FS.syncFSRequests) await new Promise((ok) => setTimeout(ok, 10));
        FS.writeFile('/persist/score.ini', s); return new Promise((ok) => FS.syncfs(false, ok)); }, score);
      await page.goto(server.url);
      await page.until(() => window.Module && (Module.stored > 0 || document.body.dataset.ended));
    },
    // The canvas as RGB, if it is 640 x 480 and anything was drawn on it.
    async picture() {
      const png = await page.run(() => ((c) => c.width === 640 && c.height === 480 &&
        c.getContext('2d').getImageData(0, 0, 640, 480).data.some((v) => v) && c.toDataURL())(document.getElementById('canvas')));
      return png && execFileSync('convert', ['png:-', '-depth', '8', 'rgb:-'], { input: Buffer.from(png.split(',')[1], 'base64') });
    },
    key: (how, k) => page.key(how, k),
    score: () => page.run(() => FS.readFile('/persist/score.ini', { encoding: 'utf8' })),
    // The ended page: it offers to start again, except after a refusal.
    async ended() {
      const status = +(await page.until(() => document.body.dataset.ended, 10000));
      expect(await page.run(() => !document.getElementById('again').hidden) === (status !== 1), `status ${status}, and Start again ${status === 1 ? 'offered' : 'missing'}`);
      return status;
    },
    refusal: async () => (await g.ended(), page.run(() => document.getElementById('message').textContent)),
    // The network gone once the service worker keeps the site and its tunes.
    async offline() {
      await page.goto(server.url);
      await page.until(() => navigator.serviceWorker.controller && document.body.dataset.tunes === 'all', 60000);
      await server.close();
    },
  };
  try {
    await t.check('a first visit shows the logo, then the title, and keeps two lines of zeros', async () => {
      const start = Date.now();
      await page.goto(server.url).then(() => shows(g, 'logo', 30000));
      console.log(`     the logo showed after ${Date.now() - start} ms`);
      await shows(g, 'title').then(() => page.until(() => Module.stored > 0));
      expect(await g.score() === kZeros, `score.ini is ${JSON.stringify(await g.score())}`);
    });
    await keysAndRecords(t, g);
    await gameOver(t, g);
    await t.check('a reload reads the stored records back; the console holds no error and only the refusal\'s warning', async () => {
      const s = await g.score();
      await g.start().then(() => shows(g, 'title'));
      const bad = server.said.filter((l) => /^error|^warn/.test(l) && !l.includes(kRefusal));
      expect(await g.score() === s && !bad.length, `score.ini was ${JSON.stringify(s)}; ${bad.join('; ')}`);
    });
  } finally {
    await Promise.all([browser.close(), server.close()]);
  }
  for (const m of fs.readdirSync(here).filter((f) => /^web_.*\.mjs$/.test(f)).sort()) {
    console.log(`--- ${m}`);
    await (await import(path.join(here, m))).default(t);
  }
}

export { children, desktop, display, expect, gameOver, keysAndRecords, kZeros, run, shows, text, until, work };

const parts = [];
try {
  if (argv.includes('--desktop') || !(site || deb || zip)) await onDesktop(parts[parts.push(['desktop', harness(build)]) - 1][1]);
  for (const engine of site ? engines : []) {
    const t = parts[parts.push([`browser ${engine}`, harness(site, engine)]) - 1][1];
    console.log(`=== ${engine}`);
    await inBrowser(t).catch((e) => { ++t.failed; console.log(`FAIL ${engine}: ${e.stack ?? e}`); });
  }
  if (deb) await display().then(async () => (await import('./deb.mjs')).default(parts[parts.push(['package', harness(build)]) - 1][1], path.resolve(deb), { desktop, gameOver, run, text }));
  if (zip) await onWine(parts[parts.push(['wine', harness(zip)]) - 1][1], zip);
} catch (e) {
  console.log(`FAIL ${e.stack ?? e}`), parts.push(['run', { passed: 0, failed: 1 }]);
} finally {
  for (const c of children.reverse()) c.kill('SIGKILL');
  if (!process.env.KEEP) fs.rmSync(work, { recursive: true, force: true });
}
const skipped = (name) => (name === 'desktop' && !shim ? ' (the pace and the hold not checked: no frame shim in this build)' : '');
for (const [name, t] of parts) console.log(`e2e ${name}: ${t.passed} passed, ${t.failed} failed${skipped(name)}`);
process.exit(parts.every(([, t]) => t.passed && !t.failed) ? 0 : 1);
