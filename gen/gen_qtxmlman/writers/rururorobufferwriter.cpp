#include "rururorobufferwriter.h"

#include "rururorowriterlife.h"

using namespace RurUrOroWriterLife;

RurUrOroBufferWriter::RurUrOroBufferWriter(const QString& rootName)
{
    outputBuffer.open(QIODevice::WriteOnly);
    xmlWriter.setDevice(&outputBuffer);
    openDocument(openElementCount, xmlWriter, &QXmlStreamWriter::writeStartDocument, rootName);
}

RurUrOroBufferWriter::~RurUrOroBufferWriter()
{
    outputBuffer.close();
}

bool RurUrOroBufferWriter::openNode(const QString& name, int docID)
{
    if (docID != getDocumentID())
        return false;
    xmlWriter.writeStartElement(name);
    ++openElementCount;
    return true;
}

bool RurUrOroBufferWriter::addAttribute(const QString& name, const QString& value, int docID)
{
    if (docID != getDocumentID())
        return false;
    xmlWriter.writeAttribute(name, value);
    return true;
}

bool RurUrOroBufferWriter::addText(const QString& text, int docID)
{
    if (docID != getDocumentID())
        return false;
    xmlWriter.writeCharacters(text);
    return true;
}

bool RurUrOroBufferWriter::closeNode(int docID)
{
    return docID == getDocumentID() &&
           closeInnermost(openElementCount, xmlWriter, &QXmlStreamWriter::writeEndDocument);
}

// Saving only finishes the text in memory; the caller takes the bytes, and the
// device is never touched.
bool RurUrOroBufferWriter::save(QIODevice*, int docID)
{
    return docID == getDocumentID() && closeAll(openElementCount, xmlWriter, &QXmlStreamWriter::writeEndDocument);
}

// Shares the buffer's storage until the next write detaches it, so the copy keeps
// the text as it was when taken.
QByteArray RurUrOroBufferWriter::documentToByteArray()
{
    return outputBuffer.buffer();
}
