#include "rururoroincrementalreader.h"

#include "rururoroxmlcodeunits.h"
#include "rururoroxmllimits.h"

#include <QTextCodec>

#include <algorithm>
#include <string>

namespace {

bool isPredefined(const QString& name)
{
    return name == QLatin1String("amp") || name == QLatin1String("lt") || name == QLatin1String("gt") ||
           name == QLatin1String("quot") || name == QLatin1String("apos");
}

// Generous on purpose: any character outside ASCII may belong to a name.
bool isNameUnit(char32_t unit)
{
    return unit >= 0x80 || (unit >= 'a' && unit <= 'z') || (unit >= 'A' && unit <= 'Z') ||
           (unit >= '0' && unit <= '9') || unit == '_' || unit == ':' || unit == '-' || unit == '.';
}

// Whether every byte below 0x80 is its ASCII character wherever it stands, so
// that markup can be found in the raw bytes: UTF-8 and the single-byte
// encodings that extend ASCII. Not UTF-7, EBCDIC, or multi-byte encodings whose
// second bytes can look like ASCII.
bool spellsMarkupInAscii(QTextCodec* codec)
{
    if (codec->mibEnum() == 106)
        return true;
    QByteArray everyByte(256, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i)
        everyByte[i] = char(i);
    const QString decoded = codec->toUnicode(everyByte);
    if (decoded.size() != 256)
        return false;
    for (int i = 0; i < 256; ++i) {
        const ushort unit = decoded.at(i).unicode();
        if (i < 0x80 ? unit != i : unit < 0x80)
            return false;
    }
    return true;
}

} // namespace

using Guard = RurUrOroIncrementalReader::ExpansionGuard;

Guard::ExpansionGuard(QIODevice* source, int perReferenceLimit)
    : source(source), perReferenceLimit(std::max(perReferenceLimit, 1))
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

bool Guard::isSequential() const
{
    return true;
}

bool Guard::atEnd() const
{
    return refused() || source->atEnd();
}

void Guard::dtdRead(const QXmlStreamEntityDeclarations& declared)
{
    hasDtd = true;
    declarations = declared;
    declarationIndex.clear();
    weights.clear();
    const int tracked = std::min(declarations.size(), MaxTrackedDeclarations);
    for (int i = 0; i < tracked; ++i) {
        const QString name = declarations.at(i).name().toString();
        if (!declarationIndex.contains(name)) // the first declaration binds
            declarationIndex.insert(name, i);
    }
    phase = declarations.isEmpty() ? Phase::Unguarded : Phase::Declared;
}

void Guard::documentHasNoDtd()
{
    phase = Phase::Unguarded;
}

void Guard::countDefaultAttributes(const QXmlStreamAttributes& attributes)
{
    for (const QXmlStreamAttribute& attribute : attributes)
        if (attribute.isDefault())
            estimatedExpansion += attribute.value().size();
    if (!withinLimit(0))
        refuse(Refusal::Expansion);
}

// Wider input is decoded from its units here; a declaration cannot change them
// without the stream reader failing on the rest.
void Guard::encodingDeclared(const QString& encoding)
{
    if (unitSize != 1 || encoding.isEmpty())
        return;
    QTextCodec* const codec = QTextCodec::codecForName(encoding.toLatin1());
    if (codec && !spellsMarkupInAscii(codec)) {
        refusedEncoding = encoding;
        refuse(Refusal::Encoding);
    }
}

// The first reason found is the one reported.
void Guard::refuse(Refusal reason)
{
    if (refusal == Refusal::None)
        refusal = reason;
}

bool Guard::withinLimit(qint64 moreBytes) const
{
    return estimatedExpansion <= FreeExpansion + AmplificationPerByte * (bytesPassed + moreBytes);
}

QString Guard::refusalMessage() const
{
    if (refusal == Refusal::Encoding)
        return QStringLiteral("The encoding %1 cannot be read incrementally: it does not write markup as ASCII.")
            .arg(refusedEncoding);
    if (refusal == Refusal::Attributes)
        return QStringLiteral("A start tag has more attributes than allowed (%1).")
            .arg(xmllimits::MaxAttributesPerElement);
    return QStringLiteral("Entity references and attribute defaults expand to more text than allowed (%1 "
                          "characters, beyond that %2 characters per byte of input).")
        .arg(FreeExpansion)
        .arg(AmplificationPerByte);
}

qint64 Guard::readData(char* data, qint64 maxSize)
{
    if (refused())
        return -1;
    const qint64 size = source->read(data, maxSize);
    if (size <= 0)
        return size;
    scan(data, size);
    if (attributeCounter.overLimit())
        refuse(Refusal::Attributes);
    if (phase != Phase::Unguarded && !withinLimit(size))
        refuse(Refusal::Expansion);
    // Refusing the whole block keeps its references from being expanded and
    // its tag from being parsed at all.
    if (refused())
        return -1;
    bytesPassed += size;
    return size;
}

qint64 Guard::writeData(const char*, qint64)
{
    return -1;
}

// The attribute counter only needs markup, which is ASCII: wider units reach it
// as one byte each, with anything beyond ASCII made 0xFF.
void Guard::scan(const char* data, qint64 size)
{
    if (unitSize == 0) {
        // Markup and references are found in code units of the input's encoding.
        const XmlCodeUnits units = detectXmlCodeUnits(data, size);
        unitSize = units.width;
        bigEndian = units.bigEndian;
    }
    const bool references = phase != Phase::Unguarded;
    if (unitSize == 1) {
        attributeCounter.feed(data, size);
        for (qint64 i = 0; references && i < size; ++i)
            scanReference(static_cast<quint8>(data[i]));
        return;
    }
    std::string markup;
    markup.reserve(static_cast<std::size_t>(size / unitSize + 1));
    for (qint64 i = 0; i < size; ++i) {
        partialUnit[partialUnitSize++] = data[i];
        if (partialUnitSize < unitSize)
            continue;
        char32_t unit = 0;
        for (int k = 0; k < unitSize; ++k) {
            const int shift = 8 * (bigEndian ? unitSize - 1 - k : k);
            unit |= static_cast<char32_t>(static_cast<quint8>(partialUnit[k])) << shift;
        }
        partialUnitSize = 0;
        if (references)
            scanReference(unit);
        markup.push_back(unit < 0x80 ? static_cast<char>(unit) : '\xFF');
    }
    attributeCounter.feed(markup.data(), static_cast<qint64>(markup.size()));
}

void Guard::scanReference(char32_t unit)
{
    if (inReference) {
        if (unit == ';') {
            inReference = false;
            if (!nameUnits.empty())
                countReference();
            return;
        }
        if (nameUnits.empty() && unit == '#') { // a character reference
            inReference = false;
            return;
        }
        if (isNameUnit(unit)) {
            if (nameUnits.size() < MaxNameLength) {
                nameUnits.push_back(unit);
            } else {
                inReference = false;
                estimatedExpansion += perReferenceLimit;
            }
            return;
        }
        inReference = false; // not a reference after all; the unit may start one
    }
    // Parameter entities are only referenced inside the DTD.
    if (unit == '&' || (unit == '%' && phase == Phase::Prolog)) {
        inReference = true;
        nameUnits.clear();
    }
}

QString Guard::collectedName() const
{
    if (unitSize != 1)
        return QString::fromUcs4(nameUnits.data(), static_cast<int>(nameUnits.size()));
    QByteArray bytes;
    bytes.reserve(static_cast<int>(nameUnits.size()));
    for (char32_t unit : nameUnits)
        bytes.append(static_cast<char>(unit));
    return QString::fromUtf8(bytes);
}

void Guard::countReference()
{
    estimatedExpansion += referenceWeight(collectedName());
}

// Until the declarations are known, every reference may be to a large entity.
qint64 Guard::referenceWeight(const QString& name)
{
    if (isPredefined(name))
        return 1;
    if (phase == Phase::Prolog)
        return perReferenceLimit;
    return expandedLength(name, 0);
}

qint64 Guard::expandedLength(const QString& name, int nesting)
{
    if (isPredefined(name))
        return 1;
    const auto known = weights.constFind(name);
    if (known != weights.constEnd())
        return *known;
    const auto index = declarationIndex.constFind(name);
    if (index == declarationIndex.constEnd() || nesting > MaxNesting)
        return perReferenceLimit;
    // A recursive entity weighs the most while it is being measured; the stream
    // reader refuses to expand it anyway.
    weights.insert(name, perReferenceLimit);
    const QStringRef value = std::as_const(declarations).at(*index).value();
    qint64 length = 0;
    for (int i = 0; i < value.size() && length < perReferenceLimit; ++i) {
        if (value.at(i) == QLatin1Char('&')) {
            int end = i + 1;
            while (end < value.size() && isNameUnit(value.at(end).unicode()))
                ++end;
            if (end > i + 1 && end < value.size() && value.at(end) == QLatin1Char(';')) {
                length += expandedLength(value.mid(i + 1, end - i - 1).toString(), nesting + 1);
                i = end;
                continue;
            }
        }
        ++length;
    }
    length = std::min(length, perReferenceLimit);
    weights.insert(name, length);
    return length;
}
