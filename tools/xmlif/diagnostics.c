#include "diagnostics.h"

#include <stdarg.h>
#include <stdio.h>

#include "captured_log.h"
#include "exit_codes.h"
#include "gen_qtxmlif.h"
#include "rururoro_message_keys.h"
#include "stream_reason.h"

static void vprint(const char *prefix, const char *format, va_list args)
{
    fprintf(stderr, "xmlif: %s", prefix);
    vfprintf(stderr, format, args);
    fputc('\n', stderr);
}

int diag_error(int code, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vprint("", format, args);
    va_end(args);
    return code;
}

void diag_note(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vprint("note: ", format, args);
    va_end(args);
}

static int syntaxErrorAt(const char *input, int line, int column, const char *reason)
{
    return diag_error(EXIT_SYNTAX, "syntax error in %s at line %d, column %d: %s", input, line, column, reason);
}

/* The DOM loader's position, with the reason the stream reader gives for the
 * same file. Where the two readers part, the stream reader's own position
 * goes with its reason, as that may be about another fault. */
static int explainDomSyntaxError(const logged_entry *entry, const char *input)
{
    const logged_entry dom = *entry; /* the stream pass logs over it */
    logged_entry stream;
    if (!stream_reason_find(dom.subject, &stream))
        return diag_error(EXIT_SYNTAX, "syntax error in %s at line %d, column %d", input, dom.line, dom.column);
    if (stream.line == dom.line)
        return syntaxErrorAt(input, dom.line, dom.column, stream.subject);
    return diag_error(EXIT_SYNTAX,
                      "syntax error in %s at line %d, column %d: %s (found by the stream reader at line %d, column %d)",
                      input, dom.line, dom.column, stream.subject, stream.line, stream.column);
}

static int explainKey(const logged_entry *entry, const char *input)
{
    switch (entry->number) {
    case RURUROR_KEY_FILE_NOT_FOUND:
        return diag_error(EXIT_NO_FILE, "%s: no such file", entry->subject);
    case RURUROR_KEY_FILE_NOT_OPENED:
        return diag_error(EXIT_UNREADABLE, "%s: the file exists but cannot be opened for reading", entry->subject);
    case RURUROR_KEY_SYNTAX_ERROR:
        return explainDomSyntaxError(entry, input);
    case RURUROR_KEY_SAVE_FILE_NOT_OPENED:
        return diag_error(EXIT_OUTPUT, "%s: cannot be opened for writing", entry->subject);
    case RURUROR_KEY_SAVE_FAILED:
        return diag_error(EXIT_OUTPUT, "could not save the document to %s", entry->subject);
    default:
        return diag_error(EXIT_LIBRARY, "the library failed: %s", entry->text);
    }
}

static int explainStatus(uint32_t status, const char *input)
{
    switch (status) {
    case GEN__QTXMLIF_E_NO_DOCUMENT:
        return diag_error(EXIT_NO_FILE, "%s: no such file", input);
    case GEN__QTXMLIF_E_OPEN_FAILED:
        return diag_error(EXIT_UNREADABLE, "%s: cannot be opened for reading", input);
    case GEN__QTXMLIF_E_SYNTAX:
        return diag_error(EXIT_SYNTAX, "syntax error in %s", input);
    case GEN__QTXMLIF_E_SAVE_FAILED:
        return diag_error(EXIT_OUTPUT, "could not save the document");
    case GEN__QTXMLIF_E_NO_SUCH_ID:
        return diag_error(EXIT_LIBRARY, "the library no longer knows the document of %s", input);
    default:
        return diag_error(EXIT_LIBRARY, "the library refused a call on %s (status %u)", input, (unsigned)status);
    }
}

int diag_explain(uint32_t status, const char *input)
{
    const logged_entry *entry = captured_log_last();
    switch (entry->kind) {
    case LOGGED_PARSE_ERROR:
        return syntaxErrorAt(input, entry->line, entry->column, entry->subject);
    case LOGGED_KEY:
        return explainKey(entry, input);
    case LOGGED_CONTRACT:
        return diag_error(EXIT_LIBRARY, "the library refused an operation on %s (its check \"%s\" failed)", input,
                          entry->subject);
    case LOGGED_NOTHING:
        break;
    }
    return explainStatus(status, input);
}
