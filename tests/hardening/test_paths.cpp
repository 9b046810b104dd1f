// Paths that are not plain files: a directory and a FIFO nobody writes to as
// input (the loaders must answer, not wait), a destination in a missing
// directory, and a temporary directory the file writer cannot use. A refused
// save loses nothing: the document can still be saved elsewhere.
#include "hostile.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace {

using Load = uint32_t (*)(const char*, int*);
using Create = uint32_t (*)(int*, const char*);

class Paths : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::useUtf8Locale();
        recorder_reset();
    }
    void TearDown() override { EXPECT_FALSE(gen__qtxmlif_document_exist(1)) << "a document was left behind"; }

    // Both file loaders refuse `path` as a file they cannot open.
    static void expectUnopenable(const QString& path)
    {
        for (Load load : {gen__qtxmlif_load, gen__qtxmlif_load_incremental}) {
            int id = 0;
            EXPECT_EQ(load(path.toUtf8().constData(), &id), GEN__QTXMLIF_E_OPEN_FAILED);
            EXPECT_EQ(id, -1);
            EXPECT_TRUE(testsupport::isMessage(recorder_last_log(), 71, "Unable to open document: %s",
                                               "Unable to open document: " + path.toUtf8()));
        }
    }

    testsupport::ScratchDir dir;
};

TEST_F(Paths, DirectoryIsRefusedByBothLoaders)
{
    const QString path = dir.path(QStringLiteral("a-directory"));
    ASSERT_TRUE(QDir().mkdir(path));
    expectUnopenable(path);
}

TEST_F(Paths, FifoWithoutWriterIsRefusedWithoutWaiting)
{
    const QString path = dir.path(QStringLiteral("a-fifo"));
    ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    expectUnopenable(path);
}

struct Kind {
    const char* name;
    Create create;
};

class Destinations : public Paths, public ::testing::WithParamInterface<Kind> {};

TEST_P(Destinations, MissingDirectoryRefusesTheSaveAndLosesNothing)
{
    int id = -1;
    ASSERT_EQ(GetParam().create(&id, "kept"), GEN__QTXMLIF_OK);
    ASSERT_EQ(gen__qtxmlif_open_node("child"), GEN__QTXMLIF_OK);
    ASSERT_EQ(gen__qtxmlif_add_text("text"), GEN__QTXMLIF_OK);

    const QByteArray missing = dir.path(QStringLiteral("missing/out.xml")).toUtf8();
    EXPECT_EQ(gen__qtxmlif_save(id, missing.constData()), GEN__QTXMLIF_E_SAVE_FAILED);
    EXPECT_TRUE(testsupport::isMessage(recorder_last_log(), 188, "Unable to open file for saving : %s",
                                           "Unable to open file for saving : " + missing));

    const QString good = dir.path(QStringLiteral("out.xml"));
    EXPECT_EQ(gen__qtxmlif_save(id, good.toUtf8().constData()), GEN__QTXMLIF_OK);
    QByteArray saved;
    if (GetParam().create == gen__qtxmlif_add_document_to_encrypt) {
        // A buffer writer keeps its text in memory; saving only ends it.
        char* bytes = nullptr;
        int length = 0;
        ASSERT_EQ(gen__qtxmlif_get_buff_to_encrypt(id, &bytes, &length), GEN__QTXMLIF_OK);
        saved = QByteArray(bytes, length);
    } else {
        QFile file(good);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        saved = file.readAll();
    }
    EXPECT_TRUE(saved.contains("<kept>")) << saved.constData();
    EXPECT_TRUE(saved.contains("text</child>")) << saved.constData();
    EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
}

INSTANTIATE_TEST_SUITE_P(Hostile, Destinations,
                         ::testing::Values(Kind{"Dom", gen__qtxmlif_add_document},
                                           Kind{"FileWriter", gen__qtxmlif_add_document_incremental},
                                           Kind{"BufferWriter", gen__qtxmlif_add_document_to_encrypt}),
                         [](const auto& info) { return std::string(info.param.name); });

// A temporary directory that is missing, or that nobody (root included) can
// create files in. The writer fails at its save and leaves no destination.
class UnusableTemp : public Paths, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        Paths::SetUp();
        const char* previous = getenv("TMPDIR");
        savedTmpdir = previous ? previous : "";
        hadTmpdir = previous != nullptr;
        setenv("TMPDIR", GetParam(), 1);
    }
    void TearDown() override
    {
        if (hadTmpdir)
            setenv("TMPDIR", savedTmpdir.c_str(), 1);
        else
            unsetenv("TMPDIR");
        Paths::TearDown();
    }

    std::string savedTmpdir;
    bool hadTmpdir = false;
};

TEST_P(UnusableTemp, FileWriterSaveFailsCleanly)
{
    int id = -1;
    ASSERT_EQ(gen__qtxmlif_add_document_incremental(&id, "r"), GEN__QTXMLIF_OK);
    ASSERT_EQ(gen__qtxmlif_open_node("child"), GEN__QTXMLIF_OK);
    ASSERT_EQ(gen__qtxmlif_add_text("text"), GEN__QTXMLIF_OK);
    const QByteArray destination = dir.path(QStringLiteral("out.xml")).toUtf8();
    EXPECT_EQ(gen__qtxmlif_save(id, destination.constData()), GEN__QTXMLIF_E_SAVE_FAILED);
    EXPECT_TRUE(testsupport::isMessage(recorder_last_log(), 194, "error saving XML document: %s",
                                           "error saving XML document: " + destination));
    EXPECT_FALSE(QFile::exists(QString::fromUtf8(destination)));
    EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
}

INSTANTIATE_TEST_SUITE_P(Hostile, UnusableTemp, ::testing::Values("/nonexistent/rururoro-temp", "/proc"),
                         [](const auto& info) {
                             return std::string(info.index == 0 ? "Missing" : "ReadOnly");
                         });

} // namespace
