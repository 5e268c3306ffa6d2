#include "TempDir.h"

#include <cstdlib>
#include <random>
#include <stdexcept>

namespace torva::test {

TempDir::TempDir() {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = std::filesystem::temp_directory_path() / ("torva-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

static std::filesystem::path FromEnvironment(const char* name, const std::filesystem::path& fallback) {
    const char* value = std::getenv(name);
    return value ? std::filesystem::path(value) : fallback;
}

// A test program run by hand (not through CTest) lives in <build>/tests.
static std::filesystem::path BuildFolderOfThisProgram() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path() : self.parent_path().parent_path();
}

std::filesystem::path SourceDir() {
    return FromEnvironment("TORVA_SOURCE_DIR", std::filesystem::path(TORVA_TEST_SOURCE_DIR));
}
std::filesystem::path BinaryDir() {
    return FromEnvironment("TORVA_BINARY_DIR", BuildFolderOfThisProgram());
}

} // namespace torva::test
