#include "drawing/OutOfDateNote.h"

#include "analysis/AnalysisState.h"
#include "drawing/Label.h"

#include <QColor>
#include <QPainter>

namespace torva {

void PaintOutOfDateNote(QPainter& painter, int top, int width) {
    painter.save();
    painter.setFont(DrawingFont());
    const QRect note(0, top, width, kOutOfDateNoteHeight);
    painter.fillRect(note, QColor(255, 236, 170));
    painter.setPen(Qt::black);
    painter.drawText(note, Qt::AlignCenter, QString::fromUtf8(kResultsOutOfDateText));
    painter.restore();
}

} // namespace torva
