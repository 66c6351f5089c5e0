// Prints the golden-vector digest of the plug-in binary this program loads,
// so the values of different targets can be put side by side.
#include "golden.h"
#include "plugin.h"

#include <cinttypes>
#include <cstdio>

int main() {
    Plugin plugin;
    std::string error;
    if (!load_plugin(plugin, error)) {
        std::fprintf(stderr, "kelmora-digest: %s: %s\n", plugin_path().c_str(), error.c_str());
        return 1;
    }
    std::printf("%016" PRIx64 "\n", golden::digest(plugin.shader));
    return 0;
}
