/* The tool's own versions of the five support calls. The executable exports
 * them, so the library's calls reach these instead of the stand-in library:
 * reports are captured for the tool's own messages, nothing goes to the
 * terminal behind the tool's back, and strings are plain heap copies. */
#define _POSIX_C_SOURCE 200809L
#include "captured_log.h"
#include "rururoro_message_keys.h"
#include "ruziradavod.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define EXPORTED __attribute__((visibility("default")))

static const char keyMarker[] = "@$@#";
static logged_entry latest;
static bool parseFailed;

void captured_log_clear(void)
{
    memset(&latest, 0, sizeof latest);
    parseFailed = false;
}

const logged_entry *captured_log_last(void) { return &latest; }

bool captured_log_parse_failed(void) { return parseFailed; }

static void copyText(char *target, size_t size, const char *text)
{
    snprintf(target, size, "%s", text ? text : "");
}

/* "@$@#module@$@#category@$@#number@$@#text": the number and the text, or
 * NULL when `format` is not a message key. */
static const char *splitKey(const char *format, int *number)
{
    const size_t markerLength = sizeof keyMarker - 1;
    if (strncmp(format, keyMarker, markerLength) != 0)
        return NULL;
    const char *field = format + markerLength;
    for (int i = 0; i < 3; ++i) {
        const char *next = strstr(field, keyMarker);
        if (!next)
            return NULL;
        if (i == 2)
            *number = atoi(field);
        field = next + markerLength;
    }
    return field;
}

/* Keys whose first value is the path the caller passed. */
static bool keyNamesPath(int number)
{
    return number == RURUROR_KEY_FILE_NOT_FOUND || number == RURUROR_KEY_FILE_NOT_OPENED ||
           number == RURUROR_KEY_SYNTAX_ERROR || number == RURUROR_KEY_SAVE_FILE_NOT_OPENED ||
           number == RURUROR_KEY_SAVE_FAILED;
}

static void captureKey(int number, const char *text, va_list args)
{
    latest.kind = LOGGED_KEY;
    latest.number = number;
    va_list copy;
    va_copy(copy, args);
    vsnprintf(latest.text, sizeof latest.text, text, copy);
    va_end(copy);
    if (keyNamesPath(number))
        copyText(latest.subject, sizeof latest.subject, va_arg(args, const char *));
    if (number == RURUROR_KEY_SYNTAX_ERROR) {
        latest.line = va_arg(args, int);
        latest.column = va_arg(args, int);
    }
}

EXPORTED void gen__log_write(const char *level, const char *format, ...)
{
    if (!level || !format)
        return;
    va_list args;
    va_start(args, format);
    int number = 0;
    const char *keyText = splitKey(format, &number);
    if (keyText) {
        captureKey(number, keyText, args);
    } else if (strcmp(level, "WARNING") == 0) {
        /* The stream reader's error report: reason, line, column, offset. */
        latest.kind = LOGGED_PARSE_ERROR;
        copyText(latest.subject, sizeof latest.subject, va_arg(args, const char *));
        latest.line = va_arg(args, int);
        latest.column = va_arg(args, int);
        parseFailed = true;
    } else if (strcmp(level, "INTERNAL") == 0) {
        va_list copy;
        va_copy(copy, args);
        vsnprintf(latest.text, sizeof latest.text, format, copy);
        va_end(copy);
        latest.kind = LOGGED_CONTRACT;
        copyText(latest.subject, sizeof latest.subject, va_arg(args, const char *));
    }
    /* "NONE" (a parse that ended well) explains no failure. */
    va_end(args);
}

/* The failure is reported by the tool itself; a beep would only disturb. */
EXPORTED void gen__err_sound(void) {}

EXPORTED void gen__log_status_check(const char *file, int line)
{
    (void)file;
    (void)line;
}

EXPORTED char *gen__str_dup_fn(const char *text, const char *file, int line)
{
    (void)file;
    (void)line;
    return strdup(text ? text : "");
}

EXPORTED void gen__mem_free(void *pointer, int kind, const char *file, int line)
{
    (void)kind;
    (void)file;
    (void)line;
    free(pointer);
}
