// What the renderer traces: triangle meshes with one material each, and the
// lighting around them. The built-in scene fills it in code; a mesh-file
// loader can fill the same structure.
#ifndef KELMORA_RENDER_SCENE_H
#define KELMORA_RENDER_SCENE_H

#include "vec3.h"

#include <cstdint>
#include <vector>

namespace krender {

struct Material {
    Vec3 base_colour{0.7f, 0.7f, 0.7f}; // linear albedo
    // A checker alternates base_colour and checker_colour in world-space
    // cubes of checker_size; 0 turns it off.
    Vec3 checker_colour{0.0f, 0.0f, 0.0f};
    float checker_size = 0.0f;
};

struct Mesh {
    std::vector<Vec3> positions;
    std::vector<Vec3> normals;          // per vertex, or empty for flat shading
    std::vector<std::uint32_t> indices; // three per triangle
    std::uint32_t material = 0;
};

struct Lighting {
    // Unit, towards the sun: high, over the right shoulder of a camera that
    // looks down -z, so shadows fall back and to the left.
    Vec3 sun_direction = normalize(Vec3{0.55f, 0.6f, 0.45f});
    // What a white surface facing the sun reflects of it.
    Vec3 sun_strength{1.0f, 0.95f, 0.85f};
    float sun_angular_radius = 0.03f; // radians; widens shadow penumbras
    Vec3 sky_zenith{0.12f, 0.3f, 0.75f};
    Vec3 sky_horizon{0.55f, 0.65f, 0.8f};
    Vec3 ground{0.35f, 0.33f, 0.3f}; // what rays below the horizon see
    Vec3 bounce{0.22f, 0.21f, 0.2f}; // light arriving from other surfaces
};

struct Scene {
    std::vector<Material> materials;
    std::vector<Mesh> meshes;
    Lighting lighting;
};

// A checkerboard room without a ceiling, rows of pillars and spheres, and a
// sky: full of straight lines for a lens to bend.
Scene default_scene();

} // namespace krender

#endif
