// Whole result buffers of push-overs and elastic runs on 20 × 20 walls. With the reference
// factorisation, bit for bit: the fingerprints were taken from the straightforward solver and element
// routines, so any change of the arithmetic or of its order in the fast paths shows here. With the
// blocked factorisation (whose sums run in another order), every value within round-off of the
// reference run's.
#include "EngineTestModels.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace torva::engine;
using namespace torva::engine::test;

namespace {

// FNV-1a over the bit patterns of the used part of the buffer, chained from step to step.
struct Fingerprint {
    uint64_t hash = 14695981039346656037ull;
    void Add(const std::vector<double>& values, int count) {
        for (int i = 0; i < count; ++i) {
            uint64_t bits;
            std::memcpy(&bits, &values[i], sizeof bits);
            for (int b = 0; b < 8; ++b) {
                hash ^= (bits >> (8 * b)) & 0xff;
                hash *= 1099511628211ull;
            }
        }
    }
};

// 20 × 20 elements of 250 mm standing on their last row, pushed in x along the first row at its
// first node; bars everywhere, gravity on. `jointColumn` puts a zero-width joint column in the middle.
// `degenerate` folds one corner of an element onto the next (a triangle, two local dofs on one list
// entry).
GridModel Wall(int formulation, int concreteSelector, int rebarSelector, bool jointColumn,
               bool degenerate = false) {
    std::vector<int> widths(20, 250);
    if (jointColumn) widths.insert(widths.begin() + 10, 0);
    GridModel m(widths, std::vector<int>(20, 250));
    m.formulation = formulation;
    m.gravity = 980;
    m.rebar.push_back(kWallRebar);
    m.SetRebar(1);
    m.RestrainRow(20, 12);
    for (int i = 0; i <= m.nx; ++i) m.LoadNode(i, 0, 1000000, 0);
    m.controlNode = m.Node(0, 0);
    m.controlDirection = 1;
    m.concreteSelector = concreteSelector;
    m.rebarSelector = rebarSelector;
    m.elements[m.ElementAt(3, 18) - 1][8] = 1; // an output element near the foot
    m.activeOutput = 1;
    if (degenerate) {
        auto& element = m.elements[m.ElementAt(7, 12) - 1];
        element[2] = element[1];
    }
    return m;
}

struct Case {
    std::string name;
    int formulation, concreteSelector, rebarSelector;
    bool jointColumn;
    uint64_t expected;
    bool degenerate = false;
};

// Forward, back past zero and forward again: cracking, reversals of the bars and crack closing.
constexpr double kIncrements[] = {2.0, 4.0, 6.0, 8.0, 10.0, -12.0, -12.0, -6.0, 8.0, 10.0};

// The used part of the result buffer after every call of the push-over.
std::vector<std::vector<double>> PushoverBuffers(const Case& c, FactorKernel kernel) {
    EngineRun run(Wall(c.formulation, c.concreteSelector, c.rebarSelector, c.jointColumn, c.degenerate));
    run.engine->SetFactorKernel(kernel);
    std::vector<std::vector<double>> buffers;
    long cracked = 0, reversed = 0;
    for (double increment : kIncrements) {
        EXPECT_EQ(run.Call(kPushoverMode, increment), kStatusDone) << c.name << " step " << run.step;
        const int count = ResultLayout::LargestSize(run.engine->NodeCount(), run.engine->ElementCount());
        for (int i = 0; i < count; ++i)
            if (!std::isfinite(run.results[i])) ADD_FAILURE() << c.name << ": value " << i << " not finite";
        buffers.emplace_back(run.results.begin(), run.results.begin() + count);
        for (int e = 1; e <= run.engine->ElementCount(); ++e)
            for (int g = 1; g <= 9; ++g) {
                const GaussPointState& gp = run.engine->GaussPoint(e, g);
                cracked += gp.concrete.crack;
                for (const BarLawHistory& bar : gp.rebar.law)
                    reversed += c.rebarSelector == 2 ? bar.er != 0.0 : bar.eA != 0.0;
            }
    }
    // The run reaches what it is meant to check: open cracks, and bars past a reversal (curved) or
    // unloading after yield (bilinear).
    EXPECT_GT(cracked, 0) << c.name;
    EXPECT_GT(reversed, 0) << c.name;
    return buffers;
}

uint64_t PushoverFingerprint(const Case& c) {
    Fingerprint print;
    for (const std::vector<double>& buffer : PushoverBuffers(c, FactorKernel::Reference))
        print.Add(buffer, int(buffer.size()));
    return print.hash;
}

// The largest |blocked - reference| over the largest |reference| of the value's part of the buffer.
double WorstDeviation(const std::vector<double>& reference, const std::vector<double>& blocked, int nodes,
                      int elements, std::string& where) {
    const int stresses = 2 + 2 * nodes, block = stresses + 27 * elements;
    auto part =
        [&](int i) { // 0 control displacement, 1 control force, 2 nodes, 3 stresses, 4 angles, 5 block
            if (i < 2) return i;
            if (i < stresses) return 2;
            if (i < block) return (i - stresses) % 3 == 2 ? 4 : 3;
            return 5;
        };
    double scale[6] = {0, 0, 0, 0, 0, 0};
    for (int i = 0; i < int(reference.size()); ++i)
        scale[part(i)] = std::max(scale[part(i)], std::fabs(reference[i]));
    double worst = 0;
    for (int i = 0; i < int(reference.size()); ++i) {
        const double deviation = std::fabs(blocked[i] - reference[i]) / (scale[part(i)] + 1e-300);
        if (deviation > worst) {
            worst = deviation;
            char text[96];
            std::snprintf(text, sizeof text, "value %d: %.17g against %.17g", i, blocked[i], reference[i]);
            where = text;
        }
    }
    return worst;
}

} // namespace

TEST(ResultRegression, PushoverBuffersAreBitwiseUnchanged) {
    const Case cases[] = {
        {"curved bars, secant concrete, incompatible modes", 2, 1, 2, false, 0xb4852f048e9cfb94ull},
        {"curved bars, hysteretic concrete, plain element, joints", 1, 2, 2, true, 0x3c950741733d5104ull},
        {"bilinear bars, hysteretic concrete", 2, 2, 1, false, 0x9cf11718b72c58edull},
        {"curved bars, a triangular element", 2, 1, 2, false, 0xce8999dcae91cb90ull, true},
    };
    for (const Case& c : cases) {
        const uint64_t hash = PushoverFingerprint(c);
        EXPECT_EQ(hash, c.expected) << c.name << ": 0x" << std::hex << hash;
    }
}

TEST(ResultRegression, ElasticBuffersAreBitwiseUnchanged) {
    const struct {
        int formulation;
        bool jointColumn;
        uint64_t expected;
    } cases[] = {{1, false, 0x18dc10b5599cf93dull},
                 {2, false, 0x14d83bae87116821ull},
                 {2, true, 0xbffc43852faa078eull}};
    for (const auto& c : cases) {
        EngineRun run(Wall(c.formulation, 1, 1, c.jointColumn));
        run.engine->SetFactorKernel(FactorKernel::Reference);
        Fingerprint print;
        for (int call = 0; call < 2; ++call) {
            ASSERT_EQ(run.Call(kElasticMode), kStatusDone);
            print.Add(run.results,
                      ResultLayout::LargestSize(run.engine->NodeCount(), run.engine->ElementCount()));
        }
        EXPECT_EQ(print.hash, c.expected)
            << "formulation " << c.formulation << ": 0x" << std::hex << print.hash;
    }
}

// The default, blocked factorisation against the reference one. A value is compared with the largest
// magnitude of its part of the buffer (control displacement, control force, node displacements,
// principal stresses, their angles, the output block): round-off near zero has no relative accuracy.
// The elastic runs and the first push-over step, one factorisation each, agree within 1e-12; through
// ten steps of cracking, bar reversals and crack closing the path carries the differences on and
// grows them (two blocked paths with different sums drift as far from each other), so the whole
// push-over is held to 1e-9. The path, not the kernel, sets that bound: the reference run itself, with
// its displacement increments changed by 3e-14 relative (the size of the first step's difference),
// moves by up to 3.7e-10 by the ninth step of these cases.
TEST(ResultRegression, BlockedFactorisationAgreesWithTheReferenceRun) {
    const Case cases[] = {
        {"curved bars, secant concrete, incompatible modes", 2, 1, 2, false, 0},
        {"curved bars, hysteretic concrete, plain element, joints", 1, 2, 2, true, 0},
        {"bilinear bars, hysteretic concrete", 2, 2, 1, false, 0},
        {"curved bars, a triangular element", 2, 1, 2, false, 0, true},
    };
    for (const Case& c : cases) {
        const auto reference = PushoverBuffers(c, FactorKernel::Reference);
        const auto blocked = PushoverBuffers(c, FactorKernel::Blocked);
        ASSERT_EQ(reference.size(), blocked.size());
        const GridModel model = Wall(c.formulation, c.concreteSelector, c.rebarSelector, c.jointColumn);
        const int nodes = int(model.nodes.size()), elements = int(model.elements.size());
        for (size_t step = 0; step < reference.size(); ++step) {
            std::string where;
            const double worst = WorstDeviation(reference[step], blocked[step], nodes, elements, where);
            EXPECT_LT(worst, step == 0 ? 1e-12 : 1e-9) << c.name << ", step " << step + 1 << ", " << where;
        }
    }
}

TEST(ResultRegression, BlockedFactorisationAgreesInElasticRuns) {
    for (int formulation : {1, 2})
        for (bool jointColumn : {false, true}) {
            const GridModel model = Wall(formulation, 1, 1, jointColumn);
            EngineRun reference(model), blocked(model);
            reference.engine->SetFactorKernel(FactorKernel::Reference);
            ASSERT_EQ(reference.Call(kElasticMode), kStatusDone);
            ASSERT_EQ(blocked.Call(kElasticMode), kStatusDone);
            const int count = ResultLayout::LargestSize(int(model.nodes.size()), int(model.elements.size()));
            std::string where;
            const double worst =
                WorstDeviation({reference.results.begin(), reference.results.begin() + count},
                               {blocked.results.begin(), blocked.results.begin() + count},
                               int(model.nodes.size()), int(model.elements.size()), where);
            EXPECT_LT(worst, 1e-12) << "formulation " << formulation << ", " << where;
        }
}
