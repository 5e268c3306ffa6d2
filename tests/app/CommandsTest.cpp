// The shell's commands: "Plan View" / "3D View" switching, File New and Open closing the previous
// document's windows, Structure, Save As and the recent files, and the command states.
#include "framework/Commands.h"

#include "AppFixture.h"
#include "analysis_view/Resp3D.h"
#include "app/PlanFrame.h"
#include "framework/CommandIds.h"
#include "framework/View.h"
#include "model/ModelFile.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace torva {
namespace {

using test::AppTest;
using test::Flush;

ChildFrame* FrameOfKind(CTorvaDoc* doc, DocTemplate* kind) {
    for (View* view : doc->Views()) {
        if (view->GetParentFrame()->GetDocTemplate() == kind) return view->GetParentFrame();
    }
    return nullptr;
}

TEST_F(AppTest, PlanViewActivatesTheOpenPlanWindowOrCreatesOne) {
    Start();
    CTorvaDoc* doc = ActiveDoc();
    ASSERT_NE(doc, nullptr);
    ChildFrame* plan = FrameOfKind(doc, app->planTemplate);
    ChildFrame* analysis = FrameOfKind(doc, app->analysisTemplate);
    Main()->MdiArea()->setActiveSubWindow(analysis->SubWindow());
    ASSERT_EQ(Main()->ActiveChild(), analysis);

    // Open: only activated, no new window.
    EXPECT_TRUE(Main()->Router()->Execute(cmd::kPlanView));
    EXPECT_EQ(Main()->ActiveChild(), plan);
    EXPECT_EQ(Frames().size(), 2u);
    EXPECT_EQ(doc->Views().size(), 2u);

    // Closed: a new plan window on the same document, placed like the first.
    plan->SubWindow()->close();
    Flush();
    ASSERT_EQ(Frames().size(), 1u);
    EXPECT_EQ(Main()->ActiveChild(), analysis);
    EXPECT_TRUE(Main()->Router()->Execute(cmd::kPlanView));
    ASSERT_EQ(Frames().size(), 2u);
    ChildFrame* again = FrameOfKind(doc, app->planTemplate);
    ASSERT_NE(again, nullptr);
    EXPECT_NE(dynamic_cast<CTorvaFrame*>(again), nullptr);
    EXPECT_EQ(Main()->ActiveChild(), again);
    EXPECT_EQ(again->SubWindow()->geometry(), QRect(0, 0, 465, 589));
    EXPECT_EQ(doc->Views().size(), 2u);
    EXPECT_EQ(Docs().size(), 1u);
}

TEST_F(AppTest, View3dRecreatesTheAnalysisWindowAndNeedsADocument) {
    Start();
    CTorvaDoc* doc = ActiveDoc();
    ChildFrame* analysis = FrameOfKind(doc, app->analysisTemplate);
    analysis->SubWindow()->close();
    Flush();
    EXPECT_EQ(FrameOfKind(doc, app->analysisTemplate), nullptr);
    EXPECT_TRUE(Main()->Router()->Execute(cmd::kView3d));
    ChildFrame* again = FrameOfKind(doc, app->analysisTemplate);
    ASSERT_NE(again, nullptr);
    EXPECT_NE(dynamic_cast<CResp3D*>(again), nullptr);
    EXPECT_EQ(again->SubWindow()->geometry(), QRect(465, 0, 465, 589));
    EXPECT_EQ(Main()->ActiveChild(), again);

    // With every window closed there is no document and both commands are disabled.
    for (ChildFrame* frame : Frames()) frame->SubWindow()->close();
    Flush();
    EXPECT_TRUE(Docs().empty());
    EXPECT_FALSE(Main()->Router()->FindAction(cmd::kPlanView)->isEnabled());
    EXPECT_FALSE(Main()->Router()->FindAction(cmd::kView3d)->isEnabled());
    EXPECT_FALSE(Main()->Router()->FindAction(cmd::kFileSave)->isEnabled());
    EXPECT_FALSE(Main()->Router()->Execute(cmd::kPlanView));
    EXPECT_TRUE(Frames().empty());
    EXPECT_EQ(Main()->windowTitle(), "TORVA_FEM");
    // File New still works and brings both windows.
    EXPECT_TRUE(Main()->Router()->Execute(cmd::kFileNew));
    Flush();
    EXPECT_EQ(Frames().size(), 2u);
    EXPECT_TRUE(Main()->Router()->FindAction(cmd::kPlanView)->isEnabled());
}

TEST_F(AppTest, FileNewAsksForAModifiedDocumentBeforeMakingTheNewOne) {
    Start();
    CTorvaDoc* old = ActiveDoc();
    const auto oldFrames = Frames();
    old->SetModifiedFlag();

    messages.QueueAnswer(MessageAnswer::No);
    EXPECT_TRUE(Main()->Router()->Execute(cmd::kFileNew));
    // Asked at once, before the new document exists; the old windows close from the event loop.
    EXPECT_EQ(messages.Texts(), QStringList{"Save changes to FEM1?"});
    EXPECT_EQ(Frames().size(), 4u);
    Flush();
    EXPECT_EQ(messages.Texts(), QStringList{"Save changes to FEM1?"}); // not asked twice
    ASSERT_EQ(Docs().size(), 1u);
    EXPECT_EQ(Docs()[0]->GetTitle(), "FEM2");
    ASSERT_EQ(Frames().size(), 2u);
    for (ChildFrame* frame : Frames())
        EXPECT_TRUE(std::find(oldFrames.begin(), oldFrames.end(), frame) == oldFrames.end());
    EXPECT_EQ(Main()->windowTitle(), "TORVA_FEM - FEM2");

    // Cancel changes nothing: no new document, both windows of the old one stay.
    CTorvaDoc* second = ActiveDoc();
    const auto secondFrames = Frames();
    second->SetModifiedFlag();
    messages.Clear();
    messages.QueueAnswer(MessageAnswer::Cancel);
    Main()->Router()->Execute(cmd::kFileNew);
    Flush();
    EXPECT_EQ(messages.Texts(), QStringList{"Save changes to FEM2?"});
    EXPECT_EQ(Docs(), std::vector<Document*>{second});
    EXPECT_EQ(Frames(), secondFrames);
    EXPECT_TRUE(second->IsModified());
}

TEST_F(AppTest, OpenOverAModifiedModelAsksBeforeLoadingAndCancelChangesNothing) {
    Start();
    CFramePat model;
    model.nys = 12;
    model.nxs = 30;
    FileError error;
    const QString other = QString::fromStdString(dir.file("other.fem"));
    ASSERT_TRUE(SaveModelFile(other.toStdString(), model, error));

    CTorvaDoc* old = ActiveDoc();
    old->framePat->Flag(3, 4, 2) = 1;
    old->CommitModelEdit(QStringLiteral("edit"));
    ASSERT_TRUE(old->IsModified());
    const auto oldFrames = Frames();

    // The prompt comes before the file is read: at that moment only the old model exists.
    std::vector<std::size_t> documentsWhenAsked;
    MessageService::SetHandler([&](const QString&, MessageButtons) {
        documentsWhenAsked.push_back(Docs().size());
        return MessageAnswer::Cancel;
    });
    fileAnswer = other;
    Main()->Router()->Execute(cmd::kFileOpen);
    Flush();
    EXPECT_EQ(documentsWhenAsked, std::vector<std::size_t>{1u});
    EXPECT_EQ(Docs(), std::vector<Document*>{old});
    EXPECT_EQ(Frames(), oldFrames);
    EXPECT_EQ(old->framePat->Flag(3, 4, 2), 1);
    EXPECT_TRUE(old->IsModified());

    // The recent-file entries take the same way.
    app->AddToRecentFileList(other);
    Main()->Router()->Execute(cmd::kRecentFile1);
    Flush();
    EXPECT_EQ(documentsWhenAsked, (std::vector<std::size_t>{1u, 1u}));
    EXPECT_EQ(Docs(), std::vector<Document*>{old});
    EXPECT_EQ(Frames(), oldFrames);

    // No: the other file replaces the model, without a second question.
    documentsWhenAsked.clear();
    MessageService::SetHandler([&](const QString&, MessageButtons) {
        documentsWhenAsked.push_back(Docs().size());
        return MessageAnswer::No;
    });
    Main()->Router()->Execute(cmd::kRecentFile1);
    Flush();
    MessageService::SetHandler(nullptr);
    EXPECT_EQ(documentsWhenAsked, std::vector<std::size_t>{1u});
    ASSERT_EQ(Docs().size(), 1u);
    EXPECT_EQ(ActiveDoc()->framePat->nxs, 30);
    EXPECT_EQ(Frames().size(), 2u);
}

TEST_F(AppTest, OpeningAShortFileReportsItAndKeepsThePreviousDocument) {
    Start();
    CTorvaDoc* old = ActiveDoc();
    old->framePat->Flag(3, 4, 2) = 1;
    old->SetModifiedFlag();
    const auto oldFrames = Frames();
    fileAnswer = WriteFile("short.fem", QByteArray(100, 'x'));
    messages.QueueAnswer(MessageAnswer::No);
    EXPECT_TRUE(Main()->Router()->Execute(cmd::kFileOpen));
    Flush();
    EXPECT_EQ(messages.Texts(), (QStringList{"Save changes to FEM1?",
                                             "Unexpected file format.\n" + fileAnswer +
                                                 ": The file has 100 bytes; a model file has 255422."}));
    ASSERT_EQ(Docs().size(), 1u);
    EXPECT_EQ(Docs()[0], old);
    EXPECT_EQ(old->framePat->Flag(3, 4, 2), 1);
    EXPECT_TRUE(old->IsModified()); // "No" discards only when the new model is there
    EXPECT_EQ(Frames(), oldFrames);
    EXPECT_TRUE(app->RecentFiles()->Files().isEmpty()); // a failed open is not a recent file

    // Opening a good file replaces the document (the old one is asked about first).
    CFramePat model;
    model.nys = 12;
    FileError error;
    const QString good = QString::fromStdString(dir.file("good.fem"));
    ASSERT_TRUE(SaveModelFile(good.toStdString(), model, error));
    fileAnswer = good;
    messages.Clear();
    messages.QueueAnswer(MessageAnswer::No);
    Main()->Router()->Execute(cmd::kFileOpen);
    Flush();
    EXPECT_EQ(messages.Texts(), QStringList{"Save changes to FEM1?"});
    ASSERT_EQ(Docs().size(), 1u);
    EXPECT_EQ(ActiveDoc()->framePat->nys, 12);
    EXPECT_EQ(ActiveDoc()->GetPathName(), good);
    EXPECT_EQ(Frames().size(), 2u);

    // Opening the file that is already open only brings it to the front.
    CTorvaDoc* current = ActiveDoc();
    Main()->Router()->Execute(cmd::kFileOpen);
    Flush();
    EXPECT_EQ(Docs(), std::vector<Document*>{current});
}

TEST_F(AppTest, StructureRunsTheInstalledEditorOnACopy) {
    Start();
    QAction* structure = Main()->Router()->FindAction(cmd::kOptionStructure);
    ASSERT_NE(structure, nullptr);
    EXPECT_TRUE(structure->isEnabled()); // the program's own dialog is installed at start-up

    bool accept = false;
    QWidget* parent = nullptr;
    CTorvaDoc::SetStructureEditor([&](CFramePat& model, QWidget* owner) {
        parent = owner;
        model.gravity = 1;
        return accept;
    });
    Main()->Router()->UpdateActions();
    EXPECT_TRUE(structure->isEnabled());
    CTorvaDoc* doc = ActiveDoc();
    structure->trigger();
    EXPECT_EQ(parent, Main());
    EXPECT_EQ(doc->framePat->gravity, 980);
    EXPECT_FALSE(doc->IsModified());
    accept = true;
    structure->trigger();
    EXPECT_EQ(doc->framePat->gravity, 1);
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(AppTest, LoadingEditsACopyAndCommitsOnlyOnOk) {
    Start();
    bool accept = false;
    CTorvaDoc::SetModelEditor(cmd::kOptionLoading, [&](CFramePat& model, QWidget*) {
        model.ctrlDirection = 2;
        model.segmentPoints[1] = 5000;
        return accept;
    });
    CTorvaDoc* doc = ActiveDoc();
    Main()->Router()->UpdateActions();
    QAction* loading = Main()->Router()->FindAction(cmd::kOptionLoading);
    ASSERT_NE(loading, nullptr);
    loading->trigger();
    EXPECT_EQ(doc->framePat->ctrlDirection, 0);
    EXPECT_FALSE(doc->IsModified());
    accept = true;
    loading->trigger();
    EXPECT_EQ(doc->framePat->ctrlDirection, 2);
    EXPECT_EQ(doc->framePat->segmentPoints[1], 5000);
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(AppTest, SaveAsRecordsARecentFileThatPersistsAndReopens) {
    Start();
    CTorvaDoc* doc = ActiveDoc();
    doc->framePat->nxs = 15;
    fileAnswer = QString::fromStdString(dir.file("wall")); // the extension is added
    EXPECT_TRUE(Main()->Router()->Execute(cmd::kFileSaveAs));
    const QString saved = fileAnswer + ".fem";
    EXPECT_EQ(doc->GetPathName(), saved);
    EXPECT_EQ(Main()->windowTitle(), "TORVA_FEM - wall.fem");
    EXPECT_EQ(app->RecentFiles()->Files(), QStringList{saved});
    EXPECT_EQ(Settings::Open()->value("Recent File List/File1").toString(), saved);

    // A new run reads the list; its File menu shows the entry, which opens the file.
    app.reset();
    Flush();
    Start();
    ASSERT_EQ(app->RecentFiles()->Files(), QStringList{saved});
    QMenu* file = Main()->FileMenu();
    emit file->aboutToShow();
    QAction* entry = Main()->Router()->FindAction(cmd::kRecentFile1);
    EXPECT_EQ(entry->text(), "&1 wall.fem");
    EXPECT_TRUE(entry->isEnabled());
    EXPECT_FALSE(Main()->Router()->FindAction(cmd::kRecentFile1 + 1)->isVisible());
    entry->trigger();
    Flush();
    ASSERT_EQ(Docs().size(), 1u);
    EXPECT_EQ(ActiveDoc()->framePat->nxs, 15);
    EXPECT_EQ(ActiveDoc()->GetTitle(), "wall.fem");
}

TEST_F(AppTest, RecentFileWithoutEntriesIsADisabledPlaceholder) {
    Start();
    emit Main()->FileMenu()->aboutToShow();
    QAction* first = Main()->Router()->FindAction(cmd::kRecentFile1);
    EXPECT_EQ(first->text(), "Recent File");
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(first->isEnabled());
    // A recent file that has gone is dropped from the list when chosen.
    app->AddToRecentFileList(QString::fromStdString(dir.file("gone.fem")));
    emit Main()->FileMenu()->aboutToShow();
    ASSERT_TRUE(first->isEnabled());
    first->trigger();
    Flush();
    EXPECT_TRUE(app->RecentFiles()->Files().isEmpty());
    EXPECT_TRUE(messages.Last().startsWith("Failed to open document."));
    EXPECT_EQ(Docs().size(), 1u);
}

TEST_F(AppTest, WindowCommandsArrangeTheChildren) {
    Start();
    Main()->Router()->Execute(cmd::kWindowTileHorizontal);
    const QRect area = Main()->MdiArea()->viewport()->rect();
    const auto frames = Frames();
    EXPECT_EQ(frames[0]->SubWindow()->geometry(), QRect(0, 0, area.width(), area.height() / 2));
    EXPECT_EQ(frames[1]->SubWindow()->geometry().top(), area.height() / 2);
    Main()->Router()->Execute(cmd::kWindowTileVertical);
    EXPECT_EQ(frames[0]->SubWindow()->geometry(), QRect(0, 0, area.width() / 2, area.height()));
    EXPECT_EQ(frames[1]->SubWindow()->geometry().left(), area.width() / 2);
    Main()->Router()->Execute(cmd::kWindowCascade);
    EXPECT_NE(frames[0]->SubWindow()->geometry().topLeft(), frames[1]->SubWindow()->geometry().topLeft());
}

TEST_F(AppTest, ExitAsksForModifiedDocuments) {
    Start();
    ActiveDoc()->SetModifiedFlag();
    messages.QueueAnswer(MessageAnswer::Cancel);
    Main()->Router()->Execute(cmd::kAppExit);
    EXPECT_TRUE(Main()->isVisible());
    EXPECT_EQ(Docs().size(), 1u);
    messages.QueueAnswer(MessageAnswer::No);
    Main()->Router()->Execute(cmd::kAppExit);
    EXPECT_FALSE(Main()->isVisible());
    EXPECT_TRUE(Docs().empty());
    EXPECT_EQ(messages.Texts(), (QStringList{"Save changes to FEM1?", "Save changes to FEM1?"}));
}

} // namespace
} // namespace torva
