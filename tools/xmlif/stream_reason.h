/* The DOM loader reports a syntax error by position only; the stream reader,
 * run over the same file, says what is wrong. */
#ifndef XMLIF_STREAM_REASON_H
#define XMLIF_STREAM_REASON_H

#include <stdbool.h>

#include "captured_log.h"

/* Walks the file at `path` with the stream reader. True when it stopped on a
 * parse error, which is copied to `error` (reason in `subject`, line, column).
 * Clears the captured log. */
bool stream_reason_find(const char *path, logged_entry *error);

#endif
