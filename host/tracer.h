// Ray queries against a scene, through Embree.
#ifndef KELMORA_RENDER_TRACER_H
#define KELMORA_RENDER_TRACER_H

#include "scene.h"

#include <embree3/rtcore.h>

namespace krender {

struct Hit {
    float distance = 0.0f;    // along the ray, in units of its direction's length
    Vec3 geometric_normal;    // not normalised
    float u = 0.0f, v = 0.0f; // barycentrics of the hit on the triangle
    std::uint32_t mesh = 0;
    std::uint32_t triangle = 0;
};

// Owns the Embree device and scene; safe to query from many threads at once.
class Tracer {
  public:
    // Throws std::runtime_error naming what Embree refused.
    explicit Tracer(const Scene& scene);
    ~Tracer();
    Tracer(const Tracer&) = delete;
    Tracer& operator=(const Tracer&) = delete;

    // The origin and direction must be finite and well within Embree's range
    // (see is_traceable); Embree aborts the process on rays it deems invalid.
    bool closest_hit(Vec3 origin, Vec3 direction, Hit& hit) const;
    bool occluded(Vec3 origin, Vec3 direction, float max_distance) const;

    // The committed Embree scene, for callers that query it directly.
    RTCScene embree_scene() const { return scene_; }

  private:
    RTCDevice device_ = nullptr;
    RTCScene scene_ = nullptr;
};

// Whether Embree accepts a ray with this vector as origin or direction:
// every component finite and of magnitude below ~1.8e18.
bool is_traceable(Vec3 vector);

} // namespace krender

#endif
