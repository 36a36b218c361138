// The site as a new player meets it on a slow phone link (1.6 Mbit/s,
// 150 ms): the bar counts the first frame's bytes, the tunes come only
// after that frame, a failed tune is named with a retry, and a game
// started before its tune arrived plays it when it does. A rebuilt site takes over the cache; the next visit needs
// no network at all.
import fs from 'node:fs';

export default async function (t) {
  const site = fs.mkdtempSync('/tmp/sevenwell-site-');
  fs.cpSync(t.site, site, { recursive: true });
  const server = await t.serve(site), ctx = await t.launch(), page = ctx.pages()[0];
  const cdp = await ctx.newCDPSession(page), link = (latency, bytes) => cdp.send('Network.enable').then(() => cdp.send('Network.emulateNetworkConditions', { offline: false, latency, downloadThroughput: bytes, uploadThroughput: bytes }));
  const until = (fn, timeout = 60000) => page.waitForFunction(fn, null, { timeout, polling: 50 });
  await t.check('slow link: a bar counts the bytes, the first frame comes before the tunes, a late tune plays as it comes', async () => {
    await link(150, 200000);
    fs.renameSync(`${site}/sound`, `${site}/away`);  // the tunes late: missing until the game waits
    await page.goto(server.url);
    await until(() => document.getElementById('loading-bar')?.value > 100000);
    await until(() => document.body.dataset.firstFrame);
    t.expect(await page.evaluate(() => performance.getEntriesByType('resource').every((e) => !e.name.includes('/sound/') || e.startTime >= document.body.dataset.firstFrame)), 'a tune came before the first frame');
    const music = () => page.evaluate(() => document.body.dataset.music);
    for (let i = 0; i < 40 && !(await music()); ++i) await page.keyboard.press('Enter').then(() => page.waitForTimeout(500));
    t.expect(await music() === 'waiting' && (await page.textContent('#loading-text')).includes('sound/bgm01.ogg'), 'no wait, or the failed tune not named');
    fs.renameSync(`${site}/away`, `${site}/sound`);
    await page.click('#loading-retry');
    await until(() => document.body.dataset.music === 'playing');
  });
  await t.check('a rebuilt site replaces the old cache; after one visit the game starts with the network gone', async () => {
    await until(() => document.body.dataset.tunes === 'all').then(() => link(0, -1));
    fs.writeFileSync(`${site}/sw.js`, fs.readFileSync(`${site}/sw.js`, 'utf8').replace(/sevenwell-\w+/, 'sevenwell-rebuilt'));
    await page.reload().then(() => until(() => (caches.keys().then((k) => { window.kept = k.join(); }), window.kept === 'sevenwell-rebuilt'), 20000));
    await until(() => document.body.dataset.tunes === 'all');  // kept anew
    // A first visit keeps the tunes it fetched before its worker ran.
    const first = await t.launch(), other = first.pages()[0];
    await other.goto(server.url).then(() => other.waitForFunction(() => document.body.dataset.tunes === 'all' && navigator.serviceWorker.controller, null, { timeout: 60000 }));
    await server.close();
    for (const p of [page, other]) await p.reload().then(() => p.waitForFunction(() => document.body.dataset.tunes === 'all', null, { timeout: 20000 }));  // from the cache
    await first.close();
  });
  await ctx.close().then(() => fs.rmSync(site, { recursive: true }));
}
