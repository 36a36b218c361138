// The site as a new player meets it on a slow phone link (1.6 Mbit/s,
// 150 ms, the test server's own pace): the bar counts the first frame's
// bytes, the tunes come only after that frame, a failed tune is named with
// a retry, and a game started before its tune arrived plays it when it
// does. A rebuilt site takes over the cache; the next visit needs no
// network at all. A download cut short is named until Retry; a browser
// without Web Audio plays silent.
import fs from 'node:fs';
import { kClock, sleep, toTitle, until } from './browser.mjs';

const copy = (from) => ((dir) => fs.cpSync(from, dir, { recursive: true }) ?? dir)(fs.mkdtempSync('/tmp/sevenwell-site-'));

export default async function (t) {
  const site = copy(t.site), server = await t.serve(site, { rate: 200000 }), browser = await t.launch(), page = browser.pages[0];
  await t.check('slow link: a bar counts the bytes, the first frame comes before the tunes, a late tune plays as it comes, the sound running', async () => {
    fs.renameSync(`${site}/sound`, `${site}/away`);  // the tunes late: missing until the game waits
    await page.goto(server.url);
    await page.until(() => document.getElementById('loading-bar')?.value > 100000, 60000);
    await page.until(() => document.body.dataset.firstFrame, 60000);
    t.expect(await page.run(() => performance.getEntriesByType('resource').every((e) => !e.name.includes('/sound/') || e.startTime >= document.body.dataset.firstFrame)), 'a tune came before the first frame');
    const music = () => page.run(() => document.body.dataset.music);
    for (let i = 0; i < 40 && !(await music()); ++i) await page.key('press', 'Enter').then(() => sleep(500));
    t.expect(await music() === 'waiting' && (await page.run(() => document.getElementById('loading-text').textContent)).includes('sound/bgm01.ogg'), 'no wait, or the failed tune not named');
    fs.renameSync(`${site}/away`, `${site}/sound`);
    server.rate = 0;
    await page.click('#loading-retry');
    await page.until(() => document.body.dataset.music === 'playing' && Module.SDL2.audioContext.state === 'running');
  });
  await t.check('a rebuilt site replaces the old cache; after one visit the game starts with the network gone', async () => {
    await page.until(() => document.body.dataset.tunes === 'all', 60000);
    fs.writeFileSync(`${site}/sw.js`, fs.readFileSync(`${site}/sw.js`, 'utf8').replace(/sevenwell-\w+/, 'sevenwell-rebuilt'));
    await page.reload().then(() => page.until(async () => (await caches.keys()).join() === 'sevenwell-rebuilt', 20000));
    await page.until(() => document.body.dataset.tunes === 'all');  // kept anew
    // A first visit (another site to the browser) keeps the tunes it
    // fetched before its worker ran.
    const again = await t.serve(site), other = await browser.open();
    await other.goto(again.url).then(() => other.until(() => document.body.dataset.tunes === 'all' && !!navigator.serviceWorker.controller, 60000));
    await Promise.all([server.close(), again.close()]);
    for (const p of [page, other]) await p.reload().then(() => p.until(() => document.body.dataset.tunes === 'all', 20000));  // from the cache
  });

  // Each on a site of its own: game.wasm.gz cut in half while the other
  // files still come, then no Web Audio at all.
  const cut = copy(t.site), wasm = fs.readFileSync(`${cut}/game.wasm.gz`);
  const cuts = await t.serve(cut, { rate: 1000000 }), silent = await t.serve(t.site, { inject: 'delete window.AudioContext; delete window.webkitAudioContext;' });
  await t.check('game.wasm.gz cut in half: the page names it and the reason with Retry until Retry is pressed; then the game starts', async () => {
    fs.writeFileSync(`${cut}/game.wasm.gz`, wasm.subarray(0, wasm.length >> 1));
    const said = () => page.run(() => !document.getElementById('loading-retry').hidden &&
      getComputedStyle(document.getElementById('loading')).display !== 'none' && document.getElementById('loading-text').textContent);
    await page.goto(cuts.url);
    const first = await until('a failure shown', said);
    await sleep(1500);  // the other files finish meanwhile
    t.expect(/^Could not (download|compile) game\.wasm\.gz \(.+\)\.$/.test(first) && await said() === first, `the page said ${JSON.stringify(first)}, then ${JSON.stringify(await said())}`);
    fs.writeFileSync(`${cut}/game.wasm.gz`, wasm);
    await page.click('#loading-retry');
    await page.until(() => Module.stored > 0);
  });
  await t.check('without AudioContext the game reaches the title and plays, silent; the console says so once', async () => {
    await page.goto(silent.url).then(() => toTitle(page));
    await page.key('press', 'Enter');
    let clock = await page.snap(kClock);
    const next = async () => clock !== (clock = await page.snap(kClock));
    for (const what of ['play clock', 'next second']) await until(what, next);
    const told = silent.said.filter((l) => /plays without sound/.test(l)), bad = silent.said.filter((l) => /^error/.test(l));
    t.expect(told.length === 1 && !bad.length, `the console said ${JSON.stringify(silent.said)}`);
  });
  await Promise.all([browser.close(), cuts.close(), silent.close()]);
  for (const dir of [site, cut]) fs.rmSync(dir, { recursive: true });
}
