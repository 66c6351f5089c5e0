#include "camera.h"

#include <cmath>

namespace krender {

namespace {

bool is_zero(Vec3 v) {
    return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f;
}

} // namespace

const char* validate_optics(const CameraSettings& settings) {
    if (!is_finite(settings.eye) || !is_finite(settings.look_at) || !is_finite(settings.up)) {
        return "--eye, --look-at and --up must be finite";
    }
    if (!(settings.focal > 0.0f) || !std::isfinite(settings.focal)) {
        return "--focal must be a positive finite number";
    }
    if (!(settings.aperture > 0.0f) || !std::isfinite(settings.aperture)) {
        return "--aperture must be a positive finite number";
    }
    return "";
}

const char* validate_camera(const CameraSettings& settings) {
    const char* optics_problem = validate_optics(settings);
    if (*optics_problem != '\0') {
        return optics_problem;
    }
    const Vec3 view = settings.look_at - settings.eye;
    if (is_zero(view)) {
        return "--look-at must differ from --eye";
    }
    // Parallel (or zero) up vectors leave the camera's roll undefined.
    const Vec3 side = cross(normalize(view), settings.up);
    if (!(length(side) > 1e-6f * length(settings.up))) {
        return "--up must not be zero or parallel to the view direction";
    }
    return "";
}

Camera::Camera(const CameraSettings& settings, int width, int height)
    : eye_(settings.eye), width_(static_cast<float>(width)), height_(static_cast<float>(height)) {
    const Vec3 forward = normalize(settings.look_at - settings.eye);
    right_ = normalize(cross(forward, settings.up));
    up_ = cross(right_, forward);
    backward_ = -forward;
    record_.reserved = 0;
    record_.focal = settings.focal;
    record_.aperture = settings.aperture;
    record_.aspect = width_ / height_;
}

Vec3 Camera::eye_direction(float raster_x, float raster_y) const {
    // Frame coordinates run from -1 to 1 across the width and the height.
    const float frame_x = 2.0f * raster_x / width_ - 1.0f;
    const float frame_y = 1.0f - 2.0f * raster_y / height_;
    const float half_width = record_.aperture / 2.0f;
    const float half_height = half_width / record_.aspect;
    const Vec3 on_image_plane{frame_x * half_width, frame_y * half_height, -record_.focal};
    return camera_to_world(normalize(on_image_plane));
}

Vec3 Camera::world_to_camera(Vec3 world) const {
    return {dot(world, right_), dot(world, up_), dot(world, backward_)};
}

Vec3 Camera::camera_to_world(Vec3 camera) const {
    return right_ * camera.x + up_ * camera.y + backward_ * camera.z;
}

} // namespace krender
