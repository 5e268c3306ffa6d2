// A classic step captured compactly and decoded when shown is the field filled from the engine directly,
// to the bit, in every state a point goes through (cracked, closed again, past peak, yielded bars) and
// on joints, where the concrete points are not filled; the history keeps such steps in less room.
#include "analysis/FieldHistory.h"
#include "analysis/PublishedStep.h"
#include "analysis/PushoverDriver.h"
#include "analysis/ResultFieldFill.h"
#include "model/ModelFile.h"
#include "support/TempDir.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <memory>

namespace torva {
namespace {

std::unique_ptr<CFramePat> Example(const char* name) {
    auto model = std::make_unique<CFramePat>();
    FileError error;
    EXPECT_TRUE(LoadModelFile((test::SourceDir() / "examples" / name).string(), *model, error))
        << error.message;
    return model;
}

bool Same(double a, double b) {
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

// Every member of every point, the node displacements, the flags and the reactions, bit for bit.
::testing::AssertionResult SameField(const ResultField& a, const ResultField& b) {
    if (a.elements != b.elements || a.points.size() != b.points.size() || a.plane != b.plane)
        return ::testing::AssertionFailure() << "sizes or plane flags differ";
    if (a.hasResults != b.hasResults || a.hasStrains != b.hasStrains ||
        a.hasCrackWidths != b.hasCrackWidths || a.hasBars != b.hasBars || a.hasReactions != b.hasReactions)
        return ::testing::AssertionFailure() << "what the fields hold differs";
    for (size_t i = 0; i < a.points.size(); ++i) {
        const PointResult &p = a.points[i], &q = b.points[i];
        const bool same = Same(p.s1, q.s1) && Same(p.s2, q.s2) && Same(p.angle, q.angle) &&
                          Same(p.e1, q.e1) && Same(p.e2, q.e2) && p.cracked == q.cracked &&
                          p.crackOpen == q.crackOpen && Same(p.crackAngle, q.crackAngle) &&
                          Same(p.crackWidth, q.crackWidth) && p.condition == q.condition &&
                          Same(p.barStress[0], q.barStress[0]) && Same(p.barStress[1], q.barStress[1]) &&
                          p.yielded[0] == q.yielded[0] && p.yielded[1] == q.yielded[1];
        if (!same) return ::testing::AssertionFailure() << "element " << i / 9 << " point " << i % 9;
    }
    for (size_t k = 0; k < a.ux.size(); ++k)
        if (!Same(a.ux[k], b.ux[k]) || !Same(a.uy[k], b.uy[k]))
            return ::testing::AssertionFailure() << "node " << k;
    if (a.reactions.nodes.size() != b.reactions.nodes.size())
        return ::testing::AssertionFailure() << "reaction count";
    for (size_t r = 0; r < a.reactions.nodes.size(); ++r)
        for (int d = 0; d < 2; ++d)
            if (!Same(a.reactions.nodes[r].force[d], b.reactions.nodes[r].force[d]))
                return ::testing::AssertionFailure() << "reaction " << r;
    if (!Same(a.reactions.sum[0], b.reactions.sum[0]) || !Same(a.reactions.sum[1], b.reactions.sum[1]))
        return ::testing::AssertionFailure() << "reaction sum";
    return ::testing::AssertionSuccess();
}

ResultField FilledDirectly(const engine::Engine& engine, const MeshView& mesh) {
    ResultField field;
    FillFromResults(engine.Results(), mesh, field);
    FillFromEngine(engine, mesh, field);
    return field;
}

// What the run's points went through, over all steps compared.
struct Seen {
    int cracked = 0, closedAgain = 0, pastPeak = 0, yielded = 0, joints = 0;
};

// `bareColumns` columns of elements lose their bars, so that bars and no bars sit side by side.
void CompareEveryStep(const char* example, int targetMicrons, Seen& seen, int bareColumns = 0) {
    SCOPED_TRACE(example);
    auto model = Example(example);
    for (int x = 2; x < 2 + bareColumns; ++x)
        for (int y = 2; y < model->nys; ++y) model->Flag(x, y, kRebarLayer) = 0;
    // Out and back: cracks open, and some close again on the way back.
    model->segmentCount = 2;
    model->stepsPerSegment = 30;
    model->segmentPoints[0] = 0;
    model->segmentPoints[1] = targetMicrons;
    model->segmentPoints[2] = -targetMicrons / 4;
    Mesh mesh;
    mesh.Build(*model, kActualSize);
    const MeshView view = MeshViewOf(mesh);
    for (int e = 0; e < view.elementCount; ++e) seen.joints += view.elemDiscrete[e] != 0;
    auto engine = std::make_unique<engine::Engine>();
    PushoverDriver run(*engine);
    std::string message;
    ASSERT_TRUE(run.Start(*model, mesh, message)) << message;
    std::vector<uint8_t> wasCracked(size_t(9 * view.elementCount), 0);
    ResultField reused; // decoded into again and again, as the results window does
    const auto storage = std::make_shared<StepStorage>();
    while (!run.Finished()) {
        ASSERT_EQ(run.RunStep(), 0) << run.StopMessage();
        const ResultField direct = FilledDirectly(*engine, view);
        PublishedStep step;
        PublishEngineStep(*engine, view, step, storage);
        ASSERT_TRUE(step.record.captured);
        DecodeStep(step.results, step.record, reused);
        ASSERT_TRUE(SameField(direct, reused)) << "step " << run.Step();
        // The arrays go back spoilt: the next step's record, in the same memory, must write every value.
        std::fill(step.record.strains.begin(), step.record.strains.end(), std::nan(""));
        std::fill(step.record.bars.begin(), step.record.bars.end(), std::nan(""));
        for (size_t i = 0; i < direct.points.size(); ++i) {
            const PointResult& p = direct.points[i];
            seen.cracked += p.crackOpen;
            seen.closedAgain += wasCracked[i] && !p.crackOpen;
            seen.pastPeak += p.condition >= PointCondition::PastPeak;
            seen.yielded += p.yielded[0] || p.yielded[1];
            wasCracked[i] = wasCracked[i] || p.crackOpen;
        }
    }
}

TEST(StepRecord, ADecodedClassicStepIsTheFieldFilledFromTheEngineToTheBit) {
    Seen seen;
    CompareEveryStep("shear-wall.fem", 40000, seen);
    CompareEveryStep("joint-wall.fem", 40000, seen);
    CompareEveryStep("shear-wall.fem", 40000, seen, 3);
    // The comparison went through every state a point can show.
    EXPECT_GT(seen.cracked, 0);
    EXPECT_GT(seen.closedAgain, 0);
    EXPECT_GT(seen.pastPeak, 0);
    EXPECT_GT(seen.yielded, 0);
    EXPECT_GT(seen.joints, 0);
}

TEST(StepRecord, TheHistoryDecodesItsCapturedStepsBesideFilledOnesInLessRoom) {
    auto model = Example("shear-wall.fem");
    Mesh mesh;
    mesh.Build(*model, kActualSize);
    const MeshView view = MeshViewOf(mesh);
    auto engine = std::make_unique<engine::Engine>();
    PushoverDriver run(*engine);
    std::string message;
    ASSERT_TRUE(run.Start(*model, mesh, message)) << message;

    FieldHistory history;
    std::vector<ResultField> direct;
    // A filled field (as the iterative method's steps are kept) between captured ones.
    for (int s = 1; s <= 3; ++s) {
        ASSERT_EQ(run.RunStep(), 0) << run.StopMessage();
        direct.push_back(FilledDirectly(*engine, view));
        PublishedStep step;
        PublishEngineStep(*engine, view, step);
        if (s == 2) {
            ResultField field = direct.back();
            field.hasCrackWidths = true; // marks it as the field recorded, not a decoded one
            history.Record(s, step.displacement, step.force, std::move(field));
            direct.back().hasCrackWidths = true;
        } else {
            history.Record(s, step.displacement, step.force, std::move(step.results), std::move(step.record));
        }
    }
    ASSERT_EQ(history.Count(), 3);
    ResultField shown;
    for (int i : {1, 0, 2, 1}) {
        history.Field(i, shown);
        EXPECT_TRUE(SameField(shown, direct[size_t(i)])) << "state " << i;
        EXPECT_TRUE(SameField(history.Field(i), direct[size_t(i)])) << "state " << i;
    }

    // A captured state takes under three quarters of the bytes of the same state filled (its result
    // buffer holds the stresses and displacements, the record 41 bytes a point, a PointResult 96).
    FieldHistory compact, filled;
    PublishedStep step;
    PublishEngineStep(*engine, view, step);
    compact.Record(3, 0, 0, std::move(step.results), std::move(step.record));
    filled.Record(3, 0, 0, direct[2]);
    EXPECT_LT(4 * compact.Bytes(), 3 * filled.Bytes()) << compact.Bytes() << " " << filled.Bytes();
}

} // namespace
} // namespace torva
