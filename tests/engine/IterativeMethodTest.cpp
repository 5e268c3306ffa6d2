// The iterative method of the engine: equilibrium of every converged step, displacement and force
// control, cutting and stopping of steps that do not converge, and a classic run untouched by it.
#include "EngineTestModels.h"
#include "engine/IterativeSolver.h"
#include "engine/McftMaterial.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <span>
#include <vector>

namespace torva::engine::test {
namespace {

// An engine of its own driven through Start and Step, its results copied after every call.
struct IterativeRun {
    std::unique_ptr<Engine> engine = std::make_unique<Engine>();
    std::vector<int32_t> stream;
    std::vector<double> results;
    AnalysisMethod method;
    bool started = false;

    explicit IterativeRun(const StreamModel& model, AnalysisMethod m = AnalysisMethod::Mcft)
        : stream(model.Stream()), method(m) {}
    int Call(int mode, double increment = 0.0) {
        const RunStatus status =
            started ? engine->Step(increment, mode) : engine->Start(stream, mode, increment, method);
        started = true;
        const std::span<const double> buffer = engine->Results().Buffer();
        results.assign(buffer.begin(), buffer.end());
        return StatusCode(status);
    }
    double U(int node, int direction) const { return results[2 + 2 * (node - 1) + direction - 1]; }
    const IterativeSolver& Solver() const { return *engine->Iterative(); }
    // The test of every later step (the solver exists once the first call has chosen the method).
    void SetTest(const ConvergenceTest& test) { engine->Iterative()->SetTest(test); }
};

bool AllFinite(const std::vector<double>& values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// Checks that a converged push-over step is in equilibrium: the control force is the load factor times
// the pattern (1000 N), the control node is exactly where the increments put it.
TEST(IterativeMethod, PushoverStepsAreInEquilibriumAtTheirTargets) {
    IterativeRun run(CantileverWall());
    double target = 0.0, peak = 0.0;
    for (int s = 1; s <= 40; ++s) {
        ASSERT_EQ(run.Call(kPushoverMode, 0.25), kStatusDone) << "step " << s;
        target += 0.25;
        const IterativeStepRecord& record = run.Solver().LastRecord();
        EXPECT_EQ(record.step, s);
        EXPECT_GE(record.iterations, 1);
        EXPECT_LE(record.residual, run.Solver().Test().forceTolerance);
        EXPECT_NEAR(run.results[0] - run.Solver().LastRecord().controlDisplacement, 0.0, 1e-12);
        // The gravity state moved the corner too; every step then adds exactly its increment.
        EXPECT_NEAR(run.results[1], 1000.0 * record.loadFactor, 2e-3 * 1000.0 * record.loadFactor);
        peak = std::max(peak, run.results[1]);
    }
    // Cracked, the bars in tension yield: the wall reaches a plateau well above the cracking force and
    // below what its uncracked section could carry.
    EXPECT_GT(peak, 30000.0);
    EXPECT_LT(peak, 80000.0);
    EXPECT_TRUE(AllFinite(run.results));
}

// Checks that the control displacement is the gravity state's plus the sum of the increments, to
// round-off, and that the load factor follows the pattern's response (a stiff elastic start).
TEST(IterativeMethod, ControlNodeLandsOnItsTargetEveryStep) {
    IterativeRun run(CantileverWall());
    ASSERT_EQ(run.Call(kPushoverMode, 0.05), kStatusDone);
    const double first = run.results[0];
    for (int s = 2; s <= 10; ++s) {
        ASSERT_EQ(run.Call(kPushoverMode, 0.05), kStatusDone);
        EXPECT_NEAR(run.results[0], first + 0.05 * (s - 1), 1e-12);
    }
}

// Checks a uniformly stressed panel against the material point solved directly: one element under
// uniform tension past cracking, force control. Every Gauss point has the strain at which the point,
// evaluated on its own, gives the applied stress.
TEST(IterativeMethod, UniformTensionPanelMatchesTheMaterialPointSolvedDirectly) {
    StreamModel m;
    m.nodes = {{0, 0}, {500, 0}, {500, 500}, {0, 500}};
    m.restraints = {{1, 12}, {4, 1}};
    m.concrete.push_back({10000, 30, 2000, 0, 3000, 300, 20});          // t 100, fc 30, ft 3, no weight
    m.rebar.push_back({20000, 10000, 40000, 20000, 10000, 40000, 200}); // rho 0.02 both ways
    m.elements.push_back({1, 2, 3, 4, 1, 1, 0, 0, 0});
    const double force = 300000.0; // N over 500 × 100 mm: 6 N/mm2, twice the cracking stress
    m.loads = {{2, int(force / 2 * 100), 0}, {3, int(force / 2 * 100), 0}};
    IterativeRun run(m);
    ASSERT_EQ(run.Call(kElasticMode), kStatusDone);
    EXPECT_DOUBLE_EQ(run.Solver().LastRecord().loadFactor, 1.0);
    EXPECT_GT(run.Solver().LastRecord().iterations, 2);

    McftMaterial material;
    material.fc = 30, material.ft = 3, material.eps0 = 0.002, material.Ec = 30000;
    for (McftBars& bars : material.bars) bars = McftBars{0.02, 400, 200000, 0, 100};
    // sx(ex) with ey = gxy = 0 by bisection: cracked, it rises with ex through the bars.
    double low = 0.0, high = 0.01;
    for (int i = 0; i < 200; ++i) {
        const double mid = 0.5 * (low + high), strain[3] = {mid, 0, 0};
        McftPoint point;
        EvaluateMcft(material, strain, McftHistory{}, point);
        (point.stress[0] < 6.0 ? low : high) = mid;
    }
    const double expected = 0.5 * (low + high);
    for (int g = 1; g <= kGaussPoints; ++g) {
        const McftPoint& point = run.Solver().Point(1, g);
        EXPECT_NEAR(point.barStrain[0], expected, 2e-3 * expected) << "point " << g;
        EXPECT_NEAR(point.stress[0], 6.0, 6e-3);
        EXPECT_EQ(point.condition, ConcreteCondition::Cracked);
        EXPECT_NEAR(run.engine->GaussPoint(1, g).strain[1], 0.0, 1e-3 * expected);
    }
}

// Checks that a step which cannot meet the test stops with status 6, names the step and the residual
// reached, and leaves the result buffer as the previous step left it.
TEST(IterativeMethod, StepThatDoesNotConvergeStopsAndKeepsThePreviousResults) {
    IterativeRun run(CantileverWall());
    ASSERT_EQ(run.Call(kPushoverMode, 0.25), kStatusDone);
    ASSERT_EQ(run.Call(kPushoverMode, 0.25), kStatusDone);
    const std::vector<double> before = run.results;
    ConvergenceTest impossible;
    impossible.iterationLimit = 3;
    impossible.forceTolerance = 1e-14;
    run.SetTest(impossible);
    EXPECT_EQ(run.Call(kPushoverMode, 0.25), kStatusNotConverged);
    const IterativeFailure& failure = run.Solver().LastFailure();
    EXPECT_EQ(failure.step, 3);
    EXPECT_TRUE(std::isfinite(failure.residual));
    EXPECT_GT(failure.residual, 1e-14);
    EXPECT_EQ(run.results, before);
}

// Checks that a step too large for the iteration limit is done in pieces, lands on its target, and
// gives the force the same step gets with a generous limit.
TEST(IterativeMethod, LargeStepIsCutIntoConvergedPieces) {
    IterativeRun generous(CantileverWall());
    IterativeRun tight(CantileverWall());
    ConvergenceTest test;
    test.iterationLimit = 6;
    for (int s = 0; s < 4; ++s) {
        ASSERT_EQ(generous.Call(kPushoverMode, 0.25), kStatusDone);
        ASSERT_EQ(tight.Call(kPushoverMode, 0.25), kStatusDone);
    }
    tight.SetTest(test);
    ASSERT_EQ(generous.Call(kPushoverMode, 1.0), kStatusDone);
    ASSERT_EQ(tight.Call(kPushoverMode, 1.0), kStatusDone);
    ASSERT_GT(generous.Solver().LastRecord().iterations, test.iterationLimit);
    EXPECT_EQ(generous.Solver().LastRecord().subSteps, 1);
    EXPECT_GT(tight.Solver().LastRecord().subSteps, 1);
    EXPECT_DOUBLE_EQ(tight.results[0], generous.results[0]);
    EXPECT_NEAR(tight.results[1], generous.results[1], 0.03 * generous.results[1]);
}

// Checks force control: step n carries n times the pattern.
TEST(IterativeMethod, ForceControlAddsOnePatternEachStep) {
    GridModel m = CantileverWall();
    m.loads = {{m.Node(0, 0), 1000000, 0}}; // 10 kN, below cracking of the base
    IterativeRun run(m);
    ASSERT_EQ(run.Call(kElasticMode), kStatusDone);
    const double first = run.U(m.Node(0, 0), 1);
    ASSERT_EQ(run.Call(kElasticMode), kStatusDone);
    EXPECT_DOUBLE_EQ(run.Solver().LastRecord().loadFactor, 2.0);
    // Uncracked the wall is linear, but for gravity's share of the first displacement.
    const double gravityShare = first - (run.U(m.Node(0, 0), 1) - first);
    EXPECT_NEAR(run.U(m.Node(0, 0), 1), 2 * first - gravityShare, 1e-3 * std::fabs(first));
}

// Checks that an unsupported structure is reported as unstable, not iterated.
TEST(IterativeMethod, MechanismIsUnstable) {
    GridModel m = CantileverWall();
    m.restraints.clear();
    m.Restrain(0, 8, 12);
    IterativeRun run(m);
    EXPECT_EQ(run.Call(kPushoverMode, 0.1), kStatusUnstable);
}

// Checks the joint springs inside the iteration: a wall on a zero-height row of joints stays in
// equilibrium past cracking of its plane elements, and the springs' forces follow their laws.
TEST(IterativeMethod, JointRowKeepsItsSpringLawsAndEquilibrium) {
    GridModel m(std::vector<int>(4, 250), {250, 250, 250, 250, 0, 250});
    m.rebar.push_back(kWallRebar);
    m.SetRebar(1);
    m.RestrainRow(6, 12);
    m.LoadNode(0, 0, 100000, 0);
    m.controlNode = m.Node(0, 0);
    IterativeRun run(m);
    for (int s = 1; s <= 12; ++s) {
        ASSERT_EQ(run.Call(kPushoverMode, 0.2), kStatusDone)
            << "step " << s << " residual " << run.Solver().LastFailure().residual << " F " << run.results[1]
            << " it " << run.Solver().LastRecord().iterations;
        const double lambda = run.Solver().LastRecord().loadFactor;
        EXPECT_NEAR(run.results[1], 1000.0 * lambda, 2e-3 * 1000.0 * lambda);
    }
    // Uncracked and closed springs are elastic: force = stiffness × total opening.
    int joints = 0;
    for (int e = 1; e <= run.engine->ElementCount(); ++e) {
        if (run.engine->Element(e).discrete != 2) continue;
        ++joints;
        const JointProperties& p = run.engine->JointOf(e);
        for (const JointSpring& spring : run.engine->JointStateOf(e).spring) {
            ASSERT_LE(spring.concreteLaw.state, 2);
            EXPECT_NEAR(spring.concreteForce, p.k0 * spring.concreteOpening, 1e-9 * std::fabs(p.Fc));
            EXPECT_NEAR(spring.steelForce, p.ks * spring.steelOpening, 1e-9 * p.Fy);
        }
    }
    EXPECT_EQ(joints, 4);
    EXPECT_TRUE(AllFinite(run.results));
}

// Checks that choosing the iterative method for one run leaves a later classic run bit for bit as a
// fresh engine's.
TEST(IterativeMethod, ClassicRunAfterAnIterativeOneIsUnchanged) {
    const GridModel m = CantileverWall();
    IterativeRun fresh(m, AnalysisMethod::Classic);
    IterativeRun reused(m, AnalysisMethod::Mcft);
    for (int s = 0; s < 5; ++s) ASSERT_EQ(reused.Call(kPushoverMode, 0.5), kStatusDone);
    reused.method = AnalysisMethod::Classic;
    reused.started = false;
    for (int s = 0; s < 8; ++s) {
        ASSERT_EQ(fresh.Call(kPushoverMode, 0.5), kStatusDone);
        ASSERT_EQ(reused.Call(kPushoverMode, 0.5), kStatusDone);
        ASSERT_EQ(fresh.results.size(), reused.results.size());
        ASSERT_EQ(
            std::memcmp(fresh.results.data(), reused.results.data(), fresh.results.size() * sizeof(double)),
            0)
            << "step " << s;
    }
    EXPECT_EQ(reused.engine->Method(), AnalysisMethod::Classic);
}

} // namespace
} // namespace torva::engine::test
