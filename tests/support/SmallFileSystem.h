#pragma once
// A folder on a file system of its own, for tests that need a full or a read-only folder: a small
// tmpfs mounted over a fresh temporary folder when the test runs as root (unmounted on destruction).
// Without the right to mount, mounted() is false and the test injects the fault another way.
#include "TempDir.h"

#include <cstddef>
#include <string>

namespace torva::test {

class SmallFileSystem {
public:
    explicit SmallFileSystem(std::size_t bytes);
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return mounted_; }
    std::string file(const std::string& name) const { return dir_.file(name); }
    const std::filesystem::path& path() const { return dir_.path(); }
    // Remounts read-only (mounted() only); false when the kernel refuses.
    bool MakeReadOnly();

private:
    TempDir dir_;
    std::string options_;
    bool mounted_ = false;
};

// Lowers this process's file size limit so that a write past `bytes` fails (EFBIG) until destruction.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::size_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    unsigned long long old_;
    void (*oldHandler_)(int);
};

} // namespace torva::test
