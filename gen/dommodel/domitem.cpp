#include "domitem.h"

#include <QtGlobal>

DomItem::DomItem(QDomNode& node, int row, DomItem* parent)
    : itemNode(node), parentItem(parent)
{
    Q_UNUSED(row)
}

DomItem::DomItem(const DomItem& other)
    : itemNode(other.itemNode), parentItem(other.parentItem)
{
    childItems.reserve(other.childItems.size());
    for (DomItem* item : other.childItems) {
        DomItem* copy = item ? new DomItem(*item) : nullptr;
        if (copy)
            copy->parentItem = this;
        childItems.append(copy);
    }
}

DomItem& DomItem::operator=(const DomItem& other)
{
    if (this == &other)
        return *this;
    // Copied before our own children go, since `other` may be one of them.
    DomItem copy(other);
    itemNode = copy.itemNode;
    parentItem = copy.parentItem;
    childItems.swap(copy.childItems);
    for (DomItem* item : childItems) {
        if (item)
            item->parentItem = this;
    }
    return *this;
}

DomItem::~DomItem()
{
    for (DomItem* item : childItems)
        delete item;
}

DomItem* DomItem::child(int i)
{
    return i >= 0 && i < childItems.size() ? childItems.at(i) : nullptr;
}

void DomItem::insertChild(int row, DomItem* item)
{
    childItems.insert(qBound(0, row, childItems.size()), item);
    if (item)
        item->parentItem = this;
}

void DomItem::removeChild(int row)
{
    if (row >= 0 && row < childItems.size())
        delete childItems.takeAt(row);
}

DomItem* DomItem::parent()
{
    return parentItem;
}

QDomNode& DomItem::node()
{
    return itemNode;
}

int DomItem::row()
{
    return parentItem ? parentItem->childItems.indexOf(this) : 0;
}
