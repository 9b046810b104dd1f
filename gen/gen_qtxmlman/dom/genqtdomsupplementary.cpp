#include "genqtdomsupplementary.h"

#include "rururoroxmlcodeunits.h"

#include <cstring>

namespace {

constexpr char32_t LastBmpCharacter = 0xFFFF;
constexpr char32_t LastCharacter = 0x10FFFF;

// The character a reference at `at` (its '&') stands for, with `end` just past
// its ';'; 0 when no well-formed character reference starts there. Units are
// bytes or UTF-16 units: either way markup is ASCII.
template <typename Unit>
char32_t characterReference(const Unit* units, qsizetype at, qsizetype size, qsizetype* end)
{
    qsizetype i = at + 1;
    if (i >= size || units[i] != '#')
        return 0;
    const bool hex = ++i < size && units[i] == 'x';
    i += hex;
    const qsizetype firstDigit = i;
    char32_t value = 0;
    for (; i < size; ++i) {
        const char32_t unit = units[i];
        const char32_t lower = unit | 0x20;
        char32_t digit;
        if (unit >= '0' && unit <= '9')
            digit = unit - '0';
        else if (hex && lower >= 'a' && lower <= 'f')
            digit = lower - 'a' + 10;
        else
            break;
        value = value * (hex ? 16 : 10) + digit;
        if (value > LastCharacter)
            return 0; // no character: the parser's own verdict stands
    }
    if (i == firstDigit || i >= size || units[i] != ';')
        return 0;
    *end = i + 1;
    return value;
}

bool isSupplementary(char32_t character)
{
    return character > LastBmpCharacter;
}

// Copies the text and writes supplementary references as characters where the
// parser would expand them. Unchanged stretches are copied in one piece.
class ReferenceWriter {
public:
    explicit ReferenceWriter(const QString& text)
        : units(reinterpret_cast<const char16_t*>(text.utf16())), size(text.size()), text(text)
    {
        written.reserve(text.size());
    }

    QString run()
    {
        while (at < size) {
            if (units[at] == '<')
                markup();
            else if (units[at] == '&')
                reference();
            else
                ++at;
        }
        written += QStringView(text).mid(copied);
        return written;
    }

private:
    bool startsWith(const char* token) const
    {
        const qsizetype length = qsizetype(std::strlen(token));
        if (at + length > size)
            return false;
        for (qsizetype i = 0; i < length; ++i)
            if (units[at + i] != char16_t(token[i]))
                return false;
        return true;
    }

    void skipPast(const char* token)
    {
        while (at < size && !startsWith(token))
            ++at;
        at = std::min(size, at + qsizetype(std::strlen(token)));
    }

    bool isSpace() const
    {
        return at < size && (units[at] == ' ' || units[at] == '\t' || units[at] == '\n' || units[at] == '\r');
    }

    bool isQuote() const { return at < size && (units[at] == '"' || units[at] == '\''); }

    void markup()
    {
        if (startsWith("<!--"))
            skipPast("-->");
        else if (startsWith("<![CDATA["))
            skipPast("]]>");
        else if (startsWith("<?"))
            skipPast("?>");
        else if (startsWith("<!DOCTYPE"))
            documentType();
        else
            tag();
    }

    // Start and end tags: references count in attribute values only.
    void tag()
    {
        while (at < size && units[at] != '>') {
            if (isQuote())
                quoted(true);
            else
                ++at;
        }
        ++at;
    }

    // Literals here are external identifiers, except the value of an entity.
    void documentType()
    {
        bool inSubset = false;
        at += 9;
        while (at < size) {
            if (isQuote())
                quoted(false);
            else if (inSubset && startsWith("<!--"))
                skipPast("-->");
            else if (inSubset && startsWith("<?"))
                skipPast("?>");
            else if (inSubset && startsWith("<!ENTITY"))
                entityDeclaration();
            else if (units[at] == '>' && !inSubset)
                return void(++at);
            else {
                inSubset = units[at] == '[' || (inSubset && units[at] != ']');
                ++at;
            }
        }
    }

    // <!ENTITY [%] name "value">: the value is expanded where it is declared.
    void entityDeclaration()
    {
        at += 8;
        while (isSpace() || (at < size && units[at] == '%'))
            ++at;
        while (at < size && !isSpace() && !isQuote() && units[at] != '>')
            ++at;
        while (isSpace())
            ++at;
        if (isQuote())
            quoted(true);
    }

    void quoted(bool expandsReferences)
    {
        const char16_t quote = units[at++];
        while (at < size && units[at] != quote) {
            if (expandsReferences && units[at] == '&')
                reference();
            else
                ++at;
        }
        ++at;
    }

    void reference()
    {
        qsizetype end = 0;
        const char32_t character = characterReference(units, at, size, &end);
        if (!isSupplementary(character))
            return void(++at);
        written += QStringView(text).mid(copied, at - copied);
        written += QString::fromUcs4(&character, 1);
        at = copied = end;
    }

    const char16_t* units;
    const qsizetype size;
    const QString& text;
    QString written;
    qsizetype at = 0;
    qsizetype copied = 0;
};

} // namespace

bool mayHoldSupplementaryReference(const QByteArray& bytes)
{
    const XmlCodeUnits codeUnits = detectXmlCodeUnits(bytes.constData(), bytes.size());
    const auto* units = reinterpret_cast<const uchar*>(bytes.constData());
    const qsizetype size = bytes.size();
    for (const uchar* ampersand = units; (ampersand = static_cast<const uchar*>(
                                              std::memchr(ampersand, '&', size_t(units + size - ampersand))));
         ++ampersand) {
        const qsizetype at = ampersand - units;
        qsizetype end = 0;
        if (codeUnits.width > 1 ? at + codeUnits.width < size && units[at + codeUnits.width] == '#'
                                : isSupplementary(characterReference(units, at, size, &end)))
            return true;
    }
    return false;
}

bool holdsSupplementaryReference(const QString& text)
{
    const auto* units = reinterpret_cast<const char16_t*>(text.utf16());
    for (qsizetype at = text.indexOf(QLatin1Char('&')); at >= 0; at = text.indexOf(QLatin1Char('&'), at + 1)) {
        qsizetype end = 0;
        if (isSupplementary(characterReference(units, at, text.size(), &end)))
            return true;
    }
    return false;
}

QString withSupplementaryReferencesWritten(const QString& text)
{
    return ReferenceWriter(text).run();
}
