#include "drawing/OutOfDateNote.h"

#include "analysis/AnalysisState.h"
#include "drawing/Label.h"

#include <QColor>
#include <QPainter>

namespace torva {

void PaintOutOfDateNote(QPainter& painter, const QRect& band) {
    painter.save();
    painter.setFont(DrawingFont());
    painter.fillRect(band, QColor(255, 236, 170));
    painter.setPen(Qt::black);
    painter.drawText(band, Qt::AlignCenter, QString::fromUtf8(kResultsOutOfDateText));
    painter.restore();
}

} // namespace torva
