// Hostile input to the DOM load: refused as a parse failure before Qt builds a
// tree that would cost the host its stack, its time or its memory.
#include "domtest.h"
#include "rururoroinputlimits.h"

namespace {

using namespace domtest;
using inputlimits::MaxElementNesting;

QByteArray nested(int levels, const QByteArray& open = "<a>", const QByteArray& close = "</a>")
{
    return open.repeated(levels) + close.repeated(levels);
}

QByteArray utf16(const QByteArray& ascii)
{
    QByteArray units("\xff\xfe", 2);
    for (char c : ascii)
        units.append(c).append('\0');
    return units;
}

// Markup spelled in UTF-7's base64 is no ASCII markup at all.
QByteArray utf7(const QByteArray& body)
{
    return "<?xml version='1.0' encoding='UTF-7'?>" + body;
}

// The limits themselves are held to by both document kinds alike (the input
// guard's tests); these are what only a DOM load reads: markup in an encoding
// the stream reader refuses, counted as Qt's parser decodes it.
TEST(DomHostile, MarkupInAnyEncodingCountsTowardsTheLimits)
{
    const auto at = [](int line, qsizetype column) { return QStringLiteral("%1:%2").arg(line).arg(column); };
    const std::pair<QByteArray, QString> cases[] = {
        {utf7(nested(MaxElementNesting, "+ADw-a+AD4-", "+ADw-/a+AD4-")), QStringLiteral("loaded")},
        {utf7(nested(MaxElementNesting + 1, "+ADw-a+AD4-", "+ADw-/a+AD4-")),
         at(1, utf7("").size() + 3 * MaxElementNesting + 2)},
        {utf16(nested(100000)), at(1, 3 * MaxElementNesting + 2)},
        {utf16("<r><?a") + QByteArray("\xe9\0", 2) + utf16("b?></r>").mid(2), QStringLiteral("loaded")},
        {utf7("<r a='+AOk-'>+2D3eAA-</r>"), QStringLiteral("loaded")},
    };
    for (const auto& [xml, outcome] : cases)
        EXPECT_EQ(loadOutcome(xml), outcome) << xml.left(120).constData();
}

TEST(DomHostile, CharactersOutsideTheBmpSurviveLoadWalkSaveAndReload)
{
    const QString face = QString::fromUtf8("\xf0\x9f\x98\x80");
    const QByteArray entity = "<!DOCTYPE r [<!ENTITY e \"&#128512;\">]>";
    const QByteArray inComment = "<!--&#x1F600;--><?p &#x1F600;?>";
    const struct {
        QByteArray xml;
        QString walk;
    } cases[] = {
        {"<r a=\"&#x1F600;\">&#x1F600;</r>", QStringLiteral("1 r ~ 0 + | 2 a %1 0 + | 3 %1 ~ 0 + | 1 r ~ 0 end")},
        {"<r a=\"\xf0\x9f\x98\x80\">\xf0\x9f\x98\x80</r>", QStringLiteral("1 r ~ 0 + | 2 a %1 0 + | 3 %1 ~ 0 + | 1 r ~ 0 end")},
        {"\xef\xbb\xbf" + entity + "<r a=\"&e;\">&e;</r>", QStringLiteral("1 r ~ 0 + | 2 a %1 0 + | 3 %1 ~ 0 + | 1 r ~ 0 end")},
        {utf16(entity + "<r a=\"&#x1F600;\">&e;</r>"), QStringLiteral("1 r ~ 0 + | 2 a %1 0 + | 3 %1 ~ 0 + | 1 r ~ 0 end")},
        // Where markup is not parsed, a reference is text, before and after one that is.
        {inComment + "<r><![CDATA[&#x1F600;]]>&#x1F600;</r>", QStringLiteral("1 r ~ 0 + | 3 &#x1F600; ~ 0 + | 3 %1 ~ 0 + | 1 r ~ 0 end")},
        // Qt 6's parser refuses an ampersand in an external identifier.
        {"<!DOCTYPE r SYSTEM \"&#x1F600;\"><r>&#x1F600;</r>", QStringLiteral("1 r ~ 0 + | 3 %1 ~ 0 + | 1 r ~ 0 end | 0  ~ 0")},
    };
    for (const auto& [xml, expected] : cases) {
        if (parserVerdict(xml) != QLatin1String("loaded")) {
            EXPECT_EQ(loadOutcome(xml), parserVerdict(xml)) << xml.constData();
            continue;
        }
        Document document = loaded(xml);
        const QByteArray file = saved(*document);
        EXPECT_TRUE(file.contains(face.toUtf8())) << xml.constData();
        Document again = loaded(file);
        again->beginTraversion(QString(), again->getDocumentID());
        EXPECT_EQ(walk(*again, 4), expected.arg(face)) << xml.constData();
    }
    // A fault is reported where Qt's parser of the original bytes finds it.
    const QByteArray broken("<r>&#x1F600;\n&#x1F600;<a></r>");
    ASSERT_NE(parserVerdict(broken), QLatin1String("loaded"));
    EXPECT_EQ(loadOutcome(broken), parserVerdict(broken));
}

TEST(DomHostile, BuildingStopsAtTheNestingALoadAccepts)
{
    GenQtDomDocument document(QString(), false);
    int levels = 1;
    while (document.openNode(QStringLiteral("n"), document.getDocumentID()))
        ++levels;
    EXPECT_EQ(levels, MaxElementNesting);
    loaded(saved(document));
}

} // namespace
