// What the second host module answers, shared by the module and its tests.
#ifndef KELMORA_TESTS_OTHER_HOST_H
#define KELMORA_TESTS_OTHER_HOST_H

#include "host_api.h"

namespace other_host {

enum Function { to_camera, from_camera, trace_eye, function_count };

constexpr mi_vector camera_dir = {0.0f, 0.0f, -1.0f};
constexpr mi_color trace_color = {1.0f, 0.0f, 1.0f, 0.5f};
constexpr mi_boolean trace_result = 7;

// Exported as other_host_calls: calls of `function` since the last query.
typedef int (*calls_fn)(int function);

} // namespace other_host

#endif
