// The three host functions, exported from the executable so that the
// plug-in's undefined references bind to them when it is loaded.
#include "host_state.h"

namespace {

krender::Vec3 to_vec3(const mi_vector* v) {
    return {v->x, v->y, v->z};
}

void store(mi_vector* out, krender::Vec3 v) {
    *out = {v.x, v.y, v.z};
}

} // namespace

// `in` is read in full before `out` is written, so both may be one vector.
extern "C" KELMORA_EXPORT void mi_vector_to_camera(mi_state* state, mi_vector* out,
                                                   const mi_vector* in) {
    const krender::Camera& camera = *krender::host_state_of(state).camera;
    store(out, camera.world_to_camera(to_vec3(in)));
}

extern "C" KELMORA_EXPORT void mi_vector_from_camera(mi_state* state, mi_vector* out,
                                                     const mi_vector* in) {
    const krender::Camera& camera = *krender::host_state_of(state).camera;
    store(out, camera.camera_to_world(to_vec3(in)));
}

extern "C" KELMORA_EXPORT mi_boolean mi_trace_eye(mi_color* result, mi_state* state,
                                                  const mi_vector* origin,
                                                  const mi_vector* direction) {
    return krender::trace_eye(krender::host_state_of(state), *origin, *direction, *result);
}
