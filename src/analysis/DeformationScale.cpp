#include "analysis/DeformationScale.h"

#include <algorithm>
#include <cmath>

namespace torva {

double LargestDisplacement(const float* displacements, int nodeCount) {
    double largest = 0.0;
    if (!displacements) return largest;
    for (int k = 0; k < nodeCount; ++k)
        largest =
            std::max(largest, std::hypot(double(displacements[2 * k]), double(displacements[2 * k + 1])));
    return largest;
}

double ModelExtent(const MeshView& mesh) {
    if (mesh.nodeCount <= 0) return 0.0;
    const int32_t maxX = *std::max_element(mesh.nodeX, mesh.nodeX + mesh.nodeCount);
    const int32_t maxY = *std::max_element(mesh.nodeY, mesh.nodeY + mesh.nodeCount);
    return double(std::max(maxX, maxY));
}

double ReadableScale(const MeshView& mesh, const float* displacements) {
    const double largest = LargestDisplacement(displacements, mesh.nodeCount);
    const double extent = ModelExtent(mesh);
    // A NaN or a model without size has no readable scale either.
    if (!(largest > 0.0) || !(extent > 0.0) || !std::isfinite(largest)) return 1.0;
    return kReadableShare * extent / largest;
}

float ReadablePowerOfTwo(const MeshView& mesh, const float* displacements, int maxDoublings) {
    const double largest = LargestDisplacement(displacements, mesh.nodeCount);
    const double extent = ModelExtent(mesh);
    float scale = 1.0f;
    if (!(largest > 0.0) || mesh.nodeCount == 0) return scale;
    for (int n = 0; n < maxDoublings && largest * scale < kReadableShare * extent; ++n) scale *= 2.0f;
    return scale;
}

} // namespace torva
