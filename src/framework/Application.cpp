#include "framework/Application.h"

#include "framework/ChildFrame.h"
#include "framework/CommandIds.h"
#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "framework/FileDialogs.h"
#include "framework/MdiFrame.h"
#include "framework/Settings.h"

#include <QFileInfo>

namespace torva {
namespace {

Application*& InstanceStorage() {
    static Application* instance = nullptr;
    return instance;
}

} // namespace

Application::Application() {
    InstanceStorage() = this;
}

Application::~Application() {
    if (InstanceStorage() == this) InstanceStorage() = nullptr;
}

Application* Application::Instance() {
    return InstanceStorage();
}

DocTemplate* Application::AddDocTemplate(std::unique_ptr<DocTemplate> docTemplate) {
    templates_.push_back(std::move(docTemplate));
    return templates_.back().get();
}

std::vector<DocTemplate*> Application::Templates() const {
    std::vector<DocTemplate*> list;
    for (const auto& t : templates_) list.push_back(t.get());
    return list;
}

void Application::LoadStdProfileSettings(int count) {
    recentFiles_ = std::make_unique<RecentFileList>(count);
    recentFiles_->ReadList();
}

void Application::AddToRecentFileList(const QString& path) {
    if (!recentFiles_) return;
    recentFiles_->Add(path);
    recentFiles_->WriteList();
}

Document* Application::OnFileNew() {
    if (templates_.empty()) return nullptr;
    return templates_.front()->OpenDocumentFile(QString());
}

Document* Application::OnFileOpen() {
    if (templates_.empty()) return nullptr;
    DocTemplate* first = templates_.front().get();
    QString filter = first->GetDocString(DocTemplate::FilterName);
    const QString path = FileDialogs::OpenFileName(mainFrame_, filter);
    if (path.isEmpty()) return nullptr;
    return OpenDocumentFile(path);
}

Document* Application::OpenDocumentFile(const QString& path) {
    if (templates_.empty()) return nullptr;
    // A file that is already open is only brought to the front.
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (Document* document : Documents()) {
        if (!document->GetPathName().isEmpty() && document->GetPathName() == absolute) {
            const auto frames = document->Frames();
            if (!frames.empty()) frames.front()->ActivateFrame();
            return document;
        }
    }
    return templates_.front()->OpenDocumentFile(path);
}

std::vector<Document*> Application::Documents() const {
    std::vector<Document*> list;
    for (const auto& t : templates_) {
        for (Document* document : t->Documents()) {
            if (!document->IsClosing()) list.push_back(document);
        }
    }
    return list;
}

bool Application::SaveAllModified() {
    for (Document* document : Documents()) {
        if (!document->SaveModified()) return false;
    }
    return true;
}

void Application::CloseAllDocuments() {
    for (Document* document : Documents()) document->OnCloseDocument();
}

bool Application::OnCommand(int id) {
    switch (id) {
    case cmd::kFileNew:
        OnFileNew();
        return true;
    case cmd::kFileOpen:
        OnFileOpen();
        return true;
    case cmd::kAppAbout:
        OnAppAbout();
        return true;
    case cmd::kAppExit:
        if (mainFrame_) mainFrame_->close();
        return true;
    default:
        break;
    }
    if (id >= cmd::kRecentFile1 && id <= cmd::kRecentFile4 && recentFiles_) {
        const int index = id - cmd::kRecentFile1;
        if (index < recentFiles_->Files().size()) {
            const QString path = recentFiles_->Files()[index];
            if (!OpenDocumentFile(path) && !QFileInfo::exists(path)) {
                // A file that has gone leaves the list.
                recentFiles_->Remove(index);
                recentFiles_->WriteList();
            }
        }
        return true;
    }
    return false;
}

bool Application::OnUpdateCommand(int id, CommandState& state) {
    switch (id) {
    case cmd::kFileNew:
    case cmd::kFileOpen:
    case cmd::kAppAbout:
    case cmd::kAppExit:
        state.enabled = true;
        return true;
    default:
        break;
    }
    if (id >= cmd::kRecentFile1 && id <= cmd::kRecentFile4) {
        state.enabled = recentFiles_ && id - cmd::kRecentFile1 < recentFiles_->Files().size();
        return true;
    }
    return false;
}

} // namespace torva
