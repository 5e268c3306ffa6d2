#pragma once
// Paints a damage map (DamageMarks) over the mesh and its legend:
//   cracks    a line along the crack at each cracked Gauss point; by width grade (iterative method)
//             thin grey < 0.1 mm, orange < 0.3 mm, red < 1 mm, thick dark red beyond; without widths
//             (classic method) open cracks black, closed ones grey;
//   concrete  a filled black square where crushed, a hollow one where past its peak;
//   bars      a green dash where the bars have yielded: across for x bars, upright for y bars.
#include "analysis/DamageMarks.h"

#include <QColor>
#include <QRect>
#include <QTransform>

class QPainter;

namespace torva {

struct CrackStyle {
    QColor colour;
    int width = 1;
};

class DamageMapPainter {
public:
    static constexpr int kSquare = 7;     // pixels, the concrete marks
    static constexpr int kYieldDash = 10; // pixels
    static constexpr int kLegendWidth = 170;

    static CrackStyle StyleOf(const DamageMarks& marks, int grade);
    static QColor YieldColour() { return QColor(0, 150, 0); }

    // The marks at model positions mapped by `toPixels`.
    static void Paint(QPainter& painter, const DamageMarks& marks, const QTransform& toPixels);
    // The legend: one line per kind of mark, in `area`.
    static void PaintLegend(QPainter& painter, const QRect& area, const DamageMarks& marks);
};

} // namespace torva
