#pragma once
// A failed property must stop the run like a crash, so that libFuzzer keeps the input; assert() is
// compiled out in the optimised fuzz build.
#include <cstdio>
#include <cstdlib>

#define MIRV_FUZZ_CHECK(condition)                                                                \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (false)
