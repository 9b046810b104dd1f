/* Checks that every line of a file is one JSON object (JSON Lines) and that
 * there is at least one line. Prints the first bad line and exits 1. */
#define _POSIX_C_SOURCE 200809L
#include <stdbool.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static bool value(const char **p, int depth);

static void blanks(const char **p)
{
    while (**p == ' ' || **p == '\t' || **p == '\r')
        ++*p;
}

static bool literal(const char **p, const char *word)
{
    size_t n = strlen(word);
    if (strncmp(*p, word, n) != 0)
        return false;
    *p += n;
    return true;
}

static bool digits(const char **p)
{
    const char *start = *p;
    while (**p >= '0' && **p <= '9')
        ++*p;
    return *p > start;
}

static bool number(const char **p)
{
    if (**p == '-')
        ++*p;
    if (**p == '0')
        ++*p;
    else if (!digits(p))
        return false;
    if (**p == '.' && (++*p, !digits(p)))
        return false;
    if (**p == 'e' || **p == 'E') {
        ++*p;
        if (**p == '+' || **p == '-')
            ++*p;
        return digits(p);
    }
    return true;
}

/* One well-formed UTF-8 sequence of two to four bytes. */
static bool multibyte(const unsigned char **p)
{
    unsigned char lead = **p;
    int length = lead >= 0xc2 && lead <= 0xdf ? 2 : lead >= 0xe0 && lead <= 0xef ? 3 : lead >= 0xf0 && lead <= 0xf4 ? 4 : 0;
    unsigned char low = lead == 0xe0 ? 0xa0 : lead == 0xf0 ? 0x90 : 0x80;
    unsigned char high = lead == 0xed ? 0x9f : lead == 0xf4 ? 0x8f : 0xbf;
    if (!length || (*p)[1] < low || (*p)[1] > high)
        return false;
    for (int i = 2; i < length; ++i)
        if ((*p)[i] < 0x80 || (*p)[i] > 0xbf)
            return false;
    *p += length;
    return true;
}

static bool string(const char **text)
{
    const unsigned char *p = (const unsigned char *)*text;
    if (*p++ != '"')
        return false;
    while (*p != '"') {
        if (*p < 0x20)
            return false;
        if (*p == '\\') {
            ++p;
            if (*p == 'u') {
                for (int i = 1; i <= 4; ++i)
                    if (!p[i] || !strchr("0123456789abcdefABCDEF", p[i]))
                        return false;
                p += 5;
            } else if (*p && strchr("\"\\/bfnrt", *p)) {
                ++p;
            } else {
                return false;
            }
        } else if (*p < 0x80) {
            ++p;
        } else if (!multibyte(&p)) {
            return false;
        }
    }
    *text = (const char *)p + 1;
    return true;
}

/* Members of an object (`close` '}') or elements of an array (']'). */
static bool members(const char **p, char close, int depth)
{
    ++*p;
    blanks(p);
    if (**p == close)
        return ++*p, true;
    for (;;) {
        if (close == '}') {
            if (!string(p))
                return false;
            blanks(p);
            if (*(*p)++ != ':')
                return false;
        }
        if (!value(p, depth + 1))
            return false;
        blanks(p);
        if (**p == close)
            return ++*p, true;
        if (*(*p)++ != ',')
            return false;
    }
}

static bool value(const char **p, int depth)
{
    if (depth > 64)
        return false;
    blanks(p);
    bool ok;
    switch (**p) {
    case '{': ok = members(p, '}', depth); break;
    case '[': ok = members(p, ']', depth); break;
    case '"': ok = string(p); break;
    case 't': ok = literal(p, "true"); break;
    case 'f': ok = literal(p, "false"); break;
    case 'n': ok = literal(p, "null"); break;
    default: ok = number(p); break;
    }
    blanks(p);
    return ok;
}

int main(int argc, char **argv)
{
    FILE *in = argc == 2 ? fopen(argv[1], "rb") : NULL;
    if (!in) {
        fprintf(stderr, "usage: jsonl_check FILE (a readable file)\n");
        return 2;
    }
    char *line = NULL;
    size_t capacity = 0;
    ssize_t length;
    int lineNumber = 0, bad = 0;
    while (!bad && (length = getline(&line, &capacity, in)) >= 0) {
        ++lineNumber;
        if (length > 0 && line[length - 1] == '\n')
            line[--length] = '\0';
        const char *p = line;
        if ((size_t)length != strlen(line) || *p != '{' || !value(&p, 0) || *p != '\0')
            bad = lineNumber;
    }
    if (bad)
        fprintf(stderr, "line %d is not one JSON object: %s\n", bad, line);
    else if (lineNumber == 0)
        fprintf(stderr, "no lines\n");
    free(line);
    fclose(in);
    return bad || lineNumber == 0 ? 1 : 0;
}
