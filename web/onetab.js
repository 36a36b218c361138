// One game per browser: every tab of the site shares score.ini, so only
// the tab holding the lock runs the game. Another tab waits and offers to
// take the game over; the tab it is taken from closes its game as Escape
// would. The taking tab reads score.ini again first, so a record the other
// tab set is kept.
'use strict';
(function () {
  if (!navigator.locks) return;  // an old browser: every tab plays, as before
  const kLock = 'sevenwell-game';
  let allowed = false, waiting = false, taken = false, release;
  const hold = (lock) => new Promise((ok) => { release = ok; });

  // The game's start waits (a run dependency of the page's runtime) until
  // this tab holds the lock.
  Module.preRun = Module.preRun || [];
  Module.preRun.push(() => {
    if (allowed) return;
    waiting = true;
    addRunDependency('one game');
  });
  // A tab that took the game over reads score.ini again (the game's own
  // first read is long done then); a tab that had the lock at once reads
  // it only once, with the game.
  function start(taken) {
    allowed = true;
    document.getElementById('panel').style.display = '';
    if (!waiting) return;
    if (!taken) return void removeRunDependency('one game');
    FS.syncfs(true, (err) => {
      if (err && Module.swStorageError) Module.swStorageError(String(err));
      removeRunDependency('one game');
    });
  }

  function offer() {
    const take = document.createElement('button');
    take.textContent = 'Play here';
    document.getElementById('again').after(take);
    document.getElementById('message').textContent = 'Seven Well is open in another tab.';
    document.getElementById('note').textContent =
      'Only one tab plays at a time. Playing here ends the game in the other tab.';
    document.getElementById('panel').style.display = 'flex';
    take.addEventListener('click', () => {
      take.remove();
      navigator.locks.request(kLock, { steal: true }, (lock) => { start(true); return hold(lock); })
        .catch(lost);
    });
  }

  // The lock went to another tab: this tab's game closes at once.
  function lost() {
    taken = true;
    if (!document.body.dataset.ended && Module._sw_page_close) {
      try { Module._sw_page_close(); } catch (e) { /* it has ended */ }
    }
    document.getElementById('message').textContent = 'Seven Well is now played in another tab.';
  }

  // A game that ends lets another tab have the lock.
  const ended = Module.swEnded;
  Module.swEnded = (code) => {
    if (release) release();
    if (ended) ended(code);
    if (taken) document.getElementById('message').textContent = 'Seven Well is now played in another tab.';
  };

  navigator.locks.request(kLock, { ifAvailable: true }, (lock) => {
    if (!lock) {
      offer();
      return undefined;
    }
    start();
    return hold(lock);
  }).catch(lost);
})();
