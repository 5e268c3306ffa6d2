#pragma once
// The whole desktop program started as at start-up, with settings in a temporary file and every
// message box recorded.
#include "app/MainFrame.h"
#include "app/TorvaApp.h"
#include "document/TorvaDoc.h"
#include "framework/ChildFrame.h"
#include "framework/CommandIds.h"
#include "framework/FileDialogs.h"
#include "framework/MessageService.h"
#include "framework/Settings.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <gtest/gtest.h>
#include <memory>

namespace torva::test {

inline void Flush() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

class AppTest : public testing::Test {
protected:
    void SetUp() override {
        Settings::UseFile(QString::fromStdString(dir.file("settings.ini")));
        FileDialogs::SetHandler([this](bool, const QString&) { return fileAnswer; });
    }
    void TearDown() override {
        app.reset();
        Flush();
        FileDialogs::SetHandler(nullptr);
        CTorvaDoc::SetStructureEditor(nullptr);
        CTorvaDoc::SetModelEditor(cmd::kOptionLoading, nullptr);
        Settings::UseFile(QString());
    }
    // Starts the program with the given command line (without the program name).
    void Start(const QStringList& arguments = {}) {
        app = std::make_unique<CTorvaApp>();
        ASSERT_TRUE(app->InitInstance(arguments));
        Flush();
    }
    CMainFrame* Main() const { return app->MainWindow(); }
    std::vector<ChildFrame*> Frames() const { return Main()->Children(); }
    CTorvaDoc* ActiveDoc() const {
        ChildFrame* child = Main()->ActiveChild();
        return child ? dynamic_cast<CTorvaDoc*>(child->GetActiveDocument()) : nullptr;
    }
    std::vector<Document*> Docs() const { return app->Documents(); }
    QString WriteFile(const std::string& name, const QByteArray& bytes) const {
        const QString path = QString::fromStdString(dir.file(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    TempDir dir;
    MessageRecorder messages;
    QString fileAnswer;
    std::unique_ptr<CTorvaApp> app;
};

} // namespace torva::test
