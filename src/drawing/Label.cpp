#include "drawing/Label.h"

#include <QFontMetrics>
#include <QPainter>
#include <cmath>

namespace torva {

QFont DrawingFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

void DrawLabel(QPainter& painter, int x, int y, const QString& text, const QColor& colour, bool opaque,
               bool above) {
    const QFont font = DrawingFont();
    painter.setFont(font);
    const QFontMetrics metrics(font);
    if (above) y -= metrics.height();
    if (opaque) painter.fillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()), Qt::white);
    painter.setPen(colour);
    painter.drawText(QPoint(x, y + metrics.ascent()), text);
}

int TruncPixel(double v) {
    constexpr double kLimit = 1e6;
    if (std::isnan(v)) return 0;
    if (v > kLimit) return static_cast<int>(kLimit);
    if (v < -kLimit) return static_cast<int>(-kLimit);
    return static_cast<int>(v); // toward zero
}

} // namespace torva
