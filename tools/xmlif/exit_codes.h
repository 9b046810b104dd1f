/* Exit statuses of xmlif, one per failure class. */
#ifndef XMLIF_EXIT_CODES_H
#define XMLIF_EXIT_CODES_H

enum {
    EXIT_OK = 0,
    EXIT_LIBRARY = 1,      /* the library refused a call the tool expected to succeed */
    EXIT_USAGE = 2,        /* bad command line */
    EXIT_NO_FILE = 3,      /* input file not found */
    EXIT_UNREADABLE = 4,   /* input exists but cannot be read */
    EXIT_SYNTAX = 5,       /* input is not well-formed XML */
    EXIT_NO_ELEMENT = 6,   /* --start NAME or a children path names no element */
    EXIT_SCRIPT = 7,       /* bad build script line */
    EXIT_OUTPUT = 8,       /* output cannot be written */
    EXIT_SELFTEST = 9      /* the self-test round trip differs */
};

/* The table that every --help ends with. */
#define EXIT_STATUS_HELP                                                      \
    "Exit status:\n"                                                          \
    "  0  success\n"                                                          \
    "  1  the library refused a call (its report is printed)\n"               \
    "  2  bad command line\n"                                                 \
    "  3  input file not found\n"                                             \
    "  4  input cannot be read\n"                                             \
    "  5  XML syntax error (file, line and column are printed)\n"             \
    "  6  no element with the given name or path\n"                           \
    "  7  bad build script line\n"                                            \
    "  8  output cannot be written\n"                                         \
    "  9  self-test round trip differs\n"

#endif
