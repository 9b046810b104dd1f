#include "nodetreemodel.h"

#include <QDomElement>
#include <QDomNamedNodeMap>
#include <QStringList>
#include <QVector>

namespace {

// Attributes come out of the DOM in hash order; sorted by name they read the same
// on every run.
QString attributeText(const QDomNamedNodeMap& attributes)
{
    QStringList pairs;
    for (int i = 0; i < attributes.count(); ++i) {
        QDomNode attribute = attributes.item(i);
        pairs << attribute.nodeName() + QLatin1String("=\"") + attribute.nodeValue() + QLatin1Char('"');
    }
    pairs.sort();
    return pairs.join(QLatin1Char(' '));
}

} // namespace

NodeTreeModel::NodeTreeModel(QDomDocument& document, QObject* parent)
    : DomModel(document, parent)
{
    // The base constructor could only reach its own createDomItem.
    setDocument(document);
}

QVariant NodeTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return QVariant();
    const QDomNode& node = static_cast<DomItem*>(index.internalPointer())->node();
    if (index.column() == 0)
        return node.nodeName();
    return node.isElement() ? attributeText(node.attributes()) : node.nodeValue();
}

QVariant NodeTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case 0: return QStringLiteral("Node");
    case 1: return QStringLiteral("Value");
    default: return QVariant();
    }
}

DomItem* NodeTreeModel::createDomItem(QDomElement& element)
{
    auto* root = new DomItem(element, 0, nullptr);
    QVector<DomItem*> pending{root};
    while (!pending.isEmpty()) {
        DomItem* item = pending.takeLast();
        int row = 0;
        for (QDomNode node = item->node().firstChild(); !node.isNull(); node = node.nextSibling(), ++row) {
            auto* child = new DomItem(node, row, item);
            item->insertChild(row, child);
            pending.append(child);
        }
    }
    return root;
}
