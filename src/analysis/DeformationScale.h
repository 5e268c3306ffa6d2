#pragma once
// How much the displacements are amplified to be readable: the largest displacement of the state on
// display drawn at 5 % of the model's larger extent. The window multiplies this automatic scale by a
// factor of its own; the picture export rounds it up to a power of two.
#include "analysis/MeshView.h"

namespace torva {

inline constexpr double kReadableShare = 0.05;

// The largest |u| (mm) of a displacement table of ux, uy per node (2 · nodeCount values).
double LargestDisplacement(const float* displacements, int nodeCount);

// The larger of the model's extents in x and y (mm), from the origin to the farthest node; 0 without
// nodes.
double ModelExtent(const MeshView& mesh);

// The scale that draws the largest displacement at kReadableShare of the model's extent; 1 when
// nothing moves (or there is no model).
double ReadableScale(const MeshView& mesh, const float* displacements);

// The smallest power of two, at most 2^maxDoublings, that draws the largest displacement at least at
// kReadableShare of the model's extent; 1 when nothing moves.
float ReadablePowerOfTwo(const MeshView& mesh, const float* displacements, int maxDoublings = 20);

} // namespace torva
