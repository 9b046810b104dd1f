/* Loads an XML file as a DOM document and prints every event of a walk over it,
 * indented by depth (a DOM walk puts the document element at depth 0). */
#include <stdbool.h>
#include <stdio.h>

#include "gen_qtxmlif.h"
#include "ruziradavod.h"

static void printEvent(int type, const char *name, const char *value, int depth, bool isEnd)
{
    printf("%*s", 2 * depth, "");
    if (type == XML_ETYPE_ELEMENT)
        printf("%s %s\n", isEnd ? "end" : "element", name);
    else if (type == XML_ETYPE_ATTR)
        printf("attr %s%s%s\n", name, *value ? "=" : "", value);
    else
        printf("text %s\n", name); /* a text arrives in the name */
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s FILE.xml\n", argv[0]);
        return 2;
    }
    int doc = -1;
    if (gen__qtxmlif_load(argv[1], &doc) != GEN__QTXMLIF_OK)
        return 1; /* the library has logged why */

    void *start = NULL; /* the document's own: gen__qtxmlif_end_traversion releases it */
    uint32_t status = gen__qtxmlif_begin_traversion(doc, NULL, &start);
    bool complete = false;
    while (status == GEN__QTXMLIF_OK) {
        int type, depth;
        char *name, *value;
        bool isEnd;
        status = gen__qtxmlif_get_next_entity(doc, &type, &name, &value, &depth, &isEnd);
        /* The call that ends the walk still reports the document element's end. */
        complete = status == GEN__QTXMLIF_END_OF_DOCUMENT && type == XML_ETYPE_ELEMENT && isEnd;
        if (status == GEN__QTXMLIF_OK || complete)
            printEvent(type, name, value, depth, isEnd);
        /* Both strings are ours after every call, the last one included. */
        gen__mem_free(name, 1, __FILE__, __LINE__);
        gen__mem_free(value, 1, __FILE__, __LINE__);
    }
    if (status == GEN__QTXMLIF_END_OF_DOCUMENT && !complete)
        fprintf(stderr, "%s: the walk stopped early, at a comment, processing instruction or entity reference\n",
                argv[1]);
    else if (!complete)
        fprintf(stderr, "%s: the walk failed with status %u\n", argv[1], (unsigned)status);
    gen__qtxmlif_end_traversion(doc);
    gen__qtxmlif_del_document(doc);
    return complete ? 0 : 1;
}
