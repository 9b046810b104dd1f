// Position helpers shared by the DOM document's walk, queries and building.
#pragma once

#include "rururorodoc.h"

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

// The record handed out with an entity: the position of `record` with its lists
// unloaded, so a copy costs one node reference instead of three.
inline VDomNode* handOutCopy(const VDomNode& record)
{
    auto* copy = new VDomNode(record.parent);
    copy->childIndex = record.childIndex;
    copy->attributeIndex = record.attributeIndex;
    copy->opened = record.opened;
    copy->node = record.node;
    return copy;
}

// A record of the document's own walk. QDomNodeList::item() climbs to the
// document root on every call and depth from the DOM parent chain costs one step
// per level, so the walk follows sibling links and inherits its depth instead,
// keeping childIndex in step so that copies handed out iterate from the same
// child. Its child list is never loaded: nextChild stands in for it.
struct DomWalkPosition : VDomNode {
    // Not opened yet: the walk's next event opens it and reports its start.
    DomWalkPosition(const QDomNode& onNode, DomWalkPosition* enclosing, int depth)
        : VDomNode(enclosing), depth(depth)
    {
        node = onNode;
    }
    // A child element, opened at once as the walk reports its start.
    DomWalkPosition(DomWalkPosition* enclosing, const QDomNode& childElement)
        : VDomNode(enclosing), depth(enclosing->depth + 1)
    {
        node = childElement;
        open();
    }
    void open()
    {
        opened = true;
        childIndex = 0;
        attributeIndex = 0;
        attributes = node.attributes();
        nextChild = node.firstChild();
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
    // children.item(childIndex) once opened; null when every child was visited.
    // The two stay equal because building is refused while a walk runs.
    QDomNode nextChild;
};
