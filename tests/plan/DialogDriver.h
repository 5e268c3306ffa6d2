#pragma once
// Drives the model dialogs as a user would: controls found by their ids, real clicks and key presses.
#include "model/FramePat.h"
#include "plan/DialogControls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <cstring>
#include <gtest/gtest.h>

namespace torva::test {

template <class T> T* Control(const QWidget* dialog, int id) {
    T* control = ctl::Find<T>(dialog, id);
    EXPECT_NE(control, nullptr) << "no control " << id;
    return control;
}

inline QString Text(const QWidget* dialog, int id) {
    return Control<QLineEdit>(dialog, id)->text();
}

inline void Key(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

// Replaces the field's text key by key.
inline void Type(const QWidget* dialog, int id, const QString& text) {
    QLineEdit* edit = Control<QLineEdit>(dialog, id);
    edit->setFocus();
    edit->selectAll();
    Key(edit, Qt::Key_Delete);
    for (QChar ch : text) Key(edit, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    EXPECT_EQ(edit->text(), text);
}

inline void Click(const QWidget* dialog, int id) {
    Control<QAbstractButton>(dialog, id)->click();
}

// A mouse click on a row of the type list.
inline void ClickRow(const QWidget* dialog, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    auto* list = Control<QListWidget>(dialog, ctl::kList);
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, list->viewport()->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, modifiers);
    QMouseEvent release(QEvent::MouseButtonRelease, at, list->viewport()->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, modifiers);
    QApplication::sendEvent(list->viewport(), &press);
    QApplication::sendEvent(list->viewport(), &release);
}

inline int SelectedRow(const QWidget* dialog) {
    auto* list = Control<QListWidget>(dialog, ctl::kList);
    const auto selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

// Every field of two models, the file versions included.
inline bool SameModel(const CFramePat& a, const CFramePat& b) {
#define TORVA_SAME(field) (std::memcmp(&a.field, &b.field, sizeof a.field) == 0)
    return TORVA_SAME(curFlag) && TORVA_SAME(curType) && TORVA_SAME(layerFlag) && TORVA_SAME(layerType) &&
           TORVA_SAME(typeProp) && TORVA_SAME(typeColor) && TORVA_SAME(spanType) && TORVA_SAME(spanLength) &&
           TORVA_SAME(elementKind) && TORVA_SAME(engineFlagA) && TORVA_SAME(engineFlagB) &&
           TORVA_SAME(gravity) && TORVA_SAME(ctrlDirection) && TORVA_SAME(segmentCount) &&
           TORVA_SAME(stepsPerSegment) && TORVA_SAME(segmentPoints) && TORVA_SAME(fileVersionOut) &&
           TORVA_SAME(layersShown) && TORVA_SAME(curLayer) && TORVA_SAME(topLayer) && TORVA_SAME(nxs) &&
           TORVA_SAME(nys) && TORVA_SAME(controlNode) && TORVA_SAME(outputElements) &&
           TORVA_SAME(activeOutput) && TORVA_SAME(outputCount) && TORVA_SAME(fileVersionIn);
#undef TORVA_SAME
}

} // namespace torva::test
