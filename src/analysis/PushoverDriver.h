#pragma once
// The push-over run of a model's loading, one engine step per call, shared by the headless command and
// the analysis window's step timer.
//
// The increments are the LoadingProtocol's: segment s moves the control node from point s to point
// s + 1 in stepsPerSegment equal steps, on the protocol's drift-free grid. The first call starts the
// engine in displacement control with the first increment, so it initialises (the gravity state) and
// runs step 1; every further call runs the engine's next step with the next increment. The
// run stops after the last step, or at the first step the engine cannot do (status 3: the control node
// does not respond; 4: the structure is unstable; 5: the input was refused), keeping the curve so far.
// A step the engine's iteration observer abandoned (status 8) is not done and does not end the run:
// the engine is as after the step before, and the next call tries the same step again.
//
// The run holds the mesh it was packed from and the packed stream (shared with the session that
// started it, never copied); neither changes while the run holds them (the session builds a new mesh
// when the model changes during a run), so the steps are always read with the mesh they were computed
// on.
#include "analysis/CancelToken.h"
#include "analysis/LoadingProtocol.h"
#include "analysis/Mesh.h"
#include "analysis/MeshView.h"
#include "engine/Engine.h"
#include "model/FramePat.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace torva {

// One point of the force-deformation history: results[0] and results[1] after a step.
struct CurvePoint {
    int step = 0;
    double displacement = 0; // control displacement, mm
    double force = 0;        // control force, N
    // The iterative method's record of the step (0 for the classic method, which has no load factor).
    double loadFactor = 0;
    int iterations = 0;
};

// Why `method` cannot run a loading whose first reversal is segment `reversal` (0: none): the iterative
// method follows monotonic loading only, its concrete and bars have no unloading rules. "" when it can.
std::string MethodLoadingProblem(engine::AnalysisMethod method, int reversal);

class PushoverDriver {
public:
    using Clock = std::chrono::steady_clock;

    // Runs on `engine`; the engine holds the results of the last step.
    explicit PushoverDriver(engine::Engine& engine);

    // Checks and packs the scanned mesh of `model` and prepares a run from step 0. False, with a message,
    // when the model cannot be run: the analysis check refuses it, it has no control node, or its
    // loading cannot be run (LoadingProtocol::Problem). Nothing is run yet. `packed`, when given,
    // gives the stream of this mesh and model (a caller that keeps it packs it once for many runs).
    using StreamSource = std::function<std::shared_ptr<const std::vector<int32_t>>()>;
    bool Start(const CFramePat& model, std::shared_ptr<const Mesh> mesh, std::string& message,
               engine::AnalysisMethod method = engine::AnalysisMethod::Classic,
               const StreamSource& packed = {});
    // The same on a mesh the caller keeps unchanged for as long as the run lasts.
    bool Start(const CFramePat& model, const Mesh& mesh, std::string& message,
               engine::AnalysisMethod method = engine::AnalysisMethod::Classic);

    // Runs the next step and returns the engine status (0 done, 3, 4, 5). Nothing happens once the run
    // has finished (the last status is returned).
    int RunStep();
    // Runs steps until the run finishes, `budget` has passed on the steady clock, `cancel` (when
    // given) is set or a step is abandoned, at least one while the run goes on and is not cancelled;
    // `afterCall(status)` is called after every engine call. Returns the calls made.
    int RunFor(Clock::duration budget, const std::function<void(int status)>& afterCall = {},
               const CancelToken* cancel = nullptr);

    bool Started() const { return started_; }
    bool Finished() const { return !started_ || stopped_ || step_ >= TotalSteps(); }
    bool Running() const { return started_ && !Finished(); }
    int Step() const { return step_; }               // steps done so far (the engine's step counter)
    int AttemptedStep() const { return attempted_; } // the step of the last call
    double LastIncrement() const { return protocol_.Increment(attempted_); }
    int TotalSteps() const { return static_cast<int>(protocol_.StepTotal()); }
    int LastStatus() const { return status_; }
    const LoadingProtocol& Protocol() const { return protocol_; }
    engine::AnalysisMethod Method() const { return method_; }
    const std::vector<CurvePoint>& Curve() const { return curve_; }
    engine::ResultView Results() const { return engine_.Results(); }
    const std::vector<int32_t>& Stream() const { return *stream_; }
    const std::shared_ptr<const std::vector<int32_t>>& SharedStream() const { return stream_; }
    // The mesh the run was packed from (valid after a successful Start).
    MeshView RunMesh() const;

    // Why the run stopped before its last step (empty while it goes on or when it completed).
    std::string StopMessage() const;

private:
    engine::Engine& engine_;
    LoadingProtocol protocol_;
    std::shared_ptr<const Mesh> mesh_;
    std::shared_ptr<const std::vector<int32_t>> stream_ = std::make_shared<const std::vector<int32_t>>();
    std::vector<CurvePoint> curve_;
    engine::AnalysisMethod method_ = engine::AnalysisMethod::Classic;
    int step_ = 0;      // the engine's step counter after the last call
    int attempted_ = 0; // the step of the last call
    int status_ = 0;
    bool started_ = false, stopped_ = false;
};

} // namespace torva
