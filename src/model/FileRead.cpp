#include "model/FileRead.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace torva {

bool ReadRegularFile(const std::string& path, std::size_t limit, std::string& bytes, std::string& reason) {
    // O_NONBLOCK: opening a pipe with no writer would otherwise wait for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        reason = S_ISDIR(status.st_mode) ? "a folder, not a file" : "not a regular file";
        ::close(fd);
        return false;
    }
    // Read straight into `bytes`, sized from the file's length (one byte more, to see a file that grew),
    // so that a model file is read in one call without growing and copying the string.
    const std::size_t expected =
        std::min(limit, static_cast<std::size_t>(std::max<off_t>(status.st_size, 0)) + 1);
    bytes.assign(expected, '\0');
    std::size_t used = 0;
    while (used < limit) {
        if (used == bytes.size()) bytes.resize(std::min(limit, 2 * used + 65536));
        const ssize_t n = ::read(fd, bytes.data() + used, bytes.size() - used);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            reason = std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        used += static_cast<std::size_t>(n);
    }
    bytes.resize(used);
    ::close(fd);
    return true;
}

} // namespace torva
