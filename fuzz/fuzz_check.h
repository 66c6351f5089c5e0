// CHECK(invariant): aborts with the broken invariant and its line, so that
// libFuzzer keeps the input that broke it as a crash.
#ifndef KELMORA_FUZZ_CHECK_H
#define KELMORA_FUZZ_CHECK_H

#include <sanitizer/common_interface_defs.h>

#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void kelmora_fuzz_fail(const char* invariant, const char* file, int line) {
    char summary[512];
    std::snprintf(summary, sizeof summary, "SUMMARY: %s:%d: invariant broken: %s", file, line,
                  invariant);
    // Through the sanitizers' report channel: libFuzzer keeps it open when
    // -close_fd_mask has closed the target's own standard error.
    __sanitizer_report_error_summary(summary);
    std::fprintf(stderr, "%s\n", summary);
    std::abort();
}

#define CHECK(invariant)                                                                           \
    do {                                                                                           \
        if (!(invariant)) {                                                                        \
            kelmora_fuzz_fail(#invariant, __FILE__, __LINE__);                                     \
        }                                                                                          \
    } while (0)

#endif
