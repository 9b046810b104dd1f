// Rules every exported function follows, written once: plausible pointers,
// empty strings, assertion reports, message keys, the status trace, string
// conversion and copies, and the guard that keeps exceptions inside the library.
//
// Macros are used where a report must name the calling site (__FILE__ is
// relative to the repository, the build strips the source prefix) or where a
// condition text is made from the argument's own name.
#pragma once

#include "gen_qtxmlif.h"
#include "qtxmlmanager.h"
#include "rururoro_message_keys.h"
#include "ruziradavod.h"

#include <QString>
#include <cstdint>

namespace boundary {

inline bool plausible(const volatile void* pointer)
{
    return isPlausiblePointer(pointer);
}

// A string argument is empty when it is null or its first byte is NUL.
inline bool isEmpty(const char* text)
{
    return !text || text[0] == '\0';
}

// Writes `value` through `target` only when the pointer is plausible.
template <typename T, typename V>
inline void set(T* target, V value)
{
    if (plausible(target))
        *target = static_cast<T>(value);
}

// A flag argument becomes a real bool here and nowhere later: any non-zero
// byte counts as true, also 2 or 255 from a host whose bool is a plain byte.
inline bool flag(RURUROR_FLAG byte)
{
    return byte != 0;
}

// Marks the definition of an exported function that takes a flag. Hosts call it
// through a bool prototype on purpose; Clang's function sanitizer would report
// each such call made through a function pointer.
#if defined(__clang__)
#define RURUROR_TAKES_FLAG __attribute__((no_sanitize("function")))
#else
#define RURUROR_TAKES_FLAG
#endif

inline QtXmlManager& manager()
{
    return *QtXmlManager::instance();
}

// Names, values and texts arrive in the local 8-bit encoding; a null pointer
// gives a null string.
QString fromLocal(const char* text);

// File paths reach the system as the caller's bytes. Decoded as UTF-8 they
// would lose a leading U+FEFF and any byte that is not UTF-8, and Qt encodes
// them again in the locale's encoding: the file read or replaced could be
// another than the one named.
inline QByteArray nativePath(const char* path)
{
    return QByteArray(path);
}

inline RurUrOroEntity* entityOf(void* handle)
{
    return static_cast<RurUrOroEntity*>(handle);
}

// A handle up to 1000 was never handed out: it stands for no entity rather than
// a pointer to read through.
inline RurUrOroEntity* entityOrNull(void* handle)
{
    return plausible(handle) ? entityOf(handle) : nullptr;
}

// One "INTERNAL" entry "(condition) at file line", then exactly one error sound.
void reportAssertion(const char* condition, const char* file, int line);

// Returns `passes`; when it is false the assertion report has been written.
bool check(bool passes, const char* condition, const char* file, int line);

// A new copy (gen__str_dup_fn) of the text in the local 8-bit encoding, stored
// through `target` when it is plausible. The copy belongs to the caller.
void setString(char** target, const QString& text, const char* file, int line);

// Returns `status`; a non-zero status leaves one trace of the site first.
std::uint32_t traceFailure(std::uint32_t status, const char* file, int line);

// Called from a catch-all handler: releases what was thrown and reports it as an
// assertion at the site. A not-supported error (a heap QString*) reports its own
// text, so the log says which operation the document kind lacks.
void absorbException(const char* file, int line) noexcept;

} // namespace boundary

// Condition texts built from the argument's own name, as the reports spell them.
#define RURUROR_NOT_EMPTY_TEXT(arg) "!((" #arg ") ? (" #arg ")[0]=='\\0' : 1)"
#define RURUROR_PLAUSIBLE_TEXT(arg) "((ullong)(" #arg ") > 1000)"

// Each yields true when the argument passes; otherwise the report is written
// for the calling line.
#define RURUROR_CHECK(passes, conditionText) ::boundary::check((passes), (conditionText), __FILE__, __LINE__)
#define RURUROR_CHECK_NOT_EMPTY(arg) RURUROR_CHECK(!::boundary::isEmpty(arg), RURUROR_NOT_EMPTY_TEXT(arg))
#define RURUROR_CHECK_PLAUSIBLE(arg) RURUROR_CHECK(::boundary::plausible(arg), RURUROR_PLAUSIBLE_TEXT(arg))

// A runtime failure logged with level "ERROR" and a message key as the format;
// the placeholders of `text` are filled from the further arguments. `key` is a
// name from rururoro_message_keys.h; the format spells its number.
#define RURUROR_STRINGIZE(literal) #literal
#define RURUROR_MESSAGE_KEY(key, text) "@$@#gen_qtxmlif@$@#GENERAL@$@#" RURUROR_STRINGIZE(key) "@$@#" text
// Using `key` as a value too stops a misspelt name from being logged as text.
#define RURUROR_LOG_ERROR(key, text, ...)                                                                              \
    (static_cast<void>(key), gen__log_write("ERROR", RURUROR_MESSAGE_KEY(key, text), __VA_ARGS__))

// The common document check: true when `docID` is registered; otherwise the
// not-found message with the site's key has been logged.
#define RURUROR_DOCUMENT_FOUND(key, docID)                                                                             \
    (::boundary::manager().documentExist(docID) ||                                                                    \
     (RURUROR_LOG_ERROR(key, "XML document ID %d not found", static_cast<int>(docID)), false))

#define RURUROR_SET_STRING(target, text) ::boundary::setString((target), (text), __FILE__, __LINE__)
#define RURUROR_TRACE_FAILURE(status) ::boundary::traceFailure((status), __FILE__, __LINE__)

// Closes an exported function written as a function-try-block:
//     uint32_t gen__qtxmlif_x(...) try { ... } RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)
// Nothing thrown inside reaches the caller; the function answers `failure`
// (leave it empty in a function that returns nothing).
#define RURUROR_CATCH_ALL(failure)                                                                                     \
    catch (...)                                                                                                        \
    {                                                                                                                  \
        ::boundary::absorbException(__FILE__, __LINE__);                                                               \
        return failure;                                                                                                \
    }
