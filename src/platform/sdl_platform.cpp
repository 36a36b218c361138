#include "platform/sdl_platform.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"
#ifndef __EMSCRIPTEN__
#include "platform/message_box.h"
#endif

namespace sw {

uint32_t ClockSeed() {
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    return static_cast<uint32_t>(now ^ (now >> 32));
}

std::optional<std::string> NoDisplay() {
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if (asked && *asked) return std::nullopt;
    if (StartDisplay() != 0) return std::string(SDL_GetError());
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0 &&
        SDL_GetNumVideoDisplays() > 0) {
        return std::nullopt;
    }
    std::string why = std::string("SDL found only its ") + (driver ? driver : "no") +
                      " video driver, which shows nothing";
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return why;
}

SdlPlatform::SdlPlatform(PlatformOptions options)
    : options_(std::move(options)), rng_(options_.seed.value_or(ClockSeed())) {
    // The generator is seeded at once as well, so that the first deal
    // (made before start-up reseeds it) also differs from run to run.
    if (options_.appPath) {
        appPath_ = *options_.appPath;
#ifdef SW_DATA_DIR
    } else if (*SW_DATA_DIR) {
        // A packaged game: the program in one place, its pictures and
        // sounds in the system's folder for games' data.
        appPath_ = SW_DATA_DIR;
#endif
    } else if (char* base = SDL_GetBasePath()) {
        appPath_ = base;
        SDL_free(base);
    } else {
        appPath_ = "./";
    }
    if (!appPath_.empty() && appPath_.back() != '/' && appPath_.back() != '\\') appPath_ += '/';
    recordsFolder_ = RecordsFolderFor(appPath_, options_.appPath.has_value());
}

std::string RecordsFolderFor(const std::string& appPath, bool given) {
    // The records stay beside the program in a folder the player owns (a
    // build, an install in their home, an unzipped game, a folder named to
    // the tools), and go to the player's data folder where the program's
    // folder is shared: a packaged game's, always, or one the player does
    // not own or cannot write to. The browser keeps them in its storage.
#ifdef __EMSCRIPTEN__
    return appPath;
#else
    bool packaged = false;
#ifdef SW_DATA_DIR
    packaged = *SW_DATA_DIR != 0;
#endif
    if (given || (!packaged && FolderIsPlayers(appPath))) return appPath;
    const std::string own = PlayerDataFolder();
    return own.empty() ? appPath : own;
#endif
}

void SdlPlatform::Randomize() {
    rng_.Seed(options_.seed.value_or(ClockSeed()));
}

void SdlPlatform::ShowCursor(bool show) {
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

#ifndef __EMSCRIPTEN__
// The browser has its own versions of these in web_platform.cpp.
void SdlPlatform::MsgBox(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
    if (options_.throwOnEnd) return;
    ShowMessageBox(SDL_MESSAGEBOX_WARNING, "Seven Well: " + recordsFolder_ + "score.ini", text,
                   graphics_.Window());
}

void SdlPlatform::End(int status) {
    if (options_.throwOnEnd) throw ProgramEnded{status};
    std::fflush(stdout);
    std::fflush(stderr);
    SDL_Quit();
    std::_Exit(status);
}

void SdlPlatform::ReportRunTimeError(const std::string& message) {
    const std::string text = kRunTimeErrorHeading + message;
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
    if (!options_.throwOnEnd) {
        ShowMessageBox(SDL_MESSAGEBOX_ERROR, "Seven Well", text, graphics_.Window());
    }
    End(2);
    std::abort();  // not reached
}

#endif

void SdlPlatform::Hold(bool hold) {
    // Away: no ticks, no clock seconds, no sound. Back: the timers go on
    // with what was left of their periods, so the game takes up the same
    // tick and the same second, with no burst of ticks to catch up.
    const uint64_t now = SDL_GetTicks64();
    if (hold) {
        timer1_.Pause(now);
        timer2_.Pause(now);
    } else {
        timer1_.Resume(now);
        timer2_.Resume(now);
    }
    if (sound_.IsOpen()) {
        if (hold) {
            Mix_Pause(-1);
            Mix_PauseMusic();
        } else {
            Mix_Resume(-1);
            Mix_ResumeMusic();
        }
    }
}

void SdlPlatform::SetWindowIcon() {
    // The icon is a nicety: without it the game still plays, so a missing
    // or damaged icon file is reported and passed over.
    SDL_Window* window = graphics_.Window();
    if (!window) return;
    const std::string path = appPath_ + "icon.bmp";
    SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
    SDL_Surface* icon = file ? SDL_LoadBMP_RW(file, 1) : nullptr;
    if (!icon) {
        std::fprintf(stderr, "Seven Well: no window icon: cannot read %s: %s\n", path.c_str(),
                     SDL_GetError());
        return;
    }
    ::SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
}

void SdlPlatform::Handle(Form1& form, const SDL_Event& event) {
    const WindowAction action = events_.Translate(event);
    switch (action.kind) {
        case WindowAction::kKeyDown:
            form.Form_KeyDown(action.code, 0);
            break;
        case WindowAction::kKeyUp:
            form.Form_KeyUp(action.code, 0);
            break;
        case WindowAction::kToggleFullscreen:
            graphics_.ToggleFullscreen();
            break;
        case WindowAction::kClose:
            form.CloseWindow();
            break;
        case WindowAction::kRepaint:
            if (graphics_.HasWindow()) graphics_.Repaint();
            break;
        case WindowAction::kHold:
        case WindowAction::kResume:
            Hold(action.kind == WindowAction::kHold);
            break;
        case WindowAction::kNothing:
            break;
    }
}

#ifndef __EMSCRIPTEN__
void SdlPlatform::Run(Form1& form) {
    try {
        // Gamepads are welcome but not needed: without the subsystem the
        // keyboard still plays.
        SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
        timer2_.Start(SDL_GetTicks64(), 1000);
        form.Form_Load();
        SetWindowIcon();
        if (timer1Interval_ > 0)
            timer1_.Start(SDL_GetTicks64(), static_cast<uint32_t>(timer1Interval_));
        for (;;) {
            // Sleep until an event comes or a timer is due; never spin.
            uint64_t now = SDL_GetTicks64();
            const uint64_t wait = timer1_.Wait(now, timer2_.Wait(now, 1000));
            SDL_Event event;
            if (SDL_WaitEventTimeout(&event, static_cast<int>(wait))) {
                Handle(form, event);
                while (SDL_PollEvent(&event)) Handle(form, event);
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

#endif

}  // namespace sw
