// The renderer's parts that the lens depends on: the camera's record and
// transforms, the filter that keeps invalid rays away from Embree, and the
// stratified sample positions; and the framing of a scene file's view.
#include "camera.h"
#include "framing.h"
#include "host_state.h"
#include "sampling.h"
#include "scene_file.h"
#include "tracer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

using namespace krender;

namespace {

CameraSettings tilted_camera() {
    CameraSettings settings;
    settings.eye = {1.0f, 2.0f, 3.0f};
    settings.look_at = {-2.0f, 0.5f, -4.0f};
    settings.up = {0.1f, 1.0f, 0.2f};
    settings.focal = 1.5f;
    settings.aperture = 2.4f;
    return settings;
}

// Where the shader finds a world direction on the image plane, from the
// camera record alone, in its units.
void image_position(const Camera& camera, Vec3 world, float& sx, float& sy) {
    const Vec3 local = camera.world_to_camera(world);
    const mi_camera& record = camera.record();
    const float scale = (record.focal / -local.z) / (record.aperture / 2.0f);
    sx = scale * local.x;
    sy = scale * local.y * record.aspect;
}

} // namespace

TEST(RenderCamera, FrameEdgesLieAtUnitImagePositions) {
    const int width = 300, height = 200;
    const Camera camera(tilted_camera(), width, height);
    struct Case {
        float raster_x, raster_y, sx, sy;
    };
    const Case cases[] = {
        {150.0f, 100.0f, 0.0f, 0.0f},  {0.0f, 100.0f, -1.0f, 0.0f},   {300.0f, 100.0f, 1.0f, 0.0f},
        {150.0f, 0.0f, 0.0f, 1.0f},    {150.0f, 200.0f, 0.0f, -1.0f}, {300.0f, 0.0f, 1.0f, 1.0f},
        {75.0f, 150.0f, -0.5f, -0.5f},
    };
    for (const Case& c : cases) {
        float sx = 0.0f, sy = 0.0f;
        image_position(camera, camera.eye_direction(c.raster_x, c.raster_y), sx, sy);
        EXPECT_NEAR(sx, c.sx, 1e-5f) << c.raster_x << "," << c.raster_y;
        EXPECT_NEAR(sy, c.sy, 1e-5f) << c.raster_x << "," << c.raster_y;
    }
}

TEST(RenderCamera, LooksDownMinusZAndHandsOutUnitDirections) {
    const CameraSettings settings = tilted_camera();
    const Camera camera(settings, 64, 48);
    const Vec3 forward = normalize(settings.look_at - settings.eye);
    const Vec3 local = camera.world_to_camera(forward);
    EXPECT_NEAR(local.x, 0.0f, 1e-6f);
    EXPECT_NEAR(local.y, 0.0f, 1e-6f);
    EXPECT_NEAR(local.z, -1.0f, 1e-6f);
    EXPECT_NEAR(length(camera.eye_direction(3.0f, 40.0f)), 1.0f, 1e-6f);
    EXPECT_GT(camera.world_to_camera(camera.eye_direction(0.0f, 0.0f)).y, 0.0f) << "top is +y";
}

// The host functions the plug-in calls, on the same vector for in and out.
TEST(RenderHostFunctions, TransformsWorkInPlaceAndRoundTrip) {
    const Camera camera(tilted_camera(), 64, 48);
    HostState state{};
    state.record.camera = &camera.record();
    state.camera = &camera;
    const mi_vector original{0.3f, -0.5f, 0.81f};
    mi_vector vector = original;
    mi_vector_to_camera(&state.record, &vector, &vector);
    const Vec3 expected = camera.world_to_camera({original.x, original.y, original.z});
    EXPECT_EQ(vector.x, expected.x);
    EXPECT_EQ(vector.y, expected.y);
    EXPECT_EQ(vector.z, expected.z);
    mi_vector_from_camera(&state.record, &vector, &vector);
    EXPECT_NEAR(vector.x, original.x, 1e-6f);
    EXPECT_NEAR(vector.y, original.y, 1e-6f);
    EXPECT_NEAR(vector.z, original.z, 1e-6f);
}

TEST(RenderTraceEye, RaysEmbreeWouldRejectComeBackEmptyWithoutATrace) {
    const Scene empty_scene;
    const Tracer tracer(empty_scene);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        mi_vector direction;
        mi_boolean traced;
    };
    const Case cases[] = {
        {{0.0f, 0.0f, -1.0f}, 1},  {{0.0f, 3.0f, -2.0f}, 1},   {{1e-40f, 0.0f, 0.0f}, 1},
        {{1e18f, 0.0f, -1.0f}, 1}, {{nan, 0.0f, -1.0f}, 0},    {{0.0f, 0.0f, nan}, 0},
        {{0.0f, -inf, -1.0f}, 0},  {{0.0f, 0.0f, 1.9e18f}, 0}, {{-2e18f, 0.0f, 0.0f}, 0},
        {{0.0f, 0.0f, 0.0f}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.direction.x << "," << c.direction.y << "," << c.direction.z);
        SampleRandom random(0, 0, 0, 1);
        RayTally tally;
        HostState state{};
        state.view = {&empty_scene, &tracer};
        state.random = &random;
        state.tally = &tally;
        mi_color colour{0.5f, 0.5f, 0.5f, 0.5f};
        EXPECT_EQ(trace_eye(state, {0.0f, 1.0f, 0.0f}, c.direction, colour), c.traced);
        EXPECT_EQ(tally.rays_cast, c.traced != 0 ? 1u : 0u);
        EXPECT_EQ(colour.a, c.traced != 0 ? 1.0f : 0.0f);
        if (c.traced == 0) {
            EXPECT_EQ(colour.r + colour.g + colour.b, 0.0f);
        }
    }
}

// Each sample lands in its own row stratum, and in its own column stratum
// when the count is a product of the grid's sides.
TEST(RenderSampling, PixelSamplesAreStratifiedInEachAxis) {
    for (const int count : {2, 4, 6, 9, 12, 16, 7}) {
        SCOPED_TRACE(count);
        const int columns = static_cast<int>(std::sqrt(static_cast<double>(count)));
        const bool full_grid = count % columns == 0;
        std::set<int> rows_hit, columns_hit;
        for (int index = 0; index < count; ++index) {
            const SquarePoint offset = sample_offset(17, 5, index, count);
            ASSERT_GE(offset.x, 0.0f);
            ASSERT_LT(offset.x, 1.0f);
            ASSERT_GE(offset.y, 0.0f);
            ASSERT_LT(offset.y, 1.0f);
            rows_hit.insert(static_cast<int>(offset.y * static_cast<float>(count)));
            columns_hit.insert(static_cast<int>(offset.x * static_cast<float>(count)));
        }
        EXPECT_EQ(rows_hit.size(), static_cast<std::size_t>(count));
        if (full_grid) {
            EXPECT_EQ(columns_hit.size(), static_cast<std::size_t>(count));
        }
    }
    const SquarePoint single = sample_offset(17, 5, 0, 1);
    EXPECT_EQ(single.x, 0.5f);
    EXPECT_EQ(single.y, 0.5f);
}

// Every corner of the bounds lands inside the frame, in front of the eye,
// whichever of the eye and the target were left to the framing.
TEST(RenderFraming, FramedBoundsLieInsideTheFrame) {
    const Bounds bounds{{-3.0f, 0.0f, -20.0f}, {5.0f, 2.0f, 1.0f}};
    const Vec3 given_target{1.0f, 0.5f, -2.0f};
    struct Case {
        int width, height;
        bool look_at_given;
    };
    const Case cases[] = {
        {400, 100, false}, {100, 100, false}, {100, 300, false}, {300, 200, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " " << c.look_at_given);
        CameraSettings settings = tilted_camera();
        settings.look_at = given_target;
        const float aspect = static_cast<float>(c.width) / static_cast<float>(c.height);
        const CameraSettings framed =
            frame_bounds(settings, bounds, aspect, false, c.look_at_given);
        ASSERT_STREQ(validate_camera(framed), "");
        if (c.look_at_given) {
            EXPECT_EQ(framed.look_at.x, given_target.x);
        }
        const Camera camera(framed, c.width, c.height);
        for (const float x : {bounds.low.x, bounds.high.x}) {
            for (const float y : {bounds.low.y, bounds.high.y}) {
                for (const float z : {bounds.low.z, bounds.high.z}) {
                    const Vec3 towards = Vec3{x, y, z} - framed.eye;
                    ASSERT_LT(camera.world_to_camera(towards).z, 0.0f);
                    float sx = 0.0f, sy = 0.0f;
                    image_position(camera, towards, sx, sy);
                    EXPECT_LE(std::fabs(sx), 1.0f) << x << "," << y << "," << z;
                    EXPECT_LE(std::fabs(sy), 1.0f) << x << "," << y << "," << z;
                }
            }
        }
    }
}

TEST(RenderFraming, AGivenEyeStaysAndLooksAtTheMiddle) {
    const Bounds bounds{{-1.0f, -1.0f, -1.0f}, {3.0f, 1.0f, 1.0f}};
    CameraSettings settings = tilted_camera();
    const CameraSettings framed = frame_bounds(settings, bounds, 1.5f, true, false);
    EXPECT_EQ(framed.eye.x, settings.eye.x);
    EXPECT_EQ(framed.eye.y, settings.eye.y);
    EXPECT_EQ(framed.eye.z, settings.eye.z);
    EXPECT_EQ(framed.look_at.x, 1.0f);
    EXPECT_EQ(framed.look_at.y, 0.0f);
    EXPECT_EQ(framed.look_at.z, 0.0f);
}

// PLY faces without corners once made Assimp's triangulation abort the
// process. They are skipped, and the rest of the file makes the scene.
TEST(RenderSceneFile, FacesWithoutCornersAreSkipped) {
    const std::string header = "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\n"
                               "property float y\nproperty float z\nelement face 2\n"
                               "property list uchar int vertex_indices\nend_header\n"
                               "0 0 0\n1 0 0\n0 1 0\n";
    const std::string with_a_triangle = header + "3 0 1 2\n0\n";
    const Scene scene =
        load_scene_bytes(with_a_triangle.data(), with_a_triangle.size(), ".ply", "one.ply");
    ASSERT_EQ(scene.meshes.size(), 1u);
    EXPECT_EQ(scene.meshes[0].indices, (std::vector<std::uint32_t>{0, 1, 2}));

    const std::string without = header + "0\n0\n";
    try {
        load_scene_bytes(without.data(), without.size(), ".ply", "none.ply");
        ADD_FAILURE() << "a file without a triangle loaded";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "scene none.ply: contains no triangles");
    }
}

// Each format reads from bytes as from its file. An OBJ's material library
// is looked for in the current folder, not read from the OBJ's own bytes
// (whose texture line, before any material, once crashed Assimp's material
// reader).
TEST(RenderSceneFile, EachFormatLoadsFromBytes) {
    for (const char* extension : {".obj", ".ply", ".gltf", ".glb"}) {
        SCOPED_TRACE(extension);
        std::ifstream file(std::string(KELMORA_SCENE_DIR) + "/quad" + extension, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(file), {}};
        const Scene scene = load_scene_bytes(bytes.data(), bytes.size(), extension, "quad");
        ASSERT_EQ(scene.meshes.size(), 1u);
        EXPECT_EQ(scene.meshes[0].indices.size(), 6u);
    }
    const std::string obj = "mtllib nowhere.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nmap_Kd x\n";
    const Scene scene = load_scene_bytes(obj.data(), obj.size(), ".obj", "textured.obj");
    ASSERT_EQ(scene.meshes.size(), 1u);
    EXPECT_EQ(scene.meshes[0].indices.size(), 3u);
}

// Assimp's material reader followed a null pointer on a texture line (and a
// few others) before a library's first newmtl, which crashed the renderer.
// Such lines are ignored now, and the materials after them still load.
TEST(RenderSceneFile, MaterialLinesBeforeTheFirstMaterialAreIgnored) {
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("kelmora-mtl-test-" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::ofstream(folder / "red.obj")
        << "mtllib red.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl red\nf 1 2 3\n";
    for (const char* stray :
         {"map_Kd stray.png", "bump stray.png", "norm stray.png", "disp stray.png", "a"}) {
        SCOPED_TRACE(stray);
        std::ofstream(folder / "red.mtl") << stray << "\nnewmtl red\nKd 1 0 0\n";
        const Scene scene = load_scene_file((folder / "red.obj").string());
        ASSERT_EQ(scene.meshes.size(), 1u);
        const Vec3 colour = scene.materials.at(scene.meshes[0].material).base_colour;
        EXPECT_EQ(colour.x, 1.0f);
        EXPECT_EQ(colour.y, 0.0f);
        EXPECT_EQ(colour.z, 0.0f);
    }
    fs::remove_all(folder);
}
