#include "rururorodocumentcheck.h"

#include "rururoroinputguard.h"

#include <QTextCodec>
#include <QXmlStreamReader>

namespace {

// The input as the parser decodes it: UTF-8 in place when nothing else is
// declared; otherwise the codec of the first bytes, switched to the declared
// one, which decodes all the input again while parsing goes on at the same
// character offset.
class ParsedInput {
public:
    explicit ParsedInput(const QByteArray& bytes) : bytes(bytes), units(detectXmlCodeUnits(bytes.constData(), bytes.size()))
    {
        QTextCodec* const initial = QTextCodec::codecForMib(units.mib);
        if (units.width > 1)
            decoded = initial->toUnicode(bytes);
        const QString head = declaration(units.width > 1 ? decoded : initial->toUnicode(declarationBytes()));
        QTextCodec* const declared = declaredCodec(head);
        const bool switched = declared && declared != initial;
        if (switched)
            decoded = head + declared->toUnicode(bytes).mid(head.size());
        inPlace = units.width == 1 && !switched;
    }

    bool isUtf8InPlace() const { return inPlace; }
    const XmlCodeUnits& codeUnits() const { return units; }
    // The parser's UTF-8 decoder drops a byte order mark, and only that.
    QString text() const { return inPlace ? QTextCodec::codecForMib(106)->toUnicode(bytes) : decoded; }
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

    static QTextCodec* declaredCodec(const QString& declaration)
    {
        if (declaration.isEmpty())
            return nullptr;
        QXmlStreamReader reader(declaration);
        reader.readNext();
        const QString encoding = reader.documentEncoding().toString();
        return encoding.isEmpty() ? nullptr : QTextCodec::codecForName(encoding.toLatin1());
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

QString decodedAsParsed(const QByteArray& bytes)
{
    return ParsedInput(bytes).text();
}
