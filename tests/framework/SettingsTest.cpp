// The recent-file list: newest first, four entries, no duplicates, kept in the settings; the analysis
// method kept beside it.
#include "framework/Settings.h"

#include "support/TempDir.h"

#include <QSettings>
#include <gtest/gtest.h>

namespace torva {
namespace {

class SettingsFile : public testing::Test {
protected:
    void SetUp() override { Settings::UseFile(QString::fromStdString(dir.file("settings.ini"))); }
    void TearDown() override { Settings::UseFile(QString()); }
    test::TempDir dir;
};

TEST_F(SettingsFile, RecentFilesKeepTheNewestFourWithoutDuplicates) {
    RecentFileList list(4);
    for (const char* name : {"/m/a.fem", "/m/b.fem", "/m/c.fem", "/m/d.fem", "/m/e.fem"}) list.Add(name);
    EXPECT_EQ(list.Files(), (QStringList{"/m/e.fem", "/m/d.fem", "/m/c.fem", "/m/b.fem"}));
    list.Add("/m/c.fem");
    EXPECT_EQ(list.Files(), (QStringList{"/m/c.fem", "/m/e.fem", "/m/d.fem", "/m/b.fem"}));
    list.Remove(1);
    list.Remove(9); // out of range: nothing
    EXPECT_EQ(list.Files(), (QStringList{"/m/c.fem", "/m/d.fem", "/m/b.fem"}));
    EXPECT_EQ(list.MenuText(0), "&1 c.fem");
    EXPECT_EQ(list.MenuText(3), "");
}

TEST_F(SettingsFile, RecentFilesPersistAndShrinkingClearsOldKeys) {
    {
        RecentFileList list(4);
        for (const char* name : {"/m/a.fem", "/m/b & c.fem", "/m/d.fem"}) list.Add(name);
        list.WriteList();
    }
    RecentFileList again(4);
    again.ReadList();
    EXPECT_EQ(again.Files(), (QStringList{"/m/d.fem", "/m/b & c.fem", "/m/a.fem"}));
    EXPECT_EQ(again.MenuText(1), "&2 b && c.fem"); // "&" is not a mnemonic

    again.Remove(0);
    again.Remove(0);
    again.WriteList();
    auto settings = Settings::Open();
    EXPECT_EQ(settings->value("Recent File List/File1").toString(), "/m/a.fem");
    EXPECT_FALSE(settings->contains("Recent File List/File2"));
    EXPECT_FALSE(settings->contains("Recent File List/File3"));
}

TEST(Settings, ProgramSettingsLiveUnderTheWizardOrganisation) {
    auto settings = Settings::Open();
    EXPECT_EQ(settings->organizationName(), "Local AppWizard-Generated Applications");
    EXPECT_EQ(settings->applicationName(), "TORVA_FEM");
}

TEST_F(SettingsFile, TheAnalysisMethodIsClassicUntilChosenAndPersists) {
    EXPECT_EQ(Settings::AnalysisMethod(), engine::AnalysisMethod::Classic);
    Settings::SetAnalysisMethod(engine::AnalysisMethod::Mcft);
    EXPECT_EQ(Settings::AnalysisMethod(), engine::AnalysisMethod::Mcft);
    EXPECT_EQ(QSettings(QString::fromStdString(dir.file("settings.ini")), QSettings::IniFormat)
                  .value("Analysis/Method")
                  .toString(),
              "mcft");
    Settings::SetAnalysisMethod(engine::AnalysisMethod::Classic);
    EXPECT_EQ(Settings::AnalysisMethod(), engine::AnalysisMethod::Classic);
    // A value this program never writes is the default method.
    {
        QSettings file(QString::fromStdString(dir.file("settings.ini")), QSettings::IniFormat);
        file.setValue("Analysis/Method", "newton");
    }
    EXPECT_EQ(Settings::AnalysisMethod(), engine::AnalysisMethod::Classic);
}

} // namespace
} // namespace torva
