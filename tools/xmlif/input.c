#define _POSIX_C_SOURCE 200809L
#include "input.h"

#include <string.h>
#include <sys/stat.h>

#include "captured_log.h"
#include "diagnostics.h"
#include "exit_codes.h"
#include "gen_qtxmlif.h"
#include "stdin_copy.h"

static const char stdinLabel[] = "standard input";

/* Loads the file at `path`; messages name it `label`. */
static int loadFile(const char *path, const char *label, bool stream, input_document *in)
{
    captured_log_clear();
    uint32_t status = stream ? gen__qtxmlif_load_incremental(path, &in->doc) : gen__qtxmlif_load(path, &in->doc);
    return status == GEN__QTXMLIF_OK ? EXIT_OK : diag_explain(status, label);
}

static int openStandardInput(bool stream, input_document *in)
{
    stdin_copy copy;
    int status = stdin_copy_make(&copy);
    if (status != EXIT_OK)
        return status;
    in->size = copy.size;
    if (copy.size == 0)
        status = diag_error(EXIT_SYNTAX, "syntax error in %s: it is empty", stdinLabel);
    else
        status = loadFile(copy.path, stdinLabel, stream, in);
    /* Only after any syntax error has been explained: that reads the file again. */
    stdin_copy_remove(&copy);
    return status;
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
    int status = loadFile(path, path, stream, in);
    struct stat info;
    if (status == EXIT_OK && stat(path, &info) == 0)
        in->size = (long long)info.st_size;
    return status;
}

void input_close(input_document *in)
{
    if (in->doc >= 1)
        gen__qtxmlif_del_document(in->doc);
    in->doc = -1;
}
