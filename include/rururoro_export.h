/* The one switch that decides what leaves librururoro.so: everything else is hidden. */
#ifndef RURUROR_EXPORT_H
#define RURUROR_EXPORT_H

#if defined(RURUROR_BUILD)
#define RURUROR_API __attribute__((visibility("default")))
#else
#define RURUROR_API
#endif

#endif
