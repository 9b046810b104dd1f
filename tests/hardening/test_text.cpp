// Text in the encodings a file may come in, and broken text, through every
// loader: the file loaders choose how to open a file by its first bytes, and
// every name and value crosses into the host's strings.
#include "hostile.h"

#include <QBuffer>
#include <QDomDocument>
#include <gtest/gtest.h>

namespace {

QByteArray declared(const char* encoding)
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"") + encoding + "\"?>\r\n";
}

// CR LF line ends, U+010D, U+0D15 and U+0D01: a UTF-16 file holds 0x0D bytes
// that are no carriage returns, in either half of a code unit. U+1F600 needs a
// surrogate pair on its way to the host.
const QString body = QStringLiteral(u"<doc lang=\"\u010D\">\r\n  <t note=\"a\u010Db\">\u010C line one\r\n"
                                    u"line two \u010D\u0109 \U0001F600 \u0D15\u0D01</t>\r\n</doc>\r\n");

QByteArray utf16(bool bigEndian, const char* bom)
{
    QByteArray bytes(bom);
    for (const QChar unit : QString::fromLatin1(declared("UTF-16")) + body) {
        const char high = char(unit.row());
        const char low = char(unit.cell());
        bytes.append(bigEndian ? high : low).append(bigEndian ? low : high);
    }
    return bytes;
}

const QString text = QStringLiteral(u"\u010C line one\nline two \u010D\u0109 \U0001F600 \u0D15\u0D01=");
// The stream reader starts its depths at 2 and reports the indentation too.
const QStringList domEvents = {QStringLiteral(u"1 0 doc="), QStringLiteral(u"2 0 lang=\u010D"),
                               QStringLiteral(u"1 1 t="),   QStringLiteral(u"2 1 note=a\u010Db"),
                               "3 1 " + text,               QStringLiteral(u"1 1 t= end"),
                               QStringLiteral(u"1 0 doc= end")};
const QStringList streamEvents = {QStringLiteral(u"1 2 doc="), QStringLiteral(u"2 2 lang=\u010D"),
                                  QStringLiteral(u"3 2 \n  ="), QStringLiteral(u"1 3 t="),
                                  QStringLiteral(u"2 3 note=a\u010Db"), "3 3 " + text};

const std::pair<const char*, QByteArray> encodings[] = {
    {"Utf8", declared("UTF-8") + body.toUtf8()},
    {"Utf8Bom", "\xEF\xBB\xBF" + declared("UTF-8") + body.toUtf8()},
    {"Utf16LeBom", utf16(false, "\xFF\xFE")},
    {"Utf16BeBom", utf16(true, "\xFE\xFF")},
};

class Encodings : public hostile::Test, public ::testing::WithParamInterface<std::pair<const char*, QByteArray>> {
protected:
    // The events of `bytes` from a file (its name not ASCII either) or a buffer;
    // a stream walk must also read on to a clean end.
    QStringList events(const QByteArray& bytes, bool fromFile, bool incremental)
    {
        const QByteArray path = dir.write(QStringLiteral("\u010D\u0161\u017E dokument \u65E5\u672C.xml"), bytes).toUtf8();
        int id = -1;
        if ((fromFile ? (incremental ? gen__qtxmlif_load_incremental : gen__qtxmlif_load)(path.constData(), &id)
                      : (incremental ? gen__qtxmlif_load_buff_incremental : gen__qtxmlif_load_buff)(
                            bytes.constData(), &id, false)) != GEN__QTXMLIF_OK)
            return {QStringLiteral("not loaded")};
        recorder_reset();
        const QStringList events = incremental ? hostile::streamWalk(id) : testsupport::walk(id);
        if (incremental) {
            EXPECT_EQ(recorder_logs("WARNING"), 0) << hostile::lastLogText("WARNING");
            EXPECT_EQ(recorder_logs("NONE"), 1);
        }
        EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
        return events;
    }
};

// A buffer is read up to its first NUL, so UTF-16 comes in files only.
TEST_P(Encodings, ReachTheCallerIntactThroughEveryLoader)
{
    const QByteArray& bytes = GetParam().second;
    for (bool fromFile : {true, false}) {
        if (fromFile || !bytes.contains('\0')) {
            EXPECT_EQ(events(bytes, fromFile, false), domEvents) << "from a file: " << fromFile;
            EXPECT_EQ(events(bytes, fromFile, true), streamEvents) << "from a file: " << fromFile;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Hostile, Encodings, ::testing::ValuesIn(encodings),
                         [](const auto& info) { return std::string(info.param.first); });

using Text = hostile::Test;

bool readByQtsDomParser(QByteArray bytes)
{
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    return QDomDocument().setContent(&device, true);
}

// Bytes that are no text in the declared encoding, and a NUL byte: the DOM
// loaders read what Qt's DOM parser reads (Qt 5's gives U+FFFD for what cannot
// be decoded, Qt 6's refuses it; a buffer ends at its first NUL), the stream
// reader refuses both.
TEST_F(Text, BrokenTextIsReadAsTheDomParserReadsItAndRefusedByTheStreamReader)
{
    const QByteArray invalidUtf8 = declared("UTF-8") + "<doc>a\xC3\x28z \xFF</doc>";
    const QByteArray withNul("<doc>ab\0cd</doc>", 16);
    const std::pair<QByteArray, QStringList> cases[] = {
        {invalidUtf8, {QStringLiteral("1 0 doc="), QStringLiteral(u"3 0 a\uFFFD(z \uFFFD="), QStringLiteral("1 0 doc= end")}},
        // A C string ends at the NUL.
        {withNul, {QStringLiteral("1 0 doc="), QStringLiteral("3 0 ab="), QStringLiteral("1 0 doc= end")}},
    };
    for (const auto& [bytes, domEvents] : cases) {
        const QByteArray path = dir.write(QStringLiteral("in.xml"), bytes).toUtf8();
        int id = -1;
        if (readByQtsDomParser(bytes)) {
            ASSERT_EQ(gen__qtxmlif_load(path.constData(), &id), GEN__QTXMLIF_OK);
            EXPECT_EQ(testsupport::walk(id), domEvents);
            EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
        } else {
            EXPECT_EQ(gen__qtxmlif_load(path.constData(), &id), GEN__QTXMLIF_E_SYNTAX);
        }
        ASSERT_EQ(gen__qtxmlif_load_incremental(path.constData(), &id), GEN__QTXMLIF_OK);
        expectStreamError(id);
        ASSERT_EQ(gen__qtxmlif_load_buff_incremental(bytes.constData(), &id, false), GEN__QTXMLIF_OK);
        expectStreamError(id);
    }
    int id = 0;
    EXPECT_EQ(gen__qtxmlif_load_buff(withNul.constData(), &id, false), GEN__QTXMLIF_E_SYNTAX);
}

} // namespace
