// Loads the built plug-in binary the way a renderer does. One implementation
// per platform loader (dlopen, LoadLibrary), picked by the build.
#ifndef KELMORA_TESTS_PLUGIN_H
#define KELMORA_TESTS_PLUGIN_H

#include "host_api.h"

#include <string>

struct Plugin {
    kelmora_shader_fn shader = nullptr;
    kelmora_version_fn version = nullptr;
};

// Path of the plug-in this test run exercises.
std::string plugin_path();

// Loads the plug-in and hands it this process as the host. Returns false and
// sets `error` when the binary or its exports cannot be found.
bool load_plugin(Plugin& plugin, std::string& error);

#endif
