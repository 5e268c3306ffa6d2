#pragma once
// When an equilibrium iteration has converged: the out-of-balance force is small against the applied
// force and the last displacement correction is small against the displacement, both in the Euclidean
// norm over the equations. Both must hold.
#include <cmath>

namespace torva::engine {

struct ConvergenceTest {
    double forceTolerance = 1e-3;        // |R| <= tolerance · |applied force|
    double displacementTolerance = 1e-4; // |du| <= tolerance · |u|
    int iterationLimit = 100;            // iterations of one attempt at a step or sub-step
    // The iteration pairs the quasi-Newton update of the secant matrix keeps (0: plain secant
    // iterations).
    int quasiNewtonPairs = 8;
    // The factorised iteration matrix is kept from iteration to iteration (and step to step) while the
    // iterations bring the out-of-balance force down quickly; false forms and factorises it at every
    // iteration.
    bool keepFactorisation = true;
    // A step's first guess extrapolates the last converged increment; false starts every step from
    // the committed state.
    bool extrapolate = true;

    bool Converged(double residualNorm, double appliedNorm, double correctionNorm,
                   double displacementNorm) const {
        return residualNorm <= forceTolerance * appliedNorm &&
               correctionNorm <= displacementTolerance * displacementNorm;
    }
};

// A vector norm that went NaN or infinite: the iteration has diverged.
inline bool Diverged(double norm) {
    return !std::isfinite(norm);
}

} // namespace torva::engine
