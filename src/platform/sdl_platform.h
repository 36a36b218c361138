// The platform on SDL2: the event loop with the two timers, the hold while
// the window is away, message boxes, the program folder, the random
// generator and the error report. It owns the picture and sound layers and
// hands them to the game window.
#pragma once

#include <SDL.h>

#include <optional>
#include <string>

#include "game/form1.h"
#include "game/interfaces.h"
#include "game/random.h"
#include "platform/events.h"
#include "platform/timers.h"
#include "present/graphics_sdl.h"
#include "present/sound_sdl.h"

namespace sw {

struct PlatformOptions {
    std::optional<uint32_t> seed;        // fixed seed instead of the clock
    std::optional<std::string> appPath;  // program folder instead of the executable's
    bool throwOnEnd = false;             // tools: End() throws ProgramEnded
};

class SdlPlatform : public IPlatform {
  public:
    explicit SdlPlatform(PlatformOptions options = {});
    SdlPlatform(const SdlPlatform&) = delete;
    SdlPlatform& operator=(const SdlPlatform&) = delete;

    SdlGraphics& Graphics() { return graphics_; }
    SdlSound& Sound() { return sound_; }

    void Randomize() override;
    double Rnd() override { return rng_.Next(); }
    std::string AppPath() override { return appPath_; }
    std::string RecordsFolder() override { return recordsFolder_; }
    // The game's one box: the refusal of its score file, so the caption
    // names that file in full.
    void MsgBox(const std::string& text) override;
    [[noreturn]] void End(int status) override;
    void SetTimer1Interval(int16_t ms) override { timer1Interval_ = ms; }
    void ShowCursor(bool show) override;
    void OpenSoundDevice() override { sound_.Open(); }

    // Loads the window and runs its events until the program ends. Never
    // returns in the real game: every way out ends the program.
    [[noreturn]] void Run(Form1& form);

    // One path for every run-time error: a box and stderr, then the end.
    [[noreturn]] void ReportRunTimeError(const std::string& message);

  private:
    void Handle(Form1& form, const SDL_Event& event);
    void Hold(bool hold);
    void SetWindowIcon();
#ifdef __EMSCRIPTEN__
    // The browser's loop: one animation frame's events and timers, and
    // the score file handed to the browser's storage once it has changed.
    static void Frame(void* self);
    // Holding, going on and closing come from the page's own events,
    // which fire even while the tab is hidden and its frames stop: they
    // are acted on the moment they arrive, not at the next frame.
    static int AtOnce(void* self, SDL_Event* event);
    void PersistScore();
    Form1* form_ = nullptr;
    std::string scoreStamp_;
#endif

    PlatformOptions options_;
    std::string appPath_, recordsFolder_;
    Random rng_;
    int16_t timer1Interval_ = 0;
    PeriodicTimer timer1_, timer2_;
    EventTranslator events_;
    // Built last: they keep a reference to this platform.
    SdlGraphics graphics_{*this};
    SdlSound sound_{*this};
};

// The first line of every run-time error's report, on either platform.
inline constexpr const char* kRunTimeErrorHeading = "Seven Well stopped with a run-time error:\n";

// Where the records of a game in appPath go (given: a folder named to the
// tools, whose records stay there).
std::string RecordsFolderFor(const std::string& appPath, bool given);

// Seed from the clock, as the game always did at start-up.
uint32_t ClockSeed();

// Why the game has no screen to show itself on, or nothing when it has one.
// Without a display SDL would fall back to a driver that draws nowhere and
// the game would play unseen; a driver named in SDL_VIDEODRIVER (the tools
// and tests ask for the dummy one) is taken as asked.
std::optional<std::string> NoDisplay();

}  // namespace sw
