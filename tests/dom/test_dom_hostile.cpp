// Hostile input to the DOM load: refused as a parse failure before Qt builds a
// tree that would cost the host its stack, its time or its memory, or that a
// saved copy could not carry. The refusal is placed just after the offending
// start tag, entity reference or instruction target.
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
        // Names Qt's reader lets through, but a saved copy could not carry.
        {"<?pi`?><r/>", at(1, 5)},
        {"<?xml-stylesheet href='s.css'?><r><?p.1 data?></r>", loaded},
        {"<r><?a\xef\xbb\xbf" "b?></r>", at(1, 8)},
        {"<r><?\xef\xbb\xbf" "b?></r>", at(1, 7)},
        {"<r><?a\xc3\xa9" "b?></r>", loaded},
        {"<?xml version='1.0' encoding='ISO-8859-1'?><r><?a\xe9" "b?></r>", loaded},
        {utf16("<r><?a") + QByteArray("\xff\xfe", 2) + utf16("b?></r>").mid(2), at(1, 8)},
        {utf16("<r><?a") + QByteArray("\xe9\0", 2) + utf16("b?></r>").mid(2), loaded},
        {"<r\ni\x0c=\"1\"/>", at(2, 2)},
        {utf7("<r a+2AA-='1'/>"), at(1, utf7("<r a").size() + 1)},
        {utf7("<r a='+2AA-'/>"), at(1, utf7("<r a='").size() + 1)},
        {utf16("<r>a") + QByteArray("\0\xdc", 2) + utf16("</r>").mid(2), at(1, 5)},
        {utf7("<r a='+AOk-'>+2D3eAA-</r>"), loaded},
        {"<r i\xef\xbf\xbe=\"1\"/>", at(1, 5)},
        {"<r i\xef\xbf\xbd=\"\t\"/>", loaded},
    };
    for (const auto& [xml, outcome] : cases)
        EXPECT_EQ(loadOutcome(xml), outcome) << xml.left(120).constData();
}

TEST(DomHostile, CharactersOutsideTheBmpSurviveLoadWalkSaveAndReload)
{
    const QString face = QString::fromUtf8("\xf0\x9f\x98\x80");
    Document document = loaded("<r a=\"&#x1F600;\">&#x1F600;</r>");
    const QByteArray file = saved(*document);
    EXPECT_TRUE(file.contains(face.toUtf8()));
    Document again = loaded(file);
    again->beginTraversion(QString(), again->getDocumentID());
    EXPECT_EQ(walk(*again, 4), QStringLiteral("1 r ~ 0 + | 2 a %1 0 + | 3 %1 ~ 0 + | 1 r ~ 0 end").arg(face));
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
