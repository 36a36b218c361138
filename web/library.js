// The game's calls into the page (web/index.html sets the Module.sw...
// hooks), for src/platform/web_platform.cpp.
mergeInto(LibraryManager.library, {
  // The game's own message: a refused score file, a run-time error.
  sw_page_message: function (text) {
    if (Module.swMessage) Module.swMessage(UTF8ToString(text));
  },
  sw_page_ended: function (status) {
    if (Module.swEnded) Module.swEnded(status);
  },
  // Writes what the kept folder holds to IndexedDB in one transaction, so
  // a later visit sees the old score file or the new one, never a mix.
  sw_page_store: function () {
    FS.syncfs(false, function (err) {
      if (Module.swStored) Module.swStored(err ? String(err) : '');
    });
  },
  // The changed rectangle of the picture onto the canvas: the picture is
  // RGBA in the game's memory, seen through one image data that is made
  // again only when that memory moves.
  sw_page_canvas: function (pixels, width, height, x, y, w, h) {
    var s = Module.swCanvas;
    if (!s || s.image.data.buffer !== HEAPU8.buffer || s.pixels !== pixels || s.image.width !== width) {
      var data = new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4);
      s = Module.swCanvas = { pixels: pixels, ctx: Module.canvas.getContext('2d'),
                              image: new ImageData(data, width, height) };
    }
    s.ctx.putImageData(s.image, 0, 0, x, y, w, h);
  },
  // SDL's browser audio calls these two helpers of Emscripten's library,
  // which the link leaves out unless something asks for them.
  sw_audio_helpers__deps: ['$autoResumeAudioContext', '$dynCall'],
  sw_audio_helpers: function () {},
});
