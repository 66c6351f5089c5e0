// CHECK(invariant): aborts with the broken invariant and its line, so that
// libFuzzer keeps the input that broke it as a crash.
#ifndef KELMORA_FUZZ_CHECK_H
#define KELMORA_FUZZ_CHECK_H

#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void kelmora_fuzz_fail(const char* invariant, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, invariant);
    std::abort();
}

#define CHECK(invariant)                                                                           \
    do {                                                                                           \
        if (!(invariant)) {                                                                        \
            kelmora_fuzz_fail(#invariant, __FILE__, __LINE__);                                     \
        }                                                                                          \
    } while (0)

#endif
