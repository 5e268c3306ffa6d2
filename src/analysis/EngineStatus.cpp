#include "analysis/EngineStatus.h"

#include "engine/Engine.h"
#include "engine/EngineLimits.h"

#include <cmath>
#include <cstdio>

namespace torva {

namespace {

// 2345678 → "2,345,678"
std::string Grouped(long long value) {
    const std::string digits = std::to_string(value < 0 ? -value : value);
    std::string grouped = value < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

} // namespace

std::string EngineStatusMessage(int status, int step, const std::string& engineMessage,
                                const engine::InputRefusal& refusal) {
    const std::string at = step > 0 ? " (step " + std::to_string(step) + ")" : std::string();
    switch (status) {
    case engine::kStatusDone:
        return "";
    case engine::kStatusNoResponse:
        return "The control node does not respond to the loads" + at +
               ": check that the model has point loads that move it in the control direction.";
    case engine::kStatusUnstable:
        return "The structure is unstable: check the supports and look for a mechanism or an element "
               "without support" +
               at + ".";
    case engine::kStatusBadInput:
        if (!engineMessage.empty())
            return "The model cannot be analysed" + at + ": the analysis method is " + engineMessage + ".";
        if (*refusal.quantity != '\0') {
            std::string text = "The model cannot be analysed" + at + ": it needs " + Grouped(refusal.needed) +
                               " " + refusal.quantity + " and the analysis holds " +
                               Grouped(refusal.capacity) + " (" + Grouped(refusal.needed - refusal.capacity) +
                               " too many).";
            if (std::string(refusal.quantity) == "skyline profile terms")
                text += " Rows or columns of zero size tie distant nodes together and make the profile grow.";
            return text;
        }
        return "The model cannot be analysed" + at +
               ": it is larger than the analysis can hold or its input is inconsistent.";
    case engine::kStatusNotFinite:
        return "The analysis was stopped" + at +
               ": its displacements or stresses are no longer finite numbers. Try smaller increments, and "
               "look for elements of zero width or height and extreme material values.";
    case engine::kStatusNotConverged:
        return "The iterative analysis found no equilibrium" + at +
               ", even with the step cut into sixteenths. The structure may have reached its capacity "
               "there; try smaller steps, or the classic step-by-step method.";
    case engine::kStatusCancelled:
        return "The analysis was stopped" + at +
               " before its end; the results on display are those of before.";
    default:
        return "The analysis stopped with status " + std::to_string(status) + at + ".";
    }
}

std::string EngineStatusMessage(const engine::Engine& engine, int status, int step) {
    const engine::IterativeSolver* solver = engine.Iterative();
    if (status != engine::kStatusNotConverged || solver == nullptr)
        return EngineStatusMessage(status, step, engine.Message(), engine.Refusal());
    const engine::IterativeFailure& failure = solver->LastFailure();
    std::string reached;
    if (failure.diverged || !std::isfinite(failure.residual)) {
        reached = "the iterations diverged";
    } else {
        char text[96];
        std::snprintf(text, sizeof text, "the out-of-balance force was still %.2g %% of the applied force",
                      100.0 * failure.residual);
        reached = text;
    }
    const std::string at = step > 0 ? " (step " + std::to_string(step) + ")" : std::string();
    return "The iterative analysis found no equilibrium" + at + ": with the step cut into sixteenths, " +
           reached +
           ". The structure may have reached its capacity there; try smaller steps, or the classic " +
           "step-by-step method.";
}

} // namespace torva
