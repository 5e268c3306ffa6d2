// The convert command word and the JSON model in the other commands: same results from either format.
#include "support/RunProgram.h"
#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

using torva::test::ProgramRun;
using torva::test::RunTorva;
namespace fs = std::filesystem;

namespace {

std::string Example(const std::string& name) {
    return (torva::test::SourceDir() / "examples" / name).string();
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(CliConvert, FemToJsonAndBackIsTheSameFileAndJsonRunsTheSame) {
    torva::test::TempDir dir;
    const std::string json = dir.file("wall.json"), fem = dir.file("wall.fem");
    ProgramRun run = RunTorva("convert " + Example("shear-wall.fem") + " " + json);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(ReadText(json).find("\"fc_MPa\": 30.0"), std::string::npos);
    run = RunTorva("convert " + json + " " + fem);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ReadText(fem), ReadText(Example("shear-wall.fem")));

    // The other command words take the JSON model and give what they give for the .fem file.
    const ProgramRun packFem = RunTorva("pack " + Example("shear-wall.fem"));
    const ProgramRun packJson = RunTorva("pack " + json);
    ASSERT_EQ(packJson.exitCode, 0) << packJson.output;
    EXPECT_EQ(packJson.output, packFem.output);
    const ProgramRun analyzeFem = RunTorva("analyze " + Example("cantilever.fem") + " --raw");
    ASSERT_EQ(RunTorva("convert " + Example("cantilever.fem") + " " + dir.file("c.json")).exitCode, 0);
    const ProgramRun analyzeJson = RunTorva("analyze " + dir.file("c.json") + " --raw");
    ASSERT_EQ(analyzeJson.exitCode, 0) << analyzeJson.output;
    EXPECT_EQ(analyzeJson.output, analyzeFem.output);

    ASSERT_EQ(RunTorva("new " + dir.file("new.json")).exitCode, 0);
    EXPECT_NE(ReadText(dir.file("new.json")).find("\"format\": \"torva-model\""), std::string::npos);
}

TEST(CliConvert, RefusalsNameTheFileAndTheField) {
    torva::test::TempDir dir;
    ASSERT_EQ(RunTorva("convert " + Example("one-element.fem") + " " + dir.file("m.json")).exitCode, 0);
    std::string text = ReadText(dir.file("m.json"));
    text.replace(text.find("\"fc_MPa\": 30.0"), 14, "\"fc_MPa\": true");
    std::ofstream(dir.file("bad.json")) << text;
    ProgramRun run = RunTorva("convert " + dir.file("bad.json") + " " + dir.file("out.fem"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find(dir.file("bad.json") + ": types.concrete[0].fc_MPa: expected a number"),
              std::string::npos)
        << run.output;
    EXPECT_FALSE(fs::exists(dir.file("out.fem")));
    run = RunTorva("convert " + dir.file("m.json"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("usage: torva_fem convert IN OUT"), std::string::npos);
}
