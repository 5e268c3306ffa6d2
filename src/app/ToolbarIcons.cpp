#include "app/ToolbarIcons.h"

#include "framework/CommandIds.h"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <map>

namespace torva {
namespace {

using PaintFn = void (*)(QPainter&);

const QColor kInk(40, 40, 40);
const QColor kBlue(40, 90, 200);
const QColor kGreen(30, 150, 60);
const QColor kRed(210, 40, 40);
const QColor kPaper(252, 252, 248);
const QColor kGrid(150, 150, 150);

QPen Pen(const QColor& colour, qreal width = 1.0) {
    QPen pen(colour, width);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setCapStyle(Qt::SquareCap);
    return pen;
}

// A filled triangle arrow head at `tip` pointing in direction (dx, dy) (unit steps).
void ArrowHead(QPainter& p, QPointF tip, qreal dx, qreal dy, qreal size, const QColor& colour) {
    const QPointF back(tip.x() - dx * size, tip.y() - dy * size);
    const QPointF side(-dy * size * 0.7, dx * size * 0.7);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(QPolygonF{tip, back + side, back - side});
}

void Letter(QPainter& p, const QRectF& box, const QString& text, const QColor& colour, int pixelSize = 8) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(box, Qt::AlignCenter, text);
}

// A small plan grid of 3 x 3 squares at (x, y), 4 units a square, framed.
void PlanGrid(QPainter& p, qreal x, qreal y) {
    p.setPen(Pen(Qt::white));
    p.setBrush(QColor(175, 175, 175));
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) p.drawRect(QRectF(x + 4 * i, y + 4 * j, 4, 4));
    }
    p.setPen(Pen(QColor(90, 90, 90)));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(x - 0.5, y - 0.5, 13, 13));
}

// Two stacked floors (parallelograms), the upper one highlighted when `upper`.
void Floors(QPainter& p, bool highlightUpper) {
    const QPolygonF upper{{4, 2.5}, {14.5, 2.5}, {11.5, 6.5}, {1, 6.5}};
    const QPolygonF lower{{4, 8.5}, {14.5, 8.5}, {11.5, 12.5}, {1, 12.5}};
    p.setPen(Pen(kInk));
    p.setBrush(highlightUpper ? QColor(120, 170, 240) : QColor(220, 220, 220));
    p.drawPolygon(upper);
    p.setBrush(highlightUpper ? QColor(220, 220, 220) : QColor(120, 170, 240));
    p.drawPolygon(lower);
}

void FileNew(QPainter& p) {
    p.setPen(Pen(kInk));
    p.setBrush(kPaper);
    p.drawPolygon(QPolygonF{{3.5, 0.5}, {9.5, 0.5}, {12.5, 3.5}, {12.5, 14.5}, {3.5, 14.5}});
    p.setBrush(QColor(210, 210, 210));
    p.drawPolygon(QPolygonF{{9.5, 0.5}, {9.5, 3.5}, {12.5, 3.5}});
}

void FileOpen(QPainter& p) {
    p.setPen(Pen(QColor(150, 110, 20)));
    p.setBrush(QColor(240, 200, 80));
    p.drawPolygon(QPolygonF{{0.5, 2.5}, {5.5, 2.5}, {6.5, 4.5}, {13.5, 4.5}, {13.5, 13.5}, {0.5, 13.5}});
    p.setBrush(QColor(255, 225, 120));
    p.drawPolygon(QPolygonF{{0.5, 13.5}, {3.5, 7.5}, {15.5, 7.5}, {13.5, 13.5}});
}

void FileSave(QPainter& p) {
    p.setPen(Pen(QColor(20, 40, 110)));
    p.setBrush(kBlue);
    p.drawPolygon(QPolygonF{{1.5, 0.5}, {12.5, 0.5}, {14.5, 2.5}, {14.5, 14.5}, {1.5, 14.5}});
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4, 1, 8, 5));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(4, 9, 8, 5.5));
    p.setBrush(kBlue);
    p.drawRect(QRectF(9, 10, 2, 3.5));
}

void PlanView(QPainter& p) {
    PlanGrid(p, 1.5, 1.5);
    p.setPen(Pen(Qt::white));
    p.setBrush(QColor(60, 110, 230));
    p.drawRect(QRectF(5.5, 5.5, 4, 4));
    p.setBrush(QColor(255, 20, 147));
    p.setPen(Pen(Qt::white, 0.8));
    p.drawEllipse(QPointF(13, 12), 2.6, 2.6);
}

void View3d(QPainter& p) {
    // A sheared mesh: the deformed shape of a wall.
    p.setPen(Pen(QColor(30, 120, 40)));
    p.setBrush(QColor(170, 225, 170));
    p.drawPolygon(QPolygonF{{1.5, 13.5}, {10.5, 13.5}, {14.5, 1.5}, {5.5, 1.5}});
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(6, 13.5), QPointF(10, 1.5));
    p.drawLine(QPointF(3.5, 7.5), QPointF(12.5, 7.5));
}

void About(QPainter& p) {
    p.setPen(Pen(QColor(20, 60, 150)));
    p.setBrush(kBlue);
    p.drawEllipse(QRectF(1, 0.5, 14, 14));
    Letter(p, QRectF(1, 0.5, 14, 14), QStringLiteral("?"), Qt::white, 11);
}

void ClearPattern(QPainter& p) {
    PlanGrid(p, 1.5, 1.5);
    p.setPen(Pen(kRed, 2.0));
    p.drawLine(QPointF(7, 6), QPointF(14, 13));
    p.drawLine(QPointF(14, 6), QPointF(7, 13));
}

void MoveUpper(QPainter& p) {
    Floors(p, true);
    p.setPen(Pen(kGreen, 2.0));
    p.drawLine(QPointF(13.5, 14), QPointF(13.5, 5));
    ArrowHead(p, QPointF(13.5, 0.5), 0, -1, 4.5, kGreen);
}

void MoveLower(QPainter& p) {
    Floors(p, false);
    p.setPen(Pen(kGreen, 2.0));
    p.drawLine(QPointF(13.5, 1), QPointF(13.5, 10));
    ArrowHead(p, QPointF(13.5, 14.5), 0, 1, 4.5, kGreen);
}

void CopyLower(QPainter& p) {
    // The lower floor's pattern goes up into the current one.
    Floors(p, true);
    p.setPen(Pen(QColor(200, 110, 0), 1.5));
    p.drawLine(QPointF(7.5, 11), QPointF(7.5, 6));
    ArrowHead(p, QPointF(7.5, 3), 0, -1, 3.5, QColor(200, 110, 0));
}

void CopyUpper(QPainter& p) {
    Floors(p, false);
    p.setPen(Pen(QColor(200, 110, 0), 1.5));
    p.drawLine(QPointF(7.5, 4), QPointF(7.5, 9));
    ArrowHead(p, QPointF(7.5, 12), 0, 1, 3.5, QColor(200, 110, 0));
}

void PointForce(QPainter& p) {
    p.setPen(Pen(kInk, 1.5));
    p.drawLine(QPointF(8, 0.5), QPointF(8, 6));
    ArrowHead(p, QPointF(8, 9), 0, 1, 3.5, kInk);
    p.setPen(Pen(Qt::white, 0.8));
    p.setBrush(QColor(255, 20, 147));
    p.drawEllipse(QPointF(8, 11.5), 3, 3);
}

void Boundary(QPainter& p) {
    p.setPen(Pen(QColor(90, 50, 10)));
    p.setBrush(QColor(180, 90, 10));
    p.drawPolygon(QPolygonF{{8, 2}, {13, 10.5}, {3, 10.5}});
    p.setPen(Pen(kInk));
    p.drawLine(QPointF(1, 11.5), QPointF(15, 11.5));
    for (int i = 0; i < 5; ++i) p.drawLine(QPointF(3 + 3 * i, 11.5), QPointF(1 + 3 * i, 14.5));
}

// A square of a layer's first type colour with the layer's letter, as the plan draws it.
void LayerSquare(QPainter& p, const QColor& fill, const QString& letter) {
    p.setPen(Pen(Qt::white));
    p.setBrush(fill);
    p.drawRect(QRectF(2.5, 2, 11, 11));
    p.setPen(Pen(kInk));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(1.5, 1, 13, 13));
    Letter(p, QRectF(2.5, 2, 11, 11), letter, Qt::white, 9);
}

void ConcreteElement(QPainter& p) {
    LayerSquare(p, QColor(60, 110, 230), QStringLiteral("E"));
}

void SteelRebar(QPainter& p) {
    LayerSquare(p, QColor(215, 40, 40), QStringLiteral("S"));
}

void FiberElement(QPainter& p) {
    LayerSquare(p, QColor(20, 150, 40), QStringLiteral("F"));
}

void CheckControlNode(QPainter& p) {
    // The orange control-node disc on a grid corner.
    PlanGrid(p, 0.5, 2.5);
    p.setPen(Pen(QColor(255, 140, 0)));
    p.setBrush(QColor(255, 140, 0));
    p.drawEllipse(QPointF(10.5, 6.5), 4.5, 4.5);
}

void CheckOutputElement(QPainter& p) {
    // A green output frame around a square with its number.
    p.setPen(Pen(Qt::white));
    p.setBrush(QColor(60, 110, 230));
    p.drawRect(QRectF(2.5, 2.5, 10, 10));
    p.setPen(Pen(QColor(0, 200, 0), 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(2, 2, 11, 11));
    Letter(p, QRectF(6, 0, 10, 9), QStringLiteral("1"), QColor(255, 215, 0), 8);
}

void SpanLength(QPainter& p, bool x) {
    p.setPen(Pen(kInk));
    if (x) {
        p.drawLine(QPointF(1.5, 9), QPointF(1.5, 14));
        p.drawLine(QPointF(14.5, 9), QPointF(14.5, 14));
        p.drawLine(QPointF(4, 11.5), QPointF(12, 11.5));
        ArrowHead(p, QPointF(1.5, 11.5), -1, 0, 3, kInk);
        ArrowHead(p, QPointF(14.5, 11.5), 1, 0, 3, kInk);
        Letter(p, QRectF(3, 0, 10, 9), QStringLiteral("X"), kBlue, 9);
    } else {
        p.drawLine(QPointF(10, 0.5), QPointF(15, 0.5));
        p.drawLine(QPointF(10, 14.5), QPointF(15, 14.5));
        p.drawLine(QPointF(12.5, 3), QPointF(12.5, 12));
        ArrowHead(p, QPointF(12.5, 0.5), 0, -1, 3, kInk);
        ArrowHead(p, QPointF(12.5, 14.5), 0, 1, 3, kInk);
        Letter(p, QRectF(0, 3, 10, 9), QStringLiteral("Y"), kBlue, 9);
    }
}

void XLength(QPainter& p) {
    SpanLength(p, true);
}
void YLength(QPainter& p) {
    SpanLength(p, false);
}

void FrameSize(QPainter& p) {
    p.setPen(Pen(QColor(90, 90, 90)));
    p.setBrush(QColor(205, 205, 205));
    p.drawRect(QRectF(0.5, 0.5, 10, 10));
    p.drawLine(QPointF(5.5, 0.5), QPointF(5.5, 10.5));
    p.drawLine(QPointF(0.5, 5.5), QPointF(10.5, 5.5));
    p.setPen(Pen(kBlue, 1.5));
    p.drawLine(QPointF(7, 7), QPointF(12.5, 12.5));
    ArrowHead(p, QPointF(15.5, 14.5), 0.83, 0.55, 4, kBlue);
}

void MovePicture(QPainter& p) {
    p.setPen(Pen(kInk, 1.5));
    p.drawLine(QPointF(8, 3), QPointF(8, 12));
    p.drawLine(QPointF(3, 7.5), QPointF(13, 7.5));
    ArrowHead(p, QPointF(8, 0), 0, -1, 3.5, kInk);
    ArrowHead(p, QPointF(8, 15), 0, 1, 3.5, kInk);
    ArrowHead(p, QPointF(0.5, 7.5), -1, 0, 3.5, kInk);
    ArrowHead(p, QPointF(15.5, 7.5), 1, 0, 3.5, kInk);
}

void ZoomPicture(QPainter& p) {
    p.setPen(Pen(QColor(110, 70, 30), 2.5));
    p.drawLine(QPointF(10, 9.5), QPointF(14.5, 14));
    p.setPen(Pen(kInk, 1.2));
    p.setBrush(QColor(210, 235, 255));
    p.drawEllipse(QPointF(6.5, 6), 5, 5);
    p.setPen(Pen(kBlue, 1.2));
    p.drawLine(QPointF(4, 6), QPointF(9, 6));
    p.drawLine(QPointF(6.5, 3.5), QPointF(6.5, 8.5));
}

void DefaultSize(QPainter& p) {
    p.setPen(Pen(kGrid));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, 15, 14));
    p.setPen(Pen(kInk));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(4.5, 4.5, 7, 6));
}

void ActualSize(QPainter& p) {
    p.setPen(Pen(kInk));
    p.setBrush(kPaper);
    p.drawRect(QRectF(0.5, 0.5, 15, 14));
    Letter(p, QRectF(0, 0, 16, 15), QStringLiteral("1:1"), kInk, 7);
}

void Analyze(QPainter& p) {
    QPainterPath bolt;
    bolt.moveTo(9.5, 0.5);
    bolt.lineTo(2.5, 8.5);
    bolt.lineTo(7.5, 8.5);
    bolt.lineTo(5.5, 14.5);
    bolt.lineTo(13.5, 5.5);
    bolt.lineTo(8.5, 5.5);
    bolt.closeSubpath();
    p.setPen(Pen(QColor(160, 90, 0)));
    p.setBrush(QColor(255, 190, 30));
    p.drawPath(bolt);
}

void Response(QPainter& p, bool amplify) {
    // A cantilever bending more (amplify) or less (reduce).
    p.setPen(Pen(kInk));
    p.drawLine(QPointF(1, 14.5), QPointF(9, 14.5));
    QPainterPath beam;
    beam.moveTo(3, 14);
    beam.cubicTo(3, 8, amplify ? 6 : 4, 4, amplify ? 9 : 5, 1.5);
    p.setPen(Pen(kBlue, 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(beam);
    p.setPen(Pen(amplify ? kGreen : kRed, 2.0));
    p.drawLine(QPointF(10.5, 5), QPointF(15, 5));
    if (amplify) p.drawLine(QPointF(12.75, 2.75), QPointF(12.75, 7.25));
}

void Amplify(QPainter& p) {
    Response(p, true);
}
void Reduce(QPainter& p) {
    Response(p, false);
}

void SaveData(QPainter& p) {
    p.setPen(Pen(kInk));
    p.setBrush(kPaper);
    p.drawRect(QRectF(1.5, 0.5, 10, 14));
    p.setPen(Pen(kGrid));
    for (int i = 0; i < 5; ++i) p.drawLine(QPointF(3.5, 3 + 2.2 * i), QPointF(9.5, 3 + 2.2 * i));
    p.setPen(Pen(kGreen, 1.5));
    p.drawLine(QPointF(8, 10.5), QPointF(12.5, 10.5));
    ArrowHead(p, QPointF(15.5, 10.5), 1, 0, 3.5, kGreen);
}

void PrincipalStress(QPainter& p) {
    // A principal-stress cross: tension red, compression blue.
    p.setPen(Pen(kRed, 1.5));
    p.drawLine(QPointF(2.5, 12.5), QPointF(13.5, 2.5));
    p.setPen(Pen(kBlue, 1.5));
    p.drawLine(QPointF(4, 4), QPointF(12, 11));
    ArrowHead(p, QPointF(15, 1), 0.74, -0.67, 3, kRed);
    ArrowHead(p, QPointF(1, 14), -0.74, 0.67, 3, kRed);
}

void StressField(QPainter& p) {
    QLinearGradient gradient(0, 15, 16, 0);
    gradient.setColorAt(0.0, QColor(0, 0, 255));
    gradient.setColorAt(0.35, QColor(0, 220, 220));
    gradient.setColorAt(0.55, QColor(0, 200, 0));
    gradient.setColorAt(0.75, QColor(255, 230, 0));
    gradient.setColorAt(1.0, QColor(255, 0, 0));
    p.setPen(Pen(kInk));
    p.setBrush(gradient);
    p.drawRect(QRectF(0.5, 0.5, 15, 14));
}

void ResponseSetting(QPainter& p) {
    // A small floating panel: two radio buttons, the upper one chosen, and a drop-down list.
    p.setPen(Pen(kInk));
    p.setBrush(kPaper);
    p.drawRect(QRectF(0.5, 0.5, 15, 14));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(2, 2.5, 4, 4));
    p.drawEllipse(QRectF(2, 8, 4, 4));
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawEllipse(QRectF(3, 3.5, 2, 2));
    p.setPen(Pen(kGrid));
    p.drawLine(QPointF(7.5, 4.5), QPointF(13.5, 4.5));
    p.setPen(Pen(kInk));
    p.drawRect(QRectF(7.5, 8.5, 6, 3.5));
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawPolygon(QPolygonF{QPointF(10, 9.8), QPointF(13, 9.8), QPointF(11.5, 11.3)});
}

void Play(QPainter& p) {
    p.setPen(Pen(QColor(20, 110, 40)));
    p.setBrush(kGreen);
    p.drawPolygon(QPolygonF{{3.5, 1.5}, {13.5, 7.5}, {3.5, 13.5}});
}

void Pause(QPainter& p) {
    p.setPen(Pen(kInk));
    p.setBrush(QColor(90, 130, 220));
    p.drawRect(QRectF(3.5, 1.5, 3, 12));
    p.drawRect(QRectF(9.5, 1.5, 3, 12));
}

void StopRun(QPainter& p) {
    p.setPen(Pen(QColor(130, 20, 20)));
    p.setBrush(kRed);
    p.drawRect(QRectF(2.5, 2.5, 11, 10));
}

void ExportCurve(QPainter& p) {
    // A force-deformation curve on its axes, with an arrow leaving to the right.
    p.setPen(Pen(kInk));
    p.drawLine(QPointF(1.5, 0.5), QPointF(1.5, 13.5));
    p.drawLine(QPointF(1.5, 13.5), QPointF(11.5, 13.5));
    QPainterPath curve;
    curve.moveTo(1.5, 13.5);
    curve.cubicTo(3, 6, 5, 3.5, 10, 3);
    p.setPen(Pen(kBlue, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    p.setPen(Pen(kGreen, 1.5));
    p.drawLine(QPointF(8, 9), QPointF(12.5, 9));
    ArrowHead(p, QPointF(15.5, 9), 1, 0, 3.5, kGreen);
}

const std::map<int, PaintFn>& Painters() {
    static const std::map<int, PaintFn> painters = {
        {cmd::kFileNew, FileNew},
        {cmd::kFileOpen, FileOpen},
        {cmd::kFileSave, FileSave},
        {cmd::kPlanView, PlanView},
        {cmd::kView3d, View3d},
        {cmd::kAppAbout, About},
        {cmd::kClearPattern, ClearPattern},
        {cmd::kMoveUpperFloor, MoveUpper},
        {cmd::kCopyLowerPattern, CopyLower},
        {cmd::kMoveLowerFloor, MoveLower},
        {cmd::kCopyUpperPattern, CopyUpper},
        {cmd::kPointForce, PointForce},
        {cmd::kBoundaryCondition, Boundary},
        {cmd::kConcreteElement, ConcreteElement},
        {cmd::kSteelRebarElement, SteelRebar},
        {cmd::kFiberElement, FiberElement},
        {cmd::kCheckControlNode, CheckControlNode},
        {cmd::kCheckOutputElement, CheckOutputElement},
        {cmd::kXElementLength, XLength},
        {cmd::kYElementLength, YLength},
        {cmd::kFrameSize, FrameSize},
        {cmd::kMovePicture, MovePicture},
        {cmd::kZoomPicture, ZoomPicture},
        {cmd::kDefaultSize, DefaultSize},
        {cmd::kActualSize, ActualSize},
        {cmd::kAnalyze, Analyze},
        {cmd::kAmplifyResponse, Amplify},
        {cmd::kReduceResponse, Reduce},
        {cmd::kSaveData, SaveData},
        {cmd::kPrincipalStress, PrincipalStress},
        {cmd::kRenderStressField, StressField},
        {cmd::kShowResponseSetting, ResponseSetting},
        {cmd::kPlay, Play},
        {cmd::kPause, Pause},
        {cmd::kStop, StopRun},
        {cmd::kExportCurve, ExportCurve},
    };
    return painters;
}

// Paints the icon at any size; disabled icons are drawn grey and faint.
class PaintedIconEngine : public QIconEngine {
public:
    explicit PaintedIconEngine(PaintFn paint) : paint_(paint) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap image = pixmap(rect.size() * ratio, mode, state);
        image.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, image);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State /*state*/) override {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setRenderHint(QPainter::TextAntialiasing);
            p.scale(size.width() / 16.0, size.height() / 15.0);
            paint_(p);
        }
        if (mode == QIcon::Disabled) {
            for (int y = 0; y < image.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < image.width(); ++x) {
                    const QColor c = QColor::fromRgba(qUnpremultiply(line[x]));
                    const int grey = 110 + qGray(c.rgb()) / 3;
                    line[x] = qPremultiply(qRgba(grey, grey, grey, c.alpha() * 2 / 5));
                }
            }
        }
        return QPixmap::fromImage(image);
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine* clone() const override { return new PaintedIconEngine(paint_); }

private:
    PaintFn paint_;
};

} // namespace

QIcon ToolbarIcon(int id) {
    const auto it = Painters().find(id);
    if (it == Painters().end()) return QIcon();
    return QIcon(new PaintedIconEngine(it->second));
}

} // namespace torva
