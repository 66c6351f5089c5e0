// Colour seen along a ray: Lambert surfaces lit by a sun with soft shadows and
// by the sky with occlusion, under a gradient sky.
#ifndef KELMORA_RENDER_SHADING_H
#define KELMORA_RENDER_SHADING_H

#include "sampling.h"
#include "scene.h"
#include "tracer.h"

#include <cstdint>

namespace krender {

// How much light a ray gathers where it lands. first_hit stops at the surface
// the eye ray meets (its albedo, lit head-on) and casts no other ray: the
// cost of the eye-ray path alone, for measuring it.
enum class Shading { full, first_hit };

struct SceneView {
    const Scene* scene = nullptr;
    const Tracer* tracer = nullptr;
    Shading shading = Shading::full;
};

// Linear RGB; what a ray that hits nothing sees.
Vec3 sky_radiance(const Lighting& lighting, Vec3 unit_direction);

// Linear RGB along a ray from origin in a unit direction. Casts one ray to
// find the surface and, with full shading, up to two more for the sun and
// the sky; adds the number of rays cast to rays_cast.
Vec3 shade_ray(const SceneView& view, Vec3 origin, Vec3 unit_direction, SampleRandom& random,
               std::uint64_t& rays_cast);

} // namespace krender

#endif
