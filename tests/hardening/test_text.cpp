// Text in every encoding a file may come in, characters outside the Basic
// Multilingual Plane, and broken text, through every loader.
#include "hostile.h"

#include <QFile>
#include <QTextCodec>
#include <gtest/gtest.h>

namespace {

QByteArray declared(const char* encoding)
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"") + encoding + "\"?>\r\n";
}

// CR LF line ends and U+010D: a UTF-16 file holds 0x0D bytes that are no
// carriage returns (U+010D is 0D 01 in little endian).
const QString twinBody = QStringLiteral(u"<doc lang=\"\u010D\">\r\n  <t note=\"a\u010Db\">\u010C line one\r\n"
                                        u"line two \u010D\u0109 \U0001F600</t>\r\n</doc>\r\n");

QByteArray utf16(const char* codec, const char* bom)
{
    const QString text = QString::fromLatin1(declared("UTF-16")) + twinBody;
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return bom + QTextCodec::codecForName(codec)->fromUnicode(text.constData(), text.size(), &state);
}

// What the DOM walk and the stream walk report; the stream reader starts its
// depths at 2 and reports the indentation too.
struct Decoding {
    const char* name;
    QByteArray bytes;
    QStringList dom;
    QStringList stream;
};

const QStringList twinDom = {QStringLiteral(u"1 0 doc="),
                             QStringLiteral(u"2 0 lang=\u010D"),
                             QStringLiteral(u"1 1 t="),
                             QStringLiteral(u"2 1 note=a\u010Db"),
                             QStringLiteral(u"3 1 \u010C line one\nline two \u010D\u0109 \U0001F600="),
                             QStringLiteral(u"1 1 t= end"),
                             QStringLiteral(u"1 0 doc= end")};
const QStringList twinStream = {QStringLiteral(u"1 2 doc="),
                                QStringLiteral(u"2 2 lang=\u010D"),
                                QStringLiteral(u"3 2 \n  ="),
                                QStringLiteral(u"1 3 t="),
                                QStringLiteral(u"2 3 note=a\u010Db"),
                                QStringLiteral(u"3 3 \u010C line one\nline two \u010D\u0109 \U0001F600=")};

// Outside the BMP as references and as UTF-8, in an attribute and in text.
const QString grinning = QStringLiteral(u"\U0001F600\U0001F601");

const Decoding decodings[] = {
    {"Utf8", declared("UTF-8") + twinBody.toUtf8(), twinDom, twinStream},
    {"Utf8Bom", "\xEF\xBB\xBF" + declared("UTF-8") + twinBody.toUtf8(), twinDom, twinStream},
    {"Utf16LeBom", utf16("UTF-16LE", "\xFF\xFE"), twinDom, twinStream},
    {"Utf16BeBom", utf16("UTF-16BE", "\xFE\xFF"), twinDom, twinStream},
    {"Latin1",
     declared("ISO-8859-1") + "<doc a=\"\xE9\">caf\xE9 \xFF</doc>",
     {QStringLiteral(u"1 0 doc="), QStringLiteral(u"2 0 a=\u00E9"), QStringLiteral(u"3 0 caf\u00E9 \u00FF="),
      QStringLiteral(u"1 0 doc= end")},
     {QStringLiteral(u"1 2 doc="), QStringLiteral(u"2 2 a=\u00E9"), QStringLiteral(u"3 2 caf\u00E9 \u00FF=")}},
    {"OutsideTheBmp",
     "<r a=\"&#x1F600;\xF0\x9F\x98\x81\">x&#x1F600;\xF0\x9F\x98\x81y</r>",
     {QStringLiteral("1 0 r="), QStringLiteral("2 0 a=") + grinning, QStringLiteral("3 0 x") + grinning + "y=",
      QStringLiteral("1 0 r= end")},
     {QStringLiteral("1 2 r="), QStringLiteral("2 2 a=") + grinning, QStringLiteral("3 2 x") + grinning + "y="}},
};

class Encodings : public hostile::Test, public ::testing::WithParamInterface<Decoding> {
protected:
    // The events of `bytes` from a file or a buffer; a stream walk must also
    // read on to a clean end.
    QStringList events(const QByteArray& bytes, bool fromFile, bool incremental)
    {
        const QByteArray path = dir.write(QStringLiteral("in.xml"), bytes).toUtf8();
        int id = -1;
        const uint32_t status =
            fromFile ? (incremental ? gen__qtxmlif_load_incremental : gen__qtxmlif_load)(path.constData(), &id)
                     : (incremental ? gen__qtxmlif_load_buff_incremental : gen__qtxmlif_load_buff)(bytes.constData(),
                                                                                                 &id, false);
        EXPECT_EQ(status, GEN__QTXMLIF_OK);
        if (status != GEN__QTXMLIF_OK)
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

// A buffer is read up to its first NUL, so UTF-16 comes in files only. A DOM
// save writes every character as UTF-8, and the file loads to the same events.
TEST_P(Encodings, ReachTheCallerIntactThroughEveryLoaderAndADomSave)
{
    const Decoding& row = GetParam();
    for (bool fromFile : {true, false}) {
        if (fromFile || !row.bytes.contains('\0')) {
            EXPECT_EQ(events(row.bytes, fromFile, false), row.dom) << "from a file: " << fromFile;
            EXPECT_EQ(events(row.bytes, fromFile, true), row.stream) << "from a file: " << fromFile;
        }
    }
    int id = -1;
    ASSERT_EQ(gen__qtxmlif_load(dir.write(QStringLiteral("in.xml"), row.bytes).toUtf8().constData(), &id),
              GEN__QTXMLIF_OK);
    ASSERT_EQ(saveAndReload(id, &id), GEN__QTXMLIF_OK);
    EXPECT_EQ(testsupport::walk(id), row.dom);
    EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
    QFile saved(dir.path(QStringLiteral("saved.xml")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    EXPECT_FALSE(bytes.contains("&#")) << bytes.constData();
}

INSTANTIATE_TEST_SUITE_P(Hostile, Encodings, ::testing::ValuesIn(decodings),
                         [](const auto& info) { return std::string(info.param.name); });

using Text = hostile::Test;

// Bytes that are no text in the declared encoding, and a NUL byte (no XML
// character, and the early end of a buffer) fail like any other syntax error.
TEST_F(Text, BrokenTextFailsCleanlyThroughBothLoaders)
{
    const QByteArray invalidUtf8 = declared("UTF-8") + "<doc>a\xC3\x28z \xFF</doc>";
    for (const QByteArray& bytes : {invalidUtf8, QByteArray("<doc>ab\0cd</doc>", 16)}) {
        expectDomRefuses(bytes);
        int id = -1;
        ASSERT_EQ(gen__qtxmlif_load_incremental(dir.write(QStringLiteral("in.xml"), bytes).toUtf8().constData(), &id),
                  GEN__QTXMLIF_OK);
        expectStreamError(id);
        ASSERT_EQ(gen__qtxmlif_load_buff_incremental(bytes.constData(), &id, false), GEN__QTXMLIF_OK);
        expectStreamError(id);
    }
}

} // namespace
