// The soak: the whole game headless, random key releases from a seeded
// generator, and after every tick a check that the record is sound. Its
// length in ticks comes from SW_SOAK_TICKS (make soak runs a million).
#include <gtest/gtest.h>

#include "doubles.h"
#include "game/keycodes.h"

using namespace swtest;

namespace {

// What is wrong with the record, or "" when it is sound.
std::string Unsound(const sw::GameState& s) {
    std::ostringstream why;
    const int16_t sc = s.IntScene;
    if (!((sc >= 0 && sc <= 4) || (sc >= 96 && sc <= 99))) why << "scene " << sc << "; ";
    for (int x = 0; x < sw::kCols; ++x) {
        bool above = false;  // a block seen higher up this column
        for (int y = 0; y < sw::kRows; ++y) {
            const std::string &b = s.StrBlock(x, y), &m = s.StrDelFlg(x, y);
            // Marks lie on blocks, and only from a search to its deletion;
            // columns are packed outside those scenes.
            if ((!b.empty() && (b.size() != 1 || b[0] < '1' || b[0] > '7')) ||
                (!m.empty() && (m != "1" || b.empty() || (sc != 2 && sc != 3))) ||
                (b.empty() && above && sc <= 1))
                why << "cell (" << x << "," << y << ") '" << b << "' '" << m << "'; ";
            above = above || !b.empty();
        }
    }
    // The pair under control lies inside the well on empty cells, side by side.
    for (int i = 0; i < 2 && sc == 0 && s.FlgPair == -1; ++i) {
        const int px = s.IntPairX(i), py = s.IntPairY(i), c = px / 32, r = py / 32;
        if (px < 0 || px > 192 || px % 32 != 0 || py < 0 || py > 384 || !s.StrBlock(c, r).empty() ||
            (py % 32 != 0 && r < 12 && !s.StrBlock(c, r + 1).empty()) ||
            s.IntPairX(1) != s.IntPairX(0) + 32 || s.IntPairY(0) != s.IntPairY(1))
            why << "pair block " << i << " at (" << px << "," << py << "); ";
    }
    const int32_t ranges[][3] = {{s.LngLevel, 1, 10},        {s.IntPairNo(0), 1, 7},
                                 {s.IntPairNo(1), 1, 7},     {s.IntAniCnt, 0, 21},
                                 {s.IntChainTime, 0, 2000},  {s.IntVeskTime, 0, 50},
                                 {s.IntVeskNo, 0, 4},        {s.LngScore, 0, INT32_MAX},
                                 {s.LngChain, 0, INT32_MAX}, {s.IntFallCnt, 0, sc == 0 ? 32 : 300}};
    for (const auto& r : ranges)
        if (r[0] < r[1] || r[0] > r[2]) why << "a number out of range: " << r[0] << "; ";
    return why.str();
}

}  // namespace

TEST(Soak, RandomKeysKeepTheRecordSoundAndGamesEnd) {
    const char* asked = std::getenv("SW_SOAK_TICKS");
    const long ticks = asked ? std::atol(asked) : 150000;
    Game g;
    g.plat.seed = 2026;
    g.Load();
    sw::Random keys(2026 ^ 0x5eed5eedu);
    static const int16_t kKeys[] = {sw::kKeyBack,  sw::kKeyEnter, sw::kKeyLeft, sw::kKeyUp,
                                    sw::kKeyRight, sw::kKeyDown,  sw::kKeyR};
    long games = 0, chains = 0;
    for (long t = 0; t < ticks; ++t) {
        // About one key every eight ticks; never Escape, nor the quit item.
        if (keys.Next() < 0.125) {
            const int16_t key = kKeys[static_cast<int>(keys.Next() * 7)];
            if (g.form.IntScene != 98 || g.form.IntCursor != 2 || key != sw::kKeyEnter) g.Key(key);
            // In play, drop more often than anything else so games end.
            if (g.form.IntScene == 0 && keys.Next() < 0.5) g.Key(sw::kKeyDown);
        }
        if (t % 100 == 0) g.form.Timer2_Timer();
        const int16_t scene = g.form.IntScene;
        g.form.Timer1_Timer();
        games += scene == 4 && g.form.IntScene == 98;
        chains += scene == 1 && g.form.IntScene == 2;
        if (t % 1024 == 0) g.io.calls.clear();  // keep the records small
        ASSERT_EQ(Unsound(g.form), "") << "tick " << t << "\n" << sw::DumpRecord(g.form);
    }
    // A player that never ends a game or removes a block proves little.
    EXPECT_TRUE(games > 0 && chains > 0) << games << " games, " << chains << " removals";
}
