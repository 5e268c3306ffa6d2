#include "plan/CellGrid.h"

#include "plan/CellLayout.h"
#include "plan/PlanEditor.h"
#include "plan/PlanGeometry.h"
#include "plan/ReadableText.h"

#include <QPainter>
#include <algorithm>

namespace torva {

namespace {

QColor Palette(int index) {
    return ColorFromRef(kCellPalette[index]);
}

// How far a position's drawing reaches beyond its square: node markers half a square up and left,
// span label lines one pixel below or right, output numbers past the right edge.
constexpr int kReachBefore = 20;
constexpr int kReachAfter = 50;

// Node/element mark of a position: 0 nothing, 1 only node items, 2 only element items, 3 both.
int NodeElementMark(const CFramePat& m, int x, int y) {
    int mark = 0;
    bool nodeSeen = false;
    const int layers = std::clamp(m.layersShown, 0, kLayers);
    for (int layer = 0; layer < layers; ++layer) {
        if (m.Flag(x, y, layer) == 0) continue;
        if (layer < kConcreteLayer) {
            mark = 1;
            nodeSeen = true;
        } else {
            mark = nodeSeen ? 3 : 2;
        }
    }
    return mark;
}

} // namespace

CellGrid::CellGrid() {
    font_.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    font_.setPixelSize(kFontPixels);
    font_.setBold(true);
    font_.setStyleHint(QFont::SansSerif);
}

void CellGrid::Rebuild(const CFramePat* model) {
    model_ = model;
    cells_.clear();
    if (!model_) return;
    cells_.reserve(kPositions);
    for (int x = 0; x < kGridSize; ++x)
        for (int y = 0; y < kGridSize; ++y) cells_.emplace_back(x, y);
}

bool CellGrid::HasCell(int x, int y) const {
    return x >= 0 && x < kGridSize && y >= 0 && y < kGridSize && PosIndex(x, y) < CellCount();
}

QRect CellGrid::UsedRect() const {
    if (!model_) return {};
    // The last drawn line is nxs + 1 (nys + 1); its node markers reach half a square further.
    const int right = CellLeft(model_->nxs + 1) + kCellPixels / 2 + 1;
    const int bottom = CellTop(model_->nys + 1) + kCellPixels / 2 + 1;
    return QRect(0, 0, right, bottom);
}

const QStaticText& CellGrid::Prepared(const QString& text) const {
    auto it = texts_.find(text);
    if (it == texts_.end()) {
        QStaticText prepared(text);
        prepared.setTextFormat(Qt::PlainText);
        prepared.prepare(QTransform(), font_);
        it = texts_.insert(text, prepared);
    }
    return *it;
}

QString CellGrid::LabelText(int layer, int type) {
    return QString::fromStdString(LayerLetter(layer)) + QString::number(type);
}

QSizeF CellGrid::LabelSize(const QString& text) const {
    return Prepared(text).size();
}

void CellGrid::DrawText(QPainter& painter, QPointF topLeft, const QString& text, const QColor& color) const {
    painter.setPen(color);
    painter.drawStaticText(topLeft, Prepared(text));
}

void CellGrid::Draw(QPainter& painter, const QRect& exposed, PlanOverlay overlay) const {
    painter.save();
    painter.setClipRect(exposed, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    painter.fillRect(exposed, Qt::white);
    painter.setFont(font_);
    if (model_ && !cells_.empty()) {
        // Only the positions whose drawing can reach the exposed rectangle, in cell order.
        const auto first = [](int pixel, int origin) {
            return std::clamp((pixel - kReachAfter - origin) / kCellPixels, 0, kGridSize - 1);
        };
        const auto last = [](int pixel, int origin) {
            return std::clamp((pixel + kReachBefore - origin) / kCellPixels + 1, 0, kGridSize - 1);
        };
        const int x0 = first(exposed.left(), kPlanOriginX), x1 = last(exposed.right(), kPlanOriginX);
        const int y0 = first(exposed.top(), kPlanOriginY), y1 = last(exposed.bottom(), kPlanOriginY);
        for (int x = x0; x <= x1; ++x)
            for (int y = y0; y <= y1; ++y) cells_[PosIndex(x, y)].Draw(painter, *model_, *this);
        DrawOverlays(painter, overlay);
    }
    painter.restore();
}

// The control node and the output elements are always drawn: outside their check mode in a lighter
// style that leaves the square and the node marker beneath readable, in their mode solid.
void CellGrid::DrawOverlays(QPainter& painter, PlanOverlay overlay) const {
    const CFramePat& m = *model_;
    const int x = CodeX(m.controlNode), y = CodeY(m.controlNode);
    if (x >= 2 && y >= 2) {
        const QColor orange = ColorFromRef(kControlNodeColor);
        if (overlay.controlNode) {
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.setPen(QPen(orange, 1));
            painter.setBrush(orange);
            painter.drawEllipse(QPointF(CellLeft(x), CellTop(y)), 14.5, 14.5);
            painter.setRenderHint(QPainter::Antialiasing, false);
        } else {
            // A crisp three-pixel ring around the node.
            painter.setPen(QPen(orange, 3));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(QRect(CellLeft(x) - 12, CellTop(y) - 12, 24, 24));
        }
    }
    // A frame centred on the square's outline: 4 pixels wide in the check mode, 2 outside it.
    const int half = overlay.outputElements ? 2 : 1;
    const int w = 2 * half;
    for (int slot = 0; slot < kOutputSlots; ++slot) {
        const int code = m.outputElements[slot];
        if (code < 0) continue;
        const int px = CellLeft(CodeX(code)), py = CellTop(CodeY(code));
        const QColor frame = ColorFromRef(code == m.activeOutput ? kActiveOutputColor : kOutputColor);
        painter.fillRect(px - half, py - half, kCellPixels + w, w, frame);
        painter.fillRect(px - half, py + kCellPixels - half, kCellPixels + w, w, frame);
        painter.fillRect(px - half, py + half, w, kCellPixels - w, frame);
        painter.fillRect(px + kCellPixels - half, py + half, w, kCellPixels - w, frame);
        DrawText(painter, QPointF(px + 20, py), QString::number(slot + 1), ColorFromRef(kOutputNumberColor));
    }
}

void CellGrid::Cell::Draw(QPainter& painter, const CFramePat& m, const CellGrid& grid) const {
    const int x = x_, y = y_;
    if (x > m.nxs + 1 || y > m.nys + 1 || x == 1 || y == 1) return;
    if (IsLabelPosition(x, y)) {
        DrawLabel(painter, m, grid);
        return;
    }
    if (x == 0) return; // the corner (0, 0) carries nothing

    const int px = CellLeft(x), py = CellTop(y);
    const int layer = m.curLayer;
    const int flag = m.curFlag[PosIndex(x, y)];
    const int type = m.curType[PosIndex(x, y)];
    const int mark = NodeElementMark(m, x, y);
    const bool otherItems = mark == 2 || mark == 3;

    QColor fill = Palette(otherItems ? kOtherLayer : kEmptySquare);
    if (flag != 0) {
        if (layer >= kConcreteLayer && layer <= kFibreLayer)
            fill = type >= 1 && type <= kTypes ? ColorFromRef(m.Color(layer, type)) : Palette(kEmptySquare);
        else if (layer == kFirstStorageLayer)
            fill = Palette(kStorageSquare);
        else if (layer > kFirstStorageLayer)
            fill = Palette(mark != 0 ? kOtherLayer : kEmptySquare);
    }
    if (x < m.nxs && y < m.nys) {
        painter.fillRect(px, py, kCellPixels, kCellPixels, Palette(kBorder));
        painter.fillRect(px + 1, py + 1, kCellPixels - 2, kCellPixels - 2, fill);
    }

    if (mark == 1 || mark == 3) {
        int marker = kOtherLayer;
        if (flag > 0 && layer == kPointForceLayer) marker = kForceNode;
        if (flag > 0 && layer == kBoundaryLayer) marker = kBoundaryNode;
        if (marker == kOtherLayer) {
            // A crisp one-pixel ring, small enough to keep clear of the labels of the squares around it.
            painter.setPen(QPen(Palette(kOtherLayer), 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(NodeRingRect(px, py).adjusted(0, 0, -1, -1));
        } else {
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.setPen(QPen(Palette(kBorder), 1));
            painter.setBrush(Palette(marker));
            painter.drawEllipse(QPointF(px, py), 14.5, 14.5);
            painter.setRenderHint(QPainter::Antialiasing, false);
        }
    }

    if (flag >= 1 && flag <= 9) {
        // Black or white, whichever reads better on what lies beneath: the node's disc or the square.
        const QString text = LabelText(layer, type);
        const QSizeF size = grid.LabelSize(text);
        if (layer < kConcreteLayer) {
            const QColor disc = Palette(layer == kPointForceLayer ? kForceNode : kBoundaryNode);
            grid.DrawText(painter, NodeLabelRect(px, py, size).topLeft(), text, ReadableTextOn(disc));
        } else {
            grid.DrawText(painter, TypeLabelRect(px, py, size).topLeft(), text, ReadableTextOn(fill));
        }
    }
}

void CellGrid::Cell::DrawLabel(QPainter& painter, const CFramePat& m, const CellGrid& grid) const {
    const int x = x_, y = y_;
    if (x >= m.nxs || y >= m.nys) return;
    const int px = CellLeft(x), py = CellTop(y);
    const QColor color = Palette(m.curLayer >= kConcreteLayer ? kSpanLabel : kNodeLayerSpan);
    if (y == 0) {
        painter.fillRect(px + 3, py + kCellPixels, 24, 1, color);
        grid.DrawText(painter, QPointF(px + 3, py + 6), QStringLiteral("X%1").arg(m.SpanTypeOf(kAxisX, x)),
                      color);
    } else {
        painter.fillRect(px + kCellPixels, py + 3, 1, 24, color);
        grid.DrawText(painter, QPointF(px + 3, py + 6), QStringLiteral("Y%1").arg(m.SpanTypeOf(kAxisY, y)),
                      color);
    }
}

} // namespace torva
