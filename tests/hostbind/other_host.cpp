// A second module exporting the three host functions, standing in for another
// renderer module. Its answers differ from the fake host's, and it counts its
// calls, so a test can tell which module a call reached.
#include "other_host.h"

#include <atomic>

namespace {
std::atomic<int> call_counts[other_host::function_count];

void count(other_host::Function function) {
    call_counts[function].fetch_add(1, std::memory_order_relaxed);
}
} // namespace

extern "C" KELMORA_EXPORT void mi_vector_to_camera(mi_state*, mi_vector* out, const mi_vector*) {
    count(other_host::to_camera);
    *out = other_host::camera_dir;
}

extern "C" KELMORA_EXPORT void mi_vector_from_camera(mi_state*, mi_vector* out,
                                                     const mi_vector* in) {
    count(other_host::from_camera);
    *out = *in;
}

extern "C" KELMORA_EXPORT mi_boolean mi_trace_eye(mi_color* result, mi_state*, const mi_vector*,
                                                  const mi_vector*) {
    count(other_host::trace_eye);
    *result = other_host::trace_color;
    return other_host::trace_result;
}

extern "C" KELMORA_EXPORT int other_host_calls(int function) {
    return call_counts[function].exchange(0, std::memory_order_relaxed);
}
