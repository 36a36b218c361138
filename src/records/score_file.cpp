// The score file: the best score and the best chain between runs.
#include "records/score_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "game/form1.h"
#include "records/module1.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace sw {

const char* const kScoreRefusal = "score.iniのファイルが不正です。";

namespace {

constexpr int64_t kMaxRecord = 99999999;  // what eight digits can hold

std::string SystemReason() {
    return std::strerror(errno);
}

std::string Folder(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

void SyncFolder(const std::string& path) {
#ifndef _WIN32
    // Make the rename itself durable; a folder that cannot be opened for
    // this is no reason to fail, the file is already in place.
    const int fd = open(Folder(path).c_str(), O_RDONLY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
#else
    (void)path;
#endif
}

}  // namespace

std::vector<std::string> ScoreFields(const std::string& text, size_t wanted) {
    std::vector<std::string> fields;
    size_t i = 0;
    while (fields.size() < wanted && i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        std::string field;
        while (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n') {
            field += text[i++];
        }
        while (!field.empty() && (field.back() == ' ' || field.back() == '\t')) field.pop_back();
        if (i < text.size()) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            ++i;
        }
        fields.push_back(field);
    }
    return fields;
}

ScoreVerdict CheckScoreText(const std::string& text) {
    ScoreVerdict v;
    const std::vector<std::string> fields = ScoreFields(text, 2);
    v.fields = fields.size();
    if (v.fields >= 1 && FncCodeCheck(fields[0]) == "OK") {
        v.hiOk = true;
        v.hi = std::stoi(fields[0].substr(0, 8));
    }
    if (v.fields >= 2 && FncCodeCheck(fields[1]) == "OK") {
        v.chainOk = true;
        v.chain = std::stoi(fields[1].substr(0, 8));
    }
    return v;
}

std::string ScoreText(int64_t hiScore, int64_t maxChain) {
    auto line = [](int64_t value) {
        // A record past eight digits is kept at the largest one the line
        // can hold rather than written as a line the next start refuses.
        if (value > kMaxRecord) value = kMaxRecord;
        if (value < 0) value = 0;
        return FncCodeAdd(Format(value, 8)) + "\r\n";
    };
    return line(hiScore) + line(maxChain);
}

void WriteFileAtomically(const std::string& path, const std::string& text) {
    const std::string temp = path + ".new";
    auto fail = [&](const std::string& step) {
        const std::string reason = SystemReason();
        std::remove(temp.c_str());
        throw RunTimeError("cannot write " + path + ": " + step + ": " + reason);
    };

    std::FILE* file = std::fopen(temp.c_str(), "wb");
    if (!file) fail("cannot create " + temp);
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size() || std::fflush(file) != 0) {
        std::fclose(file);
        fail("write failed");
    }
#ifdef _WIN32
    if (_commit(_fileno(file)) != 0) {
#else
    if (fsync(fileno(file)) != 0) {
#endif
        std::fclose(file);
        fail("flush to disk failed");
    }
    if (std::fclose(file) != 0) fail("close failed");
#ifdef _WIN32
    if (!MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) fail("rename failed");
#else
    if (std::rename(temp.c_str(), path.c_str()) != 0) fail("rename failed");
#endif
    SyncFolder(path);
}

std::string Form1::ScoreFilePath() {
    return plat.AppPath() + "score.ini";
}

void Form1::SubScoreRead() {
    const std::string path = ScoreFilePath();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw RunTimeError("cannot open the score file " + path + ": " + SystemReason() +
                           ". A score.ini holding two lines of nine zeros (000000000) starts "
                           "the best score and the best chain at 0.");
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) throw RunTimeError("cannot read the score file " + path + ": " + SystemReason());

    const ScoreVerdict v = CheckScoreText(content.str());
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
