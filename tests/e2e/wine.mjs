// The Windows game from its zip under Wine, as a player has it: unzipped
// into a folder whose name has a space and letters outside ASCII, started
// from elsewhere on a 640 x 480 screen with a window manager, and with no
// sound device (Wine's sound drivers left out). The scenarios of e2e.mjs,
// through the desktop's keys and screenshots; the refusal in Wine's own box.
// WINEPREFIX: the prefix scripts/win_deps.sh made (by default in the cache).
import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { children, desktop, display, expect, gameOver, keysAndRecords, kZeros, run, shows, text, until, work } from './e2e.mjs';

export default async function onWine(t, zip) {
  const top = path.join(work, 'Seven Well ゲーム José'), dir = path.join(top, 'SevenWell');
  run('mkdir', '-p', top) && run('unzip', '-q', path.resolve(zip), '-d', top);
  await display('640x480x24');
  const env = { ...process.env, WINEDEBUG: '-all', WINEDLLOVERRIDES: 'winepulse.drv,winealsa.drv=d',
    WINEPREFIX: process.env.WINEPREFIX ?? path.join(os.homedir(), '.cache/sevenwell-win/wine') };
  // A Wine server left from another display would put the windows there.
  execFileSync('wineserver', ['-w'], { env, timeout: 60000 });
  const g = Object.assign(Object.create(desktop), {
    async start(score) {
      await (this.proc?.kill('SIGKILL'), this.exit);
      if (score !== undefined) fs.writeFileSync(path.join(dir, 'score.ini'), score);
      [this.dir, this.win, this.err] = [dir, '', path.join(work, `wine${children.length}.err`)];
      const stdio = ['ignore', 'ignore', fs.openSync(this.err, 'w')];
      children.push(this.proc = spawn('wine', [path.join(dir, 'SevenWell.exe')], { cwd: work, env, stdio }));
      this.exit = new Promise((ok) => this.proc.once('exit', (code, signal) => ok(signal ?? code)));
    },
    // Wine's box, its caption naming score.ini in the folder, every letter
    // of it; Enter closes it.
    async refusal() {
      const caption = `"Seven Well: Z:${dir.replaceAll('/', '\\')}\\score.ini"`;
      const box = await until(() => `no box ${caption}`, () => text('xwininfo', '-root', '-tree').split('\n').find((l) => l.includes(caption)), 20000);
      expect(!this.window(), 'a game window opened');
      run('xdotool', 'windowactivate', '--sync', box.trim().split(' ')[0]) && run('xdotool', 'key', 'Return');
      return fs.readFileSync(this.err, 'utf8');
    },
  });
  await t.check('as unzipped: the first records of zeros and README.txt with CR LF; the game starts on them', async () => {
    const [score, readme] = ['score.ini', 'README.txt'].map((f) => fs.readFileSync(path.join(dir, f), 'latin1'));
    expect(score === kZeros && !/[^\r]\n/.test(readme), `score.ini ${JSON.stringify(score)}, or README.txt has a bare LF`);
    await g.start().then(() => shows(g, 'title', 30000));
  });
  await keysAndRecords(t, g);
  await gameOver(t, g);
  await t.check('Escape after the game over ends with status 0; without a sound device it said so once', async () => {
    const status = await (g.key('press', 'Escape'), g.ended()), said = fs.readFileSync(g.err, 'utf8');
    expect(status === 0 && said.split('without sound').length === 2, `status ${status}, it said ${JSON.stringify(said)}`);
  });
}
