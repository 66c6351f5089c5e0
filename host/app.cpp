#include "app.h"

#include "contact_sheet.h"
#include "framing.h"
#include "image_output.h"
#include "lens_plugin.h"
#include "options.h"
#include "region_merge.h"
#include "renderer.h"
#include "scene.h"
#include "scene_file.h"
#include "tracer.h"

#include <cstdio>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace krender {

namespace {

// One render of the frame: the whole output, or one panel of a sheet.
struct Panel {
    LensCall lens; // no shader: the pinhole
    std::string label;
};

struct Totals {
    RenderStats stats;
    std::size_t panels = 0;
};

double percent(std::uint64_t part, std::uint64_t whole) {
    return whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole);
}

std::string what_was_rendered(const Options& options, std::size_t panels) {
    std::string frame = std::to_string(options.width) + "x" + std::to_string(options.height);
    const Region& r = options.region;
    if (panels > 1) {
        return std::to_string(panels) + " panels of " + frame;
    }
    if (r.width() != options.width || r.height() != options.height) {
        return "region " + std::to_string(r.x0) + "," + std::to_string(r.y0) + "," +
               std::to_string(r.x1) + "," + std::to_string(r.y1) + " of " + frame;
    }
    return frame;
}

void print_summary(const Options& options, const Totals& totals) {
    const RenderStats& stats = totals.stats;
    const double seconds = stats.seconds > 0.0 ? stats.seconds : 1e-9;
    const double mrays_per_second = static_cast<double>(stats.tally.rays_cast) / seconds / 1e6;
    const char* lens_name = options.compare   ? "pinhole and lens"
                            : options.no_lens ? "no lens"
                                              : "the lens";
    std::printf("kelmora-render: %s, %d spp, %d threads, %.2f s, %.2f Mrays/s, "
                "%.1f%% of eye rays blacked out (%s) -> %s\n",
                what_was_rendered(options, totals.panels).c_str(), options.samples_per_pixel,
                options.threads, stats.seconds, mrays_per_second,
                percent(stats.tally.blacked_out, stats.tally.eye_samples), lens_name,
                options.out.c_str());
}

std::string number_text(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", static_cast<double>(value));
    return text;
}

float swept_amount(const AmountSweep& sweep, int index) {
    // The last panel gets `to` exactly, whatever the rounding on the way.
    if (index == sweep.count - 1) {
        return sweep.to;
    }
    const auto from = static_cast<double>(sweep.from);
    const double along = static_cast<double>(index) / static_cast<double>(sweep.count - 1);
    return static_cast<float>(from + (static_cast<double>(sweep.to) - from) * along);
}

// Loads the plug-in (once) unless every panel is a pinhole.
std::vector<Panel> plan_panels(const Options& options) {
    if (options.no_lens) {
        return {Panel{}};
    }
    const LensCall lens{load_lens_plugin(options.plugin, options.shader).shader, options.lens};
    if (options.compare) {
        return {Panel{{}, "pinhole"},
                Panel{lens, options.shader + ", amount " + number_text(options.lens.amount)}};
    }
    const AmountSweep& sweep = options.sweep;
    if (sweep.count == 0) {
        return {Panel{lens, ""}};
    }
    std::vector<Panel> panels;
    for (int i = 0; i < sweep.count; ++i) {
        Panel panel{lens, ""};
        panel.lens.params.amount = swept_amount(sweep, i);
        panel.label = "amount " + number_text(panel.lens.params.amount);
        panels.push_back(panel);
    }
    return panels;
}

Scene load_scene(const Options& options) {
    return options.scene.empty() ? default_scene() : load_scene_file(options.scene);
}

CameraSettings choose_view(const Options& options, const Scene& scene) {
    if (options.scene.empty() || (options.eye_given && options.look_at_given)) {
        return options.camera;
    }
    const float aspect = static_cast<float>(options.width) / static_cast<float>(options.height);
    const CameraSettings framed = frame_bounds(options.camera, scene_bounds(scene), aspect,
                                               options.eye_given, options.look_at_given);
    const char* problem = validate_camera(framed);
    if (*problem != '\0') {
        throw std::runtime_error(std::string("cannot frame the scene: ") + problem);
    }
    return framed;
}

// Seconds are measured from the start of the first panel.
void add_panel_stats(Totals& totals, const RenderStats& panel) {
    totals.stats.tally.rays_cast += panel.tally.rays_cast;
    totals.stats.tally.eye_samples += panel.tally.eye_samples;
    totals.stats.tally.blacked_out += panel.tally.blacked_out;
    totals.stats.seconds = panel.seconds;
}

Totals render_panels(const Options& options, const RenderJob& base,
                     const std::vector<Panel>& panels, const OutputTarget& target) {
    const bool sheet = panels.size() > 1;
    const SheetLayout layout =
        sheet_layout(options.width, options.height, static_cast<int>(panels.size()));
    Image output = sheet ? blank_sheet(layout) : Image(Region{});
    Progress progress(options.region.pixel_count() * panels.size(), stderr, options.quiet);
    Totals totals;
    for (const Panel& panel : panels) {
        RenderJob job = base;
        job.lens = panel.lens;
        Image frame(options.region);
        progress.start_part(options.region.pixel_count() * totals.panels);
        add_panel_stats(totals, render(job, frame, progress));
        if (sheet) {
            place_panel(output, layout, static_cast<int>(totals.panels), frame, panel.label);
        } else {
            write_image(frame, target, options.width, options.height);
        }
        ++totals.panels;
    }
    if (sheet) {
        write_image(output, target, layout.width(), layout.height());
    }
    return totals;
}

int render_to_file(const Options& options) {
    // Everything that can be refused is checked before the render starts.
    const OutputTarget target = prepare_output(options.out, options.exr_float);
    const std::vector<Panel> panels = plan_panels(options);
    if (panels.size() > 1) {
        check_labels_can_be_drawn();
    }
    const Scene scene = load_scene(options);
    const Camera camera(choose_view(options, scene), options.width, options.height);
    const Tracer tracer(scene);

    RenderJob job;
    job.camera = &camera;
    job.view = {&scene, &tracer};
    job.samples_per_pixel = options.samples_per_pixel;
    job.threads = options.threads;
    print_summary(options, render_panels(options, job, panels, target));
    return 0;
}

int merge_to_file(const Options& options) {
    const OutputTarget target = prepare_output(options.out, false);
    const MergedFrame merged = merge_regions(options.pieces, target);
    const std::size_t pieces = options.pieces.size();
    std::printf("kelmora-render: merged %zu region image%s into the %dx%d frame -> %s\n", pieces,
                pieces == 1 ? "" : "s", merged.width, merged.height, options.out.c_str());
    return 0;
}

} // namespace

int run_kelmora_render(int argc, char** argv) {
    const ParsedCommandLine parsed = parse_command_line(argc, argv);
    if (!parsed.render) {
        return parsed.exit_code;
    }
    try {
        return parsed.options.merge ? merge_to_file(parsed.options)
                                    : render_to_file(parsed.options);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "kelmora-render: not enough memory for this render\n");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kelmora-render: %s\n", error.what());
    }
    return 1;
}

} // namespace krender
