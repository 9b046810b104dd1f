#include "genqtdomdocument.h"

#include "genqtdomposition.h"
#include "genqtdomspeedcaches.h"

#include <QIODevice>

namespace {

// XML 1.0 cannot carry these at all, not even as character references: control
// characters other than tab, line feed and carriage return, and the noncharacters
// U+FFFE and U+FFFF. Built text may hold them as the host gave it; the file gets
// the replacement character in their place, so that it always loads again.
void replaceCharactersXmlCannotCarry(QString& text)
{
    for (QChar& c : text) {
        const ushort u = c.unicode();
        if ((u < 0x20 && u != '\t' && u != '\n' && u != '\r') || u == 0xFFFE || u == 0xFFFF)
            c = QChar::ReplacementCharacter;
    }
}

} // namespace

GenQtDomDocument::GenQtDomDocument(const QString& rootName, bool caseInsensitive)
    : currentParent(new VDomNode),
      traversalCursor(new DomWalkPosition(QDomNode(), -1, attributeOrder)),
      caseInsensitive(caseInsensitive)
{
    QDomElement root = domDocument.createElement(rootName.isEmpty() ? QStringLiteral("root") : rootName);
    domDocument.appendChild(root);
    currentParent->node = root;
    lastCreated.node = root;
}

GenQtDomDocument::~GenQtDomDocument()
{
    // Its few large blocks go before the tree's many small ones: freed after
    // them, the first would make the allocator sweep them all (a sixth of the
    // walk and deletion of 25000 records, in instructions).
    attributeOrder.clear();
    delete currentParent;
    releaseStartEntities();
    clearLevelStack();
    releaseCursor();
    SpareDomEntities::drop();
}

bool GenQtDomDocument::save(QIODevice* device, int docID)
{
    if (docID != getDocumentID() || !device)
        return false;
    const QByteArray declaration("<?xml version='1.0' encoding='UTF-8'?>\n");
    if (device->write(declaration) != declaration.size())
        return false;
    // A loaded declaration was dropped by load, so the codec the document picks
    // is UTF-8, as declared; the text passes through a string to be cleaned.
    QString text = documentToString(4);
    replaceCharactersXmlCannotCarry(text);
    const QByteArray bytes = text.toUtf8();
    return device->write(bytes) == bytes.size();
}

QString GenQtDomDocument::documentToString(int indent)
{
    const auto order = [this](const QDomElement& element, DomAttributeList& ordered) {
        attributeOrder.attributesOf(element, ordered);
    };
    return serializeDocument(domDocument, indent, order, documentTypeName);
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
    SpareDomEntities::drop(); // a kept entity's name must stay its node's
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
