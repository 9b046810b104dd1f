#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "builder.h"
#include "cli.h"
#include "commands.h"
#include "diagnostics.h"
#include "event_print.h"
#include "exit_codes.h"
#include "input.h"
#include "output.h"
#include "script.h"
#include "walker.h"

static const char help[] =
    "Usage: xmlif selftest\n"
    "\n"
    "Builds a small sample document with the building functions into each\n"
    "writer kind (DOM document, file writer, buffer writer), saves it, loads\n"
    "it again as a DOM document and walks it. Prints the walk once, then one\n"
    "line per writer kind. Fails when a walk differs from what was built or\n"
    "when the file and buffer writers give different bytes.\n";

/* One attribute per element: the DOM gives several in hash order. */
static const char *const sampleScript[] = {
    "open selftest",
    "attr version 1",
    "open book",
    "attr id \"b&\\\"1\\\"\"",
    "open title",
    "text \"Bread & <Butter>\"",
    "close",
    "open price",
    "attr currency EUR",
    "text 22.00",
    "close",
    "open note",
    "close",
    "close",
    "open shelf",
};
enum { SAMPLE_LINES = sizeof sampleScript / sizeof sampleScript[0], MAX_EVENTS = 2 * SAMPLE_LINES };

typedef struct {
    char lines[SAMPLE_LINES][64];
    script_command commands[SAMPLE_LINES];
    walk_event expected[MAX_EVENTS];
    int expectedCount;
} sample;

/* Parses the script and derives the walk a DOM document should give back. */
static void prepareSample(sample *s)
{
    const char *open[SAMPLE_LINES];
    int depth = 0;
    s->expectedCount = 0;
    for (int i = 0; i < SAMPLE_LINES; ++i) {
        char error[128];
        snprintf(s->lines[i], sizeof s->lines[i], "%s", sampleScript[i]);
        script_parse(s->lines[i], &s->commands[i], error, sizeof error);
        const script_command *c = &s->commands[i];
        walk_event *e = &s->expected[s->expectedCount++];
        switch (c->verb) {
        case SCRIPT_OPEN: *e = (walk_event){EVENT_ELEMENT, c->args[0], NULL, depth}; open[depth++] = c->args[0]; break;
        case SCRIPT_ATTR: *e = (walk_event){EVENT_ATTR, c->args[0], c->args[1], depth - 1}; break;
        case SCRIPT_TEXT: *e = (walk_event){EVENT_TEXT, NULL, c->args[0], depth - 1}; break;
        case SCRIPT_CLOSE: --depth; *e = (walk_event){EVENT_END, open[depth], NULL, depth}; break;
        case SCRIPT_NOTHING: --s->expectedCount; break;
        }
    }
    while (depth > 0) {
        --depth;
        s->expected[s->expectedCount++] = (walk_event){EVENT_END, open[depth], NULL, depth};
    }
}

typedef struct {
    const sample *s;
    const event_printer *printer; /* NULL: compare only */
    int seen;
    int mismatchAt; /* -1 while everything matches */
    char got[256];
} comparison;

static bool sameText(const char *a, const char *b)
{
    return (!a && !b) || (a && b && strcmp(a, b) == 0);
}

static void describe(const walk_event *e, char *text, size_t size)
{
    static const char *const words[] = {"element", "attr", "text", "end"};
    snprintf(text, size, "%s%s%s%s%s at depth %d", words[e->kind], e->name ? " " : "", e->name ? e->name : "",
             e->value ? " " : "", e->value ? e->value : "", e->depth);
}

static void compare(const walk_event *event, void *context)
{
    comparison *c = context;
    if (c->printer)
        event_print(event, (void *)c->printer);
    int index = c->seen++;
    if (c->mismatchAt >= 0)
        return;
    const walk_event *want = index < c->s->expectedCount ? &c->s->expected[index] : NULL;
    if (!want || want->kind != event->kind || want->depth != event->depth || !sameText(want->name, event->name) ||
        !sameText(want->value, event->value)) {
        c->mismatchAt = index;
        describe(event, c->got, sizeof c->got);
    }
}

static const char *kindName(writer_kind kind)
{
    static const char *const names[] = {"a DOM document", "the file writer", "the buffer writer"};
    return names[kind];
}

static int build(const sample *s, writer_kind kind, const char *path)
{
    builder b;
    builder_init(&b, kind);
    char error[256] = "";
    int status = EXIT_OK;
    for (int i = 0; i < SAMPLE_LINES && status == EXIT_OK; ++i)
        status = builder_apply(&b, &s->commands[i], error, sizeof error);
    if (status == EXIT_OK)
        status = builder_finish(&b, path, error, sizeof error);
    builder_discard(&b);
    return status == EXIT_SCRIPT ? diag_error(EXIT_SELFTEST, "selftest: sample refused: %s", error) : status;
}

static int reloadAndCompare(const sample *s, writer_kind kind, const char *path, const event_printer *printer)
{
    input_document in;
    comparison c = {s, printer, 0, -1, ""};
    int status = input_open(path, false, &in);
    if (status == EXIT_OK)
        status = walk_dom(in.doc, NULL, path, compare, &c);
    input_close(&in);
    if (status != EXIT_OK)
        return status;
    if (c.mismatchAt < 0 && c.seen != s->expectedCount)
        c.mismatchAt = c.seen < s->expectedCount ? c.seen : s->expectedCount;
    if (c.mismatchAt >= 0) {
        char want[256] = "nothing";
        if (c.mismatchAt < s->expectedCount)
            describe(&s->expected[c.mismatchAt], want, sizeof want);
        return diag_error(EXIT_SELFTEST, "selftest: round trip through %s differs at event %d: built %s, got %s",
                          kindName(kind), c.mismatchAt + 1, want, c.seen > c.mismatchAt ? c.got : "nothing");
    }
    printf("round trip through %s: %d events as built\n", kindName(kind), c.seen);
    return EXIT_OK;
}

static bool sameBytes(const char *pathA, const char *pathB)
{
    FILE *a = fopen(pathA, "rb"), *b = fopen(pathB, "rb");
    bool same = a && b;
    while (same) {
        int ca = fgetc(a), cb = fgetc(b);
        same = ca == cb;
        if (ca == EOF)
            break;
    }
    if (a)
        fclose(a);
    if (b)
        fclose(b);
    return same;
}

int cmd_selftest(int argc, char **argv)
{
    const cli_syntax syntax = {"selftest", help, NULL, 0, 0, 0};
    int argCount = 0;
    int status = cli_parse(&syntax, argc, argv, NULL, &argCount);
    if (status != CLI_NOT_DONE)
        return status;

    status = EXIT_OK;
    sample s;
    prepareSample(&s);
    char paths[3][4096];
    int made = 0;
    const event_printer printer = {false, 0};
    while (made < 3 && status == EXIT_OK) {
        if (!output_temp_file(paths[made], sizeof paths[made])) {
            status = EXIT_OUTPUT;
            break;
        }
        writer_kind kind = (writer_kind)made;
        status = build(&s, kind, paths[made]);
        if (status == EXIT_OK)
            status = reloadAndCompare(&s, kind, paths[made], kind == WRITER_DOM ? &printer : NULL);
        ++made;
    }
    if (status == EXIT_OK) {
        bool same = sameBytes(paths[WRITER_FILE], paths[WRITER_BUFFER]);
        printf("file and buffer writer bytes: %s\n", same ? "identical" : "different");
        if (!same)
            status = diag_error(EXIT_SELFTEST, "selftest: the file and buffer writers gave different bytes");
    }
    while (made > 0)
        remove(paths[--made]);
    if (status == EXIT_OK)
        puts("selftest passed");
    return status;
}
