/* Opens the document a subcommand works on: a file, or "-" for standard input
 * (copied whole to a temporary file, which the file loaders read). */
#ifndef XMLIF_INPUT_H
#define XMLIF_INPUT_H

#include <stdbool.h>

typedef struct {
    int doc;
    const char *label;  /* the path, or "standard input"; used in messages */
    long long size;     /* bytes of input, -1 when unknown */
} input_document;

/* Loads `path` as a DOM document, or as a stream reader when `stream` is set.
 * Returns the exit status; on failure the message has been printed. */
int input_open(const char *path, bool stream, input_document *in);
void input_close(input_document *in);

#endif
