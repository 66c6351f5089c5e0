#include "contact_sheet.h"
#include "lens_plugin.h"
#include "options.h"
#include "text_values.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace krender {

namespace {

const int largest_side = largest_image_side;
const int most_samples = 65536;
const int most_threads = 256;

std::string format_vec3(Vec3 v) {
    std::ostringstream text;
    text << v.x << ',' << v.y << ',' << v.z;
    return text.str();
}

// CLI11's own messages call any bad value "not in range"; say what is wrong.
CLI::Validator whole_number(int low, int high) {
    const std::string range = std::to_string(low) + " to " + std::to_string(high);
    return CLI::Validator(
        [low, high, range](std::string& text) -> std::string {
            char* end = nullptr;
            errno = 0;
            const long value = std::strtol(text.c_str(), &end, 10);
            if (text.empty() || end != text.c_str() + text.size() || errno == ERANGE) {
                return "'" + text + "' is not a whole number";
            }
            if (value < low || value > high) {
                return "'" + text + "' is out of range (" + range + ")";
            }
            return "";
        },
        "");
}

const CLI::Validator real_number(
    [](std::string& text) -> std::string {
        float value = 0.0f;
        return parse_float(text, value) ? "" : "'" + text + "' is not a number";
    },
    "");

int core_count() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(std::min<unsigned>(cores, most_threads));
}

// The flags whose values the parser reads into text first.
struct VectorFlags {
    std::string eye, look_at, up;
};
struct JobFlags {
    std::string region, sweep;
};
const int most_sweep_panels = 64;

void add_image_flags(CLI::App& app, Options& options) {
    app.add_option("--width", options.width,
                   "Image width in pixels, 1 to " + std::to_string(largest_side))
        ->check(whole_number(1, largest_side));
    app.add_option("--height", options.height,
                   "Image height in pixels, 1 to " + std::to_string(largest_side))
        ->check(whole_number(1, largest_side));
    app.add_option("--spp", options.samples_per_pixel,
                   "Eye rays per pixel, stratified, 1 to " + std::to_string(most_samples) +
                       "; 1 shoots through the pixel centre")
        ->check(whole_number(1, most_samples));
    app.add_option("--threads", options.threads,
                   "Render threads (default: every core). The image is the same for any count")
        ->check(whole_number(1, most_threads));
    app.add_option("--out", options.out,
                   "Output image: .png (8-bit sRGB) or .exr (linear, half floats)");
    app.add_flag("--exr-float", options.exr_float, "Write 32-bit float channels to an .exr");
    app.add_flag("--quiet", options.quiet, "No progress on standard error");
}

void add_plugin_flags(CLI::App& app, Options& options) {
    app.add_option("--plugin", options.plugin,
                   "Lens-shader plug-in to load (default: kelmora.so beside this program)");
    app.add_option("--shader", options.shader,
                   "Shader to call; the plug-in must export NAME and NAME_version, version 1");
    app.add_flag("--no-lens", options.no_lens,
                 "Render the plain pinhole through the same camera; loads no plug-in");
}

void add_camera_flags(CLI::App& app, Options& options, VectorFlags& vectors) {
    app.add_option("--eye", vectors.eye, "Camera position")->type_name("X,Y,Z");
    app.add_option("--look-at", vectors.look_at, "Point the camera looks at")->type_name("X,Y,Z");
    app.add_option("--up", vectors.up, "Camera's up direction")->type_name("X,Y,Z");
    app.add_option("--focal", options.camera.focal, "Distance from the eye to the image plane")
        ->check(real_number);
    app.add_option("--aperture", options.camera.aperture,
                   "Width of the image plane at the focal distance (sets the field of view); "
                   "the height is width over the image's aspect ratio")
        ->check(real_number);
}

void add_lens_flags(CLI::App& app, Options& options, bool& no_clip) {
    kelmora_params& lens = options.lens;
    app.add_option("--amount", lens.amount, "Bending: 0 none, 1 full; not clamped")
        ->check(real_number);
    app.add_option("--scale-x", lens.scale_x, "Multiplier on the bent ray's x")->check(real_number);
    app.add_option("--scale-y", lens.scale_y, "Multiplier on the bent ray's y")->check(real_number);
    app.add_option("--scale-z", lens.scale_z, "Multiplier on the bent ray's depth")
        ->check(real_number);
    auto* clip =
        app.add_flag("--clip", "Black out rays whose bend factor reaches 1, leaving the ellipse "
                               "inscribed in the frame (sends clip_outside = 1; the default)");
    auto* no_clip_flag =
        app.add_flag("--no-clip", no_clip, "Trace every ray (sends clip_outside = 0)");
    auto* clip_value = app.add_option("--clip-value", lens.clip_outside,
                                      "Sends N as clip_outside as is; only 1 clips")
                           ->check(whole_number(INT32_MIN, INT32_MAX));
    clip->excludes(no_clip_flag)->excludes(clip_value);
    no_clip_flag->excludes(clip_value);
}

void add_job_flags(CLI::App& app, Options& options, JobFlags& job) {
    app.add_option("--scene", options.scene,
                   "Scene file to render instead of the built-in scene: .obj, .gltf, .glb or "
                   ".ply. Without --eye and --look-at the camera frames the whole scene");
    auto* region = app.add_option("--region", job.region,
                                  "Render and write only this part of the frame, in pixels; the "
                                  "ends are exclusive. See --merge")
                       ->type_name("X0,Y0,X1,Y1");
    auto* compare =
        app.add_flag("--compare", options.compare,
                     "Write the pinhole and the lens side by side, labelled, in one image");
    auto* sweep = app.add_option("--sweep-amount", job.sweep,
                                 "Write a labelled contact sheet of COUNT renders with amount "
                                 "from FROM to TO")
                      ->type_name("FROM:TO:COUNT");
    auto* merge = app.add_flag("--merge", options.merge,
                               "Instead of rendering, assemble the region images given as "
                               "arguments into the whole frame at --out");
    app.add_option("pieces", options.pieces, "Region images for --merge")->type_name("FILE");
    compare->excludes(sweep);
    region->excludes(compare)->excludes(sweep);
    for (const char* render_only :
         {"--scene", "--region", "--compare", "--sweep-amount", "--exr-float", "--no-lens"}) {
        merge->excludes(render_only);
    }
}

void apply_vector(const std::string& flag, const std::string& text, Vec3& vector) {
    const std::string problem = parse_vec3(text, vector);
    if (!problem.empty()) {
        throw CLI::ValidationError(flag, problem);
    }
}

void apply_vectors(const VectorFlags& vectors, CameraSettings& camera) {
    apply_vector("--eye", vectors.eye, camera.eye);
    apply_vector("--look-at", vectors.look_at, camera.look_at);
    apply_vector("--up", vectors.up, camera.up);
}

void apply_region(const std::string& text, Options& options) {
    options.region = {0, 0, options.width, options.height};
    if (text.empty()) {
        return;
    }
    const std::string problem = parse_region(text, options.width, options.height, options.region);
    if (!problem.empty()) {
        throw CLI::ValidationError("--region", problem);
    }
}

void apply_sweep(const std::string& text, Options& options) {
    if (text.empty()) {
        return;
    }
    const std::string problem = parse_sweep(text, most_sweep_panels, options.sweep);
    if (!problem.empty()) {
        throw CLI::ValidationError("--sweep-amount", problem);
    }
}

int panel_count(const Options& options) {
    return options.compare ? 2 : options.sweep.count > 0 ? options.sweep.count : 1;
}

void check_job(const Options& options) {
    if (!options.merge && !options.pieces.empty()) {
        throw CLI::ValidationError("unexpected argument '" + options.pieces.front() +
                                   "' (only --merge takes files)");
    }
    if (options.merge && options.pieces.empty()) {
        throw CLI::ValidationError("--merge", "needs the region images to assemble");
    }
    if (options.no_lens && panel_count(options) > 1) {
        throw CLI::ValidationError("--no-lens", "cannot go with --compare or --sweep-amount");
    }
    const SheetLayout sheet = sheet_layout(options.width, options.height, panel_count(options));
    if (panel_count(options) > 1 &&
        (sheet.width() > largest_side || sheet.height() > largest_side)) {
        throw CLI::ValidationError("the sheet of " + std::to_string(panel_count(options)) +
                                   " panels would be " + std::to_string(sheet.width()) + "x" +
                                   std::to_string(sheet.height()) + " pixels; at most " +
                                   std::to_string(largest_side) + " a side");
    }
}

// A scene file's camera frames the scene; its view is checked once framed.
void check_camera(const Options& options) {
    const bool framed = !options.scene.empty() && !(options.eye_given && options.look_at_given);
    const char* problem =
        framed ? validate_optics(options.camera) : validate_camera(options.camera);
    if (*problem != '\0') {
        throw CLI::ValidationError(problem);
    }
}

// CLI11 sometimes spreads a message over several lines; keep it to one.
std::string one_line(std::string message) {
    for (char& c : message) {
        if (c == '\n') {
            c = ' ';
        }
    }
    while (!message.empty() && message.back() == ' ') {
        message.pop_back();
    }
    return message;
}

} // namespace

ParsedCommandLine parse_command_line(int argc, char** argv) {
    ParsedCommandLine parsed;
    Options& options = parsed.options;
    options.threads = core_count();
    options.plugin = default_plugin_path();

    CLI::App app{"Renders a scene (built in, or from a file) through a lens-shader plug-in, "
                 "loaded from its binary as a renderer loads it.",
                 "kelmora-render"};
    // A flag given twice takes its last value, so scripts can append overrides.
    app.option_defaults()->always_capture_default()->multi_option_policy(
        CLI::MultiOptionPolicy::TakeLast);
    app.footer("The lens parameters go to the shader as given. Exit status: 0 after writing the "
               "image, 2 for a bad command line, 1 for any other failure (the output file is "
               "then left as it was).");
    VectorFlags vectors{format_vec3(options.camera.eye), format_vec3(options.camera.look_at),
                        format_vec3(options.camera.up)};
    JobFlags job;
    bool no_clip = false;
    add_image_flags(app, options);
    add_plugin_flags(app, options);
    add_camera_flags(app, options, vectors);
    add_lens_flags(app, options, no_clip);
    add_job_flags(app, options, job);
    try {
        app.parse(argc, argv);
        apply_vectors(vectors, options.camera);
        options.eye_given = app.count("--eye") > 0;
        options.look_at_given = app.count("--look-at") > 0;
        apply_region(job.region, options);
        apply_sweep(job.sweep, options);
        check_job(options);
        check_camera(options);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return parsed;
    } catch (const CLI::ParseError& error) {
        std::fprintf(stderr, "kelmora-render: %s (see --help)\n", one_line(error.what()).c_str());
        parsed.exit_code = 2;
        return parsed;
    }
    if (no_clip) {
        options.lens.clip_outside = 0;
    }
    parsed.render = true;
    return parsed;
}

} // namespace krender
