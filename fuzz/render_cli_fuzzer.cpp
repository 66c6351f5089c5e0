// Fuzzes kelmora-render's command line and its scene files, as library
// functions in this process. The first byte picks what the rest is:
//   0  a command line, one argument per NUL-separated piece;
//   1  an .obj file, 2 a .ply, 3 a .gltf, 4 a .glb;
//   5  the material library of a one-triangle OBJ.
// A command line must either be refused or give options a render can use;
// a scene file must either be refused with std::runtime_error or give a
// scene the tracer can take, which the camera can then frame or refuse.
// Nothing is rendered. Assimp reads an OBJ's material library from the file
// system, so a material library is written to a file of this process's own
// in the temporary folder while the OBJ loads, and nothing else is written.
#include "camera.h"
#include "framing.h"
#include "fuzz_check.h"
#include "options.h"
#include "scene.h"
#include "scene_file.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using namespace krender;

// Keeps each run short: a command line has a few dozen arguments at most,
// and a scene small enough to load in milliseconds shows every code path.
const std::size_t largest_input = 256 * 1024;
const std::size_t most_arguments = 64;

void check_options(const Options& options) {
    CHECK(options.width >= 1 && options.width <= largest_image_side);
    CHECK(options.height >= 1 && options.height <= largest_image_side);
    CHECK(options.samples_per_pixel >= 1);
    CHECK(options.threads >= 1);
    if (options.merge) {
        CHECK(!options.pieces.empty());
        return;
    }
    CHECK(options.pieces.empty());
    const Region& region = options.region;
    CHECK(region.x0 >= 0 && region.y0 >= 0 && region.x0 < region.x1 && region.y0 < region.y1);
    CHECK(region.x1 <= options.width && region.y1 <= options.height);
    CHECK(options.sweep.count == 0 || options.sweep.count >= 2);
    const bool framed = !options.scene.empty() && !(options.eye_given && options.look_at_given);
    if (!framed) {
        CHECK(*validate_camera(options.camera) == '\0');
    }
}

void fuzz_command_line(const char* text, std::size_t size) {
    std::vector<std::string> pieces{"kelmora-render"};
    std::string piece;
    for (std::size_t i = 0; i < size; ++i) {
        if (text[i] != '\0') {
            piece += text[i];
            continue;
        }
        pieces.push_back(piece);
        piece.clear();
    }
    pieces.push_back(piece);
    if (pieces.size() > most_arguments) {
        return;
    }
    std::vector<char*> argv;
    for (std::string& argument : pieces) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const ParsedCommandLine parsed =
        parse_command_line(static_cast<int>(pieces.size()), argv.data());
    if (parsed.render) {
        check_options(parsed.options);
    } else {
        CHECK(parsed.exit_code == 0 || parsed.exit_code == 2);
    }
}

void check_mesh(const Scene& scene, const Mesh& mesh) {
    CHECK(mesh.material < scene.materials.size());
    CHECK(!mesh.indices.empty() && mesh.indices.size() % 3 == 0);
    for (std::uint32_t index : mesh.indices) {
        CHECK(index < mesh.positions.size());
    }
    for (const Vec3& position : mesh.positions) {
        CHECK(is_finite(position));
    }
    CHECK(mesh.normals.empty() || mesh.normals.size() == mesh.positions.size());
    for (const Vec3& normal : mesh.normals) {
        CHECK(std::fabs(length(normal) - 1.0f) < 1e-3f);
    }
}

// What kelmora-render does with a scene file and no view of its own.
void frame_scene(const Scene& scene) {
    const CameraSettings framed =
        frame_bounds(CameraSettings{}, scene_bounds(scene), 640.0f / 480.0f, false, false);
    if (*validate_camera(framed) != '\0') {
        return;
    }
    const Camera camera(framed, 640, 480);
    CHECK(is_finite(camera.eye()) && is_finite(camera.eye_direction(320.0f, 240.0f)));
}

void fuzz_scene(const std::uint8_t* data, std::size_t size, const char* extension) {
    Scene scene;
    try {
        scene = load_scene_bytes(data, size, extension, "fuzz input");
    } catch (const std::runtime_error&) {
        return; // refused, as a bad file should be
    }
    CHECK(!scene.meshes.empty() && !scene.materials.empty());
    for (const Mesh& mesh : scene.meshes) {
        check_mesh(scene, mesh);
    }
    frame_scene(scene);
}

// The file a material library is written to while its OBJ loads.
std::string material_library_path() {
    return (std::filesystem::temp_directory_path() /
            ("kelmora-fuzz-" + std::to_string(getpid()) + ".mtl"))
        .string();
}

void fuzz_material_library(const std::uint8_t* data, std::size_t size) {
    const std::string path = material_library_path();
    {
        std::ofstream library(path, std::ios::binary | std::ios::trunc);
        library.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        CHECK(library.good());
    }
    const std::string obj = "mtllib " + path + "\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl a\nf 1 2 3\n";
    fuzz_scene(reinterpret_cast<const std::uint8_t*>(obj.data()), obj.size(), ".obj");
    std::remove(path.c_str());
}

} // namespace

// Assimp (the system's library, not instrumented) leaks a few blocks when its
// PLY importer gives up on a malformed header: the allocations are its own,
// made and lost inside ReadFileFromMemory, and the Importer that owns
// everything else here lives on the stack. kelmora-render refuses such a file
// and exits, so nothing piles up; only leaks allocated from inside Assimp are
// ignored, and a leak from this program's own code is still reported.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libassimp.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > largest_input) {
        return 0;
    }
    const char* scene_extensions[] = {".obj", ".ply", ".gltf", ".glb"};
    const unsigned kind = data[0] % 6u;
    if (kind == 5) {
        fuzz_material_library(data + 1, size - 1);
    } else if (kind == 0) {
        fuzz_command_line(reinterpret_cast<const char*>(data + 1), size - 1);
    } else {
        fuzz_scene(data + 1, size - 1, scene_extensions[kind - 1]);
    }
    return 0;
}
