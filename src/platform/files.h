// Files by their UTF-8 names, the same on every system the game runs on.
// The game keeps every path as UTF-8 text; here it becomes what the system
// takes (on Windows the wide-character calls, so a folder named in any
// language works). Plain C++, no SDL: the records use it too.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace sw {

// A path for std::filesystem and the streams, from UTF-8 text, and back.
std::filesystem::path Utf8Path(const std::string& path);
std::string Utf8Text(const std::filesystem::path& path);

// The calls below return -1 (or false) on failure and leave the reason in
// errno, so that every message can say it.

// Opens a file to read; never waits (a pipe under the name is opened, and
// refused by its kind, not waited on). Others may replace it meanwhile.
int OpenToRead(const std::string& path);
// Creates a new file to write, failing with EEXIST when anything stands
// under the name already, a link included: it is never followed.
int CreateExclusive(const std::string& path);
// Reads or writes what it can, going on after an interruption.
long ReadSome(int fd, char* buffer, size_t size);
long WriteSome(int fd, const char* data, size_t size);
int FlushToDisk(int fd);
int CloseFile(int fd);
// Whether an open file is a plain file, a folder or something else.
enum class FileKind { kRegular, kFolder, kOther, kUnknown };
FileKind KindOf(int fd);
// Gives an open file the permission bits of the file it replaces (POSIX;
// Windows has none to keep).
bool KeepPermissions(int fd, unsigned mode);
// Puts from in to's place in one step, replacing what was there.
bool PutInPlace(const std::string& from, const std::string& to);
// Makes a replace in folder durable where the system needs telling.
void FlushFolder(const std::string& folder);
// True when path is a link made by someone other than the player or the
// system (POSIX owners; false where links have none).
bool LinkOfAnotherUser(const std::string& path);

// Two games with their records in one folder take turns at the file: the
// lock is held while this lives. file names the records' file; the lock
// is on its folder (POSIX) or on a companion file that goes with the lock
// (Windows). Not held when the system refused it: errno says why.
class RecordsLock {
  public:
    explicit RecordsLock(const std::string& file);
    ~RecordsLock();
    RecordsLock(const RecordsLock&) = delete;
    RecordsLock& operator=(const RecordsLock&) = delete;
    bool Held() const { return handle_ != -1; }

  private:
    long long handle_ = -1;
};

// Where the player's own records go when the program's folder is not
// theirs: $XDG_DATA_HOME/sevenwell/ (~/.local/share/sevenwell/ when unset)
// on Linux, %APPDATA%\Seven Well\ on Windows; with its last separator.
// Empty when the system names no such folder.
std::string PlayerDataFolder();
// Whether a folder is the player's own to keep records in: theirs and
// writable (POSIX), or one they can create files in (Windows).
bool FolderIsPlayers(const std::string& folder);
// Makes a folder and those above it, the player's alone where that is
// known (0700 on POSIX). False with errno set when it cannot.
bool MakeFolders(const std::string& folder);

}  // namespace sw
