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

// What a Gauss point keeps of the element's geometry.
struct PlaneGaussGeometry {
    double B0[3][8]; // compatible strain-displacement matrix
    double G[3][4];  // incompatible modes: P1 in x, P2 in x, P1 in y, P2 in y
    double N[4];     // shape functions
    double factor;   // detJ · t · w_i · w_j
};

// B0, G, N and the integration factors of the nine Gauss points. `inverse` holds the Jacobian inverse
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

} // namespace torva::engine
