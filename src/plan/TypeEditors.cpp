#include "plan/TypeEditors.h"

#include "model/FramePat.h"
#include "plan/DialogControls.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QRadioButton>

namespace torva {

// Concrete: the analysis divides by the thickness and the modulus, so both must be at least one unit.
CEditConcrete::CEditConcrete(CFramePat& model, QWidget* parent)
    : TypeEditorDialog(model, {181, tr("Element Editor"), tr("ELEMENT"), QChar('E'), kConcreteLayer, true},
                       parent) {
    AddField({ctl::kThickness, tr("Thickness (mm)"), {}, 100, ValueRule::Positive, 0});
    AddField({ctl::kModulus,
              tr("Modulus of Elasticity : Ec (N/mm2)"),
              {},
              1,
              ValueRule::Positive,
              1,
              QStringLiteral("*1000")});
    AddField({ctl::kPoisson, tr("Poisson Ratio"), {}, 10000, ValueRule::Poisson, 2});
    AddField({ctl::kDensity, tr("Density (kg/m3)"), {}, 100, ValueRule::NonNegative, 3});
    // Properties 4..6: fc and ft ×100, the strain at fc ×10000 (so ‰ ×10).
    AddField({ctl::kCompressiveStrength, tr("Compressive Strength : fc (N/mm2)"), tr("Compressive strength"),
              100, ValueRule::Positive, 4});
    AddField({ctl::kTensileStrength, tr("Tensile Strength : ft (N/mm2)"), tr("Tensile strength"), 100,
              ValueRule::NonNegative, 5});
    AddField({ctl::kPeakStrain, tr("Strain at fc (\u2030)"), tr("Strain at fc"), 10, ValueRule::Positive, 6});
    PlaceFields(this, kFieldsLeft, kFieldsTop, 0, 4);
    PlaceGroup(tr("Strength"), childrenRect().right() + 16, kFieldsTop - 6, 4, 3);
    Finish();
}

QString CEditConcrete::CheckValues(const std::vector<int32_t>& values, size_t& field) const {
    // fc and ft share their scale, so the stored integers compare as the typed values do.
    if (values[5] >= values[4]) {
        field = 5;
        return tr("Tensile strength must be less than the compressive strength (%1 N/mm2).")
            .arg(ShownNumber(ToShown(values[4], 100)));
    }
    return {};
}

// Fibre sheets are stored and sent but not analysed: zero is a usable value everywhere.
CEditFiber::CEditFiber(CFramePat& model, QWidget* parent)
    : TypeEditorDialog(
          model, {190, tr("Fiber Sheet Editor"), tr("FIBER SHEET"), QChar('F'), kFibreLayer, true}, parent) {
    AddField({ctl::kThickness, tr("Thickness (mm)"), {}, 100, ValueRule::NonNegative, 0});
    AddField({ctl::kModulus,
              tr("Modulus of Elasticity : Ef (N/mm2)"),
              {},
              1,
              ValueRule::NonNegative,
              1,
              QStringLiteral("*1000")});
    AddField({ctl::kPoisson, tr("Poisson Ratio"), {}, 10000, ValueRule::Poisson, 2});
    AddField({ctl::kDensity, tr("Density (kg/m3)"), {}, 100, ValueRule::NonNegative, 3});
    AddField({ctl::kTension, tr("Tension Strength : Ft (N/mm2)"), {}, 100, ValueRule::NonNegative, 4});
    PlaceFields(this, kFieldsLeft, kFieldsTop, 0, 5);
    Finish();
}

// Rebar: the ratio divides the area by the spacing and the yield strain divides by Es.
CEditSteel::CEditSteel(CFramePat& model, QWidget* parent)
    : TypeEditorDialog(model, {191, tr("Steel Editor"), tr("STEEL REBAR"), QChar('S'), kRebarLayer, true},
                       parent) {
    const int ids[2][3] = {{ctl::kAreaX, ctl::kSpaceX, ctl::kYieldX},
                           {ctl::kAreaY, ctl::kSpaceY, ctl::kYieldY}};
    const QString groups[2] = {tr("X-Rebar"), tr("Y-Rebar")};
    for (int axis = 0; axis < 2; ++axis) {
        const QString& group = groups[axis];
        const int base = 3 * axis;
        AddField({ids[axis][0], tr("Area (mm2)"), group + ' ' + tr("Area (mm2)"), 100, ValueRule::NonNegative,
                  base});
        AddField({ids[axis][1], tr("Space (mm)"), group + ' ' + tr("Space (mm)"), 100, ValueRule::Positive,
                  base + 1});
        AddField({ids[axis][2], tr("Yield Strength (N/mm2)"), group + ' ' + tr("Yield Strength (N/mm2)"), 100,
                  ValueRule::NonNegative, base + 2});
    }
    AddField({ctl::kRebarModulus,
              tr("Modulus of Elasticity : Es (N/mm2)"),
              {},
              1,
              ValueRule::Positive,
              6,
              QStringLiteral("*1000")});

    QGroupBox* x = PlaceGroup(groups[0], kFieldsLeft, kFieldsTop - 6, 0, 3);
    QGroupBox* y = PlaceGroup(groups[1], x->geometry().right() + 11, kFieldsTop - 6, 3, 3);
    y->resize(x->size().expandedTo(y->size()));
    PlaceFields(this, kFieldsLeft, x->geometry().bottom() + 9, 6, 1);
    Finish();
}

// Forces may be negative; they round symmetrically about zero.
CEditPointForce::CEditPointForce(CFramePat& model, QWidget* parent)
    : TypeEditorDialog(
          model, {192, tr("Point Force Editor"), tr("POINT FORCE"), QChar('P'), kPointForceLayer, false},
          parent) {
    AddField({ctl::kForceX, tr("X (N)"), tr("Force X (N)"), 100, ValueRule::Force, 0});
    AddField({ctl::kForceY, tr("Y (N)"), tr("Force Y (N)"), 100, ValueRule::Force, 1});
    PlaceGroup(tr("Force"), kFieldsLeft, kFieldsTop - 6, 0, 2);
    Finish();
}

CEditBoundary::CEditBoundary(CFramePat& model, QWidget* parent)
    : TypeEditorDialog(
          model,
          {193, tr("Boundary Condition Editor"), tr("BOUNDARY CONDITION"), QChar('B'), kBoundaryLayer, false},
          parent) {
    const int ids[3] = {ctl::kPin, ctl::kRollerX, ctl::kRollerY};
    const QString texts[3] = {tr("Pin"), tr("Roller X"), tr("Roller Y")};
    auto* group = new QButtonGroup(this);
    constexpr int kColumn = 92, kPicture = 64;
    for (int i = 0; i < 3; ++i) {
        const int x = kFieldsLeft + 6 + i * kColumn;
        auto* picture = new QLabel(this);
        picture->setPixmap(SupportPicture(i + 1));
        picture->setGeometry(x, kFieldsTop + 8, kPicture, kPicture);
        radios_[i] = new QRadioButton(texts[i], this);
        ctl::SetControlId(radios_[i], ids[i]);
        radios_[i]->move(x, kFieldsTop + 8 + kPicture + 8);
        radios_[i]->adjustSize();
        group->addButton(radios_[i], i + 1);
    }
    // Toggled rather than clicked, so that arrow keys moving through the buttons count as well.
    connect(group, &QButtonGroup::idToggled, this, [this](int choice, bool checked) {
        if (!checked) return;
        choice_ = choice;
        update();
    });
    Finish();
}

void CEditBoundary::LoadExtra(int type) {
    const int32_t stored = model_.Prop(kBoundaryLayer, type, 0);
    choice_ = stored == 2 || stored == 3 ? stored : 1; // 0 (and anything unknown) is a pin
    radios_[choice_ - 1]->setChecked(true);
}

void CEditBoundary::StoreExtra(int type) {
    model_.Prop(kBoundaryLayer, type, 0) = choice_;
}

void CEditBoundary::CopyExtra(int from, int to) {
    model_.Prop(kBoundaryLayer, to, 0) = model_.Prop(kBoundaryLayer, from, 0);
}

QPixmap CEditBoundary::SupportPicture(int choice) {
    constexpr int kSize = 64;
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.5));
    painter.drawRect(QRectF(0.5, 0.5, kSize - 1, kSize - 1));

    // Drawn for a support under a node; the roller in Y is the same turned a quarter, against a wall.
    if (choice == 3) {
        painter.translate(kSize, 0);
        painter.rotate(90);
    }
    const QPointF node(32, 14);
    QPainterPath triangle;
    triangle.moveTo(node);
    triangle.lineTo(20, 36);
    triangle.lineTo(44, 36);
    triangle.closeSubpath();
    painter.setBrush(QColor(0xE0, 0xE0, 0xE0));
    painter.drawPath(triangle);
    painter.setBrush(Qt::black);
    painter.drawEllipse(node, 3, 3);

    double ground = 40;
    if (choice == 2 || choice == 3) {
        painter.setBrush(Qt::white);
        for (double cx : {24.0, 40.0}) painter.drawEllipse(QPointF(cx, 41), 5, 5);
        ground = 46;
    }
    painter.drawLine(QPointF(10, ground), QPointF(54, ground));
    painter.setPen(QPen(Qt::black, 1));
    for (double x = 14; x <= 54; x += 8) painter.drawLine(QPointF(x, ground), QPointF(x - 6, ground + 7));
    return pixmap;
}

CEditSpan::CEditSpan(CFramePat& model, int axis, QWidget* parent)
    : TypeEditorDialog(
          model,
          {axis == kAxisX ? 194 : 195, axis == kAxisX ? tr("X Span Editor") : tr("Y Span Editor"),
           axis == kAxisX ? tr("X Span") : tr("Y Span"), QChar(axis == kAxisX ? 'X' : 'Y'), 0, false},
          parent),
      axis_(axis) {
    if (axis == kAxisX)
        AddField({ctl::kSpanX, tr("X (mm)"), tr("X span length (mm)"), 1, ValueRule::SpanLength});
    else
        AddField({ctl::kSpanY, tr("Y (mm)"), tr("Y span length (mm)"), 1, ValueRule::SpanLength});
    PlaceFields(this, kFieldsLeft, kFieldsTop, 0, 1);
    Finish();
}

int32_t CEditSpan::ReadStored(int type, const Field&) const {
    return model_.SpanLengthOf(axis_, type);
}

void CEditSpan::WriteStored(int type, const Field&, int32_t value) {
    model_.SpanLengthOf(axis_, type) = static_cast<uint16_t>(value); // checked to 0..65535 on entry
}

CEditXSpan::CEditXSpan(CFramePat& model, QWidget* parent) : CEditSpan(model, kAxisX, parent) {}

CEditYSpan::CEditYSpan(CFramePat& model, QWidget* parent) : CEditSpan(model, kAxisY, parent) {}

} // namespace torva
