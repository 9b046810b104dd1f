/* Builds a document from script commands through the building functions, into
 * one of the three writer kinds, and writes the result. */
#ifndef XMLIF_BUILDER_H
#define XMLIF_BUILDER_H

#include <stdbool.h>
#include <stddef.h>

#include "script.h"

typedef enum { WRITER_DOM, WRITER_FILE, WRITER_BUFFER } writer_kind;

typedef struct {
    writer_kind kind;
    int doc;          /* -1 until the first open creates the document */
    int depth;        /* open elements, the document element included */
    bool ended;       /* the document element has been closed */
    bool inStartTag;  /* only attributes may come next */
} builder;

/* "dom", "file" or "buffer". */
bool builder_kind_from_word(const char *word, writer_kind *kind);
void builder_init(builder *b, writer_kind kind);
/* Returns the exit status: EXIT_SCRIPT with `error` filled when the command
 * does not fit what was built so far; another status (message printed) when the
 * library refuses a call. */
int builder_apply(builder *b, const script_command *command, char *error, size_t errorSize);
/* Ends the document (elements still open are closed) and writes it to `path`
 * (standard output when NULL or "-"). */
int builder_finish(builder *b, const char *path, char *error, size_t errorSize);
void builder_discard(builder *b);

#endif
