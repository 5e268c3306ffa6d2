#pragma once
// The shared design of the seven type editors: a list of the eleven types of one table (L1..L10 and
// "Ldef", the default row), value fields for the selected type, ADD (store and step to the next type,
// the default button), Copy (take the stored values of the type above), OK, and for the material
// editors a Color button with a 40 × 40 swatch at (200, 175). The dialog edits the model it is given
// (a copy the caller commits on OK); values typed and not applied are discarded on a selection change.
#include "plan/ScaledValue.h"

#include <QColor>
#include <QDialog>
#include <QRect>
#include <QString>
#include <cstdint>
#include <vector>

class QLineEdit;
class QListWidget;
class QPushButton;
class QGroupBox;

namespace torva {

class CFramePat;

// Model colours are 0x00BBGGRR.
QColor ColorFromRef(uint32_t colorRef);
uint32_t RefFromColor(const QColor& color);

// Number entry shared by the model dialogs: a stored value is shown exactly (loading and storing again
// never changes it); a typed field must hold a finite number in C notation.
QString ShownNumber(double value);
bool ParseNumber(const QString& text, double& value);
// The message that refuses a typed value, naming the field.
QString ValueProblemText(const QString& name, ValueRule rule, int scale, double typed, ValueProblem problem);

class TypeEditorDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTypeCount = 11; // L1..L10 and the default row

    int CurrentIndex() const { return curIndex_; }
    uint32_t CurrentColor() const { return color_; }
    QListWidget* List() const { return list_; }

    // The swatch rectangle, in the dialog's client coordinates.
    static QRect SwatchRect() { return QRect(200, 175, 40, 40); }

protected:
    struct Look {
        int dialogId = 0; // the dialog's resource number, kept as the property "dialogId"
        QString title;
        QString header;
        QChar letter;
        int kind = 0; // kind of typeProp and typeColor the editor works on
        bool hasColor = false;
    };
    struct Field {
        Field(int id_, QString label_, QString name_, int scale_, ValueRule rule_, int property_ = 0,
              QString suffix_ = {})
            : id(id_), label(std::move(label_)), name(std::move(name_)), scale(scale_), rule(rule_),
              property(property_), suffix(std::move(suffix_)) {}
        int id = 0;
        QString label;
        QString name; // how messages name the field
        int scale = 1;
        ValueRule rule = ValueRule::Force;
        int property = 0; // property index of typeProp (span editors: unused)
        QString suffix;   // shown right of the edit ("*1000")
        QLineEdit* edit = nullptr;
    };

    TypeEditorDialog(CFramePat& model, Look look, QWidget* parent);

    // Lays out rows of label + edit (+ suffix) inside container from (x, y); returns the bottom edge.
    int PlaceFields(QWidget* container, int x, int y, int first, int count);
    // A group box at (x, y) holding the rows of fields [first, first + count); returns the box.
    QGroupBox* PlaceGroup(const QString& title, int x, int y, int first, int count);
    void AddField(Field field) { fields_.push_back(std::move(field)); }
    // Called last in a subclass constructor: list, buttons, colour, tab order, size; loads type 1.
    void Finish();

    // Where the values live; the span editors read and write the span tables instead of typeProp.
    virtual int32_t ReadStored(int type, const Field& field) const;
    virtual void WriteStored(int type, const Field& field, int32_t value);
    // Values that are not edit fields (the boundary choice).
    virtual void LoadExtra(int /*type*/) {}
    virtual void StoreExtra(int /*type*/) {}
    virtual void CopyExtra(int /*from*/, int /*to*/) {}
    // Rules between fields, checked once every field holds a valid value (`values` are the stored
    // integers in field order): returns the message and the index of the field to correct, or an
    // empty message.
    virtual QString CheckValues(const std::vector<int32_t>& /*values*/, size_t& /*field*/) const {
        return {};
    }

    void paintEvent(QPaintEvent* event) override;

    static constexpr int kLeft = 10;
    static constexpr int kFieldsLeft = 104; // left edge of the value area, right of the list
    static constexpr int kFieldsTop = 34;
    static constexpr int kRowPitch = 28;
    static constexpr int kEditWidth = 90;

    CFramePat& model_;
    Look look_;
    std::vector<Field> fields_;

private:
    void OnSelectionChanged();
    void OnAdd();
    void OnCopy();
    void OnOk();
    void OnColor();

    // Reads every field; on a field that is not a number or out of range tells the user, focuses the
    // field and returns false (nothing is stored then).
    bool TakeValues(std::vector<int32_t>& values);
    void LoadType(int index);
    void StoreType(int index, const std::vector<int32_t>& values);
    void SelectIndex(int index);

    QListWidget* list_ = nullptr;
    QPushButton* colorButton_ = nullptr;
    int curIndex_ = 0;
    uint32_t color_ = 0;
};

} // namespace torva
