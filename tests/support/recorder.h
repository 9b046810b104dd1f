/* Recording versions of the five support functions, for tests that act as a host.
 * Every log entry, error sound, status trace and string copy is kept in order. */
#ifndef TEST_RECORDER_H
#define TEST_RECORDER_H

#ifdef __cplusplus
extern "C" {
#endif

typedef enum { RECORD_LOG, RECORD_SOUND, RECORD_STATUS } record_kind;

void recorder_reset(void);
int recorder_count(void);                 /* events since the last reset */
record_kind recorder_kind(int index);
const char *recorder_level(int index);    /* RECORD_LOG: the level word */
const char *recorder_format(int index);   /* RECORD_LOG: the format as passed */
const char *recorder_text(int index);     /* RECORD_LOG: the format filled with its values */
const char *recorder_file(int index);     /* RECORD_STATUS: source file */
int recorder_line(int index);             /* RECORD_STATUS: source line */

int recorder_logs(const char *level);     /* log entries of one level (NULL: all) */
int recorder_sounds(void);
int recorder_status_checks(void);
/* Index of the last log entry, or -1. */
int recorder_last_log(void);
/* 1 when every "INTERNAL" entry is followed directly by exactly one sound and
 * no sound stands anywhere else. */
int recorder_sounds_follow_reports(void);

/* Strings made by gen__str_dup_fn minus those released by gen__mem_free, since
 * the process started (not reset). */
long recorder_strings_outstanding(void);
long recorder_strings_made(void);

#ifdef __cplusplus
}
#endif

#endif
