#pragma once
// Where the marks of one grid position go, in logical plan pixels, so that they never overlap: the
// painter draws with these rectangles and the tests check them. Node (x, y) sits at the upper left
// corner (px, py) of square (x, y); a square touches four nodes, one at each corner.
//
//   node ring    a small hollow ring centred on its node, kNodeRingRadius pixels to its outer edge
//   type label   centred in its square: rings reach kNodeRingRadius + 1 pixels into a square from
//                each corner, so a label up to kCellPixels - 2 (kNodeRingRadius + 1) pixels high keeps
//                clear of all four, however wide it is (and the plan's labels are 14 to 15 high)
//   node label   centred on its node, on the node's disc
//
// The plan is drawn scaled by the zoom, so rectangles apart here stay apart at every zoom.
#include "plan/PlanGeometry.h"

#include <QRect>
#include <QRectF>
#include <QSizeF>

namespace torva {

constexpr int kNodeRingRadius = 5;
// The tallest type label that keeps clear of the rings at the corners of its square.
constexpr int kTallestTypeLabel = kCellPixels - 2 * (kNodeRingRadius + 1);

// Every pixel the ring of the node at (px, py) covers.
constexpr QRect NodeRingRect(int px, int py) {
    return QRect(px - kNodeRingRadius, py - kNodeRingRadius, 2 * kNodeRingRadius + 1,
                 2 * kNodeRingRadius + 1);
}

// The box of a type label of `text` size in the square whose upper left corner is (px, py).
inline QRectF TypeLabelRect(int px, int py, const QSizeF& text) {
    return QRectF(px + (kCellPixels - text.width()) / 2.0, py + (kCellPixels - text.height()) / 2.0,
                  text.width(), text.height());
}

// The box of a node label of `text` size centred on the node at (px, py).
inline QRectF NodeLabelRect(int px, int py, const QSizeF& text) {
    return QRectF(px - text.width() / 2.0, py - text.height() / 2.0, text.width(), text.height());
}

} // namespace torva
