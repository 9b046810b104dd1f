/* A progress bar on standard error for long stream reads: shown only when
 * standard error is a terminal and the input is larger than a few megabytes. */
#ifndef XMLIF_PROGRESS_H
#define XMLIF_PROGRESS_H

#include <stdbool.h>
#include <stdint.h>

typedef struct {
    bool shown;
    int doc;
    long long size;       /* input bytes */
    uint32_t lastLow;     /* low 32 bits of the offset, as the library gives them */
    long long offset;     /* characters read, carried past 32 bits */
    long long events;
    double lastDraw;
} progress_bar;

void progress_init(progress_bar *bar, int doc, long long size);
/* Call once per event; redraws a few times a second. */
void progress_tick(progress_bar *bar);
/* Removes the bar so that what follows starts on a clean line. */
void progress_finish(progress_bar *bar);

#endif
