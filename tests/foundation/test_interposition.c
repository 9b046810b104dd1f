/* A host that defines the five support functions itself receives every call the
 * library makes: reports, sounds, status traces, string copies and releases. */
#include <stdio.h>
#include <string.h>

#include "gen_qtxmlif.h"
#include "recorder.h"
#include "ruziradavod.h"

static int failures;

static void expect(int condition, const char *what)
{
    if (!condition) {
        fprintf(stderr, "FAILED: %s\n", what);
        ++failures;
    }
}

int main(void)
{
    recorder_reset();
    expect(gen__qtxmlif_load(NULL, NULL) == GEN__QTXMLIF_E_NO_DOCUMENT, "empty path refused");
    expect(recorder_logs("INTERNAL") == 1, "assertion report recorded");
    expect(recorder_sounds() == 1 && recorder_sounds_follow_reports(), "error sound recorded after the report");
    expect(recorder_status_checks() == 1, "status trace recorded");
    expect(strstr(recorder_text(0), " at gen/gen_qtxmlif/") != NULL, "report names the library's own source");

    int doc = -1;
    expect(gen__qtxmlif_load_buff("<a x='1'/>", &doc, false) == GEN__QTXMLIF_OK, "buffer loaded");
    void *start = NULL;
    expect(gen__qtxmlif_begin_traversion(doc, NULL, &start) == GEN__QTXMLIF_OK, "walk begun");
    int type = 0;
    char *name = NULL, *value = NULL;
    expect(gen__qtxmlif_get_next_entity(doc, &type, &name, &value, NULL, NULL) == GEN__QTXMLIF_OK, "entity read");
    expect(recorder_strings_made() == 2 && recorder_strings_outstanding() == 2, "copies made by the host");
    expect(name && strcmp(name, "a") == 0, "element name delivered");
    gen__mem_free(name, 1, __FILE__, __LINE__);
    gen__mem_free(value, 1, __FILE__, __LINE__);
    expect(recorder_strings_outstanding() == 0, "copies released through the host");
    gen__qtxmlif_end_traversion(doc);
    gen__qtxmlif_del_document(doc);

    recorder_reset();
    return failures ? 1 : 0;
}
