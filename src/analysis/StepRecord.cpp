#include "analysis/StepRecord.h"

#include "analysis/ResultFieldFill.h"
#include "engine/Engine.h"

#include <algorithm>

namespace torva {

size_t StepRecord::Bytes() const {
    return sizeof(StepRecord) + plane.size() + barDirections.size() + strains.size() * sizeof(double) +
           bars.size() * sizeof(double) + flags.size() + reactions.nodes.size() * sizeof(NodeReaction);
}

void CaptureClassicStep(const engine::Engine& engine, const MeshView& mesh, StepRecord& record) {
    constexpr int kPoints = ResultField::kGaussPoints;
    const engine::ResultLayout layout = engine.Results().Layout();
    const int elements = std::min(layout.Elements(), mesh.elementCount);
    const int withStates = std::min(elements, engine.ElementCount());
    record.captured = true;
    record.layout = layout;
    record.plane.assign(size_t(elements), 0);
    record.barDirections.assign(size_t(elements), 0);
    record.flags.assign(size_t(kPoints) * size_t(elements), 0);
    bool anyBars = false;
    for (int e = 0; e < withStates; ++e) anyBars = anyBars || engine.Element(e + 1).rebarType > 0;
    // Sized without zeroing (every value is written below), so each page is written once.
    record.strains.resize(size_t(3 * kPoints) * size_t(elements));
    record.bars.resize(anyBars ? size_t(2 * kPoints) * size_t(elements) : 0);
    for (int e = 0; e < elements; ++e) record.plane[size_t(e)] = mesh.elemDiscrete[e] == 0;
    for (int e = 0; e < elements; ++e) {
        double* strains = &record.strains[size_t(3 * kPoints) * size_t(e)];
        double* bars = anyBars ? &record.bars[size_t(2 * kPoints) * size_t(e)] : nullptr;
        const engine::RebarType* rebar = nullptr;
        const bool states = e < withStates && record.plane[size_t(e)];
        if (states) {
            record.barDirections[size_t(e)] = BarDirections(engine, e);
            const engine::ElementRecord& element = engine.Element(e + 1);
            if (element.rebarType > 0) rebar = &engine.Rebar(element.rebarType);
        } else {
            std::fill_n(strains, 3 * kPoints, 0.0);
        }
        if (bars && !rebar) std::fill_n(bars, 2 * kPoints, 0.0);
        if (!states) continue;
        for (int g = 0; g < kPoints; ++g) {
            const engine::GaussPointState& state = engine.GaussPoint(e + 1, g + 1);
            std::copy_n(state.strain, 3, strains + 3 * g);
            uint8_t flags = state.concrete.crack != 0 ? StepRecord::kCrackOpen : 0;
            flags |= uint8_t(int(ClassicCondition(state.concrete)) << StepRecord::kConditionShift);
            if (rebar) {
                const double stress[2] = {state.rebar.barStress[0], state.rebar.barStress[1]};
                bars[2 * g] = stress[0];
                bars[2 * g + 1] = stress[1];
                if (BarYielded(stress[0], rebar->fyx)) flags |= StepRecord::kYieldedX;
                if (BarYielded(stress[1], rebar->fyy)) flags |= StepRecord::kYieldedY;
            }
            record.flags[size_t(kPoints) * size_t(e) + size_t(g)] = flags;
        }
    }
    record.reactions = ComputeSupportReactions(engine);
    record.hasReactions = engine.Started();
}

void DecodeStep(std::span<const double> results, const StepRecord& record, ResultField& field) {
    constexpr int kPoints = ResultField::kGaussPoints;
    FillFromResults(engine::ResultView(results, record.layout), record.plane, field);
    field.reactions = record.reactions;
    field.hasReactions = record.hasReactions;
    const bool bars = !record.bars.empty();
    for (int e = 0; e < field.elements; ++e) {
        if (!field.plane[size_t(e)]) continue;
        for (int g = 0; g < kPoints; ++g) {
            const size_t point = size_t(kPoints) * size_t(e) + size_t(g);
            PointResult& p = field.points[point];
            PrincipalStrains(&record.strains[3 * point], p.e1, p.e2);
            const uint8_t flags = record.flags[point];
            p.crackOpen = p.cracked = (flags & StepRecord::kCrackOpen) != 0;
            p.condition = static_cast<PointCondition>((flags & StepRecord::kConditionMask) >>
                                                      StepRecord::kConditionShift);
            if (bars) {
                p.barStress[0] = record.bars[2 * point];
                p.barStress[1] = record.bars[2 * point + 1];
            }
            p.yielded[0] = (flags & StepRecord::kYieldedX) != 0;
            p.yielded[1] = (flags & StepRecord::kYieldedY) != 0;
        }
    }
    field.hasStrains = true;
    field.hasCrackWidths = false; // a reused field may have held the iterative method's
    field.hasBars = true;
    field.iterated = false;
    std::copy(record.barDirections.begin(), record.barDirections.end(), field.bars.begin());
}

} // namespace torva
