#include "analysis/AnalysisRun.h"

#include "analysis/AnalysisCheck.h"
#include "analysis/EngineInputPacker.h"
#include "engine/Engine.h"

#include <algorithm>

namespace torva {

EngineBuffers::EngineBuffers()
    : input_(kEngineInputCapacity, 0), results_(engine::kResultBufferSize, 0.0),
      spare_(engine::kResultBufferSize, 0.0) {}

EngineBuffers& EngineBuffers::Instance() {
    static EngineBuffers buffers;
    return buffers;
}

void EngineBuffers::Clear() {
    std::fill(input_.begin(), input_.end(), 0);
    std::fill(results_.begin(), results_.end(), 0.0);
}

bool RunElasticAnalysis(const Mesh& mesh, const CFramePat& model, EngineBuffers& buffers, int& status,
                        std::string& refusal) {
    status = 0;
    refusal.clear();
    if (!CheckAnalysable(mesh, model, refusal)) return false;
    const int length =
        PackEngineInput(mesh, model, buffers.input_.data(), static_cast<int>(buffers.input_.size()));
    if (length < 0) {
        refusal = "The model is too large for the analysis input.";
        return false;
    }
    // The engine clears the buffer itself when it initialises.
    const double increment = 0.0;
    const int mode = AnalysisState::kElasticMode;
    int step = 0;
    engine::RunEngine(buffers.spare_, increment,
                      std::span<const int32_t>(buffers.input_.data(), static_cast<size_t>(length)), mode,
                      step, status);
    if (status == 0) buffers.results_.swap(buffers.spare_);
    return true;
}

} // namespace torva
