// One load step: the reference load, re-formation of changed elements, the solve, displacement
// control, the element state update and the internal forces. Forward steps without equilibrium
// iterations: the unbalance of a step is not carried into the next.
#include "engine/Engine.h"
#include "engine/StreamCopy.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

namespace torva::engine {
namespace {

constexpr double kNoResponse = 1.0e-15;
// No structure moves 1e100 mm in a step; beyond it the material laws, which square stresses, come near
// overflow (about 1e154), so such a step is refused before it changes anything.
constexpr double kLargestIncrement = 1.0e100;

} // namespace

void Engine::AdvanceStep(std::span<double> results, double increment, int mode, int step, int& status) {
    // Kept to be put back should the state update find a value that is not finite.
    const int n = equationCount_;
    std::copy_n(displacementIncrement_.begin() + 1, n, incrementBefore_.begin() + 1);
    std::copy_n(loadIncrement_.begin() + 1, n, loadBefore_.begin() + 1);
    if (step == 1) BuildReferenceLoad();
    if (stiffnessChanged_ == 1 && !formedAhead_) UpdateChangedStiffness();
    formedAhead_ = false;
    if (step == 1 || stiffnessChanged_ == 1) {
        if (!SolveForIncrement()) {
            status = kStatusUnstable;
            return;
        }
    }
    if (!IncrementFinite(mode == kPushoverMode ? ControlFactor(increment) : 1.0)) {
        status = kStatusNotFinite;
        return;
    }
    if (mode == kPushoverMode) {
        ScaleToControlIncrement(increment, status);
        if (status == kStatusNoResponse) return;
    }
    if (!UpdateStatesAndForces(mode, step)) {
        // The element states are as before the step; so are the increments, so that the step run
        // again gives what it would have given in the first place.
        std::copy_n(incrementBefore_.begin() + 1, n, displacementIncrement_.begin() + 1);
        std::copy_n(loadBefore_.begin() + 1, n, loadIncrement_.begin() + 1);
        status = kStatusNotFinite;
        return;
    }
    for (int eq = 1; eq <= equationCount_; ++eq) totalDisplacement_[eq] += displacementIncrement_[eq];
    loadFactor_ += patternScale_;
    WriteResults(results, mode, step);
}

// The factor ScaleToControlIncrement will apply; 0 when the control dof does not respond (it says so).
double Engine::ControlFactor(double increment) const {
    const int equation = controlNode_ != 0 ? equationNumber_[2 * (controlNode_ - 1) + controlDirection_] : 0;
    if (equation == 0 || !(std::fabs(displacementIncrement_[equation]) >= kNoResponse)) return 0.0;
    return increment / displacementIncrement_[equation];
}

// Checked before the increment is scaled, so that a refused step leaves even the solved increment as
// it was and the next step starts from exactly the same state.
bool Engine::IncrementFinite(double factor) const {
    if (!std::isfinite(factor)) return false;
    for (int eq = 1; eq <= equationCount_; ++eq)
        if (!(std::fabs(displacementIncrement_[eq] * factor) <= kLargestIncrement) ||
            !std::isfinite(loadIncrement_[eq] * factor))
            return false;
    return true;
}

// The stresses and strains of element e (a joint: its spring forces and openings) are finite.
bool Engine::ElementStatesFinite(int e, const GaussPointState* points) const {
    auto finite = [](const double* values, int count) {
        for (int i = 0; i < count; ++i)
            if (!std::isfinite(values[i])) return false;
        return true;
    };
    if (elements_[e].discrete != 0) {
        for (const JointSpring& spring : joints_[e].spring)
            if (!std::isfinite(spring.concreteForce) || !std::isfinite(spring.concreteOpening) ||
                !std::isfinite(spring.steelForce) || !std::isfinite(spring.steelOpening))
                return false;
        return true;
    }
    for (int g = 0; g < kGaussPoints; ++g) {
        const GaussPointState& gp = points[g];
        if (!finite(gp.totalStress, 3) || !finite(gp.concrete.principal, 3) || !finite(gp.strain, 3))
            return false;
    }
    return true;
}

// The point-load pattern. A load on a tied dof goes to its master's equation through the tie map;
// loads on restrained dofs are taken by the supports.
void Engine::BuildReferenceLoad() {
    const int dofs = 2 * nodeCount_;
    patternScale_ = 1.0;
    std::fill_n(dofLoad_.begin() + 1, dofs, 0.0);
    for (int r = 0; r < loadCount_; ++r) {
        dofLoad_[2 * loads_[r].node - 1] = loads_[r].fx;
        dofLoad_[2 * loads_[r].node] = loads_[r].fy;
    }
    for (int dof = 1; dof <= dofs; ++dof)
        if (equationNumber_[dof] > 0) loadIncrement_[equationNumber_[dof]] = dofLoad_[dof];
    for (int dof = 1; dof <= dofs; ++dof) {
        if (equationNumber_[dof] > 0 || dofLoad_[dof] == 0.0) continue;
        for (int pair = 0; pair < kMaxMasters; ++pair) {
            const int master = tieMaster_[kMaxMasters * dof + pair];
            if (master == 0 || master == dof || equationNumber_[master] == 0) continue;
            loadIncrement_[equationNumber_[master]] += tieFactor_[kMaxMasters * dof + pair] * dofLoad_[dof];
        }
    }
}

void Engine::ScaleToControlIncrement(double increment, int& status) {
    const int equation = controlNode_ != 0 ? equationNumber_[2 * (controlNode_ - 1) + controlDirection_] : 0;
    if (equation == 0 || !(std::fabs(displacementIncrement_[equation]) >= kNoResponse)) {
        status = kStatusNoResponse;
        return;
    }
    const double factor = increment / displacementIncrement_[equation];
    for (int eq = 1; eq <= equationCount_; ++eq) {
        displacementIncrement_[eq] *= factor;
        loadIncrement_[eq] *= factor;
    }
    patternScale_ *= factor;
}

void Engine::GatherLocalIncrement(int e, double du[8]) const {
    const int32_t* list = &dofList_[kMaxElementDofs * e];
    for (int l = 0; l < 8; ++l) {
        double sum = 0.0;
        for (int a = 0; a < localCount_[8 * e + l]; ++a) {
            const int m = localEntry_[kMaxMasters * (8 * e + l) + a];
            sum += localFactor_[kMaxMasters * (8 * e + l) + a] *
                   displacementIncrement_[equationNumber_[list[m]]];
        }
        du[l] = sum;
    }
}

void Engine::UpdateElementStates(int mode, int step) {
    ForElementRanges([=, this](int begin, int end) {
        for (int e = begin; e < end; ++e)
            UpdateElementState(e, mode, step, &gauss_[9 * e], HysteresisOf(hysteresis_, e));
    });
    for (int e = 0; e < elementCount_; ++e)
        if (elementChanged_[e]) stiffnessChanged_ = 1;
}

// Element e's update touches only its own state, and its forces and its stiffness read only that state
// (the stiffness also its own stored matrix), so each element is updated, its forces worked out and,
// when it changed, its new matrix formed in one go, while its Gauss points are still in the cache, and
// the elements go over the analysis' threads. A plane element is updated on a copy of its Gauss points,
// which then goes to the other buffer: the states of the last step are never written, so when any
// element's new state, or a force, is not finite, the buffers stay as they are and every element only
// takes back its flag, its joint and the condensation its formation replaced. Otherwise the buffers
// change places and, in element order, the forces are added up and the profile takes the differences as
// UpdateChangedStiffness would at the start of the next step, which then has nothing left to do.
bool Engine::UpdateStatesAndForces(int mode, int step) {
    ForElementRanges([=, this](int begin, int end) {
        GaussPointState staged[kGaussPoints];
        ConcreteHysteresis stagedHysteresis[2 * kGaussPoints];
        for (int e = begin; e < end; ++e) UpdateStagedElement(e, mode, step, staged, stagedHysteresis);
        FinishStreamedCopies();
    });
    const int n = equationCount_;
    bool finite = std::all_of(elementFinite_.begin(), elementFinite_.begin() + elementCount_,
                              [](uint8_t ok) { return ok != 0; });
    if (finite) {
        // Each thread adds up the forces of a share of the equations, every one in element order.
        std::atomic<bool> sumsFinite = true;
        ForEquationRanges([this, &sumsFinite](int lo, int hi) {
            std::copy(internalForce_.begin() + lo, internalForce_.begin() + hi, forceBefore_.begin() + lo);
            std::fill(internalForce_.begin() + lo, internalForce_.begin() + hi, 0.0);
            for (int e = 0; e < elementCount_; ++e)
                if (equationHigh_[e] >= lo && equationLow_[e] < hi)
                    ScatterElementForce(e, &elementForce_[8 * e], lo, hi);
            // Finite element forces can still add up beyond the largest double.
            if (!std::all_of(internalForce_.begin() + lo, internalForce_.begin() + hi,
                             [](double f) { return std::isfinite(f); }))
                sumsFinite = false;
        });
        finite = sumsFinite;
        if (!finite) std::copy_n(forceBefore_.begin() + 1, n, internalForce_.begin() + 1);
    }
    if (!finite) {
        ForElementRanges([this](int begin, int end) {
            for (int e = begin; e < end; ++e) RestoreElementState(e);
        });
        // The profile holds every change up to the last step done: nothing is left to form.
        formedAhead_ = true;
        return false;
    }
    std::swap(gauss_, gaussNext_);
    std::swap(principal_, principalNext_);
    std::swap(hysteresis_, hysteresisNext_);
    // The stored matrices take their new terms only now, when the step is sure to stand.
    AssembleChangedElements();
    formedAhead_ = true;
    return true;
}

// One element of UpdateStatesAndForces; `staged` has room for its nine Gauss points. A joint has none
// to update: its block goes over to the other buffer as it is, so that both always agree on it.
void Engine::UpdateStagedElement(int e, int mode, int step, GaussPointState* staged,
                                 ConcreteHysteresis* stagedHysteresis) {
    changedBefore_[e] = elementChanged_[e];
    ConcreteHysteresis* const ownNext = HysteresisOf(hysteresisNext_, e);
    const size_t pointBytes = sizeof(GaussPointState) + (ownNext ? 2 * sizeof(ConcreteHysteresis) : 0);
    const bool streamed = size_t(elementCount_) * kGaussPoints * pointBytes > streamedStates_;
    GaussPointState* next = &gaussNext_[9 * e];
    GaussPointState* points = streamed ? staged : next;
    std::memcpy(static_cast<void*>(points), &gauss_[9 * e], sizeof(GaussPointState) * kGaussPoints);
    ConcreteHysteresis* own = nullptr;
    if (ownNext != nullptr) {
        own = streamed ? stagedHysteresis : ownNext;
        std::memcpy(static_cast<void*>(own), HysteresisOf(hysteresis_, e),
                    sizeof(ConcreteHysteresis) * 2 * kGaussPoints);
    }
    if (elements_[e].discrete != 0) jointsBefore_[e] = joints_[e];
    UpdateElementState(e, mode, step, points, own);
    ElementForce(e, &elementForce_[8 * e], points);
    elementFinite_[e] = ElementStatesFinite(e, points) && ElementForceFinite(e);
    for (int g = 0; g < kGaussPoints; ++g)
        std::copy_n(points[g].concrete.principal, 3, &principalNext_[3 * (kGaussPoints * e + g)]);
    if (elementFinite_[e] && elementChanged_[e] && FormedInPlace(e)) {
        std::copy_n(&condensation_[32 * e], 32, &condensationBefore_[32 * e]);
        FormPlaneMatrix(e, false, &formedMatrix_[64 * e], points);
    }
    if (streamed) {
        StreamCopy(staged, next, kGaussPoints);
        if (own != nullptr) StreamCopy(stagedHysteresis, ownNext, 2 * kGaussPoints);
    }
}

void Engine::GatherPrincipalStresses(int e) {
    for (int g = 0; g < kGaussPoints; ++g)
        std::copy_n(gauss_[9 * e + g].concrete.principal, 3, &principal_[3 * (kGaussPoints * e + g)]);
}

void Engine::RestoreElementState(int e) {
    if (elementFinite_[e] && elementChanged_[e] && FormedInPlace(e))
        std::copy_n(&condensationBefore_[32 * e], 32, &condensation_[32 * e]);
    elementChanged_[e] = changedBefore_[e];
    if (elements_[e].discrete != 0) joints_[e] = jointsBefore_[e];
}

bool Engine::ElementForceFinite(int e) const {
    const double* f = &elementForce_[8 * e];
    return std::all_of(f, f + 8, [](double v) { return std::isfinite(v); });
}

void Engine::UpdateElementState(int e, int mode, int step, GaussPointState* points,
                                ConcreteHysteresis* hysteresis) {
    const ElementRecord& element = elements_[e];
    elementChanged_[e] = 0;
    double du[8];
    GatherLocalIncrement(e, du);
    bool changed = false;
    if (element.discrete != 0) {
        changed = UpdateJoint(joints_[e], jointProperties_[e], element.discrete, du, step);
    } else {
        double alpha[4] = {0, 0, 0, 0};
        if (formulation_ == 2) {
            const double* T = &condensation_[32 * e];
            for (int a = 0; a < 4; ++a) {
                double sum = 0.0;
                for (int l = 0; l < 8; ++l) sum += T[8 * a + l] * du[l];
                alpha[a] = sum;
            }
        }
        const bool hasConcrete = element.concreteType != 0;
        const ConcreteMaterial concrete =
            hasConcrete ? ConcreteMaterialOf(element.concreteType) : ConcreteMaterial{};
        RebarMaterial rebar;
        const bool hasRebar = RebarMaterialOf(e, rebar);
        // Bars on the curved law flag their element at every step: it is formed again before its next
        // update, with the concrete tangent at angle 0, so the rotated one need not be formed here.
        const bool reformed = hasRebar && rebarSelector_ == 2;
        double increments[kGaussPoints][3];
        PlaneStrainIncrements(&geometry_[9 * e], du, alpha, increments);
        for (int g = 0; g < kGaussPoints; ++g) {
            GaussPointState& gp = points[g];
            const double* de = increments[g];
            for (int i = 0; i < 3; ++i) gp.strain[i] += de[i];
            if (hasConcrete &&
                UpdateConcreteGaussPoint(gp.concrete, concrete, de, concreteSelector_, mode, step, !reformed,
                                         hysteresis ? hysteresis + 2 * g : nullptr))
                changed = true;
            if (hasRebar &&
                UpdateRebarGaussPoint(gp.rebar, rebar, gp.strain, de, rebarSelector_, step, gp.rebarStress))
                changed = true;
            for (int i = 0; i < 3; ++i) gp.totalStress[i] = gp.concrete.stress[i] + gp.rebarStress[i];
        }
    }
    if (changed) elementChanged_[e] = 1; // the caller sets stiffnessChanged_
}

void Engine::ComputeInternalForces() {
    std::fill_n(internalForce_.begin() + 1, equationCount_, 0.0);
    double f[8];
    for (int e = 0; e < elementCount_; ++e) {
        ElementForce(e, f);
        ScatterElementForce(e, f);
    }
}

// The internal forces of element e in its local dofs.
void Engine::ElementForce(int e, double f[8], const GaussPointState* points) const {
    std::fill_n(f, 8, 0.0);
    if (elements_[e].discrete != 0) {
        JointLocalForces(joints_[e], elements_[e].discrete, f);
    } else {
        for (int g = 0; g < kGaussPoints; ++g) {
            const PlaneGaussGeometry& geometry = geometry_[9 * e + g];
            const double* s = points[g].totalStress;
            // B0' s f, without the zero entries of B0.
            for (int a = 0; a < 4; ++a) {
                const double dx = geometry.dx[a], dy = geometry.dy[a];
                f[2 * a] += (dx * s[0] + dy * s[2]) * geometry.factor;
                f[2 * a + 1] += (dy * s[1] + dx * s[2]) * geometry.factor;
            }
        }
    }
}

// The forces of element e added into the equations through its dof list.
void Engine::ScatterElementForce(int e, const double f[8]) {
    ScatterElementForce(e, f, 1, equationCount_ + 1);
}

void Engine::ScatterElementForce(int e, const double f[8], int lo, int hi) {
    const int32_t* list = &dofList_[kMaxElementDofs * e];
    for (int l = 0; l < 8; ++l)
        for (int a = 0; a < localCount_[8 * e + l]; ++a) {
            const int m = localEntry_[kMaxMasters * (8 * e + l) + a];
            const int equation = equationNumber_[list[m]];
            if (equation >= lo && equation < hi)
                internalForce_[equation] += localFactor_[kMaxMasters * (8 * e + l) + a] * f[l];
        }
}

} // namespace torva::engine
