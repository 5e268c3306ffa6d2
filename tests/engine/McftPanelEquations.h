#pragma once
// The equations of a single membrane panel under uniform stress by the Modified Compression Field
// Theory, written out here independently of the engine's material point, and their direct solution
// by Newton on the principal strains and the crack angle: the reference for the membrane checks of
// the material point and of a finite element.
#include "engine/McftMaterial.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace torva::engine::testing {

using Vec3 = std::array<double, 3>;

struct McftPanel {
    double fc = 30, Ec = 25000, eps0 = 0.002, aggregate = 20;
    double rho[2] = {0.02, 0.01}, fy[2] = {400, 350}, Es = 200000, spacing[2] = {100, 150};

    McftMaterial Material() const {
        McftMaterial m;
        m.fc = fc;
        m.Ec = Ec;
        m.eps0 = eps0;
        m.aggregate = aggregate;
        for (int i = 0; i < 2; ++i) m.bars[i] = {rho[i], fy[i], Es, 0, spacing[i]};
        return m;
    }
};

inline Vec3 Solve3(const double A[9], const Vec3& b) {
    const double det = A[0] * (A[4] * A[8] - A[5] * A[7]) - A[1] * (A[3] * A[8] - A[5] * A[6]) +
                       A[2] * (A[3] * A[7] - A[4] * A[6]);
    Vec3 x;
    for (int k = 0; k < 3; ++k) {
        double M[9];
        std::copy(A, A + 9, M);
        for (int r = 0; r < 3; ++r) M[3 * r + k] = b[r];
        x[k] = (M[0] * (M[4] * M[8] - M[5] * M[7]) - M[1] * (M[3] * M[8] - M[5] * M[6]) +
                M[2] * (M[3] * M[7] - M[4] * M[6])) /
               det;
    }
    return x;
}

// The panel's stresses for principal strains e1 > e2 at angle t of e1 from x, from the equations
// of the theory: compatibility, the bar laws, the softened parabola, tension stiffening and the
// crack check, and equilibrium.
inline Vec3 PanelStress(const McftPanel& p, double e1, double e2, double t) {
    const double c = std::cos(t), s = std::sin(t);
    const double ex = e1 * c * c + e2 * s * s, ey = e1 * s * s + e2 * c * c;
    const double fs[2] = {std::clamp(p.Es * ex, -p.fy[0], p.fy[0]), std::clamp(p.Es * ey, -p.fy[1], p.fy[1])};
    const double x = -e2 / p.eps0;
    const double f2max = std::min(p.fc, p.fc / (0.8 + 0.34 * e1 / p.eps0));
    const double f2 = -f2max * (2 * x - x * x);
    const double ft = 0.33 * std::sqrt(p.fc);
    double f1 = e1 <= ft / p.Ec ? p.Ec * e1 : ft / (1 + std::sqrt(500 * e1));
    if (e1 > ft / p.Ec) {
        const double w = e1 / (std::fabs(c) / p.spacing[0] + std::fabs(s) / p.spacing[1]);
        const double vci = std::sqrt(p.fc) / (0.31 + 24 * w / (p.aggregate + 16));
        const double rx = p.rho[0] * (p.fy[0] - fs[0]), ry = p.rho[1] * (p.fy[1] - fs[1]);
        const double viaShear =
            rx <= ry ? rx + vci * std::fabs(std::tan(t)) : ry + vci / std::fabs(std::tan(t));
        f1 = std::min({f1, rx * c * c + ry * s * s, viaShear});
    }
    return {f1 * c * c + f2 * s * s + p.rho[0] * fs[0], f1 * s * s + f2 * c * c + p.rho[1] * fs[1],
            (f1 - f2) * s * c};
}

// The strains (ex, ey, gxy) under `load` = (sx, sy, txy) from a guess of (e1, e2, angle of e1):
// Newton with a central-difference Jacobian, halving the step until the residual drops.
inline Vec3 DirectSolve(const McftPanel& p, const Vec3& load, Vec3 u) {
    auto residual = [&](const Vec3& v) {
        const Vec3 s = PanelStress(p, v[0], v[1], v[2]);
        return Vec3{s[0] - load[0], s[1] - load[1], s[2] - load[2]};
    };
    auto norm = [](const Vec3& r) { return std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]); };
    for (int it = 0; it < 200; ++it) {
        const Vec3 r = residual(u);
        if (norm(r) < 1e-12) break;
        double J[9];
        const double h[3] = {1e-9, 1e-9, 1e-7};
        for (int k = 0; k < 3; ++k) {
            Vec3 up = u, um = u;
            up[k] += h[k];
            um[k] -= h[k];
            const Vec3 rp = residual(up), rm = residual(um);
            for (int i = 0; i < 3; ++i) J[3 * i + k] = (rp[i] - rm[i]) / (2 * h[k]);
        }
        const Vec3 du = Solve3(J, {-r[0], -r[1], -r[2]});
        double step = 1;
        for (int cut = 0; cut < 30; ++cut, step *= 0.5) {
            const Vec3 trial = {u[0] + step * du[0], u[1] + step * du[1], u[2] + step * du[2]};
            if (norm(residual(trial)) < norm(r)) {
                u = trial;
                break;
            }
        }
    }
    const double c = std::cos(u[2]), s = std::sin(u[2]);
    return {u[0] * c * c + u[1] * s * s, u[0] * s * s + u[1] * c * c, 2 * (u[0] - u[1]) * s * c};
}

} // namespace torva::engine::testing
