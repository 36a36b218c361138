// Composing a play frame and a title frame (only what changed) and a full
// play frame (everything) into the back buffer, and presenting a whole
// picture into windows of the common screen sizes, beside the plain copy of
// two full 640 x 480 16-bit screens, in the same run.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "game/form1.h"
#include "game/keycodes.h"
#include "game/random.h"
#include "present/graphics_sdl.h"
#include "present/scaler.h"

namespace {

// A platform whose program folder is a scratch folder holding the built
// pictures and its own score.ini, so game overs leave the player's alone.
class BenchPlatform : public sw::IPlatform {
  public:
    BenchPlatform() {
        namespace fs = std::filesystem;
        dir = fs::temp_directory_path() / ("sevenwell-bench-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        if (!fs::exists(dir / "pic")) fs::create_directory_symlink(SW_GAME_DIR "/pic", dir / "pic");
        std::ofstream(dir / "score.ini", std::ios::binary) << "000000000\r\n000000000\r\n";
    }
    ~BenchPlatform() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    std::filesystem::path dir;
    void Randomize() override {}
    double Rnd() override { return rng.Next(); }
    std::string AppPath() override { return dir.string() + "/"; }
    void MsgBox(const std::string&) override {}
    [[noreturn]] void End(int status) override { std::exit(status); }
    void SetTimer1Interval(int16_t) override {}
    void ShowCursor(bool) override {}
    void OpenSoundDevice() override {}
    sw::Random rng{7};
};

class SilentSound : public sw::ISound {
  public:
    void SubWaveLoad(int16_t, const std::string&) override {}
    void SubWavePlay(int16_t, const std::string&) override {}
    void SubWaveStop(int16_t) override {}
};

// A game window with no window on screen, holding the play screen's
// pictures as the game does in play, and an empty well.
struct PlayGame {
    BenchPlatform plat;
    sw::SdlGraphics gfx{plat};
    SilentSound snd;
    sw::Form1 form{gfx, snd, plat};
    PlayGame() {
        gfx.PicLoad(0, "etc.bmp", -1);
        gfx.PicLoad(2, "bgmst.bmp", -1);
        gfx.BackLoad("bg001.bmp");
        form.SubCls();
    }
};

// A full well, the pair, and every display showing.
void FillPlay(sw::Form1& form) {
    for (int y = 0; y < sw::kRows; ++y)
        for (int x = 0; x < sw::kCols; ++x) form.StrBlock(x, y) = std::to_string(1 + (x + y) % 7);
    form.LngLevel = 10;
    form.LngScore = 12345678;
    form.SngTime = 3725;
    form.IntChainShow = 12;
}

// The whole frame composed every time, as when nothing of the frame
// before last can be kept.
void FullFrame(benchmark::State& state) {
    PlayGame game;
    game.gfx.incremental = false;
    FillPlay(game.form);
    for (auto _ : state) {
        game.form.IntChainTime = 2000;  // keep the chain display and banner on
        game.form.IntVeskTime = 50;
        game.form.SubBlockDraw();
        benchmark::DoNotOptimize(game.gfx.SurfPrimary->pixels);
    }
}
BENCHMARK(FullFrame)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// A frame of play: the pair two pixels further down, the clock a second on
// every sixtieth frame, over the full well.
void PlayFrame(benchmark::State& state) {
    PlayGame game;
    FillPlay(game.form);
    int n = 0;
    for (auto _ : state) {
        auto& form = game.form;
        form.IntChainTime = 2000;
        form.IntVeskTime = 50;
        form.IntPairY(0) = form.IntPairY(1) = static_cast<int16_t>(++n * 2 % 384);
        if (n % 60 == 0) form.SngTime = form.SngTime + 1;
        form.SubBlockDraw();
        benchmark::DoNotOptimize(game.gfx.SurfPrimary->pixels);
    }
}
BENCHMARK(PlayFrame)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// A tick of the title: the same frame again.
void TitleFrame(benchmark::State& state) {
    PlayGame game;
    game.gfx.PicLoad(1, "title.bmp", 0);
    game.form.IntScene = sw::kSceneTitle;
    for (auto _ : state) {
        game.form.Timer1_Timer();
        benchmark::DoNotOptimize(game.gfx.SurfPrimary->pixels);
    }
}
BENCHMARK(TitleFrame)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Ten thousand ticks of play, every frame composed into the back buffer but
// not presented (no window), with a player that moves and drops at random.
void TenThousandPlayTicks(benchmark::State& state) {
    PlayGame game;
    auto& form = game.form;
    int32_t v = 30;
    for (int i = 1; i <= 10; ++i) form.VarLvUp(i) = v *= 2;
    sw::Random keys(99);
    long games = 0;
    for (auto _ : state) {
        form.SubCls();
        form.LngLevel = 1;
        form.IntScene = sw::kSceneFall;
        form.IntFallCnt = 0;
        for (int t = 0; t < 10000; ++t) {
            if (form.IntScene == sw::kSceneFall && keys.Next() < 0.1) {
                const int16_t key[] = {sw::kKeyLeft, sw::kKeyRight, sw::kKeyUp, sw::kKeyDown};
                form.Form_KeyUp(key[static_cast<int>(keys.Next() * 4)], 0);
            }
            form.Timer1_Timer();
            if (form.IntScene == sw::kSceneTitle) {  // a game ended: start the next
                ++games;
                form.IntScene = sw::kSceneFall;
            }
        }
    }
    benchmark::DoNotOptimize(games);
}
BENCHMARK(TenThousandPlayTicks)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// A whole play frame converted and scaled into a 32-bit window of the
// given size by the window-surface path's table scaler, every band sent.
void Present(benchmark::State& state) {
    PlayGame game;
    auto& gfx = game.gfx;
    auto& form = game.form;
    form.SubBlockDraw();
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    sw::Scaler scaler;
    scaler.Plan(w, h, false);
    std::vector<uint32_t> lut(65536), window(static_cast<size_t>(w) * h);
    for (uint32_t v = 0; v < lut.size(); ++v) lut[v] = 0xFF000000u | v;
    std::vector<sw::Box> rects;
    const auto* frame = static_cast<const uint16_t*>(gfx.SurfPrimary->pixels);
    for (auto _ : state) {
        scaler.Copy(frame, nullptr, lut.data(), window.data(), w * 4, 4, rects);
        benchmark::DoNotOptimize(window.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(Present)
    ->Args({1024, 768})
    ->Args({1280, 720})
    ->Args({1366, 768})
    ->Args({1600, 900})
    ->Args({1920, 1080})
    ->Args({2560, 1440})
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void TwoScreenCopy(benchmark::State& state) {
    const size_t bytes = 640 * 480 * 2;
    std::vector<uint8_t> a(bytes, 1), b(bytes, 2), c(bytes, 3);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), bytes);
        std::memcpy(c.data(), b.data(), bytes);
        benchmark::DoNotOptimize(c.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(TwoScreenCopy)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
