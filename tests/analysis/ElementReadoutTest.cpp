// The numbers an engineer reads of an element: three significant figures with a true minus sign and a
// unit on every value; the status line for the iterative method (crack widths) and the classic one
// (crack states), without results and out of date; the element table's rows and units, σx..τxy turned
// from the principal stresses and strains in ‰.
#include "analysis/ElementReadout.h"

#include "GridMesh.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace torva {
namespace {

TEST(ElementReadout, NumbersKeepThreeFiguresAndATrueMinus) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {312.4, "312"},    {-8.4, "\u22128.40"}, {1.234, "1.23"},
        {12.34, "12.3"},   {0.12, "0.12"},       {0.004, "0.004"},
        {0.0, "0.00"},     {-0.0004, "0.000"},   {-1234.6, "\u22121235"},
        {99.96, "100"},    {9.9999, "10.0"},     {-9.99999, "\u221210.0"},
        {0.09999, "0.10"}, {-0.1, "\u22120.10"}, {std::numeric_limits<double>::quiet_NaN(), "—"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatNumber(c.value), c.text) << c.value;
}

// One element of 1000 mm with Gauss point 5 (index 4) set.
ResultField OneElement(bool widths) {
    test::GridMesh grid(1, 1, 1000);
    ResultField field = grid.Field([](PointResult&, double, double) {});
    PointResult& p = field.Point(0, 4);
    p.s1 = 1.234;
    p.s2 = -8.4;
    p.cracked = true;
    p.crackOpen = true;
    p.crackWidth = 0.1234;
    p.barStress[0] = 312.2;
    p.barStress[1] = -45.04;
    field.hasStrains = true;
    field.hasBars = true;
    field.bars[0] = 3; // bars both ways
    field.hasCrackWidths = widths;
    return field;
}

TEST(ElementReadout, StatusLineNamesTheElementPointAndUnits) {
    ResultField field = OneElement(true);
    EXPECT_EQ(ProbeText(field, 0, 4, ElementLabel(0, 3, 5), false),
              "E1 (x 3, y 5) point 5: σ1 1.23 N/mm², σ2 \u22128.40 N/mm², crack 0.12 mm, fsx 312 N/mm², fsy "
              "\u221245.0 N/mm²");
    // The classic method: the crack's state, crushed concrete and a yielded bar marked.
    field = OneElement(false);
    field.Point(0, 4).crackOpen = false;
    field.Point(0, 4).condition = PointCondition::Crushed;
    field.Point(0, 4).yielded[0] = true;
    EXPECT_EQ(
        ProbeText(field, 0, 4, ElementLabel(0, 3, 5), false),
        "E1 (x 3, y 5) point 5: σ1 1.23 N/mm², σ2 \u22128.40 N/mm², crack closed, crushed, fsx 312 yielded "
        "N/mm², fsy \u221245.0 N/mm²");
    // An uncracked point of the iterative method has no width to give.
    field = OneElement(true);
    EXPECT_NE(ProbeText(field, 0, 0, ElementLabel(0, 3, 5), false).find("crack none"), std::string::npos);
    // No numbers without results or from results of another model.
    EXPECT_EQ(ProbeText(field, 0, 4, ElementLabel(0, 3, 5), true),
              "E1 (x 3, y 5): results are out of date \u2014 Analyze again");
    EXPECT_EQ(ProbeText(ResultField{}, 11, 4, ElementLabel(11, 3, 5), false), "E12 (x 3, y 5): no results");
    EXPECT_EQ(ProbeText(field, -1, 4, "E7 (x 8, y 2)", false), "E7 (x 8, y 2): no results");
    // A direction without bars has no bar stress: no number at all, not a false 0.
    field = OneElement(false);
    field.bars[0] = 2; // bars in y only
    EXPECT_EQ(
        ProbeText(field, 0, 4, ElementLabel(0, 3, 5), false),
        "E1 (x 3, y 5) point 5: σ1 1.23 N/mm², σ2 \u22128.40 N/mm², crack open, fsx — (no bars in x), fsy "
        "\u221245.0 N/mm²");
}

TEST(ElementReadout, TablesGiveNodesAndGaussPointsWithUnits) {
    test::GridMesh grid(2, 1, 1000);
    ResultField field = grid.Field([](PointResult& p, double gx, double) {
        // Principal stresses at 30° from x: σx = 3 + 2 cos 60°, σy = 3 − 2 cos 60°, τxy = 2 sin 60°.
        p.s1 = 5;
        p.s2 = 1;
        p.angle = M_PI / 6;
        p.e1 = 0.0012;
        p.e2 = -0.00034;
        p.barStress[1] = gx; // tells the points apart
    });
    field.hasStrains = true;
    field.hasBars = true;
    field.bars = {3, 3};
    field.Point(1, 2).cracked = true;
    field.Point(1, 2).crackOpen = true;
    field.Point(1, 2).yielded[1] = true;
    for (size_t n = 0; n < field.ux.size(); ++n) field.ux[n] = 0.5 * double(n), field.uy[n] = -0.25;

    const ReadoutTable nodes = NodeTable(field, grid.mesh.View(), grid.x.data(), grid.y.data(), 1);
    ASSERT_EQ(nodes.rows.size(), 4u);
    EXPECT_EQ(nodes.header[4], "ux (mm)");
    // Element 1 runs over nodes 1, 2, 5, 4 (from 0): numbered from 1 in the table.
    const std::vector<std::string> n3 = {"n3", "6", "2000", "1000", "2.50", "\u22120.25"};
    EXPECT_EQ(nodes.rows[2], n3);

    const ReadoutTable gauss = GaussTable(field, 1);
    const std::vector<std::string> header = {"point",      "σx (N/mm²)", "σy (N/mm²)",  "τxy (N/mm²)",
                                             "σ1 (N/mm²)", "σ2 (N/mm²)", "ε1 (‰)",      "ε2 (‰)",
                                             "crack",      "concrete",   "fsx (N/mm²)", "fsy (N/mm²)"};
    EXPECT_EQ(gauss.header, header);
    ASSERT_EQ(gauss.rows.size(), 9u);
    const std::vector<std::string>& row = gauss.rows[2];
    EXPECT_EQ(row[0], "3");
    EXPECT_EQ(row[1], "4.00");
    EXPECT_EQ(row[2], "2.00");
    EXPECT_EQ(row[3], "1.73");
    EXPECT_EQ(row[6], "1.20");
    EXPECT_EQ(row[7], "\u22120.34");
    EXPECT_EQ(row[8], "open");
    EXPECT_EQ(gauss.rows[0][8], "none");
    EXPECT_NE(row[11].find("yielded"), std::string::npos);
    // Gauss point 3 (ξ = −√0.6, η = +√0.6) lies towards n2, at the element's larger x.
    EXPECT_GT(std::stod(row[11]), 1500);

    // The iterative method adds widths; a field without strains or bars drops those columns.
    field.hasCrackWidths = true;
    field.Point(1, 2).crackWidth = 0.0456;
    EXPECT_EQ(GaussTable(field, 1).header[8], "crack (mm)");
    EXPECT_EQ(GaussTable(field, 1).rows[2][8], "0.046");
    ResultField plain = grid.Field([](PointResult&, double, double) {});
    EXPECT_EQ(GaussTable(plain, 0).header.size(), 6u);
    EXPECT_TRUE(GaussTable(ResultField{}, 0).rows.empty());
}

TEST(ElementReadout, ConcreteStateAlwaysShownAndMissingBarsAreNoValue) {
    test::GridMesh grid(2, 1, 1000);
    ResultField field = grid.Field([](PointResult& p, double gx, double) {
        p.barStress[0] = 0.5 * gx;
        p.barStress[1] = -gx;
    });
    field.hasStrains = true;
    field.hasBars = true;
    field.bars = {2, 0}; // element 0: bars in y only; element 1: no rebar
    field.Point(0, 0).cracked = field.Point(0, 0).crackOpen = true;
    field.Point(0, 0).condition = PointCondition::Cracked;
    field.Point(0, 1).condition = PointCondition::PastPeak;
    field.Point(0, 2).condition = PointCondition::Crushed;

    const ReadoutTable table = GaussTable(field, 0);
    ASSERT_EQ(table.header[9], "concrete");
    ASSERT_EQ(table.rows.size(), 9u);
    // Every point says how far its concrete has gone: no empty cell.
    EXPECT_EQ(table.rows[0][9], "cracked");
    EXPECT_EQ(table.rows[1][9], "past peak");
    EXPECT_EQ(table.rows[2][9], "crushed");
    EXPECT_EQ(table.rows[3][9], "intact");
    EXPECT_NE(table.headerTips[9].find("equivalent uniaxial strain"), std::string::npos);
    for (size_t r = 0; r < 9; ++r) {
        EXPECT_EQ(table.rows[r][10], "\u2014") << "point " << r + 1;
        EXPECT_NE(table.Tip(r, 10).find("no bars in x"), std::string::npos);
        EXPECT_NE(table.rows[r][11], "\u2014");
        EXPECT_EQ(table.Tip(r, 11), "");
        EXPECT_EQ(table.Tip(r, 4), ""); // numbers that are values need no reason
    }
    EXPECT_EQ(table.rows[4][11], "\u2212500"); // the centre point, at x = 500 mm
    // Without rebar neither direction has a value; a bar-free element is not shown as unstressed bars.
    const ReadoutTable bare = GaussTable(field, 1);
    EXPECT_EQ(bare.rows[4][10], "\u2014");
    EXPECT_EQ(bare.rows[4][11], "\u2014");
    EXPECT_NE(bare.Tip(4, 11).find("no bars in y"), std::string::npos);
    // The iterative method's states are told by its own strains.
    field.iterated = true;
    EXPECT_EQ(GaussTable(field, 0).headerTips[9].find("equivalent uniaxial"), std::string::npos);
}

TEST(ElementReadout, ReactionTableInKilonewtonsWithTheBalance) {
    test::GridMesh grid(1, 1, 1000);
    SupportReactions reactions;
    NodeReaction pin;
    pin.node = 0;
    pin.fixed[0] = pin.fixed[1] = true;
    pin.force[0] = -1500;
    pin.force[1] = 2500.4;
    NodeReaction roller;
    roller.node = 1;
    roller.fixed[1] = true;
    roller.force[1] = 12345;
    reactions.nodes = {pin, roller};
    reactions.sum[0] = -1500;
    reactions.sum[1] = 14845.4;
    reactions.gravity[1] = -4845.4;
    reactions.pointLoads[0] = 1500;
    reactions.pointLoads[1] = -10000.2;
    reactions.loadFactor = 2.5;

    const ReadoutTable table = ReactionTable(reactions, grid.mesh.View(), false);
    EXPECT_EQ(table.header[3], "Rx (kN)");
    ASSERT_EQ(table.rows.size(), 7u);
    EXPECT_EQ(table.rows[0], (std::vector<std::string>{"1", "0", "0", "\u22121.50", "2.50"}));
    EXPECT_EQ(table.rows[1], (std::vector<std::string>{"2", "1000", "0", "", "12.3"})); // x is free
    EXPECT_EQ(table.rows[2][0], "sum of reactions");
    EXPECT_EQ(table.rows[2][4], "14.8");
    EXPECT_EQ(table.rows[4][0], "point loads × 2.50");
    EXPECT_EQ(table.rows[5][0], "applied loads");
    EXPECT_EQ(table.rows[5][3], "1.50");
    EXPECT_EQ(table.rows[5][4], "\u221214.8");
    EXPECT_EQ(table.rows[6][0], "out of balance *");
    EXPECT_EQ(table.note.substr(0, 2), "* ");
    EXPECT_EQ(table.rows[6][3], "0.00");
    EXPECT_EQ(table.rows[6][4], "0.000"); // −0.2 N rounds to no kilonewtons, and has no sign
    // Its tip says why the classic method leaves a force there, and what the iterative one does.
    const std::string& tip = table.Tip(6, 3);
    EXPECT_NE(tip.find("without equilibrium iterations"), std::string::npos) << tip;
    EXPECT_NE(tip.find("0.10 % of the applied force"), std::string::npos) << tip;
    EXPECT_EQ(table.Tip(6, 4), tip);
    EXPECT_EQ(table.Tip(5, 3), "");
    const ReadoutTable iterated = ReactionTable(reactions, grid.mesh.View(), true);
    EXPECT_EQ(iterated.rows[6][0], "out of balance");
    EXPECT_EQ(iterated.rows[6][4], "0.000");
    EXPECT_EQ(iterated.Tip(6, 3).find("without equilibrium iterations"), std::string::npos);
    EXPECT_NE(iterated.Tip(6, 3).find("below 0.10 %"), std::string::npos);
    EXPECT_EQ(iterated.note.find("* "), std::string::npos);
}

} // namespace
} // namespace torva
