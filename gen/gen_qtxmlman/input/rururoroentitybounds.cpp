#include "rururoroentitybounds.h"

#include "rururoroinputlimits.h"

#include <algorithm>

namespace {

using Expansion = RurUrOroEntityBounds::Expansion;

// An entity the declarations do not tell may hold anything a reference can add.
Expansion worst()
{
    return {inputlimits::UnknownEntityCharacters, inputlimits::MaxElementNesting};
}

bool isPredefined(std::string_view name)
{
    return name == "lt" || name == "gt" || name == "amp" || name == "apos" || name == "quot";
}

// The code point of a character reference's body ("#60", "#x3C"); 0 when malformed.
uint characterValue(std::string_view reference)
{
    const bool hex = reference.size() > 1 && (reference[1] == 'x' || reference[1] == 'X');
    uint value = 0;
    for (char c : reference.substr(hex ? 2 : 1)) {
        const int digit = (c >= '0' && c <= '9')   ? c - '0'
                          : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                        : -1;
        if (digit < 0 || value > 0x10FFFF)
            return 0;
        value = value * (hex ? 16 : 10) + uint(digit);
    }
    return value;
}

} // namespace

void RurUrOroEntityBounds::declare(std::string_view name, std::string_view replacement)
{
    entries.emplace(std::string(name), Entry{std::string(replacement), Unmeasured, {}});
}

void RurUrOroEntityBounds::declareParameter(std::string_view name, std::string_view replacement)
{
    parameters.emplace(std::string(name), qint64(replacement.size()));
}

// One declared elsewhere, or never, may be the worst.
qint64 RurUrOroEntityBounds::parameterCharacters(std::string_view name) const
{
    const auto found = parameters.find(std::string(name));
    return found == parameters.end() ? worst().characters : found->second;
}

Expansion RurUrOroEntityBounds::lookup(std::string_view name, int chain)
{
    if (isPredefined(name))
        return {1, 0};
    const auto found = entries.find(std::string(name));
    // An entity declared nowhere the parser reads stays an unexpanded reference.
    if (found == entries.end() && !incomplete)
        return {0, 0};
    if (incomplete || found == entries.end() || chain > inputlimits::MaxReferenceChain)
        return worst();
    Entry& entry = found->second;
    if (entry.state == Measuring)
        return worst(); // self reference: the reader refuses it anyway
    if (entry.state == Unmeasured) {
        entry.state = Measuring;
        entry.expansion = measure(entry.replacement, chain);
        entry.state = Measured;
    }
    return entry.expansion;
}

// The replacement text is parsed again where it is referenced: its tags nest,
// and its references expand in turn. A character reference to '<' may open a
// tag there; one to '&' or '%' makes a reference this reading cannot follow.
Expansion RurUrOroEntityBounds::measure(std::string_view replacement, int chain)
{
    Expansion total;
    int depth = 0;
    bool inTag = false;
    char previous = 0;
    for (size_t i = 0; i < replacement.size(); ++i) {
        const char c = replacement[i];
        const size_t end = c == '&' ? replacement.find(';', i) : std::string_view::npos;
        if (c == '%')
            return worst();
        if (end != std::string_view::npos) {
            const std::string_view reference = replacement.substr(i + 1, end - i - 1);
            Expansion part{2, 0};
            if (reference.empty() || reference[0] != '#') {
                part = lookup(reference, chain + 1);
            } else if (const uint value = characterValue(reference); value == '&' || value == '%') {
                return worst();
            } else if (value == '<') {
                ++depth;
            }
            total.characters += part.characters;
            total.nesting = std::max(total.nesting, depth + part.nesting);
            i = end;
            continue;
        }
        ++total.characters; // a byte for each: more than the characters of a wider encoding
        const char next = i + 1 < replacement.size() ? replacement[i + 1] : 0;
        if (c == '<' && next == '/') {
            depth = std::max(0, depth - 1);
        } else if (c == '<' && next != '!' && next != '?') {
            inTag = true;
            total.nesting = std::max(total.nesting, ++depth);
        } else if (c == '>' && inTag) {
            inTag = false;
            if (previous == '/')
                --depth;
        }
        previous = c;
    }
    return total;
}
