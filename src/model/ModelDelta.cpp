#include "model/ModelDelta.h"

#include <cstring>
#include <type_traits>

namespace torva {

static_assert(std::is_trivially_copyable_v<CFramePat>, "a model is compared and restored as bytes");

namespace {

// Runs closer than this are joined: a run's bookkeeping costs more than a few unchanged bytes.
constexpr std::size_t kJoinGap = 16;

const uint8_t* BytesOf(const CFramePat& model) {
    return reinterpret_cast<const uint8_t*>(&model);
}

} // namespace

ModelDelta ModelDelta::Between(const CFramePat& before, const CFramePat& after) {
    ModelDelta delta;
    const uint8_t* a = BytesOf(before);
    const uint8_t* b = BytesOf(after);
    constexpr std::size_t size = sizeof(CFramePat);
    std::size_t i = 0;
    while (i < size) {
        if (a[i] == b[i]) {
            ++i;
            continue;
        }
        // A run ends after kJoinGap equal bytes in a row (or at the end of the model).
        const std::size_t start = i;
        std::size_t end = i + 1;
        std::size_t equal = 0;
        for (std::size_t j = end; j < size && equal < kJoinGap; ++j) {
            if (a[j] == b[j]) {
                ++equal;
            } else {
                equal = 0;
                end = j + 1;
            }
        }
        Run run;
        run.offset = start;
        run.before.assign(a + start, a + end);
        run.after.assign(b + start, b + end);
        delta.runs_.push_back(std::move(run));
        i = end;
    }
    return delta;
}

void ModelDelta::Apply(CFramePat& model, bool after) const {
    auto* bytes = reinterpret_cast<uint8_t*>(&model);
    for (const Run& run : runs_) {
        const std::vector<uint8_t>& side = after ? run.after : run.before;
        std::memcpy(bytes + run.offset, side.data(), side.size());
    }
}

std::size_t ModelDelta::Size() const {
    std::size_t bytes = 0;
    for (const Run& run : runs_) bytes += run.before.size() + run.after.size();
    return bytes;
}

} // namespace torva
