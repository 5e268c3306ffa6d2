#pragma once
// Text and pixel helpers shared by the result drawing. Texts are placed by their top-left corner
// (the text origin of the drawing rules) and may be drawn on an opaque white box so that they stay
// readable over the mesh. Every real-to-pixel conversion truncates toward zero.
#include <QColor>
#include <QFont>
#include <QString>

class QPainter;

namespace torva {

// The font of every text of the analysis view: a small sans-serif face at a fixed pixel size, so a
// picture looks the same on every screen.
QFont DrawingFont();

// Draws text with its top-left corner at (x, y), or with its bottom-left corner there when `above`;
// with opaque set, on a white box the size of the text.
void DrawLabel(QPainter& painter, int x, int y, const QString& text, const QColor& colour, bool opaque = true,
               bool above = false);

// Truncation toward zero of a pixel coordinate. Values beyond a million pixels (and NaN) would be
// undefined as int; they are held at ±1,000,000 (NaN as 0), far outside any picture.
int TruncPixel(double v);

} // namespace torva
