/* Walks a loaded document and hands each event to a visitor. */
#ifndef XMLIF_WALKER_H
#define XMLIF_WALKER_H

#include <stdbool.h>
#include <stddef.h>

typedef enum { EVENT_ELEMENT, EVENT_ATTR, EVENT_TEXT, EVENT_END } event_kind;

typedef struct {
    event_kind kind;
    const char *name;   /* element or attribute name; NULL for text */
    const char *value;  /* attribute value or text; NULL for elements */
    int depth;          /* as the library reports it (DOM: document element 0; stream: 2) */
} walk_event;

typedef void (*walk_visitor)(const walk_event *event, void *context);

/* The event for what get_next_entity reported (types 1 to 3 only). */
walk_event walk_event_make(int type, const char *name, const char *value, int depth, bool isEnd);

/* DOM walk with begin_traversion / get_next_entity, from the document element
 * or, when `start` is not NULL, from the first element of that name (the walk
 * then begins inside it and goes on to the end of the document element).
 * Returns the exit status; messages are printed. */
int walk_dom(int doc, const char *start, const char *input, walk_visitor visit, void *context);

/* Stream walk of the whole document, or of the subtree of the first element
 * named `start`. The reader reports an element's end only for the element it
 * reported last and then stops, so the walk continues after each end with the
 * next child of the enclosing element; text that follows a child element inside
 * the same parent is passed over by the reader there and is not seen. */
int walk_stream(int doc, const char *start, const char *input, walk_visitor visit, void *context);

/* The stream walk of the whole document with no message: true when it ran to
 * the end; otherwise the captured log says why it stopped. */
bool walk_stream_quietly(int doc, walk_visitor visit, void *context);

#endif
