#include "framework/View.h"

#include "framework/ChildFrame.h"
#include "framework/Document.h"

#include <QWidget>

namespace torva {

View::~View() {
    if (document_) document_->RemoveView(this);
}

ChildFrame* View::GetParentFrame() {
    QWidget* widget = Widget();
    for (QWidget* w = widget ? widget->parentWidget() : nullptr; w; w = w->parentWidget()) {
        if (auto* frame = qobject_cast<ChildFrame*>(w)) return frame;
    }
    return nullptr;
}

void View::OnInitialUpdate() {
    OnUpdate(nullptr, 0);
}

void View::OnUpdate(View* /*sender*/, int /*hint*/) {
    if (QWidget* widget = Widget()) widget->update();
}

} // namespace torva
