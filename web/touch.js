// The game's eight keys as buttons on a touch screen. A button acts like
// its key: once, when the finger that pressed it lifts inside it; a finger
// that slides off or is cancelled does nothing. They show on a screen
// whose pointer is a finger and hide while a keyboard or a gamepad plays,
// until the next touch. The picture keeps the rest of the screen: at the
// top in portrait, between the buttons in landscape.
'use strict';
(function () {
  const kKeys = [  // label, the game's key code, the drawing
    ['Left', 37, 'M15 5l-7 7 7 7'],
    ['Right', 39, 'M9 5l7 7-7 7'],
    ['Up', 38, 'M4 8.5h15l-4-4M20 15.5H5l4 4'],       // swap the pair's digits
    ['Down', 40, 'M12 3v12M7 10.5l5 5 5-5M5 20.5h14'],  // drop the pair
    ['Enter', 13, 'M19 5v7H6M10 8l-4 4 4 4'],
    ['Back', 8, 'M9 4L4 9l5 5M4 9h10a5.5 5.5 0 0 1 0 11h-4'],
    ['Restart', 82, 'M19.5 12a7.5 7.5 0 1 1-2.2-5.3M19.5 3.5v4.6h-4.6'],
    ['Quit', 27, 'M6.5 6.5l11 11M17.5 6.5l-11 11'],
  ];
  const pad = document.createElement('div');
  pad.id = 'pad';
  const button = {};
  for (const [label, code, drawing] of kKeys) {
    const b = document.createElement('button');
    b.type = 'button';
    b.tabIndex = -1;
    b.dataset.code = code;
    b.setAttribute('aria-label', label);
    b.innerHTML = `<svg viewBox="0 0 24 24" aria-hidden="true"><path d="${drawing}"/></svg>`;
    pad.append(b);
    button[label] = b;
  }
  document.body.append(pad);

  function resumeAudio() {
    const audio = window.Module && Module.SDL2 && Module.SDL2.audioContext;
    if (audio && audio.state !== 'running') audio.resume();
  }
  function send(code) {
    if (document.body.dataset.ended || !window.Module || !Module._sw_page_key) return;
    try { Module._sw_page_key(code); } catch (e) { /* the game has ended */ }
  }

  // Each finger on its own: which button it pressed, acted on when it lifts.
  const fingers = new Map();
  function inside(b, e) {
    const r = b.getBoundingClientRect();
    return e.clientX >= r.left && e.clientX < r.right && e.clientY >= r.top && e.clientY < r.bottom;
  }
  function light(b) {
    b.classList.toggle('down', [...fingers].some(([, f]) => f.button === b && f.in));
  }
  pad.addEventListener('pointerdown', (e) => {
    const b = e.target.closest('button');
    if (!b) return;
    e.preventDefault();
    fingers.set(e.pointerId, { button: b, in: true });
    light(b);
    resumeAudio();
  });
  window.addEventListener('pointermove', (e) => {
    const f = fingers.get(e.pointerId);
    if (!f) return;
    f.in = inside(f.button, e);
    light(f.button);
  });
  function lift(e, act) {
    const f = fingers.get(e.pointerId);
    if (!f) return;
    fingers.delete(e.pointerId);
    light(f.button);
    resumeAudio();
    if (act && inside(f.button, e)) send(+f.button.dataset.code);
  }
  window.addEventListener('pointerup', (e) => lift(e, true));
  window.addEventListener('pointercancel', (e) => lift(e, false));
  // No menu, no selection, no zoom by pinching.
  for (const type of ['contextmenu', 'selectstart', 'gesturestart']) {
    document.addEventListener(type, (e) => {
      if (document.body.classList.contains('touch')) e.preventDefault();
    });
  }

  const stage = document.getElementById('stage');
  const bar = document.getElementById('bar');
  function put(b, x, y, size) {
    Object.assign(b.style, { left: x + 'px', top: y + 'px', width: size + 'px', height: size + 'px' });
  }
  const clamp = (v, lo, hi) => Math.max(lo, Math.min(hi, v));
  function place() {
    stage.style.removeProperty('left');
    stage.style.removeProperty('right');
    stage.style.removeProperty('bottom');
    stage.style.removeProperty('height');
    if (document.body.classList.contains('touch')) {
      const W = window.innerWidth, H = window.innerHeight - bar.offsetHeight, g = 8;
      let b, cx, cy, ax, ay;
      if (W < H) {
        // Portrait: the picture across the width; below it the cross on
        // the left, Enter, Back and Restart on the right, Quit far above them.
        b = Math.round(clamp(W / 5.4, 48, 96));
        const top = Math.min(W * 0.75, H - 4 * b - 5 * g);
        stage.style.bottom = 'auto';
        stage.style.height = top + 'px';
        put(button.Quit, W - g - 0.75 * b, top + g, 0.75 * b);
        [cx, cy] = [g + 1.5 * b + 2, H - g - 1.5 * b - 2];
        [ax, ay] = [W - g - b, H - g - b];
      } else {
        // Landscape: the cross and Quit left of the picture, the rest right.
        b = Math.round(clamp(H / 5.6, 44, 80));
        const left = 3 * b + 4 + 2 * g, right = b + 2 * g;
        stage.style.left = left + 'px';
        stage.style.right = right + 'px';
        put(button.Quit, g, g, Math.max(44, 0.75 * b));
        [cx, cy] = [g + 1.5 * b + 2, H - g - 1.5 * b - 2];
        [ax, ay] = [W - g - b, H - g - b];
      }
      const s = b + 2;
      put(button.Up, cx - b / 2, cy - s - b / 2, b);
      put(button.Down, cx - b / 2, cy + s - b / 2, b);
      put(button.Left, cx - s - b / 2, cy - b / 2, b);
      put(button.Right, cx + s - b / 2, cy - b / 2, b);
      put(button.Enter, ax, ay, b);
      put(button.Back, ax, ay - b - g, b);
      put(button.Restart, ax, ay - 2 * (b + g), b);
    }
    if (typeof layout === 'function') layout();  // the picture in its new room
  }
  function show(touch) {
    if (document.body.classList.contains('touch') === touch) return;
    document.body.classList.toggle('touch', touch);
    place();
  }
  window.addEventListener('resize', place);
  // A real key or a pad puts the buttons away; the next touch brings them back.
  window.addEventListener('keydown', (e) => { if (e.isTrusted) show(false); }, true);
  window.addEventListener('gamepadconnected', () => show(false));
  window.addEventListener('pointerdown', (e) => { if (e.pointerType === 'touch') show(true); }, true);
  show(matchMedia('(pointer: coarse)').matches || matchMedia('(hover: none)').matches);
  place();
})();
