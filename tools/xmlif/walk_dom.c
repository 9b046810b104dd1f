#include <stddef.h>

#include "captured_log.h"
#include "diagnostics.h"
#include "exit_codes.h"
#include "gen_qtxmlif.h"
#include "ruziradavod.h"
#include "walker.h"

int walk_dom(int doc, const char *start, const char *input, walk_visitor visit, void *context)
{
    captured_log_clear();
    void *startNode = NULL; /* the document's own: released by end_traversion */
    uint32_t status = gen__qtxmlif_begin_traversion(doc, start, &startNode);
    if (status == GEN__QTXMLIF_E_FAILED && start)
        return diag_error(EXIT_NO_ELEMENT,
                          "%s: no element named \"%s\" (the DOM search also stops at the first comment or "
                          "processing instruction; --stream passes over them)",
                          input, start);
    if (status != GEN__QTXMLIF_OK)
        return diag_explain(status, input);

    bool complete = false;
    int cursorLine = -1; /* line of the element whose content the walk is in */
    do {
        int type = -1, depth = -1;
        char *name = NULL, *value = NULL;
        bool isEnd = false;
        status = gen__qtxmlif_get_next_entity(doc, &type, &name, &value, &depth, &isEnd);
        /* The call that ends a complete walk still reports the document
         * element's end. One that ends at a comment or processing instruction
         * leaves the enclosing element's name with no depth: not an event. */
        complete = type == XML_ETYPE_ELEMENT && isEnd;
        bool reported = status == GEN__QTXMLIF_OK ? type >= XML_ETYPE_ELEMENT && type <= XML_ETYPE_TEXT : complete;
        if (reported) {
            walk_event event = walk_event_make(type, name, value, depth, isEnd);
            visit(&event, context);
            gen__qtxmlif_get_line_number(doc, &cursorLine);
        }
        gen__mem_free(name, 1, __FILE__, __LINE__);
        gen__mem_free(value, 1, __FILE__, __LINE__);
    } while (status == GEN__QTXMLIF_OK);
    gen__qtxmlif_end_traversion(doc);

    if (status != GEN__QTXMLIF_END_OF_DOCUMENT)
        return diag_explain(status, input);
    if (!complete)
        diag_note("the DOM walk of %s stopped early, at a comment or processing instruction inside the element "
                  "on line %d; use --stream to pass over such nodes",
                  input, cursorLine);
    return EXIT_OK;
}
