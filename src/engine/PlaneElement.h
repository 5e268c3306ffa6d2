#pragma once
// The 4-node isoparametric plane-stress element, plain (formulation 1) or with four incompatible
// modes condensed out at element level (formulation 2). Local nodes sit at natural coordinates
// n1 (+1, +1), n2 (-1, +1), n3 (-1, -1), n4 (+1, -1); local dof order u1, v1, ..., u4, v4; strains
// (ex, ey, gxy), stresses (sx, sy, txy). 3 × 3 Gauss points, g = 3 (i - 1) + j with i the xi index
// (outer) and j the eta index (inner). Lengths mm, forces N.
//   Kuu = sum B0' D B0 f, Kua = sum B0' D G f, Kaa = sum G' D G f, f = detJ t w_i w_j
//   T = Kaa^-1 Kau; K = Kuu (formulation 1) or Kuu - Kua T (formulation 2); strains de = (B0 - G T) du
namespace torva::engine {

// Gauss positions and weights: single-precision values widened to double.
constexpr double kGaussPosition[3] = {-0.7745966911315918, 0.0, 0.7745966911315918};
constexpr double kGaussWeight[3] = {0.5555555820465088, 0.8888888955116272, 0.5555555820465088};

// What a Gauss point keeps of the element's geometry: the nonzero terms of its strain matrices (the
// shape functions N depend on the Gauss position only).
struct PlaneGaussGeometry {
    double dx[4], dy[4]; // B0: columns 2a, 2a + 1 are (dx_a, 0, dy_a) and (0, dy_a, dx_a)
    double mode[4];      // G: P1, P2 in x (p1x, p2x), then in y (p1y, p2y)
    double factor;       // detJ · t · w_i · w_j

    // The compatible strain-displacement matrix and the incompatible modes' one, zeros included.
    void B0(double b[3][8]) const {
        for (int a = 0; a < 4; ++a) {
            b[0][2 * a] = dx[a], b[0][2 * a + 1] = 0.0;
            b[1][2 * a] = 0.0, b[1][2 * a + 1] = dy[a];
            b[2][2 * a] = dy[a], b[2][2 * a + 1] = dx[a];
        }
    }
    void G(double g[3][4]) const {
        const double p1x = mode[0], p2x = mode[1], p1y = mode[2], p2y = mode[3];
        g[0][0] = p1x, g[0][1] = p2x, g[0][2] = 0.0, g[0][3] = 0.0;
        g[1][0] = 0.0, g[1][1] = 0.0, g[1][2] = p1y, g[1][3] = p2y;
        g[2][0] = p1y, g[2][1] = p2y, g[2][2] = p1x, g[2][3] = p2x;
    }
};

// The shape functions at Gauss point g (0-based).
void GaussShapeFunctions(int g, double N[4]);

// B0, G and the integration factors of the nine Gauss points. `inverse` holds the Jacobian inverse
// of the previous evaluation (dxi/dx, dxi/dy, deta/dx, deta/dy); a Gauss point whose determinant is
// exactly 0 reuses it and gets the factor 0.
void FormPlaneGeometry(const double x[4], const double y[4], double thickness, PlaneGaussGeometry gauss[9],
                       double inverse[4]);

// Element gravity load (local order, y entries only): sum of N · rho · 1e-9 · g · f, acting towards +y.
void PlaneGravityLoad(const PlaneGaussGeometry gauss[9], double density, double gravity, double load[8]);

// Element stiffness K (8 × 8, row-major) from the Gauss-point material matrices D (row-major 3 × 3).
// For formulation 2 also T (4 × 8, row-major); returns false when Kaa has a pivot of magnitude at most
// 1e-30 (a degenerate element): then T = 0 and K = Kuu.
bool PlaneElementStiffness(const PlaneGaussGeometry gauss[9], const double D[9][9], int formulation,
                           double K[64], double T[32]);

// Strain increment at a Gauss point: de = B0 du - G alpha, with alpha = T du (0 for formulation 1).
void PlaneStrainIncrement(const PlaneGaussGeometry& gauss, const double du[8], const double alpha[4],
                          double de[3]);
// The same at the nine Gauss points, the same bits.
void PlaneStrainIncrements(const PlaneGaussGeometry gauss[9], const double du[8], const double alpha[4],
                           double de[9][3]);

} // namespace torva::engine
