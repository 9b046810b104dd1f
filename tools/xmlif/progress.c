#define _POSIX_C_SOURCE 200809L
#include "progress.h"

#include <stdio.h>
#include <unistd.h>

#include "gen_qtxmlif.h"
#include "monotonic.h"

enum {
    MIN_BYTES = 4 << 20,     /* smaller inputs are read before a bar would help */
    EVENTS_PER_LOOK = 4096,  /* keeps clock and offset queries off the hot path */
    WIDTH = 40
};
static const double REDRAW_SECONDS = 0.1;

void progress_init(progress_bar *bar, int doc, long long size)
{
    *bar = (progress_bar){size > MIN_BYTES && isatty(STDERR_FILENO), doc, size, 0, 0, 0, monotonic_seconds()};
}

/* The library gives the character offset's low 32 bits; steps past a wrap are
 * added back, as no read between two looks gets near 4 GiB. */
static void readOffset(progress_bar *bar)
{
    int low = 0;
    gen__qtxmlif_characters_offset(bar->doc, &low);
    bar->offset += (uint32_t)((uint32_t)low - bar->lastLow);
    bar->lastLow = (uint32_t)low;
}

static void draw(const progress_bar *bar)
{
    /* Characters, not bytes: multi-byte text keeps the bar a little behind. */
    double done = (double)bar->offset / (double)bar->size;
    if (done > 1)
        done = 1;
    int filled = (int)(done * WIDTH);
    fputs("\r[", stderr);
    for (int i = 0; i < WIDTH; ++i)
        fputc(i < filled ? '#' : '.', stderr);
    fprintf(stderr, "] %3d%%  %lld/%lld MB", (int)(done * 100), bar->offset / 1000000, bar->size / 1000000);
    fflush(stderr);
}

void progress_tick(progress_bar *bar)
{
    if (!bar->shown || ++bar->events % EVENTS_PER_LOOK != 0)
        return;
    double now = monotonic_seconds();
    if (now - bar->lastDraw < REDRAW_SECONDS)
        return;
    bar->lastDraw = now;
    readOffset(bar);
    draw(bar);
}

void progress_finish(progress_bar *bar)
{
    if (bar->shown)
        fprintf(stderr, "\r%*s\r", WIDTH + 20, "");
}
