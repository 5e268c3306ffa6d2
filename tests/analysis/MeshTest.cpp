// Mesh generation: node grid, element scan, node renumbering, restraint and load compaction.
#include "analysis/Mesh.h"

#include "TestModels.h"

#include <gtest/gtest.h>

using namespace torva;
using test::GridModel;
using test::Place;
using test::ScannedMesh;

TEST(MeshGrid, ActualSizeSumsSpanLengthsAndReturnsWidthAndHeight) {
    auto model = GridModel(3, 2);
    model->SpanLengthOf(kAxisX, 2) = 250;
    model->SpanTypeOf(kAxisX, 3) = 2; // second element column
    model->SpanLengthOf(kAxisY, 1) = 400;
    Mesh mesh;
    float width = 0, height = 0;
    mesh.BuildNodeGrid(*model, kActualSize, width, height);
    EXPECT_FLOAT_EQ(width, 100 + 250 + 100);
    EXPECT_FLOAT_EQ(height, 800);
    EXPECT_EQ(mesh.nodeCount, 4 * 3);
    EXPECT_EQ(mesh.elementCount, 0);
    // g = j·(nx + 1) + i, stored at i·103 + j.
    EXPECT_EQ(mesh.GridNode(2, 1), 1 * 4 + 2);
    EXPECT_EQ(mesh.gridIndex[2 * 103 + 1], 6);
    const int32_t expectX[4] = {0, 100, 350, 450};
    for (int i = 0; i <= 3; ++i) {
        EXPECT_EQ(mesh.gridX[mesh.GridNode(i, 2)], expectX[i]) << i;
        EXPECT_EQ(mesh.nodeX[mesh.GridNode(i, 2)], expectX[i]) << i;
        EXPECT_EQ(mesh.gridY[mesh.GridNode(i, 2)], 800);
    }
}

TEST(MeshGrid, DefaultSizeSpansAreOneMillimetreButDiscreteFlagsFollowRealLengths) {
    auto model = GridModel(3, 3);
    test::FillConcrete(*model);
    model->SpanLengthOf(kAxisX, 2) = 0;
    model->SpanTypeOf(kAxisX, 3) = 2; // element column i = 1 has zero width
    model->SpanLengthOf(kAxisY, 3) = 0;
    model->SpanTypeOf(kAxisY, 4) = 3; // element row j = 2 has zero height
    Mesh mesh;
    float width = 0, height = 0;
    mesh.BuildNodeGrid(*model, kDefaultSize, width, height);
    EXPECT_FLOAT_EQ(width, 3);
    EXPECT_FLOAT_EQ(height, 3);
    mesh.Scan(*model);
    ASSERT_EQ(mesh.elementCount, 9);
    // Elements in scan order: e = 3j + i.
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i) {
            const int expected = j == 2 ? 2 : i == 1 ? 1 : 0; // a zero-height row wins
            EXPECT_EQ(mesh.elemDiscrete[3 * j + i], expected) << i << "," << j;
        }
    EXPECT_EQ(mesh.nodeX[mesh.ElementNode(8, 2)], 3); // coordinates are grid counts

    mesh.Build(*model, kActualSize);
    EXPECT_EQ(mesh.nodeX[1], 100);
    EXPECT_EQ(mesh.nodeX[2], 100); // the zero-width column: two node lines at one x
    EXPECT_EQ(mesh.nodeY[mesh.ElementNode(8, 2)], mesh.nodeY[mesh.ElementNode(8, 0)]);
    EXPECT_EQ(mesh.elemDiscrete[4], 1);
}

TEST(MeshScan, OneElementNumbering) {
    auto model = GridModel(1, 1);
    Place(*model, 0, 0, kConcreteLayer, 4);
    Place(*model, 0, 0, kBoundaryLayer);
    Place(*model, 1, 0, kBoundaryLayer);
    model->Prop(kPointForceLayer, 2, 0) = 1500;
    model->Prop(kPointForceLayer, 2, 1) = -700;
    Place(*model, 1, 1, kPointForceLayer, 2);
    auto mesh = ScannedMesh(*model);

    ASSERT_EQ(mesh->nodeCount, 4);
    const int32_t x[4] = {0, 100, 0, 100}, y[4] = {0, 0, 100, 100};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(mesh->nodeX[k], x[k]);
        EXPECT_EQ(mesh->nodeY[k], y[k]);
    }
    ASSERT_EQ(mesh->elementCount, 1);
    EXPECT_EQ(mesh->ElementNode(0, 0), 0);
    EXPECT_EQ(mesh->ElementNode(0, 1), 1);
    EXPECT_EQ(mesh->ElementNode(0, 2), 3);
    EXPECT_EQ(mesh->ElementNode(0, 3), 2);
    EXPECT_EQ(mesh->elemConcreteType[0], 4);
    EXPECT_EQ(mesh->elemRebarType[0], 0);
    EXPECT_EQ(mesh->elemFibreType[0], 0);
    EXPECT_EQ(mesh->concreteTypeCount, 4);
    EXPECT_EQ(mesh->rebarTypeCount, 0);
    ASSERT_EQ(mesh->restraintCount, 2);
    EXPECT_EQ(mesh->restraintNode[0], 0);
    EXPECT_EQ(mesh->restraintNode[1], 1);
    EXPECT_EQ(mesh->restraintDir[0], 12);
    EXPECT_EQ(mesh->restraintDir[1], 12);
    ASSERT_EQ(mesh->loadCount, 1);
    EXPECT_EQ(mesh->loadNode[0], 3);
    EXPECT_EQ(mesh->loadFx[0], 1500);
    EXPECT_EQ(mesh->loadFy[0], -700);
    EXPECT_EQ(mesh->controlNodeIndex, -1);
}

TEST(MeshScan, NoConcreteMeansNoNodesAndEverySupportAndLoadDropped) {
    auto model = GridModel(2, 2);
    Place(*model, 0, 0, kBoundaryLayer);
    Place(*model, 1, 1, kPointForceLayer);
    Place(*model, 1, 1, kRebarLayer); // rebar alone makes no element
    auto mesh = ScannedMesh(*model);
    EXPECT_EQ(mesh->nodeCount, 0);
    EXPECT_EQ(mesh->elementCount, 0);
    EXPECT_EQ(mesh->restraintCount, 0);
    EXPECT_EQ(mesh->loadCount, 0);
    EXPECT_EQ(mesh->concreteTypeCount, 0);
}

TEST(MeshScan, UnusedNodesAreRemovedWithTheirSupportsAndLoads) {
    // Elements at (0, 0) and (2, 1) of a 3 × 2 grid; node (3, 0) and (0, 2) belong to no element.
    auto model = GridModel(3, 2);
    Place(*model, 0, 0, kConcreteLayer);
    Place(*model, 2, 1, kConcreteLayer);
    model->Prop(kBoundaryLayer, 2, 0) = 2; // Roller X
    model->Prop(kBoundaryLayer, 3, 0) = 3; // Roller Y
    model->Prop(kBoundaryLayer, 4, 0) = 7; // no such kind: free
    Place(*model, 3, 0, kBoundaryLayer);   // unused node: dropped
    Place(*model, 1, 0, kBoundaryLayer, 2);
    Place(*model, 3, 1, kBoundaryLayer, 3);
    Place(*model, 2, 2, kBoundaryLayer, 4);
    Place(*model, 0, 2, kPointForceLayer); // unused node: dropped
    Place(*model, 3, 2, kPointForceLayer);
    auto mesh = ScannedMesh(*model);

    // Used grid nodes in grid order: (0,0) (1,0) (0,1) (1,1) (2,1) (3,1) (2,2) (3,2).
    ASSERT_EQ(mesh->nodeCount, 8);
    const int32_t x[8] = {0, 100, 0, 100, 200, 300, 200, 300};
    const int32_t y[8] = {0, 0, 100, 100, 100, 100, 200, 200};
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(mesh->nodeX[k], x[k]) << k;
        EXPECT_EQ(mesh->nodeY[k], y[k]) << k;
    }
    EXPECT_EQ(mesh->nodeMap[mesh->GridNode(3, 0)], -1);
    EXPECT_EQ(mesh->nodeMap[mesh->GridNode(3, 1)], 5);
    ASSERT_EQ(mesh->elementCount, 2);
    const int32_t second[4] = {4, 5, 7, 6};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(mesh->ElementNode(1, c), second[c]);

    ASSERT_EQ(mesh->restraintCount, 3); // scan order: (1,0), (3,1), (2,2)
    EXPECT_EQ(mesh->restraintNode[0], 1);
    EXPECT_EQ(mesh->restraintDir[0], 2);
    EXPECT_EQ(mesh->restraintNode[1], 5);
    EXPECT_EQ(mesh->restraintDir[1], 1);
    EXPECT_EQ(mesh->restraintNode[2], 6);
    EXPECT_EQ(mesh->restraintDir[2], 0);
    ASSERT_EQ(mesh->loadCount, 1);
    EXPECT_EQ(mesh->loadNode[0], 7);
}

TEST(MeshScan, ConcreteOnTheLastNodeLineMakesNoElement) {
    auto model = GridModel(2, 2);
    Place(*model, 2, 0, kConcreteLayer); // x = nxs: left over from a larger grid
    Place(*model, 0, 2, kConcreteLayer); // y = nys
    Place(*model, 1, 1, kConcreteLayer);
    auto mesh = ScannedMesh(*model);
    EXPECT_EQ(mesh->elementCount, 1);
    EXPECT_EQ(mesh->nodeCount, 4);
}

TEST(MeshScan, OnlyFlagOneCountsAndStorageLayersPlayNoPart) {
    auto model = GridModel(2, 1);
    Place(*model, 0, 0, kConcreteLayer);
    model->Flag(3, 2, kConcreteLayer) = 99; // not an editing value for an element position
    for (int layer = kFirstStorageLayer; layer < kLayers; ++layer) model->Flag(3, 2, layer) = 1;
    auto mesh = ScannedMesh(*model);
    EXPECT_EQ(mesh->elementCount, 1);
}

TEST(MeshScan, RebarFibreTypesAndHighestTypeNumbers) {
    auto model = GridModel(3, 1);
    Place(*model, 0, 0, kConcreteLayer, 2);
    Place(*model, 1, 0, kConcreteLayer, 1);
    Place(*model, 1, 0, kRebarLayer, 5);
    Place(*model, 1, 0, kFibreLayer, 3);
    Place(*model, 2, 0, kConcreteLayer, 1);
    Place(*model, 2, 0, kRebarLayer, 2);
    model->Type(2 + 2, 2, kFibreLayer) = 9; // a type without its flag is no fibre sheet
    auto mesh = ScannedMesh(*model);
    ASSERT_EQ(mesh->elementCount, 3);
    EXPECT_EQ(mesh->elemRebarType[0], 0);
    EXPECT_EQ(mesh->elemRebarType[1], 5);
    EXPECT_EQ(mesh->elemFibreType[1], 3);
    EXPECT_EQ(mesh->elemFibreType[2], 0);
    EXPECT_EQ(mesh->concreteTypeCount, 2);
    EXPECT_EQ(mesh->rebarTypeCount, 5);
    EXPECT_EQ(mesh->fibreTypeCount, 3);
}

TEST(MeshScan, OutputNumberIsTheLowestMatchingSlotPlusOne) {
    auto model = GridModel(3, 3);
    test::FillConcrete(*model);
    model->outputElements[0] = PositionCode(4, 2);
    model->outputElements[3] = PositionCode(3, 3);
    model->outputElements[6] = PositionCode(3, 3);
    model->outputElements[7] = PositionCode(3, 3) + 10000; // matches by x mod 100 and y mod 100
    auto mesh = ScannedMesh(*model);
    EXPECT_EQ(mesh->elemOutputNo[2], 1);     // (4, 2): element i = 2, j = 0
    EXPECT_EQ(mesh->elemOutputNo[3 + 1], 4); // (3, 3)
    EXPECT_EQ(mesh->elemOutputNo[0], 0);
    model->outputElements[3] = -1;
    mesh->Scan(*model);
    EXPECT_EQ(mesh->elemOutputNo[4], 7);
}

TEST(MeshScan, ControlNodeMapsToItsMeshNodeOrMinusOne) {
    auto model = GridModel(2, 2);
    Place(*model, 1, 1, kConcreteLayer);
    model->controlNode = PositionCode(3, 4); // grid node (1, 2): third mesh node
    auto mesh = ScannedMesh(*model);
    EXPECT_EQ(mesh->controlNodeIndex, 2);
    model->controlNode = PositionCode(2, 2); // grid node (0, 0), used by no element
    mesh->Scan(*model);
    EXPECT_EQ(mesh->controlNodeIndex, -1);
    model->controlNode = 0;
    mesh->Scan(*model);
    EXPECT_EQ(mesh->controlNodeIndex, -1);
}

TEST(MeshScan, RescanFollowsEditsButNotSpanChanges) {
    auto model = GridModel(2, 1);
    test::FillConcrete(*model);
    Mesh mesh;
    mesh.Build(*model, kActualSize);
    EXPECT_EQ(mesh.nodeCount, 6);
    mesh.Scan(*model); // idempotent
    EXPECT_EQ(mesh.nodeCount, 6);
    EXPECT_EQ(mesh.ElementNode(1, 2), 5);

    model->Flag(3, 2, kConcreteLayer) = 0; // remove the second element
    model->SpanLengthOf(kAxisX, 1) = 300;  // not seen until the grid is rebuilt
    mesh.Scan(*model);
    EXPECT_EQ(mesh.nodeCount, 4);
    EXPECT_EQ(mesh.elementCount, 1);
    EXPECT_EQ(mesh.nodeX[1], 100);

    float width = 0, height = 0;
    mesh.BuildNodeGrid(*model, kActualSize, width, height);
    EXPECT_EQ(mesh.nodeCount, 6); // stage 1 alone: the full grid, nothing scanned
    EXPECT_EQ(mesh.elementCount, 0);
    mesh.Scan(*model);
    EXPECT_EQ(mesh.nodeX[1], 300);
}

TEST(MeshScan, FullPlanFitsTheTables) {
    auto model = GridModel(60, 60);
    test::FillConcrete(*model);
    for (int i = 0; i <= 60; ++i)
        for (int j = 0; j <= 60; ++j) {
            Place(*model, i, j, kBoundaryLayer);
            Place(*model, i, j, kPointForceLayer);
        }
    auto mesh = ScannedMesh(*model);
    EXPECT_EQ(mesh->nodeCount, 3721);
    EXPECT_EQ(mesh->elementCount, 3600);
    EXPECT_EQ(mesh->restraintCount, 3721);
    EXPECT_EQ(mesh->loadCount, 3721);
    EXPECT_EQ(mesh->ElementNode(3599, 2), 3720);
    EXPECT_EQ(mesh->nodeX[3720], 6000);
}
