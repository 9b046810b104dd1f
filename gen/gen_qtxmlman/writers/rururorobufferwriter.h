// A new document streamed as text into memory, so the caller can take the bytes.
#pragma once

#include "rururorodoc.h"

#include <QBuffer>
#include <QXmlStreamWriter>

class RurUrOroBufferWriter : public RurUrOroDoc, public RurUrOroIncrementalWriterInterface {
public:
    explicit RurUrOroBufferWriter(const QString& rootName);
    ~RurUrOroBufferWriter() override;

    bool save(QIODevice* device, int docID) override;
    // Every byte written so far, as an implicitly shared copy.
    virtual QByteArray documentToByteArray();

    bool openNode(const QString& name, int docID) override;
    bool addAttribute(const QString& name, const QString& value, int docID) override;
    bool addText(const QString& text, int docID) override;
    bool closeNode(int docID) override;

private:
    QXmlStreamWriter xmlWriter;
    QBuffer outputBuffer;
    qint32 openElementCount = 0;
};
