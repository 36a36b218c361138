// The SDL graphics and sound layers, headless: SDL's dummy video and audio
// drivers, small synthetic pictures and sounds made by the test itself.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>

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
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 24, SDL_PIXELFORMAT_BGR24);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            Uint8 r = 0, g = 0, b = 0;
            switch (rows[y][x]) {
                case 'W':
                    r = g = b = 255;
                    break;
                case 'R':
                    r = 255;
                    break;
                case 'G':
                    g = 255;
                    break;
                case 'B':
                    g = 28;
                    b = 255;
                    break;
                default:
                    break;
            }
            Uint8* p = static_cast<Uint8*>(s->pixels) + y * s->pitch + x * 3;
            p[0] = b;
            p[1] = g;
            p[2] = r;
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

struct Screen {
    FakePlatform plat;
    sw::SdlGraphics gfx{plat};
    Screen() {
        WriteBmp(plat.dir / "pic/white.bmp", {"WW", "WW"});
        // 4 x 2 sheet: black and blue on the left, red and green on the right.
        WriteBmp(plat.dir / "pic/sheet.bmp", {"KBRG", "BKGR"});
        gfx.BackLoad("white.bmp");
        gfx.BackDraw();
    }
};

}  // namespace

TEST(Graphics, ColourKeysOnTheSixteenBitValue) {
    struct {
        int16_t touka;
        Uint16 black, blue;  // what lands where the sheet is black / blue
    } cases[] = {{-1, kWhite, kKeyBlue}, {1, kWhite, kKeyBlue}, {0, kBlack, kWhite}};
    for (const auto& c : cases) {
        Screen s;
        s.gfx.PicLoad(0, "sheet.bmp", c.touka);
        s.gfx.PicDraw(0, 0, 0, 10, 20, 2, 4);
        SDL_Surface* b = s.gfx.SurfBackBuf;
        EXPECT_EQ(Pixel(b, 10, 20), c.black) << c.touka;
        EXPECT_EQ(Pixel(b, 11, 21), c.black) << c.touka;
        EXPECT_EQ(Pixel(b, 11, 20), c.blue) << c.touka;
        EXPECT_EQ(Pixel(b, 12, 20), kRed);
        EXPECT_EQ(Pixel(b, 13, 20), kGreen);
        EXPECT_EQ(Pixel(b, 14, 20), kWhite) << "nothing past the rectangle";
    }
}

TEST(Graphics, ReloadingASlotReplacesPictureAndKey) {
    Screen s;
    s.gfx.PicLoad(3, "sheet.bmp", -1);
    s.gfx.PicLoad(3, "sheet.bmp", 0);
    s.gfx.PicDraw(3, 0, 0, 0, 0, 1, 1);
    EXPECT_EQ(Pixel(s.gfx.SurfBackBuf, 0, 0), kBlack);
}

TEST(Graphics, RectanglesNotWhollyInsideDrawNothing) {
    struct {
        double mx, my, sx, sy, h, w;
    } outside[] = {
        {0, 0, 637, 0, 2, 4},  // past the right edge of the screen
        {0, 0, 0, 479, 2, 4},  // past the bottom
        {0, 0, -1, 0, 2, 4},   // left of the screen
        {2, 0, 0, 0, 2, 4},    // past the picture's right edge
        {0, 1, 0, 0, 2, 4},    // past the picture's bottom
        {-1, 0, 0, 0, 2, 2},   // left of the picture
        {0, 0, 0, 0, 0, 4},    // empty
    };
    for (const auto& o : outside) {
        Screen s;
        s.gfx.PicLoad(0, "sheet.bmp", 0);
        s.gfx.PicDraw(0, o.mx, o.my, o.sx, o.sy, o.h, o.w);
        EXPECT_EQ(Others(s.gfx.SurfBackBuf, kWhite), 0)
            << o.mx << "," << o.my << " -> " << o.sx << "," << o.sy;
    }
    Screen s;
    s.gfx.PicLoad(0, "sheet.bmp", 0);
    s.gfx.PicDraw(0, 0, 0, 636, 478, 2, 4);  // exactly inside the corner
    EXPECT_EQ(Others(s.gfx.SurfBackBuf, kWhite), 6) << "all but the two keyed blue pixels";
}

TEST(Graphics, CornersRoundHalfToEven) {
    Screen s;
    s.gfx.PicLoad(0, "sheet.bmp", 0);
    s.gfx.PicDraw(0, 2.5, 0, 4.5, 0.5, 1, 1);  // source x 2 (red) to (4, 0)
    EXPECT_EQ(Pixel(s.gfx.SurfBackBuf, 4, 0), kRed);
    s.gfx.PicDraw(0, 3.5, 0, 5.5, 1.5, 1, 1);  // source x 4: past the sheet, nothing
    EXPECT_EQ(Pixel(s.gfx.SurfBackBuf, 6, 2), kWhite);
}

TEST(Graphics, BackdropIsStretchedToTheWholeScreen) {
    Screen s;
    WriteBmp(s.plat.dir / "pic/quad.bmp", {"RG", "BW"});
    s.gfx.BackLoad("quad.bmp");
    s.gfx.BackDraw();
    SDL_Surface* b = s.gfx.SurfBackBuf;
    EXPECT_EQ(Pixel(b, 0, 0), kRed);
    EXPECT_EQ(Pixel(b, 319, 239), kRed);
    EXPECT_EQ(Pixel(b, 639, 0), kGreen);
    EXPECT_EQ(Pixel(b, 0, 479), kKeyBlue);
    EXPECT_EQ(Pixel(b, 639, 479), kWhite);
    // Every pixel comes from the picture, each colour about a quarter.
    for (Uint16 c : {kRed, kGreen, kKeyBlue, kWhite}) {
        EXPECT_NEAR(640 * 480 - Others(b, c), 320 * 240, 320 * 240 / 50) << c;
    }
    EXPECT_EQ(Others(b, kRed) + Others(b, kGreen) + Others(b, kKeyBlue) + Others(b, kWhite),
              3 * 640 * 480);
}

TEST(Graphics, FlipExchangesTheTwoBuffers) {
    Screen s;  // frame 1: white
    s.gfx.SurfFlip();
    WriteBmp(s.plat.dir / "pic/red.bmp", {"R"});
    s.gfx.BackLoad("red.bmp");
    s.gfx.BackDraw();  // frame 2: red
    s.gfx.SurfFlip();
    EXPECT_EQ(Others(s.gfx.SurfPrimary, kRed), 0) << "the red frame is on screen";
    EXPECT_EQ(Others(s.gfx.SurfBackBuf, kWhite), 0) << "the back buffer holds the frame before";
}

TEST(Graphics, BadPicturesAreRunTimeErrorsNamingTheFileAndKeepTheSlot) {
    Screen s;
    s.gfx.PicLoad(0, "sheet.bmp", 0);
    std::ofstream(s.plat.dir / "pic/empty.bmp");
    std::ofstream(s.plat.dir / "pic/text.bmp") << "this is not a bitmap";
    // Found by fuzzing: a header claiming a vast picture, and one cut short.
    const unsigned char huge[] = {'B',  'M',  0x1e, 0x4e, 1, 0, 0,    0,    1,    0, 1, 0, 0,
                                  0x36, 0x0c, 0,    0,    0, 0, 0x7c, 0xa6, 0xb0, 0, 0, 1, 0};
    std::ofstream(s.plat.dir / "pic/huge.bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(huge), sizeof huge);
    std::ofstream(s.plat.dir / "pic/short.bmp", std::ios::binary).write("BM\x1e\x4e\x01\x00", 6);
    const unsigned char tall[] = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0,    54,   0,    0,
                                  0,   40,  0, 0, 0, 1, 0, 0, 0, 0xA0, 0x86, 0x01, 0};
    std::ofstream(s.plat.dir / "pic/tall.bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(tall), sizeof tall);
    std::filesystem::copy_file(s.plat.dir / "pic/sheet.bmp", s.plat.dir / "pic/cut.bmp");
    std::filesystem::resize_file(s.plat.dir / "pic/cut.bmp", 60);
    for (const char* name :
         {"missing.bmp", "empty.bmp", "text.bmp", "huge.bmp", "tall.bmp", "short.bmp", "cut.bmp"}) {
        try {
            s.gfx.PicLoad(0, name, -1);
            FAIL() << name;
        } catch (const sw::RunTimeError& e) {
            const std::string what = e.what();
            EXPECT_NE(what.find((s.plat.dir / "pic" / name).string()), std::string::npos) << what;
            // A header claiming a vast size is refused before any decoding.
            EXPECT_TRUE(std::string(name) != "tall.bmp" ||
                        what.find("claims") != std::string::npos);
        }
        EXPECT_THROW(s.gfx.BackLoad(name), sw::RunTimeError);
    }
    // The slot and the backdrop still hold what they held (and, under the
    // sanitizer, nothing half-loaded leaked).
    s.gfx.BackDraw();
    s.gfx.PicDraw(0, 0, 0, 0, 0, 2, 4);
    EXPECT_EQ(Pixel(s.gfx.SurfBackBuf, 0, 0), kBlack);
    EXPECT_EQ(Pixel(s.gfx.SurfBackBuf, 2, 0), kRed);
    EXPECT_EQ(Pixel(s.gfx.SurfBackBuf, 5, 0), kWhite);
    EXPECT_THROW(s.gfx.PicLoad(20, "sheet.bmp", 0), sw::RunTimeError);
    EXPECT_THROW(s.gfx.PicDraw(-1, 0, 0, 0, 0, 1, 1), sw::RunTimeError);
    EXPECT_THROW(s.gfx.PicDraw(7, 0, 0, 0, 0, 1, 1), sw::RunTimeError) << "an empty slot";
}

TEST(Graphics, PictureRewrittenWithinTheSecondIsReadAgain) {
    Screen s;
    const fs::path file = s.plat.dir / "pic/flag.bmp";
    const auto second = fs::file_time_type::clock::now() - std::chrono::hours(1);
    const auto whole = std::chrono::floor<std::chrono::seconds>(second);
    WriteBmp(file, {"RR"});
    fs::last_write_time(file, whole + std::chrono::milliseconds(100));
    s.gfx.PicLoad(1, "flag.bmp", 0);
    WriteBmp(file, {"GG"});  // same size, same whole second
    fs::last_write_time(file, whole + std::chrono::milliseconds(700));
    s.gfx.PicLoad(1, "flag.bmp", 0);
    s.gfx.PicDraw(1, 0, 0, 0, 0, 1, 2);
    EXPECT_EQ(Pixel(s.gfx.SurfBackBuf, 0, 0), kGreen);
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

}  // namespace

TEST(Graphics, InitOpensTheWindowAndShowsWhite) {
    Screen s;
    s.gfx.init();
    ASSERT_TRUE(s.gfx.HasWindow());
    EXPECT_EQ(Others(s.gfx.SurfPrimary, kWhite), 0);
    EXPECT_TRUE(s.gfx.Fullscreen());
    EXPECT_STREQ(SDL_GetWindowTitle(s.gfx.Window()), "Seven Well");
    EXPECT_EQ(s.gfx.FlipPeriod().count(), 0) << "no display to wait for";
    SDL_Rect desk;
    ASSERT_EQ(SDL_GetDisplayBounds(0, &desk), 0);
    const sw::Box fit = sw::PictureBox(desk.w, desk.h, false);

    // Out of fullscreen: a resizable window of a whole multiple of the
    // picture, never smaller than it.
    s.gfx.ToggleFullscreen();
    s.gfx.BackDraw();
    s.gfx.SurfFlip();
    int w, h;
    SDL_GetWindowSize(s.gfx.Window(), &w, &h);
    EXPECT_FALSE(s.gfx.Fullscreen());
    EXPECT_TRUE(SDL_GetWindowFlags(s.gfx.Window()) & SDL_WINDOW_RESIZABLE);
    EXPECT_EQ(w % 640 + h % 480, 0) << w << "x" << h;
    SDL_GetWindowMinimumSize(s.gfx.Window(), &w, &h);
    EXPECT_EQ(w * 1000 + h, 640480);

    // Resized to 1400 x 1000: 2x, letterboxed, in sharp whole pixels.
    SDL_SetWindowSize(s.gfx.Window(), 1400, 1000);
    s.gfx.Repaint();
    const sw::Box b = s.gfx.PictureInWindow();
    EXPECT_EQ(std::vector<int>({b.x, b.y, b.w, b.h}), std::vector<int>({60, 20, 1280, 960}));
    EXPECT_EQ(WindowPixel(s.gfx, 59, 500), 0u);
    EXPECT_EQ(WindowPixel(s.gfx, 60, 500), 0xFFFFFFu);
    EXPECT_EQ(WindowPixel(s.gfx, 1339, 979), 0xFFFFFFu);
    EXPECT_EQ(WindowPixel(s.gfx, 1340, 979), 0u);

    // Back to fullscreen: the desktop's size, the picture fitted to it.
    s.gfx.ToggleFullscreen();
    s.gfx.BackDraw();
    s.gfx.SurfFlip();
    EXPECT_TRUE(s.gfx.Fullscreen());
    const sw::Box f = s.gfx.PictureInWindow();
    EXPECT_EQ(std::vector<int>({f.x, f.y, f.w, f.h}),
              std::vector<int>({fit.x, fit.y, fit.w, fit.h}));
    EXPECT_EQ(WindowPixel(s.gfx, f.x + f.w / 2, f.y + f.h / 2), 0xFFFFFFu);
}

namespace {

// A stereo 16-bit WAV whose left channel counts frames, so the mixer's
// effect hook can tell where in the sound a voice is.
void WriteRampWav(const fs::path& path, int frames) {
    std::vector<int16_t> pcm;
    for (int i = 0; i < frames; ++i) {
        pcm.push_back(static_cast<int16_t>(i / 2));
        pcm.push_back(0);
    }
    fs::create_directories(path.parent_path());
    ASSERT_TRUE(sw::WriteWav16(path.string(), pcm, 2, 44100)) << path;
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

TEST(Sound, PlayingASoundingSlotLetsItGoOn) {
    Speaker s;
    s.snd.SubWavePlay(3, "NON_LOOP");
    const int before = PositionAfter(400);
    ASSERT_GT(before, 8000) << "the dummy device plays in real time";
    s.snd.SubWavePlay(3, "NON_LOOP");
    const int after = PositionAfter(100);
    EXPECT_GT(after, before) << "no restart";
    s.snd.SubWaveStop(3);
    EXPECT_FALSE(s.snd.Sounding(3));
}

TEST(Sound, StopRewinds) {
    Speaker s;
    s.snd.SubWavePlay(3, "NON_LOOP");
    ASSERT_GT(PositionAfter(500), 15000);
    s.snd.SubWaveStop(3);
    s.snd.SubWaveStop(3);  // stopping an idle slot is harmless
    s.snd.SubWavePlay(3, "NON_LOOP");
    const int pos = PositionAfter(60);
    EXPECT_GE(pos, 0);
    EXPECT_LT(pos, 12000) << "starts from the beginning again";
}

TEST(Sound, LoopOnlyForExactlyLOOP) {
    struct {
        const char* opt;
        bool sounding;
    } cases[] = {{"LOOP", true}, {"loop", false}, {"", false}, {"NON_LOOP", false}};
    Speaker s;
    for (const auto& c : cases) {
        s.snd.SubWavePlay(4, c.opt);
        SDL_Delay(450);
        EXPECT_EQ(s.snd.Sounding(4), c.sounding) << c.opt;
        s.snd.SubWaveStop(4);
    }
}

TEST(Sound, OneShotPlaysAgainFromTheStartOnceEnded) {
    Speaker s;
    s.snd.SubWavePlay(4, "NON_LOOP");
    SDL_Delay(400);
    ASSERT_FALSE(s.snd.Sounding(4));
    s.snd.SubWavePlay(4, "NON_LOOP");
    EXPECT_TRUE(s.snd.Sounding(4));
}

TEST(Sound, LoadingSilencesTheSlot) {
    Speaker s;
    s.snd.SubWavePlay(3, "LOOP");
    SDL_Delay(50);
    ASSERT_TRUE(s.snd.Sounding(3));
    s.snd.SubWaveLoad(3, "short.wav");
    EXPECT_FALSE(s.snd.Sounding(3)) << "the new sound waits for its play";
}

TEST(Sound, BadSoundsAndSlotsAreRunTimeErrors) {
    Speaker s;
    std::ofstream(s.plat.dir / "sound/empty.wav");
    std::ofstream(s.plat.dir / "sound/text.wav") << "RIFF but not really";
    std::filesystem::copy_file(s.plat.dir / "sound/short.wav", s.plat.dir / "sound/cut.wav");
    std::filesystem::resize_file(s.plat.dir / "sound/cut.wav", 5000);
    for (const char* name : {"missing.wav", "empty.wav", "text.wav", "cut.wav"}) {
        try {
            s.snd.SubWaveLoad(5, name);
            FAIL() << name;
        } catch (const sw::RunTimeError& e) {
            EXPECT_NE(std::string(e.what()).find((s.plat.dir / "sound" / name).string()),
                      std::string::npos)
                << e.what();
        }
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
