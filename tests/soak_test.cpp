// A shorter soak in the test suite; the long one is the soak tool.
#include "soak.h"

#include <gtest/gtest.h>

#include "doubles.h"

using namespace swtest;

TEST(Soak, HundredThousandTicksStaySound) {
    long games = 0, chains = 0;
    for (uint32_t seed : {1u, 2u, 3u, 4u}) {
        const SoakResult r = Soak(seed, 25000);
        ASSERT_EQ(r.fault, "") << "seed " << seed;
        games += r.games;
        chains += r.chains;
    }
    EXPECT_GT(games, 4) << "the random player should finish games";
    EXPECT_GT(chains, 20) << "and remove blocks";
}

TEST(Soak, TheCheckerCatchesBrokenRecords) {
    Game g;
    g.Load();
    g.form.IntScene = 0;
    ASSERT_EQ(Unsound(g.form), "");
    void (*breaks[])(sw::GameState&) = {
        [](sw::GameState& s) { s.StrBlock(0, 12) = "8"; },
        [](sw::GameState& s) { s.StrBlock(0, 5) = "3"; },  // a loose block
        [](sw::GameState& s) { s.StrBlock(0, 12) = s.StrDelFlg(0, 12) = "1"; },
        [](sw::GameState& s) { s.IntPairX(0) = 224; },
    };
    for (auto breakIt : breaks) {
        sw::GameState s = g.form;
        breakIt(s);
        EXPECT_NE(Unsound(s), "");
    }
}
