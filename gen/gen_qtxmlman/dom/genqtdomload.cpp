#include "genqtdomdocument.h"

#include "rururorodocumentcheck.h"
#include "genqtdomsupplementary.h"
#include "rururoroqtversion.h"

#include <QBuffer>
#include <QDomProcessingInstruction>

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
        const RurUrOroInputRefusal control = controlInName(bytes);
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
