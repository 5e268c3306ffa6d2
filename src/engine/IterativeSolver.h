#pragma once
// The iterative method: in every step the structure is brought into equilibrium by iterations on the
// secant stiffness. Plane elements take their Gauss points' matrices from the MCFT concrete model
// (concrete and smeared bars; see IterationMatrix for the turning crack's shear modulus and yielded
// bars); joint elements keep their spring laws and take the secant of each spring (force / opening,
// at least 1 % of its initial stiffness). The skyline LDL' solves.
//
// One iteration, with R = lambda P + Fg - Fint(u) the out-of-balance force on the equations
// (P the point-load pattern, Fg gravity, Fint the internal forces of the current state; with
// incompatible modes, R also carries each element's condensed mode residual, see CondenseResidual):
//   du_R = H R,  du_P = H P,  du = du_R + dlambda du_P,  u += du,  lambda += dlambda
// with dlambda from the displacement constraint (push-over: the control dof is prescribed, the load
// factor is the unknown; gravity stays at its full value) or from the step's load factor (force
// control: step n carries n times the pattern, step 0 gravity alone). H is the inverse of the secant
// matrix K, corrected by a limited-memory BFGS update from the step's earlier iterations
// (QuasiNewton); without pairs H = K^-1 and, with an exact secant (K u = Fint(u)), this is the
// total-load secant iteration u = K^-1 (lambda P + Fg).
//
// The secant matrix is formed and factorised only when the iterations need it: at the start, after a
// failed attempt or a quasi-Newton step taken back, and after an iteration that did not bring the
// out-of-balance force below 0.9 of what it was; otherwise the factors are kept over iterations and
// steps and the quasi-Newton pairs carry what changed since (only elements whose secants moved
// noticeably are formed again). The iteration matrix decides the path of the iterations, not the state
// they converge to. A step starts from the last converged increment extrapolated to its target, unless
// that guess leaves more than a tenth of the applied force out of balance.
//
// A step that does not converge within the iteration limit is cut in halves, down to a sixteenth; the
// material histories are committed only at a converged (sub-)step. A NaN or an infinity anywhere ends
// the attempt like a failed convergence, so nothing unbalanced or undefined is ever accepted.
//
// The engine's iteration observer is told after every iteration; when it answers false the step is
// abandoned (status kStatusCancelled) and everything returns to the last step done, even when pieces
// of a cut step had been committed: the committed state is saved before a step is first cut.
#include "engine/ConvergenceTest.h"
#include "engine/JointElement.h"
#include "engine/McftMaterial.h"
#include "engine/QuasiNewton.h"

#include <cstdint>
#include <span>
#include <vector>

namespace torva::engine {

class Engine;

// What one step did, converged.
struct IterativeStepRecord {
    int step = 0;
    int iterations = 0;             // all iterations of the step, over its attempts and sub-steps
    int subSteps = 1;               // the converged pieces the step was done in (1 when not cut)
    int factorisations = 0;         // of the iteration matrix, over the step's iterations
    double residual = 0;            // |R| / |applied force| at the end
    double loadFactor = 0;          // of the point-load pattern
    double controlDisplacement = 0; // mm (push-over)
    double controlForce = 0;        // N, as the result buffer's control force
};

// Why the last step stopped (status kStatusNotConverged), for the message.
struct IterativeFailure {
    int step = 0;
    double residual = 0;   // |R| / |applied force| reached in the last attempt (NaN when it diverged)
    double loadFactor = 0; // the load factor of the last converged state
    bool diverged = false; // the attempt met a NaN or an infinity
};

class IterativeSolver {
public:
    // Allocates its state for the engine's capacity.
    explicit IterativeSolver(Engine& engine);

    // After the engine has decoded, numbered and built its profile and transforms: sets up the states
    // and brings the structure into equilibrium under gravity (step 0). False, with the status, when
    // that fails.
    bool Initialise(std::span<double> results, int mode, int& status);
    // Load step `step` (from 1): force control adds one pattern (mode 1), displacement control moves
    // the control dof by `increment` mm (mode 2). Writes the engine's result buffer on success.
    void AdvanceStep(std::span<double> results, double increment, int mode, int step, int& status);

    const ConvergenceTest& Test() const { return test_; }
    void SetTest(const ConvergenceTest& test) { test_ = test; }
    const IterativeStepRecord& LastRecord() const { return record_; }
    const IterativeFailure& LastFailure() const { return failure_; }
    // The converged state of a Gauss point (1-based element and point) and its load factor.
    const McftPoint& Point(int element, int g) const { return point_[9 * (element - 1) + g - 1]; }
    double LoadFactor() const { return lambdaCommitted_; }

private:
    enum class Outcome { Converged, NotConverged, Unstable, NoResponse, Cancelled };
    // The two kinds of step: the control dof's target (push-over) or the load factor (force control).
    struct Target {
        bool displacement = false;
        int equation = 0;
        double value = 0;
    };

    static constexpr double kTinyForce = 1e-30; // N: the applied-force norm of an unloaded structure

    static size_t Equations(const Engine& engine); // 1-based vectors over the equations
    void BuildMaterials();
    void Record(std::span<const double> results);
    bool SolveTo(const Target& target, int level, Outcome& outcome);
    Outcome Attempt(const Target& target);
    bool Predict(const Target& target);
    void Restore();
    // The trial state an iteration starts from, kept while a quasi-Newton step is on trial.
    void SaveTrial();
    void RestoreTrial();
    double Norm(const std::vector<double>& v) const;
    void Commit();
    // The committed state before a step's first cut, and back to it when the step is abandoned; the
    // Gauss points are then evaluated again at the committed displacements.
    void SaveStepStart();
    void AbandonStep();
    void Publish();
    // The Gauss-point and spring states of the trial displacement, the internal forces and the
    // out-of-balance force; returns |R|, or NaN when a state is not finite.
    double EvaluateState();
    void EvaluatePlane(int e, const double u[8], double force[8]);
    void CondenseResidual();
    // alpha += T du + Kaa^-1 g (the correction of the modes' own residual).
    void UpdateIncompatibleModes(const std::vector<double>& du);
    void ScatterLocal(int e, const double f[8], std::vector<double>& v) const;
    void EvaluateJoint(int e, const double u[8], const double committed[8]);
    // Re-forms the elements whose secant changed; false when a secant matrix is not finite.
    bool FormStiffness();
    // What pass one of FormStiffness found for an element: unchanged, changed, or not finite from
    // point (value - kSecantNotFinite) on.
    static constexpr int kSecantUnchanged = 0, kSecantChanged = 1, kSecantNotFinite = 2;
    int EvaluateSecant(int e);
    void FormPlane(int e);
    bool JointSecant(int e, JointState& secant, bool& changed, bool record);
    void ReplaceElementMatrix(int e, const double K[64]);
    bool Factorise();
    void GatherLocal(int e, const std::vector<double>& u, double local[8]) const;
    double ControlValue(const Target& target) const;

    Engine& e_;
    ConvergenceTest test_;
    std::vector<McftMaterial> materials_; // per element
    std::vector<uint8_t> hasConcrete_;
    std::vector<McftHistory> history_; // committed, per Gauss point
    std::vector<McftPoint> point_;     // of the trial (after Commit: the converged) state
    std::vector<JointState> jointCommitted_;
    std::vector<double> jointSecant_; // per joint spring: the stiffness its element was last formed with
    std::vector<double> committed_, pattern_, gravity_;
    std::vector<double> residual_;  // lambda P + Fg - Fint
    std::vector<double> condensed_; // the residual with the elements' incompatible modes condensed in
    std::vector<double> correctionR_, correctionP_;
    std::vector<double> previousResidual_; // the residual an iteration started from, then y
    std::vector<double> stepLoad_;         // R + dlambda P: what the iteration's step was solved for
    QuasiNewton quasiNewton_;
    std::vector<double> trialDisplacement_;
    // Per element of formulation 2: the incompatible modes (trial, committed), their out-of-balance
    // g = sum G' s f, and Kaa^-1 of the last formation.
    std::vector<double> alpha_, alphaCommitted_, modeForce_, kaaInverse_;
    std::vector<double> trialAlpha_; // the modes an iteration on trial started from
    double trialLambda_ = 0;
    // FormStiffness' passes: the new secant matrices (9 points × 9 per element) and each element's
    // finding.
    std::vector<double> formedD_;
    // The secant matrices each plane element was last formed with (9 points × 9).
    std::vector<double> formedWith_;
    std::vector<int> formState_;
    std::vector<uint8_t> formChanged_;
    double lambda_ = 0, lambdaCommitted_ = 0;
    // The committed state at the start of a step that had to be cut (SaveStepStart).
    std::vector<McftHistory> historyAtStart_;
    std::vector<JointState> jointAtStart_;
    std::vector<double> committedAtStart_, alphaAtStart_;
    double lambdaAtStart_ = 0;
    // The trial total strains of the Gauss points (3 per point), published with the points.
    std::vector<double> strain_;
    // The last converged increment (of a step or a piece), the next attempt's first guess, and its
    // copy at the start of a cut step.
    std::vector<double> lastIncrement_, lastAlphaIncrement_;
    std::vector<double> lastIncrementAtStart_, lastAlphaIncrementAtStart_;
    double lastLambdaIncrement_ = 0, lastLambdaIncrementAtStart_ = 0;
    bool predictorValid_ = false, predictorValidAtStart_ = false;
    // The next iteration forms and factorises the iteration matrix anew (see kSlowIteration).
    bool refreshMatrix_ = true;
    double lastResidual_ = 0; // |R| / |applied| of the last evaluation
    double appliedNorm_ = 0;  // |lambda P + Fg| of the last evaluation
    int iterations_ = 0, subSteps_ = 0, factorisations_ = 0, step_ = 0;
    IterativeStepRecord record_;
    IterativeFailure failure_;
};

} // namespace torva::engine
