#pragma once
// Small documents, views and frames for the framework tests.
#include "framework/Archive.h"
#include "framework/ChildFrame.h"
#include "framework/Document.h"
#include "framework/View.h"

#include <QCoreApplication>
#include <QFile>
#include <QWidget>

namespace torva::test {

// Runs the deferred deletions and queued calls (posted close requests) now.
inline void Flush() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// A document holding one number, stored as text; refuses files that do not start with "N=".
class NumberDoc : public Document {
public:
    int value = 0;
    int contentsDeleted = 0;

    void DeleteContents() override {
        value = 0;
        ++contentsDeleted;
    }
    void Serialize(Archive& archive) override {
        QFile file(archive.Path());
        if (archive.IsStoring()) {
            if (!file.open(QIODevice::WriteOnly))
                return archive.Fail("Failed to save document.", archive.Path());
            file.write("N=" + QByteArray::number(value));
            return;
        }
        if (!file.open(QIODevice::ReadOnly)) return archive.Fail("Failed to open document.", archive.Path());
        const QByteArray text = file.readAll();
        if (!text.startsWith("N="))
            return archive.Fail("Unexpected file format.", archive.Path() + ": no N=");
        value = text.mid(2).toInt();
    }
};

// A view that records its updates and handles one command of its own.
class RecordingView : public QWidget, public View {
public:
    static constexpr int kOwnCommand = 40001;
    int initialUpdates = 0;
    int updates = 0;
    View* lastSender = nullptr;
    int lastHint = -1;
    int commands = 0;

    QWidget* Widget() override { return this; }
    void OnInitialUpdate() override { ++initialUpdates; }
    void OnUpdate(View* sender, int hint) override {
        ++updates;
        lastSender = sender;
        lastHint = hint;
    }
    bool OnCommand(int id) override {
        if (id != kOwnCommand) return false;
        ++commands;
        return true;
    }
    bool OnUpdateCommand(int id, CommandState& state) override {
        if (id != kOwnCommand) return false;
        state.enabled = true;
        return true;
    }
};

// A frame whose creation can be made to fail.
class TestFrame : public ChildFrame {
public:
    static inline bool failCreate = false;
    bool OnCreate() override { return !failCreate; }
    QRect InitialGeometry() const override { return QRect(5, 6, 300, 200); }
};

} // namespace torva::test
