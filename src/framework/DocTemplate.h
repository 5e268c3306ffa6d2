#pragma once
// A document template ties a document class to a frame class and a view class: it creates
// documents (New, Open) and frames with their view for a document. Swapping the view a template
// makes is one call to SetViewFactory.
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace torva {

class ChildFrame;
class Document;
class View;

class DocTemplate {
public:
    using DocumentFactory = std::function<Document*()>;
    using FrameFactory = std::function<ChildFrame*()>;
    // The view is created without a parent; the frame takes it as its central widget.
    using ViewFactory = std::function<View*()>;

    // The document string has the fields window title, document name, file-new name, filter
    // name, filter extension, file type id and file type name, separated by '\n'.
    DocTemplate(int resourceId, const QString& docString, DocumentFactory document, FrameFactory frame,
                ViewFactory view);
    virtual ~DocTemplate();
    DocTemplate(const DocTemplate&) = delete;
    DocTemplate& operator=(const DocTemplate&) = delete;

    enum DocStringIndex {
        WindowTitle,
        DocName,
        FileNewName,
        FilterName,
        FilterExt,
        RegFileTypeId,
        RegFileTypeName
    };
    QString GetDocString(DocStringIndex index) const;
    int ResourceId() const { return resourceId_; }

    void SetViewFactory(ViewFactory view) { viewFactory_ = std::move(view); }
    void SetFrameFactory(FrameFactory frame) { frameFactory_ = std::move(frame); }

    // Documents created by this template (a document belongs to the template that created it).
    const std::vector<Document*>& Documents() const { return documents_; }
    void AddDocument(Document* document);
    void RemoveDocument(Document* document);

    // A new, hidden frame with a new view on `document`, placed in the main frame's MDI area.
    // nullptr when the frame's OnCreate fails (nothing is left behind then).
    ChildFrame* CreateNewFrame(Document* document, ChildFrame* other);
    // Runs OnInitialUpdate on the frame's view and, with makeVisible, shows and activates it.
    void InitialUpdateFrame(ChildFrame* frame, Document* document, bool makeVisible = true);

    // File New (empty path) or Open: a new document with its first frame. On failure nothing new
    // is left and nullptr is returned (the failure has been reported).
    virtual Document* OpenDocumentFile(const QString& path, bool makeVisible = true);

    // "FEM1", "FEM2", ...: the file-new name and a counter.
    void SetDefaultTitle(Document* document);

private:
    int resourceId_;
    QStringList docStrings_;
    DocumentFactory documentFactory_;
    FrameFactory frameFactory_;
    ViewFactory viewFactory_;
    std::vector<Document*> documents_;
    int untitledCount_ = 0;
};

// Several frames on a single open document: opening or creating a document first asks to save the
// template's previous document when it is modified (Cancel: nothing happens), then, once the new
// document has opened, posts close requests to the previous document's frames, so a failed open
// keeps the previous document as it was.
class CMultiViewSingleDocTemplate : public DocTemplate {
public:
    using DocTemplate::DocTemplate;
    Document* OpenDocumentFile(const QString& path, bool makeVisible = true) override;
};

} // namespace torva
