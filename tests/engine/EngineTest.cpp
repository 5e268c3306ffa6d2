// Whole analyses through the engine entry: the step protocol, elastic and push-over stepping, statuses
// 3 and 4, joint ties in the results, and physics (patch test, formulations, cantilever, gravity).
#include "EngineTestModels.h"
#include "engine/EngineTestAccess.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

using namespace torva::engine;
using namespace torva::engine::test;

namespace {

// A wall 4 × 3 elements of 500 × 400 mm, clamped at its base, loaded at its top corners.
GridModel Wall(int gravity, int fx) {
    GridModel model({500, 500, 500, 500}, {400, 400, 400});
    model.RestrainRow(0, 12);
    model.gravity = gravity;
    if (fx != 0) {
        model.LoadNode(0, 3, fx, 0);
        model.LoadNode(4, 3, fx, -fx / 2);
    }
    model.controlNode = model.Node(4, 3);
    model.controlDirection = 1;
    return model;
}

double MaxAbs(const std::vector<double>& v, size_t from, size_t count) {
    double m = 0.0;
    for (size_t i = from; i < from + count; ++i) m = std::max(m, std::fabs(v[i]));
    return m;
}

} // namespace

TEST(EngineSteps, FirstCallIsGravityPlusOneLoadStepAndElasticStepsAddThePattern) {
    EngineRun both(Wall(980, 1000000)), gravityOnly(Wall(980, 0)), loadOnly(Wall(0, 1000000));
    ASSERT_EQ(both.Call(kElasticMode), kStatusDone);
    ASSERT_EQ(gravityOnly.Call(kElasticMode), kStatusDone);
    ASSERT_EQ(loadOnly.Call(kElasticMode), kStatusDone);
    EXPECT_EQ(both.step, 1);
    const int nodes = both.engine->NodeCount();
    const double scale = MaxAbs(both.results, 2, 2 * nodes);
    ASSERT_GT(MaxAbs(gravityOnly.results, 2, 2 * nodes), 1e-4);
    for (int i = 2; i < 2 + 2 * nodes; ++i)
        EXPECT_NEAR(both.results[i], gravityOnly.results[i] + loadOnly.results[i], 1e-9 * scale);
    // Second elastic call: gravity plus twice the pattern.
    ASSERT_EQ(both.Call(kElasticMode), kStatusDone);
    EXPECT_EQ(both.step, 2);
    for (int i = 2; i < 2 + 2 * nodes; ++i)
        EXPECT_NEAR(both.results[i], gravityOnly.results[i] + 2 * loadOnly.results[i], 1e-9 * scale);
    // Indices 0 and 1 belong to the push-over mode.
    EXPECT_EQ(both.results[0], 0.0);
    EXPECT_EQ(both.results[1], 0.0);
}

TEST(EngineSteps, PushoverWithEqualIncrementsAndReversals) {
    GridModel model = Wall(980, 1000000);
    model.concreteSelector = 0; // linear materials: nothing changes branch
    model.rebarSelector = 0;
    EngineRun run(model);
    ASSERT_EQ(run.Call(kPushoverMode, 0.5), kStatusDone);
    const int control = model.controlNode;
    // Control displacement after the first step = gravity state + 0.5.
    EngineRun gravity(Wall(980, 0));
    gravity.Call(kElasticMode);
    const double start = gravity.U(control, 1);
    EXPECT_NEAR(run.results[0], start + 0.5, 1e-12);
    EXPECT_NEAR(run.U(control, 1), run.results[0], 0.0);
    const double force1 = run.results[1];
    const std::vector<double> first(run.results.begin(),
                                    run.results.begin() + 2 + 2 * run.engine->NodeCount());
    ASSERT_EQ(run.Call(kPushoverMode, 0.5), kStatusDone);
    EXPECT_NEAR(run.results[0], start + 1.0, 1e-12);
    // Every displacement grew by the same amount as in the first step.
    for (size_t i = 2; i < first.size(); ++i)
        EXPECT_NEAR(run.results[i] - first[i], first[i] - gravity.results[i], 1e-9);
    const double force2 = run.results[1];
    // The control force grows linearly with the control displacement (both loaded nodes count).
    const double force0 = gravity.results[1]; // 0: elastic mode writes no control force
    EXPECT_EQ(force0, 0.0);
    EXPECT_GT(force1, 0.0);
    const int loaded = run.engine->EquationNumber(2 * (model.Node(4, 3) - 1) + 1);
    const double load = run.engine->LoadIncrement(loaded);
    ASSERT_EQ(run.Call(kPushoverMode, -0.25), kStatusDone); // a reversal flips the pattern's sign
    EXPECT_NEAR(run.engine->LoadIncrement(loaded), -0.5 * load, 1e-9 * std::fabs(load));
    EXPECT_NEAR(run.results[0], start + 0.75, 1e-12);
    EXPECT_NEAR(run.results[1] - force2, -0.5 * (force2 - force1), 1e-6 * std::fabs(force2));
    ASSERT_EQ(run.Call(kPushoverMode, 0.25), kStatusDone);
    EXPECT_GT(run.engine->LoadIncrement(loaded), 0.0);
}

TEST(EngineSteps, NoResponseAbandonsTheStep) {
    // An increment of 0 zeroes the pattern for good: the next step cannot respond.
    GridModel model = Wall(980, 1000000);
    model.concreteSelector = 0;
    EngineRun run(model);
    ASSERT_EQ(run.Call(kPushoverMode, 0.0), kStatusDone);
    const std::vector<double> kept = run.results;
    const double total = run.engine->TotalDisplacement(1);
    EXPECT_EQ(run.Call(kPushoverMode, 0.5), kStatusNoResponse);
    EXPECT_EQ(run.results, kept);
    EXPECT_EQ(run.engine->TotalDisplacement(1), total);
    EXPECT_EQ(run.Call(kPushoverMode, 0.5), kStatusNoResponse);

    // No point loads: status 3 at step 1, the buffer holds the gravity state.
    EngineRun unloaded(Wall(980, 0));
    EXPECT_EQ(unloaded.Call(kPushoverMode, 0.5), kStatusNoResponse);
    EXPECT_EQ(unloaded.step, 1);
    EXPECT_GT(MaxAbs(unloaded.results, 2, 2 * unloaded.engine->NodeCount()), 0.0);

    // A control dof that has no equation, or no control direction.
    GridModel held = Wall(0, 1000000);
    held.controlNode = held.Node(2, 0);
    EXPECT_EQ(EngineRun(held).Call(kPushoverMode, 0.5), kStatusNoResponse);
    GridModel undirected = Wall(0, 1000000);
    undirected.controlDirection = 0;
    EngineRun run2(undirected);
    EXPECT_EQ(run2.Call(kPushoverMode, 0.5), kStatusNoResponse);
    EXPECT_EQ(run2.Call(kElasticMode), kStatusDone); // the elastic mode needs no control dof
}

TEST(EngineSteps, UnstableModelIsReportedAndLeavesTheResults) {
    // Only x held along the base: the wall can slide in y.
    GridModel model({500, 500}, {400});
    model.RestrainRow(0, 1);
    model.LoadNode(2, 1, 100000, 0);
    EngineRun run(model);
    std::fill(run.results.begin(), run.results.end(), 7.0);
    EXPECT_EQ(run.Call(kElasticMode), kStatusUnstable);
    EXPECT_EQ(run.step, 0);
    EXPECT_TRUE(std::all_of(run.results.begin(), run.results.end(), [](double v) { return v == 7.0; }));
    EXPECT_GT(run.engine->FailedEquation(), 0);
    EXPECT_GT(run.engine->FailedDof(), 0);
    EXPECT_LT(std::fabs(run.engine->FailedPivot()), 1e-11 * 1e7);
    // Rollers along the base and one pin still let the wall turn about the pin.
    model.Restrain(0, 0, 12);
    EXPECT_EQ(EngineRun(model).Call(kElasticMode), kStatusUnstable);
    // No supports at all.
    GridModel free({500}, {400});
    EXPECT_EQ(EngineRun(free).Call(kElasticMode), kStatusUnstable);
    // A second pin holds it.
    model.Restrain(2, 0, 12);
    EXPECT_EQ(EngineRun(model).Call(kElasticMode), kStatusDone);
}

TEST(EngineSteps, SolvingTwiceGivesTheSameIncrement) {
    EngineRun run(Wall(980, 1000000));
    ASSERT_EQ(run.Call(kElasticMode), kStatusDone);
    Engine& engine = *run.engine;
    std::vector<double> profile, first;
    for (int p = 1; p <= engine.ProfileLength(); ++p) profile.push_back(engine.Profile(p));
    ASSERT_TRUE(EngineTestAccess(engine).SolveForIncrement());
    for (int eq = 1; eq <= engine.EquationCount(); ++eq) first.push_back(engine.DisplacementIncrement(eq));
    double zero[400] = {};
    EngineTestAccess(engine).AddElementMatrix(1,
                                              zero); // touches the profile: the next solve factorises again
    ASSERT_TRUE(EngineTestAccess(engine).SolveForIncrement());
    for (int eq = 1; eq <= engine.EquationCount(); ++eq)
        EXPECT_EQ(engine.DisplacementIncrement(eq), first[eq - 1]);
    for (int p = 1; p <= engine.ProfileLength(); ++p) EXPECT_EQ(engine.Profile(p), profile[p - 1]);
}

TEST(EnginePhysics, PatchOfRectanglesCarriesUniformStress) {
    // Unequal rectangles; sx = 1, sy = 3 N/mm2 from consistent edge loads; both formulations.
    const std::vector<int> widths = {200, 300, 500}, heights = {400, 250, 350};
    const double sx = 1.0, sy = 3.0, t = 200.0, E = 30000.0, nu = double(0.2f);
    std::vector<double> ux[3];
    for (int formulation : {1, 2}) {
        GridModel model(widths, heights);
        model.formulation = formulation;
        model.RestrainColumn(0, 1);
        model.RestrainRow(0, 2);
        // One record a node, as the mesh writes them (a second record would replace the first).
        auto share = [](const std::vector<int>& spans, int line) {
            return ((line > 0 ? spans[line - 1] : 0) + (line < int(spans.size()) ? spans[line] : 0)) / 2.0;
        };
        for (int j = 0; j <= model.ny; ++j)
            for (int i = 0; i <= model.nx; ++i) {
                const double fx = i == model.nx ? sx * t * share(heights, j) : 0.0;
                const double fy = j == model.ny ? sy * t * share(widths, i) : 0.0;
                if (fx != 0.0 || fy != 0.0)
                    model.LoadNode(i, j, int(std::lround(fx * 100)), int(std::lround(fy * 100)));
            }
        EngineRun run(model);
        ASSERT_EQ(run.Call(kElasticMode), kStatusDone);
        for (int e = 1; e <= run.engine->ElementCount(); ++e)
            for (int g = 1; g <= 9; ++g) {
                const GaussPointState& gp = run.engine->GaussPoint(e, g);
                EXPECT_NEAR(gp.totalStress[0], sx, 1e-6);
                EXPECT_NEAR(gp.totalStress[1], sy, 1e-6);
                EXPECT_NEAR(gp.totalStress[2], 0.0, 1e-6);
                const double* record =
                    &run.results[2 + 2 * run.engine->NodeCount() + 27 * (e - 1) + 3 * (g - 1)];
                EXPECT_NEAR(record[0], sy, 1e-6);
                EXPECT_NEAR(record[1], sx, 1e-6);
                EXPECT_NEAR(std::fabs(record[2]), M_PI / 2, 1e-6);
            }
        // Displacements of the uniform strain field (the single-precision Gauss weights integrate
        // a constant to 1 + 6e-8).
        for (int j = 0; j <= model.ny; ++j)
            for (int i = 0; i <= model.nx; ++i) {
                const double u = (sx - nu * sy) / E * model.xs[i], v = (sy - nu * sx) / E * model.ys[j];
                EXPECT_NEAR(run.U(model.Node(i, j), 1), u, 1e-6 * std::fabs(u) + 1e-15);
                EXPECT_NEAR(run.U(model.Node(i, j), 2), v, 1e-6 * std::fabs(v) + 1e-15);
                ux[formulation].push_back(run.U(model.Node(i, j), 1));
            }
        // A second elastic step doubles the uniform state.
        ASSERT_EQ(run.Call(kElasticMode), kStatusDone);
        EXPECT_NEAR(run.engine->GaussPoint(5, 5).totalStress[0], 2 * sx, 1e-6);
        EXPECT_NEAR(run.engine->GaussPoint(5, 5).totalStress[1], 2 * sy, 1e-6);
    }
    for (size_t i = 0; i < ux[1].size(); ++i) EXPECT_NEAR(ux[1][i], ux[2][i], 1e-12);
}

TEST(EnginePhysics, SlenderCantileverAgreesWithBeamTheory) {
    // 4000 × 400 mm, 20 × 2 elements, clamped at x = 0, tip shear P.
    const double L = 4000, h = 400, t = 200, E = 30000, nu = double(0.2f), P = 20000;
    double tip[3] = {0, 0, 0};
    for (int formulation : {1, 2}) {
        GridModel model(std::vector<int>(20, 200), {200, 200});
        model.formulation = formulation;
        model.RestrainColumn(0, 12);
        model.LoadNode(20, 0, 0, int(P * 100 / 6));
        model.LoadNode(20, 1, 0, int(P * 100 * 4 / 6));
        model.LoadNode(20, 2, 0, int(P * 100 / 6));
        EngineRun run(model);
        ASSERT_EQ(run.Call(kElasticMode), kStatusDone);
        tip[formulation] = run.U(model.Node(20, 1), 2);
    }
    const double I = t * h * h * h / 12, G = E / (2 * (1 + nu)), A = t * h;
    const double beam = P * L * L * L / (3 * E * I) + P * L / (5.0 / 6.0 * G * A);
    EXPECT_NEAR(tip[2], beam, 0.02 * beam);
    EXPECT_LT(tip[1], 0.92 * tip[2]); // the plain element locks in shear and is markedly stiffer
}

TEST(EnginePhysics, GravityReactionsBalanceTheSelfWeight) {
    // Gravity acts towards +y, so the wall stands on supports along its last row (the bottom of the
    // screen, where the plan and the analysis view draw y downwards).
    GridModel model({500, 500, 500, 500}, {400, 400, 400});
    model.RestrainRow(3, 12);
    model.gravity = 980;
    model.concrete[0][3] = 250000; // 2500 kg/m3
    EngineRun run(model);
    ASSERT_EQ(run.Call(kElasticMode), kStatusDone);
    const Engine& engine = *run.engine;
    const double g = double(9.8f), volume = 2000.0 * 1200.0 * 200.0;
    const double weight = 2500.0 * 1e-9 * g * volume;
    // Reaction of a support = element forces minus the gravity load at its dofs.
    double reaction = 0.0, applied = 0.0;
    for (int e = 1; e <= engine.ElementCount(); ++e) {
        double f[8] = {};
        for (int gp = 1; gp <= 9; ++gp) {
            const PlaneGaussGeometry& geometry = engine.Geometry(e, gp);
            double B0[3][8];
            geometry.B0(B0);
            const double* s = engine.GaussPoint(e, gp).totalStress;
            for (int l = 0; l < 8; ++l)
                f[l] += (B0[0][l] * s[0] + B0[1][l] * s[1] + B0[2][l] * s[2]) * geometry.factor;
        }
        for (int a = 0; a < 4; ++a) {
            applied += engine.ElementGravityLoad(e)[2 * a + 1];
            const int node = engine.Element(e).nodes[a];
            if (engine.EquationNumber(2 * node) == 0)
                reaction += f[2 * a + 1] - engine.ElementGravityLoad(e)[2 * a + 1];
        }
    }
    EXPECT_NEAR(applied, weight, 1e-6 * weight);
    EXPECT_NEAR(reaction, -weight, 1e-6 * weight); // the supports push back against the +y weight
    // The base row carries the weight above its mid-height in compression.
    double mean = 0.0;
    for (int i = 0; i < 4; ++i)
        for (int gp = 1; gp <= 9; ++gp)
            mean += engine.GaussPoint(model.ElementAt(i, 2), gp).totalStress[1] / 36.0;
    const double expected = -weight * (1000.0 / 1200.0) / (2000.0 * 200.0);
    EXPECT_NEAR(mean, expected, 0.05 * std::fabs(expected));
}
