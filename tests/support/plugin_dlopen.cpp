#include "plugin.h"

#include <dlfcn.h>

#include <cstdlib>

std::string plugin_path() {
    const char* from_env = std::getenv("KELMORA_PLUGIN");
    return from_env != nullptr ? from_env : KELMORA_PLUGIN_PATH;
}

bool load_plugin(Plugin& plugin, std::string& error) {
    // Lazy binding, as a renderer loads it: host functions bind at first call.
    void* handle = dlopen(plugin_path().c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (handle == nullptr) {
        error = dlerror();
        return false;
    }
    plugin.shader = reinterpret_cast<kelmora_shader_fn>(dlsym(handle, "kelmora"));
    plugin.version = reinterpret_cast<kelmora_version_fn>(dlsym(handle, "kelmora_version"));
    if (plugin.shader == nullptr || plugin.version == nullptr) {
        error = "plug-in lacks kelmora or kelmora_version";
        return false;
    }
    return true;
}
