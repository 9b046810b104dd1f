// A document read forward one token at a time from a device it owns; it never
// holds the tree.
#pragma once

#include "rururorodoc.h"
#include "rururoroguardedinput.h"

#include <QHash>
#include <QIODevice>
#include <QXmlStreamReader>
#include <array>
#include <memory>
#include <optional>
#include <vector>

class RurUrOroIncrementalReader : public RurUrOroDoc, public RurUrOroIncrementalReaderInterface {
public:
    enum ParseState : qint32 {
        NotStarted = 0,
        BetweenElements = 1,
        ElementPending = 2,
        ElementReported = 3,
        ReportingAttributes = 4,
        InContent = 5,
        ElementClosed = 6,
        Finished = 7,
    };

    RurUrOroIncrementalReader();
    ~RurUrOroIncrementalReader() override;

    // Takes ownership of an open device; refuses a null or closed one.
    bool setDevice(QIODevice* device);
    void setCaseSensitive(bool value);
    qint64 charactersOffset();

    // Out-arguments must point to writable variables.
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


private:
    using Token = QXmlStreamReader::TokenType;

    bool isOwnID(int docID);
    Token readToken();
    void applyGuardRefusal();
    bool readCountedToken(Token* token, bool makeUpTextEndTag = false);
    void stopScan();
    void reportParseEnd();
    void reportParseError();
    bool startNameMatches(const QString& wanted) const;
    bool endTagMatches(const QString& name) const;
    bool endTagClosesCurrentElement() const;
    QXmlStreamAttributes currentAttributes() const;
    QString sharedName(QStringView name);
    QString handOutText(QStringView text);
    RurUrOroEntity* handOutElement(QString* name);
    RurUrOroEntity* reportElement(int* entityType, QString* name);
    RurUrOroEntity* reportAttribute(int* entityType, QString* name, QString* value);
    RurUrOroEntity* scanContent(int* entityType, QString* name, int* depth, bool* isEndElement);
    void closeDevice();

    QXmlStreamReader xmlReader;
    QXmlStreamAttributes pendingAttributes;
    qint32 reportedAttributeIndex = 0;
    bool caseSensitive = false;
    qint32 mDepth = 0;
    std::optional<QString> currentElementName;
    bool elementTextRead = false;
    qint32 parseState = NotStarted;

    // getNodeText consumed an end tag that mDepth has not been lowered for yet.
    bool textEndTagUncounted = false;
    // Names repeat: handing out a shared copy of a recent one saves an
    // allocation per event.
    std::array<QString, 64> recentNames;
    // The text or value handed out last, its memory used again for the next.
    QString textBuffer;
    std::unique_ptr<QIODevice> device;
    // Between the device and the stream reader: the input limits.
    std::unique_ptr<RurUrOroGuardedInput> guard;
};
