// A document read forward one token at a time from a device it owns; it never
// holds the tree.
#pragma once

#include "rururorodoc.h"

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

    class ExpansionGuard;

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
    QString sharedName(const QStringRef& name);
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
    std::array<QString, 32> recentNames;
    std::unique_ptr<QIODevice> device;
    std::unique_ptr<ExpansionGuard> guard;
};

// Stands between the reader's device and the stream reader and refuses further
// input once entity references and attribute defaults would expand to too much
// text, or once a start tag holds more than xmllimits::MaxAttributesPerElement
// attributes: the stream reader checks each attribute of a tag against all
// earlier ones, so a wide tag costs it time quadratic in its width.
// The stream reader only bounds each reference on its own, so many
// references to one large entity would otherwise build gigabytes inside a
// single token, before any operation could look at it; and a DTD's attribute
// default is repeated, whatever its size, on every element that omits it.
// References are estimated from the raw input: each weighs the full expansion
// of its entity (as declared in the internal subset), or the stream reader's
// per-reference limit while the declarations are not known yet or the name
// cannot be resolved. Default attributes are counted as the elements arrive.
class RurUrOroIncrementalReader::ExpansionGuard : public QIODevice {
public:
    // Expansion is free up to FreeExpansion characters; beyond that it must stay
    // within AmplificationPerByte characters per input byte read so far.
    static constexpr qint64 FreeExpansion = 8 * 1024 * 1024;
    static constexpr qint64 AmplificationPerByte = 16;

    ExpansionGuard(QIODevice* source, int perReferenceLimit);

    bool isSequential() const override;
    bool atEnd() const override;

    // One of the two is called before the document element's content is read.
    void dtdRead(const QXmlStreamEntityDeclarations& declarations);
    void documentHasNoDtd();
    bool declarationsKnown() const { return phase != Phase::Prolog; }
    // Only a DTD gives attributes defaults.
    bool mayAddDefaults() const { return hasDtd; }
    void countDefaultAttributes(const QXmlStreamAttributes& attributes);
    // Called with the declaration's encoding, before any markup after it is read.
    void encodingDeclared(const QString& encoding);
    bool refused() const { return refusal != Refusal::None; }
    QString refusalMessage() const;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    enum class Phase { Prolog, Declared, Unguarded };
    enum class Refusal { None, Expansion, Attributes, Encoding };

    // Follows the raw markup just far enough to count the attributes of each
    // start tag, as the "=" outside its quoted values. Comments, CDATA sections,
    // processing instructions and declarations are passed over, so nothing
    // inside them counts.
    class AttributeCounter {
    public:
        // One byte per code unit.
        void feed(const char* data, qint64 size);
        bool overLimit() const { return tooMany; }

    private:
        enum class State : quint8 {
            Content,
            TagOpen,
            StartTag,
            EndTag,
            BangOpen,
            CommentOpen,
            Delimited,
            Declaration,
            Quoted,
        };
        const quint8* step(const quint8* at, const quint8* end);
        void enterQuoted(quint8 byte, State after);
        void beginDelimited(quint8 byte, int needed);

        State state = State::Content;
        State afterQuote = State::Content;
        quint8 quote = 0;
        // A comment, CDATA section or instruction ends at ">" after this many closers.
        quint8 closer = 0;
        int closersNeeded = 0;
        int closersSeen = 0;
        int attributes = 0;
        bool tooMany = false;
    };

    void refuse(Refusal reason);
    bool withinLimit(qint64 moreBytes) const;
    void scan(const char* data, qint64 size);
    void scanReference(char32_t unit);
    void countReference();
    qint64 referenceWeight(const QString& name);
    qint64 expandedLength(const QString& name, int nesting);
    QString collectedName() const;

    // Declarations beyond this many are not looked up: references to them
    // weigh the per-reference limit. Keeps the lookup table small for any DTD.
    static constexpr int MaxTrackedDeclarations = 65536;
    // Entities nested deeper than this weigh the per-reference limit.
    static constexpr int MaxNesting = 64;
    // Longer names are not collected: such a reference weighs the limit.
    static constexpr std::size_t MaxNameLength = 256;

    QIODevice* source;
    qint64 perReferenceLimit;
    Phase phase = Phase::Prolog;
    bool hasDtd = false;
    Refusal refusal = Refusal::None;
    QString refusedEncoding;
    qint64 bytesPassed = 0;
    qint64 estimatedExpansion = 0;

    int unitSize = 0;
    bool bigEndian = false;
    char partialUnit[4] = {};
    int partialUnitSize = 0;

    bool inReference = false;
    std::vector<char32_t> nameUnits;
    AttributeCounter attributeCounter;

    // Shares the stream reader's declarations: no text is copied.
    QXmlStreamEntityDeclarations declarations;
    QHash<QString, int> declarationIndex;
    QHash<QString, qint64> weights;
};
