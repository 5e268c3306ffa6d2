#include "framework/FileDialogs.h"

#include <QFileDialog>

namespace torva {
namespace {

FileDialogs::Handler& HandlerStorage() {
    static FileDialogs::Handler handler;
    return handler;
}

FileDialogs::FolderHandler& FolderHandlerStorage() {
    static FileDialogs::FolderHandler handler;
    return handler;
}

} // namespace

void FileDialogs::SetFolderHandler(FolderHandler handler) {
    FolderHandlerStorage() = std::move(handler);
}

QString FileDialogs::ExistingFolder(QWidget* parent, const QString& title, const QString& suggested) {
    if (FolderHandlerStorage()) return FolderHandlerStorage()(suggested);
    return QFileDialog::getExistingDirectory(parent, title, suggested);
}

void FileDialogs::SetHandler(Handler handler) {
    HandlerStorage() = std::move(handler);
}

QString FileDialogs::OpenFileName(QWidget* parent, const QString& filter, const QString& title) {
    if (HandlerStorage()) return HandlerStorage()(false, QString());
    return QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

QString FileDialogs::SaveFileName(QWidget* parent, const QString& suggested, const QString& filter) {
    if (HandlerStorage()) return HandlerStorage()(true, suggested);
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Save As"), suggested, filter);
}

} // namespace torva
