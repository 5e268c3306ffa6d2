#pragma once
// One document's analysis: its mesh, the packed engine input, an engine of its own, the results on
// display, the push-over run with its force-deformation history and loading protocol, the history of
// result fields the results window reads, and the run state the analysis window shows. Nothing here is shared
// between sessions, so two documents analyse side by side, and a session may be driven from any one thread at
// a time.
//
// The engine is created at the first analysis (it holds some 100 MB at full capacity). The elastic
// analysis and the push-over run share it, as one analysis follows the other.
#include "analysis/AnalysisState.h"
#include "analysis/FieldHistory.h"
#include "analysis/Mesh.h"
#include "analysis/MeshView.h"
#include "analysis/PublishedStep.h"
#include "analysis/PushoverDriver.h"
#include "analysis/StepStorage.h"
#include "engine/AnalysisMethod.h"
#include "engine/Engine.h"
#include "engine/ResultLayout.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace torva {
class CFramePat;
}

namespace torva::analysis {

class Session {
public:
    explicit Session(const engine::EngineCapacity& capacity = {});
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Another method puts the results computed so far out of date (the mesh and stream stay).
    void SetMethod(engine::AnalysisMethod method);
    engine::AnalysisMethod Method() const { return method_; }

    // The mesh analysed and drawn, built (both stages) by CurrentMesh only when the model changed
    // since (ModelChanged) or another size mode is asked for, never for a repaint. An analysis builds
    // it at actual size itself.
    const Mesh& CurrentMesh(const CFramePat& model, int sizeMode);
    // The mesh as last built, for reading.
    const Mesh& GetMesh() const { return *mesh_; }
    // The model changed (an edit, its undo or redo, another file read into the document): the next
    // CurrentMesh builds the mesh again, the next analysis packs its stream again, and results
    // computed so far are out of date (not shown on the new mesh) until the next analysis.
    void ModelChanged();
    // Counts the changes of the model and of the method, so that a caller can tell that what it
    // computes no longer belongs to the document.
    int Revision() const { return revision_; }
    // Whether the results held (on display and in the history) were computed on an earlier model or
    // with another method.
    bool ResultsOutOfDate() const { return state_.resultsOutOfDate == 1; }
    // The results on display are discarded ("Default Size"): out of date as after an edit.
    void MarkResultsOutOfDate();
    // The model's width and height (mm) in the size mode of the last build by CurrentMesh.
    float MeshWidth() const { return meshWidth_; }
    float MeshHeight() const { return meshHeight_; }
    // How many times CurrentMesh has built the mesh.
    int MeshBuilds() const { return meshBuilds_; }
    // How many times an analysis packed the engine input (only after a new mesh, never per run).
    int Packs() const { return packs_; }

    AnalysisState& State() { return state_; }
    const AnalysisState& State() const { return state_; }

    // "Analyze": checks the mesh of `model` at actual size, packs it (unless the stream of that mesh is
    // at hand) and starts the engine in elastic mode (the gravity state and load step 1). Returns true
    // when the engine was called; `status` is then its status word, and with status 0 the new results
    // are on display. Returns false, with `refusal` saying why, when the model is refused before the
    // engine is called. A failed call leaves the results on display as they were.
    bool RunElastic(const CFramePat& model, int& status, std::string& refusal);

    // "Analyze" in three parts, for a window that calls the engine in another thread. PrepareElastic
    // checks and packs the model as RunElastic does (false, with `refusal`, when it is refused) and
    // gives the call to make; RunElasticCall makes it on an engine and touches nothing else (any one
    // thread); AcceptElastic, in the session's thread once the call returned status 0, puts the
    // engine's results on display and starts the history with them. Together they are RunElastic,
    // to the bit.
    struct ElasticCall {
        std::shared_ptr<const std::vector<int32_t>> stream;
        engine::AnalysisMethod method = engine::AnalysisMethod::Classic;
    };
    bool PrepareElastic(const CFramePat& model, ElasticCall& call, std::string& refusal);
    static int RunElasticCall(engine::Engine& engine, const ElasticCall& call);
    void AcceptElastic();

    // The results on display: those of the last elastic analysis that succeeded (zeros after Clear).
    engine::ResultView Results() const { return engine::ResultView(results_, resultLayout_); }
    // The result buffer on display, at full size, for the window's scene resets.
    ResultBuffer DisplayedBuffer() { return {results_.data(), static_cast<int>(results_.size())}; }
    // The packed stream of the last analysis started (empty before it and after Clear). A push-over
    // run reads the same stream and mesh objects, which stay unchanged while it holds them.
    const std::vector<int32_t>& Input() const { return *input_; }
    // Drops the stream and zeroes the results on display (a new node grid starts a new analysis).
    void Clear();

    // "Play": a new push-over run of the model's loading on the mesh at actual size (the stream packed
    // for it is reused). False, with a message, when the run cannot start; the previous run is then
    // kept.
    bool StartPushover(const CFramePat& model, std::string& message);
    // The last push-over run started, or nullptr before the first.
    PushoverDriver* Pushover() { return pushover_.get(); }
    const PushoverDriver* Pushover() const { return pushover_.get(); }

    // The session's engine (created on first use).
    engine::Engine& Engine();
    // The engine as the last analysis left it, for reading; nullptr before the first analysis made one.
    const engine::Engine* ExistingEngine() const { return engine_.get(); }

    // The states of the last analysis, for the results window: the elastic state of a successful
    // "Analyze" (step 0, which starts a new history), then, from a push-over started later, every step
    // its thread published (a new run starts a new history). Fields carry the states of the method the
    // analysis ran with (the iterative method's crack widths, or the classic engine's cracks).
    const FieldHistory& History() const { return history_; }
    // The mesh the history's fields are laid out by.
    MeshView HistoryMesh() const { return historyMesh_; }
    // Adds a published push-over step of the current run (steps not after the last one added are
    // ignored, and so is a failed call). Returns true when the history took it.
    bool Record(PublishedStep&& step);
    // The step of the newest state in the history (−1 when it is empty).
    int RecordedStep() const { return recordedStep_; }
    // Where the recorded steps' large arrays are kept (a run's thread publishes its steps into it).
    const std::shared_ptr<StepStorage>& Storage() const { return storage_; }

private:
    engine::EngineCapacity capacity_;
    engine::AnalysisMethod method_ = engine::AnalysisMethod::Classic;
    // Shared with the push-over run packed from it; a build while a run holds it makes a new one.
    std::shared_ptr<Mesh> mesh_;
    bool meshCurrent_ = false;
    int meshSizeMode_ = -1;
    float meshWidth_ = 0, meshHeight_ = 0;
    int meshBuilds_ = 0;
    int revision_ = 0;
    int packedBuild_ = -1; // the mesh build the stream was packed from
    int packs_ = 0;
    std::unique_ptr<engine::Engine> engine_;
    std::unique_ptr<PushoverDriver> pushover_;
    std::shared_ptr<const std::vector<int32_t>> input_;
    std::vector<double> results_;
    engine::ResultLayout resultLayout_;
    AnalysisState state_;
    std::shared_ptr<StepStorage> storage_ = std::make_shared<StepStorage>();
    FieldHistory history_;
    MeshView historyMesh_;
    int recordedStep_ = -1;

    void StartHistory(const MeshView& mesh);
    // The stream of the current mesh and `model`, packed only when the mesh was built since.
    std::shared_ptr<const std::vector<int32_t>> PackedInput(const CFramePat& model);
};

} // namespace torva::analysis
