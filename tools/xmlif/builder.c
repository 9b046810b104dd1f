#include "builder.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include "captured_log.h"
#include "diagnostics.h"
#include "exit_codes.h"
#include "gen_qtxmlif.h"
#include "output.h"

static const char subject[] = "the document being built";

bool builder_kind_from_word(const char *word, writer_kind *kind)
{
    static const char *const words[] = {"dom", "file", "buffer"};
    for (int i = 0; i < 3; ++i) {
        if (strcmp(word, words[i]) == 0) {
            *kind = (writer_kind)i;
            return true;
        }
    }
    return false;
}

void builder_init(builder *b, writer_kind kind)
{
    *b = (builder){kind, -1, 0, false, false};
}

static int refuse(char *error, size_t errorSize, const char *problem)
{
    snprintf(error, errorSize, "%s", problem);
    return EXIT_SCRIPT;
}

/* The library trims element names, and the writers would put out an empty
 * name unchecked, so a name of blanks only is as empty as "". */
static bool isBlank(const char *name)
{
    while (*name && isspace((unsigned char)*name))
        ++name;
    return *name == '\0';
}

static int checked(uint32_t status)
{
    return status == GEN__QTXMLIF_OK ? EXIT_OK : diag_explain(status, subject);
}

static uint32_t createDocument(builder *b, const char *rootName)
{
    switch (b->kind) {
    case WRITER_FILE: return gen__qtxmlif_add_document_incremental(&b->doc, rootName);
    case WRITER_BUFFER: return gen__qtxmlif_add_document_to_encrypt(&b->doc, rootName);
    case WRITER_DOM: break;
    }
    return gen__qtxmlif_add_document(&b->doc, rootName);
}

static int openElement(builder *b, const char *name, char *error, size_t errorSize)
{
    if (b->ended)
        return refuse(error, errorSize, "the document element is already closed; a document has only one");
    if (isBlank(name))
        return refuse(error, errorSize, "an element name cannot be empty or blank");
    uint32_t status = b->doc < 0 ? createDocument(b, name) : gen__qtxmlif_open_node(name);
    ++b->depth;
    b->inStartTag = true;
    return checked(status);
}

static int addAttribute(builder *b, const char *name, const char *value, char *error, size_t errorSize)
{
    if (!b->inStartTag)
        return refuse(error, errorSize, "attr must directly follow open or another attr");
    if (isBlank(name))
        return refuse(error, errorSize, "an attribute name cannot be empty or blank");
    return checked(gen__qtxmlif_add_attr(name, value));
}

static int addText(builder *b, const char *value, char *error, size_t errorSize)
{
    if (b->depth == 0)
        return refuse(error, errorSize, "text outside any element");
    b->inStartTag = false;
    /* The library takes no empty text; adding none leaves the same document. */
    return *value ? checked(gen__qtxmlif_add_text(value)) : EXIT_OK;
}

/* The DOM document keeps its document element open: closing it is a no-op
 * there, while the writers end the document with it. */
static int closeElement(builder *b)
{
    b->inStartTag = false;
    bool call = b->depth > 1 || b->kind != WRITER_DOM;
    if (--b->depth == 0)
        b->ended = true;
    return call ? checked(gen__qtxmlif_close_node()) : EXIT_OK;
}

int builder_apply(builder *b, const script_command *command, char *error, size_t errorSize)
{
    captured_log_clear();
    switch (command->verb) {
    case SCRIPT_OPEN:
        return openElement(b, command->args[0], error, errorSize);
    case SCRIPT_ATTR:
        return addAttribute(b, command->args[0], command->args[1], error, errorSize);
    case SCRIPT_TEXT:
        return addText(b, command->args[0], error, errorSize);
    case SCRIPT_CLOSE:
        if (b->depth == 0)
            return refuse(error, errorSize, "close without an open element");
        return closeElement(b);
    case SCRIPT_NOTHING:
        break;
    }
    return EXIT_OK;
}

int builder_finish(builder *b, const char *path, char *error, size_t errorSize)
{
    if (b->doc < 0)
        return refuse(error, errorSize, "the script opens no element");
    captured_log_clear();
    if (b->kind != WRITER_BUFFER)
        return output_save(b->doc, path); /* saving closes what is still open */
    int status = EXIT_OK;
    while (status == EXIT_OK && b->depth > 0)
        status = closeElement(b);
    char *bytes = NULL;
    int length = 0;
    if (status == EXIT_OK)
        status = checked(gen__qtxmlif_get_buff_to_encrypt(b->doc, &bytes, &length));
    return status == EXIT_OK ? output_write(bytes, (size_t)length, path) : status;
}

void builder_discard(builder *b)
{
    if (b->doc >= 1)
        gen__qtxmlif_del_document(b->doc);
    b->doc = -1;
}
