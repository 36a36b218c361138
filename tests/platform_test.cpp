// The event loop's timers, and what SDL events mean to the game: keys and
// gamepads acting on release only, once, and the hold while the window is
// away; and the wrapping of the message box's lines.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "game/keycodes.h"
#include "platform/events.h"
#include "platform/message_box.h"
#include "platform/sdl_platform.h"
#include "platform/timers.h"

using namespace sw;

namespace {

constexpr WindowAction kNone{};
WindowAction Up(int16_t code) {
    return {WindowAction::kKeyUp, code};
}

SDL_Event Key(Uint32 type, SDL_Keycode sym, Uint16 mod = 0, Uint8 repeat = 0) {
    return {.key = {type, 0, 0, 0, repeat, 0, 0, {SDL_SCANCODE_UNKNOWN, sym, mod, 0}}};
}

SDL_Event Window(Uint8 what) {
    return {.window = {SDL_WINDOWEVENT, 0, 0, what, 0, 0, 0, 0, 0}};
}

}  // namespace

TEST(Timer, FiresOnTimeALateTimerFiresOnceAndAPauseKeepsThePhase) {
    sw::PeriodicTimer t;
    EXPECT_FALSE(t.Fire(0)) << "a timer with no period never fires";
    EXPECT_EQ(t.Wait(0, 1000), 1000u);
    t.Start(100, 10);
    EXPECT_EQ(t.Wait(100, 1000), 10u);
    EXPECT_FALSE(t.Fire(109));
    EXPECT_TRUE(t.Fire(110));
    EXPECT_TRUE(t.Fire(121)) << "a little late still fires";
    EXPECT_EQ(t.Wait(121, 1000), 9u) << "and keeps its rhythm";
    // Half a second late: one firing, not fifty, then a fresh period.
    EXPECT_TRUE(t.Fire(630));
    EXPECT_FALSE(t.Fire(631));
    EXPECT_TRUE(t.Fire(640));
    // Paused 4 ms into a 10 ms period for three seconds: nothing fires,
    // and back it still has its 6 ms to go, with no catch-up.
    t.Pause(644);
    EXPECT_FALSE(t.Fire(3000));
    EXPECT_EQ(t.Wait(3000, 1000), 1000u);
    t.Resume(3644);
    EXPECT_FALSE(t.Fire(3649));
    EXPECT_TRUE(t.Fire(3650));
    EXPECT_FALSE(t.Fire(3651));
    t.Stop();
    EXPECT_FALSE(t.Fire(10000));
}

// Keys and a virtual pad: each code on release, once, none on press or
// auto-repeat, none from a stick resting past its threshold, none while the
// window is away.
TEST(Events, KeysAndPadsActOnReleaseOnceWithAltEnterKeptFromTheGame) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    const int device = SDL_JoystickAttachVirtual(
        SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
    ASSERT_GE(device, 0) << SDL_GetError();
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(device);
    const auto pad = [id](int b, Uint32 type = SDL_CONTROLLERBUTTONUP) {
        return SDL_Event{.cbutton = {type, 0, id, Uint8(b), 0, 0, 0}};
    };
    const auto stick = [id](Uint8 axis, Sint16 v) {
        return SDL_Event{.caxis = {SDL_CONTROLLERAXISMOTION, 0, id, axis, 0, 0, 0, v, 0}};
    };
    using A = WindowAction;
    const A toggle{A::kToggleFullscreen}, enter = Up(kKeyEnter), left{A::kKeyDown, kKeyLeft},
                                          close{A::kClose}, repaint{A::kRepaint}, hold{A::kHold},
                                          resume{A::kResume}, no = kNone;
    constexpr Uint8 kX = SDL_CONTROLLER_AXIS_LEFTX, kY = SDL_CONTROLLER_AXIS_LEFTY;
    struct Case {
        const char* what;
        std::vector<SDL_Event> events;
        std::vector<WindowAction> want;  // what each event means
    };
    std::vector<Case> cases = {
        {"press, auto-repeat, release; modifiers change nothing",
         {Key(SDL_KEYDOWN, SDLK_LEFT), Key(SDL_KEYDOWN, SDLK_LEFT, 0, 1), Key(SDL_KEYUP, SDLK_LEFT),
          Key(SDL_KEYUP, SDLK_r, KMOD_LSHIFT | KMOD_RCTRL),
          Key(SDL_KEYUP, SDLK_BACKSPACE, KMOD_ALT)},
         {left, no, Up(kKeyLeft), Up(kKeyR), Up(kKeyBack)}},
        {"both Enters, and keys the game has not",
         {Key(SDL_KEYUP, SDLK_KP_ENTER), Key(SDL_KEYUP, SDLK_RETURN), Key(SDL_KEYUP, SDLK_a),
          Key(SDL_KEYDOWN, SDLK_SPACE)},
         {enter, enter, no, no}},
        {"Alt+Enter, Alt let go first",
         {Key(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT), Key(SDL_KEYUP, SDLK_LALT),
          Key(SDL_KEYUP, SDLK_RETURN), Key(SDL_KEYUP, SDLK_RETURN)},
         {toggle, no, no, enter}},
        {"Alt+keypad Enter, Enter let go first",
         {Key(SDL_KEYDOWN, SDLK_KP_ENTER, KMOD_RALT), Key(SDL_KEYUP, SDLK_KP_ENTER, KMOD_RALT),
          Key(SDL_KEYUP, SDLK_RALT), Key(SDL_KEYUP, SDLK_KP_ENTER)},
         {toggle, no, no, enter}},
        {"the window's own events; away and back: held while either minimised or unfocused",
         {SDL_Event{SDL_QUIT}, Window(SDL_WINDOWEVENT_EXPOSED),
          Window(SDL_WINDOWEVENT_SIZE_CHANGED), Window(SDL_WINDOWEVENT_MOVED),
          Window(SDL_WINDOWEVENT_FOCUS_LOST), Window(SDL_WINDOWEVENT_MINIMIZED),
          Key(SDL_KEYUP, SDLK_DOWN), Window(SDL_WINDOWEVENT_FOCUS_GAINED),
          Window(SDL_WINDOWEVENT_RESTORED), Key(SDL_KEYUP, SDLK_DOWN)},
         {close, repaint, repaint, no, hold, no, no, no, resume, Up(kKeyDown)}},
        // The left stick pushed, eased back to between the two thresholds
        // and pushed again, back to the middle: one release. Across to the
        // other side at once: the first side let go. A nudge below the
        // threshold, and the right stick: nothing.
        {"the sticks",
         {stick(kX, -20000), stick(kX, -32768), stick(kX, -12000), stick(kX, -20000), stick(kX, 0),
          stick(kX, 30000), stick(kX, -30000), stick(kX, 0), stick(kY, -17000), stick(kY, 0),
          stick(kY, 32767), stick(kY, 9000), stick(kY, 2000), stick(kY, 12000), stick(kY, 15000),
          stick(kY, 0), stick(SDL_CONTROLLER_AXIS_RIGHTX, 32767)},
         {no, no, no, no, Up(kKeyLeft), no, Up(kKeyRight), Up(kKeyLeft), no, Up(kKeyUp), no, no,
          Up(kKeyDown), no, no, no, no}},
    };
    // Each button pressed and let go, from A to the pad's right (0 for no
    // code): A, B, X, Y, Back, Guide, Start, the sticks and shoulders, then
    // the pad; then a release the pad repeats.
    const int16_t codes[] = {kKeyEnter, kKeyBack, 0, kKeyR,  kKeyEscape, 0,        0,        0,
                             0,         0,        0, kKeyUp, kKeyDown,   kKeyLeft, kKeyRight};
    Case& buttons = cases.emplace_back(Case{"the buttons", {pad(0)}, {no}});
    for (int b = 0; b <= SDL_CONTROLLER_BUTTON_DPAD_RIGHT; ++b) {
        buttons.events.insert(buttons.events.end(), {pad(b, SDL_CONTROLLERBUTTONDOWN), pad(b)});
        buttons.want.insert(buttons.want.end(), {no, codes[b] ? Up(codes[b]) : no});
    }
    buttons.events.push_back(pad(0)), buttons.want.push_back(no);
    for (const auto& c : cases) {
        sw::EventTranslator t;
        EXPECT_EQ(t.Translate({.cdevice = {SDL_CONTROLLERDEVICEADDED, 0, device}}), no);
        ASSERT_EQ(t.Pads(), 1) << "the pad is opened as it is plugged in";
        std::vector<WindowAction> got;
        for (const SDL_Event& e : c.events) got.push_back(t.Translate(e));
        EXPECT_EQ(got, c.want) << c.what;
        t.Translate({.cdevice = {SDL_CONTROLLERDEVICEREMOVED, 0, id}});
        EXPECT_EQ(t.Pads(), 0) << "a pad pulled out is closed";
    }
    SDL_JoystickDetachVirtual(device);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

TEST(MessageBox, LongLinesWrapAtSpacesAndInsidePaths) {
    const std::string path = "/home/player/games/a-rather-long-folder-name/sevenwell/pic/etc.bmp";
    EXPECT_EQ(sw::WrapForBox("cannot open the picture " + path + ": No such file", 40),
              "cannot open the picture /home/player/\ngames/a-rather-long-folder-name/\n"
              "sevenwell/pic/etc.bmp: No such file");
    EXPECT_EQ(sw::WrapForBox("short\nlines stay", 40), "short\nlines stay");
    EXPECT_EQ(sw::WrapForBox("no such file or folder", 10), "no such\nfile or\nfolder");
    // Japanese takes two columns a character: 9 narrow characters and 11
    // wide ones are 31 columns.
    const std::string refusal = "score.iniのファイルが不正です。";
    EXPECT_EQ(sw::WrapForBox(refusal, 31), refusal);
    EXPECT_EQ(sw::WrapForBox(refusal, 20), "score.iniのファイル\nが不正です。");
    EXPECT_EQ(sw::WrapForBox(std::string(25, 'x'), 10), "xxxxxxxxxx\nxxxxxxxxxx\nxxxxx");
}

#ifndef _WIN32
TEST(Records, StayBesideTheProgramOnlyInAFolderThePlayerOwnsAndCanWrite) {
    namespace fs = std::filesystem;
    const fs::path top =
        fs::temp_directory_path() / ("sevenwell-records-" + std::to_string(getpid()));
    const std::string mine = (top / "mine/").string(), shared = (top / "shared/").string();
    fs::create_directories(mine), fs::create_directories(shared);
    // Another player's folder (as root), or one the player cannot write to.
    if (geteuid() == 0) {
        ASSERT_EQ(chown(shared.c_str(), 65534, 65534), 0);
    } else {
        fs::permissions(shared, fs::perms::owner_read | fs::perms::owner_exec);
    }
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("XDG_DATA_HOME", (top / "data").c_str(), 1);
    EXPECT_EQ(RecordsFolderFor(mine, false), mine);
    EXPECT_EQ(RecordsFolderFor(shared, false), (top / "data/sevenwell/").string());
    EXPECT_EQ(RecordsFolderFor(shared, true), shared) << "a folder named to the tools";
    setenv("XDG_DATA_HOME", "relative/data", 1);  // not absolute: as if unset
    setenv("HOME", top.c_str(), 1);
    EXPECT_EQ(RecordsFolderFor(shared, false), (top / ".local/share/sevenwell/").string());
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", home.c_str(), 1);
    fs::permissions(shared, fs::perms::owner_all);
    fs::remove_all(top);
}
#endif
