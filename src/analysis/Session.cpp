#include "analysis/Session.h"

#include "analysis/AnalysisCheck.h"
#include "analysis/EngineInputPacker.h"

#include <algorithm>

namespace torva::analysis {

Session::Session(const engine::EngineCapacity& capacity)
    : capacity_(capacity), mesh_(std::make_unique<Mesh>()), input_(kEngineInputCapacity, 0),
      results_(size_t(engine::ResultLayout::LargestSize(capacity.nodes, capacity.elements)), 0.0) {}

Session::~Session() = default;

engine::Engine& Session::Engine() {
    if (!engine_) engine_ = std::make_unique<engine::Engine>(capacity_);
    return *engine_;
}

void Session::Clear() {
    std::fill(input_.begin(), input_.end(), 0);
    std::fill(results_.begin(), results_.end(), 0.0);
}

bool Session::RunElastic(const CFramePat& model, int& status, std::string& refusal) {
    status = 0;
    refusal.clear();
    if (!CheckAnalysable(*mesh_, model, refusal)) return false;
    const int length = PackEngineInput(*mesh_, model, input_.data(), static_cast<int>(input_.size()));
    if (length < 0) {
        refusal = "The model is too large for the analysis input.";
        return false;
    }
    engine::Engine& engine = Engine();
    const engine::RunStatus outcome = engine.Start(std::span<const int32_t>(input_.data(), size_t(length)),
                                                   engine::kElasticMode, 0.0, method_);
    status = engine::StatusCode(outcome);
    if (outcome != engine::RunStatus::Done) return true;
    const engine::ResultView view = engine.Results();
    const std::span<const double> values = view.Values();
    std::fill(results_.begin(), results_.end(), 0.0);
    std::copy(values.begin(), values.end(), results_.begin());
    resultLayout_ = view.Layout();
    return true;
}

bool Session::StartPushover(const CFramePat& model, std::string& message) {
    auto run = std::make_unique<PushoverDriver>(Engine());
    if (!run->Start(model, *mesh_, message, method_)) return false;
    pushover_ = std::move(run);
    return true;
}

} // namespace torva::analysis
