// The DOM document: saving and serialising, loading, the walk and its queries,
// and building.
#include "domtest.h"
#include "genqtdomspeedcaches.h"

namespace {

using namespace domtest;

TEST(DomOutput, SaveWritesOneDeclarationAndIndentsByFourWhileStringsIndentByTwo)
{
    GenQtDomDocument blank(QString(), false);
    EXPECT_EQ(saved(blank), declaration + "<root/>\n");

    Document document = loaded("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<r a=\"\xe9\"><c>t</c></r>");
    EXPECT_EQ(saved(*document), declaration + "<r a=\"\xc3\xa9\">\n    <c>t</c>\n</r>\n");
    EXPECT_EQ(document->documentToString(2), QString::fromUtf8("<r a=\"\xc3\xa9\">\n  <c>t</c>\n</r>\n"));
    EXPECT_EQ(document->getRootName(), QStringLiteral("r"));

    // Characters XML cannot carry would make the file unreadable.
    GenQtDomDocument odd(QStringLiteral("r"), false);
    odd.addAttribute(QStringLiteral("a"), QStringLiteral("x\x0by"), odd.getDocumentID());
    odd.addText(QString::fromUtf8("t\x01u\xef\xbf\xbe"), odd.getDocumentID());
    EXPECT_EQ(saved(odd), declaration + "<r a=\"x\xef\xbf\xbdy\">t\xef\xbf\xbdu\xef\xbf\xbd</r>\n");
}

TEST(DomLoad, ReportsTheErrorPositionOnlyOnFailure)
{
    EXPECT_EQ(loadOutcome("<a>\n<b>\n<c></b>\n</a>"), QStringLiteral("3:7"));
    // Names a save could not give back, such as those holding a C0 control or an
    // instruction's target that Qt takes only when no data follows it: refused
    // at their first character no name may hold.
    const struct {
        const char* xml;
        const char* position;
    } unwritableNames[] = {
        {"<r i\x0c=\"1\"/>", "1:5"},
        {"<r><a b=\"1\" c\x1b" "d=\"2\"/></r>", "1:14"},
        {"<r>a<?t\x18?></r>", "1:8"},
        {"<r xmlns:p\x01=\"u\"/>", "1:11"},
        {"<!DOCTYPE r\x02><r/>", "1:12"},
        {"<!DOCTYPE r [<!ENTITY a\x18" "b SYSTEM \"x\">]><r/>", "1:24"},
        {"<!DOCTYPE r [<!NOTATION n\x18 SYSTEM \"x\">]><r/>", "1:26"},
        {"<!DOCTYPE r [<!ELEMENT r (a\x18)>]><r/>", "1:28"},
        {"<r>a<?t~u?></r>", "1:8"},
        {"<?xml version=\"1.0\"?>\n<r>\n  <?p?>x<?c\xc3\x97" "d?></r>", "3:12"},
        {"<?xml~?><r/>", "1:6"},
    };
    for (const auto& [xml, position] : unwritableNames)
        EXPECT_EQ(loadOutcome(xml), QLatin1String(position)) << xml;
    // Empty input leaves no document element; the one made again is part of the tree.
    GenQtDomDocument empty(QString(), false);
    EXPECT_EQ(loadInto(empty, QByteArray()), parserVerdict(QByteArray()));
    EXPECT_TRUE(empty.openNode(QStringLiteral("x"), empty.getDocumentID()));
    EXPECT_EQ(empty.documentToString(-1), QStringLiteral("<root><x/></root>"));
}

// Whatever Qt's DOM parser reads loads, with the tree it builds: names under
// the newer rules, any version, blank CDATA sections, leniencies included
// (Qt 5's; Qt 6's parser refuses some of these, and so does the load there).
TEST(DomLoad, TakesWhatTheParserReadsAndKeepsItsTree)
{
    const struct {
        QByteArray xml;
        QString tree;
    } cases[] = {
        {"<r><\xe3\x90\x80/></r>", QString::fromUtf8("<r><\xe3\x90\x80/></r>")},
        {"<r><\xc4\xb2x/></r>", QString::fromUtf8("<r><\xc4\xb2x/></r>")},
        {"<?xml version=\"1.7\"?><r/>", QStringLiteral("<r/>")},
        {"<u><![CDATA[ ]]></u>", QStringLiteral("<u><![CDATA[ ]]></u>")},
        {"<u> \xc2\xa0</u>", QStringLiteral("<u/>")},
        {"<r><p:a/></r>", QStringLiteral("<r><a/></r>")},
        {"<r>\x01</r>", QStringLiteral("<r>\x01</r>")},
        {"<?xml version=\"1.0\"?>\n<!DOCTYPE p:r><p:r xmlns:p=\"u\"/>",
         QStringLiteral("<!DOCTYPE p:r>\n<p:r xmlns:p=\"u\"/>")},
    };
    for (const auto& [xml, tree] : cases) {
        if (parserVerdict(xml) == QLatin1String("loaded"))
            EXPECT_EQ(loaded(xml)->documentToString(-1), tree) << xml.constData();
        else
            EXPECT_EQ(loadOutcome(xml), parserVerdict(xml)) << xml.constData();
    }
}

TEST(DomWalk, DeliversEventsWithDepthsAndEndsFromWhereItStarts)
{
    const struct {
        const char* xml;
        bool caseInsensitive;
        const char* search;
        const char* start; // the start entity's node, "" for none
        int events;
        const char* expected;
    } walks[] = {
        {"<a x=\"1\">hi<b/></a>", false, "", "a", 7,
         "1 a ~ 0 + | 2 x 1 0 + | 3 hi ~ 0 + | 1 b ~ 1 + | 1 b ~ 1 end + | 1 a ~ 0 end | 0  ~ 0"},
        // Indentation is no text; qualified names come whole.
        {"<r xmlns:p=\"urn:p\">\n  <p:e p:at=\"v\">\n  </p:e>\n</r>\n", false, "", "r", 5,
         "1 r ~ 0 + | 1 p:e ~ 1 + | 2 p:at v 1 + | 1 p:e ~ 1 end + | 1 r ~ 0 end"},
        // A comment or processing instruction ends the walk at the enclosing element.
        {"<a><b><?p d?></b><c/></a>", false, "", "a", 4, "1 a ~ 0 + | 1 b ~ 1 + | 1 b ~ -1 | 0  ~ 0"},
        // The search goes below the document element by the document's case rule.
        {"<a><b y=\"2\"/></a>", false, "B", "", 1, "0  ~ 0"},
        {"<a><b y=\"2\"/></a>", true, "B", "b", 3, "2 y 2 1 + | 1 b ~ 1 end + | 1 a ~ 0 end"},
    };
    for (const auto& w : walks) {
        Document document = loaded(w.xml, w.caseInsensitive);
        RurUrOroEntity* start = document->beginTraversion(QString::fromLatin1(w.search), document->getDocumentID());
        EXPECT_EQ(start ? start->domNode->node.nodeName() : QString(), QLatin1String(w.start)) << w.xml;
        EXPECT_EQ(walk(*document, w.events), QLatin1String(w.expected)) << w.xml;
    }
}

TEST(DomWalk, CursorStateLineNumbersAndChildCount)
{
    Document document = loaded("<a k=\"1\">\n<b>\ntext</b>\n</a>");
    const int id = document->getDocumentID();
    EXPECT_EQ(document->getLineNumber(id), -1);
    RurUrOroEntity* start = document->beginTraversion(QString(), id);
    EXPECT_EQ(GenQtDomDocument::childNodeCount(*start->domNode), 1);
    // Attributes left, children left @ line, after each event.
    QStringList states;
    for (int event = 0; event < 6; ++event) {
        bool attributes = false, children = false;
        document->elementHasMoreAttributes(&attributes);
        document->elementHasMoreChildren(&children);
        states << QStringLiteral("%1%2 @%3").arg(attributes).arg(children).arg(document->getLineNumber(id));
        if (event < 5)
            states << walk(*document, 1);
    }
    EXPECT_EQ(states.join(QStringLiteral(", ")),
              QStringLiteral("00 @1, 1 a ~ 0 +, 11 @1, 2 k 1 0 +, 01 @1, 1 b ~ 1 +, 01 @2, 3 \ntext ~ 1 +, 00 @2, "
                             "1 b ~ 1 end +, 00 @1"));
}

// Children of an entity as "name@depth", iterated from where the entity stands.
QString childrenOf(GenQtDomDocument& document, RurUrOroEntity* parent)
{
    QStringList children;
    QString name;
    int depth = -7;
    while (RurUrOroEntity* child = document.getNextChildNode(parent, &name, &depth, document.getDocumentID())) {
        children << QStringLiteral("%1@%2").arg(name).arg(depth);
        releaseEntity(child);
    }
    return children.join(QLatin1Char(' '));
}

TEST(DomQueries, ChildrenNamedChildrenAttributesAndText)
{
    Document document = loaded("<a id=\"7\" k=\"\">x<b>in</b>y<!--note--><?p d?><d/></a>");
    const int id = document->getDocumentID();
    RurUrOroEntity* start = document->beginTraversion(QString(), id);
    // Children are elements, comments and instructions, each at its depth; the walk has a cursor of its own.
    EXPECT_EQ(childrenOf(*document, start), QStringLiteral("b@1 #comment@1 p@1 d@1"));
    EXPECT_EQ(childrenOf(*document, start), QString());
    EXPECT_EQ(walk(*document, 4), QStringLiteral("1 a ~ 0 + | 2 id 7 0 + | 2 k  0 + | 3 x ~ 0 +"));

    int depth = -7;
    EXPECT_EQ(document->getNamedNode(start, QStringLiteral("D"), &depth), nullptr);
    EXPECT_EQ(depth, -7);
    RurUrOroEntity* named = document->getNamedNode(start, QStringLiteral("d"), &depth);
    EXPECT_EQ(QStringLiteral("%1@%2").arg(named ? named->domNode->node.nodeName() : QString()).arg(depth), QStringLiteral("d@1"));
    releaseEntity(named);

    // Lookups as "found value", the value left as it was when not found.
    const auto attribute = [&](const char* name, bool noCase) {
        QString value = QStringLiteral("unset");
        const bool found = document->getNamedAttribute(start, QLatin1String(name), &value, noCase, id);
        return QStringLiteral("%1 %2|").arg(found).arg(value);
    };
    EXPECT_EQ(attribute("ID", false) + attribute("ID", true) + attribute("k", false), QStringLiteral("0 unset|1 7|1 |"));
    EXPECT_EQ(document->getAttributeCount(start, id), 2);
    EXPECT_EQ(document->getNodeText(start, id), QStringLiteral("xiny"));
    RurUrOroEntity* comment = document->getNamedNode(start, QStringLiteral("#comment"), &depth);
    EXPECT_EQ(document->getNodeText(comment, id), QStringLiteral("note"));
    EXPECT_EQ(document->getAttributeCount(comment, id), 0);
    // Closing frees the caller's entity but never the walk's start; small values are no entities.
    const quint32 live = RurUrOroEntity::counter().value();
    for (RurUrOroEntity* entity : {comment, static_cast<RurUrOroEntity*>(nullptr), reinterpret_cast<RurUrOroEntity*>(1000), start})
        EXPECT_TRUE(document->closeExistingNode(entity, nullptr, id));
    EXPECT_EQ(RurUrOroEntity::counter().value(), live - 1);
    EXPECT_EQ(document->getAttributeCount(start, id), 2);
}

TEST(DomQueries, AnEntityFromTheWalkIteratesTheChildrenLeftAtItsEvent)
{
    Document document = loaded("<a><b/>t<c/><d/></a>");
    const int id = document->getDocumentID();
    document->beginTraversion(QString(), id);
    walk(*document, 2);
    bool isEnd = false;
    RurUrOroEntity* onA = document->getNextEntity(nullptr, nullptr, nullptr, nullptr, &isEnd, id); // the end of b
    ASSERT_TRUE(onA && isEnd);
    EXPECT_EQ(GenQtDomDocument::childNodeCount(*onA->domNode), 4);
    EXPECT_EQ(childrenOf(*document, onA), QStringLiteral("c@1 d@1"));
    EXPECT_EQ(walk(*document, 2), QStringLiteral("3 t ~ 0 + | 1 c ~ 1 +")) << "the walk goes on from its own cursor";
    releaseEntity(onA);
}

TEST(DomOwnership, StartEntitiesOutliveARestartAndAreReleasedOnce)
{
    const quint32 before = RurUrOroEntity::counter().value();
    {
        Document document = loaded("<a><b/></a>");
        const int id = document->getDocumentID();
        RurUrOroEntity* first = document->beginTraversion(QString(), id);
        walk(*document, 2);
        ASSERT_NE(document->beginTraversion(QStringLiteral("b"), id), nullptr);
        EXPECT_TRUE(document->closeExistingNode(first, nullptr, id)) << "still the document's own";
        RurUrOroEntity* child = document->getNextChildNode(first, nullptr, nullptr, id);
        EXPECT_EQ(child ? child->name : QString(), QStringLiteral("b"));
        EXPECT_EQ(RurUrOroEntity::counter().value(), before + 3);
        document->endTraversion(id);
        EXPECT_EQ(RurUrOroEntity::counter().value(), before + 1);
        releaseEntity(child);
        document->beginTraversion(QString(), id); // left for destruction to release
    }
    EXPECT_EQ(RurUrOroEntity::counter().value(), before);
}

// Entities released during a walk are handed out again; each must still
// describe its own event, and a renamed root must not keep its old name.
TEST(DomOwnership, EntitiesHandedOutAgainDescribeTheirOwnEvent)
{
    Document document = loaded("<a x=\"1\">hi<b><c/></b>t</a>");
    const int id = document->getDocumentID();
    const auto describe = [](const RurUrOroEntity* entity) {
        const VDomNode& record = *entity->domNode;
        return QStringLiteral("%1=%2 %3/%4%5").arg(entity->name, record.node.nodeName()).arg(record.childIndex)
            .arg(record.attributeIndex).arg(record.complete || entity->traversionComplete ? QStringLiteral("!") : QString());
    };
    for (const char* root : {"a", "z"}) {
        QStringList entities{describe(document->beginTraversion(QString(), id))};
        while (RurUrOroEntity* entity = document->getNextEntity(nullptr, nullptr, nullptr, nullptr, nullptr, id)) {
            entities << describe(entity);
            entity->traversionComplete = true;
            releaseEntity(entity);
        }
        document->endTraversion(id);
        EXPECT_EQ(entities.join(QStringLiteral(", ")),
                  QStringLiteral("%1=%1 -1/-1, %1=%1 0/0, %1=%1 0/1, %1=%1 1/1, b=b 0/0, c=c 0/0, b=b 1/0, "
                                 "%1=%1 2/1, %1=%1 3/1")
                      .arg(QLatin1String(root)));
        document->setRootName(QStringLiteral("z"));
    }
}

// Only the entity handed out last is kept on release: one a caller held past
// its document's end must be freed, not keep that document's tree alive.
TEST(DomOwnership, AnEntityHeldPastItsDocumentIsFreedOnRelease)
{
    Document document = loaded("<a><b/></a>");
    const int id = document->getDocumentID();
    document->beginTraversion(QString(), id);
    RurUrOroEntity* held = document->getNextEntity(nullptr, nullptr, nullptr, nullptr, nullptr, id);
    ASSERT_TRUE(held);
    const QDomNode node = held->domNode->node;
    document.reset();
    releaseEntity(held);
    bool onNode = true;
    EXPECT_EQ(SpareDomEntities::take(node, &onNode), nullptr);
}

// Building goes on in the element made last, once openLevel enters it (openNode
// does so itself); a load leaves nothing entered, so what is built before that
// is never part of the tree.
TEST(DomBuilding, BuildsInTheElementMadeLastAndClosesUpToTheRoot)
{
    GenQtDomDocument built(QStringLiteral("r"), false);
    const int id = built.getDocumentID();
    const auto open = [&](const char* name) { return built.openNode(QLatin1String(name), id); };
    const auto text = [&](const char* text) { return built.addText(QLatin1String(text), id); };
    const auto attribute = [&](const char* name, const char* value) {
        return built.addAttribute(QLatin1String(name), QLatin1String(value), id);
    };
    EXPECT_TRUE(built.openLevel() && open("a") && text("A") && attribute("k", "X") && attribute("k", "B") && open("b") &&
                text("t") && built.closeNode(id) && text("C") && built.closeNode(id));
    EXPECT_FALSE(built.closeNode(id) || open("") || text("") || attribute("", "v"));
    EXPECT_TRUE(built.openLevel() && open("c"));
    EXPECT_EQ(built.documentToString(-1), QStringLiteral("<r><a k=\"B\">A<b>t<c/></b>C</a></r>"));

    for (const bool enter : {false, true}) {
        Document document = loaded("<r><x/></r>");
        EXPECT_TRUE(!enter || document->openLevel());
        EXPECT_TRUE(document->openNode(QStringLiteral("y"), document->getDocumentID()));
        EXPECT_EQ(document->documentToString(-1), enter ? QStringLiteral("<r><x/><y/></r>") : QStringLiteral("<r><x/></r>"));
    }
}

QStringList messages;

TEST(DomBuilding, EveryOperationFailsAfterBeginTraversion)
{
    GenQtDomDocument document(QStringLiteral("r"), false);
    const int id = document.getDocumentID();
    document.beginTraversion(QString(), id);
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            const QString function = QString::fromLatin1(context.function).section(QLatin1Char('('), 0, 0).section(QLatin1Char(' '), -1);
            messages << QStringLiteral("%1 %2 %3 %4").arg(type).arg(text, QString::fromLatin1(context.file), function);
        });
    EXPECT_FALSE(document.openNode(QStringLiteral("a"), id) || document.openLevel() || document.closeNode(id));
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_FALSE(document.addAttribute(QStringLiteral("k"), QStringLiteral("v"), id));
    EXPECT_FALSE(document.addText(QStringLiteral("t"), id));
    qInstallMessageHandler(previous);
    const QString where = QStringLiteral("0 Error gen/gen_qtxmlman/dom/genqtdombuilding.cpp GenQtDomDocument::");
    EXPECT_EQ(messages, QStringList({where + QStringLiteral("addAttribute"), where + QStringLiteral("addText")}));
    EXPECT_EQ(document.documentToString(-1), QStringLiteral("<r/>"));
}

} // namespace
