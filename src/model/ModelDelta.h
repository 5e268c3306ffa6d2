#pragma once
// The change between two states of a model, kept as the byte runs that differ. An undo step holds
// a few bytes for a cell edit instead of two whole models (about 255 KB each), and applying either
// side gives back that state byte for byte.
#include "model/FramePat.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace torva {

class ModelDelta {
public:
    // The runs where `after` differs from `before`.
    static ModelDelta Between(const CFramePat& before, const CFramePat& after);

    bool Empty() const { return runs_.empty(); }
    // Writes the old bytes back (undo) or the new ones again (redo). Bytes outside the runs are
    // left as they are, so apply to the state the delta was taken from or to.
    void ApplyBefore(CFramePat& model) const { Apply(model, false); }
    void ApplyAfter(CFramePat& model) const { Apply(model, true); }
    // Bytes held, both sides.
    std::size_t Size() const;

private:
    struct Run {
        std::size_t offset = 0;
        std::vector<uint8_t> before;
        std::vector<uint8_t> after;
    };
    void Apply(CFramePat& model, bool after) const;

    std::vector<Run> runs_;
};

} // namespace torva
