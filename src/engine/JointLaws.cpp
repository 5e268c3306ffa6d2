#include "engine/JointLaws.h"

#include "engine/FreshRecord.h"

#include <cmath>

namespace torva::engine {
namespace {

// Material constants are single-precision values widened to double, as everywhere in the engine.
constexpr double Single(float v) {
    return static_cast<double>(v);
}

constexpr double kSoftExponent = Single(0.4f); // F = Fref (dref/d)^0.4 after cracking
constexpr double kSoftTangent = Single(0.1f);  // softening tangent -0.1 k0

} // namespace

void InitConcreteSpringHistory(ConcreteSpringHistory& history, double k0) {
    ResetRecord(history);
    history.tangent = k0;
}

// States: 1 uncracked, 2 closed (elastic with k0), 3 open crack softening, 4 on the secant to
// the origin. The returned tangent may be negative (-0.1 k0); the caller bounds it by 0.01 k0.
void ConcreteSpringLaw(const SpringLawInput& in, ConcreteSpringHistory& h, LawResult& out) {
    const double k0 = in.k0, d = in.d, Fp = in.Fp, dd = in.dd, dn = d + dd;
    const int before = h.state;
    double F = Fp + h.tangent * dd; // elastic trial with the stored tangent
    auto open = [&] {
        h.state = 3;
        F = h.Fref * std::pow(h.dref / dn, kSoftExponent);
        h.tangent = -kSoftTangent * k0;
    };
    switch (h.state) {
    case 1:
        h.dref = in.Fcr / k0;
        h.Fref = in.Fcr;
        if (dn > h.dref) {
            open();
        } else if (dn < 0.0) {
            h.state = 2;
            h.tangent = k0;
        }
        break;
    case 2:
        if (dn > h.dref) open();
        break;
    case 3:
        if (dd < 0.0) {
            h.state = 4;
            h.tangent = Fp / d;
            F = Fp + dd * h.tangent;
            h.dref = d;
            h.Fref = Fp;
        } else {
            F = h.Fref * std::pow(h.dref / dn, kSoftExponent);
        }
        break;
    case 4:
        if (dn > h.dref) {
            open();
        } else if (dn < 0.0) {
            h.state = 2;
            h.tangent = k0;
            F = k0 * dn;
        } else {
            // On the secant through (dref, Fref), whatever tangent the caller stored back: a
            // bounded tangent steeper than the secant would push an open crack into compression.
            h.tangent = h.Fref / h.dref;
            F = Fp + dd * h.tangent;
        }
        break;
    default:
        break;
    }
    out = LawResult{F - Fp, h.tangent, false, h.state != before};
}

} // namespace torva::engine
