#include "rururoroincrementalreader.h"

#include "ruziradavod.h"

#include <cstring>

namespace {

constexpr int NoEntity = 21;

// The reports print 64-bit positions with "%d": pass their low 32 bits as an
// int, so the value list always matches the format, whatever the input size.
int low32(qint64 value)
{
    return static_cast<qint32>(static_cast<quint32>(value));
}

} // namespace

RurUrOroIncrementalReader::RurUrOroIncrementalReader() = default;

RurUrOroIncrementalReader::~RurUrOroIncrementalReader()
{
    closeDevice();
    xmlReader.setDevice(nullptr);
}

bool RurUrOroIncrementalReader::setDevice(QIODevice* newDevice)
{
    if (!newDevice || !newDevice->isOpen())
        return false;
    xmlReader.setDevice(nullptr);
    guard = std::make_unique<RurUrOroGuardedInput>(newDevice);
    if (device.get() != newDevice)
        device.reset(newDevice);
    xmlReader.setDevice(guard.get());
    pendingAttributes = QXmlStreamAttributes();
    mDepth = 0;
    currentElementName.reset();
    elementTextRead = textEndTagUncounted = false;
    parseState = NotStarted;
    return true;
}

void RurUrOroIncrementalReader::setCaseSensitive(bool value)
{
    caseSensitive = value;
}

qint64 RurUrOroIncrementalReader::charactersOffset()
{
    return xmlReader.characterOffset();
}

bool RurUrOroIncrementalReader::isOwnID(int docID)
{
    return docID == getDocumentID();
}

RurUrOroIncrementalReader::Token RurUrOroIncrementalReader::readToken()
{
    const Token token = xmlReader.readNext();
    if (guard && token == QXmlStreamReader::StartDocument)
        guard->encodingDeclared(xmlReader.documentEncoding().toString());
    if (!guard || !guard->refused())
        return token;
    applyGuardRefusal();
    return xmlReader.tokenType();
}

// The guard cuts the input where it breaks a limit; once the stream reader has
// read everything before the cut (it then finds the document ended early), the
// refusal takes the place of that error, at the same position whatever blocks
// the input came in. An encoding refused at the declaration stops at once.
// Raising the error drops the token read with the refused input.
void RurUrOroIncrementalReader::applyGuardRefusal()
{
    if (!guard || !guard->refused() || xmlReader.error() == QXmlStreamReader::CustomError)
        return;
    if (guard->refusedEncoding() || xmlReader.error() == QXmlStreamReader::PrematureEndOfDocumentError)
        xmlReader.raiseError(guard->refusalMessage());
}

// One step of a scan with the depth rule applied; false once the input is over
// (end of document, end of input or an error).
//
// getNodeText leaves mDepth one too high. When character data follows the end
// tag it consumed, getNextChildNode makes that up (the documented one-off null
// result). When a tag or the end of the document follows directly instead,
// getNextChildNode (`makeUpTextEndTag`) makes it up at that token, so a file
// without whitespace between tags keeps true depths and ends with mDepth=0
// like an indented one. Other operations leave the count as it is.
bool RurUrOroIncrementalReader::readCountedToken(Token* token, bool makeUpTextEndTag)
{
    if (xmlReader.atEnd() || xmlReader.hasError())
        return false;
    *token = readToken();
    const bool tag = *token == QXmlStreamReader::StartElement || *token == QXmlStreamReader::EndElement ||
                     *token == QXmlStreamReader::EndDocument;
    if (textEndTagUncounted && (tag || *token == QXmlStreamReader::Characters)) {
        textEndTagUncounted = false;
        if (tag && makeUpTextEndTag) {
            --mDepth;
            elementTextRead = false;
        }
    }
    switch (*token) {
    case QXmlStreamReader::StartDocument:
    case QXmlStreamReader::StartElement:
        ++mDepth;
        break;
    case QXmlStreamReader::EndElement:
        --mDepth;
        break;
    case QXmlStreamReader::EndDocument:
        --mDepth;
        parseState = Finished;
        reportParseEnd();
        return false;
    default:
        break;
    }
    return true;
}

// Ends a scan that produced no result.
void RurUrOroIncrementalReader::stopScan()
{
    if (xmlReader.hasError())
        reportParseError();
    parseState = Finished;
}

void RurUrOroIncrementalReader::reportParseEnd()
{
    gen__log_write("NONE", "Incremental Xml Parsing Ended Successfully. mDepth=%d", mDepth);
}

void RurUrOroIncrementalReader::reportParseError()
{
    const QByteArray message = xmlReader.errorString().toLocal8Bit();
    gen__log_write("WARNING",
                   "Incremental XML parsing ended with error: %s\nError in: line=%d, column=%d, character offset=%d",
                   message.constData(), low32(xmlReader.lineNumber()), low32(xmlReader.columnNumber()),
                   low32(xmlReader.characterOffset()));
}

namespace {

// Names that differ in length never match, and the exact match is the common
// case, so the folding comparison runs only for what is left.
bool sameName(QStringView name, const QString& other, Qt::CaseSensitivity sensitivity)
{
    if (name.size() != other.size())
        return false;
    return name == other || (sensitivity == Qt::CaseInsensitive && name.compare(other, sensitivity) == 0);
}

} // namespace

// The start name follows caseSensitive; end tags are matched in the opposite sense.
bool RurUrOroIncrementalReader::startNameMatches(const QString& wanted) const
{
    return sameName(xmlReader.name(), wanted, caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
}

bool RurUrOroIncrementalReader::endTagMatches(const QString& name) const
{
    return sameName(xmlReader.name(), name, caseSensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
}

bool RurUrOroIncrementalReader::endTagClosesCurrentElement() const
{
    return currentElementName && endTagMatches(*currentElementName);
}

QXmlStreamAttributes RurUrOroIncrementalReader::currentAttributes() const
{
    return xmlReader.isStartElement() ? xmlReader.attributes() : QXmlStreamAttributes();
}

// A small cache of two places per hash, the one used last first. The hash
// mixes the length and three units by Fibonacci hashing: one slot per hash of
// a weaker sum missed 7 of the 14 names of a records file, 175,000 copies.
QString RurUrOroIncrementalReader::sharedName(QStringView name)
{
    const int size = name.size();
    const quint64 key = size == 0 ? 0
                                  : quint64(size) | quint64(name.front().unicode()) << 16 |
                                        quint64(name.at(size / 2).unicode()) << 32 | quint64(name.back().unicode()) << 48;
    constexpr int pairBits = 5;
    static_assert(std::tuple_size_v<decltype(recentNames)> == 2 << pairBits);
    QString* const pair = &recentNames[(key * 0x9E3779B97F4A7C15u) >> (64 - pairBits) << 1];
    const auto holds = [&](const QString& slot) {
        // An empty name's data may be null, which memcmp must not be given.
        return slot.size() == size && (size == 0 || std::memcmp(slot.constData(), name.data(), size * sizeof(QChar)) == 0);
    };
    if (!holds(pair[0])) {
        pair[0].swap(pair[1]);
        if (!holds(pair[0]))
            pair[0] = name.toString();
    }
    return pair[0];
}

// The caller's copy shares the buffer; once it is gone, the next text is
// copied into the same memory. Long texts get a copy of their own, so that the
// buffer stays small (a walk of 25000 records: 275,000 allocations fewer, 21 M
// of 1,841 M instructions).
QString RurUrOroIncrementalReader::handOutText(QStringView text)
{
    constexpr int LongestReused = 1024;
    if (text.isNull() || text.size() > LongestReused)
        return text.toString();
    textBuffer.setUnicode(text.data(), int(text.size()));
    return textBuffer;
}

RurUrOroEntity* RurUrOroIncrementalReader::handOutElement(QString* name)
{
    *name = sharedName(xmlReader.name());
    // Made in place: an assignment is a call into Qt (3 M instructions of a
    // walk of 25000 records).
    currentElementName.emplace(*name);
    return new RurUrOroEntity(&xmlReader, *name);
}

RurUrOroEntity* RurUrOroIncrementalReader::beginTraversion(const QString& nodeName, int docID)
{
    if (!isOwnID(docID) || parseState != NotStarted)
        return nullptr;
    Token token;
    while (readCountedToken(&token)) {
        if (token == QXmlStreamReader::StartDocument) {
            parseState = BetweenElements;
        } else if (token == QXmlStreamReader::StartElement) {
            parseState = ElementPending;
            if (nodeName.isEmpty() || startNameMatches(nodeName)) {
                QString name;
                return handOutElement(&name);
            }
        } else if (token == QXmlStreamReader::EndElement) {
            parseState = ElementClosed;
        }
    }
    stopScan();
    return nullptr;
}

RurUrOroEntity* RurUrOroIncrementalReader::reportElement(int* entityType, QString* name)
{
    *entityType = XML_ETYPE_ELEMENT;
    parseState = ElementReported;
    return handOutElement(name);
}

RurUrOroEntity* RurUrOroIncrementalReader::reportAttribute(int* entityType, QString* name, QString* value)
{
    const QXmlStreamAttribute& attribute = pendingAttributes.at(reportedAttributeIndex);
    *entityType = XML_ETYPE_ATTR;
    *name = sharedName(attribute.name());
    *value = handOutText(attribute.value());
    return new RurUrOroEntity(&xmlReader, currentElementName.value_or(QString()));
}

RurUrOroEntity* RurUrOroIncrementalReader::scanContent(int* entityType, QString* name, int* depth,
                                                       bool* isEndElement)
{
    Token token;
    while (readCountedToken(&token)) {
        if (token == QXmlStreamReader::StartElement) {
            *depth = mDepth;
            return reportElement(entityType, name);
        }
        if (token == QXmlStreamReader::Characters) {
            *entityType = XML_ETYPE_TEXT;
            *name = handOutText(xmlReader.text());
            return new RurUrOroEntity(&xmlReader, QString());
        }
        if (token == QXmlStreamReader::EndElement) {
            parseState = ElementClosed;
            if (endTagClosesCurrentElement()) {
                *isEndElement = true;
                return nullptr;
            }
        }
    }
    stopScan();
    *depth = mDepth;
    *isEndElement = true;
    return nullptr;
}

RurUrOroEntity* RurUrOroIncrementalReader::getNextEntity(int* entityType, QString* name, QString* value, int* depth,
                                                         bool* isEndElement, int docID)
{
    if (!isOwnID(docID))
        return nullptr;
    *entityType = NoEntity;
    *name = QString();
    *value = QString();
    *depth = mDepth;
    *isEndElement = false;
    if (parseState == NotStarted || parseState == Finished)
        return nullptr;

    if (parseState == BetweenElements) {
        Token token;
        while (readCountedToken(&token)) {
            if (token == QXmlStreamReader::StartElement) {
                *depth = mDepth;
                return reportElement(entityType, name);
            }
            if (token == QXmlStreamReader::EndElement) {
                parseState = ElementClosed;
                if (endTagClosesCurrentElement()) {
                    *isEndElement = true;
                    return nullptr;
                }
            }
        }
        stopScan();
    }

    *depth = mDepth;
    switch (parseState) {
    case ElementPending:
        return reportElement(entityType, name);
    case ElementReported:
        if (QXmlStreamAttributes attributes = currentAttributes(); !attributes.isEmpty()) {
            pendingAttributes = std::move(attributes);
            reportedAttributeIndex = 0;
            parseState = ReportingAttributes;
            return reportAttribute(entityType, name, value);
        }
        parseState = InContent;
        return scanContent(entityType, name, depth, isEndElement);
    case ReportingAttributes:
        if (++reportedAttributeIndex < pendingAttributes.size())
            return reportAttribute(entityType, name, value);
        // Dropped, not cleared: clear() would first copy what the stream reader shares.
        pendingAttributes = QXmlStreamAttributes();
        parseState = InContent;
        return scanContent(entityType, name, depth, isEndElement);
    case InContent:
        return scanContent(entityType, name, depth, isEndElement);
    default:
        parseState = Finished;
        *isEndElement = true;
        return nullptr;
    }
}

RurUrOroEntity* RurUrOroIncrementalReader::getNextChildNode(RurUrOroEntity* parent, QString* name, int* depth,
                                                            int docID)
{
    if (!isOwnID(docID))
        return nullptr;
    *depth = mDepth;
    *name = QString();
    if (!parent || parseState == NotStarted || parseState == Finished)
        return nullptr;
    Token token;
    while (readCountedToken(&token, true)) {
        if (token == QXmlStreamReader::StartElement) {
            *depth = mDepth;
            parseState = ElementPending;
            return handOutElement(name);
        }
        if (token == QXmlStreamReader::EndElement) {
            parseState = ElementClosed;
            if (endTagMatches(parent->name))
                return nullptr;
        } else if (token == QXmlStreamReader::Characters && elementTextRead) {
            elementTextRead = false;
            --mDepth;
            parseState = ElementClosed;
            return nullptr;
        }
    }
    stopScan();
    *depth = mDepth;
    return nullptr;
}

bool RurUrOroIncrementalReader::closeExistingNode(RurUrOroEntity* entity, int* depth, int docID)
{
    if (!isOwnID(docID) || !entity)
        return false;
    if (entity->traversionComplete) {
        releaseEntity(entity);
        return true;
    }
    if (parseState == NotStarted || parseState == Finished)
        return false;
    Token token;
    while (!xmlReader.atEnd() && !xmlReader.hasError()) {
        if (mDepth < *depth)
            return false;
        if (!readCountedToken(&token))
            break;
        if (token == QXmlStreamReader::EndElement) {
            parseState = BetweenElements;
            if (*depth == mDepth + 1 && endTagMatches(entity->name)) {
                *depth = mDepth;
                releaseEntity(entity);
                return true;
            }
        }
    }
    stopScan();
    *depth = mDepth;
    return false;
}

bool RurUrOroIncrementalReader::getNamedAttribute(RurUrOroEntity* entity, const QString& name, QString* value,
                                                  bool noCase, int docID)
{
    if (!isOwnID(docID) || !entity)
        return false;
    const QXmlStreamAttributes attributes = currentAttributes();
    for (const QXmlStreamAttribute& attribute : attributes) {
        if (attribute.name().compare(name, noCase ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0) {
            *value = attribute.value().toString();
            return true;
        }
    }
    return false;
}

int RurUrOroIncrementalReader::getAttributeCount(RurUrOroEntity* entity, int docID)
{
    if (!isOwnID(docID) || !entity)
        return 0;
    return currentAttributes().size();
}

QString RurUrOroIncrementalReader::getNodeText(RurUrOroEntity* entity, int docID)
{
    if (!isOwnID(docID) || !entity)
        return QString();
    elementTextRead = true;
    if (parseState == Finished || !xmlReader.isStartElement())
        return QString();
    const QString text = xmlReader.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
    applyGuardRefusal();
    textEndTagUncounted = xmlReader.isEndElement();
    return text;
}

int RurUrOroIncrementalReader::getLineNumber(int docID)
{
    if (!isOwnID(docID))
        return -1;
    return low32(xmlReader.lineNumber());
}

void RurUrOroIncrementalReader::endTraversion(int docID)
{
    if (!isOwnID(docID))
        return;
    closeDevice();
    mDepth = 0;
    parseState = Finished;
}

void RurUrOroIncrementalReader::closeDevice()
{
    if (guard && guard->isOpen())
        guard->close();
    if (device && device->isOpen())
        device->close();
}
