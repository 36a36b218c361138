// The site on phones and tablets (the on-screen buttons), with a gamepad,
// in a hidden tab and in two tabs at once. Chromium's fingers are its own
// touch input; the other engines' are pointer events made in the page
// (their drivers have no touch), which the check's name says.
import { kClock, kItem1, sleep, toTitle, until } from './browser.mjs';

const kLabels = ['Left', 'Right', 'Up', 'Down', 'Enter', 'Back', 'Restart', 'Quit'];

export default async function (t) {
  const server = await t.serve(t.site), how = t.engine === 'chromium' ? 'taps' : 'touch events made in the page';
  const browser = await t.launch({ mobile: true }), page = browser.pages[0];
  for (const [name, w, h, play] of [['landscape', 844, 390], ['tablet', 820, 1180], ['phone', 390, 844, true]]) {
    await t.check(`${name} ${w} x ${h}: eight buttons beside the picture${play ? `, a game by ${how}` : ''}`, async () => {
      const fingers = (labels, to) => page.touch(labels, to).then(() => sleep(400)), tap = (l) => fingers([l]);
      await page.resize(w, h).then(() => page.goto(server.url)).then(() => page.touch([]));
      const [wide, pic, ...boxes] = await page.run((labels) => [innerWidth < innerHeight && innerWidth, ...[document.getElementById('canvas'),
        ...labels.map((l) => document.querySelector(`[aria-label="${l}"]`))].map((e) => e.getBoundingClientRect().toJSON())], kLabels);
      if (wide) t.expect(pic.width >= 0.95 * wide, `the picture is ${pic.width} px wide of ${wide}`);
      for (const [i, b] of boxes.entries()) {
        t.expect(b.width >= 44 && b.height >= 44 && (b.x >= pic.x + pic.width || b.x + b.width <= pic.x ||
          b.y >= pic.y + pic.height || b.y + b.height <= pic.y), `${kLabels[i]} at ${JSON.stringify(b)}`);
      }
      if (play) {
        await toTitle(page, tap);
        const [item1, title] = [await page.snap(kItem1), await page.snap()];
        await fingers(['Down'], { x: pic.x + pic.width / 2, y: pic.y + 40 });  // slid off onto the picture
        t.expect(await page.snap(kItem1) === item1, 'a finger that slid off moved the cursor');
        await fingers(['Down', 'Enter']);  // together: the cursor to the options, then in
        t.expect(await page.snap() !== title, 'two fingers did not open the options');
        await tap('Back');
        await until('the title again', async () => await page.snap() === title, 3000);
        // Then a whole game, to game over.
        const before = await page.run(() => Module.stored);
        await tap('Enter');
        await until('game over', async () => await tap('Down') || page.run((n) => Module.stored > n, before), 120000);
        const text = await page.run(() => FS.readFile('/persist/score.ini', { encoding: 'utf8' }));
        t.expect(/^\d{9}\r\n\d{9}\r\n$/.test(text), `score.ini is ${JSON.stringify(text)}`);
      }
    });
  }

  // A standard-mapping pad given to the page once it runs, as if plugged in,
  // and a page that leaves and comes back as a tab in the background would.
  const padded = await t.serve(t.site, { inject: `(${() => {
    const buttons = Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 }));
    const gamepad = { id: 'Pad', index: 0, connected: true, mapping: 'standard', timestamp: 1, axes: [0, 0, 0, 0], buttons };
    const wait = window.wait = (ms) => new Promise((ok) => setTimeout(ok, ms));
    navigator.getGamepads = () => window.pads || [];
    window.plug = () => { window.pads = [gamepad]; dispatchEvent(Object.assign(new Event('gamepadconnected'), { gamepad })); };
    window.pad = (i, down) => { Object.assign(buttons[i], { pressed: down, value: +down }); ++gamepad.timestamp; };
    window.press = async (i) => { pad(i, true); await wait(200); pad(i, false); };
    const hide = (hidden) => Object.defineProperty(document, 'hidden', { value: hidden, configurable: true })
      .dispatchEvent(new Event('visibilitychange'));
    // Hidden for 3 s, with no frames, as a tab in the background, from just
    // after the play clock turned: does it show the same second 300 ms after?
    const clock = () => document.getElementById('canvas').getContext('2d').getImageData(40, 175, 152, 33).data.join();
    window.away = async () => {
      for (const c = clock(); c === clock();) await wait(20);
      const seen = clock();
      hide(true), Module.pauseMainLoop(), await wait(3000);
      hide(false), Module.resumeMainLoop(), await wait(300);
      return clock() === seen;
    };
  }})();` });
  await page.resize(1280, 1000).then(() => page.goto(padded.url));
  await t.check('a gamepad plugged in: the d-pad acts on release, A starts; a hidden tab stops the clock', async () => {
    await toTitle(page);
    const item1 = await page.snap(kItem1);
    await page.run(async () => { plug(); await wait(300); pad(13, true); await wait(400); });
    t.expect(await page.snap(kItem1) === item1, 'the cursor moved before the d-pad was let go');
    await page.run(() => pad(13, false));
    await until('the cursor moved', async () => await page.snap(kItem1) !== item1, 2000);
    await page.run(async () => { await press(12); await press(0); });
    let clock = await page.snap(kClock);
    const next = async () => clock !== (clock = await page.snap(kClock));
    for (const what of ['play clock', 'next second']) await until(what, next);
    t.expect(await page.run(() => away()), 'the clock went on while the tab was hidden');
    clock = await page.snap(kClock);
    await until('the clock going on', async () => await page.snap(kClock) !== clock, 2000);
  });
  await t.check('a second tab runs no game until it takes over; it reads what the first wrote', async () => {
    const second = await browser.open();
    await second.goto(padded.url);
    await second.until(() => document.body.textContent.includes('open in another tab'));
    t.expect(await second.run(() => !Module.calledRun), 'the second tab runs a game');
    const written = await page.run(() => { FS.writeFile('/persist/score.ini', FS.readFile('/persist/score.ini'));
      return new Promise((ok) => FS.syncfs(false, () => ok(FS.stat('/persist/score.ini').mtime.getTime()))); });
    await second.run(() => [...document.querySelectorAll('button')].find((b) => b.textContent === 'Play here').click());
    await page.until(() => document.body.dataset.ended === '0', 5000);
    await second.until(() => Module.stored > 0);
    t.expect(await second.run(() => FS.stat('/persist/score.ini').mtime.getTime()) === written, 'old records');
  });
  await browser.close();
  await Promise.all([server.close(), padded.close()]);
}
