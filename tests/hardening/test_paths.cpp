// Paths that are not plain files: inputs that are a directory or a FIFO nobody
// writes to, a destination in a missing directory, and a temporary directory
// the file writer cannot use.
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
            EXPECT_EQ(load(path.toUtf8().constData(), &id), GEN__QTXMLIF_E_OPEN_FAILED);
            EXPECT_EQ(id, -1);
            EXPECT_TRUE(testsupport::isMessage(recorder_last_log(), 71, "Unable to open document: %s",
                                               "Unable to open document: " + path.toUtf8()));
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

struct Kind {
    const char* name;
    Create create;
};

class Destinations : public Paths, public ::testing::WithParamInterface<Kind> {};

// A refused save loses nothing: the document still saves elsewhere.
TEST_P(Destinations, MissingDirectoryRefusesTheSaveAndLosesNothing)
{
    const int id = build(GetParam().create);
    const QByteArray missing = dir.path(QStringLiteral("missing/out.xml")).toUtf8();
    EXPECT_EQ(gen__qtxmlif_save(id, missing.constData()), GEN__QTXMLIF_E_SAVE_FAILED);
    EXPECT_TRUE(testsupport::isMessage(recorder_last_log(), 188, "Unable to open file for saving : %s",
                                       "Unable to open file for saving : " + missing));

    QFile good(dir.path(QStringLiteral("out.xml")));
    EXPECT_EQ(gen__qtxmlif_save(id, QFile::encodeName(good.fileName()).constData()), GEN__QTXMLIF_OK);
    QByteArray saved;
    if (GetParam().create == gen__qtxmlif_add_document_to_encrypt) {
        // A buffer writer keeps its text in memory; saving only ends it.
        char* bytes = nullptr;
        int length = 0;
        ASSERT_EQ(gen__qtxmlif_get_buff_to_encrypt(id, &bytes, &length), GEN__QTXMLIF_OK);
        saved = QByteArray(bytes, length);
    } else {
        ASSERT_TRUE(good.open(QIODevice::ReadOnly));
        saved = good.readAll();
    }
    EXPECT_TRUE(saved.contains("<kept>") && saved.contains("text</child>")) << saved.constData();
    EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
}

INSTANTIATE_TEST_SUITE_P(Hostile, Destinations,
                         ::testing::Values(Kind{"Dom", gen__qtxmlif_add_document},
                                           Kind{"FileWriter", gen__qtxmlif_add_document_incremental},
                                           Kind{"BufferWriter", gen__qtxmlif_add_document_to_encrypt}),
                         [](const auto& info) { return std::string(info.param.name); });

// A temporary directory that is missing, or that nobody (root included) can
// create files in: building works, the save fails and leaves no destination.
TEST_F(Paths, FileWriterSaveFailsCleanlyWithoutAUsableTemporaryDirectory)
{
    const bool hadTmpdir = qEnvironmentVariableIsSet("TMPDIR");
    const QByteArray savedTmpdir = qgetenv("TMPDIR");
    for (const char* temp : {"/nonexistent/rururoro-temp", "/proc"}) {
        qputenv("TMPDIR", temp);
        const int id = build(gen__qtxmlif_add_document_incremental);
        const QByteArray destination = dir.path(QStringLiteral("out.xml")).toUtf8();
        EXPECT_EQ(gen__qtxmlif_save(id, destination.constData()), GEN__QTXMLIF_E_SAVE_FAILED) << temp;
        EXPECT_TRUE(testsupport::isMessage(recorder_last_log(), 194, "error saving XML document: %s",
                                           "error saving XML document: " + destination));
        // Removed if it is there, so that it cannot count again.
        EXPECT_FALSE(QFile::remove(QString::fromUtf8(destination))) << temp;
        EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
    }
    if (hadTmpdir)
        qputenv("TMPDIR", savedTmpdir);
    else
        qunsetenv("TMPDIR");
}

} // namespace
