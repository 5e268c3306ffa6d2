#include "analysis/Session.h"

#include "analysis/AnalysisCheck.h"
#include "analysis/EngineInputPacker.h"
#include "analysis/ResultFieldFill.h"

#include <algorithm>

namespace torva::analysis {

Session::Session(const engine::EngineCapacity& capacity)
    : capacity_(capacity), mesh_(std::make_shared<Mesh>()), input_(std::make_shared<std::vector<int32_t>>()),
      results_(size_t(engine::ResultLayout::LargestSize(capacity.nodes, capacity.elements)), 0.0) {}

Session::~Session() = default;

engine::Engine& Session::Engine() {
    if (!engine_) engine_ = std::make_unique<engine::Engine>(capacity_);
    return *engine_;
}

const Mesh& Session::CurrentMesh(const CFramePat& model, int sizeMode) {
    if (meshCurrent_ && sizeMode == meshSizeMode_) return *mesh_;
    // The run going on reads the mesh it was packed from: it keeps that one.
    if (mesh_.use_count() > 1) mesh_ = std::make_shared<Mesh>();
    mesh_->BuildNodeGrid(model, sizeMode, meshWidth_, meshHeight_);
    mesh_->Scan(model);
    meshSizeMode_ = sizeMode;
    meshCurrent_ = true;
    ++meshBuilds_;
    return *mesh_;
}

void Session::ModelChanged() {
    meshCurrent_ = false;
    ++revision_;
    MarkResultsOutOfDate();
}

void Session::SetMethod(engine::AnalysisMethod method) {
    if (method == method_) return;
    ++revision_;
    MarkResultsOutOfDate();
    method_ = method;
}

void Session::MarkResultsOutOfDate() {
    // Nothing is drawn from results that no longer belong to the model; the history stays readable
    // as the analysis that was.
    if (state_.analysisDone == 1 || history_.Count() > 0) state_.resultsOutOfDate = 1;
    state_.analysisDone = 0;
}

std::shared_ptr<const std::vector<int32_t>> Session::PackedInput(const CFramePat& model) {
    if (input_->empty() || packedBuild_ != meshBuilds_) {
        input_ = std::make_shared<const std::vector<int32_t>>(PackEngineInput(*mesh_, model));
        packedBuild_ = meshBuilds_;
        ++packs_;
    }
    return input_;
}

void Session::Clear() {
    input_ = std::make_shared<std::vector<int32_t>>();
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
    const Mesh& mesh = CurrentMesh(model, kActualSize);
    if (!CheckAnalysable(mesh, model, refusal)) return false;
    if (EngineInputLength(mesh) > kEngineInputCapacity) {
        refusal = "The model is too large for the analysis input.";
        return false;
    }
    call.stream = PackedInput(model);
    call.method = method_;
    return true;
}

int Session::RunElasticCall(engine::Engine& engine, const ElasticCall& call) {
    return engine::StatusCode(engine.Start(*call.stream, engine::kElasticMode, 0.0, call.method));
}

void Session::AcceptElastic() {
    engine::Engine& engine = Engine();
    const engine::ResultView view = engine.Results();
    const std::span<const double> values = view.Values();
    state_.resultsOutOfDate = 0;
    std::fill(results_.begin(), results_.end(), 0.0);
    std::copy(values.begin(), values.end(), results_.begin());
    resultLayout_ = view.Layout();
    // The elastic state opens a new history, with the states of the method it ran with.
    StartHistory(MeshViewOf(*mesh_));
    PublishedStep elastic;
    PublishEngineStep(engine, historyMesh_, elastic, storage_);
    Record(std::move(elastic));
}

void Session::StartHistory(const MeshView& mesh) {
    history_.Clear();
    historyMesh_ = mesh;
    recordedStep_ = -1;
}

bool Session::Record(PublishedStep&& step) {
    if (step.status != 0 || step.step <= recordedStep_) return false;
    if (step.record.captured)
        history_.Record(step.step, step.displacement, step.force, std::move(step.results),
                        std::move(step.record));
    else
        history_.Record(step.step, step.displacement, step.force, std::move(step.field));
    recordedStep_ = step.step;
    return true;
}

bool Session::StartPushover(const CFramePat& model, std::string& message) {
    CurrentMesh(model, kActualSize);
    auto run = std::make_unique<PushoverDriver>(Engine());
    if (!run->Start(model, mesh_, message, method_, [&] { return PackedInput(model); })) return false;
    pushover_ = std::move(run);
    input_ = pushover_->SharedStream();
    StartHistory(pushover_->RunMesh());
    return true;
}

} // namespace torva::analysis
