// Paths that are not plain files: an input that is a directory or a FIFO nobody
// writes to, a destination in a missing directory, no usable temporary directory.
#include "hostile.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using Paths = hostile::Test;

// They exist, so "not found" would mislead; the loaders must answer, not wait.
TEST_F(Paths, DirectoryAndFifoAreRefusedByBothLoadersWithoutWaiting)
{
    const QString directory = dir.path(QStringLiteral("a-directory"));
    const QString fifo = dir.path(QStringLiteral("a-fifo"));
    ASSERT_TRUE(QDir().mkdir(directory));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {directory, fifo}) {
        for (auto load : {gen__qtxmlif_load, gen__qtxmlif_load_incremental}) {
            int id = 0;
            recorder_reset();
            EXPECT_EQ(load(path.toUtf8().constData(), &id), GEN__QTXMLIF_E_OPEN_FAILED);
            EXPECT_EQ(id, -1);
            EXPECT_EQ(testsupport::records(), "71: Unable to open document: " + path.toStdString() + " | trace @load");
        }
    }
}

using Create = uint32_t (*)(int*, const char*);

int build(Create create)
{
    int id = -1;
    EXPECT_EQ(create(&id, "kept"), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_open_node("child"), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_add_text("text"), GEN__QTXMLIF_OK);
    return id;
}

class Destinations : public Paths, public ::testing::WithParamInterface<std::pair<const char*, Create>> {};

// A refused save loses nothing: the document still saves elsewhere.
TEST_P(Destinations, MissingDirectoryRefusesTheSaveAndLosesNothing)
{
    const int id = build(GetParam().second);
    const QByteArray missing = dir.path(QStringLiteral("missing/out.xml")).toUtf8();
    recorder_reset();
    EXPECT_EQ(gen__qtxmlif_save(id, missing.constData()), GEN__QTXMLIF_E_SAVE_FAILED);
    EXPECT_EQ(testsupport::records(), "188: Unable to open file for saving : " + missing.toStdString());

    QFile good(dir.path(QStringLiteral("out.xml")));
    EXPECT_EQ(gen__qtxmlif_save(id, QFile::encodeName(good.fileName()).constData()), GEN__QTXMLIF_OK);
    QByteArray saved;
    if (GetParam().second == gen__qtxmlif_add_document_to_encrypt) {
        // A buffer writer keeps its text in memory; saving only ends it.
        char* bytes = nullptr;
        int length = 0;
        ASSERT_EQ(gen__qtxmlif_get_buff_to_encrypt(id, &bytes, &length), GEN__QTXMLIF_OK);
        saved = QByteArray(bytes, length);
    } else if (good.open(QIODevice::ReadOnly)) {
        saved = good.readAll();
    }
    EXPECT_TRUE(saved.contains("<kept>") && saved.contains("text</child>")) << saved.constData();
    EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
}

INSTANTIATE_TEST_SUITE_P(Hostile, Destinations,
                         ::testing::Values(std::make_pair("Dom", gen__qtxmlif_add_document),
                                           std::make_pair("FileWriter", gen__qtxmlif_add_document_incremental),
                                           std::make_pair("BufferWriter", gen__qtxmlif_add_document_to_encrypt)),
                         [](const auto& info) { return std::string(info.param.first); });

// The file writer needs a temporary file for its save; without one the save
// fails with message 194 and leaves no destination behind.
TEST_F(Paths, FileWriterSaveFailsCleanlyWithoutAUsableTemporaryDirectory)
{
    const QByteArray savedTmpdir = qgetenv("TMPDIR");
    qputenv("TMPDIR", dir.path(QStringLiteral("missing")).toUtf8());
    const int id = build(gen__qtxmlif_add_document_incremental);
    const QByteArray destination = dir.path(QStringLiteral("out.xml")).toUtf8();
    recorder_reset();
    EXPECT_EQ(gen__qtxmlif_save(id, destination.constData()), GEN__QTXMLIF_E_SAVE_FAILED);
    EXPECT_EQ(testsupport::records(), "194: error saving XML document: " + destination.toStdString());
    EXPECT_FALSE(QFile::exists(QString::fromUtf8(destination)));
    EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
    savedTmpdir.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", savedTmpdir);
}

} // namespace
