// The game window's side of the score file: where it lives, reading the
// records at start-up with the verdict, and writing them at game over.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "game/form1.h"
#include "platform/files.h"
#include "records/score_file.h"

namespace sw {

std::string Form1::ScoreFilePath() {
    return plat.RecordsFolder() + "score.ini";
}

void Form1::SubScoreRead() {
    std::string path = ScoreFilePath();
    // Records kept in the player's own folder start, the first time, from
    // those the install came with (when they pass their check), or at 0.
    if (plat.RecordsFolder() != plat.AppPath() && !std::filesystem::exists(Utf8Path(path))) {
        path = plat.AppPath() + "score.ini";
        ScoreVerdict v;
        try {
            v = ReadScoreFile(path);
        } catch (const RunTimeError&) {
        }
        LngHiScore = v.Valid() ? v.hi : 0;
        LngMaxChain = v.Valid() ? v.chain : 0;
        return;
    }
    const ScoreVerdict v = ReadScoreFile(path);
    if (v.fields < 2) {
        throw RunTimeError("the score file " + path + " holds " + std::to_string(v.fields) +
                           " of its 2 lines");
    }
    // Both lines are read and checked before the verdict; a good line is
    // taken even when the other one refuses the file.
    if (v.hiOk) LngHiScore = v.hi;
    if (v.chainOk) LngMaxChain = v.chain;
    const bool valid = v.Valid();
    if (!valid) {
        plat.MsgBox(kScoreRefusal);
        plat.End(1);
    }
}

void Form1::SubScoreWrite() {
    if (LngScore > LngHiScore) LngHiScore = LngScore;
    const int64_t chain = LngChain > LngMaxChain ? LngChain : LngMaxChain;
    const std::string folder = plat.RecordsFolder();
    if (folder != plat.AppPath() && !MakeFolders(folder)) {
        throw RunTimeError("cannot make the folder for the records, " + folder + ": " +
                           std::strerror(errno));
    }
    // Another game in the same folder may have done better meanwhile: the
    // window shows the records the file keeps.
    const Records kept = KeepBestRecords(ScoreFilePath(), {LngHiScore, chain});
    LngHiScore = static_cast<int32_t>(std::min<int64_t>(kept.hi, INT32_MAX));
    if (kept.chain > chain)
        LngMaxChain = static_cast<int32_t>(std::min<int64_t>(kept.chain, INT32_MAX));
}

}  // namespace sw
