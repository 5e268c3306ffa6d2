// Element dof lists and transformations, the skyline profile, assembly of element matrices and
// gravity loads, re-formation of changed elements, and the solve on work copies of the profile.
#include "engine/BlockedFactor.h"
#include "engine/ColumnSolve.h"
#include "engine/Engine.h"
#include "engine/PairSubstitution.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace torva::engine {
namespace {

// Global dof of local dof l (0..7: n1 x, n1 y, ..., n4 y) of an element.
int GlobalDof(const ElementRecord& element, int l) {
    return 2 * (element.nodes[l / 2] - 1) + l % 2 + 1;
}

// Calls add(lo, hi) for the profile ranges of `parts` shares of the columns, one a thread: each range of
// the profile is written by one thread only, in element order, so the sums do not depend on `parts`.
// start(part): the first profile address of a share.
template <class RangeStart, class AddRange>
void OverColumnRanges(ThreadPool* pool, int parts, RangeStart start, AddRange add) {
    auto ranges = [&](int begin, int end) {
        for (int part = begin; part < end; ++part) add(start(part), start(part + 1));
    };
    if (parts == 1)
        ranges(0, 1);
    else
        pool->ParallelFor(parts, 1, ranges);
}

// The first index at or after `start` in `storage` that is 64-byte aligned.
int AlignedStart(const double* storage, int start) {
    const auto address = reinterpret_cast<std::uintptr_t>(storage + start);
    return start + int((64 - address % 64) % 64 / sizeof(double));
}

} // namespace

void Engine::BuildElementDofLists() {
    for (int e = 0; e < elementCount_; ++e) {
        int candidate[8 * kMaxMasters];
        for (int l = 0; l < 8; ++l)
            for (int p = 0; p < kMaxMasters; ++p)
                candidate[kMaxMasters * l + p] = tieMaster_[kMaxMasters * GlobalDof(elements_[e], l) + p];
        // Each independent dof once, at the position of its last occurrence.
        int32_t* list = &dofList_[kMaxElementDofs * e];
        int count = 0;
        for (int c = 0; c < 8 * kMaxMasters; ++c) {
            if (candidate[c] == 0 || equationNumber_[candidate[c]] == 0) continue;
            if (std::find(candidate + c + 1, candidate + 8 * kMaxMasters, candidate[c]) !=
                candidate + 8 * kMaxMasters)
                continue;
            list[count++] = candidate[c];
        }
        dofCount_[e] = count;
        int low = INT_MAX, high = 0;
        for (int m = 0; m < count; ++m) {
            low = std::min(low, equationNumber_[list[m]]);
            high = std::max(high, equationNumber_[list[m]]);
        }
        equationLow_[e] = low;
        equationHigh_[e] = high;
    }
}

bool Engine::BuildSkylineProfile() {
    const int n = equationCount_;
    std::fill_n(columnHeight_.begin(), n + 2, 0);
    for (int e = 0; e < elementCount_; ++e) {
        const int32_t* list = &dofList_[kMaxElementDofs * e];
        int lowest = INT_MAX;
        for (int m = 0; m < dofCount_[e]; ++m) lowest = std::min(lowest, equationNumber_[list[m]]);
        for (int m = 0; m < dofCount_[e]; ++m) {
            const int eq = equationNumber_[list[m]];
            columnHeight_[eq] = std::max(columnHeight_[eq], eq - lowest);
        }
    }
    diagonalAddress_[1] = 1;
    diagonalAddress_[2] = 2;
    long long terms = 1;
    for (int j = 2; j <= n; ++j) terms += columnHeight_[j] + 1;
    if (terms > capacity_.profile) {
        refusal_ = {"skyline profile terms", terms, capacity_.profile};
        return false;
    }
    for (int j = 2; j <= n; ++j) diagonalAddress_[j + 1] = diagonalAddress_[j] + columnHeight_[j] + 1;
    profileLength_ = diagonalAddress_[n + 1] - diagonalAddress_[1];
    panels_.Build(diagonalAddress_.data(), n);
    ChooseProfileLayout();
    return true;
}

bool Engine::ResidentFits() const {
    const auto fits = [&](const LargeVector<double>& storage) {
        return AlignedStart(storage.data(), 1) + panels_.Size() <= long(storage.size());
    };
    return fits(profile_) && fits(workProfile_);
}

// The blocked kernel on a path this processor runs works in the panel-major layout when the profile's
// capacity holds it (its rectangles take some 15 % more than the profile); else the skyline layout.
void Engine::ChooseProfileLayout() {
    resident_ = factorKernel_ == FactorKernel::Blocked && BlockedIsaAvailable(blockedIsa_) && ResidentFits();
    matrixStart_ = resident_ ? AlignedStart(profile_.data(), 1) : 0;
    factorStart_ = resident_ ? AlignedStart(workProfile_.data(), 1) : 0;
}

// The matrix from one layout into the other, through workProfile_ (its factors are void anyway), and
// the element terms' addresses with it.
void Engine::MoveProfileLayout(bool resident) {
    const int n = equationCount_;
    for (int j = 1; j <= n; ++j)
        for (int i = j - columnHeight_[j]; i <= j; ++i)
            workProfile_[diagonalAddress_[j] + j - i] = profile_[ProfileAddress(i, j)];
    resident_ = resident;
    matrixStart_ = resident ? AlignedStart(profile_.data(), 1) : 0;
    factorStart_ = resident ? AlignedStart(workProfile_.data(), 1) : 0;
    ClearProfile();
    for (int j = 1; j <= n; ++j)
        for (int i = j - columnHeight_[j]; i <= j; ++i)
            profile_[ProfileAddress(i, j)] = workProfile_[diagonalAddress_[j] + j - i];
    for (int e = 0; e < elementCount_; ++e)
        if (directMap_[e]) BuildAssemblyPairs(e);
}

void Engine::SetFactorKernel(FactorKernel kernel, BlockedIsa isa) {
    factorKernel_ = kernel;
    blockedIsa_ = isa;
    factorValid_ = false;
    if (!initialised_) return; // the next Start chooses
    const bool resident = kernel == FactorKernel::Blocked && BlockedIsaAvailable(isa) && ResidentFits();
    if (resident != resident_) MoveProfileLayout(resident);
}

double Engine::Profile(int position) const {
    const int j = int(std::upper_bound(diagonalAddress_.begin() + 1,
                                       diagonalAddress_.begin() + equationCount_ + 2, position) -
                      diagonalAddress_.begin()) -
                  1;
    return profile_[ProfileAddress(j - (position - diagonalAddress_[j]), j)];
}

int Engine::ProfileRangeStart(int part, int parts) const {
    if (resident_) return matrixStart_ + int(panels_.PanelStart(int(long(panels_.Panels()) * part / parts)));
    return diagonalAddress_[int(long(equationCount_) * part / parts) + 1];
}

void Engine::ClearProfile() {
    if (resident_)
        std::fill_n(profile_.begin() + matrixStart_, panels_.Size(), 0.0);
    else
        std::fill_n(profile_.begin() + 1, profileLength_, 0.0);
}

void Engine::BuildElementTransforms() {
    for (int e = 0; e < elementCount_; ++e) {
        double* T = &transform_[160 * e];
        std::fill_n(T, 160, 0.0);
        const int32_t* list = &dofList_[kMaxElementDofs * e];
        for (int l = 0; l < 8; ++l) {
            const int dof = GlobalDof(elements_[e], l);
            int8_t& count = localCount_[8 * e + l];
            count = 0;
            for (int m = 0; m < dofCount_[e]; ++m) {
                double factor = 0.0;
                bool matched = false;
                for (int p = 0; p < kMaxMasters; ++p)
                    if (tieMaster_[kMaxMasters * dof + p] == list[m]) {
                        factor = tieFactor_[kMaxMasters * dof + p];
                        matched = true;
                    }
                T[8 * m + l] = factor;
                if (matched && count < kMaxMasters) {
                    localEntry_[kMaxMasters * (8 * e + l) + count] = int8_t(m);
                    localFactor_[kMaxMasters * (8 * e + l) + count] = factor;
                    ++count;
                }
            }
        }
        bool direct = true, used[kMaxElementDofs] = {};
        for (int l = 0; l < 8 && direct; ++l) {
            const int count = localCount_[8 * e + l];
            if (count == 0) continue;
            const int m = localEntry_[kMaxMasters * (8 * e + l)];
            direct = count == 1 && localFactor_[kMaxMasters * (8 * e + l)] == 1.0 && !used[m];
            used[m] = true;
        }
        directMap_[e] = direct ? 1 : 0;
        if (direct) BuildAssemblyPairs(e);
    }
}

// For a plane element mapped one to one: each term of its matrix that lands in the profile's upper
// half, as the position of the term in the local matrix and the profile address it goes to.
void Engine::BuildAssemblyPairs(int e) {
    const int32_t* list = &dofList_[kMaxElementDofs * e];
    int local[8], equation[8], count = 0;
    for (int l = 0; l < 8; ++l) {
        if (localCount_[8 * e + l] == 0) continue;
        local[count] = l;
        equation[count] = equationNumber_[list[localEntry_[kMaxMasters * (8 * e + l)]]];
        ++count;
    }
    int pairs = 0, low = INT32_MAX, high = -1;
    for (int b = 0; b < count; ++b)
        for (int a = 0; a < count; ++a) {
            if (equation[b] < equation[a]) continue;
            const int address = ProfileAddress(equation[a], equation[b]);
            pairSource_[kMaxPairs * e + pairs] = uint8_t(8 * local[a] + local[b]);
            pairAddress_[kMaxPairs * e + pairs] = address;
            low = std::min(low, address);
            high = std::max(high, address);
            ++pairs;
        }
    pairCount_[e] = int8_t(pairs);
    pairLow_[e] = low;
    pairHigh_[e] = high;
}

int Engine::LocalOfEntry(int e, int m) const {
    for (int l = 0; l < 8; ++l)
        if (localCount_[8 * e + l] != 0 && StoredEntry(e, l) == m) return l;
    return 0; // not reached: each entry of an element formed in place is one local dof's
}

void Engine::AddLocalStiffness(int e) {
    const double* S = &localStiffness_[64 * e];
    const int32_t* address = &pairAddress_[kMaxPairs * e];
    const uint8_t* source = &pairSource_[kMaxPairs * e];
    for (int k = 0; k < pairCount_[e]; ++k) profile_[address[k]] += S[source[k]];
    factorValid_ = false;
}

void Engine::AddElementMatrix(int element, const double* matrix) {
    const int e = element - 1;
    const int32_t* list = &dofList_[kMaxElementDofs * e];
    const int n = dofCount_[e];
    for (int j = 0; j < n; ++j) {
        const int ej = equationNumber_[list[j]];
        for (int i = 0; i < n; ++i) {
            const int ei = equationNumber_[list[i]];
            if (ei > 0 && ej > 0 && ej >= ei) profile_[ProfileAddress(ei, ej)] += matrix[i + 20 * j];
        }
    }
    factorValid_ = false;
}

void Engine::AddElementGravityLoad(int element) {
    const int e = element - 1;
    const int32_t* list = &dofList_[kMaxElementDofs * e];
    for (int m = 0; m < dofCount_[e]; ++m) {
        double f = 0.0;
        for (int l = 0; l < 8; ++l) f += transform_[160 * e + 8 * m + l] * gravityLoad_[8 * e + l];
        const int eq = equationNumber_[list[m]];
        if (eq > 0) loadIncrement_[eq] += f;
    }
}

// ElementStiffness = T' K T, from the nonzero entries of each row of T. For an element formed in place
// T is a one-to-one map with factors 1, and each stored term is 0 + (1 · K) · 1 = 0 + K.
void Engine::StoreElementStiffness(int e, const double K[64]) {
    if (FormedInPlace(e)) {
        double* S = &localStiffness_[64 * e];
        for (int l1 = 0; l1 < 8; ++l1)
            for (int l2 = 0; l2 < 8; ++l2)
                if (localCount_[8 * e + l1] != 0 && localCount_[8 * e + l2] != 0)
                    S[8 * l1 + l2] = 0.0 + K[8 * l1 + l2];
        return;
    }
    double* S = &stiffness_[400 * e];
    const int n = dofCount_[e];
    for (int j = 0; j < n; ++j) std::fill_n(S + 20 * j, n, 0.0);
    for (int l1 = 0; l1 < 8; ++l1)
        for (int a = 0; a < localCount_[8 * e + l1]; ++a) {
            const int m1 = localEntry_[kMaxMasters * (8 * e + l1) + a];
            const double f1 = localFactor_[kMaxMasters * (8 * e + l1) + a];
            for (int l2 = 0; l2 < 8; ++l2)
                for (int b = 0; b < localCount_[8 * e + l2]; ++b) {
                    const int m2 = localEntry_[kMaxMasters * (8 * e + l2) + b];
                    const double f2 = localFactor_[kMaxMasters * (8 * e + l2) + b];
                    S[m1 + 20 * m2] += f1 * K[8 * l1 + l2] * f2;
                }
        }
}

void Engine::DiscreteElementStiffness(int element) {
    const int e = element - 1;
    double K[64];
    JointLocalStiffness(joints_[e], elements_[e].discrete, K);
    StoreElementStiffness(e, K);
}

void Engine::FormPlaneElement(int e, bool initial) {
    double K[64];
    FormPlaneMatrix(e, initial, K);
    StoreElementStiffness(e, K);
}

// The 8 × 8 local stiffness of plane element e from its Gauss-point tangents (and, initially, its
// geometry and gravity load).
void Engine::FormPlaneMatrix(int e, bool initial, double K[64], GaussPointState* points) {
    const ElementRecord& element = elements_[e];
    PlaneGaussGeometry* geometry = &geometry_[9 * e];
    if (initial) {
        double x[4], y[4];
        for (int a = 0; a < 4; ++a) x[a] = nodeX_[element.nodes[a]], y[a] = nodeY_[element.nodes[a]];
        const ConcreteType* concrete =
            element.concreteType != 0 ? &concreteTypes_[element.concreteType] : nullptr;
        FormPlaneGeometry(x, y, concrete ? concrete->thickness : 0.0, geometry, lastInverse_);
        PlaneGravityLoad(geometry, concrete ? concrete->density : 0.0, gravity_, &gravityLoad_[8 * e]);
    }
    RebarMaterial rebar;
    const bool hasRebar = RebarMaterialOf(e, rebar);
    const double nu = element.concreteType != 0 ? concreteTypes_[element.concreteType].nu : 0.0;
    double D[9][9];
    for (int g = 0; g < kGaussPoints; ++g) {
        GaussPointState& gp = points[g];
        if (element.concreteType != 0) ConcreteTangent(0.0, nu, gp.concrete);
        double Ds[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
        if (hasRebar) RebarTangent(gp.rebar, rebar, Ds);
        for (int i = 0; i < 9; ++i) {
            gp.D[i] = (element.concreteType != 0 ? gp.concrete.Dc[i] : 0.0) + Ds[i];
            D[g][i] = gp.D[i];
        }
    }
    PlaneElementStiffness(geometry, D, formulation_, K, &condensation_[32 * e]);
}

void Engine::AssembleStiffness() {
    for (int e = 0; e < elementCount_; ++e) {
        if (elements_[e].discrete != 0)
            DiscreteElementStiffness(e + 1);
        else
            FormPlaneElement(e, true);
        if (FormedInPlace(e))
            AddLocalStiffness(e);
        else
            AddElementMatrix(e + 1, &stiffness_[400 * e]);
        AddElementGravityLoad(e + 1);
    }
}

// A plane element whose local dofs are its list entries one to one: each entry of the new matrix
// replaces the old one and the profile takes the difference, in one pass. The stored value is
// 0 + (1 · K) · 1 as the transformation forms it, the profile term grows by new - old as the
// difference assembly adds it.
void Engine::UpdatePlaneStiffness(int e) {
    double K[64];
    FormPlaneMatrix(e, false, K);
    AssemblePlaneStiffness(e, K);
    factorValid_ = false;
}

// Only the columns first..last take their part (all of them unless given): the threads that share the
// assembly of a step each take a range of columns.
void Engine::AssemblePlaneStiffness(int e, const double K[64], int first, int last) {
    double* S = &localStiffness_[64 * e];
    const int32_t* list = &dofList_[kMaxElementDofs * e];
    int local[8], equation[8], count = 0;
    for (int l = 0; l < 8; ++l) {
        if (localCount_[8 * e + l] == 0) continue;
        local[count] = l;
        equation[count] = equationNumber_[list[localEntry_[kMaxMasters * (8 * e + l)]]];
        ++count;
    }
    for (int b = 0; b < count; ++b) {
        if (equation[b] < first || equation[b] > last) continue;
        for (int a = 0; a < count; ++a) {
            const int t = 8 * local[a] + local[b];
            const double value = 0.0 + K[t];
            double& stored = S[t];
            if (equation[b] >= equation[a])
                profile_[ProfileAddress(equation[a], equation[b])] += value - stored;
            stored = value;
        }
    }
}

// Element e's new matrix in formedMatrix_ becomes the differences its profile terms take, and its
// stored matrix the new one: per term new - old, exactly as AssemblePlaneStiffness forms them, so that
// the profile gets the same bits however the work is split. Touches element e's data only.
void Engine::StageDifferences(int e) {
    double* K = &formedMatrix_[64 * e];
    double* S = &localStiffness_[64 * e];
    int local[8], count = 0;
    for (int l = 0; l < 8; ++l)
        if (localCount_[8 * e + l] != 0) local[count++] = l;
    for (int b = 0; b < count; ++b)
        for (int a = 0; a < count; ++a) {
            const int t = 8 * local[a] + local[b];
            double& term = K[t];
            const double value = 0.0 + term;
            double& stored = S[t];
            term = value - stored;
            stored = value;
        }
}

// Element e's staged differences into the profile terms at addresses lo .. hi - 1.
void Engine::AddStagedDifferences(int e, int lo, int hi) {
    const double* difference = &formedMatrix_[64 * e];
    const int32_t* address = &pairAddress_[kMaxPairs * e];
    const uint8_t* source = &pairSource_[kMaxPairs * e];
    if (pairLow_[e] >= lo && pairHigh_[e] < hi) {
        for (int k = 0; k < pairCount_[e]; ++k) profile_[address[k]] += difference[source[k]];
        return;
    }
    for (int k = 0; k < pairCount_[e]; ++k)
        if (address[k] >= lo && address[k] < hi) profile_[address[k]] += difference[source[k]];
}

// The changed elements' matrices are formed on the analysis' threads (each its own), then assembled.
void Engine::UpdateChangedStiffness() {
    ForElementRanges([this](int begin, int end) {
        for (int e = begin; e < end; ++e)
            if (elementChanged_[e] && FormedInPlace(e)) FormPlaneMatrix(e, false, &formedMatrix_[64 * e]);
    });
    AssembleChangedElements();
}

// Element e's new matrix in formedMatrix_, its terms whose profile addresses are lo .. hi - 1, into the
// profile and its stored matrix: per term the profile grows by new - old and the stored term becomes
// the new one, as AssemblePlaneStiffness does; the stored term below the diagonal is taken with its
// pair (the condensed matrix need not be symmetric to the bit).
void Engine::AddFormedMatrix(int e, int lo, int hi) {
    const double* K = &formedMatrix_[64 * e];
    double* S = &localStiffness_[64 * e];
    const int32_t* address = &pairAddress_[kMaxPairs * e];
    const uint8_t* source = &pairSource_[kMaxPairs * e];
    const bool whole = pairLow_[e] >= lo && pairHigh_[e] < hi;
    for (int k = 0; k < pairCount_[e]; ++k) {
        if (!whole && (address[k] < lo || address[k] >= hi)) continue;
        const int t = source[k], mirror = 8 * (t & 7) + (t >> 3);
        const double value = 0.0 + K[t];
        profile_[address[k]] += value - S[t];
        S[t] = value;
        S[mirror] = 0.0 + K[mirror];
    }
}

// The changed elements into the profile, in element order: a plane element mapped one to one from its
// new matrix in formedMatrix_, any other formed again here. Every profile term takes its differences
// in element order whichever thread adds them, so when all changed elements are of the first kind, the
// columns are split between the analysis' threads.
void Engine::AssembleChangedElements() {
    bool inPlace = true, any = false;
    for (int e = 0; e < elementCount_; ++e)
        if (elementChanged_[e]) {
            any = true;
            inPlace = inPlace && FormedInPlace(e);
        }
    if (!any) return;
    stiffnessChanged_ = 1;
    factorValid_ = false;
    if (!inPlace) {
        for (int e = 0; e < elementCount_; ++e)
            if (elementChanged_[e]) {
                if (FormedInPlace(e))
                    AddFormedMatrix(e, 0, INT32_MAX);
                else
                    ReformElement(e);
            }
        return;
    }
    const int parts = ElementThreads();
    const auto start = [this, parts](int part) { return ProfileRangeStart(part, parts); };
    OverColumnRanges(pool_.get(), parts, start, [this](int lo, int hi) {
        for (int e = 0; e < elementCount_; ++e)
            if (elementChanged_[e] && PairsReach(e, lo, hi)) AddFormedMatrix(e, lo, hi);
    });
}

// The flagged elements among the first `count`, all formed in place, their differences staged, into
// the profile in element order; on the analysis' threads each takes a range of columns.
void Engine::AssembleFormedInPlace(const uint8_t* changed, int count) {
    if (std::find(changed, changed + count, 1) == changed + count) return;
    factorValid_ = false;
    const int parts = ElementThreads();
    const auto start = [this, parts](int part) { return ProfileRangeStart(part, parts); };
    OverColumnRanges(pool_.get(), parts, start, [this, changed, count](int lo, int hi) {
        for (int e = 0; e < count; ++e)
            if (changed[e] && PairsReach(e, lo, hi)) AddStagedDifferences(e, lo, hi);
    });
}

void Engine::ReformElement(int e) {
    if (FormedInPlace(e)) {
        UpdatePlaneStiffness(e);
        return;
    }
    double old[400], difference[400];
    const int n = dofCount_[e];
    double* S = &stiffness_[400 * e];
    for (int j = 0; j < n; ++j) std::copy_n(S + 20 * j, n, old + 20 * j);
    if (elements_[e].discrete != 0)
        DiscreteElementStiffness(e + 1);
    else
        FormPlaneElement(e, false);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) difference[i + 20 * j] = S[i + 20 * j] - old[i + 20 * j];
    AddElementMatrix(e + 1, difference);
}

// Two threads share the panels of a factorisation only where each panel has many rows above it: the
// second thread reduces panel k + 1 by the rows above panel k while the first ends panel k, so the
// overlap grows with the columns' height. Measured: 16 % off the factorisation of the 60 × 60 plan
// (mean height 122), nothing at 40 × 40 and 45 × 45, a loss at 30 × 30 (mean height about 60).
bool Engine::FactorisationShareable() const {
    constexpr int kSharedMeanHeight = 100;
    return parallel_ && pool_ != nullptr && equationCount_ > 0 &&
           profileLength_ >= long(kSharedMeanHeight) * equationCount_;
}

int Engine::FactoriseProfile(double* y) {
    const int n = equationCount_;
    const int32_t* D = diagonalAddress_.data();
    int failed = 0;
    if (resident_) {
        const bool shared = FactorisationShareable() && sharing_.Allowed();
        failed = blocked_.FactoriseResident(panels_, D, profile_.data() + matrixStart_,
                                            workProfile_.data() + factorStart_, blockedIsa_, y,
                                            shared ? pool_.get() : nullptr);
        if (shared)
            sharing_.AfterShared(blocked_.LastShareStalled());
        else
            sharing_.AfterSingle();
    } else if (factorKernel_ == FactorKernel::Blocked)
        failed = blocked_.Factorise(workProfile_.data(), D, n, profile_.data(), blockedIsa_, y);
    else
        failed = ColumnSolve(workProfile_.data(), workVector_.data(), D, n, 1, SolverKernel::Automatic,
                             profile_.data());
    if (failed != 0) {
        failedEquation_ = failed;
        failedPivot_ = FactorTerm(failed, failed);
    }
    return failed;
}

void Engine::SolveWithFactors(double* y) const {
    if (resident_)
        SubstituteResident(panels_, diagonalAddress_.data(), workProfile_.data() + factorStart_, y,
                           blockedIsa_);
    else
        ColumnSolve(const_cast<double*>(workProfile_.data()), y, diagonalAddress_.data(), equationCount_, 2);
}

void Engine::FinishEliminatedSolve(double* y) const {
    if (resident_)
        SubstituteResident(panels_, diagonalAddress_.data(), workProfile_.data() + factorStart_, y,
                           blockedIsa_, 1, true);
    else
        BackSubstitute(workProfile_.data(), diagonalAddress_.data(), equationCount_, y);
}

void Engine::SolvePairWithFactors(double* w) const {
    if (resident_)
        SubstituteResident(panels_, diagonalAddress_.data(), workProfile_.data() + factorStart_, w,
                           blockedIsa_, 2);
    else
        SubstitutePair(workProfile_.data(), w, diagonalAddress_.data(), equationCount_);
}

bool Engine::SolveForIncrement() {
    const int n = equationCount_;
    failedEquation_ = 0;
    std::copy_n(loadIncrement_.begin() + 1, n, workVector_.begin() + 1);
    // The work copy is factorised, so the profile itself always holds the matrix; an unchanged profile
    // keeps its factors from the last solve. The blocked kernel eliminates the load on its way.
    if (!factorValid_) {
        const bool eliminates = FactorisationEliminates();
        if (FactoriseProfile(eliminates ? workVector_.data() : nullptr) != 0) return false;
        factorValid_ = true;
        if (eliminates) {
            FinishEliminatedSolve(workVector_.data());
            std::copy_n(workVector_.begin() + 1, n, displacementIncrement_.begin() + 1);
            return true;
        }
        std::copy_n(loadIncrement_.begin() + 1, n, workVector_.begin() + 1);
    }
    SolveWithFactors(workVector_.data());
    std::copy_n(workVector_.begin() + 1, n, displacementIncrement_.begin() + 1);
    return true;
}

} // namespace torva::engine
