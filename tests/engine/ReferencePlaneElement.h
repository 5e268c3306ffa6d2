#pragma once
// The plane element stiffness as it was first written, one entry at a time, kept unchanged as the
// reference that the packed formation must match bit for bit.
#include "engine/PlaneElement.h"

#include <cmath>

namespace torva::engine::test::reference {

// In-place LDL' of the symmetric 4 × 4 Kaa (lower triangle used), keeping the reciprocal pivots.
inline bool FactoriseKaa(double A[4][4], double reciprocal[4]) {
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < j; ++i) {
            double sum = A[j][i];
            for (int k = 0; k < i; ++k) sum -= A[j][k] * A[i][k] * A[k][k];
            A[j][i] = sum * reciprocal[i];
        }
        double pivot = A[j][j];
        for (int k = 0; k < j; ++k) pivot -= A[j][k] * A[j][k] * A[k][k];
        if (!(std::fabs(pivot) > 1e-30f)) return false;
        A[j][j] = pivot;
        reciprocal[j] = 1.0 / pivot;
    }
    return true;
}

// Solves Kaa x = b with the factors of FactoriseKaa.
inline void SolveKaa(const double A[4][4], const double reciprocal[4], double b[4]) {
    for (int i = 1; i < 4; ++i)
        for (int k = 0; k < i; ++k) b[i] -= A[i][k] * b[k];
    for (int i = 0; i < 4; ++i) b[i] *= reciprocal[i];
    for (int i = 2; i >= 0; --i)
        for (int k = i + 1; k < 4; ++k) b[i] -= A[k][i] * b[k];
}

inline bool ReferencePlaneElementStiffness(const PlaneGaussGeometry gauss[9], const double D[9][9],
                                           int formulation, double K[64], double T[32]) {
    double kua[8][4] = {}, kaa[4][4] = {};
    for (int l = 0; l < 64; ++l) K[l] = 0.0;
    for (int g = 0; g < 9; ++g) {
        struct {
            double B0[3][8], G[3][4];
        } gp;
        gauss[g].B0(gp.B0);
        gauss[g].G(gp.G);
        const double* d = D[g];
        const double f = gauss[g].factor;
        // DB = D B0 f, then Kuu += B0' DB (upper triangle; mirrored below).
        double db[3][8];
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 8; ++c)
                db[r][c] =
                    (d[3 * r] * gp.B0[0][c] + d[3 * r + 1] * gp.B0[1][c] + d[3 * r + 2] * gp.B0[2][c]) * f;
        for (int a = 0; a < 8; ++a)
            for (int b = a; b < 8; ++b)
                K[8 * a + b] += gp.B0[0][a] * db[0][b] + gp.B0[1][a] * db[1][b] + gp.B0[2][a] * db[2][b];
        if (formulation != 2) continue;
        double dg[3][4];
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c)
                dg[r][c] =
                    (d[3 * r] * gp.G[0][c] + d[3 * r + 1] * gp.G[1][c] + d[3 * r + 2] * gp.G[2][c]) * f;
        for (int a = 0; a < 8; ++a)
            for (int c = 0; c < 4; ++c)
                kua[a][c] += gp.B0[0][a] * dg[0][c] + gp.B0[1][a] * dg[1][c] + gp.B0[2][a] * dg[2][c];
        for (int a = 0; a < 4; ++a)
            for (int c = a; c < 4; ++c)
                kaa[a][c] += gp.G[0][a] * dg[0][c] + gp.G[1][a] * dg[1][c] + gp.G[2][a] * dg[2][c];
    }
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
        double column[4] = {kua[u][0], kua[u][1], kua[u][2], kua[u][3]};
        SolveKaa(kaa, reciprocal, column);
        for (int a = 0; a < 4; ++a) T[8 * a + u] = column[a];
    }
    // K = Kuu - Kua T.
    for (int a = 0; a < 8; ++a)
        for (int b = 0; b < 8; ++b)
            K[8 * a + b] -=
                kua[a][0] * T[b] + kua[a][1] * T[8 + b] + kua[a][2] * T[16 + b] + kua[a][3] * T[24 + b];
    return true;
}

} // namespace torva::engine::test::reference
