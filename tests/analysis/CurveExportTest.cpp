// Checks the curve export: CSV contents and number format, the output element's columns as the engine
// orders them, the file names, and writes that replace whole files or leave everything as it was.
#include "analysis/CurveExport.h"

#include "TestMesh.h"
#include "analysis/AnalysisScene.h"
#include "support/TempDir.h"

#include <clocale>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <sstream>
#include <vector>

using namespace torva;
namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> Cells(const std::string& line) {
    std::vector<std::string> cells;
    std::istringstream in(line);
    for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
    return cells;
}

// Files of a folder, sorted.
std::vector<std::string> Listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(CurveExport, CurveRowsAreTheStepsInFullPrecision) {
    // Row 0 is the start of the run and not a step; floats are written exactly as they were recorded.
    const float control[] = {9, 9, 0.5f, -1250.0f, 0.1f, 3e-7f, -2.0f, 123456792.0f};
    CurveHistory history;
    history.control = control;
    history.steps = 3;
    // The classic method (the default) has no load factor and makes one pass a step.
    EXPECT_EQ(CurveCsv(history),
              "step,control_displacement_mm,control_force_N,method,load_factor,iterations\n"
              "1,0.5,-1250,classic,,1\n"
              "2,0.10000000149011612,3.0000001061125658e-07,classic,,1\n"
              "3,-2,123456792,classic,,1\n");
    // The iterative method's rows carry its record; a column not given is empty.
    const double loadFactors[] = {0, 0.125, 2.5, 1e-20};
    const int iterations[] = {0, 1, 17, 60};
    history.method = "mcft";
    history.loadFactor = loadFactors;
    history.iterations = iterations;
    EXPECT_EQ(Lines(CurveCsv(history))[2], "2,0.10000000149011612,3.0000001061125658e-07,mcft,2.5,17");
    EXPECT_EQ(Lines(CurveCsv(history))[3], "3,-2,123456792,mcft,9.9999999999999995e-21,60");
    history.iterations = nullptr;
    EXPECT_EQ(Lines(CurveCsv(history))[1], "1,0.5,-1250,mcft,0.125,");
    history.loadFactor = nullptr;
    EXPECT_EQ(Lines(CurveCsv(history))[1], "1,0.5,-1250,mcft,,");
    history.method = "classic";
    history.steps = 0;
    EXPECT_EQ(CurveCsv(history),
              "step,control_displacement_mm,control_force_N,method,load_factor,iterations\n");
    EXPECT_EQ(OutputElementCsv(history), "");

    // A locale with a decimal comma changes nothing.
    const std::string before = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") || std::setlocale(LC_ALL, "fr_FR.UTF-8")) {
        history.steps = 1;
        EXPECT_EQ(Lines(CurveCsv(history))[1], "1,0.5,-1250,classic,,1");
        std::setlocale(LC_ALL, before.c_str());
    }
}

TEST(CurveExport, PlaneOutputColumnsFollowTheEngineOrderPerGaussPoint) {
    // Results read into a real scene: the element file's columns must be the result buffer's 72 values
    // in their order, whatever slots the scene keeps them in.
    test::TestMesh mesh = test::RowMesh({0, 100, 200}, 100);
    mesh.elemOutputNo = {0, 3};
    const MeshView view = mesh.View();
    const int outputStart = AnalysisScene::ResultValuesNeeded(view) - 72;
    auto scene = std::make_unique<AnalysisScene>();
    for (int step = 1; step <= 2; ++step) {
        std::vector<double> results(static_cast<std::size_t>(AnalysisScene::ResultValuesNeeded(view)), 0.0);
        results[0] = 0.25 * step;
        results[1] = 1000.0 * step;
        for (int i = 0; i < 72; ++i)
            results[static_cast<std::size_t>(outputStart + i)] = step * 100 + i + 0.5;
        ASSERT_TRUE(scene->ReadStepResults(view, results.data(), static_cast<int>(results.size()), step));
    }
    const CurveHistory history = CurveHistoryOf(*scene, view, 2);
    EXPECT_EQ(history.outputKind, OutputElementKind::Plane);
    EXPECT_EQ(CurveCsv(history),
              "step,control_displacement_mm,control_force_N,method,load_factor,iterations\n"
              "1,0.25,1000,classic,,1\n2,0.5,2000,classic,,1\n");

    const std::vector<std::string> lines = Lines(OutputElementCsv(history));
    ASSERT_EQ(lines.size(), 3u);
    const std::vector<std::string> header = Cells(lines[0]);
    ASSERT_EQ(header.size(), 73u);
    const std::vector<std::string> first = {
        "step",         "gp1_concrete_stress_1", "gp1_concrete_strain_1", "gp1_rebar_stress_x",
        "gp1_strain_x", "gp1_concrete_stress_2", "gp1_concrete_strain_2", "gp1_rebar_stress_y",
        "gp1_strain_y", "gp2_concrete_stress_1"};
    EXPECT_EQ(std::vector<std::string>(header.begin(), header.begin() + 10), first);
    EXPECT_EQ(header[72], "gp9_strain_y");
    for (int step = 1; step <= 2; ++step) {
        const std::vector<std::string> row = Cells(lines[static_cast<std::size_t>(step)]);
        ASSERT_EQ(row.size(), 73u);
        EXPECT_EQ(row[0], std::to_string(step));
        for (int i = 0; i < 72; ++i)
            EXPECT_EQ(std::stod(row[static_cast<std::size_t>(i + 1)]), step * 100 + i + 0.5)
                << step << " " << i;
    }
}

TEST(CurveExport, JointOutputHasTwoSpringsOfFourValues) {
    test::TestMesh mesh = test::RowMesh({0, 100, 100, 200}, 100, {0, 1, 0});
    mesh.elemOutputNo = {0, 1, 0};
    const MeshView view = mesh.View();
    const int needed = AnalysisScene::ResultValuesNeeded(view);
    auto scene = std::make_unique<AnalysisScene>();
    std::vector<double> results(static_cast<std::size_t>(needed), 0.0);
    for (int i = 0; i < 8; ++i) results[static_cast<std::size_t>(needed - 8 + i)] = -0.125 * (i + 1);
    ASSERT_TRUE(scene->ReadStepResults(view, results.data(), needed, 1));

    const CurveHistory history = CurveHistoryOf(*scene, view, 1);
    EXPECT_EQ(history.outputKind, OutputElementKind::Discrete);
    EXPECT_EQ(
        OutputElementCsv(history),
        "step,spring1_concrete_force,spring1_concrete_opening,spring1_steel_force,spring1_steel_opening,"
        "spring2_concrete_force,spring2_concrete_opening,spring2_steel_force,spring2_steel_opening\n"
        "1,-0.125,-0.25,-0.375,-0.5,-0.625,-0.75,-0.875,-1\n");

    // Without an output number there is no element file; a run longer than the histories is cut.
    mesh.elemOutputNo = {0, 0, 0};
    const CurveHistory plain = CurveHistoryOf(*scene, mesh.View(), 70000);
    EXPECT_EQ(plain.outputKind, OutputElementKind::None);
    EXPECT_EQ(plain.steps, 60000);
    EXPECT_EQ(OutputElementCsv(plain), "");
}

TEST(CurveExport, ElementFileNameSitsBesideTheCurveFile) {
    EXPECT_EQ(OutputElementCsvPath("/data/run.csv"), "/data/run_element.csv");
    EXPECT_EQ(OutputElementCsvPath("run"), "run_element");
    EXPECT_EQ(OutputElementCsvPath("wall.v2/run"), "wall.v2/run_element");
    EXPECT_EQ(OutputElementCsvPath("out/.csv"), "out/.csv_element");
    EXPECT_EQ(OutputElementCsvPath("a.tar.csv"), "a.tar_element.csv");
}

struct CurveFiles : ::testing::Test {
    test::TempDir folder;
    const float control[6] = {0, 0, 1.5f, 10.0f, 3.0f, 20.0f};
    std::vector<double> values[4];
    CurveHistory history;

    CurveFiles() {
        history.control = control;
        history.steps = 2;
        history.outputKind = OutputElementKind::Discrete;
        for (std::size_t q = 0; q < 4; ++q) {
            values[q].assign(6, static_cast<double>(q));
            history.output[q] = values[q].data();
        }
    }
};

TEST_F(CurveFiles, WritesBothFilesAndReplacesOldOnes) {
    const std::string path = folder.file("curve.csv");
    WriteText(path, "old content that is longer than the new one, so truncation shows..........\n"
                    "..........................................................................\n");
    std::string error;
    ASSERT_TRUE(WriteCurveExport(history, path, error)) << error;
    EXPECT_EQ(error, "");
    EXPECT_EQ(ReadText(path), CurveCsv(history));
    EXPECT_EQ(ReadText(folder.file("curve_element.csv")), OutputElementCsv(history));
    EXPECT_EQ(Listing(folder.path()), (std::vector<std::string>{"curve.csv", "curve_element.csv"}));
    // An ordinary file mode, not the private one of a temporary file.
    const auto permissions = fs::status(path).permissions();
    EXPECT_NE(permissions & fs::perms::others_read, fs::perms::none);

    history.outputKind = OutputElementKind::None;
    history.steps = 1;
    ASSERT_TRUE(WriteCurveExport(history, path, error)) << error;
    EXPECT_EQ(
        ReadText(path),
        "step,control_displacement_mm,control_force_N,method,load_factor,iterations\n1,1.5,10,classic,,1\n");
}

TEST_F(CurveFiles, FailuresNameThePathAndLeaveEverythingAsItWas) {
    std::string error;
    const std::string missing = folder.file("no-such-folder/curve.csv");
    EXPECT_FALSE(WriteCurveExport(history, missing, error));
    EXPECT_EQ(error, "Cannot write " + missing + ": No such file or directory");

    // The element file's name is taken by a folder: the curve file must not be replaced either.
    const std::string path = folder.file("run.csv");
    WriteText(path, "previous\n");
    fs::create_directory(folder.file("run_element.csv"));
    error.clear();
    EXPECT_FALSE(WriteCurveExport(history, path, error));
    EXPECT_EQ(error, "Cannot write " + folder.file("run_element.csv") + ": Is a directory");
    EXPECT_EQ(ReadText(path), "previous\n");
    EXPECT_EQ(Listing(folder.path()), (std::vector<std::string>{"run.csv", "run_element.csv"}));

    // The curve file's own name taken by a folder.
    fs::create_directory(folder.file("taken.csv"));
    history.outputKind = OutputElementKind::None;
    EXPECT_FALSE(WriteCurveExport(history, folder.file("taken.csv"), error));
    EXPECT_EQ(error, "Cannot write " + folder.file("taken.csv") + ": Is a directory");

    // A file where a folder should be.
    const std::string underFile = folder.file("run.csv/curve.csv");
    EXPECT_FALSE(WriteFileReplacing(underFile, "x", error));
    EXPECT_EQ(error, "Cannot write " + underFile + ": Not a directory");
    EXPECT_EQ(Listing(folder.path()), (std::vector<std::string>{"run.csv", "run_element.csv", "taken.csv"}));
}

} // namespace
