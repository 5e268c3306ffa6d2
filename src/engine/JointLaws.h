#pragma once
// The concrete spring of a discrete joint element: elastic, then softening after cracking at Fcr,
// unloading on the secant to the origin, closing elastic with k0. The caller bounds the returned
// tangent from below by 0.01 k0.
#include "engine/MaterialLaw.h"

namespace torva::engine {

struct SpringLawInput {
    double d = 0;    // opening before the step
    double Fp = 0;   // force before the step
    double dd = 0;   // opening increment
    double k0dd = 0; // k0 · dd, the elastic trial increment
    double k0 = 0;   // spring stiffness
    double Fcr = 0;  // cracking force
};

struct ConcreteSpringHistory {
    int state = 1;
    double tangent = 0; // k0 at set-up
    double dref = 0, Fref = 0;
};

void InitConcreteSpringHistory(ConcreteSpringHistory& history, double k0);
void ConcreteSpringLaw(const SpringLawInput& in, ConcreteSpringHistory& history, LawResult& out);

} // namespace torva::engine
