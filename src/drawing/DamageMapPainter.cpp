#include "drawing/DamageMapPainter.h"

#include "drawing/Label.h"

#include <QFontMetrics>
#include <QLine>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace torva {

CrackStyle DamageMapPainter::StyleOf(const DamageMarks& marks, int grade) {
    if (!marks.byWidth) return grade > 0 ? CrackStyle{Qt::black, 2} : CrackStyle{QColor(150, 150, 150), 1};
    switch (grade) {
    case 0:
        return {QColor(140, 140, 140), 1};
    case 1:
        return {QColor(240, 140, 0), 2};
    case 2:
        return {QColor(220, 0, 0), 3};
    default:
        return {QColor(120, 0, 0), 4};
    }
}

void DamageMapPainter::Paint(QPainter& painter, const DamageMarks& marks, const QTransform& toPixels) {
    if (!marks.hasResults) return;
    painter.save();
    // One batch of whole-pixel lines per grade, wider cracks over thinner ones, without smoothing: on a
    // 60 x 60 map a pen change and a call per line, and smoothing wide lines, cost more than the lines.
    std::array<std::vector<QLine>, 4> byGrade;
    for (const CrackMark& c : marks.cracks) {
        const size_t grade = size_t(std::clamp(c.grade, 0, 3));
        byGrade[grade].emplace_back(toPixels.map(QPointF(c.x - c.hx, c.y - c.hy)).toPoint(),
                                    toPixels.map(QPointF(c.x + c.hx, c.y + c.hy)).toPoint());
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int grade = 0; grade < 4; ++grade) {
        const std::vector<QLine>& lines = byGrade[size_t(grade)];
        if (lines.empty()) continue;
        const CrackStyle style = StyleOf(marks, grade);
        painter.setPen(QPen(style.colour, style.width, Qt::SolidLine, Qt::FlatCap));
        painter.drawLines(lines.data(), int(lines.size()));
    }
    // Marks at most as large as the points' spacing on the picture allows (kept legible: 3 px at least).
    const double spacing = marks.pointSpacing * std::sqrt(std::fabs(toPixels.determinant()));
    const int square = marks.pointSpacing > 0 ? std::clamp(int(0.8 * spacing), 3, kSquare) : kSquare;
    const int dash = marks.pointSpacing > 0 ? std::clamp(int(spacing), 4, kYieldDash) : kYieldDash;
    const int h = square / 2;
    for (const ConditionMark& m : marks.conditions) {
        const QPointF p = toPixels.map(QPointF(m.x, m.y));
        const QRect mark(int(p.x()) - h, int(p.y()) - h, square, square);
        painter.setPen(QPen(Qt::black, 1));
        if (m.condition == PointCondition::Crushed)
            painter.fillRect(mark, Qt::black);
        else
            painter.drawRect(mark.adjusted(0, 0, -1, -1));
    }
    const int d = dash / 2;
    std::vector<QLine> dashes;
    dashes.reserve(marks.yields.size());
    for (const YieldMark& m : marks.yields) {
        const QPointF p = toPixels.map(QPointF(m.x, m.y));
        const int x = int(p.x()), y = int(p.y());
        if (m.direction == 0)
            dashes.emplace_back(x - d, y, x + d, y);
        else
            dashes.emplace_back(x, y - d, x, y + d);
    }
    painter.setPen(QPen(YieldColour(), 3, Qt::SolidLine, Qt::FlatCap));
    painter.drawLines(dashes.data(), int(dashes.size()));
    painter.restore();
}

void DamageMapPainter::PaintLegend(QPainter& painter, const QRect& area, const DamageMarks& marks) {
    painter.save();
    const QFont font = DrawingFont();
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const int row = metrics.height() + 4;
    int y = area.top();
    painter.setPen(Qt::black);
    painter.drawText(QPoint(area.left(), y + metrics.ascent()), QStringLiteral("Damage"));
    y += row;
    if (!marks.hasResults) {
        painter.drawText(QPoint(area.left(), y + metrics.ascent()), QStringLiteral("No results"));
        painter.restore();
        return;
    }
    const int sampleRight = area.left() + 24;
    const auto text = [&](const QString& s) {
        painter.setPen(Qt::black);
        painter.drawText(QPoint(sampleRight + 6, y + metrics.ascent()), s);
        y += row;
    };
    const int mid = metrics.height() / 2;
    const auto crackLine = [&](int grade, const QString& s) {
        const CrackStyle style = StyleOf(marks, grade);
        painter.setPen(QPen(style.colour, style.width, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(area.left() + 2, y + mid, sampleRight, y + mid);
        text(s);
    };
    if (marks.byWidth) {
        crackLine(0, QStringLiteral("crack < 0.1 mm"));
        crackLine(1, QStringLiteral("crack 0.1–0.3 mm"));
        crackLine(2, QStringLiteral("crack 0.3–1 mm"));
        crackLine(3, QStringLiteral("crack ≥ 1 mm"));
    } else {
        crackLine(1, QStringLiteral("open crack"));
        crackLine(0, QStringLiteral("closed crack"));
    }
    const int h = kSquare / 2, cx = area.left() + 13;
    painter.fillRect(QRect(cx - h, y + mid - h, kSquare, kSquare), Qt::black);
    text(QStringLiteral("crushed (%1)").arg(marks.crushed));
    painter.setPen(Qt::black);
    painter.drawRect(QRect(cx - h, y + mid - h, kSquare - 1, kSquare - 1));
    text(QStringLiteral("past peak (%1)").arg(marks.pastPeak));
    painter.setPen(QPen(YieldColour(), 3, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(cx - kYieldDash / 2, y + mid, cx + kYieldDash / 2, y + mid);
    text(QStringLiteral("x bars yielded"));
    painter.setPen(QPen(YieldColour(), 3, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(cx, y + mid - kYieldDash / 2, cx, y + mid + kYieldDash / 2);
    text(QStringLiteral("y bars yielded"));
    painter.restore();
}

} // namespace torva
