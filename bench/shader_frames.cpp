#include "shader_frames.h"

#include <chrono>
#include <cstdio>
#include <cstring>

namespace kelmora_bench {

namespace {

constexpr int frame_side = 32; // 1024 rays (about 100 KiB of state): stays in cache

void fill_rays(Frame& frame) {
    frame.rays.clear();
    const float half_side = frame_side / 2.0f;
    for (int row = 0; row < frame_side; ++row) {
        for (int column = 0; column < frame_side; ++column) {
            mi_state ray{};
            ray.camera = &frame.camera;
            ray.dir = {(static_cast<float>(column) + 0.5f) / half_side - 1.0f,
                       (static_cast<float>(row) + 0.5f) / half_side - 1.0f, -1.0f};
            frame.rays.push_back(ray);
        }
    }
}

bool same_bits(const mi_color& a, const mi_color& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Where the traced-ray counts go, so no call's result is unused.
volatile int traced_sink;

} // namespace

// focal 1, aperture 2: the frame's edges lie on the clipping ellipse, and a
// fifth of the rays (the corners) are blacked out. Aperture 4 puts the whole
// frame inside it, so every ray is bent and traced.
void make_frames(std::vector<Frame>& frames) {
    frames = {
        {"fisheye_frame", {0, 1.0f, 2.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f, 1}, {}},
        {"all_rays_traced", {0, 1.0f, 4.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f, 1}, {}},
    };
    for (Frame& frame : frames) {
        fill_rays(frame);
    }
}

double shade_frame(kelmora_shader_fn shader, Frame& frame) {
    using Clock = std::chrono::steady_clock;
    mi_color result{};
    int traced = 0;
    const Clock::time_point start = Clock::now();
    for (mi_state& ray : frame.rays) {
        traced += shader(&result, &ray, &frame.params);
    }
    const Clock::time_point end = Clock::now();
    traced_sink = traced;
    return std::chrono::duration<double, std::nano>(end - start).count();
}

bool sides_agree(const char* program, kelmora_shader_fn shader, Frame& frame) {
    for (mi_state& ray : frame.rays) {
        mi_color from_plugin{}, from_host{};
        const mi_boolean plugin_flag = shader(&from_plugin, &ray, &frame.params);
        const mi_boolean host_flag = kelmora_in_host(&from_host, &ray, &frame.params);
        if (plugin_flag != host_flag || !same_bits(from_plugin, from_host)) {
            std::fprintf(stderr, "%s: %s: plug-in and in-host results differ\n", program,
                         frame.name);
            return false;
        }
    }
    return true;
}

} // namespace kelmora_bench
