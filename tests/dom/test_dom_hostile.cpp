// Hostile input to the DOM load: refused as a parse failure before Qt builds a
// tree that would cost the host its stack, its time or its memory.
#include "genqtdomdocument.h"
#include "genqtdomprescan.h"

#include <QBuffer>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct LoadResult {
    bool parsed;
    int line = 0;
    int column = 0;
};

LoadResult load(GenQtDomDocument& document, const QByteArray& xml)
{
    QBuffer buffer;
    buffer.setData(xml);
    buffer.open(QIODevice::ReadOnly);
    LoadResult result{false};
    result.parsed = document.load(&buffer, &result.line, &result.column);
    return result;
}

LoadResult load(const QByteArray& xml)
{
    GenQtDomDocument document(QString(), false);
    return load(document, xml);
}

QByteArray nested(int levels, const QByteArray& open = "<a>", const QByteArray& close = "</a>")
{
    return open.repeated(levels) + close.repeated(levels);
}

QByteArray withEntity(const QByteArray& replacement, const QByteArray& body)
{
    return "<!DOCTYPE r [<!ENTITY e \"" + replacement + "\">]><r>" + body + "</r>";
}

using domlimits::MaxAttributesPerElement;
using domlimits::MaxElementNesting;

TEST(DomHostile, NestingIsRefusedAtTheFirstElementPastTheLimit)
{
    EXPECT_TRUE(load(nested(MaxElementNesting)).parsed);
    const LoadResult million = load(nested(1000000));
    EXPECT_FALSE(million.parsed);
    EXPECT_EQ(million.line, 1);
    EXPECT_EQ(million.column, 3 * (MaxElementNesting + 1));
    const LoadResult lines = load(nested(MaxElementNesting + 1, "<a\n>", "</a>"));
    EXPECT_FALSE(lines.parsed);
    EXPECT_EQ(lines.line, MaxElementNesting + 2);
    EXPECT_EQ(lines.column, 1);
    // Markup inside comments, CDATA, values and the document type does not count.
    const QByteArray hidden = "<!DOCTYPE r [<!-- <a> ' -->]><r x='/>' y=\"'\"><!-- <a> --><![CDATA[<a>]]><?p <a>?>";
    EXPECT_TRUE(load(hidden + nested(MaxElementNesting - 1) + "</r>").parsed);
    EXPECT_FALSE(load(hidden + nested(MaxElementNesting) + "</r>").parsed);
}

TEST(DomHostile, NestingIsCountedInUtf16AndThroughEntities)
{
    const auto utf16 = [](const QByteArray& ascii) {
        QByteArray units("\xff\xfe", 2);
        for (char c : ascii)
            units.append(c).append('\0');
        return units;
    };
    EXPECT_TRUE(load(utf16(nested(MaxElementNesting))).parsed);
    const LoadResult deep = load(utf16(nested(100000)));
    EXPECT_FALSE(deep.parsed);
    EXPECT_EQ(deep.column, 3 * (MaxElementNesting + 1));

    const QByteArray inner = nested(200, "<x>", "</x>");
    EXPECT_TRUE(load(withEntity(inner, "&e;")).parsed);
    const QByteArray deepReference = QByteArray("<y>").repeated(100) + "&e;";
    const LoadResult refused = load(withEntity(inner, deepReference + QByteArray("</y>").repeated(100)));
    EXPECT_FALSE(refused.parsed);
    EXPECT_EQ(refused.column, withEntity(inner, deepReference).lastIndexOf("</r>"));
}

TEST(DomHostile, ManyAttributesOnOneTagAreRefused)
{
    const auto tag = [](int count) {
        QByteArray xml = "<r";
        for (int i = 0; i < count; ++i)
            xml += " a" + QByteArray::number(i) + "='='";
        return xml + "/>";
    };
    EXPECT_TRUE(load(tag(MaxAttributesPerElement)).parsed);
    const LoadResult refused = load(tag(MaxAttributesPerElement + 1));
    EXPECT_FALSE(refused.parsed);
    EXPECT_EQ(refused.line, 1);
    EXPECT_EQ(refused.column, tag(MaxAttributesPerElement + 1).size());
}

QByteArray laughs()
{
    QByteArray xml = "<!DOCTYPE l [<!ENTITY l0 \"lol\">";
    for (int i = 1; i < 10; ++i)
        xml += "<!ENTITY l" + QByteArray::number(i) + " \"" +
               ("&l" + QByteArray::number(i - 1) + ";").repeated(10) + "\">";
    return xml + "]><l>&l9;</l>";
}

// One large entity referenced many times: 400 million characters.
QByteArray quadraticBlowUp()
{
    return withEntity(QByteArray(4000, 'x'), QByteArray("&e;").repeated(100000));
}

// Peak resident memory of a child process that loads the document, in MB.
long peakMegabytesLoading(const QByteArray& xml)
{
    const pid_t child = fork();
    if (child == 0)
        _exit(load(xml).parsed ? 1 : 0);
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss / 1024;
}

TEST(DomHostile, EntityExpansionFailsAsAParseError)
{
    const LoadResult billion = load(laughs());
    EXPECT_FALSE(billion.parsed);
    EXPECT_GT(billion.line, 0);

    EXPECT_FALSE(load(quadraticBlowUp()).parsed);
    // Entities declared through a parameter entity are not read, so they count as the worst.
    const QByteArray hiddenDeclaration = "<!DOCTYPE r [<!ENTITY % p \"<!ENTITY e '" + QByteArray(4000, 'x') +
                                         "'>\"> %p;]><r>" + QByteArray("&e;").repeated(100000) + "</r>";
    EXPECT_FALSE(load(hiddenDeclaration).parsed);
    // A moderate use of entities stays well inside the budget.
    EXPECT_TRUE(load(withEntity(QByteArray(4000, 'x'), QByteArray("&e;").repeated(1000))).parsed);
}

TEST(DomHostile, RefusingAnExpansionAttackTakesLittleMemory)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's own memory would be measured";
#endif
    EXPECT_LT(peakMegabytesLoading(quadraticBlowUp()), 200);
}

// Qt's reader lets these through, but a saved copy could not carry them.
TEST(DomHostile, NamesThatCouldNotBeReadBackAreRefused)
{
    EXPECT_FALSE(load("<?pi`?><r/>").parsed);
    EXPECT_TRUE(load("<?xml-stylesheet href='s.css'?><r><?p.1 data?></r>").parsed);
    const LoadResult control = load("<r\ni\x0c=\"1\"/>");
    EXPECT_FALSE(control.parsed);
    EXPECT_EQ(control.line, 2);
    EXPECT_EQ(control.column, 2);
    EXPECT_FALSE(load("<r i\xef\xbf\xbe=\"1\"/>").parsed);
    EXPECT_TRUE(load("<r i\xef\xbf\xbd=\"\t\"/>").parsed);
}

TEST(DomHostile, CharactersOutsideTheBmpSurviveLoadWalkSaveAndReload)
{
    const QString face = QString::fromUtf8("\xf0\x9f\x98\x80");
    GenQtDomDocument document(QString(), false);
    ASSERT_TRUE(load(document, "<r a=\"&#x1F600;\">&#x1F600;</r>").parsed);
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    document.save(&file, document.getDocumentID());

    GenQtDomDocument again(QString(), false);
    ASSERT_TRUE(load(again, file.data()).parsed);
    const int id = again.getDocumentID();
    again.beginTraversion(QString(), id);
    int type = 0, depth = 0;
    QString name, value;
    bool isEnd = false;
    QStringList events;
    while (RurUrOroEntity* entity = again.getNextEntity(&type, &name, &value, &depth, &isEnd, id)) {
        events << name + QLatin1Char('=') + value;
        releaseEntity(entity);
    }
    EXPECT_EQ(events, QStringList({QStringLiteral("r="), QStringLiteral("a=") + face, face + QLatin1Char('=')}));
}

TEST(DomHostile, BuildingStopsAtTheNestingALoadAccepts)
{
    GenQtDomDocument document(QString(), false);
    const int id = document.getDocumentID();
    int levels = 1;
    while (document.openNode(QStringLiteral("n"), id))
        ++levels;
    EXPECT_EQ(levels, MaxElementNesting);
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    document.save(&file, id);
    GenQtDomDocument again(QString(), false);
    EXPECT_TRUE(load(again, file.data()).parsed);
}

} // namespace
