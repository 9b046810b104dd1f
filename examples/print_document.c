/* Loads an XML file into a DOM document and prints every event of a walk. */
#include <stdio.h>

#include "gen_qtxmlif.h"
#include "ruziradavod.h"

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s FILE.xml\n", argv[0]);
        return 2;
    }
    int doc = -1;
    if (gen__qtxmlif_load(argv[1], &doc) != GEN__QTXMLIF_OK)
        return 1;
    void *start = NULL;
    if (gen__qtxmlif_begin_traversion(doc, NULL, &start) != GEN__QTXMLIF_OK)
        return 1;
    for (;;) {
        int type, depth;
        char *name, *value;
        bool isEnd;
        uint32_t status = gen__qtxmlif_get_next_entity(doc, &type, &name, &value, &depth, &isEnd);
        if (type > 0)
            printf("%*s%s %s%s%s\n", 2 * (depth > 0 ? depth : 0), "",
                   type == XML_ETYPE_ELEMENT ? (isEnd ? "end" : "element") : type == XML_ETYPE_ATTR ? "attr" : "text",
                   name, *value ? "=" : "", value);
        gen__mem_free(name, 1, __FILE__, __LINE__);
        gen__mem_free(value, 1, __FILE__, __LINE__);
        if (status != GEN__QTXMLIF_OK)
            break;
    }
    gen__qtxmlif_end_traversion(doc);
    gen__qtxmlif_del_document(doc);
    return 0;
}
