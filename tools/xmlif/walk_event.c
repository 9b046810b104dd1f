#include "gen_qtxmlif.h"
#include "walker.h"

walk_event walk_event_make(int type, const char *name, const char *value, int depth, bool isEnd)
{
    walk_event event = {EVENT_ELEMENT, name, NULL, depth};
    if (type == XML_ETYPE_ELEMENT && isEnd) {
        event.kind = EVENT_END;
    } else if (type == XML_ETYPE_ATTR) {
        event.kind = EVENT_ATTR;
        event.value = value;
    } else if (type == XML_ETYPE_TEXT) {
        /* The library hands a text over in the name. */
        event.kind = EVENT_TEXT;
        event.name = NULL;
        event.value = name;
    }
    return event;
}
