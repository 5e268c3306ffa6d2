#pragma once
// File-name prompts of Open and Save As. Tests install a handler that answers instead of a dialog.
#include <QString>
#include <functional>

class QWidget;

namespace torva {

class FileDialogs {
public:
    // An existing file to open, or an empty string when cancelled.
    static QString OpenFileName(QWidget* parent, const QString& filter,
                                const QString& title = QStringLiteral("Open"));
    // A file name to save to (`suggested` pre-filled), or an empty string when cancelled.
    static QString SaveFileName(QWidget* parent, const QString& suggested, const QString& filter);

    // An existing folder (`suggested` pre-selected), or an empty string when cancelled.
    static QString ExistingFolder(QWidget* parent, const QString& title, const QString& suggested);

    // The handler gets whether it is a save prompt and the suggested name; nullptr restores the
    // real dialogs.
    using Handler = std::function<QString(bool save, const QString& suggested)>;
    static void SetHandler(Handler handler);
    // The same for the folder prompt.
    using FolderHandler = std::function<QString(const QString& suggested)>;
    static void SetFolderHandler(FolderHandler handler);
};

} // namespace torva
