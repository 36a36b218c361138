// The score file: the best score and the best chain between runs.
#include "records/score_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#include "game/errors.h"
#include "game/format.h"
#include "platform/files.h"
#include "records/module1.h"

namespace sw {

const char* const kScoreRefusal = "score.iniのファイルが不正です。";

namespace {

constexpr int64_t kMaxRecord = 99999999;  // what eight digits can hold
// A line is judged by its first nine characters; a field keeps this many,
// and the rest of a longer one is passed over unread or unkept.
constexpr size_t kFieldKept = 64;

std::string SystemReason(int error = errno) {
    return std::strerror(error);
}

// The folder part of a path, with its last slash; empty for a bare name.
std::string Folder(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// Closes a file descriptor on every way out.
struct FileHandle {
    int fd = -1;
    FileHandle() = default;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() {
        if (fd >= 0) Close();
    }
    int Close() {
        const int result = CloseFile(fd);
        fd = -1;
        return result;
    }
};

// Splits text into fields a piece at a time, the way ScoreFields does, so
// that a file is read only as far as its fields go.
class FieldSplitter {
  public:
    explicit FieldSplitter(size_t wanted) : wanted_(wanted) {}

    // Takes the next piece of text; true once the wanted fields are known.
    bool Take(const char* text, size_t size) {
        for (size_t i = 0; i < size && !Done(); ++i) Step(text[i]);
        return Done();
    }
    std::vector<std::string> Finish() {
        if (open_) Close();
        return std::move(fields_);
    }

  private:
    bool Done() const {
        return fields_.size() >= wanted_ ||
               (open_ && fields_.size() + 1 == wanted_ && field_.size() >= kFieldKept);
    }
    void Step(char c) {
        if (afterCr_) {
            afterCr_ = false;
            if (c == '\n') return;  // the rest of a CR LF
        }
        if (!open_) {
            open_ = leading_ = true;
            field_.clear();
        }
        if (leading_ && (c == ' ' || c == '\t')) return;
        leading_ = false;
        if (c == ',' || c == '\r' || c == '\n') {
            afterCr_ = c == '\r';
            Close();
        } else if (field_.size() < kFieldKept) {
            field_ += c;
        }
    }
    void Close() {
        while (!field_.empty() && (field_.back() == ' ' || field_.back() == '\t'))
            field_.pop_back();
        fields_.push_back(field_);
        open_ = false;
    }

    size_t wanted_;
    std::vector<std::string> fields_;
    std::string field_;
    bool open_ = false, leading_ = false, afterCr_ = false;
};

ScoreVerdict CheckScoreFields(const std::vector<std::string>& fields) {
    ScoreVerdict v;
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

// The file a write replaces: path itself, or the file its links lead to,
// so that a player's score.ini kept elsewhere through a link stays a link.
// A link someone else made (neither the player nor the system) is not
// followed: it could lead the game into any file of the player's.
std::string WriteTarget(const std::string& path) {
    std::string target = path;
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code error;
        const std::filesystem::path next = std::filesystem::read_symlink(Utf8Path(target), error);
        if (error) return target;  // not a link, or not there: the file itself
        if (LinkOfAnotherUser(target)) {
            throw RunTimeError("cannot write " + path + ": " + target +
                               " is a link made by another user; the game does not follow it");
        }
        target = next.is_absolute() ? Utf8Text(next) : Folder(target) + Utf8Text(next);
    }
    throw RunTimeError("cannot write " + path + ": too many links in a row");
}

// A file of the game's own beside target, under a name no one could have
// planted: created new, never through a link. Sets name; -1 on failure.
int CreateTemporary(const std::string& target, std::string& name) {
    static const char kChars[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::random_device device;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + ".";
        uint64_t bits = (uint64_t{device()} << 32) ^ device();
        for (int i = 0; i < 10; ++i, bits /= 36) name += kChars[bits % 36];
        const int fd = CreateExclusive(name);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool WriteAll(int fd, const std::string& text) {
    for (size_t done = 0; done < text.size();) {
        const long n = WriteSome(fd, text.data() + done, text.size() - done);
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

std::vector<std::string> ScoreFields(const std::string& text, size_t wanted) {
    FieldSplitter splitter(wanted);
    splitter.Take(text.data(), text.size());
    return splitter.Finish();
}

ScoreVerdict CheckScoreText(const std::string& text) {
    return CheckScoreFields(ScoreFields(text, 2));
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
    const std::string target = WriteTarget(path);
    const std::string where = target == path ? "" : " (through the link, " + target + ")";
    std::error_code error;
    const std::filesystem::file_status old = std::filesystem::status(Utf8Path(target), error);
    if (old.type() == std::filesystem::file_type::directory) {
        throw RunTimeError("cannot write " + path + where + ": it is a folder, not a file");
    }
    std::string temp;
    FileHandle file;
    file.fd = CreateTemporary(target, temp);
    if (file.fd < 0) {
        const std::string folder = Folder(target);
        throw RunTimeError("cannot write " + path + ": cannot create a new file in " +
                           (folder.empty() ? "the current folder" : folder) + ": " +
                           SystemReason());
    }
    auto fail = [&](const std::string& step) {
        const std::string reason = SystemReason();
        if (file.fd >= 0) file.Close();
        std::filesystem::remove(Utf8Path(temp), error);
        throw RunTimeError("cannot write " + path + where + ": " + step + ": " + reason);
    };
    // The new file keeps the old one's permissions.
    if (std::filesystem::exists(old) &&
        !KeepPermissions(file.fd, static_cast<unsigned>(old.permissions())))
        fail("cannot set permissions");
    if (!WriteAll(file.fd, text)) fail("write failed");
    if (FlushToDisk(file.fd) != 0) fail("flush to disk failed");
    if (file.Close() != 0) fail("close failed");
    if (!PutInPlace(temp, target)) fail("rename failed");
    FlushFolder(Folder(target));
}

Records KeepBestRecords(const std::string& path, Records own) {
    RecordsLock lock(path);
    try {
        const ScoreVerdict file = ReadScoreFile(path);
        if (file.Valid()) {
            own.hi = std::max<int64_t>(own.hi, file.hi);
            own.chain = std::max<int64_t>(own.chain, file.chain);
        }
    } catch (const RunTimeError&) {
        // Gone or unreadable: the game's own records take its place.
    }
    WriteFileAtomically(path, ScoreText(own.hi, own.chain));
    return own;
}

ScoreVerdict ReadScoreFile(const std::string& path) {
    FileHandle file;
    file.fd = OpenToRead(path);
    if (file.fd < 0) {
        const int error = errno;
        throw RunTimeError("cannot open the score file " + path + ": " + SystemReason(error) +
                           (error == ENOENT ? ". A score.ini holding two lines of nine zeros "
                                              "(000000000) starts the best score and the best "
                                              "chain at 0."
                                            : ""));
    }
    switch (KindOf(file.fd)) {
        case FileKind::kRegular:
            break;
        case FileKind::kFolder:
            throw RunTimeError("the score file " + path + " is a folder, not a file");
        case FileKind::kOther:
            throw RunTimeError("the score file " + path + " is not a regular file");
        case FileKind::kUnknown:
            throw RunTimeError("cannot read the score file " + path + ": " + SystemReason());
    }
    // Read only as far as the two fields go: what follows is never looked
    // at, so a huge file costs no more than a small one.
    FieldSplitter splitter(2);
    char piece[4096];
    for (bool done = false; !done;) {
        const long n = ReadSome(file.fd, piece, sizeof piece);
        if (n < 0) throw RunTimeError("cannot read the score file " + path + ": " + SystemReason());
        done = n == 0 || splitter.Take(piece, static_cast<size_t>(n));
    }
    file.Close();

    return CheckScoreFields(splitter.Finish());
}

}  // namespace sw
