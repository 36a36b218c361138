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
    EXPECT_EQ(Unsound(g.form), "");
    struct {
        const char* what;
        void (*breakIt)(sw::GameState&);
    } cases[] = {
        {"bad cell", [](sw::GameState& s) { s.StrBlock(0, 12) = "8"; }},
        {"loose block", [](sw::GameState& s) { s.StrBlock(0, 5) = "3"; }},
        {"mark in fall",
         [](sw::GameState& s) {
             s.StrBlock(0, 12) = "3";
             s.StrDelFlg(0, 12) = "1";
         }},
        {"level", [](sw::GameState& s) { s.LngLevel = 11; }},
        {"scene", [](sw::GameState& s) { s.IntScene = 5; }},
        {"pair outside", [](sw::GameState& s) { s.IntPairX(0) = 224; }},
        {"pair on a block",
         [](sw::GameState& s) {
             s.StrBlock(3, 12) = "1";
             s.IntPairY(0) = s.IntPairY(1) = 380;
         }},
        {"banner", [](sw::GameState& s) { s.IntVeskTime = 51; }},
    };
    for (const auto& c : cases) {
        sw::GameState s = g.form;
        c.breakIt(s);
        EXPECT_NE(Unsound(s), "") << c.what;
    }
}
