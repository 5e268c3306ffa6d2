// Whole-or-nothing replacement of output files: planted links, read-only and full folders, kept
// permission bits, killed saves and several files committed together.
#include "model/AtomicFile.h"

#include "model/FramePat.h"
#include "model/ModelFile.h"
#include "support/SmallFileSystem.h"
#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace torva {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void Put(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

int ModeOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

// Every name in the folder except those given.
std::vector<std::string> Others(const fs::path& folder, const std::vector<std::string>& known) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (std::find(known.begin(), known.end(), name) == known.end()) names.push_back(name);
    }
    return names;
}

TEST(AtomicFile, ReplacesTheContentAndLeavesNothingBeside) {
    test::TempDir dir;
    const std::string path = dir.file("out.txt");
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(path, "first, and longer than the second\n", error)) << error;
    ASSERT_TRUE(WriteFileAtomically(path, "second\n", error)) << error;
    EXPECT_EQ(Slurp(path), "second\n");
    EXPECT_TRUE(Others(dir.path(), {"out.txt"}).empty());
    // A bare name is written into the current folder.
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());
    EXPECT_TRUE(WriteFileAtomically("bare.txt", "x", error)) << error;
    fs::current_path(before);
    EXPECT_EQ(Slurp(dir.file("bare.txt")), "x");
}

TEST(AtomicFile, KeepsThePermissionBitsOfTheOldFile) {
    test::TempDir dir;
    const std::string secret = dir.file("secret.fem");
    Put(secret, "old");
    fs::permissions(secret, fs::perms::owner_read | fs::perms::owner_write);
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(secret, "new", error)) << error;
    EXPECT_EQ(ModeOf(secret), 0600);
    EXPECT_EQ(Slurp(secret), "new");

    // A new file gets what the umask gives any new file.
    const mode_t mask = ::umask(027);
    ASSERT_TRUE(WriteFileAtomically(dir.file("fresh.txt"), "x", error)) << error;
    ::umask(mask);
    EXPECT_EQ(ModeOf(dir.file("fresh.txt")), 0640);
}

TEST(AtomicFile, NeverFollowsALinkPlantedAtATemporaryName) {
    test::TempDir dir;
    const std::string victim = dir.file("victim");
    Put(victim, "root only");
    fs::permissions(victim, fs::perms::owner_read | fs::perms::owner_write);
    const std::string path = dir.file("model.fem");

    // The exclusive creation refuses a name that is a link, dangling or not.
    const std::string planted = dir.file(".model.fem.0123456789abcdef.part");
    fs::create_symlink(victim, planted);
    EXPECT_EQ(CreateNewFile(planted, 0600), -1);
    EXPECT_EQ(errno, EEXIST);
    fs::create_symlink(dir.file("nowhere"), dir.file("dangling"));
    EXPECT_EQ(CreateNewFile(dir.file("dangling"), 0600), -1);
    EXPECT_FALSE(fs::exists(dir.file("nowhere")));

    // A save with links at the old fixed name and at a temporary's name writes neither through them.
    fs::create_symlink(victim, path + ".saving");
    auto model = std::make_unique<CFramePat>();
    FileError fileError;
    ASSERT_TRUE(SaveModelFile(path, *model, fileError)) << fileError.Text();
    EXPECT_EQ(Slurp(victim), "root only");
    EXPECT_EQ(ModeOf(victim), 0600);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(path)));
    EXPECT_EQ(fs::file_size(path), kModelFileSize);
    // The link shaped like a temporary was taken for a stale one: removed, not followed.
    EXPECT_FALSE(fs::exists(fs::symlink_status(planted)));
}

TEST(AtomicFile, AReadOnlyFolderKeepsTheOldFile) {
    test::SmallFileSystem small(1 << 20);
    const std::string path = small.file("out.csv");
    Put(path, "old content\n");
    std::string error;
    bool readOnly = small.MakeReadOnly();
    if (!readOnly && ::geteuid() != 0) {
        fs::permissions(small.path(), fs::perms::owner_read | fs::perms::owner_exec);
        readOnly = true;
    }
    if (!readOnly) GTEST_SKIP() << "neither a read-only mount nor a folder without write permission";
    EXPECT_FALSE(CheckWritable(path, error));
    EXPECT_NE(error.find("Cannot write " + path + ": "), std::string::npos) << error;
    EXPECT_FALSE(WriteFileAtomically(path, "new content\n", error));
    EXPECT_EQ(error.rfind("Cannot write " + path + ": ", 0), 0u) << error;
    EXPECT_TRUE(error.find("Read-only file system") != std::string::npos ||
                error.find("Permission denied") != std::string::npos)
        << error;
    EXPECT_EQ(Slurp(path), "old content\n");
    if (!small.mounted()) fs::permissions(small.path(), fs::perms::owner_all);
}

TEST(AtomicFile, AFullFolderKeepsTheOldFileAndLeavesNoTemporary) {
    test::SmallFileSystem small(64 * 1024);
    const std::string path = small.file("input_data.txt");
    const std::string old(40 * 1024, 'o');
    const std::string big(100 * 1024, 'n');
    std::string error;
    if (small.mounted()) {
        Put(path, old);
        EXPECT_FALSE(WriteFileAtomically(path, big, error));
        EXPECT_EQ(error, "Cannot write " + path + ": No space left on device");
    } else {
        Put(path, old);
        test::FileSizeLimit limit(64 * 1024); // the same failure in the middle of the write
        EXPECT_FALSE(WriteFileAtomically(path, big, error));
        EXPECT_EQ(error, "Cannot write " + path + ": File too large");
    }
    EXPECT_EQ(Slurp(path), old);
    EXPECT_TRUE(Others(small.path(), {"input_data.txt"}).empty());
}

TEST(AtomicFile, TheTemporariesOfAKilledSaveAreRemovedByTheNextSave) {
    test::TempDir dir;
    const std::string path = dir.file("model.fem");
    Put(dir.file(".model.fem.00112233445566aa.part"), "half");
    Put(dir.file(".model.fem.ffeeddccbbaa9988.part"), "half");
    // Names that only look alike belong to someone else.
    for (const char* name : {".other.fem.00112233445566aa.part", ".model.fem.00112233445566AA.part",
                             ".model.fem.0011.part", "model.fem.00112233445566aa.part"})
        Put(dir.file(name), "keep");
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(path, "whole", error)) << error;
    std::vector<std::string> left = Others(dir.path(), {"model.fem"});
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{".model.fem.0011.part", ".model.fem.00112233445566AA.part",
                                              ".other.fem.00112233445566aa.part",
                                              "model.fem.00112233445566aa.part"}));
}

TEST(AtomicFile, SeveralFilesAreReplacedOnlyWhenAllAreWritten) {
    test::TempDir dir;
    const std::string curve = dir.file("run.csv");
    Put(curve, "old curve");
    std::string error;
    // The second file's folder does not exist: the first keeps its old content.
    const std::string second = dir.file("missing/run_element.csv");
    EXPECT_FALSE(WriteFilesAtomically({{curve, "new curve"}, {second, "element"}}, error));
    EXPECT_EQ(error, "Cannot write " + second + ": No such file or directory");
    EXPECT_EQ(Slurp(curve), "old curve");
    EXPECT_TRUE(Others(dir.path(), {"run.csv"}).empty());

    // A folder at a target's name is found before anything is replaced.
    fs::create_directory(dir.file("run_element.csv"));
    EXPECT_FALSE(WriteFilesAtomically({{curve, "new"}, {dir.file("run_element.csv"), "e"}}, error));
    EXPECT_EQ(error, "Cannot write " + dir.file("run_element.csv") + ": Is a directory");
    EXPECT_EQ(Slurp(curve), "old curve");
}

TEST(AtomicFile, CheckWritableFindsBadPathsAndLeavesNoTrace) {
    test::TempDir dir;
    std::string error;
    EXPECT_TRUE(CheckWritable(dir.file("picture.png"), error)) << error;
    EXPECT_FALSE(fs::exists(dir.file("picture.png")));
    EXPECT_TRUE(Others(dir.path(), {}).empty());
    EXPECT_FALSE(CheckWritable(dir.file("no/such/picture.png"), error));
    EXPECT_EQ(error, "Cannot write " + dir.file("no/such/picture.png") + ": No such file or directory");
    EXPECT_FALSE(CheckWritable(dir.path().string(), error));
    EXPECT_NE(error.find("Is a directory"), std::string::npos);
    EXPECT_FALSE(CheckWritable(dir.file("sub/"), error));
}

} // namespace
} // namespace torva
