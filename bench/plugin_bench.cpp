// Per-ray cost of the plug-in binary, loaded with dlopen and bound lazily,
// against the shader's own source compiled into this program. Both sides call
// the same host functions (trivial_host.cpp), so what differs is only how the
// calls are reached.
//
// Usage: kelmora-bench [benchmark flags] [--rows]
//   --rows  prints only the ratio rows (tab-separated) on stdout; the
//           benchmark table goes to stderr.
#include "bench_main.h"
#include "plugin.h"
#include "shader_frames.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using kelmora_bench::Frame;
using kelmora_bench::shade_frame;

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
    std::vector<Frame> frames;
    kelmora_bench::make_frames(frames);
    for (Frame& frame : frames) {
        if (!kelmora_bench::sides_agree("kelmora-bench", plugin.shader, frame)) {
            return 1;
        }
    }

    kelmora_bench::RatioReporter reporter(register_frames(plugin.shader, frames));
    return kelmora_bench::run_and_report(reporter, rows_only);
}
