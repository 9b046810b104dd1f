#include "genqtdomserializer.h"

#include "rururoroqtversion.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace {

// Qt's save lays out each node by whether its neighbours are text, and a CDATA
// section counts as text there.
bool isText(QDomNode::NodeType type)
{
    return type == QDomNode::TextNode || type == QDomNode::CDATASectionNode;
}

// The name Qt keeps for an element or attribute. A lenient parse keeps the
// prefix of a name outside any namespace (an undeclared one) apart, and Qt's
// save writes the name without it.
QString writtenName(const QDomNode& node)
{
    const QString localName = node.localName();
    return node.namespaceURI().isNull() && !localName.isNull() ? localName : node.nodeName();
}

bool isXmlDeclaration(const QDomNode& node)
{
    return node.isProcessingInstruction() && node.nodeName() == QLatin1String("xml");
}

// The encoding the XML declaration names, found as Qt finds it: the first
// `encoding = "..."` (or with single quotes) anywhere in its data.
QString declaredEncoding(const QString& declaration)
{
    const QLatin1String key("encoding");
    const int size = declaration.size();
    for (int at = declaration.indexOf(key); at >= 0; at = declaration.indexOf(key, at + 1)) {
        int i = at + key.size();
        while (i < size && declaration.at(i).isSpace())
            ++i;
        if (i == size || declaration.at(i) != QLatin1Char('='))
            continue;
        do
            ++i;
        while (i < size && declaration.at(i).isSpace());
        if (i == size || (declaration.at(i) != QLatin1Char('"') && declaration.at(i) != QLatin1Char('\'')))
            continue;
        const int close = declaration.indexOf(declaration.at(i), i + 1);
        if (close >= 0)
            return declaration.mid(i + 1, close - i - 1);
    }
    return QString();
}

// The encoding Qt's save sets on its stream: the one the document's leading
// XML declaration names; invalid, standing for UTF-8, when there is none or Qt
// does not know the name.
qtversion::TextEncoding documentEncoding(const QDomDocument& document)
{
    const QDomNode first = document.firstChild();
    const QString encoding = isXmlDeclaration(first) ? declaredEncoding(first.nodeValue()) : QString();
    return encoding.isEmpty() ? qtversion::TextEncoding() : qtversion::TextEncoding::forName(encoding);
}

// Whether the encoding writes a UTF-16 unit as itself, asked as Qt asks it
// (one unit alone) but only once per unit: the answer costs far more than the
// lookup. UTF-8 writes every unit.
class EncodableUnits {
public:
    explicit EncodableUnits(const qtversion::TextEncoding& encoding)
        : encoding(encoding), everyUnit(!encoding.isValid() || encoding.isUtf8())
    {
    }

    bool contains(QChar unit)
    {
        if (everyUnit)
            return true;
        const ushort u = unit.unicode();
        if (u >= ascii.size() && !others)
            others.reset(new quint8[0x10000]());
        quint8& known = u < ascii.size() ? ascii[u] : others[u];
        if (known == Unknown)
            known = encoding.canEncode(unit) ? Yes : No;
        return known == Yes;
    }

private:
    enum : quint8 { Unknown, Yes, No };
    const qtversion::TextEncoding encoding;
    const bool everyUnit;
    std::array<quint8, 128> ascii{};
    std::unique_ptr<quint8[]> others;
};

// What a value escapes besides '<', '&' and the '>' of "]]>", by where it stands.
enum Escapes : unsigned {
    Quotes = 1,
    CarriageReturns = 2,
    // Tab, line feed and carriage return, which a reader would turn into
    // spaces in an attribute value.
    Blanks = 4,
};
constexpr unsigned TextInElement = CarriageReturns;
constexpr unsigned TextOutsideElements = Quotes | CarriageReturns;
constexpr unsigned AttributeValue = Quotes | Blanks;
constexpr unsigned ElementNamespace = Quotes;

class DomWriter {
public:
    DomWriter(const QDomDocument& document, int indent, const AttributesInOrder& order,
              const QString& documentTypeName)
        : document(document), indent(indent), order(order), documentTypeName(documentTypeName),
          encodable(documentEncoding(document))
    {
        out.reserve(4096);
    }

    QString write();

private:
    void writeStartTag(const QDomNode& element, const QString& name);
    void writeAttribute(const QDomNode& attribute, const QString& ownerPrefix, std::vector<QString>* declaredPrefixes);
    void writeOther(const QDomNode& node, QDomNode::NodeType type, const QDomNode* parentElement, int depth,
                    bool previousIsText, bool nextIsText);
    void writeDocumentType(const QDomDocumentType& type);
    void writeEntity(const QDomEntity& entity);
    void writeNotation(const QDomNotation& notation);
    void writeExternalId(const QString& publicId, const QString& systemId);
    void writeQuoted(const QString& literal);
    void writeEntityValue(const QString& value);
    void writeEscaped(const QString& value, unsigned escapes);
    void writeCharacterReference(ushort unit);
    void writeIndentation(int depth);
    void writeElementLineEnd();

    const QDomDocument& document;
    const int indent;
    const AttributesInOrder& order;
    const QString documentTypeName;
    EncodableUnits encodable;
    std::vector<QString> declaredPrefixes;
    QString out;
};

// Depth first without recursion, so that no depth of nesting runs out of stack.
QString DomWriter::write()
{
    struct OpenElement {
        QDomNode element;
        QString name;
        QDomNode next;
    };
    std::vector<OpenElement> open;
    open.reserve(32);
    bool typeWritten = false;
    bool previousIsText = false;
    QDomNode node = document.firstChild();
    for (;;) {
        while (node.isNull() && !open.empty()) {
            const int depth = int(open.size()) - 1;
            if (!previousIsText)
                writeIndentation(depth);
            out += QLatin1String("</");
            out += open.back().name;
            out += QLatin1Char('>');
            node = open.back().next;
            open.pop_back();
            if (!isText(node.nodeType()))
                writeElementLineEnd();
            previousIsText = false;
        }
        if (node.isNull())
            break;
        // The document type goes before the first node that is not an XML declaration.
        if (open.empty() && !typeWritten && !isXmlDeclaration(node)) {
            writeDocumentType(document.doctype());
            typeWritten = true;
        }
        const int depth = int(open.size());
        const QDomNode::NodeType type = node.nodeType();
        QDomNode next = node.nextSibling();
        const bool nextIsText = isText(next.nodeType());
        if (type == QDomNode::ElementNode) {
            const QString name = writtenName(node);
            if (!previousIsText)
                writeIndentation(depth);
            writeStartTag(node, name);
            QDomNode first = node.firstChild();
            if (!first.isNull()) {
                out += QLatin1Char('>');
                if (!isText(first.nodeType()))
                    writeElementLineEnd();
                // Filled in place: QDomNode has no move, and every copy counts.
                open.emplace_back();
                open.back().element = node;
                open.back().name = name;
                open.back().next = next;
                node = first;
                previousIsText = false;
                continue;
            }
            out += QLatin1String("/>");
            if (!nextIsText)
                writeElementLineEnd();
        } else {
            writeOther(node, type, open.empty() ? nullptr : &open.back().element, depth, previousIsText, nextIsText);
        }
        previousIsText = isText(type);
        node = next;
    }
    return std::move(out);
}

void DomWriter::writeStartTag(const QDomNode& element, const QString& name)
{
    out += QLatin1Char('<');
    out += name;
    const QString prefix = element.prefix();
    const QString namespaceUri = element.namespaceURI();
    // Every element in a namespace declares it, whatever its ancestors declared.
    if (!namespaceUri.isNull()) {
        out += QLatin1String(" xmlns");
        if (!prefix.isEmpty()) {
            out += QLatin1Char(':');
            out += prefix;
        }
        out += QLatin1String("=\"");
        writeEscaped(namespaceUri, ElementNamespace);
        out += QLatin1Char('"');
    }
    if (!element.hasAttributes())
        return;
    declaredPrefixes.clear();
    DomAttributeList attributes;
    order(element.toElement(), attributes);
    for (const QDomNode& attribute : attributes) {
        out += QLatin1Char(' ');
        writeAttribute(attribute, prefix, &declaredPrefixes);
    }
}

// An attribute in a namespace declares its prefix unless its element has the
// same prefix or, within one start tag, an attribute before it declared it.
// The declaration comes first: Qt writes it after the attribute, where its own
// parser no longer applies it, so a second load would lose the prefix.
void DomWriter::writeAttribute(const QDomNode& attribute, const QString& ownerPrefix,
                               std::vector<QString>* declaredPrefixes)
{
    const QString namespaceUri = attribute.namespaceURI();
    const QString prefix = namespaceUri.isNull() ? QString() : attribute.prefix();
    const bool declared = namespaceUri.isNull() || prefix == ownerPrefix ||
                          (declaredPrefixes &&
                           std::find(declaredPrefixes->begin(), declaredPrefixes->end(), prefix) !=
                               declaredPrefixes->end());
    if (!declared) {
        if (declaredPrefixes)
            declaredPrefixes->push_back(prefix);
        out += QLatin1String("xmlns:");
        out += prefix;
        out += QLatin1String("=\"");
        writeEscaped(namespaceUri, AttributeValue);
        out += QLatin1String("\" ");
    }
    // Qt writes the prefix and ':' for any attribute in a namespace, even
    // with no prefix.
    if (!namespaceUri.isNull() && prefix.isEmpty())
        out += QLatin1Char(':');
    out += writtenName(attribute);
    out += QLatin1String("=\"");
    writeEscaped(attribute.nodeValue(), AttributeValue);
    out += QLatin1Char('"');
}

// Every node but an element, below `parentElement` or the document when null.
// The DOM lets attributes, entities, notations and document types stand among
// children too; Qt writes them there as it would in their usual place.
void DomWriter::writeOther(const QDomNode& node, QDomNode::NodeType type, const QDomNode* parentElement, int depth,
                           bool previousIsText, bool nextIsText)
{
    switch (type) {
    case QDomNode::TextNode:
        writeEscaped(node.nodeValue(), parentElement ? TextInElement : TextOutsideElements);
        break;
    case QDomNode::CDATASectionNode:
        out += QLatin1String("<![CDATA[");
        out += node.nodeValue();
        out += QLatin1String("]]>");
        break;
    case QDomNode::CommentNode: {
        if (!previousIsText)
            writeIndentation(depth);
        const QString value = node.nodeValue();
        out += QLatin1String("<!--");
        out += value;
        if (value.endsWith(QLatin1Char('-')))
            out += QLatin1Char(' ');
        out += QLatin1String("-->");
        if (!nextIsText)
            out += QLatin1Char('\n');
        break;
    }
    case QDomNode::ProcessingInstructionNode:
        out += QLatin1String("<?");
        out += node.nodeName();
        out += QLatin1Char(' ');
        out += node.nodeValue();
        out += QLatin1String("?>\n");
        break;
    case QDomNode::EntityReferenceNode:
        out += QLatin1Char('&');
        out += node.nodeName();
        out += QLatin1Char(';');
        break;
    case QDomNode::AttributeNode:
        writeAttribute(node, parentElement ? parentElement->prefix() : QString(), nullptr);
        break;
    case QDomNode::EntityNode:
        writeEntity(node.toEntity());
        break;
    case QDomNode::NotationNode:
        writeNotation(node.toNotation());
        break;
    case QDomNode::DocumentTypeNode:
        writeDocumentType(node.toDocumentType());
        break;
    default: // documents and fragments, which are never children
        break;
    }
}

std::vector<QDomNode> sortedByName(const QDomNamedNodeMap& map)
{
    std::vector<QDomNode> nodes;
    nodes.reserve(map.count());
    for (int i = 0; i < map.count(); ++i)
        nodes.push_back(map.item(i));
    std::sort(nodes.begin(), nodes.end(),
              [](const QDomNode& a, const QDomNode& b) { return a.nodeName() < b.nodeName(); });
    return nodes;
}

void DomWriter::writeDocumentType(const QDomDocumentType& type)
{
    const QString name = documentTypeName.isEmpty() ? type.name() : documentTypeName;
    if (name.isEmpty())
        return;
    out += QLatin1String("<!DOCTYPE ");
    out += name;
    const QString publicId = type.publicId();
    const QString systemId = type.systemId();
    if (!publicId.isNull() || !systemId.isNull())
        writeExternalId(publicId, systemId);
    const QDomNamedNodeMap notations = type.notations();
    const QDomNamedNodeMap entities = type.entities();
    if (!notations.isEmpty() || !entities.isEmpty()) {
        out += QLatin1String(" [\n");
        for (const QDomNode& notation : sortedByName(notations))
            writeNotation(notation.toNotation());
        for (const QDomNode& entity : sortedByName(entities))
            writeEntity(entity.toEntity());
        out += QLatin1Char(']');
    }
    out += QLatin1String(">\n");
}

void DomWriter::writeEntity(const QDomEntity& entity)
{
    const QString name = entity.nodeName();
    out += QLatin1String("<!ENTITY ");
    if (name.startsWith(QLatin1Char('%'))) {
        out += QLatin1String("% ");
        out.append(name.constData() + 1, name.size() - 1);
    } else {
        out += name;
    }
    const QString publicId = entity.publicId();
    const QString systemId = entity.systemId();
    if (publicId.isNull() && systemId.isNull()) {
        out += QLatin1String(" \"");
        writeEntityValue(entity.nodeValue());
        out += QLatin1String("\">\n");
        return;
    }
    writeExternalId(publicId, systemId);
    const QString notationName = entity.notationName();
    if (!notationName.isNull()) {
        out += QLatin1String(" NDATA ");
        out += notationName;
    }
    out += QLatin1String(">\n");
}

void DomWriter::writeNotation(const QDomNotation& notation)
{
    out += QLatin1String("<!NOTATION ");
    out += notation.nodeName();
    writeExternalId(notation.publicId(), notation.systemId());
    out += QLatin1String(">\n");
}

// " PUBLIC 'p' 's'", " PUBLIC 'p'" or " SYSTEM 's'".
void DomWriter::writeExternalId(const QString& publicId, const QString& systemId)
{
    if (publicId.isNull()) {
        out += QLatin1String(" SYSTEM ");
        writeQuoted(systemId);
        return;
    }
    out += QLatin1String(" PUBLIC ");
    writeQuoted(publicId);
    if (!systemId.isNull()) {
        out += QLatin1Char(' ');
        writeQuoted(systemId);
    }
}

// In single quotes unless the literal holds one; nothing inside is escaped.
void DomWriter::writeQuoted(const QString& literal)
{
    const QLatin1Char quote(literal.contains(QLatin1Char('\'')) ? '"' : '\'');
    out += quote;
    out += literal;
    out += quote;
}

// Qt writes an internal entity's value through UTF-8, where an unpaired
// surrogate becomes '?', and escapes '%' as "&#60;" (which stands for '<'),
// '"' as "&#34;" and the '&' of a character reference as "&#38;". The encoding
// is not asked.
void DomWriter::writeEntityValue(const QString& value)
{
    const int size = value.size();
    for (int i = 0; i < size; ++i) {
        const QChar unit = value.at(i);
        if (unit.isHighSurrogate() && i + 1 < size && value.at(i + 1).isLowSurrogate()) {
            out += unit;
            out += value.at(++i);
        } else if (unit.isSurrogate()) {
            out += QLatin1Char('?');
        } else if (unit == QLatin1Char('%')) {
            out += QLatin1String("&#60;");
        } else if (unit == QLatin1Char('"')) {
            out += QLatin1String("&#34;");
        } else if (unit == QLatin1Char('&') && i + 1 < size && value.at(i + 1) == QLatin1Char('#')) {
            out += QLatin1String("&#38;");
        } else {
            out += unit;
        }
    }
}

// Unchanged stretches are copied whole. A unit the encoding cannot write becomes
// a character reference, a surrogate on its own too.
void DomWriter::writeEscaped(const QString& value, unsigned escapes)
{
    const QChar* const units = value.constData();
    const int size = value.size();
    int copied = 0;
    for (int i = 0; i < size; ++i) {
        QLatin1String entity;
        bool reference = false;
        switch (units[i].unicode()) {
        case '<':
            entity = QLatin1String("&lt;");
            break;
        case '&':
            entity = QLatin1String("&amp;");
            break;
        case '"':
            if (escapes & Quotes)
                entity = QLatin1String("&quot;");
            break;
        case '>':
            if (i >= 2 && units[i - 1] == QLatin1Char(']') && units[i - 2] == QLatin1Char(']'))
                entity = QLatin1String("&gt;");
            break;
        case '\t':
        case '\n':
            reference = escapes & Blanks;
            break;
        case '\r':
            reference = escapes & (Blanks | CarriageReturns);
            break;
        }
        if (entity.isEmpty() && !reference && encodable.contains(units[i]))
            continue;
        out.append(units + copied, i - copied);
        copied = i + 1;
        if (entity.isEmpty())
            writeCharacterReference(units[i].unicode());
        else
            out += entity;
    }
    out.append(units + copied, size - copied);
}

void DomWriter::writeCharacterReference(ushort unit)
{
    out += QLatin1String("&#x");
    out += QString::number(unit, 16);
    out += QLatin1Char(';');
}

// Elements, comments and the end tags of elements indent by their depth
// unless text comes right before them.
void DomWriter::writeIndentation(int depth)
{
    if (indent > 0)
        out.resize(out.size() + depth * indent, QLatin1Char(' '));
}

// An element's line ends, unlike those of every other node, go with an indent of -1.
void DomWriter::writeElementLineEnd()
{
    if (indent != -1)
        out += QLatin1Char('\n');
}

} // namespace

QString serializeDocument(const QDomDocument& document, int indent, const AttributesInOrder& order,
                          const QString& documentTypeName)
{
    return DomWriter(document, indent, order, documentTypeName).write();
}
