// The result field filled from a real elastic analysis of the example shear wall: the stress components
// turned back from the principal stresses match the classic engine's own σx, σy, τxy at every Gauss
// point, the principal strains keep the strain's trace, and the displacements are the buffer's.
#include "analysis/ResultFieldFill.h"

#include "TestModels.h"
#include "analysis/ContourValues.h"
#include "analysis/ElementReadout.h"
#include "analysis/MeshView.h"
#include "analysis/Session.h"
#include "engine/Engine.h"
#include "model/ModelFile.h"
#include "support/TempDir.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>

namespace torva {
namespace {

TEST(ResultFieldFill, ClassicElasticResultsOfTheShearWall) {
    CFramePat model;
    FileError error;
    ASSERT_TRUE(LoadModelFile((test::SourceDir() / "examples" / "shear-wall.fem").string(), model, error))
        << error.message;
    analysis::Session session;
    session.ModelChanged(); // a model of its own: the analysis builds its mesh
    int status = -1;
    std::string refusal;
    ASSERT_TRUE(session.RunElastic(model, status, refusal)) << refusal;
    ASSERT_EQ(status, 0);

    const MeshView mesh = MeshViewOf(session.GetMesh());
    ResultField field;
    EXPECT_FALSE(field.Has(Quantity::Sx)); // nothing before the fill
    FillFromResults(session.Results(), mesh, field);
    EXPECT_TRUE(field.Has(Quantity::Sx));
    EXPECT_FALSE(field.Has(Quantity::E1));
    FillFromClassicEngine(session.Engine(), mesh, field);
    EXPECT_TRUE(field.Has(Quantity::E1));
    EXPECT_TRUE(field.Has(Quantity::BarStressX));
    EXPECT_FALSE(field.Has(Quantity::CrackWidth)); // the classic method has no widths

    int checked = 0;
    double largest = 0;
    for (int e = 0; e < field.elements; ++e) {
        if (!field.plane[size_t(e)]) continue;
        for (int g = 0; g < 9; ++g) {
            const engine::GaussPointState& state = session.Engine().GaussPoint(e + 1, g + 1);
            const PointResult& p = field.Point(e, g);
            const double* s = state.concrete.stress;
            const double tolerance = 1e-9 * (1 + std::fabs(s[0]) + std::fabs(s[1]) + std::fabs(s[2]));
            EXPECT_NEAR(PointValue(p, Quantity::Sx), s[0], tolerance) << "element " << e << " point " << g;
            EXPECT_NEAR(PointValue(p, Quantity::Sy), s[1], tolerance);
            EXPECT_NEAR(PointValue(p, Quantity::Txy), s[2], tolerance);
            EXPECT_NEAR(p.e1 + p.e2, state.strain[0] + state.strain[1], 1e-15);
            EXPECT_GE(p.e1, p.e2);
            largest = std::max(largest, std::fabs(s[0]));
            ++checked;
        }
    }
    EXPECT_GT(checked, 9);
    EXPECT_GT(largest, 0.01); // the wall is loaded
    const auto results = session.Results();
    for (int k = 0; k < mesh.nodeCount; ++k) {
        EXPECT_EQ(field.ux[size_t(k)], results.Displacement(k, 0));
        EXPECT_EQ(field.uy[size_t(k)], results.Displacement(k, 1));
    }
    const ContourValues u =
        PrepareContours(field, mesh, Quantity::DisplacementMagnitude, RangeMode::Automatic);
    EXPECT_GT(u.max, 0);
}

TEST(ResultFieldFill, IterativePointsCarryWidthsConditionsAndYield) {
    ResultField field;
    field.Resize(1, 4);
    field.hasResults = true;
    engine::McftPoint points[9];
    points[4].f1 = 0.8;
    points[4].f2 = -12;
    points[4].theta = 0.7;
    points[4].cracked = true;
    points[4].crackWidth = 0.42;
    points[4].condition = engine::ConcreteCondition::PastPeak;
    points[4].barStress[1] = 400;
    points[4].yielded[1] = true;
    FillFromMcft(points, field);
    EXPECT_TRUE(field.Has(Quantity::CrackWidth));
    const PointResult& p = field.Point(0, 4);
    EXPECT_EQ(p.s1, 0.8);
    EXPECT_EQ(p.s2, -12);
    EXPECT_TRUE(p.crackOpen);
    EXPECT_NEAR(p.crackAngle, 0.7 + std::acos(0.0), 1e-15); // the crack runs across e1
    EXPECT_EQ(p.condition, PointCondition::PastPeak);
    EXPECT_TRUE(p.yielded[1]);
    EXPECT_FALSE(field.Point(0, 0).cracked);
}

// A classic push-over of the example wall into its cracked range, with rebar type 1 stripped of its x bars
// and the bottom-left element of its rebar: where there are bars, the field's bar stresses are the
// engine's own (and not 0 once the wall is strained); where there are none, the field says so and the
// table shows no value instead of a false 0.
TEST(ResultFieldFill, ClassicBarStressesAreTheEnginesWhereThereAreBars) {
    CFramePat model;
    FileError error;
    ASSERT_TRUE(LoadModelFile((test::SourceDir() / "examples" / "shear-wall.fem").string(), model, error))
        << error.message;
    model.Prop(kRebarLayer, 1, 0) = 0; // type 1: no area in x
    int bareX = 0, bareY = 0;
    for (int j = model.nys - 1; j >= 2 && bareX == 0; --j)
        for (int i = 2; i < model.nxs && bareX == 0; ++i)
            if (model.Flag(i, j, kConcreteLayer) && model.Flag(i, j, kRebarLayer)) bareX = i, bareY = j;
    ASSERT_GT(bareX, 0);
    model.Flag(bareX, bareY, kRebarLayer) = 0;
    analysis::Session session;
    session.ModelChanged();
    std::string message;
    ASSERT_TRUE(session.StartPushover(model, message)) << message;
    for (int s = 0; s < 30; ++s) ASSERT_EQ(session.Pushover()->RunStep(), 0) << "step " << s + 1;

    const engine::Engine& engine = session.Engine();
    const MeshView mesh = session.Pushover()->RunMesh();
    ResultField field;
    FillFromResults(engine.Results(), mesh, field);
    FillFromEngine(engine, mesh, field);
    int withX = 0, withoutX = 0, without = 0, strained = 0;
    for (int e = 0; e < field.elements; ++e) {
        if (!field.plane[size_t(e)]) continue;
        const int type = engine.Element(e + 1).rebarType;
        EXPECT_EQ(field.HasBar(e, 0), type > 1) << "element " << e;
        EXPECT_EQ(field.HasBar(e, 1), type > 0) << "element " << e;
        withX += type > 1;
        withoutX += type == 1;
        without += type == 0;
        for (int g = 0; g < 9; ++g) {
            const engine::GaussPointState& state = engine.GaussPoint(e + 1, g + 1);
            const PointResult& p = field.Point(e, g);
            for (int d = 0; d < 2; ++d)
                if (field.HasBar(e, d)) {
                    EXPECT_EQ(p.barStress[d], state.rebar.barStress[d]) << "element " << e << " point " << g;
                    strained += std::fabs(p.barStress[d]) > 1.0;
                }
        }
        const ReadoutTable table = GaussTable(field, e);
        ASSERT_EQ(table.header[10], "fsx (N/mm²)");
        EXPECT_EQ(table.rows[4][10] == kNoValueText, type <= 1) << "element " << e;
        EXPECT_EQ(table.rows[4][11] == kNoValueText, type == 0) << "element " << e;
        EXPECT_FALSE(table.rows[4][9].empty());
    }
    EXPECT_GT(withX, 10);
    EXPECT_GT(withoutX, 10);
    EXPECT_EQ(without, 1);
    EXPECT_GT(strained, 100); // 30 steps in, the bars carry stress
}

} // namespace
} // namespace torva
