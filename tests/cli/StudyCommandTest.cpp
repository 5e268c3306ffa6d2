// The study command word: processes and a single process give the same files, a rerun resumes, and a
// bad study is refused naming the parameter.
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

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteStudy(const fs::path& path, const std::string& variations) {
    const std::string base = (torva::test::SourceDir() / "examples" / "cantilever.fem").string();
    std::ofstream(path) << "{\"base_model\": \"" << base << "\", " << variations << "}";
}

} // namespace

TEST(CliStudy, ProcessesAndOneProcessWriteTheSameFilesAndARerunResumes) {
    torva::test::TempDir dir;
    const std::string variations =
        R"("grid": {"rebar.x_fy_MPa": [100, 400], "rebar.x_spacing_mm": [0, 150, 200]})";
    WriteStudy(dir.path() / "one.json", variations);
    WriteStudy(dir.path() / "many.json", variations);
    ProgramRun one = RunTorva("study " + dir.file("one.json") + " --workers 1");
    ASSERT_EQ(one.exitCode, 0) << one.output;
    EXPECT_NE(one.output.find("6 variants: 4 completed, 2 stopped early, 0 missing"), std::string::npos)
        << one.output;
    ProgramRun many = RunTorva("study " + dir.file("many.json") + " --workers=3");
    ASSERT_EQ(many.exitCode, 0) << many.output;
    const std::string summary = ReadText(dir.path() / "one_results" / "summary.csv");
    EXPECT_EQ(ReadText(dir.path() / "many_results" / "summary.csv"), summary);
    EXPECT_EQ(ReadText(dir.path() / "many_results" / "variants" / "variant_0005_curve.csv"),
              ReadText(dir.path() / "one_results" / "variants" / "variant_0005_curve.csv"));
    EXPECT_NE(summary.find("\n4,400,0,5,refused,0,"), std::string::npos) << summary;

    // Interrupted: two records gone. The rerun runs those two and gives the same summary.
    fs::remove(dir.path() / "many_results" / "variants" / "variant_0002.json");
    fs::remove(dir.path() / "many_results" / "variants" / "variant_0006.json");
    many = RunTorva("study " + dir.file("many.json") + " --workers 2");
    ASSERT_EQ(many.exitCode, 0) << many.output;
    EXPECT_NE(many.output.find("6 variants, 2 to run"), std::string::npos) << many.output;
    EXPECT_NE(many.output.find("variant 2/6: "), std::string::npos);
    EXPECT_EQ(many.output.find("variant 1/6: "), std::string::npos);
    EXPECT_EQ(ReadText(dir.path() / "many_results" / "summary.csv"), summary);
    EXPECT_TRUE(fs::exists(dir.path() / "many_results" / "curves.svg"));
}

TEST(CliStudy, BadStudiesAndOptionsAreRefusedByName) {
    torva::test::TempDir dir;
    WriteStudy(dir.path() / "bad.json", R"("grid": {"concrete.fc_MPa": [20], "rebar.area_mm2": [50]})");
    ProgramRun run = RunTorva("study " + dir.file("bad.json"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("bad.json: grid.rebar.area_mm2: unknown parameter \"rebar.area_mm2\""),
              std::string::npos)
        << run.output;
    EXPECT_FALSE(fs::exists(dir.path() / "bad_results"));
    run = RunTorva("study " + dir.file("bad.json") + " --workers 0");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("--workers must be a whole number of at least 1, found '0'"),
              std::string::npos);
    run = RunTorva("study " + dir.file("bad.json") + " --fast");
    EXPECT_NE(run.output.find("unknown option '--fast'"), std::string::npos);
}
