// An item model that lays a DOM document out as a tree of DomItems for Qt's
// item views. It gives the tree's shape only: no texts, no headers, no editing.
// A derived model supplies texts through data/headerData and children through
// createDomItem (or a DomItem whose child() makes them).
#ifndef RURUROR_DOMMODEL_H
#define RURUROR_DOMMODEL_H

#include "domitem.h"
#include "rururoro_export.h"

#include <QAbstractItemModel>
#include <QDomDocument>

class QDomElement;

// No Q_OBJECT on purpose: the model adds no signals, slots or properties, so its
// meta-object is QAbstractItemModel's.
class RURUROR_API DomModel : public QAbstractItemModel {
public:
    // Shares `document` (no deep copy). The root item comes from this class's own
    // createDomItem: a derived override is not reached from here, so a derived
    // model calls setDocument once it is constructed.
    explicit DomModel(QDomDocument& document, QObject* parent = nullptr);
    ~DomModel() override;

    // Rows are announced from the node's child-node count, texts and comments
    // included, but an index is only made where the item's child() has an item:
    // with plain DomItems, announced rows without an inserted item give invalid
    // indexes.
    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    // Two columns under every parent.
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Refused: returns false and changes nothing.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Enabled and selectable, never editable.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // A new parentless item for `element`, owned by the caller.
    virtual DomItem* createDomItem(QDomElement& element);

    QDomDocument document();
    // Replaces the root item (and every index made before) and then resets the
    // model; nothing is emitted before the exchange.
    void setDocument(QDomDocument& document);

private:
    DomItem* itemFor(const QModelIndex& index) const;

    DomItem* rootItem;
    QDomDocument modelDocument;
};

#endif
