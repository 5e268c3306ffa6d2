// Decoding of the input stream, equation numbering with supports and joint ties, tie maps, dof lists
// and the skyline profile.
#include "EngineTestModels.h"
#include "engine/EngineTestAccess.h"

#include <gtest/gtest.h>

using namespace torva::engine;
using namespace torva::engine::test;

namespace {

int Dof(int node, int direction) {
    return 2 * (node - 1) + direction;
}

// Decodes and numbers a model without running an analysis.
std::unique_ptr<Engine> Prepared(const StreamModel& model) {
    auto engine = std::make_unique<Engine>();
    const std::vector<int32_t> stream = model.Stream();
    EXPECT_TRUE(EngineTestAccess(*engine).DecodeInput(stream));
    EngineTestAccess(*engine).NumberEquations();
    EngineTestAccess(*engine).BuildTieMaps();
    EngineTestAccess(*engine).BuildElementDofLists();
    EXPECT_TRUE(EngineTestAccess(*engine).BuildSkylineProfile());
    EngineTestAccess(*engine).BuildElementTransforms();
    return engine;
}

} // namespace

TEST(Decode, ScalesInSinglePrecision) {
    GridModel model({1000}, {1000});
    model.concrete[0] = {20000, 21, 2000, 240000, 2400, 240, 20};
    model.rebar.push_back({7133, 15000, 40000, 12667, 20000, 30000, 205});
    model.gravity = 980;
    model.loads.push_back({3, 150000, -1});
    auto engine = Prepared(model);
    const ConcreteType& c = engine->Concrete(1);
    EXPECT_EQ(c.nu, 0.20000000298023224); // the single-precision 0.2, not the double 0.2
    EXPECT_EQ(c.Ec, 21000.0);
    EXPECT_EQ(c.density, 2400.0);
    EXPECT_EQ(c.thickness, 200.0);
    EXPECT_EQ(c.fc, double(24.0f));
    EXPECT_EQ(c.ft, double(2.4f));
    EXPECT_EQ(c.eps0, double(0.002f));
    EXPECT_EQ(engine->Gravity(), double(9.8f));
    const RebarType& r = engine->Rebar(1);
    EXPECT_EQ(r.Es, 205000.0);
    EXPECT_EQ(r.Ax, double(71.33f));
    EXPECT_EQ(r.sx, 150.0);
    EXPECT_EQ(r.fyx, 400.0);
    EXPECT_EQ(r.Ay, double(126.67f));
    EXPECT_EQ(r.fyy, 300.0);
    EXPECT_EQ(engine->Load(1).fx, 1500.0);
    EXPECT_EQ(engine->Load(1).fy, double(-0.01f));
}

TEST(Decode, OutputElementIsTheLastCarryingTheActiveNumber) {
    GridModel model({1000, 1000, 1000}, {1000});
    model.elements[0][8] = 4;
    model.elements[2][8] = 4;
    model.elements[1][8] = 2;
    model.activeOutput = 4;
    EXPECT_EQ(Prepared(model)->OutputElementNumber(), 3);
    model.activeOutput = 2;
    EXPECT_EQ(Prepared(model)->OutputElementNumber(), 2);
    model.activeOutput = 7; // no element carries it
    EXPECT_EQ(Prepared(model)->OutputElementNumber(), 0);
    model.activeOutput = 0;
    EXPECT_EQ(Prepared(model)->OutputElementNumber(), 0);
}

TEST(Decode, RefusesStreamsThatDoNotFit) {
    GridModel model({1000}, {1000});
    const std::vector<int32_t> good = model.Stream();
    Engine engine;
    EXPECT_TRUE(EngineTestAccess(engine).DecodeInput(good));
    std::vector<int32_t> truncated(good.begin(), good.end() - 1);
    EXPECT_FALSE(EngineTestAccess(engine).DecodeInput(truncated));
    std::vector<int32_t> badNode = good;
    badNode[4 + 2 * 4 + 1 + 1 + 7 + 1 + 1] = 5; // first node of the element: only 4 nodes exist
    EXPECT_FALSE(EngineTestAccess(engine).DecodeInput(badNode));
    std::vector<int32_t> tooMany = good;
    tooMany[1] = kMaxNodes + 1;
    EXPECT_FALSE(EngineTestAccess(engine).DecodeInput(tooMany));

    // Through the entry: status 5, and nothing runs.
    EngineRun run(model);
    run.stream = truncated;
    EXPECT_EQ(run.Call(kElasticMode), kStatusBadInput);
    EXPECT_EQ(run.step, 0);
    EXPECT_EQ(run.Call(kElasticMode), kStatusBadInput); // not initialised: a later step is refused too
}

TEST(Numbering, RestraintDigitsNameDirections) {
    GridModel model({1000, 1000}, {1000});
    model.restraints = {{1, 12}, {2, 21}, {3, 1}, {4, 2}, {5, 0}, {6, 34}};
    auto engine = Prepared(model);
    EXPECT_EQ(engine->EquationNumber(Dof(1, 1)), 0);
    EXPECT_EQ(engine->EquationNumber(Dof(1, 2)), 0);
    EXPECT_EQ(engine->EquationNumber(Dof(2, 1)), 0);
    EXPECT_EQ(engine->EquationNumber(Dof(2, 2)), 0);
    EXPECT_EQ(engine->EquationNumber(Dof(3, 1)), 0);
    EXPECT_EQ(engine->EquationNumber(Dof(3, 2)), 1);
    EXPECT_EQ(engine->EquationNumber(Dof(4, 1)), 2);
    EXPECT_EQ(engine->EquationNumber(Dof(4, 2)), 0);
    EXPECT_EQ(engine->EquationNumber(Dof(5, 1)), 3);
    EXPECT_EQ(engine->EquationNumber(Dof(6, 2)), 6);
    EXPECT_EQ(engine->EquationCount(), 6);
}

TEST(Skyline, OneElementRestrainedAtTwoNodes) {
    GridModel model({1000}, {500});
    model.Restrain(0, 0, 12);
    model.Restrain(1, 0, 12);
    auto engine = Prepared(model);
    ASSERT_EQ(engine->EquationCount(), 4);
    EXPECT_EQ(engine->ColumnHeight(1), 0);
    EXPECT_EQ(engine->ColumnHeight(2), 1);
    EXPECT_EQ(engine->ColumnHeight(3), 2);
    EXPECT_EQ(engine->ColumnHeight(4), 3);
    EXPECT_EQ(engine->DiagonalAddress(1), 1);
    EXPECT_EQ(engine->DiagonalAddress(4), 7);
    EXPECT_EQ(engine->ProfileLength(), 10);
    // The list holds the four free dofs in local order (n3 x, n3 y, n4 x, n4 y).
    const auto list = engine->ElementDofList(1);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0], Dof(4, 1));
    EXPECT_EQ(list[3], Dof(3, 2));
    EXPECT_EQ(engine->ElementTransform(1, 5, 1), 1.0); // local 5 = n3 x = grid node (1, 1) = node 4
    EXPECT_EQ(engine->ElementTransform(1, 1, 1), 0.0);
}

TEST(Skyline, FullyRestrainedElementHasAnEmptyList) {
    GridModel model({1000, 1000}, {1000});
    model.RestrainColumn(0, 12);
    model.Restrain(1, 0, 12);
    model.Restrain(1, 1, 12);
    auto engine = Prepared(model);
    EXPECT_EQ(engine->ElementDofList(1).size(), 0u);
    EXPECT_EQ(engine->ElementDofList(2).size(), 4u);
}

TEST(Ties, ZeroWidthJointTiesRightToLeft) {
    // Columns of 1000, 0, 1000 mm: the middle element is a code-1 joint with nodes 2, 3, 7, 6.
    GridModel model({1000, 0, 1000}, {1000});
    model.RestrainRow(0, 2);
    model.Restrain(0, 0, 12);
    auto engine = Prepared(model);
    const int e = 2;
    ASSERT_EQ(engine->Element(e).discrete, 1);
    const int n1 = model.Node(1, 0), n2 = model.Node(2, 0), n3 = model.Node(2, 1), n4 = model.Node(1, 1);
    // y of n2 follows n1 (restrained here, so n2's y has no equation either), y of n3 follows n4.
    EXPECT_EQ(engine->TieMaster(Dof(n2, 2), 1), Dof(n1, 2));
    EXPECT_EQ(engine->TieMaster(Dof(n3, 2), 1), Dof(n4, 2));
    EXPECT_EQ(engine->EquationNumber(Dof(n3, 2)), 0);
    EXPECT_GT(engine->EquationNumber(Dof(n4, 2)), 0);
    EXPECT_GT(engine->EquationNumber(Dof(n2, 1)), 0);
    // The joint's list never holds the tied dofs; the master n4 y appears once, at its last occurrence.
    const auto list = engine->ElementDofList(e);
    for (int dof : list) {
        EXPECT_NE(dof, Dof(n2, 2));
        EXPECT_NE(dof, Dof(n3, 2));
    }
    ASSERT_EQ(list.size(), 5u); // n1 x, n2 x, n3 x, n4 x, n4 y (n1 y, n2 y restrained)
    EXPECT_EQ(list.back(), Dof(n4, 2));
    EXPECT_EQ(engine->ElementTransform(e, 6, 5), 1.0); // n3 y = n4 y
    EXPECT_EQ(engine->ElementTransform(e, 8, 5), 1.0); // n4 y itself
    EXPECT_EQ(engine->ElementTransform(e, 7, 5), 0.0);
}

TEST(Ties, RestrainedTiedDofHoldsItsMaster) {
    GridModel model({1000, 0, 1000}, {1000});
    model.Restrain(2, 0, 2); // n2 of the joint, y only
    model.Restrain(0, 0, 1);
    auto engine = Prepared(model);
    EXPECT_EQ(engine->EquationNumber(Dof(model.Node(2, 0), 2)), 0);
    EXPECT_EQ(engine->EquationNumber(Dof(model.Node(1, 0), 2)), 0); // the master is held too
    EXPECT_GT(engine->EquationNumber(Dof(model.Node(1, 1), 2)), 0); // the other pair stays free
}

TEST(Ties, JointTwoElementsLongIsNotHeld) {
    // A zero-width column two rows high: the shared middle nodes must keep their equations.
    GridModel model({1000, 0, 1000}, {1000, 1000});
    model.RestrainRow(0, 12);
    auto engine = Prepared(model);
    const int leftMiddle = model.Node(1, 1), rightMiddle = model.Node(2, 1);
    EXPECT_GT(engine->EquationNumber(Dof(leftMiddle, 2)), 0);
    EXPECT_GT(engine->EquationNumber(Dof(leftMiddle, 1)), 0);
    EXPECT_EQ(engine->EquationNumber(Dof(rightMiddle, 2)), 0);
    EXPECT_EQ(engine->TieMaster(Dof(rightMiddle, 2), 1), Dof(leftMiddle, 2));
    EXPECT_GT(engine->EquationNumber(Dof(model.Node(1, 2), 2)), 0);
    // Zero-height row two columns wide: x of the upper line follows the lower line, top to bottom.
    GridModel row({1000, 1000}, {1000, 0, 1000});
    row.RestrainRow(0, 12);
    auto rowEngine = Prepared(row);
    EXPECT_EQ(rowEngine->Element(row.ElementAt(0, 1)).discrete, 2);
    EXPECT_EQ(rowEngine->TieMaster(Dof(row.Node(1, 2), 1), 1), Dof(row.Node(1, 1), 1));
    EXPECT_GT(rowEngine->EquationNumber(Dof(row.Node(1, 1), 1)), 0);
    EXPECT_EQ(rowEngine->EquationNumber(Dof(row.Node(1, 2), 1)), 0);
}

TEST(Ties, JointsSideBySideFollowTheOuterMaster) {
    GridModel model({1000, 0, 0, 1000}, {1000});
    model.RestrainRow(0, 12);
    auto engine = Prepared(model);
    // Line 3 follows line 2, which follows line 1: both point at line 1.
    EXPECT_EQ(engine->TieMaster(Dof(model.Node(3, 1), 2), 1), Dof(model.Node(1, 1), 2));
    EXPECT_EQ(engine->TieMaster(Dof(model.Node(2, 1), 2), 1), Dof(model.Node(1, 1), 2));
    // The second joint: x of its two upper nodes and the outer master's y (its lower nodes are held).
    const auto list = engine->ElementDofList(3);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[2], Dof(model.Node(1, 1), 2));
}
