#include "rururoroincrementalreader.h"

#include "rururoroxmllimits.h"

#include <algorithm>
#include <array>
#include <cstring>

using Guard = RurUrOroIncrementalReader::ExpansionGuard;

namespace {

using Bytes = const quint8*;
using ByteSet = std::array<bool, 256>;

ByteSet byteSet(const char* members)
{
    ByteSet set{};
    for (; *members; ++members)
        set[static_cast<quint8>(*members)] = true;
    return set;
}

// The first `byte` in [at, end), or end.
Bytes find(Bytes at, Bytes end, quint8 byte)
{
    const void* found = std::memchr(at, byte, static_cast<std::size_t>(end - at));
    return found ? static_cast<Bytes>(found) : end;
}

// The last `byte` in [at, end), or end.
Bytes findLast(Bytes at, Bytes end, quint8 byte)
{
    const void* found = memrchr(at, byte, static_cast<std::size_t>(end - at));
    return found ? static_cast<Bytes>(found) : end;
}

Bytes findAny(Bytes at, Bytes end, const ByteSet& set)
{
    while (at < end && !set[*at])
        ++at;
    return at;
}

bool holdsAtMost(Bytes at, Bytes end, quint8 byte, int most)
{
    for (int seen = 0; (at = find(at, end, byte)) < end; ++at)
        if (++seen > most)
            return false;
    return true;
}

// Finds the "<!" and "<?" that open comments, CDATA sections, instructions and
// declarations in one block, for a caller that only moves forward: each
// search goes on from where the last one ended.
class SpecialMarkup {
public:
    explicit SpecialMarkup(Bytes end) : end(end) {}

    // The "<" of the first one that starts at or after `at`, or end.
    Bytes next(Bytes at) { return std::min(nextOf('!', bang, at), nextOf('?', question, at)); }

private:
    Bytes nextOf(quint8 mark, Bytes& found, Bytes at)
    {
        if (found && found >= at)
            return found;
        Bytes next = at + 1;
        while ((next = find(next, end, mark)) < end && next[-1] != '<')
            ++next;
        found = next < end ? next - 1 : end;
        return found;
    }

    const Bytes end;
    Bytes bang = nullptr;
    Bytes question = nullptr;
};

} // namespace

// Following every tag costs about a tenth of what the stream reader itself
// spends on a document made mostly of tags. But tags that lie wholly before
// the next comment, CDATA section, instruction or declaration cannot pass the
// limit when all of them together hold no more "=" than one tag may: only the
// last of them, which may go on in the next block, is followed.
void Guard::AttributeCounter::feed(const char* data, qint64 size)
{
    Bytes at = reinterpret_cast<Bytes>(data);
    const Bytes end = at + size;
    SpecialMarkup special(end);
    Bytes lookedAhead = at;
    while (at < end) {
        if (state == State::Content && at >= lookedAhead) {
            lookedAhead = special.next(at);
            if (holdsAtMost(at, lookedAhead, '=', xmllimits::MaxAttributesPerElement))
                at = findLast(at, lookedAhead, '<');
        }
        at = step(at, end);
    }
}

// Handles the byte `at` points to and whatever its state lets it pass over;
// returns where to go on.
Bytes Guard::AttributeCounter::step(Bytes at, Bytes end)
{
    static const ByteSet inTag = byteSet("\"'=>");
    static const ByteSet inDeclaration = byteSet("\"'[>");
    static const ByteSet inDelimited = byteSet("-]?>");
    switch (state) {
    case State::Content:
        at = find(at, end, '<');
        if (at == end)
            return end;
        state = State::TagOpen;
        return at + 1;
    case State::TagOpen:
        if (*at == '!') {
            state = State::BangOpen;
        } else if (*at == '?') {
            beginDelimited('?', 1);
        } else if (*at == '/') {
            state = State::EndTag;
        } else {
            state = State::StartTag;
            attributes = 0;
            return at;
        }
        return at + 1;
    case State::StartTag:
        at = findAny(at, end, inTag);
        if (at == end)
            return end;
        if (*at == '=')
            tooMany = tooMany || ++attributes > xmllimits::MaxAttributesPerElement;
        else if (*at == '>')
            state = State::Content;
        else
            enterQuoted(*at, State::StartTag);
        return at + 1;
    case State::EndTag:
        at = find(at, end, '>');
        if (at == end)
            return end;
        state = State::Content;
        return at + 1;
    case State::BangOpen:
        if (*at == '-') {
            state = State::CommentOpen;
        } else if (*at == '[') {
            beginDelimited(']', 2);
        } else {
            state = State::Declaration;
            return at;
        }
        return at + 1;
    case State::CommentOpen:
        if (*at != '-') {
            state = State::Declaration;
            return at;
        }
        beginDelimited('-', 2);
        return at + 1;
    case State::Delimited: {
        const Bytes next = findAny(at, end, inDelimited);
        if (next != at)
            closersSeen = 0;
        if (next == end)
            return end;
        if (*next == closer) {
            ++closersSeen;
        } else {
            if (*next == '>' && closersSeen >= closersNeeded)
                state = State::Content;
            closersSeen = 0;
        }
        return next + 1;
    }
    case State::Declaration:
        at = findAny(at, end, inDeclaration);
        if (at == end)
            return end;
        if (*at == '"' || *at == '\'') {
            enterQuoted(*at, State::Declaration);
        } else { // the end, or the internal subset, whose declarations are markup of their own
            state = State::Content;
        }
        return at + 1;
    case State::Quoted:
        at = find(at, end, quote);
        if (at == end)
            return end;
        state = afterQuote;
        return at + 1;
    }
    return end;
}

void Guard::AttributeCounter::enterQuoted(quint8 byte, State after)
{
    state = State::Quoted;
    quote = byte;
    afterQuote = after;
}

void Guard::AttributeCounter::beginDelimited(quint8 byte, int needed)
{
    state = State::Delimited;
    closer = byte;
    closersNeeded = needed;
    closersSeen = 0;
}
