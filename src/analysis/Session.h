#pragma once
// One document's analysis: its mesh, the packed engine input, an engine of its own, the results on
// display, the push-over run with its force-deformation history and loading protocol, and the run
// state the analysis window shows. Nothing here is shared between sessions, so two documents analyse
// side by side, and a session may be driven from any one thread at a time.
//
// The engine is created at the first analysis (it holds some 100 MB at full capacity). The elastic
// analysis and the push-over run share it, as one analysis follows the other.
#include "analysis/AnalysisState.h"
#include "analysis/Mesh.h"
#include "analysis/PushoverDriver.h"
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

    void SetMethod(engine::AnalysisMethod method) { method_ = method; }
    engine::AnalysisMethod Method() const { return method_; }

    // The mesh analysed: the window builds its node grid for the size on display and scans it; the
    // command line builds it whole.
    Mesh& GetMesh() { return *mesh_; }
    const Mesh& GetMesh() const { return *mesh_; }
    AnalysisState& State() { return state_; }
    const AnalysisState& State() const { return state_; }

    // "Analyze": checks the scanned mesh of `model`, packs it and starts the engine in elastic mode
    // (the gravity state and load step 1). Returns true when the engine was called; `status` is then
    // its status word, and with status 0 the new results are on display. Returns false, with `refusal`
    // saying why, when the model is refused before the engine is called. A failed call leaves the
    // results on display as they were.
    bool RunElastic(const CFramePat& model, int& status, std::string& refusal);

    // "Analyze" in three parts, for a window that calls the engine in another thread. PrepareElastic
    // checks and packs the model as RunElastic does (false, with `refusal`, when it is refused) and
    // gives the call to make; RunElasticCall makes it on an engine and touches nothing else (any one
    // thread); AcceptElastic, in the session's thread once the call returned status 0, puts the
    // engine's results on display. Together they are RunElastic, to the bit.
    struct ElasticCall {
        std::vector<int32_t> stream;
        engine::AnalysisMethod method = engine::AnalysisMethod::Classic;
    };
    bool PrepareElastic(const CFramePat& model, ElasticCall& call, std::string& refusal);
    static int RunElasticCall(engine::Engine& engine, const ElasticCall& call);
    void AcceptElastic();

    // The results on display: those of the last elastic analysis that succeeded (zeros after Clear).
    engine::ResultView Results() const { return engine::ResultView(results_, resultLayout_); }
    // The result buffer on display, at full size, for the window's scene resets.
    ResultBuffer DisplayedBuffer() { return {results_.data(), static_cast<int>(results_.size())}; }
    // The stream of the last elastic analysis (the packed entries, zeros after them).
    const std::vector<int32_t>& Input() const { return input_; }
    // Zeroes the stream and the results on display (a new node grid starts a new analysis).
    void Clear();

    // "Play": a new push-over run of the model's loading on the scanned mesh. False, with a message,
    // when the run cannot start; the previous run is then kept.
    bool StartPushover(const CFramePat& model, std::string& message);
    // The last push-over run started, or nullptr before the first.
    PushoverDriver* Pushover() { return pushover_.get(); }
    const PushoverDriver* Pushover() const { return pushover_.get(); }

    // The session's engine (created on first use).
    engine::Engine& Engine();

private:
    engine::EngineCapacity capacity_;
    engine::AnalysisMethod method_ = engine::AnalysisMethod::Classic;
    std::unique_ptr<Mesh> mesh_;
    std::unique_ptr<engine::Engine> engine_;
    std::unique_ptr<PushoverDriver> pushover_;
    std::vector<int32_t> input_;
    std::vector<double> results_;
    engine::ResultLayout resultLayout_;
    AnalysisState state_;
};

} // namespace torva::analysis
