#include "tracer.h"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace krender {

namespace {

// Embree's own validity bound is 1.844e18; stay a little inside it.
const float largest_traceable = 1.8e18f;

void attach_mesh(RTCDevice device, RTCScene scene, const Mesh& mesh) {
    RTCGeometry geometry = rtcNewGeometry(device, RTC_GEOMETRY_TYPE_TRIANGLE);
    auto* vertices = static_cast<float*>(
        rtcSetNewGeometryBuffer(geometry, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT3,
                                3 * sizeof(float), mesh.positions.size()));
    auto* indices = static_cast<unsigned*>(
        rtcSetNewGeometryBuffer(geometry, RTC_BUFFER_TYPE_INDEX, 0, RTC_FORMAT_UINT3,
                                3 * sizeof(unsigned), mesh.indices.size() / 3));
    if (vertices == nullptr || indices == nullptr) {
        rtcReleaseGeometry(geometry);
        throw std::runtime_error("Embree could not allocate a mesh buffer");
    }
    for (std::size_t i = 0; i < mesh.positions.size(); ++i) {
        vertices[3 * i] = mesh.positions[i].x;
        vertices[3 * i + 1] = mesh.positions[i].y;
        vertices[3 * i + 2] = mesh.positions[i].z;
    }
    for (std::size_t i = 0; i < mesh.indices.size(); ++i) {
        indices[i] = mesh.indices[i];
    }
    rtcCommitGeometry(geometry);
    // Attached in order, so Embree's geometry id is the mesh's index.
    rtcAttachGeometry(scene, geometry);
    rtcReleaseGeometry(geometry);
}

RTCRay make_ray(Vec3 origin, Vec3 direction, float max_distance) {
    RTCRay ray{};
    ray.org_x = origin.x;
    ray.org_y = origin.y;
    ray.org_z = origin.z;
    ray.dir_x = direction.x;
    ray.dir_y = direction.y;
    ray.dir_z = direction.z;
    ray.tnear = 0.0f;
    ray.tfar = max_distance;
    ray.mask = ~0u;
    return ray;
}

} // namespace

bool is_traceable(Vec3 vector) {
    return std::fabs(vector.x) < largest_traceable && std::fabs(vector.y) < largest_traceable &&
           std::fabs(vector.z) < largest_traceable; // false for NaN as well
}

Tracer::Tracer(const Scene& scene) {
    device_ = rtcNewDevice(nullptr);
    if (device_ == nullptr) {
        throw std::runtime_error("Embree could not create a device");
    }
    scene_ = rtcNewScene(device_);
    rtcSetSceneFlags(scene_, RTC_SCENE_FLAG_ROBUST);
    for (const Mesh& mesh : scene.meshes) {
        attach_mesh(device_, scene_, mesh);
    }
    rtcCommitScene(scene_);
    const RTCError error = rtcGetDeviceError(device_);
    if (error != RTC_ERROR_NONE) {
        throw std::runtime_error("Embree could not build the scene (error " +
                                 std::to_string(static_cast<int>(error)) + ")");
    }
}

Tracer::~Tracer() {
    if (scene_ != nullptr) {
        rtcReleaseScene(scene_);
    }
    rtcReleaseDevice(device_);
}

bool Tracer::closest_hit(Vec3 origin, Vec3 direction, Hit& hit) const {
    RTCIntersectContext context;
    rtcInitIntersectContext(&context);
    RTCRayHit query{};
    query.ray = make_ray(origin, direction, std::numeric_limits<float>::infinity());
    query.hit.geomID = RTC_INVALID_GEOMETRY_ID;
    rtcIntersect1(scene_, &context, &query);
    if (query.hit.geomID == RTC_INVALID_GEOMETRY_ID) {
        return false;
    }
    hit.distance = query.ray.tfar;
    hit.geometric_normal = {query.hit.Ng_x, query.hit.Ng_y, query.hit.Ng_z};
    hit.u = query.hit.u;
    hit.v = query.hit.v;
    hit.mesh = query.hit.geomID;
    hit.triangle = query.hit.primID;
    return true;
}

bool Tracer::occluded(Vec3 origin, Vec3 direction, float max_distance) const {
    RTCIntersectContext context;
    rtcInitIntersectContext(&context);
    RTCRay query = make_ray(origin, direction, max_distance);
    rtcOccluded1(scene_, &context, &query);
    // Embree marks an occluded ray by setting tfar to -inf.
    return query.tfar < 0.0f;
}

} // namespace krender
