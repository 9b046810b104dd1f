// Position helpers shared by the DOM document's walk, queries and building.
#pragma once

#include "genqtdomattributeorder.h"
#include "genqtdomspeedcaches.h"

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

// A record of the document's own walk. QDomNodeList::item() climbs to the
// document root on every call and depth from the DOM parent chain costs one step
// per level, so the walk follows sibling links and inherits its depth instead,
// keeping childIndex in step so that copies handed out iterate from the same
// child. Its own lists are never loaded: nextChild and nodeAttributes, made in
// place at construction, stand in for them. Every record stands on an element,
// but for the first one on the document element made before the walk starts.
struct DomWalkPosition : VDomNode {
    // The record on the document element, not opened yet: the walk's next event
    // opens it and reports its start.
    DomWalkPosition(const QDomNode& documentElement, int depth, const DomAttributeOrder& order)
        : DomWalkPosition(documentElement, nullptr, depth, order)
    {
        node = documentElement;
    }
    // A record on a child element, opened at once as the walk reports its
    // start. It leaves `node` null: the enclosing record's nextChild holds the
    // element until the walk moves past it, so one reference per element is
    // saved, and element() reads it there.
    DomWalkPosition(DomWalkPosition* enclosing, const QDomNode& childElement, const DomAttributeOrder& order)
        : DomWalkPosition(childElement, enclosing, enclosing->depth + 1, order)
    {
        open();
    }
    void open()
    {
        opened = true;
        childIndex = 0;
        attributeIndex = 0;
    }
    const QDomNode& element() const { return parent ? enclosing()->nextChild : node; }
    DomWalkPosition* enclosing() const { return static_cast<DomWalkPosition*>(parent); }
    // One is made and dropped for every element walked.
    static void* operator new(std::size_t size) { return RecycledBlocks<sizeof(DomWalkPosition)>::take(size); }
    static void operator delete(void* memory, std::size_t size)
    {
        RecycledBlocks<sizeof(DomWalkPosition)>::give(memory, size);
    }

    // Equals domDepth(element()): each record stands on a child of its parent's element.
    int depth;
    // Building is refused while a walk runs, so the element's attributes and
    // their count stay as they were read here.
    QDomNamedNodeMap nodeAttributes;
    int attributeCount;
    // In the order shown, once there are two: one attribute needs no list.
    DomAttributeList orderedAttributes;
    QDomNode attribute(int index) const
    {
        return attributeCount > 1 ? orderedAttributes[index] : nodeAttributes.item(index);
    }
    // children.item(childIndex) once opened; null when every child was visited.
    // The child being walked until its end, when the walk advances past it.
    QDomNode nextChild;

private:
    DomWalkPosition(const QDomNode& onElement, DomWalkPosition* enclosing, int depth, const DomAttributeOrder& order)
        : VDomNode(enclosing), depth(depth), nodeAttributes(onElement.attributes()),
          attributeCount(nodeAttributes.count()), nextChild(onElement.firstChild())
    {
        if (attributeCount > 1)
            order.attributesOf(onElement.toElement(), orderedAttributes);
    }
};
