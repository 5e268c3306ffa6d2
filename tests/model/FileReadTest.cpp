// Reading input files whole, within a limit: every byte, in order, whatever the file's size against the
// limit and the read buffer.
#include "model/FileRead.h"

#include "support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace torva;

namespace {

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xff);
    return bytes;
}

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

} // namespace

TEST(FileRead, ReadsEveryByteUpToTheLimit) {
    test::TempDir dir;
    const std::string path = dir.file("input.bin");
    // Empty, smaller than the read buffer, a model file's size, and past several doublings of the string.
    for (const std::size_t size :
         {std::size_t(0), std::size_t(17), std::size_t(255422), std::size_t(700001)}) {
        const std::string written = Pattern(size);
        Write(path, written);
        for (const std::size_t limit : {size, size + 1, size / 2, std::size_t(1) << 20}) {
            std::string bytes = "old contents", reason;
            ASSERT_TRUE(ReadRegularFile(path, limit, bytes, reason)) << reason;
            EXPECT_EQ(bytes, written.substr(0, std::min(size, limit))) << size << " bytes, limit " << limit;
        }
    }
}

TEST(FileRead, AMissingFileGivesTheSystemsReason) {
    test::TempDir dir;
    std::string bytes, reason;
    EXPECT_FALSE(ReadRegularFile(dir.file("none.fem"), 100, bytes, reason));
    EXPECT_EQ(reason, "No such file or directory");
}
