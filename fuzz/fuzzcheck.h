// Fuzz support: a failed invariant prints where and why, then aborts for libFuzzer.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                               \
    do {                                                                               \
        if (!(cond)) {                                                                 \
            fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #cond); \
            abort();                                                                   \
        }                                                                              \
    } while (0)
