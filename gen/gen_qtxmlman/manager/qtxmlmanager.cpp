// Registry: creation, lookup, removal, loading and saving of documents, and the
// working document.
#include "qtxmlmanager.h"

#include "genqtdomdocument.h"
#include "rururorobufferwriter.h"
#include "rururoroincrementalreader.h"
#include "rururoroincrementalwriter.h"

#include <QIODevice>
#include <memory>
#include <new>

QtXmlManager::QtXmlManager() = default;

// A document's counter fault cannot arise here (each is destroyed once); should
// it all the same, it ends the process rather than leave a broken registry.
QtXmlManager::~QtXmlManager()
{
    lastFound = nullptr;
    while (!documents.isEmpty())
        delete documents.takeLast();
}

RurUrOroDoc* QtXmlManager::createDocument(int* docID, bool incrementalWriter, const QString& rootName)
{
    RurUrOroDoc* document = nullptr;
    if (incrementalWriter)
        document = new (std::nothrow) RurUrOroIncrementalWriter(rootName);
    else
        document = new (std::nothrow) GenQtDomDocument(rootName, false);
    return registerDocument(document, docID);
}

RurUrOroDoc* QtXmlManager::createBufferWriter(int* docID, const QString& rootName)
{
    return registerDocument(new (std::nothrow) RurUrOroBufferWriter(rootName), docID);
}

RurUrOroDoc* QtXmlManager::registerDocument(RurUrOroDoc* document, int* docID)
{
    if (!document)
        return nullptr;
    std::unique_ptr<RurUrOroDoc> owned(document);
    *docID = document->getDocumentID();
    documents.append(document);
    owned.release();
    workingDocumentID = document->getDocumentID();
    return document;
}

int QtXmlManager::removeDocument(int docID)
{
    for (int i = 0; i < documents.size(); ++i) {
        if (documents.at(i)->getDocumentID() != docID)
            continue;
        // Out of the list before it is destroyed, so that a counter fault thrown
        // by the destructor cannot leave a dangling entry behind.
        RurUrOroDoc* document = documents.takeAt(i);
        if (document == lastFound)
            lastFound = nullptr;
        workingDocumentID = -1;
        delete document;
        return docID;
    }
    return -1;
}

RurUrOroDoc* QtXmlManager::searchDocument(int docID)
{
    for (RurUrOroDoc* document : qAsConst(documents)) {
        if (document->getDocumentID() == docID) {
            lastFound = document;
            lastFoundID = docID;
            return document;
        }
    }
    return nullptr;
}

int QtXmlManager::getWorkingDocument() const
{
    return workingDocumentID;
}

void QtXmlManager::setWorkingDocument(int docID)
{
    workingDocumentID = docID >= 0 && documentExist(docID) ? docID : -1;
}

bool QtXmlManager::load(QIODevice* device, int* docID, int* errorLine, int* errorColumn, bool noCase,
                        bool incremental)
{
    if (isPlausiblePointer(docID))
        *docID = -1;
    std::unique_ptr<QIODevice> ownedDevice(device);
    if (!device)
        return false;

    if (incremental) {
        // Nothing is parsed yet; the working document stays as it was.
        std::unique_ptr<RurUrOroIncrementalReader> reader(new RurUrOroIncrementalReader);
        // The reader owns an accepted device; a refused one is still ours to release.
        if (reader->setDevice(device))
            ownedDevice.release();
        reader->setCaseSensitive(!noCase);
        documents.append(reader.get());
        RurUrOroIncrementalReader* registered = reader.release();
        if (isPlausiblePointer(docID))
            *docID = registered->getDocumentID();
        return true;
    }

    int localID = -1;
    auto* document = dynamic_cast<GenQtDomDocument*>(createDocument(&localID, false, QString()));
    bool loaded = false;
    try {
        loaded = document && localID != -1 && document->load(device, errorLine, errorColumn);
    } catch (...) {
        removeDocument(localID);
        throw;
    }
    if (!loaded)
        removeDocument(localID);
    device->close();
    ownedDevice.reset();
    if (loaded && isPlausiblePointer(docID))
        *docID = localID;
    return loaded;
}

bool QtXmlManager::save(QIODevice* device, int docID)
{
    RurUrOroDoc* document = findDocument(docID);
    return document && document->save(device, docID);
}
