#include "genqtdomdocument.h"

#include "genqtdomposition.h"
#include "rururoroinputlimits.h"

#include <QMessageLogger>

bool GenQtDomDocument::openNode(const QString& name, int docID)
{
    if (docID != getDocumentID() || name.isEmpty())
        return false;
    ensureRootElement();
    if (!currentParent || currentParent->node.isNull())
        return false;
    // A load refuses deeper documents, so a built one stops there too: what is
    // saved always loads again, and saving never runs the host out of stack.
    if (domDepth(currentParent->node) + 2 > inputlimits::MaxElementNesting)
        return false;
    QDomElement element = domDocument.createElement(name);
    lastCreated.node = element;
    currentParent->node.appendChild(element);
    return openLevel();
}

bool GenQtDomDocument::openLevel()
{
    ensureRootElement();
    if (!currentParent || currentParent->node.isNull())
        return false;
    if (*currentParent == lastCreated)
        return true;
    levelStack.push(currentParent);
    currentParent = new VDomNode(lastCreated);
    return true;
}

QDomElement GenQtDomDocument::contentTarget(const char* file, int line, const char* function)
{
    ensureRootElement();
    if (!currentParent || currentParent->node.isNull()) {
        QMessageLogger(file, line, function).debug("Error");
        return QDomElement();
    }
    return currentParent->node.toElement();
}

bool GenQtDomDocument::addAttribute(const QString& name, const QString& value, int docID)
{
    if (docID != getDocumentID() || name.isEmpty())
        return false;
    QDomElement element = contentTarget(__FILE__, __LINE__, Q_FUNC_INFO);
    if (element.isNull())
        return false;
    if (!element.hasAttribute(name))
        attributeOrder.adding(element, name);
    element.setAttribute(name, value);
    return true;
}

bool GenQtDomDocument::addText(const QString& text, int docID)
{
    if (docID != getDocumentID() || text.isEmpty())
        return false;
    QDomElement element = contentTarget(__FILE__, __LINE__, Q_FUNC_INFO);
    if (element.isNull())
        return false;
    element.appendChild(domDocument.createTextNode(text));
    return true;
}

bool GenQtDomDocument::closeNode(int docID)
{
    if (docID != getDocumentID() || !currentParent || currentParent->node.isNull() || levelStack.isEmpty())
        return false;
    delete currentParent;
    currentParent = levelStack.pop();
    return true;
}
