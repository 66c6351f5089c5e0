// The renderer's costs, each a ratio of two sides measured in one run, with
// the plug-in loaded from its binary as kelmora-render loads it:
//   - a frame with the lens against the same frame without it (the pinhole);
//   - a frame on two threads against the same frame on one;
//   - the eye-ray path (tiles, per-ray state, the plug-in and its two camera
//     transforms, the host's ray checks, one Embree query and the hit's
//     albedo) against a bare rtcIntersect1 loop over the very rays that path
//     traced, on the same Embree scene.
// Every frame is the built-in scene at 640x480, 1 sample per pixel.
//
// Usage: kelmora-render-bench [benchmark flags] [--rows]
#include "bench_main.h"
#include "lens_plugin.h"
#include "renderer.h"
#include "scene.h"
#include "tracer.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <limits>
#include <string>
#include <vector>

// The renderer's own mi_trace_eye (host/host_functions.cpp), renamed by the
// build so that this program can stand in front of it.
extern "C" mi_boolean krender_host_trace_eye(mi_color* result, mi_state* state,
                                             const mi_vector* origin, const mi_vector* direction);

namespace {

using namespace krender;

struct EyeRay {
    Vec3 origin, direction;
};

// Set only while a single-threaded render records the rays the plug-in hands
// to the host, which then traces none of them.
std::vector<EyeRay>* recording = nullptr;

Vec3 to_vec3(const mi_vector& v) {
    return {v.x, v.y, v.z};
}

} // namespace

extern "C" KELMORA_EXPORT mi_boolean mi_trace_eye(mi_color* result, mi_state* state,
                                                  const mi_vector* origin,
                                                  const mi_vector* direction) {
    if (recording == nullptr) {
        return krender_host_trace_eye(result, state, origin, direction);
    }
    // Only what the host would send on to Embree.
    if (is_traceable(to_vec3(*origin)) && is_traceable(to_vec3(*direction))) {
        recording->push_back({to_vec3(*origin), to_vec3(*direction)});
    }
    *result = {0.0f, 0.0f, 0.0f, 0.0f};
    return 0;
}

namespace {

using Clock = std::chrono::steady_clock;

const int frame_width = 640;
const int frame_height = 480;

// The scene, camera and Embree scene every render of this program shares.
struct Stage {
    Scene scene = default_scene();
    Camera camera{CameraSettings{}, frame_width, frame_height};
    Tracer tracer{scene};
    kelmora_shader_fn shader = nullptr;
};

// kelmora-render's own defaults: amount 0.75, scales 1, clipping on.
const kelmora_params default_lens{0.75f, 1.0f, 1.0f, 1.0f, 1};
// Every ray traced along its own direction (the bend factor is exactly 1):
// the pinhole's rays, through the plug-in.
const kelmora_params unbent_lens{0.0f, 1.0f, 1.0f, 1.0f, 0};

RenderJob make_job(const Stage& stage, const kelmora_params* lens, int threads, Shading shading) {
    RenderJob job;
    job.camera = &stage.camera;
    job.view = {&stage.scene, &stage.tracer, shading};
    if (lens != nullptr) {
        job.lens = {stage.shader, *lens};
    }
    job.samples_per_pixel = 1;
    job.threads = threads;
    return job;
}

struct TimedRender {
    double ns = 0.0;
    RenderStats stats;
};

TimedRender render_frame(const RenderJob& job) {
    Image image(Region{0, 0, frame_width, frame_height});
    Progress quiet(image.region().pixel_count(), stderr, true);
    const Clock::time_point start = Clock::now();
    TimedRender timed;
    timed.stats = render(job, image, quiet);
    timed.ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    return timed;
}

// Two renders of one frame, compared per pixel of wall-clock time.
struct FramePair {
    std::string name;
    std::string label;
    std::string target;
    RenderJob subject, baseline;
};

// Both sides render the frame every iteration (see alternate()). The figures
// are the counters.
void frame_against_frame(benchmark::State& state, const FramePair* pair) {
    double subject_ns = 0.0, baseline_ns = 0.0;
    kelmora_bench::alternate(
        state, [pair] { return render_frame(pair->subject).ns; },
        [pair] { return render_frame(pair->baseline).ns; }, subject_ns, baseline_ns);
    const double pixels = static_cast<double>(state.iterations()) * frame_width * frame_height;
    state.counters["subject_ns_per_pixel"] = subject_ns / pixels;
    state.counters["baseline_ns_per_pixel"] = baseline_ns / pixels;
}

// The eye-ray path against a bare loop over the rays it traced.
struct PrimaryRays {
    RenderJob eye_path;
    RTCScene embree_scene = nullptr;
    std::vector<EyeRay> rays;
};

double trace_bare(RTCScene scene, const std::vector<EyeRay>& rays) {
    const Clock::time_point start = Clock::now();
    RTCIntersectContext context;
    rtcInitIntersectContext(&context);
    unsigned hits = 0;
    for (const EyeRay& eye_ray : rays) {
        RTCRayHit query{};
        query.ray.org_x = eye_ray.origin.x;
        query.ray.org_y = eye_ray.origin.y;
        query.ray.org_z = eye_ray.origin.z;
        query.ray.dir_x = eye_ray.direction.x;
        query.ray.dir_y = eye_ray.direction.y;
        query.ray.dir_z = eye_ray.direction.z;
        query.ray.tfar = std::numeric_limits<float>::infinity();
        query.ray.mask = ~0u;
        query.hit.geomID = RTC_INVALID_GEOMETRY_ID;
        rtcIntersect1(scene, &context, &query);
        hits += query.hit.geomID != RTC_INVALID_GEOMETRY_ID ? 1u : 0u;
    }
    benchmark::DoNotOptimize(hits);
    return std::chrono::duration<double, std::nano>(Clock::now() - start).count();
}

void eye_path_against_bare(benchmark::State& state, const PrimaryRays* primary) {
    double eye_path_ns = 0.0, bare_ns = 0.0;
    kelmora_bench::alternate(
        state, [primary] { return render_frame(primary->eye_path).ns; },
        [primary] { return trace_bare(primary->embree_scene, primary->rays); }, eye_path_ns,
        bare_ns);
    const double rays = static_cast<double>(state.iterations() * primary->rays.size());
    state.counters["eye_path_ns_per_ray"] = eye_path_ns / rays;
    state.counters["bare_ns_per_ray"] = bare_ns / rays;
}

// The rays the eye-ray path sends to Embree, in the order it sends them.
// Fails unless the path, rendered for real, casts exactly that many.
bool record_eye_rays(PrimaryRays& primary) {
    recording = &primary.rays;
    render_frame(primary.eye_path);
    recording = nullptr;
    const std::uint64_t cast = render_frame(primary.eye_path).stats.tally.rays_cast;
    if (cast != primary.rays.size()) {
        std::fprintf(stderr, "kelmora-render-bench: recorded %zu eye rays, the render cast %llu\n",
                     primary.rays.size(), static_cast<unsigned long long>(cast));
        return false;
    }
    return true;
}

std::vector<FramePair> frame_pairs(const Stage& stage) {
    const RenderJob pinhole = make_job(stage, nullptr, 1, Shading::full);
    const RenderJob lens = make_job(stage, &default_lens, 1, Shading::full);
    return {
        {"lens_vs_pinhole/default_lens", "frame time: lens / no lens", "<= 1.05", lens, pinhole},
        {"lens_vs_pinhole/unbent_lens", "frame time: amount 0 unclipped / no lens", "<= 1.05",
         make_job(stage, &unbent_lens, 1, Shading::full), pinhole},
        // Time on one thread over time on two: the gain in throughput.
        {"one_vs_two_threads/default_lens", "throughput: 2 threads / 1 thread", ">= 1.85", lens,
         make_job(stage, &default_lens, 2, Shading::full)},
    };
}

std::vector<kelmora_bench::Comparison> register_benchmarks(const std::vector<FramePair>& pairs,
                                                           const PrimaryRays& primary) {
    std::vector<kelmora_bench::Comparison> comparisons;
    for (const FramePair& pair : pairs) {
        // Real time: the renders run on worker threads while this one waits,
        // so its CPU time would say nothing about how long an iteration took.
        benchmark::RegisterBenchmark(pair.name.c_str(), frame_against_frame, &pair)->UseRealTime();
        const std::string run = pair.name + "/real_time"; // as Google Benchmark names it
        comparisons.push_back({pair.label, run + ":subject_ns_per_pixel",
                               run + ":baseline_ns_per_pixel", pair.target});
    }
    // Throughput: the bare loop's time per ray over the eye path's.
    const std::string name = "eye_path_vs_bare_embree";
    benchmark::RegisterBenchmark(name.c_str(), eye_path_against_bare, &primary)->UseRealTime();
    const std::string run = name + "/real_time";
    comparisons.push_back({"primary rays: eye path / bare rtcIntersect1", run + ":bare_ns_per_ray",
                           run + ":eye_path_ns_per_ray", ">= 0.7"});
    return comparisons;
}

} // namespace

int main(int argc, char** argv) {
    bool rows_only = false;
    if (!kelmora_bench::initialize_benchmarks(argc, argv, rows_only)) {
        return 2;
    }
    try {
        Stage stage;
        stage.shader = load_lens_plugin(KELMORA_PLUGIN_PATH, "kelmora").shader;
        const std::vector<FramePair> pairs = frame_pairs(stage);
        PrimaryRays primary{
            make_job(stage, &default_lens, 1, Shading::first_hit), stage.tracer.embree_scene(), {}};
        if (!record_eye_rays(primary)) {
            return 1;
        }
        kelmora_bench::RatioReporter reporter(register_benchmarks(pairs, primary));
        return kelmora_bench::run_and_report(reporter, rows_only);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kelmora-render-bench: %s\n", error.what());
        return 1;
    }
}
