// Everything a render is asked to do, as given on the command line.
#ifndef KELMORA_RENDER_OPTIONS_H
#define KELMORA_RENDER_OPTIONS_H

#include "camera.h"
#include "host_api.h"

#include <string>

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
    kelmora_params lens{0.75f, 1.0f, 1.0f, 1.0f, 1};
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
