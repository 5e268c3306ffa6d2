// The pack and export command words run as a user runs them: output, files, exit codes and messages.
#include "model/FramePat.h"
#include "model/ModelFile.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace torva;
using test::ProgramRun;
using test::RunTorva;
namespace fs = std::filesystem;

namespace {

std::string Example(const std::string& name) {
    return (test::SourceDir() / "examples" / name).string();
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<long> Lines(const std::string& text) {
    std::vector<long> values;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) values.push_back(std::stol(line));
    return values;
}

} // namespace

TEST(CliPack, PrintsTheStreamOneIntegerALine) {
    ProgramRun run = RunTorva("pack " + Example("one-element.fem"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    // clang-format off
    const std::vector<long> expected = {
        2, 4, 2, 1,                                 // header
        0, 0, 500, 0, 0, 500, 500, 500,             // nodes
        3, 12, 4, 12,                               // pins at the base
        980,                                        // gravity
        1, 10000, 25, 2000, 240000, 3000, 200, 20,  // concrete
        0,                                          // no rebar
        1, 1, 2, 4, 3, 1, 0, 0, 0, 0,               // element
        2, 1000000, 0,                              // 10 kN in x
        0, 1, 1, 1, 0};                             // no control node, x, selectors, no output
    // clang-format on
    EXPECT_EQ(Lines(run.output), expected);
}

TEST(CliPack, EmptyModelPrintsThirteenEntries) {
    test::TempDir dir;
    ASSERT_EQ(RunTorva("new " + dir.file("empty.fem")).exitCode, 0);
    ProgramRun run = RunTorva("pack " + dir.file("empty.fem"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(Lines(run.output), (std::vector<long>{2, 0, 0, 0, 980, 0, 0, 0, 0, 1, 1, 1, 0}));
}

TEST(CliPack, ErrorsGoToStderrWithExitCodeOne) {
    ProgramRun missing = RunTorva("pack");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.output, "torva_fem: missing file name\nusage: torva_fem pack MODEL.fem\n");
    EXPECT_EQ(RunTorva("pack --fast a.fem").output,
              "torva_fem: unknown option --fast\nusage: torva_fem pack MODEL.fem\n");
    EXPECT_EQ(RunTorva("pack a.fem b.fem").output,
              "torva_fem: stray argument 'b.fem'\nusage: torva_fem pack MODEL.fem\n");

    test::TempDir dir;
    ProgramRun absent = RunTorva("pack " + dir.file("absent.fem"));
    EXPECT_EQ(absent.exitCode, 1);
    EXPECT_NE(absent.output.find(dir.file("absent.fem")), std::string::npos);

    std::ofstream(dir.file("short.fem")) << "not a model";
    ProgramRun invalid = RunTorva("pack " + dir.file("short.fem"));
    EXPECT_EQ(invalid.exitCode, 1);
    EXPECT_NE(invalid.output.find("Unexpected file format."), std::string::npos) << invalid.output;
    EXPECT_EQ(std::count(invalid.output.begin(), invalid.output.end(), '\n'), 1);
}

TEST(CliExport, WritesBesideTheModelByDefault) {
    test::TempDir dir;
    fs::copy_file(Example("cantilever.fem"), dir.file("cantilever.fem"));
    ProgramRun run = RunTorva("export " + dir.file("cantilever.fem"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output, "Wrote " + dir.file("input_data.txt") + "\n");
    EXPECT_EQ(ReadText(dir.file("input_data.txt")),
              ReadText(test::SourceDir() / "tests" / "analysis" / "golden" / "cantilever-input_data.txt"));
}

TEST(CliExport, OptionOChoosesTheFolder) {
    test::TempDir dir;
    ProgramRun run = RunTorva("export -o " + dir.path().string() + " " + Example("shear-wall.fem"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::string text = ReadText(dir.file("input_data.txt"));
    EXPECT_EQ(text.rfind("FEM MODEL\n", 0), 0u);
    EXPECT_NE(text.find("248\t8\t10\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(test::SourceDir() / "examples" / "input_data.txt"));
}

TEST(CliExport, ErrorsGoToStderrWithExitCodeOne) {
    test::TempDir dir;
    const std::string usage = "\nusage: torva_fem export MODEL.fem [-o DIR]\n";
    EXPECT_EQ(RunTorva("export").output, "torva_fem: no model file given" + usage);
    EXPECT_EQ(RunTorva("export " + Example("cantilever.fem") + " -o").output,
              "torva_fem: -o needs a value" + usage);
    EXPECT_EQ(RunTorva("export " + Example("cantilever.fem") + " -o ''").output,
              "torva_fem: -o needs a value" + usage);
    EXPECT_EQ(RunTorva("export a.fem b.fem").output, "torva_fem: stray argument 'b.fem'" + usage);
    ProgramRun unknown = RunTorva("export --fast " + Example("cantilever.fem"));
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.output, "torva_fem: unknown option --fast" + usage);

    const std::string missing = dir.file("missing");
    ProgramRun unwritable = RunTorva("export " + Example("cantilever.fem") + " -o " + missing);
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_EQ(unwritable.output,
              "torva_fem: Cannot write " + missing + "/input_data.txt: No such file or directory\n");

    ProgramRun absent = RunTorva("export " + dir.file("absent.fem") + " -o " + dir.path().string());
    EXPECT_EQ(absent.exitCode, 1);
    EXPECT_FALSE(fs::exists(dir.file("input_data.txt")));
}

TEST(CliExport, HelpListsBothCommands) {
    ProgramRun help = RunTorva("--help");
    EXPECT_NE(help.output.find("torva_fem pack MODEL.fem"), std::string::npos);
    EXPECT_NE(help.output.find("torva_fem export MODEL.fem [-o DIR]"), std::string::npos);
}
