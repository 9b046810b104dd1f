#define _POSIX_C_SOURCE 200809L
#include "ruziradavod.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static const char keyMarker[] = "@$@#";

/* Splits "@$@#module@$@#category@$@#number@$@#text" into its fields; returns 0
 * when `format` is not a message key. */
static int splitKey(const char *format, const char *fields[4], size_t lengths[4])
{
    const size_t markerLength = sizeof keyMarker - 1;
    if (strncmp(format, keyMarker, markerLength) != 0)
        return 0;
    const char *cursor = format + markerLength;
    for (int i = 0; i < 3; ++i) {
        const char *next = strstr(cursor, keyMarker);
        if (!next)
            return 0;
        fields[i] = cursor;
        lengths[i] = (size_t)(next - cursor);
        cursor = next + markerLength;
    }
    fields[3] = cursor;
    lengths[3] = strlen(cursor);
    return 1;
}

void gen__log_write(const char *level, const char *format, ...)
{
    if (!format)
        return;
    const char *fields[4];
    size_t lengths[4];
    va_list args;
    va_start(args, format);
    fprintf(stderr, "%s: ", level ? level : "LOG");
    if (splitKey(format, fields, lengths)) {
        /* A key renders as its default text, tagged with module and number. */
        fprintf(stderr, "[%.*s %.*s] ", (int)lengths[0], fields[0], (int)lengths[2], fields[2]);
        vfprintf(stderr, fields[3], args);
    } else {
        vfprintf(stderr, format, args);
    }
    va_end(args);
    size_t formatLength = strlen(format);
    if (formatLength == 0 || format[formatLength - 1] != '\n')
        fputc('\n', stderr);
}

void gen__err_sound(void)
{
    if (isatty(STDERR_FILENO)) {
        fputc('\a', stderr);
        fflush(stderr);
    }
}

void gen__log_status_check(const char *file, int line)
{
    (void)file;
    (void)line;
}

char *gen__str_dup_fn(const char *text, const char *file, int line)
{
    (void)file;
    (void)line;
    return text ? strdup(text) : NULL;
}

void gen__mem_free(void *pointer, int kind, const char *file, int line)
{
    (void)kind;
    (void)file;
    (void)line;
    free(pointer);
}
