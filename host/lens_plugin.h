// Loading a lens-shader plug-in binary the way a renderer does: dlopen with
// lazy binding, so its calls into the host bind to this executable's exported
// host functions at first use.
#ifndef KELMORA_RENDER_LENS_PLUGIN_H
#define KELMORA_RENDER_LENS_PLUGIN_H

#include "host_api.h"

#include <string>

namespace krender {

// The only shader interface version this renderer speaks.
constexpr int32_t supported_shader_version = 1;

struct LensPlugin {
    kelmora_shader_fn shader = nullptr;
    int32_t version = 0;
};

// kelmora.so beside this executable.
std::string default_plugin_path();

// Loads `path` and resolves `shader_name` and `shader_name`_version. Throws
// std::runtime_error naming the file and what is wrong with it. The library
// stays loaded for the life of the process.
LensPlugin load_lens_plugin(const std::string& path, const std::string& shader_name);

} // namespace krender

#endif
