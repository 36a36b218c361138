// Files by UTF-8 name: the POSIX calls, or Windows' wide-character ones.
#include "platform/files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sw {

std::filesystem::path Utf8Path(const std::string& path) {
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(path.data()), path.size()));
}

std::string Utf8Text(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

#ifdef _WIN32

namespace {

std::wstring Wide(const std::string& path) {
    return Utf8Path(path).wstring();
}

// The C library's reason for what Windows said, for the messages.
void SetErrno(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            errno = ENOENT;
            break;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            errno = EEXIST;
            break;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            errno = EACCES;
            break;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            errno = ENOSPC;
            break;
        case ERROR_WRITE_PROTECT:
            errno = EROFS;
            break;
        default:
            errno = EIO;
    }
}

int Descriptor(HANDLE handle, int flags) {
    if (handle == INVALID_HANDLE_VALUE) {
        SetErrno(GetLastError());
        return -1;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
    if (fd < 0) CloseHandle(handle);
    return fd;
}

}  // namespace

int OpenToRead(const std::string& path) {
    const std::wstring name = Wide(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        errno = EISDIR;
        return -1;
    }
    // Shared for delete too: another game may replace the file meanwhile.
    return Descriptor(CreateFileW(name.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                      _O_RDONLY | _O_BINARY);
}

int CreateExclusive(const std::string& path) {
    return Descriptor(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr),
                      _O_WRONLY | _O_BINARY);
}

long ReadSome(int fd, char* buffer, size_t size) {
    return _read(fd, buffer, static_cast<unsigned>(size));
}

long WriteSome(int fd, const char* data, size_t size) {
    return _write(fd, data, static_cast<unsigned>(size));
}

int FlushToDisk(int fd) {
    return _commit(fd);
}

int CloseFile(int fd) {
    return _close(fd);
}

FileKind KindOf(int fd) {
    struct _stat64 s;
    if (_fstat64(fd, &s) != 0) return FileKind::kUnknown;
    if ((s.st_mode & _S_IFMT) == _S_IFDIR) return FileKind::kFolder;
    return (s.st_mode & _S_IFMT) == _S_IFREG ? FileKind::kRegular : FileKind::kOther;
}

bool KeepPermissions(int, unsigned) {
    return true;
}

bool PutInPlace(const std::string& from, const std::string& to) {
    if (MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    SetErrno(GetLastError());
    return false;
}

void FlushFolder(const std::string&) {}

bool LinkOfAnotherUser(const std::string&) {
    return false;
}

RecordsLock::RecordsLock(const std::string& file) {
    // A file of its own, opened by one game at a time and gone when the
    // last one closes it. Another game's hold is waited out (for 20 s at
    // most); a folder that refuses files is left to the write to report.
    const std::wstring name = Wide(file + ".lock");
    for (int attempt = 0, refused = 0; attempt < 1000 && refused < 25; ++attempt) {
        HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            handle_ = static_cast<long long>(reinterpret_cast<intptr_t>(h));
            return;
        }
        const DWORD error = GetLastError();
        SetErrno(error);
        // Access is also refused for a while to a lock file on its way out.
        if (error == ERROR_ACCESS_DENIED)
            ++refused;
        else if (error != ERROR_SHARING_VIOLATION)
            return;
        Sleep(20);
    }
}

RecordsLock::~RecordsLock() {
    if (Held()) CloseHandle(reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle_)));
}

std::string PlayerDataFolder() {
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (!appData || !*appData) return "";
    std::string folder = Utf8Text(std::filesystem::path(appData));
    if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder + "Seven Well\\";
}

bool FolderIsPlayers(const std::string& folder) {
    // A file the player can make here, gone again as it is closed.
    std::random_device device;
    const std::wstring probe = Wide(folder + "sevenwell-" + std::to_string(device()) + ".tmp");
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

bool MakeFolders(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(Utf8Path(folder), error);
    if (!error) return true;
    errno = error.value() == 0 ? EIO : error.value();
    return false;
}

#else

namespace {

// The folder part of a path, with its last slash; empty for a bare name.
std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

}  // namespace

int OpenToRead(const std::string& path) {
    return open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

int CreateExclusive(const std::string& path) {
    return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

long ReadSome(int fd, char* buffer, size_t size) {
    for (;;) {
        const ssize_t n = read(fd, buffer, size);
        if (n >= 0 || errno != EINTR) return n;
    }
}

long WriteSome(int fd, const char* data, size_t size) {
    for (;;) {
        const ssize_t n = write(fd, data, size);
        if (n >= 0 || errno != EINTR) return n;
    }
}

int FlushToDisk(int fd) {
    return fsync(fd);
}

int CloseFile(int fd) {
    return close(fd);
}

FileKind KindOf(int fd) {
    struct stat s;
    if (fstat(fd, &s) != 0) return FileKind::kUnknown;
    if (S_ISDIR(s.st_mode)) return FileKind::kFolder;
    return S_ISREG(s.st_mode) ? FileKind::kRegular : FileKind::kOther;
}

bool KeepPermissions(int fd, unsigned mode) {
    // The player keeps reading and writing their own records.
    return fchmod(fd, (mode & 0777) | 0600) == 0;
}

bool PutInPlace(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

void FlushFolder(const std::string& folder) {
    // A folder that cannot be opened for this is no reason to fail: the
    // file is in place already.
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

bool LinkOfAnotherUser(const std::string& path) {
    struct stat link;
    return lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode) && link.st_uid != geteuid() &&
           link.st_uid != 0;
}

RecordsLock::RecordsLock(const std::string& file) {
    // The folder is locked, not the file: the file is replaced by another
    // one at every write, and a lock on the old one would guard nothing.
    const std::string folder = FolderOf(file);
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    while (flock(fd, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        const int error = errno;
        close(fd);
        errno = error;
        return;
    }
    handle_ = fd;
}

RecordsLock::~RecordsLock() {
    if (Held()) close(static_cast<int>(handle_));
}

std::string PlayerDataFolder() {
    // A relative XDG_DATA_HOME is to be ignored, as if unset.
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (data && *data == '/') {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const struct passwd* user = getpwuid(geteuid());
            home = user ? user->pw_dir : nullptr;
        }
        if (!home || !*home) return "";
        base = std::string(home) + "/.local/share";
    }
    if (base.back() != '/') base += '/';
    return base + "sevenwell/";
}

bool FolderIsPlayers(const std::string& folder) {
    struct stat s;
    return stat(folder.c_str(), &s) == 0 && S_ISDIR(s.st_mode) && s.st_uid == geteuid() &&
           access(folder.c_str(), W_OK) == 0;
}

bool MakeFolders(const std::string& folder) {
    // Each missing folder on the way is made the player's alone, as the
    // folders of a player's data should be.
    for (size_t at = folder.find('/', 1);; at = folder.find('/', at + 1)) {
        const std::string part = folder.substr(0, at);
        if (!part.empty() && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (at == std::string::npos || at + 1 >= folder.size()) break;
    }
    struct stat s;
    if (stat(folder.c_str(), &s) != 0) return false;
    if (!S_ISDIR(s.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

#endif

}  // namespace sw
