// Before the game starts: the folder kept in the browser's storage is
// mounted and filled from IndexedDB, so score.ini is there as last written.
Module.preRun = Module.preRun || [];
Module.preRun.push(function () {
  FS.mkdir('/persist');
  FS.mount(IDBFS, {}, '/persist');
  addRunDependency('persist');
  FS.syncfs(true, function (err) {
    if (err && Module.swStorageError) Module.swStorageError(String(err));
    removeRunDependency('persist');
  });
});

// The page's loader places each tune in the program folder as it arrives;
// the sound layer then loads it, and plays it if the game already asked.
Module.swPlaceTune = function (path, bytes) {
  if (document.body.dataset.ended) return;
  FS.writeFile(path, bytes);
  if (Module._sw_tune_arrived()) document.body.dataset.music = 'playing';
};
