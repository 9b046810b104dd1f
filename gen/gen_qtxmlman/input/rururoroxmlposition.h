// Line and column as Qt's parsers count them: lines from 1; CR, LF and CR LF
// each end one; columns in UTF-16 units, so UTF-8 continuation bytes add
// nothing and a four-byte sequence adds two.
#pragma once

#include <QtGlobal>

#include <algorithm>
#include <cstring>

struct XmlTextPosition {
    int line = 1;
    int column = 0;

    // Moves past `count` more units of the same input. A DOM load moves one
    // through the whole document, so line breaks are searched for and the
    // characters between them counted eight bytes at a time.
    template <typename Unit>
    void advance(const Unit* units, qint64 count)
    {
        const Unit* const end = units + count;
        for (;;) {
            const Unit* const lineBreak = findLineBreak(units, end);
            if (lineBreak != units) {
                column += int(utf16Length(units, lineBreak));
                afterCarriageReturn = false;
            }
            if (lineBreak == end)
                return;
            if (!(*lineBreak == '\n' && afterCarriageReturn)) {
                ++line;
                column = 0;
            }
            afterCarriageReturn = *lineBreak == '\r';
            units = lineBreak + 1;
        }
    }

private:
    static const uchar* findLineBreak(const uchar* from, const uchar* end)
    {
        const void* const feed = std::memchr(from, '\n', size_t(end - from));
        const uchar* const stop = feed ? static_cast<const uchar*>(feed) : end;
        const void* const carriageReturn = std::memchr(from, '\r', size_t(stop - from));
        return carriageReturn ? static_cast<const uchar*>(carriageReturn) : stop;
    }
    static const char16_t* findLineBreak(const char16_t* from, const char16_t* end)
    {
        return std::find_if(from, end, [](char16_t unit) { return unit == '\n' || unit == '\r'; });
    }

    static qint64 utf16Length(const uchar* from, const uchar* end)
    {
        qint64 length = 0;
        for (; end - from >= 8; from += 8) {
            quint64 eight;
            std::memcpy(&eight, from, sizeof eight);
            if ((eight & 0x8080808080808080ULL) == 0)
                length += 8;
            else
                length += utf16Length8(from, from + 8);
        }
        return length + utf16Length8(from, end);
    }
    static qint64 utf16Length8(const uchar* from, const uchar* end)
    {
        qint64 length = 0;
        for (; from < end; ++from)
            length += (*from & 0xC0) == 0x80 ? 0 : *from >= 0xF0 ? 2 : 1;
        return length;
    }
    static qint64 utf16Length(const char16_t* from, const char16_t* end) { return end - from; }

    bool afterCarriageReturn = false;
};
