#include "escape.h"

#include <stddef.h>

/* Short escape letter for a control byte shared by both forms, or 0. */
static char shortEscape(unsigned char c)
{
    switch (c) {
    case '"': return '"';
    case '\\': return '\\';
    case '\n': return 'n';
    case '\r': return 'r';
    case '\t': return 't';
    default: return 0;
    }
}

void escape_quoted(FILE *out, const char *text)
{
    fputc('"', out);
    for (const unsigned char *p = (const unsigned char *)text; *p; ++p) {
        char letter = shortEscape(*p);
        if (letter)
            fprintf(out, "\\%c", letter);
        else if (*p < 0x20 || *p == 0x7f)
            fprintf(out, "\\x%02x", *p);
        else
            fputc(*p, out);
    }
    fputc('"', out);
}

/* Length of the well-formed UTF-8 sequence at `p` (1 to 4), or 0. */
static size_t utf8Length(const unsigned char *p)
{
    unsigned char lead = p[0];
    size_t length;
    unsigned char low = 0x80, high = 0xbf; /* allowed range of the second byte */
    if (lead < 0x80)
        return 1;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        if (lead == 0xe0)
            low = 0xa0; /* overlong */
        if (lead == 0xed)
            high = 0x9f; /* surrogates */
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        if (lead == 0xf0)
            low = 0x90;
        if (lead == 0xf4)
            high = 0x8f;
    } else {
        return 0;
    }
    if (p[1] < low || p[1] > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if (p[i] < 0x80 || p[i] > 0xbf)
            return 0;
    return length;
}

void escape_json(FILE *out, const char *text)
{
    fputc('"', out);
    const unsigned char *p = (const unsigned char *)text;
    while (*p) {
        char letter = shortEscape(*p);
        size_t length = utf8Length(p);
        if (letter) {
            fprintf(out, "\\%c", letter);
        } else if (*p < 0x20) {
            fprintf(out, "\\u%04x", *p);
        } else if (length == 0) {
            fputs("\\ufffd", out);
            length = 1;
        } else {
            fwrite(p, 1, length, out);
        }
        p += length;
    }
    fputc('"', out);
}
