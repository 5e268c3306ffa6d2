#include "analysis/Session.h"

#include "analysis/AnalysisCheck.h"
#include "analysis/EngineInputPacker.h"
#include "analysis/ResultFieldFill.h"

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
    // The elastic state opens a new history, with the states of the method it ran with.
    StartHistory(MeshViewOf(*mesh_));
    ResultField field;
    FillFromResults(Results(), historyMesh_, field);
    FillFromEngine(engine, historyMesh_, field);
    history_.Record(0, view.ControlDisplacement(), view.ControlForce(), std::move(field));
    recordedStep_ = 0;
    return true;
}

void Session::StartHistory(const MeshView& mesh) {
    history_.Clear();
    historyMesh_ = mesh;
    recordedStep_ = -1;
}

bool Session::Record(const PublishedStep& step) {
    if (step.status != 0 || step.step <= recordedStep_) return false;
    history_.Record(step.step, step.displacement, step.force, step.field);
    recordedStep_ = step.step;
    return true;
}

bool Session::StartPushover(const CFramePat& model, std::string& message) {
    auto run = std::make_unique<PushoverDriver>(Engine());
    if (!run->Start(model, *mesh_, message, method_)) return false;
    pushover_ = std::move(run);
    StartHistory(pushover_->RunMesh());
    return true;
}

} // namespace torva::analysis
