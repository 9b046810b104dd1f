#include "genqtdomdocument.h"

#include "rururorodocumentcheck.h"
#include "genqtdomsupplementary.h"
#include "rururoroqtversion.h"

#include <QBuffer>
#include <QDomProcessingInstruction>

#include <algorithm>

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

bool nameHoldsControl(const QString& name)
{
    return std::any_of(name.cbegin(), name.cend(),
                       [](QChar c) { return c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r'; });
}

bool namesHoldControls(const QDomElement& element)
{
    if (nameHoldsControl(element.tagName()))
        return true;
    const QDomNamedNodeMap attributes = element.attributes();
    for (int i = 0; i < attributes.length(); ++i)
        if (nameHoldsControl(attributes.item(i).nodeName()))
            return true;
    for (QDomElement child = element.firstChildElement(); !child.isNull(); child = child.nextSiblingElement())
        if (namesHoldControls(child))
            return true;
    return false;
}

// Qt 6's parser takes C0 controls in names, where XML cannot carry them and a
// save could not give them back; Qt 5's refuses them at the control. The bytes
// are looked at first, the tree only when they hold a control at all.
RurUrOroInputRefusal controlInName(const QDomDocument& document, const QByteArray& bytes)
{
    if (!qtversion::domParserTakesControlsInNames)
        return RurUrOroInputRefusal();
    const RurUrOroInputRefusal control = firstControlCharacter(bytes);
    return control.found && namesHoldControls(document.documentElement()) ? control : RurUrOroInputRefusal();
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
        const RurUrOroInputRefusal control = controlInName(domDocument, bytes);
        if (control.found) {
            parsed = false;
            domDocument = QDomDocument();
            line = control.line;
            column = control.column;
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
    } else {
        if (errorLine)
            *errorLine = line;
        if (errorColumn)
            *errorColumn = column;
    }
    resetBuildCursor();
    return parsed;
}
