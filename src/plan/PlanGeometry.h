#pragma once
// Where the plan puts each grid position on screen, and which position a point falls on.
// Logical pixels: one unit a pixel, y downwards, scroll position already added.
//
//   position (x, y)  ->  square from (30x + 30, 30y + 29), 30 × 30 pixels
//   node (x, y)      ->  the upper left corner of that square
//
// A point picks the square it lies in; node picking shifts the point by half a square first so that
// a click picks the nearest node.
#include "model/FramePat.h"

#include <optional>

namespace torva {

constexpr int kCellPixels = 30;
constexpr int kPlanOriginX = 30;
constexpr int kPlanOriginY = 29;
constexpr int kPlanGridPixels = kGridSize * kCellPixels - 1; // 3059: last pixel offset inside the grid
constexpr int kNodePickOffset = 15;

struct PlanPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const PlanPoint&, const PlanPoint&) = default;
};

struct GridPos {
    int x = 0;
    int y = 0;
    friend bool operator==(const GridPos&, const GridPos&) = default;
};

constexpr int CellLeft(int x) {
    return kCellPixels * x + kPlanOriginX;
}
constexpr int CellTop(int y) {
    return kCellPixels * y + kPlanOriginY;
}

// The position whose square holds the point, or none outside the 102 × 102 grid.
constexpr std::optional<GridPos> PickPosition(PlanPoint p) {
    const int dx = p.x - kPlanOriginX;
    const int dy = p.y - kPlanOriginY;
    if (dx < 0 || dx > kPlanGridPixels || dy < 0 || dy > kPlanGridPixels) return std::nullopt;
    return GridPos{dx / kCellPixels, dy / kCellPixels};
}

// The node nearest to the point.
constexpr std::optional<GridPos> PickNode(PlanPoint p) {
    return PickPosition({p.x + kNodePickOffset, p.y + kNodePickOffset});
}

// Node pick in the node layers (point force, boundary), plain pick in the element layers.
constexpr std::optional<GridPos> PickForLayer(PlanPoint p, int layer) {
    return layer < kConcreteLayer ? PickNode(p) : PickPosition(p);
}

} // namespace torva
