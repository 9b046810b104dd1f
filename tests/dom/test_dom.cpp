// The DOM document: saving and serialising, loading, the walk and its queries,
// and building.
#include "genqtdomdocument.h"

#include <QBuffer>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

namespace {

using Document = std::unique_ptr<GenQtDomDocument>;

Document loaded(const QByteArray& xml, bool caseInsensitive = false)
{
    auto document = std::make_unique<GenQtDomDocument>(QString(), caseInsensitive);
    QBuffer buffer;
    buffer.setData(xml);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_TRUE(document->load(&buffer, nullptr, nullptr)) << xml.constData();
    return document;
}

QByteArray saved(GenQtDomDocument& document)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(document.save(&buffer, document.getDocumentID()));
    return buffer.data();
}

// One line per event: type, name, value (~ for null), depth, "end", and "+" when an entity came back.
QString nextEvent(GenQtDomDocument& document)
{
    int type = 0, depth = 0;
    QString name, value;
    bool isEnd = false;
    RurUrOroEntity* entity = document.getNextEntity(&type, &name, &value, &depth, &isEnd, document.getDocumentID());
    const QString event = QStringLiteral("%1 %2 %3 %4%5%6")
                              .arg(type)
                              .arg(name, value.isNull() ? QStringLiteral("~") : value)
                              .arg(depth)
                              .arg(isEnd ? QStringLiteral(" end") : QString(), entity ? QStringLiteral(" +") : QString());
    releaseEntity(entity);
    return event;
}

QString walk(GenQtDomDocument& document, int events)
{
    QStringList list;
    while (events--)
        list << nextEvent(document);
    return list.join(QStringLiteral(" | "));
}

using Owned = std::unique_ptr<RurUrOroEntity, decltype(&releaseEntity)>;

// Whether the walk's cursor has attributes and children left, as "01".
QString moreLeft(GenQtDomDocument& document)
{
    bool attributes = false, children = false;
    document.elementHasMoreAttributes(&attributes);
    document.elementHasMoreChildren(&children);
    return QString::number(attributes) + QString::number(children);
}

TEST(DomOutput, SaveWritesOneDeclarationAndIndentsByFourWhileStringsIndentByTwo)
{
    GenQtDomDocument blank(QString(), false);
    EXPECT_EQ(saved(blank), QByteArray("<?xml version='1.0' encoding='UTF-8'?>\n<root/>\n"));
    EXPECT_EQ(blank.documentToString(2), QStringLiteral("<root/>\n"));
    QBuffer untouched;
    untouched.open(QIODevice::WriteOnly);
    EXPECT_FALSE(blank.save(&untouched, blank.getDocumentID() + 1));
    EXPECT_TRUE(untouched.data().isEmpty());

    Document document = loaded("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<r a=\"\xe9\"><c>t</c></r>");
    EXPECT_EQ(saved(*document), QByteArray("<?xml version='1.0' encoding='UTF-8'?>\n"
                                           "<r a=\"\xc3\xa9\">\n    <c>t</c>\n</r>\n"));
    EXPECT_EQ(document->documentToString(2), QString::fromUtf8("<r a=\"\xc3\xa9\">\n  <c>t</c>\n</r>\n"));
    EXPECT_EQ(document->getRootName(), QStringLiteral("r"));
}

TEST(DomLoad, ReportsTheErrorPositionOnlyOnFailure)
{
    GenQtDomDocument broken(QString(), false);
    QBuffer bad;
    bad.setData("<a>\n<b>\n<c></b>\n</a>");
    bad.open(QIODevice::ReadOnly);
    int line = -5, column = -5;
    EXPECT_FALSE(broken.load(&bad, &line, &column));
    EXPECT_EQ(line, 3);
    EXPECT_EQ(column, 7);

    // Empty input leaves no document element; the one made again is part of the tree.
    GenQtDomDocument empty(QString(), false);
    QBuffer nothing;
    nothing.open(QIODevice::ReadOnly);
    EXPECT_FALSE(empty.load(&nothing, nullptr, nullptr));
    EXPECT_TRUE(empty.openNode(QStringLiteral("x"), empty.getDocumentID()));
    EXPECT_EQ(empty.documentToString(-1), QStringLiteral("<root><x/></root>"));

    GenQtDomDocument fine(QString(), false);
    QBuffer good;
    good.setData("<a/>");
    good.open(QIODevice::ReadOnly);
    line = column = -5;
    EXPECT_TRUE(fine.load(&good, &line, &column));
    EXPECT_EQ(line, -5);
    EXPECT_EQ(column, -5);
}

TEST(DomWalk, DeliversStartAttributesTextChildrenAndEnds)
{
    Document document = loaded("<a x=\"1\">hi<b/></a>");
    ASSERT_NE(document->beginTraversion(QString(), document->getDocumentID()), nullptr);
    EXPECT_EQ(walk(*document, 7), QStringLiteral("1 a ~ 0 + | 2 x 1 0 + | 3 hi ~ 0 + | 1 b ~ 1 + | 1 b ~ 1 end + | 1 a ~ 0 end | 0  ~ 0"));
}

TEST(DomWalk, DropsIndentationAndNamesQualifiedNodes)
{
    Document document = loaded("<r xmlns:p=\"urn:p\">\n  <p:e p:at=\"v\">\n  </p:e>\n</r>\n");
    document->beginTraversion(QString(), document->getDocumentID());
    EXPECT_EQ(walk(*document, 5), QStringLiteral("1 r ~ 0 + | 1 p:e ~ 1 + | 2 p:at v 1 + | 1 p:e ~ 1 end + | 1 r ~ 0 end"));
}

TEST(DomWalk, SearchesBelowTheDocumentElementWithTheDocumentsCaseRule)
{
    const QByteArray xml = "<a><b y=\"2\"/></a>";
    Document exact = loaded(xml);
    EXPECT_EQ(exact->beginTraversion(QStringLiteral("B"), exact->getDocumentID()), nullptr);
    EXPECT_EQ(nextEvent(*exact), QStringLiteral("0  ~ 0"));

    Document anyCase = loaded(xml, true);
    RurUrOroEntity* start = anyCase->beginTraversion(QStringLiteral("B"), anyCase->getDocumentID());
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->domNode->node.nodeName(), QStringLiteral("b"));
    EXPECT_EQ(walk(*anyCase, 3), QStringLiteral("2 y 2 1 + | 1 b ~ 1 end + | 1 a ~ 0 end"));
    anyCase->endTraversion(anyCase->getDocumentID());
}

TEST(DomWalk, EndsAtACommentOrProcessingInstruction)
{
    Document document = loaded("<a>t<!--c--><b/></a>");
    document->beginTraversion(QString(), document->getDocumentID());
    EXPECT_EQ(walk(*document, 4), QStringLiteral("1 a ~ 0 + | 3 t ~ 0 + | 1 a ~ -1 | 0  ~ 0"));
    EXPECT_EQ(document->getLineNumber(document->getDocumentID()), -1);
}

TEST(DomWalk, CursorStateLineNumbersAndChildCount)
{
    Document document = loaded("<a k=\"1\">\n<b>\ntext</b>\n</a>");
    const int id = document->getDocumentID();
    EXPECT_EQ(document->getLineNumber(id), -1);
    RurUrOroEntity* start = document->beginTraversion(QString(), id);
    EXPECT_EQ(GenQtDomDocument::childNodeCount(*start->domNode), 1);
    EXPECT_EQ(moreLeft(*document), QStringLiteral("00"));
    EXPECT_EQ(nextEvent(*document), QStringLiteral("1 a ~ 0 +"));
    EXPECT_EQ(moreLeft(*document), QStringLiteral("11"));
    EXPECT_EQ(walk(*document, 2), QStringLiteral("2 k 1 0 + | 1 b ~ 1 +"));
    EXPECT_EQ(document->getLineNumber(id), 2);
    EXPECT_EQ(nextEvent(*document), QStringLiteral("3 \ntext ~ 1 +"));
    EXPECT_EQ(moreLeft(*document), QStringLiteral("00"));
    EXPECT_EQ(nextEvent(*document), QStringLiteral("1 b ~ 1 end +"));
    EXPECT_EQ(document->getLineNumber(id), 1);

    GenQtDomDocument built(QStringLiteral("x"), false);
    built.beginTraversion(QString(), built.getDocumentID());
    EXPECT_EQ(built.getLineNumber(built.getDocumentID()), -1);
}

TEST(DomQueries, ChildIterationSkipsTextAndKeepsItsOwnPlace)
{
    Document document = loaded("<a>t<b/><!--c--><?p d?><d/></a>");
    const int id = document->getDocumentID();
    RurUrOroEntity* start = document->beginTraversion(QString(), id);
    QStringList children;
    QString name;
    int depth = -7;
    while (RurUrOroEntity* child = document->getNextChildNode(start, &name, &depth, id)) {
        children << QStringLiteral("%1@%2").arg(name).arg(depth);
        releaseEntity(child);
    }
    EXPECT_EQ(children.join(QStringLiteral(" | ")), QStringLiteral("b@1 | #comment@1 | p@1 | d@1"));
    EXPECT_EQ(document->getNextChildNode(start, &name, &depth, id), nullptr);
    // The walk has its own cursor, untouched by the iteration.
    EXPECT_EQ(walk(*document, 2), QStringLiteral("1 a ~ 0 + | 3 t ~ 0 +"));

    depth = -7;
    EXPECT_EQ(document->getNamedNode(start, QStringLiteral("D"), &depth), nullptr);
    EXPECT_EQ(depth, -7);
    Owned named(document->getNamedNode(start, QStringLiteral("d"), &depth), releaseEntity);
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(named->domNode->node.nodeName(), QStringLiteral("d"));
    EXPECT_EQ(depth, 1);
}

TEST(DomQueries, AttributesAndTextOfEntities)
{
    Document document = loaded("<a id=\"7\" k=\"\">x<b>in</b>y<!--note--></a>");
    const int id = document->getDocumentID();
    RurUrOroEntity* start = document->beginTraversion(QString(), id);
    QString value = QStringLiteral("unset");
    EXPECT_FALSE(document->getNamedAttribute(start, QStringLiteral("ID"), &value, false, id));
    EXPECT_EQ(value, QStringLiteral("unset"));
    EXPECT_TRUE(document->getNamedAttribute(start, QStringLiteral("ID"), &value, true, id));
    EXPECT_EQ(value, QStringLiteral("7"));
    EXPECT_TRUE(document->getNamedAttribute(start, QStringLiteral("k"), &value, false, id));
    EXPECT_EQ(value, QString());
    EXPECT_EQ(document->getAttributeCount(start, id), 2);
    EXPECT_EQ(document->getAttributeCount(start, id + 1), 0);
    EXPECT_EQ(document->getNodeText(start, id), QStringLiteral("xiny"));

    QString name;
    int depth = 0;
    RurUrOroEntity* b = document->getNextChildNode(start, &name, &depth, id);
    Owned comment(document->getNextChildNode(start, &name, &depth, id), releaseEntity);
    EXPECT_EQ(document->getNodeText(comment.get(), id), QStringLiteral("note"));
    EXPECT_EQ(document->getAttributeCount(comment.get(), id), 0);

    EXPECT_TRUE(document->closeExistingNode(b, nullptr, id));
    EXPECT_TRUE(document->closeExistingNode(nullptr, nullptr, id));
    EXPECT_TRUE(document->closeExistingNode(reinterpret_cast<RurUrOroEntity*>(1000), nullptr, id));
    EXPECT_TRUE(document->closeExistingNode(start, nullptr, id)); // still the document's own
    EXPECT_FALSE(document->closeExistingNode(start, nullptr, id + 1));
    EXPECT_EQ(document->getAttributeCount(start, id), 2);
}

TEST(DomQueries, ForeignIdsChangeAndWriteNothing)
{
    Document document = loaded("<a x=\"1\"/>");
    const int foreign = document->getDocumentID() + 1;
    EXPECT_EQ(document->beginTraversion(QString(), foreign), nullptr);
    document->beginTraversion(QString(), document->getDocumentID());
    int type = 9, depth = 9;
    bool isEnd = true;
    EXPECT_EQ(document->getNextEntity(&type, nullptr, nullptr, &depth, &isEnd, foreign), nullptr);
    EXPECT_TRUE(type == 9 && depth == 9 && isEnd);
    EXPECT_EQ(document->getLineNumber(foreign), -1);
    EXPECT_EQ(nextEvent(*document), QStringLiteral("1 a ~ 0 +"));
}

TEST(DomOwnership, StartEntitiesOutliveARestartAndAreReleasedOnce)
{
    const quint32 before = RurUrOroEntity::counter().value();
    {
        Document document = loaded("<a><b/></a>");
        const int id = document->getDocumentID();
        RurUrOroEntity* first = document->beginTraversion(QString(), id);
        walk(*document, 2);
        RurUrOroEntity* second = document->beginTraversion(QStringLiteral("b"), id);
        ASSERT_NE(second, nullptr);
        QString name;
        int depth = 0;
        Owned child(document->getNextChildNode(first, &name, &depth, id), releaseEntity);
        EXPECT_EQ(name, QStringLiteral("b"));
        EXPECT_EQ(RurUrOroEntity::counter().value(), before + 3);
        document->endTraversion(id);
        EXPECT_EQ(RurUrOroEntity::counter().value(), before + 1);
        document->beginTraversion(QString(), id); // left for destruction to release
    }
    EXPECT_EQ(RurUrOroEntity::counter().value(), before);
}

TEST(DomBuilding, BuildsNestedElementsWithAttributesAndText)
{
    GenQtDomDocument document(QStringLiteral("xmlRoot"), false);
    const int id = document.getDocumentID();
    EXPECT_TRUE(document.openLevel());
    EXPECT_TRUE(document.openNode(QStringLiteral("Kids"), id));
    EXPECT_TRUE(document.openLevel());
    EXPECT_TRUE(document.openNode(QStringLiteral("kid"), id));
    EXPECT_TRUE(document.addText(QStringLiteral("A"), id));
    EXPECT_TRUE(document.addAttribute(QStringLiteral("First_Name"), QStringLiteral("X"), id));
    EXPECT_TRUE(document.addAttribute(QStringLiteral("First_Name"), QStringLiteral("B"), id));
    EXPECT_TRUE(document.addText(QStringLiteral("C"), id));
    EXPECT_TRUE(document.closeNode(id));
    EXPECT_TRUE(document.openNode(QStringLiteral("kid"), id));
    EXPECT_TRUE(document.closeNode(id));
    EXPECT_TRUE(document.closeNode(id));
    EXPECT_FALSE(document.closeNode(id));
    EXPECT_FALSE(document.openNode(QString(), id));
    EXPECT_FALSE(document.addText(QStringLiteral("t"), id + 1));
    EXPECT_EQ(saved(document), QByteArray("<?xml version='1.0' encoding='UTF-8'?>\n"
                                          "<xmlRoot>\n"
                                          "    <Kids>\n"
                                          "        <kid First_Name=\"B\">AC</kid>\n"
                                          "        <kid/>\n"
                                          "    </Kids>\n"
                                          "</xmlRoot>\n"));
}

TEST(DomBuilding, CharactersXmlCannotCarryAreReplacedInTheSavedFile)
{
    GenQtDomDocument document(QStringLiteral("r"), false);
    document.addAttribute(QStringLiteral("a"), QStringLiteral("x\x0by"), document.getDocumentID());
    document.addText(QString::fromUtf8("t\x01u\xef\xbf\xbe"), document.getDocumentID());
    EXPECT_EQ(saved(document), QByteArray("<?xml version='1.0' encoding='UTF-8'?>\n"
                                          "<r a=\"x\xef\xbf\xbdy\">t\xef\xbf\xbdu\xef\xbf\xbd</r>\n"));
    loaded(saved(document));
}

TEST(DomBuilding, OpenLevelReturnsToTheLastCreatedElement)
{
    GenQtDomDocument document(QStringLiteral("r"), false);
    const int id = document.getDocumentID();
    document.openNode(QStringLiteral("a"), id);
    document.openNode(QStringLiteral("b"), id);
    document.addText(QStringLiteral("t"), id);
    document.closeNode(id);
    document.closeNode(id);
    EXPECT_TRUE(document.openLevel());
    EXPECT_TRUE(document.openNode(QStringLiteral("c"), id));
    EXPECT_EQ(document.documentToString(-1), QStringLiteral("<r><a><b>t<c/></b></a></r>"));
}

TEST(DomBuilding, ALoadedDocumentIsExtendedAfterOpenLevel)
{
    Document stale = loaded("<r><x/></r>");
    EXPECT_TRUE(stale->openNode(QStringLiteral("y"), stale->getDocumentID()));
    EXPECT_EQ(stale->documentToString(-1), QStringLiteral("<r><x/></r>"));

    Document document = loaded("<r><x/></r>");
    EXPECT_TRUE(document->openLevel());
    EXPECT_TRUE(document->openNode(QStringLiteral("y"), document->getDocumentID()));
    EXPECT_EQ(document->documentToString(-1), QStringLiteral("<r><x/><y/></r>"));
}

struct CapturedMessages {
    CapturedMessages() { previous = qInstallMessageHandler(&record); }
    ~CapturedMessages() { qInstallMessageHandler(previous); }
    static void record(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        lines << QStringLiteral("%1 %2 %3 %4")
                     .arg(type)
                     .arg(text, QString::fromLatin1(context.file), QString::fromLatin1(context.function));
    }
    static QStringList lines;
    QtMessageHandler previous;
};
QStringList CapturedMessages::lines;

TEST(DomBuilding, EveryOperationFailsAfterBeginTraversion)
{
    GenQtDomDocument document(QStringLiteral("r"), false);
    const int id = document.getDocumentID();
    document.beginTraversion(QString(), id);
    CapturedMessages messages;
    EXPECT_FALSE(document.openNode(QStringLiteral("a"), id));
    EXPECT_FALSE(document.openLevel());
    EXPECT_FALSE(document.closeNode(id));
    EXPECT_TRUE(messages.lines.isEmpty());
    EXPECT_FALSE(document.addAttribute(QStringLiteral("k"), QStringLiteral("v"), id));
    EXPECT_FALSE(document.addText(QStringLiteral("t"), id));
    ASSERT_EQ(messages.lines.size(), 2);
    EXPECT_TRUE(messages.lines[0].startsWith(QStringLiteral("0 Error gen/gen_qtxmlman/genqtdombuilding.cpp")));
    EXPECT_TRUE(messages.lines[0].contains(QStringLiteral("GenQtDomDocument::addAttribute(")));
    EXPECT_TRUE(messages.lines[1].contains(QStringLiteral("GenQtDomDocument::addText(")));
    EXPECT_EQ(document.documentToString(-1), QStringLiteral("<r/>"));
}

} // namespace
