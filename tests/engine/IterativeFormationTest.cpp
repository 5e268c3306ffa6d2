// The iterative method's stiffness re-formation on the analysis' threads: the result buffers, the
// profile and the iterations of push-overs on one thread and on two are the same bits, and the same
// bits as the element-by-element re-formation gave (fingerprints taken from it; taken again when the
// iterations changed to the turning crack's shear modulus and the quasi-Newton update, and again when
// the factors came to be kept over iterations, the steps to start from an extrapolated guess and the
// two solves of an iteration to share one pass), with a joint column
// (joints re-formed between plane elements) and with a folded element (a matrix not mapped one to one).
#include "EngineTestModels.h"
#include "engine/IterativeSolver.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace torva::engine::test {
namespace {

GridModel IterativeWall(bool jointColumn, bool folded) {
    std::vector<int> widths(12, 250);
    if (jointColumn) widths.insert(widths.begin() + 6, 0);
    GridModel m(widths, std::vector<int>(12, 250));
    m.gravity = 980;
    m.rebar.push_back(kWallRebar);
    m.SetRebar(1);
    m.RestrainRow(12, 12);
    for (int i = 0; i <= m.nx; ++i) m.LoadNode(i, 0, 1000000, 0);
    m.controlNode = m.Node(0, 0);
    m.controlDirection = 1;
    if (folded) {
        auto& element = m.elements[m.ElementAt(3, 8) - 1];
        element[2] = element[1];
    }
    return m;
}

struct IterativeRun {
    std::unique_ptr<Engine> engine = std::make_unique<Engine>();
    uint64_t hash = 14695981039346656037ull;
    std::vector<std::vector<double>> buffers;
    std::vector<int> iterations;

    void Add(std::span<const double> values) {
        for (double v : values) {
            uint64_t bits;
            std::memcpy(&bits, &v, sizeof bits);
            for (int b = 0; b < 8; ++b) {
                hash ^= (bits >> (8 * b)) & 0xff;
                hash *= 1099511628211ull;
            }
        }
    }
};

// Push-over steps through cracking; every step's buffer and iteration count.
IterativeRun IterativePushover(const GridModel& model, int threads) {
    IterativeRun run;
    run.engine->SetElementThreads(threads, 1);
    run.engine->SetFactorKernel(FactorKernel::Reference); // the same bits on every processor
    const std::vector<int32_t> stream = model.Stream();
    const double increments[] = {0.2, 0.2, 0.3, 0.3, 0.4};
    for (int k = 0; k < 5; ++k) {
        const RunStatus status =
            k == 0 ? run.engine->Start(stream, kPushoverMode, increments[k], AnalysisMethod::Mcft)
                   : run.engine->Step(increments[k]);
        EXPECT_EQ(status, RunStatus::Done) << "step " << k + 1;
        const std::span<const double> buffer = run.engine->Results().Buffer();
        run.buffers.emplace_back(buffer.begin(), buffer.end());
        run.iterations.push_back(run.engine->Iterative()->LastRecord().iterations);
        run.Add(buffer);
    }
    return run;
}

TEST(IterativeFormation, TwoThreadsGiveTheOneByOneFormationBitForBit) {
    struct Case {
        std::string name;
        bool jointColumn, folded;
        uint64_t expected;
    };
    const Case cases[] = {
        {"plain wall", false, false, 0x919607bb3cc019daull},
        {"joint column", true, false, 0x22b1ea8f512fddf9ull},
        {"folded element", false, true, 0xb6378b85932180d2ull},
    };
    for (const Case& c : cases) {
        const GridModel model = IterativeWall(c.jointColumn, c.folded);
        const IterativeRun one = IterativePushover(model, 1), two = IterativePushover(model, 2);
        ASSERT_EQ(two.engine->ElementThreads(), 2) << c.name;
        EXPECT_EQ(one.iterations, two.iterations) << c.name;
        EXPECT_GT(one.iterations.back(), 1) << c.name;
        for (size_t k = 0; k < one.buffers.size(); ++k)
            EXPECT_EQ(0, std::memcmp(one.buffers[k].data(), two.buffers[k].data(),
                                     sizeof(double) * one.buffers[k].size()))
                << c.name << ", step " << k + 1;
        for (int p = 1; p <= one.engine->ProfileLength(); ++p)
            ASSERT_EQ(one.engine->Profile(p), two.engine->Profile(p)) << c.name << ", profile term " << p;
        EXPECT_EQ(one.hash, c.expected) << c.name << std::hex << ": 0x" << one.hash;
    }
}

} // namespace
} // namespace torva::engine::test
