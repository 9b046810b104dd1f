#include "rururorodocumentcheck.h"

#include "rururoroinputguard.h"
#include "rururoroxmlposition.h"

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

// A refusal just after the first `count` units.
template <typename Unit>
RurUrOroInputRefusal positionAfter(const Unit* units, qint64 count, const QString& message = QString())
{
    XmlTextPosition position;
    position.advance(units, count);
    return RurUrOroInputRefusal{true, position.line, position.column, message};
}

std::string_view unitsView(const uchar* units, qint64 count)
{
    return std::string_view(reinterpret_cast<const char*>(units), size_t(count));
}

std::u16string_view unitsView(const char16_t* units, qint64 count)
{
    return std::u16string_view(units, size_t(count));
}

bool isBlank(char32_t unit)
{
    return unit == ' ' || unit == '\t' || unit == '\n' || unit == '\r';
}

// Hands the sink the start tags the guard passes, each with the position
// just after it, counted once through the input however many tags there are.
template <typename Unit>
class StartTagReporter final : public RurUrOroStartTagObserver {
public:
    StartTagReporter(const Unit* units, RurUrOroStartTagSink* sink) : units(units), sink(sink) {}

    void startTag(qint64 lessThan, qint64 greaterThan, const std::vector<qint64>& equalSigns) override
    {
        if (equalSigns.size() < 2)
            return;
        const qint64 end = greaterThan + 1;
        position.advance(units + reached, end - reached);
        reached = end;
        names.clear();
        for (const qint64 equalSign : equalSigns)
            names.push_back(nameBefore(equalSign, lessThan));
        sink->startTag(position, units[greaterThan - 1] == '/', names);
    }

private:
    // The name an "=" follows, blanks between them allowed.
    auto nameBefore(qint64 equalSign, qint64 lessThan) const
    {
        qint64 end = equalSign;
        while (end > lessThan && isBlank(units[end - 1]))
            --end;
        qint64 start = end;
        while (start > lessThan && !isBlank(units[start - 1]) && units[start - 1] != '"' && units[start - 1] != '\'')
            --start;
        return unitsView(units + start, end - start);
    }

    const Unit* const units;
    RurUrOroStartTagSink* const sink;
    XmlTextPosition position;
    qint64 reached = 0;
    std::vector<decltype(unitsView(units, 0))> names;
};

// Scans `units`, the input after any byte order mark, with `scan`; a refusal
// gets the position just after the last unit that may be parsed.
template <typename Unit, typename Scan>
RurUrOroInputRefusal check(RurUrOroInputGuard& guard, const Unit* units, RurUrOroStartTagSink* sink, Scan scan)
{
    StartTagReporter<Unit> reporter(units, sink);
    if (sink)
        guard.observeStartTags(&reporter);
    const qint64 passed = scan();
    if (guard.refusal() == RurUrOroInputGuard::Refusal::None)
        return RurUrOroInputRefusal();
    return positionAfter(units, passed, guard.refusalMessage());
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

RurUrOroInputRefusal checkWholeDocument(const QByteArray& bytes, RurUrOroStartTagSink* startTags)
{
    const ParsedInput input(bytes);
    if (!input.isUtf8InPlace())
        return checkDecodedText(input.decodedText(), startTags);
    RurUrOroInputGuard guard(input.codeUnits());
    const qint64 bom = input.codeUnits().bomBytes;
    const auto* const units = reinterpret_cast<const uchar*>(bytes.constData()) + bom;
    return check(guard, units, startTags, [&] { return guard.scan(bytes.constData(), bytes.size()) - bom; });
}

RurUrOroInputRefusal checkDecodedText(const QString& text, RurUrOroStartTagSink* startTags)
{
    RurUrOroInputGuard guard(XmlCodeUnits{2, false, 0, 1015});
    const auto* const units = reinterpret_cast<const char16_t*>(text.utf16());
    return check(guard, units, startTags, [&] { return guard.scan(text); });
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

bool mayHoldInstruction(const QByteArray& bytes)
{
    const ParsedInput input(bytes);
    if (!input.isUtf8InPlace()) {
        const QString& text = input.decodedText();
        const bool declared = text.startsWith(QLatin1String("<?xml")) && text.size() > 5 && isBlank(text.at(5).unicode());
        return text.indexOf(QLatin1String("<?"), declared ? 5 : 0) >= 0;
    }
    const int bom = input.codeUnits().bomBytes;
    const bool declared = bytes.mid(bom, 5) == "<?xml" && bytes.size() > bom + 5 && isBlank(uchar(bytes.at(bom + 5)));
    return bytes.indexOf("<?", declared ? bom + 5 : bom) >= 0;
}

QString decodedAsParsed(const QByteArray& bytes)
{
    return ParsedInput(bytes).text();
}
