#include "genqtdomdocument.h"

#include "rururorodocumentcheck.h"
#include "genqtdomsupplementary.h"
#include "rururoroqtversion.h"

#include <QBuffer>
#include <QDomProcessingInstruction>
#include <QXmlStreamReader>

#include <algorithm>
#include <string>
#include <utility>

namespace {

// Qt's parse of a device decides what loads, where it fails and what tree it
// builds. It cuts character references above U+FFFF to 16 bits, so a document
// that holds one is first parsed from its text with those references written
// as characters; should that fail, the device parse gives the verdict.
// `order` learns the start tags of what is parsed: a rewritten text places
// elements elsewhere than the bytes do.
bool parse(QDomDocument& document, const QByteArray& bytes, DomAttributeOrder& order, int* line, int* column)
{
    if (mayHoldSupplementaryReference(bytes)) {
        const QString text = decodedAsParsed(bytes);
        if (holdsSupplementaryReference(text)) {
            const QString written = withSupplementaryReferencesWritten(text);
            DomAttributeOrder writtenOrder;
            checkDecodedText(written, &writtenOrder);
            if (document.setContent(written, true)) {
                order = std::move(writtenOrder);
                return true;
            }
        }
    }
    QBuffer device;
    device.setData(bytes);
    device.open(QIODevice::ReadOnly);
    return document.setContent(&device, true, nullptr, line, column);
}

// Qt 6's parser refuses C0 controls in text, values, comments, instruction
// data and literals, yet takes them in names: of attributes, instructions,
// entities, notations, the document type. XML cannot carry them there and a
// save could not give them back. So a document Qt 6 read that holds a control
// at all holds it in a name, and is refused at the first, where Qt 5's parser
// refuses it.
RurUrOroInputRefusal controlInName(const QByteArray& bytes)
{
    return qtversion::domParserTakesControlsInNames ? firstControlCharacter(bytes) : RurUrOroInputRefusal();
}

// The node after `node` in document order, null after the last.
QDomNode following(QDomNode node)
{
    if (node.hasChildNodes())
        return node.firstChild();
    while (!node.isNull() && node.nextSibling().isNull())
        node = node.parentNode();
    return node.isNull() ? node : node.nextSibling();
}

// Most targets are ASCII names, which Qt takes; any other is put to Qt's
// parser. "xml" alone is reserved, yet begins names it takes.
bool takesAsTargetBeforeData(const QString& target)
{
    const auto asciiStart = [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_'; };
    const auto asciiName = [&](QChar c) { return asciiStart(c) || (c >= u'0' && c <= u'9') || c == u'-' || c == u'.'; };
    if (!target.isEmpty() && asciiStart(target.at(0)) && std::all_of(target.cbegin(), target.cend(), asciiName))
        return true;
    if (target.compare(QLatin1String("xml"), Qt::CaseInsensitive) == 0)
        return true;
    QXmlStreamReader reader(QLatin1String("<r><?") + target + QLatin1String(" ?></r>"));
    while (!reader.atEnd())
        reader.readNext();
    return !reader.hasError();
}

// The UTF-16 offset of the first character of a refused target that no name
// may hold there: every shorter start of a name is a name, so the longest
// start Qt takes is found by halving, in as many parses as the length has bits.
int firstCharacterNotTaken(const QString& target)
{
    const std::u32string characters = target.toStdU32String();
    const auto start = [&](std::size_t length) { return QString::fromStdU32String(characters.substr(0, length)); };
    std::size_t taken = 0;
    std::size_t refused = characters.size();
    while (refused - taken > 1) {
        const std::size_t middle = taken + (refused - taken) / 2;
        (takesAsTargetBeforeData(start(middle)) ? taken : refused) = middle;
    }
    return int(start(taken).size());
}

// Qt 6's parser takes `<?a~b?>`, but not the `<?a~b ?>` a save writes of it,
// with the blank that follows every target. Such a document is refused where
// Qt 5 refuses it: at the target's first character no name may hold. The
// parser places an instruction at the ">" of its "?>", which follows a target
// without data at once.
RurUrOroInputRefusal bareTargetNotTakenBeforeData(const QDomDocument& document, const QByteArray& bytes)
{
    if (!qtversion::domParserTakesBareInstructionTargetsUnchecked || !mayHoldInstruction(bytes))
        return RurUrOroInputRefusal();
    for (QDomNode node = document.firstChild(); !node.isNull(); node = following(node)) {
        if (!node.isProcessingInstruction())
            continue;
        const QString target = node.nodeName();
        if (!takesAsTargetBeforeData(target)) {
            const int targetColumn = node.columnNumber() - 1 - int(target.size());
            return RurUrOroInputRefusal{true, node.lineNumber(), targetColumn + firstCharacterNotTaken(target),
                                        QString()};
        }
    }
    return RurUrOroInputRefusal();
}

// Qt 6's parser keeps only the local part of the document type's name, and
// `<!DOCTYPE xsl:stylesheet [` would save as `<!DOCTYPE stylesheet [`: the
// name is read again from the declaration as written.
QString documentTypeNameAsWritten(const QDomDocument& document, const QByteArray& bytes)
{
    const QString kept = document.doctype().name();
    if (!qtversion::domParserDropsDocumentTypePrefix || kept.isEmpty())
        return QString();
    QXmlStreamReader reader(bytes);
    while (!reader.atEnd() && reader.readNext() != QXmlStreamReader::DTD) {
    }
    // The blanks before it, "<!DOCTYPE", blanks, the name, ...
    const QString declaration = reader.text().toString();
    const QLatin1String keyword("<!DOCTYPE");
    int start = int(declaration.indexOf(keyword) + keyword.size());
    while (start < declaration.size() && declaration.at(start).isSpace())
        ++start;
    int end = start;
    while (end < declaration.size() && !declaration.at(end).isSpace() && declaration.at(end) != u'[' &&
           declaration.at(end) != u'>')
        ++end;
    const QString written = declaration.mid(start, end - start);
    return written.endsWith(QLatin1Char(':') + kept) ? written : QString();
}

} // namespace

bool GenQtDomDocument::load(QIODevice* device, int* errorLine, int* errorColumn)
{
    // Read whole: the limits are checked on the bytes before any tree is built.
    const QByteArray bytes = device ? device->readAll() : QByteArray();
    int line = 0;
    int column = 0;
    bool parsed = false;
    attributeOrder.clear();
    const RurUrOroInputRefusal refusal = checkWholeDocument(bytes, &attributeOrder);
    if (refusal.found) {
        line = refusal.line;
        column = refusal.column;
    } else if ((parsed = parse(domDocument, bytes, attributeOrder, &line, &column))) {
        RurUrOroInputRefusal unreadable = controlInName(bytes);
        if (!unreadable.found)
            unreadable = bareTargetNotTakenBeforeData(domDocument, bytes);
        if (unreadable.found) {
            parsed = false;
            domDocument = QDomDocument();
            line = unreadable.line;
            column = unreadable.column;
        }
    }
    if (parsed)
        attributeOrder.loaded();
    else
        attributeOrder.clear();
    if (parsed) {
        // The declaration describes the bytes just read, not what save writes:
        // keeping it would give saved files a second declaration, and its
        // encoding would make save write bytes that our UTF-8 line misdescribes.
        const QDomNode first = domDocument.firstChild();
        if (first.isProcessingInstruction() && first.nodeName() == QLatin1String("xml"))
            domDocument.removeChild(first);
        documentTypeName = documentTypeNameAsWritten(domDocument, bytes);
    } else {
        documentTypeName.clear();
        if (errorLine)
            *errorLine = line;
        if (errorColumn)
            *errorColumn = column;
    }
    resetBuildCursor();
    return parsed;
}
