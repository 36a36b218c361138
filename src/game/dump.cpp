#include "game/dump.h"

#include <sstream>

namespace sw {

namespace {

std::string Row(const Grid& g, int y) {
    std::string row;
    for (int x = 0; x < kCols; ++x) row += g(x, y).empty() ? '.' : g(x, y)[0];
    return row;
}

}  // namespace

std::string DumpRecord(const GameState& s) {
    std::ostringstream o;
    o << "IntScene=" << s.IntScene << "\nIntFallCnt=" << s.IntFallCnt
      << "\nIntCursor=" << s.IntCursor << "\nIntAniCnt=" << s.IntAniCnt
      << "\nIntInterval=" << s.IntInterval;
    for (int i = 0; i < 2; ++i) {
        o << "\nIntPairX(" << i << ")=" << s.IntPairX(i) << "\nIntPairY(" << i
          << ")=" << s.IntPairY(i) << "\nIntPairNo(" << i << ")=" << s.IntPairNo(i);
    }
    o << "\nFlgPair=" << s.FlgPair << "\nLngLevel=" << s.LngLevel << "\nLngScore=" << s.LngScore
      << "\nLngHiScore=" << s.LngHiScore << "\nLngMaxChain=" << s.LngMaxChain
      << "\nLngChain=" << s.LngChain << "\nIntChainShow=" << s.IntChainShow
      << "\nIntChainTime=" << s.IntChainTime << "\nIntVeskTime=" << s.IntVeskTime
      << "\nIntVeskNo=" << s.IntVeskNo << "\nSngTime=" << s.SngTime << "\nIntBgNo=" << s.IntBgNo
      << "\nIntBgmNo=" << s.IntBgmNo << "\nFlgSevenOff=" << s.FlgSevenOff;
    for (int y = 0; y < kRows; ++y) o << "\nStrBlock(" << y << ")=" << Row(s.StrBlock, y);
    for (int y = 0; y < kRows; ++y) {
        std::string marks;
        for (int x = 0; x < kCols; ++x) marks += s.StrDelFlg(x, y).empty() ? '.' : 'x';
        o << "\nStrDelFlg(" << y << ")=" << marks;
    }
    o << "\n";
    return o.str();
}

bool SetField(GameState& s, const std::string& name, const std::string& value) {
    long v = 0;
    try {
        v = std::stol(value);
    } catch (const std::exception&) {
        return false;
    }
    auto i16 = [&](int16_t& f) { f = Int16(v, name.c_str()); };
    auto i32 = [&](int32_t& f) { f = Lng32(v, name.c_str()); };
    if (name == "IntScene")
        i16(s.IntScene);
    else if (name == "IntFallCnt")
        i16(s.IntFallCnt);
    else if (name == "IntCursor")
        i16(s.IntCursor);
    else if (name == "IntAniCnt")
        i16(s.IntAniCnt);
    else if (name == "IntPairX(0)")
        i16(s.IntPairX(0));
    else if (name == "IntPairX(1)")
        i16(s.IntPairX(1));
    else if (name == "IntPairY(0)")
        i16(s.IntPairY(0));
    else if (name == "IntPairY(1)")
        i16(s.IntPairY(1));
    else if (name == "IntPairNo(0)")
        i16(s.IntPairNo(0));
    else if (name == "IntPairNo(1)")
        i16(s.IntPairNo(1));
    else if (name == "FlgPair")
        i16(s.FlgPair);
    else if (name == "LngLevel")
        i32(s.LngLevel);
    else if (name == "LngScore")
        i32(s.LngScore);
    else if (name == "LngHiScore")
        i32(s.LngHiScore);
    else if (name == "LngMaxChain")
        i32(s.LngMaxChain);
    else if (name == "LngChain")
        i32(s.LngChain);
    else if (name == "IntChainShow")
        i16(s.IntChainShow);
    else if (name == "IntChainTime")
        i16(s.IntChainTime);
    else if (name == "IntVeskTime")
        i16(s.IntVeskTime);
    else if (name == "IntVeskNo")
        i16(s.IntVeskNo);
    else if (name == "SngTime")
        s.SngTime = static_cast<float>(v);
    else if (name == "IntBgNo")
        i16(s.IntBgNo);
    else if (name == "IntBgmNo")
        i16(s.IntBgmNo);
    else if (name == "FlgSevenOff")
        i16(s.FlgSevenOff);
    else
        return false;
    return true;
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
