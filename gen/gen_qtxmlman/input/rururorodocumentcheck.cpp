#include "rururorodocumentcheck.h"

#include "rururoroinputguard.h"

#include "rururoroqtversion.h"

#include <QXmlStreamReader>

namespace {

using qtversion::TextEncoding;

// The input as the parser decodes it: UTF-8 in place when nothing else is
// declared; otherwise the codec of the first bytes, switched to the declared
// one, which decodes all the input again while parsing goes on at the same
// character offset.
class ParsedInput {
public:
    explicit ParsedInput(const QByteArray& bytes) : bytes(bytes), units(detectXmlCodeUnits(bytes.constData(), bytes.size()))
    {
        const TextEncoding initial = TextEncoding::forMib(units.mib);
        if (units.width > 1)
            decoded = initial.decode(bytes);
        const QString head = declaration(units.width > 1 ? decoded : initial.decode(declarationBytes()));
        const TextEncoding declared = declaredEncoding(head);
        const bool switched = declared.isValid() && declared != initial;
        if (switched)
            decoded = head + declared.decode(bytes).mid(head.size());
        inPlace = units.width == 1 && !switched;
    }

    bool isUtf8InPlace() const { return inPlace; }
    const XmlCodeUnits& codeUnits() const { return units; }
    // The parser's UTF-8 decoder drops a byte order mark, and only that.
    QString text() const { return inPlace ? TextEncoding::forMib(106).decode(bytes) : decoded; }
    const QString& decodedText() const { return decoded; }

private:
    // The bytes of a declaration at the start, through its "?>".
    QByteArray declarationBytes() const
    {
        if (bytes.mid(units.bomBytes, 5) != "<?xml")
            return QByteArray();
        const int end = bytes.indexOf("?>");
        return end < 0 ? QByteArray() : bytes.left(end + 2);
    }

    static QString declaration(const QString& text)
    {
        return text.startsWith(QLatin1String("<?xml")) ? text.left(text.indexOf(QLatin1String("?>")) + 2) : QString();
    }

    static TextEncoding declaredEncoding(const QString& declaration)
    {
        if (declaration.isEmpty())
            return TextEncoding();
        QXmlStreamReader reader(declaration);
        reader.readNext();
        return TextEncoding::forName(reader.documentEncoding().toString());
    }

    const QByteArray& bytes;
    const XmlCodeUnits units;
    QString decoded;
    bool inPlace = false;
};

// Line and column just after `count` units: CR, LF and CR LF end a line;
// columns count UTF-16 units, so UTF-8 continuation bytes add nothing and a
// four-byte sequence adds two.
template <typename Unit>
RurUrOroInputRefusal positionAfter(const Unit* units, qint64 count)
{
    RurUrOroInputRefusal refusal{true, 1, 0, QString()};
    for (qint64 i = 0; i < count; ++i) {
        const char32_t unit = units[i];
        if (unit == '\r' || (unit == '\n' && (i == 0 || units[i - 1] != '\r'))) {
            ++refusal.line;
            refusal.column = 0;
        } else if (unit == '\n' || (sizeof(Unit) == 1 && (unit & 0xC0) == 0x80)) {
            continue;
        } else {
            refusal.column += (sizeof(Unit) == 1 && unit >= 0xF0) ? 2 : 1;
        }
    }
    return refusal;
}

template <typename Unit>
RurUrOroInputRefusal controlAmong(const Unit* units, qint64 count)
{
    for (qint64 i = 0; i < count; ++i)
        if (units[i] < 0x20 && units[i] != '\t' && units[i] != '\n' && units[i] != '\r')
            return positionAfter(units, i + 1);
    return RurUrOroInputRefusal();
}

} // namespace

RurUrOroInputRefusal checkWholeDocument(const QByteArray& bytes)
{
    const ParsedInput input(bytes);
    RurUrOroInputRefusal refusal;
    if (input.isUtf8InPlace()) {
        RurUrOroInputGuard guard(input.codeUnits());
        const qint64 passed = guard.scan(bytes.constData(), bytes.size());
        if (guard.refusal() != RurUrOroInputGuard::Refusal::None) {
            const qint64 bom = input.codeUnits().bomBytes;
            refusal = positionAfter(reinterpret_cast<const uchar*>(bytes.constData()) + bom, passed - bom);
            refusal.message = guard.refusalMessage();
        }
    } else {
        RurUrOroInputGuard guard(XmlCodeUnits{2, false, 0, 1015});
        const QString& text = input.decodedText();
        const qint64 passed = guard.scan(text);
        if (guard.refusal() != RurUrOroInputGuard::Refusal::None) {
            refusal = positionAfter(reinterpret_cast<const char16_t*>(text.utf16()), passed);
            refusal.message = guard.refusalMessage();
        }
    }
    return refusal;
}

RurUrOroInputRefusal firstControlCharacter(const QByteArray& bytes)
{
    const ParsedInput input(bytes);
    if (!input.isUtf8InPlace()) {
        const QString& text = input.decodedText();
        return controlAmong(reinterpret_cast<const char16_t*>(text.utf16()), text.size());
    }
    const qint64 bom = input.codeUnits().bomBytes;
    return controlAmong(reinterpret_cast<const uchar*>(bytes.constData()) + bom, bytes.size() - bom);
}

QString decodedAsParsed(const QByteArray& bytes)
{
    return ParsedInput(bytes).text();
}
