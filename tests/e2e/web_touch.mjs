// The site on phones and tablets (the on-screen buttons), with a gamepad,
// in a hidden tab and in two tabs at once.
const kLabels = ['Left', 'Right', 'Up', 'Down', 'Enter', 'Back', 'Restart', 'Quit'];
const kItem0 = [452, 303, 32, 32], kItem1 = [452, 344, 32, 32], kClock = [40, 175, 152, 33];
const touch = (width, height) => ({ viewport: { width, height }, isMobile: true, hasTouch: true });

// A checksum of the canvas in a rectangle, to tell two moments apart.
const snap = (page, r = [0, 0, 640, 480]) => page.evaluate((r) => {
  const d = document.getElementById('canvas').getContext('2d').getImageData(...r).data;
  return d.reduce((h, v) => (h * 31 + v) | 0, 7);
}, r);
async function until(what, fn, ms = 20000) {
  for (const end = Date.now() + ms; !(await fn());) {
    if (Date.now() > end) throw new Error(`not within ${ms} ms: ${what}`);
    await new Promise((ok) => setTimeout(ok, 50));
  }
}
const after = (page, ms) => page.waitForTimeout(ms);
// Down and Up until Down moves the title's cursor and Up brings it back:
// the logo is over and the cursor is on its first item.
async function toTitle(page, press) {
  await page.waitForFunction(() => window.Module && Module.stored > 0, null, { timeout: 30000 });
  await until('the title', async () => {
    const item1 = await snap(page, kItem1);
    await press('Down');
    await after(page, 250);
    if (await snap(page, kItem1) === item1) return false;
    await press('Up');
    await after(page, 250);
    return await snap(page, kItem1) === item1;
  });
}
// Fingers through Chromium's own touch input: down at points, then moved or lifted.
async function fingers(page, cdp, labels, moveTo) {
  const points = [];
  for (const l of labels) {
    const b = await page.getByRole('button', { name: l, exact: true }).boundingBox();
    points.push({ x: b.x + b.width / 2, y: b.y + b.height / 2, id: points.length });
  }
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: points });
  if (moveTo) await cdp.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: [{ ...moveTo, id: 0 }] });
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
}
const clockGoes = async (page) => { const c = await snap(page, kClock); await after(page, 1300);
  return await snap(page, kClock) !== c; };

export default async function (t) {
  const server = await t.serve(t.site);
  for (const [name, w, h, play] of [['phone', 390, 844, true], ['landscape', 844, 390], ['tablet', 820, 1180]]) {
    await t.check(`${name} (${w} x ${h}): eight buttons beside the picture${play ? '; a game by taps alone' : ''}`, async () => {
      const context = await t.launch(touch(w, h));
      const page = context.pages()[0];
      await page.goto(server.url);
      const tap = async (l) => page.getByRole('button', { name: l, exact: true }).tap();
      const pic = await page.locator('#canvas').boundingBox();
      if (w < h) t.expect(pic.width >= 0.95 * w, `the picture is ${pic.width} px wide`);
      for (const l of kLabels) {
        const b = await page.getByRole('button', { name: l, exact: true }).boundingBox();
        t.expect(b && b.width >= 44 && b.height >= 44, `${l}: ${JSON.stringify(b)}`);
        t.expect(b.x >= pic.x + pic.width || b.x + b.width <= pic.x || b.y >= pic.y + pic.height ||
          b.y + b.height <= pic.y, `${l} overlaps the picture`);
      }
      await toTitle(page, tap);
      if (play) {
        const cdp = await context.newCDPSession(page);
        const [item0, item1, title] = [await snap(page, kItem0), await snap(page, kItem1), await snap(page)];
        await fingers(page, cdp, ['Down'], { x: w / 2, y: 40 });  // slid off onto the picture
        await after(page, 400);
        t.expect(await snap(page, kItem1) === item1, 'a finger that slid off moved the cursor');
        await fingers(page, cdp, ['Down', 'Enter']);  // together: cursor to the options, then in
        await until('the options', async () => await snap(page) !== title, 3000);
        await tap('Back');
        await until('the title again', async () => await snap(page, kItem0) === item0 &&
          await snap(page, kItem1) === item1, 3000);
        const before = await page.evaluate(() => Module.stored);
        await tap('Enter');
        await until('game over', async () => { await tap('Down');
          return await page.evaluate((n) => Module.stored > n, before); }, 120000);
        const text = await page.evaluate(() => FS.readFile('/persist/score.ini', { encoding: 'utf8' }));
        t.expect(/^\d{9}\r\n\d{9}\r\n$/.test(text), `score.ini is ${JSON.stringify(text)}`);
      }
      if (process.env.SW_WEB_SHOTS) await page.screenshot({ path: `${process.env.SW_WEB_SHOTS}/${name}.png` });
      await context.close();
    });
  }

  // A standard-mapping pad the page is given once it runs, as if plugged in.
  const context = await t.launch();
  await context.addInitScript(() => {
    const buttons = Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 }));
    const pad = { id: 'Test pad', index: 0, connected: true, mapping: 'standard', timestamp: 1,
      axes: [0, 0, 0, 0], buttons };
    let pads = [];
    navigator.getGamepads = () => pads;
    window.plug = () => { pads = [pad]; const e = new Event('gamepadconnected'); e.gamepad = pad; dispatchEvent(e); };
    window.pad = (i, down) => { Object.assign(buttons[i], { pressed: down, value: +down }); ++pad.timestamp; };
    // The page leaves and comes back as a tab in the background would.
    window.hide = (hidden) => { Object.defineProperty(document, 'hidden', { value: hidden, configurable: true });
      Object.defineProperty(document, 'visibilityState', { value: hidden ? 'hidden' : 'visible', configurable: true });
      document.dispatchEvent(new Event('visibilitychange')); };
  });
  const page = context.pages()[0];
  await page.goto(server.url);
  await t.check('a gamepad plugged in: the d-pad moves the cursor on release, A starts a game', async () => {
    await toTitle(page, (l) => page.keyboard.press(`Arrow${l}`));
    const item1 = await snap(page, kItem1);
    await page.evaluate(() => plug());
    await after(page, 300);
    await page.evaluate(() => pad(13, true));
    await after(page, 400);
    t.expect(await snap(page, kItem1) === item1, 'the cursor moved before the d-pad was let go');
    await page.evaluate(() => pad(13, false));
    await until('the cursor moved', async () => await snap(page, kItem1) !== item1, 2000);
    for (const b of [12, 0]) await page.evaluate(async (b) => { pad(b, true); await new Promise((ok) => setTimeout(ok, 200)); pad(b, false); }, b);
    await until('the play clock', () => clockGoes(page), 10000);
  });
  await t.check('a tab hidden for 3 s during play leaves the clock where it was', async () => {
    const clock = await snap(page, kClock);
    await until('the next second', async () => await snap(page, kClock) !== clock, 2000);
    const was = await snap(page, kClock);
    // Hidden, and its frames stop, as a tab in the background.
    await page.evaluate(() => { hide(true); Module.pauseMainLoop(); });
    await after(page, 3000);
    await page.evaluate(() => { hide(false); Module.resumeMainLoop(); });
    await after(page, 300);
    t.expect(await snap(page, kClock) === was, 'the clock went on while the tab was hidden');
    await until('the clock going on', async () => await snap(page, kClock) !== was, 2000);
  });
  await t.check('a second tab runs no game until it takes over; it reads what the first wrote', async () => {
    const second = await context.newPage();
    await second.goto(server.url);
    await second.getByText('open in another tab').waitFor();
    await after(second, 1000);
    t.expect(await second.evaluate(() => !Module.calledRun), 'the second tab runs a game');
    const file = () => FS.stat('/persist/score.ini').mtime.getTime();
    const stamp = await page.evaluate((f) => { FS.writeFile('/persist/score.ini', FS.readFile('/persist/score.ini'));
      return new Promise((ok) => FS.syncfs(false, () => ok(eval(f)()))); }, String(file));
    await second.getByRole('button', { name: 'Play here' }).click();
    await page.waitForFunction(() => document.body.dataset.ended === '0', null, { timeout: 5000 });
    await second.waitForFunction(() => Module.stored > 0, null, { timeout: 30000 });
    t.expect(await second.evaluate(file) === stamp, 'the second tab did not read the records of the first');
  });
  await context.close();
  await server.close();
}
