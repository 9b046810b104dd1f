#include "rururoroguardedinput.h"

#include "rururoroqtversion.h"

#include <cstring>
#include <limits>

namespace {

// Whether every byte below 0x80 is its ASCII character wherever it stands, so
// that markup can be found in the raw bytes: UTF-8 and the single-byte
// encodings that extend ASCII. Not UTF-7, EBCDIC, or multi-byte encodings whose
// second bytes can look like ASCII.
bool spellsMarkupInAscii(const qtversion::TextEncoding& encoding)
{
    if (encoding.isUtf8())
        return true;
    QByteArray everyByte(256, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i)
        everyByte[i] = char(i);
    const QString decoded = encoding.decode(everyByte);
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

RurUrOroGuardedInput::RurUrOroGuardedInput(QIODevice* source) : source(source)
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

bool RurUrOroGuardedInput::isSequential() const
{
    return true;
}

bool RurUrOroGuardedInput::atEnd() const
{
    return parsable == delivered && (refused() || sourceEnded || source->atEnd());
}

// Wider input is decoded from its units already; a declaration cannot change
// them without the reader failing on the rest.
void RurUrOroGuardedInput::encodingDeclared(const QString& encoding)
{
    if (!guard || guard->codeUnits().width != 1 || encoding.isEmpty())
        return;
    const qtversion::TextEncoding declared = qtversion::TextEncoding::forName(encoding);
    if (declared.isValid() && !spellsMarkupInAscii(declared))
        encodingRefused = encoding;
}

QString RurUrOroGuardedInput::refusalMessage() const
{
    if (refusedEncoding())
        return QStringLiteral("The encoding %1 cannot be read incrementally: it does not write markup as ASCII.")
            .arg(encodingRefused);
    return guard ? guard->refusalMessage() : QString();
}

// The stream reader reports text in pieces where its input stops, so every
// request is filled as far as the source and the guard allow: the pieces then
// never depend on the blocks the source delivers.
qint64 RurUrOroGuardedInput::readData(char* data, qint64 maxSize)
{
    if (!encodingRefused.isEmpty())
        return -1;
    while (parsable - delivered < maxSize && !sourceEnded && !refused()) {
        const int start = held.size();
        held.resize(int(std::min<qint64>(start + maxSize, std::numeric_limits<int>::max() / 2)));
        const qint64 more = source->read(held.data() + start, held.size() - start);
        held.resize(start + int(std::max<qint64>(more, 0)));
        sourceEnded = more <= 0;
        scanHeld(start);
    }
    // At the end of the input a reference left open is the reader's to report.
    if (sourceEnded && !refused())
        parsable = delivered + held.size();
    return deliver(data, maxSize);
}

// The first four bytes tell the code units (a shorter input has no others);
// until they are in, nothing is scanned.
void RurUrOroGuardedInput::scanHeld(int from)
{
    if (!guard && held.size() < 4 && !sourceEnded)
        return;
    if (!guard) {
        guard.emplace(detectXmlCodeUnits(held.constData(), held.size()));
        from = 0;
    }
    if (held.size() > from)
        parsable = guard->scan(held.constData() + from, held.size() - from);
}

qint64 RurUrOroGuardedInput::deliver(char* data, qint64 maxSize)
{
    const qint64 size = std::min(maxSize, parsable - delivered);
    if (size <= 0)
        return atEnd() ? -1 : 0;
    std::memcpy(data, held.constData(), size_t(size));
    held.remove(0, int(size));
    delivered += size;
    return size;
}

qint64 RurUrOroGuardedInput::writeData(const char*, qint64)
{
    return -1;
}
