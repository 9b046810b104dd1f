/* Quoted output of names, values and texts. */
#ifndef XMLIF_ESCAPE_H
#define XMLIF_ESCAPE_H

#include <stdio.h>

/* "text" with \" \\ \n \r \t and \xHH for other control bytes; the rest as is. */
void escape_quoted(FILE *out, const char *text);
/* A JSON string. Bytes that are not valid UTF-8 become U+FFFD, so every line
 * stays valid JSON whatever the local encoding produced. */
void escape_json(FILE *out, const char *text);

#endif
