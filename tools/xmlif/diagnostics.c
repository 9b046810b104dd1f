#include "diagnostics.h"

#include <stdarg.h>
#include <stdio.h>

#include "captured_log.h"
#include "exit_codes.h"
#include "gen_qtxmlif.h"

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

static int explainKey(const logged_entry *entry)
{
    switch (entry->number) {
    case 64:
        return diag_error(EXIT_NO_FILE, "%s: no such file", entry->subject);
    case 71:
        return diag_error(EXIT_UNREADABLE, "%s: the file exists but cannot be opened for reading", entry->subject);
    case 82:
        return diag_error(EXIT_SYNTAX, "syntax error in %s at line %d, column %d", entry->subject, entry->line,
                          entry->column);
    case 188:
        return diag_error(EXIT_OUTPUT, "%s: cannot be opened for writing", entry->subject);
    case 194:
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
        return diag_error(EXIT_SYNTAX, "syntax error in %s at line %d, column %d: %s", input, entry->line,
                          entry->column, entry->subject);
    case LOGGED_KEY:
        return explainKey(entry);
    case LOGGED_CONTRACT:
        return diag_error(EXIT_LIBRARY, "the library refused an operation on %s (its check \"%s\" failed)", input,
                          entry->subject);
    case LOGGED_NOTHING:
        break;
    }
    return explainStatus(status, input);
}
