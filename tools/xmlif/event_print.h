/* Prints walk events, one line each: indented text or JSON Lines. */
#ifndef XMLIF_EVENT_PRINT_H
#define XMLIF_EVENT_PRINT_H

#include <stdbool.h>

#include "walker.h"

typedef struct {
    bool json;
    int baseDepth; /* depth the library gives the document element; printed at indent 0 */
} event_printer;

/* A walk_visitor; `context` is an event_printer. */
void event_print(const walk_event *event, void *context);

#endif
