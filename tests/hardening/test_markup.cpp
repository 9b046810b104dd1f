// Markup built to exhaust the host: nesting a million levels deep, and entities
// that expand exponentially or quadratically. The DOM loaders must refuse them
// at once with their normal syntax failure; the stream reader walks the deep
// document to its end and stops on the entities with its error report.
#include "hostile.h"

#include "genqtdomprescan.h"

#include <gtest/gtest.h>

namespace {

constexpr int millionLevels = 1000000;
constexpr long expansionMemoryKib = 200 * 1024;

class Markup : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::useUtf8Locale();
        recorder_reset();
    }
    void TearDown() override { EXPECT_FALSE(gen__qtxmlif_document_exist(1)) << "a document was left behind"; }

    // Both DOM loaders refuse `xml` with the syntax status, the file loader with
    // message 82 for its path (and, if given, the position of the refusal).
    void expectDomRefuses(const QByteArray& xml, const std::string& position = "line ")
    {
        const QString path = dir.write(QStringLiteral("hostile.xml"), xml);
        int id = 0;
        EXPECT_EQ(gen__qtxmlif_load(path.toUtf8().constData(), &id), GEN__QTXMLIF_E_SYNTAX);
        EXPECT_EQ(id, -1);
        EXPECT_TRUE(hostile::lastErrorIsKey(82));
        const std::string message = hostile::lastLogText("ERROR");
        const std::string text = "@$@#XML document syntax error in file: " + path.toStdString() + "\nError found in ";
        EXPECT_NE(message.find(text + position), std::string::npos) << message;
        id = 0;
        EXPECT_EQ(gen__qtxmlif_load_buff(xml.constData(), &id, false), GEN__QTXMLIF_E_SYNTAX);
        EXPECT_EQ(id, -1);
    }

    testsupport::ScratchDir dir;
};

// Refused at the first start tag past the limit, without building anything.
TEST_F(Markup, BigNestingIsRefusedByBothDomLoaders)
{
    const int column = 3 * (domlimits::MaxElementNesting + 1);
    expectDomRefuses(hostile::nested(millionLevels), "line 1, column " + std::to_string(column) + ".\n");
}

// Up to the limit a deep document is an ordinary one: loaded, walked, saved,
// loaded again with the same events, and deleted.
TEST_F(Markup, DomLoadersTakeNestingUpToTheirLimit)
{
    constexpr int deepest = domlimits::MaxElementNesting;
    const QString path = dir.write(QStringLiteral("deepest.xml"), hostile::nested(deepest));
    int id = -1;
    ASSERT_EQ(gen__qtxmlif_load(path.toUtf8().constData(), &id), GEN__QTXMLIF_OK);
    const QStringList events = testsupport::walk(id);
    ASSERT_EQ(events.size(), 2 * deepest);
    EXPECT_EQ(events.value(deepest - 1), QStringLiteral("1 %1 d=").arg(deepest - 1));
    EXPECT_EQ(events.value(deepest), QStringLiteral("1 %1 d= end").arg(deepest - 1));
    const QString saved = dir.path(QStringLiteral("saved.xml"));
    ASSERT_EQ(gen__qtxmlif_save(id, saved.toUtf8().constData()), GEN__QTXMLIF_OK);
    ASSERT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
    ASSERT_EQ(gen__qtxmlif_load(saved.toUtf8().constData(), &id), GEN__QTXMLIF_OK);
    EXPECT_EQ(testsupport::walk(id), events);
    EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);

    expectDomRefuses(hostile::nested(deepest + 1));
}

// Event by event down a million levels, then one skip back up to the document
// element's end, after which the reader reports a clean end at depth 0.
TEST_F(Markup, BigNestingIsWalkedToTheEndByTheStreamReader)
{
    const QString path = dir.write(QStringLiteral("nested.xml"), hostile::nested(millionLevels));
    int id = -1;
    ASSERT_EQ(gen__qtxmlif_load_incremental(path.toUtf8().constData(), &id), GEN__QTXMLIF_OK);
    void* start = nullptr;
    ASSERT_EQ(gen__qtxmlif_begin_traversion(id, nullptr, &start), GEN__QTXMLIF_OK);
    int deepest = 0;
    hostile::Step step;
    for (int level = 0; level < millionLevels; ++level) {
        step = hostile::nextEntity(id);
        if (step.status != GEN__QTXMLIF_OK || step.type != XML_ETYPE_ELEMENT || step.depth != level + 2)
            break;
        deepest = step.depth;
    }
    EXPECT_EQ(deepest, millionLevels + 1) << "stopped at status " << step.status << ", type " << step.type;
    step = hostile::nextEntity(id);
    EXPECT_EQ(step.status, GEN__QTXMLIF_END_OF_DOCUMENT);
    EXPECT_TRUE(step.isEnd);

    bool closed = false;
    ASSERT_EQ(gen__qtxmlif_close_existing_node(id, start, 2, nullptr, &closed), GEN__QTXMLIF_OK);
    EXPECT_TRUE(closed);
    EXPECT_EQ(hostile::nextEntity(id).status, GEN__QTXMLIF_END_OF_DOCUMENT);
    EXPECT_EQ(recorder_logs("WARNING"), 0) << hostile::lastLogText("WARNING");
    EXPECT_EQ(hostile::lastLogText("NONE"), "Incremental Xml Parsing Ended Successfully. mDepth=0");
    EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
}

struct Expansion {
    const char* name;
    QByteArray (*make)();
};

class EntityExpansion : public Markup, public ::testing::WithParamInterface<Expansion> {};

TEST_P(EntityExpansion, IsASyntaxErrorForTheDomLoadersWithinBoundedMemory)
{
    const long peakBefore = hostile::peakRssKib();
    expectDomRefuses(GetParam().make());
    EXPECT_LT(hostile::peakRssKib() - peakBefore, expansionMemoryKib);
}

TEST_P(EntityExpansion, EndsTheStreamWalkWithOneWarningWithinBoundedMemory)
{
    const long peakBefore = hostile::peakRssKib();
    int id = -1;
    ASSERT_EQ(gen__qtxmlif_load_buff_incremental(GetParam().make().constData(), &id, false), GEN__QTXMLIF_OK);
    const QStringList events = hostile::streamWalk(id);
    EXPECT_EQ(events.value(0), QStringLiteral("1 2 %1=").arg(QLatin1String(GetParam().name)));
    EXPECT_EQ(recorder_logs("WARNING"), 1);
    EXPECT_EQ(hostile::lastLogText("WARNING").rfind("Incremental XML parsing ended with error: ", 0), 0u);
    EXPECT_EQ(recorder_logs("NONE"), 0);
    EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
    EXPECT_LT(hostile::peakRssKib() - peakBefore, expansionMemoryKib);
}

INSTANTIATE_TEST_SUITE_P(Hostile, EntityExpansion,
                         ::testing::Values(Expansion{"lolz", hostile::billionLaughs},
                                           Expansion{"q", hostile::quadraticBlowup}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
