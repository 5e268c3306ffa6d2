// The document opens and saves the JSON model format as well: the format follows the file name.
#include "document/TorvaDoc.h"
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

TEST(TorvaDocJson, SaveAsJsonAndOpenKeepEveryFieldAndTheOutputElements) {
    test::TempDir dir;
    MessageRecorder messages;
    const QString path = QString::fromStdString(dir.file("wall.json"));
    CTorvaDoc saved;
    saved.framePat->nxs = 9;
    saved.framePat->Flag(5, 6, 3) = 1;
    saved.framePat->Type(5, 6, 3) = 4;
    saved.framePat->Prop(2, 3, 4) = 3550;
    saved.framePat->outputElements[0] = 505;
    saved.framePat->outputCount = 1;
    saved.framePat->activeOutput = 505;
    saved.SetModifiedFlag();
    ASSERT_TRUE(saved.DoSave(path));
    EXPECT_FALSE(saved.IsModified());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("\"fc_MPa\": 35.5"));

    CTorvaDoc opened;
    ASSERT_TRUE(opened.OnOpenDocument(path));
    EXPECT_TRUE(messages.Texts().isEmpty());
    EXPECT_EQ(Image(*opened.framePat), Image(*saved.framePat));
    EXPECT_EQ(opened.framePat->outputCount, 1); // unlike a .fem file, the JSON model keeps them
    EXPECT_EQ(opened.framePat->activeOutput, 505);
}

TEST(TorvaDocJson, ABadJsonModelIsReportedWithTheField) {
    test::TempDir dir;
    MessageRecorder messages;
    const QString path = QString::fromStdString(dir.file("bad.json"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\"format\": \"torva-model\", \"format_version\": 1}");
    file.close();
    CTorvaDoc doc;
    EXPECT_FALSE(doc.OnOpenDocument(path));
    ASSERT_FALSE(messages.Texts().isEmpty());
    EXPECT_TRUE(messages.Texts().join('\n').contains("grid: missing"))
        << messages.Texts().join('\n').toStdString();
}

} // namespace
} // namespace torva
