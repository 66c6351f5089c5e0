// Per-ray cost of the plug-in binary, loaded with dlopen and bound lazily,
// against the shader's own source compiled into this program. Both sides call
// the same host functions, so what differs is only how the calls are reached.
//
// Usage: kelmora-bench [benchmark flags] [--rows]
//   --rows  prints only the ratio rows (tab-separated) on stdout; the
//           benchmark table goes to stderr.
#include "bench_main.h"
#include "host_api.h"
#include "plugin.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

extern "C" mi_boolean kelmora_in_host(mi_color* result, mi_state* state,
                                      const kelmora_params* params);

// Trivial host functions. noipa: neither side may inline them or learn
// anything from their bodies, so each side pays one real call for each.
extern "C" KELMORA_EXPORT __attribute__((noipa)) void mi_vector_to_camera(mi_state*, mi_vector* out,
                                                                          const mi_vector* in) {
    *out = *in;
}

extern "C" KELMORA_EXPORT __attribute__((noipa)) void
mi_vector_from_camera(mi_state*, mi_vector* out, const mi_vector* in) {
    *out = *in;
}

extern "C" KELMORA_EXPORT __attribute__((noipa)) mi_boolean
mi_trace_eye(mi_color* result, mi_state*, const mi_vector*, const mi_vector* direction) {
    *result = {direction->x, direction->y, direction->z, 1.0f};
    return 1;
}

namespace {

// One frame of eye rays; the host's transform is the identity, so the state's
// direction is the camera-space direction.
struct Frame {
    const char* name;
    mi_camera camera;
    kelmora_params params;
    std::vector<mi_state> rays;
};

constexpr int frame_side = 32; // 1024 rays (about 100 KiB of state): stays in cache

std::vector<mi_state> frame_rays(const mi_camera* camera) {
    std::vector<mi_state> rays;
    for (int row = 0; row < frame_side; ++row) {
        for (int column = 0; column < frame_side; ++column) {
            mi_state ray{};
            ray.camera = camera;
            const float half_side = frame_side / 2.0f;
            ray.dir = {(static_cast<float>(column) + 0.5f) / half_side - 1.0f,
                       (static_cast<float>(row) + 0.5f) / half_side - 1.0f, -1.0f};
            rays.push_back(ray);
        }
    }
    return rays;
}

// focal 1, aperture 2: the frame's edges lie on the clipping ellipse, and a
// fifth of the rays (the corners) are blacked out. Aperture 4 puts the whole
// frame inside it, so every ray is bent and traced.
std::vector<Frame> make_frames() {
    std::vector<Frame> frames = {
        {"fisheye_frame", {0, 1.0f, 2.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f, 1}, {}},
        {"all_rays_traced", {0, 1.0f, 4.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f, 1}, {}},
    };
    return frames;
}

using Clock = std::chrono::steady_clock;

double shade_frame(kelmora_shader_fn shader, Frame& frame) {
    mi_color result{};
    const Clock::time_point start = Clock::now();
    for (mi_state& ray : frame.rays) {
        benchmark::DoNotOptimize(shader(&result, &ray, &frame.params));
    }
    return std::chrono::duration<double, std::nano>(Clock::now() - start).count();
}

// Both sides shade the whole frame every iteration (see alternate()). The
// figures are the counters.
void plugin_against_in_host(benchmark::State& state, kelmora_shader_fn plugin, Frame* frame) {
    double plugin_ns = 0.0, in_host_ns = 0.0;
    kelmora_bench::alternate(
        state, [plugin, frame] { return shade_frame(plugin, *frame); },
        [frame] { return shade_frame(&kelmora_in_host, *frame); }, plugin_ns, in_host_ns);
    const double rays = static_cast<double>(state.iterations() * frame->rays.size());
    state.counters["plugin_ns_per_ray"] = plugin_ns / rays;
    state.counters["in_host_ns_per_ray"] = in_host_ns / rays;
}

bool same_bits(const mi_color& a, const mi_color& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Both sides must compute the same thing, or the ratio means nothing.
bool sides_agree(kelmora_shader_fn plugin, Frame& frame) {
    for (mi_state& ray : frame.rays) {
        mi_color from_plugin{}, from_host{};
        const mi_boolean plugin_flag = plugin(&from_plugin, &ray, &frame.params);
        const mi_boolean host_flag = kelmora_in_host(&from_host, &ray, &frame.params);
        if (plugin_flag != host_flag || !same_bits(from_plugin, from_host)) {
            std::fprintf(stderr, "kelmora-bench: %s: plug-in and in-host results differ\n",
                         frame.name);
            return false;
        }
    }
    return true;
}

std::vector<kelmora_bench::Comparison> register_frames(kelmora_shader_fn plugin,
                                                       std::vector<Frame>& frames) {
    std::vector<kelmora_bench::Comparison> comparisons;
    for (Frame& frame : frames) {
        const std::string name = std::string("plugin_vs_in_host/") + frame.name;
        benchmark::RegisterBenchmark(name.c_str(), plugin_against_in_host, plugin, &frame);
        comparisons.push_back({std::string("plug-in / in-host per ray, ") + frame.name,
                               name + ":plugin_ns_per_ray", name + ":in_host_ns_per_ray",
                               "<= 1.15"});
    }
    return comparisons;
}

} // namespace

int main(int argc, char** argv) {
    bool rows_only = false;
    if (!kelmora_bench::initialize_benchmarks(argc, argv, rows_only)) {
        return 2;
    }

    Plugin plugin;
    std::string error;
    if (!load_plugin(plugin, error)) {
        std::fprintf(stderr, "kelmora-bench: %s: %s\n", plugin_path().c_str(), error.c_str());
        return 1;
    }
    std::vector<Frame> frames = make_frames();
    for (Frame& frame : frames) {
        frame.rays = frame_rays(&frame.camera);
        if (!sides_agree(plugin.shader, frame)) {
            return 1;
        }
    }

    kelmora_bench::RatioReporter reporter(register_frames(plugin.shader, frames));
    return kelmora_bench::run_and_report(reporter, rows_only);
}
