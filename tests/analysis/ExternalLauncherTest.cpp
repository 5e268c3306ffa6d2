// "Save Data": the detached start of the external program, its failures, and the order of both halves.
#include "analysis/ExternalLauncher.h"

#include "TestModels.h"
#include "analysis/SaveData.h"
#include "analysis/TextExport.h"
#include "support/TempDir.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <thread>

using namespace torva;
namespace fs = std::filesystem;

namespace {

// A stand-in for the external program: records its working folder and argument count, then exits.
void WriteProgram(const fs::path& path, const fs::path& report) {
    std::ofstream script(path);
    script << "#!/bin/sh\n"
           << "pwd > '" << report.string() << ".tmp'\n"
           << "echo $# >> '" << report.string() << ".tmp'\n"
           << "mv '" << report.string() << ".tmp' '" << report.string() << "'\n";
    script.close();
    fs::permissions(path, fs::perms::owner_all);
}

std::string WaitForFile(const fs::path& path) {
    for (int attempt = 0; attempt < 500 && !fs::exists(path); ++attempt)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(ProcessLauncher, StartsTheProgramInItsFolderWithoutArguments) {
    test::TempDir dir;
    const fs::path folder = dir.path() / "out; echo injected $(id) 'quoted'"; // harmless without a shell
    fs::create_directory(folder);
    const fs::path report = dir.path() / "report.txt";
    WriteProgram(folder / "Varnok.exe", report);
    const fs::path before = fs::current_path();

    ProcessLauncher launcher;
    ASSERT_TRUE(launcher.Start((folder / "Varnok.exe").string(), folder.string()));
    EXPECT_EQ(WaitForFile(report), fs::canonical(folder).string() + "\n0\n");
    EXPECT_EQ(fs::current_path(), before); // our own directory is left alone
}

TEST(ProcessLauncher, RelativeProgramNameIsResolvedBeforeEnteringTheFolder) {
    test::TempDir dir;
    const fs::path report = dir.path() / "report.txt";
    WriteProgram(dir.path() / "Varnok.exe", report);
    fs::create_directory(dir.path() / "elsewhere");
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());
    ProcessLauncher launcher;
    const bool started = launcher.Start("Varnok.exe", (dir.path() / "elsewhere").string());
    fs::current_path(before);
    ASSERT_TRUE(started);
    EXPECT_EQ(WaitForFile(report), fs::canonical(dir.path() / "elsewhere").string() + "\n0\n");
}

TEST(ProcessLauncher, MissingOrUnstartableProgramFails) {
    test::TempDir dir;
    ProcessLauncher launcher;
    EXPECT_FALSE(launcher.Start(dir.file("Varnok.exe"), dir.path().string())); // missing

    {
        std::ofstream plain(dir.file("Varnok.exe"));
        plain << "not a program\n";
    }
    fs::permissions(dir.file("Varnok.exe"), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(launcher.Start(dir.file("Varnok.exe"), dir.path().string())); // not executable

    fs::permissions(dir.file("Varnok.exe"), fs::perms::owner_all);
    EXPECT_FALSE(launcher.Start(dir.file("Varnok.exe"), dir.path().string())); // no format exec knows

    fs::create_directory(dir.path() / "sub");
    fs::create_directory(dir.path() / "sub" / "Varnok.exe");
    EXPECT_FALSE(launcher.Start((dir.path() / "sub" / "Varnok.exe").string(), dir.path().string()));
    EXPECT_FALSE(launcher.Start("", dir.path().string()));
}

TEST(SaveData, WritesTheExportAndStartsNothingWithoutAProgram) {
    test::TempDir dir;
    auto model = test::GridModel(1, 1);
    test::Place(*model, 0, 0, kConcreteLayer);
    auto mesh = test::ScannedMesh(*model);
    FakeLauncher launcher;
    const SaveDataOutcome outcome = SaveData(*mesh, *model, dir.path().string(), "", launcher);
    EXPECT_EQ(outcome.error, "");
    EXPECT_EQ(outcome.written, dir.file("input_data.txt"));
    EXPECT_FALSE(outcome.started);
    EXPECT_TRUE(launcher.requests.empty());
    EXPECT_EQ(fs::file_size(dir.file("input_data.txt")), TextExportContent(*mesh, *model).size());
}

TEST(SaveData, StartsTheProgramSetUpFromTheFolder) {
    test::TempDir dir;
    auto model = test::GridModel(1, 1);
    test::Place(*model, 0, 0, kConcreteLayer);
    auto mesh = test::ScannedMesh(*model);
    FakeLauncher launcher;
    const SaveDataOutcome outcome = SaveData(*mesh, *model, dir.path().string(), "/opt/solver/run", launcher);
    EXPECT_EQ(outcome.error, "");
    EXPECT_TRUE(outcome.started);
    ASSERT_EQ(launcher.requests.size(), 1u);
    EXPECT_EQ(launcher.requests[0].program, "/opt/solver/run");
    EXPECT_EQ(launcher.requests[0].folder, dir.path().string());
}

TEST(SaveData, AFailedStartNamesTheProgramAndTheExportStays) {
    test::TempDir dir;
    auto model = test::GridModel(1, 1);
    auto mesh = test::ScannedMesh(*model);
    FakeLauncher launcher;
    launcher.result = false;
    SaveDataOutcome outcome = SaveData(*mesh, *model, dir.path().string(), "/opt/solver/run", launcher);
    EXPECT_EQ(outcome.error, "Could not start /opt/solver/run.");
    EXPECT_EQ(outcome.written, dir.file("input_data.txt"));
    EXPECT_EQ(fs::file_size(dir.file("input_data.txt")), TextExportContent(*mesh, *model).size());

    ProcessLauncher real;
    const std::string missing = dir.file("no-such-program");
    outcome = SaveData(*mesh, *model, dir.path().string(), missing, real);
    EXPECT_EQ(outcome.error, "Could not start " + missing + ".");
    EXPECT_FALSE(outcome.started);
}

TEST(SaveData, AFailedExportStartsNothing) {
    test::TempDir dir;
    auto model = test::GridModel(1, 1);
    auto mesh = test::ScannedMesh(*model);
    FakeLauncher launcher;
    const std::string missing = (dir.path() / "gone").string();
    const SaveDataOutcome outcome = SaveData(*mesh, *model, missing, "/opt/solver/run", launcher);
    EXPECT_EQ(outcome.error, "Cannot write " + missing + "/input_data.txt: No such file or directory");
    EXPECT_EQ(outcome.written, "");
    EXPECT_TRUE(launcher.requests.empty());
}
