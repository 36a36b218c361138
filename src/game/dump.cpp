#include "game/dump.h"

#include <sstream>
#include <type_traits>

namespace sw {

namespace {

std::string Row(const Grid& g, int y) {
    std::string row;
    for (int x = 0; x < kCols; ++x) row += g(x, y).empty() ? '.' : g(x, y)[0];
    return row;
}

}  // namespace

// Every number of the record with its name, in the order the dump prints
// them; printing and setting both go through this one list. VarLvUp shows
// the entries 1 to 10, the only ones the game fills or reads.
template <typename State, typename Visit>
void EachField(State& s, Visit visit) {
    visit("IntScene", s.IntScene);
    visit("IntFallCnt", s.IntFallCnt);
    visit("IntCursor", s.IntCursor);
    visit("IntAniCnt", s.IntAniCnt);
    visit("IntInterval", s.IntInterval);
    for (int i = 0; i < 2; ++i) {
        const std::string n = "(" + std::to_string(i) + ")";
        visit("IntPairX" + n, s.IntPairX(i));
        visit("IntPairY" + n, s.IntPairY(i));
        visit("IntPairNo" + n, s.IntPairNo(i));
    }
    visit("FlgPair", s.FlgPair);
    visit("LngLevel", s.LngLevel);
    for (int i = 1; i <= 10; ++i) visit("VarLvUp(" + std::to_string(i) + ")", s.VarLvUp(i));
    visit("LngScore", s.LngScore);
    visit("LngHiScore", s.LngHiScore);
    visit("LngMaxChain", s.LngMaxChain);
    visit("LngChain", s.LngChain);
    visit("IntChainShow", s.IntChainShow);
    visit("IntChainTime", s.IntChainTime);
    visit("IntVeskTime", s.IntVeskTime);
    visit("IntVeskNo", s.IntVeskNo);
    visit("SngTime", s.SngTime);
    visit("IntBgNo", s.IntBgNo);
    visit("IntBgmNo", s.IntBgmNo);
    visit("FlgSevenOff", s.FlgSevenOff);
}

std::string DumpRecord(const GameState& s) {
    std::ostringstream o;
    EachField(s, [&o](const std::string& name, const auto& v) { o << name << "=" << v << "\n"; });
    for (int y = 0; y < kRows; ++y) o << "StrBlock(" << y << ")=" << Row(s.StrBlock, y) << "\n";
    for (int y = 0; y < kRows; ++y) {
        std::string marks;
        for (int x = 0; x < kCols; ++x) marks += s.StrDelFlg(x, y).empty() ? '.' : 'x';
        o << "StrDelFlg(" << y << ")=" << marks << "\n";
    }
    return o.str();
}

bool SetField(GameState& s, const std::string& name, const std::string& value) {
    long v = 0;
    try {
        v = std::stol(value);
    } catch (const std::exception&) {
        return false;
    }
    bool found = false;
    EachField(s, [&](const std::string& field, auto& f) {
        if (found || field != name) return;
        using T = std::remove_reference_t<decltype(f)>;
        if constexpr (std::is_same_v<T, int16_t>) {
            f = Int16(v, name.c_str());
        } else if constexpr (std::is_same_v<T, int32_t>) {
            f = Lng32(v, name.c_str());
        } else {
            f = static_cast<T>(v);
        }
        found = true;
    });
    return found;
}

bool SetWellRow(GameState& s, int row, const std::string& cells) {
    if (row < 0 || row >= kRows || cells.size() != kCols) return false;
    for (int x = 0; x < kCols; ++x) {
        const char c = cells[x];
        if (c != '.' && (c < '1' || c > '7')) return false;
    }
    for (int x = 0; x < kCols; ++x) {
        s.StrBlock(x, row) = cells[x] == '.' ? "" : std::string(1, cells[x]);
        s.StrDelFlg(x, row) = "";
    }
    return true;
}

}  // namespace sw
