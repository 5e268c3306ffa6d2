#pragma once
// The note over a picture whose results no longer belong to the model: a pale yellow band across
// the given width with "Results are out of date — Analyze again" centred in it.
#include <QRect>

class QPainter;

namespace torva {

inline constexpr int kOutOfDateNoteHeight = 20;

// Paints the band at `top` across `width` pixels.
void PaintOutOfDateNote(QPainter& painter, int top, int width);

} // namespace torva
