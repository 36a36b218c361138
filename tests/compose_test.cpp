// A long game played by the real game on two graphics layers at once: one
// composing only what changed, one composing every frame whole. Every page
// and every window picture must be the same.
#include <gtest/gtest.h>

#include "doubles.h"
#include "game/keycodes.h"
#include "present/graphics_sdl.h"

namespace {

// Every picture of the game is 640 x 480 noise, a third of it black: any
// pixel composed from the wrong draw, or left over, shows.
struct Side {
    swtest::FakePlatform plat;
    sw::SdlGraphics gfx{plat};
    swtest::FakeLayers snd;  // its sounds only
    sw::Form1 form{gfx, snd, plat};
    explicit Side(bool incremental) {
        gfx.incremental = incremental;
        std::filesystem::create_directory(plat.dir / "pic");
        sw::SurfacePtr s(SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 32, SDL_PIXELFORMAT_XRGB8888));
        auto* p = static_cast<Uint32*>(s->pixels);
        for (std::string name : {"etc", "logo", "title", "bgmst", "conf", "white", "bg001", "bg002",
                                 "bg003", "bg004", "bg005"}) {
            for (Uint32 i = 0; i < 307200; ++i) p[i] = (p[i] + i * 40503u) % 3 ? p[i] + i : 0;
            SDL_SaveBMP(s.get(), (plat.dir / "pic" / (name + ".bmp")).string().c_str());
        }
        plat.WriteScore("000000000\r\n000000000\r\n");
        form.Form_Load();
    }
};

// The page on screen and the window's picture are the same on both sides.
bool Same(const Side& a, const Side& b) {
    auto bytes = [](const SDL_Surface* s) {
        return std::string_view(static_cast<const char*>(s->pixels), s->h * s->pitch);
    };
    return bytes(a.gfx.SurfPrimary) == bytes(b.gfx.SurfPrimary) &&
           bytes(SDL_GetWindowSurface(a.gfx.Window())) ==
               bytes(SDL_GetWindowSurface(b.gfx.Window()));
}

}  // namespace

TEST(Compose, OnlyWhatChangedGivesEveryFrameOfALongGameAsComposedWhole) {
    Side fast(true), whole(false);
    // Title to options: two backgrounds on, starting level 10; back, and
    // three games, each to its end (the window out of fullscreen and back
    // meanwhile). The keys by their codes: ( down, % left, & up, ' right.
    const std::string script = "(\r(((''(('''''''''\b", play = "%'&(%&";
    sw::Random keys(5);
    for (int t = 0; t < 8000; ++t) {
        // The script, Enter on the title, and in play a key now and then.
        char key = t % 10 == 5 && t >= 205 && t < 395 ? script[(t - 205) / 10] : t % 40 ? 0 : '\r';
        if (fast.form.IntScene == 0 && keys.Next() < 0.06) key = play[int(keys.Next() * 6)];
        for (Side* s : {&fast, &whole}) {
            if (key) s->form.Form_KeyUp(key, 0);
            if (t % 1000 == 500)  // the chain and sevens captions now and then
                swtest::Set(s->form, "IntChainShow=12 IntChainTime=300 IntVeskTime=50");
            if (t == 2500 || t == 5500) s->gfx.ToggleFullscreen();
            s->form.Timer1_Timer();
        }
        ASSERT_TRUE(Same(fast, whole)) << "tick " << t;
    }
}
