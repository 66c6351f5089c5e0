// Colour seen along a ray: Lambert surfaces lit by a sun with soft shadows and
// by the sky with occlusion, under a gradient sky.
#ifndef KELMORA_RENDER_SHADING_H
#define KELMORA_RENDER_SHADING_H

#include "sampling.h"
#include "scene.h"
#include "tracer.h"

#include <cstdint>

namespace krender {

struct SceneView {
    const Scene* scene = nullptr;
    const Tracer* tracer = nullptr;
};

// Linear RGB; what a ray that hits nothing sees.
Vec3 sky_radiance(const Lighting& lighting, Vec3 unit_direction);

// Linear RGB along a ray from origin in a unit direction. Casts one ray to
// find the surface and up to two more for the sun and the sky; adds the
// number of rays cast to rays_cast.
Vec3 shade_ray(const SceneView& view, Vec3 origin, Vec3 unit_direction, SampleRandom& random,
               std::uint64_t& rays_cast);

} // namespace krender

#endif
