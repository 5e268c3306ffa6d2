#include "framework/Document.h"

#include "framework/Application.h"
#include "framework/Archive.h"
#include "framework/ChildFrame.h"
#include "framework/CommandIds.h"
#include "framework/DocTemplate.h"
#include "framework/FileDialogs.h"
#include "framework/MdiFrame.h"
#include "framework/MessageService.h"
#include "framework/View.h"

#include <QApplication>
#include <QFileInfo>

namespace torva {

Document::Document() = default;

Document::~Document() {
    for (View* view : views_) view->document_ = nullptr;
    if (template_) template_->RemoveDocument(this);
}

void Document::SetTitle(const QString& title) {
    if (title_ == title) return;
    title_ = title;
    for (ChildFrame* frame : Frames()) frame->UpdateFrameTitle();
    emit TitleChanged(title_);
}

void Document::SetPathName(const QString& path, bool addToRecent) {
    const QFileInfo info(path);
    pathName_ = info.absoluteFilePath();
    SetTitle(info.fileName());
    if (addToRecent) {
        if (Application* app = Application::Instance()) app->AddToRecentFileList(pathName_);
    }
}

void Document::SetModifiedFlag(bool modified) {
    if (modified_ == modified) return;
    modified_ = modified;
    emit ModifiedChanged(modified_);
}

void Document::AddView(View* view) {
    if (!view || view->document_ == this) return;
    if (view->document_) view->document_->RemoveView(view);
    views_.push_back(view);
    view->document_ = this;
}

void Document::RemoveView(View* view) {
    const auto it = std::find(views_.begin(), views_.end(), view);
    if (it == views_.end()) return;
    views_.erase(it);
    view->document_ = nullptr;
    if (views_.empty() && !closing_) OnCloseDocument();
}

void Document::UpdateAllViews(View* sender, int hint) {
    const std::vector<View*> views = views_; // a view may close others while updating
    for (View* view : views) {
        if (view != sender && std::find(views_.begin(), views_.end(), view) != views_.end())
            view->OnUpdate(sender, hint);
    }
}

std::vector<ChildFrame*> Document::Frames() const {
    std::vector<ChildFrame*> frames;
    for (View* view : views_) {
        ChildFrame* frame = view->GetParentFrame();
        if (frame && std::find(frames.begin(), frames.end(), frame) == frames.end()) frames.push_back(frame);
    }
    return frames;
}

bool Document::OnNewDocument() {
    DeleteContents();
    pathName_.clear();
    SetModifiedFlag(false);
    return true;
}

bool Document::OnOpenDocument(const QString& path) {
    DeleteContents();
    Archive archive(Archive::Mode::Load, path);
    Serialize(archive);
    if (archive.Failed()) {
        DeleteContents();
        MessageService::Error(archive.Message().isEmpty() ? QStringLiteral("Failed to open document.")
                                                          : archive.Text());
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

bool Document::OnSaveDocument(const QString& path) {
    Archive archive(Archive::Mode::Store, path);
    Serialize(archive);
    if (archive.Failed()) {
        MessageService::Error(archive.Message().isEmpty() ? QStringLiteral("Failed to save document.")
                                                          : archive.Text());
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

void Document::OnCloseDocument() {
    if (closing_) return;
    closing_ = true;
    for (ChildFrame* frame : Frames()) frame->CloseNow();
    // Views without a frame are only detached.
    for (View* view : std::vector<View*>(views_)) RemoveView(view);
    DeleteContents();
    if (template_) template_->RemoveDocument(this);
    template_ = nullptr;
    deleteLater();
}

void Document::Serialize(Archive& /*archive*/) {}

bool Document::SaveModified() {
    if (!IsModified()) return true;
    const QString name = title_.isEmpty() ? QStringLiteral("Untitled") : title_;
    switch (MessageService::Show(QStringLiteral("Save changes to %1?").arg(name), MessageButtons::YesNoCancel,
                                 MessageIcon::Warning)) {
    case MessageAnswer::Yes:
        return DoFileSave();
    case MessageAnswer::No:
        return true;
    default:
        return false;
    }
}

bool Document::CanCloseFrame(ChildFrame* frame) {
    if (closing_) return true;
    for (ChildFrame* other : Frames()) {
        if (other != frame && !other->IsClosing()) return true; // another frame still shows the document
    }
    return SaveModified();
}

bool Document::DoFileSave() {
    if (pathName_.isEmpty()) return DoSave(QString());
    const QFileInfo info(pathName_);
    if (info.exists() && !info.isWritable()) return DoSave(QString());
    return DoSave(pathName_);
}

bool Document::DoSave(const QString& path, bool replace) {
    QString name = path;
    if (name.isEmpty()) {
        QString filter = QStringLiteral("FEM Files (*.fem)");
        QString extension = QStringLiteral(".fem");
        if (template_) {
            if (!template_->GetDocString(DocTemplate::FilterName).isEmpty())
                filter = template_->GetDocString(DocTemplate::FilterName);
            extension = template_->GetDocString(DocTemplate::FilterExt);
        }
        QString suggested = pathName_;
        if (suggested.isEmpty()) suggested = title_ + extension;
        QWidget* parent = Application::Instance() ? Application::Instance()->MainFrame() : nullptr;
        name = FileDialogs::SaveFileName(parent, suggested, filter);
        if (name.isEmpty()) return false;
        if (!extension.isEmpty() && QFileInfo(name).suffix().isEmpty()) name += extension;
    }
    if (!OnSaveDocument(name)) return false;
    if (replace) SetPathName(name);
    return true;
}

bool Document::OnCommand(int id) {
    if (id == cmd::kFileSave) {
        DoFileSave();
        return true;
    }
    if (id == cmd::kFileSaveAs) {
        DoSave(QString());
        return true;
    }
    return false;
}

bool Document::OnUpdateCommand(int id, CommandState& state) {
    if (id == cmd::kFileSave || id == cmd::kFileSaveAs) {
        state.enabled = true;
        return true;
    }
    return false;
}

} // namespace torva
