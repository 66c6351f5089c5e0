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

CameraSettings frame_bounds(CameraSettings settings, const Bounds& bounds, float aspect,
                            bool eye_given, bool look_at_given) {
    const Vec3 centre = (bounds.low + bounds.high) * 0.5f;
    const float size = length(bounds.high - bounds.low) * 0.5f;
    // A single point still needs the eye somewhere else.
    const float radius = size > 0.0f ? size : 1.0f;
    if (!look_at_given) {
        settings.look_at = centre;
    }
    if (!eye_given) {
        const float half_width = settings.aperture * 0.5f / settings.focal;
        const float half_view = std::atan(std::min(half_width, half_width / aspect));
        // Backing off from a given target keeps the whole sphere in view too.
        const float distance = radius / std::sin(half_view) + length(settings.look_at - centre);
        settings.eye = settings.look_at + view_from * distance;
    }
    return settings;
}

} // namespace krender
