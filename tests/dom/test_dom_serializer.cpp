// The serializer against Qt's own save, byte for byte, wherever Qt's hash
// order cannot show: attributes given in Qt's order or one to an element, no
// document type of two entities or two notations. Where it could show, the
// order is checked as such.
#include "genqtdomserializer.h"

#include <QDirIterator>
#include <QFile>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

// Qt's own order, and Qt's order backwards: the same only for an element of
// one attribute.
void inQtOrder(const QDomElement& element, DomAttributeList& nodes)
{
    for (int i = 0; i < element.attributes().count(); ++i)
        nodes.append(element.attributes().item(i));
}

void againstQtOrder(const QDomElement& element, DomAttributeList& nodes)
{
    for (int i = element.attributes().count() - 1; i >= 0; --i)
        nodes.append(element.attributes().item(i));
}

bool isNameCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char(':') || c == QLatin1Char('_') || c == QLatin1Char('-') ||
           c == QLatin1Char('.') || c == QLatin1Char('=');
}

// Qt's save, but for one thing: an attribute's namespace declaration comes
// before the attribute, where Qt's parser applies it, not after. Only an
// attribute's value ends right before a declaration, and no value holds '"'.
QString savedAsQtSaves(const QDomDocument& document, int indent)
{
    QString saved = document.toString(indent);
    const QLatin1String valueThenDeclaration("\" xmlns:");
    for (int at = saved.indexOf(valueThenDeclaration); at >= 0; at = saved.indexOf(valueThenDeclaration, at)) {
        int attributeStart = saved.lastIndexOf(QLatin1Char('"'), at - 1);
        while (attributeStart > 0 && isNameCharacter(saved.at(attributeStart - 1)))
            --attributeStart;
        const int declarationStart = at + 2;
        const int declarationValue = saved.indexOf(QLatin1Char('"'), declarationStart);
        const int declarationEnd = saved.indexOf(QLatin1Char('"'), declarationValue + 1) + 1;
        const QString attribute = saved.mid(attributeStart, at + 1 - attributeStart);
        const QString declaration = saved.mid(declarationStart, declarationEnd - declarationStart);
        saved.replace(attributeStart, declarationEnd - attributeStart, declaration + QLatin1Char(' ') + attribute);
        at = declarationEnd;
    }
    return saved;
}

void expectSavedAsQtSaves(const QDomDocument& document, const QString& what, const AttributesInOrder& order)
{
    for (int indent : {-1, 0, 1, 2, 4})
        EXPECT_EQ(serializeDocument(document, indent, order).toStdU16String(),
                  savedAsQtSaves(document, indent).toStdU16String())
            << what.toStdString() << ", indent " << indent;
}

TEST(DomSerializer, WritesTheBundledFilesAsQtDoes)
{
    int loaded = 0;
    for (const char* folder : {SAMPLES_DIR, FUZZ_CORPUS_DIR}) {
        for (QDirIterator files(QString::fromUtf8(folder), QDir::Files, QDirIterator::Subdirectories); files.hasNext();) {
            QFile file(files.next());
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
            QDomDocument document;
            loaded += document.setContent(&file, true);
            // Given Qt's order, attributes come out as Qt writes them. Several
            // entities or notations come in hash order from Qt and sorted from
            // us; the order test below covers them.
            const QDomDocumentType type = document.doctype();
            if (type.entities().count() > 1 || type.notations().count() > 1)
                continue;
            expectSavedAsQtSaves(document, file.fileName(), inQtOrder);
        }
    }
    EXPECT_GE(loaded, 20);
}

// Every node kind in every order of three, among the document's children and
// among an element's; what each node holds is drawn from a seeded source.
class DocumentGenerator {
public:
    enum Kind { Text, CData, Comment, Instruction, Reference, Element, Attribute, Entity, Notation, Type, Kinds };
    static constexpr int Triples = Kinds * Kinds * Kinds;

    DocumentGenerator()
    {
        // Entities and notations come only from a parse.
        EXPECT_TRUE(declarations.setContent(
            QByteArray("<!DOCTYPE d [<!ENTITY sys SYSTEM \"it's.xml\"><!ENTITY pub PUBLIC \"-//P//EN\" 'say \"hi\"'>"
                       "<!ENTITY nd SYSTEM \"n.gif\" NDATA gif><!ENTITY % par SYSTEM \"p.ent\">"
                       "<!NOTATION gif SYSTEM \"view\"><!NOTATION pn PUBLIC \"-//N//EN\">"
                       "<!NOTATION pns PUBLIC \"-//N//EN\" \"it's\">]><d/>"),
            true));
    }

    QDomDocument document(int triple, bool inElement)
    {
        const bool typed = pick(2);
        QDomDocument document(typed ? QDomImplementation().createDocumentType(QStringLiteral("d"), id(), id())
                                    : QDomDocumentType());
        if (typed && pick(2))
            document.doctype().entities().setNamedItem(node(document, Entity, 0));
        if (typed && pick(2))
            document.doctype().notations().setNamedItem(node(document, Notation, 0));
        // Qt reads the first "encoding" with = and a quoted name; a name it does not know means UTF-8.
        const char* const xmlDeclarations[] = {nullptr, "version='1.0'", "version=\"1.0\" encoding=\"ISO-8859-1\"",
                                              "encoding=UTF-8 encoding = 'ISO-8859-1'", "encoding='no-such-codec'"};
        if (const char* data = xmlDeclarations[pick(5)])
            document.appendChild(document.createProcessingInstruction(QStringLiteral("xml"), QString::fromLatin1(data)));
        appendTriple(inElement ? document.appendChild(element(document, 0)) : document, triple, 0);
        return document;
    }

private:
    void appendTriple(QDomNode parent, int triple, int depth)
    {
        for (int i = 0; i < 3; ++i, triple /= Kinds)
            parent.appendChild(node(parent.ownerDocument(), Kind(triple % Kinds), depth));
    }

    QDomNode node(QDomDocument document, Kind kind, int depth)
    {
        const QDomDocumentType type = declarations.doctype();
        switch (kind) {
        case Text:
            return document.createTextNode(text());
        case CData:
            return document.createCDATASection(text());
        case Comment:
            return document.createComment(text());
        case Instruction:
            return document.createProcessingInstruction(QStringLiteral("pi"), text());
        case Reference:
            return document.createEntityReference(pick(2) ? QStringLiteral("amp") : QStringLiteral("e.f"));
        case Element:
            return element(document, depth + 1);
        case Attribute: {
            // Outside a namespace: where a declaration goes is a matter of start tags.
            QDomAttr attribute = document.createAttribute(pick(2) ? QStringLiteral("a") : QStringLiteral("q:a"));
            attribute.setValue(text());
            return attribute;
        }
        case Entity:
            return document.importNode(type.entities().item(int(pick(quint32(type.entities().count())))), true);
        case Notation:
            return document.importNode(type.notations().item(int(pick(quint32(type.notations().count())))), true);
        case Type:
            return QDomImplementation().createDocumentType(QStringLiteral("t"), id(), id());
        case Kinds:
            break;
        }
        return QDomNode();
    }

    // In a namespace or not, with one attribute or none; below the top, with children down to a depth.
    QDomElement element(QDomDocument document, int depth)
    {
        const QString names[] = {QStringLiteral("e"), QStringLiteral("p:e"), QStringLiteral("q:e")};
        const QString name = names[pick(3)];
        QDomElement element = pick(2) ? document.createElement(name) : document.createElementNS(uri(), name);
        const QString attribute = QString(names[pick(3)]).replace(QLatin1Char('e'), QLatin1Char('a'));
        const quint32 attributes = pick(3);
        if (attributes == 1)
            element.setAttribute(attribute, text());
        else if (attributes == 2)
            element.setAttributeNS(uri(), attribute, text());
        if (depth > 0 && depth < 3 && pick(3))
            appendTriple(element, int(pick(Triples)), depth);
        return element;
    }

    // Up to four pieces, each something a writer must take care of.
    QString text()
    {
        static const QStringList pieces = QString::fromUtf8("a| |<|>|&|\"|'|\r|\n|\t|]]>|]|-|%|&#|\u20ac|\U0001F600")
                                              .split(QLatin1Char('|'))
                                          << QString(QChar(0xD800)) << QString(QChar(0xDC00));
        QString text;
        for (quint32 n = pick(5); n > 0; --n)
            text += pieces[int(pick(quint32(pieces.size())))];
        return text;
    }

    QString uri()
    {
        const QString uris[] = {QStringLiteral("urn:a"), QString::fromUtf8("urn:\"b\"\n\t<\u20ac"), QStringLiteral("")};
        return uris[pick(3)];
    }

    QString id()
    {
        const QString ids[] = {QString(), QStringLiteral(""), QStringLiteral("-//I//EN"), QStringLiteral("it's"),
                               QStringLiteral("say \"hi\""), QStringLiteral("it's \"both\"")};
        return ids[pick(6)];
    }

    quint32 pick(quint32 choices) { return random() % choices; }

    std::mt19937 random{20260301};
    QDomDocument declarations;
};

TEST(DomSerializer, WritesGeneratedDocumentsAsQtDoes)
{
    DocumentGenerator generator;
    for (int triple = 0; triple < DocumentGenerator::Triples; ++triple)
        for (bool inElement : {false, true})
            expectSavedAsQtSaves(generator.document(triple, inElement),
                                 QStringLiteral("triple %1, in element %2").arg(triple).arg(inElement),
                                 againstQtOrder);
}

TEST(DomSerializer, WritesAttributesInTheGivenOrderAndDeclarationsByName)
{
    QDomDocument document;
    ASSERT_TRUE(document.setContent(QByteArray("<!DOCTYPE r [<!ENTITY b SYSTEM 'b'><!ENTITY a SYSTEM 'a'>"
                                               "<!ENTITY c SYSTEM 'c' NDATA n><!NOTATION n SYSTEM 'n'>"
                                               "<!NOTATION m PUBLIC 'm'>]>"
                                               "<r xmlns:p='urn:p' z='1' p:y='2' a='3' p:x='4' m='5'/>"),
                                    true));
    const auto byName = [](bool ascending) {
        return [ascending](const QDomElement& element, DomAttributeList& nodes) {
            againstQtOrder(element, nodes);
            std::sort(nodes.begin(), nodes.end(), [ascending](const QDomNode& a, const QDomNode& b) {
                return ascending ? a.nodeName() < b.nodeName() : b.nodeName() < a.nodeName();
            });
        };
    };
    const std::string type("<!DOCTYPE r [\n<!NOTATION m PUBLIC 'm'>\n<!NOTATION n SYSTEM 'n'>\n"
                           "<!ENTITY a SYSTEM 'a'>\n<!ENTITY b SYSTEM 'b'>\n<!ENTITY c SYSTEM 'c' NDATA n>\n]>\n");
    // The prefix is declared before the first attribute written with it.
    EXPECT_EQ(serializeDocument(document, 1, byName(true)).toStdString(),
              type + "<r a=\"3\" m=\"5\" xmlns:p=\"urn:p\" p:x=\"4\" p:y=\"2\" z=\"1\"/>\n");
    EXPECT_EQ(serializeDocument(document, 1, byName(false)).toStdString(),
              type + "<r z=\"1\" xmlns:p=\"urn:p\" p:y=\"2\" p:x=\"4\" m=\"5\" a=\"3\"/>\n");
}

} // namespace
