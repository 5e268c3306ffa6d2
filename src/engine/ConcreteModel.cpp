#include "engine/ConcreteModel.h"

#include "engine/EngineLimits.h"
#include "engine/FreshRecord.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace torva::engine {
namespace {

// Material constants are single-precision values widened to double, as the engine has always used them.
constexpr double kHalfPi = 1.5707963705062866;
constexpr double kDegreesPerRadian = 57.295780181884766;
constexpr double kTinyShear = 1e-31f;
constexpr double kBiaxialCompression = 3.65f;
constexpr double kCompressionDominant = 3.28f;
constexpr double kDominantFloor = 0.65f;
constexpr double kPeakA = 0.35f, kPeakB = 2.25f, kPeakC = 1.6f;
constexpr double kPeakD = 3.15f, kPeakE = 2.15f;
constexpr double kSofteningBase = 0.8f, kSofteningSlope = 0.34f, kSofteningStrain = 0.002f;
constexpr double kTangentFloor = 0.01f;

// Principal values of the trial stress, written as (first, second, angle). With the crack flag set the
// axes stay where they are and only the normal stresses on them are taken; the shear is not carried.
void Decompose(const double s[3], int crack, double storedAngle, double q[2], double& theta) {
    const double sx = s[0], sy = s[1], txy = s[2];
    if (crack == 1) {
        theta = storedAngle;
        const double sn = std::sin(theta), cs = std::cos(theta);
        q[0] = sx * cs * cs + sy * sn * sn + 2.0 * txy * sn * cs;
        q[1] = sx * sn * sn + sy * cs * cs - 2.0 * txy * sn * cs;
        return;
    }
    double d = (sx - sy) / 2.0;
    const double a = (sx + sy) / 2.0;
    const double r = std::sqrt(d * d + txy * txy);
    q[0] = a + r;
    q[1] = a - r;
    if (std::fabs(d) <= kTinyShear && d != 0.0) d = std::copysign(kTinyShear, d);
    if (std::fabs(txy) <= kTinyShear) {
        // Without shear the first principal direction is x, or y when sy is the larger normal stress
        // (an angle of 0 there would put the larger stress on x and swap sx and sy on the way back).
        theta = d < 0.0 ? kHalfPi : 0.0;
        return;
    }
    // atan(txy / 0) is ±pi/2 in double; written out so that no division by zero happens.
    theta = d == 0.0 ? 0.5 * std::copysign(std::atan(1.0) * 2.0, txy) : 0.5 * std::atan(txy / d);
    if (d < 0.0) theta = txy >= 0.0 ? kHalfPi - std::fabs(theta) : theta - kHalfPi;
}

// Peak strain of a direction from its peak stress.
double PeakStrain(double fp, double fc, double eps0) {
    const double q = fp / fc;
    if (std::fabs(fp) < std::fabs(fc)) return eps0 * (kPeakA * q + kPeakB * q * q - kPeakC * q * q * q);
    return eps0 * (kPeakD * q - kPeakE);
}

// Biaxial peak stresses from the trial principal stresses s1 >= s2.
void BiaxialPeaks(ConcreteGaussPoint& gp, const ConcreteMaterial& m, double s1, double s2) {
    double fp1 = m.fc, fp2 = m.fc;
    if (s1 < 0.0 && s2 < 0.0) {
        const double alpha = s1 / s2;
        fp2 = (1.0 + kBiaxialCompression * alpha) * m.fc / ((1.0 + alpha) * (1.0 + alpha));
        fp1 = alpha * fp2;
    } else if (s1 >= 0.0 && s2 < 0.0 && std::fabs(s1) < std::fabs(s2)) {
        const double alpha = s1 / s2;
        fp2 = std::min(kDominantFloor * m.fc,
                       (1.0 + kCompressionDominant * alpha) * m.fc / ((1.0 + alpha) * (1.0 + alpha)));
        fp1 = m.fc;
    }
    gp.dir[0].fp = fp1;
    gp.dir[1].fp = fp2;
    for (ConcreteDirection& dir : gp.dir) dir.epk = PeakStrain(dir.fp, m.fc, m.eps0);
}

double SofteningFactor(double tensileStrain) {
    return std::min(1.0, 1.0 / (kSofteningBase + kSofteningSlope * tensileStrain / kSofteningStrain));
}

} // namespace

void InitConcreteGaussPoint(ConcreteGaussPoint& gp, const ConcreteMaterial& material) {
    ResetRecord(gp);
    for (ConcreteDirection& dir : gp.dir) {
        dir.E = material.E0;
        dir.fp = material.fc;
        dir.epk = material.eps0;
        dir.beta = 1.0;
        InitConcreteLawHistory(dir.law, material.E0);
    }
    ConcreteTangent(0.0, material.nu, gp);
}

void ConcreteTangent(double angle, double nu, ConcreteGaussPoint& gp) {
    const double s = angle == 0.0 ? 0.0 : std::sin(angle), c = angle == 0.0 ? 1.0 : std::cos(angle);
    const double e1 = gp.dir[0].E, e2 = gp.dir[1].E;
    const double r = std::sqrt(e1 * e2);
    const double m = 1.0 / (1.0 - nu * nu);
    const double d11 = m * (e1 * c * c + e2 * s * s);
    const double d22 = m * (e1 * s * s + e2 * c * c);
    const double d12 = m * nu * r;
    const double d13 = m * 0.5 * s * c * (e1 - e2);
    const double d33 = m * 0.25 * (e1 + e2 - 2.0 * nu * r);
    double* D = gp.Dc;
    D[0] = d11, D[1] = d12, D[2] = d13;
    D[3] = d12, D[4] = d22, D[5] = d13;
    D[6] = d13, D[7] = d13, D[8] = d33;
}

bool UpdateConcreteGaussPoint(ConcreteGaussPoint& gp, const ConcreteMaterial& material, const double de[3],
                              int selector, int mode, int step, bool formTangent,
                              ConcreteHysteresis* hysteresis) {
    // 1. Trial stress with the tangent matrix built last.
    for (int i = 0; i < 3; ++i)
        gp.stress[i] += gp.Dc[3 * i] * de[0] + gp.Dc[3 * i + 1] * de[1] + gp.Dc[3 * i + 2] * de[2];

    // 2. The principal state before the step (nothing on the initialising step).
    double p1 = gp.principal[0], p2 = gp.principal[1];
    if (step == 0) p1 = p2 = 0.0;

    // 3. Principal decomposition of the trial stress into the record.
    double q[2], theta;
    Decompose(gp.stress, gp.crack, gp.principal[2], q, theta);
    gp.principal[0] = q[0];
    gp.principal[1] = q[1];
    gp.principal[2] = theta;

    bool branchChanged = false;
    // 4. Elastic analysis keeps the concrete linear: the trial principal stresses stand.
    if (mode != kElasticMode) {
        // 5. Direction labels follow a principal axis that turned by more than 45 degrees.
        const double degrees = theta * kDegreesPerRadian;
        if (step == 0) {
            gp.refAngle = degrees;
        } else {
            const double turn = std::fabs(degrees - gp.refAngle);
            if (turn > 45.0 && turn < 135.0) {
                gp.refAngle += 90.0;
                if (gp.refAngle > 180.0) gp.refAngle -= 180.0;
                std::swap(gp.label[0], gp.label[1]);
            }
        }
        // 6. Equivalent uniaxial strain increments.
        const double qa = q[gp.label[0] - 1], qb = q[gp.label[1] - 1];
        const double increment[2] = {(qa - p1) / gp.dir[0].E, (qb - p2) / gp.dir[1].E};
        // 7. Biaxial peak values, frozen while a crack is open.
        if (gp.crack == 0) BiaxialPeaks(gp, material, q[0], q[1]);
        // 8. The uniaxial law of each direction.
        const double previous[2] = {p1, p2};
        double updated[2];
        bool crack = false;
        for (int k = 0; k < 2; ++k) {
            ConcreteDirection& dir = gp.dir[k];
            if (selector != 1 && selector != 2) {
                dir.E = material.E0;
                updated[k] = previous[k] + material.E0 * increment[k];
                continue;
            }
            ConcreteLawInput in;
            in.eps = dir.eps;
            in.sp = previous[k];
            in.de = increment[k];
            in.E0de = material.E0 * increment[k];
            in.E0 = material.E0;
            in.fs = dir.beta * dir.fp;
            in.epk = dir.epk;
            in.Es = in.fs / dir.epk;
            in.ecr = material.ft / material.E0;
            in.ft = material.ft;
            in.fc = material.fc;
            in.eps0 = material.eps0;
            in.step = step;
            LawResult out;
            if (selector == 1)
                SecantConcreteLaw(in, dir.law, out);
            else
                HystereticConcreteLaw(in, dir.law, hysteresis[k], out);
            dir.eps += increment[k];
            dir.E = std::max(out.tangent, kTangentFloor * material.E0);
            updated[k] = previous[k] + out.dStress;
            crack = crack || out.crack;
            branchChanged = branchChanged || out.branchChanged;
        }
        // 9. Compression softening across a direction in tension, effective from the next step.
        if (gp.dir[0].eps > 0.0) gp.dir[1].beta = SofteningFactor(gp.dir[0].eps);
        if (gp.dir[1].eps > 0.0) gp.dir[0].beta = SofteningFactor(gp.dir[1].eps);
        // 10. Crack flag, and the tangent matrix on the principal axes for the next trial stress.
        gp.crack = crack ? 1 : 0;
        if (formTangent) ConcreteTangent(-theta, material.nu, gp);
        q[0] = updated[0];
        q[1] = updated[1];
    }

    // 11. Back to x, y with the current labels.
    const double qa = q[gp.label[0] - 1], qb = q[gp.label[1] - 1];
    const double mean = (qa + qb) / 2.0, half = (qa - qb) / 2.0;
    const double c2 = std::cos(2.0 * theta), s2 = std::sin(2.0 * theta);
    gp.stress[0] = mean + half * c2;
    gp.stress[1] = mean - half * c2;
    gp.stress[2] = half * s2;
    gp.principal[0] = qa;
    gp.principal[1] = qb;
    // 12. The caller raises the element's flags.
    return branchChanged;
}

} // namespace torva::engine
