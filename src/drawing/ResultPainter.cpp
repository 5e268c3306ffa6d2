#include "drawing/ResultPainter.h"

#include "analysis/ColourScale.h"
#include "analysis/OverlayText.h"
#include "drawing/Label.h"
#include "drawing/ModelMarks.h"
#include "drawing/OutOfDateNote.h"
#include "drawing/ResponseGraphs.h"
#include "drawing/StressField.h"
#include "drawing/StressLegend.h"

#include <QFontMetrics>
#include <QImage>
#include <QLine>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

namespace torva {

namespace {

const QColor kBlack(0, 0, 0);   // palette 2
const QColor kRed(255, 0, 0);   // palette 14
const QColor kGreen(0, 255, 0); // palette 6
const QColor kBlue(0, 0, 255);
constexpr int kOutOfDateNoteTop = 30;   // below the scale and step texts
constexpr double kQuarterTurn = 1.5707; // the second principal direction, as the crosses have always used

QPen Pen(const QColor& colour, int width = 1) {
    QPen pen(colour);
    pen.setWidth(width);
    return pen;
}

QPoint ToScreen(const Projection& projection, float x, float y) {
    return QPoint(TruncPixel(projection.ScreenX(x)), TruncPixel(projection.ScreenY(y)));
}

// Closed outlines of every element on one coordinate set, joined in node order.
void DrawOutlines(QPainter& painter, const MeshView& mesh, const Projection& projection, const int32_t* xs,
                  const int32_t* ys, int elements, const QColor& colour, std::vector<QLine>& lines) {
    lines.clear();
    for (int e = 0; e < elements; ++e) {
        QPoint corner[4];
        for (int c = 0; c < 4; ++c) {
            const int n = mesh.Node(e, c);
            corner[c] = ToScreen(projection, static_cast<float>(xs[n]), static_cast<float>(ys[n]));
        }
        for (int c = 0; c < 4; ++c) lines.emplace_back(corner[c], corner[(c + 1) % 4]);
    }
    painter.setPen(Pen(colour));
    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
}

void DrawGlyphs(QPainter& painter, const PaintInput& in, int elements, std::vector<QLine>& tension,
                std::vector<QLine>& compression) {
    const AnalysisScene& scene = *in.scene;
    const Projection& projection = scene.projection;
    const float pixelsPerMm = projection.baseScale * in.state->glyphFactor * projection.zoom;
    tension.clear();
    compression.clear();
    // A line of length 0 draws nothing (a cross in uniaxial stress shows a single line).
    auto add = [&](QPoint centre, QPoint half, int signedLength) {
        if (half.isNull()) return;
        (signedLength > 0 ? tension : compression).emplace_back(centre - half, centre + half);
    };
    for (int e = 0; e < elements; ++e) {
        if (in.mesh.elemDiscrete[e] != 0) continue;
        for (int g = 0; g < AnalysisScene::kGaussPoints; ++g) {
            int x = 0, y = 0;
            scene.GaussPointPosition(in.mesh, e, g, x, y);
            const QPoint centre = ToScreen(projection, static_cast<float>(x), static_cast<float>(y));
            const int at = AnalysisScene::GlyphIndex(e, g);
            const float theta = scene.shownGauss[AnalysisScene::GaussIndex(e, g) + 2];
            const GlyphLines glyph = PrincipalGlyph(scene.glyph[at], scene.glyph[at + 1], theta, pixelsPerMm);
            add(centre, glyph.half1, glyph.a1);
            add(centre, glyph.half2, glyph.a2);
        }
    }
    painter.setPen(Pen(kBlue));
    painter.drawLines(tension.data(), static_cast<int>(tension.size()));
    painter.setPen(Pen(kRed));
    painter.drawLines(compression.data(), static_cast<int>(compression.size()));
}

void DrawLegend(QPainter& painter, const ColourScale& colours) {
    for (int i = 0; i < colours.Count(); ++i) {
        const Rgb8 c = colours.LegendColour(i);
        painter.fillRect(
            QRect(ColourScale::kLegendX, ColourScale::kLegendTop + i, ColourScale::kLegendWidth, 1),
            QColor(c.r, c.g, c.b));
    }
    // The minimum ends just above the red end of the bar, the maximum starts just below the other end,
    // so neither hides a colour.
    DrawLabel(painter, ColourScale::kLoTextX, ColourScale::kLoTextY, QString::fromStdString(colours.LoText()),
              kBlack, true, /*above*/ true);
    DrawLabel(painter, ColourScale::kHiTextX, ColourScale::kHiTextY, QString::fromStdString(colours.HiText()),
              kBlack);
}

void DrawLoadArrows(QPainter& painter, const PaintInput& in, int plotHeight, bool displayed,
                    std::vector<QLine>& lines) {
    const AnalysisScene& scene = *in.scene;
    const int32_t* xs = displayed ? scene.shownX.data() : in.mesh.nodeX;
    const int32_t* ys = displayed ? scene.shownY.data() : in.mesh.nodeY;
    lines.clear();
    for (int i = 0; i < in.loads.count; ++i) {
        const int n = in.loads.node[i];
        if (n < 0 || n >= in.mesh.nodeCount) continue;
        if (in.loads.fx[i] == 0 && in.loads.fy[i] == 0) continue; // nothing to point at
        const QPoint tip = ToScreen(scene.projection, static_cast<float>(xs[n]), static_cast<float>(ys[n]));
        const ArrowLines arrow = LoadArrow(in.loads.fx[i], in.loads.fy[i], tip, plotHeight);
        lines.emplace_back(arrow.tail, tip);
        lines.emplace_back(tip, arrow.barb1);
        lines.emplace_back(tip, arrow.barb2);
    }
    painter.setPen(Pen(kGreen, 2));
    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
}

// Supports, the control node and the output elements at the nodes as drawn.
void DrawModelMarks(QPainter& painter, const PaintInput& in, bool displayed) {
    const AnalysisScene& scene = *in.scene;
    const int32_t* xs = displayed ? scene.shownX.data() : in.mesh.nodeX;
    const int32_t* ys = displayed ? scene.shownY.data() : in.mesh.nodeY;
    std::vector<QPoint> pixels(size_t(std::max(0, in.mesh.nodeCount)));
    for (size_t k = 0; k < pixels.size(); ++k)
        pixels[k] = ToScreen(scene.projection, static_cast<float>(xs[k]), static_cast<float>(ys[k]));
    ModelMarks::Paint(painter, in.marks, in.mesh, AnalysisScene::OutputElementOf(in.mesh), pixels);
}

// Right-aligned at the top right, clear of the step count and progress bar of a push-over.
void DrawScaleText(QPainter& painter, int width, const QString& text) {
    const QFontMetrics metrics(DrawingFont());
    DrawLabel(painter, width - 8 - metrics.horizontalAdvance(text), kOverlayTextY, text, kBlack);
}

void DrawAxesGlyph(QPainter& painter) {
    painter.save();
    painter.translate(20, 20);
    painter.setPen(Pen(kBlack));
    const QLine lines[] = {
        {0, 0, 30, 0},   {30, 0, 25, -5}, {30, 0, 25, 5}, // x axis
        {0, 0, 0, 30},   {0, 30, -5, 25}, {0, 30, 5, 25}, // y axis
        {35, 5, 45, -5}, {45, 5, 35, -5},                 // X
        {0, 45, 0, 40},  {0, 40, -5, 35}, {0, 40, 5, 35}, // Y
    };
    painter.drawLines(lines, static_cast<int>(std::size(lines)));
    painter.restore();
}

void DrawProgressBar(QPainter& painter, int width, int step, long long total) {
    painter.fillRect(QRect(QPoint(width - 300, 25), QPoint(width - 221, 34)), kBlack);
    if (total <= 0) return; // a run without steps has no progress to show
    const long long done = static_cast<long long>(step) * 80 / total;
    const int right = width - 300 + static_cast<int>(std::clamp(done, -1000000LL, 1000000LL));
    if (right > width - 300) painter.fillRect(QRect(QPoint(width - 300, 25), QPoint(right - 1, 34)), kBlue);
}

} // namespace

GlyphLines PrincipalGlyph(float l1, float l2, float theta, float pixelsPerMm) {
    GlyphLines glyph;
    glyph.a1 = TruncPixel(l1);
    glyph.a2 = TruncPixel(l2);
    if (glyph.a1 == 0 && glyph.a2 == 0) return glyph;
    // In double precision, as theta + 1.5707 is a double sum. The direction across comes from the
    // angle-sum rule, which saves a second trigonometric call per cross (they dominate a repaint).
    static const double kCosQuarter = std::cos(kQuarterTurn);
    static const double kSinQuarter = std::sin(kQuarterTurn);
    const double c = std::cos(static_cast<double>(theta));
    const double s = std::sin(static_cast<double>(theta));
    auto half = [pixelsPerMm](double cosine, double sine, int length) {
        const double magnitude = std::abs(length);
        const int hx = TruncPixel(cosine * magnitude);
        const int hy = TruncPixel(sine * magnitude);
        return QPoint(TruncPixel(static_cast<float>(hx) * pixelsPerMm),
                      TruncPixel(static_cast<float>(hy) * pixelsPerMm));
    };
    glyph.half1 = half(c, s, glyph.a1);
    glyph.half2 = half(c * kCosQuarter - s * kSinQuarter, s * kCosQuarter + c * kSinQuarter, glyph.a2);
    return glyph;
}

ArrowLines LoadArrow(int fx, int fy, QPoint tip, int plotHeight) {
    // A zero force has no direction: no arrow, every line shrinks to the tip.
    if (fx == 0 && fy == 0) return {tip, tip, tip};
    const double phi = std::atan2(double(fy), double(fx));
    const double c = std::cos(phi), s = std::sin(phi);
    const int shaft = plotHeight / 20;
    const int barb = plotHeight / 60;
    // A point (x, y) of the arrow's own frame (x along the force, tip at 0) on the screen.
    auto place = [&](int x, int y) {
        return tip + QPoint(TruncPixel(x * c - y * s), TruncPixel(x * s + y * c));
    };
    return {place(-shaft, 0), place(-barb, -barb), place(-barb, barb)};
}

void PaintAnalysis(QPainter& painter, const PaintInput& in, QSize /*client: the prepared bands fill it*/) {
    const AnalysisScene& scene = *in.scene;
    const AnalysisState& state = *in.state;
    const ViewControl& view = *in.view;
    const PaintBands bands = scene.projection.Bands();
    const int width = bands.plot.width;
    const int plotHeight = bands.plot.height;
    const int elements = std::clamp(in.mesh.elementCount, 0, AnalysisScene::kElementCapacity);
    const bool done = state.analysisDone == 1;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);

    // The plot: everything in it stays inside it.
    const QRect plot(0, 0, width, plotHeight);
    painter.setClipRect(plot);
    painter.fillRect(plot, Qt::white);

    std::vector<QLine> lines, more;
    lines.reserve(4 * static_cast<size_t>(elements));
    DrawOutlines(painter, in.mesh, scene.projection, in.mesh.nodeX, in.mesh.nodeY, elements, kBlack, lines);
    if (done) {
        DrawOutlines(painter, in.mesh, scene.projection, scene.shownX.data(), scene.shownY.data(), elements,
                     kRed, lines);
        if (view.showPrincipal == 1) DrawGlyphs(painter, in, elements, lines, more);
    }
    if (ShouldRenderStressField(state, view)) {
        std::vector<StressSample> samples;
        scene.CollectStressSamples(in.mesh, samples);
        StressField field;
        field.Render(painter, samples, scene.projection, *in.colours);
    }
    if (view.readingAids)
        StressLegend::Paint(painter, *in.colours, done, plotHeight);
    else
        DrawLegend(painter, *in.colours);
    DrawLoadArrows(painter, in, plotHeight, done, lines);
    if (view.readingAids) DrawModelMarks(painter, in, done);
    DrawAxesGlyph(painter);
    if (view.readingAids)
        DrawScaleText(painter, width,
                      QString::fromUtf8(ScaleText(view.multiplier, done ? scene.automaticScale : 0.0f)));
    else
        DrawLabel(painter, width - kAmpTextRightOffset, kOverlayTextY,
                  QString::fromStdString(AmpText(state.responseScale)), kBlack);
    // Results of an earlier model are not drawn (done is false); the note says why.
    const bool outOfDate = state.resultsOutOfDate == 1;
    if (outOfDate)
        PaintOutOfDateNote(painter, QRect(Projection::kMarginLeft, kOutOfDateNoteTop,
                                          width - Projection::kMarginLeft - Projection::kMarginRight,
                                          kOutOfDateNoteHeight));
    const bool pushover = state.analysisMode == AnalysisState::kPushoverMode;
    if (pushover) {
        DrawProgressBar(painter, width, state.stepCounter, state.StepTotal());
        DrawLabel(painter, width - kStepTextRightOffset, kOverlayTextY,
                  QString::fromStdString(StepText(state.stepCounter, state.StepTotal())), kBlack);
    }

    // The black bar and the response strip below the plot.
    painter.setClipping(false);
    painter.fillRect(QRect(bands.bar.x, bands.bar.y, bands.bar.width, bands.bar.height), Qt::black);
    const QRect strip(bands.graph.x, bands.graph.y, bands.graph.width, bands.graph.height);
    painter.fillRect(strip, Qt::white);
    if (pushover && !outOfDate) {
        painter.setClipRect(strip);
        painter.translate(strip.topLeft());
        GraphInput graph;
        graph.analysisMode = state.analysisMode;
        graph.kind = scene.viewKind;
        graph.width = width;
        graph.histories.control = scene.controlHistory.data();
        for (int q = 0; q < AnalysisScene::kOutputQuantities; ++q) {
            graph.histories.gauss[q] = scene.outputGaussHistory[q].data();
            graph.histories.discrete[q] = scene.outputDiscreteHistory[q].data();
        }
        // Row s holds step s: the curve runs from the unloaded origin through the steps read so far.
        graph.firstRow = 1;
        graph.count = std::clamp(state.stepCounter, 0, AnalysisScene::kHistoryRows - 1);
        if (view.readingAids) {
            graph.curve = scene.graphCurve;
            graph.axes = &scene.graphAxes;
            // The output element whose histories the scene holds, for the title or the hint.
            OutputElementTitle& output = graph.output;
            output.known = true;
            output.element = AnalysisScene::OutputElementOf(in.mesh);
            if (output.element >= 0) {
                const int first = in.mesh.Node(output.element, 0);
                output.number = in.mesh.elemOutputNo[output.element];
                output.discrete = in.mesh.elemDiscrete[output.element];
                output.x = in.mesh.nodeX[first];
                output.y = in.mesh.nodeY[first];
            }
        }
        ResponseGraphs::Draw(painter, graph, scene.graphCounterX, scene.graphCounterY);
    }
    painter.restore();
}

QImage RenderAnalysis(const PaintInput& input, QSize client) {
    QImage image(client, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintAnalysis(painter, input, client);
    painter.end();
    return image;
}

} // namespace torva
