// The shader's behaviour, through the built plug-in binary and a fake host:
// which host calls it makes, with what, and the bent direction it traces.
#include "fake_host.h"
#include "plugin_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <optional>
#include <ostream>

// Global, next to mi_vector, so that GoogleTest finds it.
static std::ostream& operator<<(std::ostream& os, const mi_vector& v) {
    return os << '(' << v.x << ", " << v.y << ", " << v.z << ')';
}

namespace {

using fake_host::Call;

uint32_t bits(float v) {
    uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// Bit-exact equality, except that any NaN matches any NaN.
bool same_float(float a, float b) {
    return (std::isnan(a) && std::isnan(b)) || bits(a) == bits(b);
}

bool same_vector(const mi_vector& a, const mi_vector& b) {
    return same_float(a.x, b.x) && same_float(a.y, b.y) && same_float(a.z, b.z);
}

const float nan = std::nanf("");
const float just_below_one = 0x1.fffffep-1f;

enum class Outcome { blacked_out, traced };

struct LensCase {
    const char* name;
    mi_vector camera_dir;
    mi_camera camera;
    kelmora_params params;
    Outcome outcome;
    // The bent camera-space direction, bit for bit, where it is worked out by hand.
    std::optional<mi_vector> bent;
    mi_boolean trace_result = 1;
};

void PrintTo(const LensCase& c, std::ostream* os) {
    *os << c.name;
}

// focal 1, aperture 2: image-plane position = camera-space (x, y) / -z.
const mi_camera unit_camera = {0, 1.0f, 2.0f, 1.0f};
const mi_camera wide_camera = {0, 1.0f, 2.0f, 2.0f}; // frame twice as wide as high

kelmora_params lens(float amount, int32_t clip, float sx = 1.0f, float sy = 1.0f, float sz = 1.0f) {
    return {amount, sx, sy, sz, clip};
}

// clang-format off
const LensCase lens_cases[] = {
    // name                                          camera dir        camera        params               outcome                bent (before the back transform)
    {"centre_ray_full_amount",                       {0, 0, -1},       unit_camera,  lens(1, 1),          Outcome::traced,       mi_vector{0, 0, -1}},
    {"centre_ray_leaves_along_minus_scale_z",        {0, 0, -1},       unit_camera,  lens(0.3f, 1, 5, 5, 2), Outcome::traced,    mi_vector{0, 0, -2}},
    {"half_radius_bends_by_its_square",              {0.5f, 0.5f, -1}, unit_camera,  lens(1, 1),          Outcome::traced,       mi_vector{0.25f, 0.25f, -0.9354143738746643f}},
    {"scales_multiply_each_component",               {0.5f, 0.5f, -1}, unit_camera,  lens(1, 1, 2, -1, 3), Outcome::traced,      mi_vector{0.5f, -0.25f, -2.487468719482422f}},
    {"factor_exactly_one_is_blacked_out",            {1, 0, -1},       unit_camera,  lens(1, 1),          Outcome::blacked_out,  std::nullopt},
    {"factor_just_inside_is_traced",                 {just_below_one, 0, -1}, unit_camera, lens(1, 1),    Outcome::traced,       std::nullopt},
    {"factor_rounding_up_to_one_is_blacked_out",     {1, 0, -1},       unit_camera,  lens(0.5f, 1),       Outcome::blacked_out,  std::nullopt},
    {"focal_and_aperture_set_the_projection",        {1, 0, -2},       {0, 2, 2, 1}, lens(1, 1),          Outcome::blacked_out,  std::nullopt},
    {"wider_aperture_shrinks_the_radius",            {1, 0, -1},       {0, 1, 4, 1}, lens(1, 1),          Outcome::traced,       mi_vector{0.25f, 0, -0.9682458639144897f}},
    {"non_square_top_edge_is_on_the_ellipse",        {0, 0.5f, -1},    wide_camera,  lens(1, 1),          Outcome::blacked_out,  std::nullopt},
    {"non_square_side_edge_is_on_the_ellipse",       {1, 0, -1},       wide_camera,  lens(1, 1),          Outcome::blacked_out,  std::nullopt},
    {"non_square_corner_is_outside",                 {0.75f, 0.375f, -1}, wide_camera, lens(1, 1),        Outcome::blacked_out,  std::nullopt},
    {"non_square_inside_the_ellipse",                {0.5f, 0.25f, -1}, wide_camera, lens(1, 1),          Outcome::traced,       mi_vector{0.25f, 0.125f, -0.9601432085037231f}},
    {"amount_zero_clip_blacks_out_even_the_centre",  {0, 0, -1},       unit_camera,  lens(0, 1),          Outcome::blacked_out,  std::nullopt},
    {"amount_zero_no_clip_keeps_the_direction",      {0.5f, 0.5f, -1}, unit_camera,  lens(0, 0),          Outcome::traced,       mi_vector{0.5f, 0.5f, -0.7071067690849304f}},
    {"amount_two_flips_the_centre",                  {0.5f, 0, -1},    unit_camera,  lens(2, 1),          Outcome::traced,       mi_vector{-0.25f, -0.0f, -0.9682458639144897f}},
    {"amount_below_zero_is_not_clamped",             {0.5f, 0, -1},    unit_camera,  lens(-1, 1),         Outcome::blacked_out,  std::nullopt},
    {"clip_flag_zero_traces_outside",                {1, 0, -1},       unit_camera,  lens(1, 0),          Outcome::traced,       mi_vector{1, 0, -0.0f}},
    {"clip_flag_two_traces_outside",                 {1, 0, -1},       unit_camera,  lens(1, 2),          Outcome::traced,       mi_vector{1, 0, -0.0f}},
    {"clip_flag_minus_one_traces_outside",           {1, 0, -1},       unit_camera,  lens(1, -1),         Outcome::traced,       mi_vector{1, 0, -0.0f}},
    {"negative_root_argument_gives_nan_depth",       {2, 0, -1},       unit_camera,  lens(1, 0),          Outcome::traced,       mi_vector{8, 0, nan}},
    {"zero_depth_is_nan_and_traced_despite_clip",    {0.5f, 0, 0},     unit_camera,  lens(1, 1),          Outcome::traced,       mi_vector{nan, nan, nan}},
    {"trace_failure_passes_through",                 {0, 0, -1},       unit_camera,  lens(1, 1),          Outcome::traced,       std::nullopt, 0},
    {"trace_result_passes_through_unchanged",        {0, 0, -1},       unit_camera,  lens(1, 1),          Outcome::traced,       std::nullopt, 7},
    {"negative_trace_result_passes_through",         {0, 0, -1},       unit_camera,  lens(1, 1),          Outcome::traced,       std::nullopt, -3},
};
// clang-format on

class LensTest : public PluginTest, public ::testing::WithParamInterface<LensCase> {};

TEST_P(LensTest, MakesTheRightHostCalls) {
    const LensCase& c = GetParam();
    fake_host::script().camera_dir = c.camera_dir;
    fake_host::script().trace_result = c.trace_result;
    mi_state state{};
    state.camera = &c.camera;
    state.org = {1.5f, -nan, 0x1p-140f}; // a denormal and a negative NaN must arrive as stored
    state.dir = {9, 9, 9};               // the fake ignores it; only its address matters
    const mi_vector stored_origin = state.org;
    mi_color result = {-1, -1, -1, -1};

    const mi_boolean returned = plugin().shader(&result, &state, &c.params);

    const auto& calls = fake_host::calls();
    ASSERT_GE(calls.size(), 1u);
    EXPECT_EQ(calls[0].call, Call::to_camera);
    EXPECT_EQ(calls[0].first, &state);
    EXPECT_EQ(calls[0].third, &state.dir);
    EXPECT_NE(calls[0].second, calls[0].third);

    if (c.outcome == Outcome::blacked_out) {
        ASSERT_EQ(calls.size(), 1u) << "a blacked-out ray makes no further host call";
        EXPECT_EQ(returned, 0);
        for (float channel : {result.r, result.g, result.b, result.a}) {
            EXPECT_EQ(bits(channel), 0u);
        }
        return;
    }

    ASSERT_EQ(calls.size(), 3u);
    const fake_host::Record& back = calls[1];
    const fake_host::Record& trace = calls[2];
    EXPECT_EQ(back.call, Call::from_camera);
    EXPECT_EQ(back.first, &state);
    EXPECT_EQ(back.second, back.third) << "converted in place";
    if (c.bent) {
        EXPECT_TRUE(same_vector(back.in_value, *c.bent))
            << "bent " << back.in_value << ", expected " << *c.bent;
    }

    EXPECT_EQ(trace.call, Call::trace_eye);
    EXPECT_EQ(trace.first, &result);
    EXPECT_EQ(trace.second, &state);
    EXPECT_EQ(trace.third, &state.org);
    EXPECT_EQ(std::memcmp(&trace.out_value, &stored_origin, sizeof stored_origin), 0)
        << "origin reaches the trace exactly as stored";
    EXPECT_EQ(trace.fourth, back.second) << "traces the vector it converted";
    EXPECT_TRUE(same_vector(trace.in_value, fake_host::from_camera_map(back.in_value)));

    EXPECT_EQ(returned, c.trace_result);
    EXPECT_EQ(std::memcmp(&result, &fake_host::script().trace_color, sizeof result), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, LensTest, ::testing::ValuesIn(lens_cases),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

using ShaderTest = PluginTest;

TEST_F(ShaderTest, VersionIsAlwaysOne) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(plugin().version(), 1);
    }
}

// Fills the stack below the caller with a plausible camera-space direction,
// so a shader that read its transform output without initialising it would
// pick that up instead of a zero vector.
__attribute__((noinline)) void spray_stack() {
    float junk[4096];
    for (int i = 0; i < 4096; i += 4) {
        junk[i] = 0.25f;
        junk[i + 1] = 0.25f;
        junk[i + 2] = -1.0f;
        junk[i + 3] = 0.25f;
    }
    // Keeps the stores: the compiler must assume the array is read.
    asm volatile("" : : "r"(junk) : "memory");
}

TEST_F(ShaderTest, TransformThatWritesNothingLeavesAZeroDirection) {
    fake_host::script().to_camera = fake_host::Script::ToCamera::leave_untouched;
    mi_state state{};
    state.camera = &unit_camera;
    const kelmora_params params = lens(1, 1);
    mi_color result{};

    spray_stack();
    plugin().shader(&result, &state, &params);

    // A zero direction has zero depth: its projection, and so the bent ray, is NaN.
    ASSERT_EQ(fake_host::calls().size(), 3u);
    EXPECT_TRUE(same_vector(fake_host::calls()[1].in_value, {nan, nan, nan}))
        << "bent " << fake_host::calls()[1].in_value;
}

} // namespace
