#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant is a crash for the fuzzer, which then keeps the input that caused it.
#define KESTRUNE_FUZZ_CHECK(condition)                                                             \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
