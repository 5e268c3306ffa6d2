// Option ▸ Save Data Program as a user sets it: the field, Browse…, OK and Cancel, the setting it
// leaves in the settings file, and what Save Data then starts (or, with the field emptied, does not).
#include "AnalysisViewFixture.h"
#include "analysis/ExternalLauncher.h"
#include "app/SaveDataProgramDialog.h"
#include "framework/FileDialogs.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <functional>

namespace torva {
namespace {

using test::AnalysisViewTest;
using test::WallModel;

// Runs the command from the main window's menu with `user` acting on the dialog it opens.
void WithDialog(QWidget* main, int id, std::function<void(SaveDataProgramDialog&)> user, bool& seen) {
    seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<SaveDataProgramDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        seen = true;
        user(*dialog);
    });
    ASSERT_TRUE(qobject_cast<CMainFrame*>(main)->Router()->Execute(id));
}

QLineEdit* Field(const SaveDataProgramDialog& dialog) {
    return dialog.findChild<QLineEdit*>(QStringLiteral("programEdit"));
}

void Press(const SaveDataProgramDialog& dialog, QDialogButtonBox::StandardButton which) {
    dialog.findChild<QDialogButtonBox*>()->button(which)->click();
}

QString StoredProgram(const std::string& ini) {
    return QSettings(QString::fromStdString(ini), QSettings::IniFormat)
        .value(QStringLiteral("SaveData/ExternalProgram"))
        .toString();
}

TEST_F(AnalysisViewTest, TheSaveDataProgramIsSetInItsDialogKeptAndUsedAndEmptyStartsNothing) {
    StartOn(*WallModel(2, 1));
    FakeLauncher launcher;
    View()->SetLauncher(&launcher);
    const QString folder = QString::fromStdString(dir.path()) + "/export";
    ASSERT_TRUE(QDir().mkpath(folder));
    FileDialogs::SetFolderHandler([&](const QString&) { return folder; });
    ASSERT_TRUE(Run(cmd::kActualSize));
    EXPECT_TRUE(Main()->Router()->Query(cmd::kOptionSaveDataProgram).enabled);

    // Nothing set: the field is empty and Save Data starts nothing.
    ASSERT_TRUE(Run(cmd::kSaveData));
    EXPECT_TRUE(launcher.requests.empty());

    // Browse… fills the field; OK keeps it in the settings file.
    bool seen = false;
    fileAnswer = QStringLiteral("/opt/solver/run");
    WithDialog(
        Main(), cmd::kOptionSaveDataProgram,
        [](SaveDataProgramDialog& dialog) {
            EXPECT_EQ(Field(dialog)->text(), QString());
            dialog.findChild<QAbstractButton*>(QStringLiteral("browseButton"))->click();
            EXPECT_EQ(Field(dialog)->text(), QStringLiteral("/opt/solver/run"));
            Press(dialog, QDialogButtonBox::Ok);
        },
        seen);
    ASSERT_TRUE(seen);
    EXPECT_EQ(StoredProgram(dir.file("settings.ini")), QStringLiteral("/opt/solver/run"));

    // Save Data starts it in the folder it wrote to.
    ASSERT_TRUE(Run(cmd::kSaveData));
    ASSERT_EQ(launcher.requests.size(), 1u);
    EXPECT_EQ(launcher.requests[0].program, "/opt/solver/run");
    EXPECT_EQ(launcher.requests[0].folder, folder.toStdString());
    EXPECT_EQ(messages.Last(), "Wrote " + folder + "/input_data.txt.\nStarted /opt/solver/run.");

    // Typed text with blanks around it is kept without them; Cancel keeps what was there.
    WithDialog(
        Main(), cmd::kOptionSaveDataProgram,
        [](SaveDataProgramDialog& dialog) {
            EXPECT_EQ(Field(dialog)->text(), QStringLiteral("/opt/solver/run"));
            Field(dialog)->setText(QStringLiteral("/usr/bin/other"));
            Press(dialog, QDialogButtonBox::Cancel);
        },
        seen);
    ASSERT_TRUE(seen);
    EXPECT_EQ(StoredProgram(dir.file("settings.ini")), QStringLiteral("/opt/solver/run"));
    WithDialog(
        Main(), cmd::kOptionSaveDataProgram,
        [](SaveDataProgramDialog& dialog) {
            Field(dialog)->setText(QStringLiteral("  /usr/local/bin/solve  "));
            Press(dialog, QDialogButtonBox::Ok);
        },
        seen);
    EXPECT_EQ(StoredProgram(dir.file("settings.ini")), QStringLiteral("/usr/local/bin/solve"));

    // Emptied: the entry is gone and Save Data only writes the file.
    WithDialog(
        Main(), cmd::kOptionSaveDataProgram,
        [](SaveDataProgramDialog& dialog) {
            Field(dialog)->clear();
            Press(dialog, QDialogButtonBox::Ok);
        },
        seen);
    ASSERT_TRUE(seen);
    EXPECT_FALSE(QSettings(QString::fromStdString(dir.file("settings.ini")), QSettings::IniFormat)
                     .contains(QStringLiteral("SaveData/ExternalProgram")));
    launcher.requests.clear();
    ASSERT_TRUE(Run(cmd::kSaveData));
    EXPECT_TRUE(launcher.requests.empty());
    EXPECT_EQ(messages.Last(), "Wrote " + folder + "/input_data.txt.");

    FileDialogs::SetFolderHandler(nullptr);
    View()->SetLauncher(nullptr);
}

} // namespace
} // namespace torva
