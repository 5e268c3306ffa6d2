#include "analysis/ElementHit.h"

#include <algorithm>
#include <cmath>

namespace torva {

namespace {

// Natural coordinates of corner r.
constexpr double kCornerXi[4] = {1, -1, -1, 1};
constexpr double kCornerEta[4] = {1, 1, -1, -1};

// Even-odd rule over the four edges: exact for any simple quadrilateral, convex or not.
bool InsideQuad(const double qx[4], const double qy[4], double px, double py) {
    bool inside = false;
    for (int i = 0, j = 3; i < 4; j = i++) {
        if ((qy[i] > py) == (qy[j] > py)) continue;
        const double crossX = qx[j] + (py - qy[j]) * (qx[i] - qx[j]) / (qy[i] - qy[j]);
        if (px < crossX) inside = !inside;
    }
    return inside;
}

// Whether (px, py) lies on an edge of the quadrilateral, within a hair of its size.
bool OnEdge(const double qx[4], const double qy[4], double px, double py) {
    for (int i = 0, j = 3; i < 4; j = i++) {
        const double ex = qx[i] - qx[j], ey = qy[i] - qy[j];
        const double length2 = ex * ex + ey * ey;
        if (length2 == 0) continue;
        const double t = ((px - qx[j]) * ex + (py - qy[j]) * ey) / length2;
        if (t < 0 || t > 1) continue;
        const double dx = qx[j] + t * ex - px, dy = qy[j] + t * ey - py;
        if (dx * dx + dy * dy <= 1e-18 * length2) return true;
    }
    return false;
}

// The bilinear map's inverse by Newton's method from the centre; clamped to the element.
void NaturalCoordinates(const double qx[4], const double qy[4], double px, double py, double& xi,
                        double& eta) {
    xi = 0, eta = 0;
    for (int iteration = 0; iteration < 20; ++iteration) {
        double x = 0, y = 0, dxdxi = 0, dxdeta = 0, dydxi = 0, dydeta = 0;
        for (int r = 0; r < 4; ++r) {
            const double a = 1 + kCornerXi[r] * xi, b = 1 + kCornerEta[r] * eta;
            x += a * b / 4 * qx[r];
            y += a * b / 4 * qy[r];
            dxdxi += kCornerXi[r] * b / 4 * qx[r];
            dydxi += kCornerXi[r] * b / 4 * qy[r];
            dxdeta += a * kCornerEta[r] / 4 * qx[r];
            dydeta += a * kCornerEta[r] / 4 * qy[r];
        }
        const double det = dxdxi * dydeta - dxdeta * dydxi;
        if (det == 0) break;
        const double rx = px - x, ry = py - y;
        const double dxi = (dydeta * rx - dxdeta * ry) / det, deta = (-dydxi * rx + dxdxi * ry) / det;
        xi += dxi, eta += deta;
        if (std::fabs(dxi) + std::fabs(deta) < 1e-12) break;
    }
    if (!std::isfinite(xi) || !std::isfinite(eta)) xi = eta = 0;
    xi = std::clamp(xi, -1.0, 1.0);
    eta = std::clamp(eta, -1.0, 1.0);
}

} // namespace

ElementHit HitElement(const MeshView& mesh, const int32_t* x, const int32_t* y, double px, double py) {
    ElementHit hit;
    for (int e = 0; e < mesh.elementCount; ++e) {
        if (mesh.elemDiscrete && mesh.elemDiscrete[e] != 0) continue;
        double qx[4], qy[4];
        for (int r = 0; r < 4; ++r) {
            const int node = mesh.Node(e, r);
            qx[r] = x[node];
            qy[r] = y[node];
        }
        if (px < *std::min_element(qx, qx + 4) || px > *std::max_element(qx, qx + 4) ||
            py < *std::min_element(qy, qy + 4) || py > *std::max_element(qy, qy + 4))
            continue;
        if (!InsideQuad(qx, qy, px, py) && !OnEdge(qx, qy, px, py)) continue;
        hit.element = e;
        NaturalCoordinates(qx, qy, px, py, hit.xi, hit.eta);
        return hit;
    }
    return hit;
}

int MatchElement(const MeshView& mesh, int hint, int32_t x, int32_t y) {
    const auto matches = [&](int e) {
        if (e < 0 || e >= mesh.elementCount || (mesh.elemDiscrete && mesh.elemDiscrete[e] != 0)) return false;
        const int node = mesh.Node(e, 0);
        return mesh.nodeX[node] == x && mesh.nodeY[node] == y;
    };
    if (matches(hint)) return hint;
    for (int e = 0; e < mesh.elementCount; ++e)
        if (matches(e)) return e;
    return -1;
}

int NearestGaussPoint(double xi, double eta) {
    const auto index = [](double t) {
        const double p = std::sqrt(0.6);
        return t < -p / 2 ? 0 : t > p / 2 ? 2 : 1;
    };
    return 3 * index(xi) + index(eta);
}

} // namespace torva
