// The platform's browser side: the loop runs from the browser's animation
// frames, the game's one box and its end are shown in the page, the score
// file is handed to the browser's storage after every write, and the page's
// buttons and tabs reach the game as keys and the close command.
#include <emscripten.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

#include "game/keycodes.h"
#include "platform/sdl_platform.h"

namespace sw {

namespace {

// score.ini in the program folder is a link into this folder, which the
// page keeps in the browser's storage (IndexedDB).
constexpr const char* kStored = "/persist/score.ini";

}  // namespace

// The page's side, in web/library.js.
extern "C" {
void sw_page_message(const char* text);
void sw_page_ended(int status);
void sw_page_store();
}

namespace {

// What identifies one version of the stored file: a write replaces it by
// renaming a new file over it, which brings a new node.
std::string Stamp() {
    struct stat st;
    if (stat(kStored, &st) != 0) return "";
    return std::to_string(st.st_ino) + ":" + std::to_string(st.st_size) + ":" +
           std::to_string(st.st_mtime);
}

}  // namespace

void SdlPlatform::MsgBox(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
    sw_page_message(text.c_str());
}

void SdlPlatform::End(int status) {
    std::fflush(stdout);
    std::fflush(stderr);
    emscripten_cancel_main_loop();
    if (sound_.IsOpen()) {
        Mix_HaltChannel(-1);
        Mix_HaltMusic();
    }
    sw_page_ended(status);
    // Unwinds the program's stack back to the browser for good.
    emscripten_force_exit(status);
    std::abort();  // not reached
}

void SdlPlatform::ReportRunTimeError(const std::string& message) {
    const std::string text = kRunTimeErrorHeading + message;
    std::fprintf(stderr, "%s\n", text.c_str());
    sw_page_message(text.c_str());
    End(2);
}

void SdlPlatform::PersistScore() {
    std::string now = Stamp();
    if (now == scoreStamp_) return;
    scoreStamp_ = std::move(now);
    sw_page_store();
}

int SdlPlatform::AtOnce(void* self, SDL_Event* event) {
    bool now = event->type == SDL_QUIT;
    if (event->type == SDL_WINDOWEVENT) {
        switch (event->window.event) {
            case SDL_WINDOWEVENT_HIDDEN:
            case SDL_WINDOWEVENT_SHOWN:
            case SDL_WINDOWEVENT_MINIMIZED:
            case SDL_WINDOWEVENT_RESTORED:
            case SDL_WINDOWEVENT_MAXIMIZED:
            case SDL_WINDOWEVENT_FOCUS_LOST:
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                now = true;
                break;
            default:
                break;
        }
    }
    if (!now) return 1;  // into the queue, for the next frame
    auto& p = *static_cast<SdlPlatform*>(self);
    try {
        p.Handle(*p.form_, *event);
    } catch (const std::exception& e) {
        p.ReportRunTimeError(e.what());
    }
    return 0;
}

void SdlPlatform::Frame(void* self) {
    // Once per animation frame: the events that came, then each timer
    // that is due fires once. A frame later than a period (the 10 ms tick
    // at 60 frames a second, or a tab in the background) still fires it
    // once, with no catch-up burst, as the desktop timers do.
    auto& p = *static_cast<SdlPlatform*>(self);
    try {
        SDL_Event event;
        while (SDL_PollEvent(&event)) p.Handle(*p.form_, event);
        const uint64_t now = SDL_GetTicks64();
        if (p.timer1_.Fire(now)) p.form_->Timer1_Timer();
        if (p.timer2_.Fire(now)) p.form_->Timer2_Timer();
        p.PersistScore();
    } catch (const std::exception& e) {
        p.ReportRunTimeError(e.what());
    }
}

// The first frame hands the score file to the storage once, so a first
// visit keeps its two lines of zeros.
void SdlPlatform::Run(Form1& form) {
    form_ = &form;
    try {
        SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
        timer2_.Start(SDL_GetTicks64(), 1000);
        form.Form_Load();
        if (timer1Interval_ > 0)
            timer1_.Start(SDL_GetTicks64(), static_cast<uint32_t>(timer1Interval_));
        SDL_SetEventFilter(&SdlPlatform::AtOnce, this);
    } catch (const std::exception& e) {
        ReportRunTimeError(e.what());
    }
    // Hands the loop to the browser; never comes back here.
    emscripten_set_main_loop_arg(&SdlPlatform::Frame, this, 0, 1);
    std::abort();  // not reached
}

}  // namespace sw

// The page's on-screen buttons: the release of one of the game's key codes,
// queued as the keyboard's own release would be, so it goes the same way
// (nothing while the game is held).
extern "C" EMSCRIPTEN_KEEPALIVE void sw_page_key(int code) {
    const SDL_Keycode sym = sw::KeyFor(static_cast<int16_t>(code));
    if (sym == SDLK_UNKNOWN) return;
    SDL_Event event{};
    event.type = SDL_KEYUP;
    event.key.state = SDL_RELEASED;
    event.key.keysym.sym = sym;
    SDL_PushEvent(&event);
}

// Another tab of the site takes the game over: this one closes its window
// as Escape would, at once, even while hidden.
extern "C" EMSCRIPTEN_KEEPALIVE void sw_page_close() {
    SDL_Event event{};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
}
