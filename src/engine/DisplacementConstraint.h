#pragma once
// Displacement control of one equation: the control dof is prescribed and the load factor of the
// point-load pattern is the unknown. With the iteration matrix K, the correction of an iteration is
//   du = K^-1 R + dlambda K^-1 P,
// and dlambda is chosen so that the control dof lands on its target:
//   u_c + (K^-1 R)_c + dlambda (K^-1 P)_c = target.
#include <cmath>

namespace torva::engine {

struct DisplacementConstraint {
    int equation = 0;  // the control dof's equation (1-based), 0 none
    double target = 0; // where the control dof must be after the step, mm

    // The smallest response of the control dof to the pattern that still counts as one.
    static constexpr double kNoResponse = 1.0e-15;

    // The load factor change; false when the pattern does not move the control dof.
    bool LoadFactorChange(double current, double residualResponse, double patternResponse,
                          double& change) const {
        if (!(std::fabs(patternResponse) >= kNoResponse)) return false;
        change = (target - current - residualResponse) / patternResponse;
        return true;
    }
};

} // namespace torva::engine
