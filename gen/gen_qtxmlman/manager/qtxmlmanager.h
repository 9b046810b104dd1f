// The one object the C interface talks to: it owns every open document, finds
// documents by ID, creates and loads them, remembers the working document, and
// forwards reading and writing operations to the document that owns them.
#pragma once

#include "rururorodoc.h"

#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;

// The library's rule for pointer arguments: one counts only when its value, as
// an unsigned 64-bit number, is above 1000.
inline bool isPlausiblePointer(const volatile void* pointer)
{
    return static_cast<quint64>(reinterpret_cast<quintptr>(pointer)) > 1000;
}

class QtXmlManager : public RurUrOroIncrementalReaderInterface, public RurUrOroIncrementalWriterInterface {
public:
    // The process-wide manager, made on first use and never destroyed: documents
    // still registered live as long as the process. Inline, as every call of
    // the C interface asks for it (6 M of the instructions of a walk).
    static QtXmlManager* instance()
    {
        static QtXmlManager* const manager = new QtXmlManager;
        return manager;
    }

    // A separate manager with its own registry (tests use one to stay apart from
    // the process-wide instance); document IDs stay process-wide all the same.
    QtXmlManager();
    QtXmlManager(const QtXmlManager&) = delete;
    QtXmlManager& operator=(const QtXmlManager&) = delete;

    // Reading operations. A document that offers them becomes the working one.
    RurUrOroEntity* beginTraversion(const QString& nodeName, int docID) override;
    RurUrOroEntity* getNextEntity(int* entityType, QString* name, QString* value, int* depth, bool* isEndElement,
                                  int docID) override;
    RurUrOroEntity* getNextChildNode(RurUrOroEntity* parent, QString* name, int* depth, int docID) override;
    bool closeExistingNode(RurUrOroEntity* entity, int* depth, int docID) override;
    bool getNamedAttribute(RurUrOroEntity* entity, const QString& name, QString* value, bool noCase,
                           int docID) override;
    int getAttributeCount(RurUrOroEntity* entity, int docID) override;
    QString getNodeText(RurUrOroEntity* entity, int docID) override;
    int getLineNumber(int docID) override;
    void endTraversion(int docID) override;

    // Destroys every document still registered.
    virtual ~QtXmlManager();

    // Writing operations. They never change the working document.
    bool openNode(const QString& name, int docID) override;
    bool addAttribute(const QString& name, const QString& value, int docID) override;
    bool addText(const QString& text, int docID) override;
    bool closeNode(int docID) override;

    // Registry. `docID` of the two create operations is written without a
    // plausibility test; `load` tests it.
    RurUrOroDoc* createDocument(int* docID, bool incrementalWriter, const QString& rootName);
    RurUrOroDoc* createBufferWriter(int* docID, const QString& rootName);
    int removeDocument(int docID);
    // A walk asks for its document on every call: the last one found is kept,
    // and asked for here without a call (the search took 30 M of the 1,936 M
    // instructions of a walk of 25000 records).
    RurUrOroDoc* findDocument(int docID) { return lastFound && lastFoundID == docID ? lastFound : searchDocument(docID); }
    bool documentExist(int docID) { return findDocument(docID) != nullptr; }
    int getWorkingDocument() const;
    void setWorkingDocument(int docID);
    // Takes ownership of the open `device` in every case.
    bool load(QIODevice* device, int* docID, int* errorLine, int* errorColumn, bool noCase, bool incremental);
    // The device stays open and stays the caller's.
    bool save(QIODevice* device, int docID);

    // Operations of one document kind. getNamedNode (with a non-null parent),
    // documentToString and documentToByteArray throw a heap QString* naming the
    // operation when the document is of another kind; the catcher deletes it.
    bool openLevel(int docID);
    RurUrOroEntity* getNamedNode(RurUrOroEntity* parent, const QString& name, int* depth, int docID);
    bool elementHasMoreAttributes(bool* more, int docID);
    bool elementHasMoreChildren(bool* more, int docID);
    QString documentToString(int docID);
    QByteArray documentToByteArray(int docID);
    int topLevelNodesCount(RurUrOroEntity* entity, int docID);
    qint64 charactersOffset(int docID);

private:
    template <typename Target>
    Target* findAs(int docID);
    template <typename Target>
    Target* findForReading(int docID);
    template <typename Target>
    Target* findOrRefuse(int docID, const char* operation);
    RurUrOroDoc* registerDocument(RurUrOroDoc* document, int* docID);
    RurUrOroDoc* searchDocument(int docID);

    QList<RurUrOroDoc*> documents;
    RurUrOroDoc* lastFound = nullptr; // by findDocument, until it is removed
    int lastFoundID = -1;
    int workingDocumentID = -1;
};
