// The headless command line as a user runs it: the real torva_fem binary, exit codes and files.
#include "model/FramePat.h"
#include "model/ModelFile.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace torva;

using test::ProgramRun;
using test::RunTorva;

TEST(CliBasics, HelpAndVersion) {
    ProgramRun help = RunTorva("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.output.find("torva_fem new MODEL.fem"), std::string::npos);
    ProgramRun version = RunTorva("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output.rfind("torva_fem ", 0), 0u);
}

TEST(CliNew, WritesAModelWithConstructionDefaults) {
    test::TempDir dir;
    const std::string path = dir.file("fresh.fem");
    ProgramRun run = RunTorva("new " + path);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(std::filesystem::file_size(path), kModelFileSize);
    auto model = std::make_unique<CFramePat>();
    FileError error;
    ASSERT_TRUE(LoadModelFile(path, *model, error)) << error.Text();
    EXPECT_EQ(model->nxs, 12);
    EXPECT_EQ(model->Prop(kConcreteLayer, 1, 1), 22);
}

TEST(CliNew, MissingArgumentOrUnwritableFolderFails) {
    ProgramRun missing = RunTorva("new");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.output.find("usage"), std::string::npos);
    ProgramRun unwritable = RunTorva("new /nonexistent-folder/model.fem");
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_NE(unwritable.output.find("/nonexistent-folder/model.fem"), std::string::npos);
}
