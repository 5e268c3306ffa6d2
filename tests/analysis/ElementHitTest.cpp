// The hit test under the mouse: every point of an element finds that element and its natural
// coordinates (n1 at ξ = η = +1), on straight and on distorted (displaced) elements; openings, the
// outside and joint elements find nothing; a shared edge goes to the first element; the nearest Gauss
// point follows the numbering of the result field; and an element's plan position survives the
// renumbering an opening causes.
#include "analysis/ElementHit.h"

#include "GridMesh.h"
#include "TestMesh.h"
#include "TestModels.h"
#include "analysis/ResultSummary.h"

#include <cmath>
#include <gtest/gtest.h>

namespace torva {
namespace {

// The bilinear map of an element: natural coordinates to mm.
void MapPoint(const MeshView& mesh, const int32_t* x, const int32_t* y, int e, double xi, double eta,
              double& px, double& py) {
    const double cx[4] = {1, -1, -1, 1}, cy[4] = {1, 1, -1, -1};
    px = py = 0;
    for (int r = 0; r < 4; ++r) {
        const double n = (1 + cx[r] * xi) * (1 + cy[r] * eta) / 4;
        px += n * x[mesh.Node(e, r)];
        py += n * y[mesh.Node(e, r)];
    }
}

TEST(ElementHit, GridPointsFindTheirElementAndNaturalCoordinates) {
    // 3 × 2 elements of 1000 mm with element (1, 0) left out (an opening).
    const test::GridMesh grid(3, 2, 1000, [](int i, int j) { return i == 1 && j == 0; });
    const MeshView mesh = grid.mesh.View();
    const int32_t* x = grid.mesh.nodeX.data();
    const int32_t* y = grid.mesh.nodeY.data();
    // Scan order: (0, 0), (2, 0), (0, 1), (1, 1), (2, 1).
    EXPECT_EQ(HitElement(mesh, x, y, 500, 500).element, 0);
    EXPECT_EQ(HitElement(mesh, x, y, 2999, 1).element, 1);
    EXPECT_EQ(HitElement(mesh, x, y, 1500, 1500).element, 3);
    EXPECT_EQ(HitElement(mesh, x, y, 1500, 500).element, -1); // the opening
    EXPECT_EQ(HitElement(mesh, x, y, -1, 500).element, -1);
    EXPECT_EQ(HitElement(mesh, x, y, 3001, 1500).element, -1);
    EXPECT_EQ(HitElement(mesh, x, y, 1000, 1500).element, 2); // the edge (0, 1) | (1, 1): the first

    // A quarter of the way along x and y from n1: ξ = η = 0.5, nearest to the last Gauss point.
    const ElementHit hit = HitElement(mesh, x, y, 2250, 1250);
    EXPECT_EQ(hit.element, 4);
    EXPECT_NEAR(hit.xi, 0.5, 1e-12);
    EXPECT_NEAR(hit.eta, 0.5, 1e-12);
    EXPECT_EQ(NearestGaussPoint(hit.xi, hit.eta), 8);
    // Near n3 (x + 1, y + 1): the first Gauss point; near n2 (x + 1, y): ξ −, η +.
    const ElementHit nearN3 = HitElement(mesh, x, y, 2950, 1950);
    EXPECT_NEAR(nearN3.xi, -0.9, 1e-12);
    EXPECT_NEAR(nearN3.eta, -0.9, 1e-12);
    EXPECT_EQ(NearestGaussPoint(nearN3.xi, nearN3.eta), 0);
    EXPECT_EQ(NearestGaussPoint(-0.8, 0.8), 2);
    EXPECT_EQ(NearestGaussPoint(0.8, -0.8), 6);
    EXPECT_EQ(NearestGaussPoint(0.1, -0.2), 4);
}

TEST(ElementHit, DistortedElementsInvertTheirBilinearMap) {
    // One element displaced into a non-parallel quadrilateral, as a deformed mesh draws it.
    test::TestMesh quad;
    quad.AddNode(0, 0);
    quad.AddNode(1200, 150);
    quad.AddNode(1000, 900);
    quad.AddNode(-100, 1100);
    quad.AddElement(0, 1, 2, 3);
    const MeshView mesh = quad.View();
    for (double xi : {-0.95, -0.3, 0.0, 0.6, 0.9})
        for (double eta : {-0.9, -0.1, 0.4, 0.95}) {
            double px, py;
            MapPoint(mesh, quad.nodeX.data(), quad.nodeY.data(), 0, xi, eta, px, py);
            const ElementHit hit = HitElement(mesh, quad.nodeX.data(), quad.nodeY.data(), px, py);
            ASSERT_EQ(hit.element, 0) << xi << ", " << eta;
            EXPECT_NEAR(hit.xi, xi, 1e-9);
            EXPECT_NEAR(hit.eta, eta, 1e-9);
        }
    // Inside the bounding box but outside the quadrilateral.
    EXPECT_EQ(HitElement(mesh, quad.nodeX.data(), quad.nodeY.data(), 1150, 1050).element, -1);
    EXPECT_EQ(HitElement(mesh, quad.nodeX.data(), quad.nodeY.data(), -90, 50).element, -1);
}

TEST(ElementHit, ElementsAreFoundAgainInARenumberedMesh) {
    // The same 3 × 2 wall before and after the opening at (1, 0) is filled: its elements move up by one
    // from the opening on.
    const test::GridMesh before(3, 2, 1000, [](int i, int j) { return i == 1 && j == 0; });
    const test::GridMesh after(3, 2, 1000);
    const MeshView old = before.mesh.View();
    EXPECT_EQ(MatchElement(old, 3, 1000, 1000), 3); // the hint holds
    EXPECT_EQ(MatchElement(old, 4, 1000, 1000), 3); // the new numbering's element 4 is the old 3
    EXPECT_EQ(MatchElement(old, 1, 1000, 0), -1);   // the filled opening has no results
    EXPECT_EQ(MatchElement(after.mesh.View(), 1, 1000, 0), 1);
    EXPECT_EQ(MatchElement(old, 0, 3000, 0), -1); // a node, but no element's first corner
}

TEST(ElementHit, JointElementsAreNeverHit) {
    // Plane, zero-width joint, plane: the joint's line belongs to its neighbours' edges.
    const test::TestMesh row = test::RowMesh({0, 500, 500, 1000}, 400, {0, 1, 0});
    const MeshView mesh = row.View();
    EXPECT_EQ(HitElement(mesh, row.nodeX.data(), row.nodeY.data(), 500, 200).element, 0);
    EXPECT_EQ(HitElement(mesh, row.nodeX.data(), row.nodeY.data(), 700, 200).element, 2);
}

TEST(ElementHit, PlanPositionsFollowTheScannedMesh) {
    auto model = test::GridModel(3, 2);
    test::FillConcrete(*model);
    model->Flag(1 + 2, 0 + 2, kConcreteLayer) = 0; // an opening at grid element (1, 0)
    auto mesh = test::ScannedMesh(*model);
    ASSERT_EQ(mesh->elementCount, 5);
    const int expected[5][2] = {{2, 2}, {4, 2}, {2, 3}, {3, 3}, {4, 3}};
    for (int e = 0; e < 5; ++e) {
        int x = 0, y = 0;
        ElementPlanPosition(*mesh, e, x, y);
        EXPECT_EQ(x, expected[e][0]) << "element " << e;
        EXPECT_EQ(y, expected[e][1]) << "element " << e;
    }
}

} // namespace
} // namespace torva
