// A new document streamed through a temporary file, whose bytes are written
// through the destination on save.
#pragma once

#include "rururorodoc.h"
#include "rururorostreamwriter.h"

#include <QTemporaryFile>

class RurUrOroIncrementalWriter : public RurUrOroDoc, public RurUrOroIncrementalWriterInterface {
public:
    explicit RurUrOroIncrementalWriter(const QString& rootName);
    ~RurUrOroIncrementalWriter() override;

    bool save(QIODevice* device, int docID) override;

    bool openNode(const QString& name, int docID) override;
    bool addAttribute(const QString& name, const QString& value, int docID) override;
    bool addText(const QString& text, int docID) override;
    bool closeNode(int docID) override;

private:
    void closeTempFile();
    bool writeTextTo(QIODevice& device) const;
    bool createWithText(QFile& file) const;

    RurUrOroStreamWriter streamWriter;
    QTemporaryFile tempFile;
    qint32 openElementCount = 0;
    // Every byte of the document reached the temporary file; known from the first save on.
    bool textComplete = false;
};
