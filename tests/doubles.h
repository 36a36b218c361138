// Test doubles of the three layers, and helpers to build a game in a test.
#pragma once

#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "game/errors.h"
#include "game/form1.h"
#include "game/random.h"

namespace swtest {

// One PicDraw as the game asked for it.
struct Draw {
    int slot;
    double mx, my, sx, sy, h, w;
    bool operator==(const Draw&) const = default;
};

// Records every call; PicDraw calls are also kept as Draw records.
class FakeGraphics : public sw::IGraphics {
  public:
    void init() override { calls.push_back("init"); }
    void PicLoad(int16_t i, const std::string& p, int16_t t) override {
        calls.push_back("PicLoad " + std::to_string(i) + " " + p + " " + std::to_string(t));
        if (i >= 0 && i < 20) slots[i] = p;
    }
    void PicDraw(int16_t i, double mx, double my, double sx, double sy, double h,
                 double w) override {
        draws.push_back({i, mx, my, sx, sy, h, w});
        if (i == 0 && slots[0] == "etc.bmp") sheetCuts.insert({mx, my, w, h});
    }
    void BackLoad(const std::string& p) override { calls.push_back("BackLoad " + p); }
    void BackDraw() override { ++backDraws; }
    void SurfFlip() override { ++flips; }
    [[noreturn]] void EndIt() override {
        calls.push_back("EndIt");
        throw sw::ProgramEnded{0};
    }
    void Clear() {
        calls.clear();
        draws.clear();
        backDraws = flips = 0;
    }

    std::vector<std::string> calls;
    std::vector<Draw> draws;
    std::set<std::vector<double>> sheetCuts;  // x y w h of every sheet cut, kept over Clear()
    std::string slots[20];
    int backDraws = 0, flips = 0;
};

class FakeSound : public sw::ISound {
  public:
    void SubWaveLoad(int16_t i, const std::string& f) override {
        calls.push_back("load " + std::to_string(i) + " " + f);
    }
    void SubWavePlay(int16_t i, const std::string& o) override {
        calls.push_back("play " + std::to_string(i) + " " + o);
    }
    void SubWaveStop(int16_t i) override { calls.push_back("stop " + std::to_string(i)); }
    std::vector<std::string> calls;
};

// A platform with a seeded generator (or scripted draws), a temporary
// program folder, and an End() that throws so the test sees it.
class FakePlatform : public sw::IPlatform {
  public:
    FakePlatform();
    ~FakePlatform() override;
    void Randomize() override { rng.Seed(seed); }
    double Rnd() override {
        if (!script.empty()) {
            const double r = script.front();
            script.pop_front();
            return r;
        }
        return rng.Next();
    }
    std::string AppPath() override { return dir.string() + "/"; }
    void MsgBox(const std::string& text) override { messages.push_back(text); }
    [[noreturn]] void End(int status) override {
        ended.push_back(status);
        throw sw::ProgramEnded{status};
    }
    void SetTimer1Interval(int16_t ms) override { timer1 = ms; }
    void ShowCursor(bool show) override { cursorShown = show; }
    void OpenSoundDevice() override { soundOpen = true; }

    void WriteScore(const std::string& text) const;
    std::string ReadScore() const;

    uint32_t seed = 1;
    sw::Random rng{1};
    std::deque<double> script;
    std::filesystem::path dir;
    std::vector<std::string> messages;
    std::vector<int> ended;
    int16_t timer1 = 0;
    bool cursorShown = true;
    bool soundOpen = false;
};

// A game window over the three doubles.
struct Game {
    FakeGraphics gfx;
    FakeSound snd;
    FakePlatform plat;
    sw::Form1 form{gfx, snd, plat};

    // Form_Load with a valid score file (best 0 / 0 unless written before).
    void Load();
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) form.Timer1_Timer();
    }
    void Key(int16_t code) { form.Form_KeyUp(code, 0); }
};

// The well in a small text form: rows separated by '/', '.' empty, '1' to
// '7' a block. The rows given are the bottom ones; a leading '^' puts them
// at the top instead. Well() gives all thirteen rows; marks read back with
// 'x' for a marked cell.
std::string Well(const std::string& rows);
void SetWell(sw::Form1& f, const std::string& rows);
std::string WellRows(const sw::Grid& g);
std::string MarkRows(const sw::Grid& g);

// The record's numbers by name: Set(f, "LngLevel=5 FlgPair=0"), or names
// and values apart: Set(f, "LngLevel FlgPair", "5 0"). Pick(f, "IntScene
// LngLevel") gives "97 5". Calls(c) joins calls with '|'.
void Set(sw::GameState& s, const std::string& assignments);
void Set(sw::GameState& s, const std::string& names, const std::string& values);
std::string Pick(const sw::GameState& s, const std::string& names);
std::string Calls(const std::vector<std::string>& calls);

}  // namespace swtest
