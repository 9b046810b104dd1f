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

static const cli_option *findOption(const cli_spec *spec, const char *arg, size_t nameLength)
{
    for (int i = 0; i < spec->optionCount; ++i) {
        const char *name = spec->options[i].name;
        if (strlen(name) == nameLength && strncmp(name, arg, nameLength) == 0)
            return &spec->options[i];
    }
    return NULL;
}

/* One option at argv[*index]; moves *index past its value. */
static int takeOption(const cli_spec *spec, int argc, char **argv, int *index)
{
    const char *arg = argv[*index];
    const char *equals = strncmp(arg, "--", 2) == 0 ? strchr(arg, '=') : NULL;
    size_t nameLength = equals ? (size_t)(equals - arg) : strlen(arg);
    const cli_option *option = findOption(spec, arg, nameLength);
    if (!option)
        return cli_usage_error(spec->command, "unknown option", arg);
    if (!option->value) {
        if (equals)
            return cli_usage_error(spec->command, "option takes no value:", arg);
        *option->flag = true;
        return CLI_NOT_DONE;
    }
    if (equals) {
        *option->value = equals + 1;
    } else if (*index + 1 < argc) {
        *option->value = argv[++*index];
    } else {
        return cli_usage_error(spec->command, "option needs a value:", arg);
    }
    return CLI_NOT_DONE;
}

int cli_parse(const cli_spec *spec, int argc, char **argv, const char **args, int *argCount)
{
    *argCount = 0;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (!optionsEnded && (strcmp(arg, "--help") == 0 || strcmp(arg, "-h") == 0)) {
            fputs(spec->help, stdout);
            fputs("\n" EXIT_STATUS_HELP, stdout);
            return EXIT_OK;
        }
        if (!optionsEnded && strcmp(arg, "--") == 0) {
            optionsEnded = true;
        } else if (!optionsEnded && arg[0] == '-' && arg[1] != '\0') {
            int status = takeOption(spec, argc, argv, &i);
            if (status != CLI_NOT_DONE)
                return status;
        } else if (*argCount < spec->maxArgs) {
            args[(*argCount)++] = arg;
        } else {
            return cli_usage_error(spec->command, "unexpected argument", arg);
        }
    }
    if (*argCount < spec->minArgs)
        return cli_usage_error(spec->command, "missing argument", NULL);
    return CLI_NOT_DONE;
}
