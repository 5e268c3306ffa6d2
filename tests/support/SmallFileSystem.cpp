#include "SmallFileSystem.h"

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>

namespace torva::test {

SmallFileSystem::SmallFileSystem(std::size_t bytes) : options_("size=" + std::to_string(bytes)) {
    mounted_ = ::mount("tmpfs", dir_.path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options_.c_str()) == 0;
}

SmallFileSystem::~SmallFileSystem() {
    if (mounted_) ::umount2(dir_.path().c_str(), MNT_DETACH);
}

bool SmallFileSystem::MakeReadOnly() {
    return mounted_ && ::mount("tmpfs", dir_.path().c_str(), "tmpfs",
                               MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, options_.c_str()) == 0;
}

FileSizeLimit::FileSizeLimit(std::size_t bytes) {
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    old_ = limit.rlim_cur;
    limit.rlim_cur = bytes;
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN); // the write then fails with EFBIG instead of a signal
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = old_;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler_);
}

} // namespace torva::test
