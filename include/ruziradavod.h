/* Support calls the library makes for logging, error signalling and string memory.
 * A host program may define these five functions itself; the dynamic linker then
 * routes every call from the library to the host's versions. */
#ifndef RUZIRADAVOD_H
#define RUZIRADAVOD_H

#if defined(RUZIRADAVOD_BUILD)
#define RUZIRADAVOD_API __attribute__((visibility("default")))
#else
#define RUZIRADAVOD_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* One log entry of the given level ("ERROR", "INTERNAL", "WARNING", "NONE").
 * `format` is printf-style; it may be a message key
 * "@$@#module@$@#category@$@#number@$@#default text". */
RUZIRADAVOD_API void gen__log_write(const char *level, const char *format, ...)
    __attribute__((format(printf, 2, 3)));

/* An audible error signal; follows every "INTERNAL" entry. */
RUZIRADAVOD_API void gen__err_sound(void);

/* Trace that a failing status passed the given source position. */
RUZIRADAVOD_API void gen__log_status_check(const char *file, int line);

/* A new heap copy of `text` that the caller releases with gen__mem_free. */
RUZIRADAVOD_API char *gen__str_dup_fn(const char *text, const char *file, int line);

/* Releases a string made by gen__str_dup_fn. */
RUZIRADAVOD_API void gen__mem_free(void *pointer, int kind, const char *file, int line);

#ifdef __cplusplus
}
#endif

#endif
