// Records the plug-in's GetProcAddress calls, by redirecting its import of
// GetProcAddress to a recording wrapper, so a test sees exactly which names
// were looked up in which module, and how often.
#ifndef KELMORA_TESTS_LOOKUP_RECORDER_H
#define KELMORA_TESTS_LOOKUP_RECORDER_H

#include <windows.h>

#include <string>
#include <vector>

namespace lookup_recorder {

struct Lookup {
    HMODULE module;
    std::string name;
    bool operator==(const Lookup& other) const {
        return module == other.module && name == other.name;
    }
};

// Redirects `plugin`'s import of KERNEL32!GetProcAddress. False if it has none.
bool install(HMODULE plugin);

// The lookups recorded since the last call (at most a few hundred are kept).
std::vector<Lookup> take();

} // namespace lookup_recorder

#endif
