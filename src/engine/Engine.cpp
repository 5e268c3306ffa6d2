#include "engine/Engine.h"

#include <algorithm>
#include <cmath>

namespace torva::engine {
namespace {

double Ratio(double value, double normaliser) {
    return normaliser != 0.0 ? value / normaliser : 0.0;
}

// The engine is built for any x86-64, and the maths library it calls (pow, sin, cos, atan) runs AVX
// code. While the upper halves of the vector registers are marked in use, as a GUI toolkit's start-up
// can leave them, every such call costs some ten times as much (measured: 170 ns instead of 14 ns for
// pow); one vzeroupper at the start of a step clears the state, and the engine itself does not set
// it again.
#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx"))) void ClearUpperVectorHalves() {
    __builtin_ia32_vzeroupper();
}
void ClearVectorState() {
    static const bool avx = __builtin_cpu_supports("avx");
    if (avx) ClearUpperVectorHalves();
}
#else
void ClearVectorState() {}
#endif

} // namespace

Engine::Engine(const EngineCapacity& capacity)
    : capacity_(capacity),
      results_(size_t(ResultLayout::LargestSize(capacity.nodes, capacity.elements)), 0.0),
      nodeX_(capacity.nodes + 1), nodeY_(capacity.nodes + 1), restraintNode_(capacity.nodes),
      restraintCode_(capacity.nodes), concreteTypes_(kMaxTypes + 1), rebarTypes_(kMaxTypes + 1),
      elements_(capacity.elements), loads_(capacity.nodes), equationNumber_(2 * capacity.nodes + 1),
      restrained_(2 * capacity.nodes + 1), tieRoot_(2 * capacity.nodes + 1),
      tieMaster_(kMaxMasters * (2 * capacity.nodes + 1)), tieFactor_(kMaxMasters * (2 * capacity.nodes + 1)),
      dofList_(kMaxElementDofs * capacity.elements), dofCount_(capacity.elements),
      equationLow_(capacity.elements), equationHigh_(capacity.elements),
      transform_(8 * 20 * capacity.elements), localCount_(8 * capacity.elements),
      directMap_(capacity.elements), localEntry_(8 * kMaxMasters * capacity.elements),
      localFactor_(8 * kMaxMasters * capacity.elements), stiffness_(20 * 20 * capacity.elements),
      localStiffness_(64 * capacity.elements), gravityLoad_(8 * capacity.elements),
      condensation_(32 * capacity.elements), condensationBefore_(32 * capacity.elements),
      elementChanged_(capacity.elements), elementForce_(8 * capacity.elements),
      formedMatrix_(64 * capacity.elements), pairCount_(capacity.elements),
      pairSource_(kMaxPairs * capacity.elements), pairAddress_(kMaxPairs * capacity.elements),
      pairLow_(capacity.elements), pairHigh_(capacity.elements), elementFinite_(capacity.elements),
      changedBefore_(capacity.elements),
      gaussBuffer_{LargeVector<GaussPointState>(kGaussPoints * capacity.elements),
                   LargeVector<GaussPointState>(kGaussPoints * capacity.elements)},
      principalBuffer_{LargeVector<double>(3 * kGaussPoints * capacity.elements),
                       LargeVector<double>(3 * kGaussPoints * capacity.elements)},
      geometry_(kGaussPoints * capacity.elements), jointProperties_(capacity.elements),
      joints_(capacity.elements), jointsBefore_(capacity.elements), columnHeight_(2 * capacity.nodes + 2),
      diagonalAddress_(2 * capacity.nodes + 2), profile_(capacity.profile + 1),
      workProfile_(capacity.profile + 1), panels_(2 * capacity.nodes), workVector_(2 * capacity.nodes + 1),
      blocked_(2 * capacity.nodes), totalDisplacement_(2 * capacity.nodes + 1),
      displacementIncrement_(2 * capacity.nodes + 1), loadIncrement_(2 * capacity.nodes + 1),
      internalForce_(2 * capacity.nodes + 1), dofLoad_(2 * capacity.nodes + 1),
      incrementBefore_(2 * capacity.nodes + 1), loadBefore_(2 * capacity.nodes + 1),
      forceBefore_(2 * capacity.nodes + 1), countedBy_(2 * capacity.nodes + 1) {
    gauss_ = gaussBuffer_[0].data();
    gaussNext_ = gaussBuffer_[1].data();
    principal_ = principalBuffer_[0].data();
    principalNext_ = principalBuffer_[1].data();
}

RunStatus Engine::Start(std::span<const int32_t> stream, int mode, double increment, AnalysisMethod method) {
    message_ = "";
    if (mode != kElasticMode && mode != kPushoverMode) return RunStatus::BadInput; // the standing run stays
    runMethod_ = method;
    if (method == AnalysisMethod::Mcft && !iterative_) iterative_ = std::make_unique<IterativeSolver>(*this);
    stepCount_ = 0;
    layout_ = ResultLayout();
    int step = 0, status = kStatusDone;
    Run(results_, increment, stream, mode, step, status);
    if (!initialised_) return static_cast<RunStatus>(status);
    layout_ = CurrentLayout();
    mode_ = mode;
    if (status == kStatusDone) stepCount_ = 1;
    return static_cast<RunStatus>(status);
}

RunStatus Engine::Step(double increment) {
    return Step(increment, mode_);
}

RunStatus Engine::Step(double increment, int mode) {
    message_ = "";
    int step = stepCount_ + 1, status = kStatusDone;
    Run(results_, increment, {}, mode, step, status);
    if (status == kStatusDone) {
        stepCount_ = step;
        mode_ = mode;
    }
    return static_cast<RunStatus>(status);
}

ResultLayout Engine::CurrentLayout() const {
    OutputBlockKind output = OutputBlockKind::None;
    if (outputElement_ != 0)
        output =
            elements_[outputElement_ - 1].discrete != 0 ? OutputBlockKind::Joint : OutputBlockKind::Plane;
    return ResultLayout(nodeCount_, elementCount_, output);
}

// The pool is made once, by the first analysis large enough to use it, and kept for the next ones.
void Engine::PrepareElementThreads() {
    const int threads = std::min(threads_, ThreadPool::ProcessorThreads());
    parallel_ = threads > 1 && elementCount_ >= minimumParallelElements_;
    if (parallel_ && (pool_ == nullptr || pool_->Threads() != threads))
        pool_ = std::make_unique<ThreadPool>(threads);
}

void Engine::Run(std::span<double> results, const double& increment, std::span<const int32_t> stream,
                 const int& mode, int& step, int& status) {
    ClearVectorState();
    status = kStatusDone;
    if (mode != kElasticMode && mode != kPushoverMode) {
        status = kStatusBadInput;
        return;
    }
    if (step == 0) {
        initialised_ = false;
        statesSpoilt_ = false;
        refusal_ = {};
        if (!DecodeInput(stream) ||
            results.size() < size_t(ResultLayout::LargestSize(nodeCount_, elementCount_))) {
            status = kStatusBadInput;
            return;
        }
        PrepareElementThreads();
        NumberEquations();
        BuildTieMaps();
        BuildElementDofLists();
        if (!BuildSkylineProfile()) {
            status = kStatusBadInput;
            return;
        }
        BuildElementTransforms();
        if (runMethod_ == AnalysisMethod::Mcft) {
            if (!iterative_->Initialise(results, mode, status)) return;
        } else if (!InitialiseAnalysis(results, mode, status)) {
            return;
        }
        initialised_ = true;
        step = 1;
    } else if (statesSpoilt_) {
        status = kStatusNotFinite;
        return;
    } else if (!initialised_ ||
               results.size() < size_t(ResultLayout::LargestSize(nodeCount_, elementCount_))) {
        status = kStatusBadInput;
        return;
    }
    if (runMethod_ == AnalysisMethod::Mcft)
        iterative_->AdvanceStep(results, increment, mode, step, status);
    else
        AdvanceStep(results, increment, mode, step, status);
}

bool Engine::InitialiseAnalysis(std::span<double> results, int mode, int& status) {
    formedAhead_ = false;
    loadFactor_ = 0.0;
    patternScale_ = 0.0;
    std::fill_n(totalDisplacement_.begin() + 1, equationCount_, 0.0);
    std::fill_n(loadIncrement_.begin() + 1, equationCount_, 0.0);
    ClearProfile();
    factorValid_ = false;
    InitialiseElementStates();
    AssembleStiffness();
    if (!SolveForIncrement()) {
        status = kStatusUnstable;
        return false;
    }
    if (!IncrementFinite(1.0)) {
        status = kStatusNotFinite;
        return false;
    }
    if (!UpdateStatesAndForces(mode, 0)) {
        statesSpoilt_ = true;
        status = kStatusNotFinite;
        return false;
    }
    std::copy_n(displacementIncrement_.begin() + 1, equationCount_, totalDisplacement_.begin() + 1);
    WriteResults(results, mode, 0);
    return true;
}

double Engine::LoadFactor() const {
    if (runMethod_ == AnalysisMethod::Mcft && iterative_) return iterative_->LoadFactor();
    return loadFactor_;
}

void Engine::WriteResults(std::span<double> results, int mode, int step) {
    if (step == 0) std::fill(results.begin(), results.end(), 0.0);
    // Displacement of a dof: through its tie map, so a tied dof follows its master and a restrained
    // one reads 0.
    auto displacement = [this](int dof) {
        double u = 0.0;
        for (int pair = 0; pair < kMaxMasters; ++pair) {
            const int master = tieMaster_[kMaxMasters * dof + pair];
            if (master == 0 || equationNumber_[master] == 0) continue;
            u += tieFactor_[kMaxMasters * dof + pair] * totalDisplacement_[equationNumber_[master]];
        }
        return u;
    };

    results[0] = results[1] = 0.0;
    if (mode == kPushoverMode && controlNode_ != 0) {
        const int controlDof = 2 * (controlNode_ - 1) + controlDirection_;
        results[0] = displacement(controlDof);
        // Control force: the internal force at every loaded dof in the control direction, record by
        // record. A record on a tied dof counts at its master's equation unless another node's record
        // already counts that equation there (its load went to the same equation).
        double force = 0.0;
        for (int r = 0; r < loadCount_; ++r) {
            const int dof = 2 * (loads_[r].node - 1) + controlDirection_;
            if (equationNumber_[dof] > 0) countedBy_[equationNumber_[dof]] = loads_[r].node;
        }
        for (int r = 0; r < loadCount_; ++r) {
            const int node = loads_[r].node, dof = 2 * (node - 1) + controlDirection_;
            int equation = equationNumber_[dof];
            if (equation == 0 && tieRoot_[dof] != 0) {
                equation = equationNumber_[tieRoot_[dof]];
                if (equation == 0 || (countedBy_[equation] != 0 && countedBy_[equation] != node)) continue;
                countedBy_[equation] = node;
            }
            if (equation > 0) force += internalForce_[equation];
        }
        for (int r = 0; r < loadCount_; ++r) {
            const int dof = 2 * (loads_[r].node - 1) + controlDirection_;
            const int root = tieRoot_[dof] != 0 ? tieRoot_[dof] : dof;
            countedBy_[equationNumber_[root]] = 0;
            countedBy_[equationNumber_[dof]] = 0;
        }
        results[1] = force;
    }
    int index = 2;
    for (int dof = 1; dof <= 2 * nodeCount_; ++dof) results[index++] = displacement(dof);
    // Each element's stresses have their own place in the buffer: copied on the element threads.
    double* stresses = results.data() + index;
    ForElementRanges([this, stresses](int begin, int end) {
        const int first = 3 * kGaussPoints * begin, count = 3 * kGaussPoints * (end - begin);
        std::copy_n(principal_ + first, count, stresses + first);
    });
    index += 3 * kGaussPoints * elementCount_;
    if (outputElement_ != 0) WriteOutputBlock(results, index);
}

void Engine::WriteOutputBlock(std::span<double> results, int& index) const {
    const int e = outputElement_ - 1;
    const ElementRecord& element = elements_[e];
    if (element.discrete != 0) {
        const JointProperties& p = jointProperties_[e];
        for (const JointSpring& spring : joints_[e].spring) {
            results[index++] = p.hasConcrete ? Ratio(spring.concreteForce, std::fabs(p.Fc)) : 0.0;
            results[index++] =
                p.hasConcrete ? Ratio(spring.concreteOpening, std::fabs(5.0 * p.Fc / p.k0)) : 0.0;
            results[index++] = p.hasSteel ? Ratio(spring.steelForce, p.Fy) : 0.0;
            results[index++] = p.hasSteel ? Ratio(spring.steelOpening, 5.0 * p.Fy / p.ks) : 0.0;
        }
        return;
    }
    // Normalisers: fc and eps0 as the type gives them (positive); an absent kind writes 0.
    double fc = 0, eps0 = 0;
    if (element.concreteType != 0) {
        fc = concreteTypes_[element.concreteType].fc;
        eps0 = concreteTypes_[element.concreteType].eps0;
    }
    RebarMaterial rebar;
    const bool hasRebar = RebarMaterialOf(e, rebar);
    double stressScale[2] = {0, 0}, strainScale[2] = {0, 0};
    for (int k = 0; k < 2 && hasRebar; ++k) {
        stressScale[k] = rebar.rho[k] * rebar.fy[k];
        strainScale[k] = 5.0 * rebar.fy[k] / rebar.Es;
    }
    for (int g = 0; g < kGaussPoints; ++g) {
        const GaussPointState& gp = gauss_[9 * e + g];
        for (int k = 0; k < 2; ++k) {
            results[index++] = Ratio(gp.concrete.principal[k], fc);
            results[index++] = Ratio(gp.concrete.dir[k].eps, 5.0 * eps0);
            results[index++] = hasRebar ? Ratio(gp.rebarStress[k], stressScale[k]) : 0.0;
            results[index++] = hasRebar ? Ratio(gp.strain[k], strainScale[k]) : 0.0;
        }
    }
}

std::span<const int32_t> Engine::ElementDofList(int element) const {
    return {dofList_.data() + kMaxElementDofs * (element - 1), size_t(dofCount_[element - 1])};
}

double Engine::ElementTransform(int element, int local, int entry) const {
    return transform_[160 * (element - 1) + 8 * (entry - 1) + (local - 1)];
}

double Engine::ElementStiffness(int element, int i, int j) const {
    const int e = element - 1;
    if (!FormedInPlace(e)) return stiffness_[400 * e + (i - 1) + 20 * (j - 1)];
    if (i > dofCount_[e] || j > dofCount_[e]) return 0.0;
    return localStiffness_[64 * e + 8 * LocalOfEntry(e, i - 1) + LocalOfEntry(e, j - 1)];
}

int Engine::FailedDof() const {
    if (failedEquation_ == 0) return 0;
    for (int dof = 1; dof <= 2 * nodeCount_; ++dof)
        if (equationNumber_[dof] == failedEquation_) return dof;
    return 0;
}

} // namespace torva::engine
