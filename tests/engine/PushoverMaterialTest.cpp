// Push-overs with the material laws on models a hand calculation can follow: a reinforced panel in
// tension and in shear, and yielding at the root of a cantilever; every run goes to its end without NaN.
#include "EngineTestModels.h"
#include "engine/EngineTestAccess.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

using namespace torva::engine;
using namespace torva::engine::test;

namespace {

// Concrete: t 200, E0 30000, nu 0.2, no weight, fc 30, ft 3, eps0 0.002.
constexpr std::array<int, 7> kPanelConcrete = {20000, 30, 2000, 0, 3000, 300, 20};
// Bars of 200 mm2 at 100 mm both ways (rho = 0.01), fy 400, Es 200000.
constexpr std::array<int, 7> kPanelRebar = {20000, 10000, 40000, 20000, 10000, 40000, 200};

bool AllFinite(const Engine& engine) {
    for (int e = 1; e <= engine.ElementCount(); ++e)
        for (int g = 1; g <= 9; ++g)
            for (double v : engine.GaussPoint(e, g).totalStress)
                if (!std::isfinite(v)) return false;
    return true;
}

// 500 × 500 mm of 2 × 2 elements, held in x along its left edge, pulled in x at its right edge.
GridModel TensionPanel(int concreteSelector, int rebarSelector) {
    GridModel m({250, 250}, {250, 250});
    m.concrete[0] = kPanelConcrete;
    m.rebar.push_back(kPanelRebar);
    m.SetRebar(1);
    m.RestrainColumn(0, 1);
    m.Restrain(0, 0, 12);
    m.LoadNode(2, 0, 100000, 0);
    m.LoadNode(2, 1, 200000, 0);
    m.LoadNode(2, 2, 100000, 0);
    m.controlNode = m.Node(2, 1);
    m.controlDirection = 1;
    m.concreteSelector = concreteSelector;
    m.rebarSelector = rebarSelector;
    return m;
}

} // namespace

TEST(PushoverMaterials, ReinforcedPanelCracksAtFtAndYieldsAtFy) {
    // Steps of 0.005 mm over 500 mm: strain 1e-5 a step. Hand calculation: cracking at ft / E0 = 1e-4
    // (u = 0.05 mm, step 10 or 11 by round-off), yielding at fy / Es = 0.002 (u = 1 mm, step 200 or 201).
    for (int concrete : {1, 2}) {
        EngineRun run(TensionPanel(concrete, 1));
        int firstCrack = 0, firstYield = 0;
        for (int k = 0; k < 260; ++k) {
            ASSERT_EQ(run.Call(kPushoverMode, 0.005), kStatusDone);
            int cracked = 0, yielded = 0;
            for (int e = 1; e <= 4; ++e)
                for (int g = 1; g <= 9; ++g) {
                    cracked += run.engine->GaussPoint(e, g).concrete.crack;
                    yielded += run.engine->GaussPoint(e, g).rebar.law[0].state == 2;
                }
            if (cracked != 0 && firstCrack == 0) {
                firstCrack = run.step;
                EXPECT_EQ(cracked, 36) << "a uniform field cracks everywhere at once";
            }
            if (yielded != 0 && firstYield == 0) firstYield = run.step;
            if (run.step == 51) {
                // On the softening branch at the direction's equivalent strain (which the Poisson term of
                // the cracked tangent makes differ from the total strain): ft (ecr / eps)^0.4 (secant) or
                // ft (ecr / eps) (hysteretic).
                const double eps = run.engine->GaussPoint(1, 5).concrete.dir[0].eps;
                const double expected = 3.0 * std::pow(1e-4 / eps, concrete == 1 ? 0.4 : 1.0);
                EXPECT_GT(eps, 3e-4);
                EXPECT_NEAR(run.engine->GaussPoint(1, 5).concrete.stress[0], expected, 1e-3 * expected);
                EXPECT_NEAR(run.engine->GaussPoint(1, 5).rebar.barStress[0], 102.0, 1e-6);
            }
            ASSERT_TRUE(AllFinite(*run.engine)) << "step " << run.step;
        }
        EXPECT_GE(firstCrack, 10);
        EXPECT_LE(firstCrack, 11);
        EXPECT_GE(firstYield, 200);
        EXPECT_LE(firstYield, 201);
        EXPECT_NEAR(run.engine->GaussPoint(2, 7).rebar.barStress[0], 400.0 + 0.001 * 200000 * 0.0006, 0.05);
    }
}

TEST(PushoverMaterials, CurvedBarsPassNearYield) {
    EngineRun run(TensionPanel(1, 2));
    for (int k = 0; k < 220; ++k) {
        ASSERT_EQ(run.Call(kPushoverMode, 0.005), kStatusDone);
        const double bar = run.engine->GaussPoint(1, 1).rebar.barStress[0];
        if (run.step == 200) { // at ey the Menegotto-Pinto curve with R = 20 is about 0.97 fy
            EXPECT_GT(bar, 0.95 * 400);
            EXPECT_LT(bar, 400);
        }
        EXPECT_TRUE(run.engine->ElementChanged(1)); // the curved law re-forms the stiffness every step
    }
    EXPECT_TRUE(AllFinite(*run.engine));
}

TEST(PushoverMaterials, PanelInShearCarriesFtThenRunsOnWithoutNaN) {
    // A 500 × 500 panel resting on supports along y = 500 under its own weight, sheared by a uniform
    // shear on its free edge and its sides. The small precompression keeps the principal axes just below
    // 45 degrees. Hand calculation: the first principal stress reaches ft when tau = ft (the
    // precompression of 0.01 N/mm2 changes that by 0.2 %).
    for (int concrete : {1, 2}) {
        GridModel m({500}, {500});
        m.gravity = 980;
        m.concrete[0] = {20000, 30, 2000, 240000, 3000, 300, 20};
        m.rebar.push_back(kPanelRebar);
        m.SetRebar(1);
        m.Restrain(0, 1, 12);
        m.Restrain(1, 1, 12);
        m.LoadNode(0, 0, 100000, 100000);
        m.LoadNode(1, 0, 100000, -100000);
        m.controlNode = m.Node(1, 0);
        m.controlDirection = 1;
        m.concreteSelector = concrete;
        m.rebarSelector = 1;
        EngineRun run(m);
        double peak = 0.0;
        for (int k = 0; k < 400; ++k) {
            ASSERT_EQ(run.Call(kPushoverMode, 0.002), kStatusDone);
            peak = std::max(peak, run.results[1] / (200.0 * 500.0));
        }
        EXPECT_TRUE(AllFinite(*run.engine));
        if (concrete == 2) {
            EXPECT_NEAR(peak, 3.0, 0.03 * 3.0);
        }
        // The secant law loses the tensile strength of a direction once compressed, and self-weight
        // compresses both a little: it carries less. Never more than ft.
        EXPECT_LE(peak, 3.0 * 1.03);
    }
}

TEST(PushoverMaterials, CantileverYieldsFirstAtTheRootOnItsTensionEdge) {
    // 3000 × 500 mm, 12 × 4 elements, clamped at x = 0, pushed down (+y) at its tip; linear concrete
    // and bilinear bars in x (rho 0.01). Section: E* = E0 + rho Es = 32000, I = 200 · 500^3 / 12.
    // The outermost Gauss point of the root element (x = 221.8, 235.9 mm from the axis) reaches ft at
    // P = ft E* I / (E0 y (L - x)) = 10.2 kN and the bar yield strain at P = 0.002 E* I / (y (L - x)).
    GridModel m(std::vector<int>(12, 250), std::vector<int>(4, 125));
    m.concrete[0] = kPanelConcrete;
    m.rebar.push_back({20000, 10000, 40000, 10000, 20000, 40000, 200});
    m.SetRebar(1);
    m.RestrainColumn(0, 12);
    for (int j = 0; j <= 4; ++j) m.LoadNode(12, j, 0, 200000);
    m.controlNode = m.Node(12, 2);
    m.controlDirection = 2;
    m.concreteSelector = 0;
    m.rebarSelector = 1;
    EngineRun run(m);
    const double I = 200.0 * 500.0 * 500.0 * 500.0 / 12.0, y = 250.0 - 125.0 * (1 - kGaussPosition[2]) / 2.0;
    const double arm = 3000.0 - 250.0 * (1 + kGaussPosition[2]) / 2.0;
    int tensionElement = 0, yieldElement = 0;
    double tensionLoad = 0, yieldLoad = 0;
    for (int k = 0; k < 150 && yieldElement == 0; ++k) {
        ASSERT_EQ(run.Call(kPushoverMode, 0.2), kStatusDone);
        for (int e = 1; e <= run.engine->ElementCount(); ++e)
            for (int g = 1; g <= 9; ++g) {
                const GaussPointState& gp = run.engine->GaussPoint(e, g);
                if (tensionElement == 0 && gp.concrete.principal[0] >= 3.0)
                    tensionElement = e, tensionLoad = run.results[1];
                if (yieldElement == 0 && gp.rebar.law[0].state == 2)
                    yieldElement = e, yieldLoad = run.results[1];
            }
    }
    EXPECT_EQ(tensionElement, 1); // root column, tension edge
    EXPECT_EQ(yieldElement, 1);
    EXPECT_NEAR(tensionLoad, 3.0 * 32000 * I / (30000 * y * arm), 0.05 * 10200);
    EXPECT_NEAR(yieldLoad, 0.002 * 32000 * I / (y * arm), 0.08 * 203000);
    EXPECT_TRUE(AllFinite(*run.engine));
}

TEST(PushoverMaterials, ChangedElementsAreAssembledBeforeTheNextStep) {
    // Each step leaves the profile holding the stiffness the next step solves with: it is the sum of the
    // stored element matrices, forming the changed elements once more changes no bit, and a run that
    // does so between its steps gives the same results to the bit.
    EngineRun run(TensionPanel(2, 2)), plain(TensionPanel(2, 2));
    for (int k = 0; k < 40; ++k) {
        ASSERT_EQ(run.Call(kPushoverMode, 0.01), kStatusDone);
        ASSERT_EQ(plain.Call(kPushoverMode, 0.01), kStatusDone);
        Engine& engine = *run.engine;
        ASSERT_TRUE(engine.ElementChanged(1));
        std::vector<double> profile, sum(engine.ProfileLength() + 1, 0.0);
        for (int p = 1; p <= engine.ProfileLength(); ++p) profile.push_back(engine.Profile(p));
        for (int e = 1; e <= engine.ElementCount(); ++e) {
            const auto list = engine.ElementDofList(e);
            for (size_t i = 0; i < list.size(); ++i)
                for (size_t j = 0; j < list.size(); ++j) {
                    const int ei = engine.EquationNumber(list[i]), ej = engine.EquationNumber(list[j]);
                    if (ei > 0 && ej >= ei)
                        sum[engine.DiagonalAddress(ej) + ej - ei] +=
                            engine.ElementStiffness(e, int(i) + 1, int(j) + 1);
                }
        }
        for (int p = 1; p <= engine.ProfileLength(); ++p)
            EXPECT_NEAR(profile[p - 1], sum[p], 1e-9 * std::fabs(sum[p]) + 1e-6) << p;
        EngineTestAccess(engine).UpdateChangedStiffness();
        for (int p = 1; p <= engine.ProfileLength(); ++p) ASSERT_EQ(engine.Profile(p), profile[p - 1]) << p;
        for (size_t i = 0; i < run.results.size(); ++i) ASSERT_EQ(run.results[i], plain.results[i]) << i;
    }
}

TEST(PushoverMaterials, StoredElementMatricesAreThoseFormedFromTheStates) {
    // The matrices a step forms go into the profile and into the element's stored terms, split by
    // columns over two threads: every stored term, both sides of the diagonal, is then what forming
    // the element from scratch stores (curved bars flag every element at every step).
    for (int threads : {1, 2}) {
        EngineRun run(TensionPanel(1, 2));
        run.engine->SetElementThreads(threads, 1);
        for (int k = 0; k < 6; ++k) ASSERT_EQ(run.Call(kPushoverMode, k < 4 ? 0.02 : -0.01), kStatusDone);
        Engine& engine = *run.engine;
        ASSERT_EQ(engine.ElementThreads(), threads);
        auto storedTerms = [&engine] {
            std::vector<double> terms;
            for (int e = 1; e <= engine.ElementCount(); ++e) {
                const int n = int(engine.ElementDofList(e).size());
                for (int i = 1; i <= n; ++i)
                    for (int j = 1; j <= n; ++j) terms.push_back(engine.ElementStiffness(e, i, j));
            }
            return terms;
        };
        const std::vector<double> stepped = storedTerms();
        EngineTestAccess(engine).AssembleStiffness();
        const std::vector<double> formed = storedTerms();
        ASSERT_EQ(stepped.size(), formed.size());
        for (size_t t = 0; t < formed.size(); ++t) ASSERT_EQ(stepped[t], formed[t]) << threads << " " << t;
    }
}

TEST(PushoverMaterials, StoredTermsAreTheTransformedMatricesOfTheLastFormation) {
    // Each stored term, read through the accessor in list order, is T' K T of the element's matrix
    // formed afresh from what its last formation used (a plane element: its points' D; a joint: its
    // springs), to the bit; a wall with a joint column mixes elements formed in place with joints, whose
    // dofs follow their neighbours. The condensed plane matrices are not symmetric to the bit, so a
    // stored term read across the diagonal would show.
    for (int threads : {1, 2}) {
        GridModel model({250, 0, 250, 250}, {250, 250, 250});
        model.concrete[0] = kPanelConcrete;
        model.rebar.push_back(kPanelRebar);
        model.SetRebar(1);
        model.RestrainRow(0, 12);
        model.LoadNode(4, 3, 100000, 0);
        model.controlNode = model.Node(4, 3);
        model.concreteSelector = 1;
        model.rebarSelector = 2;
        EngineRun run(model);
        run.engine->SetElementThreads(threads, 1);
        for (int k = 0; k < 5; ++k) ASSERT_EQ(run.Call(kPushoverMode, k < 3 ? 0.05 : -0.02), kStatusDone);
        const Engine& engine = *run.engine;
        int asymmetric = 0, joints = 0;
        for (int e = 1; e <= engine.ElementCount(); ++e) {
            const ElementRecord& element = engine.Element(e);
            double K[64], T[32];
            if (element.discrete != 0) {
                JointLocalStiffness(engine.JointStateOf(e), element.discrete, K);
                ++joints;
            } else {
                PlaneGaussGeometry geometry[9];
                double D[9][9];
                for (int g = 0; g < 9; ++g) {
                    geometry[g] = engine.Geometry(e, g + 1);
                    std::copy_n(engine.GaussPoint(e, g + 1).D, 9, D[g]);
                }
                PlaneElementStiffness(geometry, D, engine.Formulation(), K, T);
            }
            const int n = int(engine.ElementDofList(e).size());
            std::vector<double> expected(size_t(n * n), 0.0);
            for (int l1 = 1; l1 <= 8; ++l1)
                for (int m1 = 1; m1 <= n; ++m1)
                    for (int l2 = 1; l2 <= 8; ++l2)
                        for (int m2 = 1; m2 <= n; ++m2) {
                            const double f1 = engine.ElementTransform(e, l1, m1);
                            const double f2 = engine.ElementTransform(e, l2, m2);
                            if (f1 != 0.0 && f2 != 0.0)
                                expected[size_t((m1 - 1) + n * (m2 - 1))] +=
                                    f1 * K[8 * (l1 - 1) + l2 - 1] * f2;
                        }
            for (int i = 1; i <= n; ++i)
                for (int j = 1; j <= n; ++j) {
                    ASSERT_EQ(engine.ElementStiffness(e, i, j), expected[size_t((i - 1) + n * (j - 1))])
                        << threads << " " << e << " " << i << " " << j;
                    if (element.discrete == 0 &&
                        engine.ElementStiffness(e, i, j) != engine.ElementStiffness(e, j, i))
                        ++asymmetric;
                }
        }
        EXPECT_EQ(joints, 3);
        EXPECT_GT(asymmetric, 0);
    }
}
