/* The build script: one command per line.
 *   open NAME | attr NAME VALUE | text TEXT | close
 * Arguments are separated by blanks (spaces or tabs). A bare argument is taken
 * literally up to the next blank. An argument that starts with a double quote
 * runs to the closing quote, with \" \\ \n \t \r standing for a quote, a
 * backslash, a line feed, a tab and a carriage return; a blank or the end of
 * the line must follow it. Blank lines and lines starting with # are skipped. */
#ifndef XMLIF_SCRIPT_H
#define XMLIF_SCRIPT_H

#include <stdbool.h>
#include <stddef.h>

typedef enum { SCRIPT_NOTHING, SCRIPT_OPEN, SCRIPT_ATTR, SCRIPT_TEXT, SCRIPT_CLOSE } script_verb;

typedef struct {
    script_verb verb;
    const char *args[2]; /* point into the parsed line */
} script_command;

/* Parses `line` (its line break may still be there), decoding arguments in
 * place. Returns false with a message in `error` when the line is bad. */
bool script_parse(char *line, script_command *command, char *error, size_t errorSize);

#endif
