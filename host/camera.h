// A pinhole camera in world space (the host's internal space). Camera space
// has the same origin as world space translated to the eye, x to the right,
// y up, and looks down -z.
#ifndef KELMORA_RENDER_CAMERA_H
#define KELMORA_RENDER_CAMERA_H

#include "host_api.h"
#include "vec3.h"

namespace krender {

struct CameraSettings {
    Vec3 eye{0.0f, 1.6f, 7.0f};
    Vec3 look_at{0.0f, 1.4f, -4.0f};
    Vec3 up{0.0f, 1.0f, 0.0f};
    float focal = 1.0f;    // distance from the eye to the image plane
    float aperture = 3.0f; // width of the image plane at that distance
};

class Camera {
  public:
    // Expects settings that passed validate_camera() and a positive size.
    Camera(const CameraSettings& settings, int width, int height);

    Vec3 eye() const { return eye_; }

    // The record the lens reads: with it, |sx| = 1 on the frame's left and
    // right edges and |sy| = 1 on its top and bottom edges.
    const mi_camera& record() const { return record_; }

    // Unit world-space direction through a point of the frame in raster
    // coordinates (0,0 is the top-left corner, width,height the bottom-right).
    Vec3 eye_direction(float raster_x, float raster_y) const;

    // Rotations only: directions, not points.
    Vec3 world_to_camera(Vec3 world) const;
    Vec3 camera_to_world(Vec3 camera) const;

  private:
    Vec3 eye_;
    Vec3 right_;    // camera +x in world space
    Vec3 up_;       // camera +y in world space
    Vec3 backward_; // camera +z in world space (the view looks down -z)
    float width_;
    float height_;
    mi_camera record_;
};

// Empty when the settings make a camera; otherwise what is wrong with them.
const char* validate_camera(const CameraSettings& settings);

// The checks of validate_camera() that do not depend on where the camera
// looks from and to, for a view yet to be framed.
const char* validate_optics(const CameraSettings& settings);

} // namespace krender

#endif
