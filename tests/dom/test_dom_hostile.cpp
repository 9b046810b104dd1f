// Hostile input to the DOM load: refused as a parse failure before Qt builds a
// tree that would cost the host its stack, its time or its memory. The refusal
// is placed just after the offending start tag or entity reference.
#include "domtest.h"
#include "genqtdomprescan.h"

namespace {

using namespace domtest;
using domlimits::MaxAttributesPerElement;
using domlimits::MaxElementNesting;

QByteArray nested(int levels, const QByteArray& open = "<a>", const QByteArray& close = "</a>")
{
    return open.repeated(levels) + close.repeated(levels);
}

QByteArray withEntity(const QByteArray& replacement, const QByteArray& body)
{
    return "<!DOCTYPE r [<!ENTITY e \"" + replacement + "\">]><r>" + body + "</r>";
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

QByteArray manyAttributes(int count)
{
    QByteArray xml = "<r";
    for (int i = 0; i < count; ++i)
        xml += " a" + QByteArray::number(i) + "='='";
    return xml + "/>";
}

QByteArray laughs()
{
    QByteArray xml = "<!DOCTYPE l [<!ENTITY l0 \"lol\">";
    for (int i = 1; i < 10; ++i)
        xml += "<!ENTITY l" + QByteArray::number(i) + " \"" + ("&l" + QByteArray::number(i - 1) + ";").repeated(10) + "\">";
    return xml + "]><l>&l9;</l>";
}

TEST(DomHostile, LoadsUpToTheLimitsAndRefusesPastThemWhereTheyAreCrossed)
{
    const QString loaded = QStringLiteral("loaded");
    const auto at = [](int line, qsizetype column) { return QStringLiteral("%1:%2").arg(line).arg(column); };
    const int deepest = MaxElementNesting;
    // Markup inside comments, CDATA, values and the document type does not count.
    const QByteArray hidden = "<!DOCTYPE r [<!-- <a> ' -->]><r x='/>' y=\"'\"><!-- <a> --><![CDATA[><a>]]><?p <a>?>";
    const QByteArray inner = nested(200, "<x>", "</x>");
    const QByteArray deepReference = QByteArray("<y>").repeated(100) + "&e;";
    const QByteArray bigEntity(4000, 'x');
    const auto references = [](qint64 count) { return QByteArray("&e;").repeated(int(count)); };
    const qint64 pastAllowance = domlimits::ExpansionAllowance / bigEntity.size() + 1;
    const QByteArray hiddenDeclaration = "<!DOCTYPE r [<!ENTITY % p \"<!ENTITY e '" + bigEntity + "'>\"> %p;]><r>" +
                                         references(100000) + "</r>";
    const std::pair<QByteArray, QString> cases[] = {
        {nested(deepest), loaded},
        {nested(deepest + 1, "<a\n>", "</a>"), at(deepest + 2, 1)},
        {hidden + nested(deepest - 1) + "</r>", loaded},
        {hidden + nested(deepest) + "</r>", at(1, hidden.size() + 3 * deepest)},
        {utf16(nested(deepest)), loaded},
        {utf16(nested(100000)), at(1, 3 * (deepest + 1))},
        {utf7(nested(deepest, "+ADw-a+AD4-", "+ADw-/a+AD4-")), loaded},
        {utf7(nested(deepest + 1, "+ADw-a+AD4-", "+ADw-/a+AD4-")), at(1, utf7("").size() + 3 * (deepest + 1))},
        {withEntity(inner, "&e;"), loaded},
        {withEntity(inner, deepReference + QByteArray("</y>").repeated(100)), at(1, withEntity(inner, deepReference).lastIndexOf("</r>"))},
        {manyAttributes(MaxAttributesPerElement), loaded},
        {manyAttributes(MaxAttributesPerElement + 1), at(1, manyAttributes(MaxAttributesPerElement + 1).size())},
        // A billion laughs; a large entity referenced past the allowance; one
        // declared through a parameter entity, not read and so counted as the worst.
        {laughs(), at(1, laughs().size() - 4)},
        {withEntity(bigEntity, references(100000)), at(1, withEntity(bigEntity, references(pastAllowance)).size() - 4)},
        {hiddenDeclaration, at(1, hiddenDeclaration.indexOf("&e;") + 3)},
        {withEntity(bigEntity, references(1000)), loaded},
        // Markup spelled in UTF-16 or in a declared encoding counts as the parser decodes it.
        {utf16("<r><?a") + QByteArray("\xe9\0", 2) + utf16("b?></r>").mid(2), loaded},
        {utf7("<r a='+AOk-'>+2D3eAA-</r>"), loaded},
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
        {"<!DOCTYPE r SYSTEM \"&#x1F600;\"><r>&#x1F600;</r>", QStringLiteral("1 r ~ 0 + | 3 %1 ~ 0 + | 1 r ~ 0 end | 0  ~ 0")},
    };
    for (const auto& [xml, expected] : cases) {
        Document document = loaded(xml);
        const QByteArray file = saved(*document);
        EXPECT_TRUE(file.contains(face.toUtf8())) << xml.constData();
        Document again = loaded(file);
        again->beginTraversion(QString(), again->getDocumentID());
        EXPECT_EQ(walk(*again, 4), expected.arg(face)) << xml.constData();
    }
    // A fault is reported where Qt's parser of the original bytes finds it.
    QByteArray broken("<r>&#x1F600;\n&#x1F600;<a></r>");
    QBuffer device(&broken);
    device.open(QIODevice::ReadOnly);
    int line = 0, column = 0;
    ASSERT_FALSE(QDomDocument().setContent(&device, true, nullptr, &line, &column));
    EXPECT_EQ(loadOutcome(broken), QStringLiteral("%1:%2").arg(line).arg(column));
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
