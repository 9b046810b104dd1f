#include "rururoroinputguard.h"

#include "rururoroinputlimits.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace {

bool isSpace(char32_t unit)
{
    return unit == ' ' || unit == '\t' || unit == '\n' || unit == '\r';
}

bool isQuote(char32_t unit)
{
    return unit == '"' || unit == '\'';
}

// Generous on purpose: any character outside ASCII may belong to a name.
bool isNameUnit(char32_t unit)
{
    return unit >= 0x80 || (unit >= 'a' && unit <= 'z') || (unit >= 'A' && unit <= 'Z') ||
           (unit >= '0' && unit <= '9') || unit == '_' || unit == ':' || unit == '-' || unit == '.' || unit == '#';
}

// Names and texts are kept as bytes: single bytes as they are, wider units as
// UTF-8 (a surrogate on its own), so that equal names stay equal.
void append(std::string& text, char32_t unit, int width)
{
    if (width == 1 || unit < 0x80) {
        text.push_back(char(unit));
    } else if (unit < 0x800) {
        text += {char(0xC0 | (unit >> 6)), char(0x80 | (unit & 0x3F))};
    } else if (unit < 0x10000) {
        text += {char(0xE0 | (unit >> 12)), char(0x80 | ((unit >> 6) & 0x3F)), char(0x80 | (unit & 0x3F))};
    } else {
        text += {char(0xF0 | (unit >> 18)), char(0x80 | ((unit >> 12) & 0x3F)), char(0x80 | ((unit >> 6) & 0x3F)),
                 char(0x80 | (unit & 0x3F))};
    }
}

// The first `wanted` unit at or after `at`, or `end`. Tags often follow each
// other directly, which is seen before the call.
template <typename Unit>
const Unit* find(const Unit* at, const Unit* end, char32_t wanted)
{
    if constexpr (sizeof(Unit) == 1) {
        if (at < end && *at == wanted)
            return at;
        const void* found = std::memchr(at, int(wanted), size_t(end - at));
        return found ? static_cast<const Unit*>(found) : end;
    }
    return std::find(at, end, Unit(wanted));
}

template <typename Unit>
const Unit* findEither(const Unit* at, const Unit* end, char32_t one, char32_t other)
{
    while (at < end && *at != Unit(one) && *at != Unit(other))
        ++at;
    return at;
}

// "=", ">" and the quotes: the units that matter inside a start tag.
constexpr std::array<bool, 256> tagStops()
{
    std::array<bool, 256> stops{};
    stops['='] = stops['>'] = stops['"'] = stops['\''] = true;
    return stops;
}

// Names and the blanks between them are short: one table load per unit, four
// units to a round (a third fewer instructions than one unit to a round).
template <typename Unit>
const Unit* findTagStop(const Unit* at, const Unit* end)
{
    static constexpr std::array<bool, 256> stops = tagStops();
    const auto isStop = [](Unit unit) { return (sizeof(Unit) == 1 || unit < 256) && stops[unit]; };
    for (; end - at >= 4; at += 4) {
        if (isStop(at[0]))
            return at;
        if (isStop(at[1]))
            return at + 1;
        if (isStop(at[2]))
            return at + 2;
        if (isStop(at[3]))
            return at + 3;
    }
    while (at < end && !isStop(*at))
        ++at;
    return at;
}

std::string_view skipSpaces(std::string_view text)
{
    while (!text.empty() && isSpace(char32_t(uchar(text.front()))))
        text.remove_prefix(1);
    return text;
}

// The token at the start of `text`, up to a blank or a quote.
std::string_view token(std::string_view text)
{
    size_t end = 0;
    while (end < text.size() && !isSpace(char32_t(uchar(text[end]))) && !isQuote(char32_t(uchar(text[end]))))
        ++end;
    return text.substr(0, end);
}

// The literal that opens `text` without its quotes, and what follows it.
std::pair<std::string_view, std::string_view> literal(std::string_view text)
{
    const size_t end = text.find(text.front(), 1);
    if (end == std::string_view::npos)
        return {text.substr(1), {}};
    return {text.substr(1, end - 1), text.substr(end + 1)};
}

} // namespace

RurUrOroInputGuard::RurUrOroInputGuard(const XmlCodeUnits& units) : units(units), bomBytesLeft(units.bomBytes) {}

QString RurUrOroInputGuard::refusalMessage() const
{
    switch (refused) {
    case Refusal::Nesting:
        return QStringLiteral("Elements are nested deeper than allowed (%1 levels).").arg(inputlimits::MaxElementNesting);
    case Refusal::Attributes:
        return QStringLiteral("A start tag has more attributes than allowed (%1).")
            .arg(inputlimits::MaxAttributesPerElement);
    case Refusal::Expansion:
        return QStringLiteral("Entity references and attribute defaults expand to more text than allowed (%1 "
                              "characters, beyond that %2 characters per character of input).")
            .arg(inputlimits::ExpansionAllowance)
            .arg(inputlimits::MaxExpansionRatio);
    case Refusal::None:
        break;
    }
    return QString();
}

qint64 RurUrOroInputGuard::scan(const char* data, qint64 size)
{
    const qint64 skipped = std::min(size, bomBytesLeft);
    bomBytesLeft -= skipped;
    if (units.width == 1)
        scanUnits(reinterpret_cast<const uchar*>(data) + skipped, size - skipped);
    for (qint64 at = skipped; units.width > 1 && at < size && refused == Refusal::None; ++at) {
        partialUnit[partialUnitSize++] = data[at];
        if (partialUnitSize < units.width)
            continue;
        char32_t unit = 0;
        for (int k = 0; k < units.width; ++k) {
            const int shift = 8 * (units.bigEndian ? units.width - 1 - k : k);
            unit |= char32_t(uchar(partialUnit[k])) << shift;
        }
        partialUnitSize = 0;
        step(unit);
    }
    return units.bomBytes - bomBytesLeft + parsableUnits() * units.width;
}

qint64 RurUrOroInputGuard::scan(const QString& text)
{
    scanUnits(reinterpret_cast<const char16_t*>(text.utf16()), text.size());
    return parsableUnits();
}

qint64 RurUrOroInputGuard::parsableUnits() const
{
    if (refused != Refusal::None)
        return breachUnits;
    return state == State::Reference ? referenceUnits : unitsSeen;
}

template <typename Unit>
void RurUrOroInputGuard::scanUnits(const Unit* begin, qint64 count)
{
    const Unit* const end = begin + count;
    const qint64 unitsBefore = unitsSeen;
    for (const Unit* at = begin; at < end;) {
        // Most of a document is text, values and the insides of tags: straight
        // to the next unit that can change anything. Tags are entered and left
        // here, without the dispatch of step() (a stream walk of 6 MB of
        // records: 15.7 instructions per byte before, 11.4 after), by steps
        // defined inline (another 4 M instructions). A start tag falls from
        // one case into the next (3 M).
        switch (state) {
        case State::Content:
            if (hasSubset)
                break;
            at = find(at, end, '<');
            if (at == end)
                continue;
            state = State::Open;
            if (++at == end)
                continue;
            [[fallthrough]];
        case State::Open:
            unitsSeen = unitsBefore + (at - begin) + 1;
            stepOpen(*at++);
            if (refused != Refusal::None)
                return;
            if (state != State::StartTag)
                continue;
            [[fallthrough]];
        case State::StartTag:
            at = skipInsideTag(at, end, unitsBefore + (at - begin));
            if (refused != Refusal::None)
                return;
            if (at < end) {
                unitsSeen = unitsBefore + (at - begin) + 1;
                stepStartTag(*at++);
                if (refused != Refusal::None)
                    return;
            }
            continue;
        case State::EndTag:
            at = find(at, end, '>');
            if (at < end) {
                endEndTag();
                ++at;
            }
            continue;
        case State::Value:
            at = hasSubset ? findEither(at, end, quote, '&') : find(at, end, quote);
            break;
        default:
            break;
        }
        if (at == end)
            break;
        unitsSeen = unitsBefore + (at - begin);
        step(*at++);
        if (refused != Refusal::None)
            return;
    }
    unitsSeen = unitsBefore + count;
}

// Inside a start tag only "=", ">" and quoted values matter, and the last unit
// that is not blank, which tells an empty element at ">". Attributes are
// counted here, and a value that ends in the same block is passed over when no
// reference in it can count. Returns at ">", at a value that goes on in the
// next block, at the "=" of a breach, or at the end.
template <typename Unit>
const Unit* RurUrOroInputGuard::skipInsideTag(const Unit* at, const Unit* end, qint64 unitsBefore)
{
    const Unit* const start = at;
    for (;;) {
        const Unit* const from = at;
        at = findTagStop(at, end);
        for (const Unit* last = at; last > from;) {
            if (!isSpace(*--last)) {
                lastInTag = *last;
                break;
            }
        }
        if (at == end || *at == '>')
            return at;
        if (*at == '=') {
            unitsSeen = unitsBefore + (at - start) + 1;
            countAttribute();
            if (refused != Refusal::None)
                return at;
        } else {
            const Unit* const closing = hasSubset ? end : find(at + 1, end, *at);
            if (closing == end)
                return at;
            at = closing;
        }
        lastInTag = *at++;
    }
}

void RurUrOroInputGuard::step(char32_t unit)
{
    ++unitsSeen;
    switch (state) {
    case State::Content:
        if (unit == '<')
            state = State::Open;
        else if (unit == '&' && hasSubset)
            beginReference(State::Content);
        break;
    case State::Open:
        stepOpen(unit);
        break;
    case State::StartTagName:
        if (isSpace(unit) || unit == '/' || unit == '>') {
            endStartTagName();
            if (refused == Refusal::None)
                stepStartTag(unit);
        } else {
            collectName(unit);
        }
        break;
    case State::StartTag:
        stepStartTag(unit);
        break;
    case State::Value:
        if (unit == quote)
            state = State::StartTag;
        else if (unit == '&' && hasSubset)
            beginReference(State::Value);
        break;
    case State::EndTag:
        if (unit == '>')
            endEndTag();
        break;
    case State::Bang:
        stepBang(unit);
        break;
    case State::Delimited:
        stepDelimited(unit);
        break;
    case State::Doctype:
        stepDoctype(unit);
        break;
    case State::Quoted:
        if (unit == quote)
            state = afterQuote;
        break;
    case State::Subset:
        stepSubset(unit);
        break;
    case State::Declaration:
        stepDeclaration(unit);
        break;
    case State::Reference:
        stepReference(unit);
        break;
    }
}

inline void RurUrOroInputGuard::stepOpen(char32_t unit)
{
    const State outside = inSubset ? State::Subset : State::Content;
    if (unit == '!') {
        keyword.clear();
        state = State::Bang;
    } else if (unit == '?') {
        enterDelimited('?', 1, outside);
    } else if (inSubset) {
        state = State::Subset; // no element is opened in a document type
    } else if (unit == '/') {
        state = State::EndTag;
    } else {
        attributes = 0;
        startTagUnits = unitsSeen - 2;
        equalSigns.clear();
        lastInTag = unit;
        if (++depth > inputlimits::MaxElementNesting) {
            refused = Refusal::Nesting;
            breachUnits = unitsSeen;
        } else if (!defaultCharacters.empty()) {
            name.clear();
            nameTooLong = false;
            collectName(unit);
            state = State::StartTagName;
        } else {
            state = State::StartTag;
        }
    }
}

inline void RurUrOroInputGuard::endEndTag()
{
    depth = std::max(0, depth - 1);
    state = State::Content;
}

// Attributes are counted at their "=", outside quoted values.
inline void RurUrOroInputGuard::stepStartTag(char32_t unit)
{
    state = State::StartTag;
    if (isQuote(unit)) {
        quote = unit;
        state = State::Value;
    } else if (unit == '=') {
        countAttribute();
    } else if (unit == '>') {
        if (lastInTag == '/')
            --depth;
        state = State::Content;
        if (startTagObserver)
            startTagObserver->startTag(startTagUnits, unitsSeen - 1, equalSigns);
    }
    if (!isSpace(unit))
        lastInTag = unit;
}

inline void RurUrOroInputGuard::countAttribute()
{
    if (startTagObserver)
        equalSigns.push_back(unitsSeen - 1);
    if (++attributes > inputlimits::MaxAttributesPerElement) {
        refused = Refusal::Attributes;
        breachUnits = unitsSeen;
    }
}

// Comments, CDATA sections and the document type are told apart by their
// keyword; inside the internal subset, entity and attribute list declarations.
void RurUrOroInputGuard::stepBang(char32_t unit)
{
    static constexpr std::string_view outside[] = {"--", "[CDATA[", "DOCTYPE"};
    static constexpr std::string_view inside[] = {"--", "ENTITY", "ATTLIST"};
    const State after = inSubset ? State::Subset : State::Content;
    bool prefix = false;
    if (unit < 0x80) {
        keyword.push_back(char(unit));
        for (std::string_view candidate : inSubset ? inside : outside) {
            if (keyword == candidate) {
                if (candidate == "--") {
                    enterDelimited('-', 2, after);
                } else if (candidate == "[CDATA[") {
                    enterDelimited(']', 2, after);
                } else if (candidate == "DOCTYPE") {
                    state = State::Doctype;
                } else {
                    declarationKind = candidate == "ENTITY" ? Kind::Entity : Kind::AttributeList;
                    quote = 0;
                    state = State::Declaration;
                }
                return;
            }
            prefix = prefix || candidate.substr(0, keyword.size()) == keyword;
        }
    }
    if (!prefix) {
        declarationKind = Kind::Other;
        quote = 0;
        state = State::Declaration;
        stepDeclaration(unit);
    }
}

void RurUrOroInputGuard::enterDelimited(char repeated, int count, State after)
{
    delimiterUnit = repeated;
    delimiterCount = count;
    delimiterSeen = 0;
    afterDelimited = after;
    state = State::Delimited;
}

// Ends at ">" right after `delimiterCount` of `delimiterUnit`: "-->", "]]>", "?>".
void RurUrOroInputGuard::stepDelimited(char32_t unit)
{
    if (unit == char32_t(delimiterUnit))
        delimiterSeen = std::min(delimiterSeen + 1, delimiterCount);
    else if (unit == '>' && delimiterSeen == delimiterCount)
        state = afterDelimited;
    else
        delimiterSeen = 0;
}

void RurUrOroInputGuard::stepDoctype(char32_t unit)
{
    if (isQuote(unit)) {
        quote = unit;
        afterQuote = State::Doctype;
        state = State::Quoted;
    } else if (unit == '[') {
        inSubset = hasSubset = true;
        state = State::Subset;
    } else if (unit == '>') {
        state = State::Content;
    }
}

// A parameter entity reference adds its text to the document type, which may
// declare entities this check never sees.
void RurUrOroInputGuard::stepSubset(char32_t unit)
{
    if (unit == '<') {
        state = State::Open;
    } else if (unit == '%') {
        entities.markIncomplete();
        beginReference(State::Subset);
    } else if (unit == ']') {
        inSubset = false;
        state = State::Doctype;
    }
}

void RurUrOroInputGuard::stepDeclaration(char32_t unit)
{
    if (quote) {
        quote = unit == quote ? 0 : quote;
    } else if (isQuote(unit)) {
        quote = unit;
    } else if (unit == '>') {
        endDeclaration();
        state = inSubset ? State::Subset : State::Content;
        return;
    }
    if (declarationKind != Kind::Other)
        append(declaration, unit, units.width);
}

// <!ENTITY name "replacement"> declares a general entity; an external one
// (SYSTEM, PUBLIC) is never read by the parser and expands to nothing.
// <!ATTLIST element ...> may give its attributes default values, which the
// stream reader adds to every such element that leaves them out.
void RurUrOroInputGuard::endDeclaration()
{
    std::string_view text = skipSpaces(declaration);
    if (declarationKind == Kind::Entity) {
        const bool parameter = !text.empty() && text.front() == '%';
        if (parameter)
            text = skipSpaces(text.substr(1));
        const std::string_view entity = token(text);
        text = skipSpaces(text.substr(entity.size()));
        const std::string_view replacement =
            !text.empty() && isQuote(char32_t(text.front())) ? literal(text).first : std::string_view();
        if (parameter)
            entities.declareParameter(entity, replacement);
        else
            entities.declare(entity, replacement);
    } else if (declarationKind == Kind::AttributeList) {
        const std::string_view element = token(text);
        qint64 characters = 0;
        for (text = text.substr(element.size()); !text.empty();) {
            if (isQuote(char32_t(text.front()))) {
                const auto [value, rest] = literal(text);
                characters += qint64(value.size());
                text = rest;
            } else {
                text.remove_prefix(1);
            }
        }
        qint64& total = defaultCharacters[std::string(element)];
        total += characters;
        mostDefaultCharacters = std::max(mostDefaultCharacters, total);
    }
    declarationKind = Kind::Other;
    declaration.clear();
}

// An element name too long to look up gets the largest defaults of any.
void RurUrOroInputGuard::collectName(char32_t unit)
{
    if (name.size() < size_t(inputlimits::MaxNameLength))
        append(name, unit, units.width);
    else
        nameTooLong = true;
}

// A start tag gets the defaults of its element's attribute list: they count
// as added text whether or not the tag gives those attributes itself.
void RurUrOroInputGuard::endStartTagName()
{
    state = State::StartTag;
    const auto found = defaultCharacters.find(name);
    charge(nameTooLong ? mostDefaultCharacters : found == defaultCharacters.end() ? 0 : found->second, 0, false,
           unitsSeen - 1);
}

void RurUrOroInputGuard::beginReference(State after)
{
    afterReference = after;
    referenceUnits = unitsSeen - 1;
    name.clear();
    state = State::Reference;
}

// A reference in content may open elements, one in a value only adds text.
// Character references add one character at most, like the text they stand for.
void RurUrOroInputGuard::stepReference(char32_t unit)
{
    const bool inContent = afterReference == State::Content;
    if (unit == ';') {
        state = afterReference;
        if (afterReference == State::Subset) {
            charge(entities.parameterCharacters(name), 0, false, referenceUnits);
        } else if (!name.empty() && name.front() != '#') {
            const RurUrOroEntityBounds::Expansion expansion = entities.of(name);
            charge(expansion.characters, expansion.nesting, inContent, referenceUnits);
        }
    } else if (!isNameUnit(unit)) {
        // No reference after all: the unit belongs to what encloses it.
        state = afterReference;
        --unitsSeen;
        step(unit);
    } else if (name.size() < size_t(inputlimits::MaxNameLength)) {
        append(name, unit, units.width);
    } else {
        // Not followed to its end: it counts as the worst an entity may do.
        state = afterReference;
        charge(inputlimits::UnknownEntityCharacters, inputlimits::MaxElementNesting, inContent, referenceUnits);
    }
}

void RurUrOroInputGuard::charge(qint64 characters, int nesting, bool inContent, qint64 breach)
{
    expanded += characters;
    if (expanded > inputlimits::ExpansionAllowance + inputlimits::MaxExpansionRatio * unitsSeen)
        refused = Refusal::Expansion;
    else if (inContent && depth + nesting > inputlimits::MaxElementNesting)
        refused = Refusal::Nesting;
    else
        return;
    breachUnits = breach;
}
