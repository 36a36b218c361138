// The SDL graphics and sound layers, headless: SDL's dummy video and audio
// drivers (ctest sets them), small pictures and sounds made by the test.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "doubles.h"
#include "present/graphics_sdl.h"
#include "present/sound_sdl.h"
#include "wav_write.h"

using namespace swtest;
namespace fs = std::filesystem;

namespace {

// RGB565 values of the colours the tests paint with.
constexpr Uint16 kWhite = 0xFFFF, kBlack = 0x0000, kRed = 0xF800, kGreen = 0x07E0,
                 kKeyBlue = 0x00FF;

// Writes a 24-bit bitmap from rows of letters: W white, K black, R red,
// G green, B the saturated blue that reduces to 0x00FF.
void WriteBmp(const fs::path& path, const std::vector<std::string>& rows) {
    const Uint32 rgb[] = {0xFFFFFF, 0x000000, 0xFF0000, 0x00FF00, 0x001CFF};
    std::vector<Uint32> px;
    for (const std::string& row : rows)
        for (char c : row) px.push_back(rgb[std::string_view("WKRGB").find(c)]);
    const int w = static_cast<int>(rows[0].size()), h = static_cast<int>(rows.size());
    SDL_Surface* s =
        SDL_CreateRGBSurfaceWithFormatFrom(px.data(), w, h, 32, w * 4, SDL_PIXELFORMAT_RGB888);
    ASSERT_EQ(SDL_SaveBMP(s, path.string().c_str()), 0) << SDL_GetError();
    SDL_FreeSurface(s);
}

Uint16 Pixel(SDL_Surface* s, int x, int y) {
    return *reinterpret_cast<Uint16*>(static_cast<Uint8*>(s->pixels) + y * s->pitch + x * 2);
}

// Counts the pixels of the buffer that are not the given value.
int Others(SDL_Surface* s, Uint16 value) {
    int n = 0;
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x) n += Pixel(s, x, y) != value;
    return n;
}

// Both layers on one program folder: a white backdrop drawn, a 4 x 2 sheet
// (black and blue on the left, red and green on the right), a long and a
// short sound in slots 3 and 4.
struct Layers {
    FakePlatform plat;
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

// Loading the file must fail with a message that names it.
void ExpectRefused(const fs::path& file, const std::function<void()>& load) {
    try {
        load();
        ADD_FAILURE() << file << " was accepted";
    } catch (const sw::RunTimeError& e) {
        EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << e.what();
    }
}

}  // namespace

TEST(Graphics, ColourKeyFollowsTheLatestLoadAndOnlyRectanglesWhollyInsideAreDrawn) {
    Layers s;
    const struct {
        int16_t touka;
        Uint16 black, blue;  // what lands where the sheet is black / blue
    } keys[] = {{-1, kWhite, kKeyBlue}, {1, kWhite, kKeyBlue}, {0, kBlack, kWhite}};
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

// The colour of a pixel of the window, as the window surface holds it.
Uint32 WindowPixel(sw::SdlGraphics& g, int x, int y) {
    SDL_Surface* ws = SDL_GetWindowSurface(g.Window());
    Uint8 r, gr, b;
    SDL_GetRGB(*reinterpret_cast<Uint32*>(static_cast<Uint8*>(ws->pixels) + y * ws->pitch + x * 4),
               ws->format, &r, &gr, &b);
    return (r << 16) | (gr << 8) | b;
}

std::vector<int> Corners(const sw::Box& b) {
    return {b.x, b.y, b.w, b.h};
}

TEST(Graphics, WindowOpensFullscreenWhiteFlipsAFilledBackdropAndTogglesToAWholeMultiple) {
    Layers s;
    s.gfx.init();
    EXPECT_EQ(Others(s.gfx.SurfPrimary, kWhite), 0);
    // Written twice within one second, the same size: the second is shown.
    const auto second = std::chrono::floor<std::chrono::seconds>(fs::file_time_type::clock::now() -
                                                                 std::chrono::hours(1));
    for (int ms : {100, 700}) {
        WriteBmp(s.pic / "quad.bmp", {ms == 100 ? "GR" : "RG", "BW"});
        fs::last_write_time(s.pic / "quad.bmp", second + std::chrono::milliseconds(ms));
        s.gfx.BackLoad("quad.bmp");
    }
    s.gfx.BackDraw();  // the next frame: stretched quarters
    const Uint16 quarters[] = {kRed, kGreen, kKeyBlue, kWhite};
    for (int q = 0; q < 4; ++q) {
        EXPECT_EQ(Pixel(s.Back(), q % 2 * 639, q / 2 * 479), quarters[q]) << q;
        EXPECT_NEAR(640 * 480 - Others(s.Back(), quarters[q]), 320 * 240, 320 * 240 / 50) << q;
    }
    s.gfx.SurfFlip();
    EXPECT_EQ(Pixel(s.gfx.SurfPrimary, 0, 0), kRed) << "the new frame is on screen";
    EXPECT_EQ(Others(s.Back(), kWhite), 0) << "the back buffer holds the frame before";
    EXPECT_TRUE(s.gfx.Fullscreen());
    EXPECT_STREQ(SDL_GetWindowTitle(s.gfx.Window()), "Seven Well");
    EXPECT_EQ(s.gfx.FlipPeriod().count(), 0) << "no display to wait for";
    SDL_Rect desk;
    ASSERT_EQ(SDL_GetDisplayBounds(0, &desk), 0);
    // Out of fullscreen: a resizable window of a whole multiple of the
    // picture, never smaller than it.
    s.gfx.ToggleFullscreen();
    s.gfx.BackDraw();
    s.gfx.SurfFlip();
    int w, h, minW, minH;
    SDL_GetWindowSize(s.gfx.Window(), &w, &h);
    SDL_GetWindowMinimumSize(s.gfx.Window(), &minW, &minH);
    EXPECT_FALSE(s.gfx.Fullscreen());
    EXPECT_TRUE(SDL_GetWindowFlags(s.gfx.Window()) & SDL_WINDOW_RESIZABLE);
    EXPECT_TRUE(w % 640 + h % 480 == 0 && minW == 640 && minH == 480) << w << "x" << h;
    // Resized to 1400 x 1000: 2x, letterboxed (the white quarter bottom right).
    SDL_SetWindowSize(s.gfx.Window(), 1400, 1000);
    s.gfx.Repaint();
    EXPECT_EQ(Corners(s.gfx.PictureInWindow()), std::vector<int>({60, 20, 1280, 960}));
    EXPECT_EQ(WindowPixel(s.gfx, 59, 500), 0u);
    EXPECT_EQ(WindowPixel(s.gfx, 1339, 979), 0xFFFFFFu);
    // Back to fullscreen: the picture fitted to the desktop.
    s.gfx.ToggleFullscreen();
    s.gfx.BackDraw();
    s.gfx.SurfFlip();
    EXPECT_TRUE(s.gfx.Fullscreen());
    EXPECT_EQ(Corners(s.gfx.PictureInWindow()), Corners(sw::PictureBox(desk.w, desk.h, false)));
}

std::atomic<int> lastFrame{-1};

// Where slot 3 is in its sound, in frames, after a short wait.
int PositionAfter(int ms) {
    lastFrame = -1;
    Mix_RegisterEffect(
        3,
        [](int, void* stream, int len, void*) {
            if (len >= 4) lastFrame = static_cast<const int16_t*>(stream)[len / 2 - 2] * 2;
        },
        nullptr, nullptr);
    SDL_Delay(ms);
    return lastFrame;
}

TEST(Sound, PlayLetsASoundingSlotGoOnStopRewindsLoadSilencesOnlyLOOPLoops) {
    Layers s;
    s.snd.SubWavePlay(3, "NON_LOOP");
    const int before = PositionAfter(400);
    ASSERT_GT(before, 8000) << "the dummy device plays in real time";
    s.snd.SubWavePlay(3, "NON_LOOP");
    EXPECT_GT(PositionAfter(100), before) << "no restart";
    s.snd.SubWaveStop(3);
    s.snd.SubWaveStop(3);  // stopping an idle slot is harmless
    s.snd.SubWavePlay(3, "NON_LOOP");
    const int pos = PositionAfter(60);
    EXPECT_TRUE(pos >= 0 && pos < 12000) << pos << ": stopped, it starts from the beginning again";
    s.snd.SubWaveLoad(3, "short.wav");
    EXPECT_FALSE(s.snd.Sounding(3)) << "the new sound waits for its play";
    // The short sound ends before the wait is over, and plays again, unless
    // it loops: exactly "LOOP" does.
    for (const char* opt : {"LOOP", "loop", ""}) {
        s.snd.SubWavePlay(4, opt);
        SDL_Delay(450);
        EXPECT_EQ(s.snd.Sounding(4), opt[0] == 'L') << opt;
        s.snd.SubWavePlay(4, "NON_LOOP");
        EXPECT_TRUE(s.snd.Sounding(4)) << opt;
        s.snd.SubWaveStop(4);
    }
}

TEST(Layers, BadFilesAndSlotsAreRefusedNamingTheFileAndKeepWhatWasLoaded) {
    Layers s;
    s.gfx.PicLoad(0, "sheet.bmp", 0);
    std::ofstream(s.pic / "empty.bmp"), std::ofstream(s.sound / "empty.wav");
    std::ofstream(s.pic / "text.bmp") << "this is not a bitmap";
    std::ofstream(s.sound / "text.wav") << "RIFF but not really";
    fs::copy_file(s.pic / "sheet.bmp", s.pic / "cut.bmp");
    fs::resize_file(s.pic / "cut.bmp", 60);
    fs::copy_file(s.sound / "short.wav", s.sound / "cut.wav");
    fs::resize_file(s.sound / "cut.wav", 5000);
    // Found by fuzzing: a header claiming a vast picture, and one cut short.
    const unsigned char huge[] = {'B',  'M',  0x1e, 0x4e, 1, 0, 0,    0,    1,    0, 1, 0, 0,
                                  0x36, 0x0c, 0,    0,    0, 0, 0x7c, 0xa6, 0xb0, 0, 0, 1, 0};
    std::ofstream(s.pic / "huge.bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(huge), sizeof huge);
    std::ofstream(s.pic / "short.bmp", std::ios::binary).write("BM\x1e\x4e\x01\x00", 6);
    // Well-formed bitmaps, but too tall or too wide for any picture of the game.
    WriteBmp(s.pic / "tall.bmp", std::vector<std::string>(5000, "W"));
    WriteBmp(s.pic / "wide.bmp", {std::string(5000, 'W')});
    for (const char* name : {"missing.bmp", "empty.bmp", "text.bmp", "huge.bmp", "short.bmp",
                             "cut.bmp", "tall.bmp", "wide.bmp"}) {
        ExpectRefused(s.pic / name, [&] { s.gfx.PicLoad(0, name, -1); });
        ExpectRefused(s.pic / name, [&] { s.gfx.BackLoad(name); });
    }
    for (const char* name : {"missing.wav", "empty.wav", "text.wav", "cut.wav"})
        ExpectRefused(s.sound / name, [&] { s.snd.SubWaveLoad(4, name); });
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
    EXPECT_THROW(s.snd.SubWavePlay(11, "LOOP"), sw::RunTimeError);
    EXPECT_THROW(s.snd.SubWaveStop(-1), sw::RunTimeError);
    EXPECT_THROW(s.snd.SubWavePlay(9, "LOOP"), sw::RunTimeError) << "an empty slot";
}

int main(int argc, char** argv) {
    // Set here, not only by ctest: gtest_discover_tests splits the
    // ENVIRONMENT list, so the discovered tests get the video driver alone.
    SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "cannot start SDL: %s\n", SDL_GetError());
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    SDL_Quit();
    return rc;
}
