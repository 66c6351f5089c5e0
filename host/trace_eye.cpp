#include "host_state.h"

#include <cmath>

namespace krender {

namespace {

Vec3 to_vec3(const mi_vector& v) {
    return {v.x, v.y, v.z};
}

mi_boolean no_colour(mi_color& result) {
    result = {0.0f, 0.0f, 0.0f, 0.0f};
    return 0;
}

// The unit vector along direction, or false when it has none. Computed in
// double so that tiny or huge (but traceable) components neither underflow
// nor overflow.
bool unit_direction(Vec3 direction, Vec3& unit) {
    const auto x = static_cast<double>(direction.x);
    const auto y = static_cast<double>(direction.y);
    const auto z = static_cast<double>(direction.z);
    const double norm = std::sqrt(x * x + y * y + z * z);
    if (!(norm > 0.0)) {
        return false;
    }
    unit = {static_cast<float>(x / norm), static_cast<float>(y / norm),
            static_cast<float>(z / norm)};
    return true;
}

} // namespace

mi_boolean trace_eye(HostState& state, const mi_vector& origin, const mi_vector& direction,
                     mi_color& result) {
    const Vec3 from = to_vec3(origin);
    Vec3 unit;
    // Embree asserts on invalid rays and aborts the process: filter first.
    if (!is_traceable(from) || !is_traceable(to_vec3(direction)) ||
        !unit_direction(to_vec3(direction), unit)) {
        return no_colour(result);
    }
    const Vec3 colour = shade_ray(state.view, from, unit, *state.random, state.tally->rays_cast);
    result = {colour.x, colour.y, colour.z, 1.0f};
    return 1;
}

} // namespace krender
