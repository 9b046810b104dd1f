/* What the library logged through the support calls, kept so that a failure can
 * be explained in words instead of a message key. Only the latest report that
 * explains a failure is kept, so memory stays constant on any input. */
#ifndef XMLIF_CAPTURED_LOG_H
#define XMLIF_CAPTURED_LOG_H

#include <stdbool.h>

typedef enum {
    LOGGED_NOTHING,
    LOGGED_KEY,          /* a message key: `number`, `text` filled in, `subject` = its first %s */
    LOGGED_PARSE_ERROR,  /* the stream reader stopped on an error: `subject` = reason */
    LOGGED_CONTRACT      /* an assertion report: `subject` = the condition */
} logged_kind;

typedef struct {
    logged_kind kind;
    int number;
    int line;
    int column;
    char text[1024];
    char subject[1024];
} logged_entry;

/* Forgets everything captured so far. */
void captured_log_clear(void);
/* The latest explaining report since the last clear (kind LOGGED_NOTHING if none). */
const logged_entry *captured_log_last(void);
/* True when the stream reader reported a parse error since the last clear. */
bool captured_log_parse_failed(void);

#endif
