#include "analysis/PushoverDriver.h"

#include "analysis/AnalysisCheck.h"
#include "analysis/EngineInputPacker.h"

namespace torva {

double PushoverSchedule::Increment(int step) const {
    if (stepsPerSegment <= 0 || step < 1 || step > TotalSteps()) return 0.0;
    const int s = (step - 1) / stepsPerSegment;
    return (double(points[s + 1]) - double(points[s])) / 1000.0 / stepsPerSegment;
}

bool ReadPushoverSchedule(const CFramePat& model, PushoverSchedule& schedule, std::string& refusal) {
    schedule = PushoverSchedule{};
    schedule.segments = model.segmentCount == 0 ? 1 : model.segmentCount;
    schedule.stepsPerSegment = model.stepsPerSegment;
    if (schedule.segments < 0 || schedule.segments > kMaxSegments) {
        refusal = "The model has " + std::to_string(model.segmentCount) +
                  " loading segments; a push-over needs 1 to " + std::to_string(kMaxSegments) + ".";
        return false;
    }
    if (schedule.stepsPerSegment <= 0) {
        refusal = "The model divides its loading segments into " + std::to_string(model.stepsPerSegment) +
                  " steps; a push-over needs at least one step a segment.";
        return false;
    }
    bool moves = false;
    for (int p = 0; p <= schedule.segments; ++p) {
        schedule.points[p] = model.segmentPoints[p];
        if (p > 0 && schedule.points[p] != schedule.points[p - 1]) moves = true;
    }
    if (!moves) {
        refusal =
            "The loading segments of the model move the control node nowhere (all target points are equal).";
        return false;
    }
    return true;
}

std::string EngineStatusMessage(int status, int step) {
    const std::string at = " (step " + std::to_string(step) + ")";
    switch (status) {
    case engine::kStatusDone:
        return "";
    case engine::kStatusNoResponse:
        return "The control node does not respond to the loads" + at +
               ": check that the model has point loads that move it in the control direction.";
    case engine::kStatusUnstable:
        return "The structure is unstable: check the supports" + at + ".";
    default:
        return "The engine could not read the analysis input" + at + ".";
    }
}

PushoverDriver::PushoverDriver(engine::Engine& engine, std::span<double> results)
    : engine_(engine), results_(results) {}

bool PushoverDriver::Start(const CFramePat& model, const Mesh& mesh, std::string& message) {
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
    if (!ReadPushoverSchedule(model, schedule_, message)) return false;
    if (results_.size() < size_t(engine::kResultBufferSize)) {
        message = "The result buffer is too small.";
        return false;
    }
    stream_ = PackEngineInput(mesh, model);
    curve_.reserve(size_t(schedule_.TotalSteps()) + 1);
    started_ = true;
    return true;
}

int PushoverDriver::RunStep() {
    if (!started_ || Finished()) return status_;
    attempted_ = step_ + 1;
    const double increment = schedule_.Increment(attempted_);
    const int mode = engine::kPushoverMode;
    int counter = step_; // 0 on the first call: the engine initialises and sets it to 1
    if (counter > 0) ++counter;
    engine_.Run(results_, increment, stream_, mode, counter, status_);
    if (status_ != engine::kStatusDone) {
        stopped_ = true;
        return status_;
    }
    step_ = counter;
    curve_.push_back({step_, results_[0], results_[1]});
    return status_;
}

std::string PushoverDriver::StopMessage() const {
    return stopped_ ? EngineStatusMessage(status_, attempted_) : std::string();
}

} // namespace torva
