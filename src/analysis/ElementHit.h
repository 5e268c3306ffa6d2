#pragma once
// Which element lies under a point of the model: the plane element whose quadrilateral (corners at the
// given node positions, mm) holds the point, and where in it, as the natural coordinates of the Gauss
// point numbering: corner n1 at (ξ, η) = (+1, +1), n2 (−1, +1), n3 (−1, −1), n4 (+1, −1). Joint
// elements have no area and are never hit. Works on any node positions: the undeformed mesh or the
// displaced one a view draws.
#include "analysis/MeshView.h"

#include <cstdint>

namespace torva {

struct ElementHit {
    int element = -1; // −1: no element holds the point
    double xi = 0, eta = 0;
};

// A point on an edge two elements share goes to the first in mesh order.
ElementHit HitElement(const MeshView& mesh, const int32_t* x, const int32_t* y, double px, double py);

// The plane element of `mesh` whose first corner lies at (x, y) mm, trying `hint` first; −1 when none
// does. Finds an element of one mesh again in another: results are laid out by the mesh they were
// computed on, which an edit of the model renumbers.
int MatchElement(const MeshView& mesh, int hint, int32_t x, int32_t y);

// The Gauss point (0..8, g = 3a + b with ξ = p[a], η = p[b], p = −√0.6, 0, √0.6) nearest to (ξ, η).
int NearestGaussPoint(double xi, double eta);

} // namespace torva
