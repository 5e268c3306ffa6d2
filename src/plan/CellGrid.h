#pragma once
// Draws the plan: one cell object for every grid position, each drawing its own square, node marker
// and labels, plus the control-node and output-element overlays. The same drawing serves the screen
// (only the exposed part), printing and tests (a QImage).
#include "model/FramePat.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QRect>
#include <QSizeF>
#include <QStaticText>
#include <cstdint>
#include <vector>

class QPainter;

namespace torva {

// Windows COLORREF (0x00BBGGRR), as the model stores colours, to an opaque QColor.
inline QColor ColorFromRef(int32_t ref) {
    return QColor(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF);
}

// The cell palette, COLORREF; entries 4..6 stand for the type colours of concrete, rebar and fibre.
enum CellColor : int {
    kEmptySquare = 0,   // light grey
    kOtherLayer = 1,    // grey: element in another layer, hollow node ring
    kForceNode = 2,     // deep pink
    kBoundaryNode = 3,  // brown
    kStorageSquare = 7, // black: layer 5
    kBorder = 8,        // white square borders and disc outlines
    kNodeLayerSpan = 9, // mid grey span labels in the node layers
    kTypeLabel = 10,    // white
    kSpanLabel = 11,    // black span labels in the element layers
};
constexpr int32_t kCellPalette[12] = {0xDCDCDC, 0xB4B4B4, 0x9314FF, 0x0A5AB4, 0,        0,
                                      0,        0x000000, 0xFFFFFF, 0x969696, 0xFFFFFF, 0x000000};
constexpr int32_t kControlNodeColor = 0x008CFF;  // orange
constexpr int32_t kOutputColor = 0x00FF00;       // green
constexpr int32_t kActiveOutputColor = 0xFFBF00; // sky blue
constexpr int32_t kOutputNumberColor = 0x00D7FF; // gold

// Which check-mode overlays to draw.
struct PlanOverlay {
    bool controlNode = false;
    bool outputElements = false;
};

class CellGrid {
public:
    CellGrid();

    // Replaces every cell object for the given model (null: an empty grid that draws nothing).
    void Rebuild(const CFramePat* model);
    const CFramePat* Model() const { return model_; }
    bool HasCell(int x, int y) const;
    int CellCount() const { return static_cast<int>(cells_.size()); }

    // Fills `exposed` (logical pixels) white and draws every position and overlay touching it,
    // clipped to it: the result inside `exposed` is the same as from drawing the whole plan.
    void Draw(QPainter& painter, const QRect& exposed, PlanOverlay overlay = {}) const;

    // The part of the plan that can carry drawing for the model's grid size (used for printing).
    QRect UsedRect() const;

    // Pixel size of the plan's text.
    static constexpr int kFontPixels = 12;
    // The text of a label and the size it is laid out at, in plan pixels (CellLayout places it).
    static QString LabelText(int layer, int type);
    QSizeF LabelSize(const QString& text) const;
    const QFont& Font() const { return font_; }

private:
    class Cell {
    public:
        Cell(int x, int y) : x_(static_cast<int16_t>(x)), y_(static_cast<int16_t>(y)) {}
        void Draw(QPainter& painter, const CFramePat& model, const CellGrid& grid) const;

    private:
        void DrawLabel(QPainter& painter, const CFramePat& model, const CellGrid& grid) const;
        int16_t x_, y_;
    };

    const QStaticText& Prepared(const QString& text) const;
    void DrawText(QPainter& painter, QPointF topLeft, const QString& text, const QColor& color) const;
    void DrawOverlays(QPainter& painter, PlanOverlay overlay) const;

    const CFramePat* model_ = nullptr;
    std::vector<Cell> cells_;
    QFont font_;
    mutable QHash<QString, QStaticText> texts_; // laid-out labels, reused from repaint to repaint
};

} // namespace torva
