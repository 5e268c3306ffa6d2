#pragma once
// The note over a picture whose results no longer belong to the model: a pale yellow band with
// "Results are out of date — Analyze again" centred in it.
#include <QRect>

class QPainter;

namespace torva {

inline constexpr int kOutOfDateNoteHeight = 20;

// Paints the band over `band` (kOutOfDateNoteHeight pixels high is the usual size).
void PaintOutOfDateNote(QPainter& painter, const QRect& band);

} // namespace torva
