// The shown step's field as CSV: a row per Gauss point of every plane element (none for an opening),
// positions and values in the units the legends use, empty cells for what the method does not compute.
#include "analysis/FieldCsv.h"

#include "analysis/GridMesh.h"
#include "support/TempDir.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace torva {
namespace {

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> cells;
    std::stringstream in(line);
    std::string cell;
    while (std::getline(in, cell, ',')) cells.push_back(cell);
    if (!line.empty() && line.back() == ',') cells.emplace_back();
    return cells;
}

TEST(FieldCsv, ARowPerGaussPointWithUnitsAndGaps) {
    // 2 × 1 elements of 10 mm with the second left out; σ1 = 4, σ2 = −2 at 30°; ε1 = 0.002.
    test::GridMesh grid(2, 1, 10, [](int i, int) { return i == 1; });
    ResultField field = grid.Field([](PointResult& p, double, double) {
        p.s1 = 4;
        p.s2 = -2;
        p.angle = 3.14159265358979 / 6;
        p.e1 = 0.002;
    });
    field.hasStrains = true;
    field.ux.assign(field.ux.size(), 3.0);
    field.uy.assign(field.uy.size(), 4.0);
    const std::string csv = FieldCsv(field, grid.mesh.View(), grid.x.data(), grid.y.data());
    std::stringstream in(csv);
    std::string line;
    std::vector<std::vector<std::string>> rows;
    while (std::getline(in, line)) rows.push_back(Split(line));
    ASSERT_EQ(rows.size(), 1u + 9u);
    const auto& header = rows[0];
    ASSERT_EQ(header.size(), 4u + kQuantityCount);
    EXPECT_EQ(header[0], "element");
    EXPECT_EQ(header[4], "sx_MPa");
    EXPECT_EQ(header[9], "e1_permille");
    EXPECT_EQ(header[11], "crack_width_mm");

    const auto& first = rows[1]; // element 1, point 1: ξ = η = −√0.6, towards corner 3 (10, 10)
    ASSERT_EQ(first.size(), header.size());
    EXPECT_EQ(first[0], "1");
    EXPECT_EQ(first[1], "1");
    EXPECT_NEAR(std::stod(first[2]), 5 + 5 * std::sqrt(0.6), 1e-6);
    EXPECT_NEAR(std::stod(first[4]), 2.5, 1e-6);  // σx
    EXPECT_NEAR(std::stod(first[5]), -0.5, 1e-6); // σy
    EXPECT_NEAR(std::stod(first[9]), 2.0, 1e-9);  // ε1 in ‰
    EXPECT_TRUE(first[11].empty());               // no crack widths from this method
    EXPECT_TRUE(first[12].empty());               // nor bar stresses
    EXPECT_NEAR(std::stod(first[14]), 5.0, 1e-9); // |(3, 4)| mm
    EXPECT_EQ(rows.back()[1], "9");

    test::TempDir dir;
    const std::string path = (dir.path() / "field.csv").string();
    std::string error;
    ASSERT_TRUE(WriteFieldCsv(path, field, grid.mesh.View(), grid.x.data(), grid.y.data(), error)) << error;
    std::ifstream file(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), csv);
    EXPECT_FALSE(WriteFieldCsv((dir.path() / "no" / "f.csv").string(), field, grid.mesh.View(), grid.x.data(),
                               grid.y.data(), error));
    EXPECT_NE(error.find("Cannot write"), std::string::npos);

    ResultField none;
    EXPECT_EQ(FieldCsv(none, grid.mesh.View(), grid.x.data(), grid.y.data()), FieldCsvHeader() + "\n");
}

} // namespace
} // namespace torva
