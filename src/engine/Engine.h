#pragma once
// The analysis engine: one object holds the whole state of an analysis in arrays of fixed capacity,
// allocated once at construction; nothing is allocated during an analysis. Numbers of nodes, elements,
// degrees of freedom and equations count from 1, 0 meaning none (node k has dofs 2k - 1 (x), 2k (y)).
//
// Protocol: Start decodes the stream (InputLayout), numbers the equations, builds the skyline profile,
// runs the gravity state and then load step 1; every Step runs one more load step. Mode 1: force
// control, each step adds the full point-load pattern. Mode 2: displacement control, the control dof
// moves by `increment` (mm). Status (RunStatus): done, NoResponse (the control dof does not respond),
// Unstable (not positive definite: a mechanism, missing supports), BadInput (a stream that is
// inconsistent or beyond the capacities), NotFinite (a displacement, force or stress of the step is not
// finite: an increment beyond 1e100 mm, or material values the laws cannot work with). On NoResponse,
// Unstable and NotFinite the displacements, the element states and the results keep the previous step:
// a NotFinite step, found in the increment or after the element update, leaves the analysis exactly as
// it was, and the step can be run again. A Start that fails leaves no analysis to step. NotConverged
// (iterative method): the step found no equilibrium, even cut into pieces; the results keep the previous
// step and the engine's state is that of the last converged piece of the step (see IterativeSolver).
// Cancelled (iterative method): the iteration observer abandoned the step; everything is as after the
// last step done (a Start abandoned leaves no analysis to step).
//
// The method is chosen at Start: the classic method runs the step scheme; the iterative one
// (IterativeSolver) brings every step into equilibrium and writes the same results from its converged
// state, with its own per-point and per-step results beside them.
//
// Results (ResultLayout): the control displacement and force (mode 2 with a control node, else 0), ux,
// uy of every node, per element 9 Gauss points × (first and second principal concrete stress, angle of
// the first in rad), and, with an output element, its block: a plane element 9 × 8 normalised values
// (s1/fc, e1/(5 eps0), rebar sx/(rho_x fy_x), ex/(5 fy_x/Es), s2/fc, e2/(5 eps0), rebar sy/(rho_y fy_y),
// ey/(5 fy_y/Es)), a joint 2 × 4 (concrete force/|Fc|, opening/|5 Fc/k0|, steel force/Fy, opening/(5
// Fy/ks)) per spring.
#include "engine/AnalysisMethod.h"
#include "engine/BlockedFactor.h"
#include "engine/ColumnSolve.h"
#include "engine/ConcreteModel.h"
#include "engine/EngineLimits.h"
#include "engine/IterationObserver.h"
#include "engine/IterativeSolver.h"
#include "engine/JointElement.h"
#include "engine/LargePageAllocator.h"
#include "engine/PanelLayout.h"
#include "engine/PlaneElement.h"
#include "engine/RebarModel.h"
#include "engine/ResultLayout.h"
#include "engine/RunStatus.h"
#include "engine/SharingBackoff.h"
#include "engine/ThreadPool.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

namespace torva::engine {

// The element loops of a step go over two threads from this many elements on: below it the work of a
// step is too short to pay for waking the second thread (measured by bench/FactorisationBench.cpp).
constexpr int kParallelElements = 400;

// Decoded type records, real units. Concrete: t (mm), Ec, nu, density (kg/m3), fc (positive), ft,
// eps0 (positive). Rebar: Es, then area, spacing and yield strength in x, then in y.
struct ConcreteType {
    double thickness = 0, Ec = 0, nu = 0, density = 0, fc = 0, ft = 0, eps0 = 0;
};
struct RebarType {
    double Es = 0, Ax = 0, sx = 0, fyx = 0, Ay = 0, sy = 0, fyy = 0;
};

struct ElementRecord {
    int32_t nodes[4] = {0, 0, 0, 0}; // anticlockwise
    int32_t concreteType = 0;        // 0 none
    int32_t rebarType = 0;           // 0 none
    int32_t discrete = 0;            // 0 plane, 1 zero-width column joint, 2 zero-height row joint
    int32_t fibreType = 0;           // carried, not analysed
    int32_t output = 0;              // output number, 0 none
};

struct PointLoad {
    int32_t node = 0;
    double fx = 0, fy = 0;
};

// Everything a plane element keeps per Gauss point (the hysteretic concrete law keeps more, beside it:
// Engine::Hysteresis). What follows from these and the element's types is not kept: the rebar tangent
// Ds is diag(rho Eb) of the bar laws' tangents.
struct GaussPointState {
    double D[9];           // Dc + Ds of the last stiffness formation
    double strain[3];      // total strain
    double rebarStress[3]; // smeared rebar stress
    double totalStress[3]; // concrete + rebar
    ConcreteGaussPoint concrete;
    RebarGaussPoint rebar;
};

class Engine {
public:
    explicit Engine(const EngineCapacity& capacity = {});
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // A new analysis of `stream`, through its first load step. The iterative method's state is
    // allocated the first time it is chosen.
    RunStatus Start(std::span<const int32_t> stream, int mode, double increment,
                    AnalysisMethod method = AnalysisMethod::Classic);
    // The next load step in the mode of the analysis, or in `mode` from this step on.
    RunStatus Step(double increment);
    RunStatus Step(double increment, int mode);

    // Told after every iteration of the iterative method, in the thread running the engine; its answer
    // false abandons the step under way (Cancelled). Empty: no one is told. The classic method never
    // calls it.
    void SetIterationObserver(IterationObserver observer) { iterationObserver_ = std::move(observer); }

    // The method the analysis was started with.
    AnalysisMethod Method() const { return runMethod_; }
    // The iterative method's state (null until it is first chosen).
    const IterativeSolver* Iterative() const { return iterative_.get(); }
    IterativeSolver* Iterative() { return iterative_.get(); }

    // An analysis is started (its gravity state is done) and can be stepped.
    bool Started() const { return initialised_; }
    // Load steps done since Start (0 before a successful Start).
    int StepCount() const { return stepCount_; }
    int Mode() const { return mode_; }
    // Why the last call returned BadInput when the stream was not the reason ("" otherwise).
    const char* Message() const { return message_; }
    const EngineCapacity& Capacity() const { return capacity_; }
    // Which capacity the stream of the last refused Start exceeded, and by how much.
    const InputRefusal& Refusal() const { return refusal_; }
    // The results of the last step done, laid out for the model of the last successful Start.
    ResultView Results() const { return ResultView(results_, layout_); }

    // The factorisation kernel (Blocked on the widest path the processor has, unless set); a change
    // takes effect at the next factorisation.
    // The blocked kernel keeps the matrix in its own panel-major layout (PanelLayout.h) when the
    // profile's capacity holds it; a change of kernel mid-analysis moves the matrix across.
    void SetFactorKernel(FactorKernel kernel, BlockedIsa isa = BestBlockedIsa());
    FactorKernel GetFactorKernel() const { return factorKernel_; }

    // The element loops on `threads` threads (the caller counted; 2 unless set, or 1 on a single core)
    // for models of at least `minimumElements` elements. The results are the same bits whatever the
    // count. Takes effect at the next analysis (step 0), whose pool then lives as long as the engine.
    void SetElementThreads(int threads, int minimumElements = kParallelElements) {
        threads_ = threads;
        minimumParallelElements_ = minimumElements;
    }
    int ElementThreads() const { return pool_ != nullptr && parallel_ ? pool_->Threads() : 1; }

    // body(begin, end) over ranges of the elements 0 .. ElementCount() - 1, on the analysis' threads.
    // The body writes per-element data only; what is summed over elements is summed afterwards in
    // element order, so that the result does not depend on the threads.
    template <class Body> void ForElementRanges(Body&& body) {
        if (parallel_ && pool_ != nullptr)
            pool_->ParallelFor(elementCount_, kElementGrain, body);
        else if (elementCount_ > 0)
            body(0, elementCount_);
    }

    // body(lo, hi) over shares lo .. hi - 1 of the equations 1 .. EquationCount(), one a thread of the
    // element loops; what a body writes per equation is its own.
    template <class Body> void ForEquationRanges(Body&& body) {
        const int parts = ElementThreads();
        const long n = equationCount_;
        const auto shares = [&](int begin, int end) {
            for (int p = begin; p < end; ++p) body(1 + int(n * p / parts), 1 + int(n * (p + 1) / parts));
        };
        if (parts > 1)
            pool_->ParallelFor(parts, 1, shares);
        else
            shares(0, 1);
    }

    // Model and numbering.
    int NodeCount() const { return nodeCount_; }
    int ElementCount() const { return elementCount_; }
    int EquationCount() const { return equationCount_; }
    int Formulation() const { return formulation_; }
    double Gravity() const { return gravity_; }
    const ConcreteType& Concrete(int type) const { return concreteTypes_[type]; }
    const RebarType& Rebar(int type) const { return rebarTypes_[type]; }
    const ElementRecord& Element(int element) const { return elements_[element - 1]; }
    const PointLoad& Load(int record) const { return loads_[record - 1]; }
    int LoadCount() const { return loadCount_; }
    int OutputElementNumber() const { return outputElement_; }
    int EquationNumber(int dof) const { return equationNumber_[dof]; }
    int TieMaster(int dof, int pair) const { return tieMaster_[3 * dof + pair - 1]; }
    double TieFactor(int dof, int pair) const { return tieFactor_[3 * dof + pair - 1]; }

    // Skyline and element lists.
    int ColumnHeight(int equation) const { return columnHeight_[equation]; }
    int DiagonalAddress(int equation) const { return diagonalAddress_[equation]; }
    int ProfileLength() const { return profileLength_; }
    // The profile's term at a position of the skyline addressing above, whichever layout holds it.
    double Profile(int position) const;
    // Whether the matrix and its factors are kept in the panel-major layout.
    bool ProfileResident() const { return resident_; }
    std::span<const int32_t> ElementDofList(int element) const;
    double ElementTransform(int element, int local, int entry) const; // T(l, m), 1-based
    double ElementStiffness(int element, int i, int j) const;         // 1-based, list order

    // Global vectors (equation order, 1-based).
    double TotalDisplacement(int equation) const { return totalDisplacement_[equation]; }
    double DisplacementIncrement(int equation) const { return displacementIncrement_[equation]; }
    double LoadIncrement(int equation) const { return loadIncrement_[equation]; }
    double InternalForce(int equation) const { return internalForce_[equation]; }
    // Forces of element e (1-based) on its nodes in local dof order u1, v1, ..., u4, v4 (N), from its
    // states after the last update: what the element takes from its nodes.
    const double* ElementForces(int element) const { return &elementForce_[8 * (element - 1)]; }
    // How many times the point-load pattern is applied in the state of the last step done (gravity is
    // always applied whole): 0 after the gravity state, 1 after load step 1 of force control.
    double LoadFactor() const;

    // Element states (1-based element and Gauss point).
    const GaussPointState& GaussPoint(int element, int g) const { return gauss_[9 * (element - 1) + g - 1]; }
    // The hysteretic concrete law's own history of the Gauss point's two directions; null in analyses
    // with another concrete law.
    const ConcreteHysteresis* Hysteresis(int element, int g) const {
        return concreteSelector_ == 2 && hysteresis_ != nullptr
                   ? &hysteresis_[2 * (kGaussPoints * (element - 1) + g - 1)]
                   : nullptr;
    }
    const PlaneGaussGeometry& Geometry(int element, int g) const {
        return geometry_[9 * (element - 1) + g - 1];
    }
    const double* Condensation(int element) const { return &condensation_[32 * (element - 1)]; }
    const double* ElementGravityLoad(int element) const { return &gravityLoad_[8 * (element - 1)]; }
    const JointProperties& JointOf(int element) const { return jointProperties_[element - 1]; }
    const JointState& JointStateOf(int element) const { return joints_[element - 1]; }
    bool ElementChanged(int element) const { return elementChanged_[element - 1] != 0; }
    int StiffnessChanged() const { return stiffnessChanged_; }

    // The column whose pivot stopped the last factorisation (0 none), its pivot and its dof.
    int FailedEquation() const { return failedEquation_; }
    double FailedPivot() const { return failedPivot_; }
    int FailedDof() const;

private:
    friend class EngineTestAccess; // the tests exercise the routines below one by one
    friend class IterativeSolver;

    // The old call: step 0 starts, any other number runs that step; results is the caller's buffer.
    void Run(std::span<double> results, const double& increment, std::span<const int32_t> stream,
             const int& mode, int& step, int& status);
    RunStatus RunStep(double increment, int mode);

    // The routines of one analysis.
    bool DecodeInput(std::span<const int32_t> stream);
    void NumberEquations();
    void BuildTieMaps();
    void BuildElementDofLists();
    bool BuildSkylineProfile();
    // The layout of profile_ and workProfile_: panel-major for the blocked kernel when it fits.
    bool ResidentFits() const;
    void ChooseProfileLayout();
    void MoveProfileLayout(bool resident);
    // Where K(i, j), i <= j inside the profile, lives in profile_; its factor in workProfile_.
    int ProfileAddress(int i, int j) const {
        return resident_ ? matrixStart_ + int(panels_.Address(i, j)) : diagonalAddress_[j] + j - i;
    }
    double FactorTerm(int i, int j) const {
        return workProfile_[resident_ ? factorStart_ + panels_.Address(i, j) : diagonalAddress_[j] + j - i];
    }
    // The profile's addresses [ProfileRangeStart(part, parts), ProfileRangeStart(part + 1, parts)):
    // the columns of one thread's share of the assembly.
    int ProfileRangeStart(int part, int parts) const;
    void ClearProfile();
    // workProfile_ becomes the factors of profile_ with the engine's kernel; y (or null) is eliminated
    // on the way when the kernel does that (see FactorisationEliminates). 0, or the failing equation
    // (failedEquation_ and failedPivot_ set).
    int FactoriseProfile(double* y);
    // The resident factorisation may go over the analysis' two threads (a large, wide profile); it
    // does unless sharing_ holds it back.
    bool FactorisationShareable() const;
    bool FactorisationEliminates() const { return factorKernel_ == FactorKernel::Blocked; }
    // With the factors: y becomes K^-1 y; y already eliminated by FactoriseProfile; two interleaved
    // vectors (as SubstitutePair).
    void SolveWithFactors(double* y) const;
    void FinishEliminatedSolve(double* y) const;
    void SolvePairWithFactors(double* w) const;
    void BuildElementTransforms();
    bool InitialiseAnalysis(std::span<double> results, int mode, int& status);
    void InitialiseElementStates();
    void AssembleStiffness();
    void AddElementMatrix(int element, const double* matrix); // n × n, column-major in a 20 × 20 frame
    void AddElementGravityLoad(int element);
    void UpdateChangedStiffness();
    bool SolveForIncrement();
    void DiscreteElementStiffness(int element);
    void AdvanceStep(std::span<double> results, double increment, int mode, int step, int& status);
    void BuildReferenceLoad();
    void ScaleToControlIncrement(double increment, int& status);
    void UpdateElementStates(int mode, int step);
    void ComputeInternalForces();
    void WriteResults(std::span<double> results, int mode, int step);
    ResultLayout CurrentLayout() const;

    // Element routines.
    void FormPlaneElement(int e, bool initial);
    void FormPlaneMatrix(int e, bool initial, double K[64]) {
        FormPlaneMatrix(e, initial, K, &gauss_[9 * e]);
    }
    // The same from the nine Gauss points at `points` (element e's own, or a staged copy of them).
    void FormPlaneMatrix(int e, bool initial, double K[64], GaussPointState* points);
    void UpdatePlaneStiffness(int e);
    void AssemblePlaneStiffness(int e, const double K[64], int first = 1, int last = INT32_MAX);
    bool FormedInPlace(int e) const { return elements_[e].discrete == 0 && directMap_[e]; }
    void AssembleChangedElements();
    void AssembleFormedInPlace(const uint8_t* changed, int count);
    void BuildAssemblyPairs(int e);
    void StageDifferences(int e);
    void AddFormedMatrix(int e, int lo, int hi);
    // Element e (formed in place) has profile terms at addresses lo .. hi - 1.
    bool PairsReach(int e, int lo, int hi) const { return pairHigh_[e] >= lo && pairLow_[e] < hi; }
    // Its stored matrix, whole, into the profile.
    void AddLocalStiffness(int e);
    // The local dof whose list entry is m (0-based), of an element formed in place.
    int LocalOfEntry(int e, int m) const;
    // The list entry local dof l of element e maps to (its first), or 0 when it has none.
    int StoredEntry(int e, int l) const {
        return localCount_[8 * e + l] != 0 ? localEntry_[kMaxMasters * (8 * e + l)] : 0;
    }
    void AddStagedDifferences(int e, int lo, int hi);
    bool ElementStatesFinite(int e, const GaussPointState* points) const;
    void PrepareElementThreads();
    void ElementForce(int e, double f[8]) const { ElementForce(e, f, &gauss_[9 * e]); }
    void ElementForce(int e, double f[8], const GaussPointState* points) const;
    void ScatterElementForce(int e, const double f[8]);
    // The same into the equations lo .. hi - 1 only.
    void ScatterElementForce(int e, const double f[8], int lo, int hi);
    // Updates element e with its Gauss points at `points` (its own, or a staged copy of them).
    void UpdateElementState(int e, int mode, int step, GaussPointState* points,
                            ConcreteHysteresis* hysteresis);
    // UpdateElementStates, ComputeInternalForces and, ahead of the next step, UpdateChangedStiffness;
    // false, with every element state as before, when a new state or force is not finite.
    bool UpdateStatesAndForces(int mode, int step);
    void UpdateStagedElement(int e, int mode, int step, GaussPointState* staged,
                             ConcreteHysteresis* stagedHysteresis);
    // The hysteretic law's records of element e (two a Gauss point) in the buffer at `base`; null when
    // the analysis does not use that law.
    ConcreteHysteresis* HysteresisOf(ConcreteHysteresis* base, int e) const {
        return concreteSelector_ == 2 && base != nullptr ? base + 2 * kGaussPoints * e : nullptr;
    }
    void RestoreElementState(int e);
    // Element e's part of principal_ from its Gauss points in gauss_, for a method that writes them
    // there itself.
    void GatherPrincipalStresses(int e);
    bool ElementForceFinite(int e) const;
    void ReformElement(int e);
    void StoreElementStiffness(int e, const double K[64]);
    void GatherLocalIncrement(int e, double du[8]) const;
    ConcreteMaterial ConcreteMaterialOf(int type) const;
    bool RebarMaterialOf(int e, RebarMaterial& material) const;
    void WriteOutputBlock(std::span<double> results, int& index) const;
    // The non-finite checks of a step: before the update (nothing changed yet) and after it.
    double ControlFactor(double increment) const;
    bool IncrementFinite(double factor) const;
    bool WithinCapacity(const char* quantity, int count, int capacity);

    EngineCapacity capacity_;
    bool initialised_ = false;
    int stepCount_ = 0;
    int mode_ = 0;
    const char* message_ = "";
    InputRefusal refusal_;
    std::vector<double> results_;
    ResultLayout layout_;
    bool statesSpoilt_ = false; // the gravity step of Start was not finite: only a new analysis
    AnalysisMethod runMethod_ = AnalysisMethod::Classic;
    std::unique_ptr<IterativeSolver> iterative_;
    IterationObserver iterationObserver_;

    // Decoded model.
    int formulation_ = 0;
    int nodeCount_ = 0, restraintCount_ = 0, loadCount_ = 0, elementCount_ = 0;
    int concreteTypeCount_ = 0, rebarTypeCount_ = 0;
    double gravity_ = 0;
    std::vector<double> nodeX_, nodeY_;
    std::vector<int32_t> restraintNode_, restraintCode_;
    std::vector<ConcreteType> concreteTypes_; // 1-based
    std::vector<RebarType> rebarTypes_;       // 1-based
    std::vector<ElementRecord> elements_;
    std::vector<PointLoad> loads_;
    int controlNode_ = 0, controlDirection_ = 0, concreteSelector_ = 0, rebarSelector_ = 0;
    int activeOutput_ = 0, outputElement_ = 0;

    // Numbering and ties (per dof, 1-based).
    int equationCount_ = 0;
    std::vector<int32_t> equationNumber_;
    std::vector<uint8_t> restrained_;
    std::vector<int32_t> tieRoot_; // the independent dof a tied dof follows, 0 when not tied
    std::vector<int32_t> tieMaster_;
    std::vector<double> tieFactor_;

    // Elements.
    std::vector<int32_t> dofList_; // 20 per element
    std::vector<int32_t> dofCount_;
    std::vector<int32_t> equationLow_, equationHigh_; // per element, the range of its list's equations
    std::vector<double> transform_;                   // 8 × 20 per element, T(l, m) at 8 m + l
    std::vector<int8_t> localCount_;                  // per element and local dof: its nonzero entries of T
    std::vector<uint8_t> directMap_;  // per element: each local dof is at most one list entry, with
                                      // factor 1, and no two are the same entry
    std::vector<int8_t> localEntry_;  // 3 per local dof
    std::vector<double> localFactor_; // 3 per local dof
    LargeVector<double> stiffness_;   // 20 × 20 column-major per element (not formed in place)
    // The stored matrix of an element formed in place: 8 × 8 row-major in local dof order, so that a
    // step's assembly reads and writes it in eight cache lines (a local dof without an entry has none).
    LargeVector<double> localStiffness_;
    std::vector<double> gravityLoad_;        // 8 per element
    std::vector<double> condensation_;       // T of the incompatible modes, 4 × 8 per element
    std::vector<double> condensationBefore_; // as before the update under way
    std::vector<uint8_t> elementChanged_;
    std::vector<double> elementForce_; // 8 per element, the last state update's internal forces
    std::vector<double> formedMatrix_; // 64 per element, a changed plane element's new local matrix
                                       // (the iterative method's StageDifferences turns it into what
                                       // its terms change by)
    // Per plane element mapped one to one: its terms in the profile's upper half (BuildAssemblyPairs).
    static constexpr int kMaxPairs = 36;
    std::vector<int8_t> pairCount_;
    std::vector<uint8_t> pairSource_;  // position in the 8 × 8 local matrix
    std::vector<int32_t> pairAddress_; // profile address
    // Per element, the lowest and highest of its pair addresses: a thread that assembles a range of the
    // profile passes over the elements that do not reach it.
    std::vector<int32_t> pairLow_, pairHigh_;
    std::vector<uint8_t> elementFinite_; // per element, its states after the last update are finite
    std::vector<uint8_t> changedBefore_; // per element, its flag before the update under way
    // The Gauss points of the last step done (gauss_) and of the update under way (gaussNext_): a step
    // writes its new states into the other buffer and, once they are all finite, the two change places.
    LargeVector<GaussPointState> gaussBuffer_[2];
    GaussPointState* gauss_ = nullptr;
    GaussPointState* gaussNext_ = nullptr;
    // The principal stresses of the Gauss points in gauss_ (and gaussNext_), three a point as the result
    // buffer takes them: taken while an element's states are at hand, so that the results are written
    // from 216 bytes an element instead of a line of each 576-byte state.
    LargeVector<double> principalBuffer_[2];
    double* principal_ = nullptr;
    double* principalNext_ = nullptr;
    // The same for the hysteretic concrete law's records (two a Gauss point), allocated by the first
    // analysis with that law and kept.
    LargeVector<ConcreteHysteresis> hysteresisBuffer_[2];
    ConcreteHysteresis* hysteresis_ = nullptr;
    ConcreteHysteresis* hysteresisNext_ = nullptr;
    LargeVector<PlaneGaussGeometry> geometry_; // 9 per element
    std::vector<JointProperties> jointProperties_;
    std::vector<JointState> joints_;
    std::vector<JointState> jointsBefore_; // the joints before the update under way
    int stiffnessChanged_ = 0;             // once set, stays set for the life of the engine
    bool formedAhead_ = false;             // the changed elements are already formed again for the next step
    double lastInverse_[4] = {0, 0, 0, 0};
    // The classic method's load factor and the part of the pattern that loadIncrement_ holds now (the
    // control scaling multiplies both the increment and this).
    double loadFactor_ = 0;
    double patternScale_ = 0;

    // Skyline system (1-based).
    std::vector<int32_t> columnHeight_, diagonalAddress_;
    int profileLength_ = 0;
    LargeVector<double> profile_, workProfile_;
    // The panel-major layout: in use (resident_), from the 64-byte aligned index matrixStart_ of
    // profile_ and factorStart_ of workProfile_.
    PanelLayout panels_;
    bool resident_ = false;
    int matrixStart_ = 0, factorStart_ = 0;
    std::vector<double> workVector_;
    bool factorValid_ = false; // workProfile_ holds the factors of profile_ as it stands
    FactorKernel factorKernel_ = FactorKernel::Blocked;
    // Threads of the element loops.
    static constexpr int kElementGrain = 32;
    int threads_ = 2, minimumParallelElements_ = kParallelElements;
    // Above this many bytes of Gauss-point states (some 1500 elements) the next step finds them out of
    // the cache anyway: each element is updated on a copy in the cache, written on past it. Below it,
    // the update works straight in the other buffer, which the cache keeps for the next step (measured:
    // a 30 × 30 wall, 10 MB of states, is faster without, a 60 × 60 one, 39 MB, with). Both ways give
    // the same bits.
    size_t streamedStates_ = size_t(16) << 20;
    bool parallel_ = false;
    std::unique_ptr<ThreadPool> pool_;
    BlockedIsa blockedIsa_ = BestBlockedIsa();
    BlockedFactoriser blocked_;
    SharingBackoff sharing_;
    int failedEquation_ = 0;
    double failedPivot_ = 0;

    // Global vectors (1-based equation order) and per-dof output copies.
    std::vector<double> totalDisplacement_, displacementIncrement_, loadIncrement_, internalForce_;
    std::vector<double> outputDisplacement_, outputForce_, dofLoad_;
    // The increments and internal forces as they were before the step under way.
    std::vector<double> incrementBefore_, loadBefore_, forceBefore_;
    std::vector<int32_t> countedBy_; // control force: the node whose record counted an equation
};

} // namespace torva::engine
