#define _POSIX_C_SOURCE 200809L
#include "input.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "captured_log.h"
#include "diagnostics.h"
#include "exit_codes.h"
#include "gen_qtxmlif.h"
#include "walker.h"

static const char stdinLabel[] = "standard input";

/* Reads standard input whole, NUL-terminated. Returns the exit status. */
static int readStandardInput(char **text, size_t *length)
{
    size_t capacity = 1 << 16, used = 0;
    char *buffer = malloc(capacity);
    while (buffer) {
        used += fread(buffer + used, 1, capacity - used - 1, stdin);
        if (used < capacity - 1)
            break;
        capacity *= 2;
        char *grown = realloc(buffer, capacity);
        if (!grown)
            free(buffer);
        buffer = grown;
    }
    if (!buffer)
        return diag_error(EXIT_UNREADABLE, "standard input is too large to hold in memory");
    if (ferror(stdin)) {
        free(buffer);
        return diag_error(EXIT_UNREADABLE, "standard input cannot be read");
    }
    buffer[used] = '\0';
    *text = buffer;
    *length = used;
    return EXIT_OK;
}

static void ignoreEvent(const walk_event *event, void *context)
{
    (void)event;
    (void)context;
}

/* The DOM buffer loader gives no position for a syntax error; a stream pass
 * over the same bytes finds it. */
static int explainBufferSyntaxError(const char *text)
{
    int doc = -1;
    int status = EXIT_SYNTAX;
    if (gen__qtxmlif_load_buff_incremental(text, &doc, false) == GEN__QTXMLIF_OK) {
        status = walk_stream(doc, NULL, stdinLabel, ignoreEvent, NULL);
        gen__qtxmlif_del_document(doc);
    }
    if (status != EXIT_SYNTAX)
        status = diag_error(EXIT_SYNTAX, "syntax error in %s", stdinLabel);
    return status;
}

static int openStandardInput(bool stream, input_document *in)
{
    char *text = NULL;
    size_t length = 0;
    int result = readStandardInput(&text, &length);
    if (result != EXIT_OK)
        return result;
    in->size = (long long)length;
    if (strlen(text) != length) {
        result = diag_error(EXIT_SYNTAX, "syntax error in %s: NUL byte at offset %zu", stdinLabel, strlen(text));
    } else if (length == 0) {
        result = diag_error(EXIT_SYNTAX, "syntax error in %s: it is empty", stdinLabel);
    } else {
        captured_log_clear();
        uint32_t status = stream ? gen__qtxmlif_load_buff_incremental(text, &in->doc, false)
                                 : gen__qtxmlif_load_buff(text, &in->doc, false);
        if (status == GEN__QTXMLIF_E_SYNTAX)
            result = explainBufferSyntaxError(text);
        else if (status != GEN__QTXMLIF_OK)
            result = diag_explain(status, stdinLabel);
    }
    free(text);
    return result;
}

int input_open(const char *path, bool stream, input_document *in)
{
    in->doc = -1;
    in->size = -1;
    if (strcmp(path, "-") == 0) {
        in->label = stdinLabel;
        return openStandardInput(stream, in);
    }
    in->label = path;
    captured_log_clear();
    uint32_t status = stream ? gen__qtxmlif_load_incremental(path, &in->doc) : gen__qtxmlif_load(path, &in->doc);
    if (status != GEN__QTXMLIF_OK)
        return diag_explain(status, path);
    struct stat info;
    if (stat(path, &info) == 0)
        in->size = (long long)info.st_size;
    return EXIT_OK;
}

void input_close(input_document *in)
{
    if (in->doc >= 1)
        gen__qtxmlif_del_document(in->doc);
    in->doc = -1;
}
