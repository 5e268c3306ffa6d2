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
    ElasticCall call;
    if (!PrepareElastic(model, call, refusal)) return false;
    status = RunElasticCall(Engine(), call);
    if (status == engine::kStatusDone) AcceptElastic();
    return true;
}

bool Session::PrepareElastic(const CFramePat& model, ElasticCall& call, std::string& refusal) {
    refusal.clear();
    if (!CheckAnalysable(*mesh_, model, refusal)) return false;
    const int length = PackEngineInput(*mesh_, model, input_.data(), static_cast<int>(input_.size()));
    if (length < 0) {
        refusal = "The model is too large for the analysis input.";
        return false;
    }
    call.stream.assign(input_.begin(), input_.begin() + length);
    call.method = method_;
    return true;
}

int Session::RunElasticCall(engine::Engine& engine, const ElasticCall& call) {
    return engine::StatusCode(engine.Start(call.stream, engine::kElasticMode, 0.0, call.method));
}

void Session::AcceptElastic() {
    const engine::ResultView view = Engine().Results();
    const std::span<const double> values = view.Values();
    std::fill(results_.begin(), results_.end(), 0.0);
    std::copy(values.begin(), values.end(), results_.begin());
    resultLayout_ = view.Layout();
}

bool Session::StartPushover(const CFramePat& model, std::string& message) {
    auto run = std::make_unique<PushoverDriver>(Engine());
    if (!run->Start(model, *mesh_, message, method_)) return false;
    pushover_ = std::move(run);
    return true;
}

} // namespace torva::analysis
