/* Private files in the temporary directory, for results on their way to
 * standard output and for standard input on its way to the loaders. */
#ifndef XMLIF_TEMP_FILE_H
#define XMLIF_TEMP_FILE_H

#include <stddef.h>

/* $TMPDIR, or /tmp when it is unset or empty. */
const char *temp_directory(void);

/* Creates a new empty file that only this user may read, puts its path in
 * `path` and returns a descriptor open for writing; -1 when that fails. */
int temp_file_create(char *path, size_t size);

#endif
