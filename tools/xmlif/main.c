/* xmlif: shows how the library sees an XML document, through its C interface. */
#include <stdio.h>
#include <string.h>

#include "commands.h"
#include "diagnostics.h"
#include "exit_codes.h"

typedef struct {
    const char *name;
    int (*run)(int argc, char **argv);
    const char *summary;
} command;

static const command commands[] = {
    {"walk", cmd_walk, "print every event of a walk over a document (DOM or --stream)"},
    {"children", cmd_children, "list the child elements of an element, with attribute counts and lines"},
    {"stats", cmd_stats, "count elements, attributes and text with the stream reader, and time it"},
    {"format", cmd_format, "load a document and save it in the library's own format"},
    {"build", cmd_build, "build a document from a line script on standard input"},
    {"selftest", cmd_selftest, "build, save, load and walk a sample; check the round trip"},
};
enum { COMMAND_COUNT = sizeof commands / sizeof commands[0] };

static void printHelp(FILE *out)
{
    fputs("Usage: xmlif COMMAND [OPTIONS] [ARGUMENTS]\n\n"
          "Shows how librururoro sees an XML document, using only its C interface.\n\n"
          "Commands:\n",
          out);
    for (int i = 0; i < COMMAND_COUNT; ++i)
        fprintf(out, "  %-9s %s\n", commands[i].name, commands[i].summary);
    fputs("\n'xmlif COMMAND --help' describes a command and its options.\n\n" EXIT_STATUS_HELP, out);
}

static int dispatch(int argc, char **argv)
{
    if (argc < 2) {
        printHelp(stderr);
        return EXIT_USAGE;
    }
    const char *name = argv[1];
    if (strcmp(name, "--help") == 0 || strcmp(name, "-h") == 0 || strcmp(name, "help") == 0) {
        printHelp(stdout);
        return EXIT_OK;
    }
    for (int i = 0; i < COMMAND_COUNT; ++i)
        if (strcmp(name, commands[i].name) == 0)
            return commands[i].run(argc - 1, argv + 1);
    fprintf(stderr, "xmlif: unknown command '%s'\nTry 'xmlif --help'.\n", name);
    return EXIT_USAGE;
}

int main(int argc, char **argv)
{
    int status = dispatch(argc, argv);
    if (fflush(stdout) != 0 && status == EXIT_OK)
        status = diag_error(EXIT_OUTPUT, "cannot write to standard output");
    return status;
}
