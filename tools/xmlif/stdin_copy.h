/* Standard input copied whole into a private temporary file, so that the file
 * loaders read it and it behaves exactly as the same bytes in a file would
 * (the buffer loaders take NUL-terminated text, which UTF-16 is not). */
#ifndef XMLIF_STDIN_COPY_H
#define XMLIF_STDIN_COPY_H

typedef struct {
    char path[4096];
    long long size; /* bytes copied */
} stdin_copy;

/* Returns the exit status; on failure the message has been printed and no
 * file is left behind. */
int stdin_copy_make(stdin_copy *copy);
/* Removes the file. A reader that holds it open reads on. */
void stdin_copy_remove(stdin_copy *copy);

#endif
