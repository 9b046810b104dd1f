/* Support calls the library makes for logging, error signalling and string memory.
 * libruziradavod.so provides plain versions (log entries on standard error). A host
 * program may define these five functions itself and export them from its
 * executable; the dynamic linker then routes every call from the library to the
 * host's versions. The file and line arguments the library passes name its own
 * sources, relative to the repository. */
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

/* One log entry of the given level. `format` is printf-style. The library uses:
 *   "ERROR"     runtime failures; `format` is a message key
 *               "@$@#module@$@#category@$@#number@$@#default text", and the further
 *               arguments fill the default text;
 *   "INTERNAL"  broken contracts, format "(%s) at %s %d\n": condition, file, line;
 *   "WARNING"   a stream reader's input is not well-formed;
 *   "NONE"      a stream reader has read the end of its document. */
RUZIRADAVOD_API void gen__log_write(const char *level, const char *format, ...)
    __attribute__((format(printf, 2, 3)));

/* An audible error signal; called once right after every "INTERNAL" entry. */
RUZIRADAVOD_API void gen__err_sound(void);

/* Trace that a failing status passed the given source position; only the four
 * loaders call it, once per failure. */
RUZIRADAVOD_API void gen__log_status_check(const char *file, int line);

/* A new heap copy of `text` that the caller releases with gen__mem_free. The
 * library makes every string it hands out with it and passes on the result
 * unchecked. */
RUZIRADAVOD_API char *gen__str_dup_fn(const char *text, const char *file, int line);

/* Releases a string made by gen__str_dup_fn; `kind` is 1 for such strings. The
 * library never calls it on what it hands out: that is the caller's part. */
RUZIRADAVOD_API void gen__mem_free(void *pointer, int kind, const char *file, int line);

#ifdef __cplusplus
}
#endif

#endif
