// The analysis result store: every value of the engine's result buffer lands in its slot (plane and
// discrete output blocks), clearing a run, display fill, and the preparation of a repaint (stress range,
// deformed positions, minimum extent, glyphs, Gauss-point positions).
#include "analysis/AnalysisScene.h"

#include "TestMesh.h"
#include "analysis/ColourScale.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace torva;
using torva::test::RowMesh;
using torva::test::TestMesh;

namespace {

std::unique_ptr<AnalysisScene> NewScene() {
    return std::make_unique<AnalysisScene>();
}

// results[i] = base + i: every slot is recognisable.
std::vector<double> NumberedBuffer(int size, double base) {
    std::vector<double> results(size);
    for (int i = 0; i < size; ++i) results[i] = base + i;
    return results;
}

} // namespace

TEST(AnalysisScene, GaussShapeTableSumsToOneAndFavoursTheNearCorner) {
    auto scene = NewScene();
    for (int g = 0; g < 9; ++g) {
        float sum = 0;
        for (int r = 0; r < 4; ++r) sum += scene->gaussShape[r][g];
        EXPECT_NEAR(sum, 1.0f, 1e-6f) << g;
    }
    const float p = 0.7745967f;
    EXPECT_FLOAT_EQ(scene->gaussShape[0][8], (1 + p) * (1 + p) / 4); // ξ = η = +p: node 1 at (+1, +1)
    EXPECT_FLOAT_EQ(scene->gaussShape[2][0], (1 + p) * (1 + p) / 4); // ξ = η = −p: node 3
    EXPECT_FLOAT_EQ(scene->gaussShape[1][2], (1 + p) * (1 + p) / 4); // ξ = −p, η = +p: node 2
    EXPECT_FLOAT_EQ(scene->gaussShape[3][6], (1 + p) * (1 + p) / 4); // ξ = +p, η = −p: node 4
    for (int r = 0; r < 4; ++r) EXPECT_FLOAT_EQ(scene->gaussShape[r][4], 0.25f);
}

TEST(AnalysisScene, ElasticAndStepReadsPutEveryValueInItsSlotWithAPlaneOutputBlock) {
    TestMesh mesh = RowMesh({0, 100, 200}, 100); // 6 nodes, 2 plane elements
    mesh.elemOutputNo = {0, 3};
    const MeshView view = mesh.View();
    const int gaussStart = 2 + 2 * 6, outputStart = gaussStart + 2 * 27;
    ASSERT_EQ(AnalysisScene::ResultValuesNeeded(view), outputStart + 72);
    const std::vector<double> results = NumberedBuffer(outputStart + 72, 1000.0);

    auto scene = NewScene();
    ASSERT_TRUE(scene->ReadElasticResults(view, results.data(), static_cast<int>(results.size())));
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(scene->elasticDisp[2 * k], 1000.0 + 2 + 2 * k);
        EXPECT_EQ(scene->elasticDisp[2 * k + 1], 1000.0 + 3 + 2 * k);
    }
    for (int e = 0; e < 2; ++e)
        for (int g = 0; g < 9; ++g)
            for (int v = 0; v < 3; ++v)
                EXPECT_EQ(scene->elasticGauss[AnalysisScene::GaussIndex(e, g) + v],
                          1000.0 + gaussStart + 27 * e + 3 * g + v);
    EXPECT_EQ(scene->elasticDisp[12], 0.0); // nothing beyond the mesh

    ASSERT_TRUE(scene->ReadStepResults(view, results.data(), static_cast<int>(results.size()), 7));
    EXPECT_EQ(scene->stepDisp, scene->elasticDisp);
    EXPECT_EQ(scene->stepGauss, scene->elasticGauss);
    EXPECT_FLOAT_EQ(scene->controlHistory[14], 1000.0f);
    EXPECT_FLOAT_EQ(scene->controlHistory[15], 1001.0f);
    for (int g = 0; g < 9; ++g) {
        for (int q = 0; q < 4; ++q) {
            EXPECT_EQ(scene->outputGaussHistory[q][AnalysisScene::OutputGaussIndex(7, g)],
                      1000.0 + outputStart + 8 * g + q);
            EXPECT_EQ(scene->outputGaussHistory[q][AnalysisScene::OutputGaussIndex(7, g + 9)],
                      1000.0 + outputStart + 8 * g + 4 + q);
        }
    }
    for (int q = 0; q < 4; ++q) {
        EXPECT_EQ(scene->outputGaussHistory[q][AnalysisScene::OutputGaussIndex(6, 0)], 0.0); // other rows
        EXPECT_EQ(scene->outputDiscreteHistory[q][AnalysisScene::OutputDiscreteIndex(7, 0)], 0.0);
    }
}

TEST(AnalysisScene, TheLastOutputElementDecidesAndADiscreteOneGivesEightValues) {
    // Element 0 is a plane output element, element 1 a joint column with a lower output number: the
    // block belongs to the last one in mesh order, whatever the numbers.
    TestMesh mesh = RowMesh({0, 100, 100, 200}, 100, {0, 1, 0});
    mesh.elemOutputNo = {1, 2, 0};
    const MeshView view = mesh.View();
    EXPECT_EQ(AnalysisScene::OutputElementOf(view), 1);
    const int outputStart = 2 + 2 * 8 + 3 * 27;
    ASSERT_EQ(AnalysisScene::ResultValuesNeeded(view), outputStart + 8);
    const std::vector<double> results = NumberedBuffer(outputStart + 8, 0.5);

    auto scene = NewScene();
    ASSERT_TRUE(scene->ReadStepResults(view, results.data(), static_cast<int>(results.size()), 1));
    for (int q = 0; q < 4; ++q) {
        EXPECT_EQ(scene->outputDiscreteHistory[q][AnalysisScene::OutputDiscreteIndex(1, 0)],
                  0.5 + outputStart + q);
        EXPECT_EQ(scene->outputDiscreteHistory[q][AnalysisScene::OutputDiscreteIndex(1, 1)],
                  0.5 + outputStart + 4 + q);
        for (int slot = 0; slot < 18; ++slot)
            EXPECT_EQ(scene->outputGaussHistory[q][AnalysisScene::OutputGaussIndex(1, slot)], 0.0);
    }

    // Without any output number there is no block to read.
    mesh.elemOutputNo = {0, 0, 0};
    EXPECT_EQ(AnalysisScene::OutputElementOf(mesh.View()), -1);
    EXPECT_EQ(AnalysisScene::ResultValuesNeeded(mesh.View()), outputStart);
}

TEST(AnalysisScene, ReadsRefuseShortBuffersAndOversizedMeshesAndSkipHistoriesBeyondCapacity) {
    TestMesh mesh = RowMesh({0, 100}, 100);
    mesh.elemOutputNo = {1};
    const MeshView view = mesh.View();
    const int needed = AnalysisScene::ResultValuesNeeded(view);
    const std::vector<double> results = NumberedBuffer(needed, 1.0);

    auto scene = NewScene();
    EXPECT_FALSE(scene->ReadElasticResults(view, results.data(), needed - 1));
    EXPECT_FALSE(scene->ReadStepResults(view, results.data(), needed - 1, 1));
    EXPECT_EQ(scene->elasticDisp[0], 0.0);
    EXPECT_EQ(scene->stepDisp[0], 0.0);
    EXPECT_EQ(scene->controlHistory[2], 0.0f);

    MeshView huge = view;
    huge.nodeCount = AnalysisScene::kNodeCapacity + 1;
    EXPECT_FALSE(scene->ReadElasticResults(huge, results.data(), 1 << 30));

    // Step 60000 is the last row; beyond it the step arrays are read but no history row is written.
    ASSERT_TRUE(scene->ReadStepResults(view, results.data(), needed, 60000));
    EXPECT_FLOAT_EQ(scene->controlHistory[2 * 60000], 1.0f);
    ASSERT_TRUE(scene->ReadStepResults(view, results.data(), needed, 60001));
    EXPECT_EQ(scene->stepDisp[0], 3.0);
}

TEST(AnalysisScene, ClearRunEmptiesTheRunAndSetsSegmentBoundsInMillimetres) {
    TestMesh mesh = RowMesh({0, 100}, 100);
    mesh.elemOutputNo = {1};
    const MeshView view = mesh.View();
    const std::vector<double> results = NumberedBuffer(AnalysisScene::ResultValuesNeeded(view), 1.0);
    auto scene = NewScene();
    scene->ReadElasticResults(view, results.data(), static_cast<int>(results.size()));
    scene->ReadStepResults(view, results.data(), static_cast<int>(results.size()), 1);
    scene->FillDisplayFromElastic();
    scene->PrepareDeformedAndGlyphs(view, 1.0f);
    scene->graphCounterX = 3;
    scene->graphCounterY = 2;

    int32_t points[151] = {0, 2500, -1000, 7};
    scene->ClearRun(2, points, 151);
    EXPECT_FLOAT_EQ(scene->segmentStart[0], 0.0f);
    EXPECT_FLOAT_EQ(scene->segmentEnd[0], 2.5f);
    EXPECT_FLOAT_EQ(scene->segmentStart[1], 2.5f);
    EXPECT_FLOAT_EQ(scene->segmentEnd[1], -1.0f);
    EXPECT_FLOAT_EQ(scene->segmentStart[2], 0.0f);
    EXPECT_EQ(scene->graphCounterX, 0);
    EXPECT_EQ(scene->graphCounterY, 0);
    EXPECT_EQ(scene->elasticDisp[0], 0.0);
    EXPECT_EQ(scene->stepDisp[3], 0.0);
    EXPECT_EQ(scene->shownDisp[1], 0.0f);
    EXPECT_EQ(scene->shownX[1], 0);
    EXPECT_EQ(scene->shownGauss[0], 0.0f);
    EXPECT_EQ(scene->shownGauss[1], 0.0f);
    EXPECT_EQ(scene->glyph[0], 0.0f);
    for (int q = 0; q < 4; ++q)
        EXPECT_EQ(scene->outputGaussHistory[q][AnalysisScene::OutputGaussIndex(1, 0)], 0.0);
    // What a cleared run keeps: the Gauss results and the angles on display.
    EXPECT_NE(scene->elasticGauss[0], 0.0);
    EXPECT_NE(scene->shownGauss[2], 0.0f);

    // More segments than the points describe are bounded by the points.
    scene->ClearRun(500, points, 151);
    EXPECT_FLOAT_EQ(scene->segmentEnd[1], -1.0f);
}

TEST(AnalysisScene, PrepareDisplayFindsRangeDeformedPositionsExtentAndGlyphs) {
    // A plane element 300 × 200, a joint column of width 0 and a plane element 100 × 200.
    TestMesh mesh = RowMesh({0, 300, 300, 400}, 200, {0, 1, 0});
    const MeshView view = mesh.View();
    auto scene = NewScene();
    scene->shownGauss[AnalysisScene::GaussIndex(0, 0)] = 4.0f;
    scene->shownGauss[AnalysisScene::GaussIndex(0, 0) + 1] = -2.0f;
    scene->shownGauss[AnalysisScene::GaussIndex(2, 8)] = 1.0f;
    scene->shownGauss[AnalysisScene::GaussIndex(2, 8) + 1] = -10.0f;
    scene->shownGauss[AnalysisScene::GaussIndex(2, 8) + 2] = 99.0f; // the angle is not a stress
    scene->shownDisp[2 * 1] = 0.75f;                                // node 1 ux
    scene->shownDisp[2 * 5 + 1] = -0.5f;                            // node 5 uy

    ColourScale colours;
    scene->PrepareDisplay(view, 2.0f, colours);
    EXPECT_FLOAT_EQ(scene->stressMin, -10.0f);
    EXPECT_FLOAT_EQ(scene->stressMax, 4.0f);
    EXPECT_FLOAT_EQ(colours.Lo(), -10.0f);
    EXPECT_FLOAT_EQ(colours.Hi(), 4.0f);

    EXPECT_EQ(scene->shownX[1], 301); // 300 + 2 × 0.75 = 301.5, truncated
    EXPECT_EQ(scene->shownY[1], 0);
    EXPECT_EQ(scene->shownX[5], 300);
    EXPECT_EQ(scene->shownY[5], 199); // 200 − 1
    EXPECT_EQ(scene->shownX[7], 400);

    EXPECT_FLOAT_EQ(scene->minExtent, 100.0f); // the joint's zero width does not count
    EXPECT_FLOAT_EQ(scene->largestStress, 10.0f);
    EXPECT_FLOAT_EQ(scene->glyphScale, 2.0f);                                   // 100 / 5 / 10
    EXPECT_FLOAT_EQ(scene->glyph[AnalysisScene::GlyphIndex(2, 8) + 1], -20.0f); // a fifth of 100
    EXPECT_FLOAT_EQ(scene->glyph[AnalysisScene::GlyphIndex(0, 0)], 8.0f);
    EXPECT_FLOAT_EQ(scene->glyph[AnalysisScene::GlyphIndex(1, 3)], 0.0f);
}

TEST(AnalysisScene, RangeCountsEmptySlotsAndAJointFirstDoesNotHideTheGlyphs) {
    // The joint column comes first: its zero width must not become the smallest extent.
    TestMesh mesh = RowMesh({0, 0, 50, 150}, 80, {1, 0, 0});
    const MeshView view = mesh.View();
    auto scene = NewScene();
    for (int g = 0; g < 9; ++g) {
        scene->shownGauss[AnalysisScene::GaussIndex(1, g)] = 3.0f;
        scene->shownGauss[AnalysisScene::GaussIndex(1, g) + 1] = 5.0f;
    }
    ColourScale colours;
    scene->PrepareDisplay(view, 1.0f, colours);
    EXPECT_FLOAT_EQ(scene->stressMin, 0.0f); // slots without stress hold 0
    EXPECT_FLOAT_EQ(scene->stressMax, 5.0f);
    EXPECT_FLOAT_EQ(scene->minExtent, 50.0f);
    EXPECT_FLOAT_EQ(scene->glyph[AnalysisScene::GlyphIndex(1, 4) + 1], 10.0f); // 50 / 5
}

TEST(AnalysisScene, AllZeroStressesUseOneAsLargestAndGiveTheFirstColour) {
    TestMesh mesh = RowMesh({0, 100, 200}, 100);
    const MeshView view = mesh.View();
    auto scene = NewScene();
    ColourScale colours;
    scene->PrepareDisplay(view, 1.0f, colours);
    EXPECT_FLOAT_EQ(scene->largestStress, 1.0f);
    EXPECT_FLOAT_EQ(scene->glyphScale, 20.0f);
    for (int g = 0; g < 9; ++g) EXPECT_FLOAT_EQ(scene->glyph[AnalysisScene::GlyphIndex(1, g)], 0.0f);
    EXPECT_FLOAT_EQ(colours.Lo(), 0.0f);
    EXPECT_FLOAT_EQ(colours.Hi(), 0.0f);
    EXPECT_EQ(colours.LookupIndex(0.0f), 0);

    // Stresses below 1e-11 count as none.
    scene->shownGauss[AnalysisScene::GaussIndex(0, 3)] = 5e-12f;
    scene->PrepareDisplay(view, 1.0f, colours);
    EXPECT_FLOAT_EQ(scene->largestStress, 1.0f);

    // An empty mesh prepares without touching element data.
    scene->PrepareDisplay(MeshView{}, 1.0f, colours);
    EXPECT_FLOAT_EQ(scene->minExtent, 0.0f);
}

TEST(AnalysisScene, GaussPointsLieOnTheDisplayedMeshTruncatedAfterEveryTerm) {
    TestMesh small = RowMesh({0, 10}, 10);
    auto scene = NewScene();
    scene->PrepareDeformedAndGlyphs(small.View(), 1.0f);
    int x = 0, y = 0;
    // The centre: 2.5 is truncated to 2 before the next 2.5 is added, so 4 and not 5.
    scene->GaussPointPosition(small.View(), 0, 4, x, y);
    EXPECT_EQ(x, 4);
    EXPECT_EQ(y, 4);

    // Gauss point 9 (ξ = η = +p) lies next to node 1, point 1 next to node 3, point 3 next to node 2
    // (112.7 and 887.3 mm, less what the truncation of each term takes).
    TestMesh big = RowMesh({0, 1000}, 1000);
    scene->PrepareDeformedAndGlyphs(big.View(), 1.0f);
    scene->GaussPointPosition(big.View(), 0, 8, x, y);
    EXPECT_NEAR(x, 112, 2);
    EXPECT_NEAR(y, 112, 2);
    scene->GaussPointPosition(big.View(), 0, 0, x, y);
    EXPECT_NEAR(x, 886, 2);
    EXPECT_NEAR(y, 886, 2);
    scene->GaussPointPosition(big.View(), 0, 2, x, y);
    EXPECT_NEAR(x, 886, 2);
    EXPECT_NEAR(y, 112, 2);

    // On the deformed mesh: the whole element moved by 2 × 50 mm in x.
    for (int k = 0; k < 4; ++k) scene->shownDisp[2 * k] = 50.0f;
    scene->PrepareDeformedAndGlyphs(big.View(), 2.0f);
    scene->GaussPointPosition(big.View(), 0, 4, x, y);
    EXPECT_EQ(x, 600);
}

TEST(AnalysisScene, StressSamplesCoverPlaneElementsOnly) {
    TestMesh mesh = RowMesh({0, 100, 100, 200}, 100, {0, 1, 0});
    auto scene = NewScene();
    scene->shownGauss[AnalysisScene::GaussIndex(2, 0)] = -3.0f;
    scene->shownGauss[AnalysisScene::GaussIndex(2, 0) + 1] = 2.0f;
    scene->PrepareDeformedAndGlyphs(mesh.View(), 1.0f);
    std::vector<StressSample> samples;
    scene->CollectStressSamples(mesh.View(), samples);
    ASSERT_EQ(samples.size(), 18u);
    EXPECT_FLOAT_EQ(samples[9].s1, -3.0f);
    EXPECT_FLOAT_EQ(samples[9].s2, 2.0f);
    int x = 0, y = 0;
    scene->GaussPointPosition(mesh.View(), 2, 0, x, y);
    EXPECT_EQ(samples[9].x, x);
    EXPECT_EQ(samples[9].y, y);
}

TEST(AnalysisScene, AHeldRunIsReadBackIntoTheControlHistoryAndTheStepArrays) {
    auto scene = NewScene();
    // Steps 0, 1, 2, then 6 (a thinned history): the rows between lie on the line from step 2 to 6;
    // forces come in kN and are kept in N; a step not after the last held one is skipped.
    const std::vector<int> steps = {0, 1, 2, 6, 4};
    const std::vector<CapacityPoint> points = {{0, 0}, {0.5, 10}, {1.0, 18}, {3.0, 10}, {9, 9}};
    scene->ReadControlCurve(steps, points);
    EXPECT_EQ(scene->controlHistory[2 * 1], 0.5f);
    EXPECT_EQ(scene->controlHistory[2 * 1 + 1], 10000.0f);
    EXPECT_EQ(scene->controlHistory[2 * 2 + 1], 18000.0f);
    EXPECT_FLOAT_EQ(scene->controlHistory[2 * 3], 1.5f);
    EXPECT_FLOAT_EQ(scene->controlHistory[2 * 3 + 1], 16000.0f);
    EXPECT_FLOAT_EQ(scene->controlHistory[2 * 5], 2.5f);
    EXPECT_FLOAT_EQ(scene->controlHistory[2 * 5 + 1], 12000.0f);
    EXPECT_EQ(scene->controlHistory[2 * 6 + 1], 10000.0f);
    EXPECT_EQ(scene->controlHistory[2 * 7], 0.0f);

    // A field's displacements and principal stresses land where the engine's buffer would put them.
    const TestMesh mesh = RowMesh({0, 100, 200}, 100);
    const MeshView view = mesh.View();
    ResultField field;
    field.Resize(view.elementCount, view.nodeCount);
    field.hasResults = true;
    for (int k = 0; k < view.nodeCount; ++k) field.ux[size_t(k)] = k, field.uy[size_t(k)] = -k;
    field.Point(1, 4).s1 = 2.5;
    field.Point(1, 4).s2 = -7;
    field.Point(1, 4).angle = 0.25;
    ASSERT_TRUE(scene->ReadStepField(view, field));
    EXPECT_EQ(scene->stepDisp[2 * 3], 3.0);
    EXPECT_EQ(scene->stepDisp[2 * 3 + 1], -3.0);
    const int at = AnalysisScene::GaussIndex(1, 4);
    EXPECT_EQ(scene->stepGauss[size_t(at)], 2.5);
    EXPECT_EQ(scene->stepGauss[size_t(at) + 1], -7.0);
    EXPECT_EQ(scene->stepGauss[size_t(at) + 2], 0.25);
    EXPECT_FALSE(scene->ReadStepField(view, ResultField{})); // nothing to read
}
