#include "genqtdomdocument.h"

#include "genqtdomposition.h"

#include <QIODevice>
#include <QTextStream>

GenQtDomDocument::GenQtDomDocument(const QString& rootName, bool caseInsensitive)
    : currentParent(new VDomNode),
      traversalCursor(new DomWalkPosition(QDomNode(), nullptr, -1)),
      caseInsensitive(caseInsensitive)
{
    QDomElement root = domDocument.createElement(rootName.isEmpty() ? QStringLiteral("root") : rootName);
    domDocument.appendChild(root);
    currentParent->node = root;
    lastCreated.node = root;
}

GenQtDomDocument::~GenQtDomDocument()
{
    delete currentParent;
    releaseStartEntities();
    clearLevelStack();
    releaseCursor();
}

bool GenQtDomDocument::save(QIODevice* device, int docID)
{
    if (docID != getDocumentID() || !device)
        return false;
    device->write("<?xml version='1.0' encoding='UTF-8'?>\n");
    QTextStream stream(device);
    // A loaded declaration was dropped by load, so the codec is UTF-8, as declared.
    domDocument.save(stream, 4, QDomNode::EncodingFromDocument);
    return true;
}

QString GenQtDomDocument::documentToString(int indent)
{
    return domDocument.toString(indent);
}

void GenQtDomDocument::ensureRootElement()
{
    if (!domDocument.documentElement().isNull())
        return;
    // The new root is appended, as the constructor does: what is built next
    // must reach the document rather than an element outside it.
    QDomElement root = domDocument.createElement(QStringLiteral("root"));
    domDocument.appendChild(root);
    delete currentParent;
    currentParent = new VDomNode;
    currentParent->node = root;
    lastCreated = VDomNode();
    lastCreated.node = root;
    clearLevelStack();
}

bool GenQtDomDocument::resetBuildCursor()
{
    ensureRootElement();
    const QDomElement root = domDocument.documentElement();
    if (!root.isNull())
        lastCreated.node = root;
    return !root.isNull();
}

void GenQtDomDocument::clearLevelStack()
{
    while (!levelStack.isEmpty())
        delete levelStack.pop();
}

bool GenQtDomDocument::setRootName(const QString& name)
{
    if (name.isEmpty())
        return false;
    ensureRootElement();
    domDocument.documentElement().setTagName(name);
    return true;
}

QString GenQtDomDocument::getRootName()
{
    return domDocument.documentElement().tagName();
}

void GenQtDomDocument::releaseCursor()
{
    while (traversalCursor) {
        DomWalkPosition* enclosing = traversalCursor->enclosing();
        delete traversalCursor;
        traversalCursor = enclosing;
    }
}

void GenQtDomDocument::releaseStartEntities()
{
    releaseEntity(traversalStart);
    traversalStart = nullptr;
    for (RurUrOroEntity* start : qAsConst(unendedStarts))
        releaseEntity(start);
    unendedStarts.clear();
}
