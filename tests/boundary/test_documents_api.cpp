// Creating, selecting, deleting, saving and taking out documents through the
// shared library, with the reports and messages of each failure.
#include "test_load_support.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using testsupport::isMessage;
using testsupport::isReport;

constexpr const char* documentsSource = "gen/gen_qtxmlif/gen_qtxmlif_documents.cpp";
constexpr int unknownID = 987654;

::testing::AssertionResult isNotFound(int number)
{
    return isMessage(0, number, "XML document ID %d not found", "XML document ID 987654 not found");
}

class Documents : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::useUtf8Locale();
        recorder_reset();
    }
    void TearDown() override
    {
        for (int docID : created)
            gen__qtxmlif_del_document(docID);
    }
    // A new document that the test removes at its end whatever happens.
    int make(uint32_t (*add)(int*, const char*), const char* rootName = "root")
    {
        int docID = -1;
        EXPECT_EQ(add(&docID, rootName), GEN__QTXMLIF_OK);
        created.push_back(docID);
        return docID;
    }
    int load(const char* text, uint32_t (*loadBuffer)(const char*, int*, bool))
    {
        int docID = -1;
        EXPECT_EQ(loadBuffer(text, &docID, false), GEN__QTXMLIF_OK);
        created.push_back(docID);
        return docID;
    }
    // The working document is the one a building call lands in.
    QString buildAndShow(int docID, const char* element)
    {
        EXPECT_EQ(gen__qtxmlif_open_node(element), GEN__QTXMLIF_OK);
        QString text;
        EXPECT_EQ(gen__qtxmlif_doc_to_string(docID, &text), GEN__QTXMLIF_OK);
        return text;
    }
    std::vector<int> created;
    testsupport::ScratchDir scratch;
};

TEST_F(Documents, CreationNumbersDocumentsAndMakesEachTheWorkingOne)
{
    const int dom = make(gen__qtxmlif_add_document, nullptr);
    const int writer = make(gen__qtxmlif_add_document_incremental);
    const int buffer = make(gen__qtxmlif_add_document_to_encrypt);
    EXPECT_EQ(QList<int>({writer, buffer}), QList<int>({dom + 1, dom + 2}));
    EXPECT_EQ(gen__qtxmlif_open_level(), GEN__QTXMLIF_E_FAILED) << "the buffer writer is not working";
    EXPECT_EQ(gen__qtxmlif_set_working_document(dom), GEN__QTXMLIF_OK);
    EXPECT_EQ(buildAndShow(dom, "child"), QStringLiteral("<root>\n  <child/>\n</root>\n"));

    recorder_reset();
    EXPECT_EQ(gen__qtxmlif_set_working_document(unknownID), GEN__QTXMLIF_E_FAILED);
    EXPECT_TRUE(isReport(0, "xmlManager.documentExist( doc_id )", documentsSource));
    EXPECT_TRUE(buildAndShow(dom, "still").contains(QStringLiteral("<still/>"))) << "working document changed";

    for (auto add : {gen__qtxmlif_add_document, gen__qtxmlif_add_document_incremental,
                     gen__qtxmlif_add_document_to_encrypt}) {
        EXPECT_EQ(add(reinterpret_cast<int*>(1000), "r"), GEN__QTXMLIF_OK);
        EXPECT_EQ(gen__qtxmlif_del_document(buffer + 1), GEN__QTXMLIF_OK) << "no document was made";
        EXPECT_DEATH(add(reinterpret_cast<int*>(1001), "r"), "");
    }
}

TEST_F(Documents, DeletionAndExistence)
{
    const int dom = make(gen__qtxmlif_add_document);
    EXPECT_EQ(gen__qtxmlif_del_document(-1), GEN__QTXMLIF_OK);
    EXPECT_FALSE(gen__qtxmlif_document_exist(0));
    EXPECT_EQ(recorder_count(), 0);
    EXPECT_EQ(gen__qtxmlif_del_document(unknownID), GEN__QTXMLIF_E_NO_DOCUMENT);
    EXPECT_TRUE(isReport(0, "removedDocID == doc_id", documentsSource));
    EXPECT_FALSE(gen__qtxmlif_document_exist(-1));
    EXPECT_TRUE(isReport(2, "doc_id >= 0", documentsSource));
    EXPECT_TRUE(buildAndShow(dom, "kept").contains(QStringLiteral("<kept/>"))) << "working document changed";

    // Removing any document, working or not, leaves none working.
    const int other = make(gen__qtxmlif_add_document);
    EXPECT_EQ(gen__qtxmlif_set_working_document(dom), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_del_document(other), GEN__QTXMLIF_OK);
    EXPECT_FALSE(gen__qtxmlif_document_exist(other));
    EXPECT_EQ(gen__qtxmlif_open_level(), GEN__QTXMLIF_E_NO_DOCUMENT);
}

TEST_F(Documents, SaveWritesTheDocumentAndKeepsItRegistered)
{
    const int dom = make(gen__qtxmlif_add_document, "xmlRoot");
    const QString path = scratch.path(QStringLiteral("saved ž.xml"));
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(gen__qtxmlif_save(dom, path.toUtf8().constData()), GEN__QTXMLIF_OK);
        QFile saved(path);
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        EXPECT_EQ(saved.readAll(), QByteArray("<?xml version='1.0' encoding='UTF-8'?>\n<xmlRoot/>\n"));
    }
    EXPECT_EQ(recorder_count(), 0);
}

TEST_F(Documents, SaveFailuresAreLoggedWithTheirKeys)
{
    const QByteArray path = scratch.path(QStringLiteral("never.xml")).toUtf8();
    EXPECT_EQ(gen__qtxmlif_save(unknownID, path.constData()), GEN__QTXMLIF_E_NO_SUCH_ID);
    EXPECT_TRUE(isNotFound(183));
    EXPECT_FALSE(QFileInfo::exists(QString::fromUtf8(path))) << "the file was created";

    const int dom = make(gen__qtxmlif_add_document);
    const QByteArray fifo = scratch.path(QStringLiteral("pipe")).toUtf8();
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    for (const QByteArray& target : {QByteArray(), scratch.path(QStringLiteral("no/dir.xml")).toUtf8(), fifo}) {
        recorder_reset();
        alarm(20); // a FIFO without a reader must not hold the caller
        EXPECT_EQ(gen__qtxmlif_save(dom, target.constData()), GEN__QTXMLIF_E_SAVE_FAILED);
        alarm(0);
        EXPECT_TRUE(isMessage(0, 188, "Unable to open file for saving : %s", "Unable to open file for saving : " + target));
    }

    recorder_reset();
    EXPECT_EQ(gen__qtxmlif_save(load("<a/>", gen__qtxmlif_load_buff_incremental), path.constData()),
              GEN__QTXMLIF_E_SAVE_FAILED);
    EXPECT_TRUE(isMessage(0, 194, "error saving XML document: %s", "error saving XML document: " + path));
    EXPECT_EQ(recorder_status_checks(), 0);
}

TEST_F(Documents, BufferBytesAreHandedOutUntilTheNextCall)
{
    const int buffer = make(gen__qtxmlif_add_document_to_encrypt, "secret");
    ASSERT_EQ(gen__qtxmlif_open_node("a"), GEN__QTXMLIF_OK);
    char* bytes = nullptr;
    int length = -1;
    ASSERT_EQ(gen__qtxmlif_get_buff_to_encrypt(buffer, &bytes, &length), GEN__QTXMLIF_OK);
    const QByteArray first(bytes, length);
    EXPECT_TRUE(first.endsWith("<a")) << first.constData() << ": the bytes so far, nothing closed";
    EXPECT_EQ(bytes[length], '\0');

    ASSERT_EQ(gen__qtxmlif_close_node(), GEN__QTXMLIF_OK);
    ASSERT_EQ(gen__qtxmlif_close_node(), GEN__QTXMLIF_OK);
    ASSERT_EQ(gen__qtxmlif_get_buff_to_encrypt(buffer, &bytes, &length), GEN__QTXMLIF_OK);
    EXPECT_EQ(QByteArray(bytes, length), first + "/>\n</secret>\n");
    EXPECT_EQ(recorder_count(), 0);
}

// Presets stay when the call fails; the manager's not-supported error never
// reaches the caller: 14601, the refusal reported, its string released.
TEST_F(Documents, FailedOutputRequestsKeepTheirPresets)
{
    char* bytes = reinterpret_cast<char*>(&bytes);
    int length = 5;
    EXPECT_EQ(gen__qtxmlif_get_buff_to_encrypt(1, reinterpret_cast<char**>(1000), &length), GEN__QTXMLIF_E_FAILED);
    EXPECT_TRUE(isReport(0, "((ullong)(buf_p) > 1000) && ((ullong)(buf_len_p) > 1000)", documentsSource));
    EXPECT_EQ(length, 5);
    recorder_reset();
    EXPECT_EQ(gen__qtxmlif_get_buff_to_encrypt(unknownID, &bytes, &length), GEN__QTXMLIF_E_NO_SUCH_ID);
    EXPECT_TRUE(isNotFound(219));
    EXPECT_TRUE(bytes == nullptr && length == 0);

    recorder_reset();
    bytes = reinterpret_cast<char*>(&bytes);
    EXPECT_EQ(gen__qtxmlif_get_buff_to_encrypt(make(gen__qtxmlif_add_document), &bytes, &length),
              GEN__QTXMLIF_E_FAILED);
    EXPECT_TRUE(bytes == nullptr && length == 0);
    EXPECT_TRUE(isReport(
        0, "QtXmlManager: documentToByteArray(...) is not supported for this document type.", documentsSource));

    QString text = QStringLiteral("kept");
    recorder_reset();
    EXPECT_EQ(gen__qtxmlif_doc_to_string(unknownID, reinterpret_cast<QString*>(1000)), GEN__QTXMLIF_E_FAILED);
    EXPECT_TRUE(isReport(0, "((ullong)(qstring_ptr) > 1000)", documentsSource));
    recorder_reset();
    EXPECT_EQ(gen__qtxmlif_doc_to_string(unknownID, &text), GEN__QTXMLIF_E_NO_SUCH_ID);
    EXPECT_TRUE(isNotFound(891));
    recorder_reset();
    EXPECT_EQ(gen__qtxmlif_doc_to_string(load("<a/>", gen__qtxmlif_load_buff_incremental), &text),
              GEN__QTXMLIF_E_FAILED);
    EXPECT_TRUE(isReport(
        0, "QtXmlManager: documentToString(...) is not supported for this document type.", documentsSource));
    EXPECT_EQ(text, QStringLiteral("kept"));
}

TEST_F(Documents, TopLevelNodesCount)
{
    int count = 9;
    EXPECT_EQ(gen__qtxmlif_top_level_nodes_count(unknownID, nullptr, &count), GEN__QTXMLIF_E_NO_SUCH_ID);
    EXPECT_TRUE(isNotFound(913));
    EXPECT_EQ(count, 0);

    const int dom = load("<r>text<a/><!-- note --><b/></r>", gen__qtxmlif_load_buff);
    count = 9;
    EXPECT_EQ(gen__qtxmlif_top_level_nodes_count(dom, nullptr, &count), GEN__QTXMLIF_OK);
    EXPECT_EQ(count, 0);
    void* start = nullptr;
    ASSERT_EQ(gen__qtxmlif_begin_traversion(dom, nullptr, &start), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_top_level_nodes_count(dom, start, &count), GEN__QTXMLIF_OK);
    EXPECT_EQ(count, 4) << "text, two elements and a comment";
    EXPECT_EQ(gen__qtxmlif_top_level_nodes_count(dom, reinterpret_cast<void*>(1000), &count), GEN__QTXMLIF_OK);
    EXPECT_EQ(count, 0);
    gen__qtxmlif_end_traversion(dom);
}

} // namespace
