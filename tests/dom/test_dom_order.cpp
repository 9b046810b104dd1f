// The order a DOM document shows attributes in: the document's own wherever it
// is known, else sorted by name; never the order of Qt's hash.
#include "domtest.h"

#include <QDomDocument>

namespace {

using namespace domtest;

// The attribute names of every element the walk meets, "element: a b", joined by " | ".
QString attributeNamesWalked(GenQtDomDocument& document)
{
    QStringList elements;
    int type = 0;
    QString name, value;
    bool isEnd = false;
    RurUrOroEntity* entity = document.beginTraversion(QString(), document.getDocumentID());
    while ((entity = document.getNextEntity(&type, &name, &value, nullptr, &isEnd, document.getDocumentID()))) {
        if (type == XML_ETYPE_ELEMENT && !isEnd)
            elements << name + QLatin1Char(':');
        else if (type == XML_ETYPE_ATTR)
            elements.last() += QLatin1Char(' ') + name;
        releaseEntity(entity);
    }
    document.endTraversion(document.getDocumentID());
    return elements.join(QStringLiteral(" | "));
}

// Little-endian UTF-16 with its byte order mark.
QByteArray utf16(const QString& text)
{
    return QByteArray("\xff\xfe") + QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

TEST(DomAttributeOrder, LoadedElementsShowTheirStartTagsOrder)
{
    const QString wide =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?><r z=\"1\" a=\"2\"><e \xe9=\"1\" b=\"2\"/></r>");
    const struct {
        QByteArray xml;
        QString names;
    } cases[] = {
        // Tags over several lines, line ends of every kind, empty elements.
        {"<r z='1' a='2'\r\n  m='3'>\r<c y=\"1\"\n x=\"2\"/><c\r\ny='1' x='2' w='3' /></r>",
         QStringLiteral("r: z a m | c: y x | c: y x w")},
        // Characters of every UTF-8 length before the tag on its line.
        {"<r>\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80<c \xc3\xa9='1' \xe4\xb8\xad='2' b='3'/></r>",
         QString::fromUtf8("r: | c: \xc3\xa9 \xe4\xb8\xad b")},
        // Prefixed names, which Qt's hash files under their local names.
        {"<r xmlns:p='u' xmlns:q='v' q:a='1' b='2' p:a='3'><c p:z='1' p:y='2'/></r>",
         QStringLiteral("r: q:a b p:a | c: p:z p:y")},
        // A reference above U+FFFF on the same line: the document is parsed as rewritten text.
        {"<r>&#x1F600;&#128512;<c z='1' a='2'/><c b='&#x1F600;' a='1'/></r>", QStringLiteral("r: | c: z a | c: b a")},
        // Other encodings are read as the parser decodes them.
        {utf16(wide.arg(QStringLiteral("UTF-16"))), QString::fromLatin1("r: z a | e: \xe9 b")},
        {wide.arg(QStringLiteral("ISO-8859-1")).toLatin1(), QString::fromLatin1("r: z a | e: \xe9 b")},
    };
    for (const auto& [xml, names] : cases)
        EXPECT_EQ(attributeNamesWalked(*loaded(xml)), names) << xml.constData();
}

TEST(DomAttributeOrder, AttributesOfNoKnownOrderAreSortedByName)
{
    // Elements from an entity's replacement text stand nowhere in the document's own tags.
    Document document = loaded("<!DOCTYPE r [<!ENTITY e \"<q z='1' b='2' a='3'/>\">]><r y='1' x='2'>&e;&e;</r>");
    EXPECT_EQ(attributeNamesWalked(*document), QStringLiteral("r: y x | q: a b z | q: a b z"));

    // Attributes set behind the library's back follow the known ones.
    Document changed = loaded("<r m='1' k='2'/>");
    QDomElement root = changed->beginTraversion(QString(), changed->getDocumentID())->domNode->node.toElement();
    changed->endTraversion(changed->getDocumentID());
    root.setAttribute(QStringLiteral("c"), QStringLiteral("3"));
    root.setAttribute(QStringLiteral("a"), QStringLiteral("4"));
    EXPECT_EQ(attributeNamesWalked(*changed), QStringLiteral("r: m k a c"));
}

TEST(DomAttributeOrder, BuiltAttributesKeepTheOrderAdded)
{
    GenQtDomDocument built(QStringLiteral("r"), false);
    const int id = built.getDocumentID();
    for (const char* name : {"z", "b", "m", "b"})
        built.addAttribute(QLatin1String(name), QStringLiteral("v"), id);
    built.openNode(QStringLiteral("c"), id);
    for (const char* name : {"aB", "Ab"})
        built.addAttribute(QLatin1String(name), QLatin1String(name), id);
    EXPECT_EQ(attributeNamesWalked(built), QStringLiteral("r: z b m | c: aB Ab"));
    // Of names equal but for case, a lookup that ignores case finds the first shown.
    RurUrOroEntity* start = built.beginTraversion(QStringLiteral("c"), id);
    QString value;
    EXPECT_TRUE(built.getNamedAttribute(start, QStringLiteral("ab"), &value, true, id));
    EXPECT_EQ(value, QStringLiteral("aB"));
    built.endTraversion(id);

    // A prefixed name is found as the walk shows it, and by its local name as before.
    Document prefixed = loaded("<r xmlns:p='urn:p' p:a='1' q='2'/>");
    RurUrOroEntity* root = prefixed->beginTraversion(QString(), prefixed->getDocumentID());
    for (const char* name : {"p:a", "a", "P:A"}) {
        const bool noCase = name[0] == 'P';
        value.clear();
        EXPECT_TRUE(prefixed->getNamedAttribute(root, QLatin1String(name), &value, noCase, prefixed->getDocumentID()));
        EXPECT_EQ(value, QStringLiteral("1")) << name;
    }
    prefixed->endTraversion(prefixed->getDocumentID());

    // Added to a loaded element: after the ones its start tag gave.
    Document document = loaded("<r y='1' x='2'/>");
    document->openLevel();
    document->addAttribute(QStringLiteral("a"), QStringLiteral("3"), document->getDocumentID());
    document->addAttribute(QStringLiteral("y"), QStringLiteral("4"), document->getDocumentID());
    EXPECT_EQ(attributeNamesWalked(*document), QStringLiteral("r: y x a"));
}

} // namespace
