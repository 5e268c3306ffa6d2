#pragma once
// A plan view on a real document with a second view that counts its notifications, driven by
// synthesised mouse events; context menus are answered by the test.
#include "document/TorvaDoc.h"
#include "framework/View.h"
#include "plan/PlanView.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>
#include <vector>

namespace torva::test {

constexpr unsigned kWhite = 0xFFFFFF;
constexpr unsigned kLightGrey = 0xDCDCDC;
constexpr unsigned kBlue = 0x0000FF;
constexpr unsigned kYellow = 0xFFFF00;

// Another view of the same document that counts its notifications.
class CountingView : public QWidget, public View {
public:
    QWidget* Widget() override { return this; }
    void OnUpdate(View* sender, int hint) override {
        ++updates;
        lastSender = sender;
        lastHint = hint;
    }
    int updates = 0;
    View* lastSender = nullptr;
    int lastHint = -1;
};

class PlanViewTest : public testing::Test {
protected:
    void SetUp() override {
        CTorvaView::ResetHooks();
        CTorvaView::Hooks().popupMenu = [this](const std::vector<PlanMenuItem>& items, const QPoint& global,
                                               QWidget*) {
            menus.push_back(items);
            menuGlobal = global;
            return menuAnswer;
        };
        document = new CTorvaDoc; // deletes itself when its last view goes
        view = new CTorvaView;
        other = new CountingView;
        document->AddView(view);
        document->AddView(other);
        view->resize(600, 500);
        view->show();
        view->OnInitialUpdate();
    }
    void TearDown() override {
        delete other;
        delete view;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        CTorvaView::ResetHooks();
    }

    CFramePat& Model() { return *document->GetFramePat(); }

    void Send(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QWidget* target = view->viewport();
        QMouseEvent event(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }
    // Viewport point of a logical plan point.
    QPoint At(PlanPoint p) const { return QPoint(p.x, p.y) - view->ScrollOffset(); }
    void LeftClick(PlanPoint p) {
        Send(QEvent::MouseButtonPress, At(p), Qt::LeftButton, Qt::LeftButton);
        Send(QEvent::MouseButtonRelease, At(p), Qt::LeftButton, Qt::NoButton);
    }
    void RightClick(PlanPoint p) {
        Send(QEvent::MouseButtonPress, At(p), Qt::RightButton, Qt::RightButton);
        Send(QEvent::MouseButtonRelease, At(p), Qt::RightButton, Qt::NoButton);
    }
    void Drag(PlanPoint from, PlanPoint to) {
        Send(QEvent::MouseButtonPress, At(from), Qt::LeftButton, Qt::LeftButton);
        Send(QEvent::MouseMove, (At(from) + At(to)) / 2, Qt::NoButton, Qt::LeftButton);
        Send(QEvent::MouseMove, At(to), Qt::NoButton, Qt::LeftButton);
        Send(QEvent::MouseButtonRelease, At(to), Qt::LeftButton, Qt::NoButton);
    }
    void Command(int id) { ASSERT_TRUE(view->OnCommand(id)) << id; }

    // What the viewport shows, painted in one go.
    QImage Screen() {
        QImage image(view->viewport()->size(), QImage::Format_RGB32);
        image.fill(Qt::red);
        view->viewport()->render(&image);
        return image;
    }
    // The square of a position as seen on screen (scroll position taken off).
    QRect OnScreen(const QRect& logical) const { return logical.translated(-view->ScrollOffset()); }

    CTorvaDoc* document = nullptr;
    CTorvaView* view = nullptr;
    CountingView* other = nullptr;
    std::vector<std::vector<PlanMenuItem>> menus;
    QPoint menuGlobal;
    int menuAnswer = 0;
};

} // namespace torva::test
