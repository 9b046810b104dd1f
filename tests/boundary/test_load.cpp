// The four loading functions through the shared library: every failure, the
// working document each path leaves, paths and encodings a real caller meets.
#include "test_load_support.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <sys/stat.h>
#include <unistd.h>

extern "C" uint32_t load_buff_incremental_with_char_flag(const char* buff, int* doc_id, unsigned char flag);

namespace {

using testsupport::isMessage;
using testsupport::isReport;
using testsupport::walk;

constexpr const char* loadSource = "gen/gen_qtxmlif/gen_qtxmlif_load.cpp";
constexpr int untouched = 77;

struct FileLoader {
    const char* name;
    uint32_t (*load)(const char*, int*);
};

void PrintTo(const FileLoader& loader, std::ostream* out)
{
    *out << loader.name;
}

const FileLoader fileLoaders[] = {{"dom", gen__qtxmlif_load}, {"incremental", gen__qtxmlif_load_incremental}};

::testing::AssertionResult oneStatusTraceAt(int index)
{
    if (recorder_status_checks() != 1 || recorder_kind(index) != RECORD_STATUS ||
        qstrcmp(recorder_file(index), loadSource) != 0)
        return ::testing::AssertionFailure() << "no single status trace from " << loadSource << " at " << index;
    return ::testing::AssertionSuccess();
}

// Key 82 names the caller's path and the parser's position: `line` exactly when
// given, the column as whatever the parser counted.
::testing::AssertionResult isSyntaxMessage(int index, const QByteArray& path, int line = -1)
{
    const char* defaultText = "XML document syntax error in file: %s\nError found in line %d, column %d.\n";
    const QByteArray filled = "XML document syntax error in file: " + path + "\nError found in line ";
    const QRegularExpression pattern(QLatin1Char('^') + QRegularExpression::escape(QString::fromUtf8(filled)) +
                                     (line < 0 ? QStringLiteral("\\d+") : QString::number(line)) +
                                     QStringLiteral(", column \\d+\\.\n$"));
    const QByteArray text = QByteArray(recorder_text(index)).mid(qstrlen("@$@#gen_qtxmlif@$@#GENERAL@$@#82@$@#"));
    if (!pattern.match(QString::fromUtf8(text)).hasMatch())
        return ::testing::AssertionFailure() << "text: " << recorder_text(index);
    return isMessage(index, 82, defaultText, text);
}

// No document is working when a building call meets the "no working document"
// report.
bool noWorkingDocument()
{
    recorder_reset();
    const bool none = gen__qtxmlif_open_level() == GEN__QTXMLIF_E_NO_DOCUMENT &&
                      isReport(0, "xmlManager.documentExist( doc_id )", "gen/gen_qtxmlif/gen_qtxmlif_build.cpp");
    recorder_reset();
    return none;
}

QString documentText(int docID)
{
    QString text;
    EXPECT_EQ(gen__qtxmlif_doc_to_string(docID, &text), GEN__QTXMLIF_OK);
    return text;
}

// The text as UTF-16 code units behind a byte-order mark.
QByteArray utf16(const QString& text, bool bigEndian)
{
    QByteArray bytes;
    for (const QChar unit : QString(QChar(0xFEFF)) + text) {
        bytes += static_cast<char>(bigEndian ? unit.row() : unit.cell());
        bytes += static_cast<char>(bigEndian ? unit.cell() : unit.row());
    }
    return bytes;
}

class Loading : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::useUtf8Locale();
        recorder_reset();
    }
    testsupport::ScratchDir scratch;
};

class FileLoading : public Loading, public ::testing::WithParamInterface<FileLoader> {
protected:
    uint32_t load(const QString& path, int* docID) { return GetParam().load(path.toUtf8().constData(), docID); }
};

TEST_P(FileLoading, EmptyPathIsReportedAndLeavesTheIdAlone)
{
    for (const char* path : {static_cast<const char*>(nullptr), ""}) {
        recorder_reset();
        int docID = untouched;
        EXPECT_EQ(GetParam().load(path, &docID), GEN__QTXMLIF_E_NO_DOCUMENT);
        EXPECT_EQ(docID, untouched);
        EXPECT_EQ(recorder_count(), 3);
        EXPECT_TRUE(isReport(0, "!((file_path) ? (file_path)[0]=='\\0' : 1)", loadSource));
        EXPECT_TRUE(oneStatusTraceAt(2));
    }
}

TEST_P(FileLoading, MissingFileIsNotFoundWithTheCallersPath)
{
    const QByteArray path = scratch.path(QStringLiteral("absent.xml")).toUtf8() + "/../absent.xml";
    int docID = untouched;
    EXPECT_EQ(GetParam().load(path.constData(), &docID), GEN__QTXMLIF_E_NO_DOCUMENT);
    EXPECT_EQ(docID, -1);
    EXPECT_TRUE(isMessage(0, 64, "Unable to find document: %s", "Unable to find document: " + path));
    EXPECT_TRUE(oneStatusTraceAt(1));
    EXPECT_EQ(recorder_count(), 2);
}

// A directory exists, so it is reported as a document that cannot be opened.
TEST_P(FileLoading, DirectoryCannotBeOpened)
{
    const QByteArray path = scratch.path(QStringLiteral("folder")).toUtf8();
    ASSERT_TRUE(QDir().mkpath(QString::fromUtf8(path)));
    int docID = untouched;
    EXPECT_EQ(GetParam().load(path.constData(), &docID), GEN__QTXMLIF_E_OPEN_FAILED);
    EXPECT_EQ(docID, -1);
    EXPECT_TRUE(isMessage(0, 71, "Unable to open document: %s", "Unable to open document: " + path));
    EXPECT_TRUE(oneStatusTraceAt(1));
}

TEST_P(FileLoading, FifoWithoutWriterFailsAtOnce)
{
    const QByteArray path = scratch.path(QStringLiteral("pipe")).toUtf8();
    ASSERT_EQ(mkfifo(path.constData(), 0600), 0);
    alarm(20); // a blocking open would otherwise hang the test run
    int docID = untouched;
    EXPECT_EQ(GetParam().load(path.constData(), &docID), GEN__QTXMLIF_E_OPEN_FAILED);
    alarm(0);
    EXPECT_TRUE(isMessage(0, 71, "Unable to open document: %s", "Unable to open document: " + path));
    EXPECT_TRUE(oneStatusTraceAt(1));
}

TEST_P(FileLoading, PathWithNonAsciiCharactersLoads)
{
    const QString path = scratch.write(QStringLiteral("čšž dokument 日本.xml"), "<päckchen größe=\"5\"/>");
    int docID = -1;
    ASSERT_EQ(load(path, &docID), GEN__QTXMLIF_OK);
    EXPECT_EQ(recorder_count(), 0);
    EXPECT_EQ(walk(docID).value(0), QStringLiteral("1 %1 päckchen=").arg(GetParam().load == gen__qtxmlif_load ? 0 : 2));
    EXPECT_EQ(gen__qtxmlif_del_document(docID), GEN__QTXMLIF_OK);
}

// Text mode would drop the 0x0D bytes of CR LF and of code units such as U+010D
// (č) or U+0D15 (ക): a UTF-16 file must give exactly the events of its UTF-8 twin.
TEST_P(FileLoading, Utf16FilesWalkLikeTheirUtf8Twin)
{
    const QString text = QStringLiteral("<doc a=\"č\">\r\n<item b=\"ക\">x č\r\ny ഁ</item>\r\n</doc>\r\n");
    int utf8ID = -1;
    ASSERT_EQ(load(scratch.write(QStringLiteral("twin-8.xml"), text.toUtf8()), &utf8ID), GEN__QTXMLIF_OK);
    const QStringList expected = walk(utf8ID);
    const QString events = expected.join(QLatin1Char('|'));
    EXPECT_TRUE(events.contains(QStringLiteral("b=ക")) && events.contains(QStringLiteral("x č\ny ഁ")))
        << qPrintable(events);
    EXPECT_EQ(gen__qtxmlif_del_document(utf8ID), GEN__QTXMLIF_OK);

    for (const bool bigEndian : {false, true}) {
        int utf16ID = -1;
        ASSERT_EQ(load(scratch.write(QStringLiteral("twin-16.xml"), utf16(text, bigEndian)), &utf16ID),
                  GEN__QTXMLIF_OK)
            << "big endian: " << bigEndian << ", " << recorder_text(recorder_last_log());
        EXPECT_EQ(walk(utf16ID), expected) << "big endian: " << bigEndian;
        EXPECT_EQ(gen__qtxmlif_del_document(utf16ID), GEN__QTXMLIF_OK);
    }
}

INSTANTIATE_TEST_SUITE_P(BothFileLoaders, FileLoading, ::testing::ValuesIn(fileLoaders),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Loading, DomFileThatDoesNotParseReportsTheParserPosition)
{
    const QByteArray path = scratch.write(QStringLiteral("broken.xml"), "<a>\n<b>\n</c>\n</a>\n").toUtf8();
    int docID = untouched;
    EXPECT_EQ(gen__qtxmlif_load(path.constData(), &docID), GEN__QTXMLIF_E_SYNTAX);
    EXPECT_EQ(docID, -1);
    EXPECT_TRUE(isSyntaxMessage(0, path, 3));
    EXPECT_TRUE(oneStatusTraceAt(1));
    EXPECT_TRUE(noWorkingDocument());
}

TEST_F(Loading, EmptyFileIsASyntaxErrorForDomAndLoadsIncrementally)
{
    const QByteArray path = scratch.write(QStringLiteral("empty.xml"), QByteArray()).toUtf8();
    int docID = untouched;
    EXPECT_EQ(gen__qtxmlif_load(path.constData(), &docID), GEN__QTXMLIF_E_SYNTAX);
    EXPECT_EQ(docID, -1);
    EXPECT_TRUE(isSyntaxMessage(0, path));
    EXPECT_TRUE(oneStatusTraceAt(1));

    recorder_reset();
    ASSERT_EQ(gen__qtxmlif_load_incremental(path.constData(), &docID), GEN__QTXMLIF_OK);
    EXPECT_TRUE(gen__qtxmlif_document_exist(docID));
    EXPECT_EQ(recorder_count(), 0);
    EXPECT_EQ(gen__qtxmlif_del_document(docID), GEN__QTXMLIF_OK);
}

TEST_F(Loading, FailedDomLoadLeavesNoDocumentBehind)
{
    int before = -1;
    ASSERT_EQ(gen__qtxmlif_add_document(&before, "before"), GEN__QTXMLIF_OK);
    int docID = untouched;
    EXPECT_EQ(gen__qtxmlif_load_buff("<a><b></a>", &docID, false), GEN__QTXMLIF_E_SYNTAX);
    EXPECT_EQ(docID, -1);
    EXPECT_FALSE(gen__qtxmlif_document_exist(before + 1));
    EXPECT_TRUE(noWorkingDocument());
    int after = -1;
    ASSERT_EQ(gen__qtxmlif_add_document(&after, "after"), GEN__QTXMLIF_OK);
    EXPECT_EQ(after, before + 1) << "the half-made document still holds its ID";
    EXPECT_EQ(gen__qtxmlif_del_document(after), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_del_document(before), GEN__QTXMLIF_OK);
}

TEST_F(Loading, EmptyBufferFailsWithOnlyTheStatusTrace)
{
    for (auto load : {gen__qtxmlif_load_buff, gen__qtxmlif_load_buff_incremental}) {
        for (const char* buffer : {static_cast<const char*>(nullptr), ""}) {
            recorder_reset();
            int docID = untouched;
            EXPECT_EQ(load(buffer, &docID, false), GEN__QTXMLIF_E_FAILED);
            EXPECT_EQ(docID, untouched);
            EXPECT_EQ(recorder_count(), 1);
            EXPECT_TRUE(oneStatusTraceAt(0));
        }
    }
}

TEST_F(Loading, BufferThatDoesNotParseFailsSilently)
{
    int docID = untouched;
    EXPECT_EQ(gen__qtxmlif_load_buff("<a>\n<b>\n</c>", &docID, false), GEN__QTXMLIF_E_SYNTAX);
    EXPECT_EQ(docID, -1);
    EXPECT_EQ(recorder_count(), 1);
    EXPECT_TRUE(oneStatusTraceAt(0));
}

TEST_F(Loading, MalformedTextLoadsIncrementallyAndFailsOnlyWhenWalked)
{
    const QString path = scratch.write(QStringLiteral("broken.xml"), "<a><b></a>");
    int fromFile = -1, fromBuffer = -1;
    EXPECT_EQ(gen__qtxmlif_load_incremental(path.toUtf8().constData(), &fromFile), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_load_buff_incremental("<a><b></a>", &fromBuffer, false), GEN__QTXMLIF_OK);
    EXPECT_EQ(recorder_count(), 0);
    EXPECT_NE(fromFile, fromBuffer);
    EXPECT_EQ(gen__qtxmlif_del_document(fromFile), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_del_document(fromBuffer), GEN__QTXMLIF_OK);
}

TEST_F(Loading, DomLoadsBecomeWorkingAndIncrementalLoadsDoNot)
{
    int base = -1;
    ASSERT_EQ(gen__qtxmlif_add_document(&base, "base"), GEN__QTXMLIF_OK);
    const QString path = scratch.write(QStringLiteral("x.xml"), "<loaded/>");

    int reader = -1, bufferReader = -1;
    ASSERT_EQ(gen__qtxmlif_load_incremental(path.toUtf8().constData(), &reader), GEN__QTXMLIF_OK);
    ASSERT_EQ(gen__qtxmlif_load_buff_incremental("<loaded/>", &bufferReader, false), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_open_node("stillBase"), GEN__QTXMLIF_OK);
    EXPECT_TRUE(documentText(base).contains(QStringLiteral("<stillBase/>")));

    int fromFile = -1, fromBuffer = -1;
    ASSERT_EQ(gen__qtxmlif_load(path.toUtf8().constData(), &fromFile), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_open_level(), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_open_node("intoFile"), GEN__QTXMLIF_OK);
    EXPECT_TRUE(documentText(fromFile).contains(QStringLiteral("<intoFile/>")));
    ASSERT_EQ(gen__qtxmlif_load_buff("<loaded/>", &fromBuffer, false), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_open_level(), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_open_node("intoBuffer"), GEN__QTXMLIF_OK);
    EXPECT_TRUE(documentText(fromBuffer).contains(QStringLiteral("<intoBuffer/>")));

    for (int docID : {fromBuffer, fromFile, bufferReader, reader, base})
        EXPECT_EQ(gen__qtxmlif_del_document(docID), GEN__QTXMLIF_OK);
}

// 1000 counts as no pointer; 1001 is used, which here means a write through it.
TEST_F(Loading, IdOutParameterIsWrittenOnlyAbove1000)
{
    const QByteArray path = scratch.write(QStringLiteral("x.xml"), "<x/>").toUtf8();
    auto* const absent = reinterpret_cast<int*>(1000);
    auto* const present = reinterpret_cast<int*>(1001);
    int probe = -1;
    ASSERT_EQ(gen__qtxmlif_add_document(&probe, nullptr), GEN__QTXMLIF_OK);
    ASSERT_EQ(gen__qtxmlif_del_document(probe), GEN__QTXMLIF_OK);
    const auto loaders = {
        +[](const char* p, int* id) { return gen__qtxmlif_load(p, id); },
        +[](const char* p, int* id) { return gen__qtxmlif_load_incremental(p, id); },
        +[](const char*, int* id) { return gen__qtxmlif_load_buff("<x/>", id, false); },
        +[](const char*, int* id) { return gen__qtxmlif_load_buff_incremental("<x/>", id, false); },
    };
    for (auto load : loaders) {
        EXPECT_EQ(load(path.constData(), absent), GEN__QTXMLIF_OK);
        EXPECT_TRUE(gen__qtxmlif_document_exist(probe)) << "the load did not run";
        EXPECT_EQ(gen__qtxmlif_del_document(probe), GEN__QTXMLIF_OK);
        EXPECT_DEATH(load(path.constData(), present), "");
    }
}

// A legacy host may declare the flag as a char and pass any non-zero byte.
TEST_F(Loading, AnyNonZeroNoCaseByteMeansTrue)
{
    int docID = -1;
    ASSERT_EQ(load_buff_incremental_with_char_flag("<Item/>", &docID, 2), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_begin_traversion(docID, "item", nullptr), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_del_document(docID), GEN__QTXMLIF_OK);

    ASSERT_EQ(load_buff_incremental_with_char_flag("<Item/>", &docID, 0), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_begin_traversion(docID, "item", nullptr), GEN__QTXMLIF_E_FAILED);
    EXPECT_EQ(gen__qtxmlif_del_document(docID), GEN__QTXMLIF_OK);
}

} // namespace
