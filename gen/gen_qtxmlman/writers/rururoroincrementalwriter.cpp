#include "rururoroincrementalwriter.h"

#include "rururorowriterlife.h"

#include <QDir>
#include <QFile>

using namespace RurUrOroWriterLife;

// A temporary file that cannot be created is not reported here: the document is
// built as usual, its text goes nowhere, and save fails for want of it. Callers
// learn of it where they can act on it.
RurUrOroIncrementalWriter::RurUrOroIncrementalWriter(const QString& rootName)
{
    // Qt gives an empty path for a temporary directory that does not exist, which
    // would put the file at the root of the file system; treat that directory
    // like any other where no file can be created.
    if (!QDir::tempPath().isEmpty())
        tempFile.open();
    streamWriter.setTarget(&tempFile);
    openDocument(openElementCount, streamWriter, &RurUrOroStreamWriter::startDocument, rootName);
}

// The temporary file removes itself; nothing reaches any destination.
RurUrOroIncrementalWriter::~RurUrOroIncrementalWriter() = default;

bool RurUrOroIncrementalWriter::openNode(const QString& name, int docID)
{
    if (docID != getDocumentID())
        return false;
    streamWriter.writeStartElement(name);
    ++openElementCount;
    return true;
}

bool RurUrOroIncrementalWriter::addAttribute(const QString& name, const QString& value, int docID)
{
    if (docID != getDocumentID())
        return false;
    streamWriter.writeAttribute(name, value);
    return true;
}

bool RurUrOroIncrementalWriter::addText(const QString& text, int docID)
{
    if (docID != getDocumentID())
        return false;
    streamWriter.writeCharacters(text);
    return true;
}

bool RurUrOroIncrementalWriter::closeNode(int docID)
{
    return docID == getDocumentID() &&
           closeInnermost(openElementCount, streamWriter, &RurUrOroStreamWriter::finishDocument);
}

// The text goes through whatever device the caller opened. The temporary file
// stays, so a later save writes the same document again.
bool RurUrOroIncrementalWriter::save(QIODevice* device, int docID)
{
    auto* unopenedFile = device && !device->isOpen() ? qobject_cast<QFile*>(device) : nullptr;
    // With nowhere to write, the save is refused before anything is ended, so the
    // caller can still save elsewhere.
    if (docID != getDocumentID() || !device || (!device->isOpen() && !unopenedFile) ||
        !closeAll(openElementCount, streamWriter, &RurUrOroStreamWriter::finishDocument))
        return false;
    closeTempFile();
    return textComplete && (unopenedFile ? createWithText(*unopenedFile) : writeTextTo(*device));
}

// At the first save: the temporary file buffers what it is given, so its last
// bytes reach the disk, or fail to, only when it is flushed. Without a temporary
// file the text went nowhere.
void RurUrOroIncrementalWriter::closeTempFile()
{
    if (!tempFile.isOpen())
        return;
    textComplete = streamWriter.handedOverEverything() && tempFile.flush();
    tempFile.close();
}

bool RurUrOroIncrementalWriter::writeTextTo(QIODevice& device) const
{
    QFile text(tempFile.fileName());
    if (!text.open(QIODevice::ReadOnly))
        return false;
    while (!text.atEnd()) {
        const QByteArray piece = text.read(1 << 16);
        if (piece.isEmpty() || device.write(piece) != piece.size())
            return false;
    }
    return true;
}

// A file the caller named but did not open is made here, never overwritten; one
// that could not be written whole goes again.
bool RurUrOroIncrementalWriter::createWithText(QFile& file) const
{
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    const bool written = writeTextTo(file) && file.flush();
    file.close();
    if (!written)
        file.remove();
    return written;
}
