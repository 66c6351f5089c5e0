// Trivial host functions for the per-ray benchmarks, exported from the
// benchmark executable as a renderer exports its own. noipa: neither side of
// a comparison may inline them or learn anything from their bodies, so each
// side pays one real call for each. The transforms are the identity.
#include "host_api.h"

extern "C" KELMORA_EXPORT __attribute__((noipa)) void mi_vector_to_camera(mi_state*, mi_vector* out,
                                                                          const mi_vector* in) {
    *out = *in;
}

extern "C" KELMORA_EXPORT __attribute__((noipa)) void
mi_vector_from_camera(mi_state*, mi_vector* out, const mi_vector* in) {
    *out = *in;
}

extern "C" KELMORA_EXPORT __attribute__((noipa)) mi_boolean
mi_trace_eye(mi_color* result, mi_state*, const mi_vector*, const mi_vector* direction) {
    *result = {direction->x, direction->y, direction->z, 1.0f};
    return 1;
}
