/* The life of every document kind, as a C host lives it: build with the building
 * functions, save or take the bytes, load back with the DOM and the stream
 * loaders, walk with entities and with child iteration, query, and release every
 * handle, string and document. At the end no copied string may be outstanding. */
#define _POSIX_C_SOURCE 200809L

#include "gen_qtxmlif.h"
#include "recorder.h"
#include "ruziradavod.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static int failures;

#define CHECK(condition)                                                                                               \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #condition);                                    \
            ++failures;                                                                                                \
        }                                                                                                              \
    } while (0)

static void release(char *text)
{
    gen__mem_free(text, 1, __FILE__, __LINE__);
}

static int equals(const char *text, const char *expected)
{
    return text && strcmp(text, expected) == 0;
}

static int isBlank(const char *text)
{
    for (; *text; ++text)
        if (!isspace((unsigned char)*text))
            return 0;
    return 1;
}

typedef struct {
    int type;
    const char *name;
    const char *value;
    int depth;
    bool end;
} event;

/* <library><book id="b1" Lang="en"><title>Small Spaces</title></book><new_book id="b2"/></library>,
 * as a DOM walk reports it (depths from 0; a stream reader counts from 2). */
static const event bookEvents[] = {
    {XML_ETYPE_ELEMENT, "book", "", 1, false},  {XML_ETYPE_ATTR, "id", "b1", 1, false},
    {XML_ETYPE_ATTR, "Lang", "en", 1, false},   {XML_ETYPE_ELEMENT, "title", "", 2, false},
    {XML_ETYPE_TEXT, "Small Spaces", "", 2, false}, {XML_ETYPE_ELEMENT, "title", "", 2, true},
};
static const event libraryEvents[] = {
    {XML_ETYPE_ELEMENT, "library", "", 0, false},   {XML_ETYPE_ELEMENT, "book", "", 1, false},
    {XML_ETYPE_ATTR, "id", "b1", 1, false},         {XML_ETYPE_ATTR, "Lang", "en", 1, false},
    {XML_ETYPE_ELEMENT, "title", "", 2, false},     {XML_ETYPE_TEXT, "Small Spaces", "", 2, false},
    {XML_ETYPE_ELEMENT, "title", "", 2, true},      {XML_ETYPE_ELEMENT, "book", "", 1, true},
    {XML_ETYPE_ELEMENT, "new_book", "", 1, false},  {XML_ETYPE_ATTR, "id", "b2", 1, false},
    {XML_ETYPE_ELEMENT, "new_book", "", 1, true},   {XML_ETYPE_ELEMENT, "library", "", 0, true},
};
#define COUNT(array) ((int)(sizeof(array) / sizeof((array)[0])))

static void build(void)
{
    CHECK(gen__qtxmlif_open_node("book") == GEN__QTXMLIF_OK);
    CHECK(gen__qtxmlif_add_attr("id", "b1") == GEN__QTXMLIF_OK);
    CHECK(gen__qtxmlif_add_attr("Lang", "en") == GEN__QTXMLIF_OK);
    CHECK(gen__qtxmlif_open_node("title") == GEN__QTXMLIF_OK);
    CHECK(gen__qtxmlif_add_text("Small Spaces") == GEN__QTXMLIF_OK);
    CHECK(gen__qtxmlif_close_node() == GEN__QTXMLIF_OK);
    CHECK(gen__qtxmlif_close_level() == GEN__QTXMLIF_OK);
    CHECK(gen__qtxmlif_open_node("  new book ") == GEN__QTXMLIF_OK);
    CHECK(gen__qtxmlif_add_attr("id", "b2") == GEN__QTXMLIF_OK);
    CHECK(gen__qtxmlif_close_node() == GEN__QTXMLIF_OK);
}

/* Attributes may come in any order: an attribute event matches the expected
 * attribute of the same name within the run of attributes around `at`. */
static int matches(int type, const char *name, const char *value, int depth, bool end, const event *expected,
                   int at, int count, int depthOffset)
{
    int i = at;
    if (type == XML_ETYPE_ATTR && at < count && expected[at].type == XML_ETYPE_ATTR) {
        while (i > 0 && expected[i - 1].type == XML_ETYPE_ATTR)
            --i;
        while (i < count && expected[i].type == XML_ETYPE_ATTR && !equals(name, expected[i].name))
            ++i;
    }
    return i < count && type == expected[i].type && equals(name, expected[i].name) &&
           equals(value, expected[i].value) && depth == expected[i].depth + depthOffset && end == expected[i].end;
}

/* Pulls entities until the walk reports its end and compares them with
 * `expected`, passing over the blank texts a stream reader reports for
 * indentation. Entity handles, when taken, are released at once. Returns the
 * number of events that matched. */
static int walk(int doc, const event *expected, int count, int depthOffset, int takeHandles)
{
    int seen = 0;
    for (;;) {
        int type = 0, depth = 0;
        char *name = NULL, *value = NULL;
        bool end = false;
        void *entity = NULL;
        uint32_t status = takeHandles
                              ? gen__qtxmlif_get_next_entity_2(doc, &type, &name, &value, &depth, &end, &entity)
                              : gen__qtxmlif_get_next_entity(doc, &type, &name, &value, &depth, &end);
        CHECK(name && value);
        if (takeHandles && status == GEN__QTXMLIF_OK)
            CHECK(entity);
        gen__qtxmlif_delete_node(&entity);
        CHECK(!entity);
        if (type != -1 && !(type == XML_ETYPE_TEXT && isBlank(name))) {
            if (!matches(type, name, value, depth, end, expected, seen, count, depthOffset)) {
                fprintf(stderr, "event %d: %d %s=%s depth %d%s\n", seen, type, name, value, depth, end ? " end" : "");
                ++failures;
            }
            ++seen;
        }
        release(name);
        release(value);
        if (status != GEN__QTXMLIF_OK) {
            CHECK(status == GEN__QTXMLIF_END_OF_DOCUMENT);
            CHECK(end);
            return seen;
        }
    }
}

/* Past its end a DOM walk keeps answering with the end marker and new empty strings. */
static void expectWalkOver(int doc)
{
    int type = 0, depth = 0;
    char *name = NULL, *value = NULL;
    bool end = true;
    CHECK(gen__qtxmlif_get_next_entity(doc, &type, &name, &value, &depth, &end) == GEN__QTXMLIF_END_OF_DOCUMENT);
    CHECK(type == -1 && depth == -1 && !end && equals(name, "") && equals(value, ""));
    release(name);
    release(value);
}

static void expectAttribute(int doc, void *node, const char *name, bool noCase, const char *expected)
{
    char *value = NULL;
    bool found = !expected;
    CHECK(gen__qtxmlif_get_named_attribute1(doc, node, name, noCase, &value, &found) == GEN__QTXMLIF_OK);
    CHECK(found == (expected != NULL));
    CHECK(expected ? equals(value, expected) : value == NULL);
    release(value);
}

static void *nextChild(int doc, void *parent, void **child, const char *expectedName, int expectedDepth)
{
    char *name = NULL;
    int depth = 0;
    CHECK(gen__qtxmlif_get_next_child_node_2(doc, parent, &name, &depth, child) == GEN__QTXMLIF_OK);
    CHECK(expectedName ? equals(name, expectedName) && depth == expectedDepth : !name && !*child);
    release(name);
    return *child;
}

/* The DOM walk from the start, then child iteration and queries on the same
 * document. The start handle stays the document's. */
static void exploreDom(int doc)
{
    void *start = NULL;
    int line = 0;
    CHECK(gen__qtxmlif_begin_traversion(doc, NULL, &start) == GEN__QTXMLIF_OK && start);
    CHECK(gen__qtxmlif_get_line_number(doc, &line) == GEN__QTXMLIF_OK && line >= 1);
    CHECK(walk(doc, libraryEvents, COUNT(libraryEvents), 0, 1) == COUNT(libraryEvents));
    expectWalkOver(doc);

    void *child = NULL, *title = NULL;
    int depth = 0, count = 0;
    char *text = NULL;
    CHECK(nextChild(doc, start, &child, "book", 1));
    expectAttribute(doc, child, "Lang", false, "en");
    expectAttribute(doc, child, "lang", false, NULL);
    expectAttribute(doc, child, "LANG", true, "en");
    CHECK(gen__qtxmlif_get_attribute_count(doc, child, &count) == GEN__QTXMLIF_OK && count == 2);
    CHECK(gen__qtxmlif_get_named_child_node(doc, child, "title", &title, &depth) == GEN__QTXMLIF_OK && title);
    CHECK(depth == 2);
    CHECK(gen__qtxmlif_get_node_text(doc, title, &text) == GEN__QTXMLIF_OK);
    release(text);
    gen__qtxmlif_delete_node(&title);
    CHECK(nextChild(doc, start, &child, "new_book", 1));
    expectAttribute(doc, child, "id", false, "b2");
    CHECK(!nextChild(doc, start, &child, NULL, 0));
    CHECK(gen__qtxmlif_end_traversion(doc) == GEN__QTXMLIF_OK);

    /* A walk may start at a named element; it then goes on from inside it. */
    CHECK(gen__qtxmlif_begin_traversion(doc, "title", &start) == GEN__QTXMLIF_OK && start);
    CHECK(walk(doc, libraryEvents + 5, COUNT(libraryEvents) - 5, 0, 0) == COUNT(libraryEvents) - 5);
    CHECK(gen__qtxmlif_end_traversion(doc) == GEN__QTXMLIF_OK);
}

/* A stream walk ends at the first element end it reports; the host goes on
 * with the next child of the start element. */
static void walkStream(int doc)
{
    void *start = NULL, *child = NULL;
    int line = 0, offset = 0;
    CHECK(gen__qtxmlif_begin_traversion(doc, NULL, &start) == GEN__QTXMLIF_OK && start);
    CHECK(gen__qtxmlif_get_line_number(doc, &line) == GEN__QTXMLIF_OK && line >= 1);
    CHECK(nextChild(doc, start, &child, "book", 3));
    CHECK(walk(doc, bookEvents, COUNT(bookEvents) - 1, 2, 1) == COUNT(bookEvents) - 1);
    CHECK(nextChild(doc, start, &child, "new_book", 3));
    CHECK(walk(doc, libraryEvents + 8, 2, 2, 0) == 2);
    CHECK(!nextChild(doc, start, &child, NULL, 0));
    CHECK(gen__qtxmlif_characters_offset(doc, &offset) == GEN__QTXMLIF_OK && offset > 0);
    CHECK(gen__qtxmlif_end_traversion(doc) == GEN__QTXMLIF_OK);
    gen__qtxmlif_delete_node(&start);
}

/* Queries on a stream answer from where the reader stands, so they come while
 * it stands on the element asked about; closing skips what is left of it. */
static void queryStream(int doc)
{
    void *start = NULL, *book = NULL, *title = NULL, *next = NULL;
    char *text = NULL;
    int count = 0, depth = 0;
    bool closed = false;
    CHECK(gen__qtxmlif_begin_traversion(doc, "library", &start) == GEN__QTXMLIF_OK && start);
    CHECK(nextChild(doc, start, &book, "book", 3));
    expectAttribute(doc, book, "id", false, "b1");
    expectAttribute(doc, book, "lang", true, "en");
    CHECK(gen__qtxmlif_get_attribute_count(doc, book, &count) == GEN__QTXMLIF_OK && count == 2);
    CHECK(nextChild(doc, book, &title, "title", 4));
    CHECK(gen__qtxmlif_get_node_text(doc, title, &text) == GEN__QTXMLIF_OK && equals(text, "Small Spaces"));
    release(text);
    /* The text has been read: closing the title must not read on. */
    CHECK(gen__qtxmlif_set_node_tranversion_complete(title) == GEN__QTXMLIF_OK);
    CHECK(gen__qtxmlif_close_existing_node(doc, title, 4, &depth, &closed) == GEN__QTXMLIF_OK && closed);
    title = NULL;
    CHECK(!nextChild(doc, book, &next, NULL, 0));
    CHECK(gen__qtxmlif_close_existing_node(doc, book, 3, &depth, &closed) == GEN__QTXMLIF_OK && closed);
    CHECK(depth == 2);
    book = NULL;
    CHECK(nextChild(doc, start, &next, "new_book", 3));
    expectAttribute(doc, next, "ID", false, NULL);
    CHECK(gen__qtxmlif_end_traversion(doc) == GEN__QTXMLIF_OK);
    gen__qtxmlif_delete_node(&next);
    gen__qtxmlif_delete_node(&start);
}

static void exploreFile(const char *path)
{
    int doc = -1;
    CHECK(gen__qtxmlif_load(path, &doc) == GEN__QTXMLIF_OK && doc > 0);
    exploreDom(doc);
    CHECK(gen__qtxmlif_del_document(doc) == GEN__QTXMLIF_OK);

    CHECK(gen__qtxmlif_load_incremental(path, &doc) == GEN__QTXMLIF_OK && doc > 0);
    walkStream(doc);
    CHECK(gen__qtxmlif_del_document(doc) == GEN__QTXMLIF_OK);

    CHECK(gen__qtxmlif_load_incremental(path, &doc) == GEN__QTXMLIF_OK && doc > 0);
    queryStream(doc);
    CHECK(gen__qtxmlif_del_document(doc) == GEN__QTXMLIF_OK);
    CHECK(!gen__qtxmlif_document_exist(doc));
}

/* A DOM document and an incremental file writer: built, saved, read back. */
static void lifeThroughFile(uint32_t (*create)(int *, const char *), const char *path)
{
    int doc = -1;
    CHECK(create(&doc, "library") == GEN__QTXMLIF_OK && doc > 0);
    build();
    CHECK(gen__qtxmlif_save(doc, path) == GEN__QTXMLIF_OK);
    CHECK(gen__qtxmlif_del_document(doc) == GEN__QTXMLIF_OK);
    exploreFile(path);
    CHECK(unlink(path) == 0);
}

/* A buffer writer: built, its bytes taken, read back from memory. */
static void lifeThroughBuffer(void)
{
    int doc = -1, length = 0;
    char *bytes = NULL;
    CHECK(gen__qtxmlif_add_document_to_encrypt(&doc, "library") == GEN__QTXMLIF_OK && doc > 0);
    build();
    CHECK(gen__qtxmlif_close_node() == GEN__QTXMLIF_OK); /* ends the document */
    CHECK(gen__qtxmlif_get_buff_to_encrypt(doc, &bytes, &length) == GEN__QTXMLIF_OK);
    CHECK(bytes && length > 0 && (int)strlen(bytes) == length);
    char *copy = bytes ? strdup(bytes) : NULL; /* the library's bytes live until its next call */
    CHECK(gen__qtxmlif_del_document(doc) == GEN__QTXMLIF_OK);
    if (!copy)
        return;

    CHECK(gen__qtxmlif_load_buff(copy, &doc, false) == GEN__QTXMLIF_OK);
    exploreDom(doc);
    CHECK(gen__qtxmlif_del_document(doc) == GEN__QTXMLIF_OK);
    CHECK(gen__qtxmlif_load_buff_incremental(copy, &doc, false) == GEN__QTXMLIF_OK);
    walkStream(doc);
    CHECK(gen__qtxmlif_del_document(doc) == GEN__QTXMLIF_OK);
    free(copy);
}

int main(void)
{
    char directory[] = "/tmp/rururoro-life-XXXXXX";
    if (!mkdtemp(directory))
        return 2;
    char path[sizeof directory + 16];
    snprintf(path, sizeof path, "%s/out.xml", directory);

    lifeThroughFile(gen__qtxmlif_add_document, path);
    lifeThroughFile(gen__qtxmlif_add_document_incremental, path);
    lifeThroughBuffer();
    rmdir(directory);

    CHECK(recorder_logs("INTERNAL") == 0 && recorder_logs("ERROR") == 0);
    CHECK(recorder_strings_made() > 0);
    CHECK(recorder_strings_outstanding() == 0);
    if (failures)
        fprintf(stderr, "%d checks failed\n", failures);
    return failures ? 1 : 0;
}
