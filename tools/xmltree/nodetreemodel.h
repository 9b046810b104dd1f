// A DomModel that shows every node of a document: an item for each child node,
// the node's name in column 0 and its value (for an element, its attributes) in
// column 1.
#ifndef XMLTREE_NODETREEMODEL_H
#define XMLTREE_NODETREEMODEL_H

#include "dommodel.h"

class NodeTreeModel : public DomModel {
public:
    explicit NodeTreeModel(QDomDocument& document, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    DomItem* createDomItem(QDomElement& element) override;
};

#endif
