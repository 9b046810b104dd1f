// Text in every encoding a file may come in, broken text, and characters
// outside the Basic Multilingual Plane, through both loaders. A UTF-16 file
// holds 0x0D bytes that are not carriage returns (U+010D is 0D 01 in little
// endian), so it must give the same events as its UTF-8 twin.
#include "hostile.h"

#include <QFile>
#include <QTextCodec>
#include <gtest/gtest.h>

namespace {

// CR LF line ends, U+010D and U+010C, and a character outside the BMP.
const QString twinBody = QStringLiteral(u"<doc lang=\"\u010D\">\r\n  <t note=\"a\u010Db\">\u010C line one\r\n"
                                        u"line two \u010D\u0109 \U0001F600</t>\r\n</doc>\r\n");

const QStringList twinDomEvents = {
    QStringLiteral(u"1 0 doc="),
    QStringLiteral(u"2 0 lang=\u010D"),
    QStringLiteral(u"1 1 t="),
    QStringLiteral(u"2 1 note=a\u010Db"),
    QStringLiteral(u"3 1 \u010C line one\nline two \u010D\u0109 \U0001F600="),
    QStringLiteral(u"1 1 t= end"),
    QStringLiteral(u"1 0 doc= end"),
};

// The stream reader starts its depths at 2 and reports the indentation too.
const QStringList twinStreamEvents = {
    QStringLiteral(u"1 2 doc="),
    QStringLiteral(u"2 2 lang=\u010D"),
    QStringLiteral(u"3 2 \n  ="),
    QStringLiteral(u"1 3 t="),
    QStringLiteral(u"2 3 note=a\u010Db"),
    QStringLiteral(u"3 3 \u010C line one\nline two \u010D\u0109 \U0001F600="),
};

QByteArray encoded(const char* codec, const QString& text)
{
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return QTextCodec::codecForName(codec)->fromUnicode(text.constData(), text.size(), &state);
}

struct Encoding {
    const char* name;
    QByteArray bytes;
};

QByteArray declared(const char* encoding)
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"") + encoding + "\"?>\r\n";
}

class Text : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::useUtf8Locale();
        recorder_reset();
    }
    void TearDown() override { EXPECT_FALSE(gen__qtxmlif_document_exist(1)) << "a document was left behind"; }

    QStringList domEvents(uint32_t status, int id)
    {
        EXPECT_EQ(status, GEN__QTXMLIF_OK);
        if (status != GEN__QTXMLIF_OK)
            return {QStringLiteral("not loaded")};
        const QStringList events = testsupport::walk(id);
        EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
        return events;
    }

    // The walk must also read on to a clean end of the document.
    QStringList streamEvents(uint32_t status, int id)
    {
        EXPECT_EQ(status, GEN__QTXMLIF_OK);
        if (status != GEN__QTXMLIF_OK)
            return {QStringLiteral("not loaded")};
        recorder_reset();
        const QStringList events = hostile::streamWalk(id);
        EXPECT_EQ(recorder_logs("WARNING"), 0) << hostile::lastLogText("WARNING");
        EXPECT_EQ(recorder_logs("NONE"), 1);
        EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
        return events;
    }

    // The walk stops on the reader's one error report.
    static void expectStreamError(int id)
    {
        recorder_reset();
        hostile::streamWalk(id);
        EXPECT_EQ(recorder_logs("WARNING"), 1);
        EXPECT_EQ(recorder_logs("NONE"), 0);
        EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
    }

    QStringList domFile(const QByteArray& bytes)
    {
        int id = -1;
        const uint32_t status = gen__qtxmlif_load(dir.write(QStringLiteral("in.xml"), bytes).toUtf8().constData(), &id);
        return domEvents(status, id);
    }
    QStringList streamFile(const QByteArray& bytes)
    {
        int id = -1;
        const uint32_t status =
            gen__qtxmlif_load_incremental(dir.write(QStringLiteral("in.xml"), bytes).toUtf8().constData(), &id);
        return streamEvents(status, id);
    }
    QStringList domBuffer(const QByteArray& bytes)
    {
        int id = -1;
        const uint32_t status = gen__qtxmlif_load_buff(bytes.constData(), &id, false);
        return domEvents(status, id);
    }
    QStringList streamBuffer(const QByteArray& bytes)
    {
        int id = -1;
        const uint32_t status = gen__qtxmlif_load_buff_incremental(bytes.constData(), &id, false);
        return streamEvents(status, id);
    }

    testsupport::ScratchDir dir;
};

class Encodings : public Text, public ::testing::WithParamInterface<Encoding> {};

TEST_P(Encodings, FileGivesTheSameEventsAsItsUtf8TwinThroughBothLoaders)
{
    EXPECT_EQ(domFile(GetParam().bytes), twinDomEvents);
    EXPECT_EQ(streamFile(GetParam().bytes), twinStreamEvents);
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, Encodings,
    ::testing::Values(Encoding{"Utf8", declared("UTF-8") + twinBody.toUtf8()},
                      Encoding{"Utf8Bom", "\xEF\xBB\xBF" + declared("UTF-8") + twinBody.toUtf8()},
                      Encoding{"Utf16LeBom", "\xFF\xFE" + encoded("UTF-16LE", QString::fromLatin1(declared("UTF-16")) + twinBody)},
                      Encoding{"Utf16BeBom", "\xFE\xFF" + encoded("UTF-16BE", QString::fromLatin1(declared("UTF-16")) + twinBody)}),
    [](const auto& info) { return std::string(info.param.name); });

// A buffer is read up to its first NUL, so UTF-16 cannot come that way; UTF-8
// with a byte order mark can.
TEST_F(Text, Utf8BufferWithByteOrderMarkLoadsThroughBothLoaders)
{
    const QByteArray bytes = "\xEF\xBB\xBF" + declared("UTF-8") + twinBody.toUtf8();
    EXPECT_EQ(domBuffer(bytes), twinDomEvents);
    EXPECT_EQ(streamBuffer(bytes), twinStreamEvents);
}

TEST_F(Text, DeclaredLatin1IsDecodedAsDeclared)
{
    const QByteArray bytes = declared("ISO-8859-1") + "<doc a=\"\xE9\">caf\xE9 \xFF</doc>";
    const QStringList dom = {QStringLiteral(u"1 0 doc="), QStringLiteral(u"2 0 a=\u00E9"),
                             QStringLiteral(u"3 0 caf\u00E9 \u00FF="), QStringLiteral(u"1 0 doc= end")};
    const QStringList stream = {QStringLiteral(u"1 2 doc="), QStringLiteral(u"2 2 a=\u00E9"),
                                QStringLiteral(u"3 2 caf\u00E9 \u00FF=")};
    EXPECT_EQ(domFile(bytes), dom);
    EXPECT_EQ(domBuffer(bytes), dom);
    EXPECT_EQ(streamFile(bytes), stream);
    EXPECT_EQ(streamBuffer(bytes), stream);
}

// Bytes that are no text in the declared encoding, and NUL bytes (which are no
// XML character, and which end a buffer early) fail like any other syntax error.
TEST_F(Text, BrokenTextFailsCleanlyThroughBothLoaders)
{
    const QByteArray invalidUtf8 = declared("UTF-8") + "<doc>a\xC3\x28z \xFF</doc>";
    const QByteArray nulInside("<doc>ab\0cd</doc>", 16);
    for (const QByteArray& bytes : {invalidUtf8, nulInside}) {
        int id = 0;
        const QByteArray path = dir.write(QStringLiteral("broken.xml"), bytes).toUtf8();
        EXPECT_EQ(gen__qtxmlif_load(path.constData(), &id), GEN__QTXMLIF_E_SYNTAX);
        EXPECT_TRUE(hostile::lastErrorIsKey(82));
        EXPECT_EQ(gen__qtxmlif_load_buff(bytes.constData(), &id, false), GEN__QTXMLIF_E_SYNTAX);

        ASSERT_EQ(gen__qtxmlif_load_incremental(path.constData(), &id), GEN__QTXMLIF_OK);
        expectStreamError(id);
        ASSERT_EQ(gen__qtxmlif_load_buff_incremental(bytes.constData(), &id, false), GEN__QTXMLIF_OK);
        expectStreamError(id);
    }
}

// Written as references and as UTF-8, in an attribute and in text.
const QByteArray nonBmp = "<r a=\"&#x1F600;\xF0\x9F\x98\x81\">x&#x1F600;\xF0\x9F\x98\x81y</r>";
const QString grinning = QStringLiteral(u"\U0001F600\U0001F601");

TEST_F(Text, CharactersOutsideTheBmpReachTheCallerThroughBothLoaders)
{
    const QStringList dom = {QStringLiteral("1 0 r="), QStringLiteral("2 0 a=") + grinning,
                             QStringLiteral("3 0 x") + grinning + QStringLiteral("y="), QStringLiteral("1 0 r= end")};
    const QStringList stream = {QStringLiteral("1 2 r="), QStringLiteral("2 2 a=") + grinning,
                                QStringLiteral("3 2 x") + grinning + QStringLiteral("y=")};
    EXPECT_EQ(domFile(nonBmp), dom);
    EXPECT_EQ(domBuffer(nonBmp), dom);
    EXPECT_EQ(streamFile(nonBmp), stream);
    EXPECT_EQ(streamBuffer(nonBmp), stream);
}

TEST_F(Text, CharactersOutsideTheBmpSurviveDomSaveAndReload)
{
    int id = -1;
    ASSERT_EQ(gen__qtxmlif_load_buff(nonBmp.constData(), &id, false), GEN__QTXMLIF_OK);
    const QStringList loaded = testsupport::walk(id);
    const QString path = dir.path(QStringLiteral("saved.xml"));
    ASSERT_EQ(gen__qtxmlif_save(id, path.toUtf8().constData()), GEN__QTXMLIF_OK);
    ASSERT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);

    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().contains(grinning.toUtf8()));
    const uint32_t status = gen__qtxmlif_load(path.toUtf8().constData(), &id);
    EXPECT_EQ(domEvents(status, id), loaded);
}

} // namespace
