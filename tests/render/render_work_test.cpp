// kelmora-render on real work: scene files, regions rendered apart and
// merged, and comparison sheets. Each runs the built executable.
#include "render_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

const std::string scenes = KELMORA_SCENE_DIR;

// The fixtures' square is green; the sky is bluer than it is green and the
// ground below the horizon is grey, so only the square passes this.
bool shows_the_square(const float* rgba) {
    return rgba[1] > 2.0f * std::max(rgba[0], rgba[2]);
}

bool same_pixels(const Pixels& a, int ax, int ay, const Pixels& b, int bx, int by, int width,
                 int height) {
    for (int y = 0; y < height; ++y) {
        const std::size_t row_bytes = static_cast<std::size_t>(width * a.channels) * sizeof(float);
        if (std::memcmp(a.at(ax, ay + y), b.at(bx, by + y), row_bytes) != 0) {
            return false;
        }
    }
    return true;
}

bool same_image(const Pixels& a, const Pixels& b) {
    return a.width == b.width && a.height == b.height && a.channels == b.channels &&
           a.values == b.values;
}

} // namespace

// Each fixture holds the same two-unit square at the origin, the glTF and
// GLB ones placed there only by their node transforms. Seen from 4 units
// away through a 1-unit aperture it covers the middle half of the frame.
TEST(RenderScene, EachFormatCoversExactlyTheSquaresPixels) {
    for (const char* file : {"quad.obj", "quad.ply", "quad.gltf", "quad.glb"}) {
        SCOPED_TRACE(file);
        ScratchFolder folder;
        const Pixels image = render_exr(
            folder, {"--scene", scenes + "/" + file, "--no-lens", "--width", "32", "--height", "32",
                     "--spp", "1", "--eye", "0,0,4", "--look-at", "0,0,0", "--aperture", "1"});
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const bool inside = x >= 8 && x < 24 && y >= 8 && y < 24;
                EXPECT_EQ(shows_the_square(image.at(x, y)), inside) << "at " << x << "," << y;
            }
        }
    }
}

TEST(RenderScene, WithoutAViewTheCameraFramesTheWholeScene) {
    ScratchFolder folder;
    const int width = 48, height = 24;
    const Pixels image = render_exr(folder, {"--scene", scenes + "/quad.obj", "--no-lens",
                                             "--width", "48", "--height", "24", "--spp", "1"});
    int covered = 0;
    bool on_the_edge = false;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool square = shows_the_square(image.at(x, y));
            covered += square ? 1 : 0;
            on_the_edge |= square && (x == 0 || y == 0 || x == width - 1 || y == height - 1);
        }
    }
    EXPECT_TRUE(shows_the_square(image.at(width / 2, height / 2)));
    EXPECT_FALSE(on_the_edge) << "the square is cut off";
    EXPECT_GT(covered, width * height / 20) << "the square is lost in the distance";
}

// Uneven regions (not on tile boundaries), rendered with different thread
// counts, then merged: the same bits as one render of the frame.
TEST(RenderRegion, RegionsMergeIntoTheWholeFrameBitForBit) {
    struct Part {
        const char* region;
        const char* threads;
        int width, height;
    };
    const Part parts[] = {
        {"0,0,23,37", "1", 23, 37}, {"23,0,45,19", "2", 22, 19}, {"23,19,45,37", "3", 22, 18}};
    for (const char* extension : {".exr", ".png"}) {
        SCOPED_TRACE(extension);
        ScratchFolder folder;
        const std::vector<std::string> frame{"--width", "45", "--height", "37", "--spp", "3"};
        std::vector<std::string> whole = frame;
        whole.insert(whole.end(), {"--out", folder.file(std::string("whole") + extension)});
        ASSERT_EQ(render(whole).exit_code, 0);
        std::vector<std::string> merge{"--merge", "--out",
                                       folder.file(std::string("merged") + extension)};
        for (const Part& part : parts) {
            const std::string out = folder.file(std::string("part-") + part.threads + extension);
            std::vector<std::string> arguments = frame;
            arguments.insert(arguments.end(),
                             {"--region", part.region, "--threads", part.threads, "--out", out});
            const ProgramResult result = render(arguments);
            ASSERT_EQ(result.exit_code, 0) << result.err;
            const Pixels piece = read_pixels(out);
            EXPECT_EQ(piece.width, part.width);
            EXPECT_EQ(piece.height, part.height);
            merge.push_back(out);
        }
        const ProgramResult merged = render(merge);
        ASSERT_EQ(merged.exit_code, 0) << merged.err;
        EXPECT_TRUE(same_image(read_pixels(folder.file(std::string("merged") + extension)),
                               read_pixels(folder.file(std::string("whole") + extension))));
    }
}

TEST(RenderRegion, MergeRefusesPiecesThatDoNotMakeOneFrame) {
    ScratchFolder folder;
    const auto piece = [&](const std::string& name, const std::string& width,
                           const std::string& region) {
        std::vector<std::string> arguments{"--width", width, "--height", "8",
                                           "--spp",   "1",   "--out",    folder.file(name)};
        if (!region.empty()) {
            arguments.insert(arguments.end(), {"--region", region});
        }
        ASSERT_EQ(render(arguments).exit_code, 0);
    };
    piece("left.png", "8", "0,0,4,8");
    piece("right.png", "8", "4,0,8,8");
    piece("wide-right.png", "9", "4,0,9,8");
    piece("middle.png", "8", "2,0,6,8");
    piece("left.exr", "8", "0,0,4,8");
    const std::vector<std::string> made = folder.entries();
    struct Case {
        std::vector<std::string> pieces;
        const char* out;
        const char* message;
    };
    const std::vector<Case> cases{
        {{"left.png"}, "out.png", "the regions cover 32 of the 64 pixels of the 8x8 frame"},
        {{"left.png", "right.png", "middle.png"}, "out.png", "middle.png: overlaps"},
        {{"left.png", "wide-right.png"}, "out.png", "belongs to a 9x8 frame"},
        {{"left.exr", "right.png"}, "out.png", "mixes .png and .exr pieces"},
        {{"left.png", "right.png"}, "out.exr", "the pieces are .png images"},
        {{"left.png", "right.png", "not-an-image.png"}, "out.png", "not-an-image.png"},
    };
    std::ofstream(folder.file("not-an-image.png")) << "text\n";
    for (const Case& bad : cases) {
        SCOPED_TRACE(bad.message);
        std::vector<std::string> arguments{"--merge", "--out", folder.file(bad.out)};
        for (const std::string& name : bad.pieces) {
            arguments.push_back(folder.file(name));
        }
        const ProgramResult result = render(arguments);
        EXPECT_EQ(result.exit_code, 1);
        EXPECT_NE(result.err.find(bad.message), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_FALSE(std::filesystem::exists(folder.file(bad.out)));
    }
}

// Panels are the frame's size under a label strip (frame width / 16, at
// least 16 pixels), two side by side or a near-square grid; each holds
// exactly the render it stands for.
TEST(RenderSheet, PanelsHoldTheirRendersUnderLabels) {
    const std::vector<std::string> frame{"--width", "40", "--height", "30", "--spp", "2"};
    const auto with = [&](std::vector<std::string> extra) {
        extra.insert(extra.begin(), frame.begin(), frame.end());
        return extra;
    };
    ScratchFolder folder;
    const Pixels pinhole = render_exr(folder, with({"--no-lens"}));
    const Pixels lens = render_exr(folder, with({"--amount", "0.5"}));
    const Pixels full = render_exr(folder, with({"--amount", "1"}));

    const Pixels compare = render_exr(folder, with({"--compare", "--amount", "0.5"}));
    EXPECT_EQ(compare.width, 80);
    EXPECT_EQ(compare.height, 46);
    EXPECT_TRUE(same_pixels(compare, 0, 16, pinhole, 0, 0, 40, 30));
    EXPECT_TRUE(same_pixels(compare, 40, 16, lens, 0, 0, 40, 30));

    // 0.25, 0.5, 0.75, 1 and 1.25: three columns, two rows.
    const Pixels sweep = render_exr(folder, with({"--sweep-amount", "0.25:1.25:5"}));
    EXPECT_EQ(sweep.width, 120);
    EXPECT_EQ(sweep.height, 92);
    EXPECT_TRUE(same_pixels(sweep, 40, 16, lens, 0, 0, 40, 30));
    EXPECT_TRUE(same_pixels(sweep, 0, 62, full, 0, 0, 40, 30));

    // A label is drawn: its strip is not one flat colour.
    const float* strip_corner = compare.at(0, 0);
    bool text = false;
    for (int x = 0; x < 40 && !text; ++x) {
        text = std::memcmp(compare.at(x, 10), strip_corner, 4 * sizeof(float)) != 0;
    }
    EXPECT_TRUE(text);
}
