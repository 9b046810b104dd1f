/* Builds a small document with the file writer and saves it to the given path,
 * then reads the file back with the stream reader and prints every event with
 * its depth (a stream walk puts the document element at depth 2). */
#include <stdbool.h>
#include <stdio.h>
#include <string.h>

#include "gen_qtxmlif.h"
#include "ruziradavod.h"

static bool ok(uint32_t status)
{
    return status == GEN__QTXMLIF_OK;
}

/* The building functions take no ID: they act on the document made last. */
static bool build(const char *path)
{
    int doc = -1;
    if (!ok(gen__qtxmlif_add_document_incremental(&doc, "library")))
        return false;
    /* A writer takes attributes only right after their element was opened. */
    bool built = ok(gen__qtxmlif_add_attr("city", "Graz")) && ok(gen__qtxmlif_open_node("shelf")) &&
                 ok(gen__qtxmlif_add_attr("id", "s1")) && ok(gen__qtxmlif_open_node("book")) &&
                 ok(gen__qtxmlif_add_attr("id", "b1")) && ok(gen__qtxmlif_open_node("title")) &&
                 ok(gen__qtxmlif_add_text("Small & Quiet Gardens")) && ok(gen__qtxmlif_close_node()) &&
                 ok(gen__qtxmlif_open_node("year")) && ok(gen__qtxmlif_add_text("2019")) &&
                 ok(gen__qtxmlif_close_node()) && ok(gen__qtxmlif_close_node()) && /* year, book */
                 ok(gen__qtxmlif_open_node("book")) && ok(gen__qtxmlif_add_attr("id", "b2"));
    /* Saving closes what is still open: book, shelf and library. */
    built = built && ok(gen__qtxmlif_save(doc, path));
    gen__qtxmlif_del_document(doc);
    return built;
}

/* The writer indents with line breaks and tabs, which the reader reports as text. */
static bool isBlank(const char *text)
{
    return text[strspn(text, " \t\r\n")] == '\0';
}

/* Whether `element` has a further child. The reader then stands on its start,
 * which the next gen__qtxmlif_get_next_entity reports; text between children is
 * passed over. */
static bool hasNextChild(int doc, void *element)
{
    void *child = NULL;
    bool found = ok(gen__qtxmlif_get_next_child_node(doc, element, NULL, &child)) && child;
    gen__qtxmlif_delete_node(&child);
    return found;
}

static bool walkElement(int doc, void *element, const char *elementName, int elementDepth);

/* Prints the attributes, texts and children of an element whose start was just
 * reported, and its end. The reader reports the end of the element it reported
 * last and then stops, so after the end of each child the next child is asked for
 * explicitly. Returns false when the walk stops before the element's end. */
static bool walkContent(int doc, void *element, const char *elementName, int elementDepth)
{
    bool ended = false, failed = false;
    while (!ended && !failed) {
        int type, depth;
        char *name, *value;
        bool isEnd;
        void *entity = NULL;
        uint32_t status = gen__qtxmlif_get_next_entity_2(doc, &type, &name, &value, &depth, &isEnd, &entity);
        if (ok(status) && type == XML_ETYPE_ATTR) {
            printf("depth %d: attribute %s = %s\n", depth, name, value);
        } else if (ok(status) && type == XML_ETYPE_TEXT) {
            if (!isBlank(name)) /* a text arrives in the name */
                printf("depth %d: text \"%s\"\n", depth, name);
        } else if (ok(status) && type == XML_ETYPE_ELEMENT) {
            failed = !walkElement(doc, entity, name, depth);
            ended = !failed && !hasNextChild(doc, element);
        } else {
            /* The end of this element comes as GEN__QTXMLIF_END_OF_DOCUMENT with
             * is_end_element set. The end of the input and a syntax error come the
             * same way, and the reader logs them ("NONE", "WARNING"). */
            ended = status == GEN__QTXMLIF_END_OF_DOCUMENT && isEnd;
            failed = !ended;
        }
        gen__qtxmlif_delete_node(&entity);
        gen__mem_free(name, 1, __FILE__, __LINE__);
        gen__mem_free(value, 1, __FILE__, __LINE__);
    }
    if (ended)
        printf("depth %d: end %s\n", elementDepth, elementName);
    return ended;
}

static bool walkElement(int doc, void *element, const char *elementName, int elementDepth)
{
    printf("depth %d: start %s\n", elementDepth, elementName);
    return walkContent(doc, element, elementName, elementDepth);
}

static bool walk(int doc)
{
    void *start = NULL;
    if (!ok(gen__qtxmlif_begin_traversion(doc, NULL, &start)))
        return false;
    /* A stream reader's start handle is ours. The first event reports the start
     * element again, with a handle of its own. */
    gen__qtxmlif_delete_node(&start);

    int type, depth;
    char *name, *value;
    bool isEnd;
    void *element = NULL;
    uint32_t status = gen__qtxmlif_get_next_entity_2(doc, &type, &name, &value, &depth, &isEnd, &element);
    bool walked = ok(status) && type == XML_ETYPE_ELEMENT && walkElement(doc, element, name, depth);
    gen__qtxmlif_delete_node(&element);
    gen__mem_free(name, 1, __FILE__, __LINE__);
    gen__mem_free(value, 1, __FILE__, __LINE__);
    gen__qtxmlif_end_traversion(doc);
    return walked;
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s OUT.xml\n", argv[0]);
        return 2;
    }
    if (!build(argv[1])) {
        fprintf(stderr, "%s: the document could not be built and saved\n", argv[1]);
        return 1;
    }
    int doc = -1;
    if (!ok(gen__qtxmlif_load_incremental(argv[1], &doc)))
        return 1; /* the library has logged why */
    bool walked = walk(doc);
    gen__qtxmlif_del_document(doc);
    if (!walked)
        fprintf(stderr, "%s: the walk stopped before the end of the document\n", argv[1]);
    return walked ? 0 : 1;
}
