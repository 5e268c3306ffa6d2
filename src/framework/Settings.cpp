#include "framework/Settings.h"

#include "analysis/MethodNames.h"

#include <QDir>
#include <QFileInfo>

namespace torva {
namespace {

QString& FileStorage() {
    static QString file;
    return file;
}

const QString kRecentGroup = QStringLiteral("Recent File List");
const QString kMethodKey = QStringLiteral("Analysis/Method");
const QString kSaveDataProgramKey = QStringLiteral("SaveData/ExternalProgram");
const QString kResultsPlaceKey = QStringLiteral("Results/Place");

} // namespace

std::unique_ptr<QSettings> Settings::Open() {
    if (!FileStorage().isEmpty()) return std::make_unique<QSettings>(FileStorage(), QSettings::IniFormat);
    return std::make_unique<QSettings>(Organization(), ApplicationName());
}

void Settings::UseFile(const QString& path) {
    FileStorage() = path;
}

engine::AnalysisMethod Settings::AnalysisMethod() {
    return MethodFromKey(Open()->value(kMethodKey).toString().toStdString());
}

void Settings::SetAnalysisMethod(engine::AnalysisMethod method) {
    auto settings = Open();
    settings->setValue(kMethodKey, QString::fromLatin1(MethodKey(method)));
    settings->sync();
}

QString Settings::ResultsPlace() {
    return Open()->value(kResultsPlaceKey, QStringLiteral("right")).toString();
}

void Settings::SetResultsPlace(const QString& place) {
    auto settings = Open();
    settings->setValue(kResultsPlaceKey, place);
    settings->sync();
}

QString Settings::SaveDataProgram() {
    return Open()->value(kSaveDataProgramKey).toString();
}

void Settings::SetSaveDataProgram(const QString& program) {
    auto settings = Open();
    if (program.isEmpty())
        settings->remove(kSaveDataProgramKey);
    else
        settings->setValue(kSaveDataProgramKey, program);
    settings->sync();
}

void RecentFileList::Add(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    files_.removeAll(absolute);
    files_.prepend(absolute);
    while (files_.size() > capacity_) files_.removeLast();
}

void RecentFileList::Remove(int index) {
    if (index >= 0 && index < files_.size()) files_.removeAt(index);
}

void RecentFileList::ReadList() {
    files_.clear();
    auto settings = Settings::Open();
    settings->beginGroup(kRecentGroup);
    for (int i = 1; i <= capacity_; ++i) {
        const QString file = settings->value(QStringLiteral("File%1").arg(i)).toString();
        if (!file.isEmpty() && !files_.contains(file)) files_.push_back(file);
    }
}

void RecentFileList::WriteList() const {
    auto settings = Settings::Open();
    settings->beginGroup(kRecentGroup);
    for (int i = 1; i <= capacity_; ++i) {
        const QString key = QStringLiteral("File%1").arg(i);
        if (i <= files_.size())
            settings->setValue(key, files_[i - 1]);
        else
            settings->remove(key);
    }
    settings->sync();
}

QString RecentFileList::MenuText(int index) const {
    if (index < 0 || index >= files_.size()) return QString();
    QString name = QFileInfo(files_[index]).fileName();
    name.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(name);
}

} // namespace torva
