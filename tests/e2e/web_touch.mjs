// The site on phones and tablets (the on-screen buttons), with a gamepad,
// in a hidden tab and in two tabs at once.
const kLabels = ['Left', 'Right', 'Up', 'Down', 'Enter', 'Back', 'Restart', 'Quit'];
const kItem1 = [452, 344, 32, 32], kClock = [40, 175, 152, 33];  // the title's second item, the play clock
const sleep = (ms) => new Promise((ok) => setTimeout(ok, ms));
const button = (page, label) => page.getByRole('button', { name: label, exact: true });

// A checksum of the canvas in a rectangle, to tell two moments apart.
const snap = (page, r = [0, 0, 640, 480]) => page.evaluate((r) => document.getElementById('canvas')
  .getContext('2d').getImageData(...r).data.reduce((h, v) => (h * 31 + v) | 0, 7), r);
async function until(what, fn, ms = 30000) {
  for (const end = Date.now() + ms; !(await fn()); await sleep(50)) if (Date.now() > end) throw new Error(`no ${what}`);
}
// Down and Up until Down moves the title's cursor and Up brings it back:
// the logo is over and the cursor is on its first item.
async function toTitle(page, press) {
  const step = async (key) => { await press(key); await sleep(250); return snap(page, kItem1); };
  await until('title', async () => { const item1 = await snap(page, kItem1);
    return await step('Down') !== item1 && await step('Up') === item1; });
}
// Fingers through Chromium's own touch input: down on buttons, then moved or lifted.
async function fingers(page, labels, moveTo) {
  const [cdp, ...boxes] = await Promise.all([page.context().newCDPSession(page), ...labels.map((l) => button(page, l)
    .boundingBox())]);
  const touch = (type, touchPoints) => cdp.send('Input.dispatchTouchEvent', { type, touchPoints });
  await touch('touchStart', boxes.map((b, id) => ({ x: b.x + b.width / 2, y: b.y + b.height / 2, id })));
  if (moveTo) await touch('touchMove', [{ ...moveTo, id: 0 }]);
  await touch('touchEnd', []).then(() => sleep(400));
}

export default async function (t) {
  const server = await t.serve(t.site);
  for (const [name, w, h, play] of [['phone', 390, 844, true], ['landscape', 844, 390], ['tablet', 820, 1180]]) {
    await t.check(`${name} ${w} x ${h}: eight buttons beside the picture, a game by taps`, async () => {
      const context = await t.launch({ viewport: { width: w, height: h }, isMobile: true, hasTouch: true });
      const page = context.pages()[0];
      await page.goto(server.url);
      const pic = await page.locator('#canvas').boundingBox();
      if (w < h) t.expect(pic.width >= 0.95 * w, `the picture is ${pic.width} px wide`);
      for (const [i, b] of (await Promise.all(kLabels.map((l) => button(page, l).boundingBox()))).entries()) {
        t.expect(b && b.width >= 44 && b.height >= 44 && (b.x >= pic.x + pic.width || b.x + b.width <= pic.x ||
          b.y >= pic.y + pic.height || b.y + b.height <= pic.y), `${kLabels[i]} at ${JSON.stringify(b)}`);
      }
      const tap = (l) => button(page, l).tap();
      await toTitle(page, tap);
      if (play) {
        const [item1, title] = [await snap(page, kItem1), await snap(page)];
        await fingers(page, ['Down'], { x: w / 2, y: 40 });  // slid off onto the picture
        t.expect(await snap(page, kItem1) === item1, 'a finger that slid off moved the cursor');
        await fingers(page, ['Down', 'Enter']);  // together: the cursor to the options, then in
        t.expect(await snap(page) !== title, 'two fingers did not open the options');
        await tap('Back');
        await until('the title again', async () => await snap(page) === title, 3000);
      }
      // Then a whole game, to game over, in every layout.
      const before = await page.evaluate(() => Module.stored);
      await tap('Enter');
      await until('game over', async () => await tap('Down') ||
        page.evaluate((n) => Module.stored > n, before), 120000);
      const text = await page.evaluate(() => FS.readFile('/persist/score.ini', { encoding: 'utf8' }));
      t.expect(/^\d{9}\r\n\d{9}\r\n$/.test(text), `score.ini is ${JSON.stringify(text)}`);
      await context.close();
    });
  }

  // A standard-mapping pad given to the page once it runs, as if plugged in,
  // and a page that leaves and comes back as a tab in the background would.
  const context = await t.launch();
  await context.addInitScript(() => {
    const buttons = Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 }));
    const gamepad = { id: 'Pad', index: 0, connected: true, mapping: 'standard', timestamp: 1, axes: [0, 0, 0, 0], buttons };
    const wait = window.wait = (ms) => new Promise((ok) => setTimeout(ok, ms));
    navigator.getGamepads = () => window.pads || [];
    window.plug = () => { window.pads = [gamepad]; dispatchEvent(Object.assign(new Event('gamepadconnected'), { gamepad })); };
    window.pad = (i, down) => { Object.assign(buttons[i], { pressed: down, value: +down }); ++gamepad.timestamp; };
    window.press = async (i) => { pad(i, true); await wait(200); pad(i, false); };
    const hide = (hidden) => Object.defineProperty(document, 'hidden', { value: hidden, configurable: true })
      .dispatchEvent(new Event('visibilitychange'));
    // Hidden for 3 s, with no frames, as a tab in the background.
    window.away = async () => { hide(true); Module.pauseMainLoop(); await wait(3000);
      hide(false); Module.resumeMainLoop(); await wait(300); };
  });
  const page = context.pages()[0];
  await page.goto(server.url);
  await t.check('a gamepad plugged in: the d-pad acts on release, A starts; a hidden tab stops the clock', async () => {
    await toTitle(page, (l) => page.keyboard.press(`Arrow${l}`));
    const item1 = await snap(page, kItem1);
    await page.evaluate(async () => { plug(); await wait(300); pad(13, true); await wait(400); });
    t.expect(await snap(page, kItem1) === item1, 'the cursor moved before the d-pad was let go');
    await page.evaluate(() => pad(13, false));
    await until('the cursor moved', async () => await snap(page, kItem1) !== item1, 2000);
    await page.evaluate(async () => { await press(12); await press(0); });
    let clock = await snap(page, kClock);
    const next = async () => clock !== (clock = await snap(page, kClock));
    for (const what of ['play clock', 'next second']) await until(what, next);
    await page.evaluate(() => away());
    t.expect(await snap(page, kClock) === clock, 'the clock went on while the tab was hidden');
    await until('the clock going on', async () => await snap(page, kClock) !== clock, 2000);
  });
  await t.check('a second tab runs no game until it takes over; it reads what the first wrote', async () => {
    const second = await context.newPage();
    await second.goto(server.url);
    await second.getByText('open in another tab').waitFor();
    t.expect(await second.evaluate(() => !Module.calledRun), 'the second tab runs a game');
    const written = await page.evaluate(() => { FS.writeFile('/persist/score.ini', FS.readFile('/persist/score.ini'));
      return new Promise((ok) => FS.syncfs(false, () => ok(FS.stat('/persist/score.ini').mtime.getTime()))); });
    await button(second, 'Play here').click();
    await page.waitForFunction(() => document.body.dataset.ended === '0', null, { timeout: 5000 });
    await second.waitForFunction(() => Module.stored > 0, null, { timeout: 30000 });
    t.expect(await second.evaluate(() => FS.stat('/persist/score.ini').mtime.getTime()) === written, 'old records');
  });
  await context.close().then(server.close);
}
