#include "framing.h"

#include <algorithm>
#include <cmath>

namespace krender {

namespace {

// From the middle of the scene towards the eye.
const Vec3 view_from = normalize(Vec3{0.3f, 0.25f, 1.0f});

Vec3 component_min(Vec3 a, Vec3 b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
}

Vec3 component_max(Vec3 a, Vec3 b) {
    return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
}

} // namespace

Bounds scene_bounds(const Scene& scene) {
    Bounds bounds{scene.meshes.front().positions.front(), scene.meshes.front().positions.front()};
    for (const Mesh& mesh : scene.meshes) {
        for (const Vec3& position : mesh.positions) {
            bounds.low = component_min(bounds.low, position);
            bounds.high = component_max(bounds.high, position);
        }
    }
    return bounds;
}

namespace {

// How far back along view_from the eye must be for every corner of the
// bounds to lie inside the frame: a corner at offset q from the target sits
// at depth D - q.view_from in front of the eye and must be within the half
// field of view across and up at that depth.
float fitting_distance(const CameraSettings& settings, const Bounds& bounds, float aspect) {
    const Vec3 forward = -view_from;
    const Vec3 right = normalize(cross(forward, settings.up));
    const Vec3 up = cross(right, forward);
    const float tan_across = settings.aperture * 0.5f / settings.focal;
    const float tan_up = tan_across / aspect;
    float distance = 0.0f;
    for (const float x : {bounds.low.x, bounds.high.x}) {
        for (const float y : {bounds.low.y, bounds.high.y}) {
            for (const float z : {bounds.low.z, bounds.high.z}) {
                const Vec3 offset = Vec3{x, y, z} - settings.look_at;
                const float depth_needed = std::max(std::fabs(dot(offset, right)) / tan_across,
                                                    std::fabs(dot(offset, up)) / tan_up);
                distance = std::max(distance, dot(offset, view_from) + depth_needed);
            }
        }
    }
    return distance;
}

} // namespace

CameraSettings frame_bounds(CameraSettings settings, const Bounds& bounds, float aspect,
                            bool eye_given, bool look_at_given) {
    if (!look_at_given) {
        settings.look_at = (bounds.low + bounds.high) * 0.5f;
    }
    if (!eye_given) {
        // A little room around the scene; a single point still needs the eye
        // somewhere else.
        const float distance = 1.05f * fitting_distance(settings, bounds, aspect);
        settings.eye = settings.look_at + view_from * (distance > 0.0f ? distance : 1.0f);
    }
    return settings;
}

} // namespace krender
