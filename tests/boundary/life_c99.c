/* Every document kind through its life as a C host lives it: built, saved or
 * taken as bytes, loaded back as a DOM document and as a stream, queried, and
 * every handle, string and document released. */
#define _POSIX_C_SOURCE 200809L

#include "gen_qtxmlif.h"
#include "recorder.h"
#include "ruziradavod.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static int failures;

#define CHECK(condition)                                                                                               \
    ((condition) ? (void)0 : (void)(fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #condition), ++failures))

/* Whether a string handed out reads `expected` (NULL: none); released either way. */
static int is(char *text, const char *expected)
{
    const int same = expected ? text && strcmp(text, expected) == 0 : !text;
    gen__mem_free(text, 1, __FILE__, __LINE__);
    return same;
}

static void build(void)
{
    CHECK(gen__qtxmlif_open_node("book") == GEN__QTXMLIF_OK);
    CHECK(gen__qtxmlif_add_attr("Lang", "en") == GEN__QTXMLIF_OK);
    CHECK(gen__qtxmlif_open_node("title") == GEN__QTXMLIF_OK);
    CHECK(gen__qtxmlif_add_text("Small Spaces") == GEN__QTXMLIF_OK);
    CHECK(gen__qtxmlif_close_node() == GEN__QTXMLIF_OK);
    CHECK(gen__qtxmlif_close_level() == GEN__QTXMLIF_OK);
    CHECK(gen__qtxmlif_open_node("  new book ") == GEN__QTXMLIF_OK);
    CHECK(gen__qtxmlif_add_attr("id", "b2") == GEN__QTXMLIF_OK);
    CHECK(gen__qtxmlif_close_node() == GEN__QTXMLIF_OK);
}

/* The next child of `parent` into `child`: its name and depth, or none. */
static void *nextChild(int doc, void *parent, void **child, const char *expected, int expectedDepth)
{
    char *name = NULL;
    int depth = 0;
    CHECK(gen__qtxmlif_get_next_child_node_2(doc, parent, &name, &depth, child) == GEN__QTXMLIF_OK);
    CHECK(is(name, expected) && (!expected || depth == expectedDepth) && !*child == !expected);
    return *child;
}

/* The first book's attribute in any case and its title's text; the DOM names its
 * child, the stream reads up to it. */
static void *book(int doc, void *start, void **book, void **title, int depth)
{
    char *text = NULL;
    bool found = false;
    CHECK(nextChild(doc, start, book, "book", depth));
    CHECK(gen__qtxmlif_get_named_attribute1(doc, *book, "LANG", true, &text, &found) == GEN__QTXMLIF_OK);
    CHECK(is(text, "en") && found);
    if (depth == 1)
        CHECK(gen__qtxmlif_get_named_child_node(doc, *book, "title", title, &depth) == GEN__QTXMLIF_OK && depth == 2);
    else
        CHECK(nextChild(doc, *book, title, "title", 4));
    CHECK(gen__qtxmlif_get_node_text(doc, *title, &text) == GEN__QTXMLIF_OK && is(text, "Small Spaces"));
    return *title;
}

/* The start handle stays the document's. */
static void exploreDom(int doc)
{
    void *start = NULL, *first = NULL, *title = NULL;
    CHECK(gen__qtxmlif_begin_traversion(doc, NULL, &start) == GEN__QTXMLIF_OK && start);
    book(doc, start, &first, &title, 1);
    gen__qtxmlif_delete_node(&title);
    CHECK(!title && nextChild(doc, start, &first, "new_book", 1) && !nextChild(doc, start, &first, NULL, 0));
    CHECK(gen__qtxmlif_end_traversion(doc) == GEN__QTXMLIF_OK);
}

/* Closing a node reads past its rest unless it is marked complete; a walk goes
 * on from there. Depths count from 2, and the start handle is the caller's. */
static void exploreStream(int doc)
{
    void *start = NULL, *first = NULL, *title = NULL, *next = NULL, *entity = NULL;
    char *name = NULL, *value = NULL;
    int depth = 0, type = 0;
    bool closed = false, end = false;
    CHECK(gen__qtxmlif_begin_traversion(doc, NULL, &start) == GEN__QTXMLIF_OK && start);
    book(doc, start, &first, &title, 3);
    CHECK(gen__qtxmlif_set_node_tranversion_complete(title) == GEN__QTXMLIF_OK);
    CHECK(gen__qtxmlif_close_existing_node(doc, title, 4, &depth, &closed) == GEN__QTXMLIF_OK && closed && depth == 4);
    CHECK(!nextChild(doc, first, &next, NULL, 0));
    CHECK(gen__qtxmlif_close_existing_node(doc, first, 3, &depth, &closed) == GEN__QTXMLIF_OK && closed && depth == 2);
    CHECK(nextChild(doc, start, &next, "new_book", 3));
    CHECK(gen__qtxmlif_get_next_entity_2(doc, &type, &name, &value, &depth, &end, &entity) == GEN__QTXMLIF_OK);
    CHECK(type == 1 && is(name, "new_book") && is(value, "") && depth == 3 && !end && entity);
    gen__qtxmlif_delete_node(&entity);
    CHECK(!entity && !nextChild(doc, start, &next, NULL, 0));
    CHECK(gen__qtxmlif_end_traversion(doc) == GEN__QTXMLIF_OK);
    gen__qtxmlif_delete_node(&start);
    CHECK(!start);
}

/* From the file at `path`, or else from `bytes`. */
static void readBack(const char *path, const char *bytes)
{
    int doc = -1;
    CHECK((path ? gen__qtxmlif_load(path, &doc) : gen__qtxmlif_load_buff(bytes, &doc, false)) == GEN__QTXMLIF_OK);
    exploreDom(doc);
    CHECK(gen__qtxmlif_del_document(doc) == GEN__QTXMLIF_OK);
    CHECK((path ? gen__qtxmlif_load_incremental(path, &doc) : gen__qtxmlif_load_buff_incremental(bytes, &doc, false)) ==
          GEN__QTXMLIF_OK);
    exploreStream(doc);
    CHECK(gen__qtxmlif_del_document(doc) == GEN__QTXMLIF_OK && !gen__qtxmlif_document_exist(doc));
}

int main(void)
{
    char directory[] = "/tmp/rururoro-life-XXXXXX", path[sizeof directory + 16];
    if (!mkdtemp(directory))
        return 2;
    snprintf(path, sizeof path, "%s/out.xml", directory);
    uint32_t (*const creators[])(int *, const char *) = {gen__qtxmlif_add_document,
                                                           gen__qtxmlif_add_document_incremental};
    int doc = -1, length = 0;
    for (int i = 0; i < 2; ++i) {
        CHECK(creators[i](&doc, "library") == GEN__QTXMLIF_OK);
        build();
        CHECK(gen__qtxmlif_save(doc, path) == GEN__QTXMLIF_OK && gen__qtxmlif_del_document(doc) == GEN__QTXMLIF_OK);
        readBack(path, NULL);
        CHECK(unlink(path) == 0);
    }
    rmdir(directory);

    char *bytes = NULL;
    CHECK(gen__qtxmlif_add_document_to_encrypt(&doc, "library") == GEN__QTXMLIF_OK);
    build();
    CHECK(gen__qtxmlif_close_node() == GEN__QTXMLIF_OK); /* ends the document */
    CHECK(gen__qtxmlif_get_buff_to_encrypt(doc, &bytes, &length) == GEN__QTXMLIF_OK);
    CHECK(bytes && length > 0 && (int)strlen(bytes) == length);
    char *copy = bytes ? strdup(bytes) : NULL; /* the library's bytes live until its next call */
    CHECK(gen__qtxmlif_del_document(doc) == GEN__QTXMLIF_OK);
    if (copy)
        readBack(NULL, copy);
    free(copy);

    CHECK(recorder_count() == 0 && recorder_strings_made() > 0 && recorder_strings_outstanding() == 0);
    if (failures)
        fprintf(stderr, "%d checks failed\n", failures);
    return failures ? 1 : 0;
}
