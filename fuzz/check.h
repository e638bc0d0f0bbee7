// A broken rule ends the run at once, so that the fuzzer keeps the input and a replay fails.
#pragma once

#include <cstdio>
#include <cstdlib>

#define ZARN_FUZZ_CHECK(condition, ...)                                                   \
    do {                                                                                  \
        if (!(condition)) {                                                               \
            std::fprintf(stderr, "%s:%d: broken rule: %s: ", __FILE__, __LINE__, #condition); \
            std::fprintf(stderr, __VA_ARGS__);                                            \
            std::fputc('\n', stderr);                                                     \
            std::abort();                                                                 \
        }                                                                                 \
    } while (false)
