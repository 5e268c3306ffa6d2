#pragma once
// The small model dialogs: the Frame editor (grid size, optionally clearing the model), the structure
// options (element formulation, gravity), the two YES/NO confirmations and the modeless WAIT window.
#include <QDialog>

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace torva {

class CFramePat;

// A YES/NO question with its own title; YES accepts, NO (and the close box) rejects.
class ConfirmDialog : public QDialog {
    Q_OBJECT
public:
    ConfirmDialog(const QString& title, const QString& text, QWidget* parent);
    // Asks through the message service (so a test recorder can answer); true on YES.
    static bool Ask(const QString& title, const QString& text, QWidget* parent);
};

class CDefaultMember : public ConfirmDialog {
    Q_OBJECT
public:
    static QString Text();
    static QString Title() { return tr("Default Values"); }
    explicit CDefaultMember(QWidget* parent = nullptr) : ConfirmDialog(Title(), Text(), parent) {
        setProperty("dialogId", 153);
    }
    static bool Confirm(QWidget* parent) { return Ask(Title(), Text(), parent); }
};

class CInitializeBuilding : public ConfirmDialog {
    Q_OBJECT
public:
    static QString Text();
    static QString Title() { return tr("Frame Size"); }
    explicit CInitializeBuilding(QWidget* parent = nullptr) : ConfirmDialog(Title(), Text(), parent) {
        setProperty("dialogId", 184);
    }
    static bool Confirm(QWidget* parent) { return Ask(Title(), Text(), parent); }
};

// Number of elements in X and Y, 1..60 each. OK sets nxs/nys and, if the user agrees, resets the rest
// of the model; positions beyond a smaller grid stay stored and come back when it grows again.
class CEditFrame : public QDialog {
    Q_OBJECT
public:
    explicit CEditFrame(CFramePat& model, QWidget* parent = nullptr);

private:
    void OnOk();

    CFramePat& model_;
    QComboBox* xBox_ = nullptr;
    QComboBox* yBox_ = nullptr;
};

// Element formulation (1 plain, 2 with incompatible modes) and gravity in m/sec2.
class CEditOptionStructure : public QDialog {
    Q_OBJECT
public:
    explicit CEditOptionStructure(CFramePat& model, QWidget* parent = nullptr);
    int Choice() const { return choice_; }

private:
    void OnOk();

    CFramePat& model_;
    int choice_ = 1;
    QRadioButton* plain_ = nullptr;
    QRadioButton* incompatible_ = nullptr;
    QLineEdit* gravity_ = nullptr;
};

// The modeless "WAIT" window: created hidden with its owner; show it before a long operation and hide
// it afterwards. Present() shows it and paints it at once, as nothing else gets painted meanwhile.
class BusyDialog : public QDialog {
    Q_OBJECT
public:
    explicit BusyDialog(QWidget* parent = nullptr);
    void Present();
};

} // namespace torva
