// A document held whole in memory as a QDomDocument: loaded, walked, built,
// saved and turned into a string.
#pragma once

#include "genqtdomattributeorder.h"
#include "rururorodoc.h"

#include <QDomDocument>
#include <QStack>
#include <QVector>

struct DomWalkPosition;

class GenQtDomDocument final : public RurUrOroDoc,
                         public RurUrOroIncrementalReaderInterface,
                         public RurUrOroIncrementalWriterInterface {
public:
    GenQtDomDocument(const QString& rootName, bool caseInsensitive);
    ~GenQtDomDocument() override;

    bool save(QIODevice* device, int docID) override;

    // Reading.
    RurUrOroEntity* beginTraversion(const QString& nodeName, int docID) override;
    RurUrOroEntity* getNextEntity(int* entityType, QString* name, QString* value, int* depth, bool* isEndElement,
                                  int docID) override;
    RurUrOroEntity* getNextChildNode(RurUrOroEntity* parent, QString* name, int* depth, int docID) override;
    bool closeExistingNode(RurUrOroEntity* entity, int* depth, int docID) override;
    bool getNamedAttribute(RurUrOroEntity* entity, const QString& name, QString* value, bool noCase,
                           int docID) override;
    int getAttributeCount(RurUrOroEntity* entity, int docID) override;
    QString getNodeText(RurUrOroEntity* entity, int docID) override;
    int getLineNumber(int docID) override;
    void endTraversion(int docID) override;

    // Building.
    bool openNode(const QString& name, int docID) override;
    bool addAttribute(const QString& name, const QString& value, int docID) override;
    bool addText(const QString& text, int docID) override;
    bool closeNode(int docID) override;
    bool openLevel();

    // Loading and output.
    bool load(QIODevice* device, int* errorLine, int* errorColumn);
    QString documentToString(int indent);

    // DOM-only queries.
    RurUrOroEntity* getNamedNode(RurUrOroEntity* parent, const QString& name, int* depth);
    bool elementHasMoreAttributes(bool* more);
    bool elementHasMoreChildren(bool* more);
    // Child nodes of every type under the entity's element (behind top_level_nodes_count).
    static int childNodeCount(const VDomNode& position);

    void ensureRootElement();
    bool resetBuildCursor();
    void clearLevelStack();
    bool setRootName(const QString& name);
    QString getRootName();

private:
    void releaseCursor();
    void releaseStartEntities();
    QDomElement contentTarget(const char* file, int line, const char* function);

    RurUrOroEntity* traversalStart = nullptr;
    QStack<VDomNode*> levelStack;
    VDomNode* currentParent;
    VDomNode lastCreated;
    DomAttributeOrder attributeOrder;
    // Each record of the walk's chain is a DomWalkPosition, owned here from the
    // cursor up to the record on the document element.
    DomWalkPosition* traversalCursor;
    bool caseInsensitive;
    QDomDocument domDocument;
    // The document type's name as the file wrote it, where the parser kept only
    // its local part; empty otherwise.
    QString documentTypeName;
    // Start entities of walks begun again before they were ended: a caller may
    // still hold them, so they live until the next endTraversion or destruction.
    QVector<RurUrOroEntity*> unendedStarts;
};
