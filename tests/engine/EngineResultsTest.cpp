// The result buffer beyond the displacements: output-element blocks and their normalisers, loads and
// displacements of tied degrees of freedom, the control force, and state that outlives an analysis.
#include "EngineTestModels.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace torva::engine;
using namespace torva::engine::test;

namespace {

int BlockStart(const Engine& engine) {
    return 2 + 2 * engine.NodeCount() + 27 * engine.ElementCount();
}

// Two panels of 500 × 500 joined by a zero-width joint column (element 2), standing on their last row.
GridModel JointModel() {
    GridModel m({500, 0, 500}, {500});
    m.RestrainRow(1, 12);
    m.rebar.push_back(kWallRebar);
    m.SetRebar(1);
    return m;
}

} // namespace

TEST(EngineResults, PlaneOutputBlockIsNormalised) {
    GridModel m({500, 500}, {500});
    m.RestrainRow(1, 12);
    m.LoadNode(0, 0, 500000, 0);
    m.rebar.push_back(kWallRebar);
    m.elements[0][5] = 1; // bars in element 1 only
    m.elements[0][8] = 1;
    m.elements[1][8] = 2;
    m.concreteSelector = 1;
    m.controlNode = m.Node(0, 0);
    for (int active : {1, 2}) {
        m.activeOutput = active;
        EngineRun run(m);
        ASSERT_EQ(run.Call(kPushoverMode, 0.05), kStatusDone);
        ASSERT_EQ(run.Call(kPushoverMode, 0.05), kStatusDone);
        const Engine& engine = *run.engine;
        ASSERT_EQ(engine.OutputElementNumber(), active);
        const double* block = &run.results[BlockStart(engine)];
        // fc = 30 and eps0 = 0.002 as the type gives them; rho = (100 / 200) / 200, fy = 400, Es = 200000.
        const double rho = 100.0 / 200.0 / 200.0;
        for (int g = 1; g <= 9; ++g) {
            const GaussPointState& gp = engine.GaussPoint(active, g);
            const double* v = block + 8 * (g - 1);
            EXPECT_NEAR(v[0], gp.concrete.principal[0] / 30.0, 1e-12);
            EXPECT_NEAR(v[1], gp.concrete.dir[0].eps / (5 * double(0.002f)), 1e-12);
            EXPECT_NEAR(v[4], gp.concrete.principal[1] / 30.0, 1e-12);
            EXPECT_NEAR(v[5], gp.concrete.dir[1].eps / (5 * double(0.002f)), 1e-12);
            if (active == 1) {
                EXPECT_NEAR(v[2], gp.rebarStress[0] / (rho * 400.0), 1e-9);
                EXPECT_NEAR(v[3], gp.strain[0] / (5 * 400.0 / 200000.0), 1e-9);
                EXPECT_NEAR(v[6], gp.rebarStress[1] / (rho * 400.0), 1e-9);
                EXPECT_NE(v[2], 0.0);
            } else {
                // No rebar type: 0, not the normalisers of an earlier element.
                EXPECT_EQ(v[2], 0.0);
                EXPECT_EQ(v[3], 0.0);
                EXPECT_EQ(v[6], 0.0);
                EXPECT_EQ(v[7], 0.0);
            }
        }
        EXPECT_NE(block[0], 0.0);
        EXPECT_NE(block[1], 0.0);
        EXPECT_EQ(block[72], 0.0); // nothing after the block
    }
}

TEST(EngineResults, JointOutputBlockAndSpringValues) {
    GridModel m = JointModel();
    m.LoadNode(0, 0, 2000000, 0);
    m.elements[1][8] = 1;
    m.activeOutput = 1;
    EngineRun run(m);
    ASSERT_EQ(run.Call(kElasticMode), kStatusDone);
    const Engine& engine = *run.engine;
    const JointProperties& p = engine.JointOf(2);
    // L = 500, B = 500 · 0.5 · 200: k0 = 30000 B / 10, Fcr = 3 B, Fc = -30 B; bars 100 mm2 at 200 mm:
    // D = 500 · 100 / 200 · 0.5, ks = 200000 D / 10, Fy = 400 D.
    EXPECT_DOUBLE_EQ(p.k0, 30000.0 * 50000.0 / 10.0);
    EXPECT_DOUBLE_EQ(p.Fc, -30.0 * 50000.0);
    EXPECT_DOUBLE_EQ(p.ks, 200000.0 * 125.0 / 10.0);
    EXPECT_DOUBLE_EQ(p.Fy, 400.0 * 125.0);
    const double* block = &run.results[BlockStart(engine)];
    for (int k = 0; k < 2; ++k) {
        const JointSpring& s = engine.JointStateOf(2).spring[k];
        if (k == 0) {
            EXPECT_NE(s.concreteForce, 0.0); // spring 2 joins two supported nodes
        }
        EXPECT_NEAR(block[4 * k], s.concreteForce / 1.5e6, 1e-15);
        EXPECT_NEAR(block[4 * k + 1], s.concreteOpening / (5 * 1.5e6 / p.k0), 1e-15);
        EXPECT_NEAR(block[4 * k + 2], s.steelForce / p.Fy, 1e-15);
        EXPECT_NEAR(block[4 * k + 3], s.steelOpening / (5 * p.Fy / p.ks), 1e-15);
    }
    EXPECT_EQ(block[8], 0.0);
}

TEST(EngineResults, LoadsOnTiedDofsReachTheirMaster) {
    // The y of the joint's right top node (2, 0) is tied to the left one (1, 0): a vertical load there
    // acts as the same load on (1, 0), and both nodes report the master's y displacement.
    GridModel onTied = JointModel(), onMaster = JointModel();
    onTied.LoadNode(2, 0, 0, -5000000);
    onMaster.LoadNode(1, 0, 0, -5000000);
    EngineRun tied(onTied), master(onMaster);
    ASSERT_EQ(tied.Call(kElasticMode), kStatusDone);
    ASSERT_EQ(master.Call(kElasticMode), kStatusDone);
    for (int n = 1; n <= tied.engine->NodeCount(); ++n)
        for (int d = 1; d <= 2; ++d) EXPECT_NEAR(tied.U(n, d), master.U(n, d), 1e-15) << "node " << n;
    EXPECT_LT(tied.U(onTied.Node(1, 0), 2), -1e-3);
    EXPECT_EQ(tied.U(onTied.Node(2, 0), 2), tied.U(onTied.Node(1, 0), 2));
    EXPECT_EQ(tied.U(onTied.Node(2, 1), 2), 0.0); // restrained stays 0
}

TEST(EngineResults, ControlForceCountsRecords) {
    // One record, two records at the same node (the later one applies, the node counts twice), and a
    // record on a tied dof beside one on its master (their loads share one equation, counted once).
    GridModel single = JointModel(), twice = JointModel(), both = JointModel(), tiedOnly = JointModel();
    single.LoadNode(0, 0, 1000000, 0);
    twice.LoadNode(0, 0, 300000, 0);
    twice.LoadNode(0, 0, 1000000, 0);
    both.LoadNode(1, 0, 0, -500000);
    both.LoadNode(2, 0, 0, -500000);
    tiedOnly.LoadNode(2, 0, 0, -1000000);
    for (GridModel* m : {&single, &twice}) m->controlNode = m->Node(0, 0), m->controlDirection = 1;
    for (GridModel* m : {&both, &tiedOnly}) m->controlNode = m->Node(1, 0), m->controlDirection = 2;
    EngineRun a(single), b(twice), c(both), d(tiedOnly);
    for (EngineRun* run : {&a, &b, &c, &d}) ASSERT_EQ(run->Call(kPushoverMode, 0.01), kStatusDone);
    EXPECT_GT(a.results[1], 0.0);
    EXPECT_NEAR(b.results[1], 2 * a.results[1], 1e-9 * a.results[1]);
    EXPECT_NEAR(b.results[0], a.results[0], 1e-15);
    EXPECT_GT(std::fabs(c.results[1]), 1e3);
    EXPECT_NEAR(c.results[1], d.results[1], 1e-9 * std::fabs(d.results[1]));
    EXPECT_NEAR(c.results[0], d.results[0], 1e-15);
}

TEST(EngineResults, StiffnessChangedOutlivesTheAnalysis) {
    GridModel m = JointModel();
    m.LoadNode(0, 0, 1000000, 0);
    m.controlNode = m.Node(0, 0);
    m.rebarSelector = 2; // the curved law re-forms every element with bars at every step
    EngineRun run(m);
    EXPECT_EQ(run.engine->StiffnessChanged(), 0);
    ASSERT_EQ(run.Call(kPushoverMode, 0.01), kStatusDone);
    EXPECT_EQ(run.engine->StiffnessChanged(), 1);
    // A new analysis on the same engine starts with it still set; results do not depend on it.
    GridModel linear = JointModel();
    linear.LoadNode(0, 0, 1000000, 0);
    EngineRun fresh(linear);
    fresh.Call(kElasticMode);
    fresh.Call(kElasticMode);
    run.stream = linear.Stream();
    run.step = 0;
    run.calls = 0;
    ASSERT_EQ(run.Call(kElasticMode), kStatusDone);
    EXPECT_EQ(run.engine->StiffnessChanged(), 1);
    ASSERT_EQ(run.Call(kElasticMode), kStatusDone);
    for (int n = 1; n <= fresh.engine->NodeCount(); ++n)
        EXPECT_NEAR(run.U(n, 1), fresh.U(n, 1), 1e-12 * std::fabs(fresh.U(n, 1)) + 1e-18);
}
