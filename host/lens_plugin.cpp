#include "lens_plugin.h"

#include <dlfcn.h>

#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace krender {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void refuse(const std::string& path, const std::string& why) {
    throw std::runtime_error("plug-in " + path + ": " + why);
}

void* resolve(void* library, const std::string& path, const std::string& name) {
    dlerror();
    void* address = dlsym(library, name.c_str());
    if (address == nullptr) {
        refuse(path, "does not export '" + name + "'");
    }
    return address;
}

std::string one_line(const char* message) {
    std::string line = message != nullptr ? message : "unknown error";
    for (char& c : line) {
        if (c == '\n') {
            c = ' ';
        }
    }
    return line;
}

} // namespace

std::string default_plugin_path() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error) {
        return "kelmora.so";
    }
    return (executable.parent_path() / "kelmora.so").string();
}

LensPlugin load_lens_plugin(const std::string& path, const std::string& shader_name) {
    std::error_code error;
    if (!fs::exists(path, error)) {
        refuse(path, "no such file");
    }
    if (fs::is_directory(path, error)) {
        refuse(path, "is a folder");
    }
    // dlopen searches the library path for names without a slash; a plug-in
    // path always means this file.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    void* library = dlopen(file.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (library == nullptr) {
        refuse(path, "cannot be loaded: " + one_line(dlerror()));
    }
    LensPlugin plugin;
    plugin.shader = reinterpret_cast<kelmora_shader_fn>(resolve(library, path, shader_name));
    const auto version_of =
        reinterpret_cast<kelmora_version_fn>(resolve(library, path, shader_name + "_version"));
    plugin.version = version_of();
    if (plugin.version != supported_shader_version) {
        refuse(path, "shader '" + shader_name + "' has version " + std::to_string(plugin.version) +
                         "; this renderer supports version " +
                         std::to_string(supported_shader_version) + " only");
    }
    return plugin;
}

} // namespace krender
