#include "rururoroincrementalwriter.h"

#include "rururorowriterlife.h"

#include <QDir>

using namespace RurUrOroWriterLife;

// A temporary file that cannot be created is not reported here: the document is
// built as usual, its text goes nowhere, and save fails for want of a file to
// copy. Callers learn of it where they can act on it.
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

// The destination is named by the file `device` was opened on. The opened file is
// removed because a copy never overwrites; the temporary file stays, so a later
// save copies the same document again.
bool RurUrOroIncrementalWriter::save(QIODevice* device, int docID)
{
    // Only a file names a destination: any other device (or none) is refused
    // before anything is ended, so the caller can still save elsewhere.
    auto* destination = qobject_cast<QFileDevice*>(device);
    if (docID != getDocumentID() || !destination ||
        !closeAll(openElementCount, streamWriter, &RurUrOroStreamWriter::finishDocument))
        return false;
    tempFile.close();
    const bool replacesOpenedFile = destination->isOpen();
    const QFileDevice::Permissions openedMode = destination->permissions();
    if (replacesOpenedFile) {
        destination->close();
        QFile::remove(destination->fileName());
    }
    // Without a temporary file there is nothing to copy, and Qt would complain.
    if (tempFile.fileName().isEmpty() || !QFile::copy(tempFile.fileName(), destination->fileName()))
        return false;
    // A copy carries the temporary file's owner-only mode; the saved file gets
    // the mode of the file the caller opened, as saving in place would keep it.
    if (replacesOpenedFile)
        QFile::setPermissions(destination->fileName(), openedMode);
    return true;
}
