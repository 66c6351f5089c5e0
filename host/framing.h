// Where the camera goes when a scene file is rendered without a view.
#ifndef KELMORA_RENDER_FRAMING_H
#define KELMORA_RENDER_FRAMING_H

#include "camera.h"
#include "scene.h"

namespace krender {

struct Bounds {
    Vec3 low, high;
};

// The box around every vertex; expects a scene with at least one vertex.
Bounds scene_bounds(const Scene& scene);

// Looks at the middle of the bounds (unless look_at was given) from the
// front, a little above and to the right, just far enough back (unless the
// eye was given) for every corner of the bounds to lie inside a frame of
// this aspect ratio. Leaves the up vector and the optics as they are.
CameraSettings frame_bounds(CameraSettings settings, const Bounds& bounds, float aspect,
                            bool eye_given, bool look_at_given);

} // namespace krender

#endif
