// The platform on SDL2: the event loop with the two timers, key mapping,
// message box, program folder, the random generator and the error report.
#pragma once

#include <SDL.h>

#include <optional>
#include <string>

#include "game/form1.h"
#include "game/interfaces.h"
#include "game/random.h"
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

    void Attach(SdlGraphics* graphics, SdlSound* sound) {
        gfx_ = graphics;
        snd_ = sound;
    }

    void Randomize() override;
    double Rnd() override { return rng_.Next(); }
    std::string AppPath() override { return appPath_; }
    void MsgBox(const std::string& text) override;
    [[noreturn]] void End(int status) override;
    void SetTimer1Interval(int16_t ms) override { timer1Interval_ = ms; }
    void ShowCursor(bool show) override;
    void OpenSoundDevice() override;

    // Loads the window and runs its events until the program ends. Never
    // returns in the real game: every way out ends the program.
    [[noreturn]] void Run(Form1& form);

    // One path for every run-time error: a box and stderr, then the end.
    [[noreturn]] void ReportRunTimeError(const std::string& message);

  private:
    void HandleEvent(Form1& form, const SDL_Event& event);

    PlatformOptions options_;
    std::string appPath_;
    Random rng_;
    SdlGraphics* gfx_ = nullptr;
    SdlSound* snd_ = nullptr;
    int16_t timer1Interval_ = 0;
    bool swallowEnterUp_ = false;
    PeriodicTimer timer1_, timer2_;
};

// Seed from the clock, as the game always did at start-up.
uint32_t ClockSeed();

}  // namespace sw
