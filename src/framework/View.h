#pragma once
// The base of every view: a command target attached to one document and shown by one widget.
// A concrete view derives from a Qt widget class and from View, e.g.
//     class CTorvaView : public QAbstractScrollArea, public torva::View { QWidget* Widget() override { return
//     this; } };
// The document template creates it, attaches it to its document and puts it into a child frame.
#include "framework/CommandTarget.h"

class QWidget;

namespace torva {

class ChildFrame;
class Document;

class View : public CommandTarget {
public:
    View() = default;
    // Detaches from the document; the document closes itself when this was its last view.
    ~View() override;
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    Document* GetDocument() const { return document_; }
    // The widget that shows the view (usually the derived object itself).
    virtual QWidget* Widget() = 0;
    // The child frame that holds the view, or nullptr while it has none.
    ChildFrame* GetParentFrame();

    // First display, once the frame and the view exist and the document is loaded. The default
    // calls OnUpdate(nullptr, 0).
    virtual void OnInitialUpdate();
    // The document changed. `sender` is the view that made the change (nullptr: the document
    // itself); `hint` says what changed (0: anything).
    virtual void OnUpdate(View* sender, int hint);
    // The view's frame became (or stopped being) the active child frame.
    virtual void OnActivateView(bool /*active*/) {}

    // Views handle no command unless they say so. A view that handles a command in OnCommand must
    // also return true for it from OnUpdateCommand (commands nobody updates are shown disabled).
    bool OnCommand(int /*id*/) override { return false; }
    bool OnUpdateCommand(int /*id*/, CommandState& /*state*/) override { return false; }

private:
    friend class Document;
    Document* document_ = nullptr;
};

} // namespace torva
