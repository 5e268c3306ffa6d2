// The engine's public face: Start and Step give, bit for bit, what the step-numbered call gives in a
// buffer of the caller's; the result view reads every value where the layout says it is; a step that
// is not done, a step before any start, a method the engine lacks and a model beyond its capacities are
// refused without touching the analysis that stands.
#include "EngineTestModels.h"
#include "engine/InputLayout.h"
#include "engine/ResultLayout.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <span>

using namespace torva::engine;
using namespace torva::engine::test;

namespace {

// A 3 × 2 wall with bars, pushed at its top-left corner, element 4 the output element.
GridModel PushedWall() {
    GridModel m({500, 500, 500}, {400, 400});
    m.RestrainRow(0, 12);
    m.gravity = 980;
    m.rebar.push_back(kWallRebar);
    m.SetRebar(1);
    m.concreteSelector = 1;
    m.LoadNode(0, 2, 1000000, 0);
    m.controlNode = m.Node(0, 2);
    m.elements[3][8] = 1;
    m.activeOutput = 1;
    return m;
}

bool SameBits(std::span<const double> a, std::span<const double> b) {
    return a.size() <= b.size() && std::equal(a.begin(), a.end(), b.begin());
}

} // namespace

TEST(EngineStartStep, StartAndStepAreTheNumberedCallsToTheBit) {
    const GridModel model = PushedWall();
    EngineRun numbered(model);
    Engine engine;
    // An elastic start, then push-over steps with a reversal, as the command line's increments run.
    const double increments[] = {0.0, 0.2, 0.2, -0.5, 0.3};
    for (int k = 0; k < 5; ++k) {
        const int mode = k == 0 ? kElasticMode : kPushoverMode;
        const int expected = numbered.Call(mode, increments[k]);
        const RunStatus status =
            k == 0 ? engine.Start(model.Stream(), mode, increments[k]) : engine.Step(increments[k], mode);
        ASSERT_EQ(StatusCode(status), expected) << k;
        ASSERT_EQ(expected, kStatusDone) << k;
        EXPECT_EQ(engine.StepCount(), numbered.step);
        EXPECT_EQ(engine.Mode(), mode);
        const ResultView view = engine.Results();
        ASSERT_EQ(view.Values().size(), size_t(2 + 2 * 12 + 27 * 6 + 72)) << k;
        EXPECT_TRUE(SameBits(view.Values(), numbered.results)) << k;
        // Past the used part the buffer holds zeros, as a fresh buffer of the caller's would.
        EXPECT_TRUE(std::all_of(view.Buffer().begin() + view.Layout().Size(), view.Buffer().end(),
                                [](double v) { return v == 0.0; }));
    }
    // Step without a mode keeps the last one.
    ASSERT_EQ(numbered.Call(kPushoverMode, 0.1), kStatusDone);
    ASSERT_EQ(engine.Step(0.1), RunStatus::Done);
    EXPECT_TRUE(SameBits(engine.Results().Values(), numbered.results));
}

TEST(EngineStartStep, TheViewReadsWhereTheEngineWrote) {
    const GridModel model = PushedWall();
    Engine engine;
    ASSERT_EQ(engine.Start(model.Stream(), kPushoverMode, 0.1), RunStatus::Done);
    const ResultView view = engine.Results();
    EXPECT_EQ(view.Layout(), ResultLayout(12, 6, OutputBlockKind::Plane));
    const int control = model.controlNode;
    EXPECT_EQ(view.ControlDisplacement(), view.Displacement(control - 1, 0));
    EXPECT_NE(view.ControlForce(), 0.0);
    const int equation = engine.EquationNumber(2 * control); // y of the control node
    EXPECT_EQ(view.Displacement(control - 1, 1), engine.TotalDisplacement(equation));
    for (int e = 1; e <= 6; ++e)
        for (int g = 1; g <= kGaussPoints; ++g)
            for (int v = 0; v < 3; ++v)
                ASSERT_EQ(view.Gauss(e - 1, g - 1, v), engine.GaussPoint(e, g).concrete.principal[v]);
    // The output block: per Gauss point the first direction's four values, then the second's.
    const double fc = 30.0, rho = 100.0 / 200.0 / 200.0;
    for (int g = 1; g <= kGaussPoints; ++g) {
        const GaussPointState& gp = engine.GaussPoint(4, g);
        EXPECT_EQ(view.Output(g - 1, 0, 0), gp.concrete.principal[0] / fc);
        EXPECT_EQ(view.Output(g - 1, 1, 0), gp.concrete.principal[1] / fc);
        EXPECT_NEAR(view.Output(g - 1, 1, 2), gp.rebarStress[1] / (rho * 400.0), 1e-12);
    }
    EXPECT_EQ(view.Layout().OutputValue(8, 1, 3) + 1, view.Layout().Size());
}

TEST(EngineStartStep, JointAndNoOutputBlocksSizeTheUsedPart) {
    GridModel joint({500, 0, 500}, {500});
    joint.RestrainRow(1, 12);
    joint.LoadNode(0, 0, 2000000, 0);
    joint.elements[1][8] = 3;
    joint.activeOutput = 3;
    Engine engine;
    ASSERT_EQ(engine.Start(joint.Stream(), kElasticMode, 0.0), RunStatus::Done);
    EXPECT_EQ(engine.Results().Layout(), ResultLayout(8, 3, OutputBlockKind::Joint));
    EXPECT_EQ(engine.Results().Values().size(), size_t(2 + 16 + 81 + 8));
    // Spring 2, concrete force over |Fc|; the joint has no bars, so its steel values are 0.
    EXPECT_EQ(engine.Results().Output(0, 1, 0),
              engine.JointStateOf(2).spring[1].concreteForce / std::fabs(engine.JointOf(2).Fc));
    EXPECT_EQ(engine.Results().Output(0, 1, 2), 0.0);

    joint.activeOutput = 2; // names no element
    ASSERT_EQ(engine.Start(joint.Stream(), kElasticMode, 0.0), RunStatus::Done);
    EXPECT_EQ(engine.Results().Layout().Output(), OutputBlockKind::None);
    EXPECT_EQ(engine.Results().Values().size(), size_t(2 + 16 + 81));
}

TEST(EngineStartStep, RefusalsLeaveTheStandingAnalysis) {
    Engine engine;
    EXPECT_EQ(engine.Step(0.1), RunStatus::BadInput); // nothing started
    EXPECT_FALSE(engine.Started());

    const GridModel model = PushedWall();
    ASSERT_EQ(engine.Start(model.Stream(), kPushoverMode, 0.1), RunStatus::Done);
    const std::vector<double> first(engine.Results().Values().begin(), engine.Results().Values().end());

    EXPECT_EQ(engine.Start(model.Stream(), 3, 0.1), RunStatus::BadInput); // no such mode
    EXPECT_EQ(engine.StepCount(), 1);
    EXPECT_TRUE(SameBits(engine.Results().Values(), first));

    // Without loads the control node does not respond: the step is not done and not counted.
    GridModel unloaded = PushedWall();
    unloaded.loads.clear();
    Engine other;
    ASSERT_EQ(other.Start(model.Stream(), kPushoverMode, 0.1), RunStatus::Done);
    ASSERT_EQ(other.Step(0.1), RunStatus::Done);
    EXPECT_EQ(engine.Step(0.1), RunStatus::Done); // the refused start did not end this analysis
    EXPECT_STREQ(engine.Message(), "");
    EXPECT_TRUE(SameBits(engine.Results().Values(), other.Results().Values()));
    ASSERT_EQ(other.Start(unloaded.Stream(), kElasticMode, 0.0), RunStatus::Done);
    const std::vector<double> kept(other.Results().Values().begin(), other.Results().Values().end());
    EXPECT_EQ(other.Step(0.1, kPushoverMode), RunStatus::NoResponse);
    EXPECT_EQ(other.StepCount(), 1);
    EXPECT_EQ(other.Mode(), kElasticMode);
    EXPECT_TRUE(SameBits(other.Results().Values(), kept));
}

TEST(EngineStartStep, AModelBeyondTheCapacitiesIsRefused) {
    const GridModel model = PushedWall(); // 12 nodes, 6 elements
    Engine fewNodes({11, 6, kMaxProfile}), fewElements({12, 5, kMaxProfile}), shortProfile({12, 6, 20});
    Engine exact({12, 6, kMaxProfile});
    EXPECT_EQ(fewNodes.Start(model.Stream(), kElasticMode, 0.0), RunStatus::BadInput);
    EXPECT_EQ(fewElements.Start(model.Stream(), kElasticMode, 0.0), RunStatus::BadInput);
    EXPECT_EQ(shortProfile.Start(model.Stream(), kElasticMode, 0.0), RunStatus::BadInput);
    ASSERT_EQ(exact.Start(model.Stream(), kElasticMode, 0.0), RunStatus::Done);
    EXPECT_EQ(exact.Results().Buffer().size(), size_t(ResultLayout::LargestSize(12, 6)));
    Engine full;
    ASSERT_EQ(full.Start(model.Stream(), kElasticMode, 0.0), RunStatus::Done);
    EXPECT_TRUE(SameBits(exact.Results().Values(), full.Results().Values()));
}

TEST(EngineStartStep, TheInputLayoutLocatesEverySectionOfAStream) {
    const GridModel model = PushedWall();
    const std::vector<int32_t> stream = model.Stream();
    const InputLayout layout({12, int(model.restraints.size()), 1, 1, 1, 6});
    ASSERT_EQ(layout.Length(), int(stream.size()));
    EXPECT_EQ(stream[layout.Nodes() + 2 * 5], model.nodes[5][0]);
    EXPECT_EQ(stream[layout.Restraints()], model.restraints[0][0]);
    EXPECT_EQ(stream[layout.Gravity()], 980);
    EXPECT_EQ(stream[layout.ConcreteCount()], 1);
    EXPECT_EQ(stream[layout.ConcreteTypes() + 4], kWallConcrete[4]);
    EXPECT_EQ(stream[layout.RebarCount()], 1);
    EXPECT_EQ(stream[layout.RebarTypes() + 6], kWallRebar[6]);
    EXPECT_EQ(stream[layout.ElementCount()], 6);
    EXPECT_EQ(stream[layout.Elements() + InputLayout::kElementEntries * 3 + 8], 1); // element 4's output
    EXPECT_EQ(stream[layout.Loads()], model.controlNode);
    EXPECT_EQ(stream[layout.Trailer()], model.controlNode);
    EXPECT_EQ(stream[layout.Trailer() + 4], 1); // the active output number
}

TEST(EngineStartStep, EveryStepsPrincipalStressesAreThoseOfItsGaussPoints) {
    // The stresses of the result buffer are taken from the states while a step updates them: after
    // every step, by either method, on one thread or two, with the states written past the cache or
    // not, they are the principal stresses the Gauss points hold, to the bit.
    struct Case {
        AnalysisMethod method;
        int threads;
        bool streamed;
    };
    for (const Case c : {Case{AnalysisMethod::Classic, 1, false}, Case{AnalysisMethod::Classic, 2, true},
                         Case{AnalysisMethod::Classic, 1, true}, Case{AnalysisMethod::Mcft, 2, false}}) {
        GridModel model = CantileverWall();
        model.concreteSelector = 1;
        model.rebarSelector = 1;
        Engine engine;
        engine.SetElementThreads(c.threads, 1);
        if (c.streamed) EngineTestAccess(engine).SetStreamedStates(0);
        ASSERT_EQ(engine.Start(model.Stream(), kPushoverMode, 0.5, c.method), RunStatus::Done);
        for (int k = 0; k < 4; ++k) {
            if (k > 0) {
                ASSERT_EQ(engine.Step(k < 3 ? 1.0 : -0.5), RunStatus::Done) << k;
            }
            const ResultView view = engine.Results();
            double largest = 0.0;
            for (int e = 1; e <= engine.ElementCount(); ++e)
                for (int g = 1; g <= kGaussPoints; ++g) {
                    const GaussPointState& gp = engine.GaussPoint(e, g);
                    largest = std::max(largest, gp.concrete.principal[0]);
                    for (int v = 0; v < 3; ++v) {
                        ASSERT_EQ(view.Gauss(e - 1, g - 1, v), gp.concrete.principal[v])
                            << int(c.method) << " " << k << " " << e << " " << g;
                    }
                }
            if (k == 2) {
                EXPECT_GT(largest, 1.0) << "the steps reach stresses near cracking";
            }
        }
    }
    // An element without concrete keeps its set-up stresses under the iterative method, also in an
    // engine whose last analysis, by the classic method, stressed it.
    GridModel model = CantileverWall();
    model.concreteSelector = 1;
    Engine engine;
    ASSERT_EQ(engine.Start(model.Stream(), kPushoverMode, 2.0), RunStatus::Done);
    const int bare = model.ElementAt(1, 7);
    ASSERT_NE(engine.GaussPoint(bare, 5).concrete.principal[0], 0.0);
    model.elements[size_t(bare - 1)][4] = 0;
    ASSERT_EQ(engine.Start(model.Stream(), kPushoverMode, 0.5, AnalysisMethod::Mcft), RunStatus::Done);
    ASSERT_EQ(engine.Step(0.5), RunStatus::Done);
    const ResultView view = engine.Results();
    for (int e = 1; e <= engine.ElementCount(); ++e)
        for (int g = 1; g <= kGaussPoints; ++g)
            for (int v = 0; v < 3; ++v) {
                ASSERT_EQ(view.Gauss(e - 1, g - 1, v), engine.GaussPoint(e, g).concrete.principal[v]) << e;
            }
    EXPECT_EQ(view.Gauss(bare - 1, 4, 0), 0.0);
}
