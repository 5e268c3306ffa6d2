// Status 6: a step whose displacements, forces or stresses would not be finite is never reported as
// done, and the result buffer keeps the last good step. Status 5 names the capacity a model exceeds.
#include "EngineTestModels.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

using namespace torva::engine;
using namespace torva::engine::test;

namespace {

GridModel PushedWall() {
    GridModel model({500, 500, 500, 500}, {400, 400, 400});
    model.RestrainRow(0, 12);
    model.gravity = 980;
    model.LoadNode(4, 3, 1000000, 0);
    model.controlNode = model.Node(4, 3);
    model.controlDirection = 1;
    return model;
}

bool AllFinite(const std::vector<double>& values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

} // namespace

TEST(EngineNonFinite, AHugeIncrementIsRefusedBeforeItChangesAnything) {
    // The same run with and without a refused step in between ends bit for bit alike.
    EngineRun clean(PushedWall());
    ASSERT_EQ(clean.Call(kPushoverMode, 0.1), kStatusDone);
    ASSERT_EQ(clean.Call(kPushoverMode, 0.5), kStatusDone);

    for (double huge : {1e308, -1e250, 1e160}) {
        EngineRun run(PushedWall());
        ASSERT_EQ(run.Call(kPushoverMode, 0.1), kStatusDone);
        const std::vector<double> kept = run.results;
        const double total = run.engine->TotalDisplacement(1);
        const double strain = run.engine->GaussPoint(1, 1).strain[0];
        EXPECT_EQ(run.Call(kPushoverMode, huge), kStatusNotFinite) << huge;
        EXPECT_EQ(run.results, kept);
        EXPECT_EQ(run.engine->TotalDisplacement(1), total);
        EXPECT_EQ(run.engine->GaussPoint(1, 1).strain[0], strain);
        // The caller may try the step again with a sensible increment.
        --run.step;
        EXPECT_EQ(run.Call(kPushoverMode, 0.5), kStatusDone);
        EXPECT_EQ(run.results, clean.results) << huge;
    }
}

TEST(EngineNonFinite, MaterialValuesThatGiveNoNumberStopTheFirstCall) {
    // The secant law with eps0 = 0 divides 0 by 0: once this was status 0 with NaN stresses.
    GridModel model = PushedWall();
    model.concrete[0][6] = 0;
    model.concreteSelector = 1;
    EngineRun run(model);
    std::fill(run.results.begin(), run.results.end(), 7.0);
    EXPECT_EQ(run.Call(kPushoverMode, 0.1), kStatusNotFinite);
    EXPECT_TRUE(std::all_of(run.results.begin(), run.results.end(), [](double v) { return v == 7.0; }));
    // The states are spoilt: every later step is refused alike, until a new analysis.
    EXPECT_EQ(run.Call(kPushoverMode, 0.1), kStatusNotFinite);
    EXPECT_EQ(run.Call(kElasticMode), kStatusNotFinite);
    run.step = 0;
    run.stream = PushedWall().Stream();
    EngineTestAccess(*run.engine).Run(run.results, 0.1, run.stream, kPushoverMode, run.step, run.status);
    EXPECT_EQ(run.status, kStatusDone);
    EXPECT_TRUE(AllFinite(run.results));
}

// Every state an analysis carries from step to step, element by element, as bytes (the hysteretic
// concrete law's records beside the Gauss points included).
std::vector<unsigned char> StateBytes(const Engine& engine) {
    std::vector<unsigned char> bytes;
    auto add = [&bytes](const auto& value) {
        const auto* p = reinterpret_cast<const unsigned char*>(&value);
        bytes.insert(bytes.end(), p, p + sizeof(value));
    };
    for (int e = 1; e <= engine.ElementCount(); ++e) {
        for (int g = 1; g <= 9; ++g) {
            add(engine.GaussPoint(e, g));
            if (const ConcreteHysteresis* own = engine.Hysteresis(e, g)) add(own[0]), add(own[1]);
        }
        add(engine.JointStateOf(e));
        add(engine.ElementChanged(e));
        for (int k = 0; k < 32; ++k) add(engine.Condensation(e)[k]);
        for (int i = 1; i <= 20; ++i)
            for (int j = 1; j <= 20; ++j) add(engine.ElementStiffness(e, i, j));
    }
    for (int eq = 1; eq <= engine.EquationCount(); ++eq) {
        add(engine.TotalDisplacement(eq));
        add(engine.DisplacementIncrement(eq));
        add(engine.LoadIncrement(eq));
        add(engine.InternalForce(eq));
    }
    for (int k = 1; k <= engine.ProfileLength(); ++k) add(engine.Profile(k));
    add(engine.StiffnessChanged());
    return bytes;
}

TEST(EngineNonFinite, AStepSpoiltAfterTheUpdateLeavesTheStateAsBeforeIt) {
    // A material record the laws cannot work with is put under the engine for one step only, so that
    // the state update of that step yields values that are not finite: concrete with eps0 = 0 (the
    // concrete laws divide by it) in a push-over, bars of NaN area in load control, where the
    // concrete stays linear. The run then goes on exactly, bit for bit, as a run that never had the
    // bad step.
    struct Case {
        int mode, selector;
        bool concrete;
    };
    for (const Case c : {Case{kPushoverMode, 1, true}, Case{kPushoverMode, 2, true},
                         Case{kPushoverMode, 0, false}, Case{kElasticMode, 1, false}}) {
        GridModel model = PushedWall();
        model.rebar.push_back(kWallRebar);
        model.SetRebar(1);
        model.concreteSelector = c.selector;
        model.rebarSelector = c.concrete ? 0 : c.selector;
        const double increments[] = {0.1, 0.3, 0.4, 0.2, -0.3, 0.25};
        const std::string which =
            "mode " + std::to_string(c.mode) + " selector " + std::to_string(c.selector);

        EngineRun clean(model);
        for (double increment : increments) ASSERT_EQ(clean.Call(c.mode, increment), kStatusDone) << which;

        EngineRun run(model);
        for (int k = 0; k < 3; ++k) ASSERT_EQ(run.Call(c.mode, increments[k]), kStatusDone) << which;
        const std::vector<double> kept = run.results;
        const std::vector<unsigned char> before = StateBytes(*run.engine);
        EngineTestAccess access(*run.engine);
        const ConcreteType concrete = access.ConcreteRecord(1);
        const RebarType rebar = access.RebarRecord(1);
        if (c.concrete)
            access.ConcreteRecord(1).eps0 = 0.0;
        else
            access.RebarRecord(1).Ax = access.RebarRecord(1).Ay = std::nan("");
        EXPECT_EQ(run.Call(c.mode, 0.2), kStatusNotFinite) << which;
        access.ConcreteRecord(1) = concrete;
        access.RebarRecord(1) = rebar;
        EXPECT_EQ(run.results, kept) << which;
        EXPECT_TRUE(StateBytes(*run.engine) == before) << which;

        --run.step; // the refused step is run again, with sound values
        for (int k = 3; k < 6; ++k) ASSERT_EQ(run.Call(c.mode, increments[k]), kStatusDone) << which;
        EXPECT_EQ(run.results, clean.results) << which;
        EXPECT_TRUE(StateBytes(*run.engine) == StateBytes(*clean.engine)) << which;
    }
}

TEST(EngineNonFinite, ASpoiltStepOnTwoThreadsLeavesJointsAndPlanesAsBefore) {
    // The element loops on two threads over a wall with a joint column: the new states of a step go
    // to a second buffer, which takes over only when the step stands. A refused step, then three good
    // ones, end as a one-thread run that never had the bad step, byte for byte, Gauss points of the
    // joints (which have none to update) and stored element terms included.
    GridModel model({500, 500, 0, 500, 500}, {400, 400, 400});
    model.RestrainRow(0, 12);
    model.LoadNode(5, 3, 1000000, 0);
    model.controlNode = model.Node(5, 3);
    model.controlDirection = 1;
    model.rebar.push_back(kWallRebar);
    model.SetRebar(1);
    model.concreteSelector = 1;
    model.rebarSelector = 2;
    const double increments[] = {0.1, 0.3, 0.4, 0.2, -0.3, 0.25};

    EngineRun clean(model);
    clean.engine->SetElementThreads(1);
    for (double increment : increments) ASSERT_EQ(clean.Call(kPushoverMode, increment), kStatusDone);

    EngineRun run(model);
    run.engine->SetElementThreads(2, 1);
    // A joint's Gauss points keep their set-up state through every step, whichever buffer is current.
    const int joint = model.ElementAt(2, 1);
    auto jointPoints = [&run, joint] {
        std::vector<unsigned char> bytes;
        for (int g = 1; g <= 9; ++g) {
            const auto* p = reinterpret_cast<const unsigned char*>(&run.engine->GaussPoint(joint, g));
            bytes.insert(bytes.end(), p, p + sizeof(GaussPointState));
        }
        return bytes;
    };
    ASSERT_EQ(run.Call(kPushoverMode, increments[0]), kStatusDone);
    ASSERT_NE(run.engine->Element(joint).discrete, 0);
    EXPECT_EQ(run.engine->GaussPoint(joint, 5).concrete.dir[0].E, 30000.0);
    const std::vector<unsigned char> setUp = jointPoints();
    for (int k = 1; k < 3; ++k) {
        ASSERT_EQ(run.Call(kPushoverMode, increments[k]), kStatusDone);
        EXPECT_TRUE(jointPoints() == setUp) << "step " << k + 1;
    }
    const std::vector<double> kept = run.results;
    const std::vector<unsigned char> before = StateBytes(*run.engine);
    EngineTestAccess access(*run.engine);
    const ConcreteType concrete = access.ConcreteRecord(1);
    access.ConcreteRecord(1).eps0 = 0.0;
    EXPECT_EQ(run.Call(kPushoverMode, 0.2), kStatusNotFinite);
    access.ConcreteRecord(1) = concrete;
    EXPECT_EQ(run.results, kept);
    EXPECT_TRUE(StateBytes(*run.engine) == before);

    --run.step;
    for (int k = 3; k < 6; ++k) ASSERT_EQ(run.Call(kPushoverMode, increments[k]), kStatusDone);
    EXPECT_EQ(run.results, clean.results);
    EXPECT_TRUE(StateBytes(*run.engine) == StateBytes(*clean.engine));
    EXPECT_TRUE(jointPoints() == setUp);
    // The wall has its joints, and they took part.
    int joints = 0;
    for (int e = 1; e <= run.engine->ElementCount(); ++e) joints += run.engine->Element(e).discrete != 0;
    EXPECT_EQ(joints, 3);
}

TEST(EngineNonFinite, StatesWrittenPastTheCacheOrNotGiveTheSameRun) {
    // Large models write the new Gauss-point states past the cache, small ones straight into the
    // other buffer: forced one way and the other on the same wall (two threads, a joint column,
    // curved bars), a run with a refused step in it ends byte for byte alike. Under the hysteretic
    // concrete law its records beside the points go the same way.
    for (int selector : {1, 2}) {
        GridModel model({500, 500, 0, 500, 500, 500}, {400, 400, 400, 400});
        model.RestrainRow(0, 12);
        model.LoadNode(6, 4, 1000000, 0);
        model.controlNode = model.Node(6, 4);
        model.rebar.push_back(kWallRebar);
        model.SetRebar(1);
        model.concreteSelector = selector;
        model.rebarSelector = 2;
        const double increments[] = {0.1, 0.3, 0.4, -0.5, 0.25, 0.3};
        std::vector<unsigned char> states[2];
        std::vector<double> results[2];
        for (int streamed = 0; streamed < 2; ++streamed) {
            EngineRun run(model);
            run.engine->SetElementThreads(2, 1);
            EngineTestAccess access(*run.engine);
            access.SetStreamedStates(streamed ? 0 : size_t(1) << 40);
            for (int k = 0; k < 3; ++k) ASSERT_EQ(run.Call(kPushoverMode, increments[k]), kStatusDone);
            EXPECT_EQ(run.engine->Hysteresis(1, 1) != nullptr, selector == 2);
            const std::vector<unsigned char> before = StateBytes(*run.engine);
            const ConcreteType concrete = access.ConcreteRecord(1);
            // The hysteretic law makes do with eps0 = 0 on this wall; a modulus that is not a number
            // spoils it.
            if (selector == 2)
                access.ConcreteRecord(1).Ec = std::nan("");
            else
                access.ConcreteRecord(1).eps0 = 0.0;
            EXPECT_EQ(run.Call(kPushoverMode, 0.2), kStatusNotFinite) << selector << " " << streamed;
            access.ConcreteRecord(1) = concrete;
            EXPECT_TRUE(StateBytes(*run.engine) == before) << selector << " " << streamed;
            --run.step;
            for (int k = 3; k < 6; ++k) ASSERT_EQ(run.Call(kPushoverMode, increments[k]), kStatusDone);
            states[streamed] = StateBytes(*run.engine);
            results[streamed] = run.results;
        }
        EXPECT_TRUE(states[0] == states[1]) << selector;
        EXPECT_EQ(results[0], results[1]) << selector;
    }
}

TEST(EngineNonFinite, OrdinaryRunsStayDoneAndFinite) {
    // Long push-overs with reversals never trip the check.
    for (int selector = 0; selector <= 2; ++selector) {
        GridModel model = PushedWall();
        model.rebar.push_back(kWallRebar);
        model.SetRebar(1);
        model.concreteSelector = selector;
        EngineRun run(model);
        for (int k = 0; k < 40; ++k) {
            const double increment = k < 20 ? 0.2 : -0.3;
            ASSERT_EQ(run.Call(kPushoverMode, increment), kStatusDone) << selector << " step " << k;
        }
        EXPECT_TRUE(AllFinite(run.results));
    }
}

TEST(EngineRefusal, ACapacityExceededIsNamedWithWhatTheModelNeeds) {
    // The profile a roomy engine builds is exactly what a small one reports as needed.
    GridModel model({500, 500, 500, 500, 500, 500}, {400, 400, 400, 400});
    model.RestrainRow(0, 12);
    model.LoadNode(6, 4, 100000, 0);
    EngineRun roomy(model);
    ASSERT_EQ(roomy.Call(kElasticMode), kStatusDone);
    const int terms = roomy.engine->ProfileLength();
    ASSERT_GT(terms, 100);

    EngineCapacity small;
    small.profile = terms - 1;
    EngineRun tight(model);
    tight.engine = std::make_unique<Engine>(small);
    EXPECT_EQ(tight.Call(kElasticMode), kStatusBadInput);
    EXPECT_STREQ(tight.engine->Refusal().quantity, "skyline profile terms");
    EXPECT_EQ(tight.engine->Refusal().needed, terms);
    EXPECT_EQ(tight.engine->Refusal().capacity, terms - 1);
    // One term more and it fits.
    small.profile = terms;
    EngineRun exact(model);
    exact.engine = std::make_unique<Engine>(small);
    EXPECT_EQ(exact.Call(kElasticMode), kStatusDone);
    EXPECT_STREQ(exact.engine->Refusal().quantity, "");

    small = {};
    small.elements = 20;
    EngineRun crowded(model);
    crowded.engine = std::make_unique<Engine>(small);
    EXPECT_EQ(crowded.Call(kElasticMode), kStatusBadInput);
    EXPECT_STREQ(crowded.engine->Refusal().quantity, "elements");
    EXPECT_EQ(crowded.engine->Refusal().needed, 24);

    // An inconsistent stream names no capacity.
    GridModel broken = model;
    broken.elements[3][0] = 999;
    EngineRun inconsistent(broken);
    EXPECT_EQ(inconsistent.Call(kElasticMode), kStatusBadInput);
    EXPECT_STREQ(inconsistent.engine->Refusal().quantity, "");
}
