#pragma once

#include <cstdio>
#include <cstdlib>

// A property that does not hold ends the run with what was expected: the
// input that broke it is then saved by libFuzzer as a crash.
#define FUZZ_CHECK(condition, message)                                                \
    do {                                                                              \
        if (!(condition)) {                                                           \
            std::fprintf(stderr, "Property failed at %s:%d: %s\n  (%s)\n", __FILE__, \
                         __LINE__, message, #condition);                              \
            std::abort();                                                             \
        }                                                                             \
    } while (0)
