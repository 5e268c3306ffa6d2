#include "model/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace torva {
namespace {

constexpr const char* kTemporarySuffix = ".part";
constexpr int kRandomDigits = 16;
constexpr int kNameAttempts = 8;

std::string ErrorText(const std::string& path, int code) {
    return "Cannot write " + path + ": " + std::strerror(code);
}

struct SplitPath {
    std::string folder; // "." for a bare name
    std::string name;
};

SplitPath Split(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

std::string RandomDigits() {
    unsigned char bytes[kRandomDigits / 2];
    std::size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    if (got < sizeof bytes) {
        std::random_device device; // the kernel source failed; this one never repeats a name in practice
        for (unsigned char& byte : bytes) byte = static_cast<unsigned char>(device());
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::string digits;
    for (unsigned char byte : bytes) {
        digits += kHex[byte >> 4];
        digits += kHex[byte & 15];
    }
    return digits;
}

std::string FolderPath(const SplitPath& split) {
    return split.folder == "/" ? "/" : split.folder + "/";
}

// Removes the temporaries a killed save of the same target left in its folder.
void RemoveStaleTemporaries(const SplitPath& split) {
    DIR* folder = ::opendir(split.folder.c_str());
    if (!folder) return;
    while (const dirent* entry = ::readdir(folder))
        if (IsTemporaryOf(entry->d_name, split.name)) ::unlinkat(::dirfd(folder), entry->d_name, 0);
    ::closedir(folder);
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd); // the rename is done; a folder that cannot be synced (some file systems) changes nothing
    ::close(fd);
}

bool WriteAll(int fd, std::string_view bytes, int& code) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            code = n < 0 ? errno : EIO;
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

// A complete temporary file waiting to be renamed over its target.
struct Prepared {
    std::string path;
    std::string temporary;
    std::string folder;
};

// Creates the temporary exclusively; a name someone else holds (a planted link too) is never opened.
int CreateTemporary(const SplitPath& split, mode_t mode, std::string& temporary) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        temporary = FolderPath(split) + "." + split.name + "." + RandomDigits() + kTemporarySuffix;
        const int fd = CreateNewFile(temporary, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

bool Prepare(const std::string& path, std::string_view bytes, bool sync, Prepared& out, std::string& error) {
    const SplitPath split = Split(path);
    if (split.name.empty() || split.name == "." || split.name == "..") {
        error = ErrorText(path, EISDIR);
        return false;
    }
    struct stat old {};
    const bool hasOld = ::lstat(path.c_str(), &old) == 0;
    if (hasOld && S_ISDIR(old.st_mode)) {
        error = ErrorText(path, EISDIR);
        return false;
    }
    const bool keepMode = hasOld && S_ISREG(old.st_mode);
    RemoveStaleTemporaries(split);

    // A new file gets the mode the umask gives any new file; a replaced one keeps its bits, set below.
    std::string temporary;
    const int fd = CreateTemporary(split, keepMode ? 0600 : 0666, temporary);
    if (fd < 0) {
        error = ErrorText(path, errno);
        return false;
    }
    auto fail = [&](int code) {
        ::close(fd);
        ::unlink(temporary.c_str());
        error = ErrorText(path, code);
        return false;
    };
    if (keepMode) {
        // Ownership first: changing it clears set-id bits that the mode then restores. Only root may
        // give a file away, so a refusal is no error.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
            if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
                // kept as the saving user's file
            }
        }
        if (::fchmod(fd, old.st_mode & 07777) != 0) return fail(errno);
    }
    int code = 0;
    if (!WriteAll(fd, bytes, code)) return fail(code);
    if (sync && ::fsync(fd) != 0) return fail(errno);
    if (::close(fd) != 0) {
        const int closeError = errno;
        ::unlink(temporary.c_str());
        error = ErrorText(path, closeError);
        return false;
    }
    out = {path, temporary, split.folder};
    return true;
}

} // namespace

int CreateNewFile(const std::string& path, unsigned mode) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  static_cast<mode_t>(mode));
}

bool IsTemporaryOf(const std::string& name, const std::string& target) {
    const std::string suffix = kTemporarySuffix;
    const std::size_t prefix = target.size() + 2; // "." name "."
    if (name.size() != prefix + kRandomDigits + suffix.size()) return false;
    if (name[0] != '.' || name.compare(1, target.size(), target) != 0 || name[prefix - 1] != '.')
        return false;
    for (int i = 0; i < kRandomDigits; ++i) {
        const char c = name[prefix + i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return name.compare(prefix + kRandomDigits, suffix.size(), suffix) == 0;
}

bool WriteFilesAtomically(const std::vector<FileContent>& files, std::string& error, bool sync) {
    std::vector<Prepared> prepared;
    auto discard = [&](std::size_t from) {
        for (std::size_t i = from; i < prepared.size(); ++i) ::unlink(prepared[i].temporary.c_str());
    };
    for (const FileContent& file : files) {
        Prepared one;
        if (!Prepare(file.path, file.bytes, sync, one, error)) {
            discard(0);
            return false;
        }
        prepared.push_back(std::move(one));
    }
    for (std::size_t i = 0; i < prepared.size(); ++i) {
        if (std::rename(prepared[i].temporary.c_str(), prepared[i].path.c_str()) != 0) {
            error = ErrorText(prepared[i].path, errno);
            discard(i);
            return false;
        }
    }
    for (std::size_t i = 0; sync && i < prepared.size(); ++i)
        if (i == 0 || prepared[i].folder != prepared[i - 1].folder) SyncFolder(prepared[i].folder);
    return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error, bool sync) {
    return WriteFilesAtomically({{path, bytes}}, error, sync);
}

bool CheckWritable(const std::string& path, std::string& error) {
    const SplitPath split = Split(path);
    struct stat status {};
    if (split.name.empty() || (::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode))) {
        error = ErrorText(path, EISDIR);
        return false;
    }
    // The real test: a temporary created and removed as a save would.
    std::string temporary;
    const int fd = CreateTemporary(split, 0600, temporary);
    if (fd < 0) {
        error = ErrorText(path, errno);
        return false;
    }
    ::close(fd);
    ::unlink(temporary.c_str());
    return true;
}

} // namespace torva
