#include "stream_reason.h"

#include "gen_qtxmlif.h"
#include "walker.h"

static void ignoreEvent(const walk_event *event, void *context)
{
    (void)event;
    (void)context;
}

bool stream_reason_find(const char *path, logged_entry *error)
{
    captured_log_clear();
    int doc = -1;
    if (gen__qtxmlif_load_incremental(path, &doc) != GEN__QTXMLIF_OK)
        return false;
    bool clean = walk_stream_quietly(doc, ignoreEvent, NULL);
    gen__qtxmlif_del_document(doc);
    if (clean || !captured_log_parse_failed())
        return false;
    *error = *captured_log_last();
    return true;
}
