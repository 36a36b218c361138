// Test doubles of the three layers, and helpers to build a game in a test.
#pragma once

#include <stdlib.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "game/dump.h"
#include "game/form1.h"
#include "game/random.h"

namespace swtest {

// Pictures and sounds: every load and sound as text in calls, and every
// cut from the sprite sheet.
class FakeLayers : public sw::IGraphics, public sw::ISound {
  public:
    void init() override { calls.push_back("init"); }
    void PicLoad(int16_t i, const std::string& p, int16_t t) override {
        Call("PicLoad", i, p + " " + std::to_string(t));
        if (i == sw::kPicSheet) sheet = p == "etc.bmp";
    }
    void PicDraw(int16_t i, double mx, double my, double sx, double sy, double h,
                 double w) override {
        if (i == sw::kPicSheet && sheet) sheetCuts.insert({mx, my, w, h});
        (void)sx, (void)sy;
    }
    void BackLoad(const std::string& p) override { Call("BackLoad", 0, p); }
    void BackDraw() override {}
    void SurfFlip() override {}
    [[noreturn]] void EndIt() override { throw sw::ProgramEnded{0}; }
    void SubWaveLoad(int16_t i, const std::string& f) override { Call("load", i, f); }
    void SubWavePlay(int16_t i, const std::string& o) override { Call("play", i, o); }
    void SubWaveStop(int16_t i) override { Call("stop", i, ""); }
    void Call(const std::string& name, int16_t i, const std::string& rest) {
        calls.push_back(name + " " + std::to_string(i) + " " + rest);
    }

    std::vector<std::string> calls;
    std::set<std::vector<double>> sheetCuts;  // x y w h
    bool sheet = false;
};

// A seeded generator (or scripted draws first), a temporary program
// folder, and an End() that throws so the test sees it.
class FakePlatform : public sw::IPlatform {
  public:
    FakePlatform() {
        std::string name = std::filesystem::temp_directory_path() / "sevenwell-test-XXXXXX";
        dir = mkdtemp(name.data());
        std::filesystem::permissions(dir, std::filesystem::perms::all);  // the fault tests' child
    }
    ~FakePlatform() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    void Randomize() override { rng.Seed(seed); }
    double Rnd() override {
        if (script.empty()) return rng.Next();
        const double r = script.front();
        script.pop_front();
        return r;
    }
    std::string AppPath() override { return dir.string() + "/"; }
    std::string RecordsFolder() override { return records.empty() ? AppPath() : records; }
    void MsgBox(const std::string& text) override { messages.push_back(text); }
    [[noreturn]] void End(int status) override { throw sw::ProgramEnded{status}; }
    void SetTimer1Interval(int16_t) override {}
    void ShowCursor(bool) override {}
    void OpenSoundDevice() override {}

    void WriteScore(const std::string& text) const {
        std::ofstream(dir / "score.ini", std::ios::binary) << text;
    }
    std::string ReadScore() const {
        std::ifstream in(dir / "score.ini", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    uint32_t seed = 1;
    sw::Random rng{1};
    std::deque<double> script;
    std::filesystem::path dir;
    std::string records;  // the records' own folder, when not the program's
    std::vector<std::string> messages;
};

// A game window over the doubles.
struct Game {
    FakeLayers io;
    FakePlatform plat;
    sw::Form1 form{io, io, plat};

    // Form_Load with a score file of zeros unless one was written before.
    void Load() {
        if (!std::filesystem::exists(plat.dir / "score.ini"))
            plat.WriteScore("000000000\r\n000000000\r\n");
        form.Form_Load();
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) form.Timer1_Timer();
    }
    void Key(int16_t code) { form.Form_KeyUp(code, 0); }
};

// The well in a small text form: rows separated by '/', '.' empty, '1' to
// '7' a block. The rows given are the bottom ones; a leading '^' puts them
// at the top instead. Well() gives all thirteen rows; Rows() reads a grid
// back, marks as 'x'.
inline std::string Well(const std::string& rows) {
    const bool top = !rows.empty() && rows[0] == '^';
    std::vector<std::string> all;
    std::stringstream in(rows.substr(top ? 1 : 0));
    for (std::string row; std::getline(in, row, '/');) all.push_back(row);
    all.insert(top ? all.end() : all.begin(), sw::kRows - all.size(), ".......");
    std::string joined;
    for (const auto& row : all) joined += (joined.empty() ? "" : "/") + row;
    return joined;
}
inline void SetWell(sw::Form1& f, const std::string& rows) {
    const std::string all = Well(rows);
    for (int y = 0; y < sw::kRows; ++y) sw::SetWellRow(f, y, all.substr(y * 8, 7));
}
inline std::string Rows(const sw::Grid& g, bool marks = false) {
    std::string rows;
    for (int y = 0; y < sw::kRows; ++y) {
        rows += y ? "/" : "";
        for (int x = 0; x < sw::kCols; ++x)
            rows += marks ? (g(x, y) == "1" ? 'x' : '.') : g(x, y).empty() ? '.' : g(x, y)[0];
    }
    return rows;
}

// The record's numbers by name: Set(f, "LngLevel=5 FlgPair=0"), or names
// and values apart: Set(f, "LngLevel FlgPair", "5 0"). Pick(f, "IntScene
// LngLevel") gives "97 5".
inline void Set(sw::GameState& s, const std::string& assignments) {
    std::istringstream in(assignments);
    for (std::string a; in >> a;) {
        const size_t eq = a.find('=');
        if (eq == std::string::npos || !sw::SetField(s, a.substr(0, eq), a.substr(eq + 1)))
            throw std::invalid_argument("cannot set " + a);
    }
}
inline void Set(sw::GameState& s, const std::string& names, const std::string& values) {
    std::istringstream n(names), v(values);
    for (std::string name, value; n >> name && v >> value;) Set(s, name + "=" + value);
}
inline std::string Pick(const sw::GameState& s, const std::string& names) {
    const std::string dump = "\n" + sw::DumpRecord(s);
    std::istringstream in(names);
    std::string picked;
    for (std::string name; in >> name;) {
        const size_t at = dump.find("\n" + name + "=");
        if (at == std::string::npos) throw std::invalid_argument("no field " + name);
        const size_t from = at + name.size() + 2;
        picked += (picked.empty() ? "" : " ") + dump.substr(from, dump.find('\n', from) - from);
    }
    return picked;
}

}  // namespace swtest
