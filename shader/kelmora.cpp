// The kelmora lens shader: a circular fisheye with a magnified centre.
//
// Every float rounding step below is a separate named value, because the
// result bits must be the same on every target. The build forbids contraction
// of multiply-adds and fast-math for the same reason.
#include "host_api.h"

#include <math.h>

namespace {

// Weight of the unbent ray. Kept as a double on purpose: it has no float of
// its own and would round up to exactly 1.0f.
const double near_one = 0.99999999;

// Squared distance from the image centre at which the ray meets the image
// plane, in units where the frame's edges lie at |x| = 1 and |y| = 1.
float image_radius_squared(const mi_camera* camera, const mi_vector* camera_dir) {
    const float half_aperture = camera->aperture / 2.0f;
    const float eye_to_plane = camera->focal / -camera_dir->z;
    const float projection_scale = eye_to_plane / half_aperture;
    const float image_x = projection_scale * camera_dir->x;
    const float image_y = projection_scale * camera_dir->y * camera->aspect;
    return image_x * image_x + image_y * image_y;
}

float bend_factor(float amount, float radius_squared) {
    const double unbent_weight = (1.0 - static_cast<double>(amount)) * near_one;
    const float bent_weight = amount * radius_squared;
    const float bend = static_cast<float>(unbent_weight + static_cast<double>(bent_weight));
    return bend;
}

mi_vector bent_direction(const mi_vector* camera_dir, float bend, const kelmora_params* params) {
    const float scaled_x = camera_dir->x * bend;
    const float scaled_y = camera_dir->y * bend;
    mi_vector bent;
    bent.x = scaled_x * params->scale_x;
    bent.y = scaled_y * params->scale_y;
    // Not clamped: a negative argument gives a NaN depth, which the host gets as is.
    const float depth_squared = 1.0f - bent.x * bent.x - bent.y * bent.y;
    const float negated_depth = static_cast<float>(-sqrt(static_cast<double>(depth_squared)));
    bent.z = negated_depth * params->scale_z;
    return bent;
}

mi_boolean black_out(mi_color* result) {
    result->r = 0.0f;
    result->g = 0.0f;
    result->b = 0.0f;
    result->a = 0.0f;
    return 0;
}

} // namespace

extern "C" KELMORA_EXPORT mi_boolean kelmora(mi_color* result, mi_state* state,
                                             const kelmora_params* params) {
    // Initialised so that a host transform which leaves its output untouched
    // never makes the shader read indeterminate memory.
    mi_vector camera_dir = {0.0f, 0.0f, 0.0f};
    mi_vector_to_camera(state, &camera_dir, &state->dir);

    const float radius_squared = image_radius_squared(state->camera, &camera_dir);
    const float bend = bend_factor(params->amount, radius_squared);
    if (bend >= 1.0f && params->clip_outside == 1) {
        return black_out(result);
    }

    mi_vector bent = bent_direction(&camera_dir, bend, params);
    mi_vector_from_camera(state, &bent, &bent);
    return mi_trace_eye(result, state, &state->org, &bent);
}

extern "C" KELMORA_EXPORT int32_t kelmora_version(void) {
    return 1;
}
