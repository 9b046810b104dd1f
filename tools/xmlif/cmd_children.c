#define _POSIX_C_SOURCE 200809L
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "captured_log.h"
#include "cli.h"
#include "commands.h"
#include "diagnostics.h"
#include "escape.h"
#include "exit_codes.h"
#include "gen_qtxmlif.h"
#include "input.h"
#include "ruziradavod.h"

static const char help[] =
    "Usage: xmlif children [--json] FILE [NAME/NAME/...]\n"
    "\n"
    "Lists the child elements of the document element of FILE (\"-\" reads\n"
    "standard input) or, given a path, of the element reached by following\n"
    "from the document element the first child of each NAME in turn. Each\n"
    "child is shown with its attribute count and the line where its start tag\n"
    "ends. FILE is read with the incremental reader, only as far as needed.\n"
    "\n"
    "  --json   one JSON object per child: \"name\", \"attributes\", \"line\"\n";

typedef struct {
    int doc;
    const char *input;
    bool json;
} listing;

/* Skips the rest of the child's element so that the next child found is its
 * sibling. The library releases the handle when it closes the element. */
static void skipElement(const listing *l, void **child, int depth)
{
    bool closed = false;
    int newDepth = -1;
    gen__qtxmlif_close_existing_node(l->doc, *child, depth, &newDepth, &closed);
    if (closed)
        *child = NULL;
}

/* The next child element of `parent`; *child holds the previous one on entry.
 * Returns the exit status; *child is NULL after the last child. */
static int nextChild(const listing *l, void *parent, void **child, char **name, int *depth)
{
    *name = NULL;
    uint32_t status = gen__qtxmlif_get_next_child_node_2(l->doc, parent, name, depth, child);
    if (status != GEN__QTXMLIF_OK || captured_log_parse_failed())
        return diag_explain(status, l->input);
    return EXIT_OK;
}

/* Replaces *element by its first child named `wanted`. */
static int descend(const listing *l, void **element, const char *wanted, const char *path)
{
    void *child = NULL;
    for (;;) {
        char *name = NULL;
        int depth = -1;
        int status = nextChild(l, *element, &child, &name, &depth);
        bool found = child && strcmp(name, wanted) == 0;
        gen__mem_free(name, 1, __FILE__, __LINE__);
        if (status != EXIT_OK)
            return status;
        if (!child)
            return diag_error(EXIT_NO_ELEMENT, "%s: no element at \"%s\": no child named \"%s\"", l->input, path,
                              wanted);
        if (found)
            break;
        skipElement(l, &child, depth);
    }
    gen__qtxmlif_delete_node(element);
    *element = child;
    return EXIT_OK;
}

static void printChild(const listing *l, const char *name, int attributes, int line)
{
    if (l->json) {
        fputs("{\"name\":", stdout);
        escape_json(stdout, name);
        printf(",\"attributes\":%d,\"line\":%d}\n", attributes, line);
    } else {
        printf("line %d: %s, %d attribute%s\n", line, name, attributes, attributes == 1 ? "" : "s");
    }
}

static int listChildren(const listing *l, void *parent)
{
    void *child = NULL;
    int shown = 0;
    for (;;) {
        char *name = NULL;
        int depth = -1;
        int status = nextChild(l, parent, &child, &name, &depth);
        if (status != EXIT_OK || !child) {
            gen__mem_free(name, 1, __FILE__, __LINE__);
            if (status == EXIT_OK && shown == 0 && !l->json)
                puts("(no child elements)");
            return status;
        }
        /* Both answer for the start tag the reader has just read. */
        int attributes = 0, line = -1;
        gen__qtxmlif_get_attribute_count(l->doc, child, &attributes);
        gen__qtxmlif_get_line_number(l->doc, &line);
        printChild(l, name, attributes, line);
        ++shown;
        gen__mem_free(name, 1, __FILE__, __LINE__);
        skipElement(l, &child, depth);
    }
}

static int listAt(const listing *l, const char *path)
{
    captured_log_clear();
    void *element = NULL; /* the reader's start handle is the caller's */
    uint32_t begun = gen__qtxmlif_begin_traversion(l->doc, NULL, &element);
    if (begun != GEN__QTXMLIF_OK)
        return diag_explain(begun, l->input);

    char *segments = strdup(path ? path : "");
    int status = segments ? EXIT_OK : diag_error(EXIT_LIBRARY, "out of memory");
    for (char *save = NULL, *name = segments ? strtok_r(segments, "/", &save) : NULL; name && status == EXIT_OK;
         name = strtok_r(NULL, "/", &save))
        status = descend(l, &element, name, path);
    if (status == EXIT_OK)
        status = listChildren(l, element);
    free(segments);
    gen__qtxmlif_delete_node(&element);
    return status;
}

int cmd_children(int argc, char **argv)
{
    bool json = false;
    const cli_option options[] = {{"--json", NULL, &json}};
    const cli_syntax syntax = {"children", help, options, 1, 1, 2};
    const char *args[2];
    int argCount = 0;
    int status = cli_parse(&syntax, argc, argv, args, &argCount);
    if (status != CLI_NOT_DONE)
        return status;

    input_document in;
    status = input_open(args[0], true, &in);
    if (status == EXIT_OK) {
        listing l = {in.doc, in.label, json};
        status = listAt(&l, argCount > 1 ? args[1] : NULL);
    }
    input_close(&in);
    return status;
}
