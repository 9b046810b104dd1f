#include "cli.h"
#include "commands.h"
#include "exit_codes.h"
#include "input.h"
#include "output.h"

static const char help[] =
    "Usage: xmlif format FILE [-o OUT]\n"
    "\n"
    "Loads FILE (\"-\" reads standard input) as a DOM document and saves it\n"
    "with gen__qtxmlif_save, in the library's own format: a fixed XML\n"
    "declaration line, then the tree indented by four spaces. Text made only of\n"
    "whitespace between elements is dropped on loading, so formatting a\n"
    "formatted file gives the same bytes.\n"
    "\n"
    "  -o OUT   write to OUT instead of standard output\n";

int cmd_format(int argc, char **argv)
{
    const char *out = NULL;
    const cli_option options[] = {{"-o", &out, NULL}};
    const cli_syntax syntax = {"format", help, options, 1, 1, 1};
    const char *args[1];
    int argCount = 0;
    int status = cli_parse(&syntax, argc, argv, args, &argCount);
    if (status != CLI_NOT_DONE)
        return status;

    input_document in;
    status = input_open(args[0], false, &in);
    if (status == EXIT_OK)
        status = output_save(in.doc, out);
    input_close(&in);
    return status;
}
