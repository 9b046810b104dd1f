#define _POSIX_C_SOURCE 200809L
#include "output.h"

#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "captured_log.h"
#include "diagnostics.h"
#include "exit_codes.h"
#include "gen_qtxmlif.h"
#include "temp_file.h"

static bool toStandardOutput(const char *path)
{
    return !path || strcmp(path, "-") == 0;
}

bool output_temp_file(char *path, size_t size)
{
    int fd = temp_file_create(path, size);
    if (fd < 0) {
        diag_error(EXIT_OUTPUT, "cannot create a temporary file in %s", temp_directory());
        return false;
    }
    close(fd);
    return true;
}

static int copyToStandardOutput(const char *path)
{
    FILE *in = fopen(path, "rb");
    if (!in)
        return diag_error(EXIT_OUTPUT, "cannot read back the temporary file %s", path);
    char chunk[1 << 16];
    size_t n;
    bool written = true;
    while (written && (n = fread(chunk, 1, sizeof chunk, in)) > 0)
        written = fwrite(chunk, 1, n, stdout) == n;
    fclose(in);
    if (!written || fflush(stdout) != 0)
        return diag_error(EXIT_OUTPUT, "cannot write to standard output");
    return EXIT_OK;
}

int output_save(int doc, const char *path)
{
    captured_log_clear();
    if (!toStandardOutput(path)) {
        uint32_t status = gen__qtxmlif_save(doc, path);
        return status == GEN__QTXMLIF_OK ? EXIT_OK : diag_explain(status, path);
    }
    /* The library writes only to a named file (and the file writer replaces
     * it), so standard output gets a copy of a temporary one. */
    char temporary[4096];
    if (!output_temp_file(temporary, sizeof temporary))
        return EXIT_OUTPUT;
    uint32_t status = gen__qtxmlif_save(doc, temporary);
    int result = status == GEN__QTXMLIF_OK ? copyToStandardOutput(temporary) : diag_explain(status, temporary);
    remove(temporary);
    return result;
}

int output_write(const char *bytes, size_t length, const char *path)
{
    bool console = toStandardOutput(path);
    FILE *out = console ? stdout : fopen(path, "wb");
    if (!out)
        return diag_error(EXIT_OUTPUT, "%s: cannot be opened for writing", path);
    bool written = fwrite(bytes, 1, length, out) == length;
    written = (console ? fflush(out) : fclose(out)) == 0 && written;
    if (!written)
        return diag_error(EXIT_OUTPUT, "cannot write to %s", console ? "standard output" : path);
    return EXIT_OK;
}
