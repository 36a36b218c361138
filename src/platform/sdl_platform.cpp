#include "platform/sdl_platform.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "game/keycodes.h"
#include "platform/keymap.h"

namespace sw {

uint32_t ClockSeed() {
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    return static_cast<uint32_t>(now ^ (now >> 32));
}

SdlPlatform::SdlPlatform(PlatformOptions options)
    : options_(std::move(options)), rng_(options_.seed.value_or(ClockSeed())) {
    // The generator is seeded at once as well, so that the first deal
    // (made before start-up reseeds it) also differs from run to run.
    if (options_.appPath) {
        appPath_ = *options_.appPath;
    } else if (char* base = SDL_GetBasePath()) {
        appPath_ = base;
        SDL_free(base);
    } else {
        appPath_ = "./";
    }
    if (!appPath_.empty() && appPath_.back() != '/' && appPath_.back() != '\\') appPath_ += '/';
}

void SdlPlatform::Randomize() {
    rng_.Seed(options_.seed.value_or(ClockSeed()));
}

void SdlPlatform::MsgBox(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
    if (!options_.throwOnEnd) {
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, "Seven Well", text.c_str(),
                                 gfx_ ? gfx_->Window() : nullptr);
    }
}

void SdlPlatform::End(int status) {
    if (options_.throwOnEnd) throw ProgramEnded{status};
    std::fflush(stdout);
    std::fflush(stderr);
    SDL_Quit();
    std::_Exit(status);
}

void SdlPlatform::ShowCursor(bool show) {
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void SdlPlatform::OpenSoundDevice() {
    if (!snd_) throw RunTimeError("no sound layer attached");
    snd_->Open();
}

void SdlPlatform::ReportRunTimeError(const std::string& message) {
    const std::string text = "Seven Well stopped with a run-time error:\n" + message;
    MsgBox(text);
    End(2);
    std::abort();  // not reached
}

void SdlPlatform::HandleEvent(Form1& form, const SDL_Event& event) {
    switch (event.type) {
        case SDL_QUIT:
            form.CloseWindow();
            break;
        case SDL_WINDOWEVENT:
            if (gfx_ && (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
                         event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)) {
                gfx_->Repaint();
            }
            break;
        case SDL_KEYDOWN:
            if (event.key.repeat) break;
            if (IsFullscreenToggle(event.key)) {
                // Alt+Enter belongs to the window: switch at once, and keep
                // the release of that Enter from the game, whichever key is
                // let go first.
                if (gfx_) gfx_->ToggleFullscreen();
                swallowEnterUp_ = true;
            } else if (int16_t code = VirtualKey(event.key.keysym.sym)) {
                form.Form_KeyDown(code, 0);
            }
            break;
        case SDL_KEYUP:
            if (int16_t code = VirtualKey(event.key.keysym.sym)) {
                if (code == kKeyEnter && swallowEnterUp_) {
                    swallowEnterUp_ = false;
                } else {
                    form.Form_KeyUp(code, 0);
                }
            }
            break;
        default:
            break;
    }
}

void SdlPlatform::Run(Form1& form) {
    try {
        timer2_.Start(SDL_GetTicks64(), 1000);
        form.Form_Load();
        if (timer1Interval_ > 0)
            timer1_.Start(SDL_GetTicks64(), static_cast<uint32_t>(timer1Interval_));
        for (;;) {
            // Sleep until an event comes or a timer is due; never spin.
            uint64_t now = SDL_GetTicks64();
            const uint64_t wait = timer1_.Wait(now, timer2_.Wait(now, 1000));
            SDL_Event event;
            if (SDL_WaitEventTimeout(&event, static_cast<int>(wait))) {
                HandleEvent(form, event);
                while (SDL_PollEvent(&event)) HandleEvent(form, event);
            }
            now = SDL_GetTicks64();
            if (timer1_.Fire(now)) form.Timer1_Timer();
            if (timer2_.Fire(now)) form.Timer2_Timer();
        }
    } catch (const RunTimeError& e) {
        ReportRunTimeError(e.what());
    } catch (const std::exception& e) {
        ReportRunTimeError(e.what());
    }
}

}  // namespace sw
