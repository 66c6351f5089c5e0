// Everything a render is asked to do, as given on the command line.
#ifndef KELMORA_RENDER_OPTIONS_H
#define KELMORA_RENDER_OPTIONS_H

#include "camera.h"
#include "host_api.h"
#include "image.h"
#include "text_values.h"

#include <string>
#include <vector>

namespace krender {

struct Options {
    int width = 640;
    int height = 480;
    int samples_per_pixel = 16;
    int threads = 1; // set to the core count by the parser
    std::string out = "fisheye.png";
    bool exr_float = false;
    std::string plugin; // set to default_plugin_path() by the parser
    std::string shader = "kelmora";
    bool no_lens = false;
    bool quiet = false;
    CameraSettings camera;
    // A scene file's camera frames the scene unless these were given.
    bool eye_given = false;
    bool look_at_given = false;
    kelmora_params lens{0.75f, 1.0f, 1.0f, 1.0f, 1};
    std::string scene; // empty: the built-in scene

    // The part of the frame to render and write; the whole frame unless set.
    Region region;
    bool compare = false; // pinhole and lens side by side
    AmountSweep sweep;    // a contact sheet over amount when count > 0

    // Instead of rendering: assemble these region images into --out.
    bool merge = false;
    std::vector<std::string> pieces;
};

// The outcome of reading the command line: either options to render with,
// or an exit code (after --help, or after a usage error was reported).
struct ParsedCommandLine {
    Options options;
    bool render = false;
    int exit_code = 0;
};

// Reports usage errors as one line on standard error.
ParsedCommandLine parse_command_line(int argc, char** argv);

} // namespace krender

#endif
