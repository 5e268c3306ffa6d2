#pragma once
// The program's settings (QSettings under the organisation "Local AppWizard-Generated
// Applications") and the recent-file list of the File menu.
#include "engine/AnalysisMethod.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <memory>

namespace torva {

class Settings {
public:
    static QString Organization() { return QStringLiteral("Local AppWizard-Generated Applications"); }
    static QString ApplicationName() { return QStringLiteral("TORVA_FEM"); }
    // A settings object for the program (or the INI file set by UseFile).
    static std::unique_ptr<QSettings> Open();
    // Keeps the settings in an INI file instead (tests); an empty path restores the default.
    static void UseFile(const QString& path);

    // The method of Analyze and push-over, kept as "Analysis/Method" ("mcft" or "classic"); classic
    // when none was chosen.
    static engine::AnalysisMethod AnalysisMethod();
    static void SetAnalysisMethod(engine::AnalysisMethod method);

    // The program "Save Data" starts after writing input_data.txt, kept as "SaveData/ExternalProgram";
    // empty (the default) starts nothing. Setting it empty removes the entry.
    static QString SaveDataProgram();
    static void SetSaveDataProgram(const QString& program);

    // Where the analysis window's "Results" window was last put, kept as "Results/Place": "right" (the
    // default), "bottom", "left", "top" or "floating".
    static QString ResultsPlace();
    static void SetResultsPlace(const QString& place);
};

// The most recently used files, newest first, at most `capacity`; stored under "Recent File
// List" as File1..FileN.
class RecentFileList {
public:
    explicit RecentFileList(int capacity) : capacity_(capacity) {}

    int Capacity() const { return capacity_; }
    const QStringList& Files() const { return files_; }
    // Moves `path` (made absolute) to the front, dropping the oldest beyond the capacity.
    void Add(const QString& path);
    void Remove(int index);

    void ReadList();
    void WriteList() const;

    // Menu text of entry `index` ("&1 name", the path shortened to its file name).
    QString MenuText(int index) const;

private:
    int capacity_;
    QStringList files_;
};

} // namespace torva
