// Support reactions against hand statics on the example cantilever (clamped at x = 0, loaded at the
// tip, with its own weight): the reactions add up to minus gravity plus the point loads times the load
// factor, and their moment about the clamp balances the tip load's and the weight's (each element's
// weight at its centroid). A linear model keeps this in every push-over step of the classic method, so
// the load factor the engine reports is checked step by step; the iterative method balances to its
// convergence tolerance.
#include "analysis/SupportReactions.h"

#include "TestModels.h"
#include "analysis/EngineInputPacker.h"
#include "analysis/Mesh.h"
#include "engine/Engine.h"
#include "model/ModelFile.h"
#include "support/TempDir.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>

namespace torva {
namespace {

std::unique_ptr<CFramePat> Cantilever() {
    auto model = std::make_unique<CFramePat>();
    FileError error;
    EXPECT_TRUE(LoadModelFile((test::SourceDir() / "examples" / "cantilever.fem").string(), *model, error))
        << error.message;
    return model;
}

// Weight and its moment about the origin (x·Fy − y·Fx), worked out by hand from the mesh.
struct Statics {
    double force[2] = {0, 0};
    double moment = 0;
};

Statics HandStatics(const engine::Engine& engine, const Mesh& mesh) {
    Statics out;
    for (int e = 0; e < mesh.elementCount; ++e) {
        const engine::ElementRecord& record = engine.Element(e + 1);
        if (record.discrete != 0 || record.concreteType == 0) continue;
        const engine::ConcreteType& concrete = engine.Concrete(record.concreteType);
        double xs[4], ys[4];
        for (int c = 0; c < 4; ++c) {
            xs[c] = mesh.nodeX[mesh.ElementNode(e, c)];
            ys[c] = mesh.nodeY[mesh.ElementNode(e, c)];
        }
        const double width = std::fabs(xs[1] - xs[0]), height = std::fabs(ys[3] - ys[0]);
        const double weight =
            concrete.density * 1e-9 * engine.Gravity() * concrete.thickness * width * height;
        const double cx = (xs[0] + xs[1] + xs[2] + xs[3]) / 4;
        out.force[1] += weight; // gravity acts towards +y
        out.moment += cx * weight;
    }
    return out;
}

double ReactionMoment(const SupportReactions& reactions, const Mesh& mesh) {
    double moment = 0;
    for (const NodeReaction& r : reactions.nodes)
        moment += mesh.nodeX[r.node] * r.force[1] - mesh.nodeY[r.node] * r.force[0];
    return moment;
}

double LoadMoment(const engine::Engine& engine, const Mesh& mesh, double factor) {
    double moment = 0;
    for (int r = 1; r <= engine.LoadCount(); ++r) {
        const engine::PointLoad& load = engine.Load(r);
        const int node = load.node - 1;
        moment += factor * (mesh.nodeX[node] * load.fy - mesh.nodeY[node] * load.fx);
    }
    return moment;
}

// Every restrained dof of the clamp is there once, and the totals balance.
void ExpectBalanced(const SupportReactions& reactions, const engine::Engine& engine, const Mesh& mesh,
                    double relative) {
    const Statics weight = HandStatics(engine, mesh);
    const double scale = std::fabs(reactions.Applied(0)) + std::fabs(reactions.Applied(1));
    ASSERT_GT(scale, 0);
    for (int d = 0; d < 2; ++d) {
        // The engine integrates with single-precision Gauss weights: some 1e-8 off the exact weight.
        EXPECT_NEAR(reactions.gravity[d], weight.force[d], 1e-7 * scale) << "direction " << d;
        EXPECT_NEAR(reactions.sum[d], -reactions.Applied(d), relative * scale) << "direction " << d;
    }
    const double lever = 3000; // the cantilever's length
    // The weight's moment at the engine's own weight (see above) about the same centroids.
    const double applied = LoadMoment(engine, mesh, reactions.loadFactor) +
                           weight.moment * reactions.gravity[1] / weight.force[1];
    EXPECT_NEAR(ReactionMoment(reactions, mesh), -applied, relative * scale * lever);
}

TEST(SupportReactions, ElasticCantileverBalancesTheTipLoadAndItsWeight) {
    auto model = Cantilever();
    auto mesh = test::ScannedMesh(*model);
    auto engine = std::make_unique<engine::Engine>();
    EXPECT_TRUE(ComputeSupportReactions(*engine).nodes.empty()); // nothing before an analysis
    ASSERT_EQ(engine->Start(PackEngineInput(*mesh, *model), engine::kElasticMode, 0.0),
              engine::RunStatus::Done);

    const SupportReactions reactions = ComputeSupportReactions(*engine);
    EXPECT_EQ(reactions.loadFactor, 1.0); // the gravity state and one load step
    ASSERT_EQ(static_cast<int>(reactions.nodes.size()), mesh->restraintCount);
    for (const NodeReaction& r : reactions.nodes) {
        EXPECT_EQ(mesh->nodeX[r.node], 0) << "a reaction away from the clamp";
        EXPECT_TRUE(r.fixed[0] && r.fixed[1]);
    }
    double tip[2] = {0, 0};
    for (int r = 1; r <= engine->LoadCount(); ++r) tip[0] += engine->Load(r).fx, tip[1] += engine->Load(r).fy;
    EXPECT_NEAR(reactions.pointLoads[0], tip[0], 1e-12 * (1 + std::fabs(tip[0])));
    EXPECT_NEAR(reactions.pointLoads[1], tip[1], 1e-12 * (1 + std::fabs(tip[1])));
    ASSERT_GT(std::fabs(reactions.gravity[1]), 0); // the example has a weight to carry
    ExpectBalanced(reactions, *engine, *mesh, 1e-9);
}

TEST(SupportReactions, LinearPushoverBalancesTheLoadFactorOfEveryStep) {
    auto model = Cantilever();
    model->engineFlagA = 0; // linear concrete and bars: every forward step is in equilibrium
    model->engineFlagB = 0;
    auto mesh = test::ScannedMesh(*model);
    auto engine = std::make_unique<engine::Engine>();
    ASSERT_EQ(engine->Start(PackEngineInput(*mesh, *model), engine::kPushoverMode, 0.5),
              engine::RunStatus::Done);
    // Linear: the load factor is the control displacement moved since the gravity state over the tip's
    // flexibility, so it keeps its ratio to the sum of the increments.
    const double perMm = ComputeSupportReactions(*engine).loadFactor / 0.5;
    EXPECT_GT(std::fabs(perMm), 0);
    double moved = 0.5;
    for (double increment : {0.5, 1.0, -2.0}) {
        ASSERT_EQ(engine->Step(increment), engine::RunStatus::Done);
        moved += increment;
        const SupportReactions reactions = ComputeSupportReactions(*engine);
        EXPECT_NEAR(reactions.loadFactor, perMm * moved, 1e-9 * std::fabs(perMm));
        // The step's stresses pass through principal axes at single-precision angles: some 1e-7 of the
        // internal forces is left unbalanced, where a lost reaction or a wrong load factor is off by
        // percents.
        ExpectBalanced(reactions, *engine, *mesh, 1e-5);
    }
}

TEST(SupportReactions, IterativeMethodBalancesToItsTolerance) {
    auto model = Cantilever();
    auto mesh = test::ScannedMesh(*model);
    auto engine = std::make_unique<engine::Engine>();
    ASSERT_EQ(engine->Start(PackEngineInput(*mesh, *model), engine::kPushoverMode, 0.5,
                            engine::AnalysisMethod::Mcft),
              engine::RunStatus::Done);
    for (int step = 0; step < 3; ++step) ASSERT_EQ(engine->Step(0.5), engine::RunStatus::Done);
    const SupportReactions reactions = ComputeSupportReactions(*engine);
    EXPECT_EQ(reactions.loadFactor, engine->Iterative()->LoadFactor());
    ExpectBalanced(reactions, *engine, *mesh, 1e-3);
}

} // namespace
} // namespace torva
