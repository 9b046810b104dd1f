/* Command-line parsing shared by the subcommands. */
#ifndef XMLIF_CLI_H
#define XMLIF_CLI_H

#include <stdbool.h>
#include <stddef.h>

typedef struct {
    const char *name;     /* "--stream", "-o" */
    const char **value;   /* receives the value of an option that takes one */
    bool *flag;           /* set for an option without value */
} cli_option;

typedef struct {
    const char *command;  /* subcommand name, for messages */
    const char *help;     /* --help text; the exit status table is appended */
    const cli_option *options;
    int optionCount;
    int minArgs;
    int maxArgs;
} cli_syntax;

#define CLI_NOT_DONE (-1)

/* Parses argv[1..argc-1]. Positional arguments (a lone "-" included) go to
 * `args`, which has room for syntax->maxArgs entries. Returns CLI_NOT_DONE when
 * the command should run, otherwise the exit status (after printing the help
 * or a usage message). */
int cli_parse(const cli_syntax *syntax, int argc, char **argv, const char **args, int *argCount);

/* Prints a usage message for `command` and returns the usage exit status. */
int cli_usage_error(const char *command, const char *message, const char *detail);

#endif
