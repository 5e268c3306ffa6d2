#pragma once
// The document base: a file's data with a title, a path, a modified flag and the views that show
// it. A derived document overrides OnNewDocument/OnOpenDocument/DeleteContents/Serialize.
//
// Life cycle: a DocTemplate creates the document and its first frame and view. The document
// closes itself (OnCloseDocument: frames closed, document deleted) when its last view goes.
// Closing the last frame of a modified document first asks "Save changes to %1?".
#include "framework/CommandTarget.h"

#include <QObject>
#include <QString>
#include <vector>

namespace torva {

class Archive;
class ChildFrame;
class DocTemplate;
class View;

class Document : public QObject, public CommandTarget {
    Q_OBJECT
public:
    Document();
    ~Document() override;

    // --- Name, file and modified flag.
    const QString& GetTitle() const { return title_; }
    void SetTitle(const QString& title);
    // Empty until the document is saved or opened.
    const QString& GetPathName() const { return pathName_; }
    // Sets the path and the title (the file name) and, by default, adds it to the recent files.
    void SetPathName(const QString& path, bool addToRecent = true);
    bool IsModified() const { return modified_; }
    void SetModifiedFlag(bool modified = true);

    // --- Views.
    const std::vector<View*>& Views() const { return views_; }
    void AddView(View* view);
    // Detaches a view; when it was the last one the document closes (and is deleted).
    void RemoveView(View* view);
    // Calls OnUpdate(sender, hint) on every view but the sender.
    void UpdateAllViews(View* sender, int hint = 0);
    // The child frames showing this document, in the order of the views.
    std::vector<ChildFrame*> Frames() const;

    DocTemplate* GetDocTemplate() const { return template_; }

    // --- Life cycle (override and call the base first, as with any framework document).
    // A fresh, untitled, unmodified document. Returns false on failure.
    virtual bool OnNewDocument();
    // Reads `path` through Serialize. On failure shows the message with its detail
    // ("Failed to open document." when Serialize gave none) and returns false.
    virtual bool OnOpenDocument(const QString& path);
    // Writes through Serialize; on success clears the modified flag. On failure shows the message.
    virtual bool OnSaveDocument(const QString& path);
    // Closes every frame of the document, then deletes it (later, from the event loop).
    virtual void OnCloseDocument();
    // Releases the document's data (before New and Open).
    virtual void DeleteContents() {}
    // Reads or writes the data; reports failure through the archive.
    virtual void Serialize(Archive& archive);

    // --- Saving.
    // Asks "Save changes to %1?" when modified. Yes saves (false if the save fails or is
    // cancelled), No discards, Cancel returns false. Unmodified: true without asking.
    virtual bool SaveModified();
    // Whether `frame` may close: asks SaveModified when it is the document's last frame.
    virtual bool CanCloseFrame(ChildFrame* frame);
    // Save: to the current path, or like Save As when there is none.
    bool DoFileSave();
    // Saves to `path`; an empty path asks for one with the template's filter ("FEM Files (*.fem)").
    // With `replace` the saved file becomes the document's path. Returns false when the user
    // cancels or writing fails.
    bool DoSave(const QString& path, bool replace = true);

    // File Save (57603) and Save As (57604).
    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    // True between the start of OnCloseDocument and deletion.
    bool IsClosing() const { return closing_; }

signals:
    void TitleChanged(const QString& title);
    void ModifiedChanged(bool modified);

private:
    friend class DocTemplate;
    QString title_;
    QString pathName_;
    bool modified_ = false;
    bool closing_ = false;
    std::vector<View*> views_;
    DocTemplate* template_ = nullptr;
};

} // namespace torva
