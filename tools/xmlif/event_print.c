#include "event_print.h"

#include <stdio.h>

#include "escape.h"

static const char *kindWord(event_kind kind)
{
    switch (kind) {
    case EVENT_ELEMENT: return "element";
    case EVENT_ATTR: return "attr";
    case EVENT_TEXT: return "text";
    case EVENT_END: return "end";
    }
    return "?";
}

static void printJson(const walk_event *event)
{
    printf("{\"event\":\"%s\"", kindWord(event->kind));
    if (event->name) {
        fputs(",\"name\":", stdout);
        escape_json(stdout, event->name);
    }
    if (event->value) {
        fputs(",\"value\":", stdout);
        escape_json(stdout, event->value);
    }
    printf(",\"depth\":%d}\n", event->depth);
}

static void printLine(const walk_event *event, int baseDepth)
{
    int level = event->depth - baseDepth;
    if (event->kind == EVENT_ATTR || event->kind == EVENT_TEXT)
        ++level; /* content sits under its element */
    printf("%*s%s", 2 * (level > 0 ? level : 0), "", kindWord(event->kind));
    if (event->name)
        printf(" %s", event->name);
    if (event->value) {
        fputs(event->kind == EVENT_ATTR ? "=" : " ", stdout);
        escape_quoted(stdout, event->value);
    }
    fputc('\n', stdout);
}

void event_print(const walk_event *event, void *context)
{
    const event_printer *printer = context;
    if (printer->json)
        printJson(event);
    else
        printLine(event, printer->baseDepth);
}
