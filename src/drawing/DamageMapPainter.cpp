#include "drawing/DamageMapPainter.h"

#include "drawing/Label.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>

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
    painter.setRenderHint(QPainter::Antialiasing, true);
    // Wider cracks over thinner ones.
    for (int grade = 0; grade < 4; ++grade) {
        const CrackStyle style = StyleOf(marks, grade);
        painter.setPen(QPen(style.colour, style.width, Qt::SolidLine, Qt::FlatCap));
        for (const CrackMark& c : marks.cracks) {
            if (c.grade != grade) continue;
            painter.drawLine(toPixels.map(QPointF(c.x - c.hx, c.y - c.hy)),
                             toPixels.map(QPointF(c.x + c.hx, c.y + c.hy)));
        }
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    const int h = kSquare / 2;
    for (const ConditionMark& m : marks.conditions) {
        const QPointF p = toPixels.map(QPointF(m.x, m.y));
        const QRect square(int(p.x()) - h, int(p.y()) - h, kSquare, kSquare);
        painter.setPen(QPen(Qt::black, 1));
        if (m.condition == PointCondition::Crushed)
            painter.fillRect(square, Qt::black);
        else
            painter.drawRect(square.adjusted(0, 0, -1, -1));
    }
    painter.setPen(QPen(YieldColour(), 3, Qt::SolidLine, Qt::FlatCap));
    const int d = kYieldDash / 2;
    for (const YieldMark& m : marks.yields) {
        const QPointF p = toPixels.map(QPointF(m.x, m.y));
        const int x = int(p.x()), y = int(p.y());
        if (m.direction == 0)
            painter.drawLine(x - d, y, x + d, y);
        else
            painter.drawLine(x, y - d, x, y + d);
    }
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
