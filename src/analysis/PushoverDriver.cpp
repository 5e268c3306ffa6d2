#include "analysis/PushoverDriver.h"

#include "analysis/AnalysisCheck.h"
#include "analysis/EngineInputPacker.h"
#include "analysis/EngineStatus.h"
#include "engine/IterativeSolver.h"

namespace torva {

std::string MethodLoadingProblem(engine::AnalysisMethod method, int reversal) {
    if (method != engine::AnalysisMethod::Mcft || reversal == 0) return "";
    return "The iterative method (MCFT) supports monotonic loading only: segment " +
           std::to_string(reversal) +
           " reverses the control displacement. Choose a monotonic loading, or the classic step-by-step "
           "method for reversed loading.";
}

PushoverDriver::PushoverDriver(engine::Engine& engine) : engine_(engine) {}

bool PushoverDriver::Start(const CFramePat& model, const Mesh& mesh, std::string& message,
                           engine::AnalysisMethod method) {
    // Shared without an owner: the caller keeps the mesh.
    return Start(model, std::shared_ptr<const Mesh>(std::shared_ptr<void>(), &mesh), message, method);
}

bool PushoverDriver::Start(const CFramePat& model, std::shared_ptr<const Mesh> meshHeld, std::string& message,
                           engine::AnalysisMethod method, const StreamSource& packed) {
    const Mesh& mesh = *meshHeld;
    method_ = method;
    started_ = false;
    stopped_ = false;
    step_ = attempted_ = status_ = 0;
    curve_.clear();
    if (!CheckAnalysable(mesh, model, message)) return false;
    if (model.controlNode == 0 || mesh.controlNodeIndex < 0) {
        message = model.controlNode == 0 ? "ERROR: Please select control node."
                                         : "The control node is not a node of any element.";
        return false;
    }
    protocol_ = LoadingProtocol::FromModel(model);
    message = protocol_.Problem();
    if (message.empty()) message = MethodLoadingProblem(method, protocol_.FirstReversal());
    if (!message.empty()) return false;
    stream_ = packed ? packed() : std::make_shared<const std::vector<int32_t>>(PackEngineInput(mesh, model));
    mesh_ = std::move(meshHeld);

    curve_.reserve(static_cast<size_t>(TotalSteps()));
    started_ = true;
    return true;
}

MeshView PushoverDriver::RunMesh() const {
    return mesh_ ? MeshViewOf(*mesh_) : MeshView();
}

int PushoverDriver::RunStep() {
    if (Finished()) return status_;
    attempted_ = step_ + 1;
    const double increment = protocol_.Increment(attempted_);
    const engine::RunStatus status = step_ == 0
                                         ? engine_.Start(*stream_, engine::kPushoverMode, increment, method_)
                                         : engine_.Step(increment);
    status_ = engine::StatusCode(status);
    // An abandoned step is not done, and the run may go on with it: the engine is as after step_.
    if (status == engine::RunStatus::Cancelled) return status_;
    if (status != engine::RunStatus::Done) {
        stopped_ = true;
        return status_;
    }
    step_ = engine_.StepCount();
    const engine::ResultView results = engine_.Results();
    CurvePoint point{step_, results.ControlDisplacement(), results.ControlForce()};
    if (method_ == engine::AnalysisMethod::Mcft && engine_.Iterative()) {
        point.loadFactor = engine_.Iterative()->LastRecord().loadFactor;
        point.iterations = engine_.Iterative()->LastRecord().iterations;
    }
    curve_.push_back(point);
    return status_;
}

int PushoverDriver::RunFor(Clock::duration budget, const std::function<void(int status)>& afterCall,
                           const CancelToken* cancel) {
    const Clock::time_point start = Clock::now();
    int calls = 0;
    while (!Finished() && !(cancel && cancel->Cancelled())) {
        const int status = RunStep();
        ++calls;
        if (afterCall) afterCall(status);
        if (status == engine::kStatusCancelled) break;
        if (Clock::now() - start >= budget) break;
    }
    return calls;
}

std::string PushoverDriver::StopMessage() const {
    return stopped_ ? EngineStatusMessage(engine_, status_, attempted_) : std::string();
}

} // namespace torva
