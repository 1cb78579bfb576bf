// What a fuzz target does when a property fails: say which one, then abort,
// so libFuzzer keeps the input as a crash.
#pragma once

#include <cstdio>
#include <cstdlib>

#define DW_FUZZ_CHECK(condition)                                                    \
  do {                                                                              \
    if (!(condition)) {                                                             \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__,     \
                   #condition);                                                     \
      std::abort();                                                                 \
    }                                                                               \
  } while (false)
