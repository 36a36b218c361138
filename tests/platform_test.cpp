// The event loop's timers and the key mapping.
#include <gtest/gtest.h>

#include "platform/keymap.h"
#include "platform/timers.h"

TEST(Timer, FiresOnTimeAndALateTimerFiresOnce) {
    sw::PeriodicTimer t;
    EXPECT_FALSE(t.Fire(0)) << "a timer with no period never fires";
    EXPECT_EQ(t.Wait(0, 1000), 1000u);
    t.Start(100, 10);
    EXPECT_EQ(t.Wait(100, 1000), 10u);
    EXPECT_FALSE(t.Fire(109));
    EXPECT_TRUE(t.Fire(110));
    EXPECT_FALSE(t.Fire(110)) << "once per period";
    EXPECT_TRUE(t.Fire(121)) << "a little late still fires";
    EXPECT_EQ(t.Wait(121, 1000), 9u) << "and keeps its rhythm";
    // Half a second late: one firing, not fifty, then a fresh period.
    EXPECT_TRUE(t.Fire(630));
    EXPECT_FALSE(t.Fire(631));
    EXPECT_FALSE(t.Fire(639));
    EXPECT_TRUE(t.Fire(640));
    EXPECT_EQ(t.Wait(640, 3), 3u) << "the wait is capped";
    t.Stop();
    EXPECT_FALSE(t.Fire(10000));
}

TEST(Keys, SdlKeysMapToTheGamesCodes) {
    struct {
        SDL_Keycode key;
        int16_t code;
    } cases[] = {{SDLK_BACKSPACE, 8}, {SDLK_RETURN, 13}, {SDLK_KP_ENTER, 13}, {SDLK_ESCAPE, 27},
                 {SDLK_LEFT, 37},     {SDLK_UP, 38},     {SDLK_RIGHT, 39},    {SDLK_DOWN, 40},
                 {SDLK_r, 82},        {SDLK_a, 0},       {SDLK_SPACE, 0},     {SDLK_F4, 0}};
    for (const auto& c : cases) EXPECT_EQ(sw::VirtualKey(c.key), c.code) << c.key;

    SDL_KeyboardEvent e{};
    e.keysym.sym = SDLK_RETURN;
    EXPECT_FALSE(sw::IsFullscreenToggle(e));
    e.keysym.mod = KMOD_LALT;
    EXPECT_TRUE(sw::IsFullscreenToggle(e));
    e.keysym.mod = KMOD_RALT | KMOD_SHIFT;
    EXPECT_TRUE(sw::IsFullscreenToggle(e));
    e.keysym.sym = SDLK_r;
    EXPECT_FALSE(sw::IsFullscreenToggle(e)) << "only Enter";
    e.keysym.mod = KMOD_SHIFT | KMOD_CTRL;
    EXPECT_EQ(sw::VirtualKey(e.keysym.sym), 82) << "modifiers change nothing";
}
