#include "cli.h"

#include <stdio.h>
#include <string.h>

#include "exit_codes.h"

int cli_usage_error(const char *command, const char *message, const char *detail)
{
    fprintf(stderr, "xmlif %s: %s%s%s\nTry 'xmlif %s --help'.\n", command, message, detail ? " " : "",
            detail ? detail : "", command);
    return EXIT_USAGE;
}

static const cli_option *findOption(const cli_syntax *syntax, const char *arg, size_t nameLength)
{
    for (int i = 0; i < syntax->optionCount; ++i) {
        const char *name = syntax->options[i].name;
        if (strlen(name) == nameLength && strncmp(name, arg, nameLength) == 0)
            return &syntax->options[i];
    }
    return NULL;
}

/* One option at argv[*index]; moves *index past its value. */
static int takeOption(const cli_syntax *syntax, int argc, char **argv, int *index)
{
    const char *arg = argv[*index];
    const char *equals = strncmp(arg, "--", 2) == 0 ? strchr(arg, '=') : NULL;
    size_t nameLength = equals ? (size_t)(equals - arg) : strlen(arg);
    const cli_option *option = findOption(syntax, arg, nameLength);
    if (!option)
        return cli_usage_error(syntax->command, "unknown option", arg);
    if (!option->value) {
        if (equals)
            return cli_usage_error(syntax->command, "option takes no value:", arg);
        *option->flag = true;
        return CLI_NOT_DONE;
    }
    if (equals) {
        *option->value = equals + 1;
    } else if (*index + 1 < argc) {
        *option->value = argv[++*index];
    } else {
        return cli_usage_error(syntax->command, "option needs a value:", arg);
    }
    return CLI_NOT_DONE;
}

int cli_parse(const cli_syntax *syntax, int argc, char **argv, const char **args, int *argCount)
{
    *argCount = 0;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (!optionsEnded && (strcmp(arg, "--help") == 0 || strcmp(arg, "-h") == 0)) {
            fputs(syntax->help, stdout);
            fputs("\n" EXIT_STATUS_HELP, stdout);
            return EXIT_OK;
        }
        if (!optionsEnded && strcmp(arg, "--") == 0) {
            optionsEnded = true;
        } else if (!optionsEnded && arg[0] == '-' && arg[1] != '\0') {
            int status = takeOption(syntax, argc, argv, &i);
            if (status != CLI_NOT_DONE)
                return status;
        } else if (*argCount < syntax->maxArgs) {
            args[(*argCount)++] = arg;
        } else {
            return cli_usage_error(syntax->command, "unexpected argument", arg);
        }
    }
    if (*argCount < syntax->minArgs)
        return cli_usage_error(syntax->command, "missing argument", NULL);
    return CLI_NOT_DONE;
}
