// Turns writing calls into XML text at once and hands the text to a target
// device in large pieces, so that a document of any size needs only a small,
// fixed amount of memory.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QXmlStreamWriter>

class RurUrOroStreamWriter {
public:
    RurUrOroStreamWriter();
    RurUrOroStreamWriter(const RurUrOroStreamWriter&) = delete;
    RurUrOroStreamWriter& operator=(const RurUrOroStreamWriter&) = delete;
    // Leaves the target alone: it is neither closed nor released.
    virtual ~RurUrOroStreamWriter();

    // Not owned. While it is null or closed, staged text is dropped at a flush.
    void setTarget(QIODevice* device);
    // False once staged text was dropped or the target took less than it was given.
    bool handedOverEverything() const { return !textLost; }
    void setAutoFormatting(bool enable);
    void setAutoFormattingIndent(int spacesOrTabs);

    // Zero-fills the staging area, starts writing into it and writes the declaration.
    void startDocument();

    void writeStartElement(const QString& qualifiedName);
    void writeStartElement(const QString& namespaceUri, const QString& name);
    void writeAttribute(const QString& qualifiedName, const QString& value);
    void writeAttribute(const QString& namespaceUri, const QString& name, const QString& value);
    void writeAttribute(const QXmlStreamAttribute& attribute);
    void writeCharacters(const QString& text);
    // The only write that may flush: pieces end at element boundaries.
    void writeEndElement();

    // Hands the staged text to the target once more than the threshold is staged.
    void flushIfFull();
    // Closes whatever is open, hands over the rest and closes the staging area;
    // later writes produce nothing.
    void finishDocument();

private:
    void handOver(qint64 length);
    qint64 stagedLength() const;
    void zeroStagingArea();

    QBuffer stagingBuffer;
    QXmlStreamWriter xmlWriter;
    QByteArray stagingBytes;
    qint32 flushThreshold = 102400;
    QIODevice* target = nullptr;
    bool textLost = false;
};
