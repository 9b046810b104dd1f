#include <stdlib.h>

#include "captured_log.h"
#include "diagnostics.h"
#include "exit_codes.h"
#include "gen_qtxmlif.h"
#include "ruziradavod.h"
#include "walker.h"

/* An element whose end is still due, with the reader's handle on it: the
 * handle names the parent when the walk asks for the next child. */
typedef struct {
    void *handle;
    char *name;
    int depth;
} open_element;

typedef struct {
    open_element *items;
    int count;
    int capacity;
    void *outermost; /* handle of the walk's first element once it has ended */
} walk_state;

static bool push(walk_state *state, void *handle, char *name, int depth)
{
    if (state->count == state->capacity) {
        int capacity = state->capacity ? 2 * state->capacity : 16;
        open_element *items = realloc(state->items, (size_t)capacity * sizeof *items);
        if (!items)
            return false;
        state->items = items;
        state->capacity = capacity;
    }
    state->items[state->count++] = (open_element){handle, name, depth};
    return true;
}

/* Reports the end of the innermost open element and forgets it. */
static void closeInnermost(walk_state *state, walk_visitor visit, void *context)
{
    open_element *top = &state->items[--state->count];
    walk_event event = {EVENT_END, top->name, NULL, top->depth};
    visit(&event, context);
    if (state->count == 0)
        state->outermost = top->handle;
    else
        gen__qtxmlif_delete_node(&top->handle);
    gen__mem_free(top->name, 1, __FILE__, __LINE__);
}

static void releaseAll(walk_state *state)
{
    while (state->count > 0) {
        open_element *top = &state->items[--state->count];
        gen__qtxmlif_delete_node(&top->handle);
        gen__mem_free(top->name, 1, __FILE__, __LINE__);
    }
    gen__qtxmlif_delete_node(&state->outermost);
    free(state->items);
}

/* Reports events until the reader signals the end of the element it reported
 * last. Returns the status of that last call. */
static uint32_t readUntilEnd(int doc, walk_state *state, walk_visitor visit, void *context)
{
    for (;;) {
        int type = -1, depth = -1;
        char *name = NULL, *value = NULL;
        bool isEnd = false;
        void *entity = NULL;
        uint32_t status = gen__qtxmlif_get_next_entity_2(doc, &type, &name, &value, &depth, &isEnd, &entity);
        if (type == XML_ETYPE_ELEMENT || type == XML_ETYPE_ATTR || type == XML_ETYPE_TEXT) {
            walk_event event = walk_event_make(type, name, value, depth, isEnd);
            visit(&event, context);
            if (type == XML_ETYPE_ELEMENT && status == GEN__QTXMLIF_OK) {
                if (!push(state, entity, name, depth))
                    exit(diag_error(EXIT_LIBRARY, "out of memory"));
                entity = name = NULL;
            }
        }
        gen__qtxmlif_delete_node(&entity);
        gen__mem_free(name, 1, __FILE__, __LINE__);
        gen__mem_free(value, 1, __FILE__, __LINE__);
        if (status != GEN__QTXMLIF_OK)
            return status;
    }
}

/* After an end: closes enclosing elements until one has a next child, whose
 * start the reader then reports. Returns the status of the failing call or 0. */
static uint32_t advanceToNextChild(int doc, walk_state *state, walk_visitor visit, void *context)
{
    if (state->count > 0)
        closeInnermost(state, visit, context);
    while (state->count > 0) {
        void *child = NULL;
        uint32_t status = gen__qtxmlif_get_next_child_node(doc, state->items[state->count - 1].handle, NULL, &child);
        if (status != GEN__QTXMLIF_OK || captured_log_parse_failed())
            return status;
        if (child) {
            gen__qtxmlif_delete_node(&child);
            return GEN__QTXMLIF_OK;
        }
        closeInnermost(state, visit, context);
    }
    return GEN__QTXMLIF_OK;
}

/* Returns the status of the call that ended the walk; a parse error is left in
 * the captured log. */
static uint32_t walkFrom(int doc, bool wholeDocument, walk_visitor visit, void *context)
{
    walk_state state = {NULL, 0, 0, NULL};
    uint32_t status = GEN__QTXMLIF_OK;
    do {
        status = readUntilEnd(doc, &state, visit, context);
        if (status != GEN__QTXMLIF_END_OF_DOCUMENT || captured_log_parse_failed())
            break;
        status = advanceToNextChild(doc, &state, visit, context);
    } while (status == GEN__QTXMLIF_OK && state.count > 0 && !captured_log_parse_failed());

    /* Read on past the document element, so that junk after it is reported. */
    if (status == GEN__QTXMLIF_OK && wholeDocument && state.outermost && !captured_log_parse_failed()) {
        void *child = NULL;
        status = gen__qtxmlif_get_next_child_node(doc, state.outermost, NULL, &child);
        gen__qtxmlif_delete_node(&child);
    }
    releaseAll(&state);
    gen__qtxmlif_end_traversion(doc);
    return status;
}

static uint32_t beginWalk(int doc, const char *start)
{
    captured_log_clear();
    void *startNode = NULL;
    uint32_t status = gen__qtxmlif_begin_traversion(doc, start, &startNode);
    /* The reader's start handle is the caller's. The first event reports the
     * start element again, with an entity of its own that the walk keeps. */
    gen__qtxmlif_delete_node(&startNode);
    return status;
}

int walk_stream(int doc, const char *start, const char *input, walk_visitor visit, void *context)
{
    uint32_t status = beginWalk(doc, start);
    if (status == GEN__QTXMLIF_E_FAILED && start && !captured_log_parse_failed())
        return diag_error(EXIT_NO_ELEMENT, "%s: no element named \"%s\"", input, start);
    if (status == GEN__QTXMLIF_OK)
        status = walkFrom(doc, start == NULL, visit, context);
    if (captured_log_parse_failed() || status != GEN__QTXMLIF_OK)
        return diag_explain(status, input);
    return EXIT_OK;
}

bool walk_stream_quietly(int doc, walk_visitor visit, void *context)
{
    uint32_t status = beginWalk(doc, NULL);
    if (status == GEN__QTXMLIF_OK)
        status = walkFrom(doc, true, visit, context);
    return status == GEN__QTXMLIF_OK && !captured_log_parse_failed();
}
