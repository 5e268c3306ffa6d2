#include "engine/IterativeSolver.h"

#include "engine/ColumnSolve.h"
#include "engine/DisplacementConstraint.h"
#include "engine/Engine.h"
#include "engine/IterationMatrix.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace torva::engine {
namespace {

constexpr double kLargestIncrement = 1e100; // mm: beyond it (or NaN) a step is refused as not finite
constexpr int kMaxCutLevels = 4;            // a step is cut down to 1/16 at most
// A quasi-Newton step after which the out-of-balance force is this many times what it was is taken back.
constexpr double kRejectedGrowth = 10.0;
// The factorised iteration matrix is kept from iteration to iteration, and from step to step, while
// the quasi-Newton update makes each iteration bring the out-of-balance force down to at most this
// share of what it was; an iteration that does less has the matrix formed and factorised anew.
constexpr double kSlowIteration = 0.9;
// With the matrix kept, a plane element is formed anew only when some term of its points' secant
// matrices has moved by more than this share of their largest term since it was last formed: the
// iteration matrix need not follow the small drift of every uncracked point's compression secant.
constexpr double kReformTolerance = 1e-3;
// A step's first guess extrapolates the last converged increment by at most this factor, and is used
// only when it leaves at most this share of the applied force out of balance.
constexpr double kLargestExtrapolation = 4.0;
constexpr double kUsefulGuess = 0.1;
constexpr double kJointSecantFloor = 0.01;       // of the spring's initial stiffness
constexpr double kDefaultPeakStrain = 0.002;     // where a concrete type gives none
constexpr double kCrackingStrengthFactor = 0.33; // ft = 0.33 sqrt(fc) where the type gives none

bool Finite(const double* values, int count) {
    for (int i = 0; i < count; ++i)
        if (!std::isfinite(values[i])) return false;
    return true;
}

// The secant of a spring law: force / opening, bounded from below; the initial stiffness while the
// spring has not opened or closed.
double SpringSecant(double force, double opening, double initial) {
    if (initial <= 0.0) return 0.0;
    const double secant = opening != 0.0 ? force / opening : initial;
    return std::max(secant, kJointSecantFloor * initial);
}

// Kaa^-1 with Kaa = sum G' D G f, by Gauss-Jordan elimination with partial pivoting (Kaa is symmetric
// positive definite for an element of positive area); zero when a pivot vanishes.
void ModeMatrixInverse(const PlaneGaussGeometry gauss[9], const double D[9][9], double inverse[16]) {
    double a[4][8] = {};
    for (int p = 0; p < 9; ++p) {
        const PlaneGaussGeometry& gp = gauss[p];
        double G[3][4];
        gp.G(G);
        for (int i = 0; i < 4; ++i) {
            double dg[3];
            for (int r = 0; r < 3; ++r)
                dg[r] = D[p][3 * r] * G[0][i] + D[p][3 * r + 1] * G[1][i] + D[p][3 * r + 2] * G[2][i];
            for (int j = 0; j < 4; ++j)
                a[j][i] += (G[0][j] * dg[0] + G[1][j] * dg[1] + G[2][j] * dg[2]) * gp.factor;
        }
    }
    for (int i = 0; i < 4; ++i) a[i][4 + i] = 1.0;
    for (int c = 0; c < 4; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 4; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
        if (!(std::fabs(a[pivot][c]) > 0.0)) {
            std::fill_n(inverse, 16, 0.0);
            return;
        }
        if (pivot != c)
            for (int k = 0; k < 8; ++k) std::swap(a[c][k], a[pivot][k]);
        const double scale = 1.0 / a[c][c];
        for (int k = 0; k < 8; ++k) a[c][k] *= scale;
        for (int r = 0; r < 4; ++r) {
            if (r == c || a[r][c] == 0.0) continue;
            const double factor = a[r][c];
            for (int k = 0; k < 8; ++k) a[r][k] -= factor * a[c][k];
        }
    }
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) inverse[4 * i + j] = a[i][4 + j];
}

} // namespace

IterativeSolver::IterativeSolver(Engine& engine)
    : e_(engine), materials_(size_t(engine.capacity_.elements)),
      hasConcrete_(size_t(engine.capacity_.elements)),
      history_(size_t(kGaussPoints * engine.capacity_.elements)),
      point_(size_t(kGaussPoints * engine.capacity_.elements)),
      jointCommitted_(size_t(engine.capacity_.elements)), jointSecant_(size_t(2 * engine.capacity_.elements)),
      committed_(Equations(engine)), pattern_(Equations(engine)), gravity_(Equations(engine)),
      residual_(Equations(engine)), condensed_(Equations(engine)), correctionR_(Equations(engine)),
      correctionP_(Equations(engine)), previousResidual_(Equations(engine)), stepLoad_(Equations(engine)),
      trialDisplacement_(Equations(engine)), alpha_(size_t(4 * engine.capacity_.elements)),
      alphaCommitted_(size_t(4 * engine.capacity_.elements)),
      modeForce_(size_t(4 * engine.capacity_.elements)), kaaInverse_(size_t(16 * engine.capacity_.elements)),
      trialAlpha_(size_t(4 * engine.capacity_.elements)), formedD_(size_t(81 * engine.capacity_.elements)),
      formedWith_(size_t(81 * engine.capacity_.elements)), formState_(size_t(engine.capacity_.elements)),
      formChanged_(size_t(engine.capacity_.elements)),
      historyAtStart_(size_t(kGaussPoints * engine.capacity_.elements)),
      jointAtStart_(size_t(engine.capacity_.elements)), committedAtStart_(Equations(engine)),
      alphaAtStart_(size_t(4 * engine.capacity_.elements)), strain_(size_t(27 * engine.capacity_.elements)),
      lastIncrement_(Equations(engine)), lastAlphaIncrement_(size_t(4 * engine.capacity_.elements)),
      lastIncrementAtStart_(Equations(engine)),
      lastAlphaIncrementAtStart_(size_t(4 * engine.capacity_.elements)) {}

size_t IterativeSolver::Equations(const Engine& engine) {
    return size_t(2 * engine.capacity_.nodes + 1);
}

void IterativeSolver::BuildMaterials() {
    for (int e = 0; e < e_.elementCount_; ++e) {
        const ElementRecord& element = e_.elements_[e];
        hasConcrete_[e] = element.discrete == 0 && element.concreteType != 0;
        McftMaterial& m = materials_[e];
        m = McftMaterial{};
        if (!hasConcrete_[e]) continue;
        const ConcreteType& c = e_.concreteTypes_[element.concreteType];
        m.fc = c.fc;
        m.ft = c.ft > 0.0 ? c.ft : kCrackingStrengthFactor * std::sqrt(c.fc);
        m.eps0 = c.eps0 > 0.0 ? c.eps0 : kDefaultPeakStrain;
        m.Ec = c.Ec;
        if (element.rebarType == 0) continue;
        const RebarType& r = e_.rebarTypes_[element.rebarType];
        const double area[2] = {r.Ax, r.Ay}, spacing[2] = {r.sx, r.sy}, fy[2] = {r.fyx, r.fyy};
        for (int k = 0; k < 2; ++k) {
            McftBars& bars = m.bars[k];
            if (!(area[k] > 0.0 && spacing[k] > 0.0 && c.thickness > 0.0)) continue;
            bars.rho = area[k] / spacing[k] / c.thickness;
            bars.fy = fy[k];
            bars.Es = r.Es;
            bars.spacing = spacing[k];
        }
    }
}

bool IterativeSolver::Initialise(std::span<double> results, int mode, int& status) {
    Engine& g = e_;
    const int n = g.equationCount_;
    g.formedAhead_ = false;
    std::fill_n(g.totalDisplacement_.begin() + 1, n, 0.0);
    std::fill_n(g.loadIncrement_.begin() + 1, n, 0.0);
    g.ClearProfile();
    g.factorValid_ = false;
    // The classic set-up gives the geometry, the gravity loads, the joint properties and a first
    // matrix, whose plane elements the secant iteration re-forms.
    g.InitialiseElementStates();
    g.AssembleStiffness();
    std::copy_n(g.loadIncrement_.begin() + 1, n, gravity_.begin() + 1);
    g.BuildReferenceLoad();
    std::copy_n(g.loadIncrement_.begin() + 1, n, pattern_.begin() + 1);
    BuildMaterials();
    for (int e = 0; e < g.elementCount_; ++e) {
        for (int p = 0; p < kGaussPoints; ++p) {
            history_[9 * e + p] = McftHistory{};
            point_[9 * e + p] = McftPoint{};
        }
        jointCommitted_[e] = g.joints_[e];
        for (int p = 0; p < kGaussPoints; ++p)
            std::copy_n(g.gauss_[9 * e + p].D, 9, &formedWith_[81 * e + 9 * p]);
        for (int k = 0; k < 2; ++k)
            jointSecant_[2 * e + k] =
                g.joints_[e].spring[k].concreteTangent + g.joints_[e].spring[k].steelTangent;
    }
    std::fill_n(committed_.begin() + 1, n, 0.0);
    std::fill_n(alpha_.begin(), 4 * g.elementCount_, 0.0);
    std::fill_n(alphaCommitted_.begin(), 4 * g.elementCount_, 0.0);
    std::fill_n(kaaInverse_.begin(), 16 * g.elementCount_, 0.0);
    lambda_ = lambdaCommitted_ = 0.0;
    predictorValid_ = false;
    refreshMatrix_ = true;

    // Step 0: gravity alone, load factor 0.
    step_ = 0;
    iterations_ = subSteps_ = factorisations_ = 0;
    Outcome outcome;
    if (!SolveTo(Target{}, kMaxCutLevels, outcome)) {
        status = outcome == Outcome::Unstable    ? kStatusUnstable
                 : outcome == Outcome::Cancelled ? kStatusCancelled
                                                 : kStatusNotConverged;
        return false;
    }
    Publish();
    g.WriteResults(results, mode, 0);
    Record(results);
    return true;
}

void IterativeSolver::AdvanceStep(std::span<double> results, double increment, int mode, int step,
                                  int& status) {
    step_ = step;
    iterations_ = subSteps_ = factorisations_ = 0;
    Target target;
    if (!(std::fabs(increment) <= kLargestIncrement)) {
        status = kStatusNotFinite;
        return;
    }
    if (mode == kPushoverMode) {
        target.displacement = true;
        target.equation =
            e_.controlNode_ != 0 ? e_.equationNumber_[2 * (e_.controlNode_ - 1) + e_.controlDirection_] : 0;
        if (target.equation == 0) {
            status = kStatusNoResponse;
            return;
        }
        target.value = committed_[target.equation] + increment;
    } else {
        target.value = lambdaCommitted_ + 1.0;
    }
    Outcome outcome;
    if (!SolveTo(target, 0, outcome)) {
        if (outcome == Outcome::Cancelled) AbandonStep();
        status = outcome == Outcome::Unstable     ? kStatusUnstable
                 : outcome == Outcome::NoResponse ? kStatusNoResponse
                 : outcome == Outcome::Cancelled  ? kStatusCancelled
                                                  : kStatusNotConverged;
        return;
    }
    Publish();
    e_.WriteResults(results, mode, step);
    Record(results);
}

void IterativeSolver::Record(std::span<const double> results) {
    record_.step = step_;
    record_.iterations = iterations_;
    record_.subSteps = subSteps_;
    record_.factorisations = factorisations_;
    record_.residual = lastResidual_;
    record_.loadFactor = lambdaCommitted_;
    record_.controlDisplacement = results[0];
    record_.controlForce = results[1];
}

double IterativeSolver::ControlValue(const Target& target) const {
    return target.displacement ? committed_[target.equation] : lambdaCommitted_;
}

// The step from the committed state to `target`; when an attempt fails, the two halves one level
// down. Every converged piece is committed.
bool IterativeSolver::SolveTo(const Target& target, int level, Outcome& outcome) {
    outcome = Attempt(target);
    if (outcome == Outcome::Converged) {
        Commit();
        ++subSteps_;
        return true;
    }
    Restore();
    refreshMatrix_ = true;
    if (outcome == Outcome::Cancelled) return false;
    failure_.step = step_;
    failure_.residual = lastResidual_;
    failure_.loadFactor = lambdaCommitted_;
    failure_.diverged = !std::isfinite(lastResidual_);
    if (outcome == Outcome::NoResponse || level >= kMaxCutLevels) return false;
    Target half = target;
    half.value = 0.5 * (ControlValue(target) + target.value);
    if (half.value == target.value || half.value == ControlValue(target)) return false;
    if (level == 0) SaveStepStart();
    return SolveTo(half, level + 1, outcome) && SolveTo(target, level + 1, outcome);
}

// The first guess of an attempt: the last converged increment, scaled to this one by the control dof's
// move (push-over) or the load factor's (force control). Along a smooth response the iterations then
// start close to equilibrium; where the response turns they correct the guess as they would correct
// the committed state. No guess after the gravity state, or where the control reverses.
bool IterativeSolver::Predict(const Target& target) {
    if (!predictorValid_ || !test_.extrapolate) return false;
    const double last = target.displacement ? lastIncrement_[target.equation] : lastLambdaIncrement_;
    const double ratio = (target.value - ControlValue(target)) / last;
    if (!(ratio > 0.0 && ratio <= kLargestExtrapolation)) return false;
    double* u = e_.totalDisplacement_.data();
    for (int eq = 1; eq <= e_.equationCount_; ++eq) u[eq] = committed_[eq] + ratio * lastIncrement_[eq];
    for (int k = 0; k < 4 * e_.elementCount_; ++k)
        alpha_[k] = alphaCommitted_[k] + ratio * lastAlphaIncrement_[k];
    lambda_ = lambdaCommitted_ + ratio * lastLambdaIncrement_;
    return true;
}

IterativeSolver::Outcome IterativeSolver::Attempt(const Target& target) {
    const int n = e_.equationCount_;
    double* u = e_.totalDisplacement_.data();
    const bool predicted = Predict(target);
    lastResidual_ = EvaluateState() / std::max(appliedNorm_, kTinyForce);
    // A guess far out of balance (the last step opened cracks or yielded bars that this one need not
    // open further) is dropped: iterations from it may settle on another equilibrium of the softening
    // material than the committed state leads to.
    if (predicted && !(lastResidual_ <= kUsefulGuess)) {
        Restore();
        lastResidual_ = EvaluateState() / std::max(appliedNorm_, kTinyForce);
    }
    if (!std::isfinite(lastResidual_)) return Outcome::NotConverged;
    quasiNewton_.Start(n, test_.quasiNewtonPairs);
    for (int iteration = 1; iteration <= test_.iterationLimit; ++iteration) {
        ++iterations_;
        if (refreshMatrix_ || !e_.factorValid_ || !test_.keepFactorisation) {
            if (!FormStiffness()) {
                lastResidual_ = NAN;
                return Outcome::NotConverged;
            }
            if (!e_.factorValid_) ++factorisations_;
            if (!Factorise()) return Outcome::Unstable;
            refreshMatrix_ = false;
        }
        CondenseResidual();
        const double before = Norm(condensed_);
        const bool updated = quasiNewton_.Pairs() > 0;
        if (updated) SaveTrial();
        // The out-of-balance force and the load pattern in one pass over the factors.
        quasiNewton_.ApplyPair(condensed_, pattern_, correctionR_, correctionP_,
                               [this](std::vector<double>& w) { e_.SolvePairWithFactors(w.data()); });
        double change = target.value - lambda_;
        if (target.displacement) {
            const DisplacementConstraint constraint{target.equation, target.value};
            if (!constraint.LoadFactorChange(u[target.equation], correctionR_[target.equation],
                                             correctionP_[target.equation], change))
                return Outcome::NoResponse;
        }
        for (int eq = 1; eq <= n; ++eq) {
            const double du = correctionR_[eq] + change * correctionP_[eq];
            correctionR_[eq] = du;
            u[eq] += du;
        }
        lambda_ += change;
        UpdateIncompatibleModes(correctionR_);
        // The step solved B du = R + dlambda P; y starts from R and the right-hand side is kept.
        for (int eq = 1; eq <= n; ++eq) {
            previousResidual_[eq] = condensed_[eq];
            stepLoad_[eq] = condensed_[eq] + change * pattern_[eq];
        }
        const double residual = EvaluateState();
        double correction = 0.0, displacement = 0.0;
        for (int eq = 1; eq <= n; ++eq) {
            correction += correctionR_[eq] * correctionR_[eq];
            displacement += u[eq] * u[eq];
        }
        correction = std::sqrt(correction);
        if (e_.iterationObserver_ && !e_.iterationObserver_(IterationReport{
                                         step_, iterations_, residual / std::max(appliedNorm_, kTinyForce)}))
            return Outcome::Cancelled;
        // A quasi-Newton step that multiplied the out-of-balance force (or made it undefined) is taken
        // back: its pairs described the structure before a crack opened or a bar yielded. The
        // iteration goes on from the state before it with the plain secant matrix and no pairs.
        if (updated && !(residual <= kRejectedGrowth * before)) {
            RestoreTrial();
            refreshMatrix_ = true;
            lastResidual_ = EvaluateState() / std::max(appliedNorm_, kTinyForce);
            quasiNewton_.Start(n, test_.quasiNewtonPairs);
            continue;
        }
        lastResidual_ = residual / std::max(appliedNorm_, kTinyForce);
        if (Diverged(residual) || Diverged(correction) || !std::isfinite(lambda_)) {
            lastResidual_ = NAN;
            return Outcome::NotConverged;
        }
        // The internal forces' change over the iteration: y = R_before - R_after + dlambda P.
        const std::vector<double>& after = e_.formulation_ == 2 ? condensed_ : residual_;
        for (int eq = 1; eq <= n; ++eq)
            previousResidual_[eq] = previousResidual_[eq] - after[eq] + change * pattern_[eq];
        quasiNewton_.Add(correctionR_, previousResidual_, stepLoad_);
        if (test_.Converged(residual, appliedNorm_, correction, std::sqrt(displacement)))
            return Outcome::Converged;
        if (!(residual <= kSlowIteration * before)) refreshMatrix_ = true;
    }
    return Outcome::NotConverged;
}

// The incompatible modes of an element are its own unknowns, in equilibrium when g = sum G' s f = 0.
// Linearised with the secant D of the last formation: d alpha = T du + Kaa^-1 g, and the element adds
// T' g to the out-of-balance force of its nodes (static condensation of the residual).
void IterativeSolver::CondenseResidual() {
    const int n = e_.equationCount_;
    std::copy_n(residual_.begin() + 1, n, condensed_.begin() + 1);
    if (e_.formulation_ != 2) return;
    for (int e = 0; e < e_.elementCount_; ++e) {
        if (!hasConcrete_[e]) continue;
        const double* T = &e_.condensation_[32 * e];
        const double* g = &modeForce_[4 * e];
        double f[8];
        for (int l = 0; l < 8; ++l)
            f[l] = T[l] * g[0] + T[8 + l] * g[1] + T[16 + l] * g[2] + T[24 + l] * g[3];
        ScatterLocal(e, f, condensed_);
    }
}

void IterativeSolver::UpdateIncompatibleModes(const std::vector<double>& du) {
    if (e_.formulation_ != 2) return;
    for (int e = 0; e < e_.elementCount_; ++e) {
        if (!hasConcrete_[e]) continue;
        double local[8];
        GatherLocal(e, du, local);
        const double* T = &e_.condensation_[32 * e];
        const double* inverse = &kaaInverse_[16 * e];
        const double* g = &modeForce_[4 * e];
        double* alpha = &alpha_[4 * e];
        for (int a = 0; a < 4; ++a) {
            double sum = 0.0;
            for (int l = 0; l < 8; ++l) sum += T[8 * a + l] * local[l];
            for (int b = 0; b < 4; ++b) sum += inverse[4 * a + b] * g[b];
            alpha[a] += sum;
        }
    }
}

void IterativeSolver::ScatterLocal(int e, const double f[8], std::vector<double>& v) const {
    const int32_t* list = &e_.dofList_[kMaxElementDofs * e];
    for (int l = 0; l < 8; ++l)
        for (int a = 0; a < e_.localCount_[8 * e + l]; ++a) {
            const int m = e_.localEntry_[kMaxMasters * (8 * e + l) + a];
            v[e_.equationNumber_[list[m]]] += e_.localFactor_[kMaxMasters * (8 * e + l) + a] * f[l];
        }
}

double IterativeSolver::Norm(const std::vector<double>& v) const {
    double sum = 0.0;
    for (int eq = 1; eq <= e_.equationCount_; ++eq) sum += v[eq] * v[eq];
    return std::sqrt(sum);
}

void IterativeSolver::SaveTrial() {
    std::copy_n(e_.totalDisplacement_.begin() + 1, e_.equationCount_, trialDisplacement_.begin() + 1);
    std::copy_n(alpha_.begin(), 4 * e_.elementCount_, trialAlpha_.begin());
    trialLambda_ = lambda_;
}

void IterativeSolver::RestoreTrial() {
    std::copy_n(trialDisplacement_.begin() + 1, e_.equationCount_, e_.totalDisplacement_.begin() + 1);
    std::copy_n(trialAlpha_.begin(), 4 * e_.elementCount_, alpha_.begin());
    lambda_ = trialLambda_;
}

void IterativeSolver::Restore() {
    const int n = e_.equationCount_;
    std::copy_n(committed_.begin() + 1, n, e_.totalDisplacement_.begin() + 1);
    lambda_ = lambdaCommitted_;
    std::copy_n(alphaCommitted_.begin(), 4 * e_.elementCount_, alpha_.begin());
    for (int e = 0; e < e_.elementCount_; ++e)
        if (e_.elements_[e].discrete != 0) e_.joints_[e] = jointCommitted_[e];
}

void IterativeSolver::Commit() {
    const int n = e_.equationCount_;
    for (int e = 0; e < e_.elementCount_; ++e) {
        if (e_.elements_[e].discrete != 0) jointCommitted_[e] = e_.joints_[e];
        if (!hasConcrete_[e]) continue;
        for (int p = 0; p < kGaussPoints; ++p) CommitMcft(point_[9 * e + p], history_[9 * e + p]);
    }
    // The increment of a load step (or a piece of one) guesses the next one; gravity's does not.
    predictorValid_ = step_ > 0;
    for (int eq = 1; eq <= n; ++eq) lastIncrement_[eq] = e_.totalDisplacement_[eq] - committed_[eq];
    for (int k = 0; k < 4 * e_.elementCount_; ++k) lastAlphaIncrement_[k] = alpha_[k] - alphaCommitted_[k];
    lastLambdaIncrement_ = lambda_ - lambdaCommitted_;
    std::copy_n(e_.totalDisplacement_.begin() + 1, n, committed_.begin() + 1);
    std::copy_n(alpha_.begin(), 4 * e_.elementCount_, alphaCommitted_.begin());
    lambdaCommitted_ = lambda_;
}

void IterativeSolver::SaveStepStart() {
    const int n = e_.equationCount_, elements = e_.elementCount_;
    std::copy_n(history_.begin(), kGaussPoints * elements, historyAtStart_.begin());
    std::copy_n(jointCommitted_.begin(), elements, jointAtStart_.begin());
    std::copy_n(committed_.begin() + 1, n, committedAtStart_.begin() + 1);
    std::copy_n(alphaCommitted_.begin(), 4 * elements, alphaAtStart_.begin());
    lambdaAtStart_ = lambdaCommitted_;
    std::copy_n(lastIncrement_.begin() + 1, n, lastIncrementAtStart_.begin() + 1);
    std::copy_n(lastAlphaIncrement_.begin(), 4 * elements, lastAlphaIncrementAtStart_.begin());
    lastLambdaIncrementAtStart_ = lastLambdaIncrement_;
    predictorValidAtStart_ = predictorValid_;
}

void IterativeSolver::AbandonStep() {
    const int n = e_.equationCount_, elements = e_.elementCount_;
    if (subSteps_ > 0) {
        // Pieces of the step were committed: back to the state saved before its first cut.
        std::copy_n(historyAtStart_.begin(), kGaussPoints * elements, history_.begin());
        std::copy_n(jointAtStart_.begin(), elements, jointCommitted_.begin());
        std::copy_n(committedAtStart_.begin() + 1, n, committed_.begin() + 1);
        std::copy_n(alphaAtStart_.begin(), 4 * elements, alphaCommitted_.begin());
        lambdaCommitted_ = lambdaAtStart_;
        std::copy_n(lastIncrementAtStart_.begin() + 1, n, lastIncrement_.begin() + 1);
        std::copy_n(lastAlphaIncrementAtStart_.begin(), 4 * elements, lastAlphaIncrement_.begin());
        lastLambdaIncrement_ = lastLambdaIncrementAtStart_;
        predictorValid_ = predictorValidAtStart_;
    }
    refreshMatrix_ = true;
    Restore();
    // The points describe the committed state again (the trial ones were the abandoned iteration's);
    // the joints' trial states this leaves are put back. The engine's Gauss points still hold the
    // last published (committed) state.
    EvaluateState();
    Restore();
}

// The converged points into the engine's Gauss-point states, which the result buffer is written from:
// principal concrete stresses and the angle of the first, principal strains, smeared bar stresses.
void IterativeSolver::Publish() {
    for (int e = 0; e < e_.elementCount_; ++e) {
        if (!hasConcrete_[e]) {
            e_.GatherPrincipalStresses(e);
            continue;
        }
        for (int p = 0; p < kGaussPoints; ++p) {
            const McftPoint& point = point_[9 * e + p];
            GaussPointState& gp = e_.gauss_[9 * e + p];
            std::copy_n(&strain_[27 * e + 3 * p], 3, gp.strain);
            std::copy_n(point.stress, 3, gp.totalStress);
            gp.concrete.principal[0] = point.f1;
            gp.concrete.principal[1] = point.f2;
            gp.concrete.principal[2] = point.theta;
            std::copy_n(gp.concrete.principal, 3, &e_.principal_[3 * (kGaussPoints * e + p)]);
            gp.concrete.dir[0].eps = point.e1;
            gp.concrete.dir[1].eps = point.e2;
            for (int k = 0; k < 2; ++k) gp.rebarStress[k] = materials_[e].bars[k].rho * point.barStress[k];
            gp.rebarStress[2] = 0.0;
        }
    }
}

void IterativeSolver::GatherLocal(int e, const std::vector<double>& u, double local[8]) const {
    const int32_t* list = &e_.dofList_[kMaxElementDofs * e];
    for (int l = 0; l < 8; ++l) {
        double sum = 0.0;
        for (int a = 0; a < e_.localCount_[8 * e + l]; ++a) {
            const int m = e_.localEntry_[kMaxMasters * (8 * e + l) + a];
            sum += e_.localFactor_[kMaxMasters * (8 * e + l) + a] * u[e_.equationNumber_[list[m]]];
        }
        local[l] = sum;
    }
}

double IterativeSolver::EvaluateState() {
    const int n = e_.equationCount_;
    // Each element's state and local forces on the analysis' threads; the forces are summed afterwards
    // in element order, so the result does not depend on the threads.
    e_.ForElementRanges([this](int begin, int end) {
        for (int e = begin; e < end; ++e) {
            double u[8];
            double* force = &e_.elementForce_[8 * e];
            if (e_.elements_[e].discrete != 0) {
                double before[8];
                GatherLocal(e, e_.totalDisplacement_, u);
                GatherLocal(e, committed_, before);
                EvaluateJoint(e, u, before);
            } else if (hasConcrete_[e]) {
                GatherLocal(e, e_.totalDisplacement_, u);
                EvaluatePlane(e, u, force);
                continue;
            } else {
                std::fill_n(force, 8, 0.0);
                continue;
            }
            e_.ElementForce(e, force);
        }
    });
    std::fill_n(e_.internalForce_.begin() + 1, n, 0.0);
    for (int e = 0; e < e_.elementCount_; ++e) e_.ScatterElementForce(e, &e_.elementForce_[8 * e]);
    double residual = 0.0, applied = 0.0;
    for (int eq = 1; eq <= n; ++eq) {
        const double external = lambda_ * pattern_[eq] + gravity_[eq];
        residual_[eq] = external - e_.internalForce_[eq];
        residual += residual_[eq] * residual_[eq];
        applied += external * external;
    }
    appliedNorm_ = std::sqrt(applied);
    if (e_.formulation_ != 2) return std::sqrt(residual);
    CondenseResidual();
    residual = 0.0;
    for (int eq = 1; eq <= n; ++eq) residual += condensed_[eq] * condensed_[eq];
    return std::sqrt(residual);
}

// Total strains from the total displacements and the element's incompatible modes; g = sum G' s f,
// what holds the modes out of balance; the nodal forces B0' s f (as the engine's ElementForce sums
// them). The strains stay in the solver's own compact array until they are published: the engine's
// Gauss-point records are large, and touching them at every iteration costs more than the material.
void IterativeSolver::EvaluatePlane(int e, const double u[8], double force[8]) {
    const double* alpha = &alpha_[4 * e];
    double* g = &modeForce_[4 * e];
    std::fill_n(g, 4, 0.0);
    std::fill_n(force, 8, 0.0);
    for (int p = 0; p < kGaussPoints; ++p) {
        const PlaneGaussGeometry& geometry = e_.geometry_[9 * e + p];
        double G[3][4];
        geometry.G(G);
        double* strain = &strain_[27 * e + 3 * p];
        PlaneStrainIncrement(geometry, u, alpha, strain);
        McftPoint& point = point_[9 * e + p];
        EvaluateMcft(materials_[e], strain, history_[9 * e + p], point);
        const double* s = point.stress;
        for (int a = 0; a < 4; ++a)
            g[a] += (G[0][a] * s[0] + G[1][a] * s[1] + G[2][a] * s[2]) * geometry.factor;
        for (int a = 0; a < 4; ++a) {
            const double dx = geometry.dx[a], dy = geometry.dy[a];
            force[2 * a] += (dx * s[0] + dy * s[2]) * geometry.factor;
            force[2 * a + 1] += (dy * s[1] + dx * s[2]) * geometry.factor;
        }
    }
}

// The springs' laws run from the committed state over the whole opening change of the step so far.
void IterativeSolver::EvaluateJoint(int e, const double u[8], const double committed[8]) {
    double du[8];
    for (int l = 0; l < 8; ++l) du[l] = u[l] - committed[l];
    JointState trial = jointCommitted_[e];
    UpdateJoint(trial, e_.jointProperties_[e], e_.elements_[e].discrete, du, step_);
    e_.joints_[e] = trial;
}

// The joint's secant springs into `secant`; false when their stiffness is not finite. `changed` tells
// whether the element must be formed again (and `jointSecant_` takes the new stiffness when `record`).
bool IterativeSolver::JointSecant(int e, JointState& secant, bool& changed, bool record) {
    const JointProperties& p = e_.jointProperties_[e];
    secant = e_.joints_[e];
    changed = false;
    for (int k = 0; k < 2; ++k) {
        JointSpring& s = secant.spring[k];
        s.concreteTangent = p.hasConcrete ? SpringSecant(s.concreteForce, s.concreteOpening, p.k0) : 0.0;
        // A yielded steel spring counts with its tangent, as yielded bars do (IterationMatrix).
        s.steelTangent = p.hasSteel ? std::max(std::min(SpringSecant(s.steelForce, s.steelOpening, p.ks),
                                                        e_.joints_[e].spring[k].steelTangent),
                                               kJointSecantFloor * p.ks)
                                    : 0.0;
        const double stiffness = s.concreteTangent + s.steelTangent;
        if (!std::isfinite(stiffness)) return false;
        changed = changed || stiffness != jointSecant_[2 * e + k];
        if (record) jointSecant_[2 * e + k] = stiffness;
    }
    return true;
}

// Three passes, so that the element work goes over the analysis' threads and the outcome is that of
// re-forming the elements one after the other in element order, stopping at the first one whose
// secant is not finite: (1) every element's secant matrices and what became of them; (2) the changed
// plane elements before the first failing one formed, each into its own slots; (3) in element order,
// the matrices into the profile, the joints formed, and the failing element's points up to the
// failing one taken, as the one-by-one re-formation leaves them.
bool IterativeSolver::FormStiffness() {
    const int elements = e_.elementCount_;
    e_.ForElementRanges([this](int begin, int end) {
        for (int e = begin; e < end; ++e) formState_[e] = EvaluateSecant(e);
    });
    int failing = elements;
    for (int e = 0; e < elements; ++e)
        if (formState_[e] >= kSecantNotFinite) {
            failing = e;
            break;
        }
    e_.ForElementRanges([this, failing](int begin, int end) {
        for (int e = begin; e < std::min(end, failing); ++e)
            if (formState_[e] == kSecantChanged) FormPlane(e);
    });
    bool allInPlace = true;
    for (int e = 0; e < failing && allInPlace; ++e)
        if (formState_[e] == kSecantChanged && !e_.FormedInPlace(e)) allInPlace = false;
    bool joints = false;
    for (int e = 0; e < failing && !joints; ++e) joints = e_.elements_[e].discrete != 0;
    if (allInPlace && !joints) {
        for (int e = 0; e < failing; ++e) formChanged_[e] = formState_[e] == kSecantChanged;
        e_.AssembleFormedInPlace(formChanged_.data(), failing);
    } else {
        for (int e = 0; e < failing; ++e) {
            if (e_.elements_[e].discrete != 0) {
                JointState secant;
                bool changed = false;
                JointSecant(e, secant, changed, true); // finite: the first pass found so
                if (!changed) continue;
                double K[64];
                JointLocalStiffness(secant, e_.elements_[e].discrete, K);
                ReplaceElementMatrix(e, K);
            } else if (formState_[e] == kSecantChanged) {
                if (e_.FormedInPlace(e)) {
                    e_.AddStagedDifferences(e, 0, INT32_MAX);
                    e_.factorValid_ = false;
                } else
                    ReplaceElementMatrix(e, &e_.formedMatrix_[64 * e]);
            }
        }
    }
    if (failing == elements) return true;
    if (e_.elements_[failing].discrete != 0) {
        JointState secant;
        bool changed = false;
        JointSecant(failing, secant, changed, true); // records the springs before the failing one
        return false;
    }
    // The failing plane element keeps the matrices of its points before the failing point.
    const int point = formState_[failing] - kSecantNotFinite;
    for (int p = 0; p < point; ++p) {
        std::copy_n(&formedD_[81 * failing + 9 * p], 9, e_.gauss_[9 * failing + p].D);
        std::copy_n(&formedD_[81 * failing + 9 * p], 9, &formedWith_[81 * failing + 9 * p]);
    }
    return false;
}

// Pass one for element e: its points' secant matrices into formedD_, compared with those it was last
// formed with. Writes nothing else.
int IterativeSolver::EvaluateSecant(int e) {
    if (e_.elements_[e].discrete != 0) {
        JointState secant;
        bool changed = false;
        return JointSecant(e, secant, changed, false) ? kSecantUnchanged : kSecantNotFinite;
    }
    if (!hasConcrete_[e]) return kSecantUnchanged;
    double change = 0.0, scale = 0.0;
    for (int p = 0; p < kGaussPoints; ++p) {
        double* D = &formedD_[81 * e + 9 * p];
        IterationMatrix(point_[9 * e + p], materials_[e], D);
        if (!Finite(D, 9)) return kSecantNotFinite + p;
        const double* formed = &formedWith_[81 * e + 9 * p];
        for (int i = 0; i < 9; ++i) {
            change = std::max(change, std::fabs(D[i] - formed[i]));
            scale = std::max(scale, std::fabs(formed[i]));
        }
    }
    const double tolerance = test_.keepFactorisation ? kReformTolerance : 0.0;
    return change > tolerance * scale ? kSecantChanged : kSecantUnchanged;
}

// Pass two for a changed plane element: its points take the new matrices, and its stiffness goes into
// formedMatrix_ (for one mapped one to one, as the differences its profile terms take).
void IterativeSolver::FormPlane(int e) {
    double D[9][9];
    for (int p = 0; p < kGaussPoints; ++p) {
        std::copy_n(&formedD_[81 * e + 9 * p], 9, D[p]);
        std::copy_n(D[p], 9, &formedWith_[81 * e + 9 * p]);
        std::copy_n(D[p], 9, e_.gauss_[9 * e + p].D);
    }
    if (PlaneElementStiffness(&e_.geometry_[9 * e], D, e_.formulation_, &e_.formedMatrix_[64 * e],
                              &e_.condensation_[32 * e]) &&
        e_.formulation_ == 2)
        ModeMatrixInverse(&e_.geometry_[9 * e], D, &kaaInverse_[16 * e]);
    else
        std::fill_n(&kaaInverse_[16 * e], 16, 0.0);
    if (e_.FormedInPlace(e)) e_.StageDifferences(e);
}

// The element's stored matrix becomes T' K T; the profile takes the difference.
void IterativeSolver::ReplaceElementMatrix(int e, const double K[64]) {
    double old[400], difference[400];
    const int n = e_.dofCount_[e];
    double* S = &e_.stiffness_[400 * e];
    for (int j = 0; j < n; ++j) std::copy_n(S + 20 * j, n, old + 20 * j);
    e_.StoreElementStiffness(e, K);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) difference[i + 20 * j] = S[i + 20 * j] - old[i + 20 * j];
    e_.AddElementMatrix(e + 1, difference);
}

bool IterativeSolver::Factorise() {
    Engine& g = e_;
    g.failedEquation_ = 0;
    if (g.factorValid_) return true;
    // The engine's own factorisation kernel: the same factors as its classic solves.
    if (g.FactoriseProfile(nullptr) != 0) return false;
    g.factorValid_ = true;
    return true;
}

} // namespace torva::engine
