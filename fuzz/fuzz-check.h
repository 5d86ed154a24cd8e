// A check that stays on in every build of the fuzz targets: a broken invariant aborts, so the
// fuzzer records the input and the corpus replay fails.
#pragma once

#include <cstdio>
#include <cstdlib>

#define CHECK(expr)                                                                                                    \
    do {                                                                                                               \
        if (!(expr)) {                                                                                                 \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #expr);                                   \
            abort();                                                                                                   \
        }                                                                                                              \
    } while (0)
