#include <stdio.h>
#include <string.h>

#include "cli.h"
#include "commands.h"
#include "exit_codes.h"
#include "input.h"
#include "monotonic.h"
#include "progress.h"
#include "walker.h"

static const char help[] =
    "Usage: xmlif stats FILE\n"
    "\n"
    "Reads FILE (\"-\" reads standard input) with the incremental reader in\n"
    "constant memory and prints the number of elements and attributes, the\n"
    "bytes of text the reader reports, the deepest nesting (the document\n"
    "element is at depth 1), the time taken and the speed in MB/s (10^6 bytes).\n"
    "When standard error is a terminal and FILE is larger than 4 MiB, a\n"
    "progress bar is drawn there while reading.\n";

typedef struct {
    long long elements;
    long long attributes;
    long long textBytes;
    int maxDepth;
    progress_bar bar;
} tally;

static void count(const walk_event *event, void *context)
{
    tally *t = context;
    switch (event->kind) {
    case EVENT_ELEMENT:
        ++t->elements;
        /* The reader counts the document start as a level. */
        if (event->depth - 1 > t->maxDepth)
            t->maxDepth = event->depth - 1;
        break;
    case EVENT_ATTR:
        ++t->attributes;
        break;
    case EVENT_TEXT:
        t->textBytes += (long long)strlen(event->value);
        break;
    case EVENT_END:
        break;
    }
    progress_tick(&t->bar);
}

static void printTally(const tally *t, long long size, double seconds)
{
    printf("elements:    %lld\n", t->elements);
    printf("attributes:  %lld\n", t->attributes);
    printf("text bytes:  %lld\n", t->textBytes);
    printf("max depth:   %d\n", t->maxDepth);
    printf("input bytes: %lld\n", size);
    printf("time:        %.3f s\n", seconds);
    printf("speed:       %.1f MB/s\n", seconds > 0 ? (double)size / 1e6 / seconds : 0.0);
}

int cmd_stats(int argc, char **argv)
{
    const cli_syntax syntax = {"stats", help, NULL, 0, 1, 1};
    const char *args[1];
    int argCount = 0;
    int status = cli_parse(&syntax, argc, argv, args, &argCount);
    if (status != CLI_NOT_DONE)
        return status;

    double started = monotonic_seconds();
    input_document in;
    status = input_open(args[0], true, &in);
    if (status == EXIT_OK) {
        tally t = {0, 0, 0, 0, {0}};
        progress_init(&t.bar, in.doc, in.size);
        status = walk_stream(in.doc, NULL, in.label, count, &t);
        progress_finish(&t.bar);
        if (status == EXIT_OK)
            printTally(&t, in.size, monotonic_seconds() - started);
    }
    input_close(&in);
    return status;
}
