#include "plugin.h"

#include "hostbind.h"

#include <cstdlib>

std::string plugin_path() {
    const char* from_env = std::getenv("KELMORA_PLUGIN");
    std::string path = from_env != nullptr ? from_env : KELMORA_PLUGIN_PATH;
    // The build tree's path is a Unix one; Wine maps the Unix root to drive Z:.
    if (!path.empty() && path[0] == '/') {
        path.insert(0, "Z:");
    }
    return path;
}

bool load_plugin(Plugin& plugin, std::string& error) {
    const HMODULE module = LoadLibraryA(plugin_path().c_str());
    if (module == nullptr) {
        error = "LoadLibrary failed with error " + std::to_string(GetLastError());
        return false;
    }
    plugin.shader = reinterpret_cast<kelmora_shader_fn>(
        reinterpret_cast<void (*)(void)>(GetProcAddress(module, "kelmora")));
    plugin.version = reinterpret_cast<kelmora_version_fn>(
        reinterpret_cast<void (*)(void)>(GetProcAddress(module, "kelmora_version")));
    const auto set_module_handle = reinterpret_cast<kelmora_set_module_handle_fn>(
        reinterpret_cast<void (*)(void)>(GetProcAddress(module, "miSetModuleHandle")));
    if (plugin.shader == nullptr || plugin.version == nullptr || set_module_handle == nullptr) {
        error = "plug-in lacks kelmora, kelmora_version or miSetModuleHandle";
        return false;
    }
    // This executable is the host: it exports the host functions itself.
    set_module_handle(GetModuleHandleA(nullptr));
    return true;
}
