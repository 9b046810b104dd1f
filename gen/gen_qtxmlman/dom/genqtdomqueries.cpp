#include "genqtdomdocument.h"

#include "genqtdomposition.h"


namespace {

bool hasPosition(const RurUrOroEntity* entity)
{
    return entity && entity->domNode;
}

// Next child of a position that is not text; iterates the position's own lists.
VDomNode* nextChildPosition(VDomNode& position)
{
    if (!position.node.isElement() || position.complete)
        return nullptr;
    if (!position.opened)
        openPosition(position);
    position.children = position.childList();
    for (;;) {
        if (position.childIndex >= position.children.count()) {
            position.complete = true;
            return nullptr;
        }
        const QDomNode child = position.children.item(position.childIndex++);
        if (!child.isText()) {
            auto* childPosition = new VDomNode(&position);
            childPosition->node = child;
            return childPosition;
        }
    }
}

} // namespace

RurUrOroEntity* GenQtDomDocument::getNextChildNode(RurUrOroEntity* parent, QString* name, int* depth, int docID)
{
    if (docID != getDocumentID() || !hasPosition(parent) || parent->domNode->node.isNull())
        return nullptr;
    VDomNode* child = nextChildPosition(*parent->domNode);
    if (!child)
        return nullptr;
    writeOut(name, child->node.nodeName());
    writeOut(depth, domDepth(child->node));
    return new RurUrOroEntity(child);
}

RurUrOroEntity* GenQtDomDocument::getNamedNode(RurUrOroEntity* parent, const QString& name, int* depth)
{
    if (!hasPosition(parent) || !parent->domNode->node.isElement())
        return nullptr;
    const QDomNode child = parent->domNode->node.namedItem(name);
    if (child.isNull())
        return nullptr;
    auto* childPosition = new VDomNode(parent->domNode);
    childPosition->node = child;
    writeOut(depth, domDepth(child));
    return new RurUrOroEntity(childPosition);
}

bool GenQtDomDocument::closeExistingNode(RurUrOroEntity* entity, int*, int docID)
{
    if (docID != getDocumentID())
        return false;
    if (reinterpret_cast<quintptr>(entity) <= 1000)
        return true;
    // Start entities stay ours even when a caller hands one back.
    if (entity != traversalStart && !unendedStarts.contains(entity))
        releaseEntity(entity);
    return true;
}

bool GenQtDomDocument::getNamedAttribute(RurUrOroEntity* entity, const QString& name, QString* value, bool noCase,
                                         int docID)
{
    if (docID != getDocumentID() || !hasPosition(entity))
        return false;
    const QDomNamedNodeMap attributes = entity->domNode->node.attributes();
    if (attributes.isEmpty())
        return false;
    const QDomNode exact = attributes.namedItem(name);
    if (!exact.isNull()) {
        writeOut(value, exact.nodeValue());
        return true;
    }
    // Qt's hash files a prefixed attribute under its local name only, so a
    // qualified name is looked for among them all. Of names that differ only in
    // case, the first one shown wins.
    if (!noCase && !name.contains(QLatin1Char(':')))
        return false;
    DomAttributeList ordered;
    attributeOrder.attributesOf(entity->domNode->node.toElement(), ordered);
    for (const QDomNode& attribute : ordered) {
        if (attribute.nodeName().compare(name, noCase ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0) {
            writeOut(value, attribute.nodeValue());
            return true;
        }
    }
    return false;
}

int GenQtDomDocument::getAttributeCount(RurUrOroEntity* entity, int docID)
{
    if (docID != getDocumentID() || !hasPosition(entity))
        return 0;
    return entity->domNode->node.attributes().count();
}

QString GenQtDomDocument::getNodeText(RurUrOroEntity* entity, int docID)
{
    if (docID != getDocumentID() || !hasPosition(entity))
        return QString();
    const QDomNode& node = entity->domNode->node;
    // An element gives its text content, as the stream reader does, rather than
    // the empty node value Qt defines for elements.
    if (node.isElement())
        return node.toElement().text();
    return node.nodeValue();
}

int GenQtDomDocument::childNodeCount(const VDomNode& position)
{
    if (!position.node.isElement())
        return 0;
    return position.opened ? position.childList().count() : position.node.childNodes().count();
}
