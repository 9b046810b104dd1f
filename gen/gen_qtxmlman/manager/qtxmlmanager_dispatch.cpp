// Forwarding of operations to the document that owns them, reached by a run-time
// cross-cast from the registered document to what the operation needs.
#include "qtxmlmanager.h"

#include "genqtdomdocument.h"
#include "rururorobufferwriter.h"
#include "rururoroincrementalreader.h"

#include <type_traits>
#include <typeinfo>

namespace {

// True when `document` is exactly a `Kind`; `target` is then the document as
// `Target`, or null when that kind does not offer it.
template <typename Target, typename Kind>
bool castExactly(RurUrOroDoc* document, Target** target)
{
    if (typeid(*document) != typeid(Kind))
        return false;
    if constexpr (std::is_base_of_v<Target, Kind>)
        *target = static_cast<Kind*>(document);
    else
        *target = nullptr;
    return true;
}

// The run-time cross-cast. A walk forwards every entity to the same reader or
// DOM document, and for those two the exact-type test answers the same at a
// fraction of a cross-cast's cost, which otherwise weighs on every step.
template <typename Target>
Target* castTo(RurUrOroDoc* document)
{
    Target* target = nullptr;
    if (!document || castExactly<Target, RurUrOroIncrementalReader>(document, &target) ||
        castExactly<Target, GenQtDomDocument>(document, &target))
        return target;
    return dynamic_cast<Target*>(document);
}

} // namespace

template <typename Target>
Target* QtXmlManager::findAs(int docID)
{
    return castTo<Target>(findDocument(docID));
}

// A document that offers what is asked becomes the working document before the
// operation runs, whatever the operation then answers.
template <typename Target>
Target* QtXmlManager::findForReading(int docID)
{
    Target* target = findAs<Target>(docID);
    if (target)
        workingDocumentID = docID;
    return target;
}

// Null when no document has the ID; a document of another kind raises the
// not-supported error, a heap QString* that its catcher deletes.
template <typename Target>
Target* QtXmlManager::findOrRefuse(int docID, const char* operation)
{
    RurUrOroDoc* document = findDocument(docID);
    if (!document)
        return nullptr;
    Target* target = castTo<Target>(document);
    if (!target)
        throw new QString(QStringLiteral("QtXmlManager: %1(...) is not supported for this document type.")
                              .arg(QLatin1String(operation)));
    return target;
}

using Reader = RurUrOroIncrementalReaderInterface;
using Writer = RurUrOroIncrementalWriterInterface;

RurUrOroEntity* QtXmlManager::beginTraversion(const QString& nodeName, int docID)
{
    Reader* reader = findForReading<Reader>(docID);
    return reader ? reader->beginTraversion(nodeName, docID) : nullptr;
}

RurUrOroEntity* QtXmlManager::getNextEntity(int* entityType, QString* name, QString* value, int* depth,
                                            bool* isEndElement, int docID)
{
    Reader* reader = findForReading<Reader>(docID);
    return reader ? reader->getNextEntity(entityType, name, value, depth, isEndElement, docID) : nullptr;
}

RurUrOroEntity* QtXmlManager::getNextChildNode(RurUrOroEntity* parent, QString* name, int* depth, int docID)
{
    Reader* reader = findForReading<Reader>(docID);
    return reader ? reader->getNextChildNode(parent, name, depth, docID) : nullptr;
}

bool QtXmlManager::closeExistingNode(RurUrOroEntity* entity, int* depth, int docID)
{
    Reader* reader = findForReading<Reader>(docID);
    return reader && reader->closeExistingNode(entity, depth, docID);
}

bool QtXmlManager::getNamedAttribute(RurUrOroEntity* entity, const QString& name, QString* value, bool noCase,
                                     int docID)
{
    Reader* reader = findForReading<Reader>(docID);
    return reader && reader->getNamedAttribute(entity, name, value, noCase, docID);
}

int QtXmlManager::getAttributeCount(RurUrOroEntity* entity, int docID)
{
    Reader* reader = findForReading<Reader>(docID);
    return reader ? reader->getAttributeCount(entity, docID) : 0;
}

QString QtXmlManager::getNodeText(RurUrOroEntity* entity, int docID)
{
    Reader* reader = findForReading<Reader>(docID);
    return reader ? reader->getNodeText(entity, docID) : QString();
}

int QtXmlManager::getLineNumber(int docID)
{
    Reader* reader = findForReading<Reader>(docID);
    return reader ? reader->getLineNumber(docID) : -1;
}

void QtXmlManager::endTraversion(int docID)
{
    if (Reader* reader = findForReading<Reader>(docID))
        reader->endTraversion(docID);
}

bool QtXmlManager::openNode(const QString& name, int docID)
{
    Writer* writer = findAs<Writer>(docID);
    return writer && writer->openNode(name, docID);
}

bool QtXmlManager::addAttribute(const QString& name, const QString& value, int docID)
{
    Writer* writer = findAs<Writer>(docID);
    return writer && writer->addAttribute(name, value, docID);
}

bool QtXmlManager::addText(const QString& text, int docID)
{
    Writer* writer = findAs<Writer>(docID);
    return writer && writer->addText(text, docID);
}

bool QtXmlManager::closeNode(int docID)
{
    Writer* writer = findAs<Writer>(docID);
    return writer && writer->closeNode(docID);
}

bool QtXmlManager::openLevel(int docID)
{
    GenQtDomDocument* document = findAs<GenQtDomDocument>(docID);
    return document && document->openLevel();
}

RurUrOroEntity* QtXmlManager::getNamedNode(RurUrOroEntity* parent, const QString& name, int* depth, int docID)
{
    if (!parent || !documentExist(docID))
        return nullptr;
    // The document becomes the working one even when it then refuses.
    workingDocumentID = docID;
    return findOrRefuse<GenQtDomDocument>(docID, "getNamedNode")->getNamedNode(parent, name, depth);
}

bool QtXmlManager::elementHasMoreAttributes(bool* more, int docID)
{
    GenQtDomDocument* document = findForReading<GenQtDomDocument>(docID);
    return document && document->elementHasMoreAttributes(more);
}

bool QtXmlManager::elementHasMoreChildren(bool* more, int docID)
{
    GenQtDomDocument* document = findForReading<GenQtDomDocument>(docID);
    return document && document->elementHasMoreChildren(more);
}

QString QtXmlManager::documentToString(int docID)
{
    GenQtDomDocument* document = findOrRefuse<GenQtDomDocument>(docID, "documentToString");
    return document ? document->documentToString(2) : QString();
}

QByteArray QtXmlManager::documentToByteArray(int docID)
{
    RurUrOroBufferWriter* document = findOrRefuse<RurUrOroBufferWriter>(docID, "documentToByteArray");
    return document ? document->documentToByteArray() : QByteArray();
}

int QtXmlManager::topLevelNodesCount(RurUrOroEntity* entity, int docID)
{
    // The kind first: a handle is only read once a DOM document could have made it.
    if (!findAs<GenQtDomDocument>(docID) || !entity || !entity->domNode)
        return 0;
    return GenQtDomDocument::childNodeCount(*entity->domNode);
}

qint64 QtXmlManager::charactersOffset(int docID)
{
    RurUrOroIncrementalReader* reader = findAs<RurUrOroIncrementalReader>(docID);
    return reader ? reader->charactersOffset() : 0;
}
