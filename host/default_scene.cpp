#include "mesh_shapes.h"
#include "scene.h"

namespace krender {

namespace {

// The room: x across, y up, z towards the default eye.
const float room_half_width = 6.0f;
const float room_front = 9.0f;
const float room_back = -14.0f;
const float wall_height = 4.0f;

enum : std::uint32_t {
    floor_material,
    wall_material,
    back_wall_material,
    pillar_material,
    first_sphere_material
};

std::vector<Material> room_materials() {
    std::vector<Material> materials(first_sphere_material);
    materials[floor_material] = {{0.7f, 0.7f, 0.68f}, {0.06f, 0.06f, 0.07f}, 1.0f};
    materials[wall_material] = {{0.7f, 0.4f, 0.2f}, {0.7f, 0.67f, 0.6f}, 1.0f};
    materials[back_wall_material] = {{0.2f, 0.35f, 0.6f}, {0.7f, 0.67f, 0.6f}, 1.0f};
    materials[pillar_material] = {{0.7f, 0.68f, 0.64f}, {}, 0.0f};
    return materials;
}

void add_room(Scene& scene) {
    const float depth = room_back - room_front;
    const float width = 2.0f * room_half_width;
    const Vec3 up{0.0f, wall_height, 0.0f};
    scene.meshes.push_back(make_quad({-room_half_width, 0.0f, room_front}, {width, 0.0f, 0.0f},
                                     {0.0f, 0.0f, depth}, floor_material));
    scene.meshes.push_back(
        make_quad({-room_half_width, 0.0f, room_front}, {0.0f, 0.0f, depth}, up, wall_material));
    scene.meshes.push_back(
        make_quad({room_half_width, 0.0f, room_front}, {0.0f, 0.0f, depth}, up, wall_material));
    scene.meshes.push_back(make_quad({-room_half_width, 0.0f, room_back}, {width, 0.0f, 0.0f}, up,
                                     back_wall_material));
}

// Two rows of pillars down the room, and a row of coloured spheres between
// them on each side.
void add_rows(Scene& scene) {
    const Vec3 sphere_colours[] = {{0.8f, 0.15f, 0.12f},  {0.95f, 0.7f, 0.1f}, {0.15f, 0.6f, 0.25f},
                                   {0.15f, 0.35f, 0.85f}, {0.6f, 0.2f, 0.7f},  {0.9f, 0.9f, 0.88f}};
    for (const Vec3& colour : sphere_colours) {
        scene.materials.push_back({colour, {}, 0.0f});
    }
    const int row_length = 6;
    for (int i = 0; i < row_length; ++i) {
        const float z = 4.0f - 3.0f * static_cast<float>(i);
        for (const float side : {-1.0f, 1.0f}) {
            scene.meshes.push_back(
                make_cylinder({side * 3.8f, 0.0f, z}, 0.3f, 3.2f, pillar_material));
            const auto colour = static_cast<std::uint32_t>((i + (side > 0.0f ? 3 : 0)) % 6);
            scene.meshes.push_back(
                make_sphere({side * 1.9f, 0.55f, z - 1.5f}, 0.55f, first_sphere_material + colour));
        }
    }
}

} // namespace

Scene default_scene() {
    Scene scene;
    scene.materials = room_materials();
    add_room(scene);
    add_rows(scene);
    return scene;
}

} // namespace krender
