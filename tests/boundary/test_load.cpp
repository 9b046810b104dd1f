// The four loading functions through the shared library: every failure, the
// working document each path leaves, paths and encodings a real caller meets.
#include "test_load_support.h"

#include <QDir>
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

::testing::AssertionResult isStatusTrace(int index)
{
    if (recorder_status_checks() != 1 || recorder_kind(index) != RECORD_STATUS ||
        qstrcmp(recorder_file(index), loadSource) != 0)
        return ::testing::AssertionFailure() << "no single status trace from " << loadSource << " at " << index;
    return ::testing::AssertionSuccess();
}

// Key 82 with the caller's path and the parser's position: `line` exactly when
// given, the column as the parser counted it.
::testing::AssertionResult isSyntaxMessage(int index, const QByteArray& path, int line = -1)
{
    const QByteArray filled = "XML document syntax error in file: " + path + "\nError found in line ";
    const QRegularExpression pattern(QLatin1Char('^') + QRegularExpression::escape(QString::fromUtf8(filled)) +
                                     (line < 0 ? QStringLiteral("\\d+") : QString::number(line)) +
                                     QStringLiteral(", column \\d+\\.\n$"));
    const QByteArray text = QByteArray(recorder_text(index)).mid(qstrlen("@$@#gen_qtxmlif@$@#GENERAL@$@#82@$@#"));
    if (!pattern.match(QString::fromUtf8(text)).hasMatch())
        return ::testing::AssertionFailure() << "text: " << recorder_text(index);
    return isMessage(index, 82, "XML document syntax error in file: %s\nError found in line %d, column %d.\n", text);
}

// A building call lands in the working document, or meets the report for none.
bool noWorkingDocument()
{
    const int before = recorder_count();
    return gen__qtxmlif_open_level() == GEN__QTXMLIF_E_NO_DOCUMENT &&
           isReport(before, "xmlManager.documentExist( doc_id )", "gen/gen_qtxmlif/gen_qtxmlif_build.cpp");
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
    uint32_t load(const QByteArray& path, int* docID) { return GetParam().load(path.constData(), docID); }
    bool isDom() const { return GetParam().load == gen__qtxmlif_load; }
};

TEST_P(FileLoading, EmptyPathIsReportedAndLeavesTheIdAlone)
{
    for (const char* path : {static_cast<const char*>(nullptr), ""}) {
        recorder_reset();
        int docID = untouched;
        EXPECT_EQ(GetParam().load(path, &docID), GEN__QTXMLIF_E_NO_DOCUMENT);
        EXPECT_EQ(docID, untouched);
        EXPECT_TRUE(isReport(0, "!((file_path) ? (file_path)[0]=='\\0' : 1)", loadSource));
        EXPECT_TRUE(isStatusTrace(2));
    }
}

TEST_P(FileLoading, MissingFileIsNotFoundWithTheCallersPath)
{
    const QByteArray path = scratch.path(QStringLiteral("absent.xml")).toUtf8() + "/../absent.xml";
    int docID = untouched;
    EXPECT_EQ(load(path, &docID), GEN__QTXMLIF_E_NO_DOCUMENT);
    EXPECT_EQ(docID, -1);
    EXPECT_TRUE(isMessage(0, 64, "Unable to find document: %s", "Unable to find document: " + path));
    EXPECT_TRUE(isStatusTrace(1));
}

// A directory or a FIFO exists but is no file to read; a FIFO without a writer
// would block a plain open for good.
TEST_P(FileLoading, DirectoryAndFifoCannotBeOpened)
{
    const QByteArray folder = scratch.path(QStringLiteral("folder")).toUtf8();
    const QByteArray fifo = scratch.path(QStringLiteral("pipe")).toUtf8();
    ASSERT_TRUE(QDir().mkpath(QString::fromUtf8(folder)));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    for (const QByteArray& path : {folder, fifo}) {
        recorder_reset();
        int docID = untouched;
        alarm(20);
        EXPECT_EQ(load(path, &docID), GEN__QTXMLIF_E_OPEN_FAILED);
        alarm(0);
        EXPECT_EQ(docID, -1);
        EXPECT_TRUE(isMessage(0, 71, "Unable to open document: %s", "Unable to open document: " + path));
        EXPECT_TRUE(isStatusTrace(1));
    }
}

TEST_P(FileLoading, PathWithNonAsciiCharactersLoads)
{
    const QString path = scratch.write(QStringLiteral("čšž dokument 日本.xml"), "<päckchen größe=\"5\"/>");
    int docID = -1;
    ASSERT_EQ(load(path.toUtf8(), &docID), GEN__QTXMLIF_OK);
    EXPECT_EQ(recorder_count(), 0);
    EXPECT_EQ(walk(docID).value(0), QStringLiteral("1 %1 päckchen=").arg(isDom() ? 0 : 2));
    EXPECT_EQ(gen__qtxmlif_del_document(docID), GEN__QTXMLIF_OK);
}

// Text mode would drop the 0x0D bytes of CR LF and of code units such as U+010D
// (č), U+0D15 (ക) or U+0D01 (ഁ): a UTF-16 file must give its UTF-8 twin's events.
TEST_P(FileLoading, Utf16FilesWalkLikeTheirUtf8Twin)
{
    const QString text = QStringLiteral("<doc a=\"č\">\r\n<item b=\"ക\">x č\r\ny ഁ</item>\r\n</doc>\r\n");
    int utf8ID = -1;
    ASSERT_EQ(load(scratch.write(QStringLiteral("twin-8.xml"), text.toUtf8()).toUtf8(), &utf8ID), GEN__QTXMLIF_OK);
    const QStringList expected = walk(utf8ID);
    const QString events = expected.join(QLatin1Char('|'));
    EXPECT_TRUE(events.contains(QStringLiteral("b=ക")) && events.contains(QStringLiteral("x č\ny ഁ")))
        << qPrintable(events);
    EXPECT_EQ(gen__qtxmlif_del_document(utf8ID), GEN__QTXMLIF_OK);

    for (const bool bigEndian : {false, true}) {
        int utf16ID = -1;
        const QString path = scratch.write(QStringLiteral("twin-16.xml"), utf16(text, bigEndian));
        ASSERT_EQ(load(path.toUtf8(), &utf16ID), GEN__QTXMLIF_OK) << recorder_text(recorder_last_log());
        EXPECT_EQ(walk(utf16ID), expected) << "big endian: " << bigEndian;
        EXPECT_EQ(gen__qtxmlif_del_document(utf16ID), GEN__QTXMLIF_OK);
    }
}

INSTANTIATE_TEST_SUITE_P(BothFileLoaders, FileLoading,
                         ::testing::Values(FileLoader{"dom", gen__qtxmlif_load},
                                           FileLoader{"incremental", gen__qtxmlif_load_incremental}),
                         [](const auto& info) { return std::string(info.param.name); });

// Text that does not parse fails a DOM load, leaving no document and none
// working; the incremental loaders take it and fail only when walked.
TEST_F(Loading, MalformedOrEmptyTextFailsOnlyForDom)
{
    int before = -1;
    ASSERT_EQ(gen__qtxmlif_add_document(&before, "before"), GEN__QTXMLIF_OK);
    const QByteArray broken = scratch.write(QStringLiteral("broken.xml"), "<a>\n<b>\n</c>\n").toUtf8();
    const QByteArray empty = scratch.write(QStringLiteral("empty.xml"), QByteArray()).toUtf8();
    int docID = untouched;
    EXPECT_EQ(gen__qtxmlif_load(broken.constData(), &docID), GEN__QTXMLIF_E_SYNTAX);
    EXPECT_EQ(docID, -1);
    EXPECT_TRUE(isSyntaxMessage(0, broken, 3));
    EXPECT_TRUE(isStatusTrace(1));
    EXPECT_TRUE(noWorkingDocument());
    recorder_reset();
    EXPECT_EQ(gen__qtxmlif_load(empty.constData(), &docID), GEN__QTXMLIF_E_SYNTAX);
    EXPECT_TRUE(isSyntaxMessage(0, empty));
    recorder_reset();
    EXPECT_EQ(gen__qtxmlif_load_buff("<a>\n<b>\n</c>", &docID, false), GEN__QTXMLIF_E_SYNTAX);
    EXPECT_EQ(docID, -1);
    EXPECT_EQ(recorder_count(), 1) << "a buffer's failure is not logged";
    EXPECT_TRUE(isStatusTrace(0));
    EXPECT_FALSE(gen__qtxmlif_document_exist(before + 1));

    recorder_reset();
    int readers[3] = {-1, -1, -1};
    EXPECT_EQ(gen__qtxmlif_load_incremental(broken.constData(), &readers[0]), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_load_incremental(empty.constData(), &readers[1]), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_load_buff_incremental("<a><b></a>", &readers[2], false), GEN__QTXMLIF_OK);
    EXPECT_EQ(recorder_count(), 0);
    EXPECT_EQ(QList<int>({readers[0], readers[1], readers[2]}), QList<int>({before + 1, before + 2, before + 3}));
    for (int docID : {readers[2], readers[1], readers[0], before})
        EXPECT_EQ(gen__qtxmlif_del_document(docID), GEN__QTXMLIF_OK);
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
            EXPECT_TRUE(isStatusTrace(0));
        }
    }
}

TEST_F(Loading, DomLoadsBecomeWorkingAndIncrementalLoadsDoNot)
{
    int base = -1, reader = -1, fromFile = -1, fromBuffer = -1;
    ASSERT_EQ(gen__qtxmlif_add_document(&base, "base"), GEN__QTXMLIF_OK);
    const QByteArray path = scratch.write(QStringLiteral("x.xml"), "<loaded/>").toUtf8();
    ASSERT_EQ(gen__qtxmlif_load_incremental(path.constData(), &reader), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_open_node("stillBase"), GEN__QTXMLIF_OK);
    EXPECT_TRUE(documentText(base).contains(QStringLiteral("<stillBase/>")));

    ASSERT_EQ(gen__qtxmlif_load(path.constData(), &fromFile), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_open_level(), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_open_node("intoFile"), GEN__QTXMLIF_OK);
    EXPECT_TRUE(documentText(fromFile).contains(QStringLiteral("<intoFile/>")));
    ASSERT_EQ(gen__qtxmlif_load_buff("<loaded/>", &fromBuffer, false), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_open_level(), GEN__QTXMLIF_OK);
    EXPECT_EQ(gen__qtxmlif_open_node("intoBuffer"), GEN__QTXMLIF_OK);
    EXPECT_TRUE(documentText(fromBuffer).contains(QStringLiteral("<intoBuffer/>")));
    for (int docID : {fromBuffer, fromFile, reader, base})
        EXPECT_EQ(gen__qtxmlif_del_document(docID), GEN__QTXMLIF_OK);
}

// 1000 counts as no pointer, yet the load runs; 1001 is used: written through.
TEST_F(Loading, IdOutParameterIsWrittenOnlyAbove1000)
{
    const QByteArray path = scratch.write(QStringLiteral("x.xml"), "<x/>").toUtf8();
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
        EXPECT_EQ(load(path.constData(), reinterpret_cast<int*>(1000)), GEN__QTXMLIF_OK);
        EXPECT_EQ(gen__qtxmlif_del_document(probe), GEN__QTXMLIF_OK) << "the load did not run";
        EXPECT_DEATH(load(path.constData(), reinterpret_cast<int*>(1001)), "");
    }
}

// A legacy host may declare the flag as a char and pass any non-zero byte.
TEST_F(Loading, AnyNonZeroNoCaseByteMeansTrue)
{
    for (const unsigned char flag : {2, 0}) {
        int docID = -1;
        ASSERT_EQ(load_buff_incremental_with_char_flag("<Item/>", &docID, flag), GEN__QTXMLIF_OK);
        EXPECT_EQ(gen__qtxmlif_begin_traversion(docID, "item", nullptr),
                  flag ? GEN__QTXMLIF_OK : GEN__QTXMLIF_E_FAILED);
        EXPECT_EQ(gen__qtxmlif_del_document(docID), GEN__QTXMLIF_OK);
    }
}

} // namespace
