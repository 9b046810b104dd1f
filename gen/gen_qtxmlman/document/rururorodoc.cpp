#include "rururorodoc.h"

#include <set>

void LiveCounter::fail() const
{
    throw new QString(QString::fromLatin1(faultText));
}

namespace {

// IDs of live documents. The ID of a new document is the live count, as callers
// expect (1, 2, 3; remove the newest and its ID comes back). When that ID is
// still held (an older document was removed first), the smallest free ID is
// taken instead: it can never collide, and IDs stay as small as the live count.
std::set<int>& liveDocumentIDs()
{
    static std::set<int> ids;
    return ids;
}

int issueDocumentID(quint32 liveCount)
{
    auto& ids = liveDocumentIDs();
    int id = static_cast<int>(liveCount);
    if (ids.count(id)) {
        id = 1;
        while (ids.count(id))
            ++id;
    }
    ids.insert(id);
    return id;
}

} // namespace

LiveCounter& RurUrOroDoc::counter()
{
    static LiveCounter documents("RurUrOroDoc: Something is very wrong !!!");
    return documents;
}

RurUrOroDoc::RurUrOroDoc() : documentID(issueDocumentID(counter().raise())) {}

RurUrOroDoc::~RurUrOroDoc() noexcept(false)
{
    liveDocumentIDs().erase(documentID);
    counter().lower();
}

bool RurUrOroDoc::save(QIODevice*, int)
{
    return false;
}

RurUrOroEntity::RurUrOroEntity(VDomNode* domNode)
    : domNode(domNode), name(domNode ? domNode->node.nodeName() : QString())
{
    counter().raise();
}

RurUrOroEntity::RurUrOroEntity(QXmlStreamReader* streamReader, const QString& name)
    : streamReader(streamReader), name(name)
{
    counter().raise();
}

RurUrOroEntity::~RurUrOroEntity() noexcept(false)
{
    counter().lower();
}

VDomNode& VDomNode::operator=(const VDomNode& other)
{
    childIndex = other.childIndex;
    attributeIndex = other.attributeIndex;
    opened = other.opened;
    children = other.children;
    attributes = other.attributes;
    node = other.node;
    parent = other.parent;
    return *this;
}

bool VDomNode::operator==(const VDomNode& other) const
{
    return childIndex == other.childIndex && attributeIndex == other.attributeIndex && opened == other.opened &&
           node == other.node && childList() == other.childList() && attributeMap() == other.attributeMap();
}
