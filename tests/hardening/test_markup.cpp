// Markup built to exhaust the host: nesting a million levels deep, and entities
// that expand exponentially or quadratically.
#include "hostile.h"

#include "genqtdomprescan.h"

#include <gtest/gtest.h>

namespace {

constexpr int millionLevels = 1000000;

// Tenfold over nine levels.
QByteArray billionLaughs()
{
    QByteArray xml = "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n<!ENTITY lol0 \"lol\">\n";
    for (int level = 1; level <= 9; ++level)
        xml += "<!ENTITY lol" + QByteArray::number(level) + " \""
               + ("&lol" + QByteArray::number(level - 1) + ";").repeated(10) + "\">\n";
    return xml + "]>\n<lolz>&lol9;</lolz>\n";
}

// 100 KB referenced 100 000 times.
QByteArray quadraticBlowup()
{
    return "<?xml version=\"1.0\"?>\n<!DOCTYPE q [\n<!ENTITY big \"" + QByteArray(100000, 'x') + "\">\n]>\n<q>"
           + QByteArray("&big;").repeated(100000) + "</q>\n";
}

using Markup = hostile::Test;

// Refused at the first start tag past the limit, without building anything.
TEST_F(Markup, BigNestingIsRefusedByBothDomLoaders)
{
    const int column = 3 * (domlimits::MaxElementNesting + 1);
    expectDomRefuses(hostile::nested(millionLevels), "line 1, column " + std::to_string(column) + ".\n");
}

// Up to the limit a deep document is an ordinary one, also once saved.
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
    ASSERT_EQ(saveAndReload(id, &id), GEN__QTXMLIF_OK);
    EXPECT_EQ(testsupport::walk(id), events);
    EXPECT_EQ(gen__qtxmlif_del_document(id), GEN__QTXMLIF_OK);
    expectDomRefuses(hostile::nested(deepest + 1));
}

// Every level with its depth, then one skip back up and a clean end at depth 0.
TEST_F(Markup, BigNestingIsWalkedToTheEndByTheStreamReader)
{
    const QString path = dir.write(QStringLiteral("nested.xml"), hostile::nested(millionLevels));
    int id = -1;
    ASSERT_EQ(gen__qtxmlif_load_incremental(path.toUtf8().constData(), &id), GEN__QTXMLIF_OK);
    void* start = nullptr;
    ASSERT_EQ(gen__qtxmlif_begin_traversion(id, nullptr, &start), GEN__QTXMLIF_OK);
    hostile::Step step;
    int deepest = 0;
    while ((step = hostile::nextEntity(id)).status == GEN__QTXMLIF_OK && step.type == XML_ETYPE_ELEMENT
           && step.depth == deepest + 2)
        deepest = step.depth - 1;
    EXPECT_EQ(deepest, millionLevels) << "stopped at status " << step.status << ", type " << step.type;
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

// A syntax error for the DOM loaders, the end of the walk for the stream reader.
TEST_P(EntityExpansion, IsRefusedByBothLoadersWithinBoundedMemory)
{
    const long peakBefore = hostile::peakRssKib();
    const QByteArray xml = GetParam().make();
    expectDomRefuses(xml);
    int id = -1;
    ASSERT_EQ(gen__qtxmlif_load_buff_incremental(xml.constData(), &id, false), GEN__QTXMLIF_OK);
    EXPECT_EQ(expectStreamError(id).value(0), QStringLiteral("1 2 %1=").arg(QLatin1String(GetParam().name)));
    EXPECT_LT(hostile::peakRssKib() - peakBefore, 200 * 1024);
}

INSTANTIATE_TEST_SUITE_P(Hostile, EntityExpansion,
                         ::testing::Values(Expansion{"lolz", billionLaughs},
                                           Expansion{"q", quadraticBlowup}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
