#define _POSIX_C_SOURCE 200809L
#include <stdio.h>
#include <stdlib.h>

#include "builder.h"
#include "cli.h"
#include "commands.h"
#include "diagnostics.h"
#include "exit_codes.h"
#include "script.h"

static const char help[] =
    "Usage: xmlif build [--to dom|file|buffer] [-o OUT]\n"
    "\n"
    "Reads a script from standard input and builds a document with the\n"
    "building functions, into a DOM document (dom, the default; saved with\n"
    "gen__qtxmlif_save), the incremental file writer (file; saved), or the\n"
    "buffer writer (buffer; its bytes are taken with\n"
    "gen__qtxmlif_get_buff_to_encrypt). The file and buffer writers give the\n"
    "same bytes for the same script.\n"
    "\n"
    "  --to KIND   dom, file or buffer\n"
    "  -o OUT      write to OUT instead of standard output\n"
    "\n"
    "Script, one command per line:\n"
    "  open NAME          open an element; the first one is the document element\n"
    "  attr NAME VALUE    add an attribute; only directly after open or attr\n"
    "  text TEXT          add text to the open element (an empty text adds none)\n"
    "  close              close the open element\n"
    "Elements still open at the end are closed. Arguments are separated by\n"
    "blanks. A bare argument is taken literally up to the next blank. An\n"
    "argument in double quotes may hold blanks or be empty; inside it \\\" \\\\ \\n\n"
    "\\t and \\r stand for a quote, a backslash, a line feed, a tab and a\n"
    "carriage return. Blank lines and lines starting with # are skipped.\n"
    "Example:\n"
    "  open note\n"
    "  attr lang en\n"
    "  text \"Hello, \\\"world\\\"\"\n"
    "  close\n";

static int runScript(builder *b, const char *out)
{
    char *line = NULL;
    size_t capacity = 0;
    int number = 0, status = EXIT_OK;
    char error[256] = "";
    while (status == EXIT_OK && getline(&line, &capacity, stdin) >= 0) {
        ++number;
        script_command command;
        status = script_parse(line, &command, error, sizeof error) ? builder_apply(b, &command, error, sizeof error)
                                                                    : EXIT_SCRIPT;
    }
    free(line);
    if (status == EXIT_SCRIPT)
        return diag_error(status, "script line %d: %s", number, error);
    if (status != EXIT_OK)
        return status;
    if (ferror(stdin))
        return diag_error(EXIT_UNREADABLE, "standard input cannot be read");
    status = builder_finish(b, out, error, sizeof error);
    return status == EXIT_SCRIPT ? diag_error(status, "script: %s", error) : status;
}

int cmd_build(int argc, char **argv)
{
    const char *kindWord = "dom", *out = NULL;
    const cli_option options[] = {{"--to", &kindWord, NULL}, {"-o", &out, NULL}};
    const cli_syntax syntax = {"build", help, options, 2, 0, 0};
    int argCount = 0;
    int status = cli_parse(&syntax, argc, argv, NULL, &argCount);
    if (status != CLI_NOT_DONE)
        return status;
    writer_kind kind;
    if (!builder_kind_from_word(kindWord, &kind))
        return cli_usage_error("build", "--to takes dom, file or buffer, not", kindWord);

    builder b;
    builder_init(&b, kind);
    status = runScript(&b, out);
    builder_discard(&b);
    return status;
}
