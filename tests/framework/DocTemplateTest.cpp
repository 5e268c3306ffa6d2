// Templates: a document with its frame and view, the multi-view single-document template's close
// requests to the previous document's frames, failed opens and frames, and closing frames.
#include "framework/DocTemplate.h"

#include "FrameworkFixtures.h"
#include "framework/Application.h"
#include "framework/CommandIds.h"
#include "framework/Commands.h"
#include "framework/MdiFrame.h"
#include "framework/MessageService.h"
#include "support/TempDir.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <gtest/gtest.h>

namespace torva {
namespace {

using test::Flush;
using test::NumberDoc;
using test::RecordingView;
using test::TestFrame;

class Templates : public testing::Test {
protected:
    void SetUp() override {
        TestFrame::failCreate = false;
        app = std::make_unique<Application>();
        main = new MdiFrame;
        main->resize(800, 600);
        app->SetMainFrame(main);
        numbers = app->AddDocTemplate(std::make_unique<CMultiViewSingleDocTemplate>(
            7, "\nNum\nNUM\nNumber Files (*.num)\n.num", [] { return new NumberDoc; },
            [] { return new TestFrame; }, [] { return new RecordingView; }));
        second = app->AddDocTemplate(std::make_unique<CMultiViewSingleDocTemplate>(
            8, "Second", [] { return new NumberDoc; }, [] { return new TestFrame; },
            [] { return new RecordingView; }));
    }
    void TearDown() override {
        app->CloseAllDocuments();
        Flush();
        delete main;
        app.reset();
        Flush();
    }
    // Visible, not closing child frames.
    int FrameCount() const {
        int n = 0;
        for (ChildFrame* frame : main->Children()) n += frame->SubWindow()->isHidden() ? 0 : 1;
        return n;
    }

    std::unique_ptr<Application> app;
    MdiFrame* main = nullptr;
    DocTemplate* numbers = nullptr;
    DocTemplate* second = nullptr;
    MessageRecorder messages;
};

TEST_F(Templates, NewDocumentGetsAFrameWithAViewPlacedAndTitled) {
    Document* doc = numbers->OpenDocumentFile(QString());
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetTitle(), "NUM1");
    EXPECT_EQ(doc->GetDocTemplate(), numbers);
    ASSERT_EQ(doc->Views().size(), 1u);
    auto* view = dynamic_cast<RecordingView*>(doc->Views()[0]);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->initialUpdates, 1);
    ChildFrame* frame = view->GetParentFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetActiveView(), view);
    EXPECT_EQ(frame->GetDocTemplate(), numbers);
    EXPECT_EQ(frame->SubWindow()->geometry(), QRect(5, 6, 300, 200));
    EXPECT_EQ(frame->FrameTitle(), "NUM1");
    EXPECT_EQ(main->ActiveChild(), frame);

    // A second frame of another kind on the same document: the document has two views.
    ChildFrame* other = second->CreateNewFrame(doc, nullptr);
    ASSERT_NE(other, nullptr);
    second->InitialUpdateFrame(other, doc, true);
    EXPECT_EQ(doc->Views().size(), 2u);
    EXPECT_EQ(doc->Frames(), (std::vector<ChildFrame*>{frame, other}));
    EXPECT_EQ(main->ActiveChild(), other);
    EXPECT_EQ(numbers->OpenDocumentFile(QString())->GetTitle(), "NUM2");
}

TEST_F(Templates, OpeningAnotherDocumentPostsCloseRequestsToTheOldFrames) {
    Document* old = numbers->OpenDocumentFile(QString());
    ChildFrame* extra = second->CreateNewFrame(old, nullptr);
    second->InitialUpdateFrame(extra, old, true);
    QPointer<Document> oldAlive(old);
    ASSERT_EQ(FrameCount(), 2);

    Document* fresh = numbers->OpenDocumentFile(QString());
    ASSERT_NE(fresh, nullptr);
    // Posted: the old frames are still there until the event loop runs.
    EXPECT_EQ(FrameCount(), 3);
    EXPECT_FALSE(oldAlive.isNull());
    Flush();
    EXPECT_TRUE(oldAlive.isNull());
    EXPECT_EQ(FrameCount(), 1);
    EXPECT_EQ(numbers->Documents(), (std::vector<Document*>{fresh}));
    EXPECT_TRUE(messages.Texts().isEmpty()); // unmodified: no question
}

TEST_F(Templates, ModifiedOldDocumentIsAskedBeforeTheNewOneAndCancelChangesNothing) {
    Document* old = numbers->OpenDocumentFile(QString());
    ChildFrame* extra = second->CreateNewFrame(old, nullptr);
    second->InitialUpdateFrame(extra, old, true);
    old->SetModifiedFlag();
    const std::vector<ChildFrame*> frames = old->Frames();
    messages.QueueAnswer(MessageAnswer::Cancel);
    EXPECT_EQ(numbers->OpenDocumentFile(QString()), nullptr);
    Flush();
    EXPECT_EQ(messages.Texts(), QStringList{"Save changes to NUM1?"});
    EXPECT_EQ(numbers->Documents(), std::vector<Document*>{old});
    EXPECT_EQ(old->Frames(), frames);
    EXPECT_TRUE(old->IsModified());

    // No: the new document opens and every old frame closes without a second question.
    messages.QueueAnswer(MessageAnswer::No);
    Document* fresh = numbers->OpenDocumentFile(QString());
    ASSERT_NE(fresh, nullptr);
    Flush();
    EXPECT_EQ(messages.Texts(), (QStringList{"Save changes to NUM1?", "Save changes to NUM1?"}));
    EXPECT_EQ(numbers->Documents(), std::vector<Document*>{fresh});
    EXPECT_EQ(FrameCount(), 1);
}

TEST_F(Templates, FailedOpenKeepsThePreviousDocumentAndLeavesNothingBehind) {
    test::TempDir dir;
    const QString bad = QString::fromStdString(dir.file("bad.num"));
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("xx");
    file.close();

    auto* old = static_cast<NumberDoc*>(numbers->OpenDocumentFile(QString()));
    old->value = 5;
    old->SetModifiedFlag();
    messages.QueueAnswer(MessageAnswer::No);
    EXPECT_EQ(numbers->OpenDocumentFile(bad), nullptr);
    Flush();
    EXPECT_EQ(messages.Texts(),
              (QStringList{"Save changes to NUM1?", "Unexpected file format.\n" + bad + ": no N="}));
    EXPECT_EQ(numbers->Documents(), (std::vector<Document*>{old}));
    EXPECT_EQ(old->value, 5);
    EXPECT_TRUE(old->IsModified());
    EXPECT_EQ(main->Children().size(), 1u);
    EXPECT_EQ(main->MdiArea()->subWindowList().size(), 1);

    // A good file opens and the old document closes (after its prompt, answered No).
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("N=12");
    file.close();
    messages.QueueAnswer(MessageAnswer::No);
    auto* opened = static_cast<NumberDoc*>(numbers->OpenDocumentFile(bad));
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->value, 12);
    EXPECT_EQ(opened->GetTitle(), "bad.num");
    EXPECT_FALSE(opened->IsModified());
    Flush();
    EXPECT_EQ(numbers->Documents(), (std::vector<Document*>{opened}));
}

TEST_F(Templates, FrameCreationFailureLeavesNoDocumentOrWindow) {
    TestFrame::failCreate = true;
    EXPECT_EQ(numbers->OpenDocumentFile(QString()), nullptr);
    Flush();
    EXPECT_TRUE(numbers->Documents().empty());
    EXPECT_TRUE(main->MdiArea()->subWindowList().isEmpty());
}

TEST_F(Templates, ClosingFramesAsksOnlyForTheLastAndTheMainFrameAsksForAll) {
    Document* doc = numbers->OpenDocumentFile(QString());
    ChildFrame* first = doc->Frames()[0];
    ChildFrame* extra = second->CreateNewFrame(doc, nullptr);
    second->InitialUpdateFrame(extra, doc, true);
    doc->SetModifiedFlag();

    EXPECT_TRUE(first->SubWindow()->close());
    EXPECT_TRUE(messages.Texts().isEmpty());
    EXPECT_EQ(doc->Views().size(), 1u); // the view went at once

    messages.QueueAnswer(MessageAnswer::Cancel);
    EXPECT_FALSE(extra->SubWindow()->close());
    EXPECT_EQ(messages.Texts().size(), 1);
    EXPECT_EQ(doc->Views().size(), 1u);

    // Closing the main frame asks again; Cancel keeps everything, No closes every document.
    messages.QueueAnswer(MessageAnswer::Cancel);
    EXPECT_FALSE(main->close());
    EXPECT_EQ(app->Documents().size(), 1u);
    messages.QueueAnswer(MessageAnswer::No);
    EXPECT_TRUE(main->close());
    EXPECT_TRUE(app->Documents().empty());
    Flush();
    EXPECT_TRUE(main->MdiArea()->subWindowList().isEmpty());
}

TEST_F(Templates, MainRouteRunsFromTheActiveViewAndFrameToolbarsFromTheirOwnView) {
    Document* doc = numbers->OpenDocumentFile(QString());
    auto* firstView = static_cast<RecordingView*>(doc->Views()[0]);
    ChildFrame* extra = second->CreateNewFrame(doc, nullptr);
    second->InitialUpdateFrame(extra, doc, true);
    auto* secondView = static_cast<RecordingView*>(extra->GetActiveView());

    EXPECT_TRUE(main->Router()->Execute(RecordingView::kOwnCommand)); // the active view: the second
    EXPECT_EQ(secondView->commands, 1);
    EXPECT_TRUE(firstView->GetParentFrame()->Router()->Execute(RecordingView::kOwnCommand));
    EXPECT_EQ(firstView->commands, 1);

    // The document and the application are on both routes.
    EXPECT_TRUE(main->Router()->Query(cmd::kFileSave).enabled);
    EXPECT_TRUE(extra->Router()->Query(cmd::kFileNew).enabled);
    // Window commands need a window to arrange.
    EXPECT_TRUE(main->Router()->Query(cmd::kWindowCascade).enabled);
    main->show();
    main->TileVertical();
    const QRect area = main->MdiArea()->viewport()->rect();
    EXPECT_EQ(firstView->GetParentFrame()->SubWindow()->geometry(),
              QRect(0, 0, area.width() / 2, area.height()));
    EXPECT_EQ(extra->SubWindow()->geometry().left(), area.width() / 2);
    main->TileHorizontal();
    EXPECT_EQ(extra->SubWindow()->geometry(),
              QRect(0, area.height() / 2, area.width(), area.height() - area.height() / 2));
}

} // namespace
} // namespace torva
