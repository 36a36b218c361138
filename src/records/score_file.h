// Reading and writing the score file's text, apart from the game record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sw {

// The refusal shown for a score file whose check fails.
extern const char* const kScoreRefusal;

// Splits a file's text into fields the way the score file has always been
// read: a field ends at a comma or at a line end (CR LF, CR or LF);
// leading and trailing blanks are dropped. Each field keeps its first 64
// characters, more than a line's check ever looks at.
std::vector<std::string> ScoreFields(const std::string& text, size_t wanted);

// What the score file's text says: its first two fields, and for each
// whether its check character holds and the record it carries.
struct ScoreVerdict {
    size_t fields = 0;  // fields found, at most 2
    bool hiOk = false, chainOk = false;
    int32_t hi = 0, chain = 0;
    bool Valid() const { return fields == 2 && hiOk && chainOk; }
};
ScoreVerdict CheckScoreText(const std::string& text);

// Reads the score file at path as far as its two fields go and judges
// them. A file that is missing, unreadable, a folder or no regular file is
// a RunTimeError naming the path and what is wrong.
ScoreVerdict ReadScoreFile(const std::string& path);

// The file's text for a best score and a best chain: two lines of eight
// digits and a check character, each ending in CR LF.
std::string ScoreText(int64_t hiScore, int64_t maxChain);

// Replaces the file at path with text so that it is always either the old
// or the new file, even if the machine stops half way: a new file of the
// game's own, under a name made up on the spot, is created beside it,
// written, flushed to disk and renamed over the old one. Nothing already
// standing under any other name is opened or changed. When path is a link
// the player made, the link stays and the file it leads to is replaced the
// same way in its own folder. Throws RunTimeError naming the file and the
// reason; on failure the new file is removed and the old one is untouched.
void WriteFileAtomically(const std::string& path, const std::string& text);

// The records a game over keeps: the better of each, the game's own or the
// file's. Another game may have written better ones since this game read
// the file at start-up, so it is read again, under the records' lock so
// that two game overs at one moment take turns, and replaced with the
// larger of each. A file that has become unreadable or is refused is
// replaced by the game's own records. Returns what the file now holds.
struct Records {
    int64_t hi = 0, chain = 0;
};
Records KeepBestRecords(const std::string& path, Records own);

}  // namespace sw
