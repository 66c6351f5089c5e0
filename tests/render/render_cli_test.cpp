// kelmora-render end to end: the built executable, the built plug-in and the
// files it writes, run as a user would run them.
#include "render_files.h"
#include "run_program.h"

#include <OpenImageIO/imageio.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

namespace {

bool is_empty(const float* rgba) {
    return rgba[0] == 0.0f && rgba[1] == 0.0f && rgba[2] == 0.0f && rgba[3] == 0.0f;
}

// Frame coordinates (-1..1 across, 1..-1 down) of a raster position.
double frame_x(double raster_x, int width) {
    return 2.0 * raster_x / width - 1.0;
}
double frame_y(double raster_y, int height) {
    return 1.0 - 2.0 * raster_y / height;
}

// The squared ellipse radius at the pixel's nearest and farthest points.
void ellipse_radius_range(int x, int y, int width, int height, double& nearest, double& farthest) {
    farthest = 0.0;
    for (const int corner_x : {x, x + 1}) {
        for (const int corner_y : {y, y + 1}) {
            const double fx = frame_x(corner_x, width);
            const double fy = frame_y(corner_y, height);
            farthest = std::max(farthest, fx * fx + fy * fy);
        }
    }
    // The frame centre clamped into the pixel is its nearest point.
    const double near_x = std::clamp(0.0, frame_x(x, width), frame_x(x + 1, width));
    const double near_y = std::clamp(0.0, frame_y(y + 1, height), frame_y(y, height));
    nearest = near_x * near_x + near_y * near_y;
}

} // namespace

TEST(RenderLens, ClipWithFullAmountKeepsOnlyTheInscribedEllipse) {
    ScratchFolder folder;
    const int width = 48, height = 32;
    const Pixels image = render_exr(
        folder, {"--width", "48", "--height", "32", "--spp", "4", "--amount", "1", "--clip"});
    int inside = 0, outside = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double nearest = 0.0, farthest = 0.0;
            ellipse_radius_range(x, y, width, height, nearest, farthest);
            const float* pixel = image.at(x, y);
            if (nearest > 1.0 + 1e-4) {
                EXPECT_TRUE(is_empty(pixel)) << "outside the ellipse at " << x << "," << y;
                ++outside;
            } else if (farthest < 1.0 - 1e-4) {
                EXPECT_EQ(pixel[3], 1.0f) << "inside the ellipse at " << x << "," << y;
                EXPECT_GT(pixel[0] + pixel[1] + pixel[2], 0.0f) << "at " << x << "," << y;
                ++inside;
            }
        }
    }
    // Both kinds must really have been checked.
    EXPECT_GT(inside, width * height / 2);
    EXPECT_GT(outside, width * height / 8);
}

TEST(RenderLens, ZeroAmountWithClipIsAllBlack) {
    ScratchFolder folder;
    const std::string out = folder.file("black.exr");
    const ProgramResult result = render({"--width", "20", "--height", "14", "--spp", "2",
                                         "--amount", "0", "--clip", "--out", out, "--exr-float"});
    ASSERT_EQ(result.exit_code, 0) << result.err;
    EXPECT_NE(result.out.find("100.0% of eye rays blacked out"), std::string::npos) << result.out;
    const Pixels image = read_pixels(out);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            EXPECT_TRUE(is_empty(image.at(x, y))) << "at " << x << "," << y;
        }
    }
}

TEST(RenderLens, CentrePixelMatchesThePinhole) {
    ScratchFolder folder;
    // Odd sizes put a pixel centre, and with one sample its eye ray, on the
    // view axis, which the lens leaves where it is.
    const std::vector<std::string> frame{"--width", "33", "--height", "25", "--spp", "1"};
    std::vector<std::string> lens = frame, pinhole = frame;
    lens.insert(lens.end(), {"--amount", "1", "--clip"});
    pinhole.push_back("--no-lens");
    const Pixels through_lens = render_exr(folder, lens);
    const Pixels plain = render_exr(folder, pinhole);
    const float* centre = through_lens.at(16, 12);
    const float* expected = plain.at(16, 12);
    for (int channel = 0; channel < 4; ++channel) {
        EXPECT_EQ(centre[channel], expected[channel]) << "channel " << channel;
    }
    EXPECT_EQ(centre[3], 1.0f);
    // And the lens really bends away from the centre.
    EXPECT_NE(std::memcmp(through_lens.values.data(), plain.values.data(),
                          plain.values.size() * sizeof(float)),
              0);
}

TEST(RenderImage, ThreadCountDoesNotChangeABit) {
    ScratchFolder folder;
    // Not a multiple of the tile size, and a sample count with no square root.
    const std::vector<std::string> frame{"--width", "45", "--height", "37", "--spp", "3"};
    std::vector<std::string> one = frame, several = frame;
    one.insert(one.end(), {"--threads", "1"});
    several.insert(several.end(), {"--threads", "3"});
    const Pixels serial = render_exr(folder, one);
    const Pixels parallel = render_exr(folder, several);
    ASSERT_EQ(serial.values.size(), parallel.values.size());
    EXPECT_EQ(std::memcmp(serial.values.data(), parallel.values.data(),
                          serial.values.size() * sizeof(float)),
              0);
}

// Lens settings whose bent rays have NaN components (by the shader's design)
// for part of the frame. Embree would abort on such rays: the renderer must
// black them out instead and finish the image.
TEST(RenderLens, NanProducingSettingsStillRender) {
    const std::vector<std::vector<std::string>> settings{
        {"--amount", "1", "--no-clip"}, // f reaches 2 in the corners
        {"--amount", "2", "--clip-value", "2"},
        {"--scale-x", "4", "--no-clip"},
        {"--amount", "-1", "--no-clip"},
    };
    for (const auto& lens : settings) {
        std::string shown;
        for (const std::string& argument : lens) {
            shown += argument + " ";
        }
        SCOPED_TRACE(shown);
        ScratchFolder folder;
        std::vector<std::string> arguments{"--width", "24", "--height", "18", "--spp", "2"};
        arguments.insert(arguments.end(), lens.begin(), lens.end());
        const Pixels image = render_exr(folder, arguments);
        int empty = 0;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                empty += is_empty(image.at(x, y)) ? 1 : 0;
            }
        }
        EXPECT_GT(empty, 0);
        EXPECT_EQ(image.at(12, 9)[3], 1.0f) << "the centre still traces";
    }
}

TEST(RenderImage, WritesEachFormatWithAlpha) {
    struct Case {
        const char* name;
        std::vector<std::string> extra;
        OIIO::TypeDesc stored;
    };
    const std::vector<Case> cases{
        {"frame.png", {}, OIIO::TypeDesc::UINT8},
        {"frame.EXR", {}, OIIO::TypeDesc::HALF},
        {"frame.exr", {"--exr-float"}, OIIO::TypeDesc::FLOAT},
    };
    for (const Case& format : cases) {
        SCOPED_TRACE(format.name);
        ScratchFolder folder;
        std::vector<std::string> arguments{
            "--width", "16",       "--height", "12",    "--spp",
            "1",       "--amount", "1",        "--out", folder.file(format.name)};
        arguments.insert(arguments.end(), format.extra.begin(), format.extra.end());
        const ProgramResult result = render(arguments);
        ASSERT_EQ(result.exit_code, 0) << result.err;
        const Pixels image = read_pixels(folder.file(format.name));
        EXPECT_EQ(image.width, 16);
        EXPECT_EQ(image.height, 12);
        EXPECT_EQ(image.channels, 4);
        EXPECT_EQ(image.stored, format.stored);
        EXPECT_EQ(image.at(0, 0)[3], 0.0f) << "the corner is outside the ellipse";
        EXPECT_EQ(image.at(8, 6)[3], 1.0f);
        // Only the image: no temporary file stays behind.
        EXPECT_EQ(folder.entries(), std::vector<std::string>{format.name});
    }
}

struct BadInput {
    const char* what;
    std::vector<std::string> arguments; // "@" stands for the scratch folder
    const char* message;                // must appear in the one line on stderr
    int exit_code;
};

std::string expand(const std::string& argument, const ScratchFolder& folder) {
    return argument.rfind('@', 0) == 0 ? folder.file(argument.substr(1)) : argument;
}

// The broken files the table names, in the scratch folder; returns their
// names, sorted, which must be all the folder holds afterwards.
std::vector<std::string> write_bad_inputs(const ScratchFolder& folder) {
    std::ofstream(folder.file("not-a-library.so")) << "plain text\n";
    std::filesystem::create_directory(folder.file("folder.obj"));
    std::ofstream(folder.file("empty.obj")).flush();
    std::ofstream(folder.file("broken.gltf")) << "{ \"asset\": { \"version\": \"2.0\" ";
    std::ifstream whole_glb(std::string(KELMORA_SCENE_DIR) + "/quad.glb", std::ios::binary);
    std::string glb(40, '\0');
    whole_glb.read(glb.data(), static_cast<std::streamsize>(glb.size()));
    std::ofstream(folder.file("cut.glb"), std::ios::binary) << glb;
    std::ofstream(folder.file("bad-index.obj")) << "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 9\n";
    std::ofstream(folder.file("points.ply"))
        << "ply\nformat ascii 1.0\nelement vertex 2\nproperty float x\nproperty float y\n"
           "property float z\nend_header\n0 0 0\n1 1 1\n";
    // Assimp alone would never return from these, whatever their names.
    const char* endless_ply =
        "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
        "property float z\nelement face 1\nproperty list uchar int vertex_indices\n"
        "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n";
    std::ofstream(folder.file("endless.ply")) << endless_ply;
    std::ofstream(folder.file("endless.gltf")) << "PLY" << (endless_ply + 3);
    // Assimp would write past its arrays for the second declaration.
    const char* header_start = "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\n"
                               "property float y\nproperty float z\n";
    std::ofstream(folder.file("vertices-twice.ply"))
        << header_start << "element vertex 1\nproperty float x\nend_header\n0 0 0\n";
    std::ofstream(folder.file("faces-twice.gltf"))
        << header_start
        << "element face 1\nproperty list uchar int vertex_indices\nelement FACE 2\r"
           "property list uchar int vertex_indices\nend_header\n";
    // To Assimp, a line end other than LF swallows the rest up to the next LF:
    // this end_header is never seen, and the reader would never return.
    std::ofstream(folder.file("hidden-end.ply"), std::ios::binary)
        << std::string(header_start) << std::string("comment x\0\0end_header\n0 0 0\n", 26);
    // Assimp would set aside room for four billion vertices first.
    std::ofstream(folder.file("huge-count.ply"))
        << "ply\nformat ascii 1.0\nelement vertex 4000000000\nproperty float x\nend_header\n";
    std::ofstream(folder.file("nan.obj")) << "v nan 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    std::ofstream(folder.file("scene.fbx")) << "Kaydara FBX Binary\n";
    return folder.entries();
}

TEST(RenderCommandLine, BadInputIsOneLineAnExitCodeAndNoFile) {
    const std::string fixtures = KELMORA_FIXTURE_DIR;
    const std::vector<BadInput> cases{
        {"unknown flag", {"--frobnicate"}, "--frobnicate", 2},
        {"stray argument", {"scene.obj"}, "scene.obj", 2},
        {"width not a number", {"--width", "wide"}, "--width: 'wide' is not a whole number", 2},
        {"fractional samples", {"--spp", "2.5"}, "--spp: '2.5' is not a whole number", 2},
        {"zero width", {"--width", "0"}, "--width: '0' is out of range", 2},
        {"negative height", {"--height", "-4"}, "--height: '-4' is out of range", 2},
        {"zero samples", {"--spp", "0"}, "--spp: '0' is out of range", 2},
        {"huge size", {"--width", "1000000"}, "--width", 2},
        {"zero threads", {"--threads", "0"}, "--threads", 2},
        {"amount not a number", {"--amount", "lots"}, "--amount: 'lots' is not a number", 2},
        {"short vector", {"--eye", "1,2"}, "--eye: expects three", 2},
        {"eye on target", {"--eye", "1,1,1", "--look-at", "1,1,1"}, "--look-at must differ", 2},
        {"up along view", {"--up", "0,0,1", "--eye", "0,0,5", "--look-at", "0,0,0"}, "--up", 2},
        {"zero focal", {"--focal", "0"}, "--focal", 2},
        {"clip both ways", {"--clip", "--no-clip"}, "--clip", 2},
        {"missing plug-in", {"--plugin", "@nothing.so"}, "no such file", 1},
        {"unloadable plug-in", {"--plugin", "@not-a-library.so"}, "cannot be loaded", 1},
        {"plug-in without exports",
         {"--plugin", fixtures + "/fixture_no_exports.so"},
         "does not export 'kelmora'",
         1},
        {"plug-in without a version",
         {"--plugin", fixtures + "/fixture_no_version.so"},
         "does not export 'kelmora_version'",
         1},
        {"wrong version", {"--plugin", fixtures + "/fixture_version_2.so"}, "has version 2", 1},
        {"unknown shader", {"--shader", "fisheye"}, "does not export 'fisheye'", 1},
        {"missing output folder",
         {"--out", "@no/such/folder/out.png"},
         "output folder does not exist",
         1},
        {"unknown extension", {"--out", "@out.jpg"}, "unknown output format ('.jpg')", 1},
        {"no extension", {"--out", "@out"}, "unknown output format", 1},
        {"missing scene", {"--scene", "@nothing.obj"}, "nothing.obj: no such file", 1},
        {"scene is a folder", {"--scene", "@folder.obj"}, "folder.obj: is a folder", 1},
        {"empty scene", {"--scene", "@empty.obj"}, "empty.obj: is empty", 1},
        {"corrupt glTF", {"--scene", "@broken.gltf"}, "broken.gltf: cannot be read", 1},
        {"truncated GLB", {"--scene", "@cut.glb"}, "cut.glb: cannot be read", 1},
        {"face past the vertices",
         {"--scene", "@bad-index.obj"},
         "bad-index.obj: cannot be read: OBJ: vertex index out of range",
         1},
        {"no triangles", {"--scene", "@points.ply"}, "points.ply: cannot be read", 1},
        {"PLY header without its end",
         {"--scene", "@endless.ply"},
         "endless.ply: cannot be read: its PLY header has no end_header line",
         1},
        {"the same in capitals, named glTF",
         {"--scene", "@endless.gltf"},
         "its PLY header has no",
         1},
        {"PLY element declared twice",
         {"--scene", "@vertices-twice.ply"},
         "vertices-twice.ply: cannot be read: its PLY header declares the element 'vertex' twice",
         1},
        {"the same for faces, in capitals, named glTF",
         {"--scene", "@faces-twice.gltf"},
         "declares the element 'FACE' twice",
         1},
        {"PLY end_header hidden after a NUL",
         {"--scene", "@hidden-end.ply"},
         "hidden-end.ply: cannot be read: its PLY header has no end_header line",
         1},
        {"PLY element count beyond the file",
         {"--scene", "@huge-count.ply"},
         "declares 4000000000 'vertex' elements, more than its 75 bytes can hold",
         1},
        {"NaN vertex", {"--scene", "@nan.obj"}, "nan.obj: has a vertex that is not a finite", 1},
        {"unknown scene format", {"--scene", "@scene.fbx"}, "unknown scene format ('.fbx')", 1},
        {"inverted region", {"--region", "6,0,2,8"}, "--region: '6,0,2,8' is inverted", 2},
        {"empty region", {"--region", "2,3,5,3"}, "--region: '2,3,5,3' is empty", 2},
        {"region past the frame",
         {"--region", "0,0,9,8"},
         "--region: '0,0,9,8' reaches outside the 8x8 frame",
         2},
        {"region before the frame", {"--region", "-1,0,4,4"}, "reaches outside", 2},
        {"region of three numbers", {"--region", "1,2,3"}, "--region: expects four", 2},
        {"region with a fraction", {"--region", "0,0,4.5,4"}, "--region: expects four", 2},
        {"sweep without a count", {"--sweep-amount", "0:1"}, "--sweep-amount: expects", 2},
        {"sweep count not whole", {"--sweep-amount", "0:1:2.5"}, "--sweep-amount: expects", 2},
        {"sweep of one", {"--sweep-amount", "0:1:1"}, "the count must be 2 to 64", 2},
        {"sweep too long", {"--sweep-amount", "0:1:65"}, "the count must be 2 to 64", 2},
        {"sweep to NaN", {"--sweep-amount", "0:nan:3"}, "the amounts must be finite", 2},
        {"sweep from a word", {"--sweep-amount", "low:1:3"}, "--sweep-amount: expects", 2},
        {"sweep and compare", {"--sweep-amount", "0:1:3", "--compare"}, "excludes", 2},
        {"region of a sheet", {"--compare", "--region", "0,0,4,4"}, "excludes", 2},
        {"sheet of pinholes", {"--compare", "--no-lens"}, "--no-lens: cannot go with", 2},
        {"sheet too large", {"--width", "9000", "--compare"}, "at most 16384 a side", 2},
        {"merge of nothing", {"--merge"}, "--merge: needs the region images", 2},
        {"merge of a missing file", {"--merge", "@gone.exr"}, "cannot merge", 1},
    };
    for (const BadInput& bad : cases) {
        SCOPED_TRACE(bad.what);
        ScratchFolder folder;
        const std::vector<std::string> given = write_bad_inputs(folder);
        std::vector<std::string> arguments{"--width", "8", "--height", "8",
                                           "--spp",   "1", "--out",    folder.file("out.png")};
        for (const std::string& argument : bad.arguments) {
            arguments.push_back(expand(argument, folder));
        }
        const ProgramResult result = render(arguments);
        EXPECT_FALSE(result.timed_out);
        EXPECT_EQ(result.signal, 0);
        EXPECT_EQ(result.exit_code, bad.exit_code);
        EXPECT_NE(result.err.find(bad.message), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_EQ(result.err.rfind("kelmora-render: ", 0), 0u) << result.err;
        EXPECT_EQ(folder.entries(), given);
    }
}

TEST(RenderCommandLine, HelpNamesEveryFlagWithItsDefault) {
    const ProgramResult result = run_program(KELMORA_RENDER_EXE, {"--help"});
    EXPECT_EQ(result.exit_code, 0);
    for (const char* flag : {"--width INT=640", "--spp INT=16", "--amount FLOAT=0.75",
                             "--out TEXT=fisheye.png", "--plugin", "--no-lens", "--clip-value"}) {
        EXPECT_NE(result.out.find(flag), std::string::npos) << flag;
    }
}
