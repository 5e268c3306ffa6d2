#include "drawing/ModelMarks.h"

#include "analysis/Mesh.h"
#include "analysis/MeshView.h"
#include "drawing/Label.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>

namespace torva {

namespace {

void DrawSupport(QPainter& painter, QPoint node, int code) {
    const int s = ModelMarks::kSupportSize;
    const int half = s * 2 / 3;
    const QColor brown = ModelMarkColours::Support();
    painter.setPen(QPen(brown, 2));
    if (code == kFixedXY) {
        painter.setBrush(brown);
        painter.drawPolygon(QPolygon({node, node + QPoint(-half, s), node + QPoint(half, s)}));
    } else if (code == kFixedY) {
        // A roller on a horizontal line: free to move along x.
        painter.setBrush(Qt::NoBrush);
        painter.drawPolygon(QPolygon({node, node + QPoint(-half, s), node + QPoint(half, s)}));
        painter.drawLine(node + QPoint(-half - 2, s + 3), node + QPoint(half + 2, s + 3));
    } else if (code == kFixedX) {
        // The same on its side, left of the node: free to move along y.
        painter.setBrush(Qt::NoBrush);
        painter.drawPolygon(QPolygon({node, node + QPoint(-s, -half), node + QPoint(-s, half)}));
        painter.drawLine(node + QPoint(-s - 3, -half - 2), node + QPoint(-s - 3, half + 2));
    }
}

} // namespace

void ModelMarks::Paint(QPainter& painter, const ModelMarksView& marks, const MeshView& mesh, int activeOutput,
                       const std::vector<QPoint>& pixels) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const int nodes = int(pixels.size());
    const auto valid = [nodes](int node) { return node >= 0 && node < nodes; };

    // Output elements first, so that supports and the control node on their corners stay on top.
    for (int e = 0; e < mesh.elementCount; ++e) {
        const int number = mesh.elemOutputNo ? mesh.elemOutputNo[e] : 0;
        if (number <= 0) continue;
        QPolygon outline;
        bool inside = true;
        for (int c = 0; c < 4; ++c) {
            const int n = mesh.Node(e, c);
            inside = inside && valid(n);
            if (inside) outline << pixels[size_t(n)];
        }
        if (!inside) continue;
        const QColor colour =
            e == activeOutput ? ModelMarkColours::ActiveOutput() : ModelMarkColours::Output();
        painter.setPen(QPen(colour, kOutputFrame, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolygon(outline);
        const QRect box = outline.boundingRect();
        DrawLabel(painter, box.right() + 4, box.top(), QString::number(number), colour.darker(150), false);
    }

    for (int i = 0; i < marks.restraintCount; ++i) {
        const int n = marks.restraintNode[i];
        if (valid(n)) DrawSupport(painter, pixels[size_t(n)], marks.restraintDir[i]);
    }

    if (valid(marks.controlNode)) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(ModelMarkColours::ControlNode(), 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPointF(pixels[size_t(marks.controlNode)]), kControlRadius, kControlRadius);
    }
    painter.restore();
}

} // namespace torva
