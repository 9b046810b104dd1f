// Shared document types: the document base, the reading and writing interfaces,
// the entity record handed out as a node handle, and the DOM position record.
#pragma once

#include "gen_qtxmlif.h" // entity type codes XML_ETYPE_*, shared with C callers

#include <QDomNamedNodeMap>
#include <QDomNode>
#include <QDomNodeList>
#include <QString>

#include <cstddef>

class QIODevice;
class QXmlStreamReader;

// Process-wide count of live objects; lowering it at zero is a fatal fault thrown
// as a heap-allocated QString carrying `faultText`.
class LiveCounter {
public:
    // constexpr: a function-local counter is then set up without a guard check.
    constexpr explicit LiveCounter(const char* faultText) : faultText(faultText) {}
    quint32 raise() { return ++count; }
    quint32 lower()
    {
        if (count == 0)
            fail();
        return --count;
    }
    quint32 value() const { return count; }

private:
    [[noreturn]] void fail() const;

    quint32 count = 0;
    const char* faultText;
};

class RurUrOroDocInterface {
public:
    virtual int getDocumentID() = 0;
};

class RurUrOroDoc : public RurUrOroDocInterface {
public:
    RurUrOroDoc();
    RurUrOroDoc(const RurUrOroDoc&) = delete;
    RurUrOroDoc& operator=(const RurUrOroDoc&) = delete;

    int getDocumentID() override { return documentID; }
    // Throws QString* when more documents are destroyed than were made.
    virtual ~RurUrOroDoc() noexcept(false);
    virtual bool save(QIODevice* device, int docID);

    static LiveCounter& counter();

private:
    int documentID;
};

struct VDomNode;

class RurUrOroEntity {
public:
    explicit RurUrOroEntity(VDomNode* domNode);
    RurUrOroEntity(QXmlStreamReader* streamReader, const QString& name);
    RurUrOroEntity(const RurUrOroEntity&) = delete;
    RurUrOroEntity& operator=(const RurUrOroEntity&) = delete;
    // Releases the name only; the position record and the stream reader are not owned.
    virtual ~RurUrOroEntity() noexcept(false);
    // Served by the DOM walk's block cache (dom/genqtdomspeedcaches.cpp);
    // derived classes have other sizes and go to the heap directly.
    static void* operator new(std::size_t size);
    static void operator delete(void* memory, std::size_t size);

    static LiveCounter& counter()
    {
        static LiveCounter entities("RurUrOroEntity: Something is very wrong !!!");
        return entities;
    }

    VDomNode* domNode = nullptr;
    QXmlStreamReader* streamReader = nullptr;
    QString name;
    bool traversionComplete = false;
};

// Releases a caller-owned entity together with its own position record; the
// DOM walk may keep it for its next event (dom/genqtdomspeedcaches.cpp).
void releaseEntity(RurUrOroEntity* entity);

// One traversal position in a DOM tree.
struct VDomNode {
    VDomNode() = default;
    explicit VDomNode(VDomNode* parent) : parent(parent) {}
    // As a blank record assigned from `other`: `complete` starts false.
    VDomNode(const VDomNode& other)
        : childIndex(other.childIndex), attributeIndex(other.attributeIndex), opened(other.opened),
          node(other.node), children(other.children), attributes(other.attributes), parent(other.parent)
    {
    }
    virtual ~VDomNode() = default;
    // Served by the DOM walk's block cache, as the entity's.
    static void* operator new(std::size_t size);
    static void operator delete(void* memory, std::size_t size);

    // Copies everything but `complete`, which stays as it was.
    VDomNode& operator=(const VDomNode& other);
    // `complete` and `parent` take no part in equality.
    bool operator==(const VDomNode& other) const;
    bool operator!=(const VDomNode& other) const { return !(*this == other); }

    // An opened record may leave its lists unloaded: they then stand for its
    // node's own, which are the lists it would have loaded. The DOM walk hands
    // out such records, as copying the lists on every event costs more than
    // the rest of the event.
    QDomNodeList childList() const { return opened && children == QDomNodeList() ? node.childNodes() : children; }
    QDomNamedNodeMap attributeMap() const
    {
        return opened && attributes == QDomNamedNodeMap() ? node.attributes() : attributes;
    }


    qint32 childIndex = -1;
    qint32 attributeIndex = -1;
    bool opened = false;
    bool complete = false;
    QDomNode node;
    QDomNodeList children;
    QDomNamedNodeMap attributes;
    VDomNode* parent = nullptr;
};

class RurUrOroIncrementalReaderInterface {
public:
    virtual RurUrOroEntity* beginTraversion(const QString& nodeName, int docID) = 0;
    virtual RurUrOroEntity* getNextEntity(int* entityType, QString* name, QString* value, int* depth,
                                          bool* isEndElement, int docID) = 0;
    virtual RurUrOroEntity* getNextChildNode(RurUrOroEntity* parent, QString* name, int* depth, int docID) = 0;
    virtual bool closeExistingNode(RurUrOroEntity* entity, int* depth, int docID) = 0;
    virtual bool getNamedAttribute(RurUrOroEntity* entity, const QString& name, QString* value, bool noCase,
                                   int docID) = 0;
    virtual int getAttributeCount(RurUrOroEntity* entity, int docID) = 0;
    virtual QString getNodeText(RurUrOroEntity* entity, int docID) = 0;
    virtual int getLineNumber(int docID) = 0;
    virtual void endTraversion(int docID) = 0;

protected:
    ~RurUrOroIncrementalReaderInterface() = default;
};

class RurUrOroIncrementalWriterInterface {
public:
    virtual bool openNode(const QString& name, int docID) = 0;
    virtual bool addAttribute(const QString& name, const QString& value, int docID) = 0;
    virtual bool addText(const QString& text, int docID) = 0;
    virtual bool closeNode(int docID) = 0;

protected:
    ~RurUrOroIncrementalWriterInterface() = default;
};
