// The document tells its session of every change of its model, with no analysis window open: an edit,
// its undo and redo, another file read, Option > Loading choosing another method. Each puts the results
// out of date, and the next analysis works on a fresh mesh and equals a fresh session's. Committing an
// unchanged model changes nothing.
#include "analysis/Session.h"
#include "document/TorvaDoc.h"
#include "framework/CommandIds.h"
#include "framework/Settings.h"
#include "model/ModelFile.h"
#include "support/SessionResults.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace torva {
namespace {

using test::FreshResults;
using test::Values;

class DocumentSessionTest : public testing::Test {
protected:
    void SetUp() override {
        Settings::UseFile(QString::fromStdString(dir.file("settings.ini")));
        Settings::SetAnalysisMethod(engine::AnalysisMethod::Classic);
        ASSERT_TRUE(doc.OnNewDocument());
        // The example wall, as a first edit of the new model.
        FileError error;
        ASSERT_TRUE(LoadModelFile(Example(), *doc.framePat, error)) << error.message;
        ASSERT_TRUE(doc.CommitModelEdit(QStringLiteral("Example")));
    }
    void TearDown() override {
        CTorvaDoc::SetModelEditor(cmd::kOptionLoading, nullptr);
        Settings::UseFile(QString());
    }
    static std::string Example() { return (test::SourceDir() / "examples" / "shear-wall.fem").string(); }

    analysis::Session& Session() { return doc.AnalysisSession(); }
    void Analyze() {
        int status = -1;
        std::string refusal;
        ASSERT_TRUE(Session().RunElastic(*doc.framePat, status, refusal)) << refusal;
        ASSERT_EQ(status, 0);
        ASSERT_FALSE(Session().ResultsOutOfDate());
    }
    // After the change: out of date, then a new mesh whose analysis equals a fresh one.
    void ExpectOutOfDateThenFresh(const char* what) {
        SCOPED_TRACE(what);
        EXPECT_TRUE(Session().ResultsOutOfDate());
        const int builds = Session().MeshBuilds();
        Analyze();
        EXPECT_EQ(Session().MeshBuilds(), builds + 1);
        EXPECT_EQ(Values(Session()), FreshResults(*doc.framePat, Session().Method()));
    }

    test::TempDir dir;
    CTorvaDoc doc;
};

TEST_F(DocumentSessionTest, EditUndoRedoAndAnotherFileEachPutTheResultsOutOfDate) {
    ASSERT_TRUE(doc.Views().empty());
    Analyze();
    const std::vector<double> example = Values(Session());

    // An edit: a wider first span type.
    doc.framePat->SpanLengthOf(kAxisX, 1) += 250;
    ASSERT_TRUE(doc.CommitModelEdit(QStringLiteral("Span")));
    ExpectOutOfDateThenFresh("edit");
    EXPECT_NE(Values(Session()), example);

    ASSERT_TRUE(doc.OnCommand(cmd::kEditUndo));
    ExpectOutOfDateThenFresh("undo");
    EXPECT_EQ(Values(Session()), example);

    ASSERT_TRUE(doc.OnCommand(cmd::kEditRedo));
    ExpectOutOfDateThenFresh("redo");

    // Another file read into the document.
    const std::string other = dir.file("narrow.fem");
    CFramePat narrow;
    FileError error;
    ASSERT_TRUE(LoadModelFile(Example(), narrow, error));
    narrow.SpanLengthOf(kAxisX, 1) = 300;
    ASSERT_TRUE(SaveModelFile(other, narrow, error)) << error.message;
    ASSERT_TRUE(doc.OnOpenDocument(QString::fromStdString(other)));
    ExpectOutOfDateThenFresh("open");
}

TEST_F(DocumentSessionTest, TheLoadingDialogsMethodChoicePutsTheResultsOutOfDate) {
    Analyze();
    CTorvaDoc::SetModelEditor(cmd::kOptionLoading, [](CFramePat&, QWidget*) {
        Settings::SetAnalysisMethod(engine::AnalysisMethod::Mcft);
        return true;
    });
    const int builds = Session().MeshBuilds();
    ASSERT_TRUE(doc.RunModelEditor(cmd::kOptionLoading));
    EXPECT_EQ(Session().Method(), engine::AnalysisMethod::Mcft);
    EXPECT_TRUE(Session().ResultsOutOfDate());
    // The same model: the next analysis takes the mesh it has.
    int status = -1;
    std::string refusal;
    ASSERT_TRUE(Session().RunElastic(*doc.framePat, status, refusal)) << refusal;
    EXPECT_EQ(Session().MeshBuilds(), builds);
}

TEST_F(DocumentSessionTest, NothingChangedKeepsTheResultsAndTheMesh) {
    Analyze();
    const int builds = Session().MeshBuilds(), packs = Session().Packs(), revision = Session().Revision();
    EXPECT_FALSE(doc.CommitModelEdit(QStringLiteral("Nothing")));
    doc.UpdateAllViews(nullptr, 0);
    EXPECT_FALSE(Session().ResultsOutOfDate());
    Analyze();
    EXPECT_EQ(Session().MeshBuilds(), builds);
    EXPECT_EQ(Session().Packs(), packs);
    EXPECT_EQ(Session().Revision(), revision);
}

} // namespace
} // namespace torva
