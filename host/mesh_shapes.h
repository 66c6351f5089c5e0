// Triangle meshes of simple shapes, for scenes built in code.
#ifndef KELMORA_RENDER_MESH_SHAPES_H
#define KELMORA_RENDER_MESH_SHAPES_H

#include "scene.h"

namespace krender {

// A flat quad with corners corner, corner + edge_a, corner + edge_a + edge_b
// and corner + edge_b.
Mesh make_quad(Vec3 corner, Vec3 edge_a, Vec3 edge_b, std::uint32_t material);

// An axis-aligned box between two opposite corners.
Mesh make_box(Vec3 low, Vec3 high, std::uint32_t material);

// A smooth-shaded sphere.
Mesh make_sphere(Vec3 centre, float radius, std::uint32_t material);

// A smooth-shaded upright cylinder with a flat top, standing on base_centre.
Mesh make_cylinder(Vec3 base_centre, float radius, float height, std::uint32_t material);

} // namespace krender

#endif
