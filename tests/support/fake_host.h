// A scriptable stand-in for the host renderer's three functions. The test
// executable exports them, so the plug-in binary binds to them exactly as it
// would inside a renderer. Script and log are per thread.
#ifndef KELMORA_TESTS_FAKE_HOST_H
#define KELMORA_TESTS_FAKE_HOST_H

#include "host_api.h"

#include <vector>

namespace fake_host {

enum class Call { to_camera, from_camera, trace_eye };

struct Record {
    Call call;
    const void* first;   // to/from camera: state; trace: result colour
    const void* second;  // to/from camera: out;   trace: state
    const void* third;   // to/from camera: in;    trace: origin
    const void* fourth;  // trace: direction
    mi_vector in_value;  // to/from camera: *in; trace: *direction
    mi_vector out_value; // to/from camera: *out after the call; trace: *origin
};

struct Script {
    // mi_vector_to_camera: copy the input, write a chosen vector, or leave the
    // output untouched (as a failed Windows lookup does).
    enum class ToCamera { copy_input, write_chosen, leave_untouched };
    ToCamera to_camera = ToCamera::write_chosen;
    mi_vector camera_dir = {0.0f, 0.0f, -1.0f};
    // mi_vector_from_camera applies an exact, recognisable map: (x, y, z) -> (-z, x, y).
    // mi_trace_eye writes trace_color and returns trace_result.
    mi_color trace_color = {0.25f, 0.5f, 0.75f, 1.0f};
    mi_boolean trace_result = 1;
};

// The map mi_vector_from_camera applies.
mi_vector from_camera_map(const mi_vector& v);

Script& script();
std::vector<Record>& calls();
// Restores the default script and clears the log.
void reset();

} // namespace fake_host

#endif
