#include "mesh_shapes.h"

#include <cmath>

namespace krender {

namespace {

const float pi = 3.14159265358979f;

std::uint32_t vertex_count(const Mesh& mesh) {
    return static_cast<std::uint32_t>(mesh.positions.size());
}

void add_triangle(Mesh& mesh, std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    mesh.indices.insert(mesh.indices.end(), {a, b, c});
}

// Two triangles over four vertices given counter-clockwise.
void add_quad_indices(Mesh& mesh, std::uint32_t first) {
    add_triangle(mesh, first, first + 1, first + 2);
    add_triangle(mesh, first, first + 2, first + 3);
}

void append_quad(Mesh& mesh, Vec3 corner, Vec3 edge_a, Vec3 edge_b) {
    const std::uint32_t first = vertex_count(mesh);
    mesh.positions.insert(mesh.positions.end(),
                          {corner, corner + edge_a, corner + edge_a + edge_b, corner + edge_b});
    add_quad_indices(mesh, first);
}

// A grid of vertices over (u, v) in [0,1]^2, indexed so that rows of quads
// join neighbouring rows; `surface` gives each vertex's position and normal.
template <typename Surface> void append_grid(Mesh& mesh, int columns, int rows, Surface surface) {
    const std::uint32_t first = vertex_count(mesh);
    for (int row = 0; row <= rows; ++row) {
        for (int column = 0; column <= columns; ++column) {
            const float u = static_cast<float>(column) / static_cast<float>(columns);
            const float v = static_cast<float>(row) / static_cast<float>(rows);
            Vec3 normal;
            mesh.positions.push_back(surface(u, v, normal));
            mesh.normals.push_back(normal);
        }
    }
    const auto stride = static_cast<std::uint32_t>(columns + 1);
    for (std::uint32_t row = 0; row < static_cast<std::uint32_t>(rows); ++row) {
        for (std::uint32_t column = 0; column < static_cast<std::uint32_t>(columns); ++column) {
            const std::uint32_t corner = first + row * stride + column;
            add_triangle(mesh, corner, corner + stride, corner + stride + 1);
            add_triangle(mesh, corner, corner + stride + 1, corner + 1);
        }
    }
}

} // namespace

Mesh make_quad(Vec3 corner, Vec3 edge_a, Vec3 edge_b, std::uint32_t material) {
    Mesh mesh;
    mesh.material = material;
    append_quad(mesh, corner, edge_a, edge_b);
    return mesh;
}

Mesh make_box(Vec3 low, Vec3 high, std::uint32_t material) {
    const Vec3 size = high - low;
    const Vec3 dx{size.x, 0.0f, 0.0f};
    const Vec3 dy{0.0f, size.y, 0.0f};
    const Vec3 dz{0.0f, 0.0f, size.z};
    Mesh mesh;
    mesh.material = material;
    append_quad(mesh, low, dz, dx);      // bottom
    append_quad(mesh, low + dy, dx, dz); // top
    append_quad(mesh, low, dx, dy);      // back
    append_quad(mesh, low + dz, dy, dx); // front
    append_quad(mesh, low, dy, dz);      // left
    append_quad(mesh, low + dx, dz, dy); // right
    return mesh;
}

Mesh make_sphere(Vec3 centre, float radius, std::uint32_t material) {
    Mesh mesh;
    mesh.material = material;
    append_grid(mesh, 64, 32, [&](float u, float v, Vec3& normal) {
        const float azimuth = 2.0f * pi * u;
        const float polar = pi * v;
        normal = {std::sin(polar) * std::cos(azimuth), std::cos(polar),
                  -std::sin(polar) * std::sin(azimuth)};
        return centre + normal * radius;
    });
    return mesh;
}

Mesh make_cylinder(Vec3 base_centre, float radius, float height, std::uint32_t material) {
    Mesh mesh;
    mesh.material = material;
    append_grid(mesh, 48, 1, [&](float u, float v, Vec3& normal) {
        const float azimuth = 2.0f * pi * u;
        normal = {std::cos(azimuth), 0.0f, -std::sin(azimuth)};
        return base_centre + normal * radius + Vec3{0.0f, height * (1.0f - v), 0.0f};
    });
    // The cap is flat: its own normals, so it is shaded as a disc.
    const Vec3 top = base_centre + Vec3{0.0f, height, 0.0f};
    append_grid(mesh, 48, 1, [&](float u, float v, Vec3& normal) {
        const float azimuth = 2.0f * pi * u;
        normal = {0.0f, 1.0f, 0.0f};
        return top + Vec3{std::cos(azimuth), 0.0f, -std::sin(azimuth)} * (radius * v);
    });
    return mesh;
}

} // namespace krender
