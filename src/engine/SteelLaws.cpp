#include "engine/SteelLaws.h"

#include "engine/FreshRecord.h"

#include <algorithm>
#include <cmath>

namespace torva::engine {
namespace {

// Material constants are single-precision values widened to double, as everywhere in the engine.
constexpr double Single(float v) {
    return static_cast<double>(v);
}

constexpr double kHardening = Single(0.001f); // Esh = 0.001 E
// Curved law: Menegotto–Pinto constants.
constexpr double kB = Single(0.02f);
constexpr double kR0 = 20.0;
constexpr double kA1 = 18.5;
constexpr double kA2 = Single(0.15f);
constexpr double kTangentGuard = 9.999999974752427e-07; // 1e-6 in single precision

// (1 + x^R)^(1/R) of the curved law. Near the reversal point x^R is below half an ulp of 1, so 1 + x^R
// rounds to exactly 1 and the power of 1 is exactly 1: the powers are skipped there, with the same
// result. Each bound is safe for every R above its own: x <= t and R >= R0 give x^R <= t^R0 <= 1e-16
// < 2^-53 (R is between 1.5 and 20, exactly 20 before the first reversal).
double CurveDenominator(double x, double R) {
    constexpr struct {
        double R, x;
    } kNegligible[] = {{20.0, 0.15}, {15.0, 0.085}, {10.0, 0.025}, {5.0, 0.0006}};
    for (const auto& bound : kNegligible)
        if (R >= bound.R && x <= bound.x) return 1.0;
    return std::pow(1.0 + std::pow(x, R), 1.0 / R);
}

// The bilinear law with kinematic hardening; `tensionOnly` keeps compression elastic in the
// virgin state (the steel spring of a joint).
void Bilinear(const BarLawInput& in, BarLawHistory& h, LawResult& out, bool tensionOnly) {
    const double E = in.E, fy = in.fy, ey = in.ey, Esh = kHardening * E;
    const double e = in.e, sp = in.sp, de = in.de, en = e + de;
    const int before = h.state;
    double s = sp + h.tangent * de; // elastic trial with the stored tangent
    switch (h.state) {
    case 1: // virgin elastic
        if (tensionOnly) {
            if (en >= ey && en >= 0.0) {
                h.state = 2;
                s = fy + (en - ey) * Esh;
                h.tangent = Esh;
            }
        } else if (std::fabs(en) >= ey) {
            if (en < 0.0) {
                h.state = 3;
                s = Esh * (ey + en) - fy;
            } else {
                h.state = 2;
                s = fy + (en - ey) * Esh;
            }
            h.tangent = Esh;
        }
        break;
    case 2: // yielding in tension
        if (de < 0.0) {
            h.state = 4;
            h.eA = e;
            h.sA = sp;
            h.eB = e - 2.0 * ey;
            h.sB = sp - 2.0 * fy;
            h.tangent = E;
            s = sp + E * de;
        }
        break;
    case 3: // yielding in compression
        if (de > 0.0) {
            h.state = 4;
            h.eB = e;
            h.sB = sp;
            h.eA = e + 2.0 * ey;
            h.sA = sp + 2.0 * fy;
            h.tangent = E;
            s = sp + E * de;
        }
        break;
    case 4: // elastic between B and A
        if (en >= h.eA) {
            h.state = 2;
            s = h.sA + (en - h.eA) * Esh;
            h.tangent = Esh;
        } else if (en <= h.eB) {
            h.state = 3;
            s = h.sB + (en - h.eB) * Esh;
            h.tangent = Esh;
        }
        break;
    default:
        break;
    }
    out = LawResult{s - sp, h.tangent, false, h.state != before};
}

} // namespace

void InitBarLawHistory(BarLawHistory& history, double E) {
    ResetRecord(history);
    history.tangent = E;
}

void BilinearSteelLaw(const BarLawInput& in, BarLawHistory& history, LawResult& out) {
    Bilinear(in, history, out, false);
}

void SteelSpringLaw(const BarLawInput& in, BarLawHistory& history, LawResult& out) {
    Bilinear(in, history, out, true);
}

// Menegotto–Pinto curve from the last reversal point (er, sr) towards the hardening asymptote
// of the current load direction. A zero increment leaves everything as it is: evaluating the
// compression branch for it would flip a bar in tension to the last reversal's curve.
void CurvedSteelLaw(const BarLawInput& in, BarLawHistory& h, LawResult& out) {
    const double E = in.E, fy = in.fy, ey = in.ey;
    const double e = in.e, sp = in.sp, de = in.de, en = e + de;
    if (in.step == 0) {
        h.prevDe = 0.0;
        h.er = 0.0;
        h.sr = 0.0;
        h.tangent = E;
    }
    if (de == 0.0) {
        out = LawResult{0.0, h.tangent, false, false};
        return;
    }
    if (h.prevDe * de < 0.0) { // reversal
        h.er = e;
        h.sr = sp;
    }
    const int before = h.state;
    double e0 = 0.0, xi = 0.0;
    if (de > 0.0) {
        h.state = 1;
        e0 = ((fy - h.sr) + (h.er - kB * ey) * E) / (E * (1.0 - kB));
        xi = std::fabs(e0 - ey) / ey;
    } else {
        h.state = 2;
        e0 = (-(h.sr + fy) + (kB * ey + h.er) * E) / (E * (1.0 - kB));
        xi = std::fabs(e0 + ey) / ey;
    }
    const double R = kR0 - kA1 * xi / (kA2 + xi);
    const double x = std::fabs((en - h.er) / (e0 - h.er));
    const double sStar = kB * x + (1.0 - kB) * x / CurveDenominator(x, R);
    const double s = h.sr + sStar * (e0 - h.er) * E;
    h.prevDe = de;
    if (std::fabs(de) > kTangentGuard) h.tangent = std::min(std::fabs((s - sp) / de), E);
    out = LawResult{s - sp, h.tangent, false, h.state != before};
}

} // namespace torva::engine
