// Whole result buffers of push-overs and elastic runs on 20 × 20 walls, bit for bit: the fingerprints
// were taken from the straightforward solver and element routines, so any change of the arithmetic or
// of its order in the fast paths shows here.
#include "EngineTestModels.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

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

uint64_t PushoverFingerprint(const Case& c) {
    EngineRun run(Wall(c.formulation, c.concreteSelector, c.rebarSelector, c.jointColumn, c.degenerate));
    Fingerprint print;
    long cracked = 0, reversed = 0;
    for (double increment : kIncrements) {
        EXPECT_EQ(run.Call(kPushoverMode, increment), kStatusDone) << c.name << " step " << run.step;
        const int count = ResultLayout::LargestSize(run.engine->NodeCount(), run.engine->ElementCount());
        for (int i = 0; i < count; ++i)
            if (!std::isfinite(run.results[i])) ADD_FAILURE() << c.name << ": value " << i << " not finite";
        print.Add(run.results, count);
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
    return print.hash;
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
