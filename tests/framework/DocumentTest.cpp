// The document base: modified flag, view updates with sender and hint, the save prompt and its
// three answers, Save / Save As with the file prompt, and failed reads and writes.
#include "FrameworkFixtures.h"
#include "framework/CommandIds.h"
#include "framework/FileDialogs.h"
#include "framework/MessageService.h"
#include "support/TempDir.h"

#include <QFile>
#include <QPointer>
#include <gtest/gtest.h>

namespace torva {
namespace {

using test::NumberDoc;
using test::RecordingView;

// Answers file prompts with a fixed name and remembers what was suggested.
struct FilePrompt {
    QString answer;
    QString suggested;
    int asked = 0;
    FilePrompt() {
        FileDialogs::SetHandler([this](bool, const QString& s) {
            ++asked;
            suggested = s;
            return answer;
        });
    }
    ~FilePrompt() { FileDialogs::SetHandler(nullptr); }
};

TEST(Document, UpdateAllViewsSkipsTheSenderAndPassesTheHint) {
    auto* doc = new NumberDoc;
    RecordingView a, b, c;
    doc->AddView(&a);
    doc->AddView(&b);
    doc->AddView(&c);
    ASSERT_EQ(doc->Views().size(), 3u);
    EXPECT_EQ(a.GetDocument(), doc);

    doc->UpdateAllViews(&b, 7);
    EXPECT_EQ(a.updates, 1);
    EXPECT_EQ(b.updates, 0);
    EXPECT_EQ(c.updates, 1);
    EXPECT_EQ(a.lastSender, &b);
    EXPECT_EQ(c.lastHint, 7);

    doc->UpdateAllViews(nullptr);
    EXPECT_EQ(b.updates, 1);
    EXPECT_EQ(b.lastHint, 0);

    // Detaching the views one by one: the last one closes the document.
    QPointer<Document> alive(doc);
    doc->RemoveView(&a);
    doc->RemoveView(&b);
    EXPECT_FALSE(doc->IsClosing());
    doc->RemoveView(&c);
    EXPECT_TRUE(doc->IsClosing());
    EXPECT_EQ(c.GetDocument(), nullptr);
    test::Flush();
    EXPECT_TRUE(alive.isNull());
}

TEST(Document, ModifiedFlagSignalsOnlyChanges) {
    NumberDoc doc;
    int signals_ = 0;
    QObject::connect(&doc, &Document::ModifiedChanged, [&] { ++signals_; });
    doc.SetModifiedFlag();
    doc.SetModifiedFlag(true);
    EXPECT_TRUE(doc.IsModified());
    doc.SetModifiedFlag(false);
    EXPECT_EQ(signals_, 2);
    doc.SetModifiedFlag(true);
    EXPECT_TRUE(doc.OnNewDocument());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(doc.GetPathName().isEmpty());
}

TEST(Document, SavePromptAnswers) {
    test::TempDir dir;
    MessageRecorder messages;
    FilePrompt prompt;
    NumberDoc doc;
    doc.SetTitle("FEM1");

    EXPECT_TRUE(doc.SaveModified()); // unmodified: no question
    EXPECT_TRUE(messages.Texts().isEmpty());

    doc.SetModifiedFlag();
    messages.QueueAnswer(MessageAnswer::Cancel);
    EXPECT_FALSE(doc.SaveModified());
    EXPECT_EQ(messages.Last(), "Save changes to FEM1?");
    EXPECT_TRUE(doc.IsModified());

    messages.QueueAnswer(MessageAnswer::No);
    EXPECT_TRUE(doc.SaveModified());
    EXPECT_EQ(prompt.asked, 0);

    // Yes on an untitled document asks for a name; cancelling that keeps the document open.
    messages.QueueAnswer(MessageAnswer::Yes);
    EXPECT_FALSE(doc.SaveModified());
    EXPECT_EQ(prompt.asked, 1);
    EXPECT_EQ(prompt.suggested, "FEM1.fem");

    // Yes with a name saves and clears the flag; the title becomes the file name.
    doc.value = 42;
    prompt.answer = QString::fromStdString(dir.file("wall.num"));
    messages.QueueAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(doc.SaveModified());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), "wall.num");
    EXPECT_EQ(doc.GetPathName(), prompt.answer);
    QFile file(prompt.answer);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "N=42");
}

TEST(Document, SaveUsesThePathAndSaveAsAsks) {
    test::TempDir dir;
    MessageRecorder messages;
    FilePrompt prompt;
    NumberDoc doc;
    const QString first = QString::fromStdString(dir.file("a.num"));
    doc.SetPathName(first, false);
    doc.value = 1;
    doc.SetModifiedFlag();
    EXPECT_TRUE(doc.OnCommand(cmd::kFileSave));
    EXPECT_EQ(prompt.asked, 0);
    EXPECT_FALSE(doc.IsModified());

    prompt.answer = QString::fromStdString(dir.file("b.num"));
    doc.value = 2;
    EXPECT_TRUE(doc.OnCommand(cmd::kFileSaveAs));
    EXPECT_EQ(prompt.asked, 1);
    EXPECT_EQ(prompt.suggested, first);
    EXPECT_EQ(doc.GetPathName(), prompt.answer);
    CommandState state;
    EXPECT_TRUE(doc.OnUpdateCommand(cmd::kFileSave, state));
    EXPECT_TRUE(state.enabled);
}

TEST(Document, FailuresAreReportedWithTheirDetail) {
    test::TempDir dir;
    MessageRecorder messages;
    NumberDoc doc;
    const QString bad = QString::fromStdString(dir.file("bad.num"));
    {
        QFile file(bad);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("garbage");
    }
    EXPECT_FALSE(doc.OnOpenDocument(bad));
    EXPECT_EQ(messages.Last(), "Unexpected file format.\n" + bad + ": no N=");

    EXPECT_FALSE(doc.OnOpenDocument(QString::fromStdString(dir.file("missing.num"))));
    EXPECT_TRUE(messages.Last().startsWith("Failed to open document.\n"));

    // A save that fails keeps the flag and the path.
    doc.SetModifiedFlag();
    EXPECT_FALSE(doc.DoSave(QString::fromStdString(dir.file("no/such/folder/x.num"))));
    EXPECT_TRUE(messages.Last().startsWith("Failed to save document."));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(doc.GetPathName().isEmpty());
}

} // namespace
} // namespace torva
