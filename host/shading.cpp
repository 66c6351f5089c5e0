#include "shading.h"

#include <algorithm>
#include <cmath>

namespace krender {

namespace {

const float pi = 3.14159265358979f;

struct SurfacePoint {
    Vec3 position;
    Vec3 geometric_normal; // unit, facing the incoming ray
    Vec3 shading_normal;   // unit, same side as the geometric normal
    const Material* material = nullptr;
};

// An orthonormal basis around a unit normal (Duff et al. 2017).
void tangent_frame(Vec3 normal, Vec3& tangent, Vec3& bitangent) {
    const float sign = std::copysign(1.0f, normal.z);
    const float a = -1.0f / (sign + normal.z);
    const float b = normal.x * normal.y * a;
    tangent = {1.0f + sign * normal.x * normal.x * a, sign * b, -sign * normal.x};
    bitangent = {b, sign + normal.y * normal.y * a, -normal.y};
}

Vec3 around(Vec3 axis, float cos_theta, float phi) {
    Vec3 tangent, bitangent;
    tangent_frame(axis, tangent, bitangent);
    const float sin_theta = std::sqrt(std::max(0.0f, 1.0f - cos_theta * cos_theta));
    return tangent * (sin_theta * std::cos(phi)) + bitangent * (sin_theta * std::sin(phi)) +
           axis * cos_theta;
}

Vec3 cosine_weighted(Vec3 normal, SampleRandom& random) {
    const SquarePoint pair = random.next_pair();
    return around(normal, std::sqrt(pair.x), 2.0f * pi * pair.y);
}

// Uniform over the sun's disc, as seen from the surface.
Vec3 toward_sun(const Lighting& lighting, SampleRandom& random) {
    const float cos_max = std::cos(lighting.sun_angular_radius);
    const SquarePoint pair = random.next_pair();
    const float cos_theta = 1.0f - pair.x * (1.0f - cos_max);
    return around(lighting.sun_direction, cos_theta, 2.0f * pi * pair.y);
}

Vec3 interpolated_normal(const Mesh& mesh, const Hit& hit) {
    const std::uint32_t* corner = &mesh.indices[3 * static_cast<std::size_t>(hit.triangle)];
    const float w = 1.0f - hit.u - hit.v;
    return mesh.normals[corner[0]] * w + mesh.normals[corner[1]] * hit.u +
           mesh.normals[corner[2]] * hit.v;
}

SurfacePoint surface_at(const Scene& scene, Vec3 origin, Vec3 direction, const Hit& hit) {
    const Mesh& mesh = scene.meshes[hit.mesh];
    SurfacePoint point;
    point.position = origin + direction * hit.distance;
    point.geometric_normal = normalize(hit.geometric_normal);
    // Surfaces are two-sided: shade the side the ray arrived on.
    if (dot(point.geometric_normal, direction) > 0.0f) {
        point.geometric_normal = -point.geometric_normal;
    }
    point.shading_normal = point.geometric_normal;
    if (!mesh.normals.empty()) {
        const Vec3 smooth = normalize(interpolated_normal(mesh, hit));
        point.shading_normal = dot(smooth, point.geometric_normal) < 0.0f ? -smooth : smooth;
    }
    point.material = &scene.materials[mesh.material];
    return point;
}

Vec3 albedo(const SurfacePoint& point) {
    const Material& material = *point.material;
    if (material.checker_size <= 0.0f) {
        return material.base_colour;
    }
    // Step half a cell behind the surface, so a face lying on a cell
    // boundary picks one cell instead of flickering between two.
    const Vec3 inside = point.position - point.geometric_normal * (0.5f * material.checker_size);
    const Vec3 cell = inside * (1.0f / material.checker_size);
    const auto parity = static_cast<long>(std::floor(cell.x)) +
                        static_cast<long>(std::floor(cell.y)) +
                        static_cast<long>(std::floor(cell.z));
    return (parity & 1) != 0 ? material.checker_colour : material.base_colour;
}

// Lifts secondary rays off the surface so they do not hit it again.
Vec3 offset_origin(const SurfacePoint& point) {
    const float magnitude = std::max({1.0f, std::fabs(point.position.x),
                                      std::fabs(point.position.y), std::fabs(point.position.z)});
    return point.position + point.geometric_normal * (1e-4f * magnitude);
}

Vec3 sun_light(const SceneView& view, const SurfacePoint& point, Vec3 from, SampleRandom& random,
               std::uint64_t& rays_cast) {
    const Lighting& lighting = view.scene->lighting;
    const Vec3 to_sun = toward_sun(lighting, random);
    const float facing = dot(point.shading_normal, to_sun);
    if (facing <= 0.0f || dot(point.geometric_normal, to_sun) <= 0.0f) {
        return {};
    }
    ++rays_cast;
    const bool shadowed = view.tracer->occluded(from, to_sun, INFINITY);
    return shadowed ? Vec3{} : lighting.sun_strength * facing;
}

Vec3 sky_light(const SceneView& view, const SurfacePoint& point, Vec3 from, SampleRandom& random,
               std::uint64_t& rays_cast) {
    const Vec3 to_sky = cosine_weighted(point.shading_normal, random);
    if (dot(point.geometric_normal, to_sky) <= 0.0f) {
        return {};
    }
    ++rays_cast;
    const bool blocked = view.tracer->occluded(from, to_sky, INFINITY);
    // With cosine-weighted directions, the estimate of the sky's irradiance
    // over pi is the radiance seen. A blocked ray sees a surface, which stands
    // in for the light bounced off the scene without tracing it.
    const Lighting& lighting = view.scene->lighting;
    return blocked ? lighting.bounce : sky_radiance(lighting, to_sky);
}

// The sky with a glow around the sun. The glow is left out of the light on
// surfaces: the sun's own term covers it, and sampled it would only add noise.
Vec3 visible_sky(const Lighting& lighting, Vec3 unit_direction) {
    const float towards_sun = std::max(0.0f, dot(unit_direction, lighting.sun_direction));
    const float glow = std::pow(towards_sun, 64.0f);
    return sky_radiance(lighting, unit_direction) + lighting.sun_strength * (0.25f * glow);
}

} // namespace

Vec3 sky_radiance(const Lighting& lighting, Vec3 unit_direction) {
    if (unit_direction.y < 0.0f) {
        return lighting.ground;
    }
    return lerp(lighting.sky_horizon, lighting.sky_zenith, std::sqrt(unit_direction.y));
}

Vec3 shade_ray(const SceneView& view, Vec3 origin, Vec3 unit_direction, SampleRandom& random,
               std::uint64_t& rays_cast) {
    Hit hit;
    ++rays_cast;
    if (!view.tracer->closest_hit(origin, unit_direction, hit)) {
        return visible_sky(view.scene->lighting, unit_direction);
    }
    const SurfacePoint point = surface_at(*view.scene, origin, unit_direction, hit);
    if (view.shading == Shading::first_hit) {
        return albedo(point) * std::fabs(dot(point.shading_normal, unit_direction));
    }
    const Vec3 from = offset_origin(point);
    const Vec3 direct = sun_light(view, point, from, random, rays_cast);
    const Vec3 ambient = sky_light(view, point, from, random, rays_cast);
    return albedo(point) * (direct + ambient);
}

} // namespace krender
