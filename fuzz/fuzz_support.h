// What the three fuzz targets share: quiet support functions (defined in
// fuzz_support.cpp), a scratch file per process, string and handle release, and
// a check that stops the run with a report the fuzzer records as a crash.
#pragma once

#include "gen_qtxmlif.h"
#include "ruziradavod.h"

#include <cstdint>
#include <string>

namespace fuzz {

// Stops the run: the fuzzer saves the input that led here.
[[noreturn]] void fail(const char* what, uint32_t code);

inline void require(bool holds, const char* what, uint32_t code = 0)
{
    if (!holds)
        fail(what, code);
}

// A path in a directory of this process's own, removed at exit.
const std::string& scratchPath(const char* fileName);

// Takes a string handed out by the library: copies it and releases it.
std::string take(char*& text);

// Every input must leave the registry empty, or documents pile up across runs.
void requireNoDocuments();

} // namespace fuzz
