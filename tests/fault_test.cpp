// The score file under faults: killed in the middle of writing, and a
// folder that cannot be written at game over.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <random>

#include "doubles.h"
#include "records/score_file.h"

using namespace swtest;

TEST(Fault, KilledWhileWritingLeavesTheOldOrTheNewFile) {
    FakePlatform plat;
    const std::string path = (plat.dir / "score.ini").string();
    plat.WriteScore("000004560\r\n000000070\r\n");
    std::mt19937 rng(42);
    std::string last = plat.ReadScore();
    for (int round = 0; round < 150; ++round) {
        const std::string first = std::to_string(1000 * round + 1);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            execl(SW_SCORE_WRITER, SW_SCORE_WRITER, path.c_str(), first.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        // Wait until the writer has replaced the file once, then kill it at
        // a random moment of its later writes.
        for (int i = 0; i < 5000 && plat.ReadScore() == last; ++i) usleep(1000);
        usleep(rng() % 3000);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer should still have been running";
        const std::string text = plat.ReadScore();
        ASSERT_NE(text, last) << "round " << round << ": the writer never wrote";
        const sw::ScoreVerdict v = sw::CheckScoreText(text);
        ASSERT_TRUE(v.Valid()) << "round " << round << " left: " << text;
        ASSERT_EQ(text, sw::ScoreText(v.hi, v.chain)) << "a whole file, exactly as written";
        last = text;
    }
}

TEST(Fault, UnwritableFolderAtGameOverNamesTheFile) {
    Game g;
    g.Load();
    g.form.IntScene = 0;
    g.form.StrBlock(3, 1) = "4";
    g.form.StrBlock(3, 12) = "4";
    std::filesystem::create_directory(g.plat.dir / "score.ini.new");
    const std::string before = g.plat.ReadScore();
    try {
        g.Ticks(1);
        FAIL() << "game over must report that it cannot save";
    } catch (const sw::RunTimeError& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find("cannot write " + g.plat.AppPath() + "score.ini"), std::string::npos)
            << what;
    }
    EXPECT_EQ(g.plat.ReadScore(), before);
}
