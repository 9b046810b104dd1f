#include <stdio.h>
#include <string.h>

#include "captured_log.h"
#include "diagnostics.h"
#include "exit_codes.h"
#include "gen_qtxmlif.h"
#include "ruziradavod.h"
#include "walker.h"

/* What the walk stopped at: the next child that is not text after the last
 * event. An entity the walk hands out carries a copy of its position, so its
 * own child iteration resumes from there. The C interface shows a node of
 * another kind by its name (Qt's "#comment" for comments, the target of an
 * instruction, the name of an entity reference) and its text (an instruction's
 * data, none for a reference). */
static void describeStop(int doc, void *position, char *text, size_t size)
{
    char *name = NULL, *data = NULL;
    void *node = NULL;
    gen__qtxmlif_get_next_child_node(doc, position, &name, &node);
    if (node)
        gen__qtxmlif_get_node_text(doc, node, &data);
    if (!node)
        snprintf(text, size, "a node that is not an element, attribute or text (a comment, processing instruction "
                             "or entity reference)");
    else if (strcmp(name, "#comment") == 0)
        snprintf(text, size, "a comment");
    else if (data)
        snprintf(text, size, "the processing instruction \"%.256s\"", name);
    else
        snprintf(text, size, "an entity reference or empty processing instruction named \"%.256s\"", name);
    gen__qtxmlif_delete_node(&node);
    gen__mem_free(name, 1, __FILE__, __LINE__);
    gen__mem_free(data, 1, __FILE__, __LINE__);
}

int walk_dom(int doc, const char *start, const char *input, walk_visitor visit, void *context)
{
    captured_log_clear();
    void *startNode = NULL; /* the document's own: released by end_traversion */
    uint32_t status = gen__qtxmlif_begin_traversion(doc, start, &startNode);
    if (status == GEN__QTXMLIF_E_FAILED && start)
        return diag_error(EXIT_NO_ELEMENT,
                          "%s: no element named \"%s\" (the DOM search also stops at the first comment, "
                          "processing instruction or entity reference; --stream passes over them)",
                          input, start);
    if (status != GEN__QTXMLIF_OK)
        return diag_explain(status, input);

    bool complete = false;
    int cursorLine = -1;       /* line of the element whose content the walk is in */
    void *position = startNode; /* entity of the latest event; ours unless it is startNode */
    do {
        int type = -1, depth = -1;
        char *name = NULL, *value = NULL;
        bool isEnd = false;
        void *entity = NULL;
        status = gen__qtxmlif_get_next_entity_2(doc, &type, &name, &value, &depth, &isEnd, &entity);
        /* The call that ends a complete walk still reports the document
         * element's end. One that stops at another kind of node leaves the
         * enclosing element's name with no depth: not an event. */
        complete = type == XML_ETYPE_ELEMENT && isEnd;
        bool reported = status == GEN__QTXMLIF_OK ? type >= XML_ETYPE_ELEMENT && type <= XML_ETYPE_TEXT : complete;
        if (reported) {
            walk_event event = walk_event_make(type, name, value, depth, isEnd);
            visit(&event, context);
            gen__qtxmlif_get_line_number(doc, &cursorLine);
        }
        if (entity) {
            if (position != startNode)
                gen__qtxmlif_delete_node(&position);
            position = entity;
        }
        gen__mem_free(name, 1, __FILE__, __LINE__);
        gen__mem_free(value, 1, __FILE__, __LINE__);
    } while (status == GEN__QTXMLIF_OK);

    char stoppedAt[512] = "";
    if (status == GEN__QTXMLIF_END_OF_DOCUMENT && !complete)
        describeStop(doc, position, stoppedAt, sizeof stoppedAt);
    if (position != startNode)
        gen__qtxmlif_delete_node(&position);
    gen__qtxmlif_end_traversion(doc);

    if (status != GEN__QTXMLIF_END_OF_DOCUMENT)
        return diag_explain(status, input);
    if (!complete)
        diag_note("the DOM walk of %s stopped early, at %s inside the element on line %d; use --stream to pass "
                  "over such nodes",
                  input, stoppedAt, cursorLine);
    return EXIT_OK;
}
