#pragma once
// One state of a classic run as the history keeps it: beside the step's result buffer (principal
// stresses, displacements), only what the result field shows of the engine's Gauss-point states, 41
// bytes a point (its strain, its bar stresses and a byte of flags), where a filled PointResult takes
// 96. The run's thread captures it right after the step, copies and a few comparisons; the field the
// views read is decoded from it only when the step is shown, to the same bits as a field filled from
// the engine directly (FillFromResults, then FillFromEngine).
#include "analysis/MeshView.h"
#include "analysis/ResultField.h"
#include "analysis/StepStorage.h"
#include "analysis/SupportReactions.h"
#include "engine/ResultLayout.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace torva {

namespace engine {
class Engine;
}

struct StepRecord {
    // Bits of `flags`: an open crack, the condition (two bits), a yielded bar in x, in y.
    static constexpr uint8_t kCrackOpen = 1, kConditionShift = 1, kConditionMask = 3 << kConditionShift,
                             kYieldedX = 1 << 3, kYieldedY = 1 << 4;

    bool captured = false;              // false: nothing captured (the step is recorded as a filled field)
    engine::ResultLayout layout;        // of the step's result buffer
    std::vector<uint8_t> plane;         // 1 for an element with concrete results
    std::vector<uint8_t> barDirections; // per element, as ResultField::bars
    StepVector<double> strains;         // ex, ey, γxy of every Gauss point, 27 per element (zeros off plane)
    StepVector<double> bars;            // x, y bar stress of every Gauss point, 18 per element; empty: none
    std::vector<uint8_t> flags;         // 9 per element
    SupportReactions reactions;
    bool hasReactions = false;

    size_t Bytes() const;
};

// The classic engine's states after its last step, laid out by `mesh` (engine element e + 1 is mesh
// element e). The record's arrays keep their allocators (a session's StepStorage, or the heap).
void CaptureClassicStep(const engine::Engine& engine, const MeshView& mesh, StepRecord& record);

// The field of a captured step whose result buffer is `results` (at least record.layout.Size() values).
// `field` keeps its storage when it has room.
void DecodeStep(std::span<const double> results, const StepRecord& record, ResultField& field);

} // namespace torva
