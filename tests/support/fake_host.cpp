#include "fake_host.h"

namespace fake_host {
namespace {
thread_local Script current_script;
thread_local std::vector<Record> call_log;

void log_vector_call(Call call, mi_state* state, mi_vector* out, const mi_vector* in,
                     const mi_vector& in_value) {
    call_log.push_back({call, state, out, in, nullptr, in_value, *out});
}
} // namespace

mi_vector from_camera_map(const mi_vector& v) {
    return {-v.z, v.x, v.y};
}

Script& script() {
    return current_script;
}

std::vector<Record>& calls() {
    return call_log;
}

void reset() {
    current_script = Script{};
    call_log.clear();
}

} // namespace fake_host

using fake_host::Call;
using fake_host::Script;

extern "C" KELMORA_EXPORT void mi_vector_to_camera(mi_state* state, mi_vector* out,
                                                   const mi_vector* in) {
    const mi_vector in_value = *in;
    switch (fake_host::current_script.to_camera) {
    case Script::ToCamera::copy_input:
        *out = in_value;
        break;
    case Script::ToCamera::write_chosen:
        *out = fake_host::current_script.camera_dir;
        break;
    case Script::ToCamera::leave_untouched:
        break;
    }
    fake_host::log_vector_call(Call::to_camera, state, out, in, in_value);
}

extern "C" KELMORA_EXPORT void mi_vector_from_camera(mi_state* state, mi_vector* out,
                                                     const mi_vector* in) {
    const mi_vector in_value = *in;
    *out = fake_host::from_camera_map(in_value);
    fake_host::log_vector_call(Call::from_camera, state, out, in, in_value);
}

extern "C" KELMORA_EXPORT mi_boolean mi_trace_eye(mi_color* result, mi_state* state,
                                                  const mi_vector* origin,
                                                  const mi_vector* direction) {
    fake_host::call_log.push_back(
        {Call::trace_eye, result, state, origin, direction, *direction, *origin});
    *result = fake_host::current_script.trace_color;
    return fake_host::current_script.trace_result;
}
