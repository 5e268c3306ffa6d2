// The example models: what their meshes hold, and that each can be analysed.
#include "TestModels.h"
#include "analysis/AnalysisCheck.h"
#include "analysis/EngineInputPacker.h"
#include "model/ModelFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace torva;

namespace {

std::unique_ptr<CFramePat> LoadExample(const std::string& name) {
    auto model = std::make_unique<CFramePat>();
    FileError error;
    EXPECT_TRUE(LoadModelFile((test::SourceDir() / "examples" / name).string(), *model, error))
        << error.Text();
    return model;
}

void ExpectAnalysable(const Mesh& mesh, const CFramePat& model) {
    std::string refusal;
    EXPECT_TRUE(CheckAnalysable(mesh, model, refusal)) << refusal;
}

} // namespace

TEST(Examples, OneElement) {
    auto model = LoadExample("one-element.fem");
    auto mesh = test::ScannedMesh(*model);
    EXPECT_EQ(mesh->nodeCount, 4);
    EXPECT_EQ(mesh->elementCount, 1);
    EXPECT_EQ(mesh->restraintCount, 2);
    EXPECT_EQ(mesh->loadCount, 1);
    EXPECT_EQ(mesh->nodeX[3], 500);
    ExpectAnalysable(*mesh, *model);
}

TEST(Examples, CantileverIsClampedAtOneEndAndLoadedAtTheTip) {
    auto model = LoadExample("cantilever.fem");
    auto mesh = test::ScannedMesh(*model);
    EXPECT_EQ(mesh->elementCount, 20);
    EXPECT_EQ(mesh->nodeCount, 33);
    ASSERT_EQ(mesh->restraintCount, 3);
    for (int r = 0; r < 3; ++r) EXPECT_EQ(mesh->nodeX[mesh->restraintNode[r]], 0);
    ASSERT_EQ(mesh->loadCount, 1);
    EXPECT_EQ(mesh->nodeX[mesh->loadNode[0]], 3000);
    EXPECT_EQ(mesh->controlNodeIndex, mesh->loadNode[0]);
    EXPECT_EQ(mesh->rebarTypeCount, 1);
    ExpectAnalysable(*mesh, *model);
}

TEST(Examples, ShearWallHasOpeningsSupportsLoadsAndAControlNode) {
    auto model = LoadExample("shear-wall.fem");
    auto mesh = test::ScannedMesh(*model);
    EXPECT_EQ(mesh->elementCount, 7 * 30 - 2 * 10); // two windows a storey
    EXPECT_EQ(mesh->nodeCount, 8 * 31);
    EXPECT_EQ(mesh->restraintCount, 8);
    EXPECT_EQ(mesh->loadCount, 10);
    EXPECT_EQ(mesh->nodeX[mesh->nodeCount - 1], 6000);
    EXPECT_EQ(mesh->nodeY[mesh->nodeCount - 1], 30000);
    EXPECT_EQ(mesh->controlNodeIndex, 0); // the roof corner
    EXPECT_EQ(mesh->rebarTypeCount, 3);
    EXPECT_EQ(model->ctrlDirection, 1);
    EXPECT_EQ(model->segmentPoints[1], 10000);
    EXPECT_EQ(model->stepsPerSegment, 100);
    for (int r = 0; r < mesh->restraintCount; ++r) EXPECT_EQ(mesh->nodeY[mesh->restraintNode[r]], 30000);

    const std::vector<int32_t> stream = PackEngineInput(*mesh, *model);
    EXPECT_EQ(static_cast<int>(stream.size()), EngineInputLength(*mesh));
    EXPECT_EQ(stream[stream.size() - 5], 1); // control node 1
    EXPECT_EQ(stream[stream.size() - 4], 1); // x
    ExpectAnalysable(*mesh, *model);
}

TEST(Examples, JointWallHasALineOfDiscreteElements) {
    auto model = LoadExample("joint-wall.fem");
    auto mesh = test::ScannedMesh(*model);
    EXPECT_EQ(mesh->elementCount, 9 * 6);
    int joints = 0;
    for (int e = 0; e < mesh->elementCount; ++e)
        if (mesh->elemDiscrete[e] != 0) {
            ++joints;
            EXPECT_EQ(mesh->elemDiscrete[e], 1);
            EXPECT_EQ(mesh->nodeX[mesh->ElementNode(e, 0)], 1000);
            EXPECT_EQ(mesh->nodeX[mesh->ElementNode(e, 1)], 1000);
            EXPECT_NE(mesh->ElementNode(e, 0), mesh->ElementNode(e, 1));
            EXPECT_GT(mesh->elemRebarType[e], 0);
        }
    EXPECT_EQ(joints, 6);
    ExpectAnalysable(*mesh, *model);
}
