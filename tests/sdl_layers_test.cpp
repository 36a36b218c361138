// The SDL graphics and sound layers, headless: SDL's dummy video and audio
// drivers, small synthetic pictures and sounds made by the test itself.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
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
    const int h = static_cast<int>(rows.size()), w = static_cast<int>(rows[0].size());
    const Uint32 rgb[] = {0xFFFFFF, 0x000000, 0xFF0000, 0x00FF00, 0x001CFF};
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 24, SDL_PIXELFORMAT_BGR24);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const Uint32 c = rgb[std::string_view("WKRGB").find(rows[y][x])];
            SDL_Rect px{x, y, 1, 1};
            SDL_FillRect(s, &px, SDL_MapRGB(s->format, c >> 16, (c >> 8) & 0xFF, c & 0xFF));
        }
    }
    fs::create_directories(path.parent_path());
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

// Loading the file must fail with a message that names it.
template <class Load>
void ExpectRefused(const fs::path& file, Load load) {
    try {
        load();
        ADD_FAILURE() << file << " was accepted";
    } catch (const sw::RunTimeError& e) {
        EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << e.what();
    }
}

struct Screen {
    FakePlatform plat;
    sw::SdlGraphics gfx{plat};
    SDL_Surface* Back() { return gfx.SurfBackBuf; }
    Screen() {
        WriteBmp(plat.dir / "pic/white.bmp", {"WW", "WW"});
        // 4 x 2 sheet: black and blue on the left, red and green on the right.
        WriteBmp(plat.dir / "pic/sheet.bmp", {"KBRG", "BKGR"});
        gfx.BackLoad("white.bmp");
        gfx.BackDraw();
    }
};

}  // namespace

TEST(Graphics, ColourKeyFollowsTheLatestLoadOfTheSlot) {
    struct {
        int16_t touka;
        Uint16 black, blue;  // what lands where the sheet is black / blue
    } cases[] = {{-1, kWhite, kKeyBlue}, {1, kWhite, kKeyBlue}, {0, kBlack, kWhite}};
    Screen s;
    for (const auto& c : cases) {
        s.gfx.PicLoad(0, "sheet.bmp", c.touka);  // the same slot each time
        s.gfx.BackDraw();
        s.gfx.PicDraw(0, 0, 0, 10, 20, 2, 4);
        EXPECT_EQ(Pixel(s.Back(), 10, 20), c.black) << c.touka;
        EXPECT_EQ(Pixel(s.Back(), 11, 21), c.black) << c.touka;
        EXPECT_EQ(Pixel(s.Back(), 11, 20), c.blue) << c.touka;
        EXPECT_EQ(Pixel(s.Back(), 13, 20), kGreen);
        EXPECT_EQ(Pixel(s.Back(), 14, 20), kWhite) << "nothing past the rectangle";
    }
}

TEST(Graphics, OnlyRectanglesWhollyInsideAreDrawnWithCornersRoundedHalfToEven) {
    struct {
        double mx, my, sx, sy, h, w;
        int drawn;  // pixels changed
    } cases[] = {
        {0, 0, 637, 0, 2, 4, 0},     {0, 0, 0, 479, 2, 4, 0},   {0, 0, -1, 0, 2, 4, 0},
        {2, 0, 0, 0, 2, 4, 0},       {0, 1, 0, 0, 2, 4, 0},     {-1, 0, 0, 0, 2, 2, 0},
        {0, 0, 0, 0, 0, 4, 0},       {0, 0, 636, 478, 2, 4, 6},  // the two blue ones keyed
        {2.5, 0, 4.5, 0.5, 1, 1, 2},                             // corners round to 2..4 onto 4..6
        {3.5, 0, 5.5, 1.5, 1, 1, 0},                             // source x 4: past the sheet
    };
    Screen s;
    s.gfx.PicLoad(0, "sheet.bmp", 0);
    for (const auto& c : cases) {
        s.gfx.BackDraw();
        s.gfx.PicDraw(0, c.mx, c.my, c.sx, c.sy, c.h, c.w);
        EXPECT_EQ(Others(s.Back(), kWhite), c.drawn) << c.mx << "," << c.my << " -> " << c.sx;
    }
    s.gfx.BackDraw();
    s.gfx.PicDraw(0, 2.5, 0, 4.5, 0.5, 1, 1);
    EXPECT_EQ(Pixel(s.Back(), 4, 0), kRed);
}

TEST(Graphics, BackdropFillsTheScreenAndFlipExchangesTheBuffers) {
    Screen s;  // frame 1: white
    s.gfx.SurfFlip();
    WriteBmp(s.plat.dir / "pic/quad.bmp", {"RG", "BW"});
    s.gfx.BackLoad("quad.bmp");
    s.gfx.BackDraw();  // frame 2: stretched quarters
    EXPECT_EQ(Pixel(s.Back(), 0, 0), kRed);
    EXPECT_EQ(Pixel(s.Back(), 639, 0), kGreen);
    EXPECT_EQ(Pixel(s.Back(), 0, 479), kKeyBlue);
    EXPECT_EQ(Pixel(s.Back(), 639, 479), kWhite);
    for (Uint16 c : {kRed, kGreen, kKeyBlue}) {
        EXPECT_NEAR(640 * 480 - Others(s.Back(), c), 320 * 240, 320 * 240 / 50) << c;
    }
    s.gfx.SurfFlip();
    EXPECT_EQ(Pixel(s.gfx.SurfPrimary, 0, 0), kRed) << "the new frame is on screen";
    EXPECT_EQ(Others(s.Back(), kWhite), 0) << "the back buffer holds the frame before";
}

TEST(Graphics, BadPicturesAreRefusedNamingTheFileAndKeepTheSlot) {
    Screen s;
    s.gfx.PicLoad(0, "sheet.bmp", 0);
    const fs::path pic = s.plat.dir / "pic";
    std::ofstream(pic / "empty.bmp");
    std::ofstream(pic / "text.bmp") << "this is not a bitmap";
    // Found by fuzzing: a header claiming a vast picture, and one cut short.
    const unsigned char huge[] = {'B',  'M',  0x1e, 0x4e, 1, 0, 0,    0,    1,    0, 1, 0, 0,
                                  0x36, 0x0c, 0,    0,    0, 0, 0x7c, 0xa6, 0xb0, 0, 0, 1, 0};
    std::ofstream(pic / "huge.bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(huge), sizeof huge);
    std::ofstream(pic / "short.bmp", std::ios::binary).write("BM\x1e\x4e\x01\x00", 6);
    fs::copy_file(pic / "sheet.bmp", pic / "cut.bmp");
    fs::resize_file(pic / "cut.bmp", 60);
    // Well-formed bitmaps, but too tall or too wide for any picture of the game.
    WriteBmp(pic / "tall.bmp", std::vector<std::string>(5000, "W"));
    WriteBmp(pic / "wide.bmp", {std::string(5000, 'W')});
    for (const char* name : {"missing.bmp", "empty.bmp", "text.bmp", "huge.bmp", "short.bmp",
                             "cut.bmp", "tall.bmp", "wide.bmp"}) {
        ExpectRefused(pic / name, [&] { s.gfx.PicLoad(0, name, -1); });
        ExpectRefused(pic / name, [&] { s.gfx.BackLoad(name); });
    }
    // The slot and the backdrop still hold what they held (and, under the
    // sanitizer, nothing half-loaded leaked).
    s.gfx.BackDraw();
    s.gfx.PicDraw(0, 0, 0, 0, 0, 2, 4);
    EXPECT_EQ(Pixel(s.Back(), 0, 0), kBlack);
    EXPECT_EQ(Pixel(s.Back(), 5, 0), kWhite);
    EXPECT_THROW(s.gfx.PicLoad(20, "sheet.bmp", 0), sw::RunTimeError);
    EXPECT_THROW(s.gfx.PicDraw(-1, 0, 0, 0, 0, 1, 1), sw::RunTimeError);
    EXPECT_THROW(s.gfx.PicDraw(7, 0, 0, 0, 0, 1, 1), sw::RunTimeError) << "an empty slot";
}

TEST(Graphics, PictureRewrittenWithinTheSecondIsReadAgain) {
    Screen s;
    const fs::path file = s.plat.dir / "pic/flag.bmp";
    const auto whole = std::chrono::floor<std::chrono::seconds>(fs::file_time_type::clock::now() -
                                                                std::chrono::hours(1));
    for (int ms : {100, 700}) {  // same size, same whole second
        WriteBmp(file, {ms == 100 ? "RR" : "GG"});
        fs::last_write_time(file, whole + std::chrono::milliseconds(ms));
        s.gfx.PicLoad(1, "flag.bmp", 0);
    }
    s.gfx.PicDraw(1, 0, 0, 0, 0, 1, 2);
    EXPECT_EQ(Pixel(s.Back(), 0, 0), kGreen);
}

namespace {

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

}  // namespace

TEST(Graphics, WindowOpensFullscreenWhiteAndTogglesToAWholeMultiple) {
    Screen s;
    s.gfx.init();
    ASSERT_TRUE(s.gfx.HasWindow());
    EXPECT_EQ(Others(s.gfx.SurfPrimary, kWhite), 0);
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
    EXPECT_EQ(w % 640 + h % 480, 0) << w << "x" << h;
    EXPECT_EQ(std::vector<int>({minW, minH}), std::vector<int>({640, 480}));
    // Resized to 1400 x 1000: 2x, letterboxed.
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

namespace {

// A stereo WAV whose left channel counts frames, so the mixer's effect
// hook can tell where in the sound a voice is.
void WriteRampWav(const fs::path& path, int frames) {
    std::vector<int16_t> pcm;
    for (int i = 0; i < frames; ++i) pcm.insert(pcm.end(), {static_cast<int16_t>(i / 2), 0});
    fs::create_directories(path.parent_path());
    ASSERT_TRUE(sw::WriteWav16(path.string(), pcm, 2, 44100));
}

std::atomic<int> lastFrame{-1};

void Probe(int, void* stream, int len, void*) {
    const auto* s = static_cast<const int16_t*>(stream);
    if (len >= 4) lastFrame = s[len / 2 - 2] * 2;
}

// Where slot 3 is in its sound, in frames, after a short wait.
int PositionAfter(int ms) {
    lastFrame = -1;
    Mix_RegisterEffect(3, Probe, nullptr, nullptr);
    SDL_Delay(ms);
    return lastFrame;
}

struct Speaker {
    FakePlatform plat;
    sw::SdlSound snd{plat};
    Speaker() {
        WriteRampWav(plat.dir / "sound/long.wav", 60000);  // 1.36 s
        WriteRampWav(plat.dir / "sound/short.wav", 6000);  // 0.14 s
        snd.Open();
        snd.SubWaveLoad(3, "long.wav");
        snd.SubWaveLoad(4, "short.wav");
    }
};

}  // namespace

TEST(Sound, PlayLetsASoundingSlotGoOnStopRewindsLoadSilences) {
    Speaker s;
    s.snd.SubWavePlay(3, "NON_LOOP");
    const int before = PositionAfter(400);
    ASSERT_GT(before, 8000) << "the dummy device plays in real time";
    s.snd.SubWavePlay(3, "NON_LOOP");
    EXPECT_GT(PositionAfter(100), before) << "no restart";
    s.snd.SubWaveStop(3);
    EXPECT_FALSE(s.snd.Sounding(3));
    s.snd.SubWaveStop(3);  // stopping an idle slot is harmless
    s.snd.SubWavePlay(3, "NON_LOOP");
    const int pos = PositionAfter(60);
    EXPECT_GE(pos, 0);
    EXPECT_LT(pos, 12000) << "starts from the beginning again";
    s.snd.SubWaveLoad(3, "short.wav");
    EXPECT_FALSE(s.snd.Sounding(3)) << "the new sound waits for its play";
}

TEST(Sound, LoopsOnlyForExactlyLOOPAndAnEndedSoundPlaysAgain) {
    struct {
        const char* opt;
        bool sounding;
    } cases[] = {{"LOOP", true}, {"loop", false}, {"", false}};
    Speaker s;
    for (const auto& c : cases) {
        s.snd.SubWavePlay(4, c.opt);
        SDL_Delay(450);
        EXPECT_EQ(s.snd.Sounding(4), c.sounding) << c.opt;
        s.snd.SubWavePlay(4, "NON_LOOP");
        EXPECT_TRUE(s.snd.Sounding(4)) << c.opt;
        s.snd.SubWaveStop(4);
    }
}

TEST(Sound, BadSoundsAndSlotsAreRefused) {
    Speaker s;
    const fs::path dir = s.plat.dir / "sound";
    std::ofstream(dir / "empty.wav");
    std::ofstream(dir / "text.wav") << "RIFF but not really";
    fs::copy_file(dir / "short.wav", dir / "cut.wav");
    fs::resize_file(dir / "cut.wav", 5000);
    for (const char* name : {"missing.wav", "empty.wav", "text.wav", "cut.wav"}) {
        ExpectRefused(dir / name, [&] { s.snd.SubWaveLoad(5, name); });
    }
    EXPECT_THROW(s.snd.SubWavePlay(11, "LOOP"), sw::RunTimeError);
    EXPECT_THROW(s.snd.SubWaveStop(-1), sw::RunTimeError);
    EXPECT_THROW(s.snd.SubWavePlay(9, "LOOP"), sw::RunTimeError) << "an empty slot";
}

int main(int argc, char** argv) {
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
