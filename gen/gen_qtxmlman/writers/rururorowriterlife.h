// What the file writer and the buffer writer share: the output format, the
// document element, and the life of their count of open elements, which is 1
// while only the document element is open, 0 once the document is ended and
// -1 after a second ending.
#pragma once

#include <QString>

namespace RurUrOroWriterLife {

// Formats with one tab per level (an indent of -1), writes the declaration
// through `startDocument` and opens the document element; an empty root name
// stands for "root".
template <typename Writer>
void openDocument(qint32& openElementCount, Writer& writer, void (Writer::*startDocument)(),
                  const QString& rootName)
{
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(-1);
    (writer.*startDocument)();
    writer.writeStartElement(rootName.isEmpty() ? QStringLiteral("root") : rootName);
    openElementCount = 1;
}

// Closes the innermost element; at the document element, `endDocument` ends the
// whole document instead. False when nothing is open.
template <typename Writer>
bool closeInnermost(qint32& openElementCount, Writer& writer, void (Writer::*endDocument)())
{
    if (openElementCount <= 0)
        return false;
    if (openElementCount == 1)
        (writer.*endDocument)();
    else
        writer.writeEndElement();
    --openElementCount;
    return true;
}

// Closes every open element, innermost first, and ends the document, even one
// already ended. False after such a second ending.
template <typename Writer>
bool closeAll(qint32& openElementCount, Writer& writer, void (Writer::*endDocument)())
{
    if (openElementCount < 0)
        return false;
    for (; openElementCount > 1; --openElementCount)
        writer.writeEndElement();
    (writer.*endDocument)();
    --openElementCount;
    return true;
}

} // namespace RurUrOroWriterLife
