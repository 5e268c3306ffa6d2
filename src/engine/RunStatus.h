#pragma once
// The outcome of an engine call. The numbers are those of the engine's status word, which the command
// line prints and returns: 0 done, 3 the control dof does not respond, 4 not positive definite, 5 the
// input is refused, 6 a value of the step is not finite, 7 (iterative method) no equilibrium found, 8
// (iterative method) the caller abandoned the step.
#include "engine/EngineLimits.h"

namespace torva::engine {

enum class RunStatus : int {
    Done = kStatusDone,
    NoResponse = kStatusNoResponse,     // push-over: the control dof does not respond; the step is not done
    Unstable = kStatusUnstable,         // a non-positive pivot: a mechanism or missing supports
    BadInput = kStatusBadInput,         // the stream is inconsistent or beyond the capacities; nothing done
    NotFinite = kStatusNotFinite,       // a value of the step is not finite; the step is not done
    NotConverged = kStatusNotConverged, // iterative method: no equilibrium, even in pieces; not done
    Cancelled = kStatusCancelled,       // iterative method: abandoned by the caller; as before the step
};

constexpr int StatusCode(RunStatus status) {
    return static_cast<int>(status);
}

} // namespace torva::engine
