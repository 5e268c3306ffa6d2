#include "engine/ConcreteLaws.h"

#include "engine/FreshRecord.h"

#include <algorithm>
#include <cmath>

namespace torva::engine {
namespace {

// Material constants are single-precision values widened to double, as everywhere in the engine.
constexpr double Single(float v) {
    return static_cast<double>(v);
}

constexpr double kSecantExponent = Single(0.4f); // secant model: ft (ecr/eps)^0.4
constexpr double kSoftTangent = Single(0.1f);    // softening tangent -0.1 E0
constexpr double kPlasticQuad = Single(0.145f);  // plastic strain, quadratic term
constexpr double kPlasticLin = Single(0.13f);    // plastic strain, linear term
constexpr double kUnloadFactor = 1.5;            // Eu = min(1.5 su/(eu - ep), E0)
constexpr double kResidual = Single(0.2f);       // residual plateau 0.2 fc from 4 eps0
constexpr double kTensionExponent = 1.0;         // hysteretic softening ft (ecr/eps)^c
constexpr double kReloadFraction = Single(0.9f); // tension reloading aims at 0.9 stu
constexpr double kReloadBack = Single(0.1f);     // etl = etu - 0.1 stu/Et
constexpr double kContactGrowth = Single(0.02f); // sr = -ft (1 + 0.02 (etu - ecr)/ecr)
constexpr double kClosingTolerance = Single(0.001f);
constexpr int kClosingIterations = 1000;

// The Saenz envelope through the origin and (epk, fs), with its tangent.
struct Saenz {
    double E0, epk, k;
    explicit Saenz(const ConcreteLawInput& in) : E0(in.E0), epk(in.epk), k(in.E0 / in.Es - 2.0) {}
    double Stress(double e) const {
        const double x = e / epk;
        return E0 * e / (1.0 + k * x + x * x);
    }
    double Tangent(double e) const {
        const double x = e / epk;
        const double den = 1.0 + k * x + x * x;
        return E0 * (1.0 - x * x) / (den * den);
    }
};

// ---------------------------------------------------------------------------------------------
// Secant model: Saenz envelope in compression, secant unloading to the origin, tension softening.
// ---------------------------------------------------------------------------------------------
void Secant(const ConcreteLawInput& in, ConcreteLawHistory& h, LawResult& out) {
    const Saenz saenz(in);
    const double e = in.eps, sp = in.sp, de = in.de, en = e + de;
    const double softTangent = -kSoftTangent * in.E0;
    const int before = h.state;
    double s = sp;
    double Et = h.tangent;
    bool crack = false;
    auto envelope = [&] {
        s = saenz.Stress(en);
        Et = saenz.Tangent(en);
    };
    auto soften = [&] {
        s = h.sc * std::pow(h.ec / en, kSecantExponent);
        Et = softTangent;
        crack = true;
    };
    switch (h.state) {
    case 1: // uncracked, elastic
        h.ec = in.ecr;
        h.sc = in.ft;
        if (en > in.ecr) {
            h.state = 3;
            soften();
        } else if (en < 0.0) {
            h.state = 2;
            envelope();
            h.eu = in.epk;
            h.su = in.fs;
        } else {
            s = sp + Et * de;
        }
        break;
    case 2: // compression envelope
        if (de <= 0.0) {
            envelope();
        } else {
            h.state = 4;
            Et = sp / e;
            s = sp + de * Et;
            h.eu = e;
            h.su = sp;
        }
        break;
    case 3: // tension softening
        if (de >= 0.0) {
            soften();
        } else {
            h.state = 5;
            Et = sp / e;
            s = sp + de * Et;
            h.ec = e;
            h.sc = sp;
            crack = true;
        }
        break;
    case 4: // on the secant from the compression envelope
        if (en > 0.0) {
            h.state = 6;
            s = 0.0;
            Et = 0.0;
            crack = true;
        } else if (en < h.eu) {
            h.state = 2;
            envelope();
        } else {
            s = sp + Et * de;
        }
        break;
    case 5: // on the secant from the tension branch
        if (en > h.ec) {
            h.state = 3;
            soften();
        } else if (en < 0.0) {
            h.state = 2;
            envelope();
        } else {
            s = sp + Et * de;
            crack = true;
        }
        break;
    case 6: // zero stress after compression unloading
        if (en < 0.0) {
            h.state = 4;
            Et = h.su / h.eu;
            s = Et * en;
        } else {
            s = 0.0;
            crack = true;
        }
        break;
    default:
        break;
    }
    h.tangent = Et;
    out = LawResult{s - sp, Et, crack, h.state != before};
}

// ---------------------------------------------------------------------------------------------
// Hysteretic model.
//
// A step first applies the reversal rule of the branch it starts on (the sign of de against the
// branch's own direction), then follows branches monotonically from eps to eps' = eps + de: while
// eps' lies beyond the end of the current branch, the next branch is set up at that end and
// taken. Every branch starts where the previous one ends, so the stress along a monotonic strain
// path is continuous whatever the step size; a reversal starts from the stress before the step.
//
// Choices where the rules leave the order or the geometry open:
// - The first unloading stage taken back past the unloading point returns to the envelope.
//   The reloading line joins the envelope where its stress first reaches the envelope, so the
//   intersection is found by comparing stresses at eps' and no strain of it is needed.
//   So the line meets the ascending part exactly when its stress at epk is at least as
//   compressive as fs, and the descending line (or the plateau) otherwise.
// - A reversal on the quadratic whose Eu line does not meet the reloading line below it (the
//   two are parallel after a bounded plastic strain) reloads straight to the unloading point.
// - Of the cubic's real roots the accepted one nearest the reversal point is taken; without an
//   accepted root on the ascending part the descending line (then the plateau) is intersected,
//   and if that fails as well the reversal point itself is the new unloading point.
// - A reversal on the reloading line starts a segment from the reversal point with the new
//   unloading modulus Eu; it rejoins the new path where it meets the quadratic, or else reaches
//   zero stress, which then becomes the new plastic strain. Taken backwards it returns to the
//   reloading line it left.
// - The unloading line from tension softening has the slope Et = max(stu/etu, P(etu)) and its
//   own zero is the start et0 of the closing curve (Etu = Et), so unloading continues
//   into closing without a jump.
// - State-11 segments use Erl with the interpolation factor limited to [0, 1] (between Ec and
//   Etu), and a segment from the tension reloading line is never flatter than that line, so
//   it ends at or beyond ez. Below its end the closing curve is solved again from there.
// - The closing curve's A is solved by the fixed point from the previous solution; when no
//   solution exists (|sr|/Ec not below et0 - er) the closing path is the straight line from
//   (et0, 0) to (er, sr).
// - The crack flag is reported in states 7 to 11 (also while a crack closes); on a descending
//   branch beyond 6 |eps0| the plastic strain is bounded by the elastic unloading eu - su/E0,
//   which keeps the unloading modulus positive.
// - The plastic strain is never tensile: where the envelope is stiffer than E0 near the origin
//   (E0/Es < 2) the unloading line's zero can lie past the origin, and ep is then 0.
// ---------------------------------------------------------------------------------------------
class Hysteretic {
public:
    Hysteretic(const ConcreteLawInput& in, ConcreteLawHistory& h, ConcreteHysteresis& x)
        : in_(in), h_(h), x_(x), saenz_(in), E0_(in.E0), fs_(in.fs), epk_(in.epk), ecr_(in.ecr), ft_(in.ft),
          residual_(kResidual * in.fc), residualStrain_(4.0 * in.eps0) {
        const double span = residualStrain_ - epk_;
        Ed_ = span < 0.0 ? (residual_ - fs_) / span : 0.0;
    }

    void Run(LawResult& out) {
        const double e = in_.eps, de = in_.de, en = e + de;
        int dir = de > 0.0 ? 1 : (de < 0.0 ? -1 : 0);
        int state;
        if (in_.step == 0) {
            // The initialising step ignores the stored state.
            state = en >= 0.0 ? 6 : 1;
            dir = en > 0.0 ? 1 : (en < 0.0 ? -1 : 0);
        } else {
            state = Reverse(h_.state, dir, e, in_.sp, en);
        }
        state = Follow(state, dir, en);
        double s = 0.0, Et = 0.0;
        Evaluate(state, en, s, Et);
        h_.state = state;
        h_.tangent = Et;
        x_.prevDe = de;
        out = LawResult{s - in_.sp, Et, state >= 7, false};
    }

private:
    // --- envelope in compression: Saenz up to the peak, straight down to the plateau ---
    double Env(double e) const {
        if (e >= epk_) return saenz_.Stress(e);
        if (e >= residualStrain_) return fs_ + (e - epk_) * Ed_;
        return residual_;
    }
    double EnvTangent(double e) const {
        if (e >= epk_) return saenz_.Tangent(e);
        if (e >= residualStrain_) return Ed_;
        return 0.0;
    }
    int EnvState(double e) const { return e >= epk_ ? 1 : 5; }

    // --- tension ---
    double Soft(double e) const { return ft_ * std::pow(ecr_ / e, kTensionExponent); }
    double SoftTangent(double e) const {
        return -kTensionExponent * ft_ * std::pow(ecr_, kTensionExponent) /
               std::pow(e, kTensionExponent + 1.0);
    }
    bool Cracked() const { return x_.etu > 0.0; }
    double ReloadSlope() const { // tension reloading line from (ez, 0) to (etl, 0.9 stu)
        const double run = x_.etl - x_.ez;
        return run > 0.0 ? kReloadFraction * x_.stu / run : x_.Etu;
    }

    // --- quadratic of the second unloading stage ---
    double QuadQ() const {
        const double d = x_.eb - x_.ep;
        return d != 0.0 ? (x_.Eu * d - x_.sb) / (d * d) : 0.0;
    }
    double Quad(double e) const {
        const double q = QuadQ(), r = x_.Eu - 2.0 * x_.eb * q;
        return q * e * e + r * e - x_.ep * x_.ep * q - x_.ep * r;
    }
    double QuadTangent(double e) const {
        const double q = QuadQ(), r = x_.Eu - 2.0 * x_.eb * q;
        return 2.0 * q * e + r;
    }

    // --- closing curve ---
    double Closing(double e) const {
        if (x_.closeLinear) return x_.et0 != x_.er ? x_.sr * (e - x_.et0) / (x_.er - x_.et0) : 0.0;
        return x_.closeA * (std::log(e + x_.closeD) - std::log(x_.et0 + x_.closeD));
    }
    double ClosingTangent(double e) const {
        if (x_.closeLinear) return x_.et0 != x_.er ? x_.sr / (x_.er - x_.et0) : 0.0;
        return x_.closeA / (e + x_.closeD);
    }

    double Segment(double e) const { return x_.segS0 + (e - x_.segE0) * x_.segSlope; }
    double SegLow() const { return std::min(x_.segE0, x_.segE1); }
    double SegHigh() const { return std::max(x_.segE0, x_.segE1); }
    void SetSegment(int side, double e0, double s0, double e1, double s1, double slope) {
        x_.side = side;
        x_.segE0 = e0;
        x_.segS0 = s0;
        x_.segE1 = e1;
        x_.segS1 = s1;
        x_.segSlope = slope;
    }
    void SetLine(double e, double slope) {
        x_.lineE = e;
        x_.lineEr = slope;
    }

    // A new unloading path from the compression envelope point (eu, su).
    void StartUnloading(double eu, double su) {
        h_.eu = eu;
        h_.su = su;
        const bool ascending = eu >= epk_;
        const double x = eu / in_.eps0;
        double ep = in_.eps0 * (kPlasticQuad * x * x + kPlasticLin * x);
        if (!ascending) ep = std::max(ep, eu - su / E0_);
        double Eu = std::min(kUnloadFactor * su / (eu - ep), E0_);
        if (!(Eu > 0.0)) Eu = E0_; // no compressive stress to unload from
        if (ascending) ep = std::max(ep, eu - su / Eu);
        x_.ep = std::min(ep, 0.0);
        x_.Eu = Eu;
        x_.ea = eu - (su / Eu) / 6.0;
        x_.sa = (x_.ea - eu) * Eu + su;
        x_.eb = eu - (su / Eu) / 2.0;
        x_.sb = (x_.eb - eu) * Eu + su;
        x_.Er = ReloadModulus();
    }
    double ReloadModulus() const {
        if (x_.ea < x_.ep && x_.sa < 0.0) return std::min(x_.sa / (x_.ea - x_.ep), x_.Eu);
        return x_.Eu;
    }

    // Unloading from tension softening at etu.
    void StartTensionUnloading(double etu) {
        x_.etu = etu;
        x_.stu = Soft(etu);
        const double P = std::pow(E0_, (ecr_ + 4.0 * etu) / (5.0 * etu));
        x_.Etu = std::max(x_.stu / etu, P);
        x_.et0 = etu - x_.stu / x_.Etu;
        x_.etl = etu - kReloadBack * x_.stu / x_.Etu;
    }

    // The closing curve from (et0, 0) to the contact point (er, sr).
    void StartClosing() {
        double sr = ecr_ > 0.0 ? -ft_ * (1.0 + kContactGrowth * (x_.etu - ecr_) / ecr_) : -ft_;
        const double ep = x_.ep;
        double er = 0.0, Ec = 0.0;
        bool linear = false;
        if (!(sr < 0.0)) {
            sr = 0.0;
            er = std::min(ep, x_.et0);
            linear = true;
        } else if (ep == 0.0) {
            const double Ap = sr / (epk_ * epk_);
            const double B = (E0_ / in_.Es - 2.0) * sr / epk_ - E0_;
            const double disc = B * B - 4.0 * Ap * sr;
            if (disc >= 0.0) {
                er = (-B - std::sqrt(disc)) / (2.0 * Ap);
                Ec = saenz_.Tangent(er);
            } else { // the contact stress lies beyond the peak: close onto the peak
                er = epk_;
                sr = fs_;
                linear = true;
            }
        } else {
            er = ep + sr / x_.Er;
            Ec = std::min(x_.Er, E0_);
        }
        const double span = x_.et0 - er;
        if (!linear && !(Ec > 0.0 && -sr / Ec < span)) linear = true;
        if (!linear) {
            double A = x_.closeA > 0.0 ? x_.closeA : 1.0;
            for (int i = 0; i < kClosingIterations; ++i) {
                const double d = A / Ec - er;
                const double next = sr / (std::log(er + d) - std::log(x_.et0 + d));
                const double change = std::fabs(std::fabs(next) - std::fabs(A));
                const double previous = std::fabs(A);
                A = next;
                if (change <= kClosingTolerance * previous) break;
            }
            x_.closeA = A;
            x_.closeD = A / Ec - er;
        }
        if (linear && !(Ec > 0.0)) Ec = span > 0.0 && sr < 0.0 ? -sr / span : E0_;
        x_.er = er;
        x_.sr = sr;
        x_.Ec = Ec;
        x_.closeLinear = linear;
    }

    // Reloading modulus of a state-11 segment from a reversal at e1.
    double SegmentModulus(double e1) const {
        const double span = x_.et0 - x_.er;
        const double t = span > 0.0 ? std::clamp((e1 - x_.er) / span, 0.0, 1.0) : 1.0;
        return x_.Ec + (x_.Etu - x_.Ec) * t;
    }

    // Intersection of the line through (e1, s1) with slope Eu and the envelope (cubic on the
    // Saenz part, Cardano's formula).
    void FindUnloadingPoint(double e1, double s1, double Eu, double& eu, double& su) const {
        const double c0 = s1 - e1 * Eu;
        const double k = saenz_.k, m = Eu, scale = m * epk_;
        // x^3 + a2 x^2 + a1 x + a0 = 0 with e = x epk.
        const double a2 = c0 / scale + k;
        const double a1 = c0 * k / scale + (m - E0_) / m;
        const double a0 = c0 / scale;
        double roots[3];
        const int n = SolveCubic(a2, a1, a0, roots);
        bool found = false;
        double best = 0.0;
        for (int i = 0; i < n; ++i) {
            const double e = roots[i] * epk_;
            if (e < e1 && saenz_.Stress(e) < s1 && (!found || e > best)) {
                best = e;
                found = true;
            }
        }
        if (found && best >= epk_) {
            eu = best;
            su = saenz_.Stress(best);
            return;
        }
        if (Eu - Ed_ > 0.0) {
            const double e = (fs_ - Ed_ * epk_ - s1 + e1 * Eu) / (Eu - Ed_);
            if (e < epk_ && e >= residualStrain_ && e < e1) {
                eu = e;
                su = fs_ + (e - epk_) * Ed_;
                return;
            }
            if (e < residualStrain_) {
                eu = e1 + (residual_ - s1) / Eu;
                su = residual_;
                if (eu < e1) return;
            }
        }
        eu = e1;
        su = s1;
    }

    static int SolveCubic(double a2, double a1, double a0, double roots[3]) {
        const double third = 1.0 / 3.0;
        const double p = a1 - a2 * a2 * third;
        const double q = 2.0 / 27.0 * a2 * a2 * a2 - a2 * a1 * third + a0;
        const double shift = -a2 * third;
        const double D = q * q / 4.0 + p * p * p / 27.0;
        if (D > 0.0) {
            const double r = std::sqrt(D);
            roots[0] = std::cbrt(-q / 2.0 + r) + std::cbrt(-q / 2.0 - r) + shift;
            return 1;
        }
        if (p == 0.0) {
            roots[0] = shift;
            return 1;
        }
        const double m = 2.0 * std::sqrt(-p * third);
        const double c = std::clamp(3.0 * q / (p * m), -1.0, 1.0);
        const double phi = std::acos(c) * third;
        const double twoPiThird = 2.0943951023931957;
        for (int i = 0; i < 3; ++i) roots[i] = m * std::cos(phi - twoPiThird * i) + shift;
        return 3;
    }

    // --- reversal rules at the start of a step ---
    int Reverse(int state, int dir, double e, double sp, double en) {
        switch (state) {
        case 1:
        case 5:
            if (dir >= 0 && e < 0.0) { // unloading from the envelope
                StartUnloading(e, Env(e));
                SetSegment(0, h_.eu, h_.su, x_.eb, x_.sb, x_.Eu);
                return 2;
            }
            if (dir > 0) return 6; // virgin concrete at the origin
            return state;
        case 3:
            return dir < 0 ? ReverseOnQuadratic(e, sp) : 3;
        case 4:
            return dir > 0 ? ReverseOnReloadingLine(e, sp) : 4;
        case 7:
            if (dir >= 0) return 7;
            if (en < ecr_) { // dropped from the softening branch below ecr: undamaged again
                x_.etu = 0.0;
                return 6;
            }
            StartTensionUnloading(e);
            return 8;
        case 9:
            if (dir > 0) { // reversal on the closing curve
                const double Erl = SegmentModulus(e);
                SetSegment(1, e, sp, e - sp / Erl, 0.0, Erl);
                return 11;
            }
            return 9;
        case 10:
            if (dir < 0 && Cracked()) { // reversal on the tension reloading line
                const double Erl = std::max(SegmentModulus(e), ReloadSlope());
                SetSegment(2, e, sp, e - sp / Erl, 0.0, Erl);
                return 11;
            }
            return 10;
        default:
            return state;
        }
    }

    int ReverseOnQuadratic(double e1, double s1) {
        const double Eu = x_.Eu, Er = x_.Er, ep = x_.ep;
        if (Eu - Er > 1e-9 * Eu) {
            const double es = (e1 * Eu - ep * Er - s1) / (Eu - Er);
            if (es < e1) {
                SetSegment(1, e1, s1, es, (es - ep) * Er, Eu);
                return 2;
            }
        }
        if (std::fabs(s1 - (e1 - ep) * Er) <= 1e-12 * std::fabs(h_.su)) { // on the reloading line
            SetLine(ep, Er);
            return 4;
        }
        // No meeting point below: reload straight back to the unloading point on the envelope.
        SetSegment(0, e1, s1, h_.eu, h_.su, (h_.su - s1) / (h_.eu - e1));
        return 2;
    }

    int ReverseOnReloadingLine(double e1, double s1) {
        double eu = 0.0, su = 0.0;
        FindUnloadingPoint(e1, s1, x_.Eu, eu, su);
        StartUnloading(eu, su);
        const double Eu = x_.Eu;
        // Offset of the reversal point from the new first-stage line; the quadratic lies on the
        // compression side of that line, so a segment below it meets the quadratic.
        const double delta = s1 - (h_.su + (e1 - h_.eu) * Eu);
        const double q = QuadQ();
        if (delta <= 1e-9 * std::fabs(h_.su) && q < 0.0) { // on the line up to rounding counts
            const double es = x_.eb + std::sqrt(std::min(delta, 0.0) / q);
            if (es >= e1 && es < x_.ep) {
                SetSegment(2, e1, s1, es, s1 + (es - e1) * Eu, Eu);
                return 2;
            }
        }
        // Otherwise the segment runs to zero stress, the new plastic strain (never on the
        // tension side: then it runs to the origin).
        const double zero = std::max(e1 - s1 / Eu, e1);
        x_.ep = std::min(zero, 0.0);
        x_.Er = ReloadModulus();
        SetSegment(2, e1, s1, x_.ep, 0.0, zero > 0.0 && e1 < 0.0 ? s1 / e1 : Eu);
        return 2;
    }

    // Moving up past the plastic strain at zero stress.
    int EnterTension() {
        if (Cracked()) {
            x_.ez = x_.ep;
            return 10;
        }
        return x_.ep != 0.0 ? 10 : 6;
    }

    // Moving down below the contact point or the plastic strain.
    int EnterCompression(double en) {
        if (x_.ep == 0.0) return EnvState(en);
        SetLine(x_.ep, x_.Er);
        return 4;
    }

    // --- monotonic chain from eps to eps' ---
    int Follow(int state, int dir, double en) {
        for (int guard = 0; guard < 32; ++guard) {
            const int next = Next(state, dir, en);
            if (next == state) return state;
            state = next;
        }
        return state;
    }

    int Next(int state, int dir, double en) {
        switch (state) {
        case 1:
        case 5:
            return EnvState(en);
        case 2:
            if (dir > 0 && en > SegHigh()) return SegHigh() < x_.ep ? 3 : EnterTension();
            if (dir < 0) {
                if (x_.side == 0) return en < SegLow() ? EnvState(en) : 2;
                if (en < SegLow()) {
                    if (x_.side == 1) SetLine(x_.ep, x_.Er);
                    return 4;
                }
            }
            return 2;
        case 3:
            return dir > 0 && en > x_.ep ? EnterTension() : 3;
        case 4:
            return dir < 0 && (en - x_.lineE) * x_.lineEr <= Env(en) ? EnvState(en) : 4;
        case 6:
            if (dir > 0 && en > ecr_) return 7;
            if (dir < 0 && en < 0.0) return EnvState(en);
            return 6;
        case 8:
            if (dir > 0 && en > x_.etu) return 7;
            if (dir < 0 && en < x_.et0) {
                StartClosing();
                return 9;
            }
            return 8;
        case 9:
            if (dir < 0) {
                if (en < x_.er) return EnterCompression(en);
            }
            return 9;
        case 10:
            if (Cracked()) {
                if (dir > 0 && en > ecr_ && (en - x_.ez) * ReloadSlope() >= Soft(en)) return 7;
                return 10;
            }
            if (dir > 0 && en > ecr_) return 7;
            if (dir < 0 && en < x_.ep) return EnterCompression(en);
            return 10;
        case 11:
            if (x_.side == 1) { // from the closing curve, up towards zero stress
                if (dir > 0 && en > x_.segE1) {
                    x_.ez = x_.segE1;
                    return 10;
                }
                if (dir < 0 && en < x_.segE0) return 9;
            } else { // from the tension reloading line, down towards zero stress
                if (dir > 0 && en > x_.segE0) return 10;
                if (dir < 0 && en < x_.segE1) {
                    x_.ez = x_.segE1;
                    x_.et0 = x_.segE1;
                    StartClosing();
                    return 9;
                }
            }
            return 11;
        default:
            return state;
        }
    }

    void Evaluate(int state, double en, double& s, double& Et) const {
        switch (state) {
        case 1:
        case 5:
            s = Env(en);
            Et = EnvTangent(en);
            break;
        case 2:
        case 11:
            s = Segment(en);
            Et = x_.segSlope;
            break;
        case 3:
            s = Quad(en);
            Et = QuadTangent(en);
            break;
        case 4:
            s = (en - x_.lineE) * x_.lineEr;
            Et = x_.lineEr;
            break;
        case 6:
            s = E0_ * en;
            Et = E0_;
            break;
        case 7:
            s = Soft(en);
            Et = SoftTangent(en);
            break;
        case 8:
            s = x_.stu + (en - x_.etu) * x_.Etu;
            Et = x_.Etu;
            break;
        case 9:
            s = Closing(en);
            Et = ClosingTangent(en);
            break;
        case 10:
            if (Cracked()) {
                Et = ReloadSlope();
                s = (en - x_.ez) * Et;
            } else {
                Et = ft_ / (ecr_ - x_.ep);
                s = (en - x_.ep) * Et;
            }
            break;
        default:
            s = in_.sp;
            Et = h_.tangent;
            break;
        }
    }

    const ConcreteLawInput& in_;
    ConcreteLawHistory& h_;
    ConcreteHysteresis& x_;
    const Saenz saenz_;
    const double E0_, fs_, epk_, ecr_, ft_, residual_, residualStrain_;
    double Ed_ = 0.0;
};

} // namespace

void InitConcreteLawHistory(ConcreteLawHistory& history, double E0) {
    ResetRecord(history);
    history.tangent = E0;
}

void SecantConcreteLaw(const ConcreteLawInput& in, ConcreteLawHistory& history, LawResult& out) {
    Secant(in, history, out);
}

void HystereticConcreteLaw(const ConcreteLawInput& in, ConcreteLawHistory& history, ConcreteHysteresis& own,
                           LawResult& out) {
    Hysteretic(in, history, own).Run(out);
}

} // namespace torva::engine
