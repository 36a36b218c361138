#include "soak.h"

#include <sstream>

#include "doubles.h"
#include "game/dump.h"
#include "game/keycodes.h"

namespace swtest {

namespace {

bool Digit(const std::string& c) {
    return c.size() == 1 && c[0] >= '1' && c[0] <= '7';
}

}  // namespace

std::string Unsound(const sw::GameState& s) {
    std::ostringstream why;
    const int16_t sc = s.IntScene;
    const bool play = sc >= 0 && sc <= 4;
    if (!(play || (sc >= 96 && sc <= 99))) why << "scene " << sc << "; ";
    bool marks = false;
    for (int y = 0; y < sw::kRows; ++y) {
        for (int x = 0; x < sw::kCols; ++x) {
            const std::string& b = s.StrBlock(x, y);
            const std::string& m = s.StrDelFlg(x, y);
            if (!(b.empty() || Digit(b)))
                why << "cell (" << x << "," << y << ") holds '" << b << "'; ";
            if (!(m.empty() || m == "1"))
                why << "mark (" << x << "," << y << ") holds '" << m << "'; ";
            if (m == "1" && b.empty()) why << "mark on an empty cell (" << x << "," << y << "); ";
            marks = marks || m == "1";
        }
    }
    // Marks live only from a successful search to its deletion step.
    if (marks && sc != 2 && sc != 3) why << "marks outside the blink; ";
    if (sc == 0 || sc == 1) {
        for (int x = 0; x < sw::kCols; ++x) {
            bool seenBlock = false;
            for (int y = 0; y < sw::kRows; ++y) {
                if (!s.StrBlock(x, y).empty())
                    seenBlock = true;
                else if (seenBlock)
                    why << "column " << x << " not packed; ";
            }
        }
    }
    if (s.LngLevel < 1 || s.LngLevel > 10) why << "level " << s.LngLevel << "; ";
    if (sc == 0 && s.FlgPair == -1) {
        // The pair under control lies inside the well on empty cells.
        for (int i = 0; i < 2; ++i) {
            const int px = s.IntPairX(i), py = s.IntPairY(i);
            if (px < 0 || px > 192 || px % 32 != 0 || py < 0 || py > 384) {
                why << "pair block " << i << " at (" << px << "," << py << "); ";
                continue;
            }
            const int c = px / 32, r = py / 32;
            if (!s.StrBlock(c, r).empty() ||
                (py % 32 != 0 && r < 12 && !s.StrBlock(c, r + 1).empty()))
                why << "pair block " << i << " overlaps a block; ";
        }
        if (s.IntPairX(1) != s.IntPairX(0) + 32) why << "pair blocks apart; ";
        if (s.IntPairY(0) != s.IntPairY(1)) why << "pair blocks on different rows while falling; ";
    }
    if (s.IntPairNo(0) < 1 || s.IntPairNo(0) > 7 || s.IntPairNo(1) < 1 || s.IntPairNo(1) > 7)
        why << "pair digits; ";
    if (s.IntFallCnt < 0 || s.IntFallCnt > 300) why << "IntFallCnt " << s.IntFallCnt << "; ";
    if (sc == 0 && s.IntFallCnt > 32) why << "fall count " << s.IntFallCnt << "; ";
    if (s.IntAniCnt < 0 || s.IntAniCnt > 21) why << "IntAniCnt " << s.IntAniCnt << "; ";
    if (s.IntChainTime < 0 || s.IntChainTime > 2000)
        why << "IntChainTime " << s.IntChainTime << "; ";
    if (s.IntVeskTime < 0 || s.IntVeskTime > 50) why << "IntVeskTime " << s.IntVeskTime << "; ";
    if (s.IntVeskNo < 0 || s.IntVeskNo > 4) why << "IntVeskNo " << s.IntVeskNo << "; ";
    if (s.LngScore < 0 || s.LngChain < 0) why << "negative score or chain; ";
    return why.str();
}

SoakResult Soak(uint32_t seed, long ticks) {
    Game g;
    g.plat.seed = seed;
    g.plat.rng.Seed(seed);
    g.Load();
    sw::Random keys(seed ^ 0x5eed5eedu);
    static const int16_t kKeys[] = {sw::kKeyBack,  sw::kKeyEnter, sw::kKeyLeft, sw::kKeyUp,
                                    sw::kKeyRight, sw::kKeyDown,  sw::kKeyR};
    SoakResult r;
    int16_t lastScene = g.form.IntScene;
    for (long t = 0; t < ticks; ++t) {
        // About one key every eight ticks; never Escape, nor the quit item.
        if (keys.Next() < 0.125) {
            const int16_t key = kKeys[static_cast<int>(keys.Next() * 7)];
            const bool quits =
                g.form.IntScene == 98 && g.form.IntCursor == 2 && key == sw::kKeyEnter;
            // In play, drop more often than anything else so games end.
            if (!quits) g.Key(key);
            if (g.form.IntScene == 0 && keys.Next() < 0.5) g.Key(sw::kKeyDown);
        }
        if (t % 100 == 0) g.form.Timer2_Timer();
        g.form.Timer1_Timer();
        ++r.ticks;
        if (lastScene == 4 && g.form.IntScene == 98) ++r.games;
        if (lastScene == 1 && g.form.IntScene == 2) ++r.chains;
        lastScene = g.form.IntScene;
        // Keep the recorded calls from growing without end.
        if (g.gfx.draws.size() > 4096) g.gfx.Clear();
        if (g.snd.calls.size() > 4096) g.snd.calls.clear();
        if (g.gfx.calls.size() > 4096) g.gfx.calls.clear();
        const std::string fault = Unsound(g.form);
        if (!fault.empty()) {
            r.fault = "tick " + std::to_string(t) + ": " + fault + "\n" + sw::DumpRecord(g.form);
            break;
        }
    }
    return r;
}

}  // namespace swtest
