#include "script.h"

#include <stdio.h>
#include <string.h>

typedef struct {
    const char *word;
    script_verb verb;
    int argCount;
    const char *usage;
} verb_entry;

static const verb_entry verbs[] = {
    {"open", SCRIPT_OPEN, 1, "open takes one argument, the element name"},
    {"attr", SCRIPT_ATTR, 2, "attr takes two arguments, the name and the value"},
    {"text", SCRIPT_TEXT, 1, "text takes one argument (quote a text with blanks)"},
    {"close", SCRIPT_CLOSE, 0, "close takes no argument"},
};

static bool isBlank(char c) { return c == ' ' || c == '\t'; }

static bool isLineEnd(char c) { return c == '\0' || c == '\n' || c == '\r'; }

static char unescape(char c)
{
    switch (c) {
    case '"': return '"';
    case '\\': return '\\';
    case 'n': return '\n';
    case 't': return '\t';
    case 'r': return '\r';
    default: return '\0';
    }
}

/* Decodes the quoted argument at *cursor (on its opening quote) in place and
 * moves *cursor past it. Returns NULL when well-formed, else the problem. */
static const char *takeQuoted(char **cursor)
{
    char *read = *cursor + 1, *write = *cursor;
    for (;;) {
        if (isLineEnd(*read))
            return "a quoted argument has no closing quote";
        if (*read == '"')
            break;
        if (*read == '\\') {
            char c = unescape(read[1]);
            if (!c)
                return "unknown escape in a quoted argument (use \\\" \\\\ \\n \\t or \\r)";
            *write++ = c;
            read += 2;
        } else {
            *write++ = *read++;
        }
    }
    ++read;
    if (!isLineEnd(*read) && !isBlank(*read))
        return "a quoted argument must be followed by a blank";
    *write = '\0';
    *cursor = read;
    return NULL;
}

/* Splits the line into at most `capacity` words; *count may exceed capacity. */
static const char *split(char *line, char **words, int capacity, int *count)
{
    *count = 0;
    char *cursor = line;
    for (;;) {
        while (isBlank(*cursor))
            ++cursor;
        if (isLineEnd(*cursor)) {
            *cursor = '\0';
            return NULL;
        }
        char *word = cursor;
        if (*cursor == '"') {
            const char *problem = takeQuoted(&cursor);
            if (problem)
                return problem;
        } else {
            while (!isBlank(*cursor) && !isLineEnd(*cursor))
                ++cursor;
        }
        bool atEnd = isLineEnd(*cursor);
        *cursor = '\0';
        if (*count < capacity)
            words[*count] = word;
        ++*count;
        if (atEnd)
            return NULL;
        ++cursor;
    }
}

bool script_parse(char *line, script_command *command, char *error, size_t errorSize)
{
    memset(command, 0, sizeof *command);
    const char *first = line;
    while (isBlank(*first))
        ++first;
    if (*first == '#')
        return true;
    char *words[3];
    int count = 0;
    const char *problem = split(line, words, 3, &count);
    if (problem) {
        snprintf(error, errorSize, "%s", problem);
        return false;
    }
    if (count == 0)
        return true;
    for (size_t i = 0; i < sizeof verbs / sizeof verbs[0]; ++i) {
        if (strcmp(words[0], verbs[i].word) != 0)
            continue;
        if (count - 1 != verbs[i].argCount) {
            snprintf(error, errorSize, "%s", verbs[i].usage);
            return false;
        }
        command->verb = verbs[i].verb;
        command->args[0] = count > 1 ? words[1] : NULL;
        command->args[1] = count > 2 ? words[2] : NULL;
        return true;
    }
    snprintf(error, errorSize, "unknown command \"%s\" (use open, attr, text or close)", words[0]);
    return false;
}
