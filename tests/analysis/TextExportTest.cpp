// "input_data.txt": byte-exact formats, a golden file of an example, the output folder and write errors.
#include "analysis/TextExport.h"

#include "TestModels.h"
#include "analysis/FixedFormat.h"
#include "model/ModelFile.h"
#include "support/SmallFileSystem.h"
#include "support/TempDir.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <string>

using namespace torva;
using test::GridModel;
using test::Place;
using test::ScannedMesh;

namespace {

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::unique_ptr<CFramePat> LoadExample(const std::string& name) {
    auto model = std::make_unique<CFramePat>();
    FileError error;
    EXPECT_TRUE(LoadModelFile((test::SourceDir() / "examples" / name).string(), *model, error))
        << error.Text();
    return model;
}

// The line after the line `header`.
std::string LineAfter(const std::string& text, const std::string& header) {
    const std::size_t at = text.find(header + "\n");
    if (at == std::string::npos) return "<no " + header + ">";
    const std::size_t start = at + header.size() + 1;
    return text.substr(start, text.find('\n', start) - start + 1);
}

} // namespace

TEST(TextExport, CantileverMatchesTheGoldenFileByteForByte) {
    auto model = LoadExample("cantilever.fem");
    auto mesh = ScannedMesh(*model);
    const std::string golden =
        ReadText(test::SourceDir() / "tests" / "analysis" / "golden" / "cantilever-input_data.txt");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(TextExportContent(*mesh, *model), golden);
}

TEST(TextExport, OneElementWholeFile) {
    auto model = GridModel(1, 1);
    model->elementKind = 1;
    Place(*model, 0, 0, kConcreteLayer, 2);
    Place(*model, 0, 0, kBoundaryLayer);
    model->Prop(kPointForceLayer, 1, 0) = 1500;
    model->Prop(kPointForceLayer, 1, 1) = -12345;
    Place(*model, 1, 1, kPointForceLayer);
    model->Prop(kConcreteLayer, 1, 0) = 25050;
    model->Prop(kConcreteLayer, 1, 1) = 0;
    auto mesh = ScannedMesh(*model);
    const std::string expected = "FEM MODEL\n"
                                 "Type of FEM Element\n"
                                 "1\t(1: Linear, 2: Incompatible)\n"
                                 "Total Numbers of: Nodes, Restrained Nodes and Loaded Nodes\n"
                                 "4\t1\t1\n"
                                 "Nodal Coordinates\n"
                                 " node\t     x[mm]\t     y[mm]\n"
                                 "    1\t         0\t         0\t\n"
                                 "    2\t       100\t         0\t\n"
                                 "    3\t         0\t       100\t\n"
                                 "    4\t       100\t       100\t\n"
                                 "Nodal Restrains (n, 0: Free, 1: X-dir, 2: Y-dir, 12: X and Y)\n"
                                 " node\t direction\n"
                                 "    1\t        12\n"
                                 "Gravity Acceleration [m/sec2]\n"
                                 "     -9.80\n"
                                 "FEM Plate (Number of Elements, Number of Material Types)\n"
                                 "1\t2\n"
                                 "    n\t     Thick\t        Ec\t         v\t   density\n"
                                 "     \t        mm\t     N/mm2\t          \t     kg/m3\n"
                                 "    1\t    250.50\t      0.00\t    0.1666\t   2400.00\t\n"
                                 "    2\t    100.00\t  22000.00\t    0.1666\t   2400.00\t\n"
                                 "Element Nodes Definition - Anticlockwise\n"
                                 "    n\t   n1\t   n2\t   n3\t   n4\ttypeE\n"
                                 "    1\t    1\t    2\t    4\t    3\t    2\t\n"
                                 "Load Distribution (node, Fx, Fy)\n"
                                 "    4\t     15.00\t   -123.45\t\n";
    EXPECT_EQ(TextExportContent(*mesh, *model), expected);
}

TEST(TextExport, GravityIsPrintedNegatedAndZeroWithoutSign) {
    auto model = GridModel(1, 1);
    auto mesh = ScannedMesh(*model);
    const std::string header = "Gravity Acceleration [m/sec2]";
    EXPECT_EQ(LineAfter(TextExportContent(*mesh, *model), header), "     -9.80\n");
    model->gravity = 0;
    EXPECT_EQ(LineAfter(TextExportContent(*mesh, *model), header), "      0.00\n");
    model->gravity = 1;
    EXPECT_EQ(LineAfter(TextExportContent(*mesh, *model), header), "     -0.01\n");
    model->gravity = -32768;
    EXPECT_EQ(LineAfter(TextExportContent(*mesh, *model), header), "    327.68\n");
}

TEST(TextExport, EmptyMeshHasEveryHeaderAndNoRows) {
    auto model = GridModel(2, 2);
    auto mesh = ScannedMesh(*model);
    const std::string text = TextExportContent(*mesh, *model);
    EXPECT_NE(text.find("0\t0\t0\n"), std::string::npos);
    EXPECT_NE(text.find("FEM Plate (Number of Elements, Number of Material Types)\n0\t0\n"),
              std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 33), "Load Distribution (node, Fx, Fy)\n");
}

TEST(FixedFormat, MatchesPrintfInTheCLocale) {
    const double values[] = {0.0,   -0.0,          0.005, 0.015,   0.125,   2.675, -9.8,  1e-7,
                             -1e-7, 123456789.125, 15.0,  -123.45, 0.16665, 1e15,  2400.0};
    for (double value : values)
        for (int decimals : {0, 2, 4}) {
            char expected[128];
            std::snprintf(expected, sizeof expected, "%10.*f", decimals, value);
            std::string got;
            AppendFixed(got, value, 10, decimals);
            EXPECT_EQ(got, expected) << value << " with " << decimals << " decimals";
        }
    std::string ints;
    AppendInt(ints, -42, 5);
    AppendInt(ints, 123456, 5);
    EXPECT_EQ(ints, "  -42123456");
}

TEST(TextExportFile, WritesIntoTheFolderAndTruncatesAnOldFile) {
    test::TempDir dir;
    const std::string path = dir.file("input_data.txt");
    {
        std::ofstream old(path);
        old << std::string(100000, 'x');
    }
    auto model = GridModel(1, 1);
    Place(*model, 0, 0, kConcreteLayer);
    auto mesh = ScannedMesh(*model);
    std::string error = "untouched";
    ASSERT_TRUE(WriteTextExport(*mesh, *model, dir.path().string(), error));
    EXPECT_EQ(error, "untouched");
    EXPECT_EQ(ReadText(path), TextExportContent(*mesh, *model));
}

TEST(TextExportFile, AFolderThatCannotTakeTheFileIsReported) {
    test::TempDir dir;
    auto model = GridModel(1, 1);
    auto mesh = ScannedMesh(*model);
    std::string error;
    const std::string missing = (dir.path() / "no-such-folder").string();
    EXPECT_FALSE(WriteTextExport(*mesh, *model, missing, error));
    EXPECT_EQ(error, "Cannot write " + missing + "/input_data.txt: No such file or directory");
    EXPECT_FALSE(std::filesystem::exists(missing));

    // A folder named like the file: the file cannot be created there.
    std::filesystem::create_directory(dir.path() / "input_data.txt");
    EXPECT_FALSE(WriteTextExport(*mesh, *model, dir.path().string(), error));
    EXPECT_EQ(error, "Cannot write " + dir.file("input_data.txt") + ": Is a directory");
}

TEST(TextExportFile, AFullDiskIsReportedAndTheOldFileKept) {
    // A 60 x 60 export does not fit beside the old file on a small file system.
    test::SmallFileSystem small(128 * 1024);
    const std::string path = small.file("input_data.txt");
    const std::string old(60 * 1024, 'o');
    std::ofstream(path) << old;
    auto model = GridModel(60, 60);
    for (int x = 0; x < 60; ++x)
        for (int y = 0; y < 60; ++y) Place(*model, x, y, kConcreteLayer);
    auto mesh = ScannedMesh(*model);
    ASSERT_GT(TextExportContent(*mesh, *model).size(), 128u * 1024);
    std::string error;
    {
        std::unique_ptr<test::FileSizeLimit> limit;
        if (!small.mounted()) limit = std::make_unique<test::FileSizeLimit>(100 * 1024);
        EXPECT_FALSE(WriteTextExport(*mesh, *model, small.path().string(), error));
    }
    EXPECT_EQ(error,
              "Cannot write " + path + (small.mounted() ? ": No space left on device" : ": File too large"));
    EXPECT_EQ(ReadText(path), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(small.path()), {}), 1);
}

TEST(TextExportFile, DefaultFolderIsTheModelFolderOrTheCurrentDirectory) {
    EXPECT_EQ(DefaultOutputFolder("/home/user/walls/tower.fem"), "/home/user/walls");
    EXPECT_EQ(DefaultOutputFolder(""), std::filesystem::current_path().string());
    EXPECT_EQ(DefaultOutputFolder("tower.fem"), std::filesystem::current_path().string());
}
