#include "app.h"

#include "image_output.h"
#include "lens_plugin.h"
#include "options.h"
#include "renderer.h"
#include "scene.h"
#include "tracer.h"

#include <cstdio>
#include <exception>
#include <new>
#include <string>

namespace krender {

namespace {

double percent(std::uint64_t part, std::uint64_t whole) {
    return whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole);
}

void print_summary(const Options& options, const RenderStats& stats, const LensCall& lens) {
    const double seconds = stats.seconds > 0.0 ? stats.seconds : 1e-9;
    const double mrays_per_second = static_cast<double>(stats.tally.rays_cast) / seconds / 1e6;
    const std::string lens_name = lens.shader != nullptr ? "the lens" : "no lens";
    std::printf("kelmora-render: %dx%d, %d spp, %d threads, %.2f s, %.2f Mrays/s, "
                "%.1f%% of eye rays blacked out (%s) -> %s\n",
                options.width, options.height, options.samples_per_pixel, options.threads,
                stats.seconds, mrays_per_second,
                percent(stats.tally.blacked_out, stats.tally.eye_samples), lens_name.c_str(),
                options.out.c_str());
}

int render_to_file(const Options& options) {
    // Everything that can be refused is checked before the render starts.
    const OutputTarget target = prepare_output(options.out, options.exr_float);
    LensCall lens;
    if (!options.no_lens) {
        lens.shader = load_lens_plugin(options.plugin, options.shader).shader;
        lens.params = options.lens;
    }
    const Scene scene = default_scene();
    const Tracer tracer(scene);
    const Camera camera(options.camera, options.width, options.height);
    Image image(Region{0, 0, options.width, options.height});

    RenderJob job;
    job.camera = &camera;
    job.view = {&scene, &tracer};
    job.lens = lens;
    job.samples_per_pixel = options.samples_per_pixel;
    job.threads = options.threads;
    Progress progress(image.region().pixel_count(), stderr, options.quiet);
    const RenderStats stats = render(job, image, progress);
    write_image(image, target);
    print_summary(options, stats, lens);
    return 0;
}

} // namespace

int run_kelmora_render(int argc, char** argv) {
    const ParsedCommandLine parsed = parse_command_line(argc, argv);
    if (!parsed.render) {
        return parsed.exit_code;
    }
    try {
        return render_to_file(parsed.options);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "kelmora-render: not enough memory for this render\n");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kelmora-render: %s\n", error.what());
    }
    return 1;
}

} // namespace krender
