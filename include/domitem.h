// One item of a tree that mirrors part of a DOM document for an item model.
// An item owns the items below it and knows, without owning, the item above it.
#ifndef RURUROR_DOMITEM_H
#define RURUROR_DOMITEM_H

#include "rururoro_export.h"

#include <QDomNode>
#include <QList>

class RURUROR_API DomItem {
public:
    // `row` is accepted for callers that pass one and is not kept: row() is always
    // looked up in the parent. The new item is not added to `parent`'s children.
    DomItem(QDomNode& node, int row, DomItem* parent = nullptr);

    // Copies are deep: a copy gets its own copies of the child items (as plain
    // DomItems), so an item and its copy never delete the same children. The
    // parent pointer is copied as it is; the parent does not list the copy, so its
    // row() is -1 until it is inserted somewhere.
    DomItem(const DomItem& other);
    DomItem& operator=(const DomItem& other);

    // Deletes the whole subtree below this item.
    virtual ~DomItem();

    // The child at position `i`, or null outside 0..count-1. Creates nothing;
    // derived items override it to supply children of their own.
    virtual DomItem* child(int i);

    // Takes ownership of `item` and makes this item its parent. A `row` outside
    // 0..count is clamped to the nearest end, so the item is always kept (and so
    // always deleted) rather than dropped or written past the list.
    void insertChild(int row, DomItem* item);
    // Deletes the child at `row`; a position outside the list is ignored.
    void removeChild(int row);

    DomItem* parent();
    // The node itself, so a caller can make the item stand for another node.
    QDomNode& node();
    // Position in the parent's children: 0 without a parent, -1 when the parent
    // does not list this item.
    int row();

protected:
    QDomNode itemNode;
    QList<DomItem*> childItems;
    DomItem* parentItem;
};

#endif
