#include "engine/PlaneElement.h"

#include <cmath>

namespace torva::engine {
namespace {

constexpr double kCondensationPivot = 1e-30f;
constexpr double kDensityScale = 1e-9f; // kg/m3 to kg/mm3

// In-place LDL' of the symmetric 4 × 4 Kaa (lower triangle used), keeping the reciprocal pivots.
bool FactoriseKaa(double A[4][4], double reciprocal[4]) {
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < j; ++i) {
            double sum = A[j][i];
            for (int k = 0; k < i; ++k) sum -= A[j][k] * A[i][k] * A[k][k];
            A[j][i] = sum * reciprocal[i];
        }
        double pivot = A[j][j];
        for (int k = 0; k < j; ++k) pivot -= A[j][k] * A[j][k] * A[k][k];
        if (!(std::fabs(pivot) > kCondensationPivot)) return false;
        A[j][j] = pivot;
        reciprocal[j] = 1.0 / pivot;
    }
    return true;
}

// Solves Kaa x = b with the factors of FactoriseKaa.
void SolveKaa(const double A[4][4], const double reciprocal[4], double b[4]) {
    for (int i = 1; i < 4; ++i)
        for (int k = 0; k < i; ++k) b[i] -= A[i][k] * b[k];
    for (int i = 0; i < 4; ++i) b[i] *= reciprocal[i];
    for (int i = 2; i >= 0; --i)
        for (int k = i + 1; k < 4; ++k) b[i] -= A[k][i] * b[k];
}

} // namespace

void GaussShapeFunctions(int g, double N[4]) {
    const double xi = kGaussPosition[g / 3], eta = kGaussPosition[g % 3];
    N[0] = (1.0 + xi) * (1.0 + eta) / 4.0;
    N[1] = (1.0 - xi) * (1.0 + eta) / 4.0;
    N[2] = (1.0 - xi) * (1.0 - eta) / 4.0;
    N[3] = (1.0 + xi) * (1.0 - eta) / 4.0;
}

void FormPlaneGeometry(const double x[4], const double y[4], double thickness, PlaneGaussGeometry gauss[9],
                       double inverse[4]) {
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            PlaneGaussGeometry& gp = gauss[3 * i + j];
            const double xi = kGaussPosition[i], eta = kGaussPosition[j];
            const double dxi[4] = {(1.0 + eta) / 4.0, -(1.0 + eta) / 4.0, -(1.0 - eta) / 4.0,
                                   (1.0 - eta) / 4.0};
            const double deta[4] = {(1.0 + xi) / 4.0, (1.0 - xi) / 4.0, -(1.0 - xi) / 4.0, -(1.0 + xi) / 4.0};
            double j11 = 0, j12 = 0, j21 = 0, j22 = 0;
            for (int a = 0; a < 4; ++a) {
                j11 += dxi[a] * x[a];
                j12 += deta[a] * x[a];
                j21 += dxi[a] * y[a];
                j22 += deta[a] * y[a];
            }
            const double det = j11 * j22 - j21 * j12;
            if (std::fabs(det) > 0.0) {
                inverse[0] = j22 / det;  // dxi/dx
                inverse[1] = -j12 / det; // dxi/dy
                inverse[2] = -j21 / det; // deta/dx
                inverse[3] = j11 / det;  // deta/dy
            }
            gp.factor = det * thickness * kGaussWeight[i] * kGaussWeight[j];
            for (int a = 0; a < 4; ++a) {
                gp.dx[a] = dxi[a] * inverse[0] + deta[a] * inverse[2];
                gp.dy[a] = dxi[a] * inverse[1] + deta[a] * inverse[3];
            }
            gp.mode[0] = -2.0 * xi * inverse[0];  // p1x
            gp.mode[1] = -2.0 * eta * inverse[2]; // p2x
            gp.mode[2] = -2.0 * xi * inverse[1];  // p1y
            gp.mode[3] = -2.0 * eta * inverse[3]; // p2y
        }
    }
}

void PlaneGravityLoad(const PlaneGaussGeometry gauss[9], double density, double gravity, double load[8]) {
    for (int l = 0; l < 8; ++l) load[l] = 0.0;
    for (int g = 0; g < 9; ++g) {
        const double w = density * kDensityScale * gravity * gauss[g].factor;
        double N[4];
        GaussShapeFunctions(g, N);
        for (int a = 0; a < 4; ++a) load[2 * a + 1] += N[a] * w;
    }
}

namespace {

#if defined(__x86_64__) || defined(__i386__)
#define TORVA_ELEMENT_WIDE 1
#else
#define TORVA_ELEMENT_WIDE 0
#endif
#define TORVA_INLINE inline __attribute__((always_inline))
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

// Four terms of a row. Every sum below is formed term by term in the order of the scalar formulas
// (((p0 + p1) + p2), then added), four entries side by side, so the lanes give the same bits as one
// entry at a time; a compiler for a plain x86-64 splits each into two 16-byte operations.
typedef double Row4 __attribute__((vector_size(32)));

TORVA_INLINE Row4 Load4(const double* p) {
    Row4 v;
    __builtin_memcpy(&v, p, 32);
    return v;
}
TORVA_INLINE void Store4(double* p, Row4 v) {
    __builtin_memcpy(p, &v, 32);
}
TORVA_INLINE Row4 Splat(double x) {
    return Row4{x, x, x, x};
}

// Kuu (upper triangle, rows of 8), Kua (8 x 4) and Kaa (upper triangle, rows of 4) of the nine points.
// The entries left of the diagonal get values too and are replaced by the mirror afterwards.
TORVA_INLINE void Integrate(const PlaneGaussGeometry gauss[9], const double D[9][9], int formulation,
                            double K[64], double kua[32], double kaa[16]) {
    for (int l = 0; l < 64; ++l) K[l] = 0.0;
    for (int l = 0; l < 32; ++l) kua[l] = 0.0;
    for (int l = 0; l < 16; ++l) kaa[l] = 0.0;
    for (int g = 0; g < 9; ++g) {
        const double* d = D[g];
        const Row4 f = Splat(gauss[g].factor);
        struct {
            double B0[3][8], G[3][4];
        } gp;
        gauss[g].B0(gp.B0);
        gauss[g].G(gp.G);
        // DB = D B0 f, as two halves of its 8 columns.
        Row4 db[3][2];
        for (int r = 0; r < 3; ++r)
            for (int h = 0; h < 2; ++h)
                db[r][h] = ((Splat(d[3 * r]) * Load4(&gp.B0[0][4 * h]) +
                             Splat(d[3 * r + 1]) * Load4(&gp.B0[1][4 * h])) +
                            Splat(d[3 * r + 2]) * Load4(&gp.B0[2][4 * h])) *
                           f;
        // Kuu += B0' DB: rows 0..3 need both halves, rows 4..7 only the right one.
        for (int a = 0; a < 8; ++a)
            for (int h = a / 4; h < 2; ++h) {
                const Row4 term = (Splat(gp.B0[0][a]) * db[0][h] + Splat(gp.B0[1][a]) * db[1][h]) +
                                  Splat(gp.B0[2][a]) * db[2][h];
                Store4(&K[8 * a + 4 * h], Load4(&K[8 * a + 4 * h]) + term);
            }
        if (formulation != 2) continue;
        Row4 dg[3];
        for (int r = 0; r < 3; ++r)
            dg[r] = ((Splat(d[3 * r]) * Load4(gp.G[0]) + Splat(d[3 * r + 1]) * Load4(gp.G[1])) +
                     Splat(d[3 * r + 2]) * Load4(gp.G[2])) *
                    f;
        for (int a = 0; a < 8; ++a) {
            const Row4 term =
                (Splat(gp.B0[0][a]) * dg[0] + Splat(gp.B0[1][a]) * dg[1]) + Splat(gp.B0[2][a]) * dg[2];
            Store4(&kua[4 * a], Load4(&kua[4 * a]) + term);
        }
        for (int a = 0; a < 4; ++a) {
            const Row4 term =
                (Splat(gp.G[0][a]) * dg[0] + Splat(gp.G[1][a]) * dg[1]) + Splat(gp.G[2][a]) * dg[2];
            Store4(&kaa[4 * a], Load4(&kaa[4 * a]) + term);
        }
    }
}

// The sums of Integrate without their terms whose factor is a structural zero of B0 or G (half of
// those of Kuu): with x finite, 0 · x is ±0, and adding ±0 to a sum changes at most the sign of a zero
// sum; the accumulators start at +0, which never turns into -0, so they take the same bits. Kuu is
// kept in blocks of the x and y dofs (lanes: the dofs of the other kind's four nodes). Returns false when
// a value is not finite: then a product with a zero may have been NaN, and the caller uses Integrate.
TORVA_INLINE bool IntegrateSkippingZeros(const PlaneGaussGeometry gauss[9], const double D[9][9],
                                         int formulation, double K[64], double kua[32], double kaa[16]) {
    const Row4 zero = Splat(0.0);
    Row4 xx[4], xy[4], yx[4], yy[4], ua[8], aa[4];
    for (int i = 0; i < 4; ++i) xx[i] = xy[i] = yx[i] = yy[i] = aa[i] = zero;
    for (int i = 0; i < 8; ++i) ua[i] = zero;
    for (int g = 0; g < 9; ++g) {
        const double* d = D[g];
        const PlaneGaussGeometry& p = gauss[g];
        const Row4 f = Splat(p.factor), dx = Load4(p.dx), dy = Load4(p.dy);
        // D B0 f: columns of the x dofs (dx_j, 0, dy_j), of the y dofs (0, dy_j, dx_j).
        Row4 bx[3], by[3];
        for (int r = 0; r < 3; ++r) {
            bx[r] = (Splat(d[3 * r]) * dx + Splat(d[3 * r + 2]) * dy) * f;
            by[r] = (Splat(d[3 * r + 1]) * dy + Splat(d[3 * r + 2]) * dx) * f;
        }
        for (int i = 0; i < 4; ++i) {
            const Row4 sx = Splat(p.dx[i]), sy = Splat(p.dy[i]);
            xx[i] += sx * bx[0] + sy * bx[2];
            xy[i] += sx * by[0] + sy * by[2];
            yx[i] += sy * bx[1] + sx * bx[2];
            yy[i] += sy * by[1] + sx * by[2];
        }
        if (formulation != 2) continue;
        double G[3][4];
        p.G(G);
        Row4 dg[3];
        for (int r = 0; r < 3; ++r)
            dg[r] = ((Splat(d[3 * r]) * Load4(G[0]) + Splat(d[3 * r + 1]) * Load4(G[1])) +
                     Splat(d[3 * r + 2]) * Load4(G[2])) *
                    f;
        for (int i = 0; i < 4; ++i) {
            const Row4 sx = Splat(p.dx[i]), sy = Splat(p.dy[i]);
            ua[2 * i] += sx * dg[0] + sy * dg[2];
            ua[2 * i + 1] += sy * dg[1] + sx * dg[2];
        }
        const double p1x = p.mode[0], p2x = p.mode[1], p1y = p.mode[2], p2y = p.mode[3];
        aa[0] += Splat(p1x) * dg[0] + Splat(p1y) * dg[2];
        aa[1] += Splat(p2x) * dg[0] + Splat(p2y) * dg[2];
        aa[2] += Splat(p1y) * dg[1] + Splat(p1x) * dg[2];
        aa[3] += Splat(p2y) * dg[1] + Splat(p2x) * dg[2];
    }
    Row4 bad = zero;
    const auto check = [&bad](Row4 v) { bad += v - v; }; // NaN in every lane that is not finite
    for (int i = 0; i < 4; ++i) {
        check(xx[i]), check(xy[i]), check(yx[i]), check(yy[i]);
        for (int j = 0; j < 4; ++j) {
            K[8 * (2 * i) + 2 * j] = xx[i][j];
            K[8 * (2 * i) + 2 * j + 1] = xy[i][j];
            K[8 * (2 * i + 1) + 2 * j] = yx[i][j];
            K[8 * (2 * i + 1) + 2 * j + 1] = yy[i][j];
        }
    }
    for (int i = 0; i < 8; ++i) {
        check(ua[i]);
        Store4(&kua[4 * i], ua[i]);
    }
    for (int i = 0; i < 4; ++i) {
        check(aa[i]);
        Store4(&kaa[4 * i], aa[i]);
    }
    return bad[0] == 0.0 && bad[1] == 0.0 && bad[2] == 0.0 && bad[3] == 0.0;
}

// K -= Kua T, all 64 entries.
TORVA_INLINE void Condense(const double kua[32], const double T[32], double K[64]) {
    for (int a = 0; a < 8; ++a)
        for (int h = 0; h < 2; ++h) {
            const Row4 term =
                ((Splat(kua[4 * a]) * Load4(&T[4 * h]) + Splat(kua[4 * a + 1]) * Load4(&T[8 + 4 * h])) +
                 Splat(kua[4 * a + 2]) * Load4(&T[16 + 4 * h])) +
                Splat(kua[4 * a + 3]) * Load4(&T[24 + 4 * h]);
            Store4(&K[8 * a + 4 * h], Load4(&K[8 * a + 4 * h]) - term);
        }
}

void IntegratePortable(const PlaneGaussGeometry gauss[9], const double D[9][9], int formulation, double K[64],
                       double kua[32], double kaa[16]) {
    if (!IntegrateSkippingZeros(gauss, D, formulation, K, kua, kaa))
        Integrate(gauss, D, formulation, K, kua, kaa);
}
void CondensePortable(const double kua[32], const double T[32], double K[64]) {
    Condense(kua, T, K);
}
#if TORVA_ELEMENT_WIDE
__attribute__((target("avx2"))) void IntegrateWide(const PlaneGaussGeometry gauss[9], const double D[9][9],
                                                   int formulation, double K[64], double kua[32],
                                                   double kaa[16]) {
    if (!IntegrateSkippingZeros(gauss, D, formulation, K, kua, kaa))
        Integrate(gauss, D, formulation, K, kua, kaa);
}
__attribute__((target("avx2"))) void CondenseWide(const double kua[32], const double T[32], double K[64]) {
    Condense(kua, T, K);
}
bool Wide() {
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
}
#else
void IntegrateWide(const PlaneGaussGeometry gauss[9], const double D[9][9], int formulation, double K[64],
                   double kua[32], double kaa[16]) {
    IntegratePortable(gauss, D, formulation, K, kua, kaa);
}
void CondenseWide(const double kua[32], const double T[32], double K[64]) {
    Condense(kua, T, K);
}
bool Wide() {
    return false;
}
#endif

} // namespace

bool PlaneElementStiffness(const PlaneGaussGeometry gauss[9], const double D[9][9], int formulation,
                           double K[64], double T[32]) {
    double kua[32], kaa[4][4];
    const bool wide = Wide();
    if (wide)
        IntegrateWide(gauss, D, formulation, K, kua, &kaa[0][0]);
    else
        IntegratePortable(gauss, D, formulation, K, kua, &kaa[0][0]);
    for (int a = 0; a < 8; ++a)
        for (int b = 0; b < a; ++b) K[8 * a + b] = K[8 * b + a];
    for (int l = 0; l < 32; ++l) T[l] = 0.0;
    if (formulation != 2) return true;

    for (int a = 0; a < 4; ++a)
        for (int c = 0; c < a; ++c) kaa[a][c] = kaa[c][a];
    double reciprocal[4];
    if (!FactoriseKaa(kaa, reciprocal)) return false;
    // T = Kaa^-1 Kau, column by column (Kau = Kua').
    for (int u = 0; u < 8; ++u) {
        double column[4] = {kua[4 * u], kua[4 * u + 1], kua[4 * u + 2], kua[4 * u + 3]};
        SolveKaa(kaa, reciprocal, column);
        for (int a = 0; a < 4; ++a) T[8 * a + u] = column[a];
    }
    // K = Kuu - Kua T.
    if (wide)
        CondenseWide(kua, T, K);
    else
        CondensePortable(kua, T, K);
    return true;
}

void PlaneStrainIncrement(const PlaneGaussGeometry& gauss, const double du[8], const double alpha[4],
                          double de[3]) {
    double B0[3][8], G[3][4];
    gauss.B0(B0);
    gauss.G(G);
    for (int r = 0; r < 3; ++r) {
        double sum = 0.0;
        for (int c = 0; c < 8; ++c) sum += B0[r][c] * du[c];
        sum -= G[r][0] * alpha[0] + G[r][1] * alpha[1] + G[r][2] * alpha[2] + G[r][3] * alpha[3];
        de[r] = sum;
    }
}

// The sums of PlaneStrainIncrement without the terms whose factor is a zero of B0 or G: a sum from +0
// takes a product 0 · x of finite x without changing a bit (it never becomes -0), and a sum that differs
// from the full one at most in the sign of a zero leaves the difference taken from it as it was. With
// an increment that is not finite the products with zeros are NaN, and the full sums are formed.
void PlaneStrainIncrements(const PlaneGaussGeometry gauss[9], const double du[8], const double alpha[4],
                           double de[9][3]) {
    bool finite = true;
    for (int l = 0; l < 8; ++l) finite = finite && std::isfinite(du[l]);
    for (int a = 0; a < 4; ++a) finite = finite && std::isfinite(alpha[a]);
    if (!finite) {
        for (int g = 0; g < 9; ++g) PlaneStrainIncrement(gauss[g], du, alpha, de[g]);
        return;
    }
    for (int g = 0; g < 9; ++g) {
        const double* dx = gauss[g].dx;
        const double* dy = gauss[g].dy;
        const double p1x = gauss[g].mode[0], p2x = gauss[g].mode[1];
        const double p1y = gauss[g].mode[2], p2y = gauss[g].mode[3];
        double ex = 0.0, ey = 0.0, gxy = 0.0;
        for (int a = 0; a < 4; ++a) {
            ex += dx[a] * du[2 * a];
            ey += dy[a] * du[2 * a + 1];
            gxy += dy[a] * du[2 * a];
            gxy += dx[a] * du[2 * a + 1];
        }
        de[g][0] = ex - (p1x * alpha[0] + p2x * alpha[1]);
        de[g][1] = ey - (p1y * alpha[2] + p2y * alpha[3]);
        de[g][2] = gxy - (((p1y * alpha[0] + p2y * alpha[1]) + p1x * alpha[2]) + p2x * alpha[3]);
    }
}

} // namespace torva::engine
