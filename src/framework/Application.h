#pragma once
// The application object: the document templates in the order they were added, the main frame,
// and the application's commands (New, Open, the recent files, Exit). One instance at a time.
#include "framework/CommandTarget.h"

#include <QString>
#include <memory>
#include <vector>

namespace torva {

class DocTemplate;
class Document;
class MdiFrame;
class RecentFileList;

class Application : public CommandTarget {
public:
    Application();
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The living application object, or nullptr.
    static Application* Instance();

    // Takes ownership; templates keep the order in which they were added.
    DocTemplate* AddDocTemplate(std::unique_ptr<DocTemplate> docTemplate);
    std::vector<DocTemplate*> Templates() const;

    MdiFrame* MainFrame() const { return mainFrame_; }
    void SetMainFrame(MdiFrame* frame) { mainFrame_ = frame; }

    // The recent-file list (nullptr until LoadStdProfileSettings).
    RecentFileList* RecentFiles() const { return recentFiles_.get(); }
    // Loads the recent-file list with `count` entries from the settings.
    void LoadStdProfileSettings(int count);
    void AddToRecentFileList(const QString& path);

    // File New: the first template creates a new document.
    Document* OnFileNew();
    // File Open: asks for a file with the first template's filter and opens it.
    Document* OnFileOpen();
    // Opens `path` with the first template (the recent-file list is updated on success).
    Document* OpenDocumentFile(const QString& path);
    // Every open document (of every template).
    std::vector<Document*> Documents() const;
    // Asks every modified document to save; false when one is cancelled.
    bool SaveAllModified();
    // Closes every document without asking.
    void CloseAllDocuments();

    // About box; the default does nothing.
    virtual void OnAppAbout() {}

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

private:
    std::vector<std::unique_ptr<DocTemplate>> templates_;
    MdiFrame* mainFrame_ = nullptr;
    std::unique_ptr<RecentFileList> recentFiles_;
};

} // namespace torva
