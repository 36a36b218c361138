// The score file under faults: killed in the middle of writing, names
// planted beside it, a linked file and a write through it that fails half
// way, odd files at start-up, a huge file.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <iostream>
#include <numeric>
#include <random>

#include "doubles.h"
#include "records/score_file.h"

using namespace swtest;
namespace fs = std::filesystem;

namespace {

const std::string kOld = "000004560\r\n000000070\r\n";

void Sh(const fs::path& dir, const std::string& command) {
    ASSERT_EQ(std::system(("cd '" + dir.string() + "' && " + command).c_str()), 0) << command;
}

// What stands at p: a link's target, a folder's names, or a file's bytes.
std::string Look(const fs::path& p) {
    if (fs::is_symlink(p)) return "link to " + fs::read_symlink(p).string();
    std::set<std::string> names;
    if (fs::is_directory(p))
        for (const auto& e : fs::directory_iterator(p))
            names.insert(" " + e.path().filename().string());
    std::ifstream in(p, std::ios::binary);
    return fs::is_directory(p) ? std::accumulate(names.begin(), names.end(), std::string("folder:"))
                               : std::string(std::istreambuf_iterator<char>(in), {});
}

// Body of a death test's child: runs f bound by file permissions even as
// root (or, tiny, with files of 4 bytes at most), prints what it threw.
void InChild(bool tiny, const std::function<void()>& f) {
    alarm(10);  // a hang fails the test instead of stalling it
    const rlimit four{4, RLIM_INFINITY}, any{RLIM_INFINITY, RLIM_INFINITY};
    if (tiny ? signal(SIGXFSZ, SIG_IGN) == SIG_ERR || setrlimit(RLIMIT_FSIZE, &four)
             : geteuid() == 0 && (setgroups(0, nullptr) || setgid(65534) || setuid(65534)))
        std::_Exit(9);
    std::string what = "nothing thrown";
    try {
        f();
    } catch (const sw::RunTimeError& e) {
        what = e.what();
    }
    std::cerr << (setrlimit(RLIMIT_FSIZE, &any) == 0 ? what : "limit stuck");
    std::_Exit(0);
}

}  // namespace

TEST(Fault, KilledWhileWritingLeavesTheOldOrTheNewFile) {
    FakePlatform plat;
    const std::string path = (plat.dir / "score.ini").string();
    plat.WriteScore(kOld);
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

TEST(Fault, TwoGameOversAtOnceKeepEachOthersRecords) {
    // Two games in one folder, one raising the best score game after game,
    // the other the best chain: neither may ever write back a record older
    // than the other's last.
    FakePlatform plat;
    const std::string path = (plat.dir / "score.ini").string();
    plat.WriteScore("000000000\r\n000000000\r\n");
    pid_t writers[2];
    for (const int i : {0, 1}) {
        if ((writers[i] = fork()) == 0) {
            execl(SW_SCORE_WRITER, SW_SCORE_WRITER, path.c_str(), "1", i ? "chain" : "hi", "300",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    for (const pid_t writer : writers) {
        int status = 0;
        waitpid(writer, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a record went back";
    }
    EXPECT_EQ(plat.ReadScore(), sw::ScoreText(300, 300));
}

TEST(Fault, NamesPlantedBesideTheFileChangeNothingButIt) {
    for (const char* plant : {"ln -s diary.txt score.ini.new", "mkdir score.ini.new",
                              "echo kept >score.ini.new && chmod 444 score.ini.new"}) {
        Game g;
        Sh(g.plat.dir, std::string("echo my own words >diary.txt && ") + plant);
        const std::string planted = Look(g.plat.dir / "score.ini.new");
        g.form.LngScore = 9000;
        g.form.SubScoreWrite();
        EXPECT_EQ(Look(g.plat.dir / "score.ini"), "000090000\r\n000000000\r\n") << plant;
        EXPECT_EQ(Look(g.plat.dir / "diary.txt"), "my own words\n") << plant;
        EXPECT_EQ(Look(g.plat.dir / "score.ini.new"), planted) << plant;
        EXPECT_EQ(Look(g.plat.dir), "folder: diary.txt score.ini score.ini.new");
    }
}

TEST(Fault, LinkedScoreFileStaysALinkAndItsTargetIsReplacedWhole) {
    Game g;
    const fs::path keep = g.plat.dir / "keep", link = g.plat.dir / "score.ini";
    Sh(g.plat.dir, "mkdir keep && ln -s keep/records.ini score.ini");  // relative to its folder
    std::ofstream(keep / "records.ini") << kOld;
    g.form.SubScoreRead();
    EXPECT_EQ(g.form.LngHiScore, 456);
    g.form.LngScore = 9000;
    EXPECT_EXIT(InChild(true, [&] { g.form.SubScoreWrite(); }), testing::ExitedWithCode(0),
                "cannot write " + link.string());
    EXPECT_EQ(g.plat.ReadScore(), kOld) << "a failed write keeps the old records";
    g.form.SubScoreWrite();
    EXPECT_EQ(Look(link), "link to keep/records.ini");
    EXPECT_EQ(g.plat.ReadScore(), "000090000\r\n000000070\r\n");
    EXPECT_EQ(Look(keep), "folder: records.ini") << "no temporary left";
    if (geteuid() == 0) {  // a link someone else put there is not followed
        Sh(g.plat.dir, "chown -h 1234 score.ini");
        g.form.LngScore = 9999;
        EXPECT_THROW(g.form.SubScoreWrite(), sw::RunTimeError);
        EXPECT_EQ(g.plat.ReadScore(), "000090000\r\n000000070\r\n");
    }
}

TEST(Fault, OddScoreFilesAtStartUpSayWhatIsWrong) {
    const std::pair<const char*, const char*> cases[] = {
        {"mkdir score.ini", "is a folder, not a file"},
        {"ln -s gone.ini score.ini", "No such file or directory. A score.ini holding two lines"},
        {"mkfifo score.ini", "is not a regular file"},
        {"echo 000000000 >score.ini && chmod 0 score.ini", "Permission denied"},
    };
    for (const auto& [make, says] : cases) {
        Game g;
        Sh(g.plat.dir, make);
        EXPECT_EXIT(InChild(false, [&] { g.form.SubScoreRead(); }), testing::ExitedWithCode(0),
                    "score file " + g.plat.AppPath() + "score.ini.*" + says)
            << make;
    }
}

TEST(Fault, HugeFileIsReadOnlyUpToItsTwoLinesAndMarksStayRefused) {
    auto bytesRead = [] {  // by read() so far: "rchar: N" comes first
        std::string name;
        long long n = -1;
        std::ifstream("/proc/self/io") >> name >> n;
        return name == "rchar:" ? n : -1;
    };
    Game g;
    g.plat.WriteScore(kOld + std::string(8 << 20, '9'));
    const long long before = bytesRead();
    ASSERT_GE(before, 0) << "cannot read /proc/self/io";
    g.form.SubScoreRead();
    EXPECT_LT(bytesRead() - before, 1 << 20) << "read far past the second line";
    EXPECT_EQ(std::pair(g.form.LngHiScore, g.form.LngMaxChain), std::pair(456, 7));
    Game marked;  // a byte-order mark in front, as some editors save
    marked.plat.WriteScore("\xEF\xBB\xBF" + kOld);
    EXPECT_THROW(marked.form.SubScoreRead(), sw::ProgramEnded);
    EXPECT_EQ(marked.plat.messages, std::vector<std::string>{sw::kScoreRefusal});
}
