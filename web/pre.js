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
