// Line and column as Qt's parsers count them: lines from 1; CR, LF and CR LF
// each end one; columns in UTF-16 units, so UTF-8 continuation bytes add
// nothing and a four-byte sequence adds two.
#pragma once

#include <QtGlobal>

struct XmlTextPosition {
    int line = 1;
    int column = 0;

    // Moves past `count` more units of the same input.
    template <typename Unit>
    void advance(const Unit* units, qint64 count)
    {
        for (const Unit* const end = units + count; units < end; ++units) {
            const char32_t unit = *units;
            if (unit == '\r' || (unit == '\n' && !afterCarriageReturn)) {
                ++line;
                column = 0;
            } else if (unit != '\n' && !(sizeof(Unit) == 1 && (unit & 0xC0) == 0x80)) {
                column += (sizeof(Unit) == 1 && unit >= 0xF0) ? 2 : 1;
            }
            afterCarriageReturn = unit == '\r';
        }
    }

private:
    bool afterCarriageReturn = false;
};
