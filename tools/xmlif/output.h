/* Where results go: a named file, or standard output. */
#ifndef XMLIF_OUTPUT_H
#define XMLIF_OUTPUT_H

#include <stdbool.h>
#include <stddef.h>

/* Creates a new empty file in the temporary directory and puts its path in
 * `path`. Returns false (with a message) when that fails. */
bool output_temp_file(char *path, size_t size);

/* Saves a document with gen__qtxmlif_save to `path`; when `path` is NULL or
 * "-", through a temporary file to standard output. Returns the exit status. */
int output_save(int doc, const char *path);

/* Writes `length` bytes to `path`, or to standard output when it is NULL or "-". */
int output_write(const char *bytes, size_t length, const char *path);

#endif
