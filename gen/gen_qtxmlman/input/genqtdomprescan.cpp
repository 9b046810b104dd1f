#include "genqtdomprescan.h"

#include "genqtdomentities.h"
#include "rururoroxmlcodeunits.h"

#include <QTextCodec>
#include <QXmlStreamReader>

#include <algorithm>
#include <string_view>

namespace {

// The characters the parser reads, as one byte per code unit for the scan:
// UTF-8 input is scanned in place; anything else is decoded the way the parser
// decodes it, and each UTF-16 unit becomes its ASCII character or 0xFF, which
// is neither markup nor a UTF-8 continuation byte.
class ParserInput {
public:
    explicit ParserInput(const QByteArray& bytes) : bytes(bytes)
    {
        const XmlCodeUnits units = detectXmlCodeUnits(bytes.constData(), bytes.size());
        QTextCodec* const initial = QTextCodec::codecForMib(units.mib);
        if (units.width > 1)
            decoded = initial->toUnicode(bytes);
        const QString head = declaration(units.width > 1 ? decoded : initial->toUnicode(declarationBytes(units)));
        QTextCodec* const declared = declaredCodec(head);
        const bool switched = declared && declared != initial;
        // Like the reader: the declared codec decodes all the input again, and
        // parsing goes on at the same character offset.
        if (switched)
            decoded = head + declared->toUnicode(bytes).mid(head.size());
        inPlace = units.width == 1 && !switched;
        if (inPlace)
            skeletonBytes = QByteArray::fromRawData(bytes.constData() + units.bomBytes, bytes.size() - units.bomBytes);
        else
            skeletonBytes = skeletonOf(decoded);
    }

    std::string_view skeleton() const { return {skeletonBytes.constData(), size_t(skeletonBytes.size())}; }
    qint64 byteCount() const { return bytes.size(); }
    // The parser's UTF-8 decoder drops a byte order mark, and only that.
    QString text() const { return inPlace ? QTextCodec::codecForMib(106)->toUnicode(bytes) : decoded; }

private:
    // The bytes of a declaration at the start, through its "?>".
    QByteArray declarationBytes(const XmlCodeUnits& units) const
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

    static QByteArray skeletonOf(const QString& text)
    {
        QByteArray skeleton(text.size(), Qt::Uninitialized);
        const QChar* units = text.constData();
        for (int i = 0; i < text.size(); ++i)
            skeleton[i] = units[i].unicode() < 0x80 ? char(units[i].unicode()) : char(0xFF);
        return skeleton;
    }

    const QByteArray& bytes;
    QString decoded;
    QByteArray skeletonBytes;
    bool inPlace = false;
};

// Finds the first place where the document breaks a limit. Comments, CDATA
// sections, processing instructions and quoted values are skipped, so markup
// inside them never counts. A document with an internal subset may declare
// entities: their declarations are read, and every reference in content and
// values is charged what it can expand to.
class MarkupScanner {
public:
    static constexpr size_t npos = std::string_view::npos;

    explicit MarkupScanner(const ParserInput& source)
        : text(source.skeleton()),
          expansionBudget(std::max(domlimits::ExpansionAllowance, domlimits::MaxExpansionRatio * source.byteCount()))
    {
    }

    // Offset just past the offending start tag or reference, or npos.
    size_t findRefusal()
    {
        size_t at = 0;
        while (at < text.size() && (at = text.find_first_of(hasEntities ? "<&" : "<", at)) != npos) {
            if (text[at] == '&')
                at = chargeReference(at, true);
            else if (startsWith(at, "<!--"))
                at = skipPast(at + 4, "-->");
            else if (startsWith(at, "<![CDATA["))
                at = skipPast(at + 9, "]]>");
            else if (startsWith(at, "<!DOCTYPE"))
                at = skipDoctype(at + 9);
            else if (startsWith(at, "<?"))
                at = skipPast(at + 2, "?>");
            else if (startsWith(at, "<!"))
                at = skipPast(at + 2, ">");
            else if (startsWith(at, "</")) {
                depth = std::max(0, depth - 1);
                at = skipPast(at + 2, ">");
            } else {
                at = scanStartTag(at + 1);
            }
            if (refused)
                return at;
        }
        return npos;
    }

private:
    bool startsWith(size_t at, std::string_view token) const { return text.compare(at, token.size(), token) == 0; }

    size_t skipPast(size_t from, std::string_view token) const
    {
        const size_t found = text.find(token, from);
        return found == npos ? text.size() : found + token.size();
    }

    // Past the closing quote; references inside are charged when entities exist.
    size_t skipQuoted(size_t openingQuote)
    {
        const size_t end = skipPast(openingQuote + 1, text.substr(openingQuote, 1));
        for (size_t at = openingQuote + 1; hasEntities && !refused && (at = text.find('&', at)) < end;)
            at = chargeReference(at, false);
        return end;
    }

    size_t scanStartTag(size_t from)
    {
        int attributes = 0;
        char previous = 0;
        size_t i = from;
        while (i < text.size() && text[i] != '>') {
            const char c = text[i];
            if (c == '"' || c == '\'') {
                i = skipQuoted(i);
            } else {
                attributes += c == '=';
                ++i;
            }
            if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
                previous = c;
        }
        const size_t end = std::min(i + 1, text.size());
        refused = refused || ++depth > domlimits::MaxElementNesting || attributes > domlimits::MaxAttributesPerElement;
        if (previous == '/')
            --depth;
        return end;
    }

    // A reference in content may open elements, one in a value only adds text.
    size_t chargeReference(size_t ampersand, bool inContent)
    {
        const size_t end = text.find_first_of(";<&\"'", ampersand + 1);
        if (end == npos || text[end] != ';')
            return ampersand + 1;
        const std::string_view name = text.substr(ampersand + 1, end - ampersand - 1);
        if (!name.empty() && name[0] != '#') {
            const DomEntityBounds::Expansion expansion = entities.of(name);
            expanded += expansion.characters;
            refused = expanded > expansionBudget || (inContent && depth + expansion.nesting > domlimits::MaxElementNesting);
        }
        return end + 1;
    }

    size_t skipDoctype(size_t from)
    {
        bool inSubset = false;
        for (size_t i = from; i < text.size();) {
            const char c = text[i];
            if (c == '"' || c == '\'')
                i = skipPast(i + 1, text.substr(i, 1));
            else if (inSubset && startsWith(i, "<!--"))
                i = skipPast(i + 4, "-->");
            else if (inSubset && startsWith(i, "<?"))
                i = skipPast(i + 2, "?>");
            else if (inSubset && startsWith(i, "<!ENTITY"))
                i = readEntityDeclaration(i + 8);
            else if (c == '>' && !inSubset)
                return i + 1;
            else {
                if (inSubset && c == '%')
                    entities.markIncomplete();
                else if (c == '[')
                    inSubset = hasEntities = true;
                else if (c == ']')
                    inSubset = false;
                ++i;
            }
        }
        return text.size();
    }

    // <!ENTITY name "replacement"> declares a general entity; an external one
    // (SYSTEM, PUBLIC) is never read by the parser and expands to nothing.
    // Parameter entities are skipped: referencing one marks the bounds incomplete.
    size_t readEntityDeclaration(size_t from)
    {
        const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
        size_t i = from;
        while (i < text.size() && isSpace(text[i]))
            ++i;
        const bool parameter = i < text.size() && text[i] == '%';
        if (parameter)
            for (++i; i < text.size() && isSpace(text[i]); ++i) {
            }
        const size_t nameStart = i;
        while (i < text.size() && !isSpace(text[i]) && text[i] != '>' && text[i] != '"' && text[i] != '\'')
            ++i;
        const std::string_view name = text.substr(nameStart, i - nameStart);
        while (i < text.size() && isSpace(text[i]))
            ++i;
        if (i < text.size() && (text[i] == '"' || text[i] == '\'')) {
            const size_t end = skipPast(i + 1, text.substr(i, 1));
            if (!parameter)
                entities.declare(name, text.substr(i + 1, end - i - 2));
            return end;
        }
        if (!parameter)
            entities.declare(name, std::string_view());
        return i;
    }

    std::string_view text;
    DomEntityBounds entities;
    bool hasEntities = false;
    const qint64 expansionBudget;
    qint64 expanded = 0;
    int depth = 0;
    bool refused = false;
};

// Line and column of an offset as the stream reader counts them: CR, LF and
// CR LF end a line; columns count UTF-16 units, so UTF-8 continuation bytes add
// nothing and a four-byte sequence adds two.
DomRefusal refusalAt(std::string_view skeleton, size_t end)
{
    DomRefusal refusal{true, 1, 0};
    const auto* data = reinterpret_cast<const uchar*>(skeleton.data());
    for (size_t i = 0; i < end; ++i) {
        const uchar c = data[i];
        if (c == '\r' || (c == '\n' && (i == 0 || data[i - 1] != '\r'))) {
            ++refusal.line;
            refusal.column = 0;
        } else if (c == '\n' || (c & 0xC0) == 0x80) {
            continue;
        } else {
            refusal.column += (c >= 0xF0 && c != 0xFF) ? 2 : 1;
        }
    }
    return refusal;
}

} // namespace

QString decodedAsParsed(const QByteArray& bytes)
{
    return ParserInput(bytes).text();
}

DomRefusal findRefusal(const QByteArray& bytes)
{
    const ParserInput input(bytes);
    const size_t end = MarkupScanner(input).findRefusal();
    return end == MarkupScanner::npos ? DomRefusal() : refusalAt(input.skeleton(), end);
}
