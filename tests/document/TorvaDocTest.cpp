// The .fem document: a fresh model on New, save and open through the model file, the reports of
// unreadable files, and Option > Structure committing only on OK.
#include "document/TorvaDoc.h"

#include "framework/CommandIds.h"
#include "framework/MessageService.h"
#include "model/ModelFile.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace torva {
namespace {

std::vector<uint8_t> Image(const CFramePat& model) {
    CFramePat copy = model;
    return WriteModelImage(copy);
}

class StructureEditorGuard {
public:
    explicit StructureEditorGuard(CTorvaDoc::StructureEditor editor) {
        CTorvaDoc::SetStructureEditor(std::move(editor));
    }
    ~StructureEditorGuard() { CTorvaDoc::SetStructureEditor(nullptr); }
};

TEST(TorvaDoc, NewDocumentHasAFreshModelAndThePlanExtent) {
    CTorvaDoc doc;
    ASSERT_NE(doc.GetFramePat(), nullptr);
    doc.framePat->nxs = 20;
    doc.framePat->Flag(3, 4, 2) = 1;
    doc.planWidth = 1;
    doc.SetModifiedFlag();
    const CFramePat* before = doc.GetFramePat();
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_NE(doc.GetFramePat(), before); // replaced, so views must take the new one
    EXPECT_EQ(Image(*doc.framePat), Image(CFramePat()));
    EXPECT_EQ(doc.planWidth, 3120);
    EXPECT_EQ(doc.planHeight, 3119);
    EXPECT_FALSE(doc.IsModified());
}

TEST(TorvaDoc, SaveAndOpenRoundTripAndOpenDropsTheOutputSelection) {
    test::TempDir dir;
    MessageRecorder messages;
    const QString path = QString::fromStdString(dir.file("wall.fem"));
    CTorvaDoc saved;
    saved.framePat->nxs = 7;
    saved.framePat->Flag(5, 6, 3) = 1;
    saved.framePat->Type(5, 6, 3) = 4;
    saved.framePat->Prop(2, 3, 1) = 12345;
    saved.SetModifiedFlag();
    ASSERT_TRUE(saved.DoSave(path));
    EXPECT_FALSE(saved.IsModified());
    EXPECT_EQ(saved.GetTitle(), "wall.fem");
    EXPECT_EQ(QFile(path).size(), static_cast<qint64>(kModelFileSize));

    CTorvaDoc opened;
    opened.framePat->outputElements[0] = 505;
    opened.framePat->outputCount = 1;
    opened.framePat->activeOutput = 505;
    ASSERT_TRUE(opened.OnOpenDocument(path));
    EXPECT_TRUE(messages.Texts().isEmpty());
    EXPECT_EQ(Image(*opened.framePat), Image(*saved.framePat));
    EXPECT_EQ(opened.framePat->outputCount, 0);
    EXPECT_EQ(opened.framePat->outputElements[0], CFramePat().outputElements[0]);
    EXPECT_EQ(opened.framePat->activeOutput, CFramePat().activeOutput);
}

TEST(TorvaDoc, ShortOrMissingFilesAreReportedWithTheirDetail) {
    test::TempDir dir;
    MessageRecorder messages;
    const QString path = QString::fromStdString(dir.file("short.fem"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(10, '\0'));
    file.close();

    CTorvaDoc doc;
    EXPECT_FALSE(doc.OnOpenDocument(path));
    EXPECT_EQ(messages.Last(),
              "Unexpected file format.\n" + path + ": The file has 10 bytes; a model file has 255422.");
    EXPECT_EQ(Image(*doc.framePat), Image(CFramePat()));

    EXPECT_FALSE(doc.OnOpenDocument(QString::fromStdString(dir.file("none.fem"))));
    EXPECT_TRUE(messages.Last().startsWith("Failed to open document.\n"));
    EXPECT_TRUE(messages.Last().contains("none.fem"));
}

TEST(TorvaDoc, FailedSaveKeepsTheOldFileAndTheModifiedFlag) {
    test::TempDir dir;
    MessageRecorder messages;
    const QString path = QString::fromStdString(dir.file("keep.fem"));
    CTorvaDoc doc;
    doc.framePat->gravity = 500;
    ASSERT_TRUE(doc.DoSave(path));
    doc.framePat->gravity = 600;
    doc.SetModifiedFlag();
    // Saving over a folder fails; the file written before stays as it was.
    EXPECT_FALSE(doc.DoSave(QString::fromStdString(dir.path().string())));
    EXPECT_TRUE(messages.Last().startsWith("Failed to save document."));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetPathName(), path);
    CTorvaDoc again;
    ASSERT_TRUE(again.OnOpenDocument(path));
    EXPECT_EQ(again.framePat->gravity, 500);
}

TEST(TorvaDoc, StructureCancelledLeavesModelAndFlagAlone) {
    CTorvaDoc doc;
    CommandState state;
    ASSERT_TRUE(doc.OnUpdateCommand(cmd::kOptionStructure, state));
    EXPECT_FALSE(state.enabled); // no dialog installed

    const CFramePat* edited = nullptr;
    StructureEditorGuard guard([&](CFramePat& model, QWidget*) {
        edited = &model;
        model.gravity = 123;
        model.elementKind = 1;
        return false;
    });
    ASSERT_TRUE(doc.OnUpdateCommand(cmd::kOptionStructure, state));
    EXPECT_TRUE(state.enabled);
    const auto before = Image(*doc.framePat);
    EXPECT_TRUE(doc.OnCommand(cmd::kOptionStructure));
    EXPECT_NE(edited, nullptr);
    EXPECT_NE(edited, doc.GetFramePat()); // the dialog works on a copy
    EXPECT_EQ(Image(*doc.framePat), before);
    EXPECT_FALSE(doc.IsModified());
}

TEST(TorvaDoc, StructureOkCommitsTheCopyAndMarksTheDocument) {
    CTorvaDoc doc;
    doc.framePat->curLayer = 3;
    doc.framePat->Flag(4, 4, 2) = 1;
    int seenLayer = -1;
    StructureEditorGuard guard([&](CFramePat& model, QWidget*) {
        seenLayer = model.curLayer; // the copy starts equal to the model
        model.gravity = 981;
        model.elementKind = 2;
        return true;
    });
    EXPECT_TRUE(doc.OnOptionStructure());
    EXPECT_EQ(seenLayer, 3);
    EXPECT_EQ(doc.framePat->gravity, 981);
    EXPECT_EQ(doc.framePat->elementKind, 2);
    EXPECT_EQ(doc.framePat->Flag(4, 4, 2), 1);
    EXPECT_TRUE(doc.IsModified());
}

} // namespace
} // namespace torva
