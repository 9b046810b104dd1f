/* Messages on standard error, and the exit status that goes with each. */
#ifndef XMLIF_DIAGNOSTICS_H
#define XMLIF_DIAGNOSTICS_H

#include <stdint.h>

/* Prints "xmlif: <message>" and returns `code`. */
int diag_error(int code, const char *format, ...) __attribute__((format(printf, 2, 3)));
/* Prints "xmlif: note: <message>". */
void diag_note(const char *format, ...) __attribute__((format(printf, 1, 2)));
/* Explains a failure from what the library logged since the last
 * captured_log_clear(), falling back to the meaning of `status`. `input` names
 * the document for reports that carry no path and for syntax errors, which the
 * DOM loader gives by position only: the stream reader then reads the file
 * again for the reason. Returns the exit status. */
int diag_explain(uint32_t status, const char *input);

#endif
