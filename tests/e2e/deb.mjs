// The Debian package from outside, as root on a machine without it (make
// deb-test): installed with apt-get, the installed game played to a game
// over by a user made for the check, whose records land in their home;
// every installed file as packaged, and a purge that leaves the records.
// The user and the package go again whatever happens. Run by e2e.mjs:
//   node tests/e2e/e2e.mjs BUILD_DIR --deb PACKAGE.deb
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

export default async function (t, deb, { desktop, gameOver, run, text }) {
  const user = `sevenwell-e2e-${process.pid}`, home = `/home/${user}`, records = `${home}/.local/share/sevenwell`;
  const installed = () => text('dpkg-query', '-W', '-f=${Status}', 'sevenwell').startsWith('install ok');
  if (installed()) throw new Error('sevenwell is installed on this machine: the package check installs and purges it, so remove it first');
  // The game as that user in a login's environment. setpriv becomes the
  // game (runuser would wait beside it), so its end and a kill reach it.
  const as = ['setpriv', `--reuid=${user}`, `--regid=${user}`, '--init-groups', 'env', '-i', `HOME=${home}`, `USER=${user}`, `LOGNAME=${user}`, 'PATH=/usr/bin:/bin:/usr/games'];
  const launcher = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'sevenwell-deb-')), 'as-player');
  fs.writeFileSync(launcher, `#!/bin/sh\nexec ${as.join(' ')} DISPLAY="$DISPLAY" SDL_AUDIODRIVER=dummy /usr/games/sevenwell\n`, { mode: 0o755 });
  const apt = (...a) => run('apt-get', '-y', '-qq', '-o', 'DPkg::Lock::Timeout=600', ...a);
  try {
    await t.check('apt-get installs the package, at most 20 MB installed; a user is made to play it', () => {
      apt('install', deb);
      run('useradd', '--create-home', '--shell', '/bin/sh', user);
      const kb = +text('dpkg-query', '-W', '-f=${Installed-Size}', 'sevenwell');
      t.expect(installed() && kb > 0 && kb <= 20480, `installed: ${installed()}, ${kb} kB`);
    });
    if (t.failed) return;
    // A new player's first game over makes their records; the next game
    // reads them there (the prepared ones, written into the player's file).
    await gameOver(t, desktop, { launcher, dir: records }, null);
    await (desktop.key('press', 'Escape'), desktop.ended());
    await gameOver(t, desktop, { launcher, dir: records });
    await t.check("Escape ends the installed game; the records are the player's; dpkg --verify finds every file as packaged", async () => {
      const status = await (desktop.key('press', 'Escape'), desktop.ended()), owner = fs.statSync(`${records}/score.ini`).uid;
      const v = spawnSync('dpkg', ['--verify', 'sevenwell'], { encoding: 'utf8' }), changed = v.stdout + v.stderr + (v.status ? `status ${v.status}` : '');
      t.expect(status === 0 && owner === +text('id', '-u', user) && !changed, `status ${status} (${fs.readFileSync(desktop.err, 'utf8').trim()}), score.ini owned by ${owner}, dpkg --verify: ${changed}`);
    });
    await t.check("apt-get purge takes the package away and leaves the player's records", () => {
      const kept = fs.readFileSync(`${records}/score.ini`, 'latin1');
      apt('purge', 'sevenwell');
      t.expect(!installed() && !fs.existsSync('/usr/games/sevenwell') && fs.readFileSync(`${records}/score.ini`, 'latin1') === kept, 'the package or the records are not as they should be');
    });
  } finally {
    await (desktop.proc?.kill('SIGKILL'), desktop.exit);
    if (installed()) apt('purge', 'sevenwell');
    if (text('id', '-u', user)) run('userdel', '--remove', user);
    fs.rmSync(path.dirname(launcher), { recursive: true });
  }
}
