#include "genqtdomdocument.h"

#include "genqtdomprescan.h"

#include <QDomProcessingInstruction>
#include <QIODevice>
#include <QXmlStreamReader>

bool GenQtDomDocument::load(QIODevice* device, int* errorLine, int* errorColumn)
{
    // Read whole: the limits are checked on the bytes before any tree is built.
    const QByteArray bytes = device ? device->readAll() : QByteArray();
    int line = 0;
    int column = 0;
    bool parsed = false;
    const DomRefusal refusal = findRefusal(bytes);
    if (refusal.found) {
        line = refusal.line;
        column = refusal.column;
    } else {
        // The stream reader overload, because the device overload turns character
        // references outside the BMP into wrong characters (&#x1F600; into U+F600).
        // Like it, this one drops whitespace-only text, gives qualified names with
        // namespace processing and reports the same error positions; it is stricter
        // where XML is (undeclared namespace prefixes and entities are errors) and
        // applies attribute defaults the document type declares.
        QXmlStreamReader reader(bytes);
        parsed = domDocument.setContent(&reader, true, nullptr, &line, &column);
    }
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
