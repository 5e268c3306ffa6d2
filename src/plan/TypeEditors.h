#pragma once
// The seven type editors: the shared editor with each table's fields, scales and ranges.
#include "plan/TypeEditorDialog.h"

class QRadioButton;

namespace torva {

// Thickness, Ec, Poisson ratio and density on the left; the strengths the analysis uses (fc, ft and
// the strain at fc) in a group on the right, checked together: fc > 0, 0 <= ft < fc, strain > 0.
class CEditConcrete : public TypeEditorDialog {
    Q_OBJECT
public:
    explicit CEditConcrete(CFramePat& model, QWidget* parent = nullptr);

protected:
    QString CheckValues(const std::vector<int32_t>& values, size_t& field) const override;
};

class CEditFiber : public TypeEditorDialog {
    Q_OBJECT
public:
    explicit CEditFiber(CFramePat& model, QWidget* parent = nullptr);
};

class CEditSteel : public TypeEditorDialog {
    Q_OBJECT
public:
    explicit CEditSteel(CFramePat& model, QWidget* parent = nullptr);
};

class CEditPointForce : public TypeEditorDialog {
    Q_OBJECT
public:
    explicit CEditPointForce(CFramePat& model, QWidget* parent = nullptr);
};

// Pin (1), Roller X (2), Roller Y (3) as radio buttons, each with a picture above it.
class CEditBoundary : public TypeEditorDialog {
    Q_OBJECT
public:
    explicit CEditBoundary(CFramePat& model, QWidget* parent = nullptr);
    int Choice() const { return choice_; }

    // The picture of a support (1 pin, 2 roller in X, 3 roller in Y).
    static QPixmap SupportPicture(int choice);

protected:
    void LoadExtra(int type) override;
    void StoreExtra(int type) override;
    void CopyExtra(int from, int to) override;

private:
    int choice_ = 1;
    QRadioButton* radios_[3] = {};
};

// The lengths of the ten span types (and the default row) of one axis, in whole millimetres.
class CEditSpan : public TypeEditorDialog {
    Q_OBJECT
protected:
    CEditSpan(CFramePat& model, int axis, QWidget* parent);
    int32_t ReadStored(int type, const Field& field) const override;
    void WriteStored(int type, const Field& field, int32_t value) override;

private:
    int axis_;
};

class CEditXSpan : public CEditSpan {
    Q_OBJECT
public:
    explicit CEditXSpan(CFramePat& model, QWidget* parent = nullptr);
};

class CEditYSpan : public CEditSpan {
    Q_OBJECT
public:
    explicit CEditYSpan(CFramePat& model, QWidget* parent = nullptr);
};

} // namespace torva
