// The game window's side of the score file: where it lives, reading the
// records at start-up with the verdict, and writing them at game over.
#include "game/form1.h"
#include "records/score_file.h"

namespace sw {

std::string Form1::ScoreFilePath() {
    return plat.AppPath() + "score.ini";
}

void Form1::SubScoreRead() {
    const std::string path = ScoreFilePath();
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
    WriteFileAtomically(ScoreFilePath(), ScoreText(LngHiScore, chain));
}

}  // namespace sw
