#include "genqtdomdocument.h"

#include "genqtdomposition.h"
#include "genqtdomspeedcaches.h"

namespace {

void writeElementEvent(const DomWalkPosition& position, int* entityType, QString* name, QString* value)
{
    writeOut(entityType, int(XML_ETYPE_ELEMENT));
    writeOut(name, position.element().nodeName());
    writeOut(value, QString());
}

// The position of the next event below `position`: itself, a new record on a
// child element, or null when a comment or processing instruction ends the
// walk. Outputs are written once per event; a walk that ends leaves them
// describing the enclosing element.
DomWalkPosition* nextEvent(DomWalkPosition* position, const DomAttributeOrder& order, int* entityType, QString* name,
                           QString* value)
{
    if (!position->opened) {
        position->open();
        writeElementEvent(*position, entityType, name, value);
        return position;
    }
    if (position->attributeIndex < position->attributeCount) {
        const QDomNode attribute = position->attribute(position->attributeIndex++);
        writeOut(entityType, int(XML_ETYPE_ATTR));
        writeOut(name, attribute.nodeName());
        writeOut(value, attribute.nodeValue());
        return position;
    }
    if (position->nextChild.isNull()) {
        position->complete = true;
        writeElementEvent(*position, entityType, name, value);
        return position;
    }
    // Used in place: every QDomNode copy costs two atomic reference-count
    // updates, a large share of an event.
    const QDomNode& child = position->nextChild;
    ++position->childIndex;
    if (child.isElement()) {
        // nextChild moves past it at its end, so that siblings are read in the
        // order a plain walk of the tree reads them: reading ahead costs more.
        auto* childPosition = new DomWalkPosition(position, child, order);
        writeElementEvent(*childPosition, entityType, name, value);
        return childPosition;
    }
    DomWalkPosition* eventPosition = position;
    if (child.isText()) {
        writeOut(entityType, int(XML_ETYPE_TEXT));
        writeOut(name, child.nodeValue());
        writeOut(value, QString());
    } else {
        // A comment or processing instruction ends the walk; it would get a
        // record that yields nothing, so none is made.
        writeElementEvent(*position, entityType, name, value);
        eventPosition = nullptr;
    }
    position->nextChild = child.nextSibling();
    return eventPosition;
}

// Points a handed-out entity, new or kept, at `node`: node, name, and the lists
// a caller may have loaded into its record for another node.
RurUrOroEntity* entityOn(RurUrOroEntity* entity, const QDomNode& node)
{
    if (!entity) {
        auto* record = new VDomNode;
        record->node = node;
        return new RurUrOroEntity(record);
    }
    VDomNode& copy = *entity->domNode;
    copy.node = node;
    entity->name = node.nodeName();
    static const QDomNodeList unloadedChildren;
    static const QDomNamedNodeMap unloadedAttributes;
    copy.children = unloadedChildren;
    copy.attributes = unloadedAttributes;
    return entity;
}

// The entity handed out for the walk's `position`: a copy of the record with its
// lists unloaded, so a copy costs one node reference instead of three. A kept
// spare entity on the same node is taken back as it is, name and node included:
// lists a caller loaded into it are that node's own, which unloaded lists stand
// for, so they may stay.
RurUrOroEntity* handOutEntity(const DomWalkPosition& position)
{
    const QDomNode& element = position.element();
    bool onNode = false;
    RurUrOroEntity* entity = SpareDomEntities::take(element, &onNode);
    if (!onNode)
        entity = entityOn(entity, element);
    VDomNode& copy = *entity->domNode;
    copy.childIndex = position.childIndex;
    copy.attributeIndex = position.attributeIndex;
    copy.opened = position.opened;
    copy.complete = false;
    copy.parent = position.parent;
    entity->traversionComplete = false;
    SpareDomEntities::handedOut(entity);
    return entity;
}

} // namespace

RurUrOroEntity* GenQtDomDocument::getNextEntity(int* entityType, QString* name, QString* value, int* depth,
                                                bool* isEndElement, int docID)
{
    // Only a record not opened yet can stand on no node: the walk opens each
    // record as it reports its start, and only ever makes records on elements.
    if (docID != getDocumentID() || !traversalCursor || (!traversalCursor->opened && traversalCursor->node.isNull()))
        return nullptr;
    writeOut(isEndElement, false);
    writeOut(depth, -1);
    DomWalkPosition* position = nextEvent(traversalCursor, attributeOrder, entityType, name, value);
    if (!position) {
        releaseCursor();
        return nullptr;
    }
    writeOut(depth, position->depth);
    if (position->complete) {
        writeOut(isEndElement, true);
        traversalCursor = position->enclosing();
        if (traversalCursor)
            traversalCursor->nextChild = traversalCursor->nextChild.nextSibling();
        delete position;
    } else {
        traversalCursor = position;
    }
    if (!traversalCursor)
        return nullptr;
    return handOutEntity(*traversalCursor);
}

RurUrOroEntity* GenQtDomDocument::beginTraversion(const QString& nodeName, int docID)
{
    if (docID != getDocumentID())
        return nullptr;
    const QDomElement documentElement = domDocument.documentElement();
    if (documentElement.isNull())
        return nullptr;

    delete currentParent;
    currentParent = nullptr;
    lastCreated = VDomNode();
    clearLevelStack();

    releaseCursor();
    traversalCursor = new DomWalkPosition(documentElement, 0, attributeOrder);

    const Qt::CaseSensitivity cs = caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    RurUrOroEntity* start = nullptr;
    if (nodeName.isEmpty() || QString::compare(nodeName, documentElement.nodeName(), cs) == 0) {
        start = handOutEntity(*traversalCursor);
    } else {
        int type = 0;
        QString name;
        QString value;
        int depth = -1;
        bool isEnd = false;
        while (!start) {
            RurUrOroEntity* entity = getNextEntity(&type, &name, &value, &depth, &isEnd, docID);
            if (!entity)
                return nullptr;
            if (type == XML_ETYPE_ELEMENT && QString::compare(nodeName, entity->domNode->node.nodeName(), cs) == 0)
                start = entity;
            else
                releaseEntity(entity);
        }
    }
    // An earlier start entity that was never ended may still be in the caller's
    // hands: it stays valid until the next endTraversion or destruction.
    if (traversalStart)
        unendedStarts.append(traversalStart);
    traversalStart = start;
    return start;
}

void GenQtDomDocument::endTraversion(int docID)
{
    if (docID == getDocumentID())
        releaseStartEntities();
}

int GenQtDomDocument::getLineNumber(int docID)
{
    if (docID != getDocumentID() || !traversalCursor)
        return -1;
    return traversalCursor->element().lineNumber();
}

bool GenQtDomDocument::elementHasMoreAttributes(bool* more)
{
    writeOut(more, false);
    if (!traversalCursor || !traversalCursor->element().isElement())
        return false;
    const DomWalkPosition& cursor = *traversalCursor;
    writeOut(more, cursor.opened && !cursor.complete && cursor.attributeIndex < cursor.attributeCount);
    return true;
}

bool GenQtDomDocument::elementHasMoreChildren(bool* more)
{
    writeOut(more, false);
    if (!traversalCursor || !traversalCursor->element().isElement())
        return false;
    // nextChild stands for childIndex < the child count without counting the list.
    const DomWalkPosition& cursor = *traversalCursor;
    writeOut(more, cursor.opened && !cursor.complete && !cursor.nextChild.isNull());
    return true;
}
