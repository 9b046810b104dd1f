/* Seconds on a clock that only moves forward, for timings. */
#ifndef XMLIF_MONOTONIC_H
#define XMLIF_MONOTONIC_H

#include <time.h>

static inline double monotonic_seconds(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + (double)now.tv_nsec / 1e9;
}

#endif
