#include "framework/DocTemplate.h"

#include "framework/Application.h"
#include "framework/ChildFrame.h"
#include "framework/Document.h"
#include "framework/MdiFrame.h"
#include "framework/View.h"

#include <QMdiSubWindow>

namespace torva {

DocTemplate::DocTemplate(int resourceId, const QString& docString, DocumentFactory document,
                         FrameFactory frame, ViewFactory view)
    : resourceId_(resourceId), docStrings_(docString.split(QLatin1Char('\n'))),
      documentFactory_(std::move(document)), frameFactory_(std::move(frame)), viewFactory_(std::move(view)) {}

DocTemplate::~DocTemplate() {
    for (Document* document : documents_) document->template_ = nullptr;
}

QString DocTemplate::GetDocString(DocStringIndex index) const {
    return index < docStrings_.size() ? docStrings_[index] : QString();
}

void DocTemplate::AddDocument(Document* document) {
    if (std::find(documents_.begin(), documents_.end(), document) != documents_.end()) return;
    documents_.push_back(document);
    document->template_ = this;
}

void DocTemplate::RemoveDocument(Document* document) {
    documents_.erase(std::remove(documents_.begin(), documents_.end(), document), documents_.end());
}

ChildFrame* DocTemplate::CreateNewFrame(Document* document, ChildFrame* /*other*/) {
    if (!frameFactory_ || !viewFactory_) return nullptr;
    ChildFrame* frame = frameFactory_();
    if (!frame) return nullptr;
    View* view = viewFactory_();
    if (!view) {
        delete frame;
        return nullptr;
    }
    frame->SetView(view);
    frame->SetDocTemplate(this);
    Application* app = Application::Instance();
    MdiFrame* main = app ? app->MainFrame() : nullptr;
    if (main) main->AddChild(frame, frame->InitialGeometry());
    if (!frame->OnCreate()) {
        // The view has no document yet: deleting the frame deletes it quietly.
        if (QMdiSubWindow* sub = frame->SubWindow())
            delete sub;
        else
            delete frame;
        return nullptr;
    }
    if (document) document->AddView(view);
    frame->UpdateFrameTitle();
    return frame;
}

void DocTemplate::InitialUpdateFrame(ChildFrame* frame, Document* /*document*/, bool makeVisible) {
    if (!frame) return;
    if (View* view = frame->GetActiveView()) view->OnInitialUpdate();
    frame->UpdateFrameTitle();
    if (makeVisible) frame->ActivateFrame();
}

void DocTemplate::SetDefaultTitle(Document* document) {
    QString name = GetDocString(FileNewName);
    if (name.isEmpty()) name = QStringLiteral("Untitled");
    document->SetTitle(name + QString::number(++untitledCount_));
}

Document* DocTemplate::OpenDocumentFile(const QString& path, bool makeVisible) {
    if (!documentFactory_) return nullptr;
    Document* document = documentFactory_();
    if (!document) return nullptr;
    AddDocument(document);
    ChildFrame* frame = CreateNewFrame(document, nullptr);
    if (!frame) {
        RemoveDocument(document);
        delete document;
        return nullptr;
    }
    const bool ok = path.isEmpty() ? (SetDefaultTitle(document), document->OnNewDocument())
                                   : document->OnOpenDocument(path);
    if (!ok) {
        // Closes the hidden frame (and any other the document made) without asking.
        document->OnCloseDocument();
        return nullptr;
    }
    if (!path.isEmpty()) document->SetPathName(path);
    InitialUpdateFrame(frame, document, makeVisible);
    return document;
}

Document* CMultiViewSingleDocTemplate::OpenDocumentFile(const QString& path, bool makeVisible) {
    // The previous document is asked about before anything is loaded: Cancel leaves it as it was.
    const std::vector<Document*> previous = Documents();
    for (Document* old : previous) {
        if (!old->SaveModified()) return nullptr;
    }
    Document* document = DocTemplate::OpenDocumentFile(path, makeVisible);
    if (!document) return nullptr;
    for (Document* old : previous) {
        // Answered already: its windows close without asking again.
        old->SetModifiedFlag(false);
        for (ChildFrame* frame : old->Frames()) frame->PostClose();
    }
    return document;
}

} // namespace torva
