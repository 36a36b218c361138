// SDL's browser audio calls these two helpers of Emscripten's library,
// which the link leaves out unless something asks for them.
mergeInto(LibraryManager.library, {
  sw_audio_helpers__deps: ['$autoResumeAudioContext', '$dynCall'],
  sw_audio_helpers: function () {},
});
