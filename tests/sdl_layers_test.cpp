// The SDL graphics and sound layers, headless: SDL's dummy video and audio
// drivers, small pictures and sounds made by the test.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "doubles.h"
#include "present/graphics_sdl.h"
#include "present/sound_sdl.h"
#include "wav_write.h"

namespace fs = std::filesystem;

namespace {

// RGB565 values of the colours the tests paint with.
constexpr Uint16 kWhite = 0xFFFF, kBlack = 0x0000, kRed = 0xF800, kGreen = 0x07E0,
                 kKeyBlue = 0x00FF;

// Writes a 24-bit bitmap from rows of letters: W white, K black, R red,
// G green, B the saturated blue that reduces to 0x00FF.
void WriteBmp(const fs::path& path, const std::vector<std::string>& rows) {
    std::vector<Uint32> px;
    for (const std::string& row : rows)
        for (char c : row)
            px.push_back(std::vector<Uint32>{0xFFFFFF, 0, 0xFF0000, 0x00FF00,
                                             0x001CFF}[std::string_view("WKRGB").find(c)]);
    const int w = static_cast<int>(rows[0].size());
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(px.data(), w, static_cast<int>(rows.size()),
                                                        32, w * 4, SDL_PIXELFORMAT_RGB888);
    ASSERT_EQ(SDL_SaveBMP(s, path.string().c_str()), 0) << SDL_GetError();
    SDL_FreeSurface(s);
}

// A pixel of a 16-bit buffer, or (others) how many of its pixels are not
// the given value.
Uint16 Pixel(SDL_Surface* s, int x, int y) {
    return *reinterpret_cast<Uint16*>(static_cast<Uint8*>(s->pixels) + y * s->pitch + x * 2);
}
int Others(SDL_Surface* s, Uint16 value) {
    int n = 0;
    for (int i = 0; i < s->w * s->h; ++i) n += Pixel(s, i % s->w, i / s->w) != value;
    return n;
}

// Both layers on one program folder: a white backdrop drawn, a 4 x 2 sheet
// (black and blue on the left, red and green on the right), a long and a
// short sound in slots 3 and 4.
struct Layers {
    swtest::FakePlatform plat;
    sw::SdlGraphics gfx{plat};
    sw::SdlSound snd{plat};
    const fs::path pic = plat.dir / "pic", sound = plat.dir / "sound";
    SDL_Surface* Back() { return gfx.Composed(); }
    Layers() {
        fs::create_directories(pic);
        fs::create_directories(sound);
        WriteBmp(pic / "white.bmp", {"WW", "WW"});
        WriteBmp(pic / "sheet.bmp", {"KBRG", "BKGR"});
        gfx.BackLoad("white.bmp");
        gfx.BackDraw();
        // Stereo, the left channel counting frames, so the mixer's effect
        // hook can tell where in the sound a voice is: 1.36 s and 0.14 s.
        for (const int frames : {60000, 6000}) {
            std::vector<int16_t> pcm;
            for (int i = 0; i < frames; ++i) pcm.insert(pcm.end(), {int16_t(i / 2), 0});
            const fs::path file = sound / (frames > 9999 ? "long.wav" : "short.wav");
            EXPECT_TRUE(sw::WriteWav16(file.string(), pcm, 2, 44100));
        }
        snd.Open();
        snd.SubWaveLoad(3, "long.wav");
        snd.SubWaveLoad(4, "short.wav");
    }
};

}  // namespace

TEST(Graphics, ColourKeyFollowsTheLatestLoadAndOnlyRectanglesWhollyInsideAreDrawn) {
    Layers s;
    const struct {
        int16_t touka;
        Uint16 black, blue;  // what lands where the sheet is black / blue
    } keys[] = {{-1, kWhite, kKeyBlue}, {0, kBlack, kWhite}, {1, kWhite, kKeyBlue}};
    for (const auto& k : keys) {
        s.gfx.PicLoad(0, "sheet.bmp", k.touka);  // the same slot each time
        s.gfx.BackDraw();
        s.gfx.PicDraw(0, 0, 0, 10, 20, 2, 4);
        EXPECT_EQ(Pixel(s.Back(), 10, 20), k.black) << k.touka;
        EXPECT_EQ(Pixel(s.Back(), 11, 20), k.blue) << k.touka;
        EXPECT_EQ(Pixel(s.Back(), 13, 20), kGreen);
        EXPECT_EQ(Pixel(s.Back(), 14, 20), kWhite) << "nothing past the rectangle";
    }
    // Corners are rounded half to even; a rectangle reaching outside the
    // sheet or the screen draws nothing.
    const struct {
        double mx, my, sx, sy, h, w;
        int drawn;  // pixels changed
    } rects[] = {
        {0, 0, 637, 0, 2, 4, 0},     {0, 0, 0, 479, 2, 4, 0},   {0, 0, -1, 0, 2, 4, 0},
        {2, 0, 0, 0, 2, 4, 0},       {0, 1, 0, 0, 2, 4, 0},     {-1, 0, 0, 0, 2, 2, 0},
        {0, 0, 0, 0, 0, 4, 0},       {0, 0, 636, 478, 2, 4, 6},  // the two blue ones keyed
        {3.5, 0, 5.5, 1.5, 1, 1, 0},                             // source x 4: past the sheet
        {2.5, 0, 4.5, 0.5, 1, 1, 2},  // corners round to 2..4 onto 4..6: red, green
    };
    for (const auto& r : rects) {
        s.gfx.BackDraw();
        s.gfx.PicDraw(0, r.mx, r.my, r.sx, r.sy, r.h, r.w);
        EXPECT_EQ(Others(s.Back(), kWhite), r.drawn) << r.mx << "," << r.my << " -> " << r.sx;
    }
    EXPECT_EQ(Pixel(s.Back(), 4, 0), kRed);
}

TEST(Graphics, BackdropFollowsItsFileAFlipSwapsThePagesAndTheWindowLetterboxesThem) {
    Layers s;
    s.gfx.init();  // the window, a white frame on screen
    // Written twice under one time, as a file system that keeps whole
    // seconds would have it, the same size: the second is shown.
    const auto second = std::chrono::floor<std::chrono::seconds>(fs::file_time_type::clock::now());
    for (const char* top : {"GR", "RG"}) {
        WriteBmp(s.pic / "quad.bmp", {top, "BW"});
        fs::last_write_time(s.pic / "quad.bmp", second);
        s.gfx.BackLoad("quad.bmp");
    }
    s.gfx.BackDraw();  // the next frame: stretched quarters
    s.gfx.SurfFlip();
    EXPECT_EQ(Others(s.Back(), kWhite), 0) << "the back buffer holds the frame before";
    const Uint16 quarters[] = {kRed, kGreen, kKeyBlue, kWhite};
    for (int q = 0; q < 4; ++q) {
        EXPECT_EQ(Pixel(s.gfx.SurfPrimary, q % 2 * 639, q / 2 * 479), quarters[q]) << q;
        EXPECT_NEAR(640 * 480 - Others(s.gfx.SurfPrimary, quarters[q]), 320 * 240, 1536) << q;
    }
    // Out of fullscreen and resized to 1400 x 1000: the picture twice over,
    // black bars beside it.
    s.gfx.ToggleFullscreen();
    SDL_SetWindowSize(s.gfx.Window(), 1400, 1000);
    s.gfx.Repaint();
    SDL_Surface* ws = SDL_GetWindowSurface(s.gfx.Window());
    for (const auto [x, y, rgb] :
         {std::array{59, 500, 0}, {60, 20, 0xFF0000}, {1339, 979, 0xFFFFFF}}) {
        Uint8 r, g, b;
        SDL_GetRGB(static_cast<Uint32*>(ws->pixels)[y * ws->pitch / 4 + x], ws->format, &r, &g, &b);
        EXPECT_EQ(r << 16 | g << 8 | b, rgb) << x << "," << y;
    }
}

namespace {

std::atomic<int> lastFrame{-1};

// Where slot 3 is in its sound, in frames, once the mixer has played it
// past `at` (waiting up to three seconds: a busy machine plays late).
int PositionPast(int at) {
    lastFrame = -1;
    Mix_RegisterEffect(
        3,
        [](int, void* stream, int len, void*) {
            if (len >= 4) lastFrame = static_cast<const int16_t*>(stream)[len / 2 - 2] * 2;
        },
        nullptr, nullptr);
    for (int ms = 0; ms < 3000 && lastFrame < at; ms += 5) SDL_Delay(5);
    return lastFrame;
}

}  // namespace

TEST(Sound, PlayLetsASoundingSlotGoOnStopRewindsLoadSilencesOnlyLOOPLoops) {
    Layers s;
    s.snd.SubWavePlay(3, "NON_LOOP");
    const int before = PositionPast(8000);
    ASSERT_GE(before, 8000) << "the sound plays";
    s.snd.SubWavePlay(3, "NON_LOOP");
    EXPECT_GE(PositionPast(0), before) << "no restart";
    s.snd.SubWaveStop(3);
    s.snd.SubWaveStop(3);  // stopping an idle slot is harmless
    s.snd.SubWavePlay(3, "NON_LOOP");
    const int pos = PositionPast(0);
    EXPECT_TRUE(pos >= 0 && pos < 8000) << pos << ": stopped, it starts from the beginning again";
    s.snd.SubWaveLoad(3, "short.wav");
    EXPECT_FALSE(s.snd.Sounding(3)) << "the new sound waits for its play";
    // The short sound (0.14 s) has ended after a second, or after three on
    // a busy machine, unless it loops: exactly "LOOP" does.
    for (const char* opt : {"LOOP", "loop", ""}) {
        s.snd.SubWavePlay(4, opt);
        for (int ms = 0; ms < (opt[0] == 'L' ? 1000 : 3000) && s.snd.Sounding(4); ms += 10)
            SDL_Delay(10);
        EXPECT_EQ(s.snd.Sounding(4), opt[0] == 'L') << opt;
        s.snd.SubWaveStop(4);
    }
}

TEST(Sound, WithoutADeviceItPlaysSilentSaysSoOnceAndStillRefusesBadFiles) {
    // The driver asked for cannot open; the fallback then can (SDL's dummy
    // driver) or cannot either (a browser without Web Audio: no mixer).
    for (const char* fallback : {"dummy", "none-here-either"}) {
        swtest::FakePlatform plat;
        fs::create_directories(plat.dir / "sound");
        EXPECT_TRUE(sw::WriteWav16((plat.dir / "sound/a.wav").string(), {0, 0, 0, 0}, 2, 44100));
        std::ofstream(plat.dir / "sound/bad.wav", std::ios::binary)
            << std::string("RIFF\4\0\0\0WAVE", 12);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "none-here", SDL_HINT_OVERRIDE);
        testing::internal::CaptureStderr();
        {
            sw::SdlSound snd(plat);
            snd.Open(fallback);
            snd.Open(fallback);
            EXPECT_EQ(snd.IsOpen(), fallback[0] == 'd');
            snd.SubWaveLoad(4, "a.wav");
            snd.SubWavePlay(4, "LOOP");
            snd.SubWaveStop(4);
            EXPECT_THROW(snd.SubWaveLoad(3, "bad.wav"), sw::RunTimeError) << fallback;
            EXPECT_THROW(snd.SubWavePlay(3, "LOOP"), sw::RunTimeError) << "an empty slot";
        }
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said.find("without sound"), said.rfind("without sound")) << said;
        EXPECT_NE(said.find("without sound"), std::string::npos) << said;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    }
}

TEST(Layers, BadFilesAndSlotsAreRefusedNamingTheFileAndKeepWhatWasLoaded) {
    Layers s;
    s.gfx.PicLoad(0, "sheet.bmp", 0);
    // Empty, text, cut short in the header or the body, and two found by
    // fuzzing: a header claiming a vast picture, and one cut short.
    std::ofstream(s.pic / "empty.bmp"), std::ofstream(s.sound / "empty.wav");
    std::ofstream(s.pic / "text.bmp") << "this is not a bitmap";
    std::ofstream(s.sound / "text.wav") << "RIFF but not really";
    for (const auto& [from, to, size] : {std::tuple{"pic/sheet.bmp", "pic/cut.bmp", 60},
                                         {"pic/sheet.bmp", "pic/short.bmp", 6},
                                         {"sound/short.wav", "sound/cut.wav", 5000}}) {
        fs::copy_file(s.plat.dir / from, s.plat.dir / to);
        fs::resize_file(s.plat.dir / to, size);
    }
    std::ofstream(s.pic / "huge.bmp", std::ios::binary)
        << std::string("BM\x1e\x4e\1\0\0\0\1\0\1\0\0\x36\x0c\0\0\0\0\x7c\xa6\xb0\0\0\1\0", 26);
    // Well-formed bitmaps, but too tall or too wide for any picture of the game.
    WriteBmp(s.pic / "tall.bmp", std::vector<std::string>(5000, "W"));
    WriteBmp(s.pic / "wide.bmp", {std::string(5000, 'W')});
    const auto refused = [](const fs::path& file, auto load) {
        try {
            load();
            ADD_FAILURE() << file << " was accepted";
        } catch (const sw::RunTimeError& e) {
            EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << e.what();
        }
    };
    for (const char* name : {"missing.bmp", "empty.bmp", "text.bmp", "huge.bmp", "short.bmp",
                             "cut.bmp", "tall.bmp", "wide.bmp"}) {
        refused(s.pic / name, [&] { s.gfx.PicLoad(0, name, -1); });
        refused(s.pic / name, [&] { s.gfx.BackLoad(name); });
    }
    for (const char* name : {"missing.wav", "empty.wav", "text.wav", "cut.wav"})
        refused(s.sound / name, [&] { s.snd.SubWaveLoad(4, name); });
    // The slots and the backdrop still hold what they held (and, under the
    // sanitizer, nothing half-loaded leaked).
    s.gfx.BackDraw();
    s.gfx.PicDraw(0, 0, 0, 0, 0, 2, 4);
    EXPECT_EQ(Pixel(s.Back(), 0, 0), kBlack);
    EXPECT_EQ(Pixel(s.Back(), 5, 0), kWhite);
    s.snd.SubWavePlay(4, "LOOP");
    EXPECT_TRUE(s.snd.Sounding(4));
    EXPECT_THROW(s.gfx.PicLoad(20, "sheet.bmp", 0), sw::RunTimeError);
    EXPECT_THROW(s.gfx.PicDraw(-1, 0, 0, 0, 0, 1, 1), sw::RunTimeError);
    EXPECT_THROW(s.gfx.PicDraw(7, 0, 0, 0, 0, 1, 1), sw::RunTimeError) << "an empty slot";
    try {
        s.snd.SubWavePlay(11, "LOOP");  // one past the last slot
        ADD_FAILURE() << "slot 11 played";
    } catch (const sw::RunTimeError& e) {
        EXPECT_NE(std::string(e.what()).find("out of range"), std::string::npos) << e.what();
    }
    EXPECT_THROW(s.snd.SubWaveStop(-1), sw::RunTimeError);
    EXPECT_THROW(s.snd.SubWavePlay(9, "LOOP"), sw::RunTimeError) << "an empty slot";
}

TEST(Display, StartingItLeavesTheEnvironmentAsItWas) {
    // Xlib is kept from the compose table during start-up only, and never
    // from a table the player named.
    for (const char* own : {static_cast<const char*>(nullptr), "/home/player/.XCompose"}) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        own ? setenv("XCOMPOSEFILE", own, 1) : unsetenv("XCOMPOSEFILE");
        ASSERT_EQ(sw::StartDisplay(), 0) << SDL_GetError();
        const char* now = std::getenv("XCOMPOSEFILE");
        EXPECT_STREQ(now, own);
    }
    unsetenv("XCOMPOSEFILE");
}

int main(int argc, char** argv) {
    // Set here, not only by ctest: gtest_discover_tests splits the
    // ENVIRONMENT list, so the discovered tests get the video driver alone.
    SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    ::testing::InitGoogleTest(&argc, argv);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "cannot start SDL: %s\n", SDL_GetError());
        return 1;
    }
    const int rc = RUN_ALL_TESTS();
    SDL_Quit();
    return rc;
}
