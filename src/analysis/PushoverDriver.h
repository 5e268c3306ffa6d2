#pragma once
// The push-over run of a model's loading segments, one engine step per call, shared by the headless
// command and the program's push-over animation.
//
// Segment s moves the control node from segmentPoints[s] to segmentPoints[s + 1] (0.001 mm) in
// stepsPerSegment equal increments (a segmentCount of 0 counts as 1). The first call is RunEngine in
// displacement control with step counter 0 and the first increment, so the engine initialises (the
// gravity state) and runs step 1; every further call passes the next step counter and increment. The
// run stops after the last step, or at the first step the engine cannot do (status 3: the control
// node does not respond; status 4: the structure is unstable), keeping the curve so far.
#include "analysis/Mesh.h"
#include "engine/Engine.h"
#include "model/FramePat.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace torva {

// The control increments of a model's loading segments.
struct PushoverSchedule {
    int segments = 0;
    int stepsPerSegment = 0;
    int32_t points[kSegmentPoints] = {}; // target displacements, 0.001 mm

    int TotalSteps() const { return segments * stepsPerSegment; }
    // The control increment (mm) of step 1..TotalSteps().
    double Increment(int step) const;
};

// Reads the schedule; false with a message a user understands when the segments define no run.
bool ReadPushoverSchedule(const CFramePat& model, PushoverSchedule& schedule, std::string& refusal);

// One point of the force-deformation history: results[0] and results[1] after a step.
struct CurvePoint {
    int step = 0;
    double displacement = 0; // control displacement, mm
    double force = 0;        // control force, N
};

class PushoverDriver {
public:
    // Runs on `engine` and writes into `results` (at least kResultBufferSize doubles).
    PushoverDriver(engine::Engine& engine, std::span<double> results);

    // Checks and packs the scanned mesh of `model`. False, with a message, when the model cannot be
    // run: the analysis check refuses it, it has no control node, or its segments move nothing.
    bool Start(const CFramePat& model, const Mesh& mesh, std::string& message);

    // Runs the next step and returns the engine status (0 done, 3, 4, 5).
    int RunStep();

    bool Finished() const { return stopped_ || step_ >= schedule_.TotalSteps(); }
    int Step() const { return step_; }               // steps done so far (the engine's step counter)
    int AttemptedStep() const { return attempted_; } // the step of the last call
    double LastIncrement() const { return schedule_.Increment(attempted_); }
    int TotalSteps() const { return schedule_.TotalSteps(); }
    int LastStatus() const { return status_; }
    const PushoverSchedule& Schedule() const { return schedule_; }
    const std::vector<CurvePoint>& Curve() const { return curve_; }
    std::span<const double> Results() const { return results_; }
    const std::vector<int32_t>& Stream() const { return stream_; }

    // Why the run stopped before its last step (empty while it goes on or when it completed).
    std::string StopMessage() const;

private:
    engine::Engine& engine_;
    std::span<double> results_;
    PushoverSchedule schedule_;
    std::vector<int32_t> stream_;
    std::vector<CurvePoint> curve_;
    int step_ = 0;      // the engine's step counter after the last call
    int attempted_ = 0; // the step of the last call
    int status_ = 0;
    bool started_ = false, stopped_ = false;
};

// The message for an engine status other than 0, naming the step.
std::string EngineStatusMessage(int status, int step);

} // namespace torva
