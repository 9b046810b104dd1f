// Position helpers shared by the DOM document's walk, queries and building.
#pragma once

#include "rururorodoc.h"
#include "rururorospareentities.h"

#include <utility>

// Writes an out-argument the caller may have left null.
template <typename T, typename V>
inline void writeOut(T* out, V&& value)
{
    if (out)
        *out = std::forward<V>(value);
}

// -1 for a null node or the document node, else one more than its parent's.
inline int domDepth(const QDomNode& node)
{
    int depth = -1;
    for (QDomNode n = node; !n.isNull() && !n.isDocument(); n = n.parentNode())
        ++depth;
    return depth;
}

// Loads the lists a position iterates and points both indices at their first entry.
inline void openPosition(VDomNode& position)
{
    position.opened = true;
    position.childIndex = 0;
    position.attributeIndex = 0;
    position.attributes = position.node.attributes();
    position.children = position.node.childNodes();
}

// The entity handed out for `record`'s position: a copy of the record with its
// lists unloaded, so a copy costs one node reference instead of three. A kept
// spare entity on the same node is taken back as it is, name and node included.
inline RurUrOroEntity* handOutEntity(const VDomNode& record)
{
    bool onNode = false;
    RurUrOroEntity* entity = SpareDomEntities::take(record.node, &onNode);
    if (!entity)
        entity = new RurUrOroEntity(new VDomNode);
    VDomNode& copy = *entity->domNode;
    // Lists a caller loaded into a kept record on the same node are that node's
    // own lists, which unloaded lists stand for: they may stay.
    if (!onNode) {
        copy.node = record.node;
        entity->name = record.node.nodeName();
        static const QDomNodeList unloadedChildren;
        static const QDomNamedNodeMap unloadedAttributes;
        copy.children = unloadedChildren;
        copy.attributes = unloadedAttributes;
    }
    copy.childIndex = record.childIndex;
    copy.attributeIndex = record.attributeIndex;
    copy.opened = record.opened;
    copy.complete = false;
    copy.parent = record.parent;
    entity->traversionComplete = false;
    return entity;
}

// A record of the document's own walk. QDomNodeList::item() climbs to the
// document root on every call and depth from the DOM parent chain costs one step
// per level, so the walk follows sibling links and inherits its depth instead,
// keeping childIndex in step so that copies handed out iterate from the same
// child. Its own lists are never loaded: nextChild and nodeAttributes, made in
// place at construction, stand in for them.
struct DomWalkPosition : VDomNode {
    // Not opened yet: the walk's next event opens it and reports its start.
    DomWalkPosition(const QDomNode& onNode, DomWalkPosition* enclosing, int depth)
        : VDomNode(enclosing), depth(depth), nodeAttributes(onNode.attributes()),
          attributeCount(nodeAttributes.count()), nextChild(onNode.firstChild())
    {
        node = onNode;
    }
    // A child element, opened at once as the walk reports its start.
    DomWalkPosition(DomWalkPosition* enclosing, const QDomNode& childElement)
        : DomWalkPosition(childElement, enclosing, enclosing->depth + 1)
    {
        open();
    }
    void open()
    {
        opened = true;
        childIndex = 0;
        attributeIndex = 0;
    }
    DomWalkPosition* enclosing() const { return static_cast<DomWalkPosition*>(parent); }
    // One is made and dropped for every element walked.
    static void* operator new(std::size_t size) { return RecycledBlocks<sizeof(DomWalkPosition)>::take(size); }
    static void operator delete(void* memory, std::size_t size)
    {
        RecycledBlocks<sizeof(DomWalkPosition)>::give(memory, size);
    }

    // Equals domDepth(node): every record stands on a child of its parent's node.
    int depth;
    // Building is refused while a walk runs, so the node's attributes and their
    // count stay as they were read here.
    QDomNamedNodeMap nodeAttributes;
    int attributeCount;
    // children.item(childIndex) once opened; null when every child was visited.
    // The child being walked until its end, when the walk advances past it.
    QDomNode nextChild;
};
