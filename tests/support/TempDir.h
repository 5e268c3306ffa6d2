#pragma once
#include <filesystem>
#include <string>

namespace torva::test {

// A fresh folder under the system's temporary directory, removed with everything in it on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Folders of the checkout and the build, as CTest passes them (falls back to the working directory).
std::filesystem::path SourceDir();
std::filesystem::path BinaryDir();

} // namespace torva::test
