#define _GNU_SOURCE
#include "recorder.h"
#include "ruziradavod.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef struct {
    record_kind kind;
    char *level;
    char *format;
    char *text;
    char *file;
    int line;
} record;

static record *records;
static int recordCount;
static int recordCapacity;
static long stringsMade;
static long stringsFreed;

static char *copyOf(const char *text)
{
    return text ? strdup(text) : NULL;
}

static record *append(record_kind kind)
{
    if (recordCount == recordCapacity) {
        recordCapacity = recordCapacity ? recordCapacity * 2 : 64;
        records = realloc(records, (size_t)recordCapacity * sizeof *records);
        if (!records)
            abort();
    }
    record *entry = &records[recordCount++];
    memset(entry, 0, sizeof *entry);
    entry->kind = kind;
    return entry;
}

void recorder_reset(void)
{
    for (int i = 0; i < recordCount; ++i) {
        free(records[i].level);
        free(records[i].format);
        free(records[i].text);
        free(records[i].file);
    }
    free(records);
    records = NULL;
    recordCount = recordCapacity = 0;
}

static const record *at(int index)
{
    static const record none = {RECORD_LOG, NULL, NULL, NULL, NULL, 0};
    return index >= 0 && index < recordCount ? &records[index] : &none;
}

int recorder_count(void) { return recordCount; }
record_kind recorder_kind(int index) { return at(index)->kind; }
const char *recorder_level(int index) { return at(index)->level; }
const char *recorder_format(int index) { return at(index)->format; }
const char *recorder_text(int index) { return at(index)->text; }
const char *recorder_file(int index) { return at(index)->file; }
int recorder_line(int index) { return at(index)->line; }

static int countKind(record_kind kind)
{
    int n = 0;
    for (int i = 0; i < recordCount; ++i)
        n += records[i].kind == kind;
    return n;
}

int recorder_logs(const char *level)
{
    int n = 0;
    for (int i = 0; i < recordCount; ++i)
        if (records[i].kind == RECORD_LOG && (!level || strcmp(records[i].level, level) == 0))
            ++n;
    return n;
}

int recorder_sounds(void) { return countKind(RECORD_SOUND); }
int recorder_status_checks(void) { return countKind(RECORD_STATUS); }

int recorder_last_log(void)
{
    for (int i = recordCount - 1; i >= 0; --i)
        if (records[i].kind == RECORD_LOG)
            return i;
    return -1;
}

int recorder_sounds_follow_reports(void)
{
    for (int i = 0; i < recordCount; ++i) {
        int isReport = records[i].kind == RECORD_LOG && strcmp(records[i].level, "INTERNAL") == 0;
        int nextIsSound = i + 1 < recordCount && records[i + 1].kind == RECORD_SOUND;
        if (isReport && !nextIsSound)
            return 0;
        if (records[i].kind == RECORD_SOUND && !(i > 0 && records[i - 1].kind == RECORD_LOG &&
                                                 strcmp(records[i - 1].level, "INTERNAL") == 0))
            return 0;
    }
    return 1;
}

long recorder_strings_outstanding(void) { return stringsMade - stringsFreed; }
long recorder_strings_made(void) { return stringsMade; }

void gen__log_write(const char *level, const char *format, ...)
{
    record *entry = append(RECORD_LOG);
    entry->level = copyOf(level ? level : "");
    entry->format = copyOf(format ? format : "");
    va_list args;
    va_start(args, format);
    if (!format || vasprintf(&entry->text, format, args) < 0)
        entry->text = copyOf("");
    va_end(args);
}

void gen__err_sound(void)
{
    append(RECORD_SOUND);
}

void gen__log_status_check(const char *file, int line)
{
    record *entry = append(RECORD_STATUS);
    entry->file = copyOf(file ? file : "");
    entry->line = line;
}

char *gen__str_dup_fn(const char *text, const char *file, int line)
{
    (void)file;
    (void)line;
    if (!text)
        return NULL;
    ++stringsMade;
    return strdup(text);
}

void gen__mem_free(void *pointer, int kind, const char *file, int line)
{
    (void)kind;
    (void)file;
    (void)line;
    if (pointer)
        ++stringsFreed;
    free(pointer);
}
