#pragma once
// Drives a uniaxial law along a strain path the way the engine does: it keeps the strain and the
// stress, hands the law the state before each step and adds the returned increment.
#include "engine/ConcreteLaws.h"
#include "engine/JointLaws.h"
#include "engine/SteelLaws.h"

#include <cmath>
#include <functional>
#include <utility>

namespace torva::engine::testing {

// Uniaxial concrete in one principal direction, values of a plain C30-like type.
// The history holds what either model keeps; the secant model sees only its part.
struct ConcreteDriver {
    using Law = std::function<void(const ConcreteLawInput&, HystereticLawHistory&, LawResult&)>;

    explicit ConcreteDriver(void (*secant)(const ConcreteLawInput&, ConcreteLawHistory&, LawResult&),
                            double E0 = 25000.0, double fc = -30.0, double eps0 = -0.002, double ft = 2.5)
        : ConcreteDriver(Law(secant), E0, fc, eps0, ft) {}
    explicit ConcreteDriver(void (*hysteretic)(const ConcreteLawInput&, HystereticLawHistory&, LawResult&),
                            double E0 = 25000.0, double fc = -30.0, double eps0 = -0.002, double ft = 2.5)
        : ConcreteDriver(Law(hysteretic), E0, fc, eps0, ft) {}
    ConcreteDriver(Law law, double E0, double fc, double eps0, double ft) : law(std::move(law)) {
        material.E0 = E0;
        material.fc = fc;
        material.eps0 = eps0;
        material.fs = fc;
        material.epk = eps0;
        material.Es = fc / eps0;
        material.ft = ft;
        material.ecr = ft / E0;
        InitConcreteLawHistory(history, E0);
    }

    // One step of increment de; returns the stress after it.
    double Step(double de) {
        ConcreteLawInput in = material;
        in.eps = eps;
        in.sp = stress;
        in.de = de;
        in.E0de = material.E0 * de;
        in.step = step++;
        law(in, history, last);
        eps += de;
        stress += last.dStress;
        return stress;
    }

    // Moves to the strain `target` in n equal steps.
    double To(double target, int n) {
        const double de = (target - eps) / n;
        for (int i = 0; i < n; ++i) Step(de);
        return stress;
    }

    Law law;
    ConcreteLawInput material;
    HystereticLawHistory history;
    LawResult last;
    double eps = 0.0, stress = 0.0;
    int step = 0;
};

// A bar or a spring under one of the steel laws.
struct BarDriver {
    using Law = void (*)(const BarLawInput&, BarLawHistory&, LawResult&);

    BarDriver(Law law, double E, double fy) : law(law) {
        material.E = E;
        material.fy = fy;
        material.ey = fy / E;
        InitBarLawHistory(history, E);
    }

    double Step(double de) {
        BarLawInput in = material;
        in.e = e;
        in.sp = stress;
        in.de = de;
        in.Ede = material.E * de;
        in.step = step++;
        law(in, history, last);
        e += de;
        stress += last.dStress;
        return stress;
    }

    double To(double target, int n) {
        const double de = (target - e) / n;
        for (int i = 0; i < n; ++i) Step(de);
        return stress;
    }

    Law law;
    BarLawInput material;
    BarLawHistory history;
    LawResult last;
    double e = 0.0, stress = 0.0;
    int step = 0;
};

// Saenz envelope, written out independently of the laws.
inline double SaenzStress(const ConcreteLawInput& m, double e) {
    const double x = e / m.epk;
    return m.E0 * e / (1.0 + (m.E0 / m.Es - 2.0) * x + x * x);
}
inline double SaenzTangent(const ConcreteLawInput& m, double e) {
    const double x = e / m.epk;
    const double den = 1.0 + (m.E0 / m.Es - 2.0) * x + x * x;
    return m.E0 * (1.0 - x * x) / (den * den);
}

// A short decimal of the material rules as the engine holds it: single precision, widened.
inline double Single(float v) {
    return static_cast<double>(v);
}

} // namespace torva::engine::testing
