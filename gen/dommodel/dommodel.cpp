#include "dommodel.h"

#include <QDomElement>

DomModel::DomModel(QDomDocument& document, QObject* parent)
    : QAbstractItemModel(parent), rootItem(nullptr), modelDocument(document)
{
    QDomElement element = modelDocument.documentElement();
    rootItem = createDomItem(element);
}

DomModel::~DomModel()
{
    delete rootItem;
}

DomItem* DomModel::itemFor(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<DomItem*>(index.internalPointer()) : rootItem;
}

QModelIndex DomModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!hasIndex(row, column, parent))
        return QModelIndex();
    DomItem* item = itemFor(parent)->child(row);
    return item ? createIndex(row, column, item) : QModelIndex();
}

QModelIndex DomModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return QModelIndex();
    DomItem* parentItem = itemFor(child)->parent();
    if (!parentItem || parentItem == rootItem)
        return QModelIndex();
    return createIndex(parentItem->row(), 0, parentItem);
}

int DomModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    // A derived createDomItem may have given no root item.
    DomItem* item = itemFor(parent);
    return item ? item->node().childNodes().count() : 0;
}

int DomModel::columnCount(const QModelIndex& parent) const
{
    Q_UNUSED(parent)
    return 2;
}

QVariant DomModel::data(const QModelIndex& index, int role) const
{
    Q_UNUSED(index)
    Q_UNUSED(role)
    return QVariant();
}

bool DomModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    Q_UNUSED(index)
    Q_UNUSED(value)
    Q_UNUSED(role)
    return false;
}

QVariant DomModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    Q_UNUSED(section)
    Q_UNUSED(orientation)
    Q_UNUSED(role)
    return QVariant();
}

Qt::ItemFlags DomModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return QAbstractItemModel::flags(index) | Qt::ItemIsEnabled;
}

DomItem* DomModel::createDomItem(QDomElement& element)
{
    return new DomItem(element, 0, nullptr);
}

QDomDocument DomModel::document()
{
    return modelDocument;
}

void DomModel::setDocument(QDomDocument& document)
{
    modelDocument = document;
    QDomElement element = modelDocument.documentElement();
    delete rootItem;
    rootItem = nullptr;
    rootItem = createDomItem(element);
    beginResetModel();
    endResetModel();
}
