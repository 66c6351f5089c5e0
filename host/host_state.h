// The renderer's per-ray state. The plug-in sees only the mi_state record at
// its start; the host functions it calls get that address back and recover
// the rest from it. That passes the scene, the camera and the sample's random
// stream to each call without globals or thread-locals, so any number of
// renders (or threads) can be in flight at once.
#ifndef KELMORA_RENDER_HOST_STATE_H
#define KELMORA_RENDER_HOST_STATE_H

#include "camera.h"
#include "host_api.h"
#include "sampling.h"
#include "shading.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace krender {

struct RayTally {
    std::uint64_t rays_cast = 0;   // every query sent to Embree
    std::uint64_t eye_samples = 0; // eye rays started by the renderer
    std::uint64_t blacked_out = 0; // eye rays that came back with no colour
};

struct HostState {
    mi_state record; // must stay first: see host_state_of()
    const Camera* camera = nullptr;
    SceneView view;
    SampleRandom* random = nullptr;
    RayTally* tally = nullptr;
};

static_assert(std::is_standard_layout<HostState>::value && offsetof(HostState, record) == 0,
              "a HostState's address is its mi_state record's address");

// The HostState whose record the plug-in was handed.
inline HostState& host_state_of(mi_state* record) {
    return *reinterpret_cast<HostState*>(record);
}

// Traces from origin along direction (any length) and writes the colour with
// alpha 1; returns 1. A direction Embree cannot take (not finite, too large,
// or of zero length) gives black with alpha 0 and returns 0.
mi_boolean trace_eye(HostState& state, const mi_vector& origin, const mi_vector& direction,
                     mi_color& result);

} // namespace krender

#endif
